#include "browser/PreviewImage.h"
#include <cstring>

namespace {
constexpr long kAddressAt = 13;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBitFields = 3;
constexpr int64_t kLargestSide = 4096;

uint32_t u32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
int32_t i32(const uint8_t* p) { return static_cast<int32_t>(u32(p)); }
uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool readAt(std::FILE* file, long at, void* into, size_t size) {
    return std::fseek(file, at, SEEK_SET) == 0 && std::fread(into, 1, size, file) == size;
}

// Entries of the table: the depth's own count when the header gives none.
uint64_t colourCount(const uint8_t* header) {
    const uint32_t used = u32(header + 32);
    const int bits = u16(header + 14);
    if (used != 0) return used;
    return bits <= 8 ? uint64_t(1) << bits : 0;
}
}  // namespace

bool locatePreviewBits(PreviewDib& dib) {
    const uint64_t size = dib.bytes.size();
    if (size < kInfoHeaderSize) return false;
    const uint8_t* h = dib.bytes.data();
    const uint32_t headerSize = u32(h);
    if (headerSize < kInfoHeaderSize || headerSize > size) return false;
    const int64_t width = i32(h + 4), height = i32(h + 8);
    const int bits = u16(h + 14);
    const uint32_t compression = u32(h + 16);
    const int64_t rows = height < 0 ? -height : height;
    if (width <= 0 || rows <= 0 || width > kLargestSide || rows > kLargestSide) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression != 0 && !(compression == kBitFields && (bits == 16 || bits == 32))) return false;
    uint64_t offset = headerSize + colourCount(h) * 4;
    if (compression == kBitFields && headerSize == kInfoHeaderSize) offset += 12;
    const uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
    if (offset > size || stride * uint64_t(rows) > size - offset) return false;
    dib.width = static_cast<int>(width);
    dib.height = static_cast<int>(height);
    dib.bitsOffset = static_cast<uint32_t>(offset);
    return true;
}

void invertPreviewPalette(PreviewDib& dib) {
    const uint8_t* h = dib.bytes.data();
    const uint64_t colours = colourCount(h);
    if (colours > 256) return;
    const uint32_t tableAt = u32(h);
    for (uint64_t i = 0; i < colours && tableAt + (i + 1) * 4 <= dib.bitsOffset; ++i) {
        uint8_t* entry = dib.bytes.data() + tableAt + i * 4;
        const bool white = entry[0] == 255 && entry[1] == 255 && entry[2] == 255;
        const bool black = entry[0] == 0 && entry[1] == 0 && entry[2] == 0;
        if (white) std::memset(entry, 0, 3);
        else if (black) std::memset(entry, 255, 3);
        entry[3] = 0;
    }
}

PreviewRead readPreviewDib(std::FILE* file, PreviewDib& dib) {
    dib = PreviewDib{};
    if (!file || std::fseek(file, 0, SEEK_END) != 0) return PreviewRead::kUnreadable;
    const long length = std::ftell(file);
    uint8_t word[4];
    if (length < kAddressAt + 4 || !readAt(file, kAddressAt, word, 4)) return PreviewRead::kUnreadable;
    const uint64_t address = u32(word);
    // Sentinel (16), overall size (4), entry count (1).
    uint8_t head[21];
    if (address + sizeof head > uint64_t(length) || !readAt(file, static_cast<long>(address), head, sizeof head))
        return PreviewRead::kUnreadable;
    const int count = static_cast<int8_t>(head[20]);
    for (int i = 0; i < count; ++i) {
        uint8_t record[9];
        const uint64_t recordAt = address + sizeof head + uint64_t(i) * 9;
        if (recordAt + 9 > uint64_t(length) || !readAt(file, static_cast<long>(recordAt), record, 9))
            return PreviewRead::kUnreadable;
        if (static_cast<int8_t>(record[0]) != 2) continue;
        const uint64_t start = u32(record + 1), size = u32(record + 5);
        // A file cut short (perhaps still being written) is read again later.
        if (start > uint64_t(length) || size > uint64_t(length) - start) return PreviewRead::kUnreadable;
        PreviewDib entry;
        entry.bytes.resize(size);
        if (!readAt(file, static_cast<long>(start), entry.bytes.data(), size)) return PreviewRead::kUnreadable;
        if (!locatePreviewBits(entry)) continue;
        invertPreviewPalette(entry);
        dib = std::move(entry);
    }
    return PreviewRead::kRead;
}
