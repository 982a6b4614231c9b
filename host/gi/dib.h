#pragma once
#include <cstdint>
#include <vector>
#include "db/types.h"

// Packed device-independent bitmaps: a BITMAPINFOHEADER, the palette (up to 8 bits a pixel) and
// bottom-up pixel rows padded to four bytes, as block preview icons and drawing previews are kept.
// Images are rows top to bottom of 0xAARRGGBB values.

// The largest image decoded from outside data or written as a packed DIB: pixels a side and in
// all (4 bytes a pixel once decoded).
constexpr int kAcGiMaxImageSide = 4096;
constexpr int64_t kAcGiMaxImagePixels = int64_t(1) << 22;
inline bool acgiImageSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kAcGiMaxImageSide && height <= kAcGiMaxImageSide &&
           width * height <= kAcGiMaxImagePixels;
}

// What the header of a packed DIB declares.
struct AcGiDibLayout {
    int64_t width = 0, height = 0;  // height: rows, positive
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = 0;
    uint32_t headerSize = 0;
    uint32_t colors = 0;     // palette entries
    uint32_t entrySize = 4;  // bytes a palette entry (3 after an OS/2 core header)
    uint64_t pixelsAt = 0;   // offset of the pixel rows
    uint32_t stride = 0;     // bytes a row, uncompressed
};
// Checks the header of a packed DIB against its bytes before anything is decoded: a known header
// and depth, a size within the limits above, a palette within its depth and the bytes, and
// uncompressed rows within the bytes. Fills layout when it answers true; when it answers false
// the size is there once the header could be read.
CADHOST_API bool acgiPackedDibLayout(const Adesk::UInt8* bytes, size_t size, AcGiDibLayout& layout);

// Writes an 8-bit (AutoCAD Color Index palette) or 24-bit bitmap of dibWidth x dibHeight pixels
// (0: the image's size), resampling the image when the sizes differ.
CADHOST_API Acad::ErrorStatus acgiPackedDibFromImage(const std::vector<uint32_t>& pixels, int width, int height,
                                                     AcArray<Adesk::UInt8>& dib, int bitCount = 8,
                                                     int dibWidth = 0, int dibHeight = 0);
// Reads an uncompressed 1, 4, 8, 24 or 32-bit packed bitmap (either row order) back to an image.
CADHOST_API Acad::ErrorStatus acgiImageFromPackedDib(const AcArray<Adesk::UInt8>& dib, std::vector<uint32_t>& pixels,
                                                     int& width, int& height);
// Resamples an image: averaging when shrinking, nearest pixel when growing (empty beyond the size
// limits).
CADHOST_API std::vector<uint32_t> acgiResampleImage(const std::vector<uint32_t>& pixels, int width, int height,
                                                    int newWidth, int newHeight);
