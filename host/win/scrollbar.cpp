// Scroll bars drawn by the controls themselves.
#include "win/scrollbar.h"
#include <algorithm>
#include "win/commctrl.h"
#include "win/controlsupport.h"
#include "win/wingdi.h"

namespace controls {

ScrollBar scrollBar(RECT box, bool vertical, int total, int visible, int position) {
    ScrollBar b;
    b.box = box;
    b.vertical = vertical;
    b.length = vertical ? box.bottom - box.top : box.right - box.left;
    b.arrow = std::min(GetSystemMetrics(vertical ? SM_CXVSCROLL : SM_CYHSCROLL), b.length / 2);
    const int track = std::max(0, b.length - 2 * b.arrow);
    visible = std::max(1, visible);
    total = std::max(total, visible);
    b.thumbLength = std::min(track, std::max(8, static_cast<int>(static_cast<long long>(track) * visible / total)));
    const int range = total - visible;
    b.thumbStart = b.arrow + (range > 0 ? static_cast<int>(static_cast<long long>(track - b.thumbLength) *
                                                           std::clamp(position, 0, range) / range)
                                        : 0);
    return b;
}

void paintScrollBar(HDC dc, const ScrollBar& b) {
    fill(dc, b.box, GetSysColor(COLOR_SCROLLBAR));
    auto part = [&](int from, int length) {
        RECT r = b.vertical ? RECT{b.box.left, b.box.top + from, b.box.right, b.box.top + from + length}
                            : RECT{b.box.left + from, b.box.top, b.box.left + from + length, b.box.bottom};
        fill(dc, r, GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    };
    part(0, b.arrow);
    part(b.length - b.arrow, b.arrow);
    if (b.thumbLength > 0) part(b.thumbStart, b.thumbLength);
}

bool scrollBarRequest(const ScrollBar& b, POINT p, WORD& request) {
    if (!PtInRect(&b.box, p)) return false;
    const int at = b.vertical ? p.y - b.box.top : p.x - b.box.left;
    request = at < b.arrow ? SB_LINEUP
        : at >= b.length - b.arrow ? SB_LINEDOWN
        : at < b.thumbStart ? SB_PAGEUP
        : at >= b.thumbStart + b.thumbLength ? SB_PAGEDOWN
        : SB_ENDSCROLL;
    return true;
}

}  // namespace controls
