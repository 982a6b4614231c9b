#pragma once
// N horizontal lines appended to model space, for the benchmarks.
#include <vector>
#include "db/database.h"
#include "db/line.h"
#include "db/symtab.h"

inline std::vector<AcDbObjectId> appendLines(AcDbDatabase& db, int lines) {
    std::vector<AcDbObjectId> ids;
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return ids;
    for (int i = 0; i < lines; ++i) {
        auto* line = new AcDbLine(AcGePoint3d(0, i, 0), AcGePoint3d(10, i, 0));
        AcDbObjectId id;
        space->appendAcDbEntity(id, line);
        line->close();
        ids.push_back(id);
    }
    space->close();
    return ids;
}
