// Text in device contexts, laid out and drawn with Pango. The platform's dialog fonts are not on
// this system: sans faces map to DejaVu Sans Condensed, fixed faces to DejaVu Sans Mono and serif
// faces to DejaVu Serif, at the pixel height the font asks for.
#include <cairo.h>
#include <pango/pangocairo.h>
#include <dlfcn.h>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include "win/gdiobjects.h"
#include "gi/fontcaches.h"
#include "win/winuser.h"

namespace {

using namespace gdi;

std::string lower(const char* s) {
    std::string r = s ? s : "";
    for (char& ch : r) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return r;
}

const char* family(const LOGFONT& lf) { return gdi::pangoFamily(lf.lfFaceName); }

}  // namespace

const char* gdi::pangoFamily(const char* faceName) {
    std::string face = lower(faceName);
    if (face.find("courier") != std::string::npos || face.find("console") != std::string::npos ||
        face.find("consolas") != std::string::npos || face.find("mono") != std::string::npos ||
        face == "fixedsys" || face == "terminal")
        return "DejaVu Sans Mono";
    if (face.find("times") != std::string::npos || face.find("serif") == 0 || face.find("georgia") != std::string::npos)
        return "DejaVu Serif";
    return "DejaVu Sans Condensed";
}

namespace {

// Character height in pixels: a negative height is the em itself, a positive one the cell,
// which holds the em and the internal leading (a fifth of the cell).
int emPixels(const LOGFONT& lf) {
    if (lf.lfHeight < 0) return std::min<LONG>(-lf.lfHeight, 2000);
    if (lf.lfHeight > 0) return std::max(1, static_cast<int>(std::min<LONG>(lf.lfHeight, 2000) * 4 / 5));
    return 11;
}

PangoFontDescription* describe(const LOGFONT& lf) {
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, family(lf));
    pango_font_description_set_absolute_size(d, emPixels(lf) * PANGO_SCALE);
    pango_font_description_set_weight(d, lf.lfWeight >= 600 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    if (lf.lfItalic) pango_font_description_set_style(d, PANGO_STYLE_ITALIC);
    return d;
}

struct Layout {
    PangoLayout* layout = nullptr;
    explicit Layout(Context* c) {
        cadhostReleaseFontCachesAtExit();
        layout = pango_cairo_create_layout(c->cr);
        PangoFontDescription* d = describe(font(c).font);
        pango_layout_set_font_description(layout, d);
        pango_font_description_free(d);
    }
    ~Layout() { g_object_unref(layout); }
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;
};

// Sets the text of a layout; unless noPrefix, "&x" underlines x and "&&" is an ampersand.
void setText(Context* c, PangoLayout* layout, const char* text, int length, bool noPrefix) {
    std::string s(text, static_cast<size_t>(length));
    PangoAttrList* attrs = pango_attr_list_new();
    const LOGFONT& lf = font(c).font;
    if (!noPrefix) {
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '&' && i + 1 < s.size()) {
                ++i;
                if (s[i] != '&') {
                    PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
                    u->start_index = static_cast<guint>(out.size());
                    u->end_index = static_cast<guint>(out.size() + 1);
                    pango_attr_list_insert(attrs, u);
                }
            }
            out += s[i];
        }
        s = out;
    }
    if (lf.lfUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (lf.lfStrikeOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    if (!g_utf8_validate(s.c_str(), static_cast<gssize>(s.size()), nullptr)) {
        // Bytes of the ANSI code page: each is its own character.
        gchar* utf = g_convert(s.c_str(), static_cast<gssize>(s.size()), "UTF-8", "WINDOWS-1252", nullptr, nullptr, nullptr);
        s = utf ? utf : "";
        g_free(utf);
    }
    pango_layout_set_text(layout, s.c_str(), static_cast<int>(s.size()));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
}

int textLength(const char* text, int length) {
    if (!text) return 0;
    return length < 0 ? static_cast<int>(std::strlen(text)) : length;
}

// Draws a laid-out text with its top left at a device point, with the opaque background.
void paint(Context* c, PangoLayout* layout, double x, double y) {
    prepare(c);
    if (c->state.bkMode == OPAQUE) {
        PangoRectangle logical;
        pango_layout_get_pixel_extents(layout, nullptr, &logical);
        setColor(c->cr, c->state.bk);
        cairo_rectangle(c->cr, x + logical.x, y + logical.y, logical.width, logical.height);
        cairo_fill(c->cr);
    }
    setColor(c->cr, c->state.text);
    cairo_move_to(c->cr, x, y);
    pango_cairo_show_layout(c->cr, layout);
    cairo_new_path(c->cr);
}

}  // namespace

BOOL TextOut(HDC dc, int x, int y, const char* text, int length) {
    Context* c = context(dc);
    if (!c || !text) return FALSE;
    Layout l(c);
    setText(c, l.layout, text, textLength(text, length), true);
    paint(c, l.layout, x + c->state.origin.x, y + c->state.origin.y);
    return TRUE;
}

int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format) {
    Context* c = context(dc);
    if (!c || !text || !rect) return 0;
    Layout l(c);
    int n = textLength(text, length);
    std::string s(text, static_cast<size_t>(n));
    if (format & DT_SINGLELINE)
        std::replace_if(s.begin(), s.end(), [](char ch) { return ch == '\n' || ch == '\r'; }, ' ');
    setText(c, l.layout, s.c_str(), static_cast<int>(s.size()), (format & DT_NOPREFIX) != 0);
    int width = rect->right - rect->left;
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
        pango_layout_set_width(l.layout, std::max(width, 1) * PANGO_SCALE);
        pango_layout_set_wrap(l.layout, PANGO_WRAP_WORD_CHAR);
        // Lines beyond the rectangle's height end in an ellipsis.
        if ((format & DT_END_ELLIPSIS) && !(format & DT_CALCRECT)) {
            pango_layout_set_height(l.layout, std::max<int>(rect->bottom - rect->top, 1) * PANGO_SCALE);
            pango_layout_set_ellipsize(l.layout, PANGO_ELLIPSIZE_END);
        }
    } else if ((format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) && !(format & DT_CALCRECT)) {
        pango_layout_set_width(l.layout, std::max(width, 1) * PANGO_SCALE);
        pango_layout_set_ellipsize(l.layout, (format & DT_PATH_ELLIPSIS) ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_END);
    }
    PangoAlignment align = (format & DT_CENTER) ? PANGO_ALIGN_CENTER : (format & DT_RIGHT) ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;
    pango_layout_set_alignment(l.layout, align);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l.layout, nullptr, &logical);
    int textWidth = logical.width, textHeight = logical.height;
    if (format & DT_CALCRECT) {
        rect->right = rect->left + textWidth;
        rect->bottom = rect->top + textHeight;
        return textHeight;
    }
    double x = rect->left;
    if (pango_layout_get_width(l.layout) < 0) {
        if (format & DT_CENTER) x = rect->left + (width - textWidth) / 2;
        else if (format & DT_RIGHT) x = rect->right - textWidth;
    }
    double y = rect->top;
    if (format & DT_SINGLELINE) {
        int height = rect->bottom - rect->top;
        if (format & DT_VCENTER) y = rect->top + (height - textHeight) / 2;
        else if (format & DT_BOTTOM) y = rect->bottom - textHeight;
    }
    State keep = c->state;
    if (!(format & DT_NOCLIP)) {
        RECT d = toDevice(c, *rect);
        IntersectRect(&c->state.clip, &c->state.clip, &d);
    }
    paint(c, l.layout, x + c->state.origin.x, y + c->state.origin.y);
    c->state = keep;
    return textHeight;
}

BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size) {
    Context* c = context(dc);
    if (!c || !text || !size) return FALSE;
    Layout l(c);
    setText(c, l.layout, text, textLength(text, length), true);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l.layout, nullptr, &logical);
    size->cx = logical.width;
    size->cy = logical.height;
    return TRUE;
}

BOOL GetTextMetrics(HDC dc, TEXTMETRIC* tm) {
    Context* c = context(dc);
    if (!c || !tm) return FALSE;
    Layout l(c);
    const LOGFONT& lf = font(c).font;
    PangoContext* pc = pango_layout_get_context(l.layout);
    PangoFontDescription* d = describe(lf);
    PangoFontMetrics* m = pango_context_get_metrics(pc, d, nullptr);
    pango_font_description_free(d);
    std::memset(tm, 0, sizeof(*tm));
    tm->tmAscent = PANGO_PIXELS(pango_font_metrics_get_ascent(m));
    tm->tmDescent = PANGO_PIXELS(pango_font_metrics_get_descent(m));
    tm->tmHeight = tm->tmAscent + tm->tmDescent;
    tm->tmInternalLeading = std::max<LONG>(0, tm->tmHeight - emPixels(lf));
    tm->tmAveCharWidth = PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(m));
    tm->tmMaxCharWidth = PANGO_PIXELS(pango_font_metrics_get_approximate_digit_width(m)) * 2;
    tm->tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
    pango_font_metrics_unref(m);
    return TRUE;
}
