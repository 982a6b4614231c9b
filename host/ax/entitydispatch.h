#pragma once
// Base of the automation wrappers of entities: reference counting and interface lookup, the
// entity properties over the wrapped object and the binding of the wrapper to its object.
// Itf is the wrapper's dual interface (derived from IAcadEntity) and itfId its interface id.
// The wrapper itself supplies error-info support, CreateObject, AddToDb, ForceDbResident, the
// display names and the property expander.
#include "ax/acadiface.h"
#include "ax/comobject.h"
#include "ax/dispatch.h"
#include "ax/entityprops.h"

template <class Itf, const IID& itfId>
class IAcadEntityDispatchImpl : public Itf,
                                public IAcadBaseObject,
                                public ISupportErrorInfo,
                                public IOPMPropertyExtension,
                                public IOPMPropertyExpander,
                                public AxComObjectRoot {
public:
    // IUnknown
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAcadObject || riid == IID_IAcadEntity ||
            riid == itfId)
            *object = static_cast<Itf*>(this);
        else if (riid == IID_IAcadBaseObject)
            *object = static_cast<IAcadBaseObject*>(this);
        else if (riid == IID_ISupportErrorInfo)
            *object = static_cast<ISupportErrorInfo*>(this);
        else if (riid == IID_IOPMPropertyExtension)
            *object = static_cast<IOPMPropertyExtension*>(this);
        else if (riid == IID_IOPMPropertyExpander)
            *object = static_cast<IOPMPropertyExpander*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return internalAddRef(); }
    ULONG Release() override { return internalRelease(); }

    // IDispatch: the wrappers carry no type information; calls go through the interfaces.
    HRESULT GetTypeInfoCount(UINT* count) override { return axNoTypeInfoCount(count); }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return axNoTypeInfo(info); }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // IAcadObject
    HRESULT get_Handle(BSTR* handle) override { return AcAxEntityProperties::getHandle(m_ref, handle); }
    HRESULT get_ObjectName(BSTR* name) override { return AcAxEntityProperties::getObjectName(m_ref, name); }
    HRESULT Delete() override { return AcAxEntityProperties::erase(m_ref); }

    // IAcadEntity
    HRESULT get_Color(LONG* color) override { return AcAxEntityProperties::getColor(m_ref, color); }
    HRESULT put_Color(LONG color) override { return AcAxEntityProperties::putColor(m_ref, color); }
    HRESULT get_Layer(BSTR* layer) override { return AcAxEntityProperties::getLayer(m_ref, layer); }
    HRESULT put_Layer(BSTR layer) override { return AcAxEntityProperties::putLayer(m_ref, layer); }
    HRESULT get_Linetype(BSTR* linetype) override { return AcAxEntityProperties::getLinetype(m_ref, linetype); }
    HRESULT put_Linetype(BSTR linetype) override { return AcAxEntityProperties::putLinetype(m_ref, linetype); }
    HRESULT get_LinetypeScale(double* scale) override { return AcAxEntityProperties::getLinetypeScale(m_ref, scale); }
    HRESULT put_LinetypeScale(double scale) override { return AcAxEntityProperties::putLinetypeScale(m_ref, scale); }
    HRESULT get_Visible(VARIANT_BOOL* visible) override { return AcAxEntityProperties::getVisible(m_ref, visible); }
    HRESULT put_Visible(VARIANT_BOOL visible) override { return AcAxEntityProperties::putVisible(m_ref, visible); }

    // IAcadBaseObject: binding to the object.
    HRESULT SetObjectId(AcDbObjectId& objectId, AcDbObjectId, BSTR) override {
        m_ref.acquire(objectId);
        return S_OK;
    }
    HRESULT GetObjectId(AcDbObjectId* objectId) override {
        if (!objectId) return E_POINTER;
        *objectId = m_ref.objectId();
        return S_OK;
    }
    HRESULT NullObjectId() override {
        m_ref.reset();
        return S_OK;
    }
    HRESULT ObjectExists(VARIANT_BOOL* exists) override {
        if (!exists) return E_POINTER;
        *exists = m_ref.isNull() ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    }
    HRESULT SetObject(AcDbObject*& object) override {
        if (!object) return E_POINTER;
        m_ref.acquire(object);
        return S_OK;
    }

    // IOPMPropertyExtension: every property is shown and editable unless the wrapper says otherwise.
    HRESULT Editable(DISPID, BOOL* editable) override {
        if (!editable) return E_POINTER;
        *editable = TRUE;
        return S_OK;
    }
    HRESULT ShowProperty(DISPID, BOOL* show) override {
        if (!show) return E_POINTER;
        *show = TRUE;
        return S_OK;
    }

    AcAxObjectRef& objectRef() { return m_ref; }
    const AcAxObjectRef& objectRef() const { return m_ref; }

protected:
    IAcadEntityDispatchImpl() = default;
    ~IAcadEntityDispatchImpl() override = default;

private:
    AcAxObjectRef m_ref;
};
