#include "clone_fixtures.h"

#include <gtest/gtest.h>

#include "rx/rxclass.h"

ACRX_DXF_DEFINE_MEMBERS(CloneLink, AcDbEntity, 0, 0, 0, "CLONELINK", "CloneTests")

namespace {
const bool g_registered = (CloneLink::rxInit(), true);
}

Acad::ErrorStatus CloneLink::dwgOutFields(AcDbDwgFiler* filer) const {
    (void)g_registered;
    if (Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeInt32(tag);
    filer->writeSoftPointerId(peer);
    filer->writeHardOwnershipId(part);
    filer->writeHardPointerId(style);
    return filer->filerStatus();
}

Acad::ErrorStatus CloneLink::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer); es != Acad::eOk) return es;
    AcDbSoftPointerId p;
    AcDbHardOwnershipId o;
    AcDbHardPointerId s;
    filer->readInt32(&tag);
    filer->readSoftPointerId(&p);
    filer->readHardOwnershipId(&o);
    filer->readHardPointerId(&s);
    peer = p, part = o, style = s;
    return filer->filerStatus();
}

namespace clonetest {

AcDbObjectId append(AcDbObjectId blockId, AcDbEntity* entity) {
    return withOpen<AcDbBlockTableRecord>(blockId, [&](AcDbBlockTableRecord* block) {
        AcDbObjectId id;
        EXPECT_EQ(block->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        return id;
    }, AcDb::kForWrite);
}

namespace {
AcDbObjectId addRecord(AcDbObjectId tableId, AcDbSymbolTableRecord* record) {
    AcDbObjectId id = withOpen<AcDbSymbolTable>(tableId, [&](AcDbSymbolTable* table) {
        AcDbObjectId added;
        EXPECT_EQ(table->add(added, record), Acad::eOk);
        record->close();
        return added;
    }, AcDb::kForWrite);
    if (id.isNull()) delete record;
    return id;
}
}  // namespace

AcDbObjectId makeBlock(AcDbDatabase& db, const char* name, const AcGePoint3d& origin) {
    auto* block = new AcDbBlockTableRecord;
    block->setName(name);
    block->setOrigin(origin);
    return addRecord(db.blockTableId(), block);
}

AcDbObjectId makeLayer(AcDbDatabase& db, const char* name, int color) {
    auto* layer = new AcDbLayerTableRecord;
    layer->setName(name);
    layer->setColor(AcCmColor::fromIndex(static_cast<Adesk::UInt16>(color)));
    return addRecord(db.layerTableId(), layer);
}

AcDbObjectId attachPart(AcDbObjectId linkId, int tag) {
    return withOpen<CloneLink>(linkId, [&](CloneLink* owner) {
        auto* part = new CloneLink(tag);
        EXPECT_EQ(owner->database()->addAcDbObject(owner->part, part), Acad::eOk);
        part->setOwnerId(linkId);
        part->peer = linkId;
        part->close();
        return owner->part;
    }, AcDb::kForWrite);
}

void set(AcDbObjectId linkId, char field, AcDbObjectId value) {
    bool done = withOpen<CloneLink>(linkId, [&](CloneLink* obj) {
        obj->assertWriteEnabled();
        if (field == 'p') obj->peer = value;
        if (field == 's') obj->style = value;
        if (field == 'l') {
            EXPECT_EQ(obj->setLayer(value), Acad::eOk);
        }
        return true;
    }, AcDb::kForWrite);
    EXPECT_TRUE(done);
}

LinkState link(AcDbObjectId id) {
    return withOpen<CloneLink>(id, [](CloneLink* obj) {
        return LinkState{obj->tag, obj->peer, obj->part, obj->style, obj->ownerId(), obj->layerId(),
                         obj->isAcDbObjectIdsInFlux()};
    });
}

AcDbObjectId ownerOf(AcDbObjectId id) {
    return withOpen<AcDbObject>(id, [](AcDbObject* obj) { return obj->ownerId(); });
}

std::vector<AcDbObjectId> entitiesOf(AcDbObjectId blockId) {
    return withOpen<AcDbBlockTableRecord>(blockId, [](AcDbBlockTableRecord* block) {
        std::vector<AcDbObjectId> ids;
        for (const AcDbObjectId& id : block->entityIds())
            if (!id.isErased()) ids.push_back(id);
        return ids;
    });
}

AcDbObjectId recordNamed(AcDbObjectId tableId, const char* name) {
    return withOpen<AcDbSymbolTable>(tableId, [&](AcDbSymbolTable* table) {
        AcDbObjectId id;
        table->getAt(name, id);
        return id;
    });
}

int layerColor(AcDbObjectId id) {
    return withOpen<AcDbLayerTableRecord>(id, [](AcDbLayerTableRecord* layer) { return int(layer->color().colorIndex()); });
}

std::string nameOf(AcDbObjectId id) {
    return withOpen<AcDbSymbolTableRecord>(id, [](AcDbSymbolTableRecord* r) { return std::string(r->name()); });
}

AcDbObjectId cloneOf(const AcDbIdMapping& map, AcDbObjectId source) {
    AcDbIdPair pair(source, AcDbObjectId::kNull, false);
    return map.compute(pair) ? pair.value() : AcDbObjectId::kNull;
}

}  // namespace clonetest
