// The rich-edit control: each paragraph of the document is one Pango layout with the runs'
// attributes, its indents, alignment and spacing; the layouts are stacked from the top and the
// view scrolls over them by pixels, with a scroll bar drawn at the right when they do not fit.
#include "win/richedit.h"
#include <cairo.h>
#include <pango/pangocairo.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <optional>
#include <vector>
#include "gi/fontcaches.h"
#include "win/commctrl.h"
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/gdiobjects.h"
#include "win/rtfreader.h"
#include "win/scrollbar.h"
#include "win/systemclasses.h"

namespace {

namespace rtf = cadhost::rtf;

constexpr int kMarginX = 2, kMarginY = 1;
constexpr int kWheelLines = 3;

struct Laid {
    PangoLayout* layout = nullptr;
    int x = 0, top = 0, height = 0;
};

struct RichState {
    rtf::Document doc;
    std::optional<COLORREF> back;  // none: the window colour
    int scroll = 0;                // pixels of the document above the view
    // The layout, made for one text width.
    PangoContext* pango = nullptr;
    std::vector<Laid> laid;
    std::vector<int> lineTops;
    int total = 0, width = -1;
    bool bar = false, valid = false;
};

std::map<HWND, RichState>& states() {
    static std::map<HWND, RichState> s;
    return s;
}

RichState& state(HWND w) { return states()[w]; }

void dropLayout(RichState& st) {
    for (Laid& l : st.laid) g_object_unref(l.layout);
    st.laid.clear();
    st.lineTops.clear();
    st.valid = false;
}

int pixels(int twips) { return twips / 15; }                     // 96 pixels an inch
int sizePixels(int halfPoints) { return halfPoints * 2 / 3; }    // half points to pixels at 96 dpi

void addAttribute(PangoAttrList* list, PangoAttribute* a, size_t start, size_t end) {
    a->start_index = static_cast<guint>(start);
    a->end_index = static_cast<guint>(end);
    pango_attr_list_insert(list, a);
}

void colorAttribute(PangoAttrList* list, COLORREF c, bool background, size_t start, size_t end) {
    const auto r = static_cast<guint16>((c & 0xFF) * 257), g = static_cast<guint16>(((c >> 8) & 0xFF) * 257),
               b = static_cast<guint16>(((c >> 16) & 0xFF) * 257);
    addAttribute(list, background ? pango_attr_background_new(r, g, b) : pango_attr_foreground_new(r, g, b), start, end);
}

PangoFontDescription* describe(const rtf::CharFormat& f) {
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, gdi::pangoFamily(f.font.c_str()));
    pango_font_description_set_absolute_size(d, std::max(1, sizePixels(f.halfPoints)) * PANGO_SCALE);
    pango_font_description_set_weight(d, f.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, f.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return d;
}

// One paragraph as a layout; x answers the left of the layout, width is the text width of the view.
PangoLayout* layoutParagraph(PangoContext* pc, const rtf::Paragraph& p, int width, int& x) {
    std::string text;
    PangoAttrList* attrs = pango_attr_list_new();
    auto add = [&](const std::string& s, const rtf::CharFormat& f) {
        const size_t start = text.size();
        text += s;
        const size_t end = text.size();
        if (start == end) return;
        PangoFontDescription* d = describe(f);
        addAttribute(attrs, pango_attr_font_desc_new(d), start, end);
        pango_font_description_free(d);
        if (f.underline) addAttribute(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), start, end);
        colorAttribute(attrs, f.color ? *f.color : GetSysColor(COLOR_WINDOWTEXT), false, start, end);
        if (f.highlight) colorAttribute(attrs, *f.highlight, true, start, end);
    };
    if (p.format.bullet) {
        rtf::CharFormat f = p.runs.empty() ? p.end : p.runs.front().format;
        f.underline = false;
        add("\u2022\t", f);
    } else {
        for (const rtf::Run& r : p.marker) add(r.text, r.format);
    }
    for (const rtf::Run& r : p.runs) add(r.text, r.format);

    PangoLayout* layout = pango_layout_new(pc);
    PangoFontDescription* d = describe(p.end);
    pango_layout_set_font_description(layout, d);
    pango_font_description_free(d);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);

    const int left = pixels(p.format.leftTwips), first = pixels(p.format.firstTwips), right = pixels(p.format.rightTwips);
    const int hang = std::min(first, 0);
    x = kMarginX + std::max(0, left + hang);
    pango_layout_set_width(layout, std::max(1, width - std::max(0, left + hang) - std::max(0, right)) * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_indent(layout, first * PANGO_SCALE);
    if (first < 0) {
        // The text after a bullet's tab starts where the following lines do.
        PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, -first);
        pango_layout_set_tabs(layout, tabs);
        pango_tab_array_free(tabs);
    }
    switch (p.format.align) {
    case rtf::Align::center: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
    case rtf::Align::right: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
    case rtf::Align::justify: pango_layout_set_justify(layout, TRUE); break;
    case rtf::Align::left: break;
    }
    return layout;
}

DWORD style(HWND w) { return static_cast<DWORD>(GetWindowLong(w, GWL_STYLE)); }

int viewHeight(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return std::max(0, static_cast<int>(r.bottom) - 2 * kMarginY);
}

void layoutAt(RichState& st, int width) {
    dropLayout(st);
    int y = 0;
    for (const rtf::Paragraph& p : st.doc.paragraphs) {
        y += pixels(p.format.spaceBefore);
        Laid l;
        l.layout = layoutParagraph(st.pango, p, width, l.x);
        l.top = y;
        PangoRectangle logical;
        pango_layout_get_pixel_extents(l.layout, nullptr, &logical);
        l.height = logical.height;
        PangoLayoutIter* it = pango_layout_get_iter(l.layout);
        do {
            int y0 = 0, y1 = 0;
            pango_layout_iter_get_line_yrange(it, &y0, &y1);
            st.lineTops.push_back(y + PANGO_PIXELS(y0));
        } while (pango_layout_iter_next_line(it));
        pango_layout_iter_free(it);
        st.laid.push_back(l);
        y += l.height + pixels(p.format.spaceAfter);
    }
    st.total = y;
    st.width = width;
    st.valid = true;
}

// Lays the document out for the control's width; the scroll bar takes its room when the text
// does not fit.
RichState& laidOut(HWND w) {
    RichState& st = state(w);
    RECT r;
    GetClientRect(w, &r);
    const int full = std::max(1, static_cast<int>(r.right) - 2 * kMarginX);
    if (st.valid && st.width == (st.bar ? std::max(1, full - GetSystemMetrics(SM_CXVSCROLL)) : full)) return st;
    if (!st.pango) {
        cadhostReleaseFontCachesAtExit();
        st.pango = pango_font_map_create_context(pango_cairo_font_map_get_default());
    }
    st.bar = false;
    layoutAt(st, full);
    if ((style(w) & WS_VSCROLL) && st.total > viewHeight(w)) {
        st.bar = true;
        layoutAt(st, std::max(1, full - GetSystemMetrics(SM_CXVSCROLL)));
    }
    return st;
}

int maxScroll(HWND w) { return std::max(0, laidOut(w).total - viewHeight(w)); }

void setScroll(HWND w, int to) {
    RichState& st = laidOut(w);
    to = std::clamp(to, 0, maxScroll(w));
    if (to == st.scroll) return;
    st.scroll = to;
    InvalidateRect(w, nullptr, TRUE);
}

int firstVisibleLine(HWND w) {
    RichState& st = laidOut(w);
    const auto it = std::upper_bound(st.lineTops.begin(), st.lineTops.end(), st.scroll);
    return std::max(0, static_cast<int>(it - st.lineTops.begin()) - 1);
}

void scrollLines(HWND w, int lines) {
    RichState& st = laidOut(w);
    if (st.lineTops.empty()) return;
    const int count = static_cast<int>(st.lineTops.size());
    const int first = firstVisibleLine(w);
    const long long to = std::clamp<long long>(static_cast<long long>(first) + lines, 0, count - 1);
    setScroll(w, st.lineTops[static_cast<size_t>(to)]);
}

void scrollRequest(HWND w, WORD request, int position) {
    const int page = std::max(1, viewHeight(w));
    const int now = laidOut(w).scroll;
    switch (request) {
    case SB_LINEUP: scrollLines(w, -1); break;
    case SB_LINEDOWN: scrollLines(w, 1); break;
    case SB_PAGEUP: setScroll(w, now - page); break;
    case SB_PAGEDOWN: setScroll(w, now + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: setScroll(w, position); break;
    case SB_TOP: setScroll(w, 0); break;
    case SB_BOTTOM: setScroll(w, INT_MAX); break;
    default: break;
    }
}

controls::ScrollBar scrollBar(HWND w) {
    RichState& st = laidOut(w);
    RECT client;
    GetClientRect(w, &client);
    return controls::scrollBar(RECT{client.right - GetSystemMetrics(SM_CXVSCROLL), 0, client.right, client.bottom}, true,
                               st.total, viewHeight(w), st.scroll);
}

bool clickScrollBar(HWND w, POINT p) {
    WORD request = 0;
    if (!laidOut(w).bar || !controls::scrollBarRequest(scrollBar(w), p, request)) return false;
    SendMessage(w, WM_VSCROLL, MAKEWPARAM(request, 0), 0);
    return true;
}


void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RichState& st = laidOut(w);
    RECT client;
    GetClientRect(w, &client);
    controls::fill(dc, client, st.back ? *st.back : GetSysColor(COLOR_WINDOW));
    const int right = client.right - (st.bar ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    SaveDC(dc);
    IntersectClipRect(dc, 0, 0, right, client.bottom);
    if (gdi::Context* c = gdi::context(dc)) {
        gdi::prepare(c);
        for (const Laid& l : st.laid) {
            const int y = kMarginY + l.top - st.scroll;
            if (y + l.height < 0 || y > client.bottom) continue;
            cairo_move_to(c->cr, c->state.origin.x + l.x, c->state.origin.y + y);
            pango_cairo_update_layout(c->cr, l.layout);
            pango_cairo_show_layout(c->cr, l.layout);
        }
        cairo_new_path(c->cr);
    }
    RestoreDC(dc, -1);
    if (st.bar) controls::paintScrollBar(dc, scrollBar(w));
    EndPaint(w, &ps);
}

// A new document: shown from the top.
void setDocument(HWND w, rtf::Document doc) {
    RichState& st = state(w);
    dropLayout(st);
    st.doc = std::move(doc);
    st.scroll = 0;
    InvalidateRect(w, nullptr, TRUE);
}

LRESULT streamIn(HWND w, WPARAM format, EDITSTREAM* es) {
    if (!es || !es->pfnCallback) return 0;
    es->dwError = 0;
    std::string bytes;
    BYTE chunk[4096];
    for (;;) {
        const LONG room = static_cast<LONG>(std::min<size_t>(sizeof chunk, kRichEditStreamLimit - bytes.size()));
        if (room <= 0) break;
        LONG got = 0;
        const DWORD error = es->pfnCallback(es->dwCookie, chunk, room, &got);
        if (error != 0) {
            es->dwError = error;
            break;
        }
        if (got <= 0) break;
        bytes.append(reinterpret_cast<const char*>(chunk), static_cast<size_t>(std::min(got, room)));
    }
    setDocument(w, (format & SF_RTF) ? rtf::readRtf(bytes) : rtf::readPlainText(bytes));
    return static_cast<LRESULT>(bytes.size());
}

LRESULT getText(HWND w, WPARAM bufferMax, char* buffer) {
    const std::string text = state(w).doc.plainText();
    if (!buffer || bufferMax == 0) return 0;
    const size_t n = std::min<size_t>(text.size(), bufferMax - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

void keyDown(HWND w, WPARAM key) {
    switch (key) {
    case VK_UP: scrollRequest(w, SB_LINEUP, 0); break;
    case VK_DOWN: scrollRequest(w, SB_LINEDOWN, 0); break;
    case VK_PRIOR: scrollRequest(w, SB_PAGEUP, 0); break;
    case VK_NEXT: scrollRequest(w, SB_PAGEDOWN, 0); break;
    case VK_HOME: scrollRequest(w, SB_TOP, 0); break;
    case VK_END: scrollRequest(w, SB_BOTTOM, 0); break;
    default: break;
    }
}

LRESULT CALLBACK RichEditProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        states()[w] = RichState{};
        break;
    case WM_NCDESTROY: {
        RichState& st = state(w);
        dropLayout(st);
        if (st.pango) g_object_unref(st.pango);
        states().erase(w);
        break;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETTEXT: {
        const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        const std::string_view s(text);
        setDocument(w, s.substr(0, 5) == "{\\rtf" ? rtf::readRtf(s) : rtf::readPlainText(s));
        return TRUE;
    }
    case WM_GETTEXT:
        return getText(w, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(state(w).doc.plainText().size());
    case EM_STREAMIN:
        return streamIn(w, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_SETREADONLY:
        SetWindowLong(w, GWL_STYLE, static_cast<LONG>(wParam ? (style(w) | ES_READONLY) : (style(w) & ~ES_READONLY)));
        return TRUE;
    case EM_SETBKGNDCOLOR: {
        RichState& st = state(w);
        const COLORREF previous = st.back ? *st.back : GetSysColor(COLOR_WINDOW);
        st.back = wParam ? std::nullopt : std::optional<COLORREF>(static_cast<COLORREF>(lParam));
        InvalidateRect(w, nullptr, TRUE);
        return static_cast<LRESULT>(previous);
    }
    case EM_GETLINECOUNT:
        return std::max<LRESULT>(1, static_cast<LRESULT>(laidOut(w).lineTops.size()));
    case EM_GETFIRSTVISIBLELINE:
        return firstVisibleLine(w);
    case EM_LINESCROLL:
        scrollLines(w, static_cast<int>(lParam));
        return TRUE;
    case EM_GETSEL:
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = 0;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = 0;
        return 0;
    case EM_SETSEL:
        return 0;  // the text is shown, not selected
    case WM_VSCROLL:
        scrollRequest(w, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_MOUSEWHEEL:
        scrollLines(w, -GET_WHEEL_DELTA_WPARAM(wParam) * kWheelLines / WHEEL_DELTA);
        return 0;
    case WM_KEYDOWN:
        keyDown(w, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetFocus() != w) SetFocus(w);
        if (IsWindow(w)) clickScrollBar(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_SIZE:
        state(w).valid = false;
        setScroll(w, state(w).scroll);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(w);
        return 0;
    default:
        break;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

SystemClass richEditClass(const char* name) { return SystemClass{name, 0, CS_DBLCLKS, RichEditProc, 0, nullptr}; }

}  // namespace

const std::vector<SystemClass>& richEditSystemClasses() {
    static const std::vector<SystemClass> c{richEditClass(RICHEDIT_CLASSA), richEditClass("RichEdit20W"),
                                            richEditClass("RICHEDIT50W")};
    return c;
}
