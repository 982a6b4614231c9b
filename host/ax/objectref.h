#pragma once
// What an automation wrapper stands for: a database-resident object by id, or an object not
// (yet) in a database that the wrapper owns. Resident objects are opened for each access and
// closed again at once.
#include "db/object.h"

class CADHOST_API AcAxObjectRef {
public:
    AcAxObjectRef() = default;
    ~AcAxObjectRef();
    AcAxObjectRef(const AcAxObjectRef&) = delete;
    AcAxObjectRef& operator=(const AcAxObjectRef&) = delete;

    bool isNull() const { return m_id.isNull() && !m_object; }
    AcDbObjectId objectId() const { return m_id; }
    AcDbObject* ownedObject() const { return m_object; }

    // Stands for a resident object; an owned object is deleted.
    void acquire(AcDbObjectId id);
    // Takes an object: one in a database is kept by its id, any other is owned.
    void acquire(AcDbObject* object);
    // Hands the owned object to the caller, leaving the reference null; answers null and
    // changes nothing when it owns none.
    AcDbObject* release();
    void reset() { acquire(AcDbObjectId::kNull); }

    // The owned object as it is, or the resident object opened in that mode.
    Acad::ErrorStatus open(AcDbObject*& object, AcDb::OpenMode mode) const;
    // Closes what open gave, when it was opened.
    void close(AcDbObject* object) const;

private:
    AcDbObjectId m_id;
    AcDbObject* m_object = nullptr;
};

// Opens the object of a reference as T for the life of the pointer.
template <class T>
class AcAxObjectRefPtr {
public:
    AcAxObjectRefPtr(const AcAxObjectRef& ref, AcDb::OpenMode mode) : m_ref(ref) {
        AcDbObject* object = nullptr;
        m_status = ref.open(object, mode);
        if (m_status != Acad::eOk) return;
        m_object = T::cast(object);
        if (!m_object) {
            ref.close(object);
            m_status = Acad::eNotThatKindOfClass;
        }
    }
    ~AcAxObjectRefPtr() {
        if (m_object) m_ref.close(m_object);
    }
    AcAxObjectRefPtr(const AcAxObjectRefPtr&) = delete;
    AcAxObjectRefPtr& operator=(const AcAxObjectRefPtr&) = delete;

    Acad::ErrorStatus openStatus() const { return m_status; }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }

private:
    const AcAxObjectRef& m_ref;
    T* m_object = nullptr;
    Acad::ErrorStatus m_status = Acad::eNullObjectId;
};
