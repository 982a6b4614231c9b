#include "db/dxftext.h"

#include <cstdint>
#include <cstdio>
#include "db/dxftokens.h"

namespace cadhost::dxf {

namespace {

// Windows-1252 0x80-0x9F; the rest of the upper half equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t cp1252(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b; }

// Length of the UTF-8 sequence at text[i] and its code point, or 0 when it is not one.
size_t utf8At(std::string_view text, size_t i, char32_t& cp) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (c >= 0xF5) n = 0;
    if (!n || i + n > text.size()) return 0;
    cp = c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        unsigned char d = static_cast<unsigned char>(text[i + k]);
        if ((d & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp < 0xE000))
        return 0;
    return n;
}

bool validUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        size_t n = utf8At(text, i, cp);
        if (!n) return false;
        i += n;
    }
    return true;
}

}  // namespace

char32_t cp1252CodePoint(unsigned char byte) { return cp1252(byte); }

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void decodeText(std::string_view text, bool cp1252Bytes, std::string& out) {
    std::string caret;
    if (text.find('^') != std::string_view::npos) {
        caret = decodeCaret(text);
        text = caret;
    }
    const bool fromCodePage = cp1252Bytes && !validUtf8(text);
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' && i + 6 < text.size() && (text[i + 1] == 'U' || text[i + 1] == 'u') && text[i + 2] == '+') {
            char32_t cp = 0;
            size_t k = i + 3;
            for (; k < text.size() && k < i + 7; ++k) {
                int d = hexDigit(text[k]);
                if (d < 0) break;
                cp = cp * 16 + static_cast<char32_t>(d);
            }
            if (k == i + 7 && cp != 0) {
                appendUtf8(out, cp);
                i = k - 1;
                continue;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        // A byte that starts no UTF-8 sequence is a code-page byte in any file, as the writer
        // takes it: the text kept is always UTF-8.
        char32_t cp;
        size_t n = fromCodePage ? 0 : utf8At(text, i, cp);
        if (n) {
            out.append(text.data() + i, n);
            i += n - 1;
        } else {
            appendUtf8(out, cp1252(c));
        }
    }
}

void escapeUnicode(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        char32_t cp;
        size_t n = utf8At(text, i, cp);
        if (!n) {
            cp = cp1252(c);
            n = 1;
        }
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(cp));
        out += buf;
        i += n;
    }
}

}  // namespace cadhost::dxf
