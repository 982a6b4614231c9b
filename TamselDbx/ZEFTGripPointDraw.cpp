// Glyphs of the grip point: grip squares, arrows and dashed outlines, sized in screen pixels.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "ModuleState.h"
#include "ZEFTGripPoint.h"
#include "ed/sysvar.h"
#include "gi/geometry.h"

namespace {

constexpr double kPi = 3.1415926535898;

double degToRad(double degrees) { return degrees * kPi / 180.0; }

// Angle from one point to another in the XY plane.
double angleTo(const AcGePoint3d& from, const AcGePoint3d& to) { return std::atan2(to.y - from.y, to.x - from.x); }

AcGePoint3d polar(const AcGePoint3d& base, double angle, double distance) {
    return AcGePoint3d(base.x + distance * std::cos(angle), base.y + distance * std::sin(angle), base.z);
}

// The point at a distance from a towards b.
AcGePoint3d along(const AcGePoint3d& a, const AcGePoint3d& b, double distance) {
    const double length = a.distanceTo(b);
    if (length <= 0.0) return a;
    const double f = distance / length;
    return AcGePoint3d(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f);
}

void polyline(AcGiViewportDraw* draw, const AcGePoint3d* points, Adesk::UInt32 count) {
    draw->geometry().polyline(count, points, nullptr, -1);
}

}  // namespace

Adesk::Boolean ZEFTGripPoint::worldDraw(AcGiWorldDraw*) {
    assertReadEnabled();
    return Adesk::kFalse;  // everything is viewport dependent
}

void ZEFTGripPoint::saveAs(AcGiWorldDraw*, AcDb::SaveType) { assertReadEnabled(); }

void ZEFTGripPoint::viewportDraw(AcGiViewportDraw* draw) {
    assertReadEnabled();
    if (!draw) return;
    resbuf rb;
    if (acedGetVar("CMDNAMES", &rb) != RTNORM) return;
    bool wblock = false;
    if (rb.restype == RTSTR) {
        wblock = rb.resval.rstring && std::strcmp(rb.resval.rstring, "WBLOCK") == 0;
        std::free(rb.resval.rstring);
    }
    if (wblock || m_TabIndex < 2) return;
    if (acedGetVar("SCREENSIZE", &rb) != RTNORM) return;
    if (rb.restype == RTSTR) {
        std::free(rb.resval.rstring);
        return;
    }
    const double screenWidth = rb.resval.rpoint[0];
    if (!(screenWidth > 0.0)) return;

    // The display corners come in pixels here; the pixel density turns them into drawing units.
    AcGePoint2d lowerLeft, upperRight;
    draw->viewport().getViewportDcCorners(lowerLeft, upperRight);
    double width = upperRight.x - lowerLeft.x;
    AcGePoint2d density;
    draw->viewport().getNumPixelsInUnitSquare(m_position, density);
    if (density.x > 0.0) width /= density.x;
    double s = width / screenWidth;
    if (!(s > 0.0) || !std::isfinite(s)) return;

    AcGePoint3d position = m_position;
    if (m_gripType < 4) {
        DrawGrip(draw, position, s);
        if (m_gripType != 2 && m_gripType != 3) {
            if (m_topBottom == 1) DrawUpDownArrows(draw, s, position);
            if (m_leftRight == 1) DrawLeftRightArrows(draw, s, position);
        }
    }
    const int subCount = subPoints.length();
    AcGePoint3d sub[3];
    for (int i = 0; i < 3 && i < subCount; ++i) sub[i] = subPoints[i];
    switch (m_gripType) {
    case 0:
        DrawRotatingArrow(draw, s, position);
        break;
    case 1:
        DrawStretchCrossing(draw, s, 0);
        break;
    case 2:
        DrawRadiusRotatingArrow(draw, s, position);
        break;
    case 3:
        DrawRadiusRotatingArrow(draw, s, position);
        DrawStretchCrossing(draw, s, 0);
        break;
    case 4:
        if (subCount >= 2) {
            if (m_topBottom == 1) {
                DrawUpDownArrows(draw, s, sub[0]);
                DrawUpDownArrows(draw, s, sub[1]);
                DrawLeftRightArrows(draw, s, sub[0]);
                DrawLeftRightArrows(draw, s, sub[1]);
            } else {
                DrawDirectionalArrows(draw, s, sub[0], sub[1]);
                DrawDirectionalArrows(draw, s, sub[1], sub[0]);
            }
            DrawGrip(draw, sub[0], s);
            DrawGrip(draw, sub[1], s);
        }
        DrawStretchCrossing(draw, s, 0);
        DrawStretchCrossing(draw, s, 1);
        break;
    case 5:
        if (subCount >= 3) {
            DrawUpDownArrows(draw, s, sub[0]);
            DrawUpDownArrows(draw, s, sub[1]);
            DrawLeftRightArrows(draw, s, sub[1]);
            DrawLeftRightArrows(draw, s, sub[2]);
            DrawGrip(draw, sub[0], s);
            DrawGrip(draw, sub[1], s);
            DrawGrip(draw, sub[2], s);
        }
        DrawStretchCrossing(draw, s, 0);
        DrawStretchCrossing(draw, s, 1);
        break;
    default:
        break;
    }
}

void ZEFTGripPoint::DrawGrip(AcGiViewportDraw* draw, AcGePoint3d& point, double& s) {
    draw->subEntityTraits().setColor(5);
    const double x = point.x, y = point.y, z = point.z, h = 3.0 * s;
    const AcGePoint3d square[5] = {{x - h, y - h, z}, {x + h, y - h, z}, {x + h, y + h, z}, {x - h, y + h, z},
                                   {x - h, y - h, z}};
    polyline(draw, square, 5);
}

void ZEFTGripPoint::DrawUpDownArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& point) {
    draw->subEntityTraits().setColor(2);
    const double x = point.x, y = point.y, z = point.z;
    for (double d : {1.0, -1.0}) {
        const AcGePoint3d arrow[5] = {{x, y + d * 6 * s, z},
                                      {x, y + d * 18 * s, z},
                                      {x - s, y + d * 14 * s, z},
                                      {x + s, y + d * 14 * s, z},
                                      {x, y + d * 18 * s, z}};
        polyline(draw, arrow, 5);
    }
}

void ZEFTGripPoint::DrawLeftRightArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& point) {
    draw->subEntityTraits().setColor(2);
    const double x = point.x, y = point.y, z = point.z;
    for (double d : {1.0, -1.0}) {
        const AcGePoint3d arrow[5] = {{x + d * 6 * s, y, z},
                                      {x + d * 18 * s, y, z},
                                      {x + d * 14 * s, y - s, z},
                                      {x + d * 14 * s, y + s, z},
                                      {x + d * 18 * s, y, z}};
        polyline(draw, arrow, 5);
    }
}

void ZEFTGripPoint::DrawMultiDirectionArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& point) {
    DrawLeftRightArrows(draw, s, point);
    DrawUpDownArrows(draw, s, point);
}

void ZEFTGripPoint::DrawSingleArrow(AcGiViewportDraw* draw, double& s, AcGePoint3d& tip, double angle) {
    const AcGePoint3d head[4] = {tip, polar(tip, angle + degToRad(15.0), 4 * s),
                                 polar(tip, angle - degToRad(15.0), 4 * s), tip};
    polyline(draw, head, 4);
}

void ZEFTGripPoint::DrawDirectionalArrows(AcGiViewportDraw* draw, double& s, AcGePoint3d& from, AcGePoint3d& at) {
    draw->subEntityTraits().setColor(2);
    const double t = angleTo(from, at);
    for (double d : {1.0, -1.0}) {
        const AcGePoint3d tip = polar(at, t, d * 18 * s);
        const AcGePoint3d arrow[5] = {polar(at, t, d * 6 * s), tip,
                                      polar(tip, t + degToRad(180.0 + 15.0), d * 4 * s),
                                      polar(tip, t + degToRad(180.0 - 15.0), d * 4 * s), tip};
        polyline(draw, arrow, 5);
    }
}

void ZEFTGripPoint::DrawRotatingArrow(AcGiViewportDraw* draw, double& s, AcGePoint3d& point) {
    draw->subEntityTraits().setColor(2);
    const double x = point.x, y = point.y, z = point.z;
    draw->geometry().circularArc(AcGePoint3d(x + 9 * s, y, z), AcGePoint3d(x, y + 9 * s, z),
                                 AcGePoint3d(x, y - 9 * s, z), AcGiArcType::kAcGiArcSimple);
    const AcGePoint3d endHead[4] = {
        {x, y - 9 * s, z}, {x - 3.85 * s, y - 9 * s, z}, {x - 3.5 * s, y - 7 * s, z}, {x, y - 9 * s, z}};
    polyline(draw, endHead, 4);
    const AcGePoint3d startHead[4] = {
        {x + 9 * s, y, z}, {x + 9 * s, y + 3.85 * s, z}, {x + 7 * s, y + 3.5 * s, z}, {x + 9 * s, y, z}};
    polyline(draw, startHead, 4);
}

void ZEFTGripPoint::DrawRadiusRotatingArrow(AcGiViewportDraw* draw, double& s, AcGePoint3d& point) {
    draw->subEntityTraits().setColor(2);
    AcGePoint3d center = m_centerOfRadius;
    if (m_topBottom == 1) DrawDirectionalArrows(draw, s, center, point);
    const double t = angleTo(center, point);
    AcGePoint3d start = polar(point, t - degToRad(90.0), 15 * s);
    AcGePoint3d end = polar(point, t + degToRad(90.0), 15 * s);
    draw->geometry().circularArc(start, polar(point, t, 8 * s), end, AcGiArcType::kAcGiArcSimple);
    DrawSingleArrow(draw, s, start, t + degToRad(40.0));
    DrawSingleArrow(draw, s, end, t - degToRad(40.0));
}

void ZEFTGripPoint::DrawStretchCrossing(AcGiViewportDraw* draw, double& s, int list) {
    if (list != 0 && list != 1) return;
    const AcGePoint3dArray& outline = pointLists[list];
    const int n = outline.length();
    if (n < 2) return;
    for (int i = 0; i < n; ++i) {
        AcGePoint3d a = outline[i];
        AcGePoint3d b = outline[(i + 1) % n];
        DrawDashedLine(draw, s, a, b);
    }
}

// Dashes of 2s with gaps of 3s from start; the last dash ends at end.
void ZEFTGripPoint::DrawDashedLine(AcGiViewportDraw* draw, double& s, AcGePoint3d& start, AcGePoint3d& end) {
    draw->subEntityTraits().setColor(0);
    if (!(s > 0.0)) return;
    const double length = start.distanceTo(end);
    const double pieces = std::floor(length / s);
    AcGePoint3d k = start;
    double run = 0.0;
    for (double i = 0; i < pieces; ++i) {
        if (std::fmod(i, 2.0) == 0.0) {
            run += 2 * s;
            if (run >= length) {
                const AcGePoint3d dash[2] = {k, end};
                polyline(draw, dash, 2);
                return;
            }
            const AcGePoint3d m = along(k, end, 2 * s);
            const AcGePoint3d dash[2] = {k, m};
            polyline(draw, dash, 2);
            k = m;
        } else {
            run += 3 * s;
            if (run >= length) return;  // the gap reaches the end: no piece beyond it
            k = along(k, end, 3 * s);
        }
    }
}
