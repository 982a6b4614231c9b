#pragma once
// Reference count of a component object and the lock it holds on its module while it lives.
#include <atomic>
#include <new>
#include "ax/comiface.h"

class AxDllModule;

class CADHOST_API AxComObjectRoot {
public:
    AxComObjectRoot(const AxComObjectRoot&) = delete;
    AxComObjectRoot& operator=(const AxComObjectRoot&) = delete;
    // Locks the module until the object is destroyed (once; later calls are ignored).
    void axSetModule(AxDllModule* module);
    AxDllModule* axModule() const { return m_module; }

protected:
    AxComObjectRoot() = default;
    virtual ~AxComObjectRoot();
    ULONG internalAddRef() { return ++m_refs; }
    // Destroys the object when the last reference goes.
    ULONG internalRelease();

private:
    std::atomic<ULONG> m_refs{1};
    AxDllModule* m_module = nullptr;
};

// Makes an object of class T (derived from AxComObjectRoot and from IUnknown) for a module and
// answers the asked interface of it; the object goes again when it has not that interface.
template <class T>
HRESULT axCreateComObject(AxDllModule* module, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    T* p = new (std::nothrow) T();
    if (!p) return E_OUTOFMEMORY;
    p->axSetModule(module);
    HRESULT hr = p->QueryInterface(riid, object);
    p->Release();
    return hr;
}
