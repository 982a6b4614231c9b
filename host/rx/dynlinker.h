#pragma once
#include <string>
#include <vector>
#include "rx/export.h"

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
    kDependencyMsg = 10,
    kNoDependencyMsg = 11,
    kOleUnloadAppMsg = 12,
    kPreQuitMsg = 13,
    kInitDialogMsg = 14,
    kEndDialogMsg = 15,
    kSuspendMsg = 16,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

// Signatures a module exports.
typedef AcRx::AppRetCode (*AcRxEntryPointFunc)(AcRx::AppMsgCode message, void* packet);
typedef int (*DllMainFunc)(void* instance, unsigned long reason, void* reserved);

class AcRxClass;

// Counts the live objects of a class and of the classes derived from it. The layers that keep
// objects (the database: the objects of every drawing in memory) add one each.
typedef int (*AcRxInstanceCounter)(const AcRxClass* cls);
CADHOST_API void acrxHostAddInstanceCounter(AcRxInstanceCounter counter);

// Loads modules by name and delivers the host's messages to their entry points.
class CADHOST_API AcRxDynamicLinker {
public:
    // Loads a module (name or path; ".arx"/".dbx" may be omitted) and sends it the init message.
    bool loadModule(const char* fileName, bool printIt, bool asCmd = false);
    // Sends the unload message and unmaps the module; refused (see unloadRefusal) while it is
    // locked or objects of its classes are alive.
    bool unloadModule(const char* fileName, bool printIt);
    // Why the module cannot be unloaded now; empty when it can (or is not loaded).
    std::string unloadRefusal(const char* fileName) const;
    // The runtime classes whose code or data lies in the module.
    std::vector<AcRxClass*> classesOf(const char* fileName) const;
    bool unlockApplication(void* appId);
    bool lockApplication(void* appId);
    bool isApplicationLocked(const char* fileName) const;
    bool registerAppMDIAware(void* appId);
    bool isAppMDIAware(const char* fileName) const;
    bool isModuleLoaded(const char* fileName) const;
    // Sends one message to every loaded module, in load order.
    void broadcast(AcRx::AppMsgCode message, void* packet);
    // Sends one message to one module; answers false when it is not loaded.
    bool sendMessage(const char* fileName, AcRx::AppMsgCode message, void* packet,
                     AcRx::AppRetCode* result = nullptr);
    std::vector<std::string> loadedModules() const;
    // Folders searched for a module given by name (after the folder of the host library).
    void addSearchPath(const std::string& folder);
    // The packet modules receive with kInitAppMsg: identifies them in unlock/MDI calls.
    struct Module;

private:
    Module* find(const char* fileName) const;
    Module* findById(void* appId) const;
    std::vector<Module*> m_modules;
    std::vector<std::string> m_searchPath;
};

CADHOST_API AcRxDynamicLinker* acrxGetDynamicLinker();

// Whether a module handle (the instance a DllMain receives) is the module that holds the given
// address. The loader finds DllMain through a module's dependencies too, so a module linked
// against another one may reach the other's DllMain with its own handle.
CADHOST_API bool acrxIsModuleInstance(void* instance, const void* addressInModule);
#define acrxDynamicLinker acrxGetDynamicLinker()
