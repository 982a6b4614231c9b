#pragma once
// The predefined controls: button, edit and static, their styles, messages and notifications.
// Each draws itself in the classic style and tells its parent what happened through WM_COMMAND.
#include "win/winstyles.h"
#include "win/winuser.h"

// Buttons.

constexpr UINT BM_GETCHECK = 0x00F0, BM_SETCHECK = 0x00F1, BM_GETSTATE = 0x00F2, BM_SETSTATE = 0x00F3, BM_SETSTYLE = 0x00F4, BM_CLICK = 0x00F5;
constexpr UINT BST_UNCHECKED = 0x0, BST_CHECKED = 0x1, BST_INDETERMINATE = 0x2, BST_PUSHED = 0x4, BST_FOCUS = 0x8;
constexpr WORD BN_CLICKED = 0, BN_DOUBLECLICKED = 5, BN_SETFOCUS = 6, BN_KILLFOCUS = 7;

// Edit fields.

constexpr UINT EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_GETMODIFY = 0x00B8, EM_SETMODIFY = 0x00B9, EM_LIMITTEXT = 0x00C5, EM_SETLIMITTEXT = 0x00C5, EM_REPLACESEL = 0x00C2, EM_SETREADONLY = 0x00CF, EM_GETLIMITTEXT = 0x00D5;
constexpr WORD EN_SETFOCUS = 0x0100, EN_KILLFOCUS = 0x0200, EN_CHANGE = 0x0300,
    EN_UPDATE = 0x0400, EN_MAXTEXT = 0x0501;

// Statics.

constexpr WORD STN_CLICKED = 0, STN_DBLCLK = 1;

// Owner drawing.
constexpr UINT ODT_BUTTON = 4, ODT_STATIC = 5;
constexpr UINT ODA_DRAWENTIRE = 0x1, ODA_SELECT = 0x2, ODA_FOCUS = 0x4;
constexpr UINT ODS_SELECTED = 0x1, ODS_DISABLED = 0x4, ODS_CHECKED = 0x8, ODS_FOCUS = 0x10, ODS_DEFAULT = 0x20;

struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    UINT_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;

struct MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    UINT_PTR itemData;
};
typedef MEASUREITEMSTRUCT* LPMEASUREITEMSTRUCT;

// Sends a control's notification to its parent as WM_COMMAND.
CADHOST_API void cadhostNotifyParent(HWND control, WORD code);
