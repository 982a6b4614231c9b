#include <atomic>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>
#include "ed/lisp.h"

namespace {
std::string lower(const std::string& s) {
    std::string out = s;
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

void quoteString(const std::string& s, std::string& out) {
    out += '"';
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case 27: out += "\\e"; break;
        default:
            if (c < 32 || c == 127) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\%03o", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void writeAtom(const LispValue& v, bool princ, std::string& out) {
    switch (v.kind()) {
    case LispValue::Kind::Nil: out += "nil"; break;
    case LispValue::Kind::T: out += "T"; break;
    case LispValue::Kind::Int: out += std::to_string(v.intValue()); break;
    case LispValue::Kind::Real: out += lispFormatReal(v.number()); break;
    case LispValue::Kind::Str:
        if (princ) out += v.text();
        else quoteString(v.text(), out);
        break;
    case LispValue::Kind::Sym: out += upper(v.text()); break;
    case LispValue::Kind::Ename:
    case LispValue::Kind::PickSet: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "<%s: %" PRIx64 ">",
                      v.kind() == LispValue::Kind::Ename ? "Entity name" : "Selection set",
                      static_cast<uint64_t>(v.name()[0]));
        out += buf;
        break;
    }
    case LispValue::Kind::List: break;
    }
}

// Without recursion: open holds, for each list being written, what is left of it. Stops once
// the text passes kMaxText, so shared cells printed many times cost no more than that.
void write(const LispValue& v, bool princ, std::string& out) {
    static const LispValue nil;
    struct Open {
        const LispValue* rest;
        bool first;
    };
    std::vector<Open> open;
    const LispValue* item = &v;
    for (;;) {
        if (out.size() > LispValue::kMaxText) {
            out.resize(LispValue::kMaxText);
            out += "...";
            return;
        }
        if (item && item->isList()) {
            out += '(';
            open.push_back({item, true});
        } else if (item) {
            writeAtom(*item, princ, out);
        }
        item = nullptr;
        if (open.empty()) return;
        Open& o = open.back();
        if (o.rest->isList()) {
            if (!o.first) out += ' ';
            o.first = false;
            item = &o.rest->first();
            o.rest = &o.rest->rest();
        } else if (!o.rest->isNil()) {
            out += " . ";
            item = o.rest;
            o.rest = &nil;
        } else {
            out += ')';
            open.pop_back();
        }
    }
}
}  // namespace

std::string lispFormatReal(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    std::string s = buf;
    if (s.find_first_of(".") != std::string::npos) return s;
    const size_t e = s.find('e');
    if (e == std::string::npos) return s + ".0";
    return s.substr(0, e) + ".0" + s.substr(e);
}

struct LispValue::Cell {
    std::atomic<size_t> refs{1};
    LispValue first;
    LispValue rest;
    size_t length = 1;
    bool dotted = false;
};

void LispValue::release(Cell* cell) {
    if (!cell || cell->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    // Children whose last reference goes are taken out before their parent is deleted, so
    // that deleting a cell never recurses.
    std::vector<Cell*> pending;
    for (;;) {
        Cell* next = nullptr;
        for (LispValue* part : {&cell->first, &cell->rest}) {
            Cell* child = std::exchange(part->m_cell, nullptr);
            part->m_kind = Kind::Nil;
            if (!child || child->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) continue;
            if (next) pending.push_back(child);
            else next = child;
        }
        delete cell;
        if (!next && !pending.empty()) {
            next = pending.back();
            pending.pop_back();
        }
        if (!next) return;
        cell = next;
    }
}

LispValue::LispValue(const LispValue& o)
    : m_kind(o.m_kind), m_int(o.m_int), m_real(o.m_real), m_text(o.m_text), m_cell(o.m_cell) {
    m_name[0] = o.m_name[0];
    m_name[1] = o.m_name[1];
    if (m_cell) m_cell->refs.fetch_add(1, std::memory_order_relaxed);
}

LispValue::LispValue(LispValue&& o) noexcept
    : m_kind(std::exchange(o.m_kind, Kind::Nil)), m_int(o.m_int), m_real(o.m_real),
      m_text(std::move(o.m_text)), m_cell(std::exchange(o.m_cell, nullptr)) {
    m_name[0] = o.m_name[0];
    m_name[1] = o.m_name[1];
}

LispValue& LispValue::operator=(const LispValue& o) {
    if (this != &o) *this = LispValue(o);
    return *this;
}

LispValue& LispValue::operator=(LispValue&& o) noexcept {
    if (this == &o) return *this;
    // o may live in a cell that only this value keeps: take it over before letting go.
    Cell* old = std::exchange(m_cell, std::exchange(o.m_cell, nullptr));
    m_kind = std::exchange(o.m_kind, Kind::Nil);
    m_int = o.m_int;
    m_real = o.m_real;
    m_name[0] = o.m_name[0];
    m_name[1] = o.m_name[1];
    m_text = std::move(o.m_text);
    release(old);
    return *this;
}

LispValue::~LispValue() { release(m_cell); }

LispValue LispValue::t() {
    LispValue v;
    v.m_kind = Kind::T;
    return v;
}

LispValue LispValue::integer(int32_t i) {
    LispValue v;
    v.m_kind = Kind::Int;
    v.m_int = i;
    return v;
}

LispValue LispValue::real(double r) {
    LispValue v;
    v.m_kind = Kind::Real;
    v.m_real = r;
    return v;
}

LispValue LispValue::string(std::string s) {
    LispValue v;
    v.m_kind = Kind::Str;
    v.m_text = std::make_shared<const std::string>(std::move(s));
    return v;
}

LispValue LispValue::symbol(const std::string& name) {
    std::string key = lower(name);
    if (key == "nil") return LispValue();
    if (key == "t") return t();
    LispValue v;
    v.m_kind = Kind::Sym;
    v.m_text = std::make_shared<const std::string>(std::move(key));
    return v;
}

LispValue LispValue::list(std::vector<LispValue> items, bool dotted) {
    if (items.empty()) return LispValue();
    LispValue out;
    size_t n = items.size();
    if (dotted) out = std::move(items[--n]);
    while (n > 0) out = cons(std::move(items[--n]), std::move(out));
    return out;
}

LispValue LispValue::cons(LispValue first, LispValue rest) {
    auto* cell = new Cell;
    if (rest.isList()) {
        cell->length = rest.m_cell->length + 1;
        cell->dotted = rest.m_cell->dotted;
    } else if (!rest.isNil()) {
        cell->length = 2;
        cell->dotted = true;
    }
    cell->first = std::move(first);
    cell->rest = std::move(rest);
    LispValue v;
    v.m_kind = Kind::List;
    v.m_cell = cell;
    return v;
}

LispValue LispValue::ename(const int64_t name[2], bool pickSet) {
    LispValue v;
    v.m_kind = pickSet ? Kind::PickSet : Kind::Ename;
    v.m_name[0] = name[0];
    v.m_name[1] = name[1];
    return v;
}

const std::string& LispValue::text() const {
    static const std::string empty;
    return m_text ? *m_text : empty;
}

const LispValue& LispValue::first() const {
    static const LispValue nil;
    return m_cell ? m_cell->first : nil;
}

const LispValue& LispValue::rest() const {
    static const LispValue nil;
    return m_cell ? m_cell->rest : nil;
}

size_t LispValue::length() const { return m_cell ? m_cell->length : 0; }

bool LispValue::dotted() const { return m_cell && m_cell->dotted; }

std::vector<LispValue> LispValue::items() const {
    std::vector<LispValue> out;
    out.reserve(length());
    const LispValue* p = this;
    for (; p->isList(); p = &p->rest()) out.push_back(p->first());
    if (p != this && !p->isNil()) out.push_back(*p);
    return out;
}

bool LispValue::isPoint() const {
    if (!isList() || dotted() || (length() != 2 && length() != 3)) return false;
    for (const LispValue* p = this; p->isList(); p = &p->rest())
        if (!p->first().isNumber()) return false;
    return true;
}

std::string LispValue::toString(bool princ) const {
    std::string out;
    write(*this, princ, out);
    return out;
}

bool LispValue::operator==(const LispValue& o) const {
    // Pairs still to compare, without recursion. A pair of shared cells met again is not
    // compared again: each pair must match anyway, so lists sharing their parts many times
    // over compare in the time of their distinct parts.
    std::vector<std::pair<const LispValue*, const LispValue*>> work{{this, &o}};
    std::set<std::pair<const Cell*, const Cell*>> seen;
    while (!work.empty()) {
        const auto [a, b] = work.back();
        work.pop_back();
        if (a->m_kind != b->m_kind) return false;
        switch (a->m_kind) {
        case Kind::Nil:
        case Kind::T: break;
        case Kind::Int:
            if (a->m_int != b->m_int) return false;
            break;
        case Kind::Real:
            if (a->m_real != b->m_real) return false;
            break;
        case Kind::Str:
        case Kind::Sym:
            if (a->text() != b->text()) return false;
            break;
        case Kind::Ename:
        case Kind::PickSet:
            if (a->m_name[0] != b->m_name[0] || a->m_name[1] != b->m_name[1]) return false;
            break;
        case Kind::List: {
            const Cell* x = a->m_cell;
            const Cell* y = b->m_cell;
            if (x == y) break;
            if (x->length != y->length || x->dotted != y->dotted) return false;
            const bool shared = x->refs.load(std::memory_order_relaxed) > 1 &&
                                y->refs.load(std::memory_order_relaxed) > 1;
            if (shared && !seen.emplace(x, y).second) break;
            work.emplace_back(&x->rest, &y->rest);
            work.emplace_back(&x->first, &y->first);
            break;
        }
        }
    }
    return true;
}

bool LispText::append(std::string_view piece) {
    if (piece.size() > LispValue::kMaxText - m_text.size()) return false;
    m_text.append(piece);
    return true;
}

std::string LispText::tooLongError() {
    return "string too long: more than " + std::to_string(LispValue::kMaxText) + " characters";
}
