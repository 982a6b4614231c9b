#pragma once
// The preview image a drawing file keeps for browsers: found through the address at byte 13, an
// image-data block of entry records (code, start, size), of which code 2 is a packed DIB.
#include <cstdint>
#include <cstdio>
#include <vector>

struct PreviewDib {
    std::vector<uint8_t> bytes;  // the whole packed DIB: header, colour table, pixel bits
    int width = 0, height = 0;   // as the header says (height negative for top-down rows)
    uint32_t bitsOffset = 0;     // where the pixel bits start within bytes
};

enum class PreviewRead {
    kUnreadable,  // the file could not be read as far as its entries: nothing is kept, try again later
    kRead,        // the entries were read; dib holds the last bitmap entry that makes sense, or nothing
};

// Reads the preview of an open drawing file. Every address, start and size is checked against the
// file's length before anything is read or allocated: what lies past the end makes the file
// unreadable for now. A bitmap entry whose header, colour table or pixel rows do not fit its bytes
// is passed over (the caller shows a placeholder); of several bitmap entries the last one counts.
PreviewRead readPreviewDib(std::FILE* file, PreviewDib& dib);

// Checks a packed DIB and finds its pixel bits; false when the header, the colour table or the
// rows do not fit the bytes, or the image is larger than a preview can be (4096 pixels a side).
bool locatePreviewBits(PreviewDib& dib);

// Swaps pure white and pure black in the colour table (so a dark preview suits a light list)
// and clears every entry's fourth byte; tables of more than 256 entries stay as they are.
void invertPreviewPalette(PreviewDib& dib);
