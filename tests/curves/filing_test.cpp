// DWG and DXF filing of the native curves, and 2-D polylines with vertices in a database.
#include <memory>
#include <string>
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/objectiterator.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"
#include "db/seqend.h"
#include "db/vertex2d.h"

namespace {
template <class T>
std::unique_ptr<T> dwgCopy(const T& source) {
    AcDbDwgMemoryFiler filer(AcDb::kCopyFiler, nullptr);
    EXPECT_EQ(source.dwgOutFields(&filer), Acad::eOk);
    filer.rewind();
    auto copy = std::make_unique<T>();
    EXPECT_EQ(copy->dwgInFields(&filer), Acad::eOk);
    EXPECT_EQ(filer.remaining(), 0u);
    return copy;
}

template <class T>
std::unique_ptr<T> dxfCopy(const T& source, AcDbDxfMemoryFiler& mem) {
    mem.clear();
    EXPECT_EQ(source.dxfOutFields(&mem), Acad::eOk);
    mem.rewind();
    auto copy = std::make_unique<T>();
    EXPECT_EQ(copy->dxfInFields(&mem), Acad::eOk) << mem.errorMessage();
    EXPECT_TRUE(mem.atEOF()) << "groups left unread";
    return copy;
}

const AcDbDxfGroup* group(const AcDbDxfMemoryFiler& mem, int code, int nth = 0) {
    for (const AcDbDxfGroup& g : mem.groups())
        if (g.code == code && nth-- == 0) return &g;
    return nullptr;
}

int markerIndex(const AcDbDxfMemoryFiler& mem, const char* name) {
    const auto& groups = mem.groups();
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].code == 100 && groups[i].text == name) return static_cast<int>(i);
    return -1;
}

AcDbPolyline sample() {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 0.25, 0.5, 1.0);
    pl.addVertexAt(1, AcGePoint2d(4, 0), 0.0, 1.0, 0.0);
    pl.addVertexAt(2, AcGePoint2d(4, 3), -1.0);
    pl.setClosed(true);
    pl.setElevation(2.0);
    pl.setThickness(0.5);
    pl.setNormal(AcGeVector3d(0, 1, 1));
    return pl;
}

void expectSamePolyline(const AcDbPolyline& a, const AcDbPolyline& b) {
    ASSERT_EQ(a.numVerts(), b.numVerts());
    EXPECT_EQ(a.isClosed(), b.isClosed());
    EXPECT_DOUBLE_EQ(a.elevation(), b.elevation());
    EXPECT_DOUBLE_EQ(a.thickness(), b.thickness());
    expectVector(a.normal(), b.normal(), 1e-15);
    for (unsigned int i = 0; i < a.numVerts(); ++i) {
        AcGePoint2d p, q;
        double ba, bb, s1, e1, s2, e2;
        a.getPointAt(i, p);
        b.getPointAt(i, q);
        EXPECT_TRUE(p == q);
        a.getBulgeAt(i, ba);
        b.getBulgeAt(i, bb);
        EXPECT_DOUBLE_EQ(ba, bb);
        a.getWidthsAt(i, s1, e1);
        b.getWidthsAt(i, s2, e2);
        EXPECT_DOUBLE_EQ(s1, s2);
        EXPECT_DOUBLE_EQ(e1, e2);
    }
}
}  // namespace

TEST(CurveDwgFiling, EveryCurveComesBackUnchanged) {
    AcDbLine line(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6));
    line.setThickness(7.0);
    line.setNormal(AcGeVector3d(1, 0, 0));
    auto l2 = dwgCopy(line);
    expectPoint(l2->startPoint(), line.startPoint(), 0.0);
    expectPoint(l2->endPoint(), line.endPoint(), 0.0);
    EXPECT_EQ(l2->thickness(), 7.0);
    expectVector(l2->normal(), AcGeVector3d(1, 0, 0), 0.0);

    AcDbArc arc(AcGePoint3d(1, 1, 1), AcGeVector3d(0, 1, 0), 2.5, 5.0, 1.0);
    auto a2 = dwgCopy(arc);
    EXPECT_EQ(a2->radius(), 2.5);
    EXPECT_EQ(a2->startAngle(), arc.startAngle());
    EXPECT_EQ(a2->endAngle(), arc.endAngle());
    expectVector(a2->normal(), arc.normal(), 0.0);

    AcDbCircle circle(AcGePoint3d(3, 2, 1), AcGeVector3d(0, 0, -1), 9.0);
    EXPECT_EQ(dwgCopy(circle)->radius(), 9.0);

    AcDbEllipse el(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(0, 3, 0), 0.25, 1.0, 4.0);
    auto e2 = dwgCopy(el);
    EXPECT_EQ(e2->startParam(), el.startParam());
    EXPECT_EQ(e2->endParam(), el.endParam());
    EXPECT_EQ(e2->radiusRatio(), 0.25);
    expectVector(e2->majorAxis(), AcGeVector3d(0, 3, 0), 0.0);

    AcDbRay ray;
    ray.setBasePoint(AcGePoint3d(1, 2, 3));
    ray.setUnitDir(AcGeVector3d(0, 0, -1));
    expectVector(dwgCopy(ray)->unitDir(), AcGeVector3d(0, 0, -1), 0.0);

    AcDbPoint point(AcGePoint3d(5, 5, 5));
    point.setEcsRotation(0.5);
    EXPECT_EQ(dwgCopy(point)->ecsRotation(), 0.5);

    AcDbPolyline pl = sample();
    expectSamePolyline(*dwgCopy(pl), pl);
}

TEST(CurveDwgFiling, TwoDPolylineOutsideADatabaseFilesItsVerticesInline) {
    AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0), AcGePoint3d(5, 5, 0)};
    AcGeDoubleArray bulges{0.5, 0.0, 0.0};
    AcDb2dPolyline pl(AcDb::k2dQuadSplinePoly, pts, 1.5, true, 0.1, 0.2, &bulges);
    auto copy = dwgCopy(pl);
    EXPECT_EQ(copy->polyType(), AcDb::k2dQuadSplinePoly);
    EXPECT_TRUE(copy->isClosed());
    EXPECT_EQ(copy->numVerts(), 3);
    EXPECT_EQ(copy->defaultEndWidth(), 0.2);
    for (double t : {0.0, 0.5, 1.7, 2.9}) {
        AcGePoint3d p, q;
        pl.getPointAtParam(t, p);
        copy->getPointAtParam(t, q);
        expectPoint(q, p, 0.0);
    }
}

TEST(CurveDwgFiling, ShortDataFailsAndLeavesTheObjectAlone) {
    AcDbPolyline pl = sample();
    AcDbDwgMemoryFiler out(AcDb::kCopyFiler, nullptr);
    ASSERT_EQ(pl.dwgOutFields(&out), Acad::eOk);
    AcDbDwgMemoryFiler in(out.data(), out.size() - 8, AcDb::kCopyFiler, nullptr);
    AcDbPolyline target;
    target.addVertexAt(0, AcGePoint2d(9, 9));
    EXPECT_NE(target.dwgInFields(&in), Acad::eOk);
    ASSERT_EQ(target.numVerts(), 1u);
    AcGePoint2d p;
    target.getPointAt(0, p);
    EXPECT_TRUE(p == AcGePoint2d(9, 9));

    AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0)};
    AcDb2dPolyline pl2(AcDb::k2dSimplePoly, pts);
    AcDbDwgMemoryFiler out2(AcDb::kCopyFiler, nullptr);
    ASSERT_EQ(pl2.dwgOutFields(&out2), Acad::eOk);
    AcDbDwgMemoryFiler in2(out2.data(), out2.size() - 10, AcDb::kCopyFiler, nullptr);
    AcDb2dPolyline target2;
    EXPECT_NE(target2.dwgInFields(&in2), Acad::eOk);
    EXPECT_EQ(target2.numVerts(), 0);
}

TEST(CurveDxfFiling, GroupsAreTheDrawingFileOnes) {
    AcDbDxfMemoryFiler mem;
    AcDbLine line(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6));
    auto l2 = dxfCopy(line, mem);
    EXPECT_GE(markerIndex(mem, "AcDbLine"), 0);
    EXPECT_EQ(group(mem, 39), nullptr);  // no thickness, no group
    EXPECT_EQ(group(mem, 210), nullptr);
    ASSERT_NE(group(mem, 11), nullptr);
    EXPECT_EQ(group(mem, 11)->xyz[2], 6.0);
    expectPoint(l2->endPoint(), line.endPoint(), 0.0);

    // Circles and arcs give their centre in object coordinates and angles in degrees.
    AcDbArc arc(AcGePoint3d(1, 2, 3), AcGeVector3d(0, -1, 0), 2.0, kPi / 6, kPi);
    auto a2 = dxfCopy(arc, mem);
    int circlePart = markerIndex(mem, "AcDbCircle"), arcPart = markerIndex(mem, "AcDbArc");
    ASSERT_GE(circlePart, 0);
    EXPECT_GT(arcPart, circlePart);
    AcGePoint3d ocs = AcGeMatrix3d::worldToPlane(AcGeVector3d(0, -1, 0)) * AcGePoint3d(1, 2, 3);
    ASSERT_NE(group(mem, 10), nullptr);
    EXPECT_NEAR(group(mem, 10)->xyz[0], ocs.x, 1e-12);
    EXPECT_NEAR(group(mem, 10)->xyz[2], ocs.z, 1e-12);
    EXPECT_NEAR(group(mem, 50)->xyz[0], 30.0, 1e-12);
    EXPECT_NEAR(group(mem, 51)->xyz[0], 180.0, 1e-12);
    expectPoint(a2->center(), arc.center(), 1e-12);
    EXPECT_NEAR(a2->startAngle(), kPi / 6, 1e-12);
    EXPECT_NEAR(a2->endAngle(), kPi, 1e-12);

    AcDbEllipse el(AcGePoint3d(10, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(0, 4, 0), 0.5, 0.0, kPi);
    auto e2 = dxfCopy(el, mem);
    EXPECT_EQ(group(mem, 11)->xyz[1], 4.0);  // relative to the centre
    EXPECT_EQ(group(mem, 40)->xyz[0], 0.5);
    EXPECT_EQ(group(mem, 41)->xyz[0], 0.0);
    EXPECT_NEAR(group(mem, 42)->xyz[0], kPi, 1e-15);
    EXPECT_NEAR(e2->endParam(), kPi, 1e-15);

    AcDbRay ray;
    ray.setUnitDir(AcGeVector3d(0, 1, 0));
    auto r2 = dxfCopy(ray, mem);
    EXPECT_GE(markerIndex(mem, "AcDbRay"), 0);
    expectVector(r2->unitDir(), AcGeVector3d(0, 1, 0), 0.0);

    AcDbPoint point(AcGePoint3d(1, 1, 1));
    point.setEcsRotation(kPi / 2);
    auto p2 = dxfCopy(point, mem);
    EXPECT_NEAR(group(mem, 50)->xyz[0], 90.0, 1e-12);
    EXPECT_NEAR(p2->ecsRotation(), kPi / 2, 1e-15);
}

TEST(CurveDxfFiling, LightweightPolylineGroups) {
    AcDbDxfMemoryFiler mem;
    AcDbPolyline pl = sample();
    auto copy = dxfCopy(pl, mem);
    expectSamePolyline(*copy, pl);
    EXPECT_EQ(group(mem, 90)->integer, 3);
    EXPECT_EQ(group(mem, 70)->integer, 1);
    EXPECT_EQ(group(mem, 43), nullptr);  // widths vary: per vertex
    EXPECT_EQ(group(mem, 40, 1)->xyz[0], 1.0);
    EXPECT_EQ(group(mem, 38)->xyz[0], 2.0);
    EXPECT_EQ(group(mem, 42, 1)->xyz[0], -1.0);
    EXPECT_EQ(group(mem, 10, 2)->type, AcDbDxfGroup::kPoint2d);

    AcDbPolyline constant;
    constant.addVertexAt(0, AcGePoint2d(0, 0));
    constant.addVertexAt(1, AcGePoint2d(1, 0));
    constant.setConstantWidth(0.75);
    auto c2 = dxfCopy(constant, mem);
    EXPECT_EQ(group(mem, 43)->xyz[0], 0.75);
    EXPECT_EQ(group(mem, 40), nullptr);
    double w;
    ASSERT_EQ(c2->getConstantWidth(w), Acad::eOk);
    EXPECT_EQ(w, 0.75);
}

TEST(CurveDxfFiling, TwoDPolylineAndVertexGroups) {
    AcDbDxfMemoryFiler mem;
    AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0)};
    AcDb2dPolyline pl(AcDb::k2dCubicSplinePoly, pts, 3.0, true, 0.0, 0.5);
    auto copy = dxfCopy(pl, mem);
    EXPECT_GE(markerIndex(mem, "AcDb2dPolyline"), 0);
    EXPECT_EQ(group(mem, 66)->integer, 1);
    EXPECT_EQ(group(mem, 10)->xyz[2], 3.0);
    EXPECT_EQ(group(mem, 70)->integer, 1 | 4);
    EXPECT_EQ(group(mem, 75)->integer, 6);
    EXPECT_EQ(group(mem, 41)->xyz[0], 0.5);
    EXPECT_EQ(copy->polyType(), AcDb::k2dCubicSplinePoly);
    EXPECT_EQ(copy->elevation(), 3.0);
    EXPECT_TRUE(copy->isClosed());
    EXPECT_EQ(copy->numVerts(), 0);  // vertices are entities of their own in files

    AcDb2dVertex v(AcGePoint3d(1, 2, 3), 0.5, 0.25, 0.0, kPi / 4);
    v.useTangent();
    auto v2 = dxfCopy(v, mem);
    int vertexPart = markerIndex(mem, "AcDbVertex");
    EXPECT_GE(vertexPart, 0);
    EXPECT_GT(markerIndex(mem, "AcDb2dVertex"), vertexPart);
    EXPECT_EQ(group(mem, 70)->integer, 2);
    EXPECT_EQ(group(mem, 41), nullptr);
    EXPECT_NEAR(group(mem, 50)->xyz[0], 45.0, 1e-12);
    expectPoint(v2->position(), AcGePoint3d(1, 2, 3), 0.0);
    EXPECT_EQ(v2->bulge(), 0.5);
    EXPECT_EQ(v2->startWidth(), 0.25);
    EXPECT_TRUE(v2->isTangentUsed());
    EXPECT_NEAR(v2->tangent(), kPi / 4, 1e-15);
}

class TwoDPolylineInDb : public CurveDbTest {
protected:
    AcDbObjectId addSquare() {
        AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0), AcGePoint3d(4, 4, 0), AcGePoint3d(0, 4, 0)};
        AcGeDoubleArray bulges{0.0, 1.0, 0.0, 0.0};
        return addToModel(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 0.0, true, 0.0, 0.0, &bulges));
    }
    std::vector<AcDbObjectId> vertexIds(AcDbObjectId plId) {
        std::vector<AcDbObjectId> ids;
        AcDb2dPolyline* pl = nullptr;
        EXPECT_EQ(acdbOpenObject(pl, plId, AcDb::kForRead), Acad::eOk);
        if (!pl) return ids;
        std::unique_ptr<AcDbObjectIterator> it(pl->vertexIterator());
        for (it->start(); !it->done(); it->step()) ids.push_back(it->objectId());
        pl->close();
        return ids;
    }
};

TEST_F(TwoDPolylineInDb, VerticesBecomeObjectsOwnedByThePolyline) {
    AcDbObjectId id = addSquare();
    std::vector<AcDbObjectId> ids = vertexIds(id);
    ASSERT_EQ(ids.size(), 4u);
    AcDb2dPolyline* pl = nullptr;
    ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
    for (AcDbObjectId v : ids) {
        ASSERT_FALSE(v.isNull());
        AcDb2dVertex* vertex = nullptr;
        ASSERT_EQ(pl->openVertex(vertex, v, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(vertex->ownerId(), id);
        EXPECT_STREQ(vertex->layer(), pl->layer());
        vertex->close();
    }
    EXPECT_EQ(pl->internalVertexIds(), ids);
    AcDbSequenceEnd* end = nullptr;
    ASSERT_EQ(pl->openSequenceEnd(end, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(end->ownerId(), id);
    end->close();
    // The geometry reads the closed vertices in place.
    double area;
    pl->getArea(area);
    EXPECT_NEAR(area, 16 + 2 * kPi, 1e-9);
    AcGePoint3d p;
    ASSERT_EQ(pl->getPointAtParam(1.5, p), Acad::eOk);
    expectPoint(p, AcGePoint3d(6, 2, 0));
    pl->close();
}

TEST_F(TwoDPolylineInDb, ChangesOpenTheVerticesAndEraseTakesThemAlong) {
    AcDbObjectId id = addSquare();
    std::vector<AcDbObjectId> ids = vertexIds(id);
    AcDb2dPolyline* pl = nullptr;
    ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(pl->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 2))), Acad::eOk);
    // A vertex opened elsewhere blocks the change, which then changes nothing.
    AcDb2dVertex* held = nullptr;
    ASSERT_EQ(acdbOpenObject(held, ids[2], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pl->moveGripPointsAt(AcDbIntArray{0, 2}, AcGeVector3d(5, 5, 0)), Acad::eWasOpenForRead);
    held->close();
    AcGePoint3d p;
    pl->getPointAtParam(0.0, p);
    expectPoint(p, AcGePoint3d(1, 0, 2));
    EXPECT_EQ(pl->elevation(), 2.0);
    // Appending in the database: the vertex joins it and is left open for write.
    auto* extra = new AcDb2dVertex(AcGePoint3d(-1, 2, 2));
    AcDbObjectId extraId;
    ASSERT_EQ(pl->appendVertex(extraId, extra), Acad::eOk);
    EXPECT_FALSE(extraId.isNull());
    EXPECT_TRUE(extra->isWriteEnabled());
    extra->close();
    EXPECT_EQ(pl->numVerts(), 5);
    ASSERT_EQ(pl->erase(), Acad::eOk);
    pl->close();
    for (AcDbObjectId v : ids) EXPECT_TRUE(v.isErased());
    EXPECT_TRUE(extraId.isErased());
}

TEST_F(TwoDPolylineInDb, CopiesTakeTheVerticesAlong) {
    AcDbObjectId id = addSquare();
    std::vector<AcDbObjectId> ids = vertexIds(id);
    AcDb2dPolyline* pl = nullptr;
    ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
    // A transformed copy is outside the database, with vertices of its own.
    AcDbEntity* copy = nullptr;
    ASSERT_EQ(pl->getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(0, 10, 0)), copy), Acad::eOk);
    std::unique_ptr<AcDbEntity> owned(copy);
    auto* moved = AcDb2dPolyline::cast(copy);
    ASSERT_NE(moved, nullptr);
    std::unique_ptr<AcDbObjectIterator> it(moved->vertexIterator());
    int n = 0;
    for (it->start(); !it->done(); it->step(), ++n) {
        EXPECT_TRUE(it->objectId().isNull());
        ASSERT_NE(AcDb2dVertex::cast(it->entity()), nullptr);
    }
    EXPECT_EQ(n, 4);
    AcGePoint3d p;
    moved->getPointAtParam(1.5, p);
    expectPoint(p, AcGePoint3d(6, 12, 0));
    pl->close();

    // A deep clone owns clones of the vertices.
    AcDbIdMapping map;
    AcDbObjectIdArray list{id};
    ASSERT_EQ(db.deepCloneObjects(list, db.modelSpaceId(), map), Acad::eOk);
    AcDbIdPair pair(id, AcDbObjectId::kNull, false);
    ASSERT_TRUE(map.compute(pair));
    std::vector<AcDbObjectId> cloned = vertexIds(pair.value());
    ASSERT_EQ(cloned.size(), 4u);
    for (size_t i = 0; i < cloned.size(); ++i) {
        EXPECT_NE(cloned[i], ids[i]);
        AcDbObject* v = nullptr;
        ASSERT_EQ(acdbOpenObject(v, cloned[i], AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(v->ownerId(), pair.value());
        v->close();
    }
}
