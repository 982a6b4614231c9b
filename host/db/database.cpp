#include "db/database.h"
#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include "db/hostinternal.h"
#include "db/undolog.h"
#include "rx/dynlinker.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbDatabase, AcRxObject, "", ACRX_NO_CONS)
ACRX_HOST_DEFINE_MEMBERS(AcDbDatabaseReactor, AcRxObject, "", ACRX_NO_CONS)

using namespace cadhost::db;

namespace {
std::unordered_set<const AcDbDatabase*>& liveDatabases() {
    static auto* live = new std::unordered_set<const AcDbDatabase*>;
    return *live;
}

template <class Table>
Acad::ErrorStatus openTable(AcDbObjectId id, Table*& table, AcDb::OpenMode mode) {
    table = nullptr;
    return acdbOpenObject(table, id, mode);
}
}  // namespace

bool cadhost::db::isLiveDatabase(const AcDbDatabase* db) { return db && liveDatabases().count(db) != 0; }

namespace {
// The objects of a class in every drawing in memory: a module is not unloaded under them.
int countObjectsOf(const AcRxClass* cls) {
    int n = 0;
    for (const AcDbDatabase* db : liveDatabases()) n += db->internalCountObjectsOf(cls);
    return n;
}
[[maybe_unused]] const bool g_counterAdded = (acrxHostAddInstanceCounter(&countObjectsOf), true);
}  // namespace

int AcDbDatabase::internalCountObjectsOf(const AcRxClass* cls) const {
    int n = 0;
    for (const AcDbStub& stub : m_stubs)
        if (stub.object && stub.object->isKindOf(cls)) ++n;
    return n;
}

// A database made for a document becomes the working one when there is none yet.
AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool noDocument) {
    liveDatabases().insert(this);
    setDefaultHeader(this);
    if (buildDefaultDrawing) internalBuildDefaults();
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    if (!noDocument && !services->workingDatabase()) services->setWorkingDatabase(this);
}

namespace {
// Goodbye to every object's reactors while all objects still exist, then deletion.
void destroyObjects(std::deque<AcDbStub>& stubs) {
    for (AcDbStub& stub : stubs)
        if (stub.object) stub.object->notifyReactors(AcDbObject::kGoodbyeEvent);
    for (auto it = stubs.rbegin(); it != stubs.rend(); ++it) {
        AcDbObject* obj = it->object;
        it->object = nullptr;
        delete obj;
    }
}
}  // namespace

AcDbDatabase::~AcDbDatabase() {
    AcArray<AcDbDatabaseReactor*> reactors = m_reactors;
    for (AcDbDatabaseReactor* r : reactors)
        if (m_reactors.contains(r)) r->goodbye(this);
    m_reactors.removeAll();
    m_undoLog.reset();
    if (m_openCount != 0)
        std::fprintf(stderr, "cadhost: database destroyed with %d object(s) still open\n", m_openCount);
    destroyObjects(m_stubs);
    m_stubs.clear();
    m_byHandle.clear();
    liveDatabases().erase(this);
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    if (services->workingDatabase() == this) services->setWorkingDatabase(nullptr);
}

void AcDbDatabase::internalClear() {
    if (m_openCount != 0)
        std::fprintf(stderr, "cadhost: database cleared with %d object(s) still open\n", m_openCount);
    destroyObjects(m_stubs);
    m_stubs.clear();
    m_byHandle.clear();
    m_handseed = AcDbHandle(1);
    m_openCount = 0;
    for (AcDbObjectId& id : m_tables) id = AcDbObjectId::kNull;
    m_namedObjects = AcDbObjectId::kNull;
    m_header.clear();
    setDefaultHeader(this);
    if (m_undoLog) m_undoLog->clear();
}

AcDbStub* AcDbDatabase::internalNewStub(AcDbHandle handle) {
    if (handle.isNull()) return nullptr;
    if (AcDbStub* known = m_byHandle.find(handle.value())) return known;
    AcDbStub& stub = m_stubs.emplace_back();
    stub.database = this;
    stub.handle = handle;
    m_byHandle.insert(handle.value(), &stub);
    internalBumpHandseed(handle);
    return &stub;
}

void AcDbDatabase::internalBumpHandseed(AcDbHandle handle) {
    if (handle.value() != UINT64_MAX && !(handle < m_handseed)) m_handseed = AcDbHandle(handle.value() + 1);
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& handle) {
    id = AcDbObjectId::kNull;
    if (handle.isNull()) return Acad::eNullHandle;
    if (AcDbStub* known = m_byHandle.find(handle.value())) {
        id = AcDbObjectId(known);
        return Acad::eOk;
    }
    if (!createIfNotFound) return Acad::eUnknownHandle;
    id = AcDbObjectId(internalNewStub(handle));
    return Acad::eOk;
}

// The object gets the next free handle, or keeps the handle of the unresolved id made for it
// (readers resolve forward references that way); it is left open for write.
Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* object) {
    id = AcDbObjectId::kNull;
    if (!object) return Acad::eNullObjectPointer;
    AcDbStub* stub = object->objectId().stub();
    if (stub) {
        if (stub->database != this) return Acad::eWrongDatabase;
        if (stub->object) return Acad::eAlreadyInDb;
    } else {
        // Past the highest handle (a file may name any 64-bit handle) the search wraps round.
        AcDbHandle handle = m_handseed;
        while (handle.isNull() || m_byHandle.contains(handle.value())) ++handle;
        stub = internalNewStub(handle);
        if (!stub) return Acad::eOutOfMemory;
    }
    stub->object = object;
    stub->erased = false;
    stub->readers = stub->notifiers = 0;
    stub->writer = true;
    object->internalSetId(AcDbObjectId(stub));
    object->internalSetDatabase(this);
    object->internalSetNew(true);
    object->internalSetModified(false);
    adjustOpenCount(this, 1);
    id = AcDbObjectId(stub);
    if (m_undoLog) m_undoLog->objectAppended(stub);
    fireObjectAppended(object);
    return Acad::eOk;
}

AcDbUndoLog& AcDbDatabase::internalUndoLog() {
    if (!m_undoLog) m_undoLog = std::make_unique<AcDbUndoLog>(this);
    return *m_undoLog;
}

bool AcDbDatabase::isUndoing() const { return m_undoLog && m_undoLog->isUndoing(); }

void AcDbDatabase::internalUnappend(AcDbStub* stub) {
    if (!stub || stub->database != this || stub->unappended) return;
    m_byHandle.erase(stub->handle.value(), stub);
    stub->erased = true;
    stub->unappended = true;
}

void AcDbDatabase::internalReappend(AcDbStub* stub) {
    if (!stub || stub->database != this || !stub->unappended) return;
    m_byHandle.insert(stub->handle.value(), stub);
    internalBumpHandseed(stub->handle);
    stub->unappended = false;
}

std::vector<AcDbObjectId> AcDbDatabase::allIds() const {
    std::vector<const AcDbStub*> stubs;
    stubs.reserve(m_stubs.size());
    for (const AcDbStub& s : m_stubs)
        if (s.object && !s.unappended) stubs.push_back(&s);
    std::sort(stubs.begin(), stubs.end(), [](const AcDbStub* a, const AcDbStub* b) { return a->handle < b->handle; });
    std::vector<AcDbObjectId> ids;
    ids.reserve(stubs.size());
    for (const AcDbStub* s : stubs) ids.emplace_back(const_cast<AcDbStub*>(s));
    return ids;
}

Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[0], t, m); }
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[1], t, m); }
Acad::ErrorStatus AcDbDatabase::getLinetypeTable(AcDbLinetypeTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[2], t, m); }
Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[3], t, m); }
Acad::ErrorStatus AcDbDatabase::getViewTable(AcDbViewTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[4], t, m); }
Acad::ErrorStatus AcDbDatabase::getUCSTable(AcDbUCSTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[5], t, m); }
Acad::ErrorStatus AcDbDatabase::getViewportTable(AcDbViewportTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[6], t, m); }
Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[7], t, m); }
Acad::ErrorStatus AcDbDatabase::getDimStyleTable(AcDbDimStyleTable*& t, AcDb::OpenMode m) const { return openTable(m_tables[8], t, m); }

void AcDbDatabase::addReactor(AcDbDatabaseReactor* reactor) {
    if (reactor && !m_reactors.contains(reactor)) m_reactors.append(reactor);
}
void AcDbDatabase::removeReactor(AcDbDatabaseReactor* reactor) { m_reactors.remove(reactor); }

// Reactors may come and go while they are called: the list is copied first.
#define CADHOST_FIRE(CALL)                                   \
    if (m_reactors.isEmpty()) return;                        \
    AcArray<AcDbDatabaseReactor*> reactors = m_reactors;     \
    for (AcDbDatabaseReactor* r : reactors)                  \
        if (m_reactors.contains(r)) r->CALL;

void AcDbDatabase::fireObjectAppended(const AcDbObject* object) { CADHOST_FIRE(objectAppended(this, object)) }
void AcDbDatabase::fireObjectModified(const AcDbObject* object) { CADHOST_FIRE(objectModified(this, object)) }
void AcDbDatabase::fireObjectErased(const AcDbObject* object, bool erased) {
    CADHOST_FIRE(objectErased(this, object, erased ? Adesk::kTrue : Adesk::kFalse))
}
void AcDbDatabase::fireObjectOpenedForModify(const AcDbObject* object) { CADHOST_FIRE(objectOpenedForModify(this, object)) }
void AcDbDatabase::fireObjectUnAppended(const AcDbObject* object) { CADHOST_FIRE(objectUnAppended(this, object)) }
void AcDbDatabase::fireObjectReAppended(const AcDbObject* object) { CADHOST_FIRE(objectReAppended(this, object)) }
#undef CADHOST_FIRE
