#include "ax/doclock.h"

AcAxDocLock::AcAxDocLock(AcDbObjectId objectId, AcAp::DocLockMode mode) : AcAxDocLock(objectId.database(), mode) {}

AcAxDocLock::AcAxDocLock(AcDbDatabase* database, AcAp::DocLockMode mode) {
    m_document = database ? acDocManager->document(database) : nullptr;
    if (!m_document) return;
    m_status = acDocManager->lockDocument(m_document, mode);
    m_locked = m_status == Acad::eOk;
}

AcAxDocLock::~AcAxDocLock() {
    if (m_locked) acDocManager->unlockDocument(m_document);
}
