#include "db/dwglayout.h"
#include <array>
#include <cstring>

namespace cadhost::dwg {

namespace {
// Reflected CRC-32 (polynomial 0x04C11DB7), as zip and PNG use it.
constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

// Number of entries, then code, address and size for each.
constexpr uint32_t kEntrySize = 1 + 4 + 4;
}  // namespace

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool parsePreviewBlock(const ByteReader& read, uint64_t fileSize, uint64_t address, PreviewBlock& block,
                       std::string& error) {
    block = PreviewBlock();
    block.address = address;
    uint8_t head[16 + 4 + 1];
    if (address > fileSize || fileSize - address < sizeof head || !read(address, head, sizeof head)) {
        error = "the preview image block lies outside the file";
        return false;
    }
    if (std::memcmp(head, kStartSentinel, 16) != 0) {
        error = "the preview image block has no start sentinel";
        return false;
    }
    block.declaredSize = get32(head + 16);
    const uint8_t count = head[20];
    std::vector<uint8_t> table(size_t(count) * kEntrySize);
    if (count && (fileSize - address - sizeof head < table.size() || !read(address + sizeof head, table.data(), table.size()))) {
        error = "the preview image entries run past the end of the file";
        return false;
    }
    for (uint8_t i = 0; i < count; ++i) {
        const uint8_t* p = table.data() + size_t(i) * kEntrySize;
        PreviewEntry e{p[0], get32(p + 1), get32(p + 5)};
        if (e.address > fileSize || e.size > fileSize - e.address) {
            error = "preview image entry " + std::to_string(i + 1) + " (code " + std::to_string(e.code) +
                    ") lies outside the file";
            return false;
        }
        block.entries.push_back(e);
    }
    // The size counts from the number of entries to the end sentinel.
    const uint64_t endAt = address + 20 + uint64_t(block.declaredSize);
    uint8_t tail[16];
    if (endAt <= fileSize && fileSize - endAt >= 16 && read(endAt, tail, 16) && std::memcmp(tail, kEndSentinel, 16) == 0) {
        block.endSentinelFound = true;
        block.end = endAt + 16;
    }
    return true;
}

void appendPreviewBlock(std::vector<uint8_t>& out, const std::vector<uint8_t>& packedDib) {
    const uint8_t count = packedDib.empty() ? 1 : 2;
    const uint32_t size = 1 + count * kEntrySize + kPreviewHeaderDataSize + uint32_t(packedDib.size());
    const size_t start = out.size();
    out.insert(out.end(), kStartSentinel, kStartSentinel + 16);
    out.resize(out.size() + 4 + 1 + count * kEntrySize, 0);
    uint8_t* p = out.data() + start + 16;
    put32(p, size);
    p[4] = count;
    const uint32_t headerAt = uint32_t(start + 16 + 4 + 1 + count * kEntrySize);
    p[5] = kHeaderData;
    put32(p + 6, headerAt);
    put32(p + 10, kPreviewHeaderDataSize);
    if (!packedDib.empty()) {
        p[14] = kBmp;
        put32(p + 15, headerAt + kPreviewHeaderDataSize);
        put32(p + 19, uint32_t(packedDib.size()));
    }
    out.resize(out.size() + kPreviewHeaderDataSize, 0);
    out.insert(out.end(), packedDib.begin(), packedDib.end());
    out.insert(out.end(), kEndSentinel, kEndSentinel + 16);
}

}  // namespace cadhost::dwg
