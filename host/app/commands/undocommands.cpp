// Undo: U (one command), UNDO (a number of commands) and REDO (what the last undo took).
#include <string>
#include <vector>
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "db/undolog.h"
#include "ed/prompts.h"
#include "rx/print.h"

using namespace hostcmd;

namespace {
void printNames(const std::vector<std::string>& names, int failures) {
    std::string line;
    for (const std::string& n : names) line += (line.empty() ? "" : " ") + n;
    if (!line.empty()) acutPrintf("\n%s", line.c_str());
    if (failures) acutPrintf("\n%d object(s) were open and could not be restored.", failures);
}

int undoSteps(int count) {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    AcDbUndoLog* log = db->undoLog();
    if (!log || log->undoableGroups() == 0) {
        acutPrintf("\nEverything has been undone");
        return RTNORM;
    }
    int failures = 0;
    printNames(log->undo(count, &failures), failures);
    return RTNORM;
}

int uCommand() { return undoSteps(1); }

int undoCommand() {
    acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
    int count = 1;
    int rc = acedGetInt("\nEnter the number of operations to undo <1>: ", &count);
    if (rc == RTNONE) count = 1;
    else if (rc != RTNORM) return rc;
    return undoSteps(count);
}

int redoCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    AcDbUndoLog* log = db->undoLog();
    if (!log || !log->canRedo()) {
        acutPrintf("\nREDO must follow U or UNDO");
        return RTNORM;
    }
    int failures = 0;
    printNames(log->redo(&failures), failures);
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(undo, {
    {"U", uCommand},
    {"UNDO", undoCommand},
    {"REDO", redoCommand},
});
