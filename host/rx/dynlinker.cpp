#include "rx/dynlinker.h"
#include <dlfcn.h>
#include <link.h>
#include <cstring>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include "win/resources.h"
#include "rx/dictionary.h"

namespace fs = std::filesystem;

struct AcRxDynamicLinker::Module {
    std::string name;  // file name without folder, as given to loadModule
    std::string path;
    void* handle = nullptr;
    AcRxEntryPointFunc entry = nullptr;
    DllMainFunc dllMain = nullptr;
    bool locked = true;
    bool mdiAware = false;
};

namespace {
std::string baseName(const std::string& n) {
    std::string s = n;
    for (char& c : s)
        if (c == '\\') c = '/';
    std::string b = fs::path(s).filename().string();
    std::string lower;
    for (char c : b) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* ext : {".arx", ".dbx", ".so"})
        if (lower.size() > std::string(ext).size() && lower.ends_with(ext))
            return b.substr(0, b.size() - std::string(ext).size());
    return b;
}

// Object enablers (".dbx") that a module names as its dependencies, with the paths they were
// mapped from.
std::vector<std::string> neededEnablers(void* handle) {
    std::vector<std::string> paths;
    struct link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_ld) return paths;
    const char* strings = nullptr;
    std::vector<size_t> needed;
    for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d) {
        if (d->d_tag == DT_STRTAB) strings = reinterpret_cast<const char*>(d->d_un.d_ptr);
        else if (d->d_tag == DT_NEEDED) needed.push_back(d->d_un.d_val);
    }
    if (!strings) return paths;
    struct link_map* head = map;
    while (head->l_prev) head = head->l_prev;
    for (size_t offset : needed) {
        const std::string name = strings + offset;
        if (name.size() < 4 || strcasecmp(name.c_str() + name.size() - 4, ".dbx") != 0) continue;
        for (struct link_map* m = head; m; m = m->l_next)
            if (m->l_name && *m->l_name && fs::path(m->l_name).filename() == name) {
                paths.emplace_back(m->l_name);
                break;
            }
    }
    return paths;
}

std::vector<AcRxInstanceCounter>& instanceCounters() {
    static std::vector<AcRxInstanceCounter> counters;
    return counters;
}

std::string hostFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&acrxGetDynamicLinker), &info) && info.dli_fname)
        return fs::path(info.dli_fname).parent_path().string();
    return ".";
}
}  // namespace

void acrxHostAddInstanceCounter(AcRxInstanceCounter counter) {
    if (counter && std::find(instanceCounters().begin(), instanceCounters().end(), counter) == instanceCounters().end())
        instanceCounters().push_back(counter);
}

AcRxDynamicLinker* acrxGetDynamicLinker() {
    static AcRxDynamicLinker linker;
    return &linker;
}

void AcRxDynamicLinker::addSearchPath(const std::string& folder) { m_searchPath.push_back(folder); }

AcRxDynamicLinker::Module* AcRxDynamicLinker::find(const char* fileName) const {
    if (!fileName) return nullptr;
    std::string b = baseName(fileName);
    for (Module* m : m_modules)
        if (strcasecmp(m->name.c_str(), b.c_str()) == 0) return m;
    return nullptr;
}

AcRxDynamicLinker::Module* AcRxDynamicLinker::findById(void* appId) const {
    for (Module* m : m_modules)
        if (m == appId) return m;
    return nullptr;
}

bool AcRxDynamicLinker::loadModule(const char* fileName, bool printIt, bool) {
    if (!fileName || !*fileName) return false;
    if (find(fileName)) return true;
    std::string given = fileName;
    for (char& c : given)
        if (c == '\\') c = '/';
    std::vector<std::string> candidates;
    auto addWithExtensions = [&](const std::string& base) {
        candidates.push_back(base);
        candidates.push_back(base + ".arx");
        candidates.push_back(base + ".dbx");
    };
    if (given.find('/') != std::string::npos) {
        addWithExtensions(given);
    } else {
        addWithExtensions(hostFolder() + "/" + given);
        for (const std::string& folder : m_searchPath) addWithExtensions(folder + "/" + given);
        if (const char* env = std::getenv("CADHOST_MODULE_PATH")) addWithExtensions(std::string(env) + "/" + given);
        addWithExtensions("./" + given);
    }
    void* handle = nullptr;
    std::string path;
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (!fs::is_regular_file(c, ec)) continue;
        handle = dlopen(c.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (handle) {
            path = c;
            break;
        }
        if (printIt) std::fprintf(stderr, "Unable to load %s: %s\n", c.c_str(), dlerror());
    }
    if (!handle) {
        if (printIt) std::printf("\nUnable to load %s.", fileName);
        return false;
    }
    auto entry = reinterpret_cast<AcRxEntryPointFunc>(dlsym(handle, "acrxEntryPoint"));
    if (!entry) {
        if (printIt) std::printf("\n%s is not a module: it has no acrxEntryPoint.", fileName);
        dlclose(handle);
        return false;
    }
    // Object enablers the module is linked against are mapped with it; they are loaded as
    // modules first, so that their classes exist when the module starts.
    for (const std::string& enabler : neededEnablers(handle)) {
        if (find(enabler.c_str())) continue;
        if (!loadModule(enabler.c_str(), printIt)) {
            if (printIt) std::printf("\n%s needs %s, which failed to load.", fileName, enabler.c_str());
            dlclose(handle);
            return false;
        }
    }
    std::string resourceError;
    if (!cadhostAttachModuleResources(handle, resourceError)) {
        if (printIt) std::printf("\nUnable to load %s: %s.", fileName, resourceError.c_str());
        dlclose(handle);
        return false;
    }
    auto* m = new Module;
    m->name = baseName(given);
    m->path = path;
    m->handle = handle;
    m->entry = entry;
    m->dllMain = reinterpret_cast<DllMainFunc>(dlsym(handle, "DllMain"));
    m_modules.push_back(m);
    if (m->dllMain) m->dllMain(handle, DLL_PROCESS_ATTACH, nullptr);
    if (m->entry(AcRx::kInitAppMsg, m) != AcRx::kRetOK) {
        if (m->dllMain) m->dllMain(handle, DLL_PROCESS_DETACH, nullptr);
        cadhostUnregisterModuleResources(handle);
        m_modules.pop_back();
        dlclose(handle);
        delete m;
        if (printIt) std::printf("\n%s failed to initialise.", fileName);
        return false;
    }
    return true;
}

std::vector<AcRxClass*> AcRxDynamicLinker::classesOf(const char* fileName) const {
    std::vector<AcRxClass*> classes;
    Module* m = find(fileName);
    struct link_map* own = nullptr;
    if (!m || dlinfo(m->handle, RTLD_DI_LINKMAP, &own) != 0 || !own) return classes;
    for (AcRxDictionaryIterator it(acrxClassDictionary()); !it.done(); it.next()) {
        auto* cls = static_cast<AcRxClass*>(it.object());
        const void* address = cls ? cls->definingAddress() : nullptr;
        Dl_info info{};
        struct link_map* map = nullptr;
        if (address && dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) && map == own)
            classes.push_back(cls);
    }
    return classes;
}

std::string AcRxDynamicLinker::unloadRefusal(const char* fileName) const {
    Module* m = find(fileName);
    if (!m) return {};
    if (m->locked) return m->name + " is locked and cannot be unloaded.";
    int objects = 0;
    std::string names;
    for (AcRxClass* cls : classesOf(fileName)) {
        int n = 0;
        for (AcRxInstanceCounter count : instanceCounters()) n += count(cls);
        if (n == 0) continue;
        objects += n;
        names += (names.empty() ? "" : ", ") + std::string(cls->name());
    }
    if (objects == 0) return {};
    return m->name + " cannot be unloaded: " + std::to_string(objects) + " object(s) of its classes (" + names +
           ") are in drawings in memory. Close those drawings first.";
}

bool AcRxDynamicLinker::unloadModule(const char* fileName, bool printIt) {
    Module* m = find(fileName);
    if (!m) return false;
    if (std::string why = unloadRefusal(fileName); !why.empty()) {
        if (printIt) std::printf("\n%s", why.c_str());
        return false;
    }
    m->entry(AcRx::kUnloadAppMsg, m);
    if (m->dllMain) m->dllMain(m->handle, DLL_PROCESS_DETACH, nullptr);
    cadhostUnregisterModuleResources(m->handle);
    std::erase(m_modules, m);
    dlclose(m->handle);
    delete m;
    return true;
}

bool AcRxDynamicLinker::unlockApplication(void* appId) {
    Module* m = findById(appId);
    if (!m) return false;
    m->locked = false;
    return true;
}

bool AcRxDynamicLinker::lockApplication(void* appId) {
    Module* m = findById(appId);
    if (!m) return false;
    m->locked = true;
    return true;
}

bool AcRxDynamicLinker::isApplicationLocked(const char* fileName) const {
    Module* m = find(fileName);
    return m && m->locked;
}

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) {
    Module* m = findById(appId);
    if (!m) return false;
    m->mdiAware = true;
    return true;
}

bool AcRxDynamicLinker::isAppMDIAware(const char* fileName) const {
    Module* m = find(fileName);
    return m && m->mdiAware;
}

bool AcRxDynamicLinker::isModuleLoaded(const char* fileName) const { return find(fileName) != nullptr; }

void AcRxDynamicLinker::broadcast(AcRx::AppMsgCode message, void* packet) {
    std::vector<Module*> modules = m_modules;
    for (Module* m : modules) m->entry(message, packet);
}

bool AcRxDynamicLinker::sendMessage(const char* fileName, AcRx::AppMsgCode message, void* packet,
                                    AcRx::AppRetCode* result) {
    Module* m = find(fileName);
    if (!m) return false;
    AcRx::AppRetCode r = m->entry(message, packet);
    if (result) *result = r;
    return true;
}

std::vector<std::string> AcRxDynamicLinker::loadedModules() const {
    std::vector<std::string> names;
    for (Module* m : m_modules) names.push_back(m->name);
    return names;
}

bool acrxIsModuleInstance(void* instance, const void* addressInModule) {
    if (!instance || !addressInModule) return false;
    Dl_info own{};
    struct link_map* map = nullptr;
    if (!dladdr(addressInModule, &own) || !own.dli_fname) return false;
    if (dlinfo(instance, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return false;
    return std::strcmp(map->l_name, own.dli_fname) == 0;
}
