// Bitmaps with pixels: DIBs read into bitmaps (each depth, both row orders, broken headers
// refused), memory contexts, block transfers with stretching, bitmap resources and global memory.
#include <cstring>
#include <vector>
#include <gtest/gtest.h>
#include "win/commctrl.h"
#include "win/globalmemory.h"
#include "win/icons.h"
#include "win/wingdi.h"
#include "win_support.h"
#include "res/test_resource.h"

namespace {

// A packed DIB in a global block: header, colour table, rows as given.
struct Dib {
    HGLOBAL block = nullptr;
    unsigned char* bytes = nullptr;
    std::size_t tableBytes = 0;
    Dib(int width, int height, int bits, const std::vector<std::uint32_t>& palette, const std::vector<unsigned char>& rows,
        std::size_t cut = 0) {
        tableBytes = palette.size() * 4;
        const std::size_t size = sizeof(BITMAPINFOHEADER) + tableBytes + rows.size() - cut;
        block = GlobalAlloc(GHND, size);
        bytes = static_cast<unsigned char*>(GlobalLock(block));
        BITMAPINFOHEADER h{};
        h.biSize = sizeof h;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bits);
        h.biClrUsed = static_cast<DWORD>(palette.size());
        std::memcpy(bytes, &h, sizeof h);
        if (tableBytes) std::memcpy(bytes + sizeof h, palette.data(), tableBytes);
        std::memcpy(bytes + sizeof h + tableBytes, rows.data(), rows.size() - cut);
    }
    ~Dib() {
        GlobalUnlock(block);
        GlobalFree(block);
    }
    BITMAPINFOHEADER* header() { return reinterpret_cast<BITMAPINFOHEADER*>(bytes); }
    HBITMAP bitmap() {
        return CreateDIBitmap(nullptr, header(), CBM_INIT, bytes + sizeof(BITMAPINFOHEADER) + tableBytes,
                              reinterpret_cast<BITMAPINFO*>(bytes), DIB_RGB_COLORS);
    }
};

// The pixels of a bitmap read back through a memory context.
std::vector<COLORREF> readBack(HBITMAP b, int width, int height) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    std::vector<COLORREF> out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
}

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255),
                   kBlack = RGB(0, 0, 0);

}  // namespace

TEST(DibBitmapTest, EveryDepthReadsBackItsPixels) {
    // Palette entries are blue, green, red, reserved: 0x00RRGGBB as a little-endian word.
    const std::vector<std::uint32_t> two = {0x000000, 0xFFFFFF};
    {  // 1 bit, bottom-up: the first row in the block is the bottom one
        Dib d(3, 2, 1, two, {0xA0, 0, 0, 0, 0x40, 0, 0, 0});
        HBITMAP b = d.bitmap();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(readBack(b, 3, 2), (std::vector<COLORREF>{kBlack, kWhite, kBlack, kWhite, kBlack, kWhite}));
        BITMAP bm{};
        ASSERT_EQ(GetObject(b, sizeof bm, &bm), static_cast<int>(sizeof bm));
        EXPECT_EQ(bm.bmWidth, 3);
        EXPECT_EQ(bm.bmHeight, 2);
        EXPECT_EQ(bm.bmBitsPixel, 1);
        EXPECT_TRUE(DeleteObject(b));
    }
    {  // 4 bits
        Dib d(2, 1, 4, {0x0000FF, 0x00FF00, 0xFF0000}, {0x21, 0, 0, 0});
        HBITMAP b = d.bitmap();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(readBack(b, 2, 1), (std::vector<COLORREF>{kRed, kGreen}));
        DeleteObject(b);
    }
    {  // 8 bits, top-down
        Dib d(1, 2, 8, {0x0000FF, 0x00FF00, 0xFF0000}, {2, 0, 0, 0, 1, 0, 0, 0});
        d.header()->biHeight = -2;
        HBITMAP b = d.bitmap();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(readBack(b, 1, 2), (std::vector<COLORREF>{kRed, kGreen}));
        DeleteObject(b);
    }
    {  // 24 bits: blue, green, red bytes; rows padded to four bytes
        Dib d(2, 1, 24, {}, {0xFF, 0, 0, 0, 0x80, 0, 0, 0});
        HBITMAP b = d.bitmap();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(readBack(b, 2, 1), (std::vector<COLORREF>{kBlue, RGB(0, 128, 0)}));
        DeleteObject(b);
    }
    {  // 16 bits, 5-5-5
        Dib d(2, 1, 16, {}, {0x00, 0x7C, 0x1F, 0x00});
        HBITMAP b = d.bitmap();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(readBack(b, 2, 1), (std::vector<COLORREF>{kRed, kBlue}));
        DeleteObject(b);
    }
}

TEST(DibBitmapTest, HeadersThatDoNotFitTheirBytesAreRefused) {
    const std::vector<std::uint32_t> two = {0x000000, 0xFFFFFF};
    Dib cut(3, 2, 1, two, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}, 1);  // the last row one byte short
    EXPECT_EQ(cut.bitmap(), nullptr);
    Dib tall(3, 2, 1, two, {0xA0, 0, 0, 0, 0x40, 0, 0, 0});
    tall.header()->biHeight = 3;  // a row more than the block holds
    EXPECT_EQ(tall.bitmap(), nullptr);
    tall.header()->biHeight = 2;
    tall.header()->biClrUsed = 200;  // more colours than one bit has
    EXPECT_EQ(tall.bitmap(), nullptr);
    tall.header()->biClrUsed = 2;
    tall.header()->biBitCount = 7;
    EXPECT_EQ(tall.bitmap(), nullptr);
    tall.header()->biBitCount = 1;
    tall.header()->biCompression = 1;  // run-length rows are not read
    EXPECT_EQ(tall.bitmap(), nullptr);
    tall.header()->biCompression = BI_RGB;
    {
        // Colour masks: after a 40-byte header, inside a larger one, and not beyond the block.
        Dib masked(1, 1, 16, {}, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0, 0x1F, 0x00, 0, 0});
        masked.header()->biCompression = BI_BITFIELDS;
        masked.tableBytes = 12;  // the rows follow the masks
        HBITMAP b = masked.bitmap();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(readBack(b, 1, 1), std::vector<COLORREF>{kBlue});
        DeleteObject(b);
        masked.header()->biSize = 44;  // a header too short to hold the masks
        EXPECT_EQ(CreateDIBitmap(nullptr, masked.header(), CBM_INIT, masked.bytes + 56, reinterpret_cast<BITMAPINFO*>(masked.bytes),
                                 DIB_RGB_COLORS),
                  nullptr);
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        EXPECT_FALSE(cadhostDecodeDib(masked.bytes, 48, masked.bytes + 48, 8, pixels, w, h));
    }
    tall.header()->biWidth = 100000;  // beyond the image size limit
    EXPECT_EQ(tall.bitmap(), nullptr);
    tall.header()->biWidth = 3;
    // Rows said to start at the end of the block have no bytes.
    EXPECT_EQ(CreateDIBitmap(nullptr, tall.header(), CBM_INIT, tall.bytes + sizeof(BITMAPINFOHEADER) + 8 + 8,
                             reinterpret_cast<BITMAPINFO*>(tall.bytes), DIB_RGB_COLORS),
              nullptr);
    HBITMAP fine = tall.bitmap();
    EXPECT_NE(fine, nullptr);
    DeleteObject(fine);
    // Not initialised: a black bitmap of the header's size.
    HBITMAP blank = CreateDIBitmap(nullptr, tall.header(), 0, nullptr, nullptr, DIB_RGB_COLORS);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(readBack(blank, 3, 2), std::vector<COLORREF>(6, kBlack));
    DeleteObject(blank);
}

TEST(MemoryDcTest, StretchBltScalesAndBitBltCopiesBetweenContexts) {
    HDC source = CreateCompatibleDC(nullptr);
    HBITMAP small = CreateCompatibleBitmap(source, 2, 2);
    HGDIOBJ oldSource = SelectObject(source, small);
    SetPixel(source, 0, 0, kRed);
    SetPixel(source, 1, 0, kGreen);
    SetPixel(source, 0, 1, kBlue);
    SetPixel(source, 1, 1, kWhite);
    HDC target = CreateCompatibleDC(source);
    HBITMAP big = CreateCompatibleBitmap(target, 8, 6);
    HGDIOBJ oldTarget = SelectObject(target, big);
    EXPECT_EQ(SetStretchBltMode(target, COLORONCOLOR), BLACKONWHITE);
    EXPECT_TRUE(StretchBlt(target, 0, 0, 8, 6, source, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(GetPixel(target, 0, 0), kRed);
    EXPECT_EQ(GetPixel(target, 3, 2), kRed);
    EXPECT_EQ(GetPixel(target, 4, 2), kGreen);
    EXPECT_EQ(GetPixel(target, 3, 3), kBlue);
    EXPECT_EQ(GetPixel(target, 7, 5), kWhite);
    EXPECT_TRUE(BitBlt(target, 6, 0, 1, 1, source, 1, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(target, 6, 0), kWhite);
    EXPECT_EQ(GetPixel(target, 5, 0), kGreen);
    EXPECT_FALSE(BitBlt(target, 0, 0, 1, 1, source, 0, 0, 0x00660046));  // a raster operation not offered
    // A bitmap selected into a context cannot be deleted; selected out it can.
    EXPECT_FALSE(DeleteObject(big));
    EXPECT_EQ(SelectObject(target, oldTarget), big);
    // Rows out as a bottom-up 32-bit DIB.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(GetDIBits(target, big, 0, 6, nullptr, &info, DIB_RGB_COLORS), 6);
    EXPECT_EQ(info.bmiHeader.biWidth, 8);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    std::vector<std::uint32_t> rows(8 * 6);
    EXPECT_EQ(GetDIBits(target, big, 0, 6, rows.data(), &info, DIB_RGB_COLORS), 6);
    EXPECT_EQ(rows[0] & 0xFFFFFF, 0x0000FFu);  // bottom-left: blue
    EXPECT_EQ(rows[5 * 8] & 0xFFFFFF, 0xFF0000u);  // top-left: red
    EXPECT_TRUE(DeleteObject(big));
    SelectObject(source, oldSource);
    DeleteObject(small);
    DeleteDC(target);
    DeleteDC(source);
    EXPECT_EQ(SelectPalette(nullptr, nullptr, FALSE), nullptr);
}

TEST(MemoryDcTest, ShrinkingKeepsDarkOrLightPixelsByTheStretchMode) {
    // A white 4 x 4 image with a one-pixel black cross bar, shrunk to 2 x 2.
    HDC source = CreateCompatibleDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(source, 4, 4);
    HGDIOBJ oldSource = SelectObject(source, image);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(source, x, y, y == 1 ? kBlack : kWhite);
    HDC target = CreateCompatibleDC(source);
    HBITMAP small = CreateCompatibleBitmap(target, 2, 2);
    HGDIOBJ oldTarget = SelectObject(target, small);
    auto shrunk = [&](int mode) {
        SetStretchBltMode(target, mode);
        EXPECT_TRUE(StretchBlt(target, 0, 0, 2, 2, source, 0, 0, 4, 4, SRCCOPY));
        return std::vector<COLORREF>{GetPixel(target, 0, 0), GetPixel(target, 1, 0), GetPixel(target, 0, 1),
                                     GetPixel(target, 1, 1)};
    };
    EXPECT_EQ(shrunk(BLACKONWHITE), (std::vector<COLORREF>{kBlack, kBlack, kWhite, kWhite})) << "the line stays";
    EXPECT_EQ(shrunk(WHITEONBLACK), std::vector<COLORREF>(4, kWhite)) << "white wins";
    SelectObject(target, oldTarget);
    SelectObject(source, oldSource);
    DeleteObject(small);
    DeleteObject(image);
    DeleteDC(target);
    DeleteDC(source);
}

TEST(GlobalMemoryTest, BlocksLockSizeAndFree) {
    HGLOBAL block = GlobalAlloc(GHND, 10);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 10u);
    auto* p = static_cast<unsigned char*>(GlobalLock(block));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[9], 0);
    EXPECT_EQ(cadhostMemoryExtent(p + 4), 6u);
    EXPECT_EQ(cadhostMemoryExtent(p + 10), 0u);  // just past the end: nothing left
    EXPECT_EQ(GlobalLock(block), p);
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(GlobalAlloc(GHND, SIZE_T(1) << 40), nullptr);
}

class BitmapResourceTest : public wintest::RegisteredImageTest {};

TEST_F(BitmapResourceTest, LoadBitmapAndLoadImageReadTheModulesBitmaps) {
    HBITMAP b = LoadBitmap(wintest::kModule, MAKEINTRESOURCE(IDB_LOGO));
    ASSERT_NE(b, nullptr);
    BITMAP bm{};
    GetObject(b, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    DeleteObject(b);
    auto scaled = static_cast<HBITMAP>(LoadImage(wintest::kModule, MAKEINTRESOURCE(IDB_LOGO), IMAGE_BITMAP, 6, 4, 0));
    ASSERT_NE(scaled, nullptr);
    GetObject(scaled, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 6);
    EXPECT_EQ(bm.bmHeight, 4);
    DeleteObject(scaled);
    EXPECT_EQ(LoadBitmap(wintest::kModule, MAKEINTRESOURCE(9999)), nullptr);
}

TEST_F(BitmapResourceTest, IconsJoinImageListsAtTheListsSize) {
    HICON icon = LoadIcon(wintest::kModule, MAKEINTRESOURCE(IDI_COMPASS));
    ASSERT_NE(icon, nullptr);
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_AddIcon(list, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 1, icon), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 1);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(ImageList_AddIcon(list, icon), -1);  // no icon any more
    // The image stays the list's after the icon is gone.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(dc, 16, 16);
    HGDIOBJ old = SelectObject(dc, b);
    EXPECT_TRUE(ImageList_Draw(list, 0, dc, 0, 0, ILD_TRANSPARENT));
    SelectObject(dc, old);
    DeleteObject(b);
    DeleteDC(dc);
    ImageList_Destroy(list);
}
