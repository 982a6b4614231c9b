#pragma once
// The common list-view control ("SysListView32"): in report view columns under a header row and
// items with sub-items; in icon and small-icon views images from image lists arranged in rows
// across the width with their labels; selection and focus states, hit testing, scrolling and the
// WM_NOTIFY notifications it sends its parent. Names and values are the platform's.
#include "win/controls.h"
#include "win/winuser.h"
#include "win/wingdi.h"

#define WC_LISTVIEW "SysListView32"

// Scroll bar requests of WM_VSCROLL and WM_HSCROLL.
constexpr WORD SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
    SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5,
    SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;

constexpr COLORREF CLR_NONE = 0xFFFFFFFF, CLR_DEFAULT = 0xFF000000;

// Messages.
constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_GETBKCOLOR = LVM_FIRST + 0, LVM_SETBKCOLOR = LVM_FIRST + 1, LVM_GETITEMCOUNT = LVM_FIRST + 4,
    LVM_GETITEM = LVM_FIRST + 5, LVM_SETITEM = LVM_FIRST + 6, LVM_INSERTITEM = LVM_FIRST + 7,
    LVM_DELETEITEM = LVM_FIRST + 8, LVM_DELETEALLITEMS = LVM_FIRST + 9, LVM_GETNEXTITEM = LVM_FIRST + 12,
    LVM_GETITEMRECT = LVM_FIRST + 14, LVM_HITTEST = LVM_FIRST + 18, LVM_ENSUREVISIBLE = LVM_FIRST + 19,
    LVM_SCROLL = LVM_FIRST + 20, LVM_GETCOLUMN = LVM_FIRST + 25, LVM_SETCOLUMN = LVM_FIRST + 26,
    LVM_INSERTCOLUMN = LVM_FIRST + 27, LVM_DELETECOLUMN = LVM_FIRST + 28, LVM_GETCOLUMNWIDTH = LVM_FIRST + 29,
    LVM_SETCOLUMNWIDTH = LVM_FIRST + 30, LVM_GETTEXTCOLOR = LVM_FIRST + 35, LVM_SETTEXTCOLOR = LVM_FIRST + 36,
    LVM_GETTEXTBKCOLOR = LVM_FIRST + 37, LVM_SETTEXTBKCOLOR = LVM_FIRST + 38, LVM_GETTOPINDEX = LVM_FIRST + 39,
    LVM_GETCOUNTPERPAGE = LVM_FIRST + 40, LVM_SETITEMSTATE = LVM_FIRST + 43, LVM_GETITEMSTATE = LVM_FIRST + 44,
    LVM_GETITEMTEXT = LVM_FIRST + 45, LVM_SETITEMTEXT = LVM_FIRST + 46, LVM_GETSELECTEDCOUNT = LVM_FIRST + 50,
    LVM_SETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 54, LVM_GETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 55,
    LVM_GETSUBITEMRECT = LVM_FIRST + 56, LVM_SUBITEMHITTEST = LVM_FIRST + 57,
    LVM_GETSELECTIONMARK = LVM_FIRST + 66, LVM_SETSELECTIONMARK = LVM_FIRST + 67;
// Icon views: image lists by kind, the distance between icons, arrangement.
constexpr UINT LVM_GETIMAGELIST = LVM_FIRST + 2, LVM_SETIMAGELIST = LVM_FIRST + 3, LVM_ARRANGE = LVM_FIRST + 22,
    LVM_GETITEMSPACING = LVM_FIRST + 51, LVM_SETICONSPACING = LVM_FIRST + 53;
constexpr WPARAM LVSIL_NORMAL = 0, LVSIL_SMALL = 1, LVSIL_STATE = 2;
constexpr WPARAM LVA_DEFAULT = 0x0000, LVA_ALIGNLEFT = 0x0001, LVA_ALIGNTOP = 0x0002, LVA_SNAPTOGRID = 0x0005;

// Extended styles.
constexpr DWORD LVS_EX_GRIDLINES = 0x00000001, LVS_EX_FULLROWSELECT = 0x00000020;

// Columns.
constexpr UINT LVCF_FMT = 0x0001, LVCF_WIDTH = 0x0002, LVCF_TEXT = 0x0004, LVCF_SUBITEM = 0x0008;
constexpr int LVCFMT_LEFT = 0x0000, LVCFMT_RIGHT = 0x0001, LVCFMT_CENTER = 0x0002, LVCFMT_JUSTIFYMASK = 0x0003;
constexpr int LVSCW_AUTOSIZE = -1, LVSCW_AUTOSIZE_USEHEADER = -2;

struct LVCOLUMN {
    UINT mask;
    int fmt;
    int cx;
    char* pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
};
typedef LVCOLUMN* LPLVCOLUMN;

// Items.
constexpr UINT LVIF_TEXT = 0x0001, LVIF_IMAGE = 0x0002, LVIF_PARAM = 0x0004, LVIF_STATE = 0x0008;
constexpr UINT LVIS_FOCUSED = 0x0001, LVIS_SELECTED = 0x0002;
constexpr UINT LVNI_ALL = 0x0000, LVNI_FOCUSED = 0x0001, LVNI_SELECTED = 0x0002, LVNI_ABOVE = 0x0100,
    LVNI_BELOW = 0x0200, LVNI_TOLEFT = 0x0400, LVNI_TORIGHT = 0x0800;

struct LVITEM {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
};
typedef LVITEM* LPLVITEM;

// Rectangles and hit tests.
constexpr int LVIR_BOUNDS = 0, LVIR_ICON = 1, LVIR_LABEL = 2, LVIR_SELECTBOUNDS = 3;
constexpr UINT LVHT_NOWHERE = 0x0001, LVHT_ONITEMICON = 0x0002, LVHT_ONITEMLABEL = 0x0004,
    LVHT_ONITEMSTATEICON = 0x0008, LVHT_ONITEM = 0x000E, LVHT_ABOVE = 0x0008, LVHT_BELOW = 0x0010,
    LVHT_TORIGHT = 0x0020, LVHT_TOLEFT = 0x0040;

struct LVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
};
typedef LVHITTESTINFO* LPLVHITTESTINFO;

// Notifications.
constexpr UINT NM_FIRST = 0u;
constexpr UINT NM_CLICK = NM_FIRST - 2, NM_DBLCLK = NM_FIRST - 3, NM_RETURN = NM_FIRST - 4,
    NM_RCLICK = NM_FIRST - 5, NM_SETFOCUS = NM_FIRST - 7, NM_KILLFOCUS = NM_FIRST - 8;
constexpr UINT LVN_FIRST = 0u - 100u;
constexpr UINT LVN_ITEMCHANGING = LVN_FIRST - 0, LVN_ITEMCHANGED = LVN_FIRST - 1, LVN_INSERTITEM = LVN_FIRST - 2,
    LVN_DELETEITEM = LVN_FIRST - 3, LVN_DELETEALLITEMS = LVN_FIRST - 4, LVN_COLUMNCLICK = LVN_FIRST - 8,
    LVN_KEYDOWN = LVN_FIRST - 55;

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
typedef NMLISTVIEW* LPNMLISTVIEW;

struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};
typedef NMITEMACTIVATE* LPNMITEMACTIVATE;

#pragma pack(push, 1)
struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
#pragma pack(pop)
typedef NMLVKEYDOWN* LPNMLVKEYDOWN;

// The tab control ("SysTabControl32"): one row of tabs over a display area; the selection
// changes on a click or an arrow key, asked of the parent first (TCN_SELCHANGING).
#define WC_TABCONTROL "SysTabControl32"

constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4, TCM_GETITEM = TCM_FIRST + 5, TCM_SETITEM = TCM_FIRST + 6,
    TCM_INSERTITEM = TCM_FIRST + 7, TCM_DELETEITEM = TCM_FIRST + 8, TCM_DELETEALLITEMS = TCM_FIRST + 9,
    TCM_GETITEMRECT = TCM_FIRST + 10, TCM_GETCURSEL = TCM_FIRST + 11, TCM_SETCURSEL = TCM_FIRST + 12,
    TCM_HITTEST = TCM_FIRST + 13, TCM_ADJUSTRECT = TCM_FIRST + 40, TCM_GETROWCOUNT = TCM_FIRST + 44,
    TCM_GETCURFOCUS = TCM_FIRST + 47;

constexpr UINT TCIF_TEXT = 0x0001, TCIF_IMAGE = 0x0002, TCIF_PARAM = 0x0008;

struct TCITEM {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
typedef TCITEM* LPTCITEM;

constexpr UINT TCHT_NOWHERE = 0x0001, TCHT_ONITEMICON = 0x0002, TCHT_ONITEMLABEL = 0x0004, TCHT_ONITEM = 0x0006;

struct TCHITTESTINFO {
    POINT pt;
    UINT flags;
};
typedef TCHITTESTINFO* LPTCHITTESTINFO;

constexpr UINT TCN_FIRST = 0u - 550u;
constexpr UINT TCN_KEYDOWN = TCN_FIRST - 0, TCN_SELCHANGE = TCN_FIRST - 1, TCN_SELCHANGING = TCN_FIRST - 2;

#pragma pack(push, 1)
struct NMTCKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
#pragma pack(pop)

// Tooltips ("tooltips_class32"): a topmost popup that shows a tool's text after the mouse has
// rested over the tool for the initial delay, and hides when the mouse leaves it or clicks.
#define TOOLTIPS_CLASS "tooltips_class32"

constexpr DWORD TTS_ALWAYSTIP = 0x01, TTS_NOPREFIX = 0x02;
constexpr UINT TTF_IDISHWND = 0x0001, TTF_CENTERTIP = 0x0002, TTF_SUBCLASS = 0x0010;

constexpr UINT TTM_ACTIVATE = WM_USER + 1, TTM_SETDELAYTIME = WM_USER + 3, TTM_ADDTOOL = WM_USER + 4,
    TTM_DELTOOL = WM_USER + 5, TTM_NEWTOOLRECT = WM_USER + 6, TTM_RELAYEVENT = WM_USER + 7,
    TTM_GETTOOLINFO = WM_USER + 8, TTM_GETTEXT = WM_USER + 11, TTM_UPDATETIPTEXT = WM_USER + 12,
    TTM_GETTOOLCOUNT = WM_USER + 13, TTM_GETDELAYTIME = WM_USER + 21, TTM_SETMAXTIPWIDTH = WM_USER + 24,
    TTM_GETMAXTIPWIDTH = WM_USER + 25, TTM_POP = WM_USER + 28;
constexpr WPARAM TTDT_AUTOMATIC = 0, TTDT_RESHOW = 1, TTDT_AUTOPOP = 2, TTDT_INITIAL = 3;

struct TOOLINFO {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    char* lpszText;
    LPARAM lParam;
    void* lpReserved;
};
typedef TOOLINFO* LPTOOLINFO;

constexpr UINT TTN_FIRST = 0u - 520u;
constexpr UINT TTN_SHOW = TTN_FIRST - 1, TTN_POP = TTN_FIRST - 2;

// Image lists: images of one size kept in a row, added from bitmaps (a wider bitmap adds one image
// per image width), from bitmaps with a mask or a mask colour, or from icons; drawn with their
// transparency, over the list's background colour or blended with the highlight colour.
struct _IMAGELIST;
typedef _IMAGELIST* HIMAGELIST;

constexpr UINT ILC_MASK = 0x0001, ILC_COLOR = 0x0000, ILC_COLORDDB = 0x00FE, ILC_COLOR4 = 0x0004,
    ILC_COLOR8 = 0x0008, ILC_COLOR16 = 0x0010, ILC_COLOR24 = 0x0018, ILC_COLOR32 = 0x0020;
constexpr UINT ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001, ILD_MASK = 0x0010, ILD_BLEND25 = 0x0002,
    ILD_BLEND50 = 0x0004, ILD_FOCUS = ILD_BLEND25, ILD_SELECTED = ILD_BLEND50, ILD_BLEND = ILD_BLEND50;

CADHOST_API HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
CADHOST_API BOOL ImageList_Destroy(HIMAGELIST list);
CADHOST_API int ImageList_GetImageCount(HIMAGELIST list);
CADHOST_API BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// Answer the index of the first image added, -1 on failure. The mask bitmap's white pixels are
// transparent; with a mask colour, the pixels of that colour are. A list without ILC_MASK keeps
// every pixel opaque.
CADHOST_API int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
CADHOST_API int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
// Index -1 appends; the icon is scaled to the list's size.
CADHOST_API int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
CADHOST_API int ImageList_AddIcon(HIMAGELIST list, HICON icon);
// Index -1 removes every image.
CADHOST_API BOOL ImageList_Remove(HIMAGELIST list, int index);
CADHOST_API COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
CADHOST_API COLORREF ImageList_GetBkColor(HIMAGELIST list);
CADHOST_API BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// dx and dy 0 draw the whole image; background CLR_DEFAULT is the list's colour, CLR_NONE none;
// the foreground is the blend colour (CLR_DEFAULT: the highlight colour).
CADHOST_API BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy,
                                  COLORREF background, COLORREF foreground, UINT style);
