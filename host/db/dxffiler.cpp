#include "db/dxffiler.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include "db/database.h"
#include "rx/rxclass.h"
#include "db/dxftext.h"

using cadhost::dxf::kindOfGroupCode;
using cadhost::dxf::Token;
using cadhost::dxf::ValueKind;

ACRX_HOST_DEFINE_MEMBERS(AcDbDxfFiler, AcRxObject, "", ACRX_NO_CONS)

AcDbDxfFiler::~AcDbDxfFiler() = default;

// --- AcDbDxfFilerBase ---

AcDbDxfFilerBase::~AcDbDxfFilerBase() = default;

void AcDbDxfFilerBase::resetFilerStatus() {
    m_status = Acad::eOk;
    m_unread.clear();
    m_message.clear();
    m_haveLast = false;
    m_pushedBack = false;
}

Acad::ErrorStatus AcDbDxfFilerBase::vsetError(Acad::ErrorStatus status, const char* format, va_list args) {
    char buffer[512];
    vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    std::string where = position();
    m_message = where.empty() ? std::string(buffer) : where + ": " + buffer;
    m_status = status;
    return status;
}

Acad::ErrorStatus AcDbDxfFilerBase::setError(Acad::ErrorStatus status, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsetError(status, format, args);
    va_end(args);
    return status;
}

Acad::ErrorStatus AcDbDxfFilerBase::setError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsetError(Acad::eDxfReadAborted, format, args);
    va_end(args);
    return Acad::eDxfReadAborted;
}

char* AcDbDxfFilerBase::keepString(std::string_view text) {
    std::string& s = m_text[m_buffer];
    s.assign(text.data(), text.size());
    return s.data();
}

char* AcDbDxfFilerBase::keepBytes(const uint8_t* bytes, size_t length) {
    return keepString(std::string_view(reinterpret_cast<const char*>(bytes), length));
}

void AcDbDxfFilerBase::setHandleItem(resbuf& item, uint64_t handle, AcDbDatabase* db) {
    item.resval.rlname[0] = static_cast<int64_t>(handle);
    item.resval.rlname[1] = reinterpret_cast<int64_t>(db);
    if (handle != 0 && db) {
        AcDbObjectId id;
        db->getAcDbObjectId(id, true, AcDbHandle(handle));
    }
}

Acad::ErrorStatus AcDbDxfFilerBase::readItem(resbuf* item) {
    if (!item) return Acad::eNullObjectPointer;
    if (m_pushedBack) {
        m_pushedBack = false;
        *item = m_last;
        return Acad::eOk;
    }
    if (m_status != Acad::eOk) return m_status;
    m_buffer ^= 1;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    if (!m_unread.empty()) {
        Unread& u = m_unread.back();
        rb = u.item;
        ValueKind kind = kindOfGroupCode(rb.restype);
        if (kind == ValueKind::String) rb.resval.rstring = keepString(u.text);
        if (kind == ValueKind::Binary) rb.resval.rbinary.buf = keepString(u.text);
        m_fetchedReal = u.real;
        m_fetchedRealValid = u.realValid;
        m_unread.pop_back();
    } else {
        m_fetchedRealValid = false;
        es = fetchItem(rb);
    }
    if (es != Acad::eOk) {
        m_haveLast = false;
        item->restype = -1;
        return es;
    }
    m_lastReal = m_fetchedReal;
    m_lastRealValid = m_fetchedRealValid;
    m_last = rb;
    m_haveLast = true;
    *item = rb;
    return Acad::eOk;
}

void AcDbDxfFilerBase::unreadItem(const resbuf& item) {
    auto keep = [this](const resbuf& rb) {
        Unread u{rb, {}};
        ValueKind kind = kindOfGroupCode(rb.restype);
        if (kind == ValueKind::String && rb.resval.rstring) u.text = rb.resval.rstring;
        if (kind == ValueKind::Binary && rb.resval.rbinary.buf)
            u.text.assign(rb.resval.rbinary.buf, static_cast<size_t>(std::max<short>(rb.resval.rbinary.clen, 0)));
        m_unread.push_back(std::move(u));
    };
    if (m_pushedBack) {
        keep(m_last);
        m_unread.back().real = m_lastReal;
        m_unread.back().realValid = m_lastRealValid;
        m_pushedBack = false;
    }
    keep(item);
    if (m_haveLast && &item != &m_last && item.restype == m_last.restype &&
        std::memcmp(&item.resval, &m_last.resval, sizeof item.resval) == 0) {
        m_unread.back().real = m_lastReal;
        m_unread.back().realValid = m_lastRealValid;
    }
    m_haveLast = false;
}

bool AcDbDxfFilerBase::lastItemAsReal(double& value) const {
    if (!m_haveLast) return false;
    if (m_lastRealValid) {
        value = m_lastReal;
        return true;
    }
    switch (kindOfGroupCode(m_last.restype)) {
    case ValueKind::Double:
        value = isPointCode(m_last.restype) ? m_last.resval.rpoint[0] : m_last.resval.rreal;
        return true;
    case ValueKind::Int16:
    case ValueKind::Bool:
        value = m_last.resval.rint;
        return true;
    case ValueKind::Int32:
        value = m_last.resval.rlong;
        return true;
    default:
        return false;
    }
}

Acad::ErrorStatus AcDbDxfFilerBase::pushBackItem() {
    if (!m_haveLast || m_pushedBack) return Acad::eInvalidInput;
    m_pushedBack = true;
    return Acad::eOk;
}

int AcDbDxfFilerBase::peekCode() {
    resbuf rb;
    if (readItem(&rb) != Acad::eOk) return -1;
    pushBackItem();
    return rb.restype;
}

bool AcDbDxfFilerBase::atEOF() { return peekCode() < 0; }

bool AcDbDxfFilerBase::atSubclassData(const char* subclassName) {
    resbuf rb;
    if (readItem(&rb) != Acad::eOk) return false;
    if (rb.restype == 100 && subclassName && std::strcmp(rb.resval.rstring, subclassName) == 0) return true;
    pushBackItem();
    return false;
}

bool AcDbDxfFilerBase::atExtendedData() { return peekCode() >= 1000; }

bool AcDbDxfFilerBase::atEndOfObject() {
    int code = peekCode();
    return code == 0 || code < 0;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeFailed(int code, const char* what) {
    return setError(Acad::eInvalidInput, "group %d: %s", code, what);
}

Acad::ErrorStatus AcDbDxfFilerBase::writeItem(const resbuf& item) {
    const int code = item.restype;
    if (code < -5 || code > 1071) return writeFailed(code, "not a DXF group code");
    switch (kindOfGroupCode(code)) {
    case ValueKind::String:
        putString(code, item.resval.rstring ? std::string_view(item.resval.rstring) : std::string_view());
        break;
    case ValueKind::Double:
        if (isPointCode(code)) {
            const double* p = item.resval.rpoint;
            return writePoint3d(code, AcGePoint3d(p[0], p[1], p[2]));
        }
        return writeDouble(code, item.resval.rreal);
    case ValueKind::Int16:
    case ValueKind::Bool:
        putInt(code, item.resval.rint);
        break;
    case ValueKind::Int32:
        putInt(code, item.resval.rlong);
        break;
    case ValueKind::Int64:
        putInt(code, item.resval.rlname[0]);
        break;
    case ValueKind::Handle:
        putHandle(code, static_cast<uint64_t>(item.resval.rlname[0]),
                  reinterpret_cast<AcDbDatabase*>(item.resval.rlname[1]));
        break;
    case ValueKind::Binary:
        if (item.resval.rbinary.clen < 0 || (item.resval.rbinary.clen > 0 && !item.resval.rbinary.buf))
            return writeFailed(code, "binary chunk without data");
        putBinary(code, reinterpret_cast<const uint8_t*>(item.resval.rbinary.buf),
                  static_cast<size_t>(item.resval.rbinary.clen));
        break;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeObjectId(int groupCode, const AcDbObjectId& id) {
    if (id.isNull())
        putHandle(groupCode, 0, nullptr);
    else
        putHandle(groupCode, id.handle().value(), id.database());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeString(int groupCode, const char* value) {
    putString(groupCode, value ? std::string_view(value) : std::string_view());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeString(int groupCode, std::string_view value) {
    putString(groupCode, value);
    return Acad::eOk;
}

namespace {
bool isHandleCode(int code) { return kindOfGroupCode(code) == ValueKind::Handle; }
}  // namespace

Acad::ErrorStatus AcDbDxfFilerBase::writeInt8(int groupCode, Adesk::Int8 value) {
    return writeInt16(groupCode, value);
}

Acad::ErrorStatus AcDbDxfFilerBase::writeInt16(int groupCode, Adesk::Int16 value) {
    if (isHandleCode(groupCode))
        putHandle(groupCode, static_cast<uint16_t>(value), nullptr);
    else
        putInt(groupCode, value);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeUInt16(int groupCode, Adesk::UInt16 value) {
    if (isHandleCode(groupCode))
        putHandle(groupCode, value, nullptr);
    else
        putInt(groupCode, value);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeInt32(int groupCode, Adesk::Int32 value) {
    if (isHandleCode(groupCode))
        putHandle(groupCode, static_cast<uint32_t>(value), nullptr);
    else
        putInt(groupCode, value);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeUInt32(int groupCode, Adesk::UInt32 value) {
    if (isHandleCode(groupCode))
        putHandle(groupCode, value, nullptr);
    else
        putInt(groupCode, value);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeBoolean(int groupCode, Adesk::Boolean value) {
    putInt(groupCode, value ? 1 : 0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeBool(int groupCode, bool value) {
    putInt(groupCode, value ? 1 : 0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeDouble(int groupCode, double value, int precision) {
    if (!std::isfinite(value)) return writeFailed(groupCode, "the value is not a finite number");
    putDouble(groupCode, value, precision);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writePoint2d(int groupCode, const AcGePoint2d& value, int precision) {
    const double xy[3] = {value.x, value.y, 0.0};
    if (!std::isfinite(xy[0]) || !std::isfinite(xy[1]))
        return writeFailed(groupCode, "the point is not finite");
    putPoint(groupCode, xy, 2, precision);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writePoint3d(int groupCode, const AcGePoint3d& value, int precision) {
    const double xyz[3] = {value.x, value.y, value.z};
    if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2]))
        return writeFailed(groupCode, "the point is not finite");
    putPoint(groupCode, xyz, 3, precision);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeVector3d(int groupCode, const AcGeVector3d& value, int precision) {
    return writePoint3d(groupCode, AcGePoint3d(value.x, value.y, value.z), precision);
}

Acad::ErrorStatus AcDbDxfFilerBase::writeBytes(int groupCode, const void* buffer, uint32_t length) {
    if (length && !buffer) return writeFailed(groupCode, "binary data without a buffer");
    putBinary(groupCode, static_cast<const uint8_t*>(buffer), length);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDxfFilerBase::writeAcDbHandle(int groupCode, const AcDbHandle& value) {
    if (kindOfGroupCode(groupCode) == ValueKind::String) {
        char hex[17];
        value.getIntoAsciiBuffer(hex, sizeof hex);
        putString(groupCode, hex);
    } else {
        putHandle(groupCode, value.value(), nullptr);
    }
    return Acad::eOk;
}

// --- AcDbDxfOutFiler ---

AcDbDxfOutFiler::AcDbDxfOutFiler(cadhost::dxf::TokenWriter& writer, AcDbDatabase* db, int precision,
                                 bool asciiOnly)
    : AcDbDxfFilerBase(db, AcDb::kFileFiler), m_writer(writer), m_precision(precision), m_asciiOnly(asciiOnly) {}

AcDbDxfOutFiler::~AcDbDxfOutFiler() = default;

Acad::ErrorStatus AcDbDxfOutFiler::fetchItem(resbuf&) {
    return setError(Acad::eNotApplicable, "a writing filer cannot read");
}

void AcDbDxfOutFiler::putString(int code, std::string_view value) {
    if (m_asciiOnly && cadhost::dxf::hasNonAscii(value)) {
        cadhost::dxf::escapeUnicode(value, m_scratch);
        m_writer.write(code, m_scratch);
    } else {
        m_writer.write(code, value);
    }
}

void AcDbDxfOutFiler::putReal(int code, double value, int precision) {
    if (precision < 0) precision = m_precision;
    if (precision < 0 || precision >= 16 || !std::isfinite(value)) {
        m_writer.write(code, value);
        return;
    }
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf - 2, value, std::chars_format::general, precision < 1 ? 1 : precision);
    char* p = r.ptr;
    if (!std::memchr(buf, '.', static_cast<size_t>(p - buf)) && !std::memchr(buf, 'e', static_cast<size_t>(p - buf))) {
        *p++ = '.';
        *p++ = '0';
    }
    m_writer.write(code, std::string_view(buf, static_cast<size_t>(p - buf)));
}

void AcDbDxfOutFiler::putDouble(int code, double value, int precision) { putReal(code, value, precision); }

void AcDbDxfOutFiler::putPoint(int code, const double* xyz, int dims, int precision) {
    for (int i = 0; i < dims; ++i) putReal(code + 10 * i, xyz[i], precision);
}

void AcDbDxfOutFiler::putInt(int code, int64_t value) { m_writer.writeInt(code, value); }

void AcDbDxfOutFiler::putHandle(int code, uint64_t handle, AcDbDatabase*) { m_writer.writeHandle(code, handle); }

void AcDbDxfOutFiler::putBinary(int code, const uint8_t* bytes, size_t length) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    constexpr size_t kChunk = 127;  // bytes per group, as AutoCAD writes them
    size_t done = 0;
    do {
        size_t n = std::min(kChunk, length - done);
        m_scratch.resize(n * 2);
        for (size_t i = 0; i < n; ++i) {
            m_scratch[2 * i] = kHex[bytes[done + i] >> 4];
            m_scratch[2 * i + 1] = kHex[bytes[done + i] & 15];
        }
        m_writer.write(code, m_scratch);
        done += n;
    } while (done < length);
}

// --- AcDbDxfInFiler ---

AcDbDxfInFiler::AcDbDxfInFiler(cadhost::dxf::TokenReader& reader, AcDbDatabase* db)
    : AcDbDxfFilerBase(db, AcDb::kFileFiler), m_reader(reader) {}

AcDbDxfInFiler::~AcDbDxfInFiler() = default;

std::string AcDbDxfInFiler::position() const { return m_line ? "line " + std::to_string(m_line) : std::string(); }

Acad::ErrorStatus AcDbDxfInFiler::badValue(const Token& token, const char* expected) {
    std::string shown;
    for (char c : token.value.substr(0, 40)) shown += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    if (token.value.size() > 40) shown += "...";
    return setError(Acad::eDxfReadAborted, "group %d: expected %s, found '%s'", token.code, expected, shown.c_str());
}

Acad::ErrorStatus AcDbDxfInFiler::fetchItem(resbuf& item) {
    Token t;
    if (!m_reader.next(t)) {
        if (!m_reader.failed()) return Acad::eEndOfFile;
        m_line = 0;  // the token layer's message carries the line
        return setError(Acad::eDxfReadAborted, "%s", m_reader.error().c_str());
    }
    m_line = t.line;
    // Items carry their code in a short, and codes from 5000 up name result-buffer kinds.
    if (t.code < 0 || t.code > 1071)
        return setError(Acad::eDxfReadAborted, "group code %d is not a DXF group code (0 to 1071)", t.code);
    if (m_capture) m_capture->emplace_back(t.code, std::string(t.value));
    item.restype = static_cast<short>(t.code);
    item.rbnext = nullptr;
    switch (t.kind()) {
    case ValueKind::String: {
        std::string_view v = t.value;
        if (cadhost::dxf::needsDecoding(v)) {
            cadhost::dxf::decodeText(v, m_cp1252, m_decoded);
            v = m_decoded;
        }
        if (m_capture) m_capture->back().second.assign(v.data(), v.size());
        item.resval.rstring = keepString(v);
        break;
    }
    case ValueKind::Double: {
        auto v = t.toDouble();
        if (!v) return badValue(t, "a number");
        if (!isPointCode(t.code)) {
            item.resval.rreal = *v;
            break;
        }
        double* p = item.resval.rpoint;
        p[0] = *v;
        p[1] = p[2] = 0.0;
        for (int axis = 1; axis < 3; ++axis) {
            Token u;
            if (!m_reader.next(u)) {
                if (m_reader.failed()) return setError(Acad::eDxfReadAborted, "%s", m_reader.error().c_str());
                break;
            }
            if (u.code != t.code + 10 * axis) {
                (void)m_reader.pushBack();
                break;
            }
            if (m_capture) m_capture->emplace_back(u.code, std::string(u.value));
            auto c = u.toDouble();
            if (!c) {
                m_line = u.line;
                return badValue(u, "a coordinate");
            }
            p[axis] = *c;
        }
        break;
    }
    case ValueKind::Int16: {
        auto v = t.toInt();
        if (!v) {
            // A real under a 16-bit code (records of some classes file reals there): the item
            // holds its integer part, lastItemAsReal the exact value.
            auto d = t.toDouble();
            if (!d || *d < -32768.0 || *d >= 65536.0) return badValue(t, "a 16-bit integer");
            item.resval.rint = static_cast<short>(static_cast<int>(*d));
            noteFetchedReal(*d);
            break;
        }
        if (*v < -32768 || *v > 65535) return badValue(t, "a 16-bit integer");
        item.resval.rint = static_cast<short>(*v);
        break;
    }
    case ValueKind::Bool: {
        auto v = t.toInt();
        if (!v || *v < -32768 || *v > 32767) return badValue(t, "0 or 1");
        item.resval.rint = static_cast<short>(*v);
        break;
    }
    case ValueKind::Int32: {
        auto v = t.toInt64();
        if (!v) {
            // A real under a 32-bit code, as for 16-bit codes above.
            auto d = t.toDouble();
            if (!d || *d <= -2147483649.0 || *d >= 4294967296.0) return badValue(t, "a 32-bit integer");
            item.resval.rlong = static_cast<int32_t>(static_cast<int64_t>(*d));
            noteFetchedReal(*d);
            break;
        }
        if (*v < INT32_MIN || *v > UINT32_MAX) return badValue(t, "a 32-bit integer");
        item.resval.rlong = static_cast<int32_t>(static_cast<uint32_t>(*v));
        break;
    }
    case ValueKind::Int64: {
        auto v = t.toInt64();
        if (!v) return badValue(t, "a 64-bit integer");
        item.resval.rlname[0] = *v;
        break;
    }
    case ValueKind::Handle: {
        // Some writers put names in handle groups (dxfrw: "340 Standard"); such a value
        // refers to nothing and reads as the null handle.
        uint64_t h = t.toHandle().value_or(0);
        setHandleItem(item, h, database());
        break;
    }
    case ValueKind::Binary: {
        std::string_view hex = t.trimmed();
        if (hex.size() % 2) return badValue(t, "hexadecimal bytes");
        m_bytes.resize(hex.size() / 2);
        for (size_t i = 0; i < m_bytes.size(); ++i) {
            int hi = cadhost::dxf::hexDigit(hex[2 * i]), lo = cadhost::dxf::hexDigit(hex[2 * i + 1]);
            if (hi < 0 || lo < 0) return badValue(t, "hexadecimal bytes");
            m_bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
        }
        if (m_bytes.size() > 32767) return badValue(t, "a binary chunk of at most 32767 bytes");
        item.resval.rbinary.clen = static_cast<short>(m_bytes.size());
        item.resval.rbinary.buf = keepBytes(m_bytes.data(), m_bytes.size());
        break;
    }
    }
    return Acad::eOk;
}

void AcDbDxfInFiler::putString(int, std::string_view) { setError(Acad::eNotApplicable, "a reading filer cannot write"); }
void AcDbDxfInFiler::putDouble(int, double, int) { putString(0, {}); }
void AcDbDxfInFiler::putPoint(int, const double*, int, int) { putString(0, {}); }
void AcDbDxfInFiler::putInt(int, int64_t) { putString(0, {}); }
void AcDbDxfInFiler::putHandle(int, uint64_t, AcDbDatabase*) { putString(0, {}); }
void AcDbDxfInFiler::putBinary(int, const uint8_t*, size_t) { putString(0, {}); }
