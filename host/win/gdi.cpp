// Device contexts and drawing objects over Cairo: pens, brushes, fonts, lines, rectangles,
// edges and clipping. Handles are checked, so a stale or foreign handle draws nothing.
#include <cairo.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include "win/gdiobjects.h"
#include "win/windowstate.h"
#include "win/winuser.h"

namespace gdi {
namespace {

std::set<Context*>& contexts() {
    static std::set<Context*> s;
    return s;
}

std::set<Object*>& objects() {
    static std::set<Object*> s;
    return s;
}

HGDIOBJ add(std::unique_ptr<Object> o) {
    Object* raw = o.release();
    objects().insert(raw);
    return reinterpret_cast<HGDIOBJ>(raw);
}

LOGFONT logFont(LONG height, LONG weight, const char* face) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

HGDIOBJ stockFont(const LOGFONT& lf) {
    auto o = std::make_unique<Object>();
    o->kind = Object::Font;
    o->stock = true;
    o->font = lf;
    return add(std::move(o));
}

}  // namespace

Context* context(HDC dc) {
    auto* c = reinterpret_cast<Context*>(dc);
    return contexts().count(c) ? c : nullptr;
}

Object* object(HGDIOBJ handle) {
    auto* o = reinterpret_cast<Object*>(handle);
    return objects().count(o) ? o : nullptr;
}

HGDIOBJ makeStock(Object::Kind kind, COLORREF color, int style) {
    auto o = std::make_unique<Object>();
    o->kind = kind;
    o->stock = true;
    o->color = color;
    o->style = style;
    return add(std::move(o));
}

HGDIOBJ makeBitmap(int width, int height, int bitsPixel) {
    auto o = std::make_unique<Object>();
    o->kind = Object::Bitmap;
    o->bitmapWidth = width;
    o->bitmapHeight = height;
    o->bitsPixel = bitsPixel;
    o->pixels = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, width), std::max(1, height));
    if (cairo_surface_status(o->pixels) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(o->pixels);
        o->pixels = nullptr;
    }
    return add(std::move(o));
}

bool bitmapInUse(HGDIOBJ bitmap) {
    for (Context* c : contexts())
        if (c->bitmap == bitmap) return true;
    return false;
}

const Object& pen(Context* c) {
    Object* o = object(c->state.pen);
    return (o && o->kind == Object::Pen) ? *o : *object(GetStockObject(BLACK_PEN));
}

const Object& brush(Context* c) {
    Object* o = object(c->state.brush);
    return (o && o->kind == Object::Brush) ? *o : *object(GetStockObject(WHITE_BRUSH));
}

const Object& font(Context* c) {
    Object* o = object(c->state.font);
    return (o && o->kind == Object::Font) ? *o : *object(GetStockObject(SYSTEM_FONT));
}

void setColor(cairo_t* cr, COLORREF color) {
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

void prepare(Context* c) {
    cairo_identity_matrix(c->cr);
    cairo_reset_clip(c->cr);
    const RECT& k = c->state.clip;
    cairo_rectangle(c->cr, k.left, k.top, std::max(0, k.right - k.left), std::max(0, k.bottom - k.top));
    cairo_clip(c->cr);
    cairo_new_path(c->cr);
}

RECT toDevice(Context* c, const RECT& r) {
    POINT o = c->state.origin;
    return RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
}

void fillDevice(Context* c, RECT d, COLORREF color) {
    if (d.right <= d.left || d.bottom <= d.top) return;
    prepare(c);
    cairo_set_antialias(c->cr, CAIRO_ANTIALIAS_NONE);
    setColor(c->cr, color);
    cairo_rectangle(c->cr, d.left, d.top, d.right - d.left, d.bottom - d.top);
    cairo_fill(c->cr);
    cairo_set_antialias(c->cr, CAIRO_ANTIALIAS_DEFAULT);
}

}  // namespace gdi

using namespace gdi;

HDC cadhostCreateSurfaceDC(void* cairoSurface, HWND window, int x, int y) {
    auto* surface = static_cast<cairo_surface_t*>(cairoSurface);
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return nullptr;
    auto* c = new Context;
    c->surface = cairo_surface_reference(surface);
    c->cr = cairo_create(surface);
    c->window = window;
    c->state.origin = POINT{x, y};
    c->state.clip = RECT{0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
    c->state.font = window ? reinterpret_cast<HFONT>(SendMessage(window, WM_GETFONT, 0, 0)) : nullptr;
    if (!object(c->state.font)) c->state.font = GetStockObject(SYSTEM_FONT);
    c->state.pen = GetStockObject(BLACK_PEN);
    c->state.brush = GetStockObject(WHITE_BRUSH);
    contexts().insert(c);
    return reinterpret_cast<HDC>(c);
}

BOOL DeleteDC(HDC dc) {
    Context* c = context(dc);
    if (!c) return FALSE;
    contexts().erase(c);
    cairo_destroy(c->cr);
    cairo_surface_destroy(c->surface);
    delete c;
    return TRUE;
}

namespace winstate {
HDC makeScratchDC(HWND hwnd) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    HDC dc = cadhostCreateSurfaceDC(s, hwnd, 0, 0);
    cairo_surface_destroy(s);
    return dc;
}
}  // namespace winstate

HDC GetDC(HWND hwnd) { return winstate::makeScratchDC(hwnd); }
int ReleaseDC(HWND, HDC dc) { return DeleteDC(dc) ? 1 : 0; }

HWND WindowFromDC(HDC dc) {
    Context* c = context(dc);
    return c ? c->window : nullptr;
}

int GetDeviceCaps(HDC, int index) {
    switch (index) {
    case LOGPIXELSX: case LOGPIXELSY: return 96;
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    case BITSPIXEL: return 32;
    default: return 0;
    }
}

int SaveDC(HDC dc) {
    Context* c = context(dc);
    if (!c) return 0;
    c->saved.push_back(c->state);
    return static_cast<int>(c->saved.size());
}

BOOL RestoreDC(HDC dc, int saved) {
    Context* c = context(dc);
    if (!c || c->saved.empty()) return FALSE;
    int n = static_cast<int>(c->saved.size());
    int level = saved < 0 ? n + 1 + saved : saved;
    if (level < 1 || level > n) return FALSE;
    c->state = c->saved[static_cast<size_t>(level - 1)];
    c->saved.resize(static_cast<size_t>(level - 1));
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ handle) {
    Context* c = context(dc);
    Object* o = object(handle);
    if (!c || !o) return nullptr;
    if (o->kind == Object::Bitmap) return selectBitmap(c, handle);
    HGDIOBJ* slot = o->kind == Object::Pen ? &c->state.pen : o->kind == Object::Brush ? &c->state.brush : &c->state.font;
    HGDIOBJ old = *slot;
    *slot = handle;
    return old;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT kind) {
    Context* c = context(dc);
    if (!c) return nullptr;
    if (kind == OBJ_BITMAP) return c->bitmap;
    return kind == OBJ_PEN ? c->state.pen : kind == OBJ_BRUSH ? c->state.brush : kind == OBJ_FONT ? c->state.font : nullptr;
}

BOOL DeleteObject(HGDIOBJ handle) {
    Object* o = object(handle);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    // A bitmap selected into a context stays until it is selected out.
    if (o->kind == Object::Bitmap && bitmapInUse(handle)) return FALSE;
    if (o->pixels) cairo_surface_destroy(o->pixels);
    objects().erase(o);
    delete o;
    return TRUE;
}

HGDIOBJ GetStockObject(int index) {
    static HGDIOBJ stock[18] = {};
    if (index < 0 || index >= 18) return nullptr;
    if (!stock[index]) {
        switch (index) {
        case WHITE_BRUSH: stock[index] = makeStock(Object::Brush, RGB(255, 255, 255), PS_SOLID); break;
        case LTGRAY_BRUSH: stock[index] = makeStock(Object::Brush, RGB(192, 192, 192), PS_SOLID); break;
        case GRAY_BRUSH: stock[index] = makeStock(Object::Brush, RGB(128, 128, 128), PS_SOLID); break;
        case DKGRAY_BRUSH: stock[index] = makeStock(Object::Brush, RGB(64, 64, 64), PS_SOLID); break;
        case BLACK_BRUSH: stock[index] = makeStock(Object::Brush, RGB(0, 0, 0), PS_SOLID); break;
        case NULL_BRUSH: stock[index] = makeStock(Object::Brush, 0, PS_NULL); break;
        case WHITE_PEN: stock[index] = makeStock(Object::Pen, RGB(255, 255, 255), PS_SOLID); break;
        case BLACK_PEN: stock[index] = makeStock(Object::Pen, RGB(0, 0, 0), PS_SOLID); break;
        case NULL_PEN: stock[index] = makeStock(Object::Pen, 0, PS_NULL); break;
        case ANSI_VAR_FONT: stock[index] = stockFont(logFont(-11, FW_NORMAL, "MS Sans Serif")); break;
        case SYSTEM_FONT: stock[index] = stockFont(logFont(16, FW_BOLD, "System")); break;
        case DEFAULT_GUI_FONT: stock[index] = stockFont(logFont(-11, FW_NORMAL, "MS Shell Dlg")); break;
        default: return nullptr;
        }
    }
    return stock[index];
}

HPEN CreatePen(int style, int width, COLORREF color) {
    auto o = std::make_unique<Object>();
    o->kind = Object::Pen;
    o->style = style;
    o->width = std::clamp(width, 1, 1000);
    o->color = color;
    return add(std::move(o));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto o = std::make_unique<Object>();
    o->kind = Object::Brush;
    o->color = color;
    return add(std::move(o));
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
    if (!lf) return nullptr;
    auto o = std::make_unique<Object>();
    o->kind = Object::Font;
    o->font = *lf;
    o->font.lfFaceName[LF_FACESIZE - 1] = '\0';
    return add(std::move(o));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                 DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* face) {
    LOGFONT lf = logFont(height, weight, face ? face : "");
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    return CreateFontIndirect(&lf);
}

DWORD GetObjectType(HGDIOBJ handle) {
    if (context(reinterpret_cast<HDC>(handle))) return OBJ_DC;
    Object* o = object(handle);
    if (!o) return 0;
    if (o->kind == Object::Bitmap) return OBJ_BITMAP;
    return o->kind == Object::Pen ? OBJ_PEN : o->kind == Object::Brush ? OBJ_BRUSH : OBJ_FONT;
}

int GetObject(HGDIOBJ handle, int size, void* out) {
    Object* o = object(handle);
    if (o && o->kind == Object::Bitmap) {
        if (!out) return static_cast<int>(sizeof(BITMAP));
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        BITMAP bm{0, o->bitmapWidth, o->bitmapHeight, (o->bitmapWidth * o->bitsPixel + 15) / 16 * 2, 1,
                  static_cast<WORD>(o->bitsPixel), nullptr};
        std::memcpy(out, &bm, sizeof bm);
        return static_cast<int>(sizeof bm);
    }
    if (!o || o->kind != Object::Font) return 0;
    if (!out) return static_cast<int>(sizeof(LOGFONT));
    int n = std::min(size, static_cast<int>(sizeof(LOGFONT)));
    if (n <= 0) return 0;
    std::memcpy(out, &o->font, static_cast<size_t>(n));
    return n;
}

namespace {
COLORREF exchangeColor(HDC dc, COLORREF State::*slot, COLORREF color) {
    Context* c = context(dc);
    if (!c) return CLR_INVALID;
    std::swap(c->state.*slot, color);
    return color;
}
}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF color) { return exchangeColor(dc, &State::text, color); }
COLORREF GetTextColor(HDC dc) { Context* c = context(dc); return c ? c->state.text : CLR_INVALID; }
COLORREF SetBkColor(HDC dc, COLORREF color) { return exchangeColor(dc, &State::bk, color); }
COLORREF GetBkColor(HDC dc) { Context* c = context(dc); return c ? c->state.bk : CLR_INVALID; }
int SetBkMode(HDC dc, int mode) {
    Context* c = context(dc);
    if (!c || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    std::swap(c->state.bkMode, mode);
    return mode;
}
int GetBkMode(HDC dc) { Context* c = context(dc); return c ? c->state.bkMode : 0; }

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old) {
    Context* c = context(dc);
    if (!c) return FALSE;
    if (old) *old = c->state.origin;
    c->state.origin = POINT{x, y};
    return TRUE;
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old) {
    Context* c = context(dc);
    if (!c) return FALSE;
    return SetViewportOrgEx(dc, c->state.origin.x + dx, c->state.origin.y + dy, old);
}
BOOL GetViewportOrgEx(HDC dc, POINT* origin) {
    Context* c = context(dc);
    if (!c || !origin) return FALSE;
    *origin = c->state.origin;
    return TRUE;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    Context* c = context(dc);
    if (!c) return ERROR;
    RECT d = toDevice(c, RECT{left, top, right, bottom});
    if (!IntersectRect(&c->state.clip, &c->state.clip, &d)) return NULLREGION;
    return SIMPLEREGION;
}

int GetClipBox(HDC dc, RECT* rect) {
    Context* c = context(dc);
    if (!c || !rect) return ERROR;
    POINT o = c->state.origin;
    *rect = RECT{c->state.clip.left - o.x, c->state.clip.top - o.y, c->state.clip.right - o.x, c->state.clip.bottom - o.y};
    return IsRectEmpty(rect) ? NULLREGION : SIMPLEREGION;
}

namespace {

// A line of the current pen from one logical point towards another, the end point excluded.
void penLine(Context* c, POINT a, POINT b) {
    const Object& p = pen(c);
    if (p.style == PS_NULL) return;
    POINT o = c->state.origin;
    int w = p.width;
    if (a.y == b.y || a.x == b.x) {
        // Axis lines are filled pixel runs, as wide as the pen.
        int lo = w / 2;
        RECT d;
        if (a.y == b.y) d = b.x >= a.x ? RECT{a.x, a.y - lo, b.x, a.y - lo + w} : RECT{b.x + 1, a.y - lo, a.x + 1, a.y - lo + w};
        else d = b.y >= a.y ? RECT{a.x - lo, a.y, a.x - lo + w, b.y} : RECT{a.x - lo, b.y + 1, a.x - lo + w, a.y + 1};
        OffsetRect(&d, o.x, o.y);
        fillDevice(c, d, p.color);
        return;
    }
    prepare(c);
    setColor(c->cr, p.color);
    cairo_set_line_width(c->cr, w);
    if (p.style == PS_DASH || p.style == PS_DOT) {
        double dash[2] = {p.style == PS_DASH ? 6.0 : 1.0, p.style == PS_DASH ? 2.0 : 1.0};
        cairo_set_dash(c->cr, dash, 2, 0);
    }
    cairo_move_to(c->cr, a.x + o.x + 0.5, a.y + o.y + 0.5);
    cairo_line_to(c->cr, b.x + o.x + 0.5, b.y + o.y + 0.5);
    cairo_stroke(c->cr);
    cairo_set_dash(c->cr, nullptr, 0, 0);
}

void brushPath(Context* c) {
    const Object& b = brush(c);
    // A hollow brush fills nothing and leaves the outline to the pen.
    if (b.style == PS_NULL) return;
    setColor(c->cr, b.color);
    cairo_fill_preserve(c->cr);
}

}  // namespace

BOOL MoveToEx(HDC dc, int x, int y, POINT* old) {
    Context* c = context(dc);
    if (!c) return FALSE;
    if (old) *old = c->state.pos;
    c->state.pos = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    Context* c = context(dc);
    if (!c) return FALSE;
    penLine(c, c->state.pos, POINT{x, y});
    c->state.pos = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    Context* c = context(dc);
    if (!c || !points || count < 2) return FALSE;
    for (int i = 1; i < count; ++i) penLine(c, points[i - 1], points[i]);
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    Context* c = context(dc);
    if (!c || !points || count < 2) return FALSE;
    prepare(c);
    POINT o = c->state.origin;
    cairo_move_to(c->cr, points[0].x + o.x, points[0].y + o.y);
    for (int i = 1; i < count; ++i) cairo_line_to(c->cr, points[i].x + o.x, points[i].y + o.y);
    cairo_close_path(c->cr);
    brushPath(c);
    cairo_new_path(c->cr);
    for (int i = 0; i < count; ++i) penLine(c, points[i], points[(i + 1) % count]);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    Context* c = context(dc);
    if (!c) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const Object& b = brush(c);
    const Object& p = pen(c);
    int w = p.style == PS_NULL ? 0 : p.width;
    RECT d = toDevice(c, RECT{left, top, right, bottom});
    if (b.style != PS_NULL) fillDevice(c, RECT{d.left + w, d.top + w, d.right - w, d.bottom - w}, b.color);
    if (w) {
        fillDevice(c, RECT{d.left, d.top, d.right, d.top + w}, p.color);
        fillDevice(c, RECT{d.left, d.bottom - w, d.right, d.bottom}, p.color);
        fillDevice(c, RECT{d.left, d.top + w, d.left + w, d.bottom - w}, p.color);
        fillDevice(c, RECT{d.right - w, d.top + w, d.right, d.bottom - w}, p.color);
    }
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    Context* c = context(dc);
    if (!c || right <= left || bottom <= top) return FALSE;
    prepare(c);
    RECT d = toDevice(c, RECT{left, top, right, bottom});
    cairo_save(c->cr);
    cairo_translate(c->cr, (d.left + d.right) / 2.0, (d.top + d.bottom) / 2.0);
    cairo_scale(c->cr, (d.right - d.left - 1) / 2.0, (d.bottom - d.top - 1) / 2.0);
    cairo_arc(c->cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(c->cr);
    brushPath(c);
    const Object& p = pen(c);
    if (p.style != PS_NULL) {
        setColor(c->cr, p.color);
        cairo_set_line_width(c->cr, p.width);
        cairo_stroke(c->cr);
    }
    cairo_new_path(c->cr);
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH handle) {
    Context* c = context(dc);
    if (!c || !rect) return 0;
    uintptr_t v = reinterpret_cast<uintptr_t>(handle);
    Object* b = (v > 0 && v <= 31) ? object(GetSysColorBrush(static_cast<int>(v - 1))) : object(handle);
    if (!b || b->kind != Object::Brush) return 0;
    if (b->style != PS_NULL) fillDevice(c, toDevice(c, *rect), b->color);
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH handle) {
    Context* c = context(dc);
    Object* b = object(handle);
    if (!c || !rect || !b || b->kind != Object::Brush) return 0;
    RECT d = toDevice(c, *rect);
    fillDevice(c, RECT{d.left, d.top, d.right, d.top + 1}, b->color);
    fillDevice(c, RECT{d.left, d.bottom - 1, d.right, d.bottom}, b->color);
    fillDevice(c, RECT{d.left, d.top, d.left + 1, d.bottom}, b->color);
    fillDevice(c, RECT{d.right - 1, d.top, d.right, d.bottom}, b->color);
    return 1;
}

namespace {

// One ring of an edge: top and left in one colour, bottom and right in another.
void edgeRing(Context* c, RECT& d, COLORREF topLeft, COLORREF bottomRight, UINT flags) {
    if (flags & BF_TOP) fillDevice(c, RECT{d.left, d.top, d.right - 1, d.top + 1}, topLeft);
    if (flags & BF_LEFT) fillDevice(c, RECT{d.left, d.top, d.left + 1, d.bottom - 1}, topLeft);
    if (flags & BF_BOTTOM) fillDevice(c, RECT{d.left, d.bottom - 1, d.right, d.bottom}, bottomRight);
    if (flags & BF_RIGHT) fillDevice(c, RECT{d.right - 1, d.top, d.right, d.bottom}, bottomRight);
    if (flags & BF_LEFT) ++d.left;
    if (flags & BF_TOP) ++d.top;
    if (flags & BF_RIGHT) --d.right;
    if (flags & BF_BOTTOM) --d.bottom;
}

}  // namespace

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
    Context* c = context(dc);
    if (!c || !rect) return FALSE;
    RECT d = toDevice(c, *rect);
    COLORREF light = GetSysColor(COLOR_3DLIGHT), hilight = GetSysColor(COLOR_3DHILIGHT);
    COLORREF shadow = GetSysColor(COLOR_3DSHADOW), dark = GetSysColor(COLOR_3DDKSHADOW);
    if (flags & BF_MONO) {
        if (edge & 0x3) edgeRing(c, d, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME), flags);
    } else if (flags & BF_FLAT) {
        if (edge & 0x3) edgeRing(c, d, shadow, shadow, flags);
        if (edge & 0xC) edgeRing(c, d, GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_3DFACE), flags);
    } else {
        bool soft = (flags & BF_SOFT) != 0;
        if (edge & BDR_RAISEDOUTER) edgeRing(c, d, soft ? hilight : light, dark, flags);
        else if (edge & BDR_SUNKENOUTER) edgeRing(c, d, soft ? dark : shadow, hilight, flags);
        if (edge & BDR_RAISEDINNER) edgeRing(c, d, soft ? light : hilight, shadow, flags);
        else if (edge & BDR_SUNKENINNER) edgeRing(c, d, soft ? shadow : dark, light, flags);
    }
    if (flags & BF_MIDDLE) fillDevice(c, d, GetSysColor(COLOR_3DFACE));
    if (flags & BF_ADJUST) {
        POINT o = c->state.origin;
        *rect = RECT{d.left - o.x, d.top - o.y, d.right - o.x, d.bottom - o.y};
    }
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
    Context* c = context(dc);
    if (!c || !rect) return FALSE;
    RECT d = toDevice(c, *rect);
    // Dotted: every other pixel of the frame, drawn in black.
    for (int x = d.left; x < d.right; x += 2) {
        fillDevice(c, RECT{x, d.top, x + 1, d.top + 1}, 0);
        fillDevice(c, RECT{x, d.bottom - 1, x + 1, d.bottom}, 0);
    }
    for (int y = d.top; y < d.bottom; y += 2) {
        fillDevice(c, RECT{d.left, y, d.left + 1, y + 1}, 0);
        fillDevice(c, RECT{d.right - 1, y, d.right, y + 1}, 0);
    }
    return TRUE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    Context* c = context(dc);
    if (!c) return CLR_INVALID;
    RECT d = toDevice(c, RECT{x, y, x + 1, y + 1});
    fillDevice(c, d, color);
    return color;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    Context* c = context(dc);
    if (!c) return CLR_INVALID;
    POINT p{x + c->state.origin.x, y + c->state.origin.y};
    if (!PtInRect(&c->state.clip, p)) return CLR_INVALID;
    cairo_surface_flush(c->surface);
    int w = cairo_image_surface_get_width(c->surface), h = cairo_image_surface_get_height(c->surface);
    if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) return CLR_INVALID;
    const unsigned char* data = cairo_image_surface_get_data(c->surface);
    int stride = cairo_image_surface_get_stride(c->surface);
    uint32_t argb;
    std::memcpy(&argb, data + p.y * stride + p.x * 4, 4);
    return RGB((argb >> 16) & 0xff, (argb >> 8) & 0xff, argb & 0xff);
}
