#include <climits>
#include <cstring>
#include "ed/lisp.h"

namespace {
class ChainBuilder {
public:
    ~ChainBuilder() { acutRelRb(m_head); }
    resbuf* release() {
        resbuf* head = m_head;
        m_head = m_tail = nullptr;
        return head;
    }

    // Lists open with RTLB and close with RTLE (RTDOTE before a dotted tail), nested without
    // recursion: open holds what is left of each list being written.
    bool append(const LispValue& v, std::string& error) {
        static const LispValue nil;
        std::vector<const LispValue*> open;
        const LispValue* item = &v;
        for (;;) {
            if (item && !appendItem(*item, open, error)) return false;
            item = nullptr;
            if (open.empty()) return true;
            const LispValue*& rest = open.back();
            if (rest->isList()) {
                item = &rest->first();
                rest = &rest->rest();
            } else if (!rest->isNil()) {
                add(RTDOTE);
                item = rest;
                rest = &nil;
            } else {
                add(RTLE);
                open.pop_back();
            }
        }
    }

private:
    // A list shares its parts, so a short one can stand for a chain of any size: the chain is
    // bounded in bytes.
    static constexpr size_t kMaxBytes = size_t(16) << 20;

    resbuf* add(int type) {
        m_bytes += sizeof(resbuf);
        resbuf* rb = acutNewRb(type);
        if (m_tail) m_tail->rbnext = rb;
        else m_head = rb;
        m_tail = rb;
        return rb;
    }

    bool appendItem(const LispValue& v, std::vector<const LispValue*>& open, std::string& error) {
        using K = LispValue::Kind;
        if (m_bytes > kMaxBytes || v.text().size() > kMaxBytes - m_bytes) {
            error = "value too large to pass: more than " + std::to_string(kMaxBytes) + " bytes";
            return false;
        }
        switch (v.kind()) {
        case K::Nil: add(RTNIL); return true;
        case K::T: add(RTT); return true;
        case K::Int:
            if (v.intValue() >= SHRT_MIN && v.intValue() <= SHRT_MAX)
                add(RTSHORT)->resval.rint = static_cast<short>(v.intValue());
            else
                add(RTLONG)->resval.rlong = v.intValue();
            return true;
        case K::Real: add(RTREAL)->resval.rreal = v.number(); return true;
        case K::Str:
            m_bytes += v.text().size() + 1;
            add(RTSTR)->resval.rstring = strdup(v.text().c_str());
            return true;
        case K::Ename:
        case K::PickSet: {
            resbuf* rb = add(v.kind() == K::Ename ? RTENAME : RTPICKS);
            rb->resval.rlname[0] = v.name()[0];
            rb->resval.rlname[1] = v.name()[1];
            return true;
        }
        case K::Sym: error = "bad argument type: symbol " + v.toString() + " cannot be passed"; return false;
        case K::List: break;
        }
        if (v.isPoint()) {
            resbuf* rb = add(v.length() == 2 ? RTPOINT : RT3DPOINT);
            int i = 0;
            for (const LispValue* p = &v; p->isList(); p = &p->rest()) rb->resval.rpoint[i++] = p->first().number();
            return true;
        }
        add(RTLB);
        open.push_back(&v);
        return true;
    }

    resbuf* m_head = nullptr;
    resbuf* m_tail = nullptr;
    size_t m_bytes = 0;
};

LispValue point(const resbuf* rb, int count) {
    std::vector<LispValue> items;
    for (int i = 0; i < count; ++i) items.push_back(LispValue::real(rb->resval.rpoint[i]));
    return LispValue::list(std::move(items));
}

// A DXF group as (code . value), or (code x y z) for points.
bool groupValue(const resbuf* rb, LispValue& out, std::string& error) {
    const int code = rb->restype == RTDXF0 ? 0 : rb->restype;
    const int kind = cadhost::rx::resbufKind(rb->restype);
    LispValue value;
    switch (kind) {
    case RTSTR: value = LispValue::string(rb->resval.rstring ? rb->resval.rstring : ""); break;
    case RTREAL: value = LispValue::real(rb->resval.rreal); break;
    case RTSHORT: value = LispValue::integer(rb->resval.rint); break;
    case RTLONG: value = LispValue::integer(rb->resval.rlong); break;
    case RTENAME: value = LispValue::ename(rb->resval.rlname); break;
    case RT3DPOINT: {
        std::vector<LispValue> items{LispValue::integer(code)};
        for (double c : rb->resval.rpoint) items.push_back(LispValue::real(c));
        out = LispValue::list(std::move(items));
        return true;
    }
    default: error = "unsupported result type " + std::to_string(rb->restype); return false;
    }
    out = LispValue::list({LispValue::integer(code), value}, true);
    return true;
}

bool atomValue(const resbuf* rb, LispValue& out, std::string& error) {
    switch (rb->restype) {
    case RTREAL:
    case RTANG:
    case RTORINT: out = LispValue::real(rb->resval.rreal); return true;
    case RTSHORT: out = LispValue::integer(rb->resval.rint); return true;
    case RTLONG: out = LispValue::integer(rb->resval.rlong); return true;
    case RTSTR: out = LispValue::string(rb->resval.rstring ? rb->resval.rstring : ""); return true;
    case RTPOINT: out = point(rb, 2); return true;
    case RT3DPOINT: out = point(rb, 3); return true;
    case RTENAME: out = LispValue::ename(rb->resval.rlname); return true;
    case RTPICKS: out = LispValue::ename(rb->resval.rlname, true); return true;
    case RTNIL:
    case RTVOID: out = LispValue(); return true;
    case RTT: out = LispValue::t(); return true;
    default: break;
    }
    if (rb->restype == RTDXF0 || (rb->restype < 5000 && acdbGroupCodeToType(rb->restype) != RTNONE))
        return groupValue(rb, out, error);
    error = "unsupported result type " + std::to_string(rb->restype);
    return false;
}

struct Level {
    std::vector<LispValue> items;
    bool dotted = false;
    size_t tailAt = 0;  // index of the item after RTDOTE
    bool tailComplete() const { return items.size() == tailAt + 1; }
};

// Parses a chain into its top-level items; RTDOTE is allowed at the top only with allowTopDote.
bool parseChain(const resbuf* chain, Level& top, bool allowTopDote, std::string& error) {
    std::vector<Level> stack(1);
    for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
        Level& cur = stack.back();
        if (rb->restype == RTLB) {
            stack.emplace_back();
            continue;
        }
        if (rb->restype == RTLE) {
            if (stack.size() == 1) {
                error = "malformed list: RTLE without RTLB";
                return false;
            }
            if (cur.dotted && !cur.tailComplete()) {
                error = "malformed list: nothing after RTDOTE";
                return false;
            }
            LispValue list = LispValue::list(std::move(cur.items), cur.dotted);
            stack.pop_back();
            stack.back().items.push_back(std::move(list));
            continue;
        }
        if (rb->restype == RTDOTE) {
            if (cur.items.empty() || cur.dotted || (stack.size() == 1 && !allowTopDote)) {
                error = "malformed list: misplaced RTDOTE";
                return false;
            }
            cur.dotted = true;
            cur.tailAt = cur.items.size();
            continue;
        }
        if (cur.dotted && cur.items.size() > cur.tailAt) {
            error = "malformed list: more than one item after RTDOTE";
            return false;
        }
        LispValue v;
        if (!atomValue(rb, v, error)) return false;
        cur.items.push_back(std::move(v));
    }
    if (stack.size() != 1) {
        error = "malformed list: RTLB without RTLE";
        return false;
    }
    if (stack.back().dotted && !stack.back().tailComplete()) {
        error = "malformed list: nothing after RTDOTE";
        return false;
    }
    top = std::move(stack.back());
    return true;
}
}  // namespace

resbuf* lispToResbuf(const std::vector<LispValue>& args, std::string* error) {
    ChainBuilder chain;
    std::string message;
    for (const auto& arg : args) {
        if (!chain.append(arg, message)) {
            if (error) *error = message;
            return nullptr;
        }
    }
    return chain.release();
}

resbuf* lispToResbuf(const LispValue& value, std::string* error) {
    return lispToResbuf(std::vector<LispValue>{value}, error);
}

bool lispFromResbuf(const resbuf* chain, std::vector<LispValue>& out, std::string* error) {
    Level top;
    std::string message;
    if (!parseChain(chain, top, false, message)) {
        if (error) *error = message;
        return false;
    }
    out = std::move(top.items);
    return true;
}

bool lispListFromResbuf(const resbuf* chain, LispValue& out, std::string* error) {
    // One RTLB whose RTLE ends the chain: that list itself.
    bool single = chain && chain->restype == RTLB;
    if (single) {
        int depth = 0;
        for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
            if (rb->restype == RTLB) ++depth;
            else if (rb->restype == RTLE) --depth;
            if (depth == 0 && rb->rbnext) {
                single = false;
                break;
            }
        }
    }
    Level top;
    std::string message;
    if (!parseChain(chain, top, !single, message)) {
        if (error) *error = message;
        return false;
    }
    if (single) out = top.items.empty() ? LispValue() : std::move(top.items.front());
    else out = LispValue::list(std::move(top.items), top.dotted);
    return true;
}
