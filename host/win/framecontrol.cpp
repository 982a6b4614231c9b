// Frame controls drawn as the classic look draws them.
#include <algorithm>
#include "win/controlsupport.h"
#include "win/wingdi.h"

BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state) {
    if (!dc || !rect || type != DFC_SCROLL || !(state & DFCS_SCROLLSIZEGRIP)) return FALSE;
    controls::fill(dc, *rect, GetSysColor(COLOR_3DFACE));
    // Three ridges across the corner, each a highlight line and two shadow lines.
    const int right = rect->right - 1, bottom = rect->bottom - 1;
    const int side = std::min(rect->right - rect->left, rect->bottom - rect->top);
    for (int ridge = 0; ridge < 3; ++ridge)
        for (int line = 0; line < 3; ++line) {
            const int distance = 4 * ridge + line + 1;
            if (distance >= side) return TRUE;
            const COLORREF color = GetSysColor(line == 0 ? COLOR_3DHILIGHT : COLOR_3DSHADOW);
            for (int t = 0; t <= distance; ++t) SetPixel(dc, right - distance + t, bottom - t, color);
        }
    return TRUE;
}
