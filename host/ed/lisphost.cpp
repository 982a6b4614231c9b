#include "ed/lisphost.h"
#include <cstdlib>
#include "ed/lisp.h"
#include "ed/sysvar.h"

namespace {
LispResult argumentError(const LispValue& v) { return LispResult::failure("bad argument type: stringp " + v.toString()); }

LispResult getvar(LispEvaluator&, const std::vector<LispValue>& args) {
    if (args.size() != 1) return LispResult::failure(args.empty() ? "too few arguments" : "too many arguments");
    if (args[0].kind() != LispValue::Kind::Str) return argumentError(args[0]);
    resbuf rb;
    if (acedGetVar(args[0].text().c_str(), &rb) != RTNORM) return LispResult::success(LispValue());
    std::vector<LispValue> values;
    std::string error;
    bool ok = lispFromResbuf(&rb, values, &error);
    if (rb.restype == RTSTR) std::free(rb.resval.rstring);
    if (!ok || values.size() != 1) return LispResult::failure(error.empty() ? "bad variable value" : error);
    return LispResult::success(values[0]);
}

LispResult setvar(LispEvaluator&, const std::vector<LispValue>& args) {
    if (args.size() != 2) return LispResult::failure(args.size() < 2 ? "too few arguments" : "too many arguments");
    if (args[0].kind() != LispValue::Kind::Str) return argumentError(args[0]);
    std::string error;
    resbuf* rb = lispToResbuf(args[1], &error);
    if (!rb) return LispResult::failure(error.empty() ? "bad argument value" : error);
    int rc = rb->rbnext ? RTERROR : acedSetVar(args[0].text().c_str(), rb);
    acutRelRb(rb);
    if (rc != RTNORM)
        return LispResult::failure("variable setting rejected: " + args[0].toString() + " " + args[1].toString());
    return LispResult::success(args[1]);
}
}  // namespace

void acedHostInstallLispFunctions(LispEvaluator& evaluator) {
    evaluator.defineBuiltin("getvar", getvar);
    evaluator.defineBuiltin("setvar", setvar);
}
