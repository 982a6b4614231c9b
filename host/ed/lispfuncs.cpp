#include "ed/lispfuncs.h"
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <utility>
#include <vector>
#include "db/hostinternal.h"
#include "ed/lisp.h"
#include "rx/dynlinker.h"

namespace {
struct Frame {
    int code = 0;
    resbuf* args = nullptr;    // host-owned copy
    resbuf* result = nullptr;  // one value
    bool failed = false;
    std::string failure;
    ~Frame() {
        acutRelRb(args);
        acutRelRb(result);
    }
    void setResult(resbuf* value) {
        acutRelRb(result);
        result = value;
    }
};

struct State {
    std::map<std::string, AcedDefunInfo> defuns;  // by lower-case name
    std::map<std::pair<void*, int>, int (*)()> handlers;
    AcedLispDispatcher dispatcher;
    void* current = nullptr;
    std::vector<Frame*> frames;
};

State& state() {
    static State s;
    return s;
}

Frame* frame() { return state().frames.empty() ? nullptr : state().frames.back(); }

std::string lower(const char* s) {
    std::string out = s ? s : "";
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}
std::string upper(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool callableName(const char* name) {
    if (!name || !*name) return false;
    for (const char* p = name; *p; ++p)
        if (std::strchr(" \t\r\n()'\";", *p)) return false;
    return true;
}

int setResult(resbuf* value) {
    Frame* f = frame();
    if (!f) {
        acutRelRb(value);
        return RTERROR;
    }
    f->setResult(value);
    return RTNORM;
}

class FrameScope {
public:
    explicit FrameScope(Frame* f) { state().frames.push_back(f); }
    ~FrameScope() { state().frames.pop_back(); }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;
};
}  // namespace

int acedDefun(const char* name, int functionCode) {
    if (!callableName(name) || functionCode < 0) return RTERROR;
    state().defuns[lower(name)] = AcedDefunInfo{name, state().current, functionCode};
    return RTNORM;
}

int acedUndef(const char* name, int functionCode) {
    if (!name) return RTERROR;
    auto& defuns = state().defuns;
    auto it = defuns.find(lower(name));
    if (it == defuns.end() || it->second.module != state().current ||
        it->second.functionCode != functionCode)
        return RTERROR;
    defuns.erase(it);
    return RTNORM;
}

int acedRegFunc(int (*handler)(), int functionCode) {
    if (functionCode < 0) return RTERROR;
    const auto key = std::make_pair(state().current, functionCode);
    if (handler) state().handlers[key] = handler;
    else state().handlers.erase(key);
    return RTNORM;
}

int acedGetFunCode() {
    Frame* f = frame();
    return f ? f->code : RTERROR;
}

resbuf* acedGetArgs() {
    Frame* f = frame();
    return f && f->args ? cadhost::rx::copyResbufChain(f->args) : nullptr;
}

int acedRetVoid() { return setResult(acutNewRb(RTVOID)); }
int acedRetNil() { return setResult(acutNewRb(RTNIL)); }
int acedRetT() { return setResult(acutNewRb(RTT)); }

int acedRetReal(double value) {
    resbuf* rb = acutNewRb(RTREAL);
    rb->resval.rreal = value;
    return setResult(rb);
}

int acedRetInt(int value) {
    resbuf* rb = acutNewRb(RTLONG);
    rb->resval.rlong = value;
    return setResult(rb);
}

int acedRetStr(const char* text) {
    resbuf* rb = acutNewRb(RTSTR);
    rb->resval.rstring = strdup(text ? text : "");
    return setResult(rb);
}

int acedRetPoint(const ads_point point) {
    if (!point) return RTERROR;
    resbuf* rb = acutNewRb(RT3DPOINT);
    for (int i = 0; i < 3; ++i) rb->resval.rpoint[i] = point[i];
    return setResult(rb);
}

int acedRetList(const resbuf* chain) {
    if (!frame()) return RTERROR;
    LispValue checked;
    if (!lispListFromResbuf(chain, checked)) return RTERROR;
    if (checked.isNil()) return setResult(acutNewRb(RTNIL));
    // Stored as one bracketed list (see lispListFromResbuf), so numbers keep their types.
    resbuf* copy = cadhost::rx::copyResbufChain(chain);
    if (checked.isList() && chain->restype == RTLB) {
        int depth = 0;
        const resbuf* rb = chain;
        for (; rb; rb = rb->rbnext) {
            if (rb->restype == RTLB) ++depth;
            else if (rb->restype == RTLE) --depth;
            if (depth == 0) break;
        }
        if (rb && !rb->rbnext) return setResult(copy);
    }
    resbuf* head = acutNewRb(RTLB);
    head->rbnext = copy;
    resbuf* tail = head;
    while (tail->rbnext) tail = tail->rbnext;
    tail->rbnext = acutNewRb(RTLE);
    return setResult(head);
}

int acedRetVal(const resbuf* value) {
    if (!value || !frame()) return RTERROR;
    if (value->restype == RTLB || value->restype == RTLE || value->restype == RTDOTE) return RTERROR;
    resbuf* one = cadhost::rx::copyResbufChain(value);
    acutRelRb(one->rbnext);
    one->rbnext = nullptr;
    return setResult(one);
}

int acdbFail(const char* message) {
    Frame* f = frame();
    if (!f) return RTERROR;
    f->failed = true;
    f->failure = message ? message : "";
    return RTNORM;
}

void acedHostSetDispatcher(AcedLispDispatcher dispatcher) { state().dispatcher = std::move(dispatcher); }

void* acedHostSetCurrentModule(void* module) { return std::exchange(state().current, module); }

void* acedHostCurrentModule() { return state().current; }

bool acedHostFindDefun(const char* name, AcedDefunInfo* info) {
    if (!name) return false;
    auto it = state().defuns.find(lower(name));
    if (it == state().defuns.end()) return false;
    if (info) *info = it->second;
    return true;
}

void acedHostUndefModule(void* module) {
    auto& defuns = state().defuns;
    for (auto it = defuns.begin(); it != defuns.end();) {
        if (it->second.module == module) it = defuns.erase(it);
        else ++it;
    }
    auto& handlers = state().handlers;
    for (auto it = handlers.begin(); it != handlers.end();) {
        if (it->first.first == module) it = handlers.erase(it);
        else ++it;
    }
}

void acedHostUndefAll() {
    state().defuns.clear();
    state().handlers.clear();
}

AcedCallResult acedHostInvoke(const char* name, const resbuf* args) {
    AcedCallResult out;
    AcedDefunInfo info;
    if (!acedHostFindDefun(name, &info)) {
        out.error = "no function definition: " + upper(name ? name : "");
        return out;
    }
    // Copies taken now: the handler may undefine itself or register others.
    int (*handler)() = nullptr;
    auto h = state().handlers.find({info.module, info.functionCode});
    if (h != state().handlers.end()) handler = h->second;
    AcedLispDispatcher dispatcher = state().dispatcher;
    if (!handler && !dispatcher) {
        out.error = "no handler for function " + upper(info.name);
        return out;
    }

    Frame f;
    f.code = info.functionCode;
    f.args = cadhost::rx::copyResbufChain(args);
    int rc = RTERROR;
    {
        FrameScope scope(&f);
        AcedModuleScope module(info.module);
        try {
            rc = handler ? handler() : dispatcher(info.module, info.functionCode);
        } catch (const std::exception& e) {
            f.failed = true;
            f.failure = upper(info.name) + ": " + e.what();
        } catch (...) {
            f.failed = true;
            f.failure = upper(info.name) + ": unknown exception";
        }
    }
    if (f.failed) {
        out.error = f.failure.empty() ? upper(info.name) + " failed" : f.failure;
        return out;
    }
    if (rc != RTNORM && rc != RSRSLT && rc != AcRx::kRetOK) {
        out.error = upper(info.name) + " failed";
        return out;
    }
    out.ok = true;
    out.value = std::exchange(f.result, nullptr);
    return out;
}
