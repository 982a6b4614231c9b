#include "ed/transactions.h"
#include <algorithm>
#include "db/entity.h"
#include "db/hostinternal.h"
#include "db/undolog.h"
#include "ed/display.h"

ACRX_HOST_DEFINE_MEMBERS(AcTransaction, AcRxObject, "", ACRX_NO_CONS)
ACRX_HOST_DEFINE_MEMBERS(AcDbTransactionManager, AcRxObject, "", ACRX_NO_CONS)
ACRX_HOST_DEFINE_MEMBERS(AcTransactionManager, AcDbTransactionManager, "", ACRX_NO_CONS)

namespace {
AcDbUndoLog* liveLog(AcDbDatabase* db) {
    return cadhost::db::isLiveDatabase(db) ? &db->internalUndoLog() : nullptr;
}
}  // namespace

AcTransaction::~AcTransaction() = default;

Acad::ErrorStatus AcTransaction::getObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                           bool openErasedObject) {
    return m_manager->open(this, object, id, mode, openErasedObject);
}

int AcTransaction::numOpenedObjects() const {
    int n = 0;
    for (const auto& entry : m_manager->m_held) n += entry.second.owner == this;
    return n;
}

AcDbTransactionManager::~AcDbTransactionManager() = default;

void AcDbTransactionManager::join(AcDbDatabase* db) {
    if (!db || std::find(m_databases.begin(), m_databases.end(), db) != m_databases.end()) return;
    AcDbUndoLog& log = db->internalUndoLog();
    for (size_t i = 0; i < m_active.size(); ++i) log.beginTransaction();
    m_databases.push_back(db);
}

AcTransaction* AcDbTransactionManager::startTransaction() {
    m_active.push_back(std::unique_ptr<AcTransaction>(new AcTransaction(this)));
    // Databases already in the transactions, and the working one, record what the new one changes.
    m_databases.erase(std::remove_if(m_databases.begin(), m_databases.end(),
                                     [](AcDbDatabase* db) { return !cadhost::db::isLiveDatabase(db); }),
                      m_databases.end());
    for (AcDbDatabase* db : m_databases) db->internalUndoLog().beginTransaction();
    join(acdbHostApplicationServices()->workingDatabase());
    // What the new transaction does to objects already open for write is put back by its
    // abort: their states now are its starting point.
    for (const auto& entry : m_held) {
        if (!cadhost::db::isLiveDatabase(entry.second.database)) continue;
        if (entry.second.object->isWriteEnabled())
            entry.second.database->internalUndoLog().objectOpenedForWrite(entry.first.stub());
    }
    return m_active.back().get();
}

Acad::ErrorStatus AcDbTransactionManager::open(AcTransaction* into, AcDbObject*& object, AcDbObjectId id,
                                               AcDb::OpenMode mode, bool openErased) {
    object = nullptr;
    if (m_active.empty()) return Acad::eNoActiveTransactions;
    if (id.isNull()) return Acad::eNullObjectId;
    if (mode != AcDb::kForRead && mode != AcDb::kForWrite && mode != AcDb::kForNotify) return Acad::eInvalidOpenState;
    auto it = m_held.find(id);
    if (it != m_held.end() && !cadhost::db::isLiveDatabase(it->second.database)) {
        m_held.erase(it);  // the id was reused by a drawing made since
        it = m_held.end();
    }
    if (it != m_held.end()) {
        AcDbObject* held = it->second.object;
        if (held->isErased() && !openErased) return Acad::eWasErased;
        if (mode == AcDb::kForWrite && !held->isWriteEnabled()) {
            if (Acad::ErrorStatus es = held->upgradeOpen(); es != Acad::eOk) return es;
        }
        object = held;
        return Acad::eOk;
    }
    // The database records the changes before the object is opened for write.
    join(id.database());
    AcDbObject* opened = nullptr;
    const AcDb::OpenMode how = mode == AcDb::kForWrite ? AcDb::kForWrite : AcDb::kForRead;
    if (Acad::ErrorStatus es = acdbOpenObject(opened, id, how, openErased); es != Acad::eOk) return es;
    m_held[id] = Held{opened, into, id.database()};
    object = opened;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTransactionManager::getObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                                    bool openErasedObject) {
    object = nullptr;
    if (m_active.empty()) return Acad::eNoActiveTransactions;
    return open(m_active.back().get(), object, id, mode, openErasedObject);
}

Acad::ErrorStatus AcDbTransactionManager::addNewlyCreatedDBRObject(AcDbObject* object, bool add) {
    if (m_active.empty()) return Acad::eNoActiveTransactions;
    if (!object) return Acad::eNullObjectPointer;
    const AcDbObjectId id = object->objectId();
    if (id.isNull()) return Acad::eNotInDatabase;
    auto it = m_held.find(id);
    if (!add) {
        if (it == m_held.end()) return Acad::eKeyNotFound;
        m_held.erase(it);
        return Acad::eOk;
    }
    if (it != m_held.end()) return Acad::eOk;
    if (!object->isWriteEnabled()) return Acad::eNotOpenForWrite;
    join(id.database());
    m_held[id] = Held{object, m_active.back().get(), id.database()};
    return Acad::eOk;
}

// Closes every object the transaction holds, each once.
void AcDbTransactionManager::closeHeldBy(const AcTransaction* owner) {
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (it->second.owner != owner) {
            ++it;
            continue;
        }
        const Held held = it->second;
        it = m_held.erase(it);
        if (cadhost::db::isLiveDatabase(held.database)) held.object->close();
    }
}

Acad::ErrorStatus AcDbTransactionManager::endTransaction() {
    if (m_active.empty()) return Acad::eNoActiveTransactions;
    std::unique_ptr<AcTransaction> top = std::move(m_active.back());
    m_active.pop_back();
    if (m_active.empty()) {
        closeHeldBy(top.get());
    } else {
        for (auto& entry : m_held)
            if (entry.second.owner == top.get()) entry.second.owner = m_active.back().get();
    }
    for (AcDbDatabase* db : m_databases)
        if (AcDbUndoLog* log = liveLog(db)) log->endTransaction();
    if (m_active.empty()) {
        m_databases.clear();
        flushQueue();
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTransactionManager::abortTransaction() {
    if (m_active.empty()) return Acad::eNoActiveTransactions;
    std::unique_ptr<AcTransaction> top = std::move(m_active.back());
    m_active.pop_back();
    // Closed first, so that the undo can open them to put them back.
    closeHeldBy(top.get());
    for (AcDbDatabase* db : m_databases)
        if (AcDbUndoLog* log = liveLog(db)) log->abortTransaction();
    if (m_active.empty()) {
        m_databases.clear();
        m_queue.clear();
    }
    return Acad::eOk;
}

std::vector<AcDbObjectId> AcDbTransactionManager::changedEntities() const {
    std::vector<AcDbObjectId> ids;
    for (const auto& entry : m_held) {
        const AcDbObject* object = entry.second.object;
        if (!cadhost::db::isLiveDatabase(entry.second.database)) continue;
        if (object->isWriteEnabled() && object->isModified() && AcDbEntity::cast(object)) ids.push_back(entry.first);
    }
    return ids;
}

void AcDbTransactionManager::queue(const std::vector<AcDbObjectId>& ids) {
    for (const AcDbObjectId& id : ids)
        if (std::find(m_queue.begin(), m_queue.end(), id) == m_queue.end()) m_queue.push_back(id);
}

std::vector<AcDbObjectId> AcDbTransactionManager::takeQueue() {
    std::vector<AcDbObjectId> ids;
    ids.swap(m_queue);
    return ids;
}

Acad::ErrorStatus AcTransactionManager::queueForGraphicsFlush() {
    if (numActiveTransactions() == 0) return Acad::eNoActiveTransactions;
    queue(changedEntities());
    return Acad::eOk;
}

Acad::ErrorStatus AcTransactionManager::flushGraphics() {
    queue(changedEntities());
    flushQueue();
    return Acad::eOk;
}

void AcTransactionManager::flushQueue() { acedHostRedrawEntities(takeQueue()); }

AcTransactionManager* acapTransactionManagerPtr() {
    static AcTransactionManager* manager = new AcTransactionManager();
    return manager;
}

AcDbTransactionManager* acdbTransactionManagerPtr() { return acapTransactionManagerPtr(); }
