// DXF filers: over a text stream (files) and over a list of groups held in memory.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include "db/dxftokens.h"
#include "db/filer.h"

// Status, error text and the write calls shared by the DXF filers. The write calls end in
// a few typed primitives each filer implements.
class CADHOST_API AcDbDxfFilerBase : public AcDbDxfFiler {
public:
    ~AcDbDxfFilerBase() override;

    Acad::ErrorStatus filerStatus() const override { return m_status; }
    AcDb::FilerType filerType() const override { return m_type; }
    void setFilerStatus(Acad::ErrorStatus status) override { m_status = status; }
    void resetFilerStatus() override;
    AcDbDatabase* database() const override { return m_db; }
    void setDatabase(AcDbDatabase* db) { m_db = db; }
    void setFilerType(AcDb::FilerType type) { m_type = type; }
    Acad::ErrorStatus setError(Acad::ErrorStatus status, const char* format, ...) override
        __attribute__((format(printf, 3, 4)));
    Acad::ErrorStatus setError(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    const char* errorMessage() const override { return m_message.c_str(); }

    // Reading: a pushed-back item comes again; the peeks read one item and push it back.
    Acad::ErrorStatus readItem(resbuf* item) override;
    Acad::ErrorStatus pushBackItem() override;
    bool atEOF() override;
    bool atSubclassData(const char* subclassName) override;
    bool atExtendedData() override;
    bool atEndOfObject() override;
    bool lastItemAsReal(double& value) const override;
    // Group code of the next item, or -1 at the end of the data (or after an error).
    int peekCode();
    // Puts an item read before back in front of what comes next (before a pushed-back item),
    // for readers that look further ahead than one item.
    void unreadItem(const resbuf& item);

    Acad::ErrorStatus writeItem(const resbuf& item) override;
    Acad::ErrorStatus writeObjectId(int groupCode, const AcDbObjectId& id) override;
    Acad::ErrorStatus writeString(int groupCode, const char* value) override;
    Acad::ErrorStatus writeInt8(int groupCode, Adesk::Int8 value) override;
    Acad::ErrorStatus writeInt16(int groupCode, Adesk::Int16 value) override;
    Acad::ErrorStatus writeUInt16(int groupCode, Adesk::UInt16 value) override;
    Acad::ErrorStatus writeInt32(int groupCode, Adesk::Int32 value) override;
    Acad::ErrorStatus writeUInt32(int groupCode, Adesk::UInt32 value) override;
    Acad::ErrorStatus writeBoolean(int groupCode, Adesk::Boolean value) override;
    Acad::ErrorStatus writeBool(int groupCode, bool value) override;
    Acad::ErrorStatus writeDouble(int groupCode, double value, int precision = -1) override;
    Acad::ErrorStatus writePoint2d(int groupCode, const AcGePoint2d& value, int precision = -1) override;
    Acad::ErrorStatus writePoint3d(int groupCode, const AcGePoint3d& value, int precision = -1) override;
    Acad::ErrorStatus writeVector3d(int groupCode, const AcGeVector3d& value, int precision = -1) override;
    Acad::ErrorStatus writeBytes(int groupCode, const void* buffer, uint32_t length) override;
    Acad::ErrorStatus writeAcDbHandle(int groupCode, const AcDbHandle& value) override;
    Acad::ErrorStatus writeString(int groupCode, std::string_view value);

    // Typed output primitives the write calls end in (values are checked by then).
    virtual void putString(int code, std::string_view value) = 0;
    virtual void putDouble(int code, double value, int precision) = 0;
    virtual void putPoint(int code, const double* xyz, int dims, int precision) = 0;
    virtual void putInt(int code, int64_t value) = 0;
    virtual void putHandle(int code, uint64_t handle, AcDbDatabase* db) = 0;
    virtual void putBinary(int code, const uint8_t* bytes, size_t length) = 0;
    // Where the item read last comes from, for error messages ("line 12"); may be empty.
    virtual std::string position() const { return {}; }

    // Group codes whose value is a point spread over code, code+10 and code+20.
    static bool isPointCode(int code) {
        return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || code == 210 ||
               (code >= 1010 && code <= 1013);
    }

protected:
    AcDbDxfFilerBase(AcDbDatabase* db, AcDb::FilerType type) : m_db(db), m_type(type) {}

    // Next item of the data: eOk, eEndOfFile, or an error already set with setError.
    virtual Acad::ErrorStatus fetchItem(resbuf& item) = 0;

    // Text buffer of the item being delivered (two alternate so the previous value survives
    // one more read, e.g. a peek).
    char* keepString(std::string_view text);
    char* keepBytes(const uint8_t* bytes, size_t length);
    // Fills a handle item: {handle, database}, the id made to exist in the database.
    void setHandleItem(resbuf& item, uint64_t handle, AcDbDatabase* db);
    Acad::ErrorStatus writeFailed(int code, const char* what);
    // Records the exact real behind an integer-coded item being fetched (a real filed under an
    // integer code reads as its integer part plus this value).
    void noteFetchedReal(double value) { m_fetchedReal = value; m_fetchedRealValid = true; }

private:
    Acad::ErrorStatus vsetError(Acad::ErrorStatus status, const char* format, va_list args);

    AcDbDatabase* m_db;
    AcDb::FilerType m_type;
    Acad::ErrorStatus m_status = Acad::eOk;
    std::string m_message;
    resbuf m_last{};
    double m_lastReal = 0.0;
    bool m_lastRealValid = false;
    double m_fetchedReal = 0.0;
    bool m_fetchedRealValid = false;
    bool m_haveLast = false;
    bool m_pushedBack = false;
    int m_buffer = 0;
    std::string m_text[2];
    struct Unread {
        resbuf item;
        std::string text;  // string or binary value
        double real = 0.0;
        bool realValid = false;
    };
    std::vector<Unread> m_unread;  // delivered from the back
};

// Writes groups as DXF text. With asciiOnly, characters beyond ASCII are written as \U+XXXX
// (the form files before AC1021 use).
class CADHOST_API AcDbDxfOutFiler : public AcDbDxfFilerBase {
public:
    AcDbDxfOutFiler(cadhost::dxf::TokenWriter& writer, AcDbDatabase* db, int precision = 16,
                    bool asciiOnly = true);
    ~AcDbDxfOutFiler() override;
    cadhost::dxf::TokenWriter& writer() { return m_writer; }

    void putString(int code, std::string_view value) override;
    void putDouble(int code, double value, int precision) override;
    void putPoint(int code, const double* xyz, int dims, int precision) override;
    void putInt(int code, int64_t value) override;
    void putHandle(int code, uint64_t handle, AcDbDatabase* db) override;
    void putBinary(int code, const uint8_t* bytes, size_t length) override;

protected:
    Acad::ErrorStatus fetchItem(resbuf& item) override;

private:
    void putReal(int code, double value, int precision);
    cadhost::dxf::TokenWriter& m_writer;
    int m_precision;
    bool m_asciiOnly;
    std::string m_scratch;
};

// Reads groups from DXF text. Strings are decoded from the file's form: \U+XXXX escapes and,
// for files before AC1021, the Windows-1252 code page.
class CADHOST_API AcDbDxfInFiler : public AcDbDxfFilerBase {
public:
    AcDbDxfInFiler(cadhost::dxf::TokenReader& reader, AcDbDatabase* db);
    ~AcDbDxfInFiler() override;
    void setCodePage1252(bool on) { m_cp1252 = on; }
    // Line of the group code read last.
    size_t line() const { return m_line; }
    // While a sink is set, every group read from the text goes there too: the code and the
    // value as the file has it (strings decoded).
    void setCapture(std::vector<std::pair<int, std::string>>* sink) { m_capture = sink; }

    std::string position() const override;
    void putString(int code, std::string_view value) override;
    void putDouble(int code, double value, int precision) override;
    void putPoint(int code, const double* xyz, int dims, int precision) override;
    void putInt(int code, int64_t value) override;
    void putHandle(int code, uint64_t handle, AcDbDatabase* db) override;
    void putBinary(int code, const uint8_t* bytes, size_t length) override;

protected:
    Acad::ErrorStatus fetchItem(resbuf& item) override;

private:
    Acad::ErrorStatus badValue(const cadhost::dxf::Token& token, const char* expected);
    cadhost::dxf::TokenReader& m_reader;
    size_t m_line = 0;
    bool m_cp1252 = false;
    std::string m_decoded;
    std::vector<uint8_t> m_bytes;
    std::vector<std::pair<int, std::string>>* m_capture = nullptr;
};

// One group as the memory filer keeps it.
struct CADHOST_API AcDbDxfGroup {
    enum Type : uint8_t { kString, kReal, kPoint2d, kPoint3d, kInt, kHandle, kBinary };
    int code = 0;
    Type type = kString;
    double xyz[3] = {0, 0, 0};
    int64_t integer = 0;           // kInt value, kHandle handle
    AcDbDatabase* db = nullptr;    // kHandle: database of the handle
    std::string text;              // kString text, kBinary bytes
    bool operator==(const AcDbDxfGroup& o) const;
};

// Keeps the groups written to it and reads them back: copies of objects through DXF,
// comparisons, and objects a reader holds before deciding on their class.
class CADHOST_API AcDbDxfMemoryFiler : public AcDbDxfFilerBase {
public:
    explicit AcDbDxfMemoryFiler(AcDbDatabase* db = nullptr, AcDb::FilerType type = AcDb::kCopyFiler);
    ~AcDbDxfMemoryFiler() override;

    const std::vector<AcDbDxfGroup>& groups() const { return m_groups; }
    std::vector<AcDbDxfGroup>& groups() { return m_groups; }
    void rewind() { m_cursor = 0; resetFilerStatus(); }
    void clear() { m_groups.clear(); m_cursor = 0; resetFilerStatus(); }
    size_t cursor() const { return m_cursor; }
    // Writes the groups (from the start) to another filer, keeping 2-D points 2-D.
    Acad::ErrorStatus replay(AcDbDxfFilerBase* target, size_t from = 0) const;
    // The groups as DXF text, for messages and tests.
    std::string text() const;

    std::string position() const override;
    void putString(int code, std::string_view value) override;
    void putDouble(int code, double value, int precision) override;
    void putPoint(int code, const double* xyz, int dims, int precision) override;
    void putInt(int code, int64_t value) override;
    void putHandle(int code, uint64_t handle, AcDbDatabase* db) override;
    void putBinary(int code, const uint8_t* bytes, size_t length) override;

protected:
    Acad::ErrorStatus fetchItem(resbuf& item) override;

private:
    std::vector<AcDbDxfGroup> m_groups;
    size_t m_cursor = 0;
};
