#include "gi/dib.h"
#include <algorithm>
#include <cstring>
#include <unordered_map>
#include "gi/palette.h"

namespace {
constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2
enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

void put16(AcArray<Adesk::UInt8>& out, uint32_t v) {
    out.append(static_cast<Adesk::UInt8>(v & 0xFF));
    out.append(static_cast<Adesk::UInt8>((v >> 8) & 0xFF));
}
void put32(AcArray<Adesk::UInt8>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
uint32_t get16(const Adesk::UInt8* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t get32(const Adesk::UInt8* p) { return get16(p) | get16(p + 2) << 16; }

uint32_t rowBytes(int width, int bitCount) { return static_cast<uint32_t>(((int64_t(width) * bitCount + 31) / 32) * 4); }

AcGiRgb rgbOf(uint32_t argb) {
    return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb)};
}

// Palette of the 8-bit form: the colour index table, entry 0 black, 7 white.
AcGiRgb paletteEntry(int i) { return i == 0 ? AcGiRgb{0, 0, 0} : acgiColorIndexToRgb(i, true); }
}  // namespace

std::vector<uint32_t> acgiResampleImage(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                                        int newHeight) {
    std::vector<uint32_t> out;
    if (width <= 0 || height <= 0 || !acgiImageSizeAllowed(newWidth, newHeight) ||
        pixels.size() < size_t(width) * size_t(height))
        return out;
    if (newWidth == width && newHeight == height) return std::vector<uint32_t>(pixels.begin(), pixels.begin() + width * height);
    out.resize(size_t(newWidth) * size_t(newHeight));
    for (int y = 0; y < newHeight; ++y) {
        const int y0 = int(int64_t(y) * height / newHeight);
        const int y1 = std::max(y0 + 1, int(int64_t(y + 1) * height / newHeight));
        for (int x = 0; x < newWidth; ++x) {
            const int x0 = int(int64_t(x) * width / newWidth);
            const int x1 = std::max(x0 + 1, int(int64_t(x + 1) * width / newWidth));
            uint64_t sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const uint32_t p = pixels[size_t(sy) * size_t(width) + size_t(sx)];
                    for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
                }
            const uint64_t n = uint64_t(y1 - y0) * uint64_t(x1 - x0);
            uint32_t v = 0;
            for (int c = 0; c < 4; ++c) v |= uint32_t((sum[c] + n / 2) / n) << (8 * c);
            out[size_t(y) * size_t(newWidth) + size_t(x)] = v;
        }
    }
    return out;
}

Acad::ErrorStatus acgiPackedDibFromImage(const std::vector<uint32_t>& pixels, int width, int height,
                                         AcArray<Adesk::UInt8>& dib, int bitCount, int dibWidth, int dibHeight) {
    if (width <= 0 || height <= 0 || pixels.size() < size_t(width) * size_t(height)) return Acad::eInvalidInput;
    if (bitCount != 8 && bitCount != 24) return Acad::eInvalidInput;
    if (dibWidth <= 0) dibWidth = width;
    if (dibHeight <= 0) dibHeight = height;
    if (!acgiImageSizeAllowed(dibWidth, dibHeight)) return Acad::eInvalidInput;
    const std::vector<uint32_t> image = acgiResampleImage(pixels, width, height, dibWidth, dibHeight);

    const uint32_t stride = rowBytes(dibWidth, bitCount);
    const uint32_t colors = bitCount == 8 ? 256 : 0;
    dib.removeAll();
    dib.setPhysicalLength(int(kHeaderSize + colors * 4 + stride * uint32_t(dibHeight)));
    put32(dib, kHeaderSize);
    put32(dib, uint32_t(dibWidth));
    put32(dib, uint32_t(dibHeight));  // positive: rows bottom-up
    put16(dib, 1);
    put16(dib, uint32_t(bitCount));
    put32(dib, 0);  // BI_RGB
    put32(dib, stride * uint32_t(dibHeight));
    put32(dib, 0);
    put32(dib, 0);
    put32(dib, colors);
    put32(dib, 0);
    for (uint32_t i = 0; i < colors; ++i) {
        const AcGiRgb c = paletteEntry(int(i));
        dib.append(c.b);
        dib.append(c.g);
        dib.append(c.r);
        dib.append(0);
    }
    std::unordered_map<uint32_t, Adesk::UInt8> nearest;
    for (int y = dibHeight - 1; y >= 0; --y) {
        const uint32_t* row = image.data() + size_t(y) * size_t(dibWidth);
        uint32_t written = 0;
        for (int x = 0; x < dibWidth; ++x) {
            const uint32_t p = row[x] & 0xFFFFFF;
            if (bitCount == 24) {
                dib.append(static_cast<Adesk::UInt8>(p));
                dib.append(static_cast<Adesk::UInt8>(p >> 8));
                dib.append(static_cast<Adesk::UInt8>(p >> 16));
                written += 3;
                continue;
            }
            auto it = nearest.find(p);
            if (it == nearest.end()) {
                const AcGiRgb c = rgbOf(p);
                // Black is entry 0; everything else the nearest colour index.
                const int index = (c.r | c.g | c.b) == 0 ? 0 : acgiNearestColorIndex(c, true);
                it = nearest.emplace(p, static_cast<Adesk::UInt8>(index)).first;
            }
            dib.append(it->second);
            ++written;
        }
        for (; written < stride; ++written) dib.append(0);
    }
    return Acad::eOk;
}

bool acgiPackedDibLayout(const Adesk::UInt8* p, size_t size, AcGiDibLayout& layout) {
    layout = AcGiDibLayout();
    if (!p || size < kCoreHeaderSize) return false;
    const uint32_t headerSize = get32(p);
    int64_t w = 0, h = 0;
    uint32_t planes = 0, bits = 0, compression = kRgb, colors = 0, masks = 0;
    if (headerSize == kCoreHeaderSize) {
        w = get16(p + 4);
        h = get16(p + 6);
        planes = get16(p + 8);
        bits = get16(p + 10);
        layout.entrySize = 3;
    } else {
        if (headerSize < kHeaderSize || headerSize > size) return false;
        w = int32_t(get32(p + 4));
        h = int32_t(get32(p + 8));
        planes = get16(p + 12);
        bits = get16(p + 14);
        compression = get32(p + 16);
        colors = get32(p + 32);
        if (compression == kBitFields && headerSize == kHeaderSize) masks = 12;
    }
    layout.topDown = h < 0;
    if (h < 0) h = -h;
    layout.width = w;
    layout.height = h;
    if (planes != 1) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const bool knownCompression = compression == kRgb || (compression == kRle8 && bits == 8) ||
                                  (compression == kRle4 && bits == 4) || (compression == kBitFields && (bits == 16 || bits == 32));
    if (!knownCompression) return false;
    if (!acgiImageSizeAllowed(w, h)) return false;
    if (bits <= 8) {
        if (colors == 0) colors = 1u << bits;
        if (colors > (1u << bits)) return false;
    } else if (colors > 256) {  // an optional palette before the rows
        return false;
    }
    const uint32_t stride = rowBytes(int(w), int(bits));
    const uint64_t pixelsAt = uint64_t(headerSize) + masks + uint64_t(colors) * layout.entrySize;
    if (pixelsAt > size) return false;
    if ((compression == kRgb || compression == kBitFields) && uint64_t(stride) * uint64_t(h) > size - pixelsAt) return false;
    layout.bitCount = int(bits);
    layout.compression = compression;
    layout.headerSize = headerSize;
    layout.colors = colors;
    layout.pixelsAt = pixelsAt;
    layout.stride = stride;
    return true;
}

Acad::ErrorStatus acgiImageFromPackedDib(const AcArray<Adesk::UInt8>& dib, std::vector<uint32_t>& pixels, int& width,
                                         int& height) {
    pixels.clear();
    width = height = 0;
    AcGiDibLayout l;
    if (!acgiPackedDibLayout(dib.asArrayPtr(), size_t(dib.length()), l)) return Acad::eInvalidInput;
    // Decoded here: uncompressed rows of 1, 4, 8, 24 or 32 bits.
    if (l.compression != kRgb || l.bitCount == 16) return Acad::eInvalidInput;
    const Adesk::UInt8* p = dib.asArrayPtr();
    const uint32_t bits = uint32_t(l.bitCount), stride = l.stride;
    const uint32_t colors = bits <= 8 ? l.colors : 0;
    const uint64_t paletteAt = l.headerSize, pixelsAt = l.pixelsAt;
    const int32_t w = int32_t(l.width);
    const int64_t rows = l.height;
    std::vector<uint32_t> palette(colors);
    for (uint32_t i = 0; i < colors; ++i) {
        const Adesk::UInt8* q = p + paletteAt + uint64_t(i) * l.entrySize;
        palette[i] = 0xFF000000u | uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
    }
    pixels.resize(size_t(w) * size_t(rows));
    for (int64_t r = 0; r < rows; ++r) {
        const Adesk::UInt8* row = p + pixelsAt + uint64_t(r) * stride;
        const int64_t y = l.topDown ? r : rows - 1 - r;
        uint32_t* out = pixels.data() + size_t(y) * size_t(w);
        for (int32_t x = 0; x < w; ++x) {
            uint32_t v = 0;
            if (bits == 24 || bits == 32) {
                const Adesk::UInt8* q = row + size_t(x) * (bits / 8);
                v = 0xFF000000u | uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
            } else {
                const uint32_t bitPos = uint32_t(x) * bits;
                const uint32_t byte = row[bitPos / 8];
                const uint32_t index = (byte >> (8 - bits - bitPos % 8)) & ((1u << bits) - 1);
                if (index >= colors) {
                    pixels.clear();
                    return Acad::eInvalidInput;
                }
                v = palette[index];
            }
            out[x] = v;
        }
    }
    width = w;
    height = int(rows);
    return Acad::eOk;
}
