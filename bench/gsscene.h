#pragma once
// The graphics benchmarks' model space: lines rising from z 0 to 3 and circles at heights 0 to 6,
// in rows of 400 every 2.5 units, in the seven basic colours.
#include "db/circle.h"
#include "db/database.h"
#include "db/line.h"

inline void fillGsScene(AcDbDatabase& db, int entities) {
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return;
    for (int i = 0; i < entities; ++i) {
        const double x = (i % 400) * 2.5, y = (i / 400) * 2.5;
        AcDbEntity* e = i % 2 ? static_cast<AcDbEntity*>(new AcDbCircle(AcGePoint3d(x, y, i % 7), AcGeVector3d::kZAxis, 1.0))
                              : new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 2, y + 1, 3));
        e->setColorIndex(static_cast<Adesk::UInt16>(1 + i % 7));
        AcDbObjectId id;
        if (space->appendAcDbEntity(id, e) == Acad::eOk) e->close();
        else delete e;
    }
    space->close();
}
