#pragma once
// Class factory of one class of a module's server; it locks the module while it lives.
#include "ax/comobject.h"
#include "ax/dllmodule.h"

class CADHOST_API AxClassFactory final : public IClassFactory, public AxComObjectRoot {
public:
    explicit AxClassFactory(AxCreatorFunc create) : m_create(create) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return internalAddRef(); }
    ULONG Release() override { return internalRelease(); }
    // Aggregation is refused (CLASS_E_NOAGGREGATION).
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT LockServer(BOOL lock) override;

private:
    AxCreatorFunc m_create;
};
