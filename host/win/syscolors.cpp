// The classic scheme's system colours, their brushes and the classic system metrics.
#include "win/gdiobjects.h"
#include "ed/sysvar.h"
#include "win/winuser.h"

namespace {

constexpr int kColorCount = 31;

COLORREF classic(int index) {
    switch (index) {
    case COLOR_SCROLLBAR: return RGB(212, 208, 200);
    case COLOR_BACKGROUND: return RGB(58, 110, 165);
    case COLOR_ACTIVECAPTION: return RGB(10, 36, 106);
    case COLOR_INACTIVECAPTION: return RGB(128, 128, 128);
    case COLOR_MENU: return RGB(212, 208, 200);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME: return RGB(0, 0, 0);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT: return RGB(255, 255, 255);
    case COLOR_ACTIVEBORDER: return RGB(212, 208, 200);
    case COLOR_INACTIVEBORDER: return RGB(212, 208, 200);
    case COLOR_APPWORKSPACE: return RGB(128, 128, 128);
    case COLOR_HIGHLIGHT: return RGB(10, 36, 106);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_3DFACE: return RGB(212, 208, 200);
    case COLOR_3DSHADOW: return RGB(128, 128, 128);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_INACTIVECAPTIONTEXT: return RGB(212, 208, 200);
    case COLOR_3DHILIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
    case COLOR_3DLIGHT: return RGB(212, 208, 200);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    case 25: return RGB(181, 181, 181);
    case COLOR_HOTLIGHT: return RGB(0, 0, 128);
    case COLOR_GRADIENTACTIVECAPTION: return RGB(166, 202, 240);
    case COLOR_GRADIENTINACTIVECAPTION: return RGB(192, 192, 192);
    default: return 0;
    }
}

}  // namespace

DWORD GetSysColor(int index) { return (index >= 0 && index < kColorCount) ? classic(index) : 0; }

HBRUSH GetSysColorBrush(int index) {
    static HBRUSH brushes[kColorCount] = {};
    if (index < 0 || index >= kColorCount) return nullptr;
    if (!brushes[index]) brushes[index] = gdi::makeStock(gdi::Object::Brush, classic(index), PS_SOLID);
    return brushes[index];
}

namespace {
// The screen is the size SCREENSIZE gives (800 x 600 when it is missing or out of reason).
int screenSize(int axis) {
    resbuf rb;
    const int fallback = axis == 0 ? 800 : 600;
    if (acedGetVar("SCREENSIZE", &rb) != RTNORM || (rb.restype != RTPOINT && rb.restype != RT3DPOINT)) return fallback;
    const double v = rb.resval.rpoint[axis];
    return v >= 1 && v <= 16384 ? static_cast<int>(v) : fallback;
}
}  // namespace

BOOL SystemParametersInfo(UINT action, UINT, void* value, UINT) {
    if (action != SPI_GETWORKAREA || !value) return FALSE;
    *static_cast<RECT*>(value) = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return TRUE;
}

BOOL SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni) {
    return SystemParametersInfo(action, param, value, winIni);
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: return screenSize(0);
    case SM_CYSCREEN: return screenSize(1);
    case SM_CYFULLSCREEN: return screenSize(1) - GetSystemMetrics(SM_CYCAPTION);
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXVSCROLL: case SM_CYHSCROLL: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    default: return 0;
    }
}
