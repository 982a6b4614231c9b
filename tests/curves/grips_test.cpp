// Grip and stretch points of the native curves and what moving them does.
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"

namespace {
AcGePoint3dArray grips(const AcDbEntity& e) {
    AcGePoint3dArray pts;
    AcDbIntArray modes, ids;
    EXPECT_EQ(e.getGripPoints(pts, modes, ids), Acad::eOk);
    return pts;
}
AcDbIntArray indices(std::initializer_list<int> list) { return AcDbIntArray(list); }
}  // namespace

TEST(CurveGrips, LineEndsMoveAloneAndTheMidpointMovesTheLine) {
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    AcGePoint3dArray g = grips(line);
    ASSERT_EQ(g.length(), 3);
    expectPoint(g[2], AcGePoint3d(5, 0, 0));
    ASSERT_EQ(line.moveGripPointsAt(indices({1}), AcGeVector3d(0, 5, 0)), Acad::eOk);
    expectPoint(line.startPoint(), AcGePoint3d(0, 0, 0));
    expectPoint(line.endPoint(), AcGePoint3d(10, 5, 0));
    ASSERT_EQ(line.moveGripPointsAt(indices({2, 0}), AcGeVector3d(1, 1, 1)), Acad::eOk);
    expectPoint(line.startPoint(), AcGePoint3d(1, 1, 1));
    expectPoint(line.endPoint(), AcGePoint3d(11, 6, 1));
    // A bad index changes nothing.
    EXPECT_EQ(line.moveGripPointsAt(indices({0, 3}), AcGeVector3d(1, 0, 0)), Acad::eInvalidIndex);
    expectPoint(line.startPoint(), AcGePoint3d(1, 1, 1));

    AcGePoint3dArray s;
    ASSERT_EQ(line.getStretchPoints(s), Acad::eOk);
    EXPECT_EQ(s.length(), 2);
    ASSERT_EQ(line.moveStretchPointsAt(indices({0}), AcGeVector3d(-1, -1, -1)), Acad::eOk);
    expectPoint(line.startPoint(), AcGePoint3d(0, 0, 0));
    expectPoint(line.endPoint(), AcGePoint3d(11, 6, 1));
}

TEST(CurveGrips, CircleQuadrantSetsTheRadiusInItsPlane) {
    AcDbCircle circle(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, 5.0);
    AcGePoint3dArray g = grips(circle);
    ASSERT_EQ(g.length(), 5);
    expectPoint(g[0], AcGePoint3d(1, 2, 0));
    expectPoint(g[1], AcGePoint3d(6, 2, 0));
    expectPoint(g[2], AcGePoint3d(1, 7, 0));
    expectPoint(g[3], AcGePoint3d(-4, 2, 0));
    expectPoint(g[4], AcGePoint3d(1, -3, 0));
    // Out of the plane the drag does not count.
    ASSERT_EQ(circle.moveGripPointsAt(indices({1}), AcGeVector3d(2, 0, 9)), Acad::eOk);
    EXPECT_NEAR(circle.radius(), 7.0, 1e-12);
    expectPoint(circle.center(), AcGePoint3d(1, 2, 0));
    ASSERT_EQ(circle.moveGripPointsAt(indices({0}), AcGeVector3d(1, 1, 0)), Acad::eOk);
    expectPoint(circle.center(), AcGePoint3d(2, 3, 0));
    EXPECT_NEAR(circle.radius(), 7.0, 1e-12);
    // Dragging a quadrant onto the centre would leave no circle.
    EXPECT_EQ(circle.moveGripPointsAt(indices({2}), AcGeVector3d(0, -7, 0)), Acad::eInvalidInput);
    EXPECT_NEAR(circle.radius(), 7.0, 1e-12);
    // Stretch points are the grips.
    ASSERT_EQ(circle.moveStretchPointsAt(indices({3}), AcGeVector3d(-1, 0, 0)), Acad::eOk);
    EXPECT_NEAR(circle.radius(), 8.0, 1e-12);
}

TEST(CurveGrips, ArcMidpointGripBendsThroughTheEnds) {
    AcDbArc arc(AcGePoint3d::kOrigin, 10.0, 0.0, kPi / 2);
    AcGePoint3dArray g = grips(arc);
    ASSERT_EQ(g.length(), 4);
    expectPoint(g[0], AcGePoint3d(10, 0, 0));
    expectPoint(g[1], AcGePoint3d(0, 10, 0));
    expectPoint(g[2], AcGePoint3d(10 * std::cos(kPi / 4), 10 * std::sin(kPi / 4), 0));
    expectPoint(g[3], AcGePoint3d::kOrigin);
    AcGePoint3d newMid = g[2] + AcGeVector3d(1, 1, 0);
    ASSERT_EQ(arc.moveGripPointsAt(indices({2}), AcGeVector3d(1, 1, 0)), Acad::eOk);
    AcGePoint3d s, e;
    arc.getStartPoint(s);
    arc.getEndPoint(e);
    expectPoint(s, AcGePoint3d(10, 0, 0));
    expectPoint(e, AcGePoint3d(0, 10, 0));
    double param;
    EXPECT_EQ(arc.getParamAtPoint(newMid, param), Acad::eOk);
    EXPECT_LT(arc.radius(), 10.0);  // a deeper bow over the same chord
    // The centre grip moves the whole arc.
    double r = arc.radius();
    ASSERT_EQ(arc.moveGripPointsAt(indices({3}), AcGeVector3d(0, 0, 2)), Acad::eOk);
    EXPECT_NEAR(arc.radius(), r, 1e-12);
    arc.getStartPoint(s);
    expectPoint(s, AcGePoint3d(10, 0, 2));
}

TEST(CurveGrips, ArcStretchOfOneEndKeepsTheOtherEndAndTheMidpoint) {
    AcDbArc arc(AcGePoint3d::kOrigin, 10.0, 0.0, kPi / 2);
    AcGePoint3dArray s;
    ASSERT_EQ(arc.getStretchPoints(s), Acad::eOk);
    ASSERT_EQ(s.length(), 3);
    AcGePoint3d mid(10 * std::cos(kPi / 4), 10 * std::sin(kPi / 4), 0);
    ASSERT_EQ(arc.moveStretchPointsAt(indices({0}), AcGeVector3d(0, -5, 0)), Acad::eOk);
    AcGePoint3d a, b;
    arc.getStartPoint(a);
    arc.getEndPoint(b);
    expectPoint(a, AcGePoint3d(10, -5, 0));
    expectPoint(b, AcGePoint3d(0, 10, 0));
    double param;
    EXPECT_EQ(arc.getParamAtPoint(mid, param), Acad::eOk);
    // Both ends stretched: the arc moves.
    double r = arc.radius();
    ASSERT_EQ(arc.moveStretchPointsAt(indices({0, 1}), AcGeVector3d(3, 0, 0)), Acad::eOk);
    EXPECT_NEAR(arc.radius(), r, 1e-9);
    arc.getEndPoint(b);
    expectPoint(b, AcGePoint3d(3, 10, 0));
}

TEST(CurveGrips, PolylineVerticesMoveInThePlane) {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0));
    pl.addVertexAt(1, AcGePoint2d(10, 0), 0.5);
    pl.addVertexAt(2, AcGePoint2d(10, 10));
    pl.setNormal(AcGeVector3d(0, -1, 0));  // plane y = -elevation
    pl.setElevation(2.0);
    AcGePoint3dArray g = grips(pl);
    ASSERT_EQ(g.length(), 3);
    AcGePoint3d p1;
    pl.getPointAt(1, p1);
    expectPoint(g[1], p1);
    EXPECT_NEAR(p1.y, -2.0, 1e-12);
    // The normal's component of the offset is dropped.
    ASSERT_EQ(pl.moveGripPointsAt(indices({1}), AcGeVector3d(1, 7, 0)), Acad::eOk);
    AcGePoint3d moved;
    pl.getPointAt(1, moved);
    expectPoint(moved, p1 + AcGeVector3d(1, 0, 0));
    double bulge;
    pl.getBulgeAt(1, bulge);
    EXPECT_EQ(bulge, 0.5);
    EXPECT_EQ(pl.moveStretchPointsAt(indices({3}), AcGeVector3d(1, 0, 0)), Acad::eInvalidIndex);
}

TEST(CurveGrips, EllipseAxisEndsSetTheAxes) {
    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(10, 0, 0), 0.5);
    AcGePoint3dArray g = grips(el);
    ASSERT_EQ(g.length(), 5);
    expectPoint(g[2], AcGePoint3d(0, 5, 0));
    ASSERT_EQ(el.moveGripPointsAt(indices({1}), AcGeVector3d(2, 0, 0)), Acad::eOk);
    EXPECT_NEAR(el.majorRadius(), 12.0, 1e-12);
    EXPECT_NEAR(el.minorRadius(), 5.0, 1e-12);
    // A minor axis dragged past the major one makes it the major axis.
    ASSERT_EQ(el.moveGripPointsAt(indices({2}), AcGeVector3d(0, 10, 0)), Acad::eOk);
    EXPECT_NEAR(el.majorRadius(), 15.0, 1e-12);
    EXPECT_NEAR(el.minorRadius(), 12.0, 1e-12);
    expectVector(el.majorAxis().normal(), AcGeVector3d(0, 1, 0));
    AcGePoint3d p;
    double param;
    EXPECT_EQ(el.getParamAtPoint(AcGePoint3d(12, 0, 0), param), Acad::eOk);
    EXPECT_EQ(el.getParamAtPoint(AcGePoint3d(0, -15, 0), param), Acad::eOk);
    ASSERT_EQ(el.moveGripPointsAt(indices({0}), AcGeVector3d(1, 1, 0)), Acad::eOk);
    expectPoint(el.center(), AcGePoint3d(1, 1, 0));
}

TEST(CurveGrips, EllipticalArcKeepsItsPointsWhenTheAxesTradePlaces) {
    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(10, 0, 0), 0.5, 0.0, kPi / 2);
    AcGePoint3d s0, e0;
    el.getStartPoint(s0);
    el.getEndPoint(e0);
    // Shrinking the major axis below the minor one: the ends stay on the same axes.
    ASSERT_EQ(el.moveGripPointsAt(indices({1}), AcGeVector3d(-7, 0, 0)), Acad::eOk);
    AcGePoint3d s1, e1;
    el.getStartPoint(s1);
    el.getEndPoint(e1);
    expectPoint(s1, AcGePoint3d(3, 0, 0));
    expectPoint(e1, e0);
    EXPECT_NEAR(el.radiusRatio(), 0.6, 1e-12);
}

TEST(CurveGrips, RayBaseMovesAndSecondPointTurns) {
    AcDbRay ray;
    ray.setBasePoint(AcGePoint3d(1, 1, 0));
    ray.setUnitDir(AcGeVector3d(1, 0, 0));
    AcGePoint3dArray g = grips(ray);
    ASSERT_EQ(g.length(), 2);
    expectPoint(g[1], AcGePoint3d(2, 1, 0));
    ASSERT_EQ(ray.moveGripPointsAt(indices({1}), AcGeVector3d(-1, 1, 0)), Acad::eOk);
    expectVector(ray.unitDir(), AcGeVector3d(0, 1, 0));
    expectPoint(ray.basePoint(), AcGePoint3d(1, 1, 0));
    ASSERT_EQ(ray.moveGripPointsAt(indices({0}), AcGeVector3d(2, 0, 0)), Acad::eOk);
    expectPoint(ray.basePoint(), AcGePoint3d(3, 1, 0));
    EXPECT_EQ(ray.moveGripPointsAt(indices({1}), AcGeVector3d(0, -1, 0)), Acad::eInvalidInput);
}

TEST(CurveGrips, TwoDPolylineOutsideADatabaseMovesItsVertices) {
    AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0), AcGePoint3d(4, 4, 0)};
    AcDb2dPolyline pl(AcDb::k2dSimplePoly, pts, 1.0);
    AcGePoint3dArray g = grips(pl);
    ASSERT_EQ(g.length(), 3);
    expectPoint(g[1], AcGePoint3d(4, 0, 1));
    ASSERT_EQ(pl.moveGripPointsAt(indices({1, 1}), AcGeVector3d(1, 0, 0)), Acad::eOk);
    AcGePoint3d p;
    ASSERT_EQ(pl.getPointAtParam(1.0, p), Acad::eOk);
    expectPoint(p, AcGePoint3d(5, 0, 1));
}
