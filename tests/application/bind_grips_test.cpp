// Before BLOCK and WBLOCK the grip points of the current space are bound to their entities.
#include <gtest/gtest.h>
#include "ZEFTGripPoint.h"
#include "ZEFTBlockReference.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "blocks/BlockReactor.h"
#include "db/database.h"
#include "db/line.h"
#include "db/symtab.h"

namespace {
AcDbObjectId append(AcDbDatabase& db, AcDbEntity* entity) {
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
    entity->close();
    space->close();
    return id;
}
}  // namespace

TEST(BindGripPoints, GripsTakeTheInsertionBaseAndTheirChildren) {
    ZEFTAttribute::rxInit();
    ZEFTAttributeDefinition::rxInit();
    ZEFTBlockReference::rxInit();
    ZEFTGripPoint::rxInit();
    acrxBuildClassHierarchy();
    {
        AcDbDatabase db(true, true);
        AcDbDatabase* previous = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        db.setInsbase(AcGePoint3d(3, 4, 0));
        const AcDbObjectId line = append(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0)));
        append(db, new AcDbLine(AcGePoint3d(50, 50, 0), AcGePoint3d(60, 50, 0)));
        auto* grip = new ZEFTGripPoint;
        grip->setGripType(1);
        grip->setPosition(AcGePoint3d(10, 10, 0));
        const AcDbObjectId gripId = append(db, grip);

        bindGripPoints();
        EXPECT_EQ(db.numOpenObjects(), 0);
        ZEFTGripPoint* bound = nullptr;
        ASSERT_EQ(acdbOpenObject(bound, gripId, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(bound->insBase(), AcGePoint3d(3, 4, 0));
        ASSERT_EQ(bound->childEntityCount(0), 1) << "only the line that ends at the grip";
        EXPECT_EQ(bound->getChildEntityId(0, 0), line);
        bound->close();
        acdbHostApplicationServices()->setWorkingDatabase(previous);
    }
    deleteAcRxClass(ZEFTGripPoint::desc());
    deleteAcRxClass(ZEFTBlockReference::desc());
    deleteAcRxClass(ZEFTAttributeDefinition::desc());
    deleteAcRxClass(ZEFTAttribute::desc());
}
