#include "ax/dllmodule.h"
#include <dlfcn.h>
#include <link.h>
#include "ax/classfactory.h"
#include "ax/guidtext.h"
#include "ax/registrar.h"
#include "ax/textresource.h"
#include "rx/dynlinker.h"

AxDllModule::AxDllModule(const GUID& appId, unsigned moduleScriptId, const AxObjectEntry* objectMap,
                         int objectCount, const AxTypeLibrary* typeLibrary)
    : m_appId(appId), m_moduleScriptId(moduleScriptId), m_objectMap(objectMap),
      m_objectCount(objectMap && objectCount > 0 ? objectCount : 0), m_typeLibrary(typeLibrary) {}

AxDllModule::~AxDllModule() = default;

HRESULT AxDllModule::Init(HINSTANCE instance) {
    m_instance = instance;
    m_path.clear();
    struct link_map* map = nullptr;
    if (instance && dlinfo(instance, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) m_path = map->l_name;
    return S_OK;
}

void AxDllModule::Term() {
    m_instance = nullptr;
    m_path.clear();
}

BOOL AxDllModule::DllMain(unsigned long reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) m_attached = true;
    else if (reason == DLL_PROCESS_DETACH) m_attached = false;
    return TRUE;
}

HRESULT AxDllModule::LockServer(bool lock) {
    std::lock_guard guard(m_serverLockMutex);
    if (lock) {
        ++m_serverLocks;
        Lock();
        return S_OK;
    }
    if (m_serverLocks <= 0) return E_UNEXPECTED;
    --m_serverLocks;
    Unlock();
    return S_OK;
}

HRESULT AxDllModule::DllCanUnloadNow() const { return m_locks > 0 ? S_FALSE : S_OK; }

HRESULT AxDllModule::DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (int i = 0; i < m_objectCount; ++i) {
        const AxObjectEntry& e = m_objectMap[i];
        if (!e.clsid || *e.clsid != clsid) continue;
        auto* factory = new (std::nothrow) AxClassFactory(e.create);
        if (!factory) return E_OUTOFMEMORY;
        factory->axSetModule(this);
        HRESULT hr = factory->QueryInterface(riid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT AxDllModule::UpdateRegistryFromResource(unsigned id, bool doRegister) {
    const char* script = cadhostFindResource(m_instance, "REGISTRY", id);
    if (!script) return doRegister ? SELFREG_E_CLASS : S_FALSE;
    AxReplacements replacements{{"MODULE", m_path}, {"APPID", axGuidToString(m_appId)}};
    return axApplyRegistryScript(script, replacements, doRegister);
}

HRESULT AxDllModule::DllRegisterServer(bool registerTypeLib) {
    if (!m_instance || m_path.empty()) return E_UNEXPECTED;
    HRESULT hr = S_OK;
    if (m_moduleScriptId) hr = UpdateRegistryFromResource(m_moduleScriptId, true);
    for (int i = 0; i < m_objectCount && SUCCEEDED(hr); ++i)
        if (m_objectMap[i].registryScriptId) hr = UpdateRegistryFromResource(m_objectMap[i].registryScriptId, true);
    if (SUCCEEDED(hr) && registerTypeLib && m_typeLibrary) hr = axRegisterTypeLib(*m_typeLibrary, m_path.c_str());
    return FAILED(hr) ? hr : S_OK;
}

HRESULT AxDllModule::DllUnregisterServer(bool unregisterTypeLib) {
    if (!m_instance) return E_UNEXPECTED;
    HRESULT first = S_OK;
    auto note = [&first](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    };
    for (int i = 0; i < m_objectCount; ++i)
        if (m_objectMap[i].registryScriptId) note(UpdateRegistryFromResource(m_objectMap[i].registryScriptId, false));
    if (unregisterTypeLib && m_typeLibrary)
        note(axUnregisterTypeLib(m_typeLibrary->libid, m_typeLibrary->majorVersion, m_typeLibrary->minorVersion));
    if (m_moduleScriptId) note(UpdateRegistryFromResource(m_moduleScriptId, false));
    return first;
}
