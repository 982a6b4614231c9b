// The display of a drawing: a regen draws the current space; a display update redraws just the
// entities changed since the last one.
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/line.h"
#include "ed/display.h"
#include "editor_fixture.h"

namespace {
class DisplayTest : public EditorTest {
protected:
    AcDbObjectId append(AcDbEntity* entity) {
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(space, doc->database()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        space->appendAcDbEntity(id, entity);
        entity->close();
        space->close();
        return id;
    }
    AcDbObjectId line(double y) { return append(new AcDbLine(AcGePoint3d(0, y, 0), AcGePoint3d(10, y, 0))); }
    template <class T, class Fn>
    void write(AcDbObjectId id, Fn&& fn) {
        T* object = nullptr;
        ASSERT_EQ(acdbOpenObject(object, id, AcDb::kForWrite, true), Acad::eOk);
        fn(object);
        object->close();
    }
    AcEdDisplayList& display() { return doc->display(); }
};

TEST_F(DisplayTest, RegenDrawsEveryEntityOfTheCurrentSpace) {
    const AcDbObjectId a = line(0), b = line(5);
    write<AcDbLine>(b, [](AcDbLine* l) { l->erase(); });
    EXPECT_EQ(ads_regen(), RTNORM);
    EXPECT_EQ(display().regenCount(), 1);
    EXPECT_EQ(display().lastDrawn(), std::vector<AcDbObjectId>{a});
    ASSERT_NE(display().primitivesOf(a), nullptr);
    EXPECT_EQ(display().primitivesOf(b), nullptr) << "erased entities are not shown";
    EXPECT_EQ(display().pendingCount(), 0u);
    EXPECT_EQ(acedRegen(), RTNORM);
    EXPECT_EQ(display().regenCount(), 2);
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);

    acDocManager->closeAllDocuments();
    EXPECT_EQ(ads_regen(), RTERROR);
    acedUpdateDisplay();  // nothing to update, nothing to break
}

TEST_F(DisplayTest, UpdateRedrawsOnlyWhatChanged) {
    const AcDbObjectId a = line(0), b = line(5), c = line(10);
    ASSERT_EQ(acedRegen(), RTNORM);
    write<AcDbLine>(a, [](AcDbLine* l) { l->setEndPoint(AcGePoint3d(20, 0, 0)); });
    write<AcDbLine>(b, [](AcDbLine* l) { l->erase(); });
    const AcDbObjectId d = line(15);
    EXPECT_TRUE(display().isPending(a));
    EXPECT_FALSE(display().isPending(c));
    const std::vector<AcGiPrimitive> before = *display().primitivesOf(a);
    ASSERT_FALSE(before.empty());
    EXPECT_DOUBLE_EQ(before[0].points.back().x, 10.0) << "the display is stale until updated";

    acedUpdateDisplay();
    EXPECT_EQ(display().updateCount(), 1);
    EXPECT_EQ(display().lastDrawn(), (std::vector<AcDbObjectId>{a, d}));
    EXPECT_DOUBLE_EQ(display().primitivesOf(a)->at(0).points.back().x, 20.0);
    EXPECT_EQ(display().primitivesOf(b), nullptr) << "the erased line left the display";
    EXPECT_NE(display().primitivesOf(c), nullptr);
    EXPECT_EQ(display().entityCount(), 3u);
    EXPECT_EQ(display().pendingCount(), 0u);

    acedUpdateDisplay();
    EXPECT_TRUE(display().lastDrawn().empty()) << "nothing changed since";

    write<AcDbLine>(b, [](AcDbLine* l) { l->erase(false); });
    acedUpdateDisplay();
    EXPECT_EQ(display().lastDrawn(), std::vector<AcDbObjectId>{b}) << "unerased lines come back";
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

TEST_F(DisplayTest, AChangedAttributeRedrawsItsInsert) {
    AcDbDatabase* db = doc->database();
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* record = new AcDbBlockTableRecord();
    record->setName("B");
    AcDbObjectId blockId;
    ASSERT_EQ(table->add(blockId, record), Acad::eOk);
    auto* part = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    record->appendAcDbEntity(part);
    part->close();
    record->close();
    table->close();
    const AcDbObjectId insert = append(new AcDbBlockReference(AcGePoint3d(5, 5, 0), blockId));
    AcDbObjectId attribute;
    write<AcDbBlockReference>(insert, [&](AcDbBlockReference* ref) {
        auto* att = new AcDbAttribute(AcGePoint3d(5, 4, 0), "old", "TAG");
        ref->appendAttribute(attribute, att);
        att->close();
    });
    ASSERT_EQ(acedRegen(), RTNORM);
    write<AcDbAttribute>(attribute, [](AcDbAttribute* att) { att->setTextString("new"); });
    acedUpdateDisplay();
    EXPECT_EQ(display().lastDrawn(), std::vector<AcDbObjectId>{insert});
    bool shown = false;
    for (const AcGiPrimitive& p : *display().primitivesOf(insert)) shown |= p.text == "new";
    EXPECT_TRUE(shown);
}
}  // namespace
