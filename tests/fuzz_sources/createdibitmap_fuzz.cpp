// libFuzzer target for DIBs made into bitmaps: the header, colour table and rows in a global
// memory block, read by CreateDIBitmap, drawn through memory contexts and read back.
//
// Input: bytes 0 and 1 are the offset of the rows in the block (little-endian, beyond the end:
// the end), the rest the block: a BITMAPINFOHEADER and what follows it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>
#include "win/globalmemory.h"
#include "win/wingdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::size_t bytes = size - 2;
    const std::size_t rowsAt = std::min<std::size_t>(std::size_t(data[0]) | std::size_t(data[1]) << 8, bytes);
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    cadhostDecodeDib(data + 2, bytes, data + 2 + rowsAt, bytes - rowsAt, pixels, w, h);

    HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto* p = static_cast<unsigned char*>(GlobalLock(block));
    if (!p) return 0;
    std::memcpy(p, data + 2, bytes);
    if (bytes >= sizeof(BITMAPINFOHEADER)) {
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(p);
        HBITMAP b = CreateDIBitmap(nullptr, header, CBM_INIT, p + rowsAt, reinterpret_cast<const BITMAPINFO*>(p),
                                   DIB_RGB_COLORS);
        if (b) {
            HDC source = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(source, b);
            HDC target = CreateCompatibleDC(source);
            HBITMAP canvas = CreateCompatibleBitmap(target, 40, 30);
            HGDIOBJ oldCanvas = SelectObject(target, canvas);
            BITMAP bm{};
            GetObject(b, sizeof bm, &bm);
            StretchBlt(target, 1, 2, 37, 25, source, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            BitBlt(target, -3, -3, 20, 20, source, 1, 1, SRCCOPY);
            SelectObject(target, oldCanvas);
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            info.bmiHeader.biWidth = 40;
            info.bmiHeader.biHeight = -30;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 24;
            std::vector<unsigned char> rows(120 * 30);
            GetDIBits(target, canvas, 3, 40, rows.data(), &info, DIB_RGB_COLORS);
            DeleteObject(canvas);
            DeleteDC(target);
            SelectObject(source, old);
            DeleteDC(source);
            DeleteObject(b);
        }
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return 0;
}
