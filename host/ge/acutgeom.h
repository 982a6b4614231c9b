#pragma once
#include "rx/ads.h"

// Angle of the line from pt1 to pt2 in the XY plane, from the X axis, in [0, 2 pi).
CADHOST_API double acutAngle(const ads_point pt1, const ads_point pt2);
// The point at a distance and angle from pt in the XY plane, with pt's z.
CADHOST_API void acutPolar(const ads_point pt, double angle, double dist, ads_point result);
CADHOST_API double acutDistance(const ads_point pt1, const ads_point pt2);
