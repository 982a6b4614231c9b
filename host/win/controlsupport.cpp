// Colours, fonts and notifications shared by the predefined controls.
#include "win/controlsupport.h"
#include <algorithm>
#include "win/commctrl.h"

namespace controls {

HBRUSH parentBrush(HWND control, HDC dc, UINT ctlColorMessage) {
    HWND parent = GetParent(control);
    HBRUSH brush = nullptr;
    if (parent)
        brush = reinterpret_cast<HBRUSH>(SendMessage(parent, ctlColorMessage, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(control)));
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(DefWindowProc(control, ctlColorMessage, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    return brush;
}

HGDIOBJ selectFont(HWND control, HDC dc) {
    auto font = reinterpret_cast<HFONT>(SendMessage(control, WM_GETFONT, 0, 0));
    return font ? SelectObject(dc, font) : nullptr;
}

COLORREF textColor(HWND control, HDC dc) {
    return IsWindowEnabled(control) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
}

LRESULT notify(HWND control, NMHDR* header, UINT code) {
    header->hwndFrom = control;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header->code = code;
    HWND parent = GetParent(control);
    if (!parent) return 0;
    return SendMessage(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

void fill(HDC dc, RECT r, COLORREF color) {
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

ScrollBarParts scrollBarParts(RECT box, bool vertical, int total, int visible, int position) {
    ScrollBarParts b;
    b.box = box;
    b.length = vertical ? box.bottom - box.top : box.right - box.left;
    b.arrow = std::min(GetSystemMetrics(vertical ? SM_CXVSCROLL : SM_CYHSCROLL), b.length / 2);
    visible = std::max(1, visible);
    int track = std::max(0, b.length - 2 * b.arrow);
    total = std::max(total, visible);
    b.thumbLength = std::min(track, std::max(8, track * visible / total));
    int range = total - visible;
    b.thumbStart = b.arrow + (range > 0 ? (track - b.thumbLength) * position / range : 0);
    return b;
}

void paintScrollBar(HDC dc, const ScrollBarParts& b, bool vertical) {
    fill(dc, b.box, GetSysColor(COLOR_SCROLLBAR));
    auto part = [&](int from, int length) {
        RECT r = vertical ? RECT{b.box.left, b.box.top + from, b.box.right, b.box.top + from + length}
                          : RECT{b.box.left + from, b.box.top, b.box.left + from + length, b.box.bottom};
        fill(dc, r, GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    };
    part(0, b.arrow);
    part(b.length - b.arrow, b.arrow);
    if (b.thumbLength > 0) part(b.thumbStart, b.thumbLength);
}

WORD scrollBarRequest(const ScrollBarParts& b, bool vertical, POINT p) {
    int at = vertical ? p.y - b.box.top : p.x - b.box.left;
    return at < b.arrow ? SB_LINEUP
        : at >= b.length - b.arrow ? SB_LINEDOWN
        : at < b.thumbStart ? SB_PAGEUP
        : at >= b.thumbStart + b.thumbLength ? SB_PAGEDOWN
        : SB_ENDSCROLL;
}

}  // namespace controls

void cadhostNotifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (!parent) return;
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}
