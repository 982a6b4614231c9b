#pragma once
// Loading modules (ObjectARX applications and object enablers) into the session.
//
// After a module's init message it receives the load-drawing message (packet: the document)
// for every open document, and later for every document that opens; the unload-drawing message
// before a document closes. LISP functions a module defines are invoked through its entry point
// (kInvkSubrMsg). While a module's entry point or one of its commands runs, the module is the
// current one (acedHostCurrentModule). When a module unloads, its LISP functions, and any
// command groups and reactors it left behind, are removed.
#include <string>
#include <vector>
#include "rx/ads.h"
#include "rx/export.h"

class AcApDocument;

// RTNORM, or RTERROR with a message on the command line.
CADHOST_API int acedArxLoad(const char* app);
CADHOST_API int acedArxUnload(const char* app);
// The names of the loaded modules as a chain of RTSTR (free with acutRelRb).
CADHOST_API resbuf* acedArxLoaded();

// ---- Host side ----

// Installs the LISP dispatcher (done by the first load; idempotent).
CADHOST_API void acedHostInstallModuleDispatcher();
// Loads a module; false with the reason. An already loaded module answers true.
CADHOST_API bool acedHostLoadModule(const char* name, std::string* error = nullptr);
// Refused, with the reason, for a locked module and for one whose classes have objects in a
// drawing in memory.
CADHOST_API bool acedHostUnloadModule(const char* name, std::string* error = nullptr);
// Unloads every module, last loaded first. Locked ones stay mapped but get the unload message;
// ones whose classes still have objects stay loaded, with the reason on the command line.
CADHOST_API void acedHostUnloadAllModules();
CADHOST_API std::vector<std::string> acedHostLoadedModules();
// Called by the document manager.
CADHOST_API void acedHostModulesDocumentCreated(AcApDocument* doc);
CADHOST_API void acedHostModulesDocumentToBeDestroyed(AcApDocument* doc);
