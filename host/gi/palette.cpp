#include "gi/palette.h"
#include <array>
#include <cmath>

namespace {
uint8_t level(double v) { return static_cast<uint8_t>(std::floor(v * 255.0 + 1e-9)); }

// Hue in degrees, value and saturation in [0, 1].
AcGiRgb hsv(double hue, double value, double saturation) {
    const double top = value, bottom = value * (1.0 - saturation);
    const int sector = static_cast<int>(hue / 60.0) % 6;
    const double f = hue / 60.0 - std::floor(hue / 60.0);
    const double rising = bottom + (top - bottom) * f, falling = top - (top - bottom) * f;
    double r = 0, g = 0, b = 0;
    switch (sector) {
    case 0: r = top; g = rising; b = bottom; break;
    case 1: r = falling; g = top; b = bottom; break;
    case 2: r = bottom; g = top; b = rising; break;
    case 3: r = bottom; g = falling; b = top; break;
    case 4: r = rising; g = bottom; b = top; break;
    default: r = top; g = bottom; b = falling; break;
    }
    return {level(r), level(g), level(b)};
}

std::array<AcGiRgb, 256> buildTable() {
    std::array<AcGiRgb, 256> t{};
    const AcGiRgb primaries[7] = {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 255, 255},
                                  {0, 0, 255}, {255, 0, 255}, {255, 255, 255}};
    for (int i = 1; i <= 7; ++i) t[i] = primaries[i - 1];
    t[8] = {128, 128, 128};
    t[9] = {192, 192, 192};
    // Ten entries per hue, fifteen degrees apart: even entries fully saturated, odd ones half,
    // each pair one shade darker than the one before.
    const double shades[5] = {1.0, 0.8, 0.6, 0.5, 0.3};
    for (int i = 10; i <= 249; ++i) {
        const double hue = (i / 10 - 1) * 15.0;
        const int k = i % 10;
        t[i] = hsv(hue, shades[k / 2], (k % 2) ? 0.5 : 1.0);
    }
    for (int i = 250; i <= 255; ++i) {
        const uint8_t g = level(0.2 + 0.16 * (i - 250));
        t[i] = {g, g, g};
    }
    return t;
}

const std::array<AcGiRgb, 256>& table() {
    static const std::array<AcGiRgb, 256> t = buildTable();
    return t;
}
}  // namespace

AcGiRgb acgiColorIndexToRgb(int index, bool blackBackground) {
    if (index < 1 || index > 255) index = 7;
    if (index == 7 && !blackBackground) return {0, 0, 0};
    return table()[static_cast<size_t>(index)];
}

int acgiNearestColorIndex(AcGiRgb rgb, bool blackBackground) {
    int best = 7;
    long bestDist = -1;
    for (int i = 1; i <= 255; ++i) {
        const AcGiRgb c = acgiColorIndexToRgb(i, blackBackground);
        const long dr = c.r - rgb.r, dg = c.g - rgb.g, db = c.b - rgb.b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}
