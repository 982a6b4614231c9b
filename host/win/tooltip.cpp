// Tooltips: a topmost popup showing the text of the tool under the mouse. The owner relays its
// mouse messages (TTM_RELAYEVENT), or the tooltip subclasses the tool's window (TTF_SUBCLASS).
// The tip shows after the initial delay while the mouse rests over the tool, hides when the mouse
// leaves it (checked on a short timer), on a click, after the pop-up delay or when deactivated.
#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "win/commctrl.h"
#include "win/controlsupport.h"
#include "win/systemclasses.h"

namespace {

constexpr UINT_PTR kShowTimer = 1, kPopTimer = 2, kLeaveTimer = 3;
constexpr UINT kLeaveCheck = 100;
constexpr UINT kDefaultInitial = 500;
constexpr int kMarginX = 3, kMarginY = 2;

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    std::string text;
    LPARAM param = 0;
};

struct TipState {
    std::vector<Tool> tools;
    bool active = true;
    int maxWidth = -1;
    UINT initial = kDefaultInitial, autopop = kDefaultInitial * 10, reshow = kDefaultInitial / 5;
    int shown = -1;       // tool whose tip is up
    int pending = -1;     // tool waiting for its delay
    int suppressed = -1;  // tool clicked: no tip again until the mouse leaves it
};

std::map<HWND, TipState>& states() {
    static std::map<HWND, TipState> s;
    return s;
}

TipState* stateOf(HWND tip) {
    auto it = states().find(tip);
    return it == states().end() ? nullptr : &it->second;
}

// The window of a tool: uId itself for TTF_IDISHWND.
HWND toolWindow(const Tool& t) { return (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd; }

// The tool under a point of a window's client area, -1 for none.
int toolAt(const TipState& s, HWND hwnd, POINT client) {
    for (size_t i = 0; i < s.tools.size(); ++i) {
        const Tool& t = s.tools[i];
        if (t.flags & TTF_IDISHWND) {
            if (toolWindow(t) == hwnd) return static_cast<int>(i);
        } else if (t.hwnd == hwnd && PtInRect(&t.rect, client)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int toolUnderCursor(const TipState& s) {
    POINT cursor;
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    if (!under) return -1;
    ScreenToClient(under, &cursor);
    return toolAt(s, under, cursor);
}

int findTool(const TipState& s, const TOOLINFO* info) {
    if (!info) return -1;
    for (size_t i = 0; i < s.tools.size(); ++i)
        if (s.tools[i].hwnd == info->hwnd && s.tools[i].id == info->uId) return static_cast<int>(i);
    return -1;
}

std::string textOf(const TOOLINFO* info) {
    if (!info->lpszText) return std::string();
    if (IS_INTRESOURCE(info->lpszText)) {
        char buffer[1024];
        unsigned id = static_cast<unsigned>(reinterpret_cast<uintptr_t>(info->lpszText));
        return LoadStringA(info->hinst, id, buffer, sizeof buffer) > 0 ? std::string(buffer) : std::string();
    }
    return info->lpszText;
}

LRESULT notifyTool(HWND tip, const Tool& t, UINT code) {
    if (!IsWindow(t.hwnd)) return 0;
    NMHDR h{tip, t.id, code};
    return SendMessage(t.hwnd, WM_NOTIFY, static_cast<WPARAM>(t.id), reinterpret_cast<LPARAM>(&h));
}

void hide(HWND tip) {
    TipState* s = stateOf(tip);
    if (!s) return;
    KillTimer(tip, kPopTimer);
    if (s->shown < 0) return;
    Tool t = s->tools[static_cast<size_t>(s->shown)];
    s->shown = -1;
    ShowWindow(tip, SW_HIDE);
    notifyTool(tip, t, TTN_POP);
}

// Stops everything: no tip up, none waiting.
void reset(HWND tip) {
    hide(tip);
    if (TipState* s = stateOf(tip)) s->pending = -1;
    KillTimer(tip, kShowTimer);
    KillTimer(tip, kLeaveTimer);
}

RECT textRect(HWND tip, const std::string& text, int maxWidth) {
    HDC dc = GetDC(tip);
    HGDIOBJ old = controls::selectFont(tip, dc);
    RECT r{0, 0, maxWidth >= 0 ? maxWidth : 0, 0};
    DrawText(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | (maxWidth >= 0 ? DT_WORDBREAK : DT_SINGLELINE));
    if (old) SelectObject(dc, old);
    ReleaseDC(tip, dc);
    return r;
}

// Whether tips may show now: without TTS_ALWAYSTIP only while the tool's window is active.
bool mayShow(HWND tip, const Tool& t) {
    if (GetWindowLong(tip, GWL_STYLE) & TTS_ALWAYSTIP) return true;
    HWND root = GetAncestor(toolWindow(t), GA_ROOT);
    return root && root == GetActiveWindow();
}

void show(HWND tip, int index) {
    TipState* s = stateOf(tip);
    if (!s || index < 0 || index >= static_cast<int>(s->tools.size())) return;
    const Tool t = s->tools[static_cast<size_t>(index)];
    if (t.text.empty() || !mayShow(tip, t)) return;
    RECT text = textRect(tip, t.text, s->maxWidth);
    const int width = text.right - text.left + 2 * kMarginX + 2, height = text.bottom - text.top + 2 * kMarginY + 2;
    POINT cursor;
    GetCursorPos(&cursor);
    int x = cursor.x, y = cursor.y + GetSystemMetrics(SM_CYCURSOR) * 2 / 3;
    x = std::max(0, std::min(x, GetSystemMetrics(SM_CXSCREEN) - width));
    y = std::max(0, std::min(y, GetSystemMetrics(SM_CYSCREEN) - height));
    s->shown = index;
    s->pending = -1;
    notifyTool(tip, t, TTN_SHOW);
    if (!IsWindow(tip)) return;
    SetWindowPos(tip, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    InvalidateRect(tip, nullptr, TRUE);
    ShowWindow(tip, SW_SHOWNOACTIVATE);
    SetTimer(tip, kPopTimer, s->autopop, nullptr);
    SetTimer(tip, kLeaveTimer, kLeaveCheck, nullptr);
}

// The mouse is over a tool (or none): start, keep or stop the tip.
void mouseOver(HWND tip, int tool) {
    TipState* s = stateOf(tip);
    if (!s || !s->active) return;
    if (tool != s->suppressed) s->suppressed = -1;
    if (tool < 0) {
        reset(tip);
        return;
    }
    if (tool == s->suppressed || tool == s->shown || tool == s->pending) return;
    const bool wasShown = s->shown >= 0;
    hide(tip);
    s = stateOf(tip);
    if (!s) return;
    s->pending = tool;
    SetTimer(tip, kShowTimer, wasShown ? s->reshow : s->initial, nullptr);
    SetTimer(tip, kLeaveTimer, kLeaveCheck, nullptr);
}

void relay(HWND tip, const MSG* msg) {
    TipState* s = stateOf(tip);
    if (!s || !msg || !s->active) return;
    POINT p{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
    switch (msg->message) {
    case WM_MOUSEMOVE:
        mouseOver(tip, toolAt(*s, msg->hwnd, p));
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: {
        const int tool = toolAt(*s, msg->hwnd, p);
        reset(tip);
        if (TipState* after = stateOf(tip)) after->suppressed = tool;
        // The suppression ends when the mouse leaves the tool.
        if (tool >= 0) SetTimer(tip, kLeaveTimer, kLeaveCheck, nullptr);
        break;
    }
    default:
        break;
    }
}

// Tool windows with TTF_SUBCLASS: their procedure before the tooltip's, and the tooltips fed.
struct Subclassed {
    WNDPROC original = nullptr;
    std::set<HWND> tips;
};

std::map<HWND, Subclassed>& subclassed() {
    static std::map<HWND, Subclassed> m;
    return m;
}

LRESULT CALLBACK ToolSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = subclassed().find(hwnd);
    if (it == subclassed().end()) return DefWindowProc(hwnd, message, wParam, lParam);
    WNDPROC original = it->second.original;
    if ((message >= WM_MOUSEMOVE && message <= WM_RBUTTONDBLCLK)) {
        MSG m{hwnd, message, wParam, lParam, GetMessageTime(), {0, 0}};
        GetCursorPos(&m.pt);
        std::set<HWND> tips = it->second.tips;
        for (HWND tip : tips)
            if (IsWindow(tip)) SendMessage(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
    }
    LRESULT result = CallWindowProc(original, hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) subclassed().erase(hwnd);
    return result;
}

void subclass(HWND tip, HWND window) {
    if (!IsWindow(window)) return;
    auto it = subclassed().find(window);
    if (it == subclassed().end()) {
        Subclassed entry;
        entry.original = reinterpret_cast<WNDPROC>(GetWindowLongPtr(window, GWLP_WNDPROC));
        it = subclassed().emplace(window, entry).first;
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ToolSubclassProc));
    }
    it->second.tips.insert(tip);
}

void unsubclass(HWND tip, HWND window) {
    auto it = subclassed().find(window);
    if (it != subclassed().end()) it->second.tips.erase(tip);
}

void paint(HWND tip) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(tip, &ps);
    HGDIOBJ old = controls::selectFont(tip, dc);
    RECT r;
    GetClientRect(tip, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(dc, &r, GetSysColorBrush(COLOR_INFOTEXT));
    const TipState* s = stateOf(tip);
    if (s && s->shown >= 0) {
        RECT text{r.left + 1 + kMarginX, r.top + 1 + kMarginY, r.right - 1 - kMarginX, r.bottom - 1 - kMarginY};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        DrawText(dc, s->tools[static_cast<size_t>(s->shown)].text.c_str(), -1, &text,
                 DT_NOPREFIX | (s->maxWidth >= 0 ? DT_WORDBREAK : DT_SINGLELINE));
    }
    if (old) SelectObject(dc, old);
    EndPaint(tip, &ps);
}

void timer(HWND tip, UINT_PTR id) {
    TipState* s = stateOf(tip);
    if (!s) return;
    const int under = toolUnderCursor(*s);
    if (id == kShowTimer) {
        KillTimer(tip, kShowTimer);
        if (s->pending >= 0 && under == s->pending && s->active) show(tip, s->pending);
        else reset(tip);
    } else if (id == kPopTimer) {
        hide(tip);
        if (TipState* after = stateOf(tip)) after->suppressed = under;
        if (under < 0) KillTimer(tip, kLeaveTimer);
    } else if (id == kLeaveTimer) {
        const int watched = s->shown >= 0 ? s->shown : s->pending >= 0 ? s->pending : s->suppressed;
        if (watched < 0) {
            KillTimer(tip, kLeaveTimer);
        } else if (under != watched) {
            reset(tip);
            if (TipState* after = stateOf(tip)) after->suppressed = -1;
        }
    }
}

LRESULT CALLBACK ToolTipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        states()[tip] = TipState{};
        SetWindowLong(tip, GWL_EXSTYLE, GetWindowLong(tip, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_TOPMOST));
        break;
    case WM_CREATE:
        SendMessage(tip, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return 0;
    case WM_NCDESTROY:
        if (TipState* s = stateOf(tip))
            for (const Tool& t : s->tools) unsubclass(tip, toolWindow(t));
        states().erase(tip);
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return 3;  // MA_NOACTIVATE
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(tip);
        return 0;
    case WM_TIMER:
        timer(tip, wParam);
        return 0;
    case TTM_ACTIVATE:
        if (TipState* s = stateOf(tip)) {
            s->active = wParam != 0;
            if (!s->active) reset(tip);
        }
        return 0;
    case TTM_ADDTOOL: {
        const auto* info = reinterpret_cast<const TOOLINFO*>(lParam);
        TipState* s = stateOf(tip);
        if (!s || !info || info->cbSize < offsetof(TOOLINFO, lParam)) return FALSE;
        Tool t;
        t.flags = info->uFlags;
        t.hwnd = info->hwnd;
        t.id = info->uId;
        t.rect = info->rect;
        t.text = textOf(info);
        if (info->cbSize >= offsetof(TOOLINFO, lpReserved)) t.param = info->lParam;
        s->tools.push_back(t);
        if (t.flags & TTF_SUBCLASS) subclass(tip, toolWindow(t));
        return TRUE;
    }
    case TTM_DELTOOL: {
        TipState* s = stateOf(tip);
        const int at = s ? findTool(*s, reinterpret_cast<const TOOLINFO*>(lParam)) : -1;
        if (at < 0) return 0;
        reset(tip);
        s = stateOf(tip);
        const Tool gone = s->tools[static_cast<size_t>(at)];
        s->tools.erase(s->tools.begin() + at);
        s->suppressed = -1;
        bool stillUsed = std::any_of(s->tools.begin(), s->tools.end(),
                                     [&](const Tool& t) { return toolWindow(t) == toolWindow(gone); });
        if (!stillUsed) unsubclass(tip, toolWindow(gone));
        return 0;
    }
    case TTM_NEWTOOLRECT:
    case TTM_UPDATETIPTEXT:
    case TTM_GETTOOLINFO:
    case TTM_GETTEXT: {
        auto* info = reinterpret_cast<TOOLINFO*>(lParam);
        TipState* s = stateOf(tip);
        const int at = s ? findTool(*s, info) : -1;
        if (at < 0) return message == TTM_GETTOOLINFO ? FALSE : 0;
        Tool& t = s->tools[static_cast<size_t>(at)];
        if (message == TTM_NEWTOOLRECT) {
            t.rect = info->rect;
        } else if (message == TTM_UPDATETIPTEXT) {
            t.text = textOf(info);
            if (s->shown == at) show(tip, at);
        } else if (message == TTM_GETTEXT) {
            // The buffer's size in wParam; without one it holds 80 characters.
            size_t room = wParam ? wParam : 80;
            if (info->lpszText && room) {
                size_t n = std::min(t.text.size(), room - 1);
                t.text.copy(info->lpszText, n);
                info->lpszText[n] = '\0';
            }
        } else {
            info->uFlags = t.flags;
            info->rect = t.rect;
            if (info->cbSize >= offsetof(TOOLINFO, lpReserved)) info->lParam = t.param;
            return TRUE;
        }
        return 0;
    }
    case TTM_GETTOOLCOUNT:
        return stateOf(tip) ? static_cast<LRESULT>(stateOf(tip)->tools.size()) : 0;
    case TTM_SETMAXTIPWIDTH: {
        TipState* s = stateOf(tip);
        if (!s) return -1;
        const int previous = s->maxWidth;
        s->maxWidth = static_cast<int>(lParam) < 0 ? -1 : static_cast<int>(lParam);
        return previous;
    }
    case TTM_GETMAXTIPWIDTH:
        return stateOf(tip) ? stateOf(tip)->maxWidth : -1;
    case TTM_SETDELAYTIME: {
        TipState* s = stateOf(tip);
        if (!s) return 0;
        const int value = static_cast<int>(static_cast<short>(LOWORD(lParam)));
        const UINT v = value < 0 ? kDefaultInitial : static_cast<UINT>(value);
        if (wParam == TTDT_AUTOMATIC) {
            s->initial = v;
            s->autopop = v * 10;
            s->reshow = v / 5;
        } else if (wParam == TTDT_INITIAL) {
            s->initial = v;
        } else if (wParam == TTDT_AUTOPOP) {
            s->autopop = value < 0 ? kDefaultInitial * 10 : v;
        } else if (wParam == TTDT_RESHOW) {
            s->reshow = value < 0 ? kDefaultInitial / 5 : v;
        }
        return 0;
    }
    case TTM_GETDELAYTIME: {
        const TipState* s = stateOf(tip);
        if (!s) return 0;
        if (wParam == TTDT_AUTOPOP) return s->autopop;
        if (wParam == TTDT_RESHOW) return s->reshow;
        return s->initial;
    }
    case TTM_RELAYEVENT:
        relay(tip, reinterpret_cast<const MSG*>(lParam));
        return 0;
    case TTM_POP:
        reset(tip);
        return 0;
    default:
        break;
    }
    return DefWindowProc(tip, message, wParam, lParam);
}

}  // namespace

const SystemClass& toolTipSystemClass() {
    static const SystemClass c{TOOLTIPS_CLASS, 0, 0, ToolTipProc, 0, nullptr};
    return c;
}
