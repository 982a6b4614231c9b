// The list box, single selection: items with text and data, sorted or in insertion order, rows of
// one height or (owner-drawn variable) each its own, owner drawing, a vertical scroll bar drawn in
// the client area, mouse and keyboard selection and the LBN_ notifications. The same procedure
// serves the drop-down list of combo boxes ("ComboLBox"), which reports to its combo instead.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "win/combolist.h"
#include "win/commctrl.h"
#include "win/controlsupport.h"
#include "win/scrollbar.h"
#include "win/dialogs.h"
#include "win/systemclasses.h"

namespace {

constexpr int kTextMargin = 2;

struct Item {
    std::string text;
    UINT_PTR data = 0;
    int height = 0;  // owner-drawn variable rows
};

struct ListState {
    std::vector<Item> items;
    int sel = -1;
    int caret = -1;
    int top = 0;
    int itemHeight = 0;  // rows of one height
    bool focus = false;
    bool pressed = false;
    HWND combo = nullptr;  // the combo box of a drop-down list
};

std::map<HWND, ListState>& states() { return controls::windowStates<ListState>(); }
ListState& state(HWND w) { return controls::windowState<ListState>(w); }

DWORD style(HWND w) { return static_cast<DWORD>(GetWindowLong(w, GWL_STYLE)); }
bool ownerDrawn(HWND w) { return (style(w) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
bool variable(HWND w) { return (style(w) & LBS_OWNERDRAWVARIABLE) != 0; }
bool hasStrings(HWND w) { return !ownerDrawn(w) || (style(w) & LBS_HASSTRINGS); }
int count(HWND w) { return static_cast<int>(state(w).items.size()); }
bool valid(HWND w, int i) { return i >= 0 && i < count(w); }

// Who hears of the list: the combo's parent for a drop-down list, else the parent.
HWND ownerOf(HWND w) { return GetParent(state(w).combo ? state(w).combo : w); }
HWND itemWindow(HWND w) { return state(w).combo ? state(w).combo : w; }
UINT controlType(HWND w) { return state(w).combo ? ODT_COMBOBOX : ODT_LISTBOX; }
UINT controlId(HWND w) { return static_cast<UINT>(GetDlgCtrlID(itemWindow(w))); }

void notify(HWND w, WORD code) {
    ListState& st = state(w);
    if (st.combo) {
        SendMessage(st.combo, WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(w));
    } else if (style(w) & LBS_NOTIFY) {
        cadhostNotifyParent(w, code);
    }
}

int fontHeight(HWND w) {
    HDC dc = GetDC(w);
    controls::selectFont(w, dc);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    ReleaseDC(w, dc);
    return std::max<int>(1, tm.tmHeight);
}

// Asks the owner for an item's height (itemID 0 for rows of one height).
int measure(HWND w, UINT itemID, UINT_PTR data, int fallback) {
    MEASUREITEMSTRUCT mis{controlType(w), controlId(w), itemID, 0, static_cast<UINT>(fallback), data};
    RECT client;
    GetClientRect(w, &client);
    mis.itemWidth = static_cast<UINT>(client.right);
    SendMessage(ownerOf(w), WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    return std::clamp(static_cast<int>(mis.itemHeight), 1, 255);
}

int heightOf(HWND w, int i) {
    ListState& st = state(w);
    if (variable(w) && valid(w, i)) return std::max(1, st.items[static_cast<size_t>(i)].height);
    return std::max(1, st.itemHeight);
}

int totalHeight(HWND w) {
    int sum = 0;
    for (int i = 0; i < count(w); ++i) sum += heightOf(w, i);
    return sum;
}

bool canScroll(HWND w) { return state(w).combo || (style(w) & WS_VSCROLL); }

struct Layout {
    RECT client{};
    int right = 0;  // rows end here, the scroll bar follows
    bool bar = false;
};

Layout layout(HWND w) {
    Layout l;
    GetClientRect(w, &l.client);
    l.bar = canScroll(w) && totalHeight(w) > l.client.bottom;
    l.right = l.bar ? std::max<int>(0, l.client.right - GetSystemMetrics(SM_CXVSCROLL)) : l.client.right;
    return l;
}

// The largest top index that still fills the client area.
int maxTop(HWND w) {
    RECT client;
    GetClientRect(w, &client);
    int used = 0, top = count(w);
    while (top > 0 && used + heightOf(w, top - 1) <= client.bottom) used += heightOf(w, --top);
    return std::min(top, std::max(0, count(w) - 1));
}

// Rows that fit from the top index, at least one.
int perPage(HWND w) {
    RECT client;
    GetClientRect(w, &client);
    int used = 0, n = 0;
    for (int i = state(w).top; i < count(w) && used + heightOf(w, i) <= client.bottom; ++i, ++n) used += heightOf(w, i);
    return std::max(1, n);
}

void setTop(HWND w, int top) {
    ListState& st = state(w);
    int clamped = std::clamp(top, 0, maxTop(w));
    if (clamped != st.top) {
        st.top = clamped;
        InvalidateRect(w, nullptr, TRUE);
    }
}

RECT itemRect(HWND w, int i) {
    ListState& st = state(w);
    int y = 0;
    if (i >= st.top)
        for (int k = st.top; k < i; ++k) y += heightOf(w, k);
    else
        for (int k = i; k < st.top; ++k) y -= heightOf(w, k);
    return RECT{0, y, layout(w).right, y + heightOf(w, i)};
}

void ensureVisible(HWND w, int i) {
    if (!valid(w, i)) return;
    RECT client;
    GetClientRect(w, &client);
    if (i < state(w).top) {
        setTop(w, i);
        return;
    }
    while (state(w).top < i && itemRect(w, i).bottom > client.bottom) setTop(w, state(w).top + 1);
}

// The item under a client point, and whether the point lies outside the items.
int itemFromPoint(HWND w, POINT p, bool* outside) {
    RECT client;
    GetClientRect(w, &client);
    bool out = !PtInRect(&client, p);
    int n = count(w);
    int found = -1;
    if (n > 0) {
        int y = 0, i = state(w).top;
        if (p.y < 0) {
            found = i;
        } else {
            for (; i < n; ++i) {
                y += heightOf(w, i);
                if (p.y < y) break;
            }
            if (i >= n) {
                found = n - 1;
                out = true;
            } else {
                found = i;
            }
        }
    }
    if (outside) *outside = out || found < 0;
    return found;
}

UINT itemState(HWND w, int i) {
    ListState& st = state(w);
    UINT s = 0;
    if (i == st.sel) s |= ODS_SELECTED;
    if (i == st.caret && (st.focus || st.combo)) s |= ODS_FOCUS;
    if (!IsWindowEnabled(itemWindow(w))) s |= ODS_DISABLED;
    return s;
}

void drawOwnerItem(HWND w, HDC dc, int i, UINT action) {
    ListState& st = state(w);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = controlType(w);
    dis.CtlID = controlId(w);
    dis.itemID = static_cast<UINT>(i);
    dis.itemAction = action;
    dis.itemState = itemState(w, i);
    dis.hwndItem = itemWindow(w);
    dis.hDC = dc;
    dis.rcItem = itemRect(w, i);
    dis.itemData = st.items[static_cast<size_t>(i)].data;
    SaveDC(dc);
    SendMessage(ownerOf(w), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    RestoreDC(dc, -1);
}

void drawTextItem(HWND w, HDC dc, int i) {
    ListState& st = state(w);
    RECT r = itemRect(w, i);
    bool lit = i == st.sel && (st.focus || st.combo);
    if (lit) controls::fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(itemWindow(w)) ? GetSysColor(COLOR_GRAYTEXT)
                     : lit ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT));
    const std::string& s = st.items[static_cast<size_t>(i)].text;
    RECT t{r.left + kTextMargin, r.top, r.right - kTextMargin, r.bottom};
    DrawText(dc, s.c_str(), static_cast<int>(s.size()), &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (i == st.caret && st.focus && !st.combo) DrawFocusRect(dc, &r);
}

// Owner-drawn lists hear of selection and focus changes at once, as ODA_SELECT and ODA_FOCUS.
void redrawItems(HWND w, std::initializer_list<int> items, UINT action) {
    InvalidateRect(w, nullptr, TRUE);
    if (!ownerDrawn(w) || !IsWindowVisible(w)) return;
    HDC dc = GetDC(w);
    HGDIOBJ old = controls::selectFont(w, dc);
    for (int i : items)
        if (valid(w, i) && IsWindow(w)) drawOwnerItem(w, dc, i, action);
    if (old) SelectObject(dc, old);
    ReleaseDC(w, dc);
}

// Selects an item (-1: none); true when the selection changed.
bool select(HWND w, int i) {
    ListState& st = state(w);
    if (!valid(w, i)) i = -1;
    if (i == st.sel) return false;
    int old = st.sel, oldCaret = st.caret;
    st.sel = i;
    if (i >= 0) st.caret = i;
    redrawItems(w, {old, i}, ODA_SELECT);
    if (IsWindow(w) && oldCaret != state(w).caret) redrawItems(w, {oldCaret, state(w).caret}, ODA_FOCUS);
    return true;
}

// A selection made by the user: shown and reported.
void userSelect(HWND w, int i) {
    if (!valid(w, i)) return;
    bool changed = select(w, i);
    ensureVisible(w, i);
    if (changed) notify(w, LBN_SELCHANGE);
}

bool sameText(const std::string& a, const char* b, bool prefix) {
    size_t n = std::strlen(b);
    if (prefix ? a.size() < n : a.size() != n) return false;
    for (size_t k = 0; k < n; ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k]))) return false;
    return true;
}

// LB_FINDSTRING / LB_FINDSTRINGEXACT: the first match after `start`, wrapping around.
int find(HWND w, int start, LPARAM what, bool prefix) {
    int n = count(w);
    if (n == 0) return static_cast<int>(LB_ERR);
    if (start < -1 || start >= n) start = -1;
    for (int k = 1; k <= n; ++k) {
        int i = (start + k) % n;
        const Item& item = state(w).items[static_cast<size_t>(i)];
        if (!hasStrings(w)) {
            if (item.data == static_cast<UINT_PTR>(what)) return i;
        } else if (what && sameText(item.text, reinterpret_cast<const char*>(what), prefix)) {
            return i;
        }
    }
    return static_cast<int>(LB_ERR);
}

int compareItems(HWND w, const Item& a, int aIndex, const Item& b, int bIndex) {
    if (hasStrings(w)) {
        size_t n = std::min(a.text.size(), b.text.size());
        for (size_t k = 0; k < n; ++k) {
            int x = std::tolower(static_cast<unsigned char>(a.text[k])), y = std::tolower(static_cast<unsigned char>(b.text[k]));
            if (x != y) return x < y ? -1 : 1;
        }
        return a.text.size() == b.text.size() ? 0 : a.text.size() < b.text.size() ? -1 : 1;
    }
    COMPAREITEMSTRUCT cis{controlType(w), controlId(w), itemWindow(w), static_cast<UINT>(aIndex), a.data,
                          static_cast<UINT>(bIndex), b.data, 0};
    return static_cast<int>(SendMessage(ownerOf(w), WM_COMPAREITEM, cis.CtlID, reinterpret_cast<LPARAM>(&cis)));
}

int insert(HWND w, int at, LPARAM lParam, bool sorted) {
    Item item;
    if (hasStrings(w)) item.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    else item.data = static_cast<UINT_PTR>(lParam);
    int n = count(w);
    if (sorted) {
        // After the items that do not sort behind the new one.
        at = n;
        for (int i = 0; i < n; ++i) {
            if (compareItems(w, item, -1, state(w).items[static_cast<size_t>(i)], i) < 0) {
                at = i;
                break;
            }
        }
    } else if (at == -1) {
        at = n;
    } else if (at < 0 || at > n) {
        return static_cast<int>(LB_ERR);
    }
    if (!IsWindow(w)) return static_cast<int>(LB_ERR);
    if (variable(w)) item.height = measure(w, static_cast<UINT>(at), static_cast<UINT_PTR>(lParam), fontHeight(w));
    ListState& st = state(w);
    at = std::min(at, static_cast<int>(st.items.size()));
    st.items.insert(st.items.begin() + at, item);
    if (st.sel >= at) ++st.sel;
    if (st.caret >= at) ++st.caret;
    InvalidateRect(w, nullptr, TRUE);
    return at;
}

LRESULT erase(HWND w, int i) {
    if (!valid(w, i)) return LB_ERR;
    ListState& st = state(w);
    st.items.erase(st.items.begin() + i);
    if (st.sel == i) st.sel = -1;
    else if (st.sel > i) --st.sel;
    if (st.caret >= static_cast<int>(st.items.size())) st.caret = static_cast<int>(st.items.size()) - 1;
    st.top = std::clamp(st.top, 0, maxTop(w));
    InvalidateRect(w, nullptr, TRUE);
    return static_cast<LRESULT>(st.items.size());
}

LRESULT copyText(HWND w, int i, char* buffer) {
    if (!valid(w, i)) return LB_ERR;
    const Item& item = state(w).items[static_cast<size_t>(i)];
    if (!hasStrings(w)) {
        if (buffer) std::memcpy(buffer, &item.data, sizeof item.data);
        return static_cast<LRESULT>(sizeof item.data);
    }
    if (buffer) std::memcpy(buffer, item.text.c_str(), item.text.size() + 1);
    return static_cast<LRESULT>(item.text.size());
}

void keyDown(HWND w, WPARAM key) {
    int n = count(w);
    if (n == 0) return;
    ListState& st = state(w);
    int from = st.caret >= 0 ? st.caret : st.sel;
    int page = perPage(w);
    int to = from;
    switch (key) {
    case VK_UP: to = from < 0 ? 0 : from - 1; break;
    case VK_DOWN: to = from < 0 ? 0 : from + 1; break;
    case VK_PRIOR: to = std::max(0, from) - (page - 1); break;
    case VK_NEXT: to = std::max(0, from) + (page - 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    default: return;
    }
    userSelect(w, std::clamp(to, 0, n - 1));
}

// A typed character selects the next item that starts with it.
void typeAhead(HWND w, WPARAM ch) {
    if (!hasStrings(w) || ch < 0x20 || ch > 0xFF) return;
    char text[2] = {static_cast<char>(ch), '\0'};
    int at = find(w, state(w).caret, reinterpret_cast<LPARAM>(text), true);
    if (at >= 0) userSelect(w, at);
}

void scrollRequest(HWND w, WORD request, int position) {
    ListState& st = state(w);
    int page = perPage(w);
    switch (request) {
    case SB_LINEUP: setTop(w, st.top - 1); break;
    case SB_LINEDOWN: setTop(w, st.top + 1); break;
    case SB_PAGEUP: setTop(w, st.top - page); break;
    case SB_PAGEDOWN: setTop(w, st.top + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: setTop(w, position); break;
    case SB_TOP: setTop(w, 0); break;
    case SB_BOTTOM: setTop(w, INT_MAX); break;
    default: break;
    }
}

controls::ScrollBar scrollBar(HWND w, const Layout& l) {
    return controls::scrollBar(RECT{l.right, 0, l.client.right, l.client.bottom}, true, count(w), perPage(w),
                               state(w).top);
}

// True when the point was on the scroll bar.
bool clickScrollBar(HWND w, POINT p) {
    Layout l = layout(w);
    if (!l.bar || p.x < l.right || !PtInRect(&l.client, p)) return false;
    WORD request = 0;
    if (!controls::scrollBarRequest(scrollBar(w, l), p, request)) return false;
    SendMessage(w, WM_VSCROLL, MAKEWPARAM(request, 0), 0);
    return true;
}

void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    Layout l = layout(w);
    HBRUSH back = controls::parentBrush(itemWindow(w), dc, WM_CTLCOLORLISTBOX);
    FillRect(dc, &l.client, back);
    HGDIOBJ oldFont = controls::selectFont(w, dc);
    SaveDC(dc);
    IntersectClipRect(dc, 0, 0, l.right, l.client.bottom);
    for (int i = state(w).top; i < count(w) && IsWindow(w); ++i) {
        RECT r = itemRect(w, i);
        if (r.top >= l.client.bottom) break;
        if (ownerDrawn(w)) drawOwnerItem(w, dc, i, ODA_DRAWENTIRE);
        else drawTextItem(w, dc, i);
    }
    RestoreDC(dc, -1);
    if (l.bar) controls::paintScrollBar(dc, scrollBar(w, l));
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(w, &ps);
}

POINT pointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

void buttonDown(HWND w, POINT p, bool doubleClick) {
    ListState& st = state(w);
    if (st.combo) {
        RECT client;
        GetClientRect(w, &client);
        if (!PtInRect(&client, p)) {
            notify(w, combolist::kClickedOutside);
            return;
        }
    } else if (GetFocus() != w) {
        SetFocus(w);
        if (!IsWindow(w)) return;
    }
    if (clickScrollBar(w, p)) return;
    bool outside = false;
    int i = itemFromPoint(w, p, &outside);
    if (outside) return;
    state(w).pressed = true;
    if (state(w).combo) {
        select(w, i);
        return;
    }
    if (GetCapture() != w) SetCapture(w);
    userSelect(w, i);
    if (doubleClick && IsWindow(w)) notify(w, LBN_DBLCLK);
}

void mouseMove(HWND w, POINT p) {
    ListState& st = state(w);
    bool outside = false;
    int i = itemFromPoint(w, p, &outside);
    if (st.combo) {
        // The open list follows the mouse.
        if (!outside && p.x < layout(w).right) {
            select(w, i);
            ensureVisible(w, i);
        }
        return;
    }
    if (st.pressed && GetCapture() == w && i >= 0) userSelect(w, i);
}

void buttonUp(HWND w, POINT p) {
    ListState& st = state(w);
    bool wasPressed = st.pressed;
    st.pressed = false;
    if (st.combo) {
        bool outside = false;
        int i = itemFromPoint(w, p, &outside);
        if (wasPressed && !outside && p.x < layout(w).right && i == st.sel) notify(w, combolist::kChosen);
        return;
    }
    if (GetCapture() == w) ReleaseCapture();
}

LRESULT CALLBACK ListBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        ListState st;
        char cls[32] = {};
        GetClassName(w, cls, sizeof cls);
        auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        if (cs && std::strcmp(cls, WC_COMBOLBOX) == 0) st.combo = static_cast<HWND>(cs->lpCreateParams);
        states()[w] = st;
        break;
    }
    case WM_CREATE: {
        ListState& st = state(w);
        st.itemHeight = fontHeight(w);
        if ((style(w) & LBS_OWNERDRAWFIXED) && !variable(w)) st.itemHeight = measure(w, 0, 0, st.itemHeight);
        return 0;
    }
    case WM_NCDESTROY:
        states().erase(w);
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(w);
        return 0;
    case WM_SETFONT: {
        LRESULT r = DefWindowProc(w, message, wParam, lParam);
        if (!ownerDrawn(w)) state(w).itemHeight = fontHeight(w);
        setTop(w, state(w).top);
        return r;
    }
    case WM_SIZE:
        setTop(w, state(w).top);
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case WM_ENABLE:
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        state(w).focus = message == WM_SETFOCUS;
        redrawItems(w, {state(w).caret}, ODA_FOCUS);
        if (IsWindow(w)) notify(w, message == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        buttonDown(w, pointOf(lParam), message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE:
        mouseMove(w, pointOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        buttonUp(w, pointOf(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        state(w).pressed = false;
        return 0;
    case WM_KEYDOWN:
        keyDown(w, wParam);
        return 0;
    case WM_CHAR:
        typeAhead(w, wParam);
        return 0;
    case WM_MOUSEWHEEL:
        setTop(w, state(w).top - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        return 0;
    case WM_VSCROLL:
        scrollRequest(w, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;

    case LB_ADDSTRING: return insert(w, -1, lParam, (style(w) & LBS_SORT) != 0);
    case LB_INSERTSTRING: return insert(w, static_cast<int>(static_cast<INT_PTR>(wParam)), lParam, false);
    case LB_DELETESTRING: return erase(w, static_cast<int>(wParam));
    case LB_RESETCONTENT: {
        ListState& st = state(w);
        st.items.clear();
        st.sel = st.caret = -1;
        st.top = 0;
        InvalidateRect(w, nullptr, TRUE);
        return LB_OKAY;
    }
    case LB_GETCOUNT: return count(w);
    case LB_GETCURSEL: return state(w).sel;
    case LB_SETCURSEL: {
        int i = static_cast<int>(static_cast<INT_PTR>(wParam));
        select(w, i);
        if (!valid(w, i)) return LB_ERR;
        ensureVisible(w, i);
        return i;
    }
    case LB_GETSEL: {
        int i = static_cast<int>(wParam);
        return valid(w, i) ? (state(w).sel == i ? 1 : 0) : LB_ERR;
    }
    case LB_GETCARETINDEX: return state(w).caret;
    case LB_SETCARETINDEX: {
        int i = static_cast<int>(wParam);
        if (!valid(w, i)) return LB_ERR;
        int old = state(w).caret;
        state(w).caret = i;
        redrawItems(w, {old, i}, ODA_FOCUS);
        ensureVisible(w, i);
        return LB_OKAY;
    }
    case LB_GETTEXT: return copyText(w, static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
    case LB_GETTEXTLEN: return copyText(w, static_cast<int>(wParam), nullptr);
    case LB_GETITEMDATA: {
        int i = static_cast<int>(wParam);
        return valid(w, i) ? static_cast<LRESULT>(state(w).items[static_cast<size_t>(i)].data) : LB_ERR;
    }
    case LB_SETITEMDATA: {
        int i = static_cast<int>(wParam);
        if (!valid(w, i)) return LB_ERR;
        state(w).items[static_cast<size_t>(i)].data = static_cast<UINT_PTR>(lParam);
        return TRUE;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        return find(w, static_cast<int>(static_cast<INT_PTR>(wParam)), lParam, message == LB_FINDSTRING);
    case LB_SELECTSTRING: {
        int i = find(w, static_cast<int>(static_cast<INT_PTR>(wParam)), lParam, true);
        if (i < 0) return LB_ERR;
        select(w, i);
        ensureVisible(w, i);
        return i;
    }
    case LB_GETTOPINDEX: return state(w).top;
    case LB_SETTOPINDEX: {
        int i = static_cast<int>(wParam);
        if (!valid(w, i)) return LB_ERR;
        setTop(w, i);
        return LB_OKAY;
    }
    case LB_GETITEMRECT: {
        int i = static_cast<int>(wParam);
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || (!valid(w, i) && !(i == 0 && count(w) == 0))) return LB_ERR;
        *r = itemRect(w, i);
        return TRUE;
    }
    case LB_GETITEMHEIGHT: {
        int i = static_cast<int>(wParam);
        if (variable(w) && !valid(w, i)) return LB_ERR;
        return heightOf(w, i);
    }
    case LB_SETITEMHEIGHT: {
        int i = static_cast<int>(wParam);
        int h = LOWORD(lParam);
        if (h <= 0 || h > 255 || (variable(w) && !valid(w, i))) return LB_ERR;
        if (variable(w)) state(w).items[static_cast<size_t>(i)].height = h;
        else state(w).itemHeight = h;
        setTop(w, state(w).top);
        InvalidateRect(w, nullptr, TRUE);
        return LB_OKAY;
    }
    case LB_ITEMFROMPOINT: {
        bool outside = false;
        int i = itemFromPoint(w, pointOf(lParam), &outside);
        return MAKELRESULT(i < 0 ? 0xFFFF : i, outside ? 1 : 0);
    }
    default:
        break;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

}  // namespace

const SystemClass& listBoxSystemClass() {
    static const SystemClass c{WC_LISTBOX, DLGATOM_LISTBOX, CS_DBLCLKS, ListBoxProc, 0, nullptr};
    return c;
}

const SystemClass& comboListSystemClass() {
    static const SystemClass c{WC_COMBOLBOX, 0, CS_DBLCLKS, ListBoxProc, 0, nullptr};
    return c;
}
