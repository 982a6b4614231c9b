// ASCII DXF token layer: group code/value pairs read from and written to memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rx/export.h"

namespace cadhost::dxf {

enum class ValueKind { String, Double, Int16, Int32, Int64, Bool, Handle, Binary };

// Value type of a group code. Codes outside every known range (and 999 comments)
// are String, which keeps their value intact.
CADHOST_API ValueKind kindOfGroupCode(int code);

// Strict conversions of a value. Surrounding blanks are ignored; anything else
// that is not part of the number makes the conversion fail.
CADHOST_API std::optional<double> parseDouble(std::string_view text);
CADHOST_API std::optional<std::int32_t> parseInt(std::string_view text);
CADHOST_API std::optional<std::int64_t> parseInt64(std::string_view text);
CADHOST_API std::optional<bool> parseBool(std::string_view text);      // "0" or "1"
CADHOST_API std::optional<std::uint64_t> parseHandle(std::string_view text);  // hex

// Blanks (space, tab) removed from both ends.
CADHOST_API std::string_view trimBlanks(std::string_view text);

// Caret escapes of control characters as DXF text stores them: "^J" is a line feed,
// "^ " a caret. An unknown sequence is kept as it is.
CADHOST_API std::string decodeCaret(std::string_view text);

struct Token {
    int code = 0;
    // The value line without its line end. String values keep their blanks (text
    // split into chunks may end in a space); the typed accessors ignore them.
    std::string_view value;
    std::size_t line = 0;  // 1-based line of the group code

    ValueKind kind() const { return kindOfGroupCode(code); }
    std::string_view trimmed() const { return trimBlanks(value); }
    bool is(int c, std::string_view v) const { return code == c && trimmed() == v; }

    std::optional<double> toDouble() const { return parseDouble(value); }
    std::optional<std::int32_t> toInt() const { return parseInt(value); }
    std::optional<std::int64_t> toInt64() const { return parseInt64(value); }
    std::optional<bool> toBool() const { return parseBool(value); }
    std::optional<std::uint64_t> toHandle() const { return parseHandle(value); }
};

// Reads groups from an ASCII DXF held in memory or streamed from a source. Token values
// point into the buffer: from data in memory they stay valid while the buffer (or the reader
// owning it) lives; from a source only up to the next call of next() that does not return a
// token put back.
class CADHOST_API TokenReader {
public:
    // Fills buffer with up to size bytes; answers how many, 0 at the end, -1 on an error
    // (errorText then says what went wrong).
    using Source = std::function<long(char* buffer, std::size_t size, std::string& errorText)>;

    // Views the data; the caller keeps it alive (an lvalue string is viewed, not copied).
    explicit TokenReader(std::string_view data);
    explicit TokenReader(const char* data) : TokenReader(std::string_view(data)) {}
    // Takes the data over.
    explicit TokenReader(std::string&& data);
    // Reads the data from source in pieces of about chunk bytes; only the current lines are
    // held, so memory does not grow with the data (a line longer than chunk grows the buffer).
    explicit TokenReader(Source source, std::size_t chunk = std::size_t(1) << 20);

    TokenReader(TokenReader&&) noexcept = default;
    TokenReader& operator=(TokenReader&&) noexcept = default;

    // Next group; false at the end of data or on error (see failed()).
    bool next(Token& token);
    // Makes the last token returned by next() come again. Only one level: false if
    // nothing is there to put back or a token is already put back.
    [[nodiscard]] bool pushBack();

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    std::size_t linesRead() const { return line_; }

private:
    void start();
    bool fail(std::size_t line, std::string message);
    // Offset from pos_ of the first line end at or after pos_ + from, reading more from the
    // source as needed; npos when the data ends first.
    std::size_t lineEnd(std::size_t from);
    // Drops what lies before pos_ and appends what the source gives; false at its end.
    bool refill();

    std::unique_ptr<const std::string> owned_;  // stable address across moves
    Source source_;
    std::vector<char> buffer_;  // streamed data; a vector keeps its address across moves
    std::size_t chunk_ = 0;
    bool sourceDone_ = true;
    std::string_view data_;
    std::size_t pos_ = 0;
    std::size_t line_ = 0;
    Token last_;
    bool haveLast_ = false;
    bool pushedBack_ = false;
    std::string error_;
};

// Appends groups to a string as AutoCAD lays them out: the code right-aligned in
// three columns on its own line, the value on the next, "\n" line ends.
class CADHOST_API TokenWriter {
public:
    TokenWriter() = default;                                  // writes to its own string
    explicit TokenWriter(std::string& out) : external_(&out) {}  // appends to out

    // Text value. Control characters cannot stay in a line-based file, so they are
    // caret-escaped the way AutoCAD does ("\n" -> "^J", "^" -> "^ "); "\r" is dropped
    // so that "\r\n" and "\n" both become a single "^J".
    void write(int code, std::string_view value);
    // Shortest text that reads back to the same double, always with a point or an
    // exponent. A NaN or infinity has no DXF form: nothing is written, false is
    // returned and the writer is marked failed.
    bool write(int code, double value);
    void writeInt(int code, std::int64_t value);
    void writeHandle(int code, std::uint64_t handle);  // upper-case hex, "0" for null
    void writeBool(int code, bool value);

    const std::string& str() const { return external_ ? *external_ : own_; }
    std::string take();  // moves the written text out (also of a caller's string)
    void reserve(std::size_t bytes) { out().reserve(bytes); }

    // Set once a value could not be written; the output is then incomplete.
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

private:
    std::string& out() { return external_ ? *external_ : own_; }
    void writeCode(int code);

    std::string own_;
    std::string* external_ = nullptr;
    std::string error_;
};

}  // namespace cadhost::dxf
