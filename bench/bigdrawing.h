#pragma once
// A generated drawing of many entities for the file and export benchmarks: lines, circles,
// arcs, texts, lightweight polylines and inserts of a block with one attribute, in turn.
#include <cmath>
#include <memory>
#include <random>
#include "db/arc.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/database.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/symtab.h"
#include "db/text.h"

namespace benchdrawing {

inline AcDbObjectId makeTagBlock(AcDbDatabase* db) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (acdbOpenObject(table, db->blockTableId(), AcDb::kForWrite) != Acad::eOk) return id;
    auto* btr = new AcDbBlockTableRecord;
    btr->setName("TAG");
    if (table->add(id, btr) != Acad::eOk) {
        delete btr;
        table->close();
        return id;
    }
    table->close();
    auto* frame = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0));
    frame->setDatabaseDefaults(db);
    btr->appendAcDbEntity(frame);
    frame->close();
    auto* def = new AcDbAttributeDefinition(AcGePoint3d(0, 0.5, 0), "A-1", "ROOM", "Room?", AcDbObjectId::kNull);
    def->setDatabaseDefaults(db);
    def->setHeight(1.0);
    btr->appendAcDbEntity(def);
    def->close();
    btr->close();
    return id;
}

inline AcDbEntity* makePolyline(std::mt19937_64& rng, std::uniform_real_distribution<double>& c) {
    auto* pline = new AcDbPolyline;
    double x = c(rng), y = c(rng);
    for (unsigned i = 0; i < 6; ++i) pline->addVertexAt(i, AcGePoint2d(x + i * 3.5, y + (i % 2) * 2.25), i == 2 ? 0.4 : 0.0);
    return pline;
}

inline std::unique_ptr<AcDbDatabase> makeDrawing(int entities) {
    auto db = std::make_unique<AcDbDatabase>(true, true);
    const AcDbObjectId tag = makeTagBlock(db.get());
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return db;
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> c(-1e4, 1e4);
    for (int i = 0; i < entities; ++i) {
        AcDbEntity* e = nullptr;
        switch (i % 6) {
        case 0: e = new AcDbLine(AcGePoint3d(c(rng), c(rng), 0), AcGePoint3d(c(rng), c(rng), 0)); break;
        case 1: e = new AcDbCircle(AcGePoint3d(c(rng), c(rng), 0), AcGeVector3d::kZAxis, 1 + std::abs(c(rng)) / 100); break;
        case 2: e = new AcDbArc(AcGePoint3d(c(rng), c(rng), 0), 5.5, 0.3, 2.9); break;
        case 3: e = new AcDbText(AcGePoint3d(c(rng), c(rng), 0), "Room 101 north wing", AcDbObjectId::kNull, 2.5, 0.0); break;
        case 4: e = makePolyline(rng, c); break;
        case 5: e = new AcDbBlockReference(AcGePoint3d(c(rng), c(rng), 0), tag); break;
        }
        e->setDatabaseDefaults(db.get());
        if (ms->appendAcDbEntity(e) != Acad::eOk) {
            delete e;
            continue;
        }
        if (auto* ref = AcDbBlockReference::cast(e)) {
            auto* att = new AcDbAttribute(ref->position() + AcGeVector3d(0, 0.5, 0), "B-17", "ROOM");
            att->setDatabaseDefaults(db.get());
            att->setHeight(1.0);
            if (ref->appendAttribute(att) == Acad::eOk)
                att->close();
            else
                delete att;
        }
        e->close();
    }
    ms->close();
    return db;
}

}  // namespace benchdrawing
