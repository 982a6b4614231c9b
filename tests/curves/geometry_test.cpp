// Curve queries: parameters, points, derivatives, distances, areas, closest points, extents.
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"

namespace {
// Derivatives against central differences of getPointAtParam, and the point's way back.
void checkConsistency(const AcDbCurve& c, double t) {
    SCOPED_TRACE(t);
    AcGePoint3d p, a, b;
    ASSERT_EQ(c.getPointAtParam(t, p), Acad::eOk);
    double back;
    ASSERT_EQ(c.getParamAtPoint(p, back), Acad::eOk);
    AcGePoint3d q;
    c.getPointAtParam(back, q);
    expectPoint(q, p, 1e-9);
    const double h = 1e-5;
    ASSERT_EQ(c.getPointAtParam(t - h, a), Acad::eOk);
    ASSERT_EQ(c.getPointAtParam(t + h, b), Acad::eOk);
    AcGeVector3d d1, d2;
    ASSERT_EQ(c.getFirstDeriv(t, d1), Acad::eOk);
    ASSERT_EQ(c.getSecondDeriv(t, d2), Acad::eOk);
    expectVector(d1, (b - a) / (2 * h), 1e-6);
    expectVector(d2, (b.asVector() - p.asVector() * 2.0 + a.asVector()) / (h * h), 1e-3);
}

AcDbPolyline* bulgedSquare() {
    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(0, 0));
    pl->addVertexAt(1, AcGePoint2d(10, 0), 0.5);
    pl->addVertexAt(2, AcGePoint2d(10, 10));
    pl->addVertexAt(3, AcGePoint2d(0, 10), -0.25);
    pl->setClosed(true);
    return pl;
}
}  // namespace

TEST(CurveGeometry, ParametersPointsAndDerivativesAgree) {
    AcDbLine line(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 6, 3));
    for (double t : {0.5, 2.5}) checkConsistency(line, t);
    AcDbCircle circle(AcGePoint3d(1, 1, 1), AcGeVector3d(1, 2, 3), 4.0);
    for (double t : {0.1, 3.0, 6.0}) checkConsistency(circle, t);
    AcDbArc arc(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 1), 3.0, 5.5, 1.0);  // crosses angle 0
    for (double t : {5.6, 6.2, 7.0}) checkConsistency(arc, t);
    AcDbEllipse el(AcGePoint3d(2, 0, 0), AcGeVector3d(0, 0, 1), AcGeVector3d(0, 5, 0), 0.4);
    for (double t : {0.2, 1.6, 4.0}) checkConsistency(el, t);
    std::unique_ptr<AcDbPolyline> pl(bulgedSquare());
    pl->setNormal(AcGeVector3d(1, 1, 1));
    pl->setElevation(-2.0);
    for (double t : {0.25, 1.5, 2.5, 3.75}) checkConsistency(*pl, t);
}

TEST(CurveGeometry, ParameterRangesAndOffCurvePoints) {
    AcDbArc arc(AcGePoint3d::kOrigin, 2.0, 3 * kPi / 2, kPi / 2);
    double s, e;
    arc.getStartParam(s);
    arc.getEndParam(e);
    EXPECT_NEAR(s, 3 * kPi / 2, 1e-15);
    EXPECT_NEAR(e, 5 * kPi / 2, 1e-15);
    double param;
    ASSERT_EQ(arc.getParamAtPoint(AcGePoint3d(2, 0, 0), param), Acad::eOk);
    EXPECT_NEAR(param, 2 * kPi, 1e-12);
    // Angles a turn away name the same point.
    AcGePoint3d p;
    ASSERT_EQ(arc.getPointAtParam(kPi / 4, p), Acad::eOk);
    expectPoint(p, AcGePoint3d(std::sqrt(2.0), std::sqrt(2.0), 0));
    EXPECT_EQ(arc.getPointAtParam(kPi, p), Acad::eInvalidInput);
    EXPECT_EQ(arc.getParamAtPoint(AcGePoint3d(-2, 0, 0), param), Acad::eInvalidInput);
    EXPECT_EQ(arc.getParamAtPoint(AcGePoint3d(2 + 1e-6, 0, 0), param), Acad::eInvalidInput);
    EXPECT_EQ(arc.getParamAtPoint(AcGePoint3d(2, 0, 1e-6), param), Acad::eInvalidInput);

    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0));
    line.getEndParam(e);
    EXPECT_DOUBLE_EQ(e, 5.0);
    EXPECT_EQ(line.getParamAtPoint(AcGePoint3d(6, 8, 0), param), Acad::eInvalidInput);
    EXPECT_EQ(line.getPointAtParam(5.1, p), Acad::eInvalidInput);
    AcDb::Planarity planarity;
    AcGePlane plane;
    ASSERT_EQ(line.getPlane(plane, planarity), Acad::eOk);
    EXPECT_EQ(planarity, AcDb::kLinear);
    EXPECT_TRUE(plane.isOn(AcGePoint3d(3, 4, 0)));

    AcDbRay ray;
    ray.setUnitDir(AcGeVector3d(0, 1, 0));
    EXPECT_EQ(ray.getEndParam(e), Acad::eNotApplicable);
    ASSERT_EQ(ray.getParamAtPoint(AcGePoint3d(0, 1e6, 0), param), Acad::eOk);
    EXPECT_NEAR(param, 1e6, 1e-6);
    EXPECT_EQ(ray.getParamAtPoint(AcGePoint3d(0, -1, 0), param), Acad::eInvalidInput);

    std::unique_ptr<AcDbPolyline> pl(bulgedSquare());
    pl->getEndParam(e);
    EXPECT_EQ(e, 4.0);
    ASSERT_EQ(pl->getParamAtPoint(AcGePoint3d(0, 0, 0), param), Acad::eOk);
    EXPECT_EQ(param, 0.0);
    EXPECT_EQ(pl->getPointAtParam(4.5, p), Acad::eInvalidInput);
    ASSERT_EQ(pl->getPlane(plane, planarity), Acad::eOk);
    EXPECT_EQ(planarity, AcDb::kPlanar);
}

TEST(CurveGeometry, DistancesAndAreas) {
    AcDbArc arc(AcGePoint3d::kOrigin, 2.0, 0.0, kPi);
    double d, area, param;
    ASSERT_EQ(arc.getDistAtParam(kPi / 2, d), Acad::eOk);
    EXPECT_NEAR(d, kPi, 1e-12);
    ASSERT_EQ(arc.getParamAtDist(kPi, param), Acad::eOk);
    EXPECT_NEAR(param, kPi / 2, 1e-12);
    arc.getArea(area);
    EXPECT_NEAR(area, 2 * kPi, 1e-12);  // half disc

    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(2, 0, 0), 1.0);
    ASSERT_EQ(el.getDistAtParam(kPi, d), Acad::eOk);
    EXPECT_NEAR(d, 2 * kPi, 1e-9);
    AcDbEllipse flat(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(5, 0, 0), 0.6);
    flat.getArea(area);
    EXPECT_NEAR(area, kPi * 5 * 3, 1e-9);
    double total;
    flat.getDistAtParam(2 * kPi, total);
    EXPECT_NEAR(total, 25.526998863398, 1e-8);  // perimeter of the 5 x 3 ellipse
    ASSERT_EQ(flat.getParamAtDist(total / 4, param), Acad::eOk);
    EXPECT_NEAR(param, kPi / 2, 1e-9);

    // A square with semicircles bulging out of two sides, then one bulging into it.
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0));
    pl.addVertexAt(1, AcGePoint2d(10, 0), 1.0);
    pl.addVertexAt(2, AcGePoint2d(10, 10));
    pl.addVertexAt(3, AcGePoint2d(0, 10), 1.0);
    pl.setClosed(true);
    pl.getArea(area);
    EXPECT_NEAR(area, 100.0 + 25 * kPi, 1e-9);
    ASSERT_EQ(pl.setBulgeAt(3, -1.0), Acad::eOk);
    pl.getArea(area);
    EXPECT_NEAR(area, 100.0, 1e-9);  // the two half discs cancel
    pl.getDistAtParam(2.0, d);
    EXPECT_NEAR(d, 10 + 5 * kPi, 1e-9);
    ASSERT_EQ(pl.getParamAtDist(10 + 5 * kPi + 5, param), Acad::eOk);
    EXPECT_NEAR(param, 2.5, 1e-12);
}

TEST(CurveGeometry, ClosestPointsWithAndWithoutExtension) {
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    AcGePoint3d c;
    line.getClosestPointTo(AcGePoint3d(-5, 3, 0), c);
    expectPoint(c, AcGePoint3d(0, 0, 0));
    line.getClosestPointTo(AcGePoint3d(-5, 3, 0), c, true);
    expectPoint(c, AcGePoint3d(-5, 0, 0));

    AcDbArc arc(AcGePoint3d::kOrigin, 1.0, 0.0, kPi / 2);
    arc.getClosestPointTo(AcGePoint3d(3, -5, 0), c);
    expectPoint(c, AcGePoint3d(1, 0, 0));
    arc.getClosestPointTo(AcGePoint3d(-3, 0, 5), c, true);
    expectPoint(c, AcGePoint3d(-1, 0, 0));

    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5);
    el.getClosestPointTo(AcGePoint3d(0, 7, 0), c);
    expectPoint(c, AcGePoint3d(0, 2, 0), 1e-9);
    el.getClosestPointTo(AcGePoint3d(6, 0.01, 0), c);
    EXPECT_NEAR(c.x, 4.0, 1e-4);

    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);  // semicircle below the chord to (2, 0)
    pl.addVertexAt(1, AcGePoint2d(2, 0));
    pl.getClosestPointTo(AcGePoint3d(1, -5, 0), c);
    expectPoint(c, AcGePoint3d(1, -1, 0));
}

TEST(CurveGeometry, ArcExtentsIncludeTheQuadrantsInsideTheSweep) {
    AcDbArc arc(AcGePoint3d(1, 1, 0), 2.0, kPi / 4, 3 * kPi / 4);
    AcDbExtents ext;
    ASSERT_EQ(arc.getGeomExtents(ext), Acad::eOk);
    expectPoint(ext.maxPoint(), AcGePoint3d(1 + std::sqrt(2.0), 3, 0));
    expectPoint(ext.minPoint(), AcGePoint3d(1 - std::sqrt(2.0), 1 + std::sqrt(2.0), 0));
    // Through angle 0 and 90 degrees: the right and top quadrants count.
    AcDbArc wrap(AcGePoint3d::kOrigin, 1.0, 7 * kPi / 4, 3 * kPi / 4);
    ASSERT_EQ(wrap.getGeomExtents(ext), Acad::eOk);
    expectPoint(ext.maxPoint(), AcGePoint3d(1, 1, 0));
    expectPoint(ext.minPoint(), AcGePoint3d(-std::sqrt(0.5), -std::sqrt(0.5), 0));
    // A tilted circle: each axis reaches r times the sine of its angle to the normal.
    AcDbCircle tilted(AcGePoint3d::kOrigin, AcGeVector3d(0, 1, 1), 1.0);
    ASSERT_EQ(tilted.getGeomExtents(ext), Acad::eOk);
    expectPoint(ext.maxPoint(), AcGePoint3d(1, std::sqrt(0.5), std::sqrt(0.5)));
    // A thick arc reaches up by its thickness.
    arc.setThickness(5.0);
    ASSERT_EQ(arc.getGeomExtents(ext), Acad::eOk);
    EXPECT_NEAR(ext.maxPoint().z, 5.0, 1e-12);
}

TEST(CurveGeometry, EllipseAndPolylineExtentsAreExact) {
    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(3, 4, 0), 0.5);
    AcDbExtents ext;
    ASSERT_EQ(el.getGeomExtents(ext), Acad::eOk);
    // x(t) = 3 cos t - 2 sin t: its extreme is sqrt(13).
    EXPECT_NEAR(ext.maxPoint().x, std::sqrt(13.0), 1e-12);
    EXPECT_NEAR(ext.maxPoint().y, std::sqrt(16.0 + 2.25), 1e-12);

    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);
    pl.addVertexAt(1, AcGePoint2d(2, 0));
    ASSERT_EQ(pl.getGeomExtents(ext), Acad::eOk);
    expectPoint(ext.minPoint(), AcGePoint3d(0, -1, 0));
    expectPoint(ext.maxPoint(), AcGePoint3d(2, 0, 0));
}

TEST(CurveGeometry, TwoDPolylineBuiltFromPointsWorksOutsideADatabase) {
    AcGePoint3dArray pts{AcGePoint3d(0, 0, 9), AcGePoint3d(4, 0, 9), AcGePoint3d(4, 4, 9), AcGePoint3d(0, 4, 9)};
    AcGeDoubleArray bulges{0.0, 1.0};
    AcDb2dPolyline pl(AcDb::k2dSimplePoly, pts, 2.0, true, 0.25, 0.5, &bulges);
    EXPECT_EQ(pl.polyType(), AcDb::k2dSimplePoly);
    EXPECT_TRUE(pl.isClosed());
    EXPECT_EQ(pl.numVerts(), 4);
    double e, area;
    pl.getEndParam(e);
    EXPECT_EQ(e, 4.0);
    pl.getArea(area);
    EXPECT_NEAR(area, 16 + 2 * kPi, 1e-9);
    AcGePoint3d p;
    pl.getPointAtParam(1.5, p);
    expectPoint(p, AcGePoint3d(6, 2, 2));
    checkConsistency(pl, 1.5);
    checkConsistency(pl, 3.2);
    EXPECT_EQ(pl.setPolyType(AcDb::k2dCubicSplinePoly), Acad::eOk);
    EXPECT_EQ(pl.polyType(), AcDb::k2dCubicSplinePoly);
    ASSERT_EQ(pl.makeOpen(), Acad::eOk);
    pl.getEndParam(e);
    EXPECT_EQ(e, 3.0);
}
