// The tree of windows: classes, creation and destruction, properties, geometry, invalidation
// and the default window procedure.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include "win/headless.h"
#include "win/systemclasses.h"
#include "win/windowstate.h"
#include "win/wingdi.h"

namespace winstate {
namespace {

std::map<uintptr_t, std::unique_ptr<Window>>& table() {
    static std::map<uintptr_t, std::unique_ptr<Window>> t;
    return t;
}

std::map<std::string, WindowClass>& classes() {
    static std::map<std::string, WindowClass> c;
    return c;
}

std::string lower(const char* s) {
    std::string r = s ? s : "";
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

uintptr_t nextHandle = 0x10000;

struct CreateHook {
    void (*hook)(HWND, void*) = nullptr;
    void* data = nullptr;
};
CreateHook g_createHook;

}  // namespace

Window* find(HWND hwnd) {
    auto it = table().find(reinterpret_cast<uintptr_t>(hwnd));
    return it == table().end() ? nullptr : it->second.get();
}

std::vector<HWND> allWindows() {
    std::vector<HWND> all;
    for (auto& [h, w] : table()) all.push_back(w->hwnd);
    return all;
}

std::vector<HWND>& topLevel() {
    static std::vector<HWND> t;
    return t;
}

std::vector<HWND>& siblings(Window* w) {
    Window* p = w->parent ? find(w->parent) : nullptr;
    return p ? p->children : topLevel();
}

bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT frameInsets(DWORD style, DWORD exStyle) {
    int b = 0;
    if (style & WS_THICKFRAME) b = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) b = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER) b = GetSystemMetrics(SM_CXBORDER);
    if (exStyle & WS_EX_CLIENTEDGE) b += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE) b += GetSystemMetrics(SM_CXBORDER);
    RECT r{b, b, b, b};
    if ((style & WS_CAPTION) == WS_CAPTION) r.top += GetSystemMetrics(SM_CYCAPTION);
    return r;
}

RECT clientInParent(const Window* w) {
    RECT in = frameInsets(w->style, w->exStyle);
    RECT r{w->rect.left + in.left, w->rect.top + in.top, w->rect.right - in.right, w->rect.bottom - in.bottom};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

POINT clientOrigin(HWND hwnd) {
    POINT p{0, 0};
    for (Window* w = find(hwnd); w; w = w->parent ? find(w->parent) : nullptr) {
        RECT c = clientInParent(w);
        p.x += c.left;
        p.y += c.top;
    }
    return p;
}

}  // namespace winstate

using namespace winstate;

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long n = static_cast<long long>(a) * b;
    long long half = (c > 0 ? c : -c) / 2;
    long long q = ((n >= 0) == (c > 0)) ? (n + ((n >= 0) ? half : -half)) / c : (n - ((n >= 0) ? half : -half)) / c;
    return static_cast<int>(q);
}

WORD RegisterClass(const WNDCLASS* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || !*wc->lpszClassName) return 0;
    std::string key = lower(wc->lpszClassName);
    if (classes().count(key)) return 0;
    WindowClass& c = classes()[key];
    c.wc = *wc;
    c.name = wc->lpszClassName;
    c.wc.lpszClassName = c.name.c_str();
    c.wc.lpszMenuName = nullptr;
    c.global = (wc->style & CS_GLOBALCLASS) != 0;
    return static_cast<WORD>(0xC000 + classes().size());
}

BOOL UnregisterClass(const char* className, HINSTANCE) {
    std::string key = lower(className);
    auto it = classes().find(key);
    if (it == classes().end()) return FALSE;
    for (auto& [h, w] : table())
        if (w->cls == &it->second) return FALSE;
    classes().erase(it);
    return TRUE;
}

BOOL GetClassInfo(HINSTANCE, const char* className, WNDCLASS* wc) {
    auto it = classes().find(lower(className));
    if (it == classes().end()) return FALSE;
    if (wc) *wc = it->second.wc;
    return TRUE;
}

int GetClassName(HWND hwnd, char* buffer, int bufferMax) {
    Window* w = find(hwnd);
    if (!w || !buffer || bufferMax <= 0) return 0;
    int n = std::min<int>(static_cast<int>(w->className.size()), bufferMax - 1);
    std::memcpy(buffer, w->className.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                    HINSTANCE instance, void* param) {
    // The hook belongs to this call, whether or not it makes a window.
    CreateHook hook = g_createHook;
    g_createHook = CreateHook{};
    cadhostRegisterControlClasses();
    auto it = classes().find(lower(className));
    if (it == classes().end()) return nullptr;
    if ((style & WS_CHILD) && !find(parent)) return nullptr;
    if (parent && !find(parent)) return nullptr;
    if (x == CW_USEDEFAULT) { x = 0; y = 0; }
    if (width == CW_USEDEFAULT) { width = 640; height = 480; }
    auto w = std::make_unique<Window>();
    HWND hwnd = reinterpret_cast<HWND>(nextHandle);
    nextHandle += 4;
    w->hwnd = hwnd;
    w->cls = &it->second;
    w->className = it->second.name;
    w->proc = it->second.wc.lpfnWndProc;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    w->instance = instance;
    w->extra.assign(static_cast<size_t>(std::max(it->second.wc.cbWndExtra, 0) + 7) / 8, 0);
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = reinterpret_cast<UINT_PTR>(menuOrId);
    } else if (parent) {
        Window* o = find(parent);
        while (o && (o->style & WS_CHILD) && o->parent) o = find(o->parent);
        w->owner = o ? o->hwnd : nullptr;
    }
    Window* raw = w.get();
    table()[reinterpret_cast<uintptr_t>(hwnd)] = std::move(w);
    // Top-level windows open on top; children are added at the bottom, so that the order of
    // siblings (and the tab order of a dialog) is the order of creation.
    auto& list = siblings(raw);
    // Topmost windows stay above the others.
    if (style & WS_CHILD) list.push_back(hwnd);
    else if (exStyle & WS_EX_TOPMOST) list.insert(list.begin(), hwnd);
    else list.insert(std::find_if(list.begin(), list.end(), [](HWND h) { return !(find(h)->exStyle & WS_EX_TOPMOST); }), hwnd);

    if (hook.hook) hook.hook(hwnd, hook.data);
    CREATESTRUCT cs{param, instance, menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
                    windowName, className, exStyle};
    if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!find(hwnd)) return nullptr;
    if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    Window* made = find(hwnd);
    if (!made) return nullptr;
    made->created = true;
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    RECT c = clientInParent(made);
    SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
    if ((style & WS_VISIBLE) && find(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return find(hwnd) ? hwnd : nullptr;
}

namespace {

void destroyTree(HWND hwnd) {
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    Window* w = find(hwnd);
    if (w) {
        std::vector<HWND> kids = w->children;
        for (auto k = kids.rbegin(); k != kids.rend(); ++k)
            if (find(*k)) destroyTree(*k);
    }
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    w = find(hwnd);
    if (!w) return;
    auto& list = siblings(w);
    list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
    removeTimers(hwnd);
    removeQueued(hwnd);
    table().erase(reinterpret_cast<uintptr_t>(hwnd));
}

}  // namespace

BOOL DestroyWindow(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w || w->destroying) return w ? TRUE : FALSE;
    // Owned windows go first.
    std::vector<HWND> owned;
    for (auto& [h, other] : table())
        if (other->owner == hwnd) owned.push_back(other->hwnd);
    for (HWND o : owned) DestroyWindow(o);
    w = find(hwnd);
    if (!w) return TRUE;
    w->destroying = true;
    if (w->style & WS_VISIBLE) {
        w->style &= ~WS_VISIBLE;
        if (w->parent) InvalidateRect(w->parent, nullptr, TRUE);
    }
    forgetWindow(hwnd);
    // Every window of the subtree is marked first so that nothing re-enters its destruction.
    std::vector<HWND> stack{hwnd};
    while (!stack.empty()) {
        Window* s = find(stack.back());
        stack.pop_back();
        if (!s) continue;
        s->destroying = true;
        stack.insert(stack.end(), s->children.begin(), s->children.end());
    }
    destroyTree(hwnd);
    return TRUE;
}

void cadhostHookNextCreate(void (*hook)(HWND hwnd, void* data), void* data) {
    g_createHook = CreateHook{hook, data};
}

int cadhostWindowCount() { return static_cast<int>(table().size()); }

BOOL IsWindow(HWND hwnd) { return find(hwnd) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND hwnd) {
    Window* w = find(hwnd);
    while (w && (w->style & WS_CHILD) && w->parent) {
        if (w->parent == parent) return TRUE;
        w = find(w->parent);
    }
    return FALSE;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = find(hwnd);
    if (!w || !w->proc) return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
    Window* w = find(hwnd);
    if (!w) return 0;
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_ID: return static_cast<LONG_PTR>(w->id);
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWLP_USERDATA: return w->userData;
    default:
        if (index >= 0 && index % 8 == 0 && static_cast<size_t>(index / 8) < w->extra.size())
            return w->extra[static_cast<size_t>(index / 8)];
        return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
    Window* w = find(hwnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtr(hwnd, index);
    switch (index) {
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWLP_ID: w->id = static_cast<UINT_PTR>(value); break;
    case GWL_STYLE: w->style = (w->style & WS_VISIBLE) | (static_cast<DWORD>(value) & ~WS_VISIBLE); break;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    default:
        if (index >= 0 && index % 8 == 0 && static_cast<size_t>(index / 8) < w->extra.size())
            w->extra[static_cast<size_t>(index / 8)] = value;
        else
            return 0;
    }
    return old;
}

LONG GetWindowLong(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtr(hwnd, index)); }
LONG SetWindowLong(HWND hwnd, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtr(hwnd, index, value));
}

BOOL SetWindowText(HWND hwnd, const char* text) {
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowText(HWND hwnd, char* buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) return 0;
    buffer[0] = '\0';
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(bufferMax), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) { return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

HWND GetParent(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return nullptr;
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND SetParent(HWND hwnd, HWND newParent) {
    Window* w = find(hwnd);
    if (!w || (newParent && !find(newParent)) || newParent == hwnd || IsChild(hwnd, newParent)) return nullptr;
    HWND old = w->parent;
    auto& from = siblings(w);
    from.erase(std::remove(from.begin(), from.end(), hwnd), from.end());
    w->parent = newParent;
    if (newParent) w->style |= WS_CHILD;
    auto& to = siblings(w);
    to.insert(to.begin(), hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
    return old ? old : GetDesktopWindow();
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    Window* w = find(hwnd);
    if (!w) return nullptr;
    if (flags == GA_PARENT) return w->parent;
    while (w->parent && (w->style & WS_CHILD)) w = find(w->parent);
    if (flags == GA_ROOTOWNER)
        while (w->owner && find(w->owner)) w = find(w->owner);
    return w->hwnd;
}

HWND GetDesktopWindow() { return nullptr; }

HWND GetWindow(HWND hwnd, UINT relation) {
    Window* w = find(hwnd);
    if (!w) return nullptr;
    if (relation == GW_OWNER) return w->owner;
    if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    auto& list = siblings(w);
    auto it = std::find(list.begin(), list.end(), hwnd);
    switch (relation) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return (it + 1 != list.end()) ? *(it + 1) : nullptr;
    case GW_HWNDPREV: return it != list.begin() ? *(it - 1) : nullptr;
    default: return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd) {
    if (!hwnd) return topLevel().empty() ? nullptr : topLevel().front();
    Window* w = find(hwnd);
    return (w && !w->children.empty()) ? w->children.front() : nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
    Window* w = find(dialog);
    if (!w) return nullptr;
    for (HWND c : w->children) {
        Window* cw = find(c);
        if (cw && static_cast<int>(cw->id) == id) return c;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    Window* w = find(hwnd);
    return (w && (w->style & WS_CHILD)) ? static_cast<int>(w->id) : 0;
}

BOOL IsWindowVisible(HWND hwnd) {
    for (Window* w = find(hwnd); w; w = (w->style & WS_CHILD) && w->parent ? find(w->parent) : nullptr)
        if (!(w->style & WS_VISIBLE)) return FALSE;
    return find(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
    Window* w = find(hwnd);
    return (w && !(w->style & WS_DISABLED)) ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    Window* w = find(hwnd);
    if (!w || !rect) return FALSE;
    POINT o{0, 0};
    if (w->parent && (w->style & WS_CHILD)) o = clientOrigin(w->parent);
    *rect = RECT{w->rect.left + o.x, w->rect.top + o.y, w->rect.right + o.x, w->rect.bottom + o.y};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    Window* w = find(hwnd);
    if (!w || !rect) return FALSE;
    RECT c = clientInParent(w);
    *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    RECT old = w->rect;
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) { r.right += x - r.left; r.bottom += y - r.top; r.left = x; r.top = y; }
    if (!(flags & SWP_NOSIZE)) { r.right = r.left + std::max(cx, 0); r.bottom = r.top + std::max(cy, 0); }
    if (!(flags & SWP_NOZORDER)) {
        auto& list = siblings(w);
        list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
        if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
        if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST) list.insert(list.begin(), hwnd);
        else if (insertAfter == HWND_BOTTOM || insertAfter == HWND_NOTOPMOST) list.push_back(hwnd);
        else {
            auto at = std::find(list.begin(), list.end(), insertAfter);
            list.insert(at == list.end() ? list.begin() : at + 1, hwnd);
        }
    }
    w->rect = r;
    bool moved = r.left != old.left || r.top != old.top;
    bool sized = (r.right - r.left) != (old.right - old.left) || (r.bottom - r.top) != (old.bottom - old.top);
    if (!(flags & SWP_NOREDRAW) && (moved || sized)) {
        InvalidateRect(hwnd, nullptr, TRUE);
        if (w->parent) InvalidateRect(w->parent, nullptr, TRUE);
    }
    if (sized) {
        RECT client;
        GetClientRect(hwnd, &client);
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
    if (moved && find(hwnd)) {
        RECT c = clientInParent(find(hwnd));
        SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    if (!find(hwnd) || !point) return FALSE;
    POINT o = clientOrigin(hwnd);
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    if (!find(hwnd) || !point) return FALSE;
    POINT o = clientOrigin(hwnd);
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    POINT a = from ? clientOrigin(from) : POINT{0, 0};
    POINT b = to ? clientOrigin(to) : POINT{0, 0};
    int dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(dx, dy);
}

namespace {

// The deepest visible window at a screen point below the given list of siblings, skipping those
// that answer HTTRANSPARENT.
HWND hitIn(const std::vector<HWND>& list, POINT screen) {
    std::vector<HWND> copy = list;
    for (HWND h : copy) {
        Window* w = find(h);
        if (!w || !(w->style & WS_VISIBLE)) continue;
        RECT r;
        GetWindowRect(h, &r);
        if (!PtInRect(&r, screen)) continue;
        if (!(w->style & WS_DISABLED)) {
            HWND deeper = hitIn(w->children, screen);
            if (deeper) return deeper;
        }
        if (SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT) continue;
        return h;
    }
    return nullptr;
}

}  // namespace

HWND WindowFromPoint(POINT screenPoint) { return hitIn(topLevel(), screenPoint); }

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint) {
    Window* w = find(parent);
    if (!w) return nullptr;
    RECT client;
    GetClientRect(parent, &client);
    if (!PtInRect(&client, clientPoint)) return nullptr;
    for (HWND h : w->children) {
        Window* c = find(h);
        if (c && PtInRect(&c->rect, clientPoint)) return h;
    }
    return parent;
}

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}
BOOL SetRectEmpty(RECT* rect) { return SetRect(rect, 0, 0, 0, 0); }
BOOL IsRectEmpty(const RECT* rect) { return !rect || isEmpty(*rect); }
BOOL PtInRect(const RECT* rect, POINT p) {
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}
BOOL OffsetRect(RECT* rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx; rect->right += dx; rect->top += dy; rect->bottom += dy;
    return TRUE;
}
BOOL InflateRect(RECT* rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left -= dx; rect->right += dx; rect->top -= dy; rect->bottom += dy;
    return TRUE;
}
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
    if (!out || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
    if (isEmpty(r)) { SetRectEmpty(out); return FALSE; }
    *out = r;
    return TRUE;
}
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
    if (!out || !a || !b) return FALSE;
    if (isEmpty(*a)) { *out = *b; return !isEmpty(*b); }
    if (isEmpty(*b)) { *out = *a; return TRUE; }
    *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    return TRUE;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    RECT client;
    GetClientRect(hwnd, &client);
    RECT r = rect ? *rect : client;
    IntersectRect(&r, &r, &client);
    UnionRect(&w->invalid, &w->invalid, &r);
    if (erase) w->eraseNeeded = true;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    SetRectEmpty(&w->invalid);
    w->eraseNeeded = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->invalid;
    return isEmpty(w->invalid) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    if (!isEmpty(w->invalid) && IsWindowVisible(hwnd)) {
        w->paintPending = true;
        w->paintRect = w->invalid;
        w->paintErase = w->eraseNeeded;
        SetRectEmpty(&w->invalid);
        w->eraseNeeded = false;
        SendMessage(hwnd, WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    if (flags & RDW_INVALIDATE) InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
    if (flags & RDW_ALLCHILDREN)
        for (HWND c : std::vector<HWND>(w->children)) RedrawWindow(c, nullptr, nullptr, flags);
    if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    Window* w = find(hwnd);
    if (!w || !paint) return nullptr;
    std::memset(paint, 0, sizeof(*paint));
    if (w->paintPending) {
        paint->rcPaint = w->paintRect;
        paint->fErase = w->paintErase ? TRUE : FALSE;
    } else {
        paint->rcPaint = w->invalid;
        paint->fErase = w->eraseNeeded ? TRUE : FALSE;
    }
    w->paintPending = false;
    SetRectEmpty(&w->invalid);
    w->eraseNeeded = false;
    HDC dc = w->paintTarget;
    paint->fRestore = dc ? FALSE : TRUE;
    if (!dc) dc = makeScratchDC(hwnd);
    paint->hdc = dc;
    if (paint->fErase) paint->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (paint && paint->fRestore) DeleteDC(paint->hdc);
    return TRUE;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = find(hwnd);
    if (!w) return 0;
    switch (message) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
        return TRUE;
    }
    case WM_SETTEXT:
        w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        int max = static_cast<int>(wParam);
        if (!buffer || max <= 0) return 0;
        int n = std::min<int>(static_cast<int>(w->text.size()), max - 1);
        std::memcpy(buffer, w->text.data(), static_cast<size_t>(n));
        buffer[n] = '\0';
        return n;
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_SETREDRAW:
        w->noRedraw = wParam == 0;
        if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
    case WM_SETICON: {
        HICON& slot = wParam == ICON_BIG ? w->bigIcon : w->smallIcon;
        HICON previous = slot;
        slot = reinterpret_cast<HICON>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON:
        if (wParam == ICON_BIG) return reinterpret_cast<LRESULT>(w->bigIcon);
        return reinterpret_cast<LRESULT>(w->smallIcon || wParam != ICON_SMALL2 ? w->smallIcon : w->bigIcon);
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_ERASEBKGND: {
        HBRUSH brush = w->cls ? w->cls->wc.hbrBackground : nullptr;
        if (!brush) return 0;
        // A class background of COLOR_xxx + 1 names a system colour.
        uintptr_t v = reinterpret_cast<uintptr_t>(brush);
        if (v > 0 && v <= 31) brush = GetSysColorBrush(static_cast<int>(v - 1));
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCHITTEST: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT wr;
        GetWindowRect(hwnd, &wr);
        if (!PtInRect(&wr, p)) return HTNOWHERE;
        ScreenToClient(hwnd, &p);
        RECT cr;
        GetClientRect(hwnd, &cr);
        if (PtInRect(&cr, p)) return HTCLIENT;
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (LRESULT border = frameHitTest(hwnd, screen)) return border;
        return ((w->style & WS_CAPTION) == WS_CAPTION && p.y < 0) ? HTCAPTION : HTNOWHERE;
    }
    case WM_NCLBUTTONDOWN:
        if (static_cast<LRESULT>(wParam) >= HTLEFT && static_cast<LRESULT>(wParam) <= HTBOTTOMRIGHT)
            SendMessage(hwnd, WM_SYSCOMMAND, SC_SIZE + (wParam - HTLEFT + WMSZ_LEFT), lParam);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SIZE) sizeLoop(hwnd, wParam & 0x000F);
        return 0;
    case WM_SETCURSOR: {
        // The parent decides first; then the class cursor in the client area, the sizing
        // cursors on the sizing borders.
        if ((w->style & WS_CHILD) && w->parent && SendMessage(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
        const LRESULT hit = static_cast<short>(LOWORD(lParam));
        LPCSTR sizing = hit == HTLEFT || hit == HTRIGHT ? IDC_SIZEWE
            : hit == HTTOP || hit == HTBOTTOM ? IDC_SIZENS
            : hit == HTTOPLEFT || hit == HTBOTTOMRIGHT ? IDC_SIZENWSE
            : hit == HTTOPRIGHT || hit == HTBOTTOMLEFT ? IDC_SIZENESW
            : nullptr;
        if (sizing) SetCursor(LoadCursor(nullptr, sizing));
        else if (hit == HTCLIENT && w->cls && w->cls->wc.hCursor) SetCursor(w->cls->wc.hCursor);
        else if (hit != HTCLIENT) SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return hit == HTCLIENT && !(w->cls && w->cls->wc.hCursor) ? FALSE : TRUE;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
        if ((w->style & WS_CHILD) && w->parent) return SendMessage(w->parent, message, wParam, lParam);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        // Edit fields and lists sit on the window colour, everything else on the face colour.
        int back = (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) ? COLOR_WINDOW : COLOR_3DFACE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(back));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
    }
    case WM_MOUSEACTIVATE: return 1;  // MA_ACTIVATE
    case WM_NCACTIVATE:
        w->captionActive = wParam != 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) ReleaseCapture();
        return 0;
    default: return 0;
    }
}
