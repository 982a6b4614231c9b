#include "db/circle.h"
#include "db/line.h"
#include "ed/pick.h"
#include "ed/sysvar.h"
#include "editor_fixture.h"

namespace {
class Picking : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        horizontal = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 0, 0)));
        vertical = append(new AcDbLine(AcGePoint3d(50, -50, 0), AcGePoint3d(50, 50, 0)));
        circle = append(new AcDbCircle(AcGePoint3d(200, 0, 0), AcGeVector3d::kZAxis, 10));
    }
    AcDbObjectId append(AcDbEntity* entity) {
        AcDbBlockTableRecord* space = nullptr;
        EXPECT_EQ(acdbOpenObject(space, doc->database()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        space->appendAcDbEntity(id, entity);
        entity->close();
        space->close();
        return id;
    }
    AcDbObjectId horizontal, vertical, circle;
};

TEST_F(Picking, NearestOutlineWithinThePickBox) {
    EXPECT_EQ(acedHostPickEntity(AcGePoint3d(20, 0.5, 0), 1.0), horizontal);
    EXPECT_EQ(acedHostPickEntity(AcGePoint3d(50.4, 0.8, 0), 1.0), vertical);
    EXPECT_EQ(acedHostPickEntity(AcGePoint3d(210.5, 0, 0), 1.0), circle);
    EXPECT_TRUE(acedHostPickEntity(AcGePoint3d(200, 0, 0), 1.0).isNull()) << "the centre is not on the outline";
    EXPECT_TRUE(acedHostPickEntity(AcGePoint3d(20, 3, 0), 1.0).isNull());
    EXPECT_GT(acedHostPickTolerance(), 0.0);
    EXPECT_EQ(acedHostLastEntity(), circle);
}

TEST_F(Picking, EntSelNamesTheEntityOrSaysWhy) {
    input.push("20,0\n20,40\n\n");
    ads_name name;
    ads_point pt;
    ASSERT_EQ(acedEntSel(nullptr, name, pt), RTNORM);
    AcDbObjectId id;
    ASSERT_EQ(acdbGetObjectId(id, name), Acad::eOk);
    EXPECT_EQ(id, horizontal);
    resbuf err;
    EXPECT_EQ(acedEntSel(nullptr, name, pt), RTERROR);
    acedGetVar("ERRNO", &err);
    EXPECT_EQ(err.resval.rint, 7);
    EXPECT_EQ(acedEntSel(nullptr, name, pt), RTERROR);
    acedGetVar("ERRNO", &err);
    EXPECT_EQ(err.resval.rint, 52);
}

TEST_F(Picking, WindowCrossingLastAndAll) {
    AcDbObjectIdArray ids;
    input.push("W -1,-1 101,1\n\n");
    ASSERT_EQ(acedHostSelectObjects(nullptr, ids), RTNORM);
    EXPECT_EQ(ids, AcDbObjectIdArray({horizontal}));
    input.push("C 40,-1 60,1\n\n");
    ASSERT_EQ(acedHostSelectObjects(nullptr, ids), RTNORM);
    EXPECT_EQ(ids.length(), 2);
    input.push("L ALL\n\n");
    ASSERT_EQ(acedHostSelectObjects(nullptr, ids), RTNORM);
    EXPECT_EQ(ids.length(), 3);
    EXPECT_EQ(ids[0], circle);
    EXPECT_TRUE(printed("3 found (1 duplicate)"));
    input.push("\n");
    EXPECT_EQ(acedHostSelectObjects(nullptr, ids), RTNONE);
}

TEST_F(Picking, LastSkipsErasedEntitiesAndAllTakesEachOnce) {
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, circle, AcDb::kForWrite), Acad::eOk);
    entity->erase();
    entity->close();
    EXPECT_EQ(acedHostLastEntity(), vertical) << "the erased circle is not the last entity";
    AcDbObjectIdArray ids;
    input.push("ALL L ALL W -1,-1 101,1\n\n");
    ASSERT_EQ(acedHostSelectObjects(nullptr, ids), RTNORM);
    EXPECT_EQ(ids, AcDbObjectIdArray({horizontal, vertical}));
    EXPECT_TRUE(printed("2 found (2 duplicate)"));
    EXPECT_TRUE(printed("1 found (1 duplicate)"));
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

}  // namespace
