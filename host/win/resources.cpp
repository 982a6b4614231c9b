#include "win/resources.h"
#include "win/dialogtemplates.h"
#include <dlfcn.h>
#include <link.h>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include "win/filetypes.h"
#include "win/lasterror.h"
#include "win/resourceimage.h"

struct CadhostResourceEntry : cadhost::res::ResourceEntry {};

namespace {
using cadhost::res::NameOrId;

struct ModuleResources {
    std::vector<CadhostResourceEntry> entries;
};

struct Registry {
    std::mutex mutex;
    std::map<std::pair<HINSTANCE, unsigned>, std::string> strings;
    std::map<HINSTANCE, std::unique_ptr<ModuleResources>> modules;
};

Registry& registry() {
    static Registry r;
    return r;
}

HINSTANCE g_resource = nullptr;
const unsigned char kNoBytes[1] = {0};

// Matches a name or type given as the platform gives it: a number, "#number", or a text.
bool matches(const NameOrId& stored, LPCSTR given) {
    if (IS_INTRESOURCE(given)) return !stored.isText && stored.number == reinterpret_cast<std::uintptr_t>(given);
    if (given[0] == '#') {
        char* end = nullptr;
        unsigned long n = std::strtoul(given + 1, &end, 10);
        return given[1] && !*end && !stored.isText && stored.number == n;
    }
    return stored.isText && strcasecmp(stored.text.c_str(), given) == 0;
}

// Neutral language first, then US English, then the first in script order.
const CadhostResourceEntry* find(HMODULE module, LPCSTR name, LPCSTR type) {
    if (!name || !type) return nullptr;
    Registry& r = registry();
    auto it = r.modules.find(module);
    if (it == r.modules.end()) return nullptr;
    const CadhostResourceEntry* best = nullptr;
    auto rank = [](const CadhostResourceEntry* e) { return e->language == 0 ? 0 : e->language == 0x409 ? 1 : 2; };
    for (const CadhostResourceEntry& e : it->second->entries)
        if (matches(e.type, type) && matches(e.name, name) && (!best || rank(&e) < rank(best))) best = &e;
    return best;
}

// The resource handle if it belongs to the module, else null (stale or foreign handles).
const CadhostResourceEntry* validate(HMODULE module, HRSRC resource) {
    auto it = registry().modules.find(module);
    if (!resource || it == registry().modules.end()) return nullptr;
    const auto& entries = it->second->entries;
    for (const CadhostResourceEntry& e : entries)
        if (&e == resource) return &e;
    return nullptr;
}

// Strings of a compiled block: 16 of them, each a 16-bit length and its bytes.
bool compiledString(HINSTANCE module, unsigned id, std::string& text) {
    const CadhostResourceEntry* block = find(module, MAKEINTRESOURCE((id >> 4) + 1), RT_STRING);
    if (!block) return false;
    std::size_t pos = 0;
    const auto& d = block->data;
    for (unsigned i = 0; i <= (id & 15); ++i) {
        if (d.size() - pos < 2) return false;
        std::size_t length = d[pos] | (d[pos + 1] << 8);
        pos += 2;
        if (d.size() - pos < length) return false;
        if (i == (id & 15)) {
            text.assign(reinterpret_cast<const char*>(d.data() + pos), length);
            return length != 0;
        }
        pos += length;
    }
    return false;
}
}  // namespace

void cadhostRegisterString(HINSTANCE module, unsigned id, const char* text) {
    std::lock_guard lock(registry().mutex);
    registry().strings[{module, id}] = text ? text : "";
}

void cadhostUnregisterStrings(HINSTANCE module) {
    std::lock_guard lock(registry().mutex);
    auto& t = registry().strings;
    for (auto it = t.begin(); it != t.end();)
        it = it->first.first == module ? t.erase(it) : std::next(it);
}

bool cadhostRegisterModuleResources(HINSTANCE module, const void* image, std::size_t size, std::string* error) {
    std::vector<cadhost::res::ResourceEntry> entries;
    std::string reason;
    if (!cadhost::res::parseResourceImage(static_cast<const unsigned char*>(image), size, entries, reason)) {
        if (error) *error = reason;
        return false;
    }
    auto resources = std::make_unique<ModuleResources>();
    resources->entries.reserve(entries.size());
    for (auto& e : entries) resources->entries.push_back(CadhostResourceEntry{std::move(e)});
    std::lock_guard lock(registry().mutex);
    registry().modules[module] = std::move(resources);
    return true;
}

void cadhostUnregisterModuleResources(HINSTANCE module) {
    {
        std::lock_guard lock(registry().mutex);
        registry().modules.erase(module);
    }
    // Templates converted from the image go with it: the handle may come back for another module.
    cadhostUnregisterDialogTemplates(module);
}

bool cadhostAttachModuleResources(void* dlHandle, std::string& error) {
    auto* image = static_cast<const unsigned char*>(dlsym(dlHandle, cadhost::res::kResourcesSymbol));
    auto* size = static_cast<const std::size_t*>(dlsym(dlHandle, cadhost::res::kResourcesSizeSymbol));
    if (!image || !size) return true;
    // dlsym also searches the module's dependencies: the image must be the module's own.
    link_map* own = nullptr;
    link_map* imageMap = nullptr;
    link_map* sizeMap = nullptr;
    Dl_info info{};
    if (dlinfo(dlHandle, RTLD_DI_LINKMAP, &own) != 0 ||
        !dladdr1(image, &info, reinterpret_cast<void**>(&imageMap), RTLD_DL_LINKMAP) ||
        !dladdr1(size, &info, reinterpret_cast<void**>(&sizeMap), RTLD_DL_LINKMAP) || imageMap != own ||
        sizeMap != own)
        return true;
    if (!cadhostRegisterModuleResources(dlHandle, image, *size, &error)) {
        error = "malformed resources: " + error;
        return false;
    }
    return true;
}

namespace {

// The last part of a path, either separator.
std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameModuleName(const std::string& loadedPath, const std::string& given) {
    if (given.find_first_of("/\\") != std::string::npos) return loadedPath == given;
    const std::string loaded = fileNameOf(loadedPath);
    if (strcasecmp(loaded.c_str(), given.c_str()) == 0) return true;
    // A name without an extension matches the loaded file's name without its own.
    const std::size_t dot = loaded.rfind('.');
    return given.find('.') == std::string::npos && dot != std::string::npos &&
           strcasecmp(loaded.substr(0, dot).c_str(), given.c_str()) == 0;
}

struct ModuleSearch {
    std::string given;
    std::string path;
};

int matchLoaded(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<ModuleSearch*>(data);
    if (!info->dlpi_name || !*info->dlpi_name || !sameModuleName(info->dlpi_name, search->given)) return 0;
    search->path = info->dlpi_name;
    return 1;
}

HMODULE programModule() {
    // The main program's handle stays valid for the life of the process.
    static HMODULE const handle = dlopen(nullptr, RTLD_LAZY);
    return handle;
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR name) {
    if (!name || strcasecmp(name, "acad.exe") == 0) return programModule();
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0 && sameModuleName(std::string(self, std::size_t(n)), name)) return programModule();
    ModuleSearch search{name, {}};
    if (dl_iterate_phdr(matchLoaded, &search)) {
        // Only a module that is already mapped: the reference taken here is given back at once.
        if (void* handle = dlopen(search.path.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
            dlclose(handle);
            return handle;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE GetModuleHandle(LPCSTR name) { return GetModuleHandleA(name); }

int LoadStringA(HINSTANCE module, unsigned id, char* buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) return 0;
    buffer[0] = '\0';
    std::lock_guard lock(registry().mutex);
    std::string text;
    auto it = registry().strings.find({module, id});
    if (it != registry().strings.end()) text = it->second;
    else if (!compiledString(module, id, text)) return 0;
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(bufferMax - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

int LoadString(HINSTANCE module, unsigned id, char* buffer, int bufferMax) {
    return LoadStringA(module, id, buffer, bufferMax);
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    std::lock_guard lock(registry().mutex);
    return const_cast<HRSRC>(find(module, name, type));
}

HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type) { return FindResourceA(module, name, type); }

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    std::lock_guard lock(registry().mutex);
    const CadhostResourceEntry* e = validate(module, resource);
    if (!e) return nullptr;
    return const_cast<unsigned char*>(e->data.empty() ? kNoBytes : e->data.data());
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
    std::lock_guard lock(registry().mutex);
    const CadhostResourceEntry* e = validate(module, resource);
    return e ? static_cast<DWORD>(e->data.size()) : 0;
}

BOOL FreeResource(HGLOBAL) { return 0; }

bool cadhostFindDialogTemplate(HINSTANCE module, LPCSTR name, cadhost::res::DialogTemplate& out) {
    std::lock_guard lock(registry().mutex);
    const CadhostResourceEntry* e = find(module, name, RT_DIALOG);
    return e && cadhost::res::decodeDialog(e->data.data(), e->data.size(), out);
}

bool cadhostFindMenuTemplate(HINSTANCE module, LPCSTR name, cadhost::res::MenuTemplate& out) {
    std::lock_guard lock(registry().mutex);
    const CadhostResourceEntry* e = find(module, name, RT_MENU);
    return e && cadhost::res::decodeMenu(e->data.data(), e->data.size(), out);
}

HINSTANCE AfxGetResourceHandle() { return g_resource; }
void AfxSetResourceHandle(HINSTANCE module) { g_resource = module; }
