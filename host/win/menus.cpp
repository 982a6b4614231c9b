// Menus: a tree of items kept by handle, built from resources or item by item, and popup menus
// tracked in a window of the menu class: drawn in the classic look (raised frame, check marks,
// greyed items embossed, etched separators), chosen by click, arrow keys and Enter or their
// mnemonic, cancelled by Escape, a click outside or the end of input.
#include "win/menus.h"
#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "win/controlsupport.h"
#include "win/headless.h"
#include "win/resources.h"
#include "win/systemclasses.h"
#include "win/wingdi.h"

struct HMENU__ {
    struct Item {
        UINT flags = 0;  // MF_SEPARATOR, MF_POPUP, MF_CHECKED, MF_GRAYED, MF_DISABLED and the break flags
        UINT_PTR id = 0;
        HMENU popup = nullptr;
        std::string text;
    };
    std::vector<Item> items;
};

namespace {

using Item = HMENU__::Item;
constexpr UINT kStateFlags = MF_CHECKED | MF_GRAYED | MF_DISABLED;

std::set<HMENU>& menus() {
    static std::set<HMENU> s;
    return s;
}

HMENU live(HMENU m) { return menus().count(m) ? m : nullptr; }

HMENU newMenu() {
    HMENU m = new HMENU__;
    menus().insert(m);
    return m;
}

// The item by position, or by command searched depth first through the popups.
Item* findItem(HMENU menu, UINT which, UINT flags, HMENU* owner = nullptr, int* index = nullptr) {
    if (!live(menu)) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (which >= menu->items.size()) return nullptr;
        if (owner) *owner = menu;
        if (index) *index = static_cast<int>(which);
        return &menu->items[which];
    }
    for (size_t i = 0; i < menu->items.size(); ++i) {
        Item& item = menu->items[i];
        if (item.popup) {
            if (Item* inner = findItem(item.popup, which, flags, owner, index)) return inner;
        } else if (!(item.flags & MF_SEPARATOR) && item.id == which) {
            if (owner) *owner = menu;
            if (index) *index = static_cast<int>(i);
            return &item;
        }
    }
    return nullptr;
}

Item makeItem(UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    Item item;
    item.flags = flags & ~(MF_BYPOSITION | MF_STRING);
    if (flags & MF_POPUP) item.popup = reinterpret_cast<HMENU>(idOrPopup);
    else item.id = idOrPopup;
    if (!(flags & MF_SEPARATOR) && text) item.text = text;
    return item;
}

HMENU fromTemplate(const std::vector<cadhost::res::MenuItem>& items) {
    HMENU m = newMenu();
    for (const cadhost::res::MenuItem& t : items) {
        Item item;
        item.flags = (t.type & (MF_SEPARATOR | MF_MENUBREAK | MF_MENUBARBREAK | MF_HELP)) | (t.state & kStateFlags);
        item.text = t.text;
        if (t.popup) {
            item.flags |= MF_POPUP;
            item.popup = fromTemplate(t.items);
        } else {
            item.id = static_cast<UINT_PTR>(static_cast<unsigned>(t.id) & 0xFFFF);
        }
        m->items.push_back(std::move(item));
    }
    return m;
}

}  // namespace

HMENU CreateMenu() { return newMenu(); }
HMENU CreatePopupMenu() { return newMenu(); }
BOOL IsMenu(HMENU menu) { return live(menu) ? TRUE : FALSE; }

BOOL DestroyMenu(HMENU menu) {
    if (!live(menu)) return FALSE;
    menus().erase(menu);
    for (Item& item : menu->items)
        if (item.popup) DestroyMenu(item.popup);
    delete menu;
    return TRUE;
}

HMENU LoadMenuA(HINSTANCE module, LPCSTR name) {
    cadhost::res::MenuTemplate t;
    if (!cadhostFindMenuTemplate(module, name, t)) return nullptr;
    return fromTemplate(t.items);
}
HMENU LoadMenu(HINSTANCE module, LPCSTR name) { return LoadMenuA(module, name); }

HMENU GetSubMenu(HMENU menu, int position) {
    if (!live(menu) || position < 0 || position >= static_cast<int>(menu->items.size())) return nullptr;
    return menu->items[static_cast<size_t>(position)].popup;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    if (!live(menu) || ((flags & MF_POPUP) && !live(reinterpret_cast<HMENU>(idOrPopup)))) return FALSE;
    HMENU owner = menu;
    int index = static_cast<int>(menu->items.size());
    if (position != static_cast<UINT>(-1) && !findItem(menu, position, flags, &owner, &index)) {
        if (!(flags & MF_BYPOSITION)) return FALSE;
        index = static_cast<int>(menu->items.size());  // a position beyond the end appends
    }
    owner->items.insert(owner->items.begin() + index, makeItem(flags, idOrPopup, text));
    return TRUE;
}
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    return InsertMenuA(menu, position, flags, idOrPopup, text);
}
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    return InsertMenuA(menu, static_cast<UINT>(-1), flags | MF_BYPOSITION, idOrPopup, text);
}
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text) { return AppendMenuA(menu, flags, idOrPopup, text); }

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    Item* item = findItem(menu, position, flags);
    if (!item || ((flags & MF_POPUP) && !live(reinterpret_cast<HMENU>(idOrPopup)))) return FALSE;
    HMENU oldPopup = item->popup;
    *item = makeItem(flags, idOrPopup, text);
    if (oldPopup && oldPopup != item->popup) DestroyMenu(oldPopup);
    return TRUE;
}
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    return ModifyMenuA(menu, position, flags, idOrPopup, text);
}

namespace {
BOOL removeItem(HMENU menu, UINT position, UINT flags, bool destroy) {
    HMENU owner = nullptr;
    int index = -1;
    Item* item = findItem(menu, position, flags, &owner, &index);
    if (!item) return FALSE;
    HMENU popup = item->popup;
    owner->items.erase(owner->items.begin() + index);
    if (destroy && popup) DestroyMenu(popup);
    return TRUE;
}
}  // namespace

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return removeItem(menu, position, flags, false); }
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return removeItem(menu, position, flags, true); }

DWORD CheckMenuItem(HMENU menu, UINT which, UINT flags) {
    Item* item = findItem(menu, which, flags);
    if (!item) return static_cast<DWORD>(-1);
    const DWORD old = item->flags & MF_CHECKED;
    item->flags = (item->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return old;
}

BOOL EnableMenuItem(HMENU menu, UINT which, UINT flags) {
    Item* item = findItem(menu, which, flags);
    if (!item) return -1;
    const BOOL old = static_cast<BOOL>(item->flags & (MF_GRAYED | MF_DISABLED));
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return old;
}

int GetMenuItemCount(HMENU menu) { return live(menu) ? static_cast<int>(menu->items.size()) : -1; }

UINT GetMenuItemID(HMENU menu, int position) {
    if (!live(menu) || position < 0 || position >= static_cast<int>(menu->items.size())) return static_cast<UINT>(-1);
    const Item& item = menu->items[static_cast<size_t>(position)];
    return item.popup ? static_cast<UINT>(-1) : static_cast<UINT>(item.id);
}

UINT GetMenuState(HMENU menu, UINT which, UINT flags) {
    Item* item = findItem(menu, which, flags);
    if (!item) return static_cast<UINT>(-1);
    UINT state = item->flags & ~MF_POPUP;
    if (item->popup) state = (static_cast<UINT>(GetMenuItemCount(item->popup)) << 8) | (state & 0xFF) | MF_POPUP;
    return state;
}

int GetMenuStringA(HMENU menu, UINT which, char* buffer, int bufferMax, UINT flags) {
    Item* item = findItem(menu, which, flags);
    if (!item) return 0;
    if (!buffer) return static_cast<int>(item->text.size());
    if (bufferMax <= 0) return 0;
    const size_t n = std::min(item->text.size(), static_cast<size_t>(bufferMax - 1));
    item->text.copy(buffer, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}
int GetMenuString(HMENU menu, UINT which, char* buffer, int bufferMax, UINT flags) {
    return GetMenuStringA(menu, which, buffer, bufferMax, flags);
}

// ---- Tracking ----

namespace {

constexpr int kFrame = 3;         // raised edge and one pixel of face
constexpr int kCheckWidth = 18;   // the check mark's column
constexpr int kArrowWidth = 16;   // a popup item's arrow column
constexpr int kSeparatorHeight = 9;
constexpr int kAccelGap = 16;     // between the text and its accelerator

struct Tracking {
    HMENU menu = nullptr;
    HWND window = nullptr;
    int hot = -1;        // highlighted item
    bool done = false;
    UINT chosen = 0;     // the command chosen, 0 when cancelled
    bool rightButton = false;
};

Tracking*& current() {
    static Tracking* t = nullptr;
    return t;
}

std::string label(const std::string& text) { return text.substr(0, text.find('\t')); }
std::string accelerator(const std::string& text) {
    const size_t tab = text.find('\t');
    return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

int itemHeight(const Item& item) { return (item.flags & MF_SEPARATOR) ? kSeparatorHeight : GetSystemMetrics(SM_CYMENU) - 2; }
bool selectable(const Item& item) { return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP)); }

HFONT menuFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

SIZE textSize(HDC dc, const std::string& s) {
    SIZE size{0, 0};
    if (!s.empty()) {
        RECT r{0, 0, 0, 0};
        DrawText(dc, s.c_str(), static_cast<int>(s.size()), &r, DT_CALCRECT | DT_SINGLELINE);
        size = SIZE{r.right, r.bottom};
    }
    return size;
}

// The size the menu's window needs: the widest text and accelerator, the items' heights.
SIZE menuSize(HMENU menu) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, menuFont());
    int text = 0, accel = 0, height = 0;
    for (const Item& item : menu->items) {
        height += itemHeight(item);
        text = std::max<int>(text, textSize(dc, label(item.text)).cx);
        accel = std::max<int>(accel, textSize(dc, accelerator(item.text)).cx);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{2 * kFrame + kCheckWidth + text + (accel ? kAccelGap + accel : 0) + kArrowWidth, 2 * kFrame + height};
}

RECT itemRect(HWND w, HMENU menu, int index) {
    RECT client;
    GetClientRect(w, &client);
    int top = kFrame;
    for (int i = 0; i < index; ++i) top += itemHeight(menu->items[static_cast<size_t>(i)]);
    return RECT{kFrame, top, client.right - kFrame, top + itemHeight(menu->items[static_cast<size_t>(index)])};
}

int itemAt(HWND w, HMENU menu, POINT p) {
    for (int i = 0; i < static_cast<int>(menu->items.size()); ++i) {
        RECT r = itemRect(w, menu, i);
        if (PtInRect(&r, p)) return i;
    }
    return -1;
}

void drawCheck(HDC dc, RECT r, COLORREF color) {
    // A tick of three strokes, seven pixels wide, centred in the check column.
    const int x = r.left + (kCheckWidth - 7) / 2, y = r.top + (r.bottom - r.top - 7) / 2 + 2;
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = SelectObject(dc, pen);
    for (int i = 0; i < 3; ++i) {
        MoveToEx(dc, x, y + i, nullptr);
        LineTo(dc, x + 2, y + 2 + i);
        LineTo(dc, x + 7, y - 3 + i);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void drawItem(HDC dc, const Item& item, RECT r, bool hot) {
    if (item.flags & MF_SEPARATOR) {
        const int y = (r.top + r.bottom) / 2 - 1;
        controls::fill(dc, RECT{r.left + 1, y, r.right - 1, y + 1}, GetSysColor(COLOR_3DSHADOW));
        controls::fill(dc, RECT{r.left + 1, y + 1, r.right - 1, y + 2}, GetSysColor(COLOR_3DHILIGHT));
        return;
    }
    const bool grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (hot) controls::fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
    COLORREF text = hot ? GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_MENUTEXT);
    RECT t{r.left + kCheckWidth, r.top, r.right - kArrowWidth, r.bottom};
    const std::string name = label(item.text), accel = accelerator(item.text);
    auto drawTexts = [&](COLORREF color, int offset) {
        SetTextColor(dc, color);
        RECT a = t;
        OffsetRect(&a, offset, offset);
        DrawText(dc, name.c_str(), static_cast<int>(name.size()), &a, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        DrawText(dc, accel.c_str(), static_cast<int>(accel.size()), &a, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        if (item.flags & MF_CHECKED) drawCheck(dc, RECT{r.left + offset, r.top + offset, r.left + kCheckWidth, r.bottom}, color);
        if (item.popup) {
            // A small arrow pointing right.
            const int x = r.right - kArrowWidth / 2 - 2 + offset, y = (r.top + r.bottom) / 2 + offset;
            for (int i = 0; i < 4; ++i) controls::fill(dc, RECT{x + i, y - 3 + i, x + i + 1, y + 4 - i}, color);
        }
    };
    if (grayed && !hot) {
        // Greyed: embossed, the highlight one pixel down and right under the shadow.
        drawTexts(GetSysColor(COLOR_3DHILIGHT), 1);
        drawTexts(GetSysColor(COLOR_GRAYTEXT), 0);
    } else {
        drawTexts(text, 0);
    }
}

void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    Tracking* t = current();
    RECT client;
    GetClientRect(w, &client);
    controls::fill(dc, client, GetSysColor(COLOR_MENU));
    RECT edge = client;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    if (t && t->window == w) {
        HGDIOBJ old = SelectObject(dc, menuFont());
        SetBkMode(dc, TRANSPARENT);
        for (int i = 0; i < static_cast<int>(t->menu->items.size()); ++i)
            drawItem(dc, t->menu->items[static_cast<size_t>(i)], itemRect(w, t->menu, i), i == t->hot);
        SelectObject(dc, old);
    }
    EndPaint(w, &ps);
}

void setHot(Tracking* t, int index) {
    if (index == t->hot) return;
    t->hot = index;
    InvalidateRect(t->window, nullptr, TRUE);
}

void choose(Tracking* t, int index) {
    if (index < 0 || !selectable(t->menu->items[static_cast<size_t>(index)])) return;
    t->chosen = static_cast<UINT>(t->menu->items[static_cast<size_t>(index)].id);
    t->done = true;
}

// The next item the arrow keys stop at, skipping separators.
int step(const Tracking* t, int direction) {
    const int n = static_cast<int>(t->menu->items.size());
    if (n == 0) return -1;
    int i = t->hot;
    for (int k = 0; k < n; ++k) {
        i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
        if (!(t->menu->items[static_cast<size_t>(i)].flags & MF_SEPARATOR)) return i;
    }
    return -1;
}

// The item whose mnemonic ('&' and a letter) is the character.
int mnemonic(const Tracking* t, char c) {
    for (int i = 0; i < static_cast<int>(t->menu->items.size()); ++i) {
        const std::string& s = t->menu->items[static_cast<size_t>(i)].text;
        const size_t amp = s.find('&');
        if (amp != std::string::npos && amp + 1 < s.size() &&
            std::tolower(static_cast<unsigned char>(s[amp + 1])) == std::tolower(static_cast<unsigned char>(c)))
            return i;
    }
    return -1;
}

// Keys go to the menu whichever window has the focus; answers true when the message was the menu's.
bool menuKey(Tracking* t, const MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        switch (msg.wParam) {
        case VK_ESCAPE: t->done = true; break;
        case VK_UP: setHot(t, step(t, -1)); break;
        case VK_DOWN: setHot(t, step(t, 1)); break;
        case VK_RETURN: choose(t, t->hot); break;
        default: break;
        }
        return true;
    }
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
        const int i = mnemonic(t, static_cast<char>(msg.wParam));
        if (i >= 0) {
            setHot(t, i);
            choose(t, i);
        }
        return true;
    }
    return msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
}

LRESULT CALLBACK PopupMenuProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    Tracking* t = current();
    const bool mine = t && t->window == w;
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(w, &client);
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(w); return 0;
    case WM_MOUSEACTIVATE: return 3;  // MA_NOACTIVATE
    case WM_MOUSEMOVE:
        if (mine && PtInRect(&client, p)) setHot(t, itemAt(w, t->menu, p));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        // A press outside the menu cancels it; inside it marks the item.
        if (mine && !PtInRect(&client, p)) t->done = true;
        else if (mine) setHot(t, itemAt(w, t->menu, p));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (mine && PtInRect(&client, p) && (message == WM_LBUTTONUP || t->rightButton)) choose(t, itemAt(w, t->menu, p));
        return 0;
    case WM_CAPTURECHANGED:
        if (mine && reinterpret_cast<HWND>(lParam) != w) t->done = true;
        return 0;
    default: break;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

}  // namespace

const SystemClass& popupMenuSystemClass() {
    static const SystemClass c{POPUPMENU_CLASS, 0, CS_DBLCLKS, PopupMenuProc, 0, nullptr};
    return c;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
    if (!live(menu) || !IsWindow(owner) || current()) return FALSE;
    SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
    if (!live(menu) || !IsWindow(owner) || menu->items.empty()) return FALSE;
    const SIZE size = menuSize(menu);
    if (flags & TPM_CENTERALIGN) x -= size.cx / 2;
    else if (flags & TPM_RIGHTALIGN) x -= size.cx;
    if (flags & TPM_VCENTERALIGN) y -= size.cy / 2;
    else if (flags & TPM_BOTTOMALIGN) y -= size.cy;
    // Kept on the screen.
    x = std::clamp<int>(x, 0, std::max<int>(0, GetSystemMetrics(SM_CXSCREEN) - size.cx));
    y = std::clamp<int>(y, 0, std::max<int>(0, GetSystemMetrics(SM_CYSCREEN) - size.cy));
    Tracking t;
    t.menu = menu;
    t.rightButton = (flags & TPM_RIGHTBUTTON) != 0;
    current() = &t;
    t.window = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, POPUPMENU_CLASS, "", WS_POPUP, x, y, size.cx, size.cy,
                              owner, nullptr, nullptr, nullptr);
    if (!t.window) {
        current() = nullptr;
        return FALSE;
    }
    ShowWindow(t.window, SW_SHOWNA);
    UpdateWindow(t.window);
    SetCapture(t.window);
    bool quit = false;
    int quitCode = 0;
    while (!t.done && IsWindow(t.window) && IsWindow(owner)) {
        MSG msg;
        const FetchResult r = cadhostFetchMessage(&msg, true);
        if (r == FetchResult::Idle) break;  // the end of input cancels
        if (r == FetchResult::Quit) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (menuKey(&t, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    current() = nullptr;
    if (GetCapture() == t.window) ReleaseCapture();
    if (IsWindow(t.window)) DestroyWindow(t.window);
    if (quit) PostQuitMessage(quitCode);
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(t.chosen);
    if (t.chosen && IsWindow(owner)) PostMessage(owner, WM_COMMAND, MAKEWPARAM(t.chosen, 0), 0);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

HWND cadhostOpenPopupMenu() { return current() ? current()->window : nullptr; }

bool cadhostPopupMenuItemPoint(const char* text, POINT* screenPoint) {
    Tracking* t = current();
    if (!t || !text || !screenPoint) return false;
    auto plain = [](const std::string& s) {
        std::string out;
        for (char c : label(s))
            if (c != '&') out += c;
        return out;
    };
    for (int i = 0; i < static_cast<int>(t->menu->items.size()); ++i) {
        const Item& item = t->menu->items[static_cast<size_t>(i)];
        if ((item.flags & MF_SEPARATOR) || plain(item.text) != plain(text)) continue;
        RECT r = itemRect(t->window, t->menu, i);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(t->window, &p);
        *screenPoint = p;
        return true;
    }
    return false;
}
