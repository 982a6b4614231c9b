// Icons from module resources: the group directory picks an image, the image (a DIB with an AND
// mask, or a PNG) is decoded into premultiplied ARGB and drawn with Cairo.
#include "win/icons.h"
#include <cairo.h>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include "gi/dib.h"
#include "win/gdiobjects.h"
#include "win/wingdi.h"

struct HICON__ {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // premultiplied 0xAARRGGBB, rows top to bottom
};

namespace {

struct IconTable {
    std::mutex mutex;
    std::map<HICON, std::unique_ptr<HICON__>> icons;
};

IconTable& table() {
    static IconTable t;
    return t;
}

std::uint32_t le16(const unsigned char* p) { return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8); }
std::uint32_t le32(const unsigned char* p) { return le16(p) | (le16(p + 2) << 16); }
std::uint32_t be32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::uint32_t premultiply(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* at = static_cast<std::pair<const unsigned char*, std::size_t>*>(closure);
    if (at->second < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, at->first, length);
    at->first += length;
    at->second -= length;
    return CAIRO_STATUS_SUCCESS;
}

bool decodePng(const unsigned char* bytes, std::size_t size, std::vector<std::uint32_t>& pixels, int& width,
               int& height) {
    // The header chunk comes first: its size is checked before anything is decoded.
    if (size < 33 || std::memcmp(bytes + 12, "IHDR", 4) != 0) return false;
    const std::uint32_t w = be32(bytes + 16), h = be32(bytes + 20);
    if (!acgiImageSizeAllowed(w, h)) return false;
    std::pair<const unsigned char*, std::size_t> at{bytes, size};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readBytes, &at);
    bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
              cairo_image_surface_get_width(surface) == int(w) && cairo_image_surface_get_height(surface) == int(h);
    if (ok) {
        cairo_surface_flush(surface);
        const cairo_format_t format = cairo_image_surface_get_format(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        ok = data && (format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24);
        if (ok) {
            width = int(w);
            height = int(h);
            pixels.resize(std::size_t(w) * h);
            for (std::uint32_t y = 0; y < h; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
                for (std::uint32_t x = 0; x < w; ++x)
                    pixels[std::size_t(y) * w + x] = format == CAIRO_FORMAT_RGB24 ? (row[x] | 0xFF000000u) : row[x];
            }
        }
    }
    cairo_surface_destroy(surface);
    return ok;
}

// A DIB of the image and its mask: the header's height counts both.
bool decodeDib(const unsigned char* bytes, std::size_t size, std::vector<std::uint32_t>& pixels, int& width,
               int& height) {
    if (size < 40) return false;
    const std::uint32_t headerSize = le32(bytes);
    const std::int32_t w = std::int32_t(le32(bytes + 4));
    const std::int32_t doubled = std::int32_t(le32(bytes + 8));
    const std::uint32_t planes = le16(bytes + 12), bits = le16(bytes + 14), compression = le32(bytes + 16);
    const std::uint32_t used = le32(bytes + 32);
    if (headerSize < 40 || headerSize > size || planes != 1 || compression != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    if (doubled <= 0 || doubled % 2 != 0 || !acgiImageSizeAllowed(w, doubled / 2)) return false;
    const std::int64_t h = doubled / 2;
    const std::uint64_t colors = bits <= 8 ? (used ? used : 1u << bits) : 0;
    if (bits <= 8 && colors > (1u << bits)) return false;
    const std::uint64_t xorStride = (std::uint64_t(w) * bits + 31) / 32 * 4;
    const std::uint64_t andStride = (std::uint64_t(w) + 31) / 32 * 4;
    const std::uint64_t paletteAt = headerSize, xorAt = paletteAt + colors * 4, andAt = xorAt + xorStride * h;
    // A 32-bit image may leave its mask out: its alpha says all.
    const bool hasMask = andAt + andStride * h <= size;
    if (andAt > size || (!hasMask && bits != 32)) return false;
    bool anyAlpha = false;
    if (bits == 32)
        for (std::int64_t y = 0; y < h && !anyAlpha; ++y)
            for (std::int32_t x = 0; x < w && !anyAlpha; ++x) anyAlpha = bytes[xorAt + y * xorStride + x * 4 + 3] != 0;
    width = w;
    height = int(h);
    pixels.assign(std::size_t(w) * std::size_t(h), 0);
    for (std::int64_t row = 0; row < h; ++row) {
        const unsigned char* src = bytes + xorAt + std::uint64_t(row) * xorStride;
        const unsigned char* mask = hasMask ? bytes + andAt + std::uint64_t(row) * andStride : nullptr;
        std::uint32_t* out = pixels.data() + std::size_t(h - 1 - row) * std::size_t(w);  // bottom-up
        for (std::int32_t x = 0; x < w; ++x) {
            const bool clear = mask && (mask[x / 8] >> (7 - x % 8)) & 1;
            std::uint32_t r, g, b, a = clear ? 0 : 255;
            if (bits <= 8) {
                const unsigned perByte = 8 / bits;
                const unsigned index = (src[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & ((1u << bits) - 1);
                if (index >= colors) return false;
                const unsigned char* entry = bytes + paletteAt + index * 4;
                b = entry[0], g = entry[1], r = entry[2];
            } else {
                const unsigned char* p = src + std::size_t(x) * (bits / 8);
                b = p[0], g = p[1], r = p[2];
                if (bits == 32 && anyAlpha) a = p[3];
            }
            out[x] = premultiply(a, r, g, b);
        }
    }
    return true;
}

HICON addIcon(std::unique_ptr<HICON__> icon) {
    HICON handle = icon.get();
    std::lock_guard lock(table().mutex);
    table().icons.emplace(handle, std::move(icon));
    return handle;
}

// The group entry closest to the asked size, the deepest colours among equals; 0 when none.
unsigned pickGroupEntry(const unsigned char* group, std::size_t size, int cx, int cy) {
    if (size < 6 || le16(group) != 0 || le16(group + 2) != 1) return 0;
    const std::uint32_t count = le16(group + 4);
    if (size < 6 + std::uint64_t(count) * 14) return 0;
    unsigned best = 0;
    long bestDistance = 0, bestBits = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* e = group + 6 + i * 14;
        const long w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256, bits = long(le16(e + 6));
        const long distance = std::labs(w - cx) + std::labs(h - cy);
        if (!best || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            best = le16(e + 12);
            bestDistance = distance;
            bestBits = bits;
        }
    }
    return best;
}

HICON__* live(HICON icon) {
    auto it = table().icons.find(icon);
    return it == table().icons.end() ? nullptr : it->second.get();
}

}  // namespace

bool cadhostDecodeIconImage(const unsigned char* bytes, std::size_t size, std::vector<std::uint32_t>& pixels,
                            int& width, int& height) {
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (!bytes) return false;
    if (size >= 8 && std::memcmp(bytes, kPng, 8) == 0) return decodePng(bytes, size, pixels, width, height);
    return decodeDib(bytes, size, pixels, width, height);
}

namespace {
// The decoded image as an icon of cx x cy (its own size when either is 0).
HICON makeIcon(const unsigned char* image, std::size_t size, int cx, int cy) {
    auto icon = std::make_unique<HICON__>();
    if (!cadhostDecodeIconImage(image, size, icon->pixels, icon->width, icon->height)) return nullptr;
    if (cx > 0 && cy > 0 && (icon->width != cx || icon->height != cy)) {
        icon->pixels = acgiResampleImage(icon->pixels, icon->width, icon->height, cx, cy);
        if (icon->pixels.empty()) return nullptr;
        icon->width = cx;
        icon->height = cy;
    }
    return addIcon(std::move(icon));
}
}  // namespace

HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD, int cx, int cy, UINT) {
    if (cx < 0 || cy < 0 || !bits) return nullptr;
    // A cursor's image starts with its hot spot.
    if (!icon) {
        if (size < 4) return nullptr;
        bits += 4;
        size -= 4;
    }
    return makeIcon(bits, size, cx, cy);
}

HCURSOR cadhostLoadCursorResource(HINSTANCE module, LPCSTR name) {
    HRSRC groupEntry = FindResourceA(module, name, RT_GROUP_CURSOR);
    if (!groupEntry) return nullptr;
    const auto* group = static_cast<const unsigned char*>(LockResource(LoadResource(module, groupEntry)));
    const std::size_t size = SizeofResource(module, groupEntry);
    // The directory: reserved, type 2, count, then 14-byte entries whose last word is the image id.
    if (!group || size < 6 + 14 || le16(group + 2) != 2 || le16(group + 4) == 0) return nullptr;
    const unsigned id = le16(group + 6 + 12);
    HRSRC imageEntry = FindResourceA(module, MAKEINTRESOURCEA(id), RT_CURSOR);
    if (!imageEntry) return nullptr;
    const auto* image = static_cast<const BYTE*>(LockResource(LoadResource(module, imageEntry)));
    return CreateIconFromResourceEx(image, static_cast<DWORD>(SizeofResource(module, imageEntry)), FALSE, 0x00030000, 0,
                                    0, 0);
}

HCURSOR cadhostMakeCursor(int width, int height) {
    auto icon = std::make_unique<HICON__>();
    icon->width = width;
    icon->height = height;
    icon->pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return addIcon(std::move(icon));
}

HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (type == IMAGE_BITMAP && cx >= 0 && cy >= 0) {
        HBITMAP b = LoadBitmapA(module, name);
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        if (!b || (cx == 0 && cy == 0) || !cadhostBitmapPixels(b, pixels, w, h)) return b;
        DeleteObject(b);
        return cadhostBitmapFromPixels(acgiResampleImage(pixels, w, h, cx ? cx : w, cy ? cy : h), cx ? cx : w, cy ? cy : h);
    }
    if (type != IMAGE_ICON || cx < 0 || cy < 0) return nullptr;
    const bool natural = cx == 0 && cy == 0 && !(flags & LR_DEFAULTSIZE);
    if (cx == 0) cx = GetSystemMetrics(SM_CXICON);
    if (cy == 0) cy = GetSystemMetrics(SM_CYICON);
    HRSRC groupEntry = FindResourceA(module, name, RT_GROUP_ICON);
    if (!groupEntry) return nullptr;
    const auto* group = static_cast<const unsigned char*>(LockResource(LoadResource(module, groupEntry)));
    const unsigned id = pickGroupEntry(group, SizeofResource(module, groupEntry), cx, cy);
    HRSRC imageEntry = id ? FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON) : nullptr;
    if (!imageEntry) return nullptr;
    const auto* image = static_cast<const unsigned char*>(LockResource(LoadResource(module, imageEntry)));
    return makeIcon(image, SizeofResource(module, imageEntry), natural ? 0 : cx, natural ? 0 : cy);
}

HANDLE LoadImage(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    return LoadImageA(module, name, type, cx, cy, flags);
}

HICON LoadIconA(HINSTANCE module, LPCSTR name) {
    return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

HICON LoadIcon(HINSTANCE module, LPCSTR name) { return LoadIconA(module, name); }

BOOL DestroyIcon(HICON icon) {
    std::lock_guard lock(table().mutex);
    return table().icons.erase(icon) ? TRUE : FALSE;
}

bool cadhostIconPixels(HICON icon, std::vector<std::uint32_t>& pixels, int& width, int& height) {
    std::lock_guard lock(table().mutex);
    HICON__* i = live(icon);
    if (!i) return false;
    pixels = i->pixels;
    width = i->width;
    height = i->height;
    return true;
}

bool cadhostIconSize(HICON icon, int& width, int& height) {
    std::lock_guard lock(table().mutex);
    HICON__* i = live(icon);
    if (!i) return false;
    width = i->width;
    height = i->height;
    return true;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT flags) {
    gdi::Context* c = gdi::context(dc);
    if (!c || !(flags & DI_NORMAL) || cx < 0 || cy < 0) return FALSE;
    std::lock_guard lock(table().mutex);
    HICON__* i = live(icon);
    if (!i) return FALSE;
    if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : i->width;
    if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : i->height;
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(i->pixels.data()), CAIRO_FORMAT_ARGB32, i->width, i->height, i->width * 4);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return FALSE;
    }
    gdi::prepare(c);
    cairo_t* cr = c->cr;
    cairo_save(cr);
    cairo_translate(cr, x + c->state.origin.x, y + c->state.origin.y);
    cairo_rectangle(cr, 0, 0, cx, cy);
    cairo_clip(cr);
    cairo_scale(cr, double(cx) / i->width, double(cy) / i->height);
    if (flags & DI_IMAGE) {
        cairo_set_source_surface(cr, image, 0, 0);
        if (cx == i->width && cy == i->height) cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
    } else {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_mask_surface(cr, image, 0, 0);
    }
    cairo_restore(cr);
    cairo_surface_destroy(image);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

BOOL GetIconInfo(HICON icon, PICONINFO info) {
    int width = 0, height = 0;
    if (!info || !cadhostIconSize(icon, width, height)) return FALSE;
    info->fIcon = TRUE;
    info->xHotspot = static_cast<DWORD>(width / 2);
    info->yHotspot = static_cast<DWORD>(height / 2);
    info->hbmColor = gdi::makeBitmap(width, height, 32);
    info->hbmMask = gdi::makeBitmap(width, height, 1);
    return TRUE;
}

namespace {

// The icon's dark opaque pixels as a mask, the shape the disabled look embosses.
cairo_surface_t* embossMask(const HICON__& icon) {
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, icon.width, icon.height);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) return mask;
    cairo_surface_flush(mask);
    unsigned char* data = cairo_image_surface_get_data(mask);
    const int stride = cairo_image_surface_get_stride(mask);
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 0; x < icon.width; ++x) {
            const std::uint32_t p = icon.pixels[std::size_t(y) * std::size_t(icon.width) + std::size_t(x)];
            const std::uint32_t a = p >> 24;
            // Premultiplied: a colour channel near its alpha is near white.
            const std::uint32_t sum = ((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff);
            const bool ink = a >= 128 && sum * 4 < a * 3 * 3;
            data[std::size_t(y) * std::size_t(stride) + std::size_t(x)] = ink ? 255 : 0;
        }
    }
    cairo_surface_mark_dirty(mask);
    return mask;
}

}  // namespace

BOOL DrawState(HDC dc, HGDIOBJ, DRAWSTATEPROC, LPARAM data, WPARAM, int x, int y, int cx, int cy, UINT flags) {
    if ((flags & 0x000F) != DST_ICON) return FALSE;
    HICON icon = reinterpret_cast<HICON>(data);
    if (!(flags & DSS_DISABLED)) return DrawIconEx(dc, x, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
    gdi::Context* c = gdi::context(dc);
    if (!c || cx < 0 || cy < 0) return FALSE;
    std::lock_guard lock(table().mutex);
    HICON__* i = live(icon);
    if (!i) return FALSE;
    if (cx == 0) cx = i->width;
    if (cy == 0) cy = i->height;
    cairo_surface_t* mask = embossMask(*i);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(mask);
        return FALSE;
    }
    gdi::prepare(c);
    cairo_t* cr = c->cr;
    const COLORREF colours[2] = {GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW)};
    for (int pass = 0; pass < 2; ++pass) {
        const int offset = pass == 0 ? 1 : 0;
        cairo_save(cr);
        cairo_translate(cr, x + offset + c->state.origin.x, y + offset + c->state.origin.y);
        cairo_rectangle(cr, 0, 0, cx, cy);
        cairo_clip(cr);
        cairo_scale(cr, double(cx) / i->width, double(cy) / i->height);
        gdi::setColor(cr, colours[pass]);
        cairo_mask_surface(cr, mask, 0, 0);
        cairo_restore(cr);
    }
    cairo_surface_destroy(mask);
    return TRUE;
}
