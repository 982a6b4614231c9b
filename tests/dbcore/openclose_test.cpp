#include <gtest/gtest.h>
#include <algorithm>
#include "testentities.h"

namespace {

class OpenClose : public ::testing::Test {
protected:
    AcDbDatabase db{true, true};
    AcDbObjectId point = addToModelSpace(&db, new DbTestPoint(AcGePoint3d(1, 2, 3)));
};

TEST_F(OpenClose, ReadersShareWritersExclude) {
    AcDbEntity* r1 = nullptr;
    AcDbEntity* r2 = nullptr;
    AcDbEntity* w = nullptr;
    ASSERT_EQ(acdbOpenObject(r1, point, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(r2, point, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(r1, r2);
    EXPECT_EQ(db.numOpenObjects(), 2);
    EXPECT_EQ(acdbOpenObject(w, point, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(w, nullptr);
    EXPECT_FALSE(r1->isWriteEnabled());
    r1->close();
    r2->close();

    ASSERT_EQ(acdbOpenObject(w, point, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(r1, point, AcDb::kForRead), Acad::eWasOpenForWrite);
    AcDbEntity* w2 = nullptr;
    EXPECT_EQ(acdbOpenObject(w2, point, AcDb::kForWrite), Acad::eWasOpenForWrite);
    w->close();
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(OpenClose, CountsReturnToZero) {
    int before = acdbHostOpenObjectCount();
    AcDbObject* objs[3] = {};
    for (AcDbObject*& o : objs) ASSERT_EQ(acdbOpenObject(o, point, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(acdbHostOpenObjectCount(), before + 3);
    EXPECT_EQ(db.numOpenObjects(), 3);
    for (AcDbObject* o : objs) EXPECT_EQ(o->close(), Acad::eOk);
    EXPECT_EQ(acdbHostOpenObjectCount(), before);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(OpenClose, NotifyOpensGoAlongsideReaders) {
    AcDbObject* reader = nullptr;
    AcDbObject* notifier = nullptr;
    ASSERT_EQ(acdbOpenObject(reader, point, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(notifier, point, AcDb::kForNotify), Acad::eOk);
    EXPECT_TRUE(notifier->isNotifyEnabled());
    notifier->close();
    EXPECT_TRUE(reader->isReadEnabled());
    reader->close();
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(OpenClose, NullAndUnresolvedIds) {
    AcDbObject* obj = nullptr;
    EXPECT_EQ(acdbOpenObject(obj, AcDbObjectId::kNull, AcDb::kForRead), Acad::eNullObjectId);
    AcDbObjectId forward;
    ASSERT_EQ(db.getAcDbObjectId(forward, true, AcDbHandle(0x9000)), Acad::eOk);
    EXPECT_FALSE(forward.isValid());
    EXPECT_EQ(acdbOpenObject(obj, forward, AcDb::kForRead), Acad::eUnknownHandle);
    EXPECT_EQ(obj, nullptr);
}

TEST_F(OpenClose, WrongClassClosesAgain) {
    AcDbBlockTableRecord* btr = nullptr;
    EXPECT_EQ(acdbOpenObject(btr, point, AcDb::kForWrite), Acad::eNotThatKindOfClass);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(OpenClose, ErasedObjectsOpenOnlyWhenAsked) {
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, point, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(e->erase(), Acad::eNotOpenForWrite);
    ASSERT_EQ(e->upgradeOpen(), Acad::eOk);
    EXPECT_EQ(e->erase(), Acad::eOk);
    EXPECT_EQ(e->erase(), Acad::eWasErased);
    e->close();
    EXPECT_TRUE(point.isErased());
    EXPECT_TRUE(point.isValid());  // still in memory
    EXPECT_EQ(acdbOpenObject(e, point, AcDb::kForRead), Acad::eWasErased);
    ASSERT_EQ(acdbOpenObject(e, point, AcDb::kForWrite, true), Acad::eOk);
    EXPECT_TRUE(e->isErased());
    EXPECT_EQ(e->erase(false), Acad::eOk);
    e->close();
    EXPECT_FALSE(point.isErased());
    EXPECT_EQ(acdbOpenObject(e, point, AcDb::kForRead), Acad::eOk);
    e->close();
}

TEST_F(OpenClose, UpgradeNeedsTheOnlyReader) {
    AcDbObject* a = nullptr;
    AcDbObject* b = nullptr;
    ASSERT_EQ(acdbOpenObject(a, point, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(b, point, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(a->upgradeOpen(), Acad::eWasOpenForRead);
    b->close();
    EXPECT_EQ(a->upgradeOpen(), Acad::eOk);
    EXPECT_TRUE(a->isWriteEnabled());
    EXPECT_EQ(db.numOpenObjects(), 1);
    EXPECT_EQ(a->downgradeOpen(), Acad::eOk);
    EXPECT_FALSE(a->isWriteEnabled());
    EXPECT_TRUE(a->isReadEnabled());
    EXPECT_EQ(a->downgradeOpen(), Acad::eNotOpenForWrite);
    // Another reader may join again after the downgrade.
    ASSERT_EQ(acdbOpenObject(b, point, AcDb::kForRead), Acad::eOk);
    b->close();
    a->close();
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(OpenClose, AccessRulesAreCountedNotFatal) {
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, point, AcDb::kForRead), Acad::eOk);
    e->close();
    testing::internal::CaptureStderr();
    (void)e->colorIndex();           // read after close
    e->setColorIndex(1);             // write while not open
    EXPECT_EQ(e->close(), Acad::eNotOpenForRead);  // closed twice
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(acdbAccessViolations(), 3);
    EXPECT_NE(err.find("DbTestPoint"), std::string::npos);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3);
    acdbResetAccessViolations();

    ASSERT_EQ(acdbOpenObject(e, point, AcDb::kForRead), Acad::eOk);
    testing::internal::CaptureStderr();
    e->setColorIndex(2);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(acdbAccessViolations(), 1);
    acdbResetAccessViolations();
    e->close();
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(OpenClose, AddedObjectsStayOpenForWrite) {
    auto* p = new DbTestPoint;
    AcDbObjectId id;
    ASSERT_EQ(db.addAcDbObject(id, p), Acad::eOk);
    EXPECT_TRUE(p->isWriteEnabled());
    EXPECT_TRUE(p->isNewObject());
    EXPECT_EQ(p->database(), &db);
    EXPECT_EQ(db.addAcDbObject(p), Acad::eAlreadyInDb);
    EXPECT_EQ(db.numOpenObjects(), 1);
    p->close();
    EXPECT_FALSE(p->isNewObject());
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(DatabaseLife, DeletesEverythingAndSaysGoodbye) {
    EventLog log;
    DbTestObjectReactor objReactor(log);
    DbTestDatabaseReactor dbReactor(log);
    {
        AcDbDatabase db(true, true);
        AcDbObjectId id = addToModelSpace(&db, new DbTestPoint);
        AcDbObject* obj = nullptr;
        ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
        obj->addReactor(&objReactor);
        obj->close();
        db.addReactor(&dbReactor);
    }
    ASSERT_EQ(log.events.size(), 2u);
    EXPECT_EQ(log.events[0], "db.goodbye");
    EXPECT_EQ(log.events[1].rfind("obj.goodbye", 0), 0u);
}

TEST(DatabaseLife, WorkingDatabaseIsForgottenWhenItDies) {
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    AcDbDatabase* previous = services->workingDatabase();
    services->setWorkingDatabase(nullptr);
    {
        AcDbDatabase db;  // made for a document: becomes the working one
        EXPECT_EQ(acdbCurDwg(), &db);
        AcDbDatabase other(true, true);
        EXPECT_EQ(acdbCurDwg(), &db);
    }
    EXPECT_EQ(acdbCurDwg(), nullptr);
    services->setWorkingDatabase(previous);
}

}  // namespace
