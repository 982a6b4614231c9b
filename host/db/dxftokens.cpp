#include "db/dxftokens.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace cadhost::dxf {

ValueKind kindOfGroupCode(int code) {
    using K = ValueKind;
    if (code < 0) return K::String;
    if (code <= 9) return K::String;
    if (code <= 59) return K::Double;
    if (code <= 79) return K::Int16;
    if (code <= 89) return K::String;
    if (code <= 99) return K::Int32;
    if (code <= 102) return K::String;  // 100 subclass, 101 embedded object, 102 control
    if (code == 105) return K::Handle;
    if (code < 110) return K::String;
    if (code <= 149) return K::Double;
    if (code < 160) return K::String;
    if (code <= 169) return K::Int64;
    if (code <= 179) return K::Int16;
    if (code < 210) return K::String;
    if (code <= 239) return K::Double;
    if (code < 270) return K::String;
    if (code <= 289) return K::Int16;
    if (code <= 299) return K::Bool;
    if (code <= 309) return K::String;
    if (code <= 319) return K::Binary;
    if (code <= 369) return K::Handle;
    if (code <= 389) return K::Int16;
    if (code <= 399) return K::Handle;
    if (code <= 409) return K::Int16;
    if (code <= 419) return K::String;
    if (code <= 429) return K::Int32;
    if (code <= 439) return K::String;
    if (code <= 459) return K::Int32;
    if (code <= 469) return K::Double;
    if (code <= 479) return K::String;
    if (code <= 481) return K::Handle;
    if (code < 1004) return K::String;  // 999 comment, 1000-1003 xdata strings
    if (code == 1004) return K::Binary;  // xdata binary chunk
    if (code <= 1009) return K::String;
    if (code <= 1059) return K::Double;
    if (code <= 1070) return K::Int16;
    if (code == 1071) return K::Int32;
    return K::String;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Strips a '+' sign (from_chars takes only '-') and checks a digit comes next, which
// also keeps out "inf", "nan" and "+-1".
bool numberStart(std::string_view& text, bool allowPoint) {
    std::size_t i = 0;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    else if (!text.empty() && text.front() == '-')
        i = 1;
    if (i >= text.size()) return false;
    char c = text[i];
    if (c >= '0' && c <= '9') return true;
    return allowPoint && c == '.' && i + 1 < text.size() && text[i + 1] >= '0' &&
           text[i + 1] <= '9';
}

template <typename T>
std::optional<T> parseInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!numberStart(text, false)) return std::nullopt;
    T v{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

// A code line shown in an error message: short and printable.
std::string quoted(std::string_view text) {
    constexpr std::size_t kMax = 40;
    std::string out = "'";
    for (std::size_t i = 0; i < text.size() && i < kMax; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
    }
    if (text.size() > kMax) out += "...";
    out += '\'';
    return out;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<double> parseDouble(std::string_view text) {
    text = trimBlanks(text);
    if (!numberStart(text, true)) return std::nullopt;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    // Out of range (beyond the double range, or below it) is refused rather than
    // silently turned into infinity or zero.
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::optional<std::int32_t> parseInt(std::string_view text) {
    return parseInteger<std::int32_t>(text);
}

std::optional<std::int64_t> parseInt64(std::string_view text) {
    return parseInteger<std::int64_t>(text);
}

std::optional<bool> parseBool(std::string_view text) {
    auto v = parseInteger<std::int32_t>(text);
    if (!v || (*v != 0 && *v != 1)) return std::nullopt;
    return *v == 1;
}

std::optional<std::uint64_t> parseHandle(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return std::nullopt;
    std::uint64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::string decodeCaret(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '^' && i + 1 < text.size()) {
            char n = text[i + 1];
            if (n == ' ') {
                out += '^';
                ++i;
                continue;
            }
            if (n >= '@' && n <= '_') {
                out += static_cast<char>(n - '@');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// --- TokenReader ---

TokenReader::TokenReader(std::string_view data) : data_(data) { start(); }

TokenReader::TokenReader(std::string&& data)
    : owned_(std::make_unique<const std::string>(std::move(data))), data_(*owned_) {
    start();
}

TokenReader::TokenReader(Source source, std::size_t chunk)
    : source_(std::move(source)), chunk_(std::max<std::size_t>(chunk, 64)), sourceDone_(!source_) {
    while (data_.size() < 64 && refill()) {
    }
    start();
}

bool TokenReader::refill() {
    if (sourceDone_ || failed()) return false;
    const std::size_t kept = data_.size() - pos_;
    if (kept) std::memmove(buffer_.data(), buffer_.data() + pos_, kept);
    pos_ = 0;
    if (buffer_.size() - kept < chunk_ / 2) buffer_.resize(std::max(buffer_.size() * 2, kept + chunk_));
    std::string errorText;
    const long n = source_(buffer_.data() + kept, buffer_.size() - kept, errorText);
    data_ = std::string_view(buffer_.data(), kept + static_cast<std::size_t>(std::max(n, 0L)));
    if (n > 0) return true;
    sourceDone_ = true;
    if (n < 0) fail(line_ + 1, "the data cannot be read" + (errorText.empty() ? std::string() : ": " + errorText));
    return false;
}

std::size_t TokenReader::lineEnd(std::size_t from) {
    while (true) {
        if (pos_ + from < data_.size()) {
            const char* start = data_.data() + pos_;
            if (const void* nl = std::memchr(start + from, '\n', data_.size() - pos_ - from))
                return static_cast<std::size_t>(static_cast<const char*>(nl) - start);
        }
        from = data_.size() - pos_;  // searched; refill() keeps it before the new data
        if (!refill()) return std::string_view::npos;
    }
}

void TokenReader::start() {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    static constexpr std::string_view kBinary = "AutoCAD Binary DXF";
    if (data_.starts_with(kBom)) pos_ = kBom.size();
    if (data_.substr(pos_).starts_with(kBinary))
        fail(1, "binary DXF is not supported; save the drawing as ASCII DXF");
}

bool TokenReader::fail(std::size_t line, std::string message) {
    error_ = "line " + std::to_string(line) + ": " + std::move(message);
    haveLast_ = false;
    pushedBack_ = false;
    return false;
}

bool TokenReader::pushBack() {
    if (!haveLast_ || pushedBack_) return false;
    pushedBack_ = true;
    return true;
}

bool TokenReader::next(Token& token) {
    if (pushedBack_) {
        pushedBack_ = false;
        token = last_;
        return true;
    }
    haveLast_ = false;
    if (failed()) return false;
    if (pos_ >= data_.size() && !refill()) return false;

    const std::size_t codeLine = line_ + 1;

    // Group code line; offsets are from pos_, which stays the start of the group until its
    // value line is found (reading more keeps the data from there on).
    const std::size_t codeEnd = lineEnd(0);
    if (failed()) return false;
    const std::size_t codeLength = codeEnd == std::string_view::npos ? data_.size() - pos_ : codeEnd;
    std::string_view codeText(data_.data() + pos_, codeLength);
    if (!codeText.empty() && codeText.back() == '\r') codeText.remove_suffix(1);
    codeText = trimBlanks(codeText);
    if (codeText.empty()) {
        // Blank lines (or a DOS end-of-file mark) after the last group end the data.
        do {
            for (std::size_t i = pos_; i < data_.size(); ++i) {
                char c = data_[i];
                if (c != '\n' && c != '\r' && c != ' ' && c != '\t' && c != '\x1a')
                    return fail(codeLine, "empty group code line");
            }
            pos_ = data_.size();
        } while (refill());
        return false;
    }
    int code = 0;
    auto [end, ec] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
    if (ec != std::errc() || end != codeText.data() + codeText.size())
        return fail(codeLine, "group code is not an integer: " + quoted(codeText));
    while (codeEnd != std::string_view::npos && pos_ + codeEnd + 1 >= data_.size() && refill()) {
    }
    if (failed()) return false;
    if (codeEnd == std::string_view::npos || pos_ + codeEnd + 1 >= data_.size())
        return fail(codeLine, "group code " + std::to_string(code) +
                                  " has no value line (data is truncated)");

    // Value line; the last line of the data may lack its line end.
    const std::size_t valueStart = codeEnd + 1;
    const std::size_t nl = lineEnd(valueStart);
    if (failed()) return false;
    const char* base = data_.data() + pos_;
    std::size_t valueEnd = nl == std::string_view::npos ? data_.size() - pos_ : nl;
    pos_ = nl == std::string_view::npos ? data_.size() : pos_ + nl + 1;
    if (valueEnd > valueStart && base[valueEnd - 1] == '\r') --valueEnd;

    line_ += 2;
    token.code = code;
    token.value = std::string_view(base + valueStart, valueEnd - valueStart);
    token.line = codeLine;
    last_ = token;
    haveLast_ = true;
    return true;
}

// --- TokenWriter ---

void TokenWriter::writeCode(int code) {
    std::string& o = out();
    if (code >= 0 && code < 10) {
        const char s[4] = {' ', ' ', static_cast<char>('0' + code), '\n'};
        o.append(s, 4);
    } else if (code >= 10 && code < 100) {
        const char s[4] = {' ', static_cast<char>('0' + code / 10),
                           static_cast<char>('0' + code % 10), '\n'};
        o.append(s, 4);
    } else {
        char buf[16];
        auto r = std::to_chars(buf, buf + sizeof buf, code);
        std::size_t n = static_cast<std::size_t>(r.ptr - buf);
        if (n < 3) o.append(3 - n, ' ');
        o.append(buf, n);
        o += '\n';
    }
}

void TokenWriter::write(int code, std::string_view value) {
    writeCode(code);
    std::string& o = out();
    std::size_t run = 0;  // start of the pending plain run
    for (std::size_t i = 0; i < value.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(value[i]);
        if (c >= 0x20 && c != '^') continue;
        o.append(value.data() + run, i - run);
        run = i + 1;
        if (c == '\r') continue;
        const char esc[2] = {'^', c == '^' ? ' ' : static_cast<char>(c + '@')};
        o.append(esc, 2);
    }
    o.append(value.data() + run, value.size() - run);
    o += '\n';
}

bool TokenWriter::write(int code, double value) {
    if (!std::isfinite(value)) {
        if (error_.empty())
            error_ = "group " + std::to_string(code) + ": a NaN or infinite value has no DXF form";
        return false;
    }
    writeCode(code);
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf - 2, value);
    char* p = r.ptr;
    if (!std::memchr(buf, '.', static_cast<std::size_t>(p - buf)) &&
        !std::memchr(buf, 'e', static_cast<std::size_t>(p - buf))) {
        *p++ = '.';
        *p++ = '0';
    }
    std::string& o = out();
    o.append(buf, static_cast<std::size_t>(p - buf));
    o += '\n';
    return true;
}

void TokenWriter::writeInt(int code, std::int64_t value) {
    writeCode(code);
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string& o = out();
    o.append(buf, static_cast<std::size_t>(r.ptr - buf));
    o += '\n';
}

void TokenWriter::writeHandle(int code, std::uint64_t handle) {
    writeCode(code);
    static constexpr char kHex[] = "0123456789ABCDEF";
    char buf[16];
    char* p = buf + sizeof buf;
    do {
        *--p = kHex[handle & 0xF];
        handle >>= 4;
    } while (handle);
    std::string& o = out();
    o.append(p, static_cast<std::size_t>(buf + sizeof buf - p));
    o += '\n';
}

void TokenWriter::writeBool(int code, bool value) {
    writeCode(code);
    out().append(value ? "1\n" : "0\n", 2);
}

std::string TokenWriter::take() {
    std::string s = std::move(out());
    out().clear();
    return s;
}

}  // namespace cadhost::dxf
