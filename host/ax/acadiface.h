#pragma once
// Automation interfaces of the host's objects: the object and entity interfaces the wrappers of
// database objects expose, the base-object interface through which the host binds a wrapper to
// its object, and the property palette's extension and expander interfaces.
#include "ax/variant.h"
#include "db/objectid.h"

class AcDbObject;

struct IAcadObject : IDispatch {
    virtual HRESULT get_Handle(BSTR* handle) = 0;
    virtual HRESULT get_ObjectName(BSTR* name) = 0;
    virtual HRESULT Delete() = 0;

protected:
    ~IAcadObject() = default;
};

struct IAcadEntity : IAcadObject {
    // Colour index: 0 by block, 256 by layer, 1-255 the indexed colours.
    virtual HRESULT get_Color(LONG* color) = 0;
    virtual HRESULT put_Color(LONG color) = 0;
    virtual HRESULT get_Layer(BSTR* layer) = 0;
    virtual HRESULT put_Layer(BSTR layer) = 0;
    virtual HRESULT get_Linetype(BSTR* linetype) = 0;
    virtual HRESULT put_Linetype(BSTR linetype) = 0;
    virtual HRESULT get_LinetypeScale(double* scale) = 0;
    virtual HRESULT put_LinetypeScale(double scale) = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* visible) = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0;

protected:
    ~IAcadEntity() = default;
};

struct IAcadBaseObject : IUnknown {
    // Binds the wrapper to a database-resident object (an owned one is dropped).
    virtual HRESULT SetObjectId(AcDbObjectId& objectId, AcDbObjectId ownerId = AcDbObjectId::kNull,
                                BSTR keyName = nullptr) = 0;
    virtual HRESULT GetObjectId(AcDbObjectId* objectId) = 0;
    virtual HRESULT NullObjectId() = 0;
    // S_OK with true when the wrapper holds an object (resident or not).
    virtual HRESULT ObjectExists(VARIANT_BOOL* exists) = 0;
    // Hands the wrapper an object that is not in a database; the wrapper owns it.
    virtual HRESULT SetObject(AcDbObject*& object) = 0;
    virtual HRESULT CreateObject(AcDbObjectId ownerId = AcDbObjectId::kNull, BSTR keyName = nullptr) = 0;
    virtual HRESULT AddToDb(AcDbObjectId& objectId, AcDbObjectId ownerId = AcDbObjectId::kNull,
                            BSTR keyName = nullptr) = 0;
    virtual HRESULT ForceDbResident(VARIANT_BOOL* forceDbResident) = 0;

protected:
    ~IAcadBaseObject() = default;
};

struct IOPMPropertyExtension : IUnknown {
    virtual HRESULT GetDisplayName(DISPID id, BSTR* name) = 0;
    virtual HRESULT Editable(DISPID id, BOOL* editable) = 0;
    virtual HRESULT ShowProperty(DISPID id, BOOL* show) = 0;

protected:
    ~IOPMPropertyExtension() = default;
};

struct IOPMPropertyExpander : IUnknown {
    virtual HRESULT GetElementValue(DISPID id, DWORD cookie, VARIANT* value) = 0;
    virtual HRESULT SetElementValue(DISPID id, DWORD cookie, VARIANT value) = 0;
    virtual HRESULT GetElementStrings(DISPID id, CALPOLESTR* names, CADWORD* cookies) = 0;
    virtual HRESULT GetElementGrouping(DISPID id, short* grouping) = 0;
    virtual HRESULT GetGroupCount(DISPID id, long* count) = 0;

protected:
    ~IOPMPropertyExpander() = default;
};

extern CADHOST_API const IID IID_IAcadObject;
extern CADHOST_API const IID IID_IAcadEntity;
extern CADHOST_API const IID IID_IAcadBaseObject;
extern CADHOST_API const IID IID_IOPMPropertyExtension;
extern CADHOST_API const IID IID_IOPMPropertyExpander;
