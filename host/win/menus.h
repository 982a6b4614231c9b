#pragma once
// Menus of the window framework: menus built from a module's MENU resources or item by item,
// their items found by command or by position, and popup menus tracked at a point in a window
// of their own with a modal loop on the thread's event queue.
#include "win/winuser.h"

constexpr UINT MF_BYCOMMAND = 0x0000, MF_BYPOSITION = 0x0400, MF_STRING = 0x0000, MF_ENABLED = 0x0000,
    MF_UNCHECKED = 0x0000;
// TrackPopupMenu flags.
constexpr UINT TPM_LEFTBUTTON = 0x0000, TPM_RIGHTBUTTON = 0x0002, TPM_LEFTALIGN = 0x0000, TPM_CENTERALIGN = 0x0004,
    TPM_RIGHTALIGN = 0x0008, TPM_TOPALIGN = 0x0000, TPM_VCENTERALIGN = 0x0010, TPM_BOTTOMALIGN = 0x0020,
    TPM_NONOTIFY = 0x0080, TPM_RETURNCMD = 0x0100;
// Sent to the owner before a popup menu shows: wParam the menu, lParam MAKELPARAM(index, system menu).
constexpr UINT WM_INITMENUPOPUP = 0x0117;
// The class of popup menu windows.
#define POPUPMENU_CLASS "#32768"

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;
};
typedef TPMPARAMS* LPTPMPARAMS;

CADHOST_API HMENU CreateMenu();
CADHOST_API HMENU CreatePopupMenu();
// Destroys the menu and the popup menus of its items.
CADHOST_API BOOL DestroyMenu(HMENU menu);
CADHOST_API BOOL IsMenu(HMENU menu);
// A module's MENU or MENUEX resource as a new menu; null when it has none.
CADHOST_API HMENU LoadMenuA(HINSTANCE module, LPCSTR name);
CADHOST_API HMENU LoadMenu(HINSTANCE module, LPCSTR name);
CADHOST_API HMENU GetSubMenu(HMENU menu, int position);
// MF_POPUP: idOrPopup is the item's popup menu, which the menu then owns.
CADHOST_API BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
CADHOST_API BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
CADHOST_API BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
CADHOST_API BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
CADHOST_API BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
CADHOST_API BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
// RemoveMenu keeps an item's popup menu alive (the caller has it); DeleteMenu destroys it.
CADHOST_API BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
CADHOST_API BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
// Answer the previous MF_CHECKED or MF_ENABLED/MF_GRAYED/MF_DISABLED state, -1 for no such item.
// By command, the item is also searched in the popup menus of the items.
CADHOST_API DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
CADHOST_API BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
CADHOST_API int GetMenuItemCount(HMENU menu);
// -1 for a popup item or a position that is none.
CADHOST_API UINT GetMenuItemID(HMENU menu, int position);
// The item's MF_ flags (a popup item's item count in the high byte); -1 for no such item.
CADHOST_API UINT GetMenuState(HMENU menu, UINT item, UINT flags);
// Copies the item's text (with its '&'); answers its length. A null buffer answers the length.
CADHOST_API int GetMenuStringA(HMENU menu, UINT item, char* buffer, int bufferMax, UINT flags);
CADHOST_API int GetMenuString(HMENU menu, UINT item, char* buffer, int bufferMax, UINT flags);
// Shows the menu at a screen point, runs until an item is chosen or the menu is cancelled (Escape,
// a click outside, the end of input), then posts WM_COMMAND with the item to the owner, or with
// TPM_RETURNCMD answers the item (0 when cancelled). Disabled items cannot be chosen.
CADHOST_API BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
CADHOST_API BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);

// Host side: the screen point of the middle of the item of the open popup menu whose text,
// without '&' and without what follows a tab, is the given one; false when no menu is open or
// it has no such item.
CADHOST_API bool cadhostPopupMenuItemPoint(const char* text, POINT* screenPoint);
// Host side: the open popup menu window, null when none is open.
CADHOST_API HWND cadhostOpenPopupMenu();
