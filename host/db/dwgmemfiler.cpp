#include "db/dwgmemfiler.h"
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include "db/database.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbDwgMemoryFiler, AcDbDwgFiler, "", ACRX_HOST_CONS(AcDbDwgMemoryFiler))

AcDbDwgMemoryFiler::AcDbDwgMemoryFiler(AcDb::FilerType type, AcDbDatabase* db) : m_type(type), m_db(db) {}

AcDbDwgMemoryFiler::AcDbDwgMemoryFiler(const void* bytes, size_t length, AcDb::FilerType type, AcDbDatabase* db)
    : m_type(type), m_db(db) {
    if (bytes && length) {
        put(bytes, length);
        m_pos = 0;
    }
}

AcDbDwgMemoryFiler::~AcDbDwgMemoryFiler() = default;

void AcDbDwgMemoryFiler::rewind() {
    m_pos = 0;
    m_readCursor = 0;
    m_status = Acad::eOk;
}

void AcDbDwgMemoryFiler::reset() {
    m_size = 0;
    m_pos = 0;
    m_status = Acad::eOk;
    m_written.clear();
    m_sorted.clear();
    m_readCursor = 0;
    m_queue.clear();
    m_next = 0;
}

void AcDbDwgMemoryFiler::reset(AcDb::FilerType type, AcDbDatabase* db) {
    reset();
    m_type = type;
    m_db = db;
    m_translate = nullptr;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::grow(size_t n) {
    if (n > SIZE_MAX - m_pos) return m_status = Acad::eOutOfMemory;
    const size_t needed = m_pos + n;
    size_t capacity = m_capacity < 256 ? 256 : m_capacity;
    while (capacity < needed) {
        if (capacity > SIZE_MAX / 2) {
            capacity = needed;
            break;
        }
        capacity *= 2;
    }
    std::unique_ptr<Adesk::UInt8[]> room(new (std::nothrow) Adesk::UInt8[capacity]);
    if (!room) return m_status = Acad::eOutOfMemory;
    if (m_size) std::memcpy(room.get(), m_data.get(), m_size);
    m_data = std::move(room);
    m_capacity = capacity;
    return Acad::eOk;
}

// Writes at the position (appending, or overwriting after a seek back) without filling new
// room first. Only this file calls it: inline, so that fixed sizes copy without a call.
inline Acad::ErrorStatus AcDbDwgMemoryFiler::put(const void* bytes, size_t n) {
    if (n == 0) return Acad::eOk;
    if (n > m_capacity - m_pos && grow(n) != Acad::eOk) return m_status;
    std::memcpy(m_data.get() + m_pos, bytes, n);
    m_pos += n;
    if (m_pos > m_size) m_size = m_pos;
    return Acad::eOk;
}

inline const Adesk::UInt8* AcDbDwgMemoryFiler::take(size_t n) {
    if (m_status != Acad::eOk) return nullptr;
    if (n > remaining()) {
        m_status = Acad::eEndOfFile;
        return nullptr;
    }
    const Adesk::UInt8* p = m_data.get() + m_pos;
    m_pos += n;
    return p;
}

namespace {
constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

template <class U>
void storeLe(Adesk::UInt8* p, U v) {
    if constexpr (kLittleEndian) {
        std::memcpy(p, &v, sizeof v);
    } else {
        for (size_t i = 0; i < sizeof(U); ++i) p[i] = static_cast<Adesk::UInt8>(v >> (8 * i));
    }
}
template <class U>
U loadLe(const Adesk::UInt8* p) {
    U v = 0;
    if constexpr (kLittleEndian) {
        std::memcpy(&v, p, sizeof v);
    } else {
        for (size_t i = 0; i < sizeof(U); ++i) v = static_cast<U>(v | (static_cast<U>(p[i]) << (8 * i)));
    }
    return v;
}

// N doubles as consecutive little-endian images of their bits.
template <size_t N>
void storeDoubles(Adesk::UInt8* p, const double (&values)[N]) {
    for (size_t i = 0; i < N; ++i) {
        uint64_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        storeLe<uint64_t>(p + 8 * i, bits);
    }
}
template <size_t N>
void loadDoubles(const Adesk::UInt8* p, double (&values)[N]) {
    for (size_t i = 0; i < N; ++i) {
        const uint64_t bits = loadLe<uint64_t>(p + 8 * i);
        std::memcpy(&values[i], &bits, sizeof bits);
    }
}
}  // namespace

// Points and vectors go in one piece; a short read answers zeros.
template <size_t N>
Acad::ErrorStatus AcDbDwgMemoryFiler::putDoubles(const double (&values)[N]) {
    Adesk::UInt8 bytes[8 * N];
    storeDoubles(bytes, values);
    return put(bytes, sizeof bytes);
}

template <size_t N>
Acad::ErrorStatus AcDbDwgMemoryFiler::getDoubles(double (&values)[N]) {
    const Adesk::UInt8* p = take(8 * N);
    if (!p) {
        for (double& v : values) v = 0.0;
        return m_status;
    }
    loadDoubles(p, values);
    return Acad::eOk;
}

// Fixed-size values: unsigned little-endian image of the value's bits.
#define CADHOST_FILER_SCALAR(NAME, TYPE, UTYPE)                                          \
    Acad::ErrorStatus AcDbDwgMemoryFiler::write##NAME(TYPE value) {                      \
        Adesk::UInt8 bytes[sizeof(UTYPE)];                                               \
        storeLe<UTYPE>(bytes, static_cast<UTYPE>(value));                                \
        return put(bytes, sizeof bytes);                                                 \
    }                                                                                    \
    Acad::ErrorStatus AcDbDwgMemoryFiler::read##NAME(TYPE* value) {                      \
        const Adesk::UInt8* p = take(sizeof(UTYPE));                                     \
        TYPE v = 0;                                                                      \
        if (p) v = static_cast<TYPE>(loadLe<UTYPE>(p));                                  \
        if (value) *value = v;                                                           \
        return p ? Acad::eOk : m_status;                                                 \
    }

CADHOST_FILER_SCALAR(Int8, Adesk::Int8, uint8_t)
CADHOST_FILER_SCALAR(UInt8, Adesk::UInt8, uint8_t)
CADHOST_FILER_SCALAR(Int16, Adesk::Int16, uint16_t)
CADHOST_FILER_SCALAR(UInt16, Adesk::UInt16, uint16_t)
CADHOST_FILER_SCALAR(Int32, Adesk::Int32, uint32_t)
CADHOST_FILER_SCALAR(UInt32, Adesk::UInt32, uint32_t)
#undef CADHOST_FILER_SCALAR

inline Acad::ErrorStatus AcDbDwgMemoryFiler::putU64(uint64_t v) {
    Adesk::UInt8 bytes[8];
    storeLe<uint64_t>(bytes, v);
    return put(bytes, sizeof bytes);
}

inline Acad::ErrorStatus AcDbDwgMemoryFiler::getU64(uint64_t* v) {
    const Adesk::UInt8* p = take(8);
    *v = p ? loadLe<uint64_t>(p) : 0;
    return p ? Acad::eOk : m_status;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeBoolean(Adesk::Boolean value) { return writeUInt8(value ? 1 : 0); }

Acad::ErrorStatus AcDbDwgMemoryFiler::readBoolean(Adesk::Boolean* value) {
    Adesk::UInt8 v = 0;
    Acad::ErrorStatus es = readUInt8(&v);
    if (value) *value = v ? Adesk::kTrue : Adesk::kFalse;
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeBool(bool value) { return writeUInt8(value ? 1 : 0); }

Acad::ErrorStatus AcDbDwgMemoryFiler::readBool(bool* value) {
    Adesk::UInt8 v = 0;
    Acad::ErrorStatus es = readUInt8(&v);
    if (value) *value = v != 0;
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeDouble(double value) {
    const double values[1] = {value};
    return putDoubles(values);
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readDouble(double* value) {
    double values[1];
    Acad::ErrorStatus es = getDoubles(values);
    if (value) *value = values[0];
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writePoint2d(const AcGePoint2d& value) {
    const double values[2] = {value.x, value.y};
    return putDoubles(values);
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readPoint2d(AcGePoint2d* value) {
    double values[2];
    Acad::ErrorStatus es = getDoubles(values);
    if (value) *value = AcGePoint2d(values[0], values[1]);
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writePoint3d(const AcGePoint3d& value) {
    const double values[3] = {value.x, value.y, value.z};
    return putDoubles(values);
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readPoint3d(AcGePoint3d* value) {
    double values[3];
    Acad::ErrorStatus es = getDoubles(values);
    if (value) *value = AcGePoint3d(values[0], values[1], values[2]);
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeVector2d(const AcGeVector2d& value) {
    const double values[2] = {value.x, value.y};
    return putDoubles(values);
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readVector2d(AcGeVector2d* value) {
    double values[2];
    Acad::ErrorStatus es = getDoubles(values);
    if (value) *value = AcGeVector2d(values[0], values[1]);
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeVector3d(const AcGeVector3d& value) {
    const double values[3] = {value.x, value.y, value.z};
    return putDoubles(values);
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readVector3d(AcGeVector3d* value) {
    double values[3];
    Acad::ErrorStatus es = getDoubles(values);
    if (value) *value = AcGeVector3d(values[0], values[1], values[2]);
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeAcDbHandle(const AcDbHandle& value) { return putU64(value.value()); }

Acad::ErrorStatus AcDbDwgMemoryFiler::readAcDbHandle(AcDbHandle* value) {
    uint64_t v = 0;
    Acad::ErrorStatus es = getU64(&v);
    if (value) *value = AcDbHandle(v);
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeString(const char* value) {
    size_t n = value ? std::strlen(value) : 0;
    if (n > UINT32_MAX) return m_status = Acad::eInvalidInput;
    return writeBinaryChunk(value, static_cast<uint32_t>(n));
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readString(char** value) {
    if (value) *value = nullptr;
    Adesk::UInt32 n = 0;
    if (readUInt32(&n) != Acad::eOk) return m_status;
    const Adesk::UInt8* p = take(n);
    if (!p) return m_status;
    char* s = static_cast<char*>(std::malloc(size_t(n) + 1));
    if (!s) return m_status = Acad::eOutOfMemory;
    if (n) std::memcpy(s, p, n);
    s[n] = '\0';
    if (value)
        *value = s;
    else
        std::free(s);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeBytes(const void* buffer, uint32_t length) {
    if (length && !buffer) return m_status = Acad::eInvalidInput;
    return length ? put(buffer, length) : Acad::eOk;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readBytes(void* buffer, uint32_t length) {
    const Adesk::UInt8* p = take(length);
    if (buffer && length) {
        if (p)
            std::memcpy(buffer, p, length);
        else
            std::memset(buffer, 0, length);
    }
    return p ? Acad::eOk : m_status;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeBinaryChunk(const void* buffer, uint32_t length) {
    if (length && !buffer) return m_status = Acad::eInvalidInput;
    Adesk::UInt8 size[4];
    storeLe<uint32_t>(size, length);
    Acad::ErrorStatus es = put(size, sizeof size);
    return es == Acad::eOk && length ? put(buffer, length) : es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readBinaryChunk(void** buffer, uint32_t* length) {
    if (buffer) *buffer = nullptr;
    if (length) *length = 0;
    Adesk::UInt32 n = 0;
    if (readUInt32(&n) != Acad::eOk) return m_status;
    const Adesk::UInt8* p = take(n);
    if (!p) return m_status;
    if (n == 0 || !buffer) {
        if (length) *length = buffer ? 0 : n;
        return Acad::eOk;
    }
    void* copy = std::malloc(n);
    if (!copy) return m_status = Acad::eOutOfMemory;
    std::memcpy(copy, p, n);
    *buffer = copy;
    if (length) *length = n;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeId(const AcDbObjectId& given, IdKind kind) {
    AcDbObjectId id = m_translate ? m_translate(given) : given;
    if (!id.isNull()) {
        if (m_type == AcDb::kDeepCloneFiler && kind == kHardOwnership) m_queue.push_back(id);
        if (m_type == AcDb::kWblockCloneFiler && (kind == kHardOwnership || kind == kHardPointer))
            m_queue.push_back(id);
    }
    uint64_t value = 0;
    if (inMemory()) {
        m_written.push_back(id.stub());
        value = reinterpret_cast<uintptr_t>(id.stub());
    } else if (!id.isNull() && (!m_db || id.database() == m_db)) {
        // A drawing file can only refer to objects of its own database.
        value = id.handle().value();
    }
    Adesk::UInt8 bytes[9];
    bytes[0] = kind;
    storeLe<uint64_t>(bytes + 1, value);
    return put(bytes, sizeof bytes);
}

// Ids are mostly read back in the order they were written; anything else is looked up in a
// sorted copy of the written stubs.
bool AcDbDwgMemoryFiler::wrote(const void* stub) {
    if (m_readCursor < m_written.size() && m_written[m_readCursor] == stub) {
        ++m_readCursor;
        return true;
    }
    if (m_sorted.size() != m_written.size()) {
        m_sorted = m_written;
        std::sort(m_sorted.begin(), m_sorted.end());
    }
    return std::binary_search(m_sorted.begin(), m_sorted.end(), stub);
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readId(AcDbObjectId* out, IdKind kind) {
    AcDbObjectId id;
    if (out) *out = id;
    if (m_status != Acad::eOk) return m_status;
    if (remaining() >= 1 && m_data[m_pos] != kind) return m_status = Acad::eFilerError;
    const Adesk::UInt8* p = take(9);
    if (!p) return m_status;
    const uint64_t raw = loadLe<uint64_t>(p + 1);
    if (raw == 0) return Acad::eOk;
    if (inMemory()) {
        auto* stub = reinterpret_cast<AcDbStub*>(static_cast<uintptr_t>(raw));
        if (!wrote(stub)) return m_status = Acad::eFilerError;
        id = AcDbObjectId(stub);
    } else {
        if (!m_db) return m_status = Acad::eNoDatabase;
        Acad::ErrorStatus es = m_db->getAcDbObjectId(id, true, AcDbHandle(raw));
        if (es != Acad::eOk) return m_status = es;
    }
    if (out) *out = id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::writeHardOwnershipId(const AcDbHardOwnershipId& id) { return writeId(id, kHardOwnership); }
Acad::ErrorStatus AcDbDwgMemoryFiler::writeSoftOwnershipId(const AcDbSoftOwnershipId& id) { return writeId(id, kSoftOwnership); }
Acad::ErrorStatus AcDbDwgMemoryFiler::writeHardPointerId(const AcDbHardPointerId& id) { return writeId(id, kHardPointer); }
Acad::ErrorStatus AcDbDwgMemoryFiler::writeSoftPointerId(const AcDbSoftPointerId& id) { return writeId(id, kSoftPointer); }

Acad::ErrorStatus AcDbDwgMemoryFiler::readHardOwnershipId(AcDbHardOwnershipId* id) {
    AcDbObjectId v;
    Acad::ErrorStatus es = readId(&v, kHardOwnership);
    if (id) *id = v;
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readSoftOwnershipId(AcDbSoftOwnershipId* id) {
    AcDbObjectId v;
    Acad::ErrorStatus es = readId(&v, kSoftOwnership);
    if (id) *id = v;
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readHardPointerId(AcDbHardPointerId* id) {
    AcDbObjectId v;
    Acad::ErrorStatus es = readId(&v, kHardPointer);
    if (id) *id = v;
    return es;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::readSoftPointerId(AcDbSoftPointerId* id) {
    AcDbObjectId v;
    Acad::ErrorStatus es = readId(&v, kSoftPointer);
    if (id) *id = v;
    return es;
}

bool AcDbDwgMemoryFiler::getNextOwnedObject(AcDbObjectId& id) {
    if (m_type != AcDb::kDeepCloneFiler || m_next >= m_queue.size()) return false;
    id = m_queue[m_next++];
    return true;
}

bool AcDbDwgMemoryFiler::getNextHardObject(AcDbObjectId& id) {
    if (m_type != AcDb::kWblockCloneFiler || m_next >= m_queue.size()) return false;
    id = m_queue[m_next++];
    return true;
}

Acad::ErrorStatus AcDbDwgMemoryFiler::seek(int64_t offset, int method) {
    int64_t base = 0;
    if (method == 1)
        base = static_cast<int64_t>(m_pos);
    else if (method == 2)
        base = static_cast<int64_t>(m_size);
    else if (method != 0)
        return Acad::eInvalidInput;
    // Overflow-free range check of base + offset against [0, size].
    const int64_t size = static_cast<int64_t>(m_size);
    if (offset < -base || offset > size - base) return Acad::eInvalidInput;
    m_pos = static_cast<size_t>(base + offset);
    return Acad::eOk;
}
