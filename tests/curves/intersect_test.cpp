// Intersections between the native curves, and the point-in-outline use of them.
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"

namespace {
AcGePoint3dArray hits(const AcDbEntity& a, const AcDbEntity& b, AcDb::Intersect type = AcDb::kOnBothOperands) {
    AcGePoint3dArray pts;
    EXPECT_EQ(a.intersectWith(&b, type, pts), Acad::eOk);
    return pts;
}

bool contains(const AcGePoint3dArray& pts, const AcGePoint3d& p, double tol = 1e-9) {
    for (const AcGePoint3d& q : pts)
        if (q.distanceTo(p) <= tol) return true;
    return false;
}

AcDbRay ray(const AcGePoint3d& base, const AcGeVector3d& dir) {
    AcDbRay r;
    r.setBasePoint(base);
    r.setUnitDir(dir);
    return r;
}

// A 10 x 10 square whose right side bulges out into a half circle reaching x = 15.
AcDbPolyline bulgedSquare() {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0));
    pl.addVertexAt(1, AcGePoint2d(10, 0), 1.0);
    pl.addVertexAt(2, AcGePoint2d(10, 10));
    pl.addVertexAt(3, AcGePoint2d(0, 10));
    pl.setClosed(true);
    return pl;
}
}  // namespace

TEST(CurveIntersect, LineTouchingACircleGivesOnePoint) {
    AcDbCircle circle(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, 1.0);
    AcDbLine tangent(AcGePoint3d(-2, 1, 0), AcGePoint3d(2, 1, 0));
    AcGePoint3dArray pts = hits(tangent, circle);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(0, 1, 0));
    // Both ways round.
    pts = hits(circle, tangent);
    ASSERT_EQ(pts.length(), 1);
    double param;
    EXPECT_EQ(circle.getParamAtPoint(pts[0], param), Acad::eOk);
    EXPECT_NEAR(param, kPi / 2, 1e-12);

    AcDbLine above(AcGePoint3d(-2, 1 + 1e-7, 0), AcGePoint3d(2, 1 + 1e-7, 0));
    EXPECT_EQ(hits(above, circle).length(), 0);
    AcDbLine secant(AcGePoint3d(-2, 0.5, 0), AcGePoint3d(2, 0.5, 0));
    pts = hits(secant, circle);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(std::sqrt(0.75), 0.5, 0)));

    AcDbArc upper(AcGePoint3d::kOrigin, 1.0, 0.0, kPi);
    EXPECT_EQ(hits(tangent, upper).length(), 1);
    AcDbArc lower(AcGePoint3d::kOrigin, 1.0, kPi, 0.0);
    EXPECT_EQ(hits(tangent, lower).length(), 0);
    EXPECT_EQ(hits(secant, lower).length(), 0);
}

TEST(CurveIntersect, ExtendModesReachBeyondTheEnds) {
    AcDbCircle circle(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, 1.0);
    AcDbLine shortLine(AcGePoint3d(2, 0, 0), AcGePoint3d(3, 0, 0));
    EXPECT_EQ(hits(shortLine, circle).length(), 0);
    AcGePoint3dArray pts = hits(shortLine, circle, AcDb::kExtendThis);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(-1, 0, 0)));
    EXPECT_EQ(hits(shortLine, circle, AcDb::kExtendArg).length(), 0);
    EXPECT_EQ(hits(circle, shortLine, AcDb::kExtendArg).length(), 2);

    AcDbArc quarter(AcGePoint3d::kOrigin, 1.0, 0.0, kPi / 2);
    AcDbLine vertical(AcGePoint3d(-0.5, -2, 0), AcGePoint3d(-0.5, 2, 0));
    EXPECT_EQ(hits(quarter, vertical).length(), 0);
    pts = hits(quarter, vertical, AcDb::kExtendThis);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(-0.5, std::sqrt(0.75), 0)));

    // A ray is infinite one way; extended it is a whole line.
    AcDbRay r = ray(AcGePoint3d(2, 0, 0), AcGeVector3d(1, 0, 0));
    EXPECT_EQ(hits(r, circle).length(), 0);
    EXPECT_EQ(hits(r, circle, AcDb::kExtendThis).length(), 2);
    AcDbRay toward = ray(AcGePoint3d(2, 0, 0), AcGeVector3d(-1, 0, 0));
    EXPECT_EQ(hits(toward, circle).length(), 2);

    AcDbLine a(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)), b(AcGePoint3d(3, 0, 0), AcGePoint3d(4, -1, 0));
    EXPECT_EQ(hits(a, b).length(), 0);
    pts = hits(a, b, AcDb::kExtendBoth);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(1.5, 1.5, 0));
}

TEST(CurveIntersect, CirclesAndArcsInAndAcrossPlanes) {
    AcDbCircle a(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, 5.0), b(AcGePoint3d(8, 0, 0), AcGeVector3d::kZAxis, 5.0);
    AcGePoint3dArray pts = hits(a, b);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(4, 3, 0)));
    EXPECT_TRUE(contains(pts, AcGePoint3d(4, -3, 0)));
    AcDbCircle touching(AcGePoint3d(10, 0, 0), AcGeVector3d::kZAxis, 5.0);
    pts = hits(a, touching);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(5, 0, 0));
    AcDbCircle inside(AcGePoint3d(2, 0, 0), AcGeVector3d::kZAxis, 3.0);
    pts = hits(a, inside);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(5, 0, 0));
    EXPECT_EQ(hits(a, a).length(), 0);  // the same circle: no isolated points

    AcDbCircle upright(AcGePoint3d::kOrigin, AcGeVector3d::kYAxis, 5.0);
    pts = hits(a, upright);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(-5, 0, 0)));
    AcDbArc half(AcGePoint3d::kOrigin, AcGeVector3d::kYAxis, 5.0, 0.0, kPi);
    pts = hits(a, half);
    EXPECT_EQ(pts.length(), 2);  // both ends of the half circle are on a
}

TEST(CurveIntersect, RayCastFromInsideAClosedPolylineWithABulge) {
    AcDbPolyline pl = bulgedSquare();
    AcGePoint3d inside(5, 5, 0);
    for (int k = 0; k < 24; ++k) {
        double a = 0.1 + k * kPi / 12;
        SCOPED_TRACE(a);
        AcDbRay r = ray(inside, AcGeVector3d(std::cos(a), std::sin(a), 0));
        AcGePoint3dArray pts = hits(pl, r);
        ASSERT_EQ(pts.length(), 1);
        double param;
        ASSERT_EQ(pl.getParamAtPoint(pts[0], param), Acad::eOk);
        AcGePoint3d back;
        pl.getPointAtParam(param, back);
        expectPoint(back, pts[0]);
        AcGeVector3d d1, d2;
        ASSERT_EQ(pl.getFirstDeriv(param, d1), Acad::eOk);
        ASSERT_EQ(pl.getSecondDeriv(param, d2), Acad::eOk);
        // The boundary runs counter-clockwise: the ray leaves to the right of its direction.
        EXPECT_GT(r.unitDir().crossProduct(d1).z, 0.0);
        if (param > 1.0 && param < 2.0) {
            // On the half circle: the second derivative points at its centre.
            AcGeVector3d toCentre = AcGePoint3d(10, 5, 0) - pts[0];
            EXPECT_NEAR(d2.normal().dotProduct(toCentre.normal()), 1.0, 1e-9);
            EXPECT_NEAR(d1.dotProduct(toCentre), 0.0, 1e-9);
        } else {
            expectVector(d2, AcGeVector3d(0, 0, 0));
        }
    }
    // From outside the crossings come in pairs.
    AcDbRay across = ray(AcGePoint3d(-5, 5, 0), AcGeVector3d(1, 0, 0));
    AcGePoint3dArray pts = hits(across, pl);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(0, 5, 0)));
    EXPECT_TRUE(contains(pts, AcGePoint3d(15, 5, 0)));
}

TEST(CurveIntersect, RayAgainstTheBulgeOfATwoDPolylineAndACircle) {
    AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(10, 10, 0), AcGePoint3d(0, 10, 0)};
    AcGeDoubleArray bulges{0.0, 0.5, 0.0, 0.0};
    AcDb2dPolyline pl(AcDb::k2dSimplePoly, pts, 0.0, true, 0.0, 0.0, &bulges);
    AcDbRay r = ray(AcGePoint3d(5, 5.3, 0), AcGeVector3d(1, 0.1, 0).normal());
    AcGePoint3dArray found = hits(r, pl);
    ASSERT_EQ(found.length(), 1);
    double param;
    ASSERT_EQ(pl.getParamAtPoint(found[0], param), Acad::eOk);
    EXPECT_GT(param, 1.0);
    EXPECT_LT(param, 2.0);

    AcDbCircle circle(AcGePoint3d(3, 4, 0), AcGeVector3d::kZAxis, 2.5);
    for (double a : {0.3, 1.9, 4.4}) {
        AcDbRay out = ray(AcGePoint3d(3.5, 4.2, 0), AcGeVector3d(std::cos(a), std::sin(a), 0));
        found = hits(circle, out);
        ASSERT_EQ(found.length(), 1);
        ASSERT_EQ(circle.getParamAtPoint(found[0], param), Acad::eOk);
        AcGeVector3d d1, d2;
        circle.getFirstDeriv(param, d1);
        circle.getSecondDeriv(param, d2);
        EXPECT_NEAR(d1.length(), 2.5, 1e-12);
        expectPoint(AcGePoint3d(3, 4, 0) - d2, found[0], 1e-9);
    }
}

TEST(CurveIntersect, EllipsesMeetLinesAndCirclesOnTheCurve) {
    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5);
    AcDbLine line(AcGePoint3d(2, -5, 0), AcGePoint3d(2, 5, 0));
    AcGePoint3dArray pts = hits(el, line);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(2, std::sqrt(3.0), 0)));
    double param;
    for (const AcGePoint3d& p : pts) EXPECT_EQ(el.getParamAtPoint(p, param), Acad::eOk);
    // A tangent line.
    AcDbLine top(AcGePoint3d(-5, 2, 0), AcGePoint3d(5, 2, 0));
    pts = hits(top, el);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(0, 2, 0));

    AcDbCircle circle(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, 3.0);
    pts = hits(circle, el);
    ASSERT_EQ(pts.length(), 4);
    double x = std::sqrt(20.0 / 3.0), y = std::sqrt(7.0 / 3.0);
    EXPECT_TRUE(contains(pts, AcGePoint3d(x, y, 0), 1e-9));
    EXPECT_TRUE(contains(pts, AcGePoint3d(-x, -y, 0), 1e-9));
    for (const AcGePoint3d& p : pts) {
        EXPECT_EQ(el.getParamAtPoint(p, param), Acad::eOk);
        EXPECT_EQ(circle.getParamAtPoint(p, param), Acad::eOk);
    }
    // Two ellipses crossed at right angles.
    AcDbEllipse other(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(0, 4, 0), 0.5);
    pts = hits(el, other);
    ASSERT_EQ(pts.length(), 4);
    double s = 4.0 / std::sqrt(5.0);
    EXPECT_TRUE(contains(pts, AcGePoint3d(s, s, 0)));
    // An elliptical arc only counts its own part.
    AcDbEllipse arc(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5, 0.0, kPi / 2);
    EXPECT_EQ(hits(arc, line).length(), 1);
    EXPECT_EQ(hits(arc, circle).length(), 1);
}

TEST(CurveIntersect, ProjectedIntersectionLiesOnThisCurve) {
    AcDbLine low(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0));
    AcDbLine high(AcGePoint3d(0, 10, 5), AcGePoint3d(10, 0, 7));
    AcGePoint3dArray pts;
    EXPECT_EQ(low.intersectWith(&high, AcDb::kOnBothOperands, pts), Acad::eOk);
    EXPECT_EQ(pts.length(), 0);
    ASSERT_EQ(high.intersectWith(&low, AcDb::kOnBothOperands, AcGePlane::kXYPlane, pts), Acad::eOk);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(5, 5, 6));
    AcDbCircle circle(AcGePoint3d(5, 5, -3), AcGeVector3d::kZAxis, 1.0);
    pts.removeAll();
    ASSERT_EQ(circle.intersectWith(&high, AcDb::kOnBothOperands, AcGePlane::kXYPlane, pts), Acad::eOk);
    ASSERT_EQ(pts.length(), 2);
    for (const AcGePoint3d& p : pts) EXPECT_NEAR(p.z, -3.0, 1e-12);
}

TEST(CurveIntersect, FarFromTheOriginThePointsStayOnBothCurves) {
    const AcGeVector3d off(123456.789, -98765.4321, 2500.0);
    AcDbPolyline pl = bulgedSquare();
    pl.setElevation(off.z);
    ASSERT_EQ(pl.transformBy(AcGeMatrix3d::translation(AcGeVector3d(off.x, off.y, 0))), Acad::eOk);
    AcGePoint3d inside = AcGePoint3d(5, 5, 0) + off;
    for (int k = 0; k < 16; ++k) {
        double a = 0.05 + k * kPi / 8;
        AcDbRay r = ray(inside, AcGeVector3d(std::cos(a), std::sin(a), 0));
        AcGePoint3dArray pts = hits(r, pl);
        ASSERT_EQ(pts.length(), 1) << a;
        double param;
        EXPECT_EQ(pl.getParamAtPoint(pts[0], param), Acad::eOk) << a;
        EXPECT_EQ(r.getParamAtPoint(pts[0], param), Acad::eOk) << a;
    }
    AcDbCircle small(AcGePoint3d(1, 1, 0) + off, AcGeVector3d::kZAxis, 0.37);
    AcDbLine through(AcGePoint3d(0, 0.9, 0) + off, AcGePoint3d(3, 1.3, 0) + off);
    AcGePoint3dArray pts = hits(small, through);
    ASSERT_EQ(pts.length(), 2);
    for (const AcGePoint3d& p : pts) {
        double param;
        EXPECT_EQ(small.getParamAtPoint(p, param), Acad::eOk);
        EXPECT_EQ(through.getParamAtPoint(p, param), Acad::eOk);
    }
}

TEST(CurveIntersect, PolylinesWithArcsMeetEachOther) {
    // Two discs made of two half circles each, overlapping.
    auto disc = [](double cx) {
        AcDbPolyline pl;
        pl.addVertexAt(0, AcGePoint2d(cx - 2, 0), 1.0);
        pl.addVertexAt(1, AcGePoint2d(cx + 2, 0), 1.0);
        pl.setClosed(true);
        return pl;
    };
    AcDbPolyline a = disc(0), b = disc(3);
    AcGePoint3dArray pts = hits(a, b);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(1.5, std::sqrt(4 - 2.25), 0)));
    for (const AcGePoint3d& p : pts) {
        double param;
        EXPECT_EQ(a.getParamAtPoint(p, param), Acad::eOk);
        EXPECT_EQ(b.getParamAtPoint(p, param), Acad::eOk);
    }
    // Collinear edges overlap without isolated points; the corners still count.
    AcDbPolyline sq1 = bulgedSquare();
    AcDbLine edge(AcGePoint3d(-5, 10, 0), AcGePoint3d(5, 10, 0));
    pts = hits(edge, sq1);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(0, 10, 0));
}

TEST(CurveIntersect, EllipsesAcrossPlanes) {
    AcDbEllipse flat(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5);
    AcDbCircle upright(AcGePoint3d::kOrigin, AcGeVector3d::kYAxis, 4.0);
    AcGePoint3dArray pts = hits(flat, upright);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(contains(pts, AcGePoint3d(4, 0, 0)));
    EXPECT_TRUE(contains(pts, AcGePoint3d(-4, 0, 0)));
    AcDbEllipse standing(AcGePoint3d(0, 0.5, 0), AcGeVector3d::kXAxis, AcGeVector3d(0, 0, 3), 0.5);
    // It crosses the y axis at y = 0.5 +- 1.5; the flat one crosses it at y = +-2.
    pts = hits(standing, flat);
    ASSERT_EQ(pts.length(), 1);
    expectPoint(pts[0], AcGePoint3d(0, 2, 0), 1e-12);
    AcDbEllipse apart(AcGePoint3d(0, 0, 1), AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5);
    EXPECT_EQ(hits(apart, flat).length(), 0);
}
