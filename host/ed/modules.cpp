#include "ed/modules.h"
#include <dlfcn.h>
#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include "ed/command.h"
#include "ed/docman.h"
#include "ed/editor.h"
#include "ed/lispfuncs.h"
#include "rx/dynlinker.h"
#include "rx/print.h"

namespace fs = std::filesystem;

namespace {
// The identity of a loaded module for its LISP functions, commands and reactors.
struct Record {
    std::string name;
};

std::vector<std::unique_ptr<Record>>& records() {
    static std::vector<std::unique_ptr<Record>> list;
    return list;
}

// The linker's name of a module: the file name without ".arx", ".dbx" or ".so".
std::string baseName(const char* given) {
    std::string s = given ? given : "";
    std::replace(s.begin(), s.end(), '\\', '/');
    std::string b = fs::path(s).filename().string();
    for (const char* ext : {".arx", ".dbx", ".so"}) {
        const size_t n = std::strlen(ext);
        if (b.size() > n && strcasecmp(b.c_str() + b.size() - n, ext) == 0) return b.substr(0, b.size() - n);
    }
    return b;
}

Record* find(const std::string& name) {
    for (auto& r : records())
        if (strcasecmp(r->name.c_str(), name.c_str()) == 0) return r.get();
    return nullptr;
}

bool known(const void* module) {
    return std::any_of(records().begin(), records().end(), [module](const auto& r) { return r.get() == module; });
}

// Everything a module registered and may have left behind.
void dropRegistrations(Record* r) {
    acedHostUndefModule(r);
    for (const std::string& group : acedRegCmds->removeGroupsOf(r))
        acutPrintf("\nCommand group %s of %s was left registered; removed.", group.c_str(), r->name.c_str());
    if (int n = acedEditor->removeReactorsOf(r)) acutPrintf("\n%d editor reactor(s) of %s were left added; removed.", n, r->name.c_str());
    if (int n = acDocManager->removeReactorsOf(r))
        acutPrintf("\n%d document reactor(s) of %s were left added; removed.", n, r->name.c_str());
}

void forget(Record* r) {
    std::erase_if(records(), [r](const auto& p) { return p.get() == r; });
}

// Records for modules the linker loaded some other way (a module loading another); records of
// modules it no longer has are dropped. Answers the records made.
std::vector<Record*> syncRecords() {
    const std::vector<std::string> loaded = acrxDynamicLinker->loadedModules();
    std::vector<Record*> stale;
    for (auto& r : records())
        if (std::none_of(loaded.begin(), loaded.end(),
                         [&](const std::string& n) { return strcasecmp(n.c_str(), r->name.c_str()) == 0; }))
            stale.push_back(r.get());
    for (Record* r : stale) {
        dropRegistrations(r);
        forget(r);
    }
    std::vector<Record*> made;
    for (const std::string& n : loaded)
        if (!find(n)) {
            records().push_back(std::make_unique<Record>(Record{n}));
            made.push_back(records().back().get());
        }
    return made;
}

AcRx::AppRetCode send(Record* r, AcRx::AppMsgCode message, void* packet) {
    AcRx::AppRetCode rc = AcRx::kRetError;
    AcedModuleScope scope(r);
    if (!acrxDynamicLinker->sendMessage(r->name.c_str(), message, packet, &rc)) return AcRx::kRetError;
    return rc;
}

// Each document is current while its message runs.
void sendToEveryDocument(Record* r, AcRx::AppMsgCode message) {
    const std::vector<AcApDocument*> docs = acDocManager->documents();
    for (AcApDocument* doc : docs) {
        if (std::find(acDocManager->documents().begin(), acDocManager->documents().end(), doc) ==
            acDocManager->documents().end())
            continue;
        AcApDocument* previous = acDocManager->setCurrentQuietly(doc);
        send(r, message, doc);
        acDocManager->setCurrentQuietly(previous);
    }
}

int dispatch(void* module, int functionCode) {
    (void)functionCode;
    if (!module || !known(module)) return RTERROR;
    AcRx::AppRetCode rc = send(static_cast<Record*>(module), AcRx::kInvkSubrMsg, nullptr);
    return rc == AcRx::kRetOK ? RSRSLT : RSERR;
}

std::string loadFailure(const char* name) {
    if (const char* e = dlerror()) return e;
    std::string given = name;
    std::replace(given.begin(), given.end(), '\\', '/');
    if (given.find('/') != std::string::npos) {
        std::error_code ec;
        bool any = false;
        for (const char* ext : {"", ".arx", ".dbx"}) any = any || fs::exists(given + ext, ec);
        if (!any) return "cannot find the file";
    }
    return "not found on the module search path, or its initialisation failed";
}
}  // namespace

void acedHostInstallModuleDispatcher() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    acedHostSetDispatcher(&dispatch);
}

bool acedHostLoadModule(const char* name, std::string* error) {
    if (!name || !*name) {
        if (error) *error = "No module name.";
        return false;
    }
    acedHostInstallModuleDispatcher();
    syncRecords();
    const std::string base = baseName(name);
    if (find(base)) return true;
    records().push_back(std::make_unique<Record>(Record{base}));
    Record* r = records().back().get();
    dlerror();
    bool ok;
    {
        AcedModuleScope scope(r);
        ok = acrxDynamicLinker->loadModule(name, false);
    }
    if (!ok) {
        std::string why = loadFailure(name);
        dropRegistrations(r);
        forget(r);
        syncRecords();
        if (error) *error = "Unable to load " + std::string(name) + ": " + why + ".";
        return false;
    }
    // The linker knows the module under its own name; modules it loaded meanwhile get records.
    std::vector<Record*> fresh = syncRecords();
    fresh.insert(fresh.begin(), r);
    for (Record* m : fresh)
        if (known(m)) sendToEveryDocument(m, AcRx::kLoadDwgMsg);
    return true;
}

bool acedHostUnloadModule(const char* name, std::string* error) {
    syncRecords();
    Record* r = name ? find(baseName(name)) : nullptr;
    if (!r) {
        if (error) *error = std::string(name ? name : "") + " is not loaded.";
        return false;
    }
    // Refused before any document hears of it: locked, or objects of its classes are alive.
    if (std::string why = acrxDynamicLinker->unloadRefusal(r->name.c_str()); !why.empty()) {
        if (error) *error = why;
        return false;
    }
    sendToEveryDocument(r, AcRx::kUnloadDwgMsg);
    bool ok;
    {
        AcedModuleScope scope(r);
        ok = acrxDynamicLinker->unloadModule(r->name.c_str(), false);
    }
    if (!ok) {
        if (error) *error = "Unable to unload " + r->name + ".";
        return false;
    }
    dropRegistrations(r);
    forget(r);
    syncRecords();
    return true;
}

void acedHostUnloadAllModules() {
    syncRecords();
    // Modules that stay: locked ones (they hear that the session is over) and ones whose classes
    // still have objects somewhere (they stay as they are, for those objects).
    std::vector<std::string> staying;
    auto stays = [&](const Record* r) {
        return std::any_of(staying.begin(), staying.end(),
                           [r](const std::string& n) { return strcasecmp(n.c_str(), r->name.c_str()) == 0; });
    };
    for (;;) {
        syncRecords();
        Record* r = nullptr;
        for (auto it = records().rbegin(); it != records().rend() && !r; ++it)
            if (!stays(it->get())) r = it->get();
        if (!r) break;
        std::string name = r->name;
        staying.push_back(name);
        if (acrxDynamicLinker->isApplicationLocked(name.c_str())) {
            sendToEveryDocument(r, AcRx::kUnloadDwgMsg);
            send(r, AcRx::kUnloadAppMsg, nullptr);
            dropRegistrations(r);
            forget(r);
            continue;
        }
        std::string error;
        if (acedHostUnloadModule(name.c_str(), &error)) staying.pop_back();
        else acutPrintf("\n%s", error.c_str());
    }
}

std::vector<std::string> acedHostLoadedModules() {
    syncRecords();
    std::vector<std::string> names;
    for (const auto& r : records()) names.push_back(r->name);
    return names;
}

void acedHostModulesDocumentCreated(AcApDocument* doc) {
    syncRecords();
    std::vector<Record*> list;
    for (auto& r : records()) list.push_back(r.get());
    for (Record* r : list)
        if (known(r)) send(r, AcRx::kLoadDwgMsg, doc);
}

void acedHostModulesDocumentToBeDestroyed(AcApDocument* doc) {
    syncRecords();
    std::vector<Record*> list;
    for (auto& r : records()) list.push_back(r.get());
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (known(*it)) send(*it, AcRx::kUnloadDwgMsg, doc);
}

int acedArxLoad(const char* app) {
    std::string error;
    if (acedHostLoadModule(app, &error)) return RTNORM;
    acutPrintf("\n%s", error.c_str());
    return RTERROR;
}

int acedArxUnload(const char* app) {
    std::string error;
    if (acedHostUnloadModule(app, &error)) return RTNORM;
    acutPrintf("\n%s", error.c_str());
    return RTERROR;
}

resbuf* acedArxLoaded() {
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    for (const std::string& n : acedHostLoadedModules()) {
        resbuf* rb = acutNewRb(RTSTR);
        rb->resval.rstring = strdup(n.c_str());
        if (tail) tail->rbnext = rb;
        else head = rb;
        tail = rb;
    }
    return head;
}
