#include <gtest/gtest.h>
#include "db/blockref.h"
#include "testentities.h"

namespace {

class BlockRecords : public ::testing::Test {
protected:
    AcDbObjectId addBlock(const char* name) {
        AcDbBlockTable* t = nullptr;
        AcDbObjectId id;
        db.getBlockTable(t, AcDb::kForWrite);
        auto* btr = new AcDbBlockTableRecord;
        btr->setName(name);
        if (t->add(id, btr) == Acad::eOk) btr->close();
        else delete btr;
        t->close();
        return id;
    }
    std::vector<AcDbObjectId> walk(AcDbObjectId block, bool forward) {
        std::vector<AcDbObjectId> out;
        AcDbBlockTableRecord* btr = nullptr;
        if (acdbOpenObject(btr, block, AcDb::kForRead) != Acad::eOk) return out;
        AcDbBlockTableRecordIterator* it = nullptr;
        btr->newIterator(it, forward);
        for (; !it->done(); it->step(forward)) {
            AcDbEntity* e = nullptr;
            if (it->getEntity(e, AcDb::kForRead) == Acad::eOk) {
                out.push_back(e->objectId());
                e->close();
            }
        }
        delete it;
        btr->close();
        return out;
    }
    AcDbDatabase db{true, true};
};

TEST_F(BlockRecords, AppendRules) {
    auto* p = new DbTestPoint;
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ms->appendAcDbEntity(p), Acad::eNotOpenForWrite);
    ASSERT_EQ(ms->upgradeOpen(), Acad::eOk);
    EXPECT_EQ(ms->appendAcDbEntity(nullptr), Acad::eNullObjectPointer);
    AcDbObjectId id;
    ASSERT_EQ(ms->appendAcDbEntity(id, p), Acad::eOk);
    EXPECT_EQ(ms->appendAcDbEntity(p), Acad::eAlreadyInDb);
    EXPECT_TRUE(p->isWriteEnabled());
    EXPECT_EQ(p->ownerId(), db.modelSpaceId());
    EXPECT_EQ(p->blockId(), db.modelSpaceId());
    EXPECT_EQ(p->database(), &db);
    EXPECT_EQ(p->layerId(), db.layerZero());  // unset properties take the current ones
    EXPECT_EQ(p->linetypeId(), db.byLayerLinetype());
    p->close();
    ms->close();

    AcDbBlockTableRecord loose;
    auto* q = new DbTestPoint;
    EXPECT_EQ(loose.appendAcDbEntity(q), Acad::eNotInDatabase);
    delete q;
}

TEST_F(BlockRecords, IterationSkipsErasedBothWays) {
    AcDbObjectId a = addToModelSpace(&db, new DbTestPoint);
    AcDbObjectId b = addToModelSpace(&db, new DbTestPoint);
    AcDbObjectId c = addToModelSpace(&db, new DbTestPoint);
    EXPECT_EQ(walk(db.modelSpaceId(), true), (std::vector<AcDbObjectId>{a, b, c}));
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, b, AcDb::kForWrite), Acad::eOk);
    obj->erase();
    obj->close();
    EXPECT_EQ(walk(db.modelSpaceId(), true), (std::vector<AcDbObjectId>{a, c}));
    EXPECT_EQ(walk(db.modelSpaceId(), false), (std::vector<AcDbObjectId>{c, a}));

    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecordIterator* it = nullptr;
    ms->newIterator(it);
    EXPECT_EQ(it->seek(c), Acad::eOk);
    AcDbObjectId at;
    it->getEntityId(at);
    EXPECT_EQ(at, c);
    it->step();
    EXPECT_TRUE(it->done());
    EXPECT_EQ(it->getEntityId(at), Acad::eInvalidIndex);
    delete it;
    ms->close();
}

TEST_F(BlockRecords, BlockReferenceIdsFollowTheReferences) {
    AcDbObjectId inner = addBlock("Inner");
    AcDbObjectId outer = addBlock("Outer");
    // Outer holds a reference to Inner; model space holds one to each.
    AcDbBlockTableRecord* btr = nullptr;
    ASSERT_EQ(acdbOpenObject(btr, outer, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId nested;
    auto* ref = new AcDbBlockReference(AcGePoint3d::kOrigin, inner);
    ASSERT_EQ(btr->appendAcDbEntity(nested, ref), Acad::eOk);
    ref->close();
    btr->close();
    AcDbObjectId direct = addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(5, 0, 0), inner));
    AcDbObjectId viaOuter = addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(9, 0, 0), outer));

    ASSERT_EQ(acdbOpenObject(btr, inner, AcDb::kForRead), Acad::eOk);
    AcDbObjectIdArray ids;
    EXPECT_EQ(btr->getBlockReferenceIds(ids), Acad::eOk);
    EXPECT_EQ(ids.length(), 2);
    EXPECT_TRUE(ids.contains(nested));
    EXPECT_TRUE(ids.contains(direct));
    ids.removeAll();
    btr->getBlockReferenceIds(ids, false);
    EXPECT_EQ(ids.length(), 3);
    EXPECT_TRUE(ids.contains(viaOuter));
    btr->close();
}

}  // namespace
