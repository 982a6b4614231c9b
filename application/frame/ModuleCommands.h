#pragma once
// The module's command table (group ZEFTTAMSEL) and its per-document LISP functions.
#include "ed/command.h"

#define ZEFT_COMMAND_GROUP "ZEFTTAMSEL"

// Adds one command to the host's command stack; with a string id other than -1 the local name
// is that module string instead.
void registerCommand(const char* group, const char* globalName, const char* localName, int flags,
                     AcRxFunctionPtr handler, int localNameStringId = -1);
// Undefines the host's attribute-editing commands that the module replaces.
void undefineHostCommands();
void registerCommands();
void removeCommands();

// Defines c:_binsertfile (0), c:_binsert (1) and c:ddatte (2) in the current document; RTERROR
// when a definition fails (the rest are then not defined), else 0.
int defineLispFunctions();
// Runs the function the host reports; a code outside the table fails with RTERROR.
int invokeLispFunction();
