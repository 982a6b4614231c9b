// Writes the bundled example drawing: a door block with a stretch grip and an attribute, and
// two intelligent references to it.
#include <cstdio>
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/attdef.h"
#include "db/database.h"
#include "db/line.h"
#include "rx/rxclass.h"

namespace {
AcDbObjectId append(AcDbBlockTableRecord* record, AcDbEntity* entity) {
    AcDbObjectId id;
    if (record->appendAcDbEntity(id, entity) != Acad::eOk) {
        delete entity;
        return AcDbObjectId::kNull;
    }
    entity->close();
    return id;
}

// The door: a 10 x 20 frame whose right side a type-1 grip stretches in x.
AcDbObjectId makeDoorBlock(AcDbDatabase& db) {
    AcDbBlockTable* table = nullptr;
    if (db.getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId::kNull;
    auto* door = new AcDbBlockTableRecord;
    door->setName("DOOR");
    AcDbObjectId doorId;
    Acad::ErrorStatus es = table->add(doorId, door);
    table->close();
    if (es != Acad::eOk) {
        delete door;
        return AcDbObjectId::kNull;
    }
    AcGePoint3d p0(0, 0, 0), p1(10, 0, 0), p2(10, 20, 0), p3(0, 20, 0);
    AcDbObjectId right = append(door, new AcDbLine(p1, p2));
    AcDbObjectId top = append(door, new AcDbLine(p2, p3));
    AcDbObjectId bottom = append(door, new AcDbLine(p0, p1));
    append(door, new AcDbLine(p3, p0));

    auto* label = new AcDbAttributeDefinition(AcGePoint3d(1, 8, 0), "D1", "MARK", "Door mark", AcDbObjectId::kNull);
    label->setHeight(2.0);
    append(door, label);

    auto* grip = new ZEFTGripPoint;
    grip->setPosition(AcGePoint3d(10, 10, 0));
    grip->setGripType(1);
    grip->setLeftRight(1);
    // The right side moves whole; the top and bottom lines stretch at their right ends.
    AcGeIntArray both{0, 1}, end{1}, start{0};
    grip->appendChildEntity(right, 0);
    grip->setChildStretchPointIds(both, 0);
    grip->appendChildEntity(top, 0);
    grip->setChildStretchPointIds(start, 0);
    grip->appendChildEntity(bottom, 0);
    grip->setChildStretchPointIds(end, 0);
    append(door, grip);
    door->close();
    return doorId;
}

Acad::ErrorStatus insertDoor(AcDbDatabase& db, AcDbObjectId doorId, const AcGePoint3d& at) {
    AcDbBlockTableRecord* space = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    auto* ref = new ZEFTBlockReference;
    ref->setDatabaseDefaults(&db);
    ref->setPosition(at);
    ref->setBlockTableRecordId(doorId);
    ref->setOriginalBlockName("DOOR");
    ref->setInsBase(AcGePoint3d::kOrigin);
    es = space->appendAcDbEntity(ref);
    if (es == Acad::eOk) ref->close(); else delete ref;
    space->close();
    return es;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_example OUTPUT.dxf\n");
        return 2;
    }
    ZEFTAttributeDefinition::rxInit();
    ZEFTGripPoint::rxInit();
    ZEFTBlockReference::rxInit();
    acrxBuildClassHierarchy();
    int status = 0;
    {
        AcDbDatabase db(true, true);
        AcDbObjectId doorId = makeDoorBlock(db);
        if (doorId.isNull() || insertDoor(db, doorId, AcGePoint3d(0, 0, 0)) != Acad::eOk ||
            insertDoor(db, doorId, AcGePoint3d(30, 0, 0)) != Acad::eOk) {
            std::fprintf(stderr, "make_example: could not build the drawing\n");
            status = 1;
        } else if (db.saveAs(argv[1]) != Acad::eOk) {
            std::fprintf(stderr, "make_example: %s\n", db.lastError().c_str());
            status = 1;
        }
    }
    return status;
}
