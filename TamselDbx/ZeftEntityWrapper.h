#pragma once
// What the three automation wrappers share: they differ only in the entity they wrap, their
// interface and class ids and their texts (Texts::entityClass, Texts::displayName).
#ifdef ZEFT_AUTOMATION
#include <new>
#include <string>
#include "ax/doclock.h"
#include "ax/entitydispatch.h"
#include "ax/errorinfo.h"
#include "db/symtab.h"

// Property palette DISPID whose display name is the object's name.
constexpr DISPID kDisplayNameDispId = 0x401;

template <class Itf, const IID& itfId, const CLSID& clsid, class Entity, class Texts>
class ZeftEntityWrapper : public IAcadEntityDispatchImpl<Itf, itfId> {
public:
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override { return riid == itfId ? S_OK : S_FALSE; }

    HRESULT ForceDbResident(VARIANT_BOOL* forceDbResident) override {
        if (!forceDbResident) return E_POINTER;
        *forceDbResident = VARIANT_FALSE;
        return S_OK;
    }

    // A new entity with the defaults of the owner's database (the working one when the owner
    // has none), held by the wrapper until AddToDb.
    HRESULT CreateObject(AcDbObjectId ownerId, BSTR) override {
        Entity* entity = nullptr;
        try {
            entity = new Entity();
            entity->setDatabaseDefaults(ownerId.database());
        } catch (...) {
            delete entity;
            entity = nullptr;
        }
        if (!entity) return fail("Failed to create ");
        AcDbObject* object = entity;
        return this->SetObject(object);
    }

    // Appends the held entity to the owner block table record; the wrapper then stands for it.
    HRESULT AddToDb(AcDbObjectId& objectId, AcDbObjectId ownerId, BSTR) override {
        AcDbEntity* entity = AcDbEntity::cast(this->objectRef().ownedObject());
        if (!entity) return fail("Failed to add ", " to database");
        AcDbObjectId newId;
        Acad::ErrorStatus es = Acad::eOk;
        try {
            AcAxDocLock lock(ownerId);
            AcDbBlockTableRecord* owner = nullptr;
            es = lock.lockStatus();
            if (es == Acad::eOk) es = acdbOpenObject(owner, ownerId, AcDb::kForWrite);
            if (es == Acad::eOk) {
                es = owner->appendAcDbEntity(newId, entity);
                owner->close();
                if (es == Acad::eOk) entity->close();  // appended entities come back open for write
            }
        } catch (...) {
            es = Acad::eInvalidInput;
        }
        if (es != Acad::eOk) return fail("Failed to add ", " to database");
        this->objectRef().release();  // the database owns it now
        objectId = newId;
        return this->SetObjectId(objectId, ownerId, nullptr);
    }

    HRESULT GetDisplayName(DISPID id, BSTR* name) override {
        if (id != kDisplayNameDispId) return S_OK;
        if (!name) return E_POINTER;
        *name = SysAllocString(Texts::displayName);
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    // The wrappers expand no property.
    HRESULT GetElementValue(DISPID, DWORD, VARIANT* value) override { return value ? E_NOTIMPL : E_POINTER; }
    HRESULT SetElementValue(DISPID, DWORD, VARIANT) override { return E_NOTIMPL; }
    HRESULT GetElementStrings(DISPID, CALPOLESTR* names, CADWORD* cookies) override {
        return names && cookies ? E_NOTIMPL : E_POINTER;
    }
    HRESULT GetElementGrouping(DISPID, short* grouping) override { return grouping ? E_NOTIMPL : E_POINTER; }
    HRESULT GetGroupCount(DISPID, long* count) override { return count ? E_NOTIMPL : E_POINTER; }

private:
    static HRESULT fail(const char* before, const char* after = "") {
        std::string text = std::string(before) + Texts::entityClass + after;
        return AtlReportError(clsid, text.c_str(), itfId, E_FAIL);
    }
};
#endif
