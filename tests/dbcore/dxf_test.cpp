#include <gtest/gtest.h>
#include <numbers>
#include "db/dxffiler.h"
#include "testentities.h"

namespace {

const AcDbDxfGroup* group(const AcDbDxfMemoryFiler& f, int code) {
    for (const AcDbDxfGroup& g : f.groups())
        if (g.code == code) return &g;
    return nullptr;
}

class EntityDxf : public ::testing::Test {
protected:
    AcDbDatabase db{true, true};
    AcDbObjectId red = addLayer(&db, "Red", 1);
};

TEST_F(EntityDxf, DefaultsAreLeftOut) {
    auto* p = new DbTestPoint;
    AcDbObjectId id = addToModelSpace(&db, p);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    AcDbDxfMemoryFiler out(&db);
    ASSERT_EQ(e->dxfOutFields(&out), Acad::eOk);
    e->close();
    ASSERT_NE(group(out, 100), nullptr);
    EXPECT_EQ(group(out, 100)->text, "AcDbEntity");
    ASSERT_NE(group(out, 8), nullptr);
    EXPECT_EQ(group(out, 8)->text, "0");
    for (int code : {6, 62, 370, 48, 60, 67}) EXPECT_EQ(group(out, code), nullptr) << code;
}

TEST_F(EntityDxf, ByBlockIsWrittenByLayerIsNot) {
    DbTestPoint p;
    p.setDatabaseDefaults(&db);
    EXPECT_TRUE(p.color().isByLayer());
    EXPECT_EQ(p.linetypeId(), db.byLayerLinetype());
    p.setColorIndex(0);
    p.setLinetype(db.byBlockLinetype());
    EXPECT_TRUE(p.color().isByBlock());
    AcDbDxfMemoryFiler out(&db);
    ASSERT_EQ(p.dxfOutFields(&out), Acad::eOk);
    ASSERT_NE(group(out, 62), nullptr);
    EXPECT_EQ(group(out, 62)->integer, 0);
    ASSERT_NE(group(out, 6), nullptr);
    EXPECT_EQ(group(out, 6)->text, "ByBlock");
}

TEST_F(EntityDxf, PropertiesRoundTrip) {
    auto* p = new DbTestPoint;
    p->setDatabaseDefaults(&db);
    p->setLayer(red);
    p->setLinetype("Continuous");
    p->setColorIndex(3);
    p->setLineWeight(AcDb::kLnWt050);
    p->setLinetypeScale(2.0);
    p->setVisibility(AcDb::kInvisible);
    AcDbDxfMemoryFiler filer(&db);
    ASSERT_EQ(p->dxfOutFields(&filer), Acad::eOk);
    EXPECT_EQ(group(filer, 6)->text, "Continuous");
    EXPECT_EQ(group(filer, 62)->integer, 3);
    filer.rewind();
    DbTestPoint back;
    back.setDatabaseDefaults(&db);
    ASSERT_EQ(back.dxfInFields(&filer), Acad::eOk);
    EXPECT_EQ(back.layerId(), red);
    EXPECT_EQ(back.linetypeId(), db.continuousLinetype());
    EXPECT_EQ(back.colorIndex(), 3);
    EXPECT_EQ(back.lineWeight(), AcDb::kLnWt050);
    EXPECT_DOUBLE_EQ(back.linetypeScale(), 2.0);
    EXPECT_EQ(back.visibility(), AcDb::kInvisible);
    delete p;
}

TEST_F(EntityDxf, ReadsAnyOrderAndStopsAtTheNextSubclass) {
    AcDbDxfMemoryFiler filer(&db);
    filer.writeSubclass("AcDbEntity");
    filer.writeInt16(62, 4);
    filer.writeDouble(48, 0.5);
    filer.writeString(8, "Fresh");  // not in the table yet: made on reading
    filer.writeInt32(420, 0x00FF00);  // true colour: passed over
    filer.writeSubclass("AcDbPoint");
    filer.writeString(1, "rest");
    filer.rewind();
    DbTestPoint p;
    p.setDatabaseDefaults(&db);
    ASSERT_EQ(p.dxfInFields(&filer), Acad::eOk);
    EXPECT_EQ(p.colorIndex(), 4);
    EXPECT_DOUBLE_EQ(p.linetypeScale(), 0.5);
    EXPECT_STREQ(p.layer(), "Fresh");
    AcDbLayerTable* t = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(t->has("Fresh"));
    t->close();
    resbuf rb;
    ASSERT_EQ(filer.readItem(&rb), Acad::eOk);  // the next part is left for the subclass
    EXPECT_EQ(rb.restype, 100);
}

TEST_F(EntityDxf, RecordsRoundTrip) {
    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(acdbOpenObject(layer, red, AcDb::kForWrite), Acad::eOk);
    layer->setIsOff(true);
    layer->setLinetypeObjectId(db.continuousLinetype());
    AcDbDxfMemoryFiler filer(&db);
    ASSERT_EQ(layer->dxfOutFields(&filer), Acad::eOk);
    layer->close();
    EXPECT_EQ(group(filer, 62)->integer, -1);
    EXPECT_EQ(group(filer, 2)->text, "Red");
    filer.rewind();
    AcDbLayerTableRecord back;
    ASSERT_EQ(back.dxfInFields(&filer), Acad::eOk);
    EXPECT_STREQ(back.name(), "Red");
    EXPECT_TRUE(back.isOff());
    EXPECT_EQ(back.color().colorIndex(), 1);
    EXPECT_EQ(back.linetypeObjectId(), db.continuousLinetype());

    AcDbLinetypeTableRecord dashed;
    dashed.setName("Dashed");
    dashed.setNumDashes(2);
    dashed.setDashLengthAt(0, 0.5);
    dashed.setDashLengthAt(1, -0.25);
    AcDbDxfMemoryFiler lt(&db);
    ASSERT_EQ(dashed.dxfOutFields(&lt), Acad::eOk);
    EXPECT_DOUBLE_EQ(group(lt, 40)->xyz[0], 0.75);
    lt.rewind();
    AcDbLinetypeTableRecord ltBack;
    ASSERT_EQ(ltBack.dxfInFields(&lt), Acad::eOk);
    ASSERT_EQ(ltBack.numDashes(), 2);
    EXPECT_DOUBLE_EQ(ltBack.dashLengthAt(1), -0.25);

    AcDbTextStyleTableRecord style;
    style.setName("Slanted");
    style.setObliquingAngle(std::numbers::pi / 12);
    AcDbDxfMemoryFiler st(&db);
    ASSERT_EQ(style.dxfOutFields(&st), Acad::eOk);
    EXPECT_NEAR(group(st, 50)->xyz[0], 15.0, 1e-12);  // degrees in the file
    st.rewind();
    AcDbTextStyleTableRecord styleBack;
    ASSERT_EQ(styleBack.dxfInFields(&st), Acad::eOk);
    EXPECT_NEAR(styleBack.obliquingAngle(), std::numbers::pi / 12, 1e-12);
}

}  // namespace
