// Reads arbitrary bytes as DXF groups twice: from memory and streamed in small pieces. Both
// readings must give the same groups, lines and error. The first byte picks the piece size.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "db/dxftokens.h"

namespace {
struct Group {
    int code;
    std::string value;
    std::size_t line;
    bool operator==(const Group&) const = default;
};

std::vector<Group> groupsOf(cadhost::dxf::TokenReader& reader) {
    std::vector<Group> out;
    for (cadhost::dxf::Token t; reader.next(t);) {
        if (out.size() % 3 == 0) {
            if (!reader.pushBack() || !reader.next(t)) std::abort();
        }
        out.push_back({t.code, std::string(t.value), t.line});
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = data[0] % 16 + 1;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    cadhost::dxf::TokenReader memory{std::string_view(text)};
    const std::vector<Group> expected = groupsOf(memory);
    std::size_t at = 0;
    cadhost::dxf::TokenReader streamed(
        [&](char* buffer, std::size_t room, std::string&) -> long {
            const std::size_t n = std::min({room, piece, text.size() - at});
            std::memcpy(buffer, text.data() + at, n);
            at += n;
            return static_cast<long>(n);
        },
        64);
    if (groupsOf(streamed) != expected || streamed.error() != memory.error() ||
        streamed.linesRead() != memory.linesRead())
        std::abort();
    return 0;
}
