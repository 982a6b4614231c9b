// Text encodings of DXF string values: \U+XXXX escapes and the Windows-1252 code page of
// files before AC1021.
#pragma once
#include <string>
#include <string_view>
#include "rx/export.h"

namespace cadhost::dxf {

inline int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A value holding bytes beyond ASCII, '^' escapes or backslashes needs decodeText.
inline bool needsDecoding(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '^' || c == '\\') return true;
    return false;
}

inline bool hasNonAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// File text to UTF-8: caret escapes, code page bytes (every byte beyond ASCII when cp1252 and
// the text is not valid UTF-8; otherwise bytes that start no UTF-8 sequence) and \U+XXXX escapes.
CADHOST_API void decodeText(std::string_view text, bool cp1252, std::string& out);
// UTF-8 to ASCII with \U+XXXX escapes; bytes that are not UTF-8 are taken as Windows-1252.
CADHOST_API void escapeUnicode(std::string_view text, std::string& out);
CADHOST_API void appendUtf8(std::string& out, char32_t cp);
// The code point of a Windows-1252 byte.
CADHOST_API char32_t cp1252CodePoint(unsigned char byte);

}  // namespace cadhost::dxf
