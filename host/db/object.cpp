#include "db/object.h"
#include <cstdio>
#include "db/database.h"
#include "db/hostinternal.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbObject, AcGiDrawable, "", ACRX_NO_CONS)
ACRX_HOST_DEFINE_MEMBERS(AcDbObjectReactor, AcRxObject, "", ACRX_NO_CONS)

using namespace cadhost::db;

AcDbObject::AcDbObject() = default;

// A copy is a new object outside any database: identity, owner and reactors stay behind.
AcDbObject::AcDbObject(const AcDbObject& other)
    : AcGiDrawable(), m_db(other.m_db), m_xdata(cadhost::rx::copyResbufChain(other.m_xdata)) {}

AcDbObject& AcDbObject::operator=(const AcDbObject& other) {
    if (this != &other) {
        resbuf* copy = cadhost::rx::copyResbufChain(other.m_xdata);
        acutRelRb(m_xdata);
        m_xdata = copy;
    }
    return *this;
}

// The database says goodbye for the objects it deletes; others say it here.
AcDbObject::~AcDbObject() {
    bool farewell = m_id.isNull();
    if (AcDbStub* stub = m_id.stub(); stub && stub->object == this) {
        // Only the database deletes what it holds; keep its table from pointing at freed memory.
        reportAccessViolation(this, "deleted while database-resident");
        stub->object = nullptr;
        farewell = true;
    }
    if (farewell && !m_reactors.isEmpty()) {
        AcArray<AcDbObjectReactor*> reactors = m_reactors;
        m_reactors.removeAll();
        for (AcDbObjectReactor* r : reactors) r->goodbye(this);
    }
    acutRelRb(m_xdata);
}

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId owner) {
    assertWriteEnabled();
    m_ownerId = owner;
    return Acad::eOk;
}

AcDbHandle AcDbObject::getAcDbHandle() const { return m_id.handle(); }
AcDbDatabase* AcDbObject::database() const { return m_id.isNull() ? m_db : m_id.database(); }
bool AcDbObject::isErased() const { return m_id.isErased(); }
bool AcDbObject::isUndoing() const {
    const AcDbDatabase* db = database();
    return db && db->isUndoing();
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    AcDbStub* stub = m_id.stub();
    if (!stub) return Acad::eNotInDatabase;
    if (!stub->writer) return Acad::eNotOpenForWrite;
    if (stub->erased == erasing) return erasing ? Acad::eWasErased : Acad::eOk;
    if (erasing && isRequiredRecord(stub->database, m_id)) return Acad::eCannotBeErasedByCaller;
    Acad::ErrorStatus es = subErase(erasing);
    if (es != Acad::eOk) return es;
    assertWriteEnabled();
    stub->erased = erasing;
    m_notifying = true;
    notifyReactors(kErasedEvent, erasing);
    if (stub->database) stub->database->fireObjectErased(this, erasing);
    m_notifying = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::subErase(bool) { return Acad::eOk; }

void AcDbObject::copied(const AcDbObject*, const AcDbObject*) {}
void AcDbObject::erased(const AcDbObject*, Adesk::Boolean) {}
void AcDbObject::goodbye(const AcDbObject*) {}
void AcDbObject::modified(const AcDbObject*) {}
void AcDbObject::openedForModify(const AcDbObject*) {}

void AcDbObject::addReactor(AcDbObjectReactor* reactor) const {
    if (reactor && !m_reactors.contains(reactor)) m_reactors.append(reactor);
}
void AcDbObject::removeReactor(AcDbObjectReactor* reactor) const { m_reactors.remove(reactor); }

void AcDbObject::addPersistentReactor(AcDbObjectId id) {
    assertWriteEnabled();
    if (!id.isNull() && !m_persistentReactors.contains(id)) m_persistentReactors.append(id);
}

Acad::ErrorStatus AcDbObject::removePersistentReactor(AcDbObjectId id) {
    assertWriteEnabled();
    return m_persistentReactors.remove(id) ? Acad::eOk : Acad::eKeyNotFound;
}

void AcDbObject::notifyReactors(int event, bool flag) const {
    if (m_reactors.isEmpty() && m_persistentReactors.isEmpty()) return;
    // Copies: a reactor may add or remove reactors while it is called.
    AcArray<AcDbObjectReactor*> reactors = m_reactors;
    for (AcDbObjectReactor* r : reactors) {
        if (!m_reactors.contains(r)) continue;
        switch (event) {
        case kModifiedEvent: r->modified(this); break;
        case kErasedEvent: r->erased(this, flag); break;
        case kGoodbyeEvent: r->goodbye(this); break;
        case kOpenedForModifyEvent: r->openedForModify(this); break;
        default: break;
        }
    }
    AcDbObjectIdArray persistent = m_persistentReactors;
    for (const AcDbObjectId& id : persistent) {
        if (id == m_id) continue;
        AcDbObject* r = nullptr;
        if (acdbOpenObject(r, id, AcDb::kForNotify) != Acad::eOk) continue;
        switch (event) {
        case kModifiedEvent: r->modified(this); break;
        case kErasedEvent: r->erased(this, flag); break;
        case kGoodbyeEvent: r->goodbye(this); break;
        case kOpenedForModifyEvent: r->openedForModify(this); break;
        default: break;
        }
        r->close();
    }
}

// Base data: owner, persistent reactors, extended data.
Acad::ErrorStatus AcDbObject::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    filer->writeSoftPointerId(AcDbSoftPointerId(m_ownerId));
    filer->writeInt32(m_persistentReactors.length());
    for (const AcDbObjectId& id : m_persistentReactors) filer->writeSoftPointerId(AcDbSoftPointerId(id));
    writeXData(filer, m_xdata);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbObject::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    AcDbSoftPointerId owner;
    filer->readSoftPointerId(&owner);
    Adesk::Int32 n = 0;
    filer->readInt32(&n);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (n < 0) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    AcDbObjectIdArray reactors;
    for (Adesk::Int32 i = 0; i < n && filer->filerStatus() == Acad::eOk; ++i) {
        AcDbSoftPointerId id;
        filer->readSoftPointerId(&id);
        if (!id.isNull()) reactors.append(id);
    }
    resbuf* xdata = nullptr;
    if (filer->filerStatus() == Acad::eOk) readXData(filer, xdata);
    if (filer->filerStatus() != Acad::eOk) {
        acutRelRb(xdata);
        return filer->filerStatus();
    }
    m_ownerId = owner;
    m_persistentReactors = reactors;
    acutRelRb(m_xdata);
    m_xdata = xdata;
    return Acad::eOk;
}

// The drawing-file writer writes the object's type, handle, owner and extended data itself.
Acad::ErrorStatus AcDbObject::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbObject::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbObject::getClassID(CLSID*) const { return Acad::eNotApplicable; }
