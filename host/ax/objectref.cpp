#include "ax/objectref.h"

AcAxObjectRef::~AcAxObjectRef() { delete m_object; }

void AcAxObjectRef::acquire(AcDbObjectId id) {
    delete m_object;
    m_object = nullptr;
    m_id = id;
}

void AcAxObjectRef::acquire(AcDbObject* object) {
    if (object == m_object) return;
    if (object && object->isDatabaseResident()) {
        acquire(object->objectId());
        return;
    }
    delete m_object;
    m_object = object;
    m_id = AcDbObjectId::kNull;
}

AcDbObject* AcAxObjectRef::release() {
    AcDbObject* object = m_object;
    m_object = nullptr;
    return object;
}

Acad::ErrorStatus AcAxObjectRef::open(AcDbObject*& object, AcDb::OpenMode mode) const {
    object = nullptr;
    if (m_object) {
        object = m_object;
        return Acad::eOk;
    }
    if (m_id.isNull()) return Acad::eNullObjectId;
    return acdbOpenObject(object, m_id, mode);
}

void AcAxObjectRef::close(AcDbObject* object) const {
    if (object && object != m_object) object->close();
}
