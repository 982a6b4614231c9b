// The static control: text left, centred or right, filled and framed rectangles, etched lines.
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/systemclasses.h"

namespace {

DWORD kind(HWND s) { return static_cast<DWORD>(GetWindowLong(s, GWL_STYLE)) & SS_TYPEMASK; }

void paintText(HWND s, HDC dc, RECT r) {
    DWORD style = static_cast<DWORD>(GetWindowLong(s, GWL_STYLE));
    DWORD k = kind(s);
    UINT format = DT_EXPANDTABS;
    if (k == SS_CENTER) format |= DT_CENTER | DT_WORDBREAK;
    else if (k == SS_RIGHT) format |= DT_RIGHT | DT_WORDBREAK;
    else if (k == SS_LEFT) format |= DT_LEFT | DT_WORDBREAK;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_VCENTER | DT_SINGLELINE;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    char text[1024];
    GetWindowText(s, text, sizeof text);
    SetTextColor(dc, controls::textColor(s, dc));
    DrawText(dc, text, -1, &r, format);
}

void paint(HWND s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s, &ps);
    RECT r;
    GetClientRect(s, &r);
    HGDIOBJ oldFont = controls::selectFont(s, dc);
    DWORD k = kind(s);
    switch (k) {
    case SS_BLACKRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_3DSHADOW)); break;
    case SS_WHITERECT: FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_BLACKFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_3DSHADOW)); break;
    case SS_WHITEFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_ETCHEDHORZ: {
        RECT line{r.left, r.top, r.right, r.top + 2};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        break;
    }
    case SS_ETCHEDVERT: {
        RECT line{r.left, r.top, r.left + 2, r.bottom};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        break;
    }
    case SS_ETCHEDFRAME: DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT); break;
    case SS_OWNERDRAW: {
        DRAWITEMSTRUCT dis{ODT_STATIC, static_cast<UINT>(GetDlgCtrlID(s)), 0, ODA_DRAWENTIRE,
                           IsWindowEnabled(s) ? 0u : ODS_DISABLED, s, dc, r, 0};
        SendMessage(GetParent(s), WM_DRAWITEM, static_cast<WPARAM>(dis.CtlID), reinterpret_cast<LPARAM>(&dis));
        break;
    }
    default: {
        HBRUSH back = controls::parentBrush(s, dc, WM_CTLCOLORSTATIC);
        FillRect(dc, &r, back);
        if (k == SS_LEFT || k == SS_CENTER || k == SS_RIGHT || k == SS_LEFTNOWORDWRAP) paintText(s, dc, r);
        break;
    }
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(s, &ps);
}

LRESULT CALLBACK StaticProc(HWND s, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_NCHITTEST:
        if (!(GetWindowLong(s, GWL_STYLE) & SS_NOTIFY)) return HTTRANSPARENT;
        break;
    case WM_LBUTTONDOWN:
        if (GetWindowLong(s, GWL_STYLE) & SS_NOTIFY) cadhostNotifyParent(s, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (GetWindowLong(s, GWL_STYLE) & SS_NOTIFY) cadhostNotifyParent(s, STN_DBLCLK);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(s);
        return 0;
    case WM_ENABLE:
        InvalidateRect(s, nullptr, TRUE);
        return 0;
    default:
        break;
    }
    return DefWindowProc(s, message, wParam, lParam);
}

}  // namespace

const SystemClass& staticSystemClass() {
    static const SystemClass c{"Static", DLGATOM_STATIC, CS_DBLCLKS, StaticProc, 0, nullptr};
    return c;
}
