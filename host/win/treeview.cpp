// The tree-view control: items kept under their parents, the rows of the expanded items drawn
// top to bottom with dotted lines, +/- buttons, images and labels; the caret item followed by the
// keys and the mouse; expansion and selection asked of the parent first.
#include "win/treeview.h"
#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/scrollbar.h"
#include "win/systemclasses.h"

namespace {

constexpr int kDefaultIndent = 19;
constexpr int kLabelPadding = 2;  // label text from its box's left and right edge
constexpr int kImageGap = 1;      // between the image and the label's box
constexpr int kButtonSize = 9;
constexpr UINT kDrawTransparent = 0x0001;  // the image list's transparent drawing

struct Node {
    HTREEITEM handle = nullptr;
    std::string text;
    bool textCallback = false;
    int image = 0, selectedImage = 0;
    int children = 0;             // as given with TVIF_CHILDREN
    bool childrenGiven = false;   // otherwise the item has children when it holds some
    UINT state = 0;
    LPARAM data = 0;
    Node* parent = nullptr;
    std::vector<Node*> kids;
    bool deleting = false;
};

struct TreeState {
    std::map<HTREEITEM, std::unique_ptr<Node>> nodes;
    std::vector<Node*> roots;
    Node* caret = nullptr;
    Node* drop = nullptr;
    int top = 0;  // index of the first row shown among the visible items
    int indent = kDefaultIndent;
    int itemHeight = -1;  // -1: from the font and the images
    HIMAGELIST normal = nullptr, stateList = nullptr;
    bool focus = false;
    COLORREF back = CLR_DEFAULT, text = CLR_DEFAULT;
};

std::map<HWND, TreeState>& states() { return controls::windowStates<TreeState>(); }
TreeState& state(HWND w) { return controls::windowState<TreeState>(w); }

DWORD style(HWND w) { return static_cast<DWORD>(GetWindowLong(w, GWL_STYLE)); }

// The live item of a handle (items being deleted count as gone).
Node* find(TreeState& st, HTREEITEM h) {
    auto it = st.nodes.find(h);
    return it == st.nodes.end() || it->second->deleting ? nullptr : it->second.get();
}
Node* find(HWND w, HTREEITEM h) { return find(state(w), h); }
HTREEITEM handleOf(const Node* n) { return n ? n->handle : nullptr; }

std::vector<Node*>& siblingsOf(TreeState& st, Node* n) { return n->parent ? n->parent->kids : st.roots; }

int depth(const Node* n) {
    int d = 0;
    for (const Node* p = n->parent; p; p = p->parent) ++d;
    return d;
}

bool isAncestor(const Node* ancestor, const Node* n) {
    for (const Node* p = n ? n->parent : nullptr; p; p = p->parent)
        if (p == ancestor) return true;
    return false;
}

// TVN_GETDISPINFO for what the item leaves to its parent.
TVITEM askParent(HWND w, const Node* n, UINT mask, char* buffer, int bufferMax) {
    NMTVDISPINFO info{};
    info.item.mask = mask;
    info.item.hItem = n->handle;
    info.item.state = n->state;
    info.item.lParam = n->data;
    info.item.pszText = buffer;
    info.item.cchTextMax = bufferMax;
    info.item.iImage = n->image;
    info.item.iSelectedImage = n->selectedImage;
    if (buffer && bufferMax > 0) buffer[0] = '\0';
    controls::notify(w, &info.hdr, TVN_GETDISPINFO);
    return info.item;
}

bool hasChildren(HWND w, const Node* n) {
    if (!n->kids.empty()) return true;
    if (!n->childrenGiven) return false;
    if (n->children != I_CHILDRENCALLBACK) return n->children > 0;
    return askParent(w, n, TVIF_CHILDREN, nullptr, 0).cChildren > 0;
}

std::string textOf(HWND w, const Node* n) {
    if (!n->textCallback) return n->text;
    char buffer[1024];
    TVITEM item = askParent(w, n, TVIF_TEXT, buffer, sizeof buffer);
    if (!item.pszText || item.pszText == LPSTR_TEXTCALLBACK) return std::string();
    buffer[sizeof buffer - 1] = '\0';
    return item.pszText;
}

int imageOf(HWND w, const Node* n, bool selected) {
    int index = selected ? n->selectedImage : n->image;
    if (index != I_IMAGECALLBACK) return index;
    TVITEM item = askParent(w, n, selected ? TVIF_SELECTEDIMAGE : TVIF_IMAGE, nullptr, 0);
    return selected ? item.iSelectedImage : item.iImage;
}

// The items whose ancestors are all expanded, in the order of their rows.
std::vector<Node*> visibleItems(TreeState& st) {
    std::vector<Node*> out;
    std::vector<Node*> stack(st.roots.rbegin(), st.roots.rend());
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        out.push_back(n);
        if (n->state & TVIS_EXPANDED) stack.insert(stack.end(), n->kids.rbegin(), n->kids.rend());
    }
    return out;
}

int rowOf(const std::vector<Node*>& rows, const Node* n) {
    auto it = std::find(rows.begin(), rows.end(), n);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

// Measures text with the control's font.
struct FontDC {
    HWND w;
    HDC dc;
    HGDIOBJ old;
    explicit FontDC(HWND window) : w(window), dc(GetDC(window)), old(controls::selectFont(window, dc)) {}
    ~FontDC() {
        if (old) SelectObject(dc, old);
        ReleaseDC(w, dc);
    }
    FontDC(const FontDC&) = delete;
    FontDC& operator=(const FontDC&) = delete;
};

int textWidth(HWND w, const std::string& s) {
    FontDC f(w);
    SIZE size{0, 0};
    GetTextExtentPoint32(f.dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
}

SIZE imageSize(HWND w) {
    HIMAGELIST list = state(w).normal;
    int cx = 0, cy = 0;
    if (!list || !ImageList_GetIconSize(list, &cx, &cy)) return SIZE{0, 0};
    return SIZE{cx, cy};
}

int defaultItemHeight(HWND w) {
    FontDC f(w);
    TEXTMETRIC tm{};
    GetTextMetrics(f.dc, &tm);
    int h = std::max<int>(tm.tmHeight + 3, imageSize(w).cy + 1);
    return h + (h & 1);
}

int itemHeight(HWND w) {
    int h = state(w).itemHeight;
    return std::max(1, h > 0 ? h : defaultItemHeight(w));
}

struct Layout {
    RECT view;  // the rows, less the scroll bar
    bool vbar = false;
    int row = 1, perPage = 0, count = 0;
};

Layout layout(HWND w) {
    Layout l;
    GetClientRect(w, &l.view);
    l.row = itemHeight(w);
    l.count = static_cast<int>(visibleItems(state(w)).size());
    if (!(style(w) & TVS_NOSCROLL) && l.count * l.row > l.view.bottom) {
        l.vbar = true;
        l.view.right = std::max<LONG>(0, l.view.right - GetSystemMetrics(SM_CXVSCROLL));
    }
    l.perPage = std::max(0, static_cast<int>(l.view.bottom) / l.row);
    return l;
}

void setTop(HWND w, int top) {
    Layout l = layout(w);
    TreeState& st = state(w);
    top = std::clamp(top, 0, std::max(0, l.count - std::max(1, l.perPage)));
    if (top != st.top) {
        st.top = top;
        InvalidateRect(w, nullptr, TRUE);
    }
}

// The indent columns before an item's image: one per level, and one more for the root's lines or
// buttons when they are shown at the root.
int columnsBefore(HWND w, const Node* n) {
    DWORD s = style(w);
    bool rootColumn = (s & TVS_LINESATROOT) && (s & (TVS_HASLINES | TVS_HASBUTTONS));
    return depth(n) + (rootColumn ? 1 : 0);
}

struct RowGeometry {
    RECT row;     // the whole row
    int column;   // left edge of the item's own indent column (its button and line), or -1 for none
    RECT image;   // empty without images
    RECT label;
};

RowGeometry geometry(HWND w, const Node* n, int rowIndex) {
    TreeState& st = state(w);
    Layout l = layout(w);
    RowGeometry g{};
    int y = (rowIndex - st.top) * l.row;
    g.row = RECT{0, y, l.view.right, y + l.row};
    int x = columnsBefore(w, n) * st.indent;
    g.column = x > 0 ? x - st.indent : -1;
    SIZE img = imageSize(w);
    g.image = RECT{x, y, x + img.cx, y + l.row};
    if (img.cx > 0) x += img.cx + kImageGap;
    g.label = RECT{x, y, x + textWidth(w, textOf(w, n)) + 2 * kLabelPadding, y + l.row};
    return g;
}

bool hasButton(HWND w, const Node* n, const RowGeometry& g) {
    return (style(w) & TVS_HASBUTTONS) && g.column >= 0 && hasChildren(w, n);
}

// Hit test of a client point; fills the item and the flags.
void hitTest(HWND w, TVHITTESTINFO* info) {
    info->hItem = nullptr;
    info->flags = 0;
    RECT client;
    GetClientRect(w, &client);
    POINT p = info->pt;
    if (p.x < 0) info->flags |= TVHT_TOLEFT;
    if (p.x >= client.right) info->flags |= TVHT_TORIGHT;
    if (p.y < 0) info->flags |= TVHT_ABOVE;
    if (p.y >= client.bottom) info->flags |= TVHT_BELOW;
    if (info->flags) return;
    TreeState& st = state(w);
    Layout l = layout(w);
    std::vector<Node*> rows = visibleItems(st);
    int index = st.top + p.y / l.row;
    if (p.x >= l.view.right || index >= static_cast<int>(rows.size())) {
        info->flags = TVHT_NOWHERE;
        return;
    }
    Node* n = rows[static_cast<size_t>(index)];
    RowGeometry g = geometry(w, n, index);
    info->hItem = n->handle;
    if (p.x >= g.label.right) info->flags = TVHT_ONITEMRIGHT;
    else if (p.x >= g.label.left) info->flags = TVHT_ONITEMLABEL;
    else if (p.x >= g.image.left && g.image.right > g.image.left) info->flags = TVHT_ONITEMICON;
    else if (g.column >= 0 && p.x >= g.column && hasButton(w, n, g)) info->flags = TVHT_ONITEMBUTTON;
    else info->flags = TVHT_ONITEMINDENT;
}

TVITEM itemInfo(const Node* n) {
    TVITEM t{};
    if (!n) return t;
    t.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    t.hItem = n->handle;
    t.state = n->state;
    t.stateMask = 0xFFFF;
    t.lParam = n->data;
    t.iImage = n->image;
    t.iSelectedImage = n->selectedImage;
    return t;
}

LRESULT notifyTree(HWND w, UINT code, UINT action, HTREEITEM oldItem, HTREEITEM newItem) {
    NMTREEVIEW nm{};
    nm.action = action;
    nm.itemOld = itemInfo(find(w, oldItem));
    nm.itemNew = itemInfo(find(w, newItem));
    GetCursorPos(&nm.ptDrag);
    ScreenToClient(w, &nm.ptDrag);
    return controls::notify(w, &nm.hdr, code);
}

void scrollIntoView(HWND w, Node* n) {
    TreeState& st = state(w);
    int row = rowOf(visibleItems(st), n);
    if (row < 0) return;
    Layout l = layout(w);
    if (row < st.top) setTop(w, row);
    else if (row >= st.top + std::max(1, l.perPage)) setTop(w, row - std::max(1, l.perPage) + 1);
}

bool selectCaret(HWND w, HTREEITEM h, UINT action);
bool deleteItem(HWND w, HTREEITEM h);

bool expand(HWND w, HTREEITEM h, UINT code, bool byUser) {
    Node* n = find(w, h);
    if (!n) return false;
    UINT op = code & TVE_TOGGLE;
    bool expanded = (n->state & TVIS_EXPANDED) != 0;
    if (op == TVE_TOGGLE) op = expanded ? TVE_COLLAPSE : TVE_EXPAND;
    if (!op) return false;
    bool reset = (code & TVE_COLLAPSERESET) && op == TVE_COLLAPSE;
    if ((op == TVE_EXPAND) == expanded && !reset) return true;
    if (op == TVE_EXPAND && !hasChildren(w, n)) return false;
    // Messages tell the parent only until the item has been expanded once; the user always does.
    bool tell = byUser || !(n->state & TVIS_EXPANDEDONCE);
    if (tell && notifyTree(w, TVN_ITEMEXPANDING, op, nullptr, h)) return false;
    if (!(n = find(w, h))) return false;
    if (op == TVE_EXPAND) {
        n->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    } else {
        n->state &= ~TVIS_EXPANDED;
        if (state(w).caret && isAncestor(n, state(w).caret)) selectCaret(w, h, TVC_UNKNOWN);
        if (reset && (n = find(w, h))) {
            n->state &= ~TVIS_EXPANDEDONCE;
            std::vector<HTREEITEM> kids;
            for (Node* k : n->kids) kids.push_back(k->handle);
            for (HTREEITEM k : kids) deleteItem(w, k);
        }
    }
    setTop(w, state(w).top);
    InvalidateRect(w, nullptr, TRUE);
    if (tell && find(w, h)) notifyTree(w, TVN_ITEMEXPANDED, op, nullptr, h);
    return true;
}

// Expands the collapsed ancestors of an item, outermost first; false when one is refused.
bool expandAncestors(HWND w, HTREEITEM h) {
    Node* n = find(w, h);
    std::vector<HTREEITEM> chain;
    for (Node* p = n ? n->parent : nullptr; p; p = p->parent)
        if (!(p->state & TVIS_EXPANDED)) chain.push_back(p->handle);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (!expand(w, *it, TVE_EXPAND, false)) return false;
    return find(w, h) != nullptr;
}

bool selectCaret(HWND w, HTREEITEM h, UINT action) {
    TreeState& st = state(w);
    Node* n = h ? find(st, h) : nullptr;
    if (h && !n) return false;
    if (n == st.caret) {
        if (n && expandAncestors(w, h)) scrollIntoView(w, find(w, h));
        return true;
    }
    HTREEITEM old = handleOf(st.caret);
    if (notifyTree(w, TVN_SELCHANGING, action, old, h)) return false;
    TreeState& now = state(w);
    n = h ? find(now, h) : nullptr;
    if (h && !n) return false;
    if (Node* o = find(now, old)) o->state &= ~TVIS_SELECTED;
    now.caret = n;
    if (n) {
        n->state |= TVIS_SELECTED;
        if (expandAncestors(w, h)) scrollIntoView(w, find(w, h));
    }
    InvalidateRect(w, nullptr, TRUE);
    notifyTree(w, TVN_SELCHANGED, action, old, h);
    return true;
}

void setDropTarget(HWND w, HTREEITEM h) {
    TreeState& st = state(w);
    if (st.drop) st.drop->state &= ~TVIS_DROPHILITED;
    st.drop = h ? find(st, h) : nullptr;
    if (st.drop) st.drop->state |= TVIS_DROPHILITED;
    InvalidateRect(w, nullptr, TRUE);
}

int compareText(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void applyItem(Node* n, const TVITEM& item) {
    if (item.mask & TVIF_TEXT) {
        n->textCallback = item.pszText == LPSTR_TEXTCALLBACK;
        n->text = (item.pszText && !n->textCallback) ? item.pszText : "";
    }
    if (item.mask & TVIF_IMAGE) n->image = item.iImage;
    if (item.mask & TVIF_SELECTEDIMAGE) n->selectedImage = item.iSelectedImage;
    if (item.mask & TVIF_CHILDREN) {
        n->children = item.cChildren;
        n->childrenGiven = true;
    }
    if (item.mask & TVIF_PARAM) n->data = item.lParam;
    if (item.mask & TVIF_STATE) {
        // Selection and drop highlighting follow TVM_SELECTITEM only.
        UINT kept = TVIS_SELECTED | TVIS_DROPHILITED;
        UINT mask = item.stateMask & ~kept;
        n->state = (n->state & ~mask) | (item.state & mask);
    }
}

HTREEITEM insertItem(HWND w, const TVINSERTSTRUCT* ins) {
    if (!ins) return nullptr;
    TreeState& st = state(w);
    Node* parent = nullptr;
    if (ins->hParent && ins->hParent != TVI_ROOT && !(parent = find(st, ins->hParent))) return nullptr;
    static uintptr_t nextHandle = 0x100000;
    auto node = std::make_unique<Node>();
    Node* n = node.get();
    n->handle = reinterpret_cast<HTREEITEM>(nextHandle++);
    n->parent = parent;
    applyItem(n, ins->item);
    std::vector<Node*>& list = parent ? parent->kids : st.roots;
    auto at = list.end();
    if (ins->hInsertAfter == TVI_FIRST) {
        at = list.begin();
    } else if (ins->hInsertAfter == TVI_SORT) {
        const std::string text = textOf(w, n);
        at = std::find_if(list.begin(), list.end(), [&](Node* s) { return compareText(textOf(w, s), text) > 0; });
    } else if (ins->hInsertAfter != TVI_LAST) {
        auto after = std::find_if(list.begin(), list.end(), [&](Node* s) { return s->handle == ins->hInsertAfter; });
        if (after != list.end()) at = after + 1;
    }
    list.insert(at, n);
    st.nodes[n->handle] = std::move(node);
    InvalidateRect(w, nullptr, TRUE);
    return n->handle;
}

void collectSubtree(Node* n, std::vector<Node*>& out) {
    for (Node* k : n->kids) collectSubtree(k, out);
    out.push_back(n);
}

// Deletes an item and its descendants (TVI_ROOT or null: every item), each told to the parent.
bool deleteItem(HWND w, HTREEITEM h) {
    TreeState& st = state(w);
    std::vector<Node*> doomed;
    HTREEITEM nextCaret = nullptr;
    bool caretGone = false;
    if (!h || h == TVI_ROOT) {
        for (Node* r : st.roots) collectSubtree(r, doomed);
        st.roots.clear();
        caretGone = st.caret != nullptr;
        st.caret = nullptr;
    } else {
        Node* n = find(st, h);
        if (!n) return false;
        collectSubtree(n, doomed);
        std::vector<Node*>& list = siblingsOf(st, n);
        auto it = std::find(list.begin(), list.end(), n);
        if (st.caret == n || isAncestor(n, st.caret)) {
            caretGone = true;
            st.caret = nullptr;
            nextCaret = it + 1 != list.end() ? (*(it + 1))->handle
                : it != list.begin() ? (*(it - 1))->handle
                : handleOf(n->parent);
        }
        list.erase(it);
    }
    for (Node* d : doomed) {
        d->deleting = true;
        if (st.drop == d) st.drop = nullptr;
    }
    for (Node* d : doomed) {
        NMTREEVIEW nm{};
        nm.itemOld = itemInfo(d);
        controls::notify(w, &nm.hdr, TVN_DELETEITEM);
        // A parent that destroyed the tree meanwhile took the items with it.
        if (!states().count(w)) return true;
    }
    TreeState& now = state(w);
    for (Node* d : doomed) now.nodes.erase(d->handle);
    setTop(w, now.top);
    InvalidateRect(w, nullptr, TRUE);
    if (caretGone && nextCaret) selectCaret(w, nextCaret, TVC_UNKNOWN);
    return true;
}

HTREEITEM nextItem(HWND w, HTREEITEM h, UINT code) {
    TreeState& st = state(w);
    Node* n = (h && h != TVI_ROOT) ? find(st, h) : nullptr;
    auto sibling = [&](int step) -> HTREEITEM {
        if (!n) return nullptr;
        std::vector<Node*>& list = siblingsOf(st, n);
        auto it = std::find(list.begin(), list.end(), n);
        if (step > 0) return it + 1 != list.end() ? (*(it + 1))->handle : nullptr;
        return it != list.begin() ? (*(it - 1))->handle : nullptr;
    };
    switch (code) {
    case TVGN_ROOT: return st.roots.empty() ? nullptr : st.roots.front()->handle;
    case TVGN_NEXT: return sibling(1);
    case TVGN_PREVIOUS: return sibling(-1);
    case TVGN_PARENT: return n ? handleOf(n->parent) : nullptr;
    case TVGN_CHILD: {
        const std::vector<Node*>& kids = n ? n->kids : st.roots;
        if (!n && h && h != TVI_ROOT) return nullptr;
        return kids.empty() ? nullptr : kids.front()->handle;
    }
    case TVGN_CARET: return handleOf(st.caret);
    case TVGN_DROPHILITE: return handleOf(st.drop);
    case TVGN_FIRSTVISIBLE:
    case TVGN_LASTVISIBLE:
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        std::vector<Node*> rows = visibleItems(st);
        if (rows.empty()) return nullptr;
        if (code == TVGN_FIRSTVISIBLE) return rows[static_cast<size_t>(std::min<int>(st.top, static_cast<int>(rows.size()) - 1))]->handle;
        if (code == TVGN_LASTVISIBLE) return rows.back()->handle;
        int row = rowOf(rows, n);
        if (row < 0) return nullptr;
        row += code == TVGN_NEXTVISIBLE ? 1 : -1;
        return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)]->handle : nullptr;
    }
    default: return nullptr;
    }
}

bool itemRect(HWND w, HTREEITEM h, bool textOnly, RECT* out) {
    TreeState& st = state(w);
    Node* n = find(st, h);
    if (!n) return false;
    int row = rowOf(visibleItems(st), n);
    if (row < 0) return false;
    RowGeometry g = geometry(w, n, row);
    *out = textOnly ? g.label : g.row;
    return true;
}

int copyText(const std::string& s, char* buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) return 0;
    int n = std::min<int>(static_cast<int>(s.size()), bufferMax - 1);
    std::memcpy(buffer, s.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

bool getItem(HWND w, TVITEM* item) {
    if (!item) return false;
    Node* n = find(w, item->hItem);
    if (!n) return false;
    if (item->mask & TVIF_TEXT) copyText(textOf(w, n), item->pszText, item->cchTextMax);
    if (item->mask & TVIF_IMAGE) item->iImage = n->image;
    if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = n->selectedImage;
    if (item->mask & TVIF_CHILDREN)
        item->cChildren = n->childrenGiven && n->kids.empty() ? n->children : (n->kids.empty() ? 0 : 1);
    if (item->mask & TVIF_PARAM) item->lParam = n->data;
    if (item->mask & TVIF_STATE) item->state = n->state & item->stateMask;
    return true;
}

// Keys and mouse.

void toggleByUser(HWND w, HTREEITEM h) { expand(w, h, TVE_TOGGLE, true); }

void keyDown(HWND w, WPARAM key) {
    NMTVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(key);
    controls::notify(w, &nm.hdr, TVN_KEYDOWN);
    if (!IsWindow(w)) return;
    TreeState& st = state(w);
    std::vector<Node*> rows = visibleItems(st);
    if (rows.empty()) return;
    if (key == VK_RETURN) {
        NMHDR h{};
        controls::notify(w, &h, NM_RETURN);
        return;
    }
    Node* caret = st.caret;
    int row = rowOf(rows, caret);
    int last = static_cast<int>(rows.size()) - 1;
    int page = std::max(1, layout(w).perPage);
    auto go = [&](int to) { selectCaret(w, rows[static_cast<size_t>(std::clamp(to, 0, last))]->handle, TVC_BYKEYBOARD); };
    switch (key) {
    case VK_UP: go(row < 0 ? 0 : row - 1); break;
    case VK_DOWN: go(row < 0 ? 0 : row + 1); break;
    case VK_HOME: go(0); break;
    case VK_END: go(last); break;
    case VK_PRIOR: go(row < 0 ? 0 : row - page + 1); break;
    case VK_NEXT: go(row < 0 ? 0 : row + page - 1); break;
    case VK_LEFT:
        if (!caret) go(0);
        else if (caret->state & TVIS_EXPANDED) toggleByUser(w, caret->handle);
        else if (caret->parent) selectCaret(w, caret->parent->handle, TVC_BYKEYBOARD);
        break;
    case VK_RIGHT:
        if (!caret) go(0);
        else if (!(caret->state & TVIS_EXPANDED)) {
            if (hasChildren(w, caret)) toggleByUser(w, caret->handle);
        } else if (!caret->kids.empty()) {
            selectCaret(w, caret->kids.front()->handle, TVC_BYKEYBOARD);
        }
        break;
    case VK_ADD:
    case VK_SUBTRACT:
        if (caret && ((key == VK_ADD) != ((caret->state & TVIS_EXPANDED) != 0))) toggleByUser(w, caret->handle);
        break;
    default: break;
    }
}

controls::ScrollBar scrollBar(HWND w) {
    Layout l = layout(w);
    RECT client;
    GetClientRect(w, &client);
    return controls::scrollBar(RECT{l.view.right, 0, client.right, client.bottom}, true, l.count, l.perPage,
                               state(w).top);
}

void scrollRequest(HWND w, WORD request, int position) {
    TreeState& st = state(w);
    int page = std::max(1, layout(w).perPage);
    int to = st.top;
    switch (request) {
    case SB_LINEUP: to -= 1; break;
    case SB_LINEDOWN: to += 1; break;
    case SB_PAGEUP: to -= page; break;
    case SB_PAGEDOWN: to += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: to = position; break;
    case SB_TOP: to = 0; break;
    case SB_BOTTOM: to = INT_MAX; break;
    default: break;
    }
    setTop(w, to);
}

void buttonDown(HWND w, LPARAM lParam, bool doubleClick) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (GetFocus() != w) SetFocus(w);
    if (!IsWindow(w)) return;
    Layout l = layout(w);
    WORD request = 0;
    if (l.vbar && controls::scrollBarRequest(scrollBar(w), p, request)) {
        SendMessage(w, WM_VSCROLL, MAKEWPARAM(request, 0), 0);
        return;
    }
    TVHITTESTINFO info{};
    info.pt = p;
    hitTest(w, &info);
    HTREEITEM h = info.hItem;
    bool onItem = (info.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)) ||
        ((style(w) & TVS_FULLROWSELECT) && (info.flags & (TVHT_ONITEMRIGHT | TVHT_ONITEMINDENT)));
    if (info.flags & TVHT_ONITEMBUTTON) {
        toggleByUser(w, h);
        return;
    }
    if (doubleClick) {
        NMHDR hdr{};
        if (controls::notify(w, &hdr, NM_DBLCLK) || !IsWindow(w)) return;
        if (onItem) toggleByUser(w, h);
        return;
    }
    if (onItem) selectCaret(w, h, TVC_BYMOUSE);
    if (!IsWindow(w)) return;
    NMHDR hdr{};
    controls::notify(w, &hdr, NM_CLICK);
}

// Painting.

COLORREF color(COLORREF chosen, int system) { return chosen == CLR_DEFAULT ? GetSysColor(system) : chosen; }

void dottedLine(HDC dc, int x0, int y0, int x1, int y1, COLORREF c) {
    if (x0 == x1)
        for (int y = y0 + ((y0 + x0) & 1); y < y1; y += 2) SetPixel(dc, x0, y, c);
    else
        for (int x = x0 + ((x0 + y0) & 1); x < x1; x += 2) SetPixel(dc, x, y0, c);
}

bool hasNextSibling(TreeState& st, Node* n) {
    std::vector<Node*>& list = siblingsOf(st, n);
    return !list.empty() && list.back() != n;
}

void paintLinesAndButton(HWND w, HDC dc, Node* n, const RowGeometry& g) {
    TreeState& st = state(w);
    const DWORD s = style(w);
    const int mid = (g.row.top + g.row.bottom) / 2;
    const COLORREF gray = GetSysColor(COLOR_GRAYTEXT);
    if ((s & TVS_HASLINES) && g.column >= 0) {
        int cx = g.column + st.indent / 2;
        bool firstRoot = !n->parent && st.roots.front() == n;
        dottedLine(dc, cx, firstRoot ? mid : g.row.top, cx, hasNextSibling(st, n) ? g.row.bottom : mid + 1, gray);
        dottedLine(dc, cx, mid, g.column + st.indent, mid, gray);
        // The lines of the ancestors that have siblings below pass through the row.
        int col = g.column;
        for (Node* a = n->parent; a; a = a->parent) {
            col -= st.indent;
            if (col < 0) break;
            if (hasNextSibling(st, a)) dottedLine(dc, col + st.indent / 2, g.row.top, col + st.indent / 2, g.row.bottom, gray);
        }
    }
    if (hasButton(w, n, g)) {
        int cx = g.column + st.indent / 2;
        RECT box{cx - kButtonSize / 2, mid - kButtonSize / 2, cx - kButtonSize / 2 + kButtonSize, mid - kButtonSize / 2 + kButtonSize};
        controls::fill(dc, box, GetSysColor(COLOR_WINDOW));
        FrameRect(dc, &box, GetSysColorBrush(COLOR_GRAYTEXT));
        const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
        controls::fill(dc, RECT{box.left + 2, mid, box.right - 2, mid + 1}, ink);
        if (!(n->state & TVIS_EXPANDED)) controls::fill(dc, RECT{cx, box.top + 2, cx + 1, box.bottom - 2}, ink);
    }
}

void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    TreeState& st = state(w);
    Layout l = layout(w);
    RECT client;
    GetClientRect(w, &client);
    const bool enabled = IsWindowEnabled(w) != FALSE;
    controls::fill(dc, client, enabled ? color(st.back, COLOR_WINDOW) : GetSysColor(COLOR_3DFACE));
    HGDIOBJ oldFont = controls::selectFont(w, dc);
    SetBkMode(dc, TRANSPARENT);
    std::vector<Node*> rows = visibleItems(st);
    SaveDC(dc);
    IntersectClipRect(dc, 0, 0, l.view.right, l.view.bottom);
    for (int i = st.top; i < static_cast<int>(rows.size()); ++i) {
        Node* n = rows[static_cast<size_t>(i)];
        RowGeometry g = geometry(w, n, i);
        if (g.row.top >= l.view.bottom) break;
        paintLinesAndButton(w, dc, n, g);
        const bool selected = n == st.caret && !st.drop;
        if (st.normal && g.image.right > g.image.left) {
            SIZE img = imageSize(w);
            ImageList_Draw(st.normal, imageOf(w, n, n == st.caret), dc, g.image.left,
                        g.row.top + (l.row - img.cy) / 2, kDrawTransparent);
        }
        const bool lit = n == st.drop || (selected && st.focus);
        const bool shaded = selected && !st.focus && (style(w) & TVS_SHOWSELALWAYS);
        RECT label = g.label;
        if (lit || shaded) controls::fill(dc, label, GetSysColor(lit ? COLOR_HIGHLIGHT : COLOR_3DFACE));
        SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT)
                         : lit ? GetSysColor(COLOR_HIGHLIGHTTEXT) : color(st.text, COLOR_WINDOWTEXT));
        RECT t{label.left + kLabelPadding, label.top, label.right, label.bottom};
        const std::string text = textOf(w, n);
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (selected && st.focus) DrawFocusRect(dc, &label);
    }
    RestoreDC(dc, -1);
    if (l.vbar) controls::paintScrollBar(dc, scrollBar(w));
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(w, &ps);
}

LRESULT CALLBACK TreeViewProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        states()[w] = TreeState{};
        break;
    case WM_NCDESTROY:
        // The parent hears of every item going, as with TVM_DELETEITEM.
        deleteItem(w, TVI_ROOT);
        states().erase(w);
        break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(w); return 0;
    case WM_SETFONT:
    case WM_SIZE: {
        LRESULT r = message == WM_SETFONT ? DefWindowProc(w, message, wParam, lParam) : 0;
        setTop(w, state(w).top);
        InvalidateRect(w, nullptr, TRUE);
        return r;
    }
    case WM_ENABLE: InvalidateRect(w, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        state(w).focus = message == WM_SETFOCUS;
        InvalidateRect(w, nullptr, TRUE);
        NMHDR h{};
        controls::notify(w, &h, message == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;
    }
    case WM_LBUTTONDOWN: buttonDown(w, lParam, false); return 0;
    case WM_LBUTTONDBLCLK: buttonDown(w, lParam, true); return 0;
    case WM_RBUTTONDOWN: {
        NMHDR h{};
        controls::notify(w, &h, NM_RCLICK);
        return 0;
    }
    case WM_KEYDOWN: keyDown(w, wParam); return 0;
    case WM_CHAR:
        if (wParam == '+' || wParam == '-') keyDown(w, wParam == '+' ? VK_ADD : VK_SUBTRACT);
        return 0;
    case WM_MOUSEWHEEL: setTop(w, state(w).top - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA); return 0;
    case WM_VSCROLL: scrollRequest(w, LOWORD(wParam), static_cast<short>(HIWORD(wParam))); return 0;

    case TVM_INSERTITEM: return reinterpret_cast<LRESULT>(insertItem(w, reinterpret_cast<const TVINSERTSTRUCT*>(lParam)));
    case TVM_DELETEITEM: return deleteItem(w, reinterpret_cast<HTREEITEM>(lParam)) ? TRUE : FALSE;
    case TVM_EXPAND: return expand(w, reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam), false) ? TRUE : FALSE;
    case TVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return FALSE;
        HTREEITEM h;
        std::memcpy(&h, r, sizeof h);
        return itemRect(w, h, wParam != 0, r) ? TRUE : FALSE;
    }
    case TVM_GETCOUNT: return static_cast<LRESULT>(state(w).nodes.size());
    case TVM_GETINDENT: return state(w).indent;
    case TVM_SETINDENT:
        state(w).indent = std::max(static_cast<int>(wParam), 1);
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case TVM_GETIMAGELIST: return reinterpret_cast<LRESULT>(wParam == TVSIL_STATE ? state(w).stateList : state(w).normal);
    case TVM_SETIMAGELIST: {
        HIMAGELIST& slot = wParam == TVSIL_STATE ? state(w).stateList : state(w).normal;
        HIMAGELIST old = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        setTop(w, state(w).top);
        InvalidateRect(w, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM: return reinterpret_cast<LRESULT>(nextItem(w, reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam)));
    case TVM_SELECTITEM: {
        auto h = reinterpret_cast<HTREEITEM>(lParam);
        if (h && !find(w, h)) return FALSE;
        switch (wParam & 0xFF) {
        case TVGN_CARET: return selectCaret(w, h, TVC_UNKNOWN) ? TRUE : FALSE;
        case TVGN_DROPHILITE: setDropTarget(w, h); return TRUE;
        case TVGN_FIRSTVISIBLE:
            if (!h || !expandAncestors(w, h)) return FALSE;
            setTop(w, rowOf(visibleItems(state(w)), find(w, h)));
            return TRUE;
        default: return FALSE;
        }
    }
    case TVM_GETITEM: return getItem(w, reinterpret_cast<TVITEM*>(lParam)) ? TRUE : FALSE;
    case TVM_SETITEM: {
        auto* item = reinterpret_cast<const TVITEM*>(lParam);
        Node* n = item ? find(w, item->hItem) : nullptr;
        if (!n) return FALSE;
        applyItem(n, *item);
        setTop(w, state(w).top);
        InvalidateRect(w, nullptr, TRUE);
        return TRUE;
    }
    case TVM_GETITEMSTATE: {
        Node* n = find(w, reinterpret_cast<HTREEITEM>(wParam));
        return n ? static_cast<LRESULT>(n->state & static_cast<UINT>(lParam)) : 0;
    }
    case TVM_GETVISIBLECOUNT: return layout(w).perPage;
    case TVM_HITTEST: {
        auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
        if (!info) return 0;
        hitTest(w, info);
        return reinterpret_cast<LRESULT>(info->hItem);
    }
    case TVM_ENSUREVISIBLE: {
        auto h = reinterpret_cast<HTREEITEM>(lParam);
        if (!find(w, h) || !expandAncestors(w, h)) return FALSE;
        scrollIntoView(w, find(w, h));
        return TRUE;
    }
    case TVM_SETITEMHEIGHT: {
        int old = itemHeight(w);
        int h = static_cast<int>(static_cast<INT_PTR>(wParam));
        state(w).itemHeight = h <= 0 ? -1 : h;
        setTop(w, state(w).top);
        InvalidateRect(w, nullptr, TRUE);
        return old;
    }
    case TVM_GETITEMHEIGHT: return itemHeight(w);
    case TVM_SETBKCOLOR:
    case TVM_SETTEXTCOLOR: {
        COLORREF& slot = message == TVM_SETBKCOLOR ? state(w).back : state(w).text;
        COLORREF old = slot;
        slot = lParam == -1 ? CLR_DEFAULT : static_cast<COLORREF>(lParam);
        InvalidateRect(w, nullptr, TRUE);
        return old == CLR_DEFAULT ? -1 : static_cast<LRESULT>(old);
    }
    case TVM_GETBKCOLOR: return state(w).back == CLR_DEFAULT ? -1 : static_cast<LRESULT>(state(w).back);
    case TVM_GETTEXTCOLOR: return state(w).text == CLR_DEFAULT ? -1 : static_cast<LRESULT>(state(w).text);
    default: break;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

}  // namespace

const SystemClass& treeViewSystemClass() {
    static const SystemClass c{WC_TREEVIEW, 0, CS_DBLCLKS, TreeViewProc, 0, nullptr};
    return c;
}
