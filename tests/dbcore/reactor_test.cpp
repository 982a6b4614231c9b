#include <gtest/gtest.h>
#include <algorithm>
#include "testentities.h"

namespace {

class Reactors : public ::testing::Test {
protected:
    void SetUp() override {
        point = addToModelSpace(&db, new DbTestPoint);
        DbTestPersistentReactor::log = &log;
        db.addReactor(&dbReactor);
        handle = point.handle().ascii();
    }
    void TearDown() override {
        db.removeReactor(&dbReactor);
        DbTestPersistentReactor::log = nullptr;
    }
    AcDbObjectId addPersistent() {
        auto* r = new DbTestPersistentReactor;
        AcDbObjectId id;
        db.addAcDbObject(id, r);
        r->close();
        DbTestPoint* p = nullptr;
        acdbOpenObject(p, point, AcDb::kForWrite);
        p->addPersistentReactor(id);
        p->close();
        log.events.clear();
        return id;
    }
    AcDbDatabase db{true, true};
    EventLog log;
    DbTestObjectReactor objReactor{log};
    DbTestDatabaseReactor dbReactor{log};
    AcDbObjectId point;
    std::string handle;
};

TEST_F(Reactors, ModificationNoticesInOrder) {
    addPersistent();
    DbTestPoint* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForWrite), Acad::eOk);
    p->addReactor(&objReactor);
    p->setPosition(AcGePoint3d(1, 0, 0));
    p->setPosition(AcGePoint3d(2, 0, 0));  // only the first change announces itself
    EXPECT_TRUE(p->isModified());
    p->close();
    std::vector<std::string> expected = {
        "obj.openedForModify:" + handle, "db.openedForModify:" + handle,
        "obj.modified:" + handle,        "persistent.modified:" + handle,
        "db.modified:" + handle,
    };
    EXPECT_EQ(log.events, expected);
    EXPECT_EQ(db.numOpenObjects(), 0);

    ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForRead), Acad::eOk);
    p->removeReactor(&objReactor);
    p->close();
}

TEST_F(Reactors, UnchangedWriteOpenSendsNothing) {
    AcDbObject* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForWrite), Acad::eOk);
    p->close();
    EXPECT_TRUE(log.events.empty());
}

TEST_F(Reactors, DowngradeSendsTheModification) {
    DbTestPoint* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForWrite), Acad::eOk);
    p->setPosition(AcGePoint3d(3, 0, 0));
    log.events.clear();
    ASSERT_EQ(p->downgradeOpen(), Acad::eOk);
    EXPECT_EQ(log.events, std::vector<std::string>{"db.modified:" + handle});
    p->close();
    EXPECT_EQ(log.events.size(), 1u);
}

TEST_F(Reactors, EraseAndUnerase) {
    addPersistent();
    AcDbObject* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForWrite), Acad::eOk);
    p->addReactor(&objReactor);
    ASSERT_EQ(p->erase(), Acad::eOk);
    EXPECT_TRUE(log.contains("obj.erased:" + handle));
    EXPECT_TRUE(log.contains("persistent.erased:" + handle));
    EXPECT_TRUE(log.contains("db.erased:" + handle));
    ASSERT_EQ(p->erase(false), Acad::eOk);
    EXPECT_TRUE(log.contains("db.unerased:" + handle));
    p->removeReactor(&objReactor);
    p->close();
}

TEST_F(Reactors, AppendIsAnnounced) {
    AcDbObjectId id = addToModelSpace(&db, new DbTestPoint);
    EXPECT_TRUE(log.contains("db.appended:" + id.handle().ascii()));
}

// A reactor that takes itself off while it is told something.
class SelfRemovingReactor : public AcDbObjectReactor {
public:
    int calls = 0;
    void modified(const AcDbObject* o) override {
        ++calls;
        o->removeReactor(this);
    }
};

TEST_F(Reactors, ReactorMayRemoveItself) {
    SelfRemovingReactor self;
    DbTestObjectReactor other(log, "other");
    DbTestPoint* p = nullptr;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForWrite), Acad::eOk);
        if (i == 0) {
            p->addReactor(&self);
            p->addReactor(&other);
        }
        p->setPosition(AcGePoint3d(i, 0, 0));
        p->close();
    }
    EXPECT_EQ(self.calls, 1);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "other.modified:" + handle), 2);
    ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForRead), Acad::eOk);
    p->removeReactor(&other);
    p->close();
}

TEST_F(Reactors, ErasedPersistentReactorIsSkipped) {
    AcDbObjectId r = addPersistent();
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, r, AcDb::kForWrite), Acad::eOk);
    obj->erase();
    obj->close();
    log.events.clear();
    DbTestPoint* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, point, AcDb::kForWrite), Acad::eOk);
    p->setPosition(AcGePoint3d(9, 9, 9));
    p->close();
    EXPECT_FALSE(log.contains("persistent.modified:" + handle));
    EXPECT_TRUE(log.contains("db.modified:" + handle));
}

}  // namespace
