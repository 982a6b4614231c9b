#pragma once
// Extension modules of the application framework: a module attaches its instance to the
// framework's resource chain while it is loaded, and switches the framework's resource handle
// to its own while it creates windows from its resources.
#include <vector>
#include "ui/cstring.h"
#include "win/resources.h"

class CADHOST_API CAcExtensionModule {
public:
    CAcExtensionModule() = default;
    ~CAcExtensionModule();
    CAcExtensionModule(const CAcExtensionModule&) = delete;
    CAcExtensionModule& operator=(const CAcExtensionModule&) = delete;

    // Adds the module to the end of the resource chain; false when it is attached already.
    BOOL AttachInstance(HINSTANCE instance);
    // Takes it out of the chain again.
    void DetachInstance();
    bool Attached() const { return m_attached; }
    HINSTANCE ModuleResourceInstance() const { return m_instance; }
    // The resource handle in force before this module attached.
    HINSTANCE DefaultResourceInstance() const { return m_default; }

private:
    HINSTANCE m_instance = nullptr;
    HINSTANCE m_default = nullptr;
    bool m_attached = false;
};

#define AC_IMPLEMENT_EXTENSION_MODULE(name) CAcExtensionModule name;
#define AC_DECLARE_EXTENSION_MODULE(name) extern CAcExtensionModule name;

// The attached modules, first attached first.
CADHOST_API std::vector<HINSTANCE> afxResourceChain();
// The module that holds a resource: the framework's resource handle when it has it, else the first
// module of the resource chain that does; the resource handle when none has it.
CADHOST_API HINSTANCE AfxFindResourceHandle(LPCTSTR name, LPCTSTR type);

// Makes a module's resources the framework's for the object's lifetime (null: the module of
// the running code is unknown here, so the handle stays as it is).
class CADHOST_API CAcModuleResourceOverride {
public:
    explicit CAcModuleResourceOverride(HINSTANCE instance);
    ~CAcModuleResourceOverride();
    CAcModuleResourceOverride(const CAcModuleResourceOverride&) = delete;
    CAcModuleResourceOverride& operator=(const CAcModuleResourceOverride&) = delete;

private:
    HINSTANCE m_previous;
};

// The host's user-interface library: set up once per module that uses its classes.
CADHOST_API void InitAcUiDLL();
// Host side: how many modules initialised it.
CADHOST_API int acuiInitCount();
