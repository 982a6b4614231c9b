#include "rx/rxclass.h"
#include "rx/dictionary.h"
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

AcRxClass* AcRxObject::gpDesc = nullptr;

AcRxClass* AcRxObject::desc() {
    if (!gpDesc) {
        gpDesc = acrxFindClass("AcRxObject");
        if (!gpDesc) {
            gpDesc = newAcRxClass("AcRxObject", "", 0, 0, 0, nullptr, "", "AutoCAD");
            gpDesc->setDescriptorSlot(&gpDesc);
        }
    }
    return gpDesc;
}

AcRxObject::~AcRxObject() = default;
AcRxClass* AcRxObject::isA() const { return AcRxObject::desc(); }

AcRxObject* AcRxObject::clone() const {
    AcRxClass* cls = isA();
    AcRxObject* copy = cls ? cls->create() : nullptr;
    if (copy && copy->copyFrom(this) != Acad::eOk) {
        delete copy;
        return nullptr;
    }
    return copy;
}

Acad::ErrorStatus AcRxObject::copyFrom(const AcRxObject*) { return Acad::eNotApplicable; }

ACRX_DEFINE_MEMBERS_IMPL(AcRxClass)
ACRX_RXINIT_IMPL(AcRxClass, AcRxObject, 0, 0, 0, nullptr, "", "AutoCAD")

AcRxClass::AcRxClass(const char* name, const char* parentName, int dwgVersion, int maintenanceVersion,
                     int proxyFlags, AcRxPseudoConstructor constructor, const char* dxfName,
                     const char* appName, AppNameChangeFuncPtr callback)
    : m_name(name ? name : ""), m_parentName(parentName ? parentName : ""),
      m_dxfName(dxfName ? dxfName : ""), m_appName(appName ? appName : ""),
      m_dwgVersion(dwgVersion), m_maintenanceVersion(maintenanceVersion), m_proxyFlags(proxyFlags),
      m_constructor(constructor), m_callback(callback) {}

AcRxClass::~AcRxClass() {
    if (m_slot && *m_slot == this) *m_slot = nullptr;
}

const void* AcRxClass::definingAddress() const {
    if (m_slot) return m_slot;
    return m_constructor ? reinterpret_cast<const void*>(m_constructor) : nullptr;
}

AcRxClass* AcRxClass::findParent() const {
    if (!m_parent && !m_parentName.empty() && m_parentName != m_name) m_parent = acrxFindClass(m_parentName.c_str());
    return m_parent;
}

AcRxClass* acrxFindClass(const char* className) {
    if (!className) return nullptr;
    return static_cast<AcRxClass*>(acrxClassDictionary()->at(className));
}

AcRxClass* newAcRxClass(const char* className, const char* parentClassName, int dwgVersion,
                        int maintenanceVersion, int proxyFlags, AcRxPseudoConstructor constructor,
                        const char* dxfName, const char* appName, AppNameChangeFuncPtr callback) {
    if (AcRxClass* existing = acrxFindClass(className)) return existing;
    auto* cls = new AcRxClass(className, parentClassName, dwgVersion, maintenanceVersion, proxyFlags,
                              constructor, dxfName, appName, callback);
    acrxClassDictionary()->atPut(className, cls);
    return cls;
}

AcRxClass* newAcRxClass(const char* className, const char* parentClassName, int proxyFlags,
                        AcRxPseudoConstructor constructor, const char* dxfName, const char* appName) {
    return newAcRxClass(className, parentClassName, 0, 0, proxyFlags, constructor, dxfName, appName, nullptr);
}

void deleteAcRxClass(AcRxClass* cls) {
    if (!cls) return;
    AcRxDictionary* dict = acrxClassDictionary();
    if (dict->at(cls->name()) == cls) dict->remove(cls->name());
    // Children keep their parent by name; drop cached links to the deleted class.
    for (AcRxDictionaryIterator it(dict); !it.done(); it.next()) {
        auto* c = static_cast<AcRxClass*>(it.object());
        (void)c->myParent();
    }
    acrxBuildClassHierarchy();
    delete cls;
}

void acrxBuildClassHierarchy() {
    AcRxDictionary* dict = acrxClassDictionary();
    for (AcRxDictionaryIterator it(dict); !it.done(); it.next()) {
        auto* c = static_cast<AcRxClass*>(it.object());
        c->m_parent = nullptr;
        if (!c->m_parentName.empty() && c->m_parentName != c->m_name)
            c->m_parent = static_cast<AcRxClass*>(dict->at(c->m_parentName.c_str()));
    }
}

namespace {
void (*g_abortHandler)(const char*) = nullptr;
}

void acrxSetAbortHandler(void (*handler)(const char*)) { g_abortHandler = handler; }

void acrx_abort(const char* format, ...) {
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (g_abortHandler) g_abortHandler(message);  // may throw
    std::fprintf(stderr, "cadhost: fatal: %s\n", message);
    std::abort();
}

namespace {
// The root class is in the dictionary from load on, so failed isKindOf tests need no lookup.
[[maybe_unused]] const bool g_rootRegistered = (AcRxObject::desc(), AcRxClass::desc(), true);
}  // namespace
