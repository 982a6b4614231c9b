#include <cstdint>
#include "ed/lisp.h"
#include "ed/lispfuncs.h"
#include "rx/print.h"

namespace {
std::string lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Integer arithmetic wraps around at 32 bits.
int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

LispResult arithmetic(char op, const std::vector<LispValue>& args) {
    for (const auto& a : args)
        if (!a.isNumber()) return LispResult::failure("bad argument type: numberp: " + a.toString());
    if (args.empty()) return LispResult::success(LispValue::integer(op == '*' ? 1 : 0));
    LispValue acc = args[0];
    if (args.size() == 1) {
        if (op != '-') return LispResult::success(acc);
        if (acc.kind() == LispValue::Kind::Int)
            return LispResult::success(LispValue::integer(wrap(-static_cast<int64_t>(acc.intValue()))));
        return LispResult::success(LispValue::real(-acc.number()));
    }
    // Left to right: integers until the first real, as AutoCAD does ((/ 7 2 1.0) is 3.0).
    for (size_t i = 1; i < args.size(); ++i) {
        const LispValue& b = args[i];
        if (acc.kind() == LispValue::Kind::Int && b.kind() == LispValue::Kind::Int) {
            const int64_t x = acc.intValue(), y = b.intValue();
            int64_t r = 0;
            switch (op) {
            case '+': r = x + y; break;
            case '-': r = x - y; break;
            case '*': r = x * y; break;
            default:
                if (y == 0) return LispResult::failure("divide by zero");
                r = x / y;  // INT_MIN / -1 wraps back to INT_MIN
            }
            acc = LispValue::integer(wrap(r));
        } else {
            const double x = acc.number(), y = b.number();
            double r = 0.0;
            switch (op) {
            case '+': r = x + y; break;
            case '-': r = x - y; break;
            case '*': r = x * y; break;
            default:
                if (y == 0.0) return LispResult::failure("divide by zero");
                r = x / y;
            }
            acc = LispValue::real(r);
        }
    }
    return LispResult::success(acc);
}

LispResult tooFew() { return LispResult::failure("too few arguments"); }
LispResult tooMany() { return LispResult::failure("too many arguments"); }

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

// Special forms: their arguments are not evaluated first.
bool isSpecialForm(const std::string& name) {
    return name == "quote" || name == "setq" || name == "if" || name == "progn";
}

// A call to a module's function: arguments as a result-buffer chain, its answer back as a value.
LispResult callModule(const std::string& name, const std::vector<LispValue>& args) {
    std::string error;
    resbuf* chain = lispToResbuf(args, &error);
    if (!chain && !error.empty()) return LispResult::failure(error);
    AcedCallResult r = acedHostInvoke(name.c_str(), chain);
    acutRelRb(chain);
    if (!r.ok) {
        acutRelRb(r.value);
        return LispResult::failure(r.error);
    }
    if (!r.value) return LispResult::success(LispValue());
    if (r.value->restype == RTVOID) {
        acutRelRb(r.value);
        return LispResult::success(LispValue(), true);
    }
    std::vector<LispValue> values;
    const bool ok = lispFromResbuf(r.value, values, &error);
    acutRelRb(r.value);
    if (!ok) return LispResult::failure(LispValue::symbol(name).toString() + ": " + error);
    return LispResult::success(values.empty() ? LispValue() : values.front());
}
}  // namespace

LispResult LispResult::success(LispValue v, bool quiet) {
    LispResult r;
    r.value = std::move(v);
    r.quiet = quiet;
    return r;
}

LispResult LispResult::failure(std::string message) {
    LispResult r;
    r.ok = false;
    r.error = std::move(message);
    return r;
}

LispEvaluator::LispEvaluator() {
    m_globals["pi"] = LispValue::real(3.14159265358979323846);
    m_builtins["list"] = [](LispEvaluator&, const std::vector<LispValue>& args) {
        return LispResult::success(LispValue::list(args));
    };
    m_builtins["cons"] = [](LispEvaluator&, const std::vector<LispValue>& args) {
        if (args.size() < 2) return tooFew();
        if (args.size() > 2) return tooMany();
        return LispResult::success(LispValue::cons(args[0], args[1]));
    };
    for (char op : std::string("+-*/"))
        m_builtins[std::string(1, op)] = [op](LispEvaluator&, const std::vector<LispValue>& args) {
            return arithmetic(op, args);
        };
    m_builtins["strcat"] = [](LispEvaluator&, const std::vector<LispValue>& args) {
        LispText s;
        for (const auto& a : args) {
            if (a.kind() != LispValue::Kind::Str)
                return LispResult::failure("bad argument type: stringp " + a.toString());
            if (!s.append(a.text())) return LispResult::failure(LispText::tooLongError());
        }
        return LispResult::success(s.take());
    };
    m_builtins["princ"] = [](LispEvaluator& ev, const std::vector<LispValue>& args) {
        if (args.empty()) return LispResult::success(LispValue(), true);
        if (args.size() > 2) return tooMany();
        // Only the screen is supported as the destination.
        if (args.size() == 2 && !args[1].isNil())
            return LispResult::failure("bad argument type: filep " + args[1].toString());
        ev.print(args[0].toString(true));
        return LispResult::success(args[0]);
    };
    m_builtins["prompt"] = [](LispEvaluator& ev, const std::vector<LispValue>& args) {
        if (args.empty()) return tooFew();
        if (args.size() > 1) return tooMany();
        if (args[0].kind() != LispValue::Kind::Str)
            return LispResult::failure("bad argument type: stringp " + args[0].toString());
        ev.print(args[0].text());
        return LispResult::success(LispValue());
    };
}

void LispEvaluator::setPrintSink(PrintSink sink) { m_sink = std::move(sink); }

void LispEvaluator::print(const std::string& text) const {
    if (m_sink) m_sink(text);
    else acutPrintf("%s", text.c_str());
}

void LispEvaluator::defineBuiltin(const std::string& name, LispBuiltin fn) {
    if (fn) m_builtins[lower(name)] = std::move(fn);
    else m_builtins.erase(lower(name));
}

bool LispEvaluator::isFunction(const std::string& name) const {
    const std::string key = lower(name);
    return isSpecialForm(key) || acedHostFindDefun(key.c_str()) || m_builtins.count(key) != 0;
}

LispValue LispEvaluator::variable(const std::string& name) const {
    auto it = m_globals.find(lower(name));
    return it == m_globals.end() ? LispValue() : it->second;
}

void LispEvaluator::setVariable(const std::string& name, LispValue value) {
    const std::string key = lower(name);
    if (key == "nil" || key == "t") return;
    if (value.isNil()) m_globals.erase(key);
    else m_globals[key] = std::move(value);
}

LispResult LispEvaluator::evaluate(const std::string& text) {
    LispReadResult read = LispReader::read(text);
    if (!read.ok) return LispResult::failure(read.error);
    LispResult last = LispResult::success(LispValue(), read.forms.empty());
    for (const auto& form : read.forms) {
        last = eval(form);
        if (!last.ok) return last;
    }
    return last;
}

LispResult LispEvaluator::eval(const LispValue& form) {
    if (m_depth >= kMaxDepth) return LispResult::failure("expression nested too deeply");
    DepthGuard guard(m_depth);
    switch (form.kind()) {
    case LispValue::Kind::Sym: return LispResult::success(variable(form.text()));
    case LispValue::Kind::List: return evalList(form);
    default: return LispResult::success(form);
    }
}

LispResult LispEvaluator::specialForm(const std::string& op, const LispValue& form) {
    const std::vector<LispValue> items = form.items();
    const size_t argc = items.size() - 1;
    if (op == "quote") {
        if (argc < 1) return tooFew();
        if (argc > 1) return tooMany();
        return LispResult::success(items[1]);
    }
    if (op == "setq") {
        if (argc == 0 || argc % 2) return tooFew();
        LispResult last;
        for (size_t i = 1; i < items.size(); i += 2) {
            const LispValue& target = items[i];
            if (target.isNil() || target.kind() == LispValue::Kind::T)
                return LispResult::failure("attempt to set constant: " + target.toString());
            if (target.kind() != LispValue::Kind::Sym)
                return LispResult::failure("bad argument type: symbolp " + target.toString());
            last = eval(items[i + 1]);
            if (!last.ok) return last;
            setVariable(target.text(), last.value);
            last.quiet = false;
        }
        return last;
    }
    if (op == "if") {
        if (argc < 2) return tooFew();
        if (argc > 3) return tooMany();
        LispResult test = eval(items[1]);
        if (!test.ok) return test;
        if (!test.value.isNil()) return eval(items[2]);
        return argc == 3 ? eval(items[3]) : LispResult::success(LispValue());
    }
    if (op == "progn") {
        LispResult last = LispResult::success(LispValue());
        for (size_t i = 1; i < items.size(); ++i) {
            last = eval(items[i]);
            if (!last.ok) return last;
        }
        return last;
    }
    return LispResult::failure("bad function: " + op);
}

LispResult LispEvaluator::evalList(const LispValue& form) {
    if (form.dotted()) return LispResult::failure("bad function call: " + form.toString());
    const LispValue& head = form.first();
    if (head.kind() != LispValue::Kind::Sym) return LispResult::failure("bad function: " + head.toString());
    const std::string& name = head.text();
    if (isSpecialForm(name)) return specialForm(name, form);
    if (!acedHostFindDefun(name.c_str()) && !m_builtins.count(name))
        return LispResult::failure("no function definition: " + head.toString());
    std::vector<LispValue> args;
    args.reserve(form.length() - 1);
    for (const LispValue* arg = &form.rest(); arg->isList(); arg = &arg->rest()) {
        LispResult r = eval(arg->first());
        if (!r.ok) return r;
        args.push_back(std::move(r.value));
    }
    return invoke(name, args);
}

LispResult LispEvaluator::invoke(const std::string& name, const std::vector<LispValue>& args) {
    const std::string key = lower(name);
    if (acedHostFindDefun(key.c_str())) return callModule(key, args);
    auto it = m_builtins.find(key);
    if (it != m_builtins.end()) {
        // A copy: the builtin may redefine itself.
        LispBuiltin fn = it->second;
        return fn(*this, args);
    }
    std::string shown = key;
    for (char& c : shown)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (isSpecialForm(key)) return LispResult::failure("bad function: " + shown);
    return LispResult::failure("no function definition: " + shown);
}
