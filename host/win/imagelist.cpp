// Image lists: each image is kept as premultiplied ARGB pixels of the list's size and drawn with
// Cairo, over the background colour (ILD_NORMAL) or without it (ILD_TRANSPARENT), blended with
// the highlight colour for the selected and focused looks.
#include <cairo.h>
#include <algorithm>
#include <memory>
#include <set>
#include <vector>
#include "gi/dib.h"
#include "win/commctrl.h"
#include "win/gdiobjects.h"
#include "win/icons.h"

struct _IMAGELIST {
    int cx = 0, cy = 0;
    UINT flags = 0;
    COLORREF background = CLR_NONE;
    std::vector<std::vector<std::uint32_t>> images;  // premultiplied 0xAARRGGBB, cx * cy each
};

namespace {

std::set<HIMAGELIST>& lists() {
    static std::set<HIMAGELIST> s;
    return s;
}

HIMAGELIST live(HIMAGELIST list) { return lists().count(list) ? list : nullptr; }

// Cuts a bitmap into images of the list's width; each pixel's alpha is 0 where transparent says so.
template <typename Transparent>
int addStrip(HIMAGELIST list, HBITMAP image, Transparent transparent) {
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    if (!live(list) || !cadhostBitmapPixels(image, pixels, w, h)) return -1;
    const int count = std::max(1, w / list->cx);
    const int first = static_cast<int>(list->images.size());
    const bool masked = (list->flags & ILC_MASK) != 0;
    for (int n = 0; n < count; ++n) {
        std::vector<std::uint32_t> out(std::size_t(list->cx) * std::size_t(list->cy), 0xFF000000u);
        for (int y = 0; y < std::min(h, list->cy); ++y) {
            for (int x = 0; x < list->cx && n * list->cx + x < w; ++x) {
                const int sx = n * list->cx + x;
                const std::uint32_t p = pixels[std::size_t(y) * std::size_t(w) + std::size_t(sx)];
                out[std::size_t(y) * std::size_t(list->cx) + std::size_t(x)] = masked && transparent(sx, y, p) ? 0 : p;
            }
        }
        list->images.push_back(std::move(out));
    }
    return first;
}

COLORREF toColorref(std::uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

std::uint32_t blend(std::uint32_t p, COLORREF with, int percent) {
    const std::uint32_t a = p >> 24;
    auto mix = [&](std::uint32_t c, std::uint32_t w) {
        // Premultiplied: the blend colour is weighted by the pixel's own alpha.
        return (c * std::uint32_t(100 - percent) + (w * a / 255) * std::uint32_t(percent)) / 100;
    };
    return (a << 24) | (mix((p >> 16) & 0xFF, GetRValue(with)) << 16) | (mix((p >> 8) & 0xFF, GetGValue(with)) << 8) |
           mix(p & 0xFF, GetBValue(with));
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (!acgiImageSizeAllowed(cx, cy) || initial < 0 || grow < 0) return nullptr;
    auto* list = new _IMAGELIST;
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    lists().insert(list);
    return list;
}

BOOL ImageList_Destroy(HIMAGELIST list) {
    if (!live(list)) return FALSE;
    lists().erase(list);
    delete list;
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST list) { return live(list) ? static_cast<int>(list->images.size()) : 0; }

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
    if (!live(list) || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
    std::vector<std::uint32_t> m;
    int mw = 0, mh = 0;
    const bool hasMask = mask && cadhostBitmapPixels(mask, m, mw, mh);
    return addStrip(list, image, [&](int x, int y, std::uint32_t) {
        return hasMask && x < mw && y < mh && (m[std::size_t(y) * std::size_t(mw) + std::size_t(x)] & 0xFFFFFFu) != 0;
    });
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) {
    return addStrip(list, image, [&](int, int, std::uint32_t p) { return toColorref(p) == (mask & 0xFFFFFFu); });
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    if (!live(list) || index < -1 || index >= static_cast<int>(list->images.size()) ||
        !cadhostIconPixels(icon, pixels, w, h))
        return -1;
    if (w != list->cx || h != list->cy) pixels = acgiResampleImage(pixels, w, h, list->cx, list->cy);
    if (pixels.empty()) return -1;
    if (!(list->flags & ILC_MASK))
        for (std::uint32_t& p : pixels) p |= 0xFF000000u;  // no mask: transparent pixels show black
    if (index == -1) {
        list->images.push_back(std::move(pixels));
        return static_cast<int>(list->images.size()) - 1;
    }
    list->images[std::size_t(index)] = std::move(pixels);
    return index;
}

int ImageList_AddIcon(HIMAGELIST list, HICON icon) { return ImageList_ReplaceIcon(list, -1, icon); }

BOOL ImageList_Remove(HIMAGELIST list, int index) {
    if (!live(list)) return FALSE;
    if (index == -1) {
        list->images.clear();
        return TRUE;
    }
    if (index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
    list->images.erase(list->images.begin() + index);
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color) {
    if (!live(list)) return CLR_NONE;
    std::swap(list->background, color);
    return color;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list) { return live(list) ? list->background : CLR_NONE; }

BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style) {
    gdi::Context* c = gdi::context(dc);
    if (!live(list) || !c || index < 0 || index >= static_cast<int>(list->images.size()) || dx < 0 || dy < 0) return FALSE;
    const int w = dx ? std::min(dx, list->cx) : list->cx, h = dy ? std::min(dy, list->cy) : list->cy;
    std::vector<std::uint32_t> pixels = list->images[std::size_t(index)];
    const int percent = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;
    if (percent) {
        const COLORREF with = foreground == CLR_DEFAULT || foreground == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : foreground;
        for (std::uint32_t& p : pixels) p = blend(p, with, percent);
    }
    if (style & ILD_MASK)
        for (std::uint32_t& p : pixels) p = (p >> 24) ? 0xFF000000u : 0xFFFFFFFFu;
    const COLORREF back = background == CLR_DEFAULT ? list->background : background;
    if (!(style & ILD_TRANSPARENT) && back != CLR_NONE)
        gdi::fillDevice(c, gdi::toDevice(c, RECT{x, y, x + w, y + h}), back);
    cairo_surface_t* image = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                                 CAIRO_FORMAT_ARGB32, list->cx, list->cy, list->cx * 4);
    gdi::prepare(c);
    cairo_t* cr = c->cr;
    cairo_save(cr);
    cairo_rectangle(cr, x + c->state.origin.x, y + c->state.origin.y, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, image, x + c->state.origin.x, y + c->state.origin.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
    return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
    return ImageList_DrawEx(list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}
