#pragma once
// The host's drawing file (.dwg): the layout the writer, the reader and the preview reader share.
//
// The object data is the host's own; the first bytes and the preview image block are laid out
// as AutoCAD lays them out, so that preview readers for AutoCAD drawings read ours the same way.
// Numbers are little-endian.
//
//   0x00  "AC1018"                     version string (AutoCAD 2004 drawings)
//   0x06  5 zero bytes; 0x0B maintenance release 0; 0x0C 1
//   0x0D  int32 file address of the preview image block
//   0x13  uint16 code page 30 (ANSI 1252); 0x28 int32 0x80; other bytes up to 0x40 zero
//   0x40  "CADHOST DRAWING\0"          marks a drawing of this host
//   0x50  int32 layout version; 0x54 int32 address and 0x58 int32 size of the object data;
//   0x5C  int32 size of the whole file; zeros up to 0x80
//   0x80  preview image block:
//           start sentinel (16 bytes)
//           int32 size of what follows, up to the end sentinel
//           byte  number of entries, then per entry: byte code (1 header data, 2 BMP, 3 WMF,
//                 6 PNG), int32 file address, int32 size
//           the entries' data: header data (80 bytes), BMP data as a packed DIB
//           (BITMAPINFOHEADER, palette, pixels; no file header)
//           end sentinel (the start sentinel with every bit inverted)
//   then  the object data: "CADHOST OBJECTS\0", the handseed, the header variables, the table
//         and named-objects handles, then every object as {class name, DXF name, application,
//         flags, proxy flags, handle, owner handle, extension dictionary handle (version 2, when
//         the flags say so), data from dwgOutFields through a file filer}
//   last  uint32 CRC-32 of every byte before it
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cadhost::dwg {

constexpr char kVersion[] = "AC1018";
constexpr size_t kFileHeaderSize = 0x80;
constexpr size_t kPreviewAddressAt = 0x0D;
constexpr size_t kCodePageAt = 0x13;
constexpr size_t kTagAt = 0x40;
constexpr size_t kLayoutVersionAt = 0x50;
constexpr size_t kObjectsAddressAt = 0x54;
constexpr size_t kObjectsSizeAt = 0x58;
constexpr size_t kFileSizeAt = 0x5C;
constexpr char kFileTag[16] = "CADHOST DRAWING";
constexpr char kObjectsTag[16] = "CADHOST OBJECTS";
constexpr uint32_t kLayoutVersion = 2;
constexpr uint32_t kOldestLayoutVersion = 1;  // still read

constexpr uint8_t kStartSentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                        0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
constexpr uint8_t kEndSentinel[16] = {0xE0, 0xDA, 0x92, 0xF8, 0x2B, 0xC9, 0xD7, 0xD7,
                                      0x62, 0xA8, 0x35, 0xC0, 0x62, 0xBB, 0xEF, 0xD4};
enum PreviewCode : uint8_t { kHeaderData = 1, kBmp = 2, kWmf = 3, kPng = 6 };
constexpr uint32_t kPreviewHeaderDataSize = 80;
constexpr int kPreviewWidth = 180;
constexpr int kPreviewHeight = 135;

// Flags of an object record. A proxy record also holds the proxy's DXF groups and extents.
enum RecordFlag : uint8_t { kEntityRecord = 1, kErasedRecord = 2, kProxyRecord = 4, kExtensionDictionaryRecord = 8 };
// Kinds of header values, as AcDbHeaderValue holds them.
enum HeaderKind : uint8_t { kIntValue = 0, kRealValue = 1, kTextValue = 2, kPointValue = 3 };

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

inline uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct PreviewEntry {
    uint8_t code = 0;
    uint32_t address = 0, size = 0;
};

// A preview image block as found in a file.
struct PreviewBlock {
    uint64_t address = 0;        // of the start sentinel
    uint32_t declaredSize = 0;   // the int32 after the start sentinel
    std::vector<PreviewEntry> entries;
    uint64_t end = 0;            // just past the end sentinel, when it is where the size says
    bool endSentinelFound = false;
    const PreviewEntry* find(uint8_t code) const {
        for (const PreviewEntry& e : entries)
            if (e.code == code) return &e;
        return nullptr;
    }
};

// Reads n bytes at a file offset; false when the file is shorter.
using ByteReader = std::function<bool(uint64_t offset, void* buffer, size_t n)>;

// Reads the block whose start sentinel is at address; every entry must lie inside the file.
// Answers false with the reason in error.
bool parsePreviewBlock(const ByteReader& read, uint64_t fileSize, uint64_t address, PreviewBlock& block,
                       std::string& error);

// Appends a block holding header data and the packed DIB at the end of out (entry addresses
// are offsets in out).
void appendPreviewBlock(std::vector<uint8_t>& out, const std::vector<uint8_t>& packedDib);

}  // namespace cadhost::dwg
