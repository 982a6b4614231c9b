#include "ax/guidtext.h"
#include <cstdio>
#include <cstring>

std::string axGuidToString(REFGUID g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3),
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads exactly count hex digits.
bool readHex(const char*& p, int count, uint64_t& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        int d = hexDigit(p[i]);
        if (d < 0) return false;
        value = value * 16 + static_cast<uint64_t>(d);
    }
    p += count;
    return true;
}

bool expect(const char*& p, char c) {
    if (*p != c) return false;
    ++p;
    return true;
}
}  // namespace

bool axGuidFromString(const char* text, GUID* guid) {
    if (!text || !guid) return false;
    size_t length = std::strlen(text);
    bool braces = length == 38;
    if (!braces && length != 36) return false;
    if (braces && (text[0] != '{' || text[37] != '}')) return false;
    const char* p = text + (braces ? 1 : 0);
    uint64_t d1, d2, d3, d4a, d4b;
    if (!readHex(p, 8, d1) || !expect(p, '-') || !readHex(p, 4, d2) || !expect(p, '-') || !readHex(p, 4, d3) ||
        !expect(p, '-') || !readHex(p, 4, d4a) || !expect(p, '-') || !readHex(p, 12, d4b))
        return false;
    GUID g;
    g.Data1 = static_cast<uint32_t>(d1);
    g.Data2 = static_cast<uint16_t>(d2);
    g.Data3 = static_cast<uint16_t>(d3);
    g.Data4[0] = static_cast<uint8_t>(d4a >> 8);
    g.Data4[1] = static_cast<uint8_t>(d4a);
    for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<uint8_t>(d4b >> (8 * (5 - i)));
    *guid = g;
    return true;
}
