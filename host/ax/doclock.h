#pragma once
// Locks the document of an object's database for the life of the lock, as automation calls
// that change a drawing do. A database that belongs to no document needs no lock.
#include "db/objectid.h"
#include "ed/docman.h"

class CADHOST_API AcAxDocLock {
public:
    explicit AcAxDocLock(AcDbObjectId objectId, AcAp::DocLockMode mode = AcAp::kWrite);
    explicit AcAxDocLock(AcDbDatabase* database, AcAp::DocLockMode mode = AcAp::kWrite);
    ~AcAxDocLock();
    AcAxDocLock(const AcAxDocLock&) = delete;
    AcAxDocLock& operator=(const AcAxDocLock&) = delete;

    // eOk when locked, or when there was no document to lock.
    Acad::ErrorStatus lockStatus() const { return m_status; }
    AcApDocument* document() const { return m_locked ? m_document : nullptr; }

private:
    AcApDocument* m_document = nullptr;
    bool m_locked = false;
    Acad::ErrorStatus m_status = Acad::eOk;
};
