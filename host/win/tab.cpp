// The tab control: one row of tabs, each as wide as its text plus padding, over a raised frame
// around the display area. A click or an arrow key asks the parent (TCN_SELCHANGING, which a
// nonzero answer vetoes) before the selection changes, then tells it (TCN_SELCHANGE).
#include <algorithm>
#include <map>
#include <string>
#include <vector>
#include "win/commctrl.h"
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/systemclasses.h"

namespace {

constexpr int kPadX = 6;       // text from a tab's sides
constexpr int kPadY = 3;       // text from a tab's top and bottom
constexpr int kRowTop = 2;     // room above the row for the raised selected tab
constexpr int kRowLeft = 2;    // first tab from the control's left
constexpr int kDisplayInset = 4;  // display area inside the frame (edge and margin)

struct Tab {
    std::string text;
    int image = -1;
    LPARAM param = 0;
};

struct TabState {
    std::vector<Tab> tabs;
    int selected = -1;
    bool focus = false;
};

std::map<HWND, TabState>& states() {
    static std::map<HWND, TabState> s;
    return s;
}

// A control destroyed by its parent during a notification answers an empty state.
TabState& state(HWND w) {
    auto it = states().find(w);
    if (it != states().end()) return it->second;
    static TabState gone;
    gone = TabState{};
    return gone;
}

// Tab rectangles in client coordinates, measured with the control's font.
std::vector<RECT> layout(HWND w) {
    const TabState& s = state(w);
    std::vector<RECT> rects;
    HDC dc = GetDC(w);
    HGDIOBJ old = controls::selectFont(w, dc);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    const int height = tm.tmHeight + 2 * kPadY;
    int x = kRowLeft;
    for (const Tab& t : s.tabs) {
        SIZE size{0, 0};
        GetTextExtentPoint32(dc, t.text.c_str(), static_cast<int>(t.text.size()), &size);
        const int width = size.cx + 2 * kPadX;
        rects.push_back(RECT{x, kRowTop, x + width, kRowTop + height});
        x += width;
    }
    if (old) SelectObject(dc, old);
    ReleaseDC(w, dc);
    return rects;
}

// The bottom of the tab row: where the frame of the display area starts.
int rowBottom(HWND w) {
    HDC dc = GetDC(w);
    HGDIOBJ old = controls::selectFont(w, dc);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    if (old) SelectObject(dc, old);
    ReleaseDC(w, dc);
    return kRowTop + tm.tmHeight + 2 * kPadY;
}

int hitTest(HWND w, POINT p, UINT* flags) {
    std::vector<RECT> rects = layout(w);
    for (size_t i = 0; i < rects.size(); ++i) {
        if (PtInRect(&rects[i], p)) {
            if (flags) *flags = TCHT_ONITEMLABEL;
            return static_cast<int>(i);
        }
    }
    if (flags) *flags = TCHT_NOWHERE;
    return -1;
}

// Moves the selection as the user asked: the parent may refuse.
void userSelect(HWND w, int to) {
    TabState& s = state(w);
    if (to < 0 || to >= static_cast<int>(s.tabs.size()) || to == s.selected) return;
    NMHDR h{};
    if (controls::notify(w, &h, TCN_SELCHANGING)) return;
    if (!IsWindow(w)) return;
    state(w).selected = to;
    InvalidateRect(w, nullptr, TRUE);
    NMHDR changed{};
    controls::notify(w, &changed, TCN_SELCHANGE);
}

void drawTab(HDC dc, RECT r, bool selected, const Tab& t, bool focus) {
    if (selected) {
        InflateRect(&r, 2, 0);
        r.top -= 2;
        r.bottom += 1;
    }
    HBRUSH face = GetSysColorBrush(COLOR_3DFACE);
    FillRect(dc, &r, face);
    const COLORREF hilight = GetSysColor(COLOR_3DHILIGHT), shadow = GetSysColor(COLOR_3DSHADOW),
                   dark = GetSysColor(COLOR_3DDKSHADOW);
    // Left and top in the highlight with cut corners, right in shadow and dark shadow.
    for (int y = r.top + 2; y < r.bottom; ++y) SetPixel(dc, r.left, y, hilight);
    SetPixel(dc, r.left + 1, r.top + 1, hilight);
    for (int x = r.left + 2; x < r.right - 2; ++x) SetPixel(dc, x, r.top, hilight);
    SetPixel(dc, r.right - 2, r.top + 1, dark);
    for (int y = r.top + 2; y < r.bottom; ++y) {
        SetPixel(dc, r.right - 1, y, dark);
        SetPixel(dc, r.right - 2, y, shadow);
    }
    RECT text = r;
    if (!selected) text.top += 1;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawText(dc, t.text.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (selected && focus) {
        RECT f = text;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HGDIOBJ oldFont = controls::selectFont(w, dc);
    RECT client;
    GetClientRect(w, &client);
    FillRect(dc, &client, controls::parentBrush(w, dc, WM_CTLCOLORSTATIC));
    RECT frame{client.left, rowBottom(w), client.right, client.bottom};
    FillRect(dc, &frame, GetSysColorBrush(COLOR_3DFACE));
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_SOFT);
    const TabState& s = state(w);
    std::vector<RECT> rects = layout(w);
    for (size_t i = 0; i < rects.size(); ++i)
        if (static_cast<int>(i) != s.selected) drawTab(dc, rects[i], false, s.tabs[i], false);
    // The selected tab is drawn last: it stands out over its neighbours and opens the frame.
    if (s.selected >= 0 && s.selected < static_cast<int>(rects.size()))
        drawTab(dc, rects[static_cast<size_t>(s.selected)], true, s.tabs[static_cast<size_t>(s.selected)], s.focus);
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(w, &ps);
}

void copyOut(const Tab& t, TCITEM* item) {
    if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        size_t n = std::min(t.text.size(), static_cast<size_t>(item->cchTextMax - 1));
        t.text.copy(item->pszText, n);
        item->pszText[n] = '\0';
    }
    if (item->mask & TCIF_IMAGE) item->iImage = t.image;
    if (item->mask & TCIF_PARAM) item->lParam = t.param;
}

void copyIn(const TCITEM* item, Tab& t) {
    if ((item->mask & TCIF_TEXT) && item->pszText) t.text = item->pszText;
    if (item->mask & TCIF_IMAGE) t.image = item->iImage;
    if (item->mask & TCIF_PARAM) t.param = item->lParam;
}

bool validIndex(HWND w, WPARAM index) { return index < state(w).tabs.size(); }

void keyDown(HWND w, WPARAM vk) {
    NMTCKEYDOWN k{};
    k.wVKey = static_cast<WORD>(vk);
    controls::notify(w, &k.hdr, TCN_KEYDOWN);
    if (!IsWindow(w)) return;
    const TabState& s = state(w);
    const int count = static_cast<int>(s.tabs.size());
    if (count == 0) return;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (vk == VK_LEFT) userSelect(w, s.selected - 1);
    else if (vk == VK_RIGHT) userSelect(w, s.selected + 1);
    else if (vk == VK_TAB && ctrl) userSelect(w, ((s.selected < 0 ? 0 : s.selected) + (shift ? count - 1 : 1)) % count);
}

LRESULT CALLBACK TabProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        states()[w] = TabState{};
        break;
    case WM_NCDESTROY:
        states().erase(w);
        break;
    case WM_GETDLGCODE: {
        // Ctrl+Tab turns the pages rather than moving the focus.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(w);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        state(w).focus = message == WM_SETFOCUS;
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int hit = hitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, nullptr);
        DWORD style = static_cast<DWORD>(GetWindowLong(w, GWL_STYLE));
        if (hit >= 0 && (style & TCS_FOCUSONBUTTONDOWN) && !(style & TCS_FOCUSNEVER)) SetFocus(w);
        if (hit >= 0 && IsWindow(w)) userSelect(w, hit);
        return 0;
    }
    case WM_KEYDOWN:
        keyDown(w, wParam);
        return 0;
    case WM_CHAR:
        return 0;
    case TCM_GETITEMCOUNT:
        return static_cast<LRESULT>(state(w).tabs.size());
    case TCM_INSERTITEM: {
        const auto* item = reinterpret_cast<const TCITEM*>(lParam);
        TabState& s = state(w);
        if (!item || static_cast<int>(wParam) < 0) return -1;
        size_t at = std::min(static_cast<size_t>(wParam), s.tabs.size());
        Tab t;
        copyIn(item, t);
        s.tabs.insert(s.tabs.begin() + static_cast<std::ptrdiff_t>(at), t);
        if (s.selected < 0) s.selected = 0;
        else if (static_cast<int>(at) <= s.selected) ++s.selected;
        InvalidateRect(w, nullptr, TRUE);
        return static_cast<LRESULT>(at);
    }
    case TCM_GETITEM:
    case TCM_SETITEM: {
        auto* item = reinterpret_cast<TCITEM*>(lParam);
        if (!item || !validIndex(w, wParam)) return FALSE;
        Tab& t = state(w).tabs[wParam];
        if (message == TCM_GETITEM) copyOut(t, item);
        else {
            copyIn(item, t);
            InvalidateRect(w, nullptr, TRUE);
        }
        return TRUE;
    }
    case TCM_DELETEITEM: {
        if (!validIndex(w, wParam)) return FALSE;
        TabState& s = state(w);
        const int at = static_cast<int>(wParam);
        s.tabs.erase(s.tabs.begin() + at);
        if (at == s.selected) s.selected = -1;
        else if (at < s.selected) --s.selected;
        InvalidateRect(w, nullptr, TRUE);
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        state(w).tabs.clear();
        state(w).selected = -1;
        InvalidateRect(w, nullptr, TRUE);
        return TRUE;
    case TCM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || !validIndex(w, wParam)) return FALSE;
        *r = layout(w)[wParam];
        return TRUE;
    }
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS:
        return state(w).selected;
    case TCM_SETCURSEL: {
        TabState& s = state(w);
        const int previous = s.selected;
        if (!validIndex(w, wParam)) return -1;
        s.selected = static_cast<int>(wParam);
        if (previous != s.selected) InvalidateRect(w, nullptr, TRUE);
        return previous;
    }
    case TCM_GETROWCOUNT:
        return 1;
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (!info) return -1;
        return hitTest(w, info->pt, &info->flags);
    }
    case TCM_ADJUSTRECT: {
        // Window rectangle to display area (FALSE) and back (TRUE).
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return 0;
        const int top = rowBottom(w);
        if (wParam) {
            InflateRect(r, kDisplayInset, kDisplayInset);
            r->top -= top;
        } else {
            InflateRect(r, -kDisplayInset, -kDisplayInset);
            r->top += top;
        }
        return 0;
    }
    default:
        break;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

}  // namespace

const SystemClass& tabControlSystemClass() {
    static const SystemClass c{WC_TABCONTROL, 0, CS_DBLCLKS, TabProc, 0, nullptr};
    return c;
}
