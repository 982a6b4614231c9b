#include "ax/colibrary.h"
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>
#include "ax/guidtext.h"
#include "ax/registry.h"
#include "rx/dynlinker.h"

namespace {
typedef HRESULT (*GetClassObjectFunc)(REFCLSID, REFIID, void**);
typedef HRESULT (*CanUnloadNowFunc)();

struct Server {
    std::string path;
    void* handle;
    bool loadedHere;  // mapped by this library: its DllMain was run here
};

std::mutex& serversMutex() {
    static std::mutex m;
    return m;
}
std::vector<Server>& servers() {
    static auto* s = new std::vector<Server>;
    return *s;
}

void* mapServer(const std::string& path) {
    std::lock_guard lock(serversMutex());
    for (const Server& s : servers())
        if (s.path == path) return s.handle;
    bool loadedHere = false;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL | RTLD_NOLOAD);
    if (!handle) {
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!handle) return nullptr;
        loadedHere = true;
        if (auto dllMain = reinterpret_cast<DllMainFunc>(dlsym(handle, "DllMain")))
            dllMain(handle, DLL_PROCESS_ATTACH, nullptr);
    }
    servers().push_back(Server{path, handle, loadedHere});
    return handle;
}
}  // namespace

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    std::string path;
    if (!AxRegistry::instance().value(AxRegistry::kClassesRoot, "CLSID\\" + axGuidToString(clsid) + "\\InprocServer32",
                                      "", &path) ||
        path.empty())
        return REGDB_E_CLASSNOTREG;
    void* handle = mapServer(path);
    if (!handle) return E_FAIL;
    auto get = reinterpret_cast<GetClassObjectFunc>(dlsym(handle, "DllGetClassObject"));
    if (!get) return E_FAIL;
    return get(clsid, riid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return hr;
}

void CoFreeUnusedLibraries() {
    std::vector<Server> unload;
    {
        std::lock_guard lock(serversMutex());
        auto& list = servers();
        for (auto it = list.begin(); it != list.end();) {
            auto canUnload = reinterpret_cast<CanUnloadNowFunc>(dlsym(it->handle, "DllCanUnloadNow"));
            if (canUnload && canUnload() == S_OK) {
                unload.push_back(*it);
                it = list.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const Server& s : unload) {
        if (s.loadedHere)
            if (auto dllMain = reinterpret_cast<DllMainFunc>(dlsym(s.handle, "DllMain")))
                dllMain(s.handle, DLL_PROCESS_DETACH, nullptr);
        dlclose(s.handle);
    }
}
