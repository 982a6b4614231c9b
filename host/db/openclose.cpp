// Opening and closing by id, the access assertions and the open counts.
#include <cstdio>
#include "db/database.h"
#include "db/hostinternal.h"
#include "db/undolog.h"

namespace {
int g_openObjects = 0;
int g_violations = 0;

void endWrite(AcDbObject* obj, AcDbStub* stub) {
    // Modification notices go out while the object is still open for write.
    if (obj->isModified()) {
        obj->internalSetNotifying(true);
        obj->notifyReactors(AcDbObject::kModifiedEvent);
        if (stub->database) stub->database->fireObjectModified(obj);
        obj->internalSetNotifying(false);
    }
    obj->internalSetModified(false);
    obj->internalSetNew(false);
}

// The first write-open of an object in an undo group files its state.
void recordForUndo(AcDbStub* stub) {
    if (AcDbUndoLog* log = stub->database ? stub->database->undoLog() : nullptr) log->objectOpenedForWrite(stub);
}
}  // namespace

namespace cadhost::db {
void adjustOpenCount(AcDbDatabase* db, int delta) {
    g_openObjects += delta;
    if (db) {
        if (delta > 0) for (int i = 0; i < delta; ++i) db->internalOpened();
        else for (int i = 0; i < -delta; ++i) db->internalClosed();
    }
}

void reportAccessViolation(const AcDbObject* object, const char* what) {
    ++g_violations;
    AcRxClass* cls = object ? object->isA() : nullptr;
    std::fprintf(stderr, "cadhost: access violation: %s %s: %s\n", cls ? cls->name() : "object",
                 object ? object->objectId().handle().ascii().c_str() : "-", what);
}

AcDbObject* peek(AcDbObjectId id) {
    AcDbStub* stub = id.stub();
    return stub ? stub->object : nullptr;
}
}  // namespace cadhost::db

int acdbHostOpenObjectCount() { return g_openObjects; }
int acdbAccessViolations() { return g_violations; }
void acdbResetAccessViolations() { g_violations = 0; }

Acad::ErrorStatus acdbOpenObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    object = nullptr;
    AcDbStub* stub = id.stub();
    if (!stub) return Acad::eNullObjectId;
    AcDbObject* obj = stub->object;
    if (!obj) return Acad::eUnknownHandle;
    if (stub->erased && !openErased) return Acad::eWasErased;
    switch (mode) {
    case AcDb::kForRead:
        if (stub->writer) return Acad::eWasOpenForWrite;
        break;
    case AcDb::kForWrite:
        if (stub->writer) return Acad::eWasOpenForWrite;
        if (stub->readers > 0) return Acad::eWasOpenForRead;
        if (stub->notifiers > 0) return Acad::eWasOpenForNotify;
        break;
    case AcDb::kForNotify: break;
    default: return Acad::eInvalidOpenState;
    }
    if (Acad::ErrorStatus es = obj->subOpen(mode); es != Acad::eOk) return es;
    switch (mode) {
    case AcDb::kForRead: ++stub->readers; break;
    case AcDb::kForWrite:
        stub->writer = true;
        obj->internalSetModified(false);
        break;
    default: ++stub->notifiers; break;
    }
    cadhost::db::adjustOpenCount(stub->database, 1);
    if (mode == AcDb::kForWrite) recordForUndo(stub);
    object = obj;
    return Acad::eOk;
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    return acdbOpenObject(object, id, mode, openErased);
}

// Nested notify opens close first, then the writer, then one reader.
Acad::ErrorStatus AcDbObject::close() {
    AcDbStub* stub = m_id.stub();
    if (!stub) return Acad::eOk;  // not in a database: the allocator still owns it
    if (stub->notifiers == 0 && !stub->writer && stub->readers == 0) {
        cadhost::db::reportAccessViolation(this, "closed while not open");
        return Acad::eNotOpenForRead;
    }
    Acad::ErrorStatus es = subClose();
    if (stub->notifiers > 0) {
        --stub->notifiers;
    } else if (stub->writer) {
        endWrite(this, stub);
        stub->writer = false;
    } else {
        --stub->readers;
    }
    cadhost::db::adjustOpenCount(stub->database, -1);
    return es;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
    AcDbStub* stub = m_id.stub();
    if (!stub) return Acad::eOk;
    if (stub->writer) return Acad::eOk;
    if (stub->readers == 0) return Acad::eNotOpenForRead;
    if (stub->readers > 1) return Acad::eWasOpenForRead;
    stub->readers = 0;
    stub->writer = true;
    m_modified = false;
    recordForUndo(stub);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
    AcDbStub* stub = m_id.stub();
    if (!stub) return Acad::eOk;
    if (!stub->writer) return Acad::eNotOpenForWrite;
    endWrite(this, stub);
    stub->writer = false;
    ++stub->readers;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::upgradeFromNotify(Adesk::Boolean& wasWritable) {
    AcDbStub* stub = m_id.stub();
    wasWritable = Adesk::kTrue;
    if (!stub || stub->writer) return Acad::eOk;
    if (stub->notifiers == 0) return Acad::eNotOpenForNotify;
    wasWritable = Adesk::kFalse;
    stub->writer = true;
    recordForUndo(stub);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeToNotify(Adesk::Boolean wasWritable) {
    AcDbStub* stub = m_id.stub();
    if (!stub) return Acad::eOk;
    if (!stub->writer) return Acad::eNotOpenForWrite;
    if (!wasWritable) stub->writer = false;
    return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const {
    AcDbStub* stub = m_id.stub();
    return !stub || stub->readers > 0 || stub->writer || stub->notifiers > 0;
}

bool AcDbObject::isWriteEnabled() const {
    AcDbStub* stub = m_id.stub();
    return !stub || stub->writer;
}

bool AcDbObject::isNotifyEnabled() const {
    AcDbStub* stub = m_id.stub();
    return !stub || stub->notifiers > 0 || stub->writer;
}

void AcDbObject::assertReadEnabled() const {
    if (!isReadEnabled()) cadhost::db::reportAccessViolation(this, "read while not open");
}

void AcDbObject::assertWriteEnabled(bool, bool recordModified) {
    AcDbStub* stub = m_id.stub();
    if (!stub) {
        if (recordModified) m_modified = true;
        return;
    }
    if (!stub->writer) {
        cadhost::db::reportAccessViolation(this, stub->readers > 0 ? "written while open for read"
                                                                   : "written while not open for write");
        return;
    }
    if (recordModified && !m_modified) {
        // First change of this open: tell the listeners before it happens.
        m_modified = true;
        if (!m_notifying) {
            m_notifying = true;
            notifyReactors(kOpenedForModifyEvent);
            if (stub->database) stub->database->fireObjectOpenedForModify(this);
            m_notifying = false;
        }
    }
}

void AcDbObject::assertNotifyEnabled() const {
    if (!isNotifyEnabled() && !isReadEnabled())
        cadhost::db::reportAccessViolation(this, "notified while not open");
}
