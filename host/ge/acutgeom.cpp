#include "ge/acutgeom.h"
#include <cmath>

double acutAngle(const ads_point pt1, const ads_point pt2) {
    constexpr double twoPi = 6.283185307179586476925286766559;
    double a = std::atan2(pt2[Y] - pt1[Y], pt2[X] - pt1[X]);
    if (a < 0) a += twoPi;
    return a >= twoPi ? 0.0 : a;
}

void acutPolar(const ads_point pt, double angle, double dist, ads_point result) {
    double x = pt[X] + dist * std::cos(angle);
    double y = pt[Y] + dist * std::sin(angle);
    result[Z] = pt[Z];
    result[X] = x;
    result[Y] = y;
}

double acutDistance(const ads_point pt1, const ads_point pt2) {
    return std::sqrt((pt2[X] - pt1[X]) * (pt2[X] - pt1[X]) + (pt2[Y] - pt1[Y]) * (pt2[Y] - pt1[Y]) +
                     (pt2[Z] - pt1[Z]) * (pt2[Z] - pt1[Z]));
}
