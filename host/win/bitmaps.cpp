// Bitmaps with pixels (RGB24 Cairo images), memory contexts that draw into them, DIBs read into
// bitmaps and written out of them, block transfers with stretching, and bitmap resources.
#include <cairo.h>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include "gi/dib.h"
#include "win/gdiobjects.h"
#include "win/globalmemory.h"
#include "win/resources.h"
#include "win/wingdi.h"

namespace {

std::uint32_t le16(const unsigned char* p) { return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8); }
std::uint32_t le32(const unsigned char* p) { return le16(p) | (le16(p + 2) << 16); }

constexpr std::uint32_t kInfoHeaderSize = 40;

// What a DIB header declares, checked against the size limit and its own fields.
struct DibHeader {
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    std::uint32_t bits = 0, compression = 0, headerSize = 0, colors = 0;
    std::uint64_t tableAt = 0;   // colour table, after the header and any masks
    std::uint64_t infoBytes = 0; // header, masks and colour table
    std::uint64_t stride = 0;
    std::uint32_t masks[3] = {0, 0, 0};
};

bool readHeader(const unsigned char* p, std::size_t size, DibHeader& h) {
    if (!p || size < kInfoHeaderSize) return false;
    h.headerSize = le32(p);
    if (h.headerSize < kInfoHeaderSize || h.headerSize > size) return false;
    h.width = std::int32_t(le32(p + 4));
    const std::int64_t height = std::int32_t(le32(p + 8));
    const std::uint32_t planes = le16(p + 12);
    h.bits = le16(p + 14);
    h.compression = le32(p + 16);
    const std::uint32_t used = le32(p + 32);
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    if (planes != 1 || !acgiImageSizeAllowed(h.width, h.height)) return false;
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) return false;
    const bool fields = h.compression == BI_BITFIELDS;
    if (h.compression != BI_RGB && !(fields && (h.bits == 16 || h.bits == 32))) return false;
    if (h.bits <= 8) {
        h.colors = used ? used : 1u << h.bits;
        if (h.colors > (1u << h.bits)) return false;
    } else if (used > 256) {
        return false;
    } else {
        h.colors = used;  // an optional table before the rows
    }
    h.tableAt = h.headerSize;
    if (fields) {
        // The masks follow a 40-byte header; larger headers hold them, and are that large at least.
        if (size < kInfoHeaderSize + 12) return false;
        if (h.headerSize == kInfoHeaderSize) h.tableAt += 12;
        else if (h.headerSize < kInfoHeaderSize + 12) return false;
        for (int i = 0; i < 3; ++i) h.masks[i] = le32(p + kInfoHeaderSize + 4 * i);
    } else if (h.bits == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    }
    h.infoBytes = h.tableAt + std::uint64_t(h.colors) * 4;
    if (h.infoBytes > size) return false;
    h.stride = (std::uint64_t(h.width) * h.bits + 31) / 32 * 4;
    return true;
}

// A channel of a masked pixel value scaled to 8 bits.
std::uint32_t channel(std::uint32_t value, std::uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    std::uint32_t m = mask >> shift, v = (value & mask) >> shift;
    return m == 0xFF ? v : static_cast<std::uint32_t>((std::uint64_t(v) * 255 + m / 2) / m);
}

void writePixels(cairo_surface_t* s, const std::vector<std::uint32_t>& pixels, int width, int height) {
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const int w = std::min(width, cairo_image_surface_get_width(s)), h = std::min(height, cairo_image_surface_get_height(s));
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < w; ++x) row[x] = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] & 0xFFFFFFu;
    }
    cairo_surface_mark_dirty(s);
}

HBITMAP newBitmap(int width, int height, int bitsPixel) {
    if (!acgiImageSizeAllowed(width, height)) return nullptr;
    HBITMAP b = gdi::makeBitmap(width, height, bitsPixel);
    return gdi::object(b) && gdi::object(b)->pixels ? b : (DeleteObject(b), nullptr);
}

// The stock bitmap of a new memory context: one black pixel.
HBITMAP defaultBitmap() {
    static HBITMAP b = [] {
        HBITMAP h = gdi::makeBitmap(1, 1, 1);
        gdi::object(h)->stock = true;
        return h;
    }();
    return b;
}

gdi::Object* bitmapObject(HBITMAP b) {
    gdi::Object* o = gdi::object(b);
    return o && o->kind == gdi::Object::Bitmap && o->pixels ? o : nullptr;
}

// The bytes a caller hands over: the rest of its global block, or what the header says when the
// memory is the caller's own (the platform trusts it then too).
std::size_t available(const void* p, std::uint64_t declared) {
    const std::size_t extent = cadhostMemoryExtent(p);
    return extent == SIZE_MAX ? static_cast<std::size_t>(std::min<std::uint64_t>(declared, SIZE_MAX / 2)) : extent;
}

}  // namespace

namespace gdi {

HGDIOBJ selectBitmap(Context* c, HGDIOBJ handle) {
    Object* o = bitmapObject(handle);
    if (!c->memory || !o) return nullptr;
    if (handle != c->bitmap && !o->stock && bitmapInUse(handle)) return nullptr;  // one context at a time
    HGDIOBJ old = c->bitmap;
    cairo_destroy(c->cr);
    cairo_surface_destroy(c->surface);
    c->surface = cairo_surface_reference(o->pixels);
    c->cr = cairo_create(c->surface);
    c->bitmap = handle;
    c->state.clip = RECT{0, 0, o->bitmapWidth, o->bitmapHeight};
    return old;
}

}  // namespace gdi

bool cadhostDecodeDib(const void* info, std::size_t infoBytes, const void* bits, std::size_t bitsBytes,
                      std::vector<std::uint32_t>& pixels, int& width, int& height) {
    const auto* p = static_cast<const unsigned char*>(info);
    DibHeader h;
    if (!readHeader(p, infoBytes, h) || !bits) return false;
    if (h.stride * std::uint64_t(h.height) > bitsBytes) return false;
    std::vector<std::uint32_t> palette(h.bits <= 8 ? h.colors : 0);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const unsigned char* q = p + h.tableAt + i * 4;
        palette[i] = 0xFF000000u | std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
    }
    const auto* rows = static_cast<const unsigned char*>(bits);
    const auto w = static_cast<std::size_t>(h.width);
    pixels.assign(w * static_cast<std::size_t>(h.height), 0xFF000000u);
    const bool fields = h.bits == 16 || h.compression == BI_BITFIELDS;
    for (std::int64_t r = 0; r < h.height; ++r) {
        const unsigned char* row = rows + std::uint64_t(r) * h.stride;
        const std::int64_t y = h.topDown ? r : h.height - 1 - r;
        std::uint32_t* out = pixels.data() + std::size_t(y) * w;
        for (std::size_t x = 0; x < w; ++x) {
            std::uint32_t v = 0;
            if (h.bits <= 8) {
                const std::size_t bit = x * h.bits;
                const std::uint32_t index = (row[bit / 8] >> (8 - h.bits - bit % 8)) & ((1u << h.bits) - 1);
                v = index < palette.size() ? palette[index] & 0xFFFFFFu : 0;  // beyond the table: black
            } else if (fields) {
                const std::uint32_t value = h.bits == 16 ? le16(row + x * 2) : le32(row + x * 4);
                v = channel(value, h.masks[0]) << 16 | channel(value, h.masks[1]) << 8 | channel(value, h.masks[2]);
            } else {
                const unsigned char* q = row + x * (h.bits / 8);
                v = std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
            }
            out[x] = 0xFF000000u | v;
        }
    }
    width = static_cast<int>(h.width);
    height = static_cast<int>(h.height);
    return true;
}

HDC CreateCompatibleDC(HDC) {
    HBITMAP b = defaultBitmap();
    HDC dc = cadhostCreateSurfaceDC(gdi::object(b)->pixels, nullptr, 0, 0);
    if (gdi::Context* c = gdi::context(dc)) {
        c->memory = true;
        c->bitmap = b;
    }
    return dc;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
    // The display is true colour: compatible bitmaps are colour bitmaps.
    return newBitmap(width, height, 32);
}

HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage) {
    if (!header || header->biSize < kInfoHeaderSize) return nullptr;
    const std::int64_t height = std::llabs(std::int64_t(header->biHeight));
    if (!acgiImageSizeAllowed(header->biWidth, height)) return nullptr;
    const int depth = header->biBitCount ? header->biBitCount : 32;
    if (!(init & CBM_INIT)) return newBitmap(header->biWidth, int(height), depth);
    if (!info || !bits || usage != DIB_RGB_COLORS) return nullptr;
    std::size_t infoBytes = cadhostMemoryExtent(info);
    if (infoBytes == SIZE_MAX) {
        // The caller's own memory: as much as its header declares.
        const BITMAPINFOHEADER& ih = info->bmiHeader;
        if (ih.biSize < kInfoHeaderSize || ih.biSize > 256) return nullptr;
        const std::uint64_t colors = ih.biBitCount <= 8 ? (ih.biClrUsed ? ih.biClrUsed : 1u << ih.biBitCount) : ih.biClrUsed;
        if (colors > 256) return nullptr;
        infoBytes = ih.biSize + (ih.biCompression == BI_BITFIELDS && ih.biSize == kInfoHeaderSize ? 12 : 0) + colors * 4;
    }
    DibHeader declared;
    if (!readHeader(reinterpret_cast<const unsigned char*>(info), infoBytes, declared)) return nullptr;
    const std::size_t bitsBytes = available(bits, declared.stride * std::uint64_t(declared.height));
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    if (!cadhostDecodeDib(info, infoBytes, bits, bitsBytes, pixels, w, h)) return nullptr;
    HBITMAP b = newBitmap(header->biWidth, int(height), depth);
    if (b) writePixels(gdi::object(b)->pixels, pixels, w, h);
    return b;
}

bool cadhostBitmapPixels(HBITMAP bitmap, std::vector<std::uint32_t>& pixels, int& width, int& height) {
    gdi::Object* o = bitmapObject(bitmap);
    if (!o) return false;
    width = o->bitmapWidth;
    height = o->bitmapHeight;
    cairo_surface_flush(o->pixels);
    const unsigned char* data = cairo_image_surface_get_data(o->pixels);
    const int stride = cairo_image_surface_get_stride(o->pixels);
    pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < width; ++x) pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = 0xFF000000u | row[x];
    }
    return true;
}

HBITMAP cadhostBitmapFromPixels(const std::vector<std::uint32_t>& pixels, int width, int height) {
    if (!acgiImageSizeAllowed(width, height) || pixels.size() < std::size_t(width) * std::size_t(height)) return nullptr;
    HBITMAP b = newBitmap(width, height, 32);
    if (b) writePixels(gdi::object(b)->pixels, pixels, width, height);
    return b;
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
    gdi::Object* o = bitmapObject(bitmap);
    if (!o || !info || info->bmiHeader.biSize < kInfoHeaderSize || usage != DIB_RGB_COLORS) return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (!bits) {
        h.biWidth = o->bitmapWidth;
        h.biHeight = o->bitmapHeight;
        h.biPlanes = 1;
        if (h.biBitCount == 0) h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>((std::uint64_t(o->bitmapWidth) * h.biBitCount + 31) / 32 * 4 * std::uint64_t(o->bitmapHeight));
        return o->bitmapHeight;
    }
    if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB || h.biWidth != o->bitmapWidth) return 0;
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    cadhostBitmapPixels(bitmap, pixels, width, height);
    const bool topDown = h.biHeight < 0;
    const std::size_t stride = (std::size_t(width) * h.biBitCount + 31) / 32 * 4;
    const UINT last = std::min<UINT>(start + std::min<UINT>(lines, UINT(height)), UINT(height));
    if (start >= last) return 0;
    const std::size_t room = cadhostMemoryExtent(bits);
    if (room != SIZE_MAX && room < stride * (last - start)) return 0;
    auto* out = static_cast<unsigned char*>(bits);
    for (UINT line = start; line < last; ++line) {
        // Scan line 0 is the bottom row of a bottom-up DIB.
        const int y = topDown ? int(line) : height - 1 - int(line);
        unsigned char* row = out + std::size_t(line - start) * stride;
        std::memset(row, 0, stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            unsigned char* q = row + std::size_t(x) * (h.biBitCount / 8);
            q[0] = v & 0xFF, q[1] = (v >> 8) & 0xFF, q[2] = (v >> 16) & 0xFF;
        }
    }
    return static_cast<int>(last - start);
}

BOOL StretchBlt(HDC dc, int x, int y, int cx, int cy, HDC source, int xs, int ys, int cxs, int cys, DWORD rop) {
    gdi::Context* c = gdi::context(dc);
    if (!c) return FALSE;
    RECT d = gdi::toDevice(c, RECT{std::min(x, x + cx), std::min(y, y + cy), std::max(x, x + cx), std::max(y, y + cy)});
    if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY) {
        const gdi::Object& b = gdi::brush(c);
        if (rop == PATCOPY && b.style == PS_NULL) return TRUE;
        gdi::fillDevice(c, d, rop == BLACKNESS ? RGB(0, 0, 0) : rop == WHITENESS ? RGB(255, 255, 255) : b.color);
        return TRUE;
    }
    gdi::Context* s = gdi::context(source);
    if (rop != SRCCOPY || !s || cxs <= 0 || cys <= 0 || cx == 0 || cy == 0) return FALSE;
    // The source region is copied first, so that a context may copy onto itself.
    const int sx = xs + s->state.origin.x, sy = ys + s->state.origin.y;
    const int sw = cxs, sh = cys;
    if (!acgiImageSizeAllowed(sw, sh)) return FALSE;
    cairo_surface_flush(s->surface);
    cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sw, sh);
    cairo_t* pc = cairo_create(part);
    cairo_set_source_surface(pc, s->surface, -sx, -sy);
    cairo_set_operator(pc, CAIRO_OPERATOR_SOURCE);
    cairo_paint(pc);
    cairo_destroy(pc);
    // Shrinking in the black-on-white and white-on-black modes keeps the dark (light) pixels: the
    // source pixels that fall on one target pixel are combined by AND (OR), as the platform does.
    const int tw = std::abs(cx), th = std::abs(cy);
    if ((c->stretchMode == BLACKONWHITE || c->stretchMode == WHITEONBLACK) && (sw > tw || sh > th) &&
        acgiImageSizeAllowed(tw, th)) {
        cairo_surface_flush(part);
        cairo_surface_t* combined = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, tw, th);
        const auto* from = cairo_image_surface_get_data(part);
        auto* to = cairo_image_surface_get_data(combined);
        const int fromStride = cairo_image_surface_get_stride(part), toStride = cairo_image_surface_get_stride(combined);
        const bool keepDark = c->stretchMode == BLACKONWHITE;
        for (int ty = 0; ty < th; ++ty) {
            const int y0 = static_cast<int>(int64_t(ty) * sh / th), y1 = std::max(y0 + 1, static_cast<int>(int64_t(ty + 1) * sh / th));
            for (int tx = 0; tx < tw; ++tx) {
                const int x0 = static_cast<int>(int64_t(tx) * sw / tw), x1 = std::max(x0 + 1, static_cast<int>(int64_t(tx + 1) * sw / tw));
                uint32_t v = keepDark ? 0xFFFFFFFFu : 0xFF000000u;
                for (int yy = y0; yy < y1; ++yy)
                    for (int xx = x0; xx < x1; ++xx) {
                        uint32_t p;
                        std::memcpy(&p, from + yy * fromStride + xx * 4, 4);
                        v = keepDark ? (v & p) : (v | p);
                    }
                std::memcpy(to + ty * toStride + tx * 4, &v, 4);
            }
        }
        cairo_surface_mark_dirty(combined);
        cairo_surface_destroy(part);
        part = combined;
    }
    const int pw = cairo_image_surface_get_width(part), ph = cairo_image_surface_get_height(part);
    gdi::prepare(c);
    cairo_t* cr = c->cr;
    cairo_save(cr);
    cairo_rectangle(cr, d.left, d.top, d.right - d.left, d.bottom - d.top);
    cairo_clip(cr);
    cairo_translate(cr, d.left, d.top);
    // A target of negative extent mirrors the image.
    const bool flipX = cx < 0, flipY = cy < 0;
    cairo_translate(cr, flipX ? d.right - d.left : 0, flipY ? d.bottom - d.top : 0);
    cairo_scale(cr, double(tw) / pw * (flipX ? -1 : 1), double(th) / ph * (flipY ? -1 : 1));
    cairo_set_source_surface(cr, part, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), c->stretchMode == HALFTONE ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(part);
    return TRUE;
}

BOOL BitBlt(HDC dc, int x, int y, int cx, int cy, HDC source, int x1, int y1, DWORD rop) {
    if (cx <= 0 || cy <= 0) return cx == 0 || cy == 0 ? TRUE : FALSE;
    return StretchBlt(dc, x, y, cx, cy, source, x1, y1, cx, cy, rop);
}

int SetStretchBltMode(HDC dc, int mode) {
    gdi::Context* c = gdi::context(dc);
    if (!c || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    std::swap(c->stretchMode, mode);
    return mode;
}

int GetStretchBltMode(HDC dc) {
    gdi::Context* c = gdi::context(dc);
    return c ? c->stretchMode : 0;
}

HPALETTE SelectPalette(HDC, HPALETTE, BOOL) { return nullptr; }
UINT RealizePalette(HDC) { return 0; }

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) {
    HRSRC entry = FindResourceA(module, name, RT_BITMAP);
    if (!entry) return nullptr;
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, entry)));
    const std::size_t size = SizeofResource(module, entry);
    DibHeader h;
    if (!readHeader(data, size, h)) return nullptr;
    std::vector<std::uint32_t> pixels;
    int w = 0, ht = 0;
    if (!cadhostDecodeDib(data, size, data + h.infoBytes, size - h.infoBytes, pixels, w, ht)) return nullptr;
    HBITMAP b = newBitmap(w, ht, int(h.bits));
    if (b) writePixels(gdi::object(b)->pixels, pixels, w, ht);
    return b;
}

HBITMAP LoadBitmap(HINSTANCE module, LPCSTR name) { return LoadBitmapA(module, name); }
