// Copying and cloning of objects: copyFrom/clone, the deep-clone and wblock-clone protocol, id
// translation, and the database operations built on them (wblock, insert).
//
// A clone is made in three steps: a new object of the source's class is filed from the source
// through a cloning filer (so it holds the source's ids), placed under its owner and entered in
// the id map; then the objects the filer handed out follow (owned ones for a deep clone, hard
// references for a wblock clone). translateIds finally rewrites every id inside the clones
// through the map. Objects of the plain geometric classes, whose only ids are the common ones,
// are copied without filing, and translation sets those ids directly.
#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/hostinternal.h"
#include "db/referencefiler.h"
#include "db/undolog.h"
#include "rx/rxclass.h"

using namespace cadhost::db;

namespace {

constexpr int kTableCount = 9;

AcDbObjectId tableIdAt(const AcDbDatabase* db, int index) {
    switch (index) {
    case 0: return db->blockTableId();
    case 1: return db->layerTableId();
    case 2: return db->linetypeTableId();
    case 3: return db->textStyleTableId();
    case 4: return db->viewTableId();
    case 5: return db->UCSTableId();
    case 6: return db->viewportTableId();
    case 7: return db->regAppTableId();
    case 8: return db->dimStyleTableId();
    default: return AcDbObjectId::kNull;
    }
}

// The record classes of the tables, in table order.
const AcRxClass* recordClassAt(int index) {
    switch (index) {
    case 0: return AcDbBlockTableRecord::desc();
    case 1: return AcDbLayerTableRecord::desc();
    case 2: return AcDbLinetypeTableRecord::desc();
    case 3: return AcDbTextStyleTableRecord::desc();
    case 4: return AcDbViewTableRecord::desc();
    case 5: return AcDbUCSTableRecord::desc();
    case 6: return AcDbViewportTableRecord::desc();
    case 7: return AcDbRegAppTableRecord::desc();
    case 8: return AcDbDimStyleTableRecord::desc();
    default: return nullptr;
    }
}

// Which table of its database holds a record: its owner, else its class.
int tableIndexOf(const AcDbSymbolTableRecord* record) {
    if (AcDbDatabase* db = record->database())
        for (int i = 0; i < kTableCount; ++i)
            if (!record->ownerId().isNull() && tableIdAt(db, i) == record->ownerId()) return i;
    for (int i = 0; i < kTableCount; ++i)
        if (record->isKindOf(recordClassAt(i))) return i;
    return -1;
}

// A record of one of the host's own record classes that the map already holds (the layer and
// linetype every entity refers to): wblock-cloning it again would only find it in the map.
bool isMappedHostRecord(const AcDbIdMapping& map, AcDbObjectId id) {
    AcDbIdPair pair(id, AcDbObjectId::kNull, false);
    if (!map.compute(pair) || pair.value().isNull()) return false;
    const AcDbObject* object = peek(id);
    if (!object) return false;
    static const AcRxClass* const classes[kTableCount] = {recordClassAt(0), recordClassAt(1), recordClassAt(2),
                                                           recordClassAt(3), recordClassAt(4), recordClassAt(5),
                                                           recordClassAt(6), recordClassAt(7), recordClassAt(8)};
    return std::find(std::begin(classes), std::end(classes), object->isA()) != std::end(classes);
}

// A live record of a table by name, looked up without opening anything (the table may be
// open for write further up the call chain).
AcDbObjectId recordNamed(AcDbObjectId tableId, const char* name) {
    const auto* table = peekAs<AcDbSymbolTable>(tableId);
    return table && name ? table->internalLookup(name) : AcDbObjectId::kNull;
}

// The record of the same table and name in another database.
AcDbObjectId counterpartOf(const AcDbSymbolTableRecord* record, const AcDbDatabase* dest) {
    const int index = tableIndexOf(record);
    return index < 0 ? AcDbObjectId::kNull : recordNamed(tableIdAt(dest, index), record->name());
}

// Where an id of a clone points after cloning: the clone of its object; an id of the
// destination (or, within one database, any unmapped id) stays; an unmapped id of another
// database becomes the destination's record of the same name for symbol table records and
// null for everything else.
AcDbObjectId translated(const AcDbIdMapping& map, const AcDbDatabase* dest, AcDbObjectId id) {
    if (id.isNull()) return id;
    AcDbIdPair pair(id, AcDbObjectId::kNull, false);
    if (map.compute(pair) && !pair.value().isNull()) return pair.value();
    if (!dest || id.database() == dest) return id;
    if (const auto* record = peekAs<AcDbSymbolTableRecord>(id)) return counterpartOf(record, dest);
    return AcDbObjectId::kNull;
}

// translated() over one translation pass, while the map stays as it is. The clones share a
// few layers, linetypes and owners: the last answers are kept, a few slots by address.
class IdTranslation {
public:
    IdTranslation(const AcDbIdMapping& map, const AcDbDatabase* dest) : m_map(map), m_dest(dest) {}
    AcDbObjectId operator()(AcDbObjectId id) {
        if (id.isNull()) return id;
        Recent& slot = m_recent[(reinterpret_cast<uintptr_t>(id.stub()) / sizeof(void*)) % kSlots];
        if (slot.from != id) slot = {id, translated(m_map, m_dest, id)};
        return slot.to;
    }

private:
    static constexpr size_t kSlots = 8;
    struct Recent {
        AcDbObjectId from, to;
    };
    const AcDbIdMapping& m_map;
    const AcDbDatabase* m_dest;
    Recent m_recent[kSlots];
};

// Files an object only to tell whether translation changes any id it files. Within one drawing
// most clones keep every id (their layer, say); once one changes, the rest is not looked at.
class IdChangeProbe : public ReferenceFiler {
public:
    IdChangeProbe(AcDbDatabase* db, IdTranslation& translate)
        : ReferenceFiler(db, AcDb::kIdXlateFiler), m_translate(translate) {}
    bool changes(const AcDbObject* object) {
        m_changed = false;
        resetFilerStatus();
        return object->dwgOut(this) != Acad::eOk || m_changed;
    }
    Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) override { return probe(id); }
    Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) override { return probe(id); }
    Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) override { return probe(id); }
    Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) override { return probe(id); }

private:
    Acad::ErrorStatus probe(const AcDbObjectId& id) {
        if (!m_changed && m_translate(id) != id) m_changed = true;
        return filerStatus();
    }
    IdTranslation& m_translate;
    bool m_changed = false;
};

// The ids of an object copied without filing, translated: its owner, persistent reactors and,
// for an entity, layer and linetype. Answers whether any changes.
struct CommonIds {
    AcDbObjectId owner, layer, linetype;
    AcDbObjectIdArray reactors;
};
bool translateCommonIds(const AcDbObject* object, IdTranslation& translate, CommonIds& ids) {
    bool changed = false;
    auto follow = [&](AcDbObjectId id) {
        const AcDbObjectId to = translate(id);
        if (to != id) changed = true;
        return to;
    };
    ids.owner = follow(object->ownerId());
    ids.reactors.setLogicalLength(0);
    for (const AcDbObjectId& id : object->persistentReactors()) {
        const AcDbObjectId to = follow(id);
        if (!to.isNull()) ids.reactors.append(to);
    }
    if (const auto* entity = AcDbEntity::cast(object)) {
        ids.layer = follow(entity->internalLayerId());
        ids.linetype = follow(entity->internalLinetypeId());
    }
    return changed;
}

// Gives a clone copied without filing its translated ids.
void setCommonIds(AcDbObject* object, const CommonIds& ids) {
    object->internalSetOwner(ids.owner);
    object->internalSetPersistentReactors(ids.reactors);
    if (auto* entity = AcDbEntity::cast(object)) entity->internalSetSymbolIds(ids.layer, ids.linetype);
}

// Whether opening an object for write and closing it would tell anybody or record anything:
// reactors of the object or of its database, or an undo group that has not filed it yet.
bool isObserved(AcDbObject* object, AcDbDatabase* db) {
    if (object->internalHasReactors() || db->internalHasReactors()) return true;
    AcDbUndoLog* log = db->undoLog();
    return log && log->wouldRecord(object->objectId().stub());
}

// Runs fn on an object opened for write, or on the object as it is when it is already open for
// write further up the call chain (an owner being filled while its members are cloned).
template <class T, class Fn>
Acad::ErrorStatus withWritable(AcDbObjectId id, Fn fn) {
    AcDbObject* obj = peek(id);
    if (obj && obj->isWriteEnabled() && !id.isNull()) {
        T* typed = T::cast(obj);
        return typed ? fn(typed) : Acad::eNotThatKindOfClass;
    }
    T* typed = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(typed, id, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    es = fn(typed);
    typed->close();
    return es;
}

// Cloning files every object out and back in: filers are lent from a pool so that their
// buffers keep their capacity from one object to the next (clones nest, one filer a level).
class PooledFiler {
public:
    PooledFiler(AcDb::FilerType type, AcDbDatabase* db) {
        std::vector<std::unique_ptr<AcDbDwgMemoryFiler>>& pool = idleFilers();
        if (pool.empty()) {
            m_filer = std::make_unique<AcDbDwgMemoryFiler>(type, db);
        } else {
            m_filer = std::move(pool.back());
            pool.pop_back();
            m_filer->reset(type, db);
        }
    }
    ~PooledFiler() {
        std::vector<std::unique_ptr<AcDbDwgMemoryFiler>>& pool = idleFilers();
        // Large buffers are given back to the heap rather than kept.
        if (pool.size() < kKept && m_filer->capacity() <= kLargestKept) pool.push_back(std::move(m_filer));
    }
    PooledFiler(const PooledFiler&) = delete;
    PooledFiler& operator=(const PooledFiler&) = delete;
    AcDbDwgMemoryFiler& operator*() const { return *m_filer; }

private:
    static constexpr size_t kKept = 16;
    static constexpr size_t kLargestKept = 64 * 1024;
    static std::vector<std::unique_ptr<AcDbDwgMemoryFiler>>& idleFilers() {
        thread_local std::vector<std::unique_ptr<AcDbDwgMemoryFiler>> pool;
        return pool;
    }
    std::unique_ptr<AcDbDwgMemoryFiler> m_filer;
};

// A new object of the source's class holding the source's data (and ids), not in a database.
Acad::ErrorStatus newFiledCopy(const AcDbObject* source, AcDbDwgMemoryFiler& filer, AcDbObject*& copy) {
    copy = nullptr;
    AcRxClass* cls = source->isA();
    AcRxObject* made = cls ? cls->create() : nullptr;
    AcDbObject* obj = AcDbObject::cast(made);
    if (!obj) {
        delete made;
        return Acad::eNotApplicable;
    }
    Acad::ErrorStatus es = source->dwgOut(&filer);
    if (es == Acad::eOk) es = filer.filerStatus();
    if (es == Acad::eOk) {
        filer.rewind();
        es = obj->dwgIn(&filer);
        if (es == Acad::eOk) es = filer.filerStatus();
    }
    if (es != Acad::eOk) {
        delete obj;
        return es;
    }
    // Placement gives the owner.
    obj->internalSetOwner(AcDbObjectId::kNull);
    copy = obj;
    return Acad::eOk;
}

// A copy made without filing when the source's class can make one (its owner, database and
// identity left empty, its persistent reactors the source's), else null.
AcDbObject* newPlainCopy(const AcDbObject* source) {
    AcDbObject* copy = source->internalCopyData();
    if (!copy) return nullptr;
    copy->internalSetDatabase(nullptr);
    copy->internalSetOwner(AcDbObjectId::kNull);
    copy->internalSetPersistentReactors(source->persistentReactors());
    return copy;
}

// A new copy of the source: made without filing when its class can, else filed through a
// cloning filer of the given type, leased into filerLease (its queue says what to clone next).
Acad::ErrorStatus newCopy(const AcDbObject* source, AcDb::FilerType type, std::optional<PooledFiler>& filerLease,
                          AcDbObject*& copy) {
    copy = newPlainCopy(source);
    if (copy) return Acad::eOk;
    filerLease.emplace(type, source->database());
    return newFiledCopy(source, **filerLease, copy);
}

// A fresh anonymous name of the same kind (*U, *D, ...): one past the highest number in use.
std::string freshAnonymousName(const AcDbSymbolTable* table, const std::string& name) {
    size_t end = 1;
    while (end < name.size() && !(name[end] >= '0' && name[end] <= '9')) ++end;
    const std::string prefix = symbolKey(name.substr(0, end).c_str());
    unsigned long highest = 0;
    for (const AcDbObjectId& id : table->recordIds()) {
        const auto* record = peekAs<AcDbSymbolTableRecord>(id);
        if (!record) continue;
        const std::string key = symbolKey(record->name());
        if (key.compare(0, prefix.size(), prefix) != 0 || key.size() == prefix.size() || key.size() > prefix.size() + 9)
            continue;
        unsigned long n = 0;
        bool digits = true;
        for (size_t i = prefix.size(); i < key.size() && digits; ++i) {
            digits = key[i] >= '0' && key[i] <= '9';
            n = n * 10 + static_cast<unsigned long>(key[i] - '0');
        }
        if (digits && n > highest) highest = n;
    }
    return name.substr(0, end) + std::to_string(highest + 1);
}

// Adds a new record to an open table; an anonymous name in use is replaced by a fresh one.
Acad::ErrorStatus addRecord(AcDbSymbolTable* table, AcDbSymbolTableRecord* record) {
    const std::string name = record->name();
    if (!name.empty() && name[0] == '*' && !recordNamed(table->objectId(), name.c_str()).isNull()) {
        const auto* block = AcDbBlockTableRecord::cast(record);
        if (!block || !block->isLayout()) record->setName(freshAnonymousName(table, name).c_str());
    }
    return table->add(record);
}

// Adds a new clone to the database and to a block open for write, without rebinding its layer
// and linetype ids as appending would.
Acad::ErrorStatus addToBlock(AcDbObject* copy, AcDbBlockTableRecord* block, AcDbDatabase* db) {
    if (!block->isWriteEnabled()) return Acad::eNotOpenForWrite;
    AcDbObjectId id;
    Acad::ErrorStatus es = db->addAcDbObject(id, copy);
    if (es != Acad::eOk) return es;
    block->assertWriteEnabled();
    copy->internalSetOwner(block->objectId());
    block->internalAppendId(id);
    return Acad::eOk;
}

// Puts a new clone under its owner: appended to a block when it is a primary entity, added to
// a table when it is a record, otherwise added to the owner's database with the owner id set.
// An entity from another drawing keeps the source's layer and linetype ids until translation
// (appending would rebind them by name before the records have been cloned).
Acad::ErrorStatus placeUnder(AcDbObject* copy, AcDbObject* owner, AcDbDatabase* db, bool isPrimary,
                             const AcDbDatabase* sourceDb) {
    auto* block = AcDbBlockTableRecord::cast(owner);
    auto* entity = AcDbEntity::cast(copy);
    if (block && entity && isPrimary) {
        if (sourceDb == db) return block->appendAcDbEntity(entity);
        return addToBlock(copy, block, db);
    }
    auto* table = AcDbSymbolTable::cast(owner);
    auto* record = AcDbSymbolTableRecord::cast(copy);
    if (table && record) return addRecord(table, record);
    Acad::ErrorStatus es = db->addAcDbObject(copy);
    if (es != Acad::eOk) return es;
    return copy->setOwnerId(owner->objectId());
}

// The block that holds an entity in its list; null for any other object.
const AcDbBlockTableRecord* holdingBlock(const AcDbObject* object) {
    if (!object || !AcDbEntity::cast(object)) return nullptr;
    const auto* block = peekAs<AcDbBlockTableRecord>(object->ownerId());
    if (!block) return nullptr;
    const std::vector<AcDbObjectId>& ids = block->entityIds();
    return std::find(ids.begin(), ids.end(), object->objectId()) != ids.end() ? block : nullptr;
}

// A block holds the source entity, and another holds the owner of its clone (itself an entity).
bool heldBesideOwner(const AcDbObject* source, const AcDbObject* owner) {
    // The owner first: it is seldom an entity, and each test searches a block's list.
    return owner->database() == source->database() && holdingBlock(owner) && holdingBlock(source);
}

// A clone of an entity that an object owns while a block holds both of them (an intelligent
// reference's attributes) goes into the block that holds its owner's clone.
Acad::ErrorStatus placeBesideOwner(AcDbObject* copy, AcDbObject* owner, AcDbDatabase* db) {
    return withWritable<AcDbBlockTableRecord>(owner->ownerId(),
                                              [&](AcDbBlockTableRecord* block) { return addToBlock(copy, block, db); });
}

bool isSkippable(Acad::ErrorStatus es) {
    // Erased or never-resolved objects are not cloned.
    return es == Acad::eWasErased || es == Acad::eUnknownHandle || es == Acad::eNullObjectId;
}

// Clones what the deep-clone filer of a source handed out, owned by the clone.
Acad::ErrorStatus cloneOwnedObjects(AcDbDwgMemoryFiler& filer, AcDbObject* cloneOwner, AcDbIdMapping& idMap) {
    Acad::ErrorStatus result = Acad::eOk;
    AcDbObjectId id;
    while (filer.getNextOwnedObject(id)) {
        AcDbObject* sub = nullptr;
        Acad::ErrorStatus es = acdbOpenObject(sub, id, AcDb::kForRead);
        if (es != Acad::eOk) {
            if (!isSkippable(es) && result == Acad::eOk) result = es;
            continue;
        }
        AcDbObject* subClone = nullptr;
        es = sub->deepClone(cloneOwner, subClone, idMap, Adesk::kFalse);
        sub->close();
        if (subClone) subClone->close();
        if (es != Acad::eOk && result == Acad::eOk) result = es;
    }
    return result;
}

// Wblock-clones what a source refers to hard (next(id) answers each id in turn): its own
// objects go under its clone, everything else goes to the destination database.
template <class Next>
Acad::ErrorStatus cloneHardReferences(Next next, const AcDbObject* source, AcDbObject* copy, AcDbDatabase* dest,
                                      AcDbIdMapping& idMap) {
    Acad::ErrorStatus result = Acad::eOk;
    AcDbObjectId id;
    while (next(id)) {
        if (id.database() != source->database() || isMappedHostRecord(idMap, id)) continue;
        AcDbObject* sub = nullptr;
        Acad::ErrorStatus es = acdbOpenObject(sub, id, AcDb::kForRead);
        if (es != Acad::eOk) {
            if (!isSkippable(es) && result == Acad::eOk) result = es;
            continue;
        }
        AcRxObject* subOwner = sub->ownerId() == source->objectId() ? static_cast<AcRxObject*>(copy)
                                                                    : static_cast<AcRxObject*>(dest);
        AcDbObject* subClone = nullptr;
        es = sub->wblockClone(subOwner, subClone, idMap, Adesk::kFalse);
        sub->close();
        if (subClone) subClone->close();
        if (es != Acad::eOk && result == Acad::eOk) result = es;
    }
    return result;
}

Acad::ErrorStatus cloneHardReferences(AcDbDwgMemoryFiler& filer, const AcDbObject* source, AcDbObject* copy,
                                      AcDbDatabase* dest, AcDbIdMapping& idMap) {
    return cloneHardReferences([&filer](AcDbObjectId& id) { return filer.getNextHardObject(id); }, source, copy,
                               dest, idMap);
}

// The hard references of an object copied without filing: an entity's layer and linetype.
Acad::ErrorStatus cloneCommonHardReferences(const AcDbObject* source, AcDbObject* copy, AcDbDatabase* dest,
                                            AcDbIdMapping& idMap) {
    const auto* entity = AcDbEntity::cast(source);
    if (!entity) return Acad::eOk;
    const AcDbObjectId ids[] = {entity->layerId(), entity->linetypeId()};
    size_t at = 0;
    auto next = [&](AcDbObjectId& id) {
        while (at < 2 && ids[at].isNull()) ++at;
        if (at == 2) return false;
        id = ids[at++];
        return true;
    };
    return cloneHardReferences(next, source, copy, dest, idMap);
}

// Wblock clone of a symbol table record: merged by name into the destination's table.
// kDrcIgnore (and every other mode but kDrcReplace) uses an existing record of that name;
// kDrcReplace files the source's data into it (block definitions are never replaced).
Acad::ErrorStatus wblockRecord(const AcDbSymbolTableRecord* source, AcDbSymbolTable* ownerTable,
                               AcDbDatabase* dest, AcDbObject*& clone, AcDbIdMapping& idMap, bool isPrimary) {
    clone = nullptr;
    const int index = tableIndexOf(source);
    if (index < 0) return Acad::eInvalidOwnerObject;
    const AcDbObjectId tableId = ownerTable ? ownerTable->objectId() : tableIdAt(dest, index);
    if (tableId.isNull()) return Acad::eInvalidOwnerObject;
    const auto* block = AcDbBlockTableRecord::cast(source);
    // Anonymous blocks never merge: each gets a fresh name.
    const AcDbObjectId existing =
        block && block->isAnonymous() ? AcDbObjectId::kNull : recordNamed(tableId, source->name());
    if (!existing.isNull()) {
        if (existing == source->objectId() || idMap.duplicateRecordCloning() != AcDb::kDrcReplace || block) {
            idMap.assign(AcDbIdPair(source->objectId(), existing, false, isPrimary, true));
            return Acad::eOk;
        }
        // Through a detached copy: filing into the record directly would file in the source's
        // owner, and with it the source's table.
        PooledFiler filerLease(AcDb::kWblockCloneFiler, source->database());
        AcDbDwgMemoryFiler& filer = *filerLease;
        AcDbObject* copy = nullptr;
        Acad::ErrorStatus es = newFiledCopy(source, filer, copy);
        if (es != Acad::eOk) return es;
        AcDbObject* target = nullptr;
        es = acdbOpenObject(target, existing, AcDb::kForWrite);
        if (es == Acad::eOk) {
            PooledFiler dataLease(AcDb::kCopyFiler, source->database());
            AcDbDwgMemoryFiler& data = *dataLease;
            es = copy->dwgOut(&data);
            if (es == Acad::eOk) {
                data.rewind();
                const AcDbObjectId owner = target->ownerId();
                es = target->dwgIn(&data);
                target->internalSetOwner(owner);
            }
            if (es != Acad::eOk) target->close();
        }
        delete copy;
        if (es != Acad::eOk) return es;
        idMap.assign(AcDbIdPair(source->objectId(), existing, true, isPrimary, true));
        target->setAcDbObjectIdsInFlux();
        clone = target;
        return cloneHardReferences(filer, source, target, dest, idMap);
    }

    PooledFiler filerLease(AcDb::kWblockCloneFiler, source->database());
    AcDbDwgMemoryFiler& filer = *filerLease;
    AcDbObject* copy = nullptr;
    Acad::ErrorStatus es = newFiledCopy(source, filer, copy);
    if (es != Acad::eOk) return es;
    auto* record = AcDbSymbolTableRecord::cast(copy);
    es = withWritable<AcDbSymbolTable>(tableId, [&](AcDbSymbolTable* table) { return addRecord(table, record); });
    if (es != Acad::eOk) {
        delete copy;
        return es;
    }
    idMap.assign(AcDbIdPair(source->objectId(), copy->objectId(), true, isPrimary, true));
    copy->setAcDbObjectIdsInFlux();
    clone = copy;
    Acad::ErrorStatus result = Acad::eOk;
    if (block) {
        // A block definition brings its entities; translation puts them in order.
        for (const AcDbObjectId& id : block->entityIds()) {
            AcDbEntity* entity = nullptr;
            es = acdbOpenObject(entity, id, AcDb::kForRead);
            if (es != Acad::eOk) {
                if (!isSkippable(es) && result == Acad::eOk) result = es;
                continue;
            }
            AcDbObject* entityClone = nullptr;
            es = entity->wblockClone(copy, entityClone, idMap, Adesk::kFalse);
            entity->close();
            if (entityClone) entityClone->close();
            if (es != Acad::eOk && result == Acad::eOk) result = es;
        }
    }
    es = cloneHardReferences(filer, source, copy, dest, idMap);
    return result != Acad::eOk ? result : es;
}

// The ids of a drawing's objects that operations clone as a group.
std::vector<AcDbObjectId> liveRecords(AcDbObjectId tableId) {
    std::vector<AcDbObjectId> ids;
    if (const auto* table = peekAs<AcDbSymbolTable>(tableId))
        for (const AcDbObjectId& id : table->recordIds())
            if (!id.isErased() && peek(id)) ids.push_back(id);
    return ids;
}

std::vector<AcDbObjectId> liveEntities(AcDbObjectId blockId) {
    std::vector<AcDbObjectId> ids;
    if (const auto* block = peekAs<AcDbBlockTableRecord>(blockId))
        for (const AcDbObjectId& id : block->entityIds())
            if (!id.isErased() && peek(id)) ids.push_back(id);
    return ids;
}

AcDbObjectIdArray toArray(const std::vector<AcDbObjectId>& ids) {
    AcDbObjectIdArray array;
    for (const AcDbObjectId& id : ids) array.append(id);
    return array;
}

// Block definitions other than the model and paper spaces.
std::vector<AcDbObjectId> plainBlocks(const AcDbDatabase* db) {
    std::vector<AcDbObjectId> ids;
    for (const AcDbObjectId& id : liveRecords(db->blockTableId())) {
        const auto* block = peekAs<AcDbBlockTableRecord>(id);
        if (block && !block->isLayout() && id != db->modelSpaceId() && id != db->paperSpaceId()) ids.push_back(id);
    }
    return ids;
}

// Checks shared by the clone operations: ids of this database with one owner.
Acad::ErrorStatus checkSources(const AcDbDatabase* db, const AcDbObjectIdArray& ids) {
    AcDbObjectId owner;
    for (int i = 0; i < ids.length(); ++i) {
        const AcDbObjectId& id = ids[i];
        if (id.isNull()) return Acad::eNullObjectId;
        if (id.database() != db) return Acad::eWrongDatabase;
        const AcDbObject* obj = peek(id);
        if (!obj) return Acad::eUnknownHandle;
        if (i == 0)
            owner = obj->ownerId();
        else if (obj->ownerId() != owner)
            return Acad::eInvalidOwnerObject;
    }
    return Acad::eOk;
}

}  // namespace

void AcDbObject::setAcDbObjectIdsInFlux() { m_inFlux = true; }

// The data of another object of the same class; this object keeps its identity: id, owner and
// persistent reactors.
Acad::ErrorStatus AcDbObject::copyFrom(const AcRxObject* other) {
    if (!other) return Acad::eNullObjectPointer;
    const AcDbObject* source = AcDbObject::cast(other);
    if (!source || other->isA() != isA()) return Acad::eNotThatKindOfClass;
    if (source == this) return Acad::eOk;
    PooledFiler filerLease(AcDb::kCopyFiler, source->database());
    AcDbDwgMemoryFiler& filer = *filerLease;
    Acad::ErrorStatus es = source->dwgOut(&filer);
    if (es == Acad::eOk) es = filer.filerStatus();
    if (es != Acad::eOk) return es;
    filer.rewind();
    const AcDbObjectId owner = m_ownerId;
    const AcDbObjectIdArray reactors = m_persistentReactors;
    es = dwgIn(&filer);
    m_ownerId = owner;
    m_persistentReactors = reactors;
    return es != Acad::eOk ? es : filer.filerStatus();
}

AcRxObject* AcDbObject::clone() const {
    AcRxClass* cls = isA();
    AcRxObject* made = cls ? cls->create() : nullptr;
    AcDbObject* copy = AcDbObject::cast(made);
    if (!copy) {
        delete made;
        return nullptr;
    }
    if (copy->copyFrom(this) != Acad::eOk) {
        delete copy;
        return nullptr;
    }
    return copy;
}

// The clone is handed back open for write (the caller closes it) when this call made it; when
// the map already holds a clone of this object, clone stays null.
Acad::ErrorStatus AcDbObject::deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                        Adesk::Boolean isPrimary) const {
    clone = nullptr;
    if (!owner) return Acad::eNullObjectPointer;
    if (m_id.isNull()) return Acad::eNotInDatabase;
    AcDbDatabase* db = owner->database();
    if (!db || owner->objectId().isNull()) return Acad::eNotInDatabase;
    AcDbIdPair known(m_id, AcDbObjectId::kNull, false);
    if (idMap.compute(known) && !known.value().isNull()) return Acad::eOk;

    // An object copied without filing owns nothing to clone after it.
    std::optional<PooledFiler> filerLease;
    AcDbObject* copy = nullptr;
    Acad::ErrorStatus es = newCopy(this, AcDb::kDeepCloneFiler, filerLease, copy);
    if (es != Acad::eOk) return es;
    es = !isPrimary && heldBesideOwner(this, owner) ? placeBesideOwner(copy, owner, db)
                                                    : placeUnder(copy, owner, db, isPrimary != 0, database());
    if (es != Acad::eOk) {
        if (copy->objectId().isNull()) delete copy;
        return es;
    }
    idMap.assign(AcDbIdPair(m_id, copy->objectId(), true, isPrimary != 0, true));
    copy->setAcDbObjectIdsInFlux();
    clone = copy;
    return filerLease ? cloneOwnedObjects(**filerLease, copy, idMap) : Acad::eOk;
}

// The record, then its entities, owned by the record's clone.
Acad::ErrorStatus AcDbBlockTableRecord::deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                                  Adesk::Boolean isPrimary) const {
    Acad::ErrorStatus es = AcDbObject::deepClone(owner, clone, idMap, isPrimary);
    if (!clone) return es;
    Acad::ErrorStatus result = es;
    for (const AcDbObjectId& id : m_entities) {
        AcDbEntity* entity = nullptr;
        es = acdbOpenObject(entity, id, AcDb::kForRead);
        if (es != Acad::eOk) {
            if (!isSkippable(es) && result == Acad::eOk) result = es;
            continue;
        }
        AcDbObject* entityClone = nullptr;
        es = entity->deepClone(clone, entityClone, idMap, Adesk::kFalse);
        entity->close();
        if (entityClone) entityClone->close();
        if (es != Acad::eOk && result == Acad::eOk) result = es;
    }
    return result;
}

// owner is the clone's owner object or the destination database. Symbol table records merge by
// name into the destination's table; any other object with a database as owner keeps its
// source owner id until translation.
Acad::ErrorStatus AcDbObject::wblockClone(AcRxObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                          Adesk::Boolean isPrimary) const {
    clone = nullptr;
    if (!owner) return Acad::eNullObjectPointer;
    if (m_id.isNull()) return Acad::eNotInDatabase;
    AcDbObject* ownerObject = AcDbObject::cast(owner);
    AcDbDatabase* dest = ownerObject ? ownerObject->database() : AcDbDatabase::cast(owner);
    if (!dest || (ownerObject && ownerObject->objectId().isNull())) return Acad::eNoDatabase;
    AcDbIdPair known(m_id, AcDbObjectId::kNull, false);
    if (idMap.compute(known) && !known.value().isNull()) return Acad::eOk;
    AcDbDatabase* mapped = nullptr;
    idMap.destDb(mapped);
    if (!mapped) idMap.setDestDb(dest);

    if (const auto* record = AcDbSymbolTableRecord::cast(this)) {
        auto* table = AcDbSymbolTable::cast(ownerObject);
        if (!ownerObject || table) return wblockRecord(record, table, dest, clone, idMap, isPrimary != 0);
    }

    std::optional<PooledFiler> filerLease;
    AcDbObject* copy = nullptr;
    Acad::ErrorStatus es = newCopy(this, AcDb::kWblockCloneFiler, filerLease, copy);
    if (es != Acad::eOk) return es;
    bool ownerXlated = true;
    if (ownerObject) {
        es = placeUnder(copy, ownerObject, dest, isPrimary != 0, database());
    } else {
        es = dest->addAcDbObject(copy);
        if (es == Acad::eOk) es = copy->setOwnerId(m_ownerId);
        ownerXlated = false;
    }
    if (es != Acad::eOk) {
        if (copy->objectId().isNull()) delete copy;
        return es;
    }
    idMap.assign(AcDbIdPair(m_id, copy->objectId(), true, isPrimary != 0, ownerXlated));
    copy->setAcDbObjectIdsInFlux();
    clone = copy;
    return filerLease ? cloneHardReferences(**filerLease, this, copy, dest, idMap)
                      : cloneCommonHardReferences(this, copy, dest, idMap);
}

Acad::ErrorStatus AcDbDatabase::deepCloneObjects(AcDbObjectIdArray& ids, AcDbObjectId owner, AcDbIdMapping& idMap,
                                                 bool deferXlation) {
    if (owner.isNull()) return Acad::eNullObjectId;
    if (owner.database() != this) return Acad::eWrongDatabase;
    Acad::ErrorStatus es = checkSources(this, ids);
    if (es != Acad::eOk) return es;
    idMap.setOrigDb(this);
    idMap.setDestDb(this);
    idMap.internalReserve(static_cast<size_t>(ids.length()));
    AcDbObject* ownerObject = nullptr;
    es = acdbOpenObject(ownerObject, owner, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    Acad::ErrorStatus result = Acad::eOk;
    for (const AcDbObjectId& id : ids) {
        AcDbObject* source = nullptr;
        es = acdbOpenObject(source, id, AcDb::kForRead);
        if (es == Acad::eOk) {
            AcDbObject* copy = nullptr;
            es = source->deepClone(ownerObject, copy, idMap, Adesk::kTrue);
            source->close();
            if (copy) copy->close();
        }
        if (es != Acad::eOk && result == Acad::eOk) result = es;
    }
    ownerObject->close();
    if (!deferXlation) {
        es = translateIds(idMap);
        if (result == Acad::eOk) result = es;
    }
    return result;
}

Acad::ErrorStatus AcDbDatabase::wblockCloneObjects(AcDbObjectIdArray& ids, AcDbObjectId owner, AcDbIdMapping& idMap,
                                                   AcDb::DuplicateRecordCloning drc, bool deferXlation) {
    if (owner.isNull()) return Acad::eNullObjectId;
    AcDbDatabase* dest = owner.database();
    if (!dest) return Acad::eNoDatabase;
    Acad::ErrorStatus es = checkSources(this, ids);
    if (es != Acad::eOk) return es;
    idMap.setOrigDb(this);
    idMap.setDestDb(dest);
    idMap.setDuplicateRecordCloning(drc);
    if (idMap.deepCloneContext() == AcDb::kDcCopy) idMap.setDeepCloneContext(AcDb::kDcWblkObjects);
    idMap.internalReserve(static_cast<size_t>(ids.length()));
    AcDbObject* ownerObject = nullptr;
    es = acdbOpenObject(ownerObject, owner, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    Acad::ErrorStatus result = Acad::eOk;
    for (const AcDbObjectId& id : ids) {
        AcDbObject* source = nullptr;
        es = acdbOpenObject(source, id, AcDb::kForRead);
        if (es == Acad::eOk) {
            AcDbObject* copy = nullptr;
            es = source->wblockClone(ownerObject, copy, idMap, Adesk::kTrue);
            source->close();
            if (copy) copy->close();
        }
        if (es != Acad::eOk && result == Acad::eOk) result = es;
    }
    ownerObject->close();
    if (!deferXlation) {
        es = dest->translateIds(idMap);
        if (result == Acad::eOk) result = es;
    }
    return result;
}

// Rewrites the ids inside every clone of the map by filing it out through a translating filer
// and back in; owners left for later are translated, block definitions get their entities in
// source order, and the clones leave the in-flux state.
Acad::ErrorStatus AcDbDatabase::translateIds(AcDbIdMapping& idMap) {
    AcDbDatabase* dest = nullptr;
    idMap.destDb(dest);
    if (!dest) dest = this;
    // An object whose ids all stay needs no filing back in.
    bool changed = false;
    IdTranslation translate(idMap, dest);
    auto translator = [&translate, &changed](const AcDbObjectId& id) {
        const AcDbObjectId to = translate(id);
        if (to != id) changed = true;
        return to;
    };
    Acad::ErrorStatus result = Acad::eOk;
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> lateMembers;  // (entity clone, block)
    const std::vector<AcDbIdPair> pairs = idMap.pairs();
    // One filer for all clones: its buffer and id set are emptied, not made again, per object.
    AcDbDwgMemoryFiler filer(AcDb::kIdXlateFiler, dest);
    filer.setIdTranslator(translator);
    AcDbDatabase* orig = nullptr;
    idMap.origDb(orig);
    const bool sameDrawing = orig == dest;
    IdChangeProbe probe(dest, translate);
    CommonIds common;
    for (const AcDbIdPair& pair : pairs) {
        if (!pair.isCloned() || pair.value().isNull()) continue;
        // A clone without ids of its own, in place and not open elsewhere, is done without
        // opening it when it keeps every id, or when nobody would hear of its opening.
        bool commonTranslated = false, commonChanged = false;
        if (AcDbObject* kept = peek(pair.value()); kept && pair.isOwnerXlated() && kept->internalHasCommonIdsOnly() &&
                                                    !kept->isReadEnabled() && kept->database() == dest) {
            commonTranslated = true;
            commonChanged = translateCommonIds(kept, translate, common);
            auto* entity = AcDbEntity::cast(kept);
            const bool bound = !entity || entity->internalIsBoundTo(dest);
            if ((!commonChanged && bound) || !isObserved(kept, dest)) {
                if (commonChanged) setCommonIds(kept, common);
                if (!bound) entity->internalBindToDatabase(dest);
                kept->internalSetIdsInFlux(false);
                continue;
            }
        }
        AcDbObject* copy = nullptr;
        Acad::ErrorStatus es = acdbOpenObject(copy, pair.value(), AcDb::kForWrite, true);
        if (es != Acad::eOk) {
            if (result == Acad::eOk) result = es;
            continue;
        }
        changed = false;
        es = Acad::eOk;
        auto* entity = AcDbEntity::cast(copy);
        if (copy->internalHasCommonIdsOnly()) {
            if (commonTranslated ? commonChanged : translateCommonIds(copy, translate, common)) {
                copy->assertWriteEnabled();
                setCommonIds(copy, common);
            }
        } else if (!sameDrawing || probe.changes(copy)) {
            filer.reset();
            es = copy->dwgOut(&filer);
            if (es == Acad::eOk && changed) {
                filer.rewind();
                es = copy->dwgIn(&filer);
            }
        }
        if (es != Acad::eOk && result == Acad::eOk) result = es;
        // Layer and linetype ids that found no counterpart fall back by name to the clone's drawing.
        if (entity) entity->internalBindToDatabase(copy->database());
        if (!pair.isOwnerXlated()) {
            const AcDbObjectId newOwner = translate(copy->ownerId());
            copy->setOwnerId(newOwner);
            if (entity && peekAs<AcDbBlockTableRecord>(newOwner))
                lateMembers.emplace_back(copy->objectId(), newOwner);
            AcDbIdPair done = pair;
            done.setIsOwnerXlated(true);
            idMap.change(done);
        }
        auto* block = entity ? nullptr : AcDbBlockTableRecord::cast(copy);
        const auto* sourceBlock = block ? peekAs<AcDbBlockTableRecord>(pair.key()) : nullptr;
        if (block && sourceBlock && block != sourceBlock) {
            // The clones of the source's entities in source order, then members added otherwise.
            const std::vector<AcDbObjectId>& sourceList = sourceBlock->entityIds();
            const std::unordered_set<AcDbObjectId> fromSource(sourceList.begin(), sourceList.end());
            std::vector<AcDbObjectId> list;
            std::unordered_set<AcDbObjectId> listed;
            for (const AcDbObjectId& id : sourceList) {
                AcDbIdPair member(id, AcDbObjectId::kNull, false);
                if (idMap.compute(member) && member.isCloned() && !member.value().isNull() &&
                    peek(member.value()) && peek(member.value())->ownerId() == block->objectId()) {
                    list.push_back(member.value());
                    listed.insert(member.value());
                }
            }
            const std::vector<AcDbObjectId> old = block->entityIds();
            for (const AcDbObjectId& id : old)
                if (!fromSource.count(id) && listed.insert(id).second) list.push_back(id);
            block->internalSetIds(std::move(list));
        }
        copy->internalSetIdsInFlux(false);
        copy->close();
    }
    for (const auto& late : lateMembers) {
        const AcDbObjectId member = late.first;
        Acad::ErrorStatus es = withWritable<AcDbBlockTableRecord>(late.second, [member](AcDbBlockTableRecord* block) {
            const std::vector<AcDbObjectId>& list = block->entityIds();
            if (std::find(list.begin(), list.end(), member) == list.end()) block->internalAppendId(member);
            return Acad::eOk;
        });
        if (es != Acad::eOk && result == Acad::eOk) result = es;
    }
    return result;
}

namespace {
// Clones the entities of one block of a source into the model space of a new drawing.
Acad::ErrorStatus wblockEntities(AcDbDatabase* source, AcDbObjectId sourceBlock, AcDbObjectIdArray entities,
                                 const AcGePoint3d& base, AcDbDatabase*& output) {
    output = nullptr;
    auto* out = new AcDbDatabase(true, true);
    AcDbIdMapping map;
    map.setOrigDb(source);
    map.setDestDb(out);
    map.setDeepCloneContext(AcDb::kDcWblock);
    map.setDuplicateRecordCloning(AcDb::kDrcIgnore);
    if (!sourceBlock.isNull()) map.assign(AcDbIdPair(sourceBlock, out->modelSpaceId(), false, false, true));
    Acad::ErrorStatus es = Acad::eOk;
    if (!entities.isEmpty()) es = source->wblockCloneObjects(entities, out->modelSpaceId(), map, AcDb::kDrcIgnore);
    if (es != Acad::eOk) {
        delete out;
        return es;
    }
    out->setInsbase(base);
    output = out;
    return Acad::eOk;
}
}  // namespace

// The whole drawing: every symbol table record (the new drawing's standard records take the
// source's data), every block definition, the entities of both spaces and the header.
// Dictionaries of the named-object dictionary are not carried over.
Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& output) {
    output = nullptr;
    auto* out = new AcDbDatabase(true, true);
    AcDbIdMapping map;
    map.setOrigDb(this);
    map.setDestDb(out);
    map.setDeepCloneContext(AcDb::kDcWblock);
    map.assign(AcDbIdPair(modelSpaceId(), out->modelSpaceId(), false, false, true));
    if (!paperSpaceId().isNull() && !out->paperSpaceId().isNull())
        map.assign(AcDbIdPair(paperSpaceId(), out->paperSpaceId(), false, false, true));
    Acad::ErrorStatus es = Acad::eOk;
    for (int i = 1; i < kTableCount && es == Acad::eOk; ++i) {
        AcDbObjectIdArray records = toArray(liveRecords(tableIdAt(this, i)));
        if (!records.isEmpty() && !tableIdAt(out, i).isNull())
            es = wblockCloneObjects(records, tableIdAt(out, i), map, AcDb::kDrcReplace, true);
    }
    if (es == Acad::eOk) {
        AcDbObjectIdArray blocks = toArray(plainBlocks(this));
        if (!blocks.isEmpty()) es = wblockCloneObjects(blocks, out->blockTableId(), map, AcDb::kDrcIgnore, true);
    }
    const AcDbObjectId spaces[2][2] = {{modelSpaceId(), out->modelSpaceId()}, {paperSpaceId(), out->paperSpaceId()}};
    for (const auto& space : spaces) {
        if (es != Acad::eOk || space[0].isNull() || space[1].isNull()) continue;
        AcDbObjectIdArray entities = toArray(liveEntities(space[0]));
        if (!entities.isEmpty()) es = wblockCloneObjects(entities, space[1], map, AcDb::kDrcIgnore, true);
    }
    if (es == Acad::eOk) {
        for (const auto& [name, value] : headerValues()) out->setHeaderValue(name, value);
        es = out->translateIds(map);
    }
    if (es != Acad::eOk) {
        delete out;
        return es;
    }
    output = out;
    return Acad::eOk;
}

// The block's entities become the model space of a new drawing, based at the block's origin
// (model space keeps the drawing's insertion base).
Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& output, AcDbObjectId blockId) {
    output = nullptr;
    if (blockId.isNull()) return Acad::eNullObjectId;
    if (blockId.database() != this) return Acad::eWrongDatabase;
    const auto* block = peekAs<AcDbBlockTableRecord>(blockId);
    if (!block) return Acad::eNotThatKindOfClass;
    const AcGePoint3d base = blockId == modelSpaceId() ? insbase() : block->origin();
    return wblockEntities(this, blockId, toArray(liveEntities(blockId)), base, output);
}

// Entities of one block (they must share it) into the model space of a new drawing.
Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& output, const AcDbObjectIdArray& entities,
                                       const AcGePoint3d& basePoint) {
    output = nullptr;
    Acad::ErrorStatus es = checkSources(this, entities);
    if (es != Acad::eOk) return es;
    AcDbObjectId owner;
    if (!entities.isEmpty()) {
        owner = peek(entities[0])->ownerId();
        if (!peekAs<AcDbBlockTableRecord>(owner)) return Acad::eInvalidOwnerObject;
    }
    return wblockEntities(this, owner, entities, basePoint, output);
}

// The source's model space becomes a new block definition; the source's layers, linetypes,
// text styles, dimension styles, applications and block definitions merge by name (existing
// records of this drawing are kept). The source is never changed, whatever
// preserveSourceDatabase says.
Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const char* blockName, AcDbDatabase* source,
                                       bool preserveSourceDatabase) {
    (void)preserveSourceDatabase;
    blockId = AcDbObjectId::kNull;
    if (!source) return Acad::eNullObjectPointer;
    if (source == this) return Acad::eInvalidInput;
    if (!blockName || !*blockName) return Acad::eNullBlockName;
    if (!isValidSymbolName(blockName) || blockName[0] == '*') return Acad::eInvalidBlockName;
    if (!recordNamed(blockTableId(), blockName).isNull()) return Acad::eDuplicateKey;
    // A block of the source with the new name would end up inside itself.
    for (const AcDbObjectId& id : plainBlocks(source))
        if (symbolKey(peekAs<AcDbBlockTableRecord>(id)->name()) == symbolKey(blockName)) return Acad::eDuplicateKey;

    AcDbBlockTable* table = nullptr;
    Acad::ErrorStatus es = getBlockTable(table, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    auto* block = new AcDbBlockTableRecord;
    block->setName(blockName);
    block->setOrigin(source->insbase());
    // The source drawing's own icon, when it has one, becomes the block's.
    AcDbBlockTableRecord* sourceSpace = nullptr;
    if (acdbOpenObject(sourceSpace, source->modelSpaceId(), AcDb::kForRead) == Acad::eOk) {
        AcArray<Adesk::UInt8> icon;
        if (sourceSpace->getPreviewIcon(icon) == Acad::eOk && !icon.isEmpty()) block->setPreviewIcon(icon);
        sourceSpace->close();
    }
    AcDbObjectId newId;
    es = table->add(newId, block);
    table->close();
    if (es != Acad::eOk) {
        if (block->objectId().isNull()) delete block;
        return es;
    }
    block->close();

    AcDbIdMapping map;
    map.setOrigDb(source);
    map.setDestDb(this);
    map.setDeepCloneContext(AcDb::kDcInsert);
    map.assign(AcDbIdPair(source->modelSpaceId(), newId, false, false, true));
    const int merged[] = {1, 2, 3, 7, 8};
    for (int i : merged) {
        AcDbObjectIdArray records = toArray(liveRecords(tableIdAt(source, i)));
        if (es == Acad::eOk && !records.isEmpty())
            es = source->wblockCloneObjects(records, tableIdAt(this, i), map, AcDb::kDrcIgnore, true);
    }
    AcDbObjectIdArray blocks = toArray(plainBlocks(source));
    if (es == Acad::eOk && !blocks.isEmpty())
        es = source->wblockCloneObjects(blocks, blockTableId(), map, AcDb::kDrcIgnore, true);
    AcDbObjectIdArray entities = toArray(liveEntities(source->modelSpaceId()));
    if (es == Acad::eOk && !entities.isEmpty())
        es = source->wblockCloneObjects(entities, newId, map, AcDb::kDrcIgnore, true);
    const Acad::ErrorStatus xlate = translateIds(map);
    if (es == Acad::eOk) es = xlate;
    if (es == Acad::eOk) blockId = newId;
    return es;
}
