#include <charconv>
#include <cstring>
#include "db/dxffiler.h"

using cadhost::dxf::kindOfGroupCode;
using cadhost::dxf::ValueKind;

bool AcDbDxfGroup::operator==(const AcDbDxfGroup& o) const {
    if (code != o.code || type != o.type) return false;
    switch (type) {
    case kString:
    case kBinary:
        return text == o.text;
    case kReal:
        return xyz[0] == o.xyz[0];
    case kPoint2d:
        return xyz[0] == o.xyz[0] && xyz[1] == o.xyz[1];
    case kPoint3d:
        return xyz[0] == o.xyz[0] && xyz[1] == o.xyz[1] && xyz[2] == o.xyz[2];
    case kInt:
    case kHandle:
        return integer == o.integer;  // handles compare across databases
    }
    return false;
}

AcDbDxfMemoryFiler::AcDbDxfMemoryFiler(AcDbDatabase* db, AcDb::FilerType type) : AcDbDxfFilerBase(db, type) {}

AcDbDxfMemoryFiler::~AcDbDxfMemoryFiler() = default;

std::string AcDbDxfMemoryFiler::position() const { return m_cursor ? "group " + std::to_string(m_cursor) : std::string(); }

void AcDbDxfMemoryFiler::putString(int code, std::string_view value) {
    AcDbDxfGroup& g = m_groups.emplace_back();
    g.code = code;
    g.type = AcDbDxfGroup::kString;
    g.text.assign(value.data(), value.size());
}

void AcDbDxfMemoryFiler::putDouble(int code, double value, int) {
    AcDbDxfGroup& g = m_groups.emplace_back();
    g.code = code;
    g.type = AcDbDxfGroup::kReal;
    g.xyz[0] = value;
}

void AcDbDxfMemoryFiler::putPoint(int code, const double* xyz, int dims, int) {
    if (!isPointCode(code)) {
        // A point under a code that is no point code is spread over code, code+10, code+20,
        // exactly as the file filer writes it, so readers see the same items either way.
        for (int i = 0; i < dims; ++i) {
            AcDbDxfGroup& c = m_groups.emplace_back();
            c.code = code + 10 * i;
            c.type = AcDbDxfGroup::kReal;
            c.xyz[0] = xyz[i];
        }
        return;
    }
    AcDbDxfGroup& g = m_groups.emplace_back();
    g.code = code;
    g.type = dims == 2 ? AcDbDxfGroup::kPoint2d : AcDbDxfGroup::kPoint3d;
    for (int i = 0; i < 3; ++i) g.xyz[i] = i < dims ? xyz[i] : 0.0;
}

void AcDbDxfMemoryFiler::putInt(int code, int64_t value) {
    AcDbDxfGroup& g = m_groups.emplace_back();
    g.code = code;
    g.type = AcDbDxfGroup::kInt;
    g.integer = value;
}

void AcDbDxfMemoryFiler::putHandle(int code, uint64_t handle, AcDbDatabase* db) {
    AcDbDxfGroup& g = m_groups.emplace_back();
    g.code = code;
    g.type = AcDbDxfGroup::kHandle;
    g.integer = static_cast<int64_t>(handle);
    g.db = db;
}

void AcDbDxfMemoryFiler::putBinary(int code, const uint8_t* bytes, size_t length) {
    AcDbDxfGroup& g = m_groups.emplace_back();
    g.code = code;
    g.type = AcDbDxfGroup::kBinary;
    g.text.assign(reinterpret_cast<const char*>(bytes), length);
}

namespace {

// Numeric value of a group of any type, as a file would give it back.
double realOf(const AcDbDxfGroup& g) {
    switch (g.type) {
    case AcDbDxfGroup::kInt:
    case AcDbDxfGroup::kHandle:
        return static_cast<double>(g.integer);
    case AcDbDxfGroup::kString:
        return cadhost::dxf::parseDouble(g.text).value_or(0.0);
    default:
        return g.xyz[0];
    }
}

int64_t integerOf(const AcDbDxfGroup& g) {
    switch (g.type) {
    case AcDbDxfGroup::kInt:
    case AcDbDxfGroup::kHandle:
        return g.integer;
    case AcDbDxfGroup::kString:
        return cadhost::dxf::parseInt64(g.text).value_or(0);
    case AcDbDxfGroup::kBinary:
        return 0;
    default:
        return static_cast<int64_t>(g.xyz[0]);
    }
}

}  // namespace

// Items come by the kind of their group code, whatever call wrote them.
Acad::ErrorStatus AcDbDxfMemoryFiler::fetchItem(resbuf& item) {
    if (m_cursor >= m_groups.size()) return Acad::eEndOfFile;
    const AcDbDxfGroup& g = m_groups[m_cursor++];
    item.restype = static_cast<short>(g.code);
    item.rbnext = nullptr;
    switch (kindOfGroupCode(g.code)) {
    case ValueKind::String:
        if (g.type == AcDbDxfGroup::kString) {
            item.resval.rstring = const_cast<char*>(g.text.c_str());
        } else {
            char buf[40] = "";
            if (g.type == AcDbDxfGroup::kHandle) {
                AcDbHandle(static_cast<uint64_t>(g.integer)).getIntoAsciiBuffer(buf, sizeof buf);
            } else if (g.type == AcDbDxfGroup::kInt) {
                std::to_chars(buf, buf + sizeof buf - 1, g.integer);
            } else if (g.type != AcDbDxfGroup::kBinary) {
                std::to_chars(buf, buf + sizeof buf - 1, g.xyz[0]);
            }
            item.resval.rstring = keepString(buf);
        }
        break;
    case ValueKind::Double:
        if (isPointCode(g.code)) {
            for (int i = 0; i < 3; ++i) item.resval.rpoint[i] = g.type >= AcDbDxfGroup::kPoint2d && g.type <= AcDbDxfGroup::kPoint3d ? g.xyz[i] : (i ? 0.0 : realOf(g));
        } else {
            item.resval.rreal = realOf(g);
        }
        break;
    case ValueKind::Int16:
    case ValueKind::Bool:
        item.resval.rint = static_cast<short>(integerOf(g));
        if (g.type == AcDbDxfGroup::kReal) noteFetchedReal(g.xyz[0]);
        break;
    case ValueKind::Int32:
        item.resval.rlong = static_cast<int32_t>(integerOf(g));
        if (g.type == AcDbDxfGroup::kReal) noteFetchedReal(g.xyz[0]);
        break;
    case ValueKind::Int64:
        item.resval.rlname[0] = integerOf(g);
        break;
    case ValueKind::Handle: {
        uint64_t h = 0;
        if (g.type == AcDbDxfGroup::kString)
            h = cadhost::dxf::parseHandle(g.text).value_or(0);
        else
            h = static_cast<uint64_t>(integerOf(g));
        setHandleItem(item, h, g.type == AcDbDxfGroup::kHandle && g.db ? g.db : database());
        break;
    }
    case ValueKind::Binary:
        item.resval.rbinary.clen = static_cast<short>(std::min<size_t>(g.text.size(), 32767));
        item.resval.rbinary.buf = const_cast<char*>(g.text.data());
        break;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfMemoryFiler::replay(AcDbDxfFilerBase* target, size_t from) const {
    if (!target) return Acad::eNullObjectPointer;
    for (size_t i = from; i < m_groups.size(); ++i) {
        const AcDbDxfGroup& g = m_groups[i];
        switch (g.type) {
        case AcDbDxfGroup::kString:
            target->putString(g.code, g.text);
            break;
        case AcDbDxfGroup::kReal:
            target->putDouble(g.code, g.xyz[0], -1);
            break;
        case AcDbDxfGroup::kPoint2d:
            target->putPoint(g.code, g.xyz, 2, -1);
            break;
        case AcDbDxfGroup::kPoint3d:
            target->putPoint(g.code, g.xyz, 3, -1);
            break;
        case AcDbDxfGroup::kInt:
            target->putInt(g.code, g.integer);
            break;
        case AcDbDxfGroup::kHandle:
            target->putHandle(g.code, static_cast<uint64_t>(g.integer), g.db);
            break;
        case AcDbDxfGroup::kBinary:
            target->putBinary(g.code, reinterpret_cast<const uint8_t*>(g.text.data()), g.text.size());
            break;
        }
    }
    return target->filerStatus();
}

std::string AcDbDxfMemoryFiler::text() const {
    cadhost::dxf::TokenWriter w;
    AcDbDxfOutFiler out(w, database(), 16, false);
    replay(&out);
    return w.take();
}
