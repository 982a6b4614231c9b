#pragma once
// The in-process server side of a module: its object map, its lock count and the registration
// of its classes, application id and type library. A module keeps one static object of a class
// derived from this and forwards its exported DllMain, DllRegisterServer, DllUnregisterServer,
// DllGetClassObject and DllCanUnloadNow to it.
#include <atomic>
#include <mutex>
#include <string>
#include "ax/comiface.h"
#include "ax/typelib.h"
#include "win/resources.h"

class AxDllModule;
typedef HRESULT (*AxCreatorFunc)(AxDllModule* module, REFIID riid, void** object);

// One class of the server: its id, how to make an object of it and its registry script
// (a "REGISTRY" text resource of the module; 0 when it has none).
struct AxObjectEntry {
    const CLSID* clsid;
    AxCreatorFunc create;
    unsigned registryScriptId;
};

class CADHOST_API AxDllModule {
public:
    // The object map and the type library description are kept by pointer and must outlive
    // the module object. moduleScriptId is the script of the module's application id (0: none).
    AxDllModule(const GUID& appId, unsigned moduleScriptId, const AxObjectEntry* objectMap, int objectCount,
                const AxTypeLibrary* typeLibrary);
    virtual ~AxDllModule();
    AxDllModule(const AxDllModule&) = delete;
    AxDllModule& operator=(const AxDllModule&) = delete;

    // Takes the module's instance (its loader handle) and finds the module's file from it.
    HRESULT Init(HINSTANCE instance);
    void Term();
    // Attach and detach handling of the module's DllMain; answers TRUE.
    BOOL DllMain(unsigned long reason, void* reserved);

    // Locks held by live objects of the module.
    LONG Lock() { return ++m_locks; }
    LONG Unlock() { return --m_locks; }
    // Locks taken through IClassFactory::LockServer; an unlock without a lock is refused
    // (E_UNEXPECTED) so that it cannot release a lock a live object holds.
    HRESULT LockServer(bool lock);
    // Object locks and server locks together.
    LONG GetLockCount() const { return m_locks; }

    // S_OK when nothing holds the module, else S_FALSE.
    HRESULT DllCanUnloadNow() const;
    // A class factory of a class of the map; CLASS_E_CLASSNOTAVAILABLE for any other class.
    HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
    // The module's script, each class's script, then the type library; the first failure
    // stops and is answered. E_UNEXPECTED before Init.
    HRESULT DllRegisterServer(bool registerTypeLib = true);
    // Each class's script, the type library, then the module's script; every step is tried
    // and the first failure is answered.
    HRESULT DllUnregisterServer(bool unregisterTypeLib = true);
    // Applies or removes one "REGISTRY" script of the module with %MODULE% (the module's file)
    // and %APPID% replaced.
    HRESULT UpdateRegistryFromResource(unsigned id, bool doRegister);

    HINSTANCE instance() const { return m_instance; }
    const std::string& modulePath() const { return m_path; }
    const GUID& appId() const { return m_appId; }
    bool isAttached() const { return m_attached; }

private:
    GUID m_appId;
    unsigned m_moduleScriptId;
    const AxObjectEntry* m_objectMap;
    int m_objectCount;
    const AxTypeLibrary* m_typeLibrary;
    HINSTANCE m_instance = nullptr;
    std::string m_path;
    bool m_attached = false;
    std::atomic<LONG> m_locks{0};
    LONG m_serverLocks = 0;
    std::mutex m_serverLockMutex;
};
