#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>
#include "db/filer.h"

// Binary filer over a growable byte buffer with one read/write position.
//
// Values are little-endian; strings and binary chunks are a 32-bit length followed by the
// bytes. Every id is a kind byte followed by 8 bytes: for kFileFiler the handle (read back
// through the filer's database, unknown handles becoming forward references), for the
// in-memory kinds (copy, undo, cloning, id translation, ...) the stub pointer. An in-memory
// filer only reads back stub pointers it wrote itself, so foreign bytes cannot forge an id.
//
// Readers never read past the data: a short read sets the filer status to eEndOfFile, a
// malformed value (wrong id kind, unknown stub) to eFilerError; once the status is not eOk
// every further read fails with it and answers a zero value.
class CADHOST_API AcDbDwgMemoryFiler : public AcDbDwgFiler {
public:
    ACRX_DECLARE_MEMBERS(AcDbDwgMemoryFiler);
    explicit AcDbDwgMemoryFiler(AcDb::FilerType type = AcDb::kCopyFiler, AcDbDatabase* db = nullptr);
    // Reading existing bytes (a copy is kept); the position is at the start.
    AcDbDwgMemoryFiler(const void* bytes, size_t length, AcDb::FilerType type, AcDbDatabase* db);
    ~AcDbDwgMemoryFiler() override;
    AcDbDwgMemoryFiler(const AcDbDwgMemoryFiler&) = delete;
    AcDbDwgMemoryFiler& operator=(const AcDbDwgMemoryFiler&) = delete;

    // Back to the start for reading what was written; the status is cleared.
    void rewind();
    // Empties the buffer, the queues of cloned ids and the status.
    void reset();
    // Empties it for reuse as a filer of another kind and database, without a translator.
    void reset(AcDb::FilerType type, AcDbDatabase* db);
    size_t size() const { return m_size; }
    // Room held for data; reset() keeps it.
    size_t capacity() const { return m_capacity; }
    const Adesk::UInt8* data() const { return m_data.get(); }
    std::vector<Adesk::UInt8> bytes() const { return std::vector<Adesk::UInt8>(data(), data() + m_size); }
    size_t remaining() const { return m_size - m_pos; }

    // Replaces every id on writing (the id-translation pass of cloning); empty to stop.
    using IdTranslator = std::function<AcDbObjectId(const AcDbObjectId&)>;
    void setIdTranslator(IdTranslator translator) { m_translate = std::move(translator); }

    Acad::ErrorStatus filerStatus() const override { return m_status; }
    AcDb::FilerType filerType() const override { return m_type; }
    void setFilerStatus(Acad::ErrorStatus status) override { m_status = status; }
    void resetFilerStatus() override { m_status = Acad::eOk; }
    AcDbDatabase* database() const override { return m_db; }
    void setDatabase(AcDbDatabase* db) { m_db = db; }

    Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) override;
    Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) override;
    Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) override;
    Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) override;
    Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) override;
    Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) override;
    Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) override;
    Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) override;

    Acad::ErrorStatus readString(char** value) override;
    Acad::ErrorStatus writeString(const char* value) override;
    Acad::ErrorStatus readBytes(void* buffer, uint32_t length) override;
    Acad::ErrorStatus writeBytes(const void* buffer, uint32_t length) override;
    Acad::ErrorStatus readBinaryChunk(void** buffer, uint32_t* length) override;
    Acad::ErrorStatus writeBinaryChunk(const void* buffer, uint32_t length) override;
    Acad::ErrorStatus readAcDbHandle(AcDbHandle* value) override;
    Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& value) override;

    Acad::ErrorStatus readInt8(Adesk::Int8* value) override;
    Acad::ErrorStatus writeInt8(Adesk::Int8 value) override;
    Acad::ErrorStatus readUInt8(Adesk::UInt8* value) override;
    Acad::ErrorStatus writeUInt8(Adesk::UInt8 value) override;
    Acad::ErrorStatus readInt16(Adesk::Int16* value) override;
    Acad::ErrorStatus writeInt16(Adesk::Int16 value) override;
    Acad::ErrorStatus readUInt16(Adesk::UInt16* value) override;
    Acad::ErrorStatus writeUInt16(Adesk::UInt16 value) override;
    Acad::ErrorStatus readInt32(Adesk::Int32* value) override;
    Acad::ErrorStatus writeInt32(Adesk::Int32 value) override;
    Acad::ErrorStatus readUInt32(Adesk::UInt32* value) override;
    Acad::ErrorStatus writeUInt32(Adesk::UInt32 value) override;
    Acad::ErrorStatus readBoolean(Adesk::Boolean* value) override;
    Acad::ErrorStatus writeBoolean(Adesk::Boolean value) override;
    Acad::ErrorStatus readBool(bool* value) override;
    Acad::ErrorStatus writeBool(bool value) override;
    Acad::ErrorStatus readDouble(double* value) override;
    Acad::ErrorStatus writeDouble(double value) override;
    Acad::ErrorStatus readPoint2d(AcGePoint2d* value) override;
    Acad::ErrorStatus writePoint2d(const AcGePoint2d& value) override;
    Acad::ErrorStatus readPoint3d(AcGePoint3d* value) override;
    Acad::ErrorStatus writePoint3d(const AcGePoint3d& value) override;
    Acad::ErrorStatus readVector2d(AcGeVector2d* value) override;
    Acad::ErrorStatus writeVector2d(const AcGeVector2d& value) override;
    Acad::ErrorStatus readVector3d(AcGeVector3d* value) override;
    Acad::ErrorStatus writeVector3d(const AcGeVector3d& value) override;

    // Deep-clone filers yield the hard-ownership ids written; wblock-clone filers the
    // hard-ownership and hard-pointer ids; each id once per write, in writing order.
    bool getNextOwnedObject(AcDbObjectId& id) override;
    bool getNextHardObject(AcDbObjectId& id) override;

    // method: 0 from the start, 1 from the position, 2 from the end; stays within the data.
    Acad::ErrorStatus seek(int64_t offset, int method) override;
    int64_t tell() const override { return static_cast<int64_t>(m_pos); }

private:
    enum IdKind : Adesk::UInt8 { kSoftPointer = 1, kHardPointer = 2, kSoftOwnership = 3, kHardOwnership = 4 };
    bool inMemory() const { return m_type != AcDb::kFileFiler; }
    Acad::ErrorStatus writeId(const AcDbObjectId& id, IdKind kind);
    Acad::ErrorStatus readId(AcDbObjectId* id, IdKind kind);
    // Writes n bytes at the position.
    Acad::ErrorStatus put(const void* bytes, size_t n);
    bool wrote(const void* stub);
    // Answers the next n bytes and moves past them, or null (status set) when short.
    const Adesk::UInt8* take(size_t n);
    Acad::ErrorStatus putU64(uint64_t v);
    template <size_t N>
    Acad::ErrorStatus putDoubles(const double (&values)[N]);
    template <size_t N>
    Acad::ErrorStatus getDoubles(double (&values)[N]);
    Acad::ErrorStatus getU64(uint64_t* v);

    // Room for n more bytes at the position.
    Acad::ErrorStatus grow(size_t n);

    std::unique_ptr<Adesk::UInt8[]> m_data;  // m_size bytes written in m_capacity bytes of room
    size_t m_size = 0;
    size_t m_capacity = 0;
    size_t m_pos = 0;
    AcDb::FilerType m_type;
    AcDbDatabase* m_db;
    Acad::ErrorStatus m_status = Acad::eOk;
    IdTranslator m_translate;
    std::vector<const void*> m_written;         // stubs this in-memory filer wrote, in order
    std::vector<const void*> m_sorted;          // the same, sorted, made on an out-of-order read
    size_t m_readCursor = 0;
    std::vector<AcDbObjectId> m_queue;          // ids handed to cloning
    size_t m_next = 0;
};
