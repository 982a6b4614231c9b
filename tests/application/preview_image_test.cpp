// The drawing list's reader of the preview images that drawing files keep.
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <string>
#include "browser/PreviewImage.h"

namespace {
void put32(std::string& s, size_t at, uint32_t v) {
    if (s.size() < at + 4) s.resize(at + 4);
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// An 8-bit 4 x 2 packed DIB with a palette of black, white and red; pixels index 0 (black).
std::string dib8(uint32_t headerSize = 40, uint32_t colours = 3) {
    std::string d(headerSize, '\0');
    put32(d, 0, headerSize);
    put32(d, 4, 4);
    put32(d, 8, 2);
    d[12] = 1;
    d[14] = 8;
    put32(d, 32, colours);
    const uint8_t palette[3][4] = {{0, 0, 0, 9}, {255, 255, 255, 9}, {0, 0, 255, 9}};
    for (uint32_t i = 0; i < colours; ++i) d.append(reinterpret_cast<const char*>(palette[i % 3]), 4);
    d.append(8, '\0');
    return d;
}

// A drawing file of some leading bytes, the image-data block at 0x40 and the entries' data after it.
std::string drawing(const std::vector<std::pair<int, std::string>>& entries) {
    std::string f(0x40, 'x');
    put32(f, 13, 0x40);
    f.append(16, 's');
    f.append(4, '\0');
    f.push_back(static_cast<char>(entries.size()));
    size_t dataAt = f.size() + entries.size() * 9;
    std::string data;
    for (const auto& [code, bytes] : entries) {
        f.push_back(static_cast<char>(code));
        std::string rec(8, '\0');
        put32(rec, 0, static_cast<uint32_t>(dataAt + data.size()));
        put32(rec, 4, static_cast<uint32_t>(bytes.size()));
        f += rec;
        data += bytes;
    }
    return f + data;
}

PreviewRead read(const std::string& bytes, PreviewDib& dib) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    return readPreviewDib(file.get(), dib);
}
}  // namespace

TEST(PreviewImage, BitmapEntryIsReadWithWhiteAndBlackSwapped) {
    PreviewDib dib;
    ASSERT_EQ(read(drawing({{1, "header"}, {2, dib8()}, {3, "metafile"}}), dib), PreviewRead::kRead);
    ASSERT_EQ(dib.width, 4);
    EXPECT_EQ(dib.height, 2);
    EXPECT_EQ(dib.bitsOffset, 40u + 12u);
    const uint8_t* palette = dib.bytes.data() + 40;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(palette), 12),
              std::string("\xff\xff\xff\0\0\0\0\0\0\0\xff\0", 12))
        << "black becomes white, white black, red stays; every fourth byte 0";
    // A header larger than 40 bytes keeps its colour table after itself.
    ASSERT_EQ(read(drawing({{2, dib8(108)}}), dib), PreviewRead::kRead);
    EXPECT_EQ(dib.bitsOffset, 108u + 12u);
    EXPECT_EQ(static_cast<uint8_t>(dib.bytes[108]), 255);
    // Of two bitmap entries the last one is kept.
    std::string second = dib8();
    put32(second, 4, 2);
    ASSERT_EQ(read(drawing({{2, dib8()}, {2, second}}), dib), PreviewRead::kRead);
    EXPECT_EQ(dib.width, 2);
}

TEST(PreviewImage, TrueColourPreviewKeepsItsColours) {
    std::string d(40, '\0');
    put32(d, 0, 40);
    put32(d, 4, 2);
    put32(d, 8, 1);
    d[12] = 1;
    d[14] = 24;
    d += std::string("\xff\xff\xff\0\0\0\0\0", 8);
    PreviewDib dib;
    ASSERT_EQ(read(drawing({{2, d}}), dib), PreviewRead::kRead);
    EXPECT_EQ(dib.bitsOffset, 40u);
    EXPECT_EQ(std::string(dib.bytes.begin() + 40, dib.bytes.end()), d.substr(40)) << "no table to rewrite";
}

TEST(PreviewImage, NothingIsReadOrKeptPastTheFileOrTheEntry) {
    PreviewDib dib;
    // Files cut short: no address, an address past the end, an entry record or data past the end.
    EXPECT_EQ(read("short", dib), PreviewRead::kUnreadable);
    std::string far = drawing({{2, dib8()}});
    put32(far, 13, 0x7fffffff);
    EXPECT_EQ(read(far, dib), PreviewRead::kUnreadable);
    std::string cut = drawing({{2, dib8()}});
    cut.resize(cut.size() - 4);
    EXPECT_EQ(read(cut, dib), PreviewRead::kUnreadable);
    std::string huge = drawing({{2, dib8()}});
    put32(huge, 0x40 + 21 + 5, 0xfffffff0);
    EXPECT_EQ(read(huge, dib), PreviewRead::kUnreadable) << "the size decides no allocation";
    EXPECT_TRUE(dib.bytes.empty());
    // Entries whose bytes do not hold what their header says: passed over, the placeholder shows.
    std::string colours = dib8();
    put32(colours, 32, 256);  // a table of 256 entries in a block that holds 3
    std::string rows = dib8();
    put32(rows, 8, 1000);  // rows past the block
    std::string header = dib8();
    put32(header, 0, 5000);  // a header larger than the block
    std::string wide = dib8();
    put32(wide, 4, 100000);
    for (const std::string& broken : {colours, rows, header, wide, std::string("tiny")}) {
        ASSERT_EQ(read(drawing({{2, broken}}), dib), PreviewRead::kRead);
        EXPECT_TRUE(dib.bytes.empty());
    }
    // No entries, or only other kinds: read, without a bitmap.
    ASSERT_EQ(read(drawing({}), dib), PreviewRead::kRead);
    EXPECT_TRUE(dib.bytes.empty());
    ASSERT_EQ(read(drawing({{3, "wmf"}}), dib), PreviewRead::kRead);
    EXPECT_TRUE(dib.bytes.empty());
}
