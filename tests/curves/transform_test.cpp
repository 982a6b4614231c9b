// Transformations of the native curves: rotation, mirror, scaling, non-uniform scaling.
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"

namespace {
AcGeMatrix3d nonUniform(double sx, double sy, double sz) {
    AcGeMatrix3d m;
    m.entry[0][0] = sx;
    m.entry[1][1] = sy;
    m.entry[2][2] = sz;
    return m;
}
// Mirror in the line x = 0 of the XY plane, as MIRROR does in plan.
AcGeMatrix3d mirrorX() { return AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis)); }
}  // namespace

TEST(CurveTransform, LineAndRayFollowAnyAffineMap) {
    AcDbLine line(AcGePoint3d(1, 0, 0), AcGePoint3d(3, 0, 0));
    line.setThickness(2.0);
    ASSERT_EQ(line.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis)), Acad::eOk);
    expectPoint(line.startPoint(), AcGePoint3d(0, 1, 0));
    expectPoint(line.endPoint(), AcGePoint3d(0, 3, 0));
    ASSERT_EQ(line.transformBy(nonUniform(2, 3, 4)), Acad::eOk);
    expectPoint(line.endPoint(), AcGePoint3d(0, 9, 0));
    EXPECT_NEAR(line.thickness(), 8.0, 1e-12);

    AcDbRay ray;
    ray.setBasePoint(AcGePoint3d(1, 1, 0));
    ray.setUnitDir(AcGeVector3d(1, 1, 0));
    ASSERT_EQ(ray.transformBy(nonUniform(1, 3, 1)), Acad::eOk);
    expectPoint(ray.basePoint(), AcGePoint3d(1, 3, 0));
    expectVector(ray.unitDir(), AcGeVector3d(1, 3, 0).normal());
    EXPECT_EQ(ray.transformBy(nonUniform(0, 0, 1)), Acad::eInvalidInput);
}

TEST(CurveTransform, CircleRefusesNonUniformScalingButItsCopyIsAnEllipse) {
    AcDbCircle circle(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, 2.0);
    EXPECT_EQ(circle.transformBy(nonUniform(2, 1, 1)), Acad::eCannotScaleNonUniformly);
    EXPECT_NEAR(circle.radius(), 2.0, 0.0);
    AcDbEntity* copy = nullptr;
    ASSERT_EQ(circle.getTransformedCopy(nonUniform(2, 1, 1), copy), Acad::eOk);
    std::unique_ptr<AcDbEntity> owned(copy);
    auto* el = AcDbEllipse::cast(copy);
    ASSERT_NE(el, nullptr);
    expectPoint(el->center(), AcGePoint3d(2, 0, 0));
    EXPECT_NEAR(el->majorRadius(), 4.0, 1e-12);
    EXPECT_NEAR(el->minorRadius(), 2.0, 1e-12);
    EXPECT_TRUE(el->isClosed());
    // Uniform scaling about a point and a rotation are fine.
    ASSERT_EQ(circle.transformBy(AcGeMatrix3d::scaling(3.0, AcGePoint3d(1, 0, 0))), Acad::eOk);
    EXPECT_NEAR(circle.radius(), 6.0, 1e-12);
    ASSERT_EQ(circle.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kXAxis)), Acad::eOk);
    expectVector(circle.normal(), AcGeVector3d(0, -1, 0));
    expectPoint(circle.center(), AcGePoint3d(1, 0, 0));
}

TEST(CurveTransform, ArcRotationKeepsItsEndsOnTheRotatedPoints) {
    AcDbArc arc(AcGePoint3d(5, 0, 0), 2.0, 0.0, kPi / 2);
    AcGePoint3d s0, e0;
    arc.getStartPoint(s0);
    arc.getEndPoint(e0);
    AcGeMatrix3d r = AcGeMatrix3d::rotation(1.0, AcGeVector3d(1, 1, 1), AcGePoint3d(1, 2, 3));
    ASSERT_EQ(arc.transformBy(r), Acad::eOk);
    AcGePoint3d s, e;
    arc.getStartPoint(s);
    arc.getEndPoint(e);
    expectPoint(s, r * s0);
    expectPoint(e, r * e0);
    EXPECT_NEAR(arc.totalAngle(), kPi / 2, 1e-12);
}

TEST(CurveTransform, MirroredArcKeepsItsNormalAndSwapsTheEnds) {
    AcDbArc arc(AcGePoint3d::kOrigin, 1.0, 0.0, kPi / 2);
    ASSERT_EQ(arc.transformBy(mirrorX()), Acad::eOk);
    expectVector(arc.normal(), AcGeVector3d::kZAxis);
    EXPECT_NEAR(arc.startAngle(), kPi / 2, 1e-12);
    EXPECT_NEAR(arc.endAngle(), kPi, 1e-12);
    AcGePoint3d mid;
    ASSERT_EQ(arc.getPointAtParam(3 * kPi / 4, mid), Acad::eOk);
    expectPoint(mid, AcGePoint3d(-std::sqrt(0.5), std::sqrt(0.5), 0));
    EXPECT_EQ(arc.transformBy(nonUniform(1, 2, 1)), Acad::eCannotScaleNonUniformly);
}

TEST(CurveTransform, ArcCopyUnderNonUniformScalingIsAnEllipticalArc) {
    AcDbArc arc(AcGePoint3d::kOrigin, 1.0, 0.0, kPi / 2);
    AcDbEntity* copy = nullptr;
    ASSERT_EQ(arc.getTransformedCopy(nonUniform(1, 3, 1), copy), Acad::eOk);
    std::unique_ptr<AcDbEntity> owned(copy);
    auto* el = AcDbEllipse::cast(copy);
    ASSERT_NE(el, nullptr);
    AcGePoint3d s, e;
    el->getStartPoint(s);
    el->getEndPoint(e);
    expectPoint(s, AcGePoint3d(1, 0, 0));
    expectPoint(e, AcGePoint3d(0, 3, 0));
    double param;
    EXPECT_EQ(el->getParamAtPoint(AcGePoint3d(std::sqrt(0.5), 3 * std::sqrt(0.5), 0), param), Acad::eOk);
}

TEST(CurveTransform, EllipseUnderShearStaysOnTheMappedPoints) {
    AcDbEllipse el(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, AcGeVector3d(3, 0, 0), 0.5);
    ASSERT_EQ(el.setStartParam(0.3), Acad::eOk);
    ASSERT_EQ(el.setEndParam(2.0), Acad::eOk);
    AcGeMatrix3d shear;
    shear.entry[0][1] = 0.7;
    shear.entry[1][1] = 1.5;
    shear.entry[0][3] = 2.0;
    std::vector<AcGePoint3d> before;
    for (double t : {0.3, 1.0, 1.7, 2.0}) {
        AcGePoint3d p;
        ASSERT_EQ(el.getPointAtParam(t, p), Acad::eOk);
        before.push_back(shear * p);
    }
    ASSERT_EQ(el.transformBy(shear), Acad::eOk);
    EXPECT_LE(el.radiusRatio(), 1.0);
    EXPECT_TRUE(el.majorAxis().isPerpendicularTo(el.minorAxis(), AcGeTol()));
    for (const AcGePoint3d& p : before) {
        double param;
        EXPECT_EQ(el.getParamAtPoint(p, param), Acad::eOk) << p.x << "," << p.y;
    }
    AcGePoint3d s;
    el.getStartPoint(s);
    expectPoint(s, before.front());
    // A mirror keeps the normal on the old side.
    ASSERT_EQ(el.transformBy(mirrorX()), Acad::eOk);
    expectVector(el.normal(), AcGeVector3d::kZAxis);
    el.getEndPoint(s);
    expectPoint(s, mirrorX() * before.front());
}

TEST(CurveTransform, PolylineMirrorNegatesBulgesAndNonUniformNeedsStraightSegments) {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0, 0.5, 0.5);
    pl.addVertexAt(1, AcGePoint2d(2, 0));
    AcGePoint3d mid;
    ASSERT_EQ(pl.getPointAtParam(0.5, mid), Acad::eOk);
    ASSERT_EQ(pl.transformBy(mirrorX()), Acad::eOk);
    expectVector(pl.normal(), AcGeVector3d::kZAxis);
    double bulge;
    pl.getBulgeAt(0, bulge);
    EXPECT_EQ(bulge, -1.0);
    AcGePoint3d mirroredMid;
    ASSERT_EQ(pl.getPointAtParam(0.5, mirroredMid), Acad::eOk);
    expectPoint(mirroredMid, mirrorX() * mid);
    EXPECT_EQ(pl.transformBy(nonUniform(2, 1, 1)), Acad::eCannotScaleNonUniformly);

    ASSERT_EQ(pl.setBulgeAt(0, 0.0), Acad::eOk);
    ASSERT_EQ(pl.transformBy(AcGeMatrix3d::scaling(2.0)), Acad::eOk);
    double sw, ew;
    pl.getWidthsAt(0, sw, ew);
    EXPECT_NEAR(sw, 1.0, 1e-12);
    ASSERT_EQ(pl.transformBy(nonUniform(1, 1, 5)), Acad::eOk);
    AcGePoint3d p;
    pl.getPointAt(1, p);
    expectPoint(p, AcGePoint3d(-4, 0, 0));
}

TEST(CurveTransform, TiltedPolylineKeepsItsPointsUnderRotation) {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 0.4);
    pl.addVertexAt(1, AcGePoint2d(5, 0));
    pl.addVertexAt(2, AcGePoint2d(5, 5), -0.3);
    pl.setElevation(3.0);
    AcGeMatrix3d r = AcGeMatrix3d::rotation(0.8, AcGeVector3d(1, 2, 0));
    std::vector<AcGePoint3d> before;
    for (double t : {0.0, 0.5, 1.0, 1.5, 2.0}) {
        AcGePoint3d p;
        pl.getPointAtParam(t, p);
        before.push_back(r * p);
    }
    ASSERT_EQ(pl.transformBy(r), Acad::eOk);
    int i = 0;
    for (double t : {0.0, 0.5, 1.0, 1.5, 2.0}) {
        AcGePoint3d p;
        pl.getPointAtParam(t, p);
        expectPoint(p, before[static_cast<size_t>(i++)]);
    }
}

TEST(CurveTransform, TwoDPolylineAndPointTransform) {
    AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(2, 0, 0), AcGePoint3d(2, 2, 0)};
    AcGeDoubleArray bulges{0.5, 0.0, 0.0};
    AcDb2dPolyline pl(AcDb::k2dSimplePoly, pts, 0.0, false, 0.0, 0.0, &bulges);
    AcGePoint3d mid;
    pl.getPointAtParam(0.5, mid);
    AcGeMatrix3d t = AcGeMatrix3d::translation(AcGeVector3d(1, 2, 3)) * mirrorX();
    ASSERT_EQ(pl.transformBy(t), Acad::eOk);
    AcGePoint3d moved;
    pl.getPointAtParam(0.5, moved);
    expectPoint(moved, t * mid);
    EXPECT_NEAR(pl.elevation(), 3.0, 1e-12);

    AcDbPoint point(AcGePoint3d(1, 1, 1));
    point.setThickness(2.0);
    ASSERT_EQ(point.transformBy(AcGeMatrix3d::scaling(2.0)), Acad::eOk);
    expectPoint(point.position(), AcGePoint3d(2, 2, 2));
    EXPECT_NEAR(point.thickness(), 4.0, 1e-12);
}
