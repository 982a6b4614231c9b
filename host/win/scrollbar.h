#pragma once
// Scroll bars that controls draw in their own client area: arrows at the ends and a thumb
// between them whose size and place follow the part of the contents in view.
#include "win/winuser.h"

namespace controls {

struct ScrollBar {
    RECT box{};
    bool vertical = true;
    int length = 0, arrow = 0, thumbStart = 0, thumbLength = 0;  // along the bar, from its start
};

// The bar in a box for contents of a total size of which visible units are in view from position.
ScrollBar scrollBar(RECT box, bool vertical, int total, int visible, int position);
void paintScrollBar(HDC dc, const ScrollBar& bar);
// The request of a click at a point of the bar (SB_ENDSCROLL on the thumb); false when the point
// is not on it.
bool scrollBarRequest(const ScrollBar& bar, POINT p, WORD& request);

}  // namespace controls
