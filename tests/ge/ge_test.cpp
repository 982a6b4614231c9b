#include <gtest/gtest.h>
#include <cmath>
#include "ge/arrays.h"
#include "ge/plane.h"

namespace {
constexpr double kPi = 3.14159265358979323846;

void expectPoint(const AcGePoint3d& p, double x, double y, double z, double tol = 1e-9) {
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}
}  // namespace

TEST(GeMatrix, RotationAboutCentreKeepsCentreAndTurnsCounterClockwise) {
    AcGePoint3d c(5, 5, 0);
    AcGeMatrix3d m = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, c);
    expectPoint(m * c, 5, 5, 0);
    expectPoint(m * AcGePoint3d(6, 5, 0), 5, 6, 0);
    EXPECT_TRUE(m.isUniScaledOrtho());
    EXPECT_NEAR(m.det(), 1.0, 1e-12);
}

TEST(GeMatrix, InverseUndoesCompositeTransform) {
    AcGeMatrix3d m = AcGeMatrix3d::translation({3, -2, 7}) * AcGeMatrix3d::rotation(0.7, {1, 2, 3}) *
                     AcGeMatrix3d::scaling(2.5, {1, 1, 1});
    AcGePoint3d p(1.5, -4, 2);
    expectPoint(m.inverse() * (m * p), p.x, p.y, p.z);
    EXPECT_TRUE((m * m.inverse()).isEqualTo(AcGeMatrix3d::kIdentity));
    EXPECT_NEAR(m.det(), 2.5 * 2.5 * 2.5, 1e-9);
    EXPECT_NEAR(m.scale(), 2.5, 1e-12);
}

TEST(GeMatrix, MirroringHasNegativeDeterminantAndIsOrtho) {
    AcGeMatrix3d m = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(2, 0, 0), AcGeVector3d::kXAxis));
    expectPoint(m * AcGePoint3d(3, 1, 0), 1, 1, 0);
    EXPECT_LT(m.det(), 0);
    EXPECT_TRUE(m.isUniScaledOrtho());
}

TEST(GeMatrix, NonUniformScaleIsNotUniScaledOrtho) {
    AcGeMatrix3d m;
    m.entry[0][0] = 2.0;
    EXPECT_FALSE(m.isUniScaledOrtho());
    AcGeMatrix3d shear;
    shear.entry[0][1] = 0.5;
    EXPECT_FALSE(shear.isUniScaledOrtho());
}

TEST(GeMatrix, AlignCoordSysMapsFrameToFrame) {
    AcGeMatrix3d m = AcGeMatrix3d::alignCoordSys(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis, AcGeVector3d::kYAxis,
                                                 AcGeVector3d::kZAxis, AcGePoint3d(10, 0, 0), AcGeVector3d::kYAxis,
                                                 -AcGeVector3d::kXAxis, AcGeVector3d::kZAxis);
    expectPoint(m * AcGePoint3d(1, 0, 0), 10, 1, 0);
    expectPoint(m * AcGePoint3d(0, 1, 0), 9, 0, 0);
}

TEST(GeMatrix, PlaneToWorldFollowsArbitraryAxisRule) {
    // A normal of +Z gives the identity; -Z flips X.
    AcGeMatrix3d up = AcGeMatrix3d::planeToWorld(AcGeVector3d::kZAxis);
    EXPECT_TRUE(up.isEqualTo(AcGeMatrix3d::kIdentity));
    AcGeMatrix3d down = AcGeMatrix3d::planeToWorld(-AcGeVector3d::kZAxis);
    expectPoint(down * AcGePoint3d(1, 0, 0), -1, 0, 0);
    EXPECT_TRUE(down.isUniScaledOrtho());
    AcGeMatrix3d tilted = AcGeMatrix3d::planeToWorld({1, 1, 1});
    EXPECT_NEAR(tilted.det(), 1.0, 1e-12);
    EXPECT_TRUE(AcGeMatrix3d::worldToPlane({1, 1, 1}).isEqualTo(tilted.inverse()));
}

TEST(GeVector, PerpendicularParallelAndAngles) {
    AcGeVector3d v(0.3, -2, 5);
    EXPECT_NEAR(v.perpVector().dotProduct(v), 0.0, 1e-12);
    EXPECT_TRUE(v.perpVector().isUnitLength());
    EXPECT_TRUE(v.isParallelTo(v * -3));
    EXPECT_FALSE(v.isCodirectionalTo(v * -3));
    EXPECT_FALSE(AcGeVector3d().isParallelTo(v));  // zero length is parallel to nothing
    EXPECT_NEAR(AcGeVector3d::kXAxis.angleTo(AcGeVector3d::kYAxis), kPi / 2, 1e-15);
    EXPECT_NEAR(AcGeVector3d::kXAxis.angleTo(-AcGeVector3d::kYAxis, AcGeVector3d::kZAxis), 3 * kPi / 2, 1e-12);
    EXPECT_NEAR(AcGeVector2d(0, -1).angle(), 3 * kPi / 2, 1e-15);
}

TEST(GeTol, EqualPointIsSettable) {
    AcGeTol tol;
    tol.setEqualPoint(3e-08);
    EXPECT_TRUE(AcGePoint3d(1, 1, 1).isEqualTo(AcGePoint3d(1 + 2e-08, 1, 1), tol));
    EXPECT_FALSE(AcGePoint3d(1, 1, 1).isEqualTo(AcGePoint3d(1 + 4e-08, 1, 1), tol));
}

TEST(GePlane, ProjectionAndIntersection) {
    AcGePlane plane(AcGePoint3d(0, 0, 2), AcGeVector3d(0, 0, 1));
    expectPoint(plane.closestPointTo({3, 4, 9}), 3, 4, 2);
    AcGePoint3d hit;
    ASSERT_TRUE(plane.intersectWith({1, 1, 0}, {0, 0, 1}, hit));
    expectPoint(hit, 1, 1, 2);
    EXPECT_FALSE(plane.intersectWith({1, 1, 0}, {1, 0, 0}, hit));
    AcGePoint2d uv = AcGePoint3d(3, 4, 2).convert2d(plane);
    expectPoint(AcGePoint3d(plane, uv), 3, 4, 2);
}

TEST(AcArrayTest, EditingKeepsOrder) {
    AcGeIntArray a;
    for (int i = 0; i < 5; ++i) a.append(i * 10);
    a.removeAt(1);
    a.insertAt(0, -1);
    EXPECT_EQ(a.length(), 5);
    EXPECT_EQ(a.first(), -1);
    EXPECT_EQ(a.last(), 40);
    EXPECT_EQ(a.find(30), 3);
    EXPECT_TRUE(a.remove(30));
    EXPECT_FALSE(a.contains(30));
    a.setLogicalLength(0);
    EXPECT_TRUE(a.isEmpty());
}

#include "ge/acutgeom.h"

TEST(AcutGeometry, AngleAndPolarPoint) {
    ads_point a = {1, 1, 5}, b = {1, 0, 0};
    EXPECT_NEAR(acutAngle(a, b), 3 * kPi / 2, 1e-15);
    EXPECT_EQ(acutAngle(a, a), 0.0);
    ads_point p;
    acutPolar(a, kPi / 2, 2.0, p);
    EXPECT_NEAR(p[X], 1, 1e-15);
    EXPECT_NEAR(p[Y], 3, 1e-15);
    EXPECT_EQ(p[Z], 5);  // the base's elevation is kept
    acutPolar(p, 0.0, 1.0, p);  // result may alias the base
    EXPECT_NEAR(p[X], 2, 1e-15);
    EXPECT_NEAR(acutDistance(a, b), std::sqrt(1.0 + 25.0), 1e-12);
}
