#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include "db/database.h"
#include "db/hostinternal.h"
#include "db/referencefiler.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord, "BLOCK_RECORD",
                         ACRX_HOST_CONS(AcDbBlockTableRecord))

using namespace cadhost::db;

AcDbBlockTableRecord::AcDbBlockTableRecord() = default;
AcDbBlockTableRecord::~AcDbBlockTableRecord() = default;

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
    AcDbObjectId id;
    return appendAcDbEntity(id, entity);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity) {
    id = AcDbObjectId::kNull;
    if (!entity) return Acad::eNullObjectPointer;
    AcDbDatabase* db = database();
    if (!isDatabaseResident() || !db) return Acad::eNotInDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (entity->isDatabaseResident()) return Acad::eAlreadyInDb;
    assertWriteEnabled();
    entity->internalBindToDatabase(db);
    entity->internalSetOwner(objectId());
    Acad::ErrorStatus es = db->addAcDbObject(id, entity);
    if (es != Acad::eOk) return es;
    m_entities.push_back(id);
    return Acad::eOk;
}

void AcDbBlockTableRecord::internalRemoveId(AcDbObjectId id) {
    m_entities.erase(std::remove(m_entities.begin(), m_entities.end(), id), m_entities.end());
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning,
                                                    bool skipDeleted) const {
    assertReadEnabled();
    iterator = new AcDbBlockTableRecordIterator(this, atBeginning, skipDeleted);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& origin) {
    assertWriteEnabled();
    m_origin = origin;
    return Acad::eOk;
}

bool AcDbBlockTableRecord::isLayout() const {
    std::string k = symbolKey(name());
    return k.rfind("*MODEL_SPACE", 0) == 0 || k.rfind("*PAPER_SPACE", 0) == 0;
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
    assertReadEnabled();
    AcRxClass* attdef = acrxFindClass("AcDbAttributeDefinition");
    if (!attdef) return false;
    for (const AcDbObjectId& id : m_entities) {
        AcRxClass* cls = id.objectClass();
        if (cls && !id.isErased() && cls->isDerivedFrom(attdef)) return true;
    }
    return false;
}

Acad::ErrorStatus AcDbBlockTableRecord::getPreviewIcon(AcArray<Adesk::UInt8>& icon) const {
    assertReadEnabled();
    icon = m_preview;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setPreviewIcon(const AcArray<Adesk::UInt8>& icon) {
    if (icon.length() > 0x7fffffff / 2) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_preview = icon;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setComments(const char* text) {
    assertWriteEnabled();
    m_comments = text ? text : "";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setPathName(const char* path) {
    assertWriteEnabled();
    m_path = path ? path : "";
    return Acad::eOk;
}

namespace {
// Live block references of the database that refer to the block (hard pointer).
void directReferences(AcDbDatabase* db, AcDbObjectId block, std::vector<AcDbObjectId>& out) {
    AcRxClass* refClass = acrxFindClass("AcDbBlockReference");
    if (!db || !refClass) return;
    for (const AcDbObjectId& id : db->allIds()) {
        AcRxClass* cls = id.objectClass();
        if (!cls || id.isErased() || !cls->isDerivedFrom(refClass)) continue;
        ReferenceFiler filer(db);
        if (!collectReferences(id, filer)) continue;
        if (std::find(filer.hardPointers.begin(), filer.hardPointers.end(), block) != filer.hardPointers.end())
            out.push_back(id);
    }
}
}  // namespace

// With directOnly false, references to the blocks that hold references to this one count too.
Acad::ErrorStatus AcDbBlockTableRecord::getBlockReferenceIds(AcDbObjectIdArray& ids, bool directOnly) const {
    assertReadEnabled();
    AcDbDatabase* db = database();
    if (!db || !isDatabaseResident()) return Acad::eNotInDatabase;
    std::vector<AcDbObjectId> pending{objectId()};
    std::set<AcDbObjectId> visited{objectId()};
    while (!pending.empty()) {
        AcDbObjectId block = pending.back();
        pending.pop_back();
        std::vector<AcDbObjectId> refs;
        directReferences(db, block, refs);
        for (const AcDbObjectId& ref : refs) {
            if (!ids.contains(ref)) ids.append(ref);
            if (directOnly) continue;
            AcDbObjectId owner;
            if (AcDbObject* r = peek(ref)) owner = r->ownerId();
            auto* ownerBlock = peekAs<AcDbBlockTableRecord>(owner);
            if (ownerBlock && !ownerBlock->isLayout() && visited.insert(owner).second) pending.push_back(owner);
        }
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writePoint3d(m_origin);
    filer->writeString(m_comments.c_str());
    filer->writeString(m_path.c_str());
    filer->writeBinaryChunk(m_preview.asArrayPtr(), static_cast<uint32_t>(m_preview.length()));
    filer->writeHardOwnershipId(AcDbHardOwnershipId(m_beginBlock));
    filer->writeHardOwnershipId(AcDbHardOwnershipId(m_endBlock));
    filer->writeInt32(static_cast<Adesk::Int32>(m_entities.size()));
    for (const AcDbObjectId& id : m_entities) filer->writeHardOwnershipId(AcDbHardOwnershipId(id));
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer); es != Acad::eOk) return es;
    AcGePoint3d origin;
    char* comments = nullptr;
    char* path = nullptr;
    void* preview = nullptr;
    uint32_t previewLength = 0;
    AcDbHardOwnershipId begin, end;
    Adesk::Int32 n = 0;
    filer->readPoint3d(&origin);
    filer->readString(&comments);
    filer->readString(&path);
    filer->readBinaryChunk(&preview, &previewLength);
    filer->readHardOwnershipId(&begin);
    filer->readHardOwnershipId(&end);
    filer->readInt32(&n);
    if (filer->filerStatus() == Acad::eOk && n < 0) filer->setFilerStatus(Acad::eFilerError);
    std::vector<AcDbObjectId> entities;
    for (Adesk::Int32 i = 0; i < n && filer->filerStatus() == Acad::eOk; ++i) {
        AcDbHardOwnershipId id;
        filer->readHardOwnershipId(&id);
        if (!id.isNull()) entities.push_back(id);
    }
    if (filer->filerStatus() == Acad::eOk) {
        m_origin = origin;
        m_comments = comments ? comments : "";
        m_path = path ? path : "";
        m_preview.removeAll();
        for (uint32_t i = 0; preview && i < previewLength; ++i) m_preview.append(static_cast<Adesk::UInt8*>(preview)[i]);
        m_beginBlock = begin;
        m_endBlock = end;
        m_entities = std::move(entities);
    }
    std::free(comments);
    std::free(path);
    std::free(preview);
    return filer->filerStatus();
}

// Iteration over a block's entities in the order they were appended.
AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* record, bool atBeginning,
                                                           bool skipDeleted)
    : m_record(record ? record->objectId() : AcDbObjectId::kNull), m_rec(record) {
    start(atBeginning, skipDeleted);
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
    long n = m_rec ? static_cast<long>(m_rec->entityIds().size()) : 0;
    m_pos = atBeginning ? 0 : n - 1;
    skip(atBeginning, skipDeleted);
}

bool AcDbBlockTableRecordIterator::done() const {
    return !m_rec || m_pos < 0 || m_pos >= static_cast<long>(m_rec->entityIds().size());
}

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
    if (done()) return;
    m_pos += forward ? 1 : -1;
    skip(forward, skipDeleted);
}

void AcDbBlockTableRecordIterator::skip(bool forward, bool skipDeleted) {
    if (!skipDeleted) return;
    while (!done() && m_rec->entityIds()[static_cast<size_t>(m_pos)].isErased()) m_pos += forward ? 1 : -1;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
    id = AcDbObjectId::kNull;
    if (done()) return Acad::eInvalidIndex;
    id = m_rec->entityIds()[static_cast<size_t>(m_pos)];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                                                          bool openErased) const {
    entity = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getEntityId(id);
    return es == Acad::eOk ? acdbOpenObject(entity, id, mode, openErased) : es;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(AcDbObjectId id) {
    if (!m_rec) return Acad::eInvalidInput;
    const auto& ids = m_rec->entityIds();
    for (size_t i = 0; i < ids.size(); ++i)
        if (ids[i] == id) {
            m_pos = static_cast<long>(i);
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}
