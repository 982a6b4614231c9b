#pragma once
// Internal state of device contexts and drawing objects, shared by the files of the GDI layer.
#include <string>
#include <vector>
#include "win/wingdi.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace gdi {

struct Object {
    enum Kind { Pen, Brush, Font, Bitmap };
    Kind kind = Brush;
    bool stock = false;
    COLORREF color = 0;
    int style = PS_SOLID;  // pens; brushes use PS_NULL for the hollow brush
    int width = 1;
    LOGFONT font{};
    int bitmapWidth = 0, bitmapHeight = 0, bitsPixel = 0;  // bitmaps
    cairo_surface_t* pixels = nullptr;                       // bitmaps: an RGB24 image of their size
};

struct State {
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    COLORREF text = 0;
    COLORREF bk = 0xFFFFFF;
    int bkMode = OPAQUE;
    POINT pos{0, 0};
    POINT origin{0, 0};  // viewport origin: device position of logical (0, 0)
    RECT clip{};         // device coordinates
};

struct Context {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    HWND window = nullptr;
    State state;
    std::vector<State> saved;
    bool memory = false;         // made by CreateCompatibleDC: draws into its selected bitmap
    HGDIOBJ bitmap = nullptr;    // memory contexts: the selected bitmap
    int stretchMode = 1;         // SetStretchBltMode (BLACKONWHITE)
};

Context* context(HDC dc);
Object* object(HGDIOBJ handle);
HGDIOBJ makeStock(Object::Kind kind, COLORREF color, int style);
// A bitmap object of the given size and depth (the caller deletes it with DeleteObject).
HGDIOBJ makeBitmap(int width, int height, int bitsPixel);
// Selects a bitmap into a memory context (bitmaps.cpp); answers the previous one, null when the
// context is no memory context.
HGDIOBJ selectBitmap(Context* c, HGDIOBJ bitmap);
// Whether a bitmap is selected into a live context.
bool bitmapInUse(HGDIOBJ bitmap);
// The selected objects of a context, stock defaults when nothing valid is selected.
const Object& pen(Context* c);
const Object& brush(Context* c);
const Object& font(Context* c);
// Prepares the Cairo context: device clip applied, no transformation.
void prepare(Context* c);
void setColor(cairo_t* cr, COLORREF color);
// Fills a device rectangle with a colour (pixel exact).
void fillDevice(Context* c, RECT device, COLORREF color);
RECT toDevice(Context* c, const RECT& logical);
// The Pango family drawn for a face name of the platform.
const char* pangoFamily(const char* faceName);

}  // namespace gdi
