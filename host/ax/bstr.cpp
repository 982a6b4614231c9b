#include "ax/bstr.h"
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {
// The length in bytes sits just before the first character.
struct Header {
    uint32_t bytes;
};
// Room before the characters: the header, padded to keep the characters aligned.
constexpr size_t kPrefix = sizeof(wchar_t) > sizeof(Header) ? sizeof(wchar_t) : sizeof(Header);

Header* headerOf(BSTR text) { return reinterpret_cast<Header*>(reinterpret_cast<char*>(text) - sizeof(Header)); }
}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, unsigned length) {
    if (length > (UINT32_MAX - kPrefix) / sizeof(OLECHAR) - 1) return nullptr;
    size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
    char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (!block) return nullptr;
    auto* chars = reinterpret_cast<OLECHAR*>(block + kPrefix);
    headerOf(chars)->bytes = static_cast<uint32_t>(bytes);
    if (text) std::memcpy(chars, text, bytes);
    else std::memset(chars, 0, bytes);
    chars[length] = L'\0';
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    return SysAllocStringLen(text, static_cast<unsigned>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<char*>(text) - kPrefix);
}

unsigned SysStringLen(BSTR text) {
    if (!text) return 0;
    return headerOf(text)->bytes / sizeof(OLECHAR);
}

BSTR axBstrFromUtf8(const char* text) {
    if (!text) return nullptr;
    std::wstring wide;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        uint32_t c = *p++;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) c &= 0x3Fu >> extra;
        for (int i = 0; i < extra && (*p & 0xC0) == 0x80; ++i) c = (c << 6) | (*p++ & 0x3Fu);
        wide.push_back(static_cast<wchar_t>(c));
    }
    return SysAllocStringLen(wide.data(), static_cast<unsigned>(wide.size()));
}

std::string axBstrToUtf8(const OLECHAR* text) {
    std::string out;
    if (!text) return out;
    for (; *text; ++text) {
        auto c = static_cast<uint32_t>(*text);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | ((c >> 18) & 0x07)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}
