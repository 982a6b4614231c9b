#include "db/handle.h"
#include <cstdio>

AcDbHandle::AcDbHandle(const char* hex) {
    // Up to 16 hex digits; anything else leaves the null handle.
    uint64_t v = 0;
    int digits = 0;
    for (const char* p = hex; p && *p; ++p) {
        char c = *p;
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return;
        if (++digits > 16) return;
        v = (v << 4) | static_cast<uint64_t>(d);
    }
    m_value = v;
}

void AcDbHandle::getIntoAsciiBuffer(char* buffer, size_t size) const {
    if (!buffer || size == 0) return;
    // A buffer too small gets the empty text rather than a cut, wrong handle.
    if (std::snprintf(buffer, size, "%llX", static_cast<unsigned long long>(m_value)) >= static_cast<int>(size))
        buffer[0] = '\0';
}

std::string AcDbHandle::ascii() const {
    char buf[17];
    getIntoAsciiBuffer(buf, sizeof buf);
    return buf;
}
