#include <gtest/gtest.h>
#include <cmath>
#include <numbers>
#include <string>
#include "rx/print.h"
#include "testentities.h"

namespace {

std::string g_printed;
void capture(const char* text) { g_printed += text; }

class Entities : public ::testing::Test {
protected:
    void SetUp() override {
        previous = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        red = addLayer(&db, "Red", 1);
    }
    void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(previous); }
    AcDbDatabase db{true, true};
    AcDbDatabase* previous = nullptr;
    AcDbObjectId red;
};

TEST_F(Entities, LayersByNameResolveThroughTheDatabase) {
    DbTestPoint p;  // not in a database: names go through the working one
    EXPECT_EQ(p.setLayer("Nowhere"), Acad::eKeyNotFound);
    EXPECT_EQ(p.setLayer("red"), Acad::eOk);
    EXPECT_EQ(p.layerId(), red);
    EXPECT_STREQ(p.layer(), "Red");
    EXPECT_EQ(p.setLinetype("Continuous"), Acad::eOk);
    EXPECT_STREQ(p.linetype(), "Continuous");
    EXPECT_EQ(p.setLayer(db.continuousLinetype()), Acad::eWrongObjectType);
    EXPECT_EQ(p.setLayer(AcDbObjectId::kNull), Acad::eNullObjectId);

    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    DbTestPoint orphan;
    EXPECT_EQ(orphan.setLayer("0"), Acad::eNoDatabase);
}

TEST_F(Entities, AppendBindsLayersOfAnotherDatabaseByName) {
    AcDbDatabase other(true, true);
    addLayer(&other, "Red", 3);
    auto* p = new DbTestPoint;
    ASSERT_EQ(p->setLayer(red), Acad::eOk);  // of db
    AcDbObjectId id = addToModelSpace(&other, p);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(e->layerId().database(), &other);
    EXPECT_STREQ(e->layer(), "Red");
    e->close();
}

TEST_F(Entities, PropertiesFromAndDefaults) {
    db.setClayer(red);
    db.setCecolor(AcCmColor::fromIndex(5));
    db.setHeaderValue("CELTSCALE", 0.5);
    DbTestPoint a;
    a.setDatabaseDefaults();
    EXPECT_EQ(a.layerId(), red);
    EXPECT_EQ(a.colorIndex(), 5);
    EXPECT_DOUBLE_EQ(a.linetypeScale(), 0.5);
    EXPECT_EQ(a.linetypeId(), db.byLayerLinetype());
    EXPECT_EQ(a.database(), &db);

    a.setLineWeight(AcDb::kLnWt050);
    a.setVisibility(AcDb::kInvisible);
    a.setPlotStyleName("Thin");
    DbTestPoint b;
    ASSERT_EQ(b.setPropertiesFrom(&a), Acad::eOk);
    EXPECT_EQ(b.layerId(), red);
    EXPECT_EQ(b.colorIndex(), 5);
    EXPECT_EQ(b.lineWeight(), AcDb::kLnWt050);
    EXPECT_EQ(b.visibility(), AcDb::kInvisible);
    EXPECT_STREQ(b.plotStyleName(), "Thin");
    EXPECT_EQ(b.setLinetypeScale(0.0), Acad::eInvalidInput);
    EXPECT_EQ(b.setColorIndex(257), Acad::eInvalidInput);
    EXPECT_EQ(b.setLineWeight(static_cast<AcDb::LineWeight>(7777)), Acad::eInvalidInput);
}

TEST_F(Entities, ListPrintsTheCommonProperties) {
    auto* p = new DbTestPoint;
    p->setLayer("Red");
    p->setColorIndex(3);
    AcDbObjectId id = addToModelSpace(&db, p);
    g_printed.clear();
    acutSetPrintSink(capture);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    e->list();
    e->close();
    acutSetPrintSink(nullptr);
    EXPECT_NE(g_printed.find("DBTESTPOINT"), std::string::npos);
    EXPECT_NE(g_printed.find("Layer: \"Red\""), std::string::npos);
    EXPECT_NE(g_printed.find("Model space"), std::string::npos);
    EXPECT_NE(g_printed.find("Color: 3"), std::string::npos);
    EXPECT_NE(g_printed.find("Handle = " + id.handle().ascii()), std::string::npos);
}

TEST_F(Entities, TransformedCopyIsTransformed) {
    DbTestPoint p(AcGePoint3d(1, 0, 0));
    p.setLayer("Red");
    AcDbEntity* copy = nullptr;
    ASSERT_EQ(p.getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(0, 5, 0)), copy), Acad::eOk);
    auto* moved = DbTestPoint::cast(copy);
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(moved->position().isEqualTo(AcGePoint3d(1, 5, 0)));
    EXPECT_EQ(moved->layerId(), red);
    EXPECT_TRUE(p.position().isEqualTo(AcGePoint3d(1, 0, 0)));
    delete copy;
}

TEST_F(Entities, OutlinesIntersect) {
    DbTestSegment a(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 2, 0));
    DbTestSegment b(AcGePoint3d(0, 2, 0), AcGePoint3d(2, 0, 0));
    AcGePoint3dArray pts;
    ASSERT_EQ(a.intersectWith(&b, AcDb::kOnBothOperands, pts), Acad::eOk);
    ASSERT_EQ(pts.length(), 1);
    EXPECT_TRUE(pts[0].isEqualTo(AcGePoint3d(1, 1, 0), AcGeTol()));

    // Short segments meet only when extended.
    DbTestSegment c(AcGePoint3d(0, 0, 0), AcGePoint3d(0.5, 0.5, 0));
    pts.removeAll();
    c.intersectWith(&b, AcDb::kOnBothOperands, pts);
    EXPECT_TRUE(pts.isEmpty());
    c.intersectWith(&b, AcDb::kExtendThis, pts);
    ASSERT_EQ(pts.length(), 1);
    EXPECT_TRUE(pts[0].isEqualTo(AcGePoint3d(1, 1, 0), AcGeTol()));

    // Skew lines in space meet only in projection; the point lies on this entity.
    DbTestSegment high(AcGePoint3d(0, 2, 5), AcGePoint3d(2, 0, 5));
    pts.removeAll();
    a.intersectWith(&high, AcDb::kOnBothOperands, pts);
    EXPECT_TRUE(pts.isEmpty());
    a.intersectWith(&high, AcDb::kOnBothOperands, AcGePlane(AcGePoint3d::kOrigin, AcGeVector3d(0, 0, 1)), pts);
    ASSERT_EQ(pts.length(), 1);
    EXPECT_NEAR(pts[0].z, 0.0, 1e-12);

    DbTestCircle circle(1.0);
    DbTestSegment chord(AcGePoint3d(-2, 0, 0), AcGePoint3d(2, 0, 0));
    pts.removeAll();
    circle.intersectWith(&chord, AcDb::kOnBothOperands, pts);
    ASSERT_EQ(pts.length(), 2);
    for (const AcGePoint3d& p : pts) EXPECT_NEAR(std::fabs(p.x), 1.0, 1e-9);
}

TEST_F(Entities, CurveDefaultsFromPoints) {
    DbTestCircle c(2.0);
    AcGeVector3d d1, d2;
    ASSERT_EQ(c.getFirstDeriv(0.0, d1), Acad::eOk);
    EXPECT_NEAR(d1.x, 0.0, 1e-4);
    EXPECT_NEAR(d1.y, 2.0, 1e-4);
    ASSERT_EQ(c.getSecondDeriv(std::numbers::pi / 2, d2), Acad::eOk);
    EXPECT_NEAR(d2.y, -2.0, 1e-3);
    double len = 0;
    ASSERT_EQ(c.getDistAtParam(std::numbers::pi, len), Acad::eOk);
    EXPECT_NEAR(len, 2 * std::numbers::pi, 1e-3);
    double t = 0;
    ASSERT_EQ(c.getParamAtDist(std::numbers::pi, t), Acad::eOk);
    EXPECT_NEAR(t, std::numbers::pi / 2, 1e-3);
    AcGePoint3d closest;
    ASSERT_EQ(c.getClosestPointTo(AcGePoint3d(5, 5, 0), closest), Acad::eOk);
    EXPECT_NEAR(closest.x, std::sqrt(2.0), 1e-6);
    EXPECT_NEAR(closest.y, std::sqrt(2.0), 1e-6);
    ASSERT_EQ(c.getParamAtPoint(AcGePoint3d(0, -2, 0), t), Acad::eOk);
    EXPECT_NEAR(t, 1.5 * std::numbers::pi, 1e-6);
    EXPECT_EQ(c.getParamAtPoint(AcGePoint3d(0, 0, 0), t), Acad::eInvalidInput);
    double area = 0;
    ASSERT_EQ(c.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 4 * std::numbers::pi, 1e-3);
    AcGePlane plane;
    AcDb::Planarity kind;
    ASSERT_EQ(c.getPlane(plane, kind), Acad::eOk);
    EXPECT_EQ(kind, AcDb::kPlanar);
    EXPECT_TRUE(plane.normal().isParallelTo(AcGeVector3d::kZAxis));
    DbTestSegment s(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 1));
    ASSERT_EQ(s.getPlane(plane, kind), Acad::eOk);
    EXPECT_EQ(kind, AcDb::kLinear);
    AcGePoint3d start, end;
    s.getStartPoint(start);
    s.getEndPoint(end);
    EXPECT_TRUE(end.isEqualTo(AcGePoint3d(1, 1, 1)));
}

}  // namespace
