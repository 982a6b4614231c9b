#pragma once
#include <string>
#include <vector>
#include "rx/object.h"

typedef AcRxObject* (*AcRxPseudoConstructor)();

// A runtime class: name, parent, filing versions, proxy flags, DXF and application names.
class CADHOST_API AcRxClass : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcRxClass);
    AcRxClass(const char* name, const char* parentName, int dwgVersion, int maintenanceVersion,
              int proxyFlags, AcRxPseudoConstructor constructor, const char* dxfName,
              const char* appName, AppNameChangeFuncPtr callback);
    ~AcRxClass() override;

    const char* name() const { return m_name.c_str(); }
    const char* dxfName() const { return m_dxfName.c_str(); }
    const char* appName() const { return m_appName.c_str(); }
    const char* parentName() const { return m_parentName.c_str(); }
    AcRxClass* myParent() const {
        return m_parent ? m_parent : m_parentName.empty() ? nullptr : findParent();
    }
    // Inline: type tests run in the innermost loops (casts of every object drawn or filed).
    bool isDerivedFrom(const AcRxClass* other) const {
        int guard = 0;  // a chain of misregistered parents may loop
        for (const AcRxClass* c = this; c && guard < 256; c = c->myParent(), ++guard)
            if (c == other) return true;
        return false;
    }
    AcRxObject* create() const { return m_constructor ? m_constructor() : nullptr; }
    int dwgVersion(int& maintenanceVersion) const {
        maintenanceVersion = m_maintenanceVersion;
        return m_dwgVersion;
    }
    int proxyFlags() const { return m_proxyFlags; }
    AppNameChangeFuncPtr appNameCallback() const { return m_callback; }
    // Where the owning class keeps its descriptor; cleared when the class is deleted.
    void setDescriptorSlot(AcRxClass** slot) { m_slot = slot; }
    // An address in the code or data of the module that defines the class (its descriptor
    // slot, else its constructor), null when the class has neither.
    const void* definingAddress() const;

private:
    friend void acrxBuildClassHierarchy();
    AcRxClass* findParent() const;  // looks the parent up by name once it is registered
    std::string m_name, m_parentName, m_dxfName, m_appName;
    int m_dwgVersion, m_maintenanceVersion, m_proxyFlags;
    AcRxPseudoConstructor m_constructor;
    AppNameChangeFuncPtr m_callback;
    mutable AcRxClass* m_parent = nullptr;
    AcRxClass** m_slot = nullptr;
};

inline bool AcRxObject::isKindOf(const AcRxClass* cls) const {
    const AcRxClass* mine = isA();
    return cls && mine && mine->isDerivedFrom(cls);
}

// Creates a class and enters it in the class dictionary; an existing class of that name is
// answered unchanged.
CADHOST_API AcRxClass* newAcRxClass(const char* className, const char* parentClassName,
                                    int dwgVersion, int maintenanceVersion, int proxyFlags,
                                    AcRxPseudoConstructor pseudoConstructor, const char* dxfName,
                                    const char* appName, AppNameChangeFuncPtr callback = nullptr);
CADHOST_API AcRxClass* newAcRxClass(const char* className, const char* parentClassName,
                                    int proxyFlags = 0, AcRxPseudoConstructor pseudoConstructor = nullptr,
                                    const char* dxfName = nullptr, const char* appName = nullptr);
CADHOST_API void deleteAcRxClass(AcRxClass* cls);
CADHOST_API void acrxBuildClassHierarchy();
CADHOST_API AcRxClass* acrxFindClass(const char* className);

// Stops the host with a message; tests may install a handler that throws instead.
[[noreturn]] CADHOST_API void acrx_abort(const char* format, ...);
CADHOST_API void acrxSetAbortHandler(void (*handler)(const char* message));

#define ACRX_DEFINE_MEMBERS_IMPL(CLASS_NAME)                                              \
    AcRxClass* CLASS_NAME::gpDesc = nullptr;                                              \
    AcRxClass* CLASS_NAME::desc() {                                                       \
        if (!gpDesc) {                                                                     \
            gpDesc = acrxFindClass(#CLASS_NAME);                                           \
            if (gpDesc) gpDesc->setDescriptorSlot(&gpDesc);                                \
        }                                                                                  \
        return gpDesc;                                                                     \
    }                                                                                      \
    AcRxClass* CLASS_NAME::isA() const { return CLASS_NAME::desc(); }

// Registration of a class: an already registered descriptor must be the dictionary's own.
#define ACRX_RXINIT_IMPL(CLASS_NAME, PARENT, DWGVER, MAINTVER, PROXY, CONS, DXF, APP)      \
    void CLASS_NAME::rxInit() { rxInit(nullptr); }                                         \
    void CLASS_NAME::rxInit(AppNameChangeFuncPtr callback) {                               \
        if (gpDesc) {                                                                      \
            if (acrxFindClass(#CLASS_NAME) != gpDesc) acrx_abort("Class mismatch");        \
            return;                                                                        \
        }                                                                                  \
        gpDesc = newAcRxClass(#CLASS_NAME, #PARENT, DWGVER, MAINTVER, PROXY, CONS, DXF, APP, callback); \
        gpDesc->setDescriptorSlot(&gpDesc);                                                \
    }

#define ACRX_CONS_OF(CLASS_NAME) +[]() -> AcRxObject* { return new CLASS_NAME(); }

// Classes of modules: registered by rxInit with full parameters.
#define ACRX_DXF_DEFINE_MEMBERS(CLASS_NAME, PARENT, DWGVER, MAINTVER, PROXY, DXFNAME, APP)  \
    ACRX_DEFINE_MEMBERS_IMPL(CLASS_NAME)                                                   \
    ACRX_RXINIT_IMPL(CLASS_NAME, PARENT, DWGVER, MAINTVER, PROXY, ACRX_CONS_OF(CLASS_NAME), DXFNAME, APP)

// Classes of the host: registered when the host library loads.
#define ACRX_HOST_DEFINE_MEMBERS(CLASS_NAME, PARENT, DXFNAME, CONS)                        \
    ACRX_DEFINE_MEMBERS_IMPL(CLASS_NAME)                                                   \
    ACRX_RXINIT_IMPL(CLASS_NAME, PARENT, 0, 0, 0, CONS, DXFNAME, "AutoCAD")                \
    static const bool CLASS_NAME##_registered = (CLASS_NAME::rxInit(), true);

#define ACRX_HOST_CONS(CLASS_NAME) ACRX_CONS_OF(CLASS_NAME)
#define ACRX_NO_CONS nullptr
