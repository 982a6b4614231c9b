#pragma once
// Windows, messages, the message queue, focus, capture, timers and input of the window framework.
// Windows, their message queue and their input live on the thread that drives the user interface.
#include "win/winstyles.h"
#include "win/windef.h"

// Messages.
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A, WM_SETREDRAW = 0x000B, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E, WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014, WM_SHOWWINDOW = 0x0018, WM_SETCURSOR = 0x0020, WM_MOUSEACTIVATE = 0x0021, WM_DRAWITEM = 0x002B, WM_MEASUREITEM = 0x002C, WM_NEXTDLGCTL = 0x0028, WM_SETFONT = 0x0030, WM_GETFONT = 0x0031, WM_NOTIFY = 0x004E, WM_CONTEXTMENU = 0x007B, WM_NCCREATE = 0x0081, WM_NCDESTROY = 0x0082, WM_NCCALCSIZE = 0x0083, WM_NCHITTEST = 0x0084, WM_NCPAINT = 0x0085, WM_GETDLGCODE = 0x0087, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115, WM_CTLCOLORMSGBOX = 0x0132, WM_CTLCOLOREDIT = 0x0133, WM_CTLCOLORLISTBOX = 0x0134, WM_CTLCOLORBTN = 0x0135, WM_CTLCOLORDLG = 0x0136, WM_CTLCOLORSCROLLBAR = 0x0137, WM_CTLCOLORSTATIC = 0x0138, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206, WM_MOUSEWHEEL = 0x020A, WM_PARENTNOTIFY = 0x0210, WM_CAPTURECHANGED = 0x0215, WM_USER = 0x0400, WM_APP = 0x8000;
constexpr UINT WM_GETICON = 0x007F, WM_SETICON = 0x0080;
// WM_SETICON and WM_GETICON: which icon; ICON_SMALL2 answers the small one or else the big one.
constexpr WPARAM ICON_SMALL = 0, ICON_BIG = 1, ICON_SMALL2 = 2;
constexpr UINT WM_SYSCOLORCHANGE = 0x0015, WM_CANCELMODE = 0x001F, WM_MOUSELEAVE = 0x02A3;

// Window styles.


constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_GLOBALCLASS = 0x4000;

struct WNDCLASS {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

struct CREATESTRUCT {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    const char* lpszName;
    const char* lpszClass;
    DWORD dwExStyle;
};
typedef CREATESTRUCT* LPCREATESTRUCT;

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

// ShowWindow commands.
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_SHOWNA = 8, SW_RESTORE = 9;
// WM_SIZE kinds; WM_ACTIVATE states.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WORD WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;
// SetWindowPos.
constexpr HWND HWND_TOP = nullptr;
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))
constexpr UINT SWP_NOSIZE = 0x0001, SWP_NOMOVE = 0x0002, SWP_NOZORDER = 0x0004, SWP_NOREDRAW = 0x0008, SWP_NOACTIVATE = 0x0010, SWP_SHOWWINDOW = 0x0040, SWP_HIDEWINDOW = 0x0080;
// GetWindow.
constexpr UINT GW_HWNDFIRST = 0, GW_HWNDLAST = 1, GW_HWNDNEXT = 2, GW_HWNDPREV = 3, GW_OWNER = 4, GW_CHILD = 5;
// GetAncestor.
constexpr UINT GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3;
// Get/SetWindowLongPtr.
constexpr int GWLP_WNDPROC = -4, GWLP_HINSTANCE = -6, GWLP_HWNDPARENT = -8, GWLP_ID = -12, GWL_STYLE = -16, GWL_EXSTYLE = -20, GWLP_USERDATA = -21;
// Hit-test codes.
constexpr LRESULT HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2;
// PeekMessage.
constexpr UINT PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001;
// Mouse and key state in wParam.
constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008, MK_MBUTTON = 0x0010;
// The middle button (script input has no middle button; windows may still be sent these).
constexpr UINT WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208;
constexpr int WHEEL_DELTA = 120;
// Redraw.
constexpr UINT RDW_INVALIDATE = 0x0001, RDW_ERASE = 0x0004, RDW_ALLCHILDREN = 0x0080, RDW_UPDATENOW = 0x0100;

// Virtual keys.
constexpr UINT VK_CANCEL = 0x03, VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F1 = 0x70;

// Classes and windows.
CADHOST_API WORD RegisterClass(const WNDCLASS* wc);
CADHOST_API BOOL UnregisterClass(const char* className, HINSTANCE instance);
CADHOST_API BOOL GetClassInfo(HINSTANCE instance, const char* className, WNDCLASS* wc);
CADHOST_API int GetClassName(HWND hwnd, char* buffer, int bufferMax);
CADHOST_API HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName,
                                DWORD style, int x, int y, int width, int height, HWND parent,
                                HMENU menuOrId, HINSTANCE instance, void* param);
CADHOST_API BOOL DestroyWindow(HWND hwnd);
CADHOST_API BOOL IsWindow(HWND hwnd);
CADHOST_API BOOL IsChild(HWND parent, HWND hwnd);
CADHOST_API LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
CADHOST_API LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
CADHOST_API LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
CADHOST_API LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
CADHOST_API LONG GetWindowLong(HWND hwnd, int index);
CADHOST_API LONG SetWindowLong(HWND hwnd, int index, LONG value);
CADHOST_API BOOL SetWindowText(HWND hwnd, const char* text);
CADHOST_API int GetWindowText(HWND hwnd, char* buffer, int bufferMax);
CADHOST_API int GetWindowTextLength(HWND hwnd);
CADHOST_API HWND GetParent(HWND hwnd);
CADHOST_API HWND SetParent(HWND hwnd, HWND newParent);
CADHOST_API HWND GetAncestor(HWND hwnd, UINT flags);
CADHOST_API HWND GetWindow(HWND hwnd, UINT relation);
CADHOST_API HWND GetTopWindow(HWND hwnd);
CADHOST_API HWND GetDesktopWindow();
CADHOST_API HWND GetDlgItem(HWND dialog, int id);
CADHOST_API int GetDlgCtrlID(HWND hwnd);
CADHOST_API BOOL ShowWindow(HWND hwnd, int command);
CADHOST_API BOOL IsWindowVisible(HWND hwnd);
CADHOST_API BOOL EnableWindow(HWND hwnd, BOOL enable);
CADHOST_API BOOL IsWindowEnabled(HWND hwnd);

// Geometry: window rectangles in screen coordinates, client rectangles from (0, 0).
CADHOST_API BOOL GetWindowRect(HWND hwnd, RECT* rect);
CADHOST_API BOOL GetClientRect(HWND hwnd, RECT* rect);
CADHOST_API BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
CADHOST_API BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
CADHOST_API BOOL ScreenToClient(HWND hwnd, POINT* point);
CADHOST_API BOOL ClientToScreen(HWND hwnd, POINT* point);
CADHOST_API int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
CADHOST_API HWND WindowFromPoint(POINT screenPoint);
CADHOST_API HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);
CADHOST_API BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
CADHOST_API BOOL SetRectEmpty(RECT* rect);
CADHOST_API BOOL IsRectEmpty(const RECT* rect);
CADHOST_API BOOL PtInRect(const RECT* rect, POINT point);
CADHOST_API BOOL OffsetRect(RECT* rect, int dx, int dy);
CADHOST_API BOOL InflateRect(RECT* rect, int dx, int dy);
CADHOST_API BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b);
CADHOST_API BOOL UnionRect(RECT* out, const RECT* a, const RECT* b);
CADHOST_API BOOL EqualRect(const RECT* a, const RECT* b);

// Invalidation and painting.
CADHOST_API BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
CADHOST_API BOOL ValidateRect(HWND hwnd, const RECT* rect);
CADHOST_API BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
CADHOST_API BOOL UpdateWindow(HWND hwnd);
CADHOST_API BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);
CADHOST_API HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
CADHOST_API BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

// Messages and the queue.
CADHOST_API LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
CADHOST_API BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
CADHOST_API void PostQuitMessage(int exitCode);
// FALSE for WM_QUIT. When nothing is queued, no input is left and no timer is due, it answers
// WM_QUIT too (exit code 0) instead of waiting: headless, nothing else could ever arrive.
CADHOST_API BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
CADHOST_API BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
CADHOST_API BOOL TranslateMessage(const MSG* msg);
CADHOST_API LRESULT DispatchMessage(const MSG* msg);
CADHOST_API DWORD GetTickCount();
CADHOST_API DWORD GetMessageTime();
CADHOST_API UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
CADHOST_API BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Focus, capture, activation.
CADHOST_API HWND SetFocus(HWND hwnd);
CADHOST_API HWND GetFocus();
CADHOST_API HWND SetCapture(HWND hwnd);
CADHOST_API BOOL ReleaseCapture();
CADHOST_API HWND GetCapture();
CADHOST_API HWND SetActiveWindow(HWND hwnd);
CADHOST_API HWND GetActiveWindow();
CADHOST_API BOOL SetForegroundWindow(HWND hwnd);
CADHOST_API HWND GetForegroundWindow();
CADHOST_API BOOL GetCursorPos(POINT* point);
CADHOST_API BOOL SetCursorPos(int x, int y);

// Mouse tracking: WM_MOUSELEAVE is posted once when the cursor leaves the window's client area
// (another window comes under it, or it moves off the window), then tracking ends.
// Only TME_LEAVE is tracked; other kinds are refused.
constexpr DWORD TME_LEAVE = 0x00000002, TME_QUERY = 0x40000000, TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};
typedef TRACKMOUSEEVENT* LPTRACKMOUSEEVENT;
CADHOST_API BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track);
CADHOST_API short GetKeyState(int virtualKey);
CADHOST_API BOOL MessageBeep(UINT type);

// Sizing and the non-client area. A drag on a sizing border (the hit-test codes below, from the
// frame of a WS_THICKFRAME window or from a window's own WM_NCHITTEST) arrives as WM_NCLBUTTONDOWN;
// DefWindowProc turns it into WM_SYSCOMMAND SC_SIZE, which tracks the mouse until the button is
// released: WM_ENTERSIZEMOVE, WM_GETMINMAXINFO, then WM_SIZING (the edge and the proposed window
// rectangle, which the handler may change) and the move or resize for each mouse move, then
// WM_EXITSIZEMOVE. Escape puts the window back where it was.
constexpr UINT WM_GETMINMAXINFO = 0x0024, WM_NCACTIVATE = 0x0086, WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1, WM_SIZING = 0x0214, WM_ENTERSIZEMOVE = 0x0231, WM_EXITSIZEMOVE = 0x0232;
constexpr LRESULT HTSIZE = 4, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12, HTTOPLEFT = 13, HTTOPRIGHT = 14,
    HTBOTTOM = 15, HTBOTTOMLEFT = 16, HTBOTTOMRIGHT = 17, HTBORDER = 18;
constexpr WPARAM SC_SIZE = 0xF000;
// The edge of WM_SIZING.
constexpr WPARAM WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4, WMSZ_TOPRIGHT = 5,
    WMSZ_BOTTOM = 6, WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8;

struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};
typedef MINMAXINFO* LPMINMAXINFO;

// Cursors. The standard ones (IDC_xxx, loaded with a null module) are shared and never destroyed;
// others come from a module's RT_GROUP_CURSOR and RT_CURSOR resources. Mouse input sends
// WM_SETCURSOR (the window under the mouse, the hit-test code and the mouse message) to the window
// under the mouse unless the mouse is captured; DefWindowProc asks the parent first, then sets the
// class cursor in the client area and the sizing cursors on the sizing borders.
#define IDC_ARROW MAKEINTRESOURCE(32512)
#define IDC_IBEAM MAKEINTRESOURCE(32513)
#define IDC_WAIT MAKEINTRESOURCE(32514)
#define IDC_CROSS MAKEINTRESOURCE(32515)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_HAND MAKEINTRESOURCE(32649)
CADHOST_API HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
CADHOST_API HCURSOR LoadCursor(HINSTANCE module, LPCSTR name);
CADHOST_API HCURSOR SetCursor(HCURSOR cursor);
CADHOST_API HCURSOR GetCursor();
CADHOST_API BOOL DestroyCursor(HCURSOR cursor);

// The work area (SPI_GETWORKAREA): the whole screen, which has no task bar.
constexpr UINT SPI_GETWORKAREA = 0x0030;
CADHOST_API BOOL SystemParametersInfo(UINT action, UINT param, void* value, UINT winIni);
CADHOST_API BOOL SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni);
