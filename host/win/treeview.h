#pragma once
// The tree-view control ("SysTreeView32"): items under items, expanded and collapsed, one caret
// item (the selection) and one drop target, dotted lines and +/- buttons, item images from an
// image list, hit tests, vertical scrolling and the WM_NOTIFY notifications it sends its parent.
// Names and values are the platform's.
#include "win/commctrl.h"

#define WC_TREEVIEW "SysTreeView32"

struct _TREEITEM;
typedef _TREEITEM* HTREEITEM;

// The styles (TVS_xxx) come with win/winstyles.h.

// Messages.
constexpr UINT TV_FIRST = 0x1100;
constexpr UINT TVM_INSERTITEM = TV_FIRST + 0, TVM_DELETEITEM = TV_FIRST + 1, TVM_EXPAND = TV_FIRST + 2,
    TVM_GETITEMRECT = TV_FIRST + 4, TVM_GETCOUNT = TV_FIRST + 5, TVM_GETINDENT = TV_FIRST + 6,
    TVM_SETINDENT = TV_FIRST + 7, TVM_GETIMAGELIST = TV_FIRST + 8, TVM_SETIMAGELIST = TV_FIRST + 9,
    TVM_GETNEXTITEM = TV_FIRST + 10, TVM_SELECTITEM = TV_FIRST + 11, TVM_GETITEM = TV_FIRST + 12,
    TVM_SETITEM = TV_FIRST + 13, TVM_GETVISIBLECOUNT = TV_FIRST + 16, TVM_HITTEST = TV_FIRST + 17,
    TVM_ENSUREVISIBLE = TV_FIRST + 20, TVM_SETITEMHEIGHT = TV_FIRST + 27, TVM_GETITEMHEIGHT = TV_FIRST + 28,
    TVM_SETBKCOLOR = TV_FIRST + 29, TVM_SETTEXTCOLOR = TV_FIRST + 30, TVM_GETBKCOLOR = TV_FIRST + 31,
    TVM_GETTEXTCOLOR = TV_FIRST + 32, TVM_GETITEMSTATE = TV_FIRST + 39;

// Items.
constexpr UINT TVIF_TEXT = 0x0001, TVIF_IMAGE = 0x0002, TVIF_PARAM = 0x0004, TVIF_STATE = 0x0008,
    TVIF_HANDLE = 0x0010, TVIF_SELECTEDIMAGE = 0x0020, TVIF_CHILDREN = 0x0040;
constexpr UINT TVIS_SELECTED = 0x0002, TVIS_CUT = 0x0004, TVIS_DROPHILITED = 0x0008, TVIS_BOLD = 0x0010,
    TVIS_EXPANDED = 0x0020, TVIS_EXPANDEDONCE = 0x0040;
constexpr int I_CHILDRENCALLBACK = -1, I_IMAGECALLBACK = -1;
#define LPSTR_TEXTCALLBACK (reinterpret_cast<char*>(static_cast<INT_PTR>(-1)))

#define TVI_ROOT (reinterpret_cast<HTREEITEM>(static_cast<INT_PTR>(-0x10000)))
#define TVI_FIRST (reinterpret_cast<HTREEITEM>(static_cast<INT_PTR>(-0x0FFFF)))
#define TVI_LAST (reinterpret_cast<HTREEITEM>(static_cast<INT_PTR>(-0x0FFFE)))
#define TVI_SORT (reinterpret_cast<HTREEITEM>(static_cast<INT_PTR>(-0x0FFFD)))

struct TVITEM {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};
typedef TVITEM* LPTVITEM;

struct TVINSERTSTRUCT {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEM item;
};
typedef TVINSERTSTRUCT* LPTVINSERTSTRUCT;

// TVM_EXPAND.
constexpr UINT TVE_COLLAPSE = 0x0001, TVE_EXPAND = 0x0002, TVE_TOGGLE = 0x0003, TVE_COLLAPSERESET = 0x8000;
// TVM_GETNEXTITEM and TVM_SELECTITEM.
constexpr UINT TVGN_ROOT = 0x0000, TVGN_NEXT = 0x0001, TVGN_PREVIOUS = 0x0002, TVGN_PARENT = 0x0003,
    TVGN_CHILD = 0x0004, TVGN_FIRSTVISIBLE = 0x0005, TVGN_NEXTVISIBLE = 0x0006, TVGN_PREVIOUSVISIBLE = 0x0007,
    TVGN_DROPHILITE = 0x0008, TVGN_CARET = 0x0009, TVGN_LASTVISIBLE = 0x000A;
// TVM_SETIMAGELIST.
constexpr WPARAM TVSIL_NORMAL = 0, TVSIL_STATE = 2;

// Hit tests.
constexpr UINT TVHT_NOWHERE = 0x0001, TVHT_ONITEMICON = 0x0002, TVHT_ONITEMLABEL = 0x0004,
    TVHT_ONITEMINDENT = 0x0008, TVHT_ONITEMBUTTON = 0x0010, TVHT_ONITEMRIGHT = 0x0020,
    TVHT_ONITEMSTATEICON = 0x0040, TVHT_ONITEM = 0x0046, TVHT_ABOVE = 0x0100, TVHT_BELOW = 0x0200,
    TVHT_TORIGHT = 0x0400, TVHT_TOLEFT = 0x0800;

struct TVHITTESTINFO {
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
};
typedef TVHITTESTINFO* LPTVHITTESTINFO;

// Notifications.
constexpr UINT TVN_FIRST = 0u - 400u;
constexpr UINT TVN_SELCHANGING = TVN_FIRST - 1, TVN_SELCHANGED = TVN_FIRST - 2, TVN_GETDISPINFO = TVN_FIRST - 3,
    TVN_ITEMEXPANDING = TVN_FIRST - 5, TVN_ITEMEXPANDED = TVN_FIRST - 6, TVN_DELETEITEM = TVN_FIRST - 9,
    TVN_KEYDOWN = TVN_FIRST - 12;
// How a selection changed.
constexpr UINT TVC_UNKNOWN = 0x0000, TVC_BYMOUSE = 0x0001, TVC_BYKEYBOARD = 0x0002;

struct NMTREEVIEW {
    NMHDR hdr;
    UINT action;
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag;
};
typedef NMTREEVIEW* LPNMTREEVIEW;

struct NMTVDISPINFO {
    NMHDR hdr;
    TVITEM item;
};
typedef NMTVDISPINFO* LPNMTVDISPINFO;

#pragma pack(push, 1)
struct NMTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
#pragma pack(pop)
typedef NMTVKEYDOWN* LPNMTVKEYDOWN;

// Keys of the numeric pad that expand and collapse the caret item.
constexpr UINT VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D;

