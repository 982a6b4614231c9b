#pragma once
// LISP functions of the host added to every evaluator of the command line: getvar, setvar.
#include "rx/export.h"

class LispEvaluator;
CADHOST_API void acedHostInstallLispFunctions(LispEvaluator& evaluator);
