#include "win/dlginit.h"
#include <cstdint>
#include <cstring>

bool cadhostReadDlgInit(const void* data, std::size_t size, std::vector<DlgInitEntry>& out, std::string* error) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    auto word = [&](std::size_t at) { return static_cast<unsigned>(bytes[at] | bytes[at + 1] << 8); };
    std::size_t at = 0;
    auto fail = [&](const char* what) {
        if (error) *error = "dialog initial data: " + std::string(what) + " at byte " + std::to_string(at);
        return false;
    };
    while (bytes && at + 2 <= size) {
        const unsigned control = word(at);
        if (control == 0) return true;
        if (at + 8 > size) return fail("a record header runs past the end");
        const unsigned message = word(at + 2);
        const std::uint32_t length = static_cast<std::uint32_t>(word(at + 4)) | static_cast<std::uint32_t>(word(at + 6)) << 16;
        if (length > size - at - 8) return fail("a record's text runs past the end");
        const char* text = reinterpret_cast<const char*>(bytes + at + 8);
        const void* nul = std::memchr(text, 0, length);
        DlgInitEntry entry;
        entry.control = control;
        entry.message = message;
        entry.text.assign(text, nul ? static_cast<const char*>(nul) - text : length);
        out.push_back(std::move(entry));
        at += 8 + length;
    }
    return true;
}
