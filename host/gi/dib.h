#pragma once
#include <cstdint>
#include <vector>
#include "db/types.h"

// Packed device-independent bitmaps: a BITMAPINFOHEADER, the palette (up to 8 bits a pixel) and
// bottom-up pixel rows padded to four bytes, as block preview icons and drawing previews are kept.
// Images are rows top to bottom of 0xAARRGGBB values.

// Writes an 8-bit (AutoCAD Color Index palette) or 24-bit bitmap of dibWidth x dibHeight pixels
// (0: the image's size), resampling the image when the sizes differ.
CADHOST_API Acad::ErrorStatus acgiPackedDibFromImage(const std::vector<uint32_t>& pixels, int width, int height,
                                                     AcArray<Adesk::UInt8>& dib, int bitCount = 8,
                                                     int dibWidth = 0, int dibHeight = 0);
// Reads an uncompressed 1, 4, 8, 24 or 32-bit packed bitmap (either row order) back to an image.
CADHOST_API Acad::ErrorStatus acgiImageFromPackedDib(const AcArray<Adesk::UInt8>& dib, std::vector<uint32_t>& pixels,
                                                     int& width, int& height);
// Resamples an image: averaging when shrinking, nearest pixel when growing.
CADHOST_API std::vector<uint32_t> acgiResampleImage(const std::vector<uint32_t>& pixels, int width, int height,
                                                    int newWidth, int newHeight);
