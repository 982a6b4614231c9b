// Questions asked of a whole database: extents of a space, what can be purged.
#include <unordered_set>
#include "db/database.h"
#include "db/hostinternal.h"
#include "db/referencefiler.h"

using namespace cadhost::db;

AcDbExtents AcDbDatabase::computeExtents(AcDbObjectId space) const {
    AcDbExtents ext;
    if (space.isNull()) space = modelSpaceId();
    auto* block = peekAs<AcDbBlockTableRecord>(space);
    if (!block || space.database() != this) return ext;
    for (const AcDbObjectId& id : block->entityIds()) {
        if (id.isErased()) continue;
        AcDbEntity* entity = nullptr;
        Acad::ErrorStatus es = acdbOpenObject(entity, id, AcDb::kForRead);
        bool opened = es == Acad::eOk;
        if (es == Acad::eWasOpenForWrite) entity = peekAs<AcDbEntity>(id);
        if (!entity) continue;
        AcDbExtents e;
        if (entity->getGeomExtents(e) == Acad::eOk) ext.addExt(e);
        if (opened) entity->close();
    }
    return ext;
}

// Keeps in ids what nothing live refers to by hard pointer and the drawing does not need.
Acad::ErrorStatus AcDbDatabase::purge(AcDbObjectIdArray& ids) {
    std::unordered_set<AcDbObjectId> referenced;
    for (const AcDbObjectId& id : allIds()) {
        if (id.isErased()) continue;
        ReferenceFiler filer(this, AcDb::kPurgeFiler);
        if (!collectReferences(id, filer)) continue;
        for (const AcDbObjectId& ref : filer.hardPointers)
            if (ref != id) referenced.insert(ref);
    }
    AcDbObjectIdArray kept;
    for (const AcDbObjectId& id : ids) {
        if (id.isNull() || id.database() != this) continue;
        if (referenced.count(id) || isRequiredRecord(this, id)) continue;
        if (!kept.contains(id)) kept.append(id);
    }
    ids = kept;
    return Acad::eOk;
}
