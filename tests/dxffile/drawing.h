// A drawing with every native entity kind, for the DXF file tests.
#pragma once
#include <cmath>
#include "db/aligneddim.h"
#include "db/arc.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/database.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/minsert.h"
#include "db/mtext.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"
#include "db/rotateddim.h"
#include "db/text.h"

namespace dxftest {

inline void append(AcDbDatabase* db, AcDbObjectId space, AcDbEntity* ent) {
    AcDbBlockTableRecord* btr = nullptr;
    ASSERT_EQ(acdbOpenObject(btr, space, AcDb::kForWrite), Acad::eOk);
    (void)db;
    ASSERT_EQ(btr->appendAcDbEntity(ent), Acad::eOk);
    ent->close();
    btr->close();
}

inline AcDbObjectId addLayer(AcDbDatabase* db, const char* name, int color) {
    AcDbLayerTable* table = nullptr;
    EXPECT_EQ(db->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord;
    layer->setName(name);
    layer->setColor(AcCmColor::fromIndex(static_cast<Adesk::UInt16>(color)));
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, layer), Acad::eOk);
    layer->close();
    table->close();
    return id;
}

// A block "DOOR" with a line and a tag attribute definition.
inline AcDbObjectId addDoorBlock(AcDbDatabase* db) {
    AcDbBlockTable* bt = nullptr;
    EXPECT_EQ(db->getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
    auto* btr = new AcDbBlockTableRecord;
    btr->setName("DOOR");
    btr->setOrigin(AcGePoint3d(1, 2, 0));
    AcDbObjectId id;
    EXPECT_EQ(bt->add(id, btr), Acad::eOk);
    bt->close();
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 10, 0));
    line->setDatabaseDefaults(db);
    btr->appendAcDbEntity(line);
    line->close();
    auto* def = new AcDbAttributeDefinition(AcGePoint3d(1, 1, 0), "D1", "TAG", "Door number");
    def->setDatabaseDefaults(db);
    def->setHeight(2.5);
    btr->appendAcDbEntity(def);
    def->close();
    btr->close();
    return id;
}

// Lines, circles, arcs, ellipses, lightweight and 2-D polylines, points, rays, texts, mtexts,
// dimensions, a block with an attribute definition, a reference with its attribute, and a
// MINSERT; some with colours, layers and extended data.
inline void buildDrawing(AcDbDatabase* db) {
    AcDbObjectId ms = db->modelSpaceId();
    AcDbObjectId walls = addLayer(db, "Walls", 3);
    AcDbObjectId door = addDoorBlock(db);

    auto* line = new AcDbLine(AcGePoint3d(0.1, 0.2, 0.3), AcGePoint3d(1e5 / 3, -2.5, 0));
    append(db, ms, line);
    auto* red = new AcDbLine(AcGePoint3d(5, 5, 0), AcGePoint3d(6, 7, 0));
    red->setColorIndex(1);
    red->setLayer(walls);
    append(db, ms, red);
    append(db, ms, new AcDbCircle(AcGePoint3d(3, 4, 0), AcGeVector3d::kZAxis, 2.75));
    append(db, ms, new AcDbArc(AcGePoint3d(-3, 4, 0), 1.5, 0.25, 2.0));
    append(db, ms, new AcDbEllipse(AcGePoint3d(10, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(4, 1, 0), 0.4, 0.5, 5.0));
    append(db, ms, new AcDbPoint(AcGePoint3d(7, 8, 9)));
    auto* ray = new AcDbRay;
    ray->setBasePoint(AcGePoint3d(1, 1, 0));
    ray->setUnitDir(AcGeVector3d(1, 1, 0));
    append(db, ms, ray);
    auto* text = new AcDbText(AcGePoint3d(2, 3, 0), "Caf\xC3\xA9 ^ 100%%d", AcDbObjectId::kNull, 3.5, 0.3);
    append(db, ms, text);
    auto* mtext = new AcDbMText;
    mtext->setLocation(AcGePoint3d(20, 20, 0));
    mtext->setContents("First line\\PSecond line with {\\fArial;font} and a long tail of words to wrap");
    mtext->setTextHeight(2.0);
    mtext->setWidth(40.0);
    append(db, ms, mtext);

    auto* ref = new AcDbBlockReference(AcGePoint3d(50, 60, 0), door);
    ref->setRotation(0.5);
    AcDbBlockTableRecord* btr = nullptr;
    ASSERT_EQ(acdbOpenObject(btr, ms, AcDb::kForWrite), Acad::eOk);
    ref->setDatabaseDefaults(db);
    ASSERT_EQ(btr->appendAcDbEntity(ref), Acad::eOk);
    btr->close();
    auto* att = new AcDbAttribute(AcGePoint3d(51, 61, 0), "D-101", "TAG");
    att->setHeight(2.5);
    att->setDatabaseDefaults(db);
    ASSERT_EQ(ref->appendAttribute(att), Acad::eOk);
    att->close();
    ref->close();

    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0));
    lw->addVertexAt(1, AcGePoint2d(10, 0), 0.5);
    lw->addVertexAt(2, AcGePoint2d(10, 10));
    lw->setClosed(true);
    append(db, ms, lw);
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 20, 0));
    pts.append(AcGePoint3d(5, 25, 0));
    pts.append(AcGePoint3d(10, 20, 0));
    append(db, ms, new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 0.0, false));
    // Dimensions with the anonymous blocks of their graphics, as AutoCAD keeps them.
    auto dimBlock = [&](const char* name) {
        AcDbBlockTable* bt = nullptr;
        EXPECT_EQ(db->getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
        auto* btr = new AcDbBlockTableRecord;
        btr->setName(name);
        AcDbObjectId id;
        EXPECT_EQ(bt->add(id, btr), Acad::eOk);
        bt->close();
        auto* l = new AcDbLine(AcGePoint3d(0, -15, 0), AcGePoint3d(10, -15, 0));
        btr->appendAcDbEntity(l);
        l->close();
        btr->close();
        return id;
    };
    auto* aligned = new AcDbAlignedDimension(AcGePoint3d(0, -10, 0), AcGePoint3d(10, -10, 0), AcGePoint3d(5, -15, 0));
    aligned->setDimBlockId(dimBlock("*D1"));
    append(db, ms, aligned);
    auto* rotated = new AcDbRotatedDimension(0.0, AcGePoint3d(0, -20, 0), AcGePoint3d(10, -25, 0), AcGePoint3d(5, -30, 0));
    rotated->setDimBlockId(dimBlock("*D2"));
    append(db, ms, rotated);

    auto* grid = new AcDbMInsertBlock;
    grid->setBlockTableRecord(door);
    grid->setPosition(AcGePoint3d(100, 0, 0));
    grid->setColumns(3);
    grid->setRows(2);
    grid->setColumnSpacing(12.5);
    grid->setRowSpacing(20);
    append(db, ms, grid);

    // Extended data on the first line.
    AcDbRegAppTable* apps = nullptr;
    ASSERT_EQ(db->getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
    auto* app = new AcDbRegAppTableRecord;
    app->setName("CADHOST_TEST");
    apps->add(app);
    app->close();
    apps->close();
    AcDbLine* first = nullptr;
    ASSERT_EQ(acdbOpenObject(first, line->objectId(), AcDb::kForWrite), Acad::eOk);
    const double where[3] = {1, 2, 3};
    resbuf* xd = acutBuildList(1001, "CADHOST_TEST", 1000, "note", 1070, 42, 1040, 2.5, 1010, where, 1071, 123456, 0);
    EXPECT_EQ(first->setXData(xd), Acad::eOk);
    acutRelRb(xd);
    first->close();
}

}  // namespace dxftest
