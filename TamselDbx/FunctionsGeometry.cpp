// Formula functions on variables, points, entities and grips.
#include "FormulaContext.h"
#include "FormulaValues.h"
#include "rx/print.h"
#include "theFunctions.h"

// a1 takes the value of aN (of itself when alone), or nil when aN names no variable.
CVariable* FnSetVar() {
    FormulaArguments args;
    CVariable* target = args.first();
    if (!target) return nullptr;
    if (CVariable* source = args.last()) *target = *source;
    else target->kind = RTNIL;
    return target;
}

// Queues the host's undo; the interpreter then ends the run.
CVariable* FnCancel() {
    FormulaArguments args;
    queueFormulaUndo();
    if (!args.empty() && args.first()) acutPrintf("\n%s", args.first()->stringValue.GetString());
    return nullptr;
}

CVariable* FnGetThisPoint() { return nullptr; }
CVariable* FnGetOffset() { return nullptr; }

CVariable* FnDist() { return nullptr; }
CVariable* FnDistX() { return nullptr; }
CVariable* FnDistY() { return nullptr; }
CVariable* FnDistZ() { return nullptr; }
CVariable* FnMid() { return nullptr; }
CVariable* FnMidX() { return nullptr; }
CVariable* FnMidY() { return nullptr; }
CVariable* FnMidZ() { return nullptr; }
CVariable* FnPolar() { return nullptr; }
CVariable* FnFromTo() { return nullptr; }
CVariable* FnGetAngle() { return nullptr; }
CVariable* FnGetX() { return nullptr; }
CVariable* FnGetY() { return nullptr; }
CVariable* FnGetZ() { return nullptr; }
CVariable* FnSetX() { return nullptr; }
CVariable* FnSetY() { return nullptr; }
CVariable* FnSetZ() { return nullptr; }
CVariable* FnSetPt() { return nullptr; }

CVariable* FnHide() { return nullptr; }
CVariable* FnShow() { return nullptr; }
CVariable* FnSetText() { return nullptr; }
CVariable* FnQueryText() { return nullptr; }
CVariable* FnSetRadius() { return nullptr; }
CVariable* FnSetDia() { return nullptr; }
CVariable* FnQueryRadius() { return nullptr; }
CVariable* FnQueryDia() { return nullptr; }
CVariable* FnQueryDim() { return nullptr; }
CVariable* FnGetEnt() { return nullptr; }
CVariable* FnGetEnts() { return nullptr; }
CVariable* FnGetFence() { return nullptr; }
CVariable* FnGetPoint() { return nullptr; }

CVariable* FnQueryPt() { return nullptr; }
CVariable* FnMovePtBy() { return nullptr; }
CVariable* FnMovePts() { return nullptr; }
CVariable* FnMovePtTo() { return nullptr; }

CVariable* FnMoveGripBy() { return nullptr; }
CVariable* FnMoveGripTo() { return nullptr; }
CVariable* FnMoveThisGripTo() { return nullptr; }
