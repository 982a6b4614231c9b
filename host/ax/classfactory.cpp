#include "ax/classfactory.h"

HRESULT AxClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

HRESULT AxClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!m_create) return E_UNEXPECTED;
    return m_create(axModule(), riid, object);
}

HRESULT AxClassFactory::LockServer(BOOL lock) {
    AxDllModule* module = axModule();
    return module ? module->LockServer(lock != FALSE) : E_UNEXPECTED;
}
