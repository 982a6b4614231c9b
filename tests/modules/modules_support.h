#pragma once
// Helpers of the module tests: loading a built module by path, reaching its exports and
// runtime classes, capturing the command line.
//
// The two builds define runtime classes and exported symbols of the same names, and the host
// maps modules with global symbol lookup: once one build is mapped, the other one's references
// to its own classes resolve to the first one's. So a process tests one build only. The 2004
// build runs in the test process itself; the R15 tests run when CADHOST_MODULE_BUILD=R15 and
// are otherwise skipped, and one test of the 2004 process starts the program again for them
// (process_test.cpp).
#include <dlfcn.h>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "ax/registry.h"
#include "rx/dictionary.h"
#include "rx/dynlinker.h"
#include "rx/print.h"
#include "rx/rxclass.h"

// Set by this folder's CMakeLists.txt; the fallbacks are where the build puts the modules.
#ifndef TAMSELDBX4_MODULE
#define TAMSELDBX4_MODULE CADHOST_BINARY_DIR "/bin/TamselDbx4.dbx"
#endif
#ifndef ZEFTTAMSELDBX_MODULE
#define ZEFTTAMSELDBX_MODULE CADHOST_BINARY_DIR "/bin/ZEFTTamselDbx.dbx"
#endif

namespace modtest {

inline const char* const kR16Module = TAMSELDBX4_MODULE;
inline const char* const kR15Module = ZEFTTAMSELDBX_MODULE;

inline bool isR15Process() {
    const char* build = std::getenv("CADHOST_MODULE_BUILD");
    return build && std::string(build) == "R15";
}

#define SKIP_UNLESS_R16_PROCESS() \
    if (modtest::isR15Process()) GTEST_SKIP() << "this process tests the R15 build"
#define SKIP_UNLESS_R15_PROCESS() \
    if (!modtest::isR15Process()) GTEST_SKIP() << "the R15 build is tested in a process of its own"

// The four entity classes with the symbols of their descriptors in the module.
struct EntityClass {
    const char* name;
    const char* parent;
    const char* dxfName;
    const char* descSymbol;
};
inline const std::vector<EntityClass>& entityClasses() {
    static const std::vector<EntityClass> classes = {
        {"ZEFTAttribute", "AcDbText", "ZEFTATTRIBUTE", "_ZN13ZEFTAttribute6gpDescE"},
        {"ZEFTAttributeDefinition", "AcDbAttributeDefinition", "ZEFTATTRIBUTEDEFINITION",
         "_ZN23ZEFTAttributeDefinition6gpDescE"},
        {"ZEFTBlockReference", "AcDbBlockReference", "ZEFTBLOCKREFERENCE", "_ZN18ZEFTBlockReference6gpDescE"},
        {"ZEFTGripPoint", "AcDbCurve", "ZEFTGRIPPOINT", "_ZN13ZEFTGripPoint6gpDescE"},
    };
    return classes;
}

// Collects what is printed on the command line while it lives.
class PrintCapture {
public:
    PrintCapture() {
        text().clear();
        acutSetPrintSink(&sink);
    }
    ~PrintCapture() { acutSetPrintSink(nullptr); }
    PrintCapture(const PrintCapture&) = delete;
    PrintCapture& operator=(const PrintCapture&) = delete;
    const std::string& printed() const { return text(); }

private:
    static std::string& text() {
        static std::string t;
        return t;
    }
    static void sink(const char* t) { text() += t; }
};

// Refuses registry writes while it lives.
class RefusedRegistry {
public:
    RefusedRegistry() { AxRegistry::instance().setWritesRefused(true); }
    ~RefusedRegistry() { AxRegistry::instance().setWritesRefused(false); }
    RefusedRegistry(const RefusedRegistry&) = delete;
    RefusedRegistry& operator=(const RefusedRegistry&) = delete;
};

// A module loaded through the host's dynamic linker for the life of the object.
class LoadedModule {
public:
    explicit LoadedModule(const char* path) : m_path(path) {
        m_loaded = acrxDynamicLinker->loadModule(path, true);
        if (m_loaded) m_handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    }
    ~LoadedModule() { unload(); }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const { return m_loaded; }
    const char* path() const { return m_path; }
    bool unload() {
        if (m_handle) dlclose(m_handle);
        m_handle = nullptr;
        if (!m_loaded) return false;
        m_loaded = false;
        return acrxDynamicLinker->unloadModule(m_path, false);
    }
    void* symbol(const char* name) const { return m_handle ? dlsym(m_handle, name) : nullptr; }
    template <class F>
    F function(const char* name) const {
        return reinterpret_cast<F>(symbol(name));
    }
    // The module's own descriptor of a class (its gpDesc).
    AcRxClass* moduleDesc(const char* symbolName) const {
        auto** slot = static_cast<AcRxClass**>(symbol(symbolName));
        return slot ? *slot : nullptr;
    }
    // Sends the init message again.
    AcRx::AppRetCode init() const {
        AcRx::AppRetCode result = AcRx::kRetError;
        acrxDynamicLinker->sendMessage(m_path, AcRx::kInitAppMsg, nullptr, &result);
        return result;
    }

private:
    const char* m_path;
    bool m_loaded = false;
    void* m_handle = nullptr;
};

struct AbortError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
inline void throwingAbort(const char* message) { throw AbortError(message); }

// The position of each class in the module's registration: one class at a time is made to
// mismatch (another descriptor under its name) while the others are deleted; the next init
// registers the classes before it and stops at it with "Class mismatch".
inline std::vector<std::string> registrationOrder(const LoadedModule& module) {
    std::vector<std::string> order(entityClasses().size());
    AcRxDictionary* dict = acrxClassDictionary();
    for (const EntityClass& x : entityClasses()) {
        AcRxClass* original = static_cast<AcRxClass*>(dict->remove(x.name));
        auto* foreign = new AcRxClass(x.name, "AcDbEntity", 0, 0, 0, nullptr, "FOREIGN", "test", nullptr);
        dict->atPut(x.name, foreign);
        for (const EntityClass& y : entityClasses())
            if (y.name != x.name) deleteAcRxClass(acrxFindClass(y.name));
        acrxSetAbortHandler(throwingAbort);
        std::string message;
        try {
            module.init();
        } catch (const AbortError& e) {
            message = e.what();
        }
        acrxSetAbortHandler(nullptr);
        EXPECT_EQ(message, "Class mismatch") << x.name;
        size_t before = 0;
        for (const EntityClass& y : entityClasses())
            if (y.name != x.name && acrxFindClass(y.name)) {
                ++before;
                deleteAcRxClass(acrxFindClass(y.name));
            }
        if (before < order.size()) order[before] = x.name;
        delete static_cast<AcRxClass*>(dict->remove(x.name));
        dict->atPut(x.name, original);
        module.init();
    }
    return order;
}

}  // namespace modtest
