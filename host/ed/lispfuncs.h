#pragma once
// LISP functions that modules define, and the calls a module's handler makes while it runs.
#include <functional>
#include <string>
#include "rx/ads.h"
#include "rx/export.h"

// Answers of a function handler registered with acedRegFunc.
#ifndef RSRSLT
#define RSRSLT 1
#endif
#ifndef RSERR
#define RSERR 3
#endif

// Defines a function for the module whose entry point is running; the name is case-insensitive
// and a later definition of the same name replaces the earlier one.
CADHOST_API int acedDefun(const char* name, int functionCode);
// Removes a definition of the running module; RTERROR when the name is not its own with that code.
CADHOST_API int acedUndef(const char* name, int functionCode);
// A handler called instead of the module's entry point for one code of the running module.
CADHOST_API int acedRegFunc(int (*handler)(), int functionCode);

// Inside a call: the function code (RTERROR outside), a copy of the arguments that the caller
// frees with acutRelRb (null when there are none), and the result.
CADHOST_API int acedGetFunCode();
CADHOST_API resbuf* acedGetArgs();
CADHOST_API int acedRetVoid();
CADHOST_API int acedRetNil();
CADHOST_API int acedRetT();
CADHOST_API int acedRetReal(double value);
CADHOST_API int acedRetInt(int value);
CADHOST_API int acedRetStr(const char* text);
CADHOST_API int acedRetPoint(const ads_point point);
CADHOST_API int acedRetList(const resbuf* chain);  // copied; see lispListFromResbuf
CADHOST_API int acedRetVal(const resbuf* value);   // one value, copied
// Makes the running call fail with this message, whatever the handler answers.
CADHOST_API int acdbFail(const char* message);

// ---- Program side ----

// Receives a call for a module (kInvkSubrMsg); answers RTNORM, RSRSLT or AcRx::kRetOK on success.
using AcedLispDispatcher = std::function<int(void* module, int functionCode)>;
CADHOST_API void acedHostSetDispatcher(AcedLispDispatcher dispatcher);

// The module whose entry point runs now (null: none); answers the previous one.
CADHOST_API void* acedHostSetCurrentModule(void* module);
CADHOST_API void* acedHostCurrentModule();
// Sets the running module for a scope.
class CADHOST_API AcedModuleScope {
public:
    explicit AcedModuleScope(void* module) : m_previous(acedHostSetCurrentModule(module)) {}
    ~AcedModuleScope() { acedHostSetCurrentModule(m_previous); }
    AcedModuleScope(const AcedModuleScope&) = delete;
    AcedModuleScope& operator=(const AcedModuleScope&) = delete;

private:
    void* m_previous;
};

struct CADHOST_API AcedDefunInfo {
    std::string name;  // as defined
    void* module = nullptr;
    int functionCode = 0;
};
// Looks a defined name up (case-insensitive); "c:NAME" entries are the modules' commands.
CADHOST_API bool acedHostFindDefun(const char* name, AcedDefunInfo* info = nullptr);
// Removes every definition and handler of a module (when it unloads).
CADHOST_API void acedHostUndefModule(void* module);
CADHOST_API void acedHostUndefAll();

struct CADHOST_API AcedCallResult {
    bool ok = false;
    resbuf* value = nullptr;  // one value (RTVOID for acedRetVoid; null when none was set); caller frees
    std::string error;
};
// Calls a defined function with an argument chain (not taken over) through its registered
// handler or else the dispatcher.
CADHOST_API AcedCallResult acedHostInvoke(const char* name, const resbuf* args);
