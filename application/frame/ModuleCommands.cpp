#include "frame/ModuleCommands.h"
#include <iterator>
#include "blocks/InsertCommands.h"
#include "ed/lispfuncs.h"
#include "frame/ResourceString.h"

namespace {
struct CommandEntry {
    const char* name;
    int flags;
    AcRxFunctionPtr handler;
};

const CommandEntry kCommands[] = {
    {"BLOCKS", ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW, &blocksCommand},
    {"DDATTE", ACRX_CMD_USEPICKSET, &ddatteCommand},
    {"EATTEDIT", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW, &eattEditCommand},
    {"-EATTEDIT", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW, &eattEditCommand},
    {"_EATTEDIT", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW, &eattEditCommand},
    {"EA", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW, &eattEditCommand},
#ifdef CADHOST_R15
    {"DDATTE2", ACRX_CMD_USEPICKSET, &ddatteCommand},
#endif
};

#ifdef CADHOST_R15
const char* const kUndefined[] = {"EATTEDIT", "c:EATTEDIT", "_EATTEDIT", ".EATTEDIT", "-EATTEDIT", "_.EATTEDIT"};
#else
const char* const kUndefined[] = {"EATTEDIT",   "c:EATTEDIT", "_EATTEDIT", ".EATTEDIT",
                                  "-EATTEDIT", "_.EATTEDIT", "DDATTE",    "C:DDATTE"};
#endif

struct LispFunction {
    const char* name;
    int (*function)();
};

// The index is the function code the host reports back.
const LispFunction lispFunctionTable[] = {
    {"c:_binsertfile", &c_binsertfile},
    {"c:_binsert", &c_binsert},
    {"c:ddatte", &c_ddatte},
};
constexpr int kLispFunctionCount = static_cast<int>(std::size(lispFunctionTable));
}  // namespace

void registerCommand(const char* group, const char* globalName, const char* localName, int flags,
                     AcRxFunctionPtr handler, int localNameStringId) {
    CString local = localName;
    if (localNameStringId != -1) {
        local = loadResourceString(static_cast<unsigned>(localNameStringId));
        if (local.GetLength() > 63) local = local.Left(63);
    }
    acedRegCmds->addCommand(group, globalName, local, flags, handler, nullptr, -1, nullptr, nullptr);
}

void undefineHostCommands() {
    for (const char* name : kUndefined) acedCmdUndefine(name, 1);
}

void registerCommands() {
    for (const CommandEntry& c : kCommands) registerCommand(ZEFT_COMMAND_GROUP, c.name, c.name, c.flags, c.handler);
}

void removeCommands() { acedRegCmds->removeGroup(ZEFT_COMMAND_GROUP); }

int defineLispFunctions() {
    for (int code = 0; code < kLispFunctionCount; ++code) {
        if (acedDefun(lispFunctionTable[code].name, code) != RTNORM) return RTERROR;
        if (acedRegFunc(lispFunctionTable[code].function, code) != RTNORM) return RTERROR;
    }
    return 0;
}

int invokeLispFunction() {
    const int code = acedGetFunCode();
    if (code < 0 || code >= kLispFunctionCount) {
        acdbFail("Received nonexistent function code.");
        return RTERROR;
    }
    resbuf* args = acedGetArgs();
    const int result = lispFunctionTable[code].function();
    if (args) acutRelRb(args);
    return result;
}
