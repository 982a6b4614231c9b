// Rendering windows and their children into Cairo image surfaces and PNG files.
#include "win/render.h"
#include "win/controlsupport.h"
#include <cairo.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "win/icons.h"
#include "win/windowstate.h"
#include "win/wingdi.h"

namespace {

using winstate::Window;


void paintCaption(HWND hwnd, HDC dc, RECT bar) {
    const winstate::Window* w = winstate::find(hwnd);
    bool active = w && w->captionActive;
    COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    int width = std::max(1, static_cast<int>(bar.right - bar.left));
    for (int x = bar.left; x < bar.right; ++x) {
        double t = static_cast<double>(x - bar.left) / width;
        auto mix = [t](BYTE a, BYTE b) { return static_cast<BYTE>(a + (b - a) * t); };
        controls::fill(dc, RECT{x, bar.top, x + 1, bar.bottom - 1},
                  RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)), mix(GetBValue(from), GetBValue(to))));
    }
    controls::fill(dc, RECT{bar.left, bar.bottom - 1, bar.right, bar.bottom}, GetSysColor(COLOR_3DFACE));
    LOGFONT lf{};
    GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(dc, bold);
    char text[256];
    GetWindowText(hwnd, text, sizeof text);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT t{bar.left + 3, bar.top, bar.right - 20, bar.bottom - 1};
    // The small icon (or the big one made small) at the left, the title after it.
    if (auto icon = reinterpret_cast<HICON>(SendMessage(hwnd, WM_GETICON, ICON_SMALL2, 0))) {
        const int side = GetSystemMetrics(SM_CXSMICON);
        const int top = bar.top + std::max(0, static_cast<int>(bar.bottom - 1 - bar.top) - side) / 2;
        if (DrawIconEx(dc, bar.left + 2, top, icon, side, side, 0, nullptr, DI_NORMAL)) t.left = bar.left + side + 5;
    }
    DrawText(dc, text, -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    DeleteObject(bold);
    if (GetWindowLong(hwnd, GWL_STYLE) & WS_SYSMENU) {
        RECT box{bar.right - 18, bar.top + 2, bar.right - 2, bar.top + 16};
        RECT e = box;
        DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        for (int k = 0; k < 2; ++k) {
            MoveToEx(dc, box.left + 4 + k, box.top + 3, nullptr);
            LineTo(dc, box.left + 11 + k, box.top + 10);
            MoveToEx(dc, box.left + 10 + k, box.top + 3, nullptr);
            LineTo(dc, box.left + 3 + k, box.top + 10);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
}

// Frame and caption, drawn in window coordinates.
void paintNonClient(HWND hwnd, HDC dc, RECT r) {
    DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
    DWORD ex = static_cast<DWORD>(GetWindowLong(hwnd, GWL_EXSTYLE));
    if (style & WS_THICKFRAME || (style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME)) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST);
        int ring = (style & WS_THICKFRAME) ? GetSystemMetrics(SM_CXFRAME) - 2 : GetSystemMetrics(SM_CXDLGFRAME) - 2;
        for (int k = 0; k < ring; ++k) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
            InflateRect(&r, -1, -1);
        }
    } else if (style & WS_BORDER) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
        RECT bar{r.left, r.top, r.right, r.top + GetSystemMetrics(SM_CYCAPTION)};
        paintCaption(hwnd, dc, bar);
        r.top = bar.bottom;
    }
    if (ex & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (ex & WS_EX_STATICEDGE) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
}

// Paints a window whose window rectangle starts at (x, y) of the surface, inside a clip box.
void paintTree(HWND hwnd, cairo_surface_t* surface, int x, int y, RECT clip) {
    Window* w = winstate::find(hwnd);
    if (!w || !(w->style & WS_VISIBLE)) return;
    RECT whole{x, y, x + w->rect.right - w->rect.left, y + w->rect.bottom - w->rect.top};
    if (!IntersectRect(&clip, &clip, &whole)) return;
    HDC frame = cadhostCreateSurfaceDC(surface, hwnd, x, y);
    IntersectClipRect(frame, clip.left - x, clip.top - y, clip.right - x, clip.bottom - y);
    paintNonClient(hwnd, frame, RECT{0, 0, whole.right - whole.left, whole.bottom - whole.top});
    DeleteDC(frame);

    RECT client = winstate::clientInParent(w);
    int cx = x + client.left - w->rect.left, cy = y + client.top - w->rect.top;
    RECT clientBox{cx, cy, cx + client.right - client.left, cy + client.bottom - client.top};
    if (!IntersectRect(&clientBox, &clientBox, &clip)) return;
    HDC dc = cadhostCreateSurfaceDC(surface, hwnd, cx, cy);
    IntersectClipRect(dc, clientBox.left - cx, clientBox.top - cy, clientBox.right - cx, clientBox.bottom - cy);
    w->paintTarget = dc;
    InvalidateRect(hwnd, nullptr, TRUE);
    w->paintPending = false;
    SendMessage(hwnd, WM_PAINT, 0, 0);
    if ((w = winstate::find(hwnd))) w->paintTarget = nullptr;
    DeleteDC(dc);
    if (!w) return;
    std::vector<HWND> children = w->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Window* c = winstate::find(*it);
        if (c) paintTree(*it, surface, cx + c->rect.left, cy + c->rect.top, clientBox);
    }
}

}  // namespace

cairo_surface_t* cadhostRenderWindow(HWND hwnd) {
    Window* w = winstate::find(hwnd);
    if (!w) return nullptr;
    int width = std::max(1, static_cast<int>(w->rect.right - w->rect.left));
    int height = std::max(1, static_cast<int>(w->rect.bottom - w->rect.top));
    // Pictures are of windows on a screen: a window grown beyond any screen is refused rather
    // than allocated.
    constexpr int kMaxSide = 8192;
    if (width > kMaxSide || height > kMaxSide) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    // A hidden window is drawn as if shown, so that a dialog can be pictured before it opens.
    DWORD visible = w->style & WS_VISIBLE;
    w->style |= WS_VISIBLE;
    paintTree(hwnd, surface, 0, 0, RECT{0, 0, width, height});
    if ((w = winstate::find(hwnd)) && !visible) w->style &= ~WS_VISIBLE;
    // Popups without a caption that the window owns (an open drop-down list or tree, a tip) lie
    // over it, the topmost last.
    const std::vector<HWND> tops = winstate::topLevel();
    for (auto it = tops.rbegin(); it != tops.rend() && (w = winstate::find(hwnd)); ++it) {
        Window* p = winstate::find(*it);
        if (!p || p->owner != hwnd || !(p->style & WS_POPUP) || !(p->style & WS_VISIBLE) ||
            (!(p->exStyle & WS_EX_TOOLWINDOW) && (p->style & WS_CAPTION) == WS_CAPTION))
            continue;
        paintTree(*it, surface, p->rect.left - w->rect.left, p->rect.top - w->rect.top, RECT{0, 0, width, height});
    }
    cairo_surface_flush(surface);
    return surface;
}

BOOL cadhostSaveWindowPng(HWND hwnd, const char* path) {
    if (!path || !*path) return FALSE;
    cairo_surface_t* surface = cadhostRenderWindow(hwnd);
    if (!surface) return FALSE;
    std::string temporary = std::string(path) + ".partial";
    bool ok = cairo_surface_write_to_png(surface, temporary.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (ok) ok = std::rename(temporary.c_str(), path) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok ? TRUE : FALSE;
}
