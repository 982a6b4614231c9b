// The list-view control. Report view: a header row of columns, rows of items with sub-items,
// vertical and horizontal scrolling. Icon and small-icon views: images of the normal or small
// image list arranged in rows across the client width (always auto-arranged), labels under or
// beside them, vertical scrolling by pixels. Both: selection and focus, hit tests, scroll bars
// drawn in the client area, and the notifications of clicks, keys and state changes.
#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "win/commctrl.h"
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/scrollbar.h"
#include "win/systemclasses.h"

namespace {

constexpr int kLabelMargin = 2;    // text of column 0 from the cell's left
constexpr int kSubItemMargin = 6;  // text of the other columns from their cell's edge
constexpr int kHeaderMargin = 6;
constexpr int kDefaultColumnWidth = 60;

struct Column {
    std::string text;
    int fmt = LVCFMT_LEFT;
    int width = kDefaultColumnWidth;
    int subItem = 0;
};

struct Item {
    std::vector<std::string> texts;  // by sub-item
    UINT state = 0;
    LPARAM data = 0;
    int image = 0;
};

struct ListState {
    std::vector<Column> columns;
    std::vector<Item> items;
    DWORD exStyle = 0;
    int top = 0;         // index of the first row shown
    int scrollX = 0;     // pixels scrolled out at the left
    int mark = -1;       // selection mark
    bool focus = false;
    COLORREF back = CLR_DEFAULT, textBack = CLR_DEFAULT, text = CLR_DEFAULT;
    HIMAGELIST normal = nullptr, small = nullptr, stateImages = nullptr;
    SIZE spacing{0, 0};  // icon spacing; 0: the system's
    int scrollY = 0;     // icon views: pixels scrolled out at the top
};

std::map<HWND, ListState>& states() { return controls::windowStates<ListState>(); }
ListState& state(HWND w) { return controls::windowState<ListState>(w); }
DWORD style(HWND w) { return static_cast<DWORD>(GetWindowLong(w, GWL_STYLE)); }
bool validItem(const ListState& st, int i) { return i >= 0 && i < static_cast<int>(st.items.size()); }

int fontHeight(HWND w) {
    HDC dc = GetDC(w);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    ReleaseDC(w, dc);
    return tm.tmHeight;
}

int textWidth(HWND w, const std::string& s) {
    HDC dc = GetDC(w);
    SIZE size{0, 0};
    GetTextExtentPoint32(dc, s.c_str(), static_cast<int>(s.size()), &size);
    ReleaseDC(w, dc);
    return size.cx;
}

// Rows are the font's height and one pixel; grid lines take one more.
int rowHeight(HWND w) { return fontHeight(w) + 1 + ((state(w).exStyle & LVS_EX_GRIDLINES) ? 1 : 0); }
bool iconView(HWND w) {
    const DWORD type = style(w) & LVS_TYPEMASK;
    return type == LVS_ICON || type == LVS_SMALLICON;
}
bool smallIconView(HWND w) { return (style(w) & LVS_TYPEMASK) == LVS_SMALLICON; }
int headerHeight(HWND w) {
    return (iconView(w) || (style(w) & LVS_NOCOLUMNHEADER)) ? 0 : fontHeight(w) + kHeaderMargin + 1;
}

int totalWidth(const ListState& st) {
    int sum = 0;
    for (const Column& c : st.columns) sum += c.width;
    return sum;
}

// The client area less the scroll bars that the content needs.
struct Layout {
    RECT view;       // rows and header
    bool vbar = false, hbar = false;
    int header = 0, row = 1, perPage = 0;
};

Layout layout(HWND w) {
    ListState& st = state(w);
    Layout l;
    GetClientRect(w, &l.view);
    l.header = headerHeight(w);
    l.row = std::max(1, rowHeight(w));
    const int bar = GetSystemMetrics(SM_CXVSCROLL), hbarHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int count = static_cast<int>(st.items.size());
    bool noScroll = (style(w) & LVS_NOSCROLL) != 0;
    for (int pass = 0; pass < 2 && !noScroll; ++pass) {
        int height = l.view.bottom - (l.hbar ? hbarHeight : 0) - l.header;
        int width = l.view.right - (l.vbar ? bar : 0);
        l.vbar = count * l.row > height;
        l.hbar = totalWidth(st) > width;
    }
    if (l.vbar) l.view.right = std::max<LONG>(0, l.view.right - bar);
    if (l.hbar) l.view.bottom = std::max<LONG>(0, l.view.bottom - hbarHeight);
    l.perPage = std::max(0, static_cast<int>(l.view.bottom - l.header) / l.row);
    return l;
}

int maxTop(HWND w) {
    Layout l = layout(w);
    return std::max(0, static_cast<int>(state(w).items.size()) - std::max(1, l.perPage));
}

int maxScrollX(HWND w) { return std::max(0, totalWidth(state(w)) - static_cast<int>(layout(w).view.right)); }

// Moves the top row or the horizontal offset within its range, repainting when it moved.
void scrollTo(HWND w, int ListState::*offset, int to, int most) {
    ListState& st = state(w);
    int clamped = std::clamp(to, 0, most);
    if (clamped != st.*offset) {
        st.*offset = clamped;
        InvalidateRect(w, nullptr, TRUE);
    }
}

void setTop(HWND w, int top) { scrollTo(w, &ListState::top, top, maxTop(w)); }
void setScrollX(HWND w, int x) { scrollTo(w, &ListState::scrollX, x, maxScrollX(w)); }

int columnLeft(const ListState& st, int column) {
    int x = -st.scrollX;
    for (int c = 0; c < column; ++c) x += st.columns[static_cast<size_t>(c)].width;
    return x;
}

RECT rowRect(HWND w, int item) {
    ListState& st = state(w);
    Layout l = layout(w);
    int top = l.header + (item - st.top) * l.row;
    return RECT{-st.scrollX, top, totalWidth(st) - st.scrollX, top + l.row};
}

RECT cellRect(HWND w, int item, int column) {
    ListState& st = state(w);
    RECT r = rowRect(w, item);
    if (column < 0 || column >= static_cast<int>(st.columns.size())) return RECT{r.left, r.top, r.left, r.bottom};
    r.left = columnLeft(st, column);
    r.right = r.left + st.columns[static_cast<size_t>(column)].width;
    return r;
}

// ---- Icon views ----

std::string subItemText(const Item& item, int sub) {
    return sub >= 0 && static_cast<size_t>(sub) < item.texts.size() ? item.texts[static_cast<size_t>(sub)] : std::string();
}

constexpr int kIconMargin = 2;  // icon below its cell's top; label beside a small icon
constexpr int kLabelPad = 2;    // label text inside its rectangle
constexpr int kLabelLines = 2;  // lines of a large icon's label

SIZE imageSize(HIMAGELIST list, int fallback) {
    int cx = fallback, cy = fallback;
    ImageList_GetIconSize(list, &cx, &cy);
    return SIZE{cx, cy};
}

SIZE iconImageSize(HWND w) {
    ListState& st = state(w);
    return smallIconView(w) ? imageSize(st.small, GetSystemMetrics(SM_CXSMICON)) : imageSize(st.normal, GetSystemMetrics(SM_CXICON));
}

int longestLabel(HWND w) {
    int widest = 0;
    for (const Item& item : state(w).items) widest = std::max(widest, textWidth(w, subItemText(item, 0)));
    return widest;
}

// The cell each item takes: the icon spacing for large icons; icon and longest label for small ones.
SIZE cellSize(HWND w) {
    ListState& st = state(w);
    SIZE image = iconImageSize(w);
    if (smallIconView(w))
        return SIZE{image.cx + 2 * kIconMargin + longestLabel(w) + 2 * kLabelPad + kIconMargin,
                    std::max<LONG>(image.cy, fontHeight(w) + 2 * kLabelPad) + kIconMargin};
    return SIZE{st.spacing.cx > 0 ? st.spacing.cx : GetSystemMetrics(SM_CXICONSPACING),
                st.spacing.cy > 0 ? st.spacing.cy : GetSystemMetrics(SM_CYICONSPACING)};
}

// Cells left to right in rows as wide as the client area (less a scroll bar the rows need).
struct IconGrid {
    RECT view{};
    SIZE cell{1, 1};
    int columns = 1, rows = 0;
    bool vbar = false;
    int total() const { return rows * cell.cy; }
};

IconGrid iconGrid(HWND w) {
    IconGrid g;
    GetClientRect(w, &g.view);
    g.cell = cellSize(w);
    g.cell.cx = std::max<LONG>(1, g.cell.cx);
    g.cell.cy = std::max<LONG>(1, g.cell.cy);
    const int count = static_cast<int>(state(w).items.size());
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    for (int pass = 0; pass < 2; ++pass) {
        const int width = g.view.right - (g.vbar ? bar : 0);
        g.columns = std::max(1, width / static_cast<int>(g.cell.cx));
        g.rows = (count + g.columns - 1) / g.columns;
        g.vbar = !(style(w) & LVS_NOSCROLL) && g.total() > g.view.bottom;
    }
    if (g.vbar) g.view.right = std::max<LONG>(0, g.view.right - bar);
    return g;
}

int maxScrollY(HWND w) {
    IconGrid g = iconGrid(w);
    return std::max(0, g.total() - static_cast<int>(g.view.bottom));
}

void setScrollY(HWND w, int y) { scrollTo(w, &ListState::scrollY, y, maxScrollY(w)); }

POINT cellOrigin(HWND w, const IconGrid& g, int item) {
    return POINT{(item % g.columns) * g.cell.cx, (item / g.columns) * g.cell.cy - state(w).scrollY};
}

// The label's lines laid out in the width it may take; answers its text size.
SIZE labelExtent(HWND w, const std::string& text, int width, UINT format) {
    HDC dc = GetDC(w);
    RECT r{0, 0, std::max(1, width), 0};
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT | DT_NOPREFIX);
    ReleaseDC(w, dc);
    return SIZE{std::min<LONG>(r.right, width), r.bottom};
}

struct IconParts {
    RECT image, icon, label;  // the image itself, the icon's part of the cell, the label
};

IconParts iconParts(HWND w, const IconGrid& g, int item) {
    IconParts p;
    const POINT o = cellOrigin(w, g, item);
    const SIZE image = iconImageSize(w);
    const std::string text = subItemText(state(w).items[static_cast<size_t>(item)], 0);
    const int line = fontHeight(w);
    if (smallIconView(w)) {
        const int top = o.y + (g.cell.cy - kIconMargin - image.cy) / 2;
        p.image = RECT{o.x + kIconMargin, top, o.x + kIconMargin + image.cx, top + image.cy};
        p.icon = RECT{o.x, o.y, p.image.right + kIconMargin, o.y + g.cell.cy - kIconMargin};
        const int width = textWidth(w, text) + 2 * kLabelPad;
        p.label = RECT{p.icon.right, o.y, std::min<LONG>(p.icon.right + width, o.x + g.cell.cx), p.icon.bottom};
        return p;
    }
    const int left = o.x + (g.cell.cx - image.cx) / 2;
    p.image = RECT{left, o.y + kIconMargin, left + image.cx, o.y + kIconMargin + image.cy};
    p.icon = RECT{o.x, o.y, o.x + g.cell.cx, p.image.bottom + kIconMargin};
    const int room = g.cell.cx - 2 * kLabelPad;
    SIZE text2 = labelExtent(w, text, room, DT_WORDBREAK | DT_CENTER);
    const int lines = std::clamp(line > 0 ? static_cast<int>((text2.cy + line - 1) / line) : 1, 1, kLabelLines);
    const int width = static_cast<int>(text2.cx) + 2 * kLabelPad;
    const int labelLeft = o.x + (g.cell.cx - width) / 2;
    p.label = RECT{labelLeft, p.icon.bottom, labelLeft + width, p.icon.bottom + lines * line + kLabelPad};
    return p;
}

RECT iconBounds(const IconParts& p) {
    RECT r;
    UnionRect(&r, &p.icon, &p.label);
    return r;
}

void iconHitTest(HWND w, LVHITTESTINFO* info) {
    ListState& st = state(w);
    IconGrid g = iconGrid(w);
    info->flags = LVHT_NOWHERE;
    info->iItem = -1;
    info->iSubItem = 0;
    if (!PtInRect(&g.view, info->pt)) {
        info->flags = 0;
        if (info->pt.x < 0) info->flags |= LVHT_TOLEFT;
        if (info->pt.x >= g.view.right) info->flags |= LVHT_TORIGHT;
        if (info->pt.y < 0) info->flags |= LVHT_ABOVE;
        if (info->pt.y >= g.view.bottom) info->flags |= LVHT_BELOW;
        return;
    }
    // Only the cell under the point can hold it.
    const int column = info->pt.x / g.cell.cx, row = (info->pt.y + st.scrollY) / g.cell.cy;
    const int item = row * g.columns + column;
    if (column >= g.columns || !validItem(st, item)) return;
    IconParts p = iconParts(w, g, item);
    if (PtInRect(&p.icon, info->pt)) info->flags = LVHT_ONITEMICON;
    else if (PtInRect(&p.label, info->pt)) info->flags = LVHT_ONITEMLABEL;
    else return;
    info->iItem = item;
}

bool iconItemRect(HWND w, int item, int code, RECT* out) {
    IconGrid g = iconGrid(w);
    IconParts p = iconParts(w, g, item);
    switch (code) {
    case LVIR_BOUNDS: *out = iconBounds(p); return true;
    case LVIR_ICON: *out = p.icon; return true;
    case LVIR_LABEL: *out = p.label; return true;
    case LVIR_SELECTBOUNDS: UnionRect(out, &p.image, &p.label); return true;
    default: return false;
    }
}

// The item a grid key moves the focus to; -1 for none.
int iconKeyTarget(HWND w, UINT key, int focused) {
    const int count = static_cast<int>(state(w).items.size());
    IconGrid g = iconGrid(w);
    const int page = g.columns * std::max(1, static_cast<int>(g.view.bottom / g.cell.cy));
    if (focused < 0) return key == VK_END ? count - 1 : 0;
    switch (key) {
    case VK_LEFT: return focused % g.columns ? focused - 1 : focused;
    case VK_RIGHT: return (focused + 1) % g.columns && focused + 1 < count ? focused + 1 : focused;
    case VK_UP: return focused - g.columns >= 0 ? focused - g.columns : focused;
    case VK_DOWN: return focused + g.columns < count ? focused + g.columns : focused;
    case VK_HOME: return 0;
    case VK_END: return count - 1;
    case VK_PRIOR: return std::max(focused % g.columns, focused - page);
    case VK_NEXT: {
        int to = focused + page;
        while (to >= count) to -= g.columns;
        return std::max(to, focused);
    }
    default: return -1;
    }
}

// The colour labels are drawn in: the one set, or one that stands out from the background.
COLORREF labelColor(const ListState& st, COLORREF back) {
    if (st.text != CLR_DEFAULT) return st.text;
    const int luminance = (GetRValue(back) * 299 + GetGValue(back) * 587 + GetBValue(back) * 114) / 1000;
    return luminance < 128 ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT);
}

// LVM_GETITEMRECT: the row, no icon, and the label in column 0.
bool itemRect(HWND w, int item, int code, RECT* out) {
    if (!validItem(state(w), item) || !out) return false;
    if (iconView(w)) return iconItemRect(w, item, code, out);
    RECT row = rowRect(w, item);
    switch (code) {
    case LVIR_BOUNDS: *out = row; return true;
    case LVIR_ICON: *out = RECT{row.left, row.top, row.left, row.bottom}; return true;
    case LVIR_LABEL: *out = cellRect(w, item, 0); return true;
    case LVIR_SELECTBOUNDS:
        *out = (state(w).exStyle & LVS_EX_FULLROWSELECT) ? row : cellRect(w, item, 0);
        return true;
    default: return false;
    }
}

// LVM_GETSUBITEMRECT: sub-item 0 answers the row as LVM_GETITEMRECT does.
bool subItemRect(HWND w, int item, int sub, int code, RECT* out) {
    ListState& st = state(w);
    if (!validItem(st, item) || !out || sub < 0 || sub >= std::max(1, static_cast<int>(st.columns.size()))) return false;
    if (sub == 0) return itemRect(w, item, code, out);
    RECT cell = cellRect(w, item, sub);
    if (code == LVIR_ICON) cell.right = cell.left;
    else if (code != LVIR_BOUNDS && code != LVIR_LABEL) return false;
    *out = cell;
    return true;
}

void hitTest(HWND w, LVHITTESTINFO* info) {
    if (iconView(w)) return iconHitTest(w, info);
    ListState& st = state(w);
    Layout l = layout(w);
    POINT p = info->pt;
    info->flags = 0;
    info->iItem = -1;
    info->iSubItem = -1;
    if (p.x < 0) info->flags |= LVHT_TOLEFT;
    if (p.x >= l.view.right) info->flags |= LVHT_TORIGHT;
    if (p.y < l.header) info->flags |= LVHT_ABOVE;
    if (p.y >= l.view.bottom) info->flags |= LVHT_BELOW;
    if (info->flags) return;
    int item = st.top + (p.y - l.header) / l.row;
    int x = p.x + st.scrollX;
    int column = -1;
    for (int c = 0, left = 0; c < static_cast<int>(st.columns.size()); ++c) {
        int right = left + st.columns[static_cast<size_t>(c)].width;
        if (x >= left && x < right) column = c;
        left = right;
    }
    if (!validItem(st, item) || column < 0) {
        info->flags = LVHT_NOWHERE;
        return;
    }
    info->iItem = item;
    info->iSubItem = column;
    info->flags = LVHT_ONITEMLABEL;
}

// WM_NOTIFY to the parent; answers what the parent returned.
using controls::notify;

// Changes the state bits of one item with LVN_ITEMCHANGING and LVN_ITEMCHANGED; false when the
// parent refused the change or nothing changed.
bool changeState(HWND w, int item, UINT value, UINT mask) {
    ListState& st = state(w);
    if (!validItem(st, item)) return false;
    UINT old = st.items[static_cast<size_t>(item)].state;
    UINT next = (old & ~mask) | (value & mask);
    if (next == old) return false;
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.uNewState = next;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = st.items[static_cast<size_t>(item)].data;
    if (notify(w, &nm.hdr, LVN_ITEMCHANGING)) return false;
    ListState& after = state(w);
    if (!validItem(after, item)) return false;
    after.items[static_cast<size_t>(item)].state = next;
    InvalidateRect(w, nullptr, TRUE);
    NMLISTVIEW done = nm;
    notify(w, &done.hdr, LVN_ITEMCHANGED);
    return true;
}

// Sets the state of one item or, for -1, of all; a single-selection list keeps one selected.
void setItemState(HWND w, int item, UINT value, UINT mask) {
    ListState& st = state(w);
    int count = static_cast<int>(st.items.size());
    if (item < 0) {
        for (int i = 0; i < count; ++i) setItemState(w, i, value, mask);
        return;
    }
    if (!validItem(st, item)) return;
    if ((mask & LVIS_SELECTED) && (value & LVIS_SELECTED) && (style(w) & LVS_SINGLESEL))
        for (int i = 0; i < count; ++i)
            if (i != item) changeState(w, i, 0, LVIS_SELECTED);
    if ((mask & LVIS_FOCUSED) && (value & LVIS_FOCUSED))
        for (int i = 0; i < count; ++i)
            if (i != item) changeState(w, i, 0, LVIS_FOCUSED);
    changeState(w, item, value, mask);
}

void ensureVisible(HWND w, int item) {
    ListState& st = state(w);
    if (!validItem(st, item)) return;
    if (iconView(w)) {
        IconGrid g = iconGrid(w);
        RECT r = iconBounds(iconParts(w, g, item));
        if (r.top < 0) setScrollY(w, st.scrollY + r.top);
        else if (r.bottom > g.view.bottom) setScrollY(w, st.scrollY + std::min<LONG>(r.top, r.bottom - g.view.bottom));
        return;
    }
    int perPage = std::max(1, layout(w).perPage);
    if (item < st.top) setTop(w, item);
    else if (item >= st.top + perPage) setTop(w, item - perPage + 1);
}

// Selects one item alone and gives it the focus (the click and the arrow keys).
void selectOnly(HWND w, int item) {
    for (int i = 0; i < static_cast<int>(state(w).items.size()); ++i)
        if (i != item) changeState(w, i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (validItem(state(w), item)) {
        changeState(w, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        state(w).mark = item;
        ensureVisible(w, item);
    }
}

int nextItem(HWND w, int start, UINT flags) {
    ListState& st = state(w);
    int count = static_cast<int>(st.items.size());
    UINT want = flags & (LVNI_SELECTED | LVNI_FOCUSED);
    const UINT direction = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
    if (iconView(w) && direction && start >= 0 && start < count) {
        // In the grid: the nearest item up or down the column, or left or right along the row.
        const int columns = iconGrid(w).columns;
        const int step = direction == LVNI_ABOVE ? -columns : direction == LVNI_BELOW ? columns : direction == LVNI_TOLEFT ? -1 : 1;
        for (int i = start + step; i >= 0 && i < count; i += step) {
            if ((direction == LVNI_TOLEFT || direction == LVNI_TORIGHT) && i / columns != start / columns) break;
            if ((st.items[static_cast<size_t>(i)].state & want) == want) return i;
        }
        return -1;
    }
    if (flags & LVNI_ABOVE) {
        for (int i = std::min(start, count) - 1; i >= 0; --i)
            if ((st.items[static_cast<size_t>(i)].state & want) == want) return i;
        return -1;
    }
    for (int i = std::max(start + 1, 0); i < count; ++i)
        if ((st.items[static_cast<size_t>(i)].state & want) == want) return i;
    return -1;
}

int focusedItem(HWND w) { return nextItem(w, -1, LVNI_FOCUSED); }

std::string& textSlot(Item& item, int sub) {
    if (item.texts.size() <= static_cast<size_t>(sub)) item.texts.resize(static_cast<size_t>(sub) + 1);
    return item.texts[static_cast<size_t>(sub)];
}


// Copies text into a caller's buffer as the platform does; answers the characters copied.
int copyText(const std::string& s, char* buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) return 0;
    size_t n = std::min(s.size(), static_cast<size_t>(bufferMax - 1));
    std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

bool setItem(HWND w, const LVITEM* lv) {
    ListState& st = state(w);
    if (!lv || !validItem(st, lv->iItem) || lv->iSubItem < 0) return false;
    Item& item = st.items[static_cast<size_t>(lv->iItem)];
    if (lv->mask & LVIF_TEXT) textSlot(item, lv->iSubItem) = lv->pszText ? lv->pszText : "";
    if (lv->iSubItem == 0 && (lv->mask & LVIF_PARAM)) item.data = lv->lParam;
    if (lv->iSubItem == 0 && (lv->mask & LVIF_IMAGE)) item.image = lv->iImage;
    InvalidateRect(w, nullptr, TRUE);
    if (lv->iSubItem == 0 && (lv->mask & LVIF_STATE)) setItemState(w, lv->iItem, lv->state, lv->stateMask);
    return true;
}

bool getItem(HWND w, LVITEM* lv) {
    ListState& st = state(w);
    if (!lv || !validItem(st, lv->iItem) || lv->iSubItem < 0) return false;
    const Item& item = st.items[static_cast<size_t>(lv->iItem)];
    if (lv->mask & LVIF_TEXT) copyText(subItemText(item, lv->iSubItem), lv->pszText, lv->cchTextMax);
    if (lv->mask & LVIF_PARAM) lv->lParam = item.data;
    if (lv->mask & LVIF_STATE) lv->state = item.state & lv->stateMask;
    if (lv->mask & LVIF_IMAGE) lv->iImage = lv->iSubItem == 0 ? item.image : -1;
    return true;
}

int insertItem(HWND w, const LVITEM* lv) {
    ListState& st = state(w);
    if (!lv || lv->iSubItem != 0) return -1;
    int at = std::clamp(lv->iItem, 0, static_cast<int>(st.items.size()));
    Item item;
    if (lv->mask & LVIF_TEXT) item.texts.push_back(lv->pszText ? lv->pszText : "");
    if (lv->mask & LVIF_PARAM) item.data = lv->lParam;
    if (lv->mask & LVIF_IMAGE) item.image = lv->iImage;
    st.items.insert(st.items.begin() + at, item);
    if (st.mark >= at) ++st.mark;
    InvalidateRect(w, nullptr, TRUE);
    NMLISTVIEW nm{};
    nm.iItem = at;
    notify(w, &nm.hdr, LVN_INSERTITEM);
    if ((lv->mask & LVIF_STATE) && validItem(state(w), at)) setItemState(w, at, lv->state, lv->stateMask);
    return at;
}

bool deleteItem(HWND w, int i) {
    if (!validItem(state(w), i)) return false;
    NMLISTVIEW nm{};
    nm.iItem = i;
    nm.lParam = state(w).items[static_cast<size_t>(i)].data;
    notify(w, &nm.hdr, LVN_DELETEITEM);
    ListState& st = state(w);
    if (!validItem(st, i)) return false;
    st.items.erase(st.items.begin() + i);
    if (st.mark == i) st.mark = -1;
    else if (st.mark > i) --st.mark;
    st.top = std::clamp(st.top, 0, maxTop(w));
    st.scrollY = std::clamp(st.scrollY, 0, maxScrollY(w));
    InvalidateRect(w, nullptr, TRUE);
    return true;
}

void deleteAll(HWND w) {
    NMLISTVIEW nm{};
    nm.iItem = -1;
    // A parent answering TRUE wants no LVN_DELETEITEM for each item.
    bool quiet = notify(w, &nm.hdr, LVN_DELETEALLITEMS) != 0;
    while (!state(w).items.empty()) {
        if (quiet) {
            state(w).items.pop_back();
        } else if (!deleteItem(w, static_cast<int>(state(w).items.size()) - 1)) {
            break;
        }
    }
    ListState& st = state(w);
    st.top = 0;
    st.scrollY = 0;
    st.mark = -1;
    InvalidateRect(w, nullptr, TRUE);
}

void readColumn(Column& c, const LVCOLUMN* lc) {
    if (lc->mask & LVCF_FMT) c.fmt = lc->fmt & LVCFMT_JUSTIFYMASK;
    if (lc->mask & LVCF_WIDTH) c.width = std::max(0, lc->cx);
    if (lc->mask & LVCF_TEXT) c.text = lc->pszText ? lc->pszText : "";
    if (lc->mask & LVCF_SUBITEM) c.subItem = std::max(0, lc->iSubItem);
}

int insertColumn(HWND w, int at, const LVCOLUMN* lc) {
    ListState& st = state(w);
    if (!lc || at < 0) return -1;
    at = std::min(at, static_cast<int>(st.columns.size()));
    Column c;
    c.subItem = at;
    readColumn(c, lc);
    // The first column is always left aligned.
    if (at == 0) c.fmt = LVCFMT_LEFT;
    st.columns.insert(st.columns.begin() + at, c);
    InvalidateRect(w, nullptr, TRUE);
    return at;
}

bool deleteColumn(HWND w, int at) {
    ListState& st = state(w);
    if (at < 0 || at >= static_cast<int>(st.columns.size())) return false;
    st.columns.erase(st.columns.begin() + at);
    setScrollX(w, st.scrollX);
    InvalidateRect(w, nullptr, TRUE);
    return true;
}

int autoWidth(HWND w, int column, bool withHeader) {
    ListState& st = state(w);
    const Column& c = st.columns[static_cast<size_t>(column)];
    int margin = column == 0 ? 2 * kLabelMargin + kSubItemMargin : 2 * kSubItemMargin;
    int width = withHeader ? textWidth(w, c.text) + 2 * kHeaderMargin : 0;
    for (const Item& item : st.items) width = std::max(width, textWidth(w, subItemText(item, c.subItem)) + margin);
    return width;
}

bool setColumnWidth(HWND w, int column, int width) {
    ListState& st = state(w);
    if (column < 0 || column >= static_cast<int>(st.columns.size())) return false;
    if (width == LVSCW_AUTOSIZE) width = autoWidth(w, column, false);
    else if (width == LVSCW_AUTOSIZE_USEHEADER) width = autoWidth(w, column, true);
    st.columns[static_cast<size_t>(column)].width = std::max(0, width);
    setScrollX(w, st.scrollX);
    InvalidateRect(w, nullptr, TRUE);
    return true;
}

void scrollBy(HWND w, int dx, int dy) {
    if (iconView(w)) return setScrollY(w, state(w).scrollY + dy);
    setScrollX(w, state(w).scrollX + dx);
    setTop(w, state(w).top + dy);
}

// WM_VSCROLL (rows) and WM_HSCROLL (pixels).
void scrollRequest(HWND w, bool vertical, WORD request, int position) {
    ListState& st = state(w);
    if (iconView(w)) {
        if (!vertical) return;
        IconGrid g = iconGrid(w);
        const int line = std::max(1, static_cast<int>(g.cell.cy) / 2), page = std::max(1, static_cast<int>(g.view.bottom));
        int to = st.scrollY;
        switch (request) {
        case SB_LINEUP: to -= line; break;
        case SB_LINEDOWN: to += line; break;
        case SB_PAGEUP: to -= page; break;
        case SB_PAGEDOWN: to += page; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: to = position; break;
        case SB_TOP: to = 0; break;
        case SB_BOTTOM: to = INT_MAX; break;
        default: break;
        }
        return setScrollY(w, to);
    }
    Layout l = layout(w);
    int now = vertical ? st.top : st.scrollX;
    int line = vertical ? 1 : std::max(1, fontHeight(w) / 2);
    int page = std::max(1, vertical ? l.perPage : static_cast<int>(l.view.right));
    int to = now;
    switch (request) {
    case SB_LINEUP: to = now - line; break;
    case SB_LINEDOWN: to = now + line; break;
    case SB_PAGEUP: to = now - page; break;
    case SB_PAGEDOWN: to = now + page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: to = position; break;
    case SB_TOP: to = 0; break;
    case SB_BOTTOM: to = INT_MAX; break;
    default: break;
    }
    if (vertical) setTop(w, to);
    else setScrollX(w, to);
}

// The scroll bars drawn in the client area: the vertical one over rows, the horizontal one over pixels.
controls::ScrollBar scrollBar(HWND w, bool vertical) {
    ListState& st = state(w);
    if (iconView(w)) {
        IconGrid g = iconGrid(w);
        RECT client;
        GetClientRect(w, &client);
        return controls::scrollBar(RECT{g.view.right, 0, client.right, client.bottom}, true, g.total(),
                                   static_cast<int>(g.view.bottom), st.scrollY);
    }
    Layout l = layout(w);
    RECT client;
    GetClientRect(w, &client);
    if (vertical)
        return controls::scrollBar(RECT{l.view.right, 0, client.right, l.view.bottom}, true,
                                   static_cast<int>(st.items.size()), l.perPage, st.top);
    return controls::scrollBar(RECT{0, l.view.bottom, l.view.right, client.bottom}, false, totalWidth(st),
                               static_cast<int>(l.view.right), st.scrollX);
}

// A click on a scroll bar: true when the point was on one.
bool clickScrollBar(HWND w, POINT p) {
    Layout l = layout(w);
    if (iconView(w)) {
        l.vbar = iconGrid(w).vbar;
        l.hbar = false;
    }
    for (bool vertical : {true, false}) {
        WORD request = 0;
        if ((vertical ? !l.vbar : !l.hbar) || !controls::scrollBarRequest(scrollBar(w, vertical), p, request)) continue;
        SendMessage(w, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(request, 0), 0);
        return true;
    }
    return false;
}

COLORREF color(COLORREF chosen, int system) { return chosen == CLR_DEFAULT ? GetSysColor(system) : chosen; }

using controls::fill;

void drawCellText(HDC dc, const std::string& s, RECT cell, int fmt, int margin, COLORREF c) {
    RECT t{cell.left + margin, cell.top, cell.right - margin, cell.bottom};
    if (t.right <= t.left) return;
    UINT align = fmt == LVCFMT_RIGHT ? DT_RIGHT : fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
    SaveDC(dc);
    IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    SetTextColor(dc, c);
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, s.c_str(), static_cast<int>(s.size()), &t, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    RestoreDC(dc, -1);
}

void paintHeader(HWND w, HDC dc, const Layout& l) {
    ListState& st = state(w);
    for (int c = 0, n = static_cast<int>(st.columns.size()); c <= n; ++c) {
        int left = c < n ? columnLeft(st, c) : totalWidth(st) - st.scrollX;
        int right = c < n ? left + st.columns[static_cast<size_t>(c)].width : static_cast<int>(l.view.right);
        if (right <= left) continue;
        RECT button{left, 0, right, l.header};
        fill(dc, button, GetSysColor(COLOR_BTNFACE));
        RECT edge = button;
        DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_SOFT);
        if (c < n) {
            const Column& col = st.columns[static_cast<size_t>(c)];
            drawCellText(dc, col.text, button, col.fmt, kHeaderMargin, GetSysColor(COLOR_BTNTEXT));
        }
    }
}

void paintRows(HWND w, HDC dc, const Layout& l) {
    ListState& st = state(w);
    const DWORD s = style(w);
    bool showSelection = st.focus || (s & LVS_SHOWSELALWAYS);
    COLORREF highlight = GetSysColor(st.focus ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    COLORREF highlightText = GetSysColor(st.focus ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    COLORREF text = color(st.text, COLOR_WINDOWTEXT);
    COLORREF textBack = st.textBack == CLR_NONE ? CLR_NONE : color(st.textBack, COLOR_WINDOW);
    int last = std::min(static_cast<int>(st.items.size()), st.top + l.perPage + 1);
    for (int i = st.top; i < last; ++i) {
        const Item& item = st.items[static_cast<size_t>(i)];
        bool selected = showSelection && (item.state & LVIS_SELECTED);
        RECT row = rowRect(w, i);
        if (textBack != CLR_NONE) fill(dc, row, textBack);
        for (int c = 0; c < static_cast<int>(st.columns.size()); ++c) {
            const Column& col = st.columns[static_cast<size_t>(c)];
            RECT cell = cellRect(w, i, c);
            std::string t = subItemText(item, col.subItem);
            bool lit = selected && (c == 0 || (st.exStyle & LVS_EX_FULLROWSELECT));
            if (lit) {
                RECT box = cell;
                if (c == 0 && !(st.exStyle & LVS_EX_FULLROWSELECT))
                    box.right = std::min<LONG>(cell.right, cell.left + textWidth(w, t) + 2 * kLabelMargin);
                if (st.exStyle & LVS_EX_GRIDLINES) box.bottom -= 1;
                fill(dc, box, highlight);
            }
            drawCellText(dc, t, cell, col.fmt, c == 0 ? kLabelMargin : kSubItemMargin, lit ? highlightText : text);
        }
        if (st.focus && (item.state & LVIS_FOCUSED)) {
            RECT focus = (st.exStyle & LVS_EX_FULLROWSELECT) ? row : cellRect(w, i, 0);
            if (st.exStyle & LVS_EX_GRIDLINES) focus.bottom -= 1;
            DrawFocusRect(dc, &focus);
        }
    }
}

void paintGrid(HWND w, HDC dc, const Layout& l) {
    ListState& st = state(w);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, pen);
    int right = totalWidth(st) - st.scrollX;
    for (int y = l.header + l.row - 1; y < l.view.bottom; y += l.row) {
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, std::max<int>(right, l.view.right), y);
    }
    for (int c = 0; c < static_cast<int>(st.columns.size()); ++c) {
        int x = columnLeft(st, c + 1) - 1;
        MoveToEx(dc, x, l.header, nullptr);
        LineTo(dc, x, l.view.bottom);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void paintIcons(HWND w, HDC dc) {
    ListState& st = state(w);
    IconGrid g = iconGrid(w);
    const COLORREF back = color(st.back, COLOR_WINDOW);
    const bool showSelection = st.focus || (style(w) & LVS_SHOWSELALWAYS);
    HIMAGELIST images = smallIconView(w) ? st.small : st.normal;
    const UINT format = smallIconView(w) ? DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS
                                         : DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS;
    SaveDC(dc);
    IntersectClipRect(dc, g.view.left, g.view.top, g.view.right, g.view.bottom);
    HGDIOBJ oldFont = controls::selectFont(w, dc);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < static_cast<int>(st.items.size()); ++i) {
        IconParts p = iconParts(w, g, i);
        RECT bounds = iconBounds(p);
        if (bounds.bottom <= 0 || bounds.top >= g.view.bottom) continue;
        const Item& item = st.items[static_cast<size_t>(i)];
        const bool selected = showSelection && (item.state & LVIS_SELECTED);
        if (images && item.image >= 0)
            ImageList_DrawEx(images, item.image, dc, p.image.left, p.image.top, 0, 0, CLR_DEFAULT, CLR_DEFAULT,
                             selected && st.focus ? ILD_SELECTED : ILD_NORMAL);
        if (selected) fill(dc, p.label, GetSysColor(st.focus ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        else if (st.textBack != CLR_DEFAULT && st.textBack != CLR_NONE) fill(dc, p.label, st.textBack);
        SetTextColor(dc, selected ? GetSysColor(st.focus ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT) : labelColor(st, back));
        const std::string text = subItemText(item, 0);
        RECT t{p.label.left + kLabelPad, p.label.top + (smallIconView(w) ? 0 : 1), p.label.right - kLabelPad, p.label.bottom};
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &t, format | DT_NOPREFIX);
        if (st.focus && (item.state & LVIS_FOCUSED)) DrawFocusRect(dc, &p.label);
    }
    SelectObject(dc, oldFont);
    RestoreDC(dc, -1);
    if (g.vbar) controls::paintScrollBar(dc, scrollBar(w, true));
}

void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    ListState& st = state(w);
    RECT client;
    GetClientRect(w, &client);
    fill(dc, client, color(st.back, COLOR_WINDOW));
    if (iconView(w)) {
        paintIcons(w, dc);
        EndPaint(w, &ps);
        return;
    }
    Layout l = layout(w);
    SaveDC(dc);
    IntersectClipRect(dc, 0, l.header, l.view.right, l.view.bottom);
    paintRows(w, dc, l);
    if (st.exStyle & LVS_EX_GRIDLINES) paintGrid(w, dc, l);
    RestoreDC(dc, -1);
    if (l.header > 0) {
        SaveDC(dc);
        IntersectClipRect(dc, 0, 0, l.view.right, l.header);
        paintHeader(w, dc, l);
        RestoreDC(dc, -1);
    }
    if (l.vbar) controls::paintScrollBar(dc, scrollBar(w, true));
    if (l.hbar) controls::paintScrollBar(dc, scrollBar(w, false));
    if (l.vbar && l.hbar) fill(dc, RECT{l.view.right, l.view.bottom, client.right, client.bottom}, GetSysColor(COLOR_BTNFACE));
    EndPaint(w, &ps);
}

void activate(HWND w, UINT code, POINT p, UINT keyFlags) {
    LVHITTESTINFO info{};
    info.pt = p;
    hitTest(w, &info);
    NMITEMACTIVATE nm{};
    nm.iItem = info.iItem;
    nm.iSubItem = std::max(0, info.iSubItem);
    nm.ptAction = p;
    nm.uKeyFlags = keyFlags;
    if (validItem(state(w), info.iItem)) nm.lParam = state(w).items[static_cast<size_t>(info.iItem)].data;
    notify(w, &nm.hdr, code);
}

// A button pressed on the rows: focus, selection of the row under the point (or none), then the
// click notification.
void buttonDown(HWND w, LPARAM lParam, UINT code) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (GetFocus() != w) SetFocus(w);
    if (!IsWindow(w)) return;
    if (clickScrollBar(w, p)) return;
    Layout l = layout(w);
    if (p.y < l.header) return;
    LVHITTESTINFO info{};
    info.pt = p;
    hitTest(w, &info);
    if (info.iItem >= 0) selectOnly(w, info.iItem);
    else if (code != NM_RCLICK) selectOnly(w, -1);
    if (IsWindow(w)) activate(w, code, p, 0);
}

void keyDown(HWND w, WPARAM key) {
    NMLVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(key);
    notify(w, &nm.hdr, LVN_KEYDOWN);
    if (!IsWindow(w)) return;
    ListState& st = state(w);
    int count = static_cast<int>(st.items.size());
    if (count == 0 && key != VK_RETURN) return;
    int focused = focusedItem(w);
    if (iconView(w) && key != VK_RETURN) {
        const int to = iconKeyTarget(w, static_cast<UINT>(key), focused);
        if (to >= 0) selectOnly(w, to);
        return;
    }
    int page = std::max(1, layout(w).perPage);
    int to = -1;
    switch (key) {
    case VK_UP: to = focused < 0 ? 0 : std::max(0, focused - 1); break;
    case VK_DOWN: to = focused < 0 ? 0 : std::min(count - 1, focused + 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = count - 1; break;
    case VK_PRIOR: to = std::max(0, (focused < 0 ? 0 : focused) - page + 1); break;
    case VK_NEXT: to = std::min(count - 1, (focused < 0 ? 0 : focused) + page - 1); break;
    case VK_RETURN: {
        NMHDR h{};
        notify(w, &h, NM_RETURN);
        return;
    }
    default: return;
    }
    selectOnly(w, to);
}

LRESULT CALLBACK ListViewProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        states()[w] = ListState{};
        break;
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
        setTop(w, state(w).top);
        if (LOWORD(lParam)) InvalidateRect(w, nullptr, TRUE);
        return r;
    }
    case WM_SIZE:
        setScrollY(w, state(w).scrollY);
        setTop(w, state(w).top);
        setScrollX(w, state(w).scrollX);
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        state(w).focus = message == WM_SETFOCUS;
        InvalidateRect(w, nullptr, TRUE);
        NMHDR h{};
        notify(w, &h, message == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;
    }
    case WM_LBUTTONDOWN:
        buttonDown(w, lParam, NM_CLICK);
        return 0;
    case WM_LBUTTONDBLCLK:
        buttonDown(w, lParam, NM_DBLCLK);
        return 0;
    case WM_RBUTTONDOWN:
        buttonDown(w, lParam, NM_RCLICK);
        return 0;
    case WM_RBUTTONDBLCLK:
        return 0;
    case WM_KEYDOWN:
        keyDown(w, wParam);
        return 0;
    case WM_MOUSEWHEEL:
        if (iconView(w)) setScrollY(w, state(w).scrollY - iconGrid(w).cell.cy * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        else setTop(w, state(w).top - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
        scrollRequest(w, message == WM_VSCROLL, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;

    case LVM_GETBKCOLOR: return static_cast<LRESULT>(color(state(w).back, COLOR_WINDOW));
    case LVM_SETBKCOLOR: state(w).back = static_cast<COLORREF>(lParam); InvalidateRect(w, nullptr, TRUE); return TRUE;
    case LVM_GETTEXTCOLOR: return static_cast<LRESULT>(color(state(w).text, COLOR_WINDOWTEXT));
    case LVM_SETTEXTCOLOR: state(w).text = static_cast<COLORREF>(lParam); InvalidateRect(w, nullptr, TRUE); return TRUE;
    case LVM_GETTEXTBKCOLOR: {
        COLORREF c = state(w).textBack;
        return static_cast<LRESULT>(c == CLR_NONE ? CLR_NONE : color(c, COLOR_WINDOW));
    }
    case LVM_SETTEXTBKCOLOR: state(w).textBack = static_cast<COLORREF>(lParam); InvalidateRect(w, nullptr, TRUE); return TRUE;
    case LVM_GETITEMCOUNT: return static_cast<LRESULT>(state(w).items.size());
    case LVM_GETITEM: return getItem(w, reinterpret_cast<LVITEM*>(lParam)) ? TRUE : FALSE;
    case LVM_SETITEM: return setItem(w, reinterpret_cast<const LVITEM*>(lParam)) ? TRUE : FALSE;
    case LVM_INSERTITEM: return insertItem(w, reinterpret_cast<const LVITEM*>(lParam));
    case LVM_DELETEITEM: return deleteItem(w, static_cast<int>(wParam)) ? TRUE : FALSE;
    case LVM_DELETEALLITEMS: deleteAll(w); return TRUE;
    case LVM_GETNEXTITEM: return nextItem(w, static_cast<int>(static_cast<INT_PTR>(wParam)), static_cast<UINT>(LOWORD(lParam)));
    case LVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        return r && itemRect(w, static_cast<int>(wParam), r->left, r) ? TRUE : FALSE;
    }
    case LVM_GETSUBITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        return r && subItemRect(w, static_cast<int>(static_cast<INT_PTR>(wParam)), r->top, r->left, r) ? TRUE : FALSE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
        auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (!info) return -1;
        hitTest(w, info);
        if (message == LVM_HITTEST) info->iSubItem = 0;
        return info->iItem;
    }
    case LVM_ENSUREVISIBLE: ensureVisible(w, static_cast<int>(wParam)); return validItem(state(w), static_cast<int>(wParam));
    case LVM_SCROLL: scrollBy(w, static_cast<int>(static_cast<INT_PTR>(wParam)), static_cast<int>(lParam) / layout(w).row); return TRUE;
    case LVM_GETCOLUMN: {
        auto* lc = reinterpret_cast<LVCOLUMN*>(lParam);
        ListState& st = state(w);
        int c = static_cast<int>(wParam);
        if (!lc || c >= static_cast<int>(st.columns.size())) return FALSE;
        const Column& col = st.columns[static_cast<size_t>(c)];
        if (lc->mask & LVCF_FMT) lc->fmt = col.fmt;
        if (lc->mask & LVCF_WIDTH) lc->cx = col.width;
        if (lc->mask & LVCF_TEXT) copyText(col.text, lc->pszText, lc->cchTextMax);
        if (lc->mask & LVCF_SUBITEM) lc->iSubItem = col.subItem;
        return TRUE;
    }
    case LVM_SETCOLUMN: {
        auto* lc = reinterpret_cast<const LVCOLUMN*>(lParam);
        ListState& st = state(w);
        int c = static_cast<int>(wParam);
        if (!lc || c >= static_cast<int>(st.columns.size())) return FALSE;
        readColumn(st.columns[static_cast<size_t>(c)], lc);
        InvalidateRect(w, nullptr, TRUE);
        return TRUE;
    }
    case LVM_INSERTCOLUMN:
        return insertColumn(w, static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const LVCOLUMN*>(lParam));
    case LVM_DELETECOLUMN: return deleteColumn(w, static_cast<int>(wParam)) ? TRUE : FALSE;
    case LVM_GETCOLUMNWIDTH: {
        ListState& st = state(w);
        int c = static_cast<int>(wParam);
        return c < static_cast<int>(st.columns.size()) ? st.columns[static_cast<size_t>(c)].width : 0;
    }
    case LVM_SETCOLUMNWIDTH: return setColumnWidth(w, static_cast<int>(wParam), static_cast<short>(LOWORD(lParam))) ? TRUE : FALSE;
    case LVM_GETTOPINDEX: return iconView(w) ? 0 : state(w).top;
    case LVM_GETCOUNTPERPAGE: return iconView(w) ? static_cast<LRESULT>(state(w).items.size()) : layout(w).perPage;
    case LVM_GETIMAGELIST: {
        ListState& st = state(w);
        return reinterpret_cast<LRESULT>(wParam == LVSIL_NORMAL ? st.normal : wParam == LVSIL_SMALL ? st.small
                                         : wParam == LVSIL_STATE ? st.stateImages : nullptr);
    }
    case LVM_SETIMAGELIST: {
        ListState& st = state(w);
        HIMAGELIST* slot = wParam == LVSIL_NORMAL ? &st.normal : wParam == LVSIL_SMALL ? &st.small
                           : wParam == LVSIL_STATE ? &st.stateImages : nullptr;
        if (!slot) return 0;
        HIMAGELIST old = *slot;
        *slot = reinterpret_cast<HIMAGELIST>(lParam);
        setScrollY(w, st.scrollY);
        InvalidateRect(w, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_SETICONSPACING: {
        ListState& st = state(w);
        const SIZE old = cellSize(w);
        // -1 (or 0) restores the system's spacing for that direction.
        const short cx = static_cast<short>(LOWORD(lParam)), cy = static_cast<short>(HIWORD(lParam));
        st.spacing = SIZE{cx > 0 ? cx : 0, cy > 0 ? cy : 0};
        setScrollY(w, st.scrollY);
        InvalidateRect(w, nullptr, TRUE);
        return MAKELRESULT(old.cx, old.cy);
    }
    case LVM_GETITEMSPACING: {
        const SIZE cell = cellSize(w);
        return MAKELRESULT(cell.cx, cell.cy);
    }
    case LVM_ARRANGE: InvalidateRect(w, nullptr, TRUE); return iconView(w) ? TRUE : FALSE;
    case LVM_SETITEMSTATE: {
        auto* lv = reinterpret_cast<const LVITEM*>(lParam);
        if (!lv) return FALSE;
        int item = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (item >= 0 && !validItem(state(w), item)) return FALSE;
        setItemState(w, item, lv->state, lv->stateMask);
        return TRUE;
    }
    case LVM_GETITEMSTATE: {
        ListState& st = state(w);
        int item = static_cast<int>(wParam);
        return validItem(st, item) ? static_cast<LRESULT>(st.items[static_cast<size_t>(item)].state & static_cast<UINT>(lParam)) : 0;
    }
    case LVM_GETITEMTEXT: {
        auto* lv = reinterpret_cast<LVITEM*>(lParam);
        ListState& st = state(w);
        int item = static_cast<int>(wParam);
        if (!lv || !validItem(st, item)) return 0;
        return copyText(subItemText(st.items[static_cast<size_t>(item)], lv->iSubItem), lv->pszText, lv->cchTextMax);
    }
    case LVM_SETITEMTEXT: {
        auto* lv = reinterpret_cast<const LVITEM*>(lParam);
        if (!lv) return FALSE;
        LVITEM copy = *lv;
        copy.iItem = static_cast<int>(wParam);
        copy.mask = LVIF_TEXT;
        return setItem(w, &copy) ? TRUE : FALSE;
    }
    case LVM_GETSELECTEDCOUNT: {
        LRESULT n = 0;
        for (const Item& item : state(w).items) n += (item.state & LVIS_SELECTED) ? 1 : 0;
        return n;
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        ListState& st = state(w);
        DWORD old = st.exStyle;
        DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
        st.exStyle = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
        setTop(w, st.top);
        InvalidateRect(w, nullptr, TRUE);
        return static_cast<LRESULT>(old);
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return static_cast<LRESULT>(state(w).exStyle);
    case LVM_GETSELECTIONMARK: return state(w).mark;
    case LVM_SETSELECTIONMARK: {
        ListState& st = state(w);
        int old = st.mark;
        int mark = static_cast<int>(lParam);
        st.mark = validItem(st, mark) ? mark : -1;
        return old;
    }
    default:
        break;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

}  // namespace

const SystemClass& listViewSystemClass() {
    static const SystemClass c{WC_LISTVIEW, 0, CS_DBLCLKS, ListViewProc, 0, nullptr};
    return c;
}
