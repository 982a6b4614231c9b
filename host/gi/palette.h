#pragma once
#include <cstdint>
#include "rx/export.h"

struct AcGiRgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const AcGiRgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Colour of an AutoCAD Color Index 1-255: 1-6 the primaries, 7 white (black on a white
// background), 8 and 9 greys, 10-249 twenty-four hues in five shades, full and half saturated,
// 250-255 a grey ramp. Indices outside 1-255 (by block, by layer) answer colour 7.
CADHOST_API AcGiRgb acgiColorIndexToRgb(int index, bool blackBackground = true);
// The index 1-255 nearest a colour (squared RGB distance; the lowest index on ties).
CADHOST_API int acgiNearestColorIndex(AcGiRgb rgb, bool blackBackground = true);
