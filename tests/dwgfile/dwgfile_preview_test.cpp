// The first bytes and the preview image block of drawing files, and acdbReadDwgPreview on ours
// and on files laid out as other programs lay theirs out.
#include "db/dwgfile.h"
#include "dwgtest.h"
#include "gi/dib.h"

using namespace dwgtest;

namespace {

// Where a preview reader for AutoCAD drawings finds the image block and its entries.
struct Entry {
    uint8_t code;
    uint32_t address, size;
};
struct Block {
    uint32_t address, size;
    std::vector<Entry> entries;
};

Block previewBlock(const std::vector<uint8_t>& file) {
    Block b{le32(file, 0x0D), 0, {}};
    b.size = le32(file, b.address + 16);
    const uint8_t count = file[b.address + 20];
    for (uint8_t i = 0; i < count; ++i) {
        const size_t at = b.address + 21 + size_t(i) * 9;
        b.entries.push_back({file[at], le32(file, at + 1), le32(file, at + 5)});
    }
    return b;
}

std::vector<uint8_t> bmpOf(const std::vector<uint8_t>& file) {
    for (const Entry& e : previewBlock(file).entries)
        if (e.code == 2) return std::vector<uint8_t>(file.begin() + e.address, file.begin() + e.address + e.size);
    return {};
}

TEST(DwgLayout, FirstBytesAndPreviewBlockAreWhereAutoCadKeepsThem) {
    TempDir dir;
    AcDbDatabase db(true, true);
    buildDrawing(&db);
    const std::string path = dir.file("d.dwg");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk) << db.lastError();
    const std::vector<uint8_t> file = readBytes(path);
    ASSERT_GT(file.size(), 0x200u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "AC1018");
    const Block b = previewBlock(file);
    EXPECT_EQ(std::memcmp(file.data() + b.address, kStart, 16), 0);
    // The size counts from the entry count to the end sentinel.
    ASSERT_LE(b.address + 20u + b.size + 16u, file.size());
    EXPECT_EQ(std::memcmp(file.data() + b.address + 20 + b.size, kEnd, 16), 0);
    ASSERT_EQ(b.entries.size(), 2u);
    EXPECT_EQ(b.entries[0].code, 1);
    EXPECT_EQ(b.entries[0].address, b.address + 21u + 18u);
    EXPECT_EQ(b.entries[1].code, 2);
    EXPECT_EQ(b.entries[1].address, b.entries[0].address + b.entries[0].size);
    EXPECT_EQ(b.entries[1].address + b.entries[1].size, b.address + 20 + b.size);

    // The BMP data is a packed DIB: 8 bits a pixel with its palette, no file header.
    const std::vector<uint8_t> dib = bmpOf(file);
    ASSERT_GE(dib.size(), 40u + 1024u);
    EXPECT_EQ(le32(dib, 0), 40u);
    EXPECT_EQ(dib[14] | dib[15] << 8, 8);
    EXPECT_EQ(le32(dib, 16), 0u);  // uncompressed
    EXPECT_EQ(le32(dib, 4), 180u);
    EXPECT_EQ(le32(dib, 8), 135u);
    EXPECT_EQ(dib.size(), 40u + 1024u + 180u * 135u);
    AcArray<Adesk::UInt8> arr;
    for (uint8_t c : dib) arr.append(c);
    std::vector<uint32_t> pixels;
    int pw = 0, ph = 0;
    ASSERT_EQ(acgiImageFromPackedDib(arr, pixels, pw, ph), Acad::eOk);
    // Something of the drawing is drawn on the black background.
    size_t lit = 0;
    for (uint32_t p : pixels) lit += (p & 0xFFFFFF) != 0;
    EXPECT_GT(lit, 100u);
    EXPECT_LT(lit, pixels.size() / 2);

    // The file ends with the CRC-32 of the rest; acdbReadDwgPreview finds the same bitmap.
    EXPECT_EQ(le32(file, file.size() - 4), crc32(file.data(), file.size() - 4));
    std::vector<uint8_t> read;
    std::string error;
    ASSERT_EQ(acdbReadDwgPreview(path.c_str(), read, &error), Acad::eOk) << error;
    EXPECT_TRUE(read == dib);
}

// A file laid out as another program lays it out: its own version, the block elsewhere, the
// entries in another order, header data of another size, and no object data we know.
std::vector<uint8_t> foreignFile(const char* version, uint32_t blockAt, const std::vector<std::pair<uint8_t, std::vector<uint8_t>>>& images,
                                 size_t gap = 0) {
    std::vector<uint8_t> f(blockAt + gap, 0x55);
    std::memcpy(f.data(), version, 6);
    putLe32(f, 0x0D, blockAt);
    const size_t start = blockAt + gap;
    f.insert(f.end(), kStart, kStart + 16);
    uint32_t size = 1 + 9 * uint32_t(images.size());
    for (const auto& im : images) size += uint32_t(im.second.size());
    f.resize(f.size() + 4 + 1 + 9 * images.size());
    putLe32(f, start + 16, size);
    f[start + 20] = uint8_t(images.size());
    uint32_t at = uint32_t(start + 21 + 9 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        f[start + 21 + 9 * i] = images[i].first;
        putLe32(f, start + 22 + 9 * i, at);
        putLe32(f, start + 26 + 9 * i, uint32_t(images[i].second.size()));
        at += uint32_t(images[i].second.size());
    }
    for (const auto& im : images) f.insert(f.end(), im.second.begin(), im.second.end());
    f.insert(f.end(), kEnd, kEnd + 16);
    f.resize(f.size() + 300, 0xAA);
    return f;
}

std::vector<uint8_t> smallDib() {
    std::vector<uint32_t> px(4 * 3, 0xFFFF0000u);
    AcArray<Adesk::UInt8> dib;
    EXPECT_EQ(acgiPackedDibFromImage(px, 4, 3, dib, 8), Acad::eOk);
    return std::vector<uint8_t>(dib.begin(), dib.end());
}

// A 2 x 1 PNG: a red and a green pixel.
const std::vector<uint8_t> kPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x7B, 0x40, 0xE8, 0xDD, 0x00, 0x00, 0x00,
    0x0F, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xC0, 0xF0, 0x9F, 0x01, 0x00, 0x07, 0xFF,
    0x01, 0xFF, 0x01, 0x7F, 0x89, 0xA7, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

TEST(DwgPreview, ReadsForeignFiles) {
    TempDir dir;
    const std::vector<uint8_t> dib = smallDib();
    const std::string path = dir.file("foreign.dwg");
    std::vector<uint8_t> out;
    std::string error;

    // BMP after header data, R2000 style.
    writeBytes(path, foreignFile("AC1015", 0x3A0, {{1, std::vector<uint8_t>(80, 7)}, {2, dib}}));
    ASSERT_EQ(acdbReadDwgPreview(path.c_str(), out, &error), Acad::eOk) << error;
    EXPECT_TRUE(out == dib);

    // BMP first, WMF after it, and a section page header before the sentinel (R2004 on).
    writeBytes(path, foreignFile("AC1024", 0x1C0, {{2, dib}, {3, std::vector<uint8_t>(40, 1)}, {1, std::vector<uint8_t>(80, 0)}}, 32));
    ASSERT_EQ(acdbReadDwgPreview(path.c_str(), out, &error), Acad::eOk) << error;
    EXPECT_TRUE(out == dib);

    // PNG (R2013 on) comes back as a 24-bit DIB.
    writeBytes(path, foreignFile("AC1032", 0x200, {{1, std::vector<uint8_t>(80, 0)}, {6, kPng}}));
    ASSERT_EQ(acdbReadDwgPreview(path.c_str(), out, &error), Acad::eOk) << error;
    ASSERT_GE(out.size(), 40u);
    EXPECT_EQ(le32(out, 4), 2u);
    EXPECT_EQ(le32(out, 8), 1u);
    EXPECT_EQ(out[14], 24);
    EXPECT_EQ(out[40], 0x00);  // first pixel blue, green, red
    EXPECT_EQ(out[41], 0x00);
    EXPECT_EQ(out[42], 0xFF);
    EXPECT_EQ(out[44], 0xFF);  // second pixel green

    // The object data of such a file is not decoded; the drawing stays as it was.
    AcDbDatabase db(true, true);
    const size_t before = db.numObjects();
    EXPECT_EQ(db.readDwgFile(path.c_str()), Acad::eNotImplementedYet);
    EXPECT_NE(db.lastError().find("object data of drawings written by other programs is not decoded"), std::string::npos)
        << db.lastError();
    EXPECT_EQ(db.numObjects(), before);
}

// Images over the size limit are refused from their headers, before anything is decoded or
// allocated for their pixels; the answer names the size.
TEST(DwgPreview, RefusesImagesOverTheSizeLimit) {
    TempDir dir;
    const std::string path = dir.file("huge.dwg");
    const auto refused = [&](const std::vector<uint8_t>& file, const std::string& says) {
        writeBytes(path, file);
        std::vector<uint8_t> out(3, 1);
        std::string error;
        EXPECT_EQ(acdbReadDwgPreview(path.c_str(), out, &error), Acad::eFilerError) << says;
        EXPECT_TRUE(out.empty());
        EXPECT_NE(error.find(says), std::string::npos) << error;
    };
    // A PNG header claiming 20000 x 20000 pixels, with a valid checksum.
    std::vector<uint8_t> png = kPng;
    for (size_t at : {16, 20}) {
        png[at] = 0;
        png[at + 1] = 0;
        png[at + 2] = 20000 >> 8;
        png[at + 3] = 20000 & 0xFF;
    }
    const uint32_t crc = crc32(png.data() + 12, 17);
    for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(crc >> (24 - 8 * i));
    refused(foreignFile("AC1032", 0x200, {{6, png}}), "20000 x 20000 pixels");
    png[18] = png[19] = 0;  // 0 x 20000: damaged, not large
    refused(foreignFile("AC1032", 0x200, {{6, png}}), "cannot be decoded");

    // Bitmaps: a side over the limit, too many pixels in all (top-down rows), rows past the bytes.
    std::vector<uint8_t> wide = smallDib(), many = wide, cut = wide;
    putLe32(wide, 4, uint32_t(kAcGiMaxImageSide + 1));
    refused(foreignFile("AC1018", 0x100, {{2, wide}}), std::to_string(kAcGiMaxImageSide + 1) + " x 3 pixels");
    putLe32(many, 4, 4000);
    putLe32(many, 8, uint32_t(-4000));
    refused(foreignFile("AC1018", 0x100, {{2, many}}), "4000 x 4000 pixels");
    cut.resize(cut.size() - 1);
    refused(foreignFile("AC1018", 0x100, {{2, cut}}), "damaged");

    // At the limit a side, within the count: read.
    std::vector<uint32_t> px(size_t(kAcGiMaxImageSide) * 2, 0xFF00FF00u);
    AcArray<Adesk::UInt8> dib;
    ASSERT_EQ(acgiPackedDibFromImage(px, kAcGiMaxImageSide, 2, dib, 8), Acad::eOk);
    const std::vector<uint8_t> bytes(dib.begin(), dib.end());
    writeBytes(path, foreignFile("AC1018", 0x100, {{2, bytes}}));
    std::vector<uint8_t> out;
    ASSERT_EQ(acdbReadDwgPreview(path.c_str(), out), Acad::eOk);
    EXPECT_TRUE(out == bytes);
}

TEST(DwgPreview, AnswersWhenThereIsNoneOrItIsDamaged) {
    TempDir dir;
    std::vector<uint8_t> noAddress = foreignFile("AC1018", 0x100, {{2, smallDib()}}), outside = noAddress, noSentinel = noAddress;
    putLe32(noAddress, 0x0D, 0);
    putLe32(outside, 0x100 + 22, uint32_t(outside.size()));
    noSentinel[0x100] ^= 0xFF;
    const std::pair<std::vector<uint8_t>, Acad::ErrorStatus> cases[] = {
        {foreignFile("AC1018", 0x100, {}), Acad::eNotApplicable},
        {foreignFile("AC1018", 0x100, {{1, std::vector<uint8_t>(80, 0)}, {3, std::vector<uint8_t>(40, 1)}}), Acad::eNotApplicable},
        {noAddress, Acad::eNotApplicable},
        {foreignFile("AC1009", 0x100, {{2, smallDib()}}), Acad::eNotApplicable},
        {outside, Acad::eFilerError},
        {noSentinel, Acad::eFilerError},
        {foreignFile("AC1018", 0x100, {{2, std::vector<uint8_t>(64, 0xEE)}}), Acad::eFilerError},
        {std::vector<uint8_t>(40, 'x'), Acad::eInvalidInput},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        writeBytes(dir.file("p.dwg"), cases[i].first);
        std::vector<uint8_t> out(3, 1);
        std::string error;
        EXPECT_EQ(acdbReadDwgPreview(dir.file("p.dwg").c_str(), out, &error), cases[i].second) << "case " << i << ": " << error;
        EXPECT_TRUE(out.empty());
        EXPECT_FALSE(error.empty());
    }
    std::vector<uint8_t> out;
    EXPECT_EQ(acdbReadDwgPreview(dir.file("missing.dwg").c_str(), out), Acad::eFileNotFound);
}

}  // namespace
