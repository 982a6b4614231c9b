#include <cinttypes>
#include <cmath>
#include <cstdio>
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

void write(const LispValue& v, bool princ, std::string& out) {
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
    case LispValue::Kind::List: {
        out += '(';
        const auto& items = v.items();
        for (size_t i = 0; i < items.size(); ++i) {
            if (i) out += (v.dotted() && i + 1 == items.size()) ? " . " : " ";
            write(items[i], princ, out);
        }
        out += ')';
        break;
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
    v.m_text = std::move(s);
    return v;
}

LispValue LispValue::symbol(const std::string& name) {
    std::string key = lower(name);
    if (key == "nil") return LispValue();
    if (key == "t") return t();
    LispValue v;
    v.m_kind = Kind::Sym;
    v.m_text = std::move(key);
    return v;
}

LispValue LispValue::list(std::vector<LispValue> items, bool dotted) {
    if (dotted && !items.empty()) {
        LispValue tail = std::move(items.back());
        items.pop_back();
        if (items.empty()) return tail;
        if (tail.isNil()) {
            dotted = false;
        } else if (tail.isList()) {
            dotted = tail.m_dotted;
            for (auto& item : tail.m_items) items.push_back(std::move(item));
        } else {
            items.push_back(std::move(tail));
        }
    } else {
        dotted = false;
    }
    if (items.empty()) return LispValue();
    LispValue v;
    v.m_kind = Kind::List;
    v.m_items = std::move(items);
    v.m_dotted = dotted;
    return v;
}

LispValue LispValue::ename(const int64_t name[2], bool pickSet) {
    LispValue v;
    v.m_kind = pickSet ? Kind::PickSet : Kind::Ename;
    v.m_name[0] = name[0];
    v.m_name[1] = name[1];
    return v;
}

bool LispValue::isPoint() const {
    if (m_kind != Kind::List || m_dotted) return false;
    if (m_items.size() != 2 && m_items.size() != 3) return false;
    for (const auto& item : m_items)
        if (!item.isNumber()) return false;
    return true;
}

std::string LispValue::toString(bool princ) const {
    std::string out;
    write(*this, princ, out);
    return out;
}

bool LispValue::operator==(const LispValue& o) const {
    if (m_kind != o.m_kind) return false;
    switch (m_kind) {
    case Kind::Nil:
    case Kind::T: return true;
    case Kind::Int: return m_int == o.m_int;
    case Kind::Real: return m_real == o.m_real;
    case Kind::Str:
    case Kind::Sym: return m_text == o.m_text;
    case Kind::List: return m_dotted == o.m_dotted && m_items == o.m_items;
    case Kind::Ename:
    case Kind::PickSet: return m_name[0] == o.m_name[0] && m_name[1] == o.m_name[1];
    }
    return false;
}
