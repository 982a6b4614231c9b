#pragma once
#include "db/filer.h"
#include "db/objectid.h"
#include "rx/acarray.h"
#include "gi/drawable.h"
#include "rx/rxclass.h"

class AcDbIdMapping;
class AcDbObjectReactor;
class AcDbDatabase;
struct GUID;
typedef GUID CLSID;

// A database object: opened by id, closed exactly once; filed through DWG and DXF filers.
class CADHOST_API AcDbObject : public AcGiDrawable {
public:
    ACRX_DECLARE_MEMBERS(AcDbObject);
    ~AcDbObject() override;

    AcDbObjectId objectId() const { return m_id; }
    AcDbObjectId ownerId() const { return m_ownerId; }
    virtual Acad::ErrorStatus setOwnerId(AcDbObjectId owner);
    AcDbHandle getAcDbHandle() const;
    void getAcDbHandle(AcDbHandle& handle) const { handle = getAcDbHandle(); }
    AcDbDatabase* database() const;
    bool isDatabaseResident() const { return !m_id.isNull(); }

    // Open state.
    Acad::ErrorStatus close();
    Acad::ErrorStatus cancel() { return close(); }
    Acad::ErrorStatus upgradeOpen();
    Acad::ErrorStatus downgradeOpen();
    Acad::ErrorStatus upgradeFromNotify(Adesk::Boolean& wasWritable);
    Acad::ErrorStatus downgradeToNotify(Adesk::Boolean wasWritable);
    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    bool isNotifyEnabled() const;
    bool isModified() const { return m_modified; }
    bool isErased() const;
    bool isNewObject() const { return m_new; }
    bool isNotifying() const { return m_notifying; }
    bool isCancelling() const { return false; }
    bool isUndoing() const;
    // Access assertions: a violation is counted (acdbAccessViolations) and reported on stderr.
    void assertReadEnabled() const;
    void assertWriteEnabled(bool autoUndo = true, bool recordModified = true);
    void assertNotifyEnabled() const;

    Acad::ErrorStatus erase(bool erasing = true);
    virtual Acad::ErrorStatus subErase(bool erasing);
    virtual Acad::ErrorStatus subOpen(AcDb::OpenMode mode) { (void)mode; return Acad::eOk; }
    virtual Acad::ErrorStatus subClose() { return Acad::eOk; }

    // Filing. The base writes the handle-independent object data (owner, extended data).
    virtual Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
    virtual Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;
    virtual Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer);
    virtual Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const;
    Acad::ErrorStatus dwgIn(AcDbDwgFiler* filer) { return dwgInFields(filer); }
    Acad::ErrorStatus dwgOut(AcDbDwgFiler* filer) const { return dwgOutFields(filer); }

    // Cloning protocol.
    virtual Acad::ErrorStatus deepClone(AcDbObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                        Adesk::Boolean isPrimary = true) const;
    virtual Acad::ErrorStatus wblockClone(AcRxObject* owner, AcDbObject*& clone, AcDbIdMapping& idMap,
                                          Adesk::Boolean isPrimary = true) const;
    void setAcDbObjectIdsInFlux();
    bool isAcDbObjectIdsInFlux() const { return m_inFlux; }
    // Copies the object's own data (through a copy filer) from another object of the same class.
    Acad::ErrorStatus copyFrom(const AcRxObject* other) override;
    AcRxObject* clone() const override;

    // Notifications sent to the object itself and its reactors.
    virtual void copied(const AcDbObject* source, const AcDbObject* copy);
    virtual void erased(const AcDbObject* object, Adesk::Boolean erasing = true);
    virtual void goodbye(const AcDbObject* object);
    virtual void modified(const AcDbObject* object);
    virtual void openedForModify(const AcDbObject* object);
    void addReactor(AcDbObjectReactor* reactor) const;
    void removeReactor(AcDbObjectReactor* reactor) const;
    void addPersistentReactor(AcDbObjectId id);
    Acad::ErrorStatus removePersistentReactor(AcDbObjectId id);
    const AcDbObjectIdArray& persistentReactors() const { return m_persistentReactors; }

    // Extended data: the chain starts with a 1001 application name group.
    virtual resbuf* xData(const char* appName = nullptr) const;  // caller frees with acutRelRb
    virtual Acad::ErrorStatus setXData(const resbuf* xdata);
    Acad::ErrorStatus xDataTransformBy(const class AcGeMatrix3d& m);
    AcDbObjectId extensionDictionary() const { return m_extDict; }

    virtual Acad::ErrorStatus getClassID(CLSID* classId) const;
    // Marks the object modified after a write (also done by assertWriteEnabled).
    void recordGraphicsModified(bool = true) { m_modified = true; }
    void xmitPropagateModify() const {}

    // Host-internal: the stub and identity are set by the database.
    void internalSetId(AcDbObjectId id) { m_id = id; }
    void internalSetNew(bool isNew) { m_new = isNew; }
    void internalSetModified(bool modified) { m_modified = modified; }
    void internalSetDatabase(AcDbDatabase* db) { m_db = db; }
    AcDbDatabase* internalDatabase() const { return m_db; }
    void internalSetOwner(AcDbObjectId owner) { m_ownerId = owner; }
    void internalSetExtensionDictionary(AcDbObjectId dictionary) { m_extDict = dictionary; }
    void internalSetNotifying(bool notifying) { m_notifying = notifying; }
    // Cleared by the id translation that ends a clone operation.
    void internalSetIdsInFlux(bool inFlux) { m_inFlux = inFlux; }
    void internalSetPersistentReactors(const AcDbObjectIdArray& ids) { m_persistentReactors = ids; }
    // Whether any reactor, transient or persistent, hears of this object's changes.
    bool internalHasReactors() const { return !m_reactors.isEmpty() || !m_persistentReactors.isEmpty(); }
    // Cloning without filing. Classes of this library whose only ids are the owner, the
    // persistent reactors and an entity's layer and linetype say so for objects of exactly
    // their class, and answer a new object of that class with this one's data (no identity,
    // owner, database or persistent reactors); every other object answers false and null.
    virtual bool internalHasCommonIdsOnly() const { return false; }
    virtual AcDbObject* internalCopyData() const { return nullptr; }
    struct XDataGroup;
    // Sends an event to the transient reactors, then to the persistent ones (opened for notify).
    enum ReactorEvent { kModifiedEvent = 0, kErasedEvent = 1, kGoodbyeEvent = 2, kOpenedForModifyEvent = 3 };
    void notifyReactors(int event, bool flag = false) const;

protected:
    AcDbObject();
    AcDbObject(const AcDbObject&);
    AcDbObject& operator=(const AcDbObject&);

private:
    AcDbObjectId m_id;
    AcDbObjectId m_ownerId;
    AcDbObjectId m_extDict;
    AcDbDatabase* m_db = nullptr;  // set for resident objects and for those given a database
    bool m_new = true;
    bool m_modified = false;
    bool m_notifying = false;
    bool m_inFlux = false;
    resbuf* m_xdata = nullptr;
    mutable AcArray<AcDbObjectReactor*> m_reactors;
    AcDbObjectIdArray m_persistentReactors;
};

// Cloning without filing for a class whose data holds no ids of its own (see
// internalCopyData); its copy constructor copies every filed field.
#define CADHOST_COPIES_DATA(CLASS_NAME)                                                              \
    bool internalHasCommonIdsOnly() const override { return isA() == CLASS_NAME::desc(); }          \
    AcDbObject* internalCopyData() const override {                                                 \
        return internalHasCommonIdsOnly() ? new CLASS_NAME(*this) : nullptr;                        \
    }

// Transient reactor on objects.
class CADHOST_API AcDbObjectReactor : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbObjectReactor);
    virtual void copied(const AcDbObject* source, const AcDbObject* copy) { (void)source; (void)copy; }
    virtual void erased(const AcDbObject* object, Adesk::Boolean erasing = true) { (void)object; (void)erasing; }
    virtual void goodbye(const AcDbObject* object) { (void)object; }
    virtual void openedForModify(const AcDbObject* object) { (void)object; }
    virtual void modified(const AcDbObject* object) { (void)object; }
};

// Opening by id. Modes: read (shared), write (exclusive), notify.
CADHOST_API Acad::ErrorStatus acdbOpenObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                             bool openErased = false);
CADHOST_API Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                                 bool openErased = false);
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& object, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    AcDbObject* base = nullptr;
    object = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(base, id, mode, openErased);
    if (es != Acad::eOk) return es;
    object = T::cast(base);
    if (!object) {
        base->close();
        return Acad::eNotThatKindOfClass;
    }
    return Acad::eOk;
}
// Objects open in every database of the process, and violations of the access assertions.
CADHOST_API int acdbHostOpenObjectCount();
CADHOST_API int acdbAccessViolations();
CADHOST_API void acdbResetAccessViolations();

// Entity names (ads_name) map to ids: {handle, database}.
CADHOST_API Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id);
CADHOST_API Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);
