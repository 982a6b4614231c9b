#pragma once
// The command stack (commands that modules register in groups) and the host's own commands.
//
// A typed name reaches, in this order: the host's own command of that name unless it was
// undefined (acedCmdUndefine), the module commands (most recently added group first; local
// names, then global names), and last a LISP function "c:NAME". Prefixes: "_" asks for a
// global name, "." for the host's own command even when it is undefined, "'" runs a
// transparent command inside another one; "-" is part of the name ("-INSERT"), and a host
// command "-NAME" that does not exist falls back to the host's "NAME".
#include <string>
#include <vector>
#include "rx/dictionary.h"
#include "rx/errorstatus.h"
#include "rx/export.h"
#include "win/resources.h"

#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001
#define ACRX_CMD_USEPICKSET 0x00000002
#define ACRX_CMD_REDRAW 0x00000004
#define ACRX_CMD_NOPERSPECTIVE 0x00000008
#define ACRX_CMD_NOMULTIPLE 0x00000010
#define ACRX_CMD_NOTILEMODE 0x00000020
#define ACRX_CMD_NOPAPERSPACE 0x00000040
#define ACRX_CMD_NOINTERNALLOCK 0x00020000
#define ACRX_CMD_DOCREADLOCK 0x00080000
#define ACRX_CMD_DOCEXCLUSIVELOCK 0x00100000
#define ACRX_CMD_SESSION 0x00200000

// Key of the command stack in the system registry.
#define ACRX_COMMAND_DOCK "ACAD_REGISTERED_COMMANDS"

typedef void (*AcRxFunctionPtr)();
class AcEdUIContext;

// One registered command.
class CADHOST_API AcEdCommand : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcEdCommand);
    AcEdCommand() = default;
    const char* groupName() const { return m_group.c_str(); }
    const char* globalName() const { return m_global.c_str(); }
    const char* localName() const { return m_local.c_str(); }
    int commandFlags() const { return m_flags; }
    AcRxFunctionPtr functionAddr() const { return m_function; }
    int functionCode() const { return m_functionCode; }
    AcEdUIContext* UIContext() const { return m_context; }
    HINSTANCE resourceHandle() const { return m_resource; }
    // The module that was running when the command was added (null: the host or a test).
    void* module() const { return m_module; }

private:
    friend class AcEdCommandStack;
    std::string m_group, m_global, m_local;
    int m_flags = 0;
    AcRxFunctionPtr m_function = nullptr;
    int m_functionCode = -1;
    AcEdUIContext* m_context = nullptr;
    HINSTANCE m_resource = nullptr;
    void* m_module = nullptr;
};

// Groups of module commands; names compare without regard to case.
class CADHOST_API AcEdCommandStack : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcEdCommandStack);
    AcEdCommandStack() = default;
    ~AcEdCommandStack() override;

    // eDuplicateKey when the group already has that global or local name; eInvalidInput for a
    // missing or blank name or function.
    Acad::ErrorStatus addCommand(const char* groupName, const char* globalName, const char* localName,
                                 int commandFlags, AcRxFunctionPtr function, AcEdUIContext* context = nullptr,
                                 int functionCode = -1, HINSTANCE resource = nullptr,
                                 AcEdCommand** commandOut = nullptr);
    Acad::ErrorStatus removeCmd(const char* groupName, const char* globalName);
    Acad::ErrorStatus removeGroup(const char* groupName);
    AcEdCommand* lookupGlobalCmd(const char* name) const;
    AcEdCommand* lookupLocalCmd(const char* name) const;
    AcEdCommand* lookupCmd(const char* name, bool globalFlag) const;

    // Host side.
    std::vector<std::string> groupNames() const;  // most recent first
    std::vector<const AcEdCommand*> commands() const;
    // Removes the groups added while a module was running; answers their names.
    std::vector<std::string> removeGroupsOf(void* module);

private:
    struct Group {
        std::string name;
        std::vector<AcEdCommand*> commands;
    };
    Group* findGroup(const char* name);
    std::vector<Group> m_groups;  // oldest first
};

CADHOST_API AcEdCommandStack* acedRegCmdsPtr();
#define acedRegCmds acedRegCmdsPtr()

// Undefines (undefIt 1) or restores (0) a host command: an undefined name no longer reaches the
// host's command, ".NAME" still does. The "_" and "." prefixes are ignored. RTNORM, or RTERROR
// when no host command has that name.
CADHOST_API int acedCmdUndefine(const char* name, int undefIt);

// ---- The host's own commands ----

// Answers RTNORM when the command ended, RTCAN when it was cancelled and anything else when it
// failed (it prints why).
using AcEdHostCommandFunc = int (*)();
struct AcEdHostCommandDef {
    const char* name;
    AcEdHostCommandFunc function;
    int flags = ACRX_CMD_MODAL;
};
// Adds or replaces a host command; false for a blank name or no function.
CADHOST_API bool acedHostDefineCommand(const AcEdHostCommandDef& command);
CADHOST_API bool acedHostRemoveCommand(const char* name);
// The definition (copied out); false when there is none or, unless includeUndefined, it is undefined.
CADHOST_API bool acedHostFindCommand(const char* name, AcEdHostCommandDef* out, bool includeUndefined = false);
CADHOST_API bool acedHostIsCommandUndefined(const char* name);
CADHOST_API std::vector<std::string> acedHostCommandNames();

// What a typed command name reaches.
struct CADHOST_API AcEdResolvedCommand {
    enum Kind { kNone, kHost, kModule, kLisp };
    Kind kind = kNone;
    std::string globalName;  // upper case, without prefixes; for kLisp the function name
    int flags = 0;
    bool transparentPrefix = false;  // typed with "'"
    AcEdHostCommandFunc host = nullptr;
    const AcEdCommand* command = nullptr;
};
CADHOST_API AcEdResolvedCommand acedHostResolveCommand(const std::string& typed);
