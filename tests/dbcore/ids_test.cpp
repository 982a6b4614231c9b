#include <gtest/gtest.h>
#include "testentities.h"

namespace {

TEST(Handles, TextForms) {
    EXPECT_EQ(AcDbHandle("1f").value(), 0x1Fu);
    EXPECT_EQ(AcDbHandle("00FF").ascii(), "FF");
    EXPECT_TRUE(AcDbHandle("xyz").isNull());
    EXPECT_TRUE(AcDbHandle("12345678901234567").isNull());  // more than 64 bits
    EXPECT_EQ(AcDbHandle(0xFFFFFFFFFFFFFFFFull).ascii(), "FFFFFFFFFFFFFFFF");
    char buf[4];
    AcDbHandle(0xABCDE).getIntoAsciiBuffer(buf, sizeof buf);
    EXPECT_STREQ(buf, "");  // never a cut, wrong handle
}

TEST(Handles, SeedStaysAboveEveryHandleSeen) {
    AcDbDatabase db(true, true);
    AcDbObjectId forward;
    ASSERT_EQ(db.getAcDbObjectId(forward, false, AcDbHandle(0x500)), Acad::eUnknownHandle);
    ASSERT_EQ(db.getAcDbObjectId(forward, true, AcDbHandle(0x500)), Acad::eOk);
    EXPECT_FALSE(forward.isNull());
    EXPECT_FALSE(forward.isValid());
    EXPECT_EQ(forward.handle().value(), 0x500u);
    EXPECT_GT(db.handseed().value(), 0x500u);
    AcDbObjectId again;
    db.getAcDbObjectId(again, true, AcDbHandle(0x500));
    EXPECT_EQ(again, forward);

    AcDbObjectId fresh = addToModelSpace(&db, new DbTestPoint);
    EXPECT_GT(fresh.handle().value(), 0x500u);

    // A reader fills the forward reference: the object takes the handle made for it.
    auto* late = new DbTestPoint;
    late->internalSetId(forward);
    AcDbObjectId resolved;
    ASSERT_EQ(db.addAcDbObject(resolved, late), Acad::eOk);
    EXPECT_EQ(resolved, forward);
    EXPECT_TRUE(forward.isValid());
    EXPECT_EQ(forward.objectClass(), DbTestPoint::desc());
    late->close();

    AcDbObjectId nullId;
    EXPECT_EQ(db.getAcDbObjectId(nullId, true, AcDbHandle()), Acad::eNullHandle);
}

// A file may name the highest handles; new objects then take free handles from the bottom.
TEST(Handles, NewObjectsFindAHandleAfterTheHighestIsTaken) {
    AcDbDatabase db(true, true);
    AcDbObjectId high, top;
    ASSERT_EQ(db.getAcDbObjectId(high, true, AcDbHandle(UINT64_MAX - 1)), Acad::eOk);
    ASSERT_EQ(db.getAcDbObjectId(top, true, AcDbHandle(UINT64_MAX)), Acad::eOk);
    AcDbObjectId fresh = addToModelSpace(&db, new DbTestPoint);
    ASSERT_FALSE(fresh.isNull());
    EXPECT_NE(fresh, top);
    EXPECT_NE(fresh, high);
    EXPECT_TRUE(fresh.isValid());
}

TEST(ObjectIds, OldIdsResolveWithinTheirDatabase) {
    AcDbDatabase db(true, true);
    AcDbObjectId id = addToModelSpace(&db, new DbTestPoint);
    int32_t old = id.asOldId();
    EXPECT_EQ(static_cast<uint32_t>(old), id.handle().low());
    AcDbObjectId back;
    back.setFromOldId(old, &db);
    EXPECT_EQ(back, id);
    back.setFromOldId(0x7FFFFF, &db);
    EXPECT_TRUE(back.isNull());  // not made up for an unknown value
    back.setFromOldId(old, nullptr);
    EXPECT_TRUE(back.isNull());
}

TEST(ObjectIds, AdsNamesCarryHandleAndDatabase) {
    AcDbDatabase db(true, true);
    AcDbObjectId id = addToModelSpace(&db, new DbTestPoint);
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
    EXPECT_EQ(static_cast<uint64_t>(name[0]), id.handle().value());
    AcDbObjectId back;
    ASSERT_EQ(acdbGetObjectId(back, name), Acad::eOk);
    EXPECT_EQ(back, id);
    EXPECT_EQ(acdbGetAdsName(name, AcDbObjectId::kNull), Acad::eNullObjectId);

    ads_name stale = {static_cast<int64_t>(id.handle().value()), 0};
    {
        AcDbDatabase gone(true, true);
        stale[1] = static_cast<int64_t>(reinterpret_cast<intptr_t>(&gone));
    }
    EXPECT_EQ(acdbGetObjectId(back, stale), Acad::eInvalidInput);
    EXPECT_TRUE(back.isNull());
}

TEST(ObjectIds, AllIdsInHandleOrder) {
    AcDbDatabase db(true, true);
    addToModelSpace(&db, new DbTestPoint);
    std::vector<AcDbObjectId> ids = db.allIds();
    ASSERT_FALSE(ids.empty());
    for (size_t i = 1; i < ids.size(); ++i) EXPECT_TRUE(ids[i - 1].handle() < ids[i].handle());
    EXPECT_EQ(ids.front(), db.blockTableId());
}

TEST(Purge, KeepsWhatNothingUses) {
    AcDbDatabase db(true, true);
    AcDbObjectId used = addLayer(&db, "Used");
    AcDbObjectId unused = addLayer(&db, "Unused");
    auto* p = new DbTestPoint;
    p->setDatabaseDefaults(&db);
    p->setLayer("Used");
    addToModelSpace(&db, p);
    AcDbObjectIdArray ids{used, unused, db.layerZero(), db.continuousLinetype()};
    ASSERT_EQ(db.purge(ids), Acad::eOk);
    EXPECT_EQ(ids.length(), 1);
    EXPECT_TRUE(ids.contains(unused));
}

TEST(Database, ClearEmptiesAndDefaultsRebuild) {
    AcDbDatabase db(true, true);
    addToModelSpace(&db, new DbTestPoint);
    db.setHeaderValue("$LUNITS", 4);
    db.internalClear();
    EXPECT_EQ(db.numObjects(), 0u);
    EXPECT_TRUE(db.blockTableId().isNull());
    EXPECT_EQ(db.lunits(), 2);
    EXPECT_EQ(db.handseed().value(), 1u);
    db.internalBuildDefaults();
    EXPECT_FALSE(db.modelSpaceId().isNull());
    EXPECT_FALSE(db.layerZero().isNull());
    size_t n = db.numObjects();
    db.internalBuildDefaults();  // nothing missing: nothing added
    EXPECT_EQ(db.numObjects(), n);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(Database, ExtentsOfModelSpace) {
    AcDbDatabase db(true, true);
    EXPECT_TRUE(db.computeExtents().isEmpty());
    addToModelSpace(&db, new DbTestPoint(AcGePoint3d(-1, 2, 0)));
    addToModelSpace(&db, new DbTestPoint(AcGePoint3d(4, -3, 1)));
    AcDbExtents ext = db.computeExtents();
    EXPECT_TRUE(ext.minPoint().isEqualTo(AcGePoint3d(-1, -3, 0)));
    EXPECT_TRUE(ext.maxPoint().isEqualTo(AcGePoint3d(4, 2, 1)));
    EXPECT_EQ(db.numOpenObjects(), 0);
}

}  // namespace
