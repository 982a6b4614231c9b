// Accessors of the native curves: validation, vertex editing, and the open-state rules.
#include <memory>
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/dxffiler.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/objectiterator.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"
#include "db/vertex2d.h"

TEST(CurveApi, SettersRefuseWhatNoCurveCanBe) {
    AcDbCircle circle;
    EXPECT_EQ(circle.setRadius(0.0), Acad::eInvalidInput);
    EXPECT_EQ(circle.setRadius(-1.0), Acad::eInvalidInput);
    EXPECT_EQ(circle.setNormal(AcGeVector3d(0, 0, 0)), Acad::eInvalidInput);
    EXPECT_EQ(circle.setDiameter(4.0), Acad::eOk);
    EXPECT_EQ(circle.radius(), 2.0);
    EXPECT_EQ(circle.setNormal(AcGeVector3d(0, 0, 5)), Acad::eOk);
    expectVector(circle.normal(), AcGeVector3d::kZAxis, 0.0);

    AcDbArc arc;
    EXPECT_EQ(arc.setStartAngle(-kPi / 2), Acad::eOk);
    EXPECT_NEAR(arc.startAngle(), 3 * kPi / 2, 1e-15);
    EXPECT_EQ(arc.setEndAngle(5 * kPi), Acad::eOk);
    EXPECT_NEAR(arc.endAngle(), kPi, 1e-12);
    EXPECT_NEAR(arc.totalAngle(), 3 * kPi / 2, 1e-12);
    EXPECT_EQ(arc.setEndAngle(arc.startAngle()), Acad::eOk);
    EXPECT_NEAR(arc.totalAngle(), 2 * kPi, 0.0);  // equal angles: a full turn

    AcDbEllipse el;
    EXPECT_EQ(el.setRadiusRatio(1.5), Acad::eInvalidInput);
    EXPECT_EQ(el.set(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(1, 0, 1), 0.5), Acad::eInvalidInput);
    EXPECT_EQ(el.set(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(0, 0, 0), 0.5), Acad::eInvalidInput);
    ASSERT_EQ(el.set(AcGePoint3d(1, 0, 0), AcGeVector3d::kYAxis, AcGeVector3d(2, 0, 0), 0.5, 0.0, kPi / 2), Acad::eOk);
    EXPECT_NEAR(el.paramAtAngle(el.angleAtParam(1.0)), 1.0, 1e-15);
    EXPECT_NEAR(el.endAngle(), kPi / 2, 1e-15);
    AcGePoint3d c;
    AcGeVector3d n, major;
    double ratio, a0, a1;
    el.get(c, n, major, ratio, a0, a1);
    expectVector(major, AcGeVector3d(2, 0, 0), 0.0);
    // The minor axis is normal x major.
    expectVector(el.minorAxis(), AcGeVector3d(0, 0, -1), 1e-15);

    AcDbRay ray;
    EXPECT_EQ(ray.setUnitDir(AcGeVector3d(0, 0, 0)), Acad::eInvalidInput);
    EXPECT_EQ(ray.setSecondPoint(ray.basePoint()), Acad::eInvalidInput);
    EXPECT_EQ(ray.setSecondPoint(AcGePoint3d(0, 3, 0)), Acad::eOk);
    expectVector(ray.unitDir(), AcGeVector3d(0, 1, 0), 0.0);
}

TEST(CurveApi, EllipseArcAcrossTheMajorAxisEnd) {
    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(2, 0, 0), 0.5);
    ASSERT_EQ(el.setStartParam(5.5), Acad::eOk);
    ASSERT_EQ(el.setEndParam(1.0), Acad::eOk);
    EXPECT_NEAR(el.endParam(), 1.0 + 2 * kPi, 1e-12);
    EXPECT_FALSE(el.isClosed());
    double param;
    ASSERT_EQ(el.getParamAtPoint(AcGePoint3d(2, 0, 0), param), Acad::eOk);
    EXPECT_NEAR(param, 2 * kPi, 1e-12);
    AcGePoint3d p;
    ASSERT_EQ(el.getPointAtParam(0.5, p), Acad::eOk);  // a turn before 0.5 + 2 pi
    EXPECT_EQ(el.getPointAtParam(3.0, p), Acad::eInvalidInput);
    EXPECT_EQ(el.getParamAtPoint(AcGePoint3d(-2, 0, 0), param), Acad::eInvalidInput);
    double area;
    el.getArea(area);
    double sweep = el.endParam() - el.startParam();
    EXPECT_NEAR(area, 0.5 * 2 * 1 * (sweep - std::sin(sweep)), 1e-12);
}

TEST(CurveApi, PolylineVertexEditing) {
    AcDbPolyline pl;
    EXPECT_EQ(pl.segType(0), AcDbPolyline::kEmpty);
    double p;
    EXPECT_EQ(pl.getStartParam(p), Acad::eInvalidInput);
    AcDbExtents ext;
    EXPECT_EQ(pl.getGeomExtents(ext), Acad::eInvalidExtents);
    ASSERT_EQ(pl.addVertexAt(7, AcGePoint2d(1, 1)), Acad::eOk);  // past the end: appended
    EXPECT_EQ(pl.segType(0), AcDbPolyline::kPoint);
    ASSERT_EQ(pl.addVertexAt(0, AcGePoint2d(0, 0), 0.5), Acad::eOk);
    ASSERT_EQ(pl.numVerts(), 2u);
    AcGePoint2d q;
    pl.getPointAt(1, q);
    EXPECT_TRUE(q == AcGePoint2d(1, 1));
    EXPECT_EQ(pl.segType(0), AcDbPolyline::kArc);
    EXPECT_EQ(pl.segType(1), AcDbPolyline::kPoint);
    EXPECT_TRUE(pl.hasBulges());
    EXPECT_FALSE(pl.isOnlyLines());
    EXPECT_EQ(pl.getPointAt(2, q), Acad::eInvalidIndex);
    EXPECT_EQ(pl.setBulgeAt(2, 1.0), Acad::eInvalidIndex);
    EXPECT_EQ(pl.removeVertexAt(5), Acad::eInvalidIndex);
    EXPECT_EQ(pl.setWidthsAt(0, -1.0, 1.0), Acad::eInvalidInput);

    // New vertices take the constant width when none is given.
    ASSERT_EQ(pl.setConstantWidth(0.3), Acad::eOk);
    ASSERT_EQ(pl.addVertexAt(2, AcGePoint2d(1, 1)), Acad::eOk);
    double sw, ew, w;
    pl.getWidthsAt(2, sw, ew);
    EXPECT_EQ(sw, 0.3);
    EXPECT_EQ(pl.segType(1), AcDbPolyline::kCoincident);
    ASSERT_EQ(pl.getConstantWidth(w), Acad::eOk);
    pl.setWidthsAt(1, 0.3, 0.4);
    EXPECT_EQ(pl.getConstantWidth(w), Acad::eNotApplicable);
    EXPECT_TRUE(pl.hasWidth());
    ASSERT_EQ(pl.removeVertexAt(0), Acad::eOk);
    EXPECT_EQ(pl.numVerts(), 2u);
    pl.reset(true, 1);
    EXPECT_EQ(pl.numVerts(), 1u);
    pl.reset(false, 0);
    EXPECT_EQ(pl.numVerts(), 0u);
}

TEST(CurveApi, TwoDPolylineVerticesOutsideADatabase) {
    AcDb2dPolyline pl;
    auto* a = new AcDb2dVertex(AcGePoint3d(0, 0, 0));
    auto* c = new AcDb2dVertex(AcGePoint3d(2, 2, 0), 0.0, 0.5, 0.5);
    ASSERT_EQ(pl.appendVertex(a), Acad::eOk);
    ASSERT_EQ(pl.appendVertex(c), Acad::eOk);
    EXPECT_EQ(pl.appendVertex(a), Acad::eInvalidInput);  // already there
    auto* b = new AcDb2dVertex(AcGePoint3d(2, 0, 0), 1.0);
    ASSERT_EQ(pl.insertVertexAt(a, b), Acad::eOk);
    AcDb2dVertex stray;
    auto* d = new AcDb2dVertex(AcGePoint3d(9, 9, 0));
    EXPECT_EQ(pl.insertVertexAt(&stray, d), Acad::eInvalidInput);
    delete d;
    std::unique_ptr<AcDbObjectIterator> it(pl.vertexIterator());
    std::vector<AcDb2dVertex*> order;
    for (it->start(); !it->done(); it->step()) order.push_back(AcDb2dVertex::cast(it->entity()));
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], a);
    EXPECT_EQ(order[1], b);
    EXPECT_EQ(order[2], c);
    it->start(true);
    EXPECT_EQ(it->entity(), c);
    it->step(true);
    EXPECT_EQ(it->entity(), b);
    expectPoint(pl.vertexPosition(*b), AcGePoint3d(2, 0, 0));
    EXPECT_TRUE(pl.sequenceEndId().isNull());
    EXPECT_TRUE(pl.internalVertexIds().empty());
    // The polyline reads what the vertices say now.
    ASSERT_EQ(b->setBulge(0.0), Acad::eOk);
    double area;
    pl.getArea(area);
    EXPECT_NEAR(area, 2.0, 1e-12);
    ASSERT_EQ(pl.setElevation(4.0), Acad::eOk);
    EXPECT_EQ(c->position().z, 4.0);
    // Spline frame vertices are not on the path.
    AcDbDxfMemoryFiler mem;
    mem.writeSubclass("AcDbEntity");
    mem.writeString(8, "0");
    mem.writeSubclass("AcDbVertex");
    mem.writeSubclass("AcDb2dVertex");
    mem.writePoint3d(10, AcGePoint3d(50, 50, 0));
    mem.writeInt16(70, 16);
    mem.rewind();
    auto* frame = new AcDb2dVertex;
    ASSERT_EQ(frame->dxfInFields(&mem), Acad::eOk);
    EXPECT_EQ(frame->vertexType(), AcDb::k2dSplineCtlVertex);
    ASSERT_EQ(pl.insertVertexAt(b, frame), Acad::eOk);
    EXPECT_EQ(pl.numVerts(), 4);
    pl.getArea(area);
    EXPECT_NEAR(area, 2.0, 1e-12);
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    pl.getGripPoints(grips, modes, ids);
    EXPECT_EQ(grips.length(), 4);  // every vertex can be dragged
}

TEST(CurveApi, EndsAndPlanesOfEveryCurve) {
    std::vector<std::unique_ptr<AcDbCurve>> curves;
    curves.emplace_back(new AcDbLine(AcGePoint3d(1, 0, 0), AcGePoint3d(2, 0, 0)));
    curves.emplace_back(new AcDbCircle(AcGePoint3d::kOrigin, AcGeVector3d(1, 0, 0), 1.0));
    curves.emplace_back(new AcDbArc(AcGePoint3d::kOrigin, AcGeVector3d(0, 1, 0), 1.0, 1.0, 2.0));
    curves.emplace_back(new AcDbEllipse(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(3, 0, 0), 0.3, 0.5, 2.0));
    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(0, 0), 0.2);
    pl->addVertexAt(1, AcGePoint2d(3, 1));
    pl->setNormal(AcGeVector3d(1, 1, 0));
    curves.emplace_back(pl);
    for (const auto& c : curves) {
        SCOPED_TRACE(c->isA()->name());
        double s, e;
        AcGePoint3d ps, pe, q;
        ASSERT_EQ(c->getStartParam(s), Acad::eOk);
        ASSERT_EQ(c->getEndParam(e), Acad::eOk);
        ASSERT_EQ(c->getStartPoint(ps), Acad::eOk);
        ASSERT_EQ(c->getEndPoint(pe), Acad::eOk);
        c->getPointAtParam(s, q);
        expectPoint(q, ps);
        c->getPointAtParam(e, q);
        expectPoint(q, pe);
        AcGePlane plane;
        AcDb::Planarity type;
        ASSERT_EQ(c->getPlane(plane, type), Acad::eOk);
        EXPECT_TRUE(c->isPlanar());
        for (double t : {s, (s + e) / 2, e}) {
            c->getPointAtParam(t, q);
            EXPECT_LE(plane.distanceTo(q), 1e-12);
        }
        AcDbExtents ext;
        ASSERT_EQ(c->getGeomExtents(ext), Acad::eOk);
        double d, back;
        ASSERT_EQ(c->getDistAtParam(e, d), Acad::eOk);
        ASSERT_EQ(c->getParamAtDist(d, back), Acad::eOk);
        EXPECT_NEAR(back, e, 1e-9);
        AcDbEntity* copy = nullptr;
        ASSERT_EQ(c->getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(1, 2, 3)), copy), Acad::eOk);
        std::unique_ptr<AcDbEntity> owned(copy);
        EXPECT_EQ(copy->isA(), c->isA());
        AcGePoint3d moved;
        AcDbCurve::cast(copy)->getStartPoint(moved);
        expectPoint(moved, ps + AcGeVector3d(1, 2, 3));
    }
}

class CurveOpenState : public CurveDbTest {};

TEST_F(CurveOpenState, ReadersMayNotWrite) {
    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(0, 0));
    AcDbObjectId plId = addToModel(pl);
    AcDbObjectId lineId = addToModel(new AcDbLine(AcGePoint3d::kOrigin, AcGePoint3d(1, 1, 1)));
    AcDbObjectId arcId = addToModel(new AcDbArc(AcGePoint3d::kOrigin, 1.0, 0.0, 1.0));
    AcDbPolyline* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, plId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(p->numVerts(), 1u);
    acdbResetAccessViolations();
    p->setClosed(true);
    EXPECT_EQ(acdbAccessViolations(), 1);
    p->close();
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, lineId, AcDb::kForRead), Acad::eOk);
    l->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 0)));
    EXPECT_EQ(acdbAccessViolations(), 2);
    l->close();
    AcDbArc* a = nullptr;
    ASSERT_EQ(acdbOpenObject(a, arcId, AcDb::kForRead), Acad::eOk);
    a->moveGripPointsAt(AcDbIntArray{3}, AcGeVector3d(1, 0, 0));
    EXPECT_EQ(acdbAccessViolations(), 3);
    a->close();
    acdbResetAccessViolations();
}
