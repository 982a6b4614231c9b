#pragma once
// The entity automation properties over an object reference: each call opens the entity (for
// read or for write), reads or changes it and closes it again, answering a status code.
#include "ax/bstr.h"
#include "ax/objectref.h"

// eOk is S_OK; a null reference, a failed open or a wrong class is E_FAIL; a rejected value
// (eInvalidInput, eKeyNotFound, ...) is E_INVALIDARG; eOutOfMemory E_OUTOFMEMORY; anything
// else E_FAIL.
CADHOST_API HRESULT acaxStatusToHResult(Acad::ErrorStatus status);

class CADHOST_API AcAxEntityProperties {
public:
    static HRESULT getHandle(const AcAxObjectRef& ref, BSTR* handle);
    static HRESULT getObjectName(const AcAxObjectRef& ref, BSTR* name);
    // Erases a resident object; an object not in a database cannot be erased (E_FAIL).
    static HRESULT erase(const AcAxObjectRef& ref);
    static HRESULT getColor(const AcAxObjectRef& ref, LONG* color);
    static HRESULT putColor(const AcAxObjectRef& ref, LONG color);
    static HRESULT getLayer(const AcAxObjectRef& ref, BSTR* layer);
    static HRESULT putLayer(const AcAxObjectRef& ref, const OLECHAR* layer);
    static HRESULT getLinetype(const AcAxObjectRef& ref, BSTR* linetype);
    static HRESULT putLinetype(const AcAxObjectRef& ref, const OLECHAR* linetype);
    static HRESULT getLinetypeScale(const AcAxObjectRef& ref, double* scale);
    static HRESULT putLinetypeScale(const AcAxObjectRef& ref, double scale);
    static HRESULT getVisible(const AcAxObjectRef& ref, VARIANT_BOOL* visible);
    static HRESULT putVisible(const AcAxObjectRef& ref, VARIANT_BOOL visible);
};
