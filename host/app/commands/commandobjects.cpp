#include "app/commands/commandobjects.h"
#include <memory>
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/objectiterator.h"
#include "ed/editor.h"

namespace hostcmd {

std::vector<AcDbObjectId> blockEntities(AcDbObjectId blockId) {
    std::vector<AcDbObjectId> ids;
    Opened<AcDbBlockTableRecord> block(blockId, AcDb::kForRead);
    if (!block) return ids;
    for (const AcDbObjectId& id : block->entityIds())
        if (!id.isErased()) ids.push_back(id);
    return ids;
}

Acad::ErrorStatus appendEntities(AcDbObjectId blockId, std::vector<AcDbEntity*>& entities, AcDbObjectIdArray* ids) {
    auto discard = [&entities](size_t from) {
        for (size_t i = from; i < entities.size(); ++i) delete entities[i];
        entities.clear();
    };
    Opened<AcDbBlockTableRecord> block(blockId, AcDb::kForWrite);
    if (!block) {
        discard(0);
        return block.status();
    }
    AcDbObjectIdArray added;
    for (size_t i = 0; i < entities.size(); ++i) {
        AcDbObjectId id;
        Acad::ErrorStatus es = block->appendAcDbEntity(id, entities[i]);
        if (es != Acad::eOk) {
            discard(i);
            block.close();
            eraseObjects(added);
            return es;
        }
        entities[i]->close();
        added.append(id);
    }
    entities.clear();
    if (ids) ids->append(added);
    return Acad::eOk;
}

Acad::ErrorStatus addDrawnEntity(AcDbDatabase* db, AcDbEntity* entity, AcDbObjectId* id) {
    std::vector<AcDbEntity*> one{entity};
    AcDbObjectIdArray ids;
    entity->setDatabaseDefaults(db);
    Acad::ErrorStatus es = appendEntities(db->currentSpaceId(), one, &ids);
    if (es == Acad::eOk && id) *id = ids.first();
    return es;
}

Acad::ErrorStatus addDrawnEntities(AcDbDatabase* db, std::vector<AcDbEntity*>& entities) {
    for (AcDbEntity* e : entities) e->setDatabaseDefaults(db);
    return appendEntities(db->currentSpaceId(), entities);
}

Acad::ErrorStatus copyAttributes(const AcDbBlockReference* source, AcDbBlockReference* target,
                                 const AcGeMatrix3d& xform) {
    std::unique_ptr<AcDbObjectIterator> it(source->attributeIterator());
    for (it->start(); !it->done(); it->step()) {
        Opened<AcDbAttribute> attribute(it->objectId(), AcDb::kForRead);
        if (!attribute) continue;
        AcDbEntity* copy = nullptr;
        Acad::ErrorStatus es = attribute->getTransformedCopy(xform, copy);
        attribute.close();
        if (es != Acad::eOk) return es;
        AcDbAttribute* made = AcDbAttribute::cast(copy);
        if (!made) {
            delete copy;
            return Acad::eNotThatKindOfClass;
        }
        es = target->appendAttribute(made);
        if (es != Acad::eOk) {
            delete made;
            return es;
        }
        made->close();
    }
    return Acad::eOk;
}

int eraseObjects(const AcDbObjectIdArray& ids) {
    int failed = 0;
    for (const AcDbObjectId& id : ids) {
        Opened<AcDbObject> object(id, AcDb::kForWrite);
        if (!object || object->erase() != Acad::eOk) ++failed;
    }
    return failed;
}

Acad::ErrorStatus deepCloneWithNotifications(AcDbDatabase* db, AcDbObjectIdArray& ids, AcDbObjectId owner,
                                             AcDbIdMapping& idMap) {
    idMap.setDestDb(db);
    acedEditor->notify([&](AcEditorReactor* r) { r->beginDeepClone(db, idMap); });
    Acad::ErrorStatus es = db->deepCloneObjects(ids, owner, idMap, true);
    if (es == Acad::eOk) {
        acedEditor->notify([&](AcEditorReactor* r) { r->beginDeepCloneXlation(idMap, &es); });
        if (es == Acad::eOk) es = db->translateIds(idMap);
    } else {
        // The clones are left consistent before they go.
        db->translateIds(idMap);
    }
    if (es != Acad::eOk) {
        acedEditor->notify([&](AcEditorReactor* r) { r->abortDeepClone(idMap); });
        AcDbObjectIdArray made;
        for (const AcDbIdPair& pair : idMap.pairs())
            if (pair.isCloned() && !pair.value().isNull() && pair.isPrimary()) made.append(pair.value());
        eraseObjects(made);
        return es;
    }
    acedEditor->notify([&](AcEditorReactor* r) { r->endDeepClone(idMap); });
    return Acad::eOk;
}

}  // namespace hostcmd
