// Icons loaded from the test script's resources, decoded from every image kind and drawn.
#include <cairo.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "ui/wnd.h"
#include "win/dialogs.h"
#include "win/icons.h"
#include "win/render.h"
#include "win/wingdi.h"
#include "win_support.h"
#include "res/test_resource.h"

namespace {
using wintest::kModule;
using IconsTest = wintest::RegisteredImageTest;

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};
Decoded decode(const std::vector<unsigned char>& bytes) {
    Decoded d;
    d.ok = cadhostDecodeIconImage(bytes.data(), bytes.size(), d.pixels, d.width, d.height);
    return d;
}

std::pair<int, int> sizeOf(HICON icon) {
    int w = 0, h = 0;
    if (!cadhostIconSize(icon, w, h)) return {-1, -1};
    return {w, h};
}

// A DIB icon image of w x h pixels at the depth: header, palette, rows bottom-up, AND mask.
std::vector<unsigned char> dibImage(int w, int h, int bits, const std::vector<unsigned>& palette,
                                    const std::vector<unsigned>& values, const std::vector<bool>& clear) {
    std::vector<unsigned char> out(40, 0);
    auto put32 = [&out](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, w);
    put32(8, h * 2);
    out[12] = 1;
    out[14] = static_cast<unsigned char>(bits);
    put32(32, static_cast<std::uint32_t>(palette.size()));
    for (unsigned c : palette)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(c >> (8 * i)));
    const int stride = (w * bits + 31) / 32 * 4, maskStride = (w + 31) / 32 * 4;
    for (int row = h - 1; row >= 0; --row) {
        std::vector<unsigned char> line(stride, 0);
        for (int x = 0; x < w; ++x) {
            unsigned v = values[row * w + x];
            if (bits < 8) line[x * bits / 8] |= v << (8 - bits - (x * bits) % 8);
            else for (int i = 0; i < bits / 8; ++i) line[x * bits / 8 + i] = static_cast<unsigned char>(v >> (8 * i));
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    for (int row = h - 1; row >= 0; --row) {
        std::vector<unsigned char> line(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if (clear[row * w + x]) line[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Whether the top left corner of the picture has a pixel of the compass's gold hinge.
bool hasGoldNearTheCorner(cairo_surface_t* s) {
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            std::uint32_t v;
            std::memcpy(&v, data + y * cairo_image_surface_get_stride(s) + x * 4, 4);
            if (((v >> 16) & 0xff) > 200 && ((v >> 8) & 0xff) > 150 && (v & 0xff) < 100) return true;
        }
    return false;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::vector<unsigned char>*>(closure)->insert(static_cast<std::vector<unsigned char>*>(closure)->end(),
                                                             data, data + length);
    return CAIRO_STATUS_SUCCESS;
}
}  // namespace

TEST_F(IconsTest, LoadsTheGroupEntryClosestToTheAskedSize) {
    HICON big = LoadIcon(kModule, MAKEINTRESOURCE(IDI_COMPASS));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(sizeOf(big), std::make_pair(32, 32));
    auto small = static_cast<HICON>(LoadImage(kModule, MAKEINTRESOURCE(IDI_COMPASS), IMAGE_ICON, 16, 16, 0));
    EXPECT_EQ(sizeOf(small), std::make_pair(16, 16));
    // Scaled to the asked size from the closest entry; its own size when none is asked.
    auto scaled = static_cast<HICON>(LoadImage(kModule, "#403", IMAGE_ICON, 20, 24, 0));
    EXPECT_EQ(sizeOf(scaled), std::make_pair(20, 24));
    auto natural = static_cast<HICON>(LoadImage(kModule, MAKEINTRESOURCE(IDI_COMPASS), IMAGE_ICON, 0, 0, 0));
    EXPECT_EQ(sizeOf(natural), std::make_pair(32, 32));
    for (HICON icon : {big, small, scaled, natural}) EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(big));
    EXPECT_EQ(sizeOf(big), std::make_pair(-1, -1));
}

TEST_F(IconsTest, RefusesWhatIsNoIcon) {
    // The script's app.ico has directory entries but no pixels behind their headers.
    EXPECT_EQ(LoadIcon(kModule, MAKEINTRESOURCE(IDI_APP)), nullptr);
    EXPECT_EQ(LoadIcon(kModule, MAKEINTRESOURCE(999)), nullptr);
    EXPECT_EQ(LoadIcon(reinterpret_cast<HINSTANCE>(0x5200), MAKEINTRESOURCE(IDI_COMPASS)), nullptr);
    EXPECT_EQ(LoadImage(kModule, MAKEINTRESOURCE(IDI_COMPASS), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(LoadImage(kModule, MAKEINTRESOURCE(IDI_COMPASS), IMAGE_ICON, -1, 16, 0), nullptr);
}

TEST_F(IconsTest, DrawsWithTransparencyIntoAContext) {
    HICON icon = LoadIcon(kModule, MAKEINTRESOURCE(IDI_COMPASS));
    ASSERT_NE(icon, nullptr);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 48, 48);
    HDC dc = cadhostCreateSurfaceDC(surface, nullptr, 0, 0);
    RECT all{0, 0, 48, 48};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    SetViewportOrgEx(dc, 2, 2, nullptr);
    EXPECT_TRUE(DrawIcon(dc, 4, 4, icon));
    // The corner is transparent, the hinge at (16, 5) of the icon is gold, the legs are dark.
    EXPECT_EQ(GetPixel(dc, 4, 4), RGB(255, 255, 255));
    COLORREF hinge = GetPixel(dc, 4 + 16, 4 + 5);
    EXPECT_GT(GetRValue(hinge), 200);
    EXPECT_GT(GetGValue(hinge), 150);
    EXPECT_LT(GetBValue(hinge), 100);
    EXPECT_EQ(GetPixel(dc, 36, 4), RGB(255, 255, 255));
    // At twice the size and as a mask.
    FillRect(dc, &all, white);
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 44, 44, 0, nullptr, DI_MASK));
    EXPECT_EQ(GetPixel(dc, 22, 7), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, 0));
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIcon(dc, 0, 0, icon));
    DeleteObject(white);
    DeleteDC(dc);
    cairo_surface_destroy(surface);
}

TEST_F(IconsTest, WindowsKeepTheirIconsAndTheCaptionShowsTheSmallOne) {
    DialogTemplate t;
    t.style |= WS_VISIBLE;
    t.cx = 140;
    t.cy = 40;
    t.caption = "Compass";
    HWND dialog = CreateDialogIndirectParam(nullptr, t, nullptr, plainDialog, 0);
    ASSERT_NE(dialog, nullptr);
    cairo_surface_t* before = cadhostRenderWindow(dialog);
    ASSERT_NE(before, nullptr);
    EXPECT_FALSE(hasGoldNearTheCorner(before));
    cairo_surface_destroy(before);

    HICON big = LoadIcon(kModule, MAKEINTRESOURCE(IDI_COMPASS));
    auto small = static_cast<HICON>(LoadImage(kModule, MAKEINTRESOURCE(IDI_COMPASS), IMAGE_ICON, 16, 16, 0));
    CWnd window;
    ASSERT_TRUE(window.Attach(dialog));
    EXPECT_EQ(window.SetIcon(big, TRUE), nullptr);
    // Without a small icon the big one stands in for it.
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessage(dialog, WM_GETICON, ICON_SMALL2, 0)), big);
    EXPECT_EQ(window.GetIcon(FALSE), nullptr);
    EXPECT_EQ(window.SetIcon(small, FALSE), nullptr);
    EXPECT_EQ(window.GetIcon(FALSE), small);
    EXPECT_EQ(window.GetIcon(TRUE), big);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessage(dialog, WM_GETICON, ICON_SMALL2, 0)), small);

    cairo_surface_t* after = cadhostRenderWindow(dialog);
    ASSERT_NE(after, nullptr);
    EXPECT_TRUE(hasGoldNearTheCorner(after));
    cairo_surface_destroy(after);
    EXPECT_TRUE(cadhostSaveWindowPng(dialog, (std::string(CADHOST_BINARY_DIR) + "/win_icon_dialog.png").c_str()));
    EXPECT_EQ(window.SetIcon(nullptr, FALSE), small);
    window.Detach();
    DestroyWindow(dialog);
    EXPECT_TRUE(DestroyIcon(big));
    EXPECT_TRUE(DestroyIcon(small));
}

TEST(IconImageTest, DecodesEveryDepthWithItsMask) {
    // Two by two: red, green over blue, and a cleared corner.
    const std::vector<bool> clear{false, false, false, true};
    const std::vector<unsigned> palette{0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    struct Case {
        int bits;
        std::vector<unsigned> palette, values;
    } cases[] = {
        {1, {0x000000, 0xFF0000}, {1, 0, 1, 1}},
        {4, palette, {1, 2, 3, 0}},
        {8, palette, {1, 2, 3, 0}},
        {24, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0}},
        {32, {}, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        std::vector<unsigned char> image = dibImage(2, 2, c.bits, c.palette, c.values, clear);
        Decoded d = decode(image);
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(std::make_pair(d.width, d.height), std::make_pair(2, 2));
        EXPECT_EQ(d.pixels[0], 0xFFFF0000u);
        EXPECT_EQ(d.pixels[1], c.bits == 1 ? 0xFF000000u : 0xFF00FF00u);
        EXPECT_EQ(d.pixels[3], 0u);
        // Any byte short of the mask is refused.
        image.pop_back();
        EXPECT_EQ(decode(image).ok, c.bits == 32);
    }
}

TEST(IconImageTest, DecodesAPngImage) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 3, 2);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 0, 0, 1, 1);
    cairo_rectangle(cr, 0, 0, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    std::vector<unsigned char> png;
    ASSERT_EQ(cairo_surface_write_to_png_stream(surface, appendBytes, &png), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
    Decoded d = decode(png);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(std::make_pair(d.width, d.height), std::make_pair(3, 2));
    EXPECT_EQ(d.pixels[0], 0xFF0000FFu);
    EXPECT_EQ(d.pixels[1], 0u);
    EXPECT_FALSE(decode(std::vector<unsigned char>(png.begin(), png.begin() + png.size() / 2)).ok);
}

TEST(IconImageTest, RefusesMalformedHeadersBeforeDecoding) {
    std::vector<unsigned char> image = dibImage(2, 2, 24, {}, {0, 0, 0, 0}, {false, false, false, false});
    auto refused = [&](std::size_t at, std::uint32_t value) {
        std::vector<unsigned char> bad = image;
        for (int i = 0; i < 4; ++i) bad[at + i] = static_cast<unsigned char>(value >> (8 * i));
        return !decode(bad).ok;
    };
    EXPECT_TRUE(refused(0, 0xFFFFFFF0u));  // header beyond the bytes
    EXPECT_TRUE(refused(4, 5000));         // wider than the bitmap limit
    EXPECT_TRUE(refused(4, 0x7FFFFFFF));
    EXPECT_TRUE(refused(8, 3));            // no mask half
    EXPECT_TRUE(refused(8, 0xFFFFFFFCu));  // negative
    EXPECT_TRUE(refused(16, 1));           // compressed
    // PNG whose header declares more than the limit, and a palette index beyond the palette.
    std::vector<unsigned char> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                   0, 0, 0x20, 0, 0, 0, 0x20, 0, 8, 6, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(decode(png).ok);
    std::vector<unsigned char> indexed = dibImage(2, 2, 8, {0, 0}, {1, 5, 0, 0}, {false, false, false, false});
    EXPECT_FALSE(decode(indexed).ok);
}
