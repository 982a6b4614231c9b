#include <gtest/gtest.h>
#include "testentities.h"

namespace {

std::vector<std::string> names(const AcDbSymbolTable* table, bool forward) {
    std::vector<std::string> out;
    AcDbSymbolTableIterator* it = nullptr;
    table->newIterator(it, forward);
    for (; !it->done(); it->step(forward)) {
        AcDbSymbolTableRecord* r = nullptr;
        if (it->getRecord(r, AcDb::kForRead) == Acad::eOk) {
            out.push_back(r->name());
            r->close();
        }
    }
    delete it;
    return out;
}

class SymbolTables : public ::testing::Test {
protected:
    AcDbDatabase db{true, true};
};

TEST_F(SymbolTables, DefaultDrawingHasTheStandardRecords) {
    struct { AcDbObjectId table; const char* name; } wanted[] = {
        {db.layerTableId(), "0"},           {db.linetypeTableId(), "ByBlock"},
        {db.linetypeTableId(), "ByLayer"},  {db.linetypeTableId(), "Continuous"},
        {db.textStyleTableId(), "Standard"}, {db.blockTableId(), "*Model_Space"},
        {db.blockTableId(), "*Paper_Space"}, {db.regAppTableId(), "ACAD"},
        {db.dimStyleTableId(), "Standard"},  {db.viewportTableId(), "*Active"},
    };
    for (const auto& w : wanted) {
        AcDbSymbolTable* t = nullptr;
        ASSERT_EQ(acdbOpenObject(t, w.table, AcDb::kForRead), Acad::eOk);
        EXPECT_TRUE(t->has(w.name)) << w.name;
        t->close();
    }
    EXPECT_EQ(db.clayer(), db.layerZero());
    EXPECT_EQ(db.celtype(), db.byLayerLinetype());
    EXPECT_EQ(db.currentSpaceId(), db.modelSpaceId());
    db.setTilemode(false);
    EXPECT_EQ(db.currentSpaceId(), db.paperSpaceId());
    EXPECT_EQ(db.lunits(), 2);
    EXPECT_EQ(db.luprec(), 4);
    EXPECT_DOUBLE_EQ(db.textsize(), 2.5);
    EXPECT_EQ(db.cecolor().colorIndex(), 256);
    AcDbLayerTableRecord* zero = nullptr;
    ASSERT_EQ(acdbOpenObject(zero, db.layerZero(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(zero->color().colorIndex(), 7);
    EXPECT_EQ(zero->linetypeObjectId(), db.continuousLinetype());
    zero->close();
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(SymbolTables, NamesAreUniqueWithoutRegardToCase) {
    AcDbObjectId walls = addLayer(&db, "Walls");
    ASSERT_FALSE(walls.isNull());
    AcDbLayerTable* t = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId found;
    EXPECT_EQ(t->getAt("WALLS", found), Acad::eOk);
    EXPECT_EQ(found, walls);
    auto* dup = new AcDbLayerTableRecord;
    dup->setName("wAlLs");
    EXPECT_EQ(t->add(dup), Acad::eDuplicateKey);
    auto* empty = new AcDbLayerTableRecord;
    EXPECT_EQ(t->add(empty), Acad::eInvalidSymbolTableName);
    auto* wrong = new AcDbLinetypeTableRecord;
    wrong->setName("Dashed");
    EXPECT_EQ(t->add(wrong), Acad::eWrongObjectType);
    delete dup;
    delete empty;
    delete wrong;
    t->close();
    auto* bad = new AcDbLayerTableRecord;
    EXPECT_EQ(bad->setName("a<b"), Acad::eInvalidSymbolTableName);
    EXPECT_EQ(bad->setName(""), Acad::eInvalidSymbolTableName);
    EXPECT_EQ(bad->setName(" lead"), Acad::eInvalidSymbolTableName);
    EXPECT_EQ(bad->setName("X|Dependent"), Acad::eOk);
    delete bad;
}

TEST_F(SymbolTables, AddNeedsTheTableOpenForWrite) {
    AcDbLayerTable* t = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord;
    layer->setName("Doors");
    EXPECT_EQ(t->add(layer), Acad::eNotOpenForWrite);
    EXPECT_FALSE(layer->isDatabaseResident());
    delete layer;
    t->close();
}

TEST_F(SymbolTables, IteratorsRunBothWaysAndSkipErased) {
    addLayer(&db, "A");
    AcDbObjectId b = addLayer(&db, "B");
    addLayer(&db, "C");
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, b, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(rec->erase(), Acad::eOk);
    rec->close();

    AcDbLayerTable* t = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(names(t, true), (std::vector<std::string>{"0", "A", "C"}));
    EXPECT_EQ(names(t, false), (std::vector<std::string>{"C", "A", "0"}));
    EXPECT_EQ(t->numRecords(), 3);
    EXPECT_EQ(t->numRecords(true), 4);
    EXPECT_FALSE(t->has("B"));
    AcDbObjectId erased;
    EXPECT_EQ(t->getAt("B", erased, true), Acad::eOk);
    EXPECT_EQ(erased, b);

    AcDbSymbolTableIterator* it = nullptr;
    t->newIterator(it, true, false);
    int all = 0;
    for (; !it->done(); it->step(true, false)) ++all;
    EXPECT_EQ(all, 4);
    EXPECT_EQ(it->seek(b), Acad::eOk);
    AcDbObjectId at;
    EXPECT_EQ(it->getRecordId(at), Acad::eOk);
    EXPECT_EQ(at, b);
    delete it;
    t->close();
}

TEST_F(SymbolTables, ErasedNameCanBeTakenAgainButNotUnerasedOver) {
    AcDbObjectId first = addLayer(&db, "Temp");
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, first, AcDb::kForWrite), Acad::eOk);
    rec->erase();
    rec->close();
    AcDbObjectId second = addLayer(&db, "TEMP");
    ASSERT_FALSE(second.isNull());
    ASSERT_EQ(acdbOpenObject(rec, first, AcDb::kForWrite, true), Acad::eOk);
    EXPECT_EQ(rec->erase(false), Acad::eDuplicateKey);
    EXPECT_TRUE(rec->isErased());
    rec->close();
}

TEST_F(SymbolTables, RenameKeepsLookupAndCurrentLayer) {
    AcDbObjectId id = addLayer(&db, "Old");
    ASSERT_EQ(db.setClayer(id), Acad::eOk);
    addLayer(&db, "Taken");
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(rec->setName("taken"), Acad::eDuplicateKey);
    EXPECT_EQ(rec->setName("New"), Acad::eOk);
    rec->close();
    AcDbLayerTable* t = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(t->has("Old"));
    EXPECT_TRUE(t->has("new"));
    t->close();
    EXPECT_EQ(db.clayer(), id);
    EXPECT_EQ(std::get<std::string>(db.headerValue("CLAYER")), "New");
}

TEST_F(SymbolTables, StandardRecordsStay) {
    AcDbLayerTableRecord* zero = nullptr;
    ASSERT_EQ(acdbOpenObject(zero, db.layerZero(), AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(zero->erase(), Acad::eCannotBeErasedByCaller);
    EXPECT_EQ(zero->setName("Zero"), Acad::eInvalidInput);
    zero->close();
    AcDbObjectId current = addLayer(&db, "Current");
    db.setClayer(current);
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, current, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(obj->erase(), Acad::eCannotBeErasedByCaller);
    obj->close();
}

}  // namespace
