// Writes the bundled example drawing: a door block with a stretch grip and an attribute, two
// intelligent references to it, a panel block whose width attribute follows a formula, and a
// layer for notes.
#include <cstdio>
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/attdef.h"
#include "db/blockpreview.h"
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

CFormulaObject* token(int16_t type, const char* text, double value = 0.0) {
    auto* t = new CFormulaObject;
    t->type = type;
    t->text = text;
    t->value = value;
    return t;
}

// The panel: a 20 x 5 frame with two attributes, WIDTH prefixed "W=" by its statement while its
// conditional points lie more than 0 apart, and NOTE without statements.
bool makePanelBlock(AcDbDatabase& db) {
    AcDbBlockTable* table = nullptr;
    if (db.getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return false;
    auto* panel = new AcDbBlockTableRecord;
    panel->setName("PANEL");
    Acad::ErrorStatus es = table->add(panel);
    table->close();
    if (es != Acad::eOk) {
        delete panel;
        return false;
    }
    AcGePoint3d p0(0, 0, 0), p1(20, 0, 0), p2(20, 5, 0), p3(0, 5, 0);
    append(panel, new AcDbLine(p0, p1));
    append(panel, new AcDbLine(p1, p2));
    append(panel, new AcDbLine(p2, p3));
    append(panel, new AcDbLine(p3, p0));

    auto* width = new ZEFTAttributeDefinition;
    width->setDatabaseDefaults(&db);
    width->setPosition(AcGePoint3d(1, 1, 0));
    width->setHeight(1.5);
    width->setTag("WIDTH");
    width->setPrompt("Width");
    width->setTextString("20");
    width->setConditionalPoint1(p0);
    width->setConditionalPoint2(p1);
    auto* statement = new CCondFormula;
    statement->tokens.AddTail(token(1, "(>"));
    statement->tokens.AddTail(token(2, ""));
    statement->tokens.AddTail(token(3, "", 0.0));
    statement->kind = 4;
    statement->text = "W=\\i";
    width->AddFormula(statement);
    append(panel, width);

    auto* note = new ZEFTAttributeDefinition;
    note->setDatabaseDefaults(&db);
    note->setPosition(AcGePoint3d(1, 3, 0));
    note->setHeight(1.5);
    note->setTag("NOTE");
    note->setPrompt("Note");
    note->setTextString("none");
    append(panel, note);
    panel->close();
    return true;
}

// A layer for notes, in green.
bool makeNotesLayer(AcDbDatabase& db) {
    AcDbLayerTable* table = nullptr;
    if (db.getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return false;
    auto* layer = new AcDbLayerTableRecord;
    layer->setName("NOTES");
    layer->setColor(AcCmColor::fromIndex(3));
    Acad::ErrorStatus es = table->add(layer);
    table->close();
    if (es != Acad::eOk) {
        delete layer;
        return false;
    }
    layer->close();
    return true;
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
// The blocks carry preview icons, as BLOCK makes them.
bool storeIcons(AcDbDatabase& db) {
    for (const char* name : {"DOOR", "PANEL"}) {
        AcDbBlockTable* table = nullptr;
        AcDbObjectId id;
        if (db.getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
        const Acad::ErrorStatus es = table->getAt(name, id);
        table->close();
        if (es != Acad::eOk || acdbHostStoreBlockIcon(&db, id) != Acad::eOk) return false;
    }
    return true;
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
        if (doorId.isNull() || !makePanelBlock(db) || !makeNotesLayer(db) || insertDoor(db, doorId, AcGePoint3d(0, 0, 0)) != Acad::eOk ||
            insertDoor(db, doorId, AcGePoint3d(30, 0, 0)) != Acad::eOk) {
            std::fprintf(stderr, "make_example: could not build the drawing\n");
            status = 1;
        } else if (!storeIcons(db)) {
            std::fprintf(stderr, "make_example: could not draw the blocks' icons\n");
            status = 1;
        } else if (db.saveAs(argv[1]) != Acad::eOk) {
            std::fprintf(stderr, "make_example: %s\n", db.lastError().c_str());
            status = 1;
        }
    }
    return status;
}
