// Visibility, enabled state, keyboard focus, mouse capture and activation.
#include <algorithm>
#include "win/windowstate.h"

namespace {

using winstate::Window;
using winstate::find;
using winstate::topLevel;

struct InputState {
    HWND focus = nullptr;
    HWND capture = nullptr;
    HWND active = nullptr;
    POINT cursor{0, 0};
    HWND leaveTracked = nullptr;  // the window told when the cursor leaves it
    bool keys[256] = {};
};

InputState& state() {
    static InputState s;
    return s;
}

// True when the window is the ancestor or the window itself.
bool within(HWND hwnd, HWND ancestor) { return hwnd && (hwnd == ancestor || IsChild(ancestor, hwnd)); }

// True while the cursor is over the window's client area and no other window covers it there.
bool cursorInClient(HWND hwnd, POINT screen) {
    if (WindowFromPoint(screen) != hwnd) return false;
    POINT p = screen;
    ScreenToClient(hwnd, &p);
    RECT client;
    GetClientRect(hwnd, &client);
    return PtInRect(&client, p) != FALSE;
}

// A popup shown lies above the window that owns it.
void raiseAboveOwner(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w || (w->style & WS_CHILD) || !w->owner) return;
    auto& list = topLevel();
    auto self = std::find(list.begin(), list.end(), hwnd);
    auto owner = std::find(list.begin(), list.end(), w->owner);
    if (self == list.end() || owner == list.end() || self < owner) return;
    list.erase(self);
    list.insert(std::find(list.begin(), list.end(), w->owner), hwnd);
}

}  // namespace

namespace winstate {

void setKeyState(UINT virtualKey, bool down) {
    if (virtualKey < 256) state().keys[virtualKey] = down;
}

void cursorMoved(POINT screen) {
    InputState& s = state();
    HWND tracked = s.leaveTracked;
    if (!tracked) return;
    if (!find(tracked)) {
        s.leaveTracked = nullptr;
        return;
    }
    if (cursorInClient(tracked, screen)) return;
    s.leaveTracked = nullptr;
    PostMessage(tracked, WM_MOUSELEAVE, 0, 0);
}

void forgetWindow(HWND hwnd) {
    InputState& s = state();
    if (within(s.leaveTracked, hwnd)) s.leaveTracked = nullptr;
    if (within(s.capture, hwnd)) {
        HWND old = s.capture;
        s.capture = nullptr;
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    }
    if (within(s.focus, hwnd)) {
        HWND old = s.focus;
        Window* w = find(hwnd);
        HWND next = (w && (w->style & WS_CHILD) && w->parent && !find(w->parent)->destroying) ? w->parent : nullptr;
        s.focus = nullptr;
        SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
        if (next) SetFocus(next);
    }
    if (s.active == hwnd) {
        Window* w = find(hwnd);
        HWND owner = w ? w->owner : nullptr;
        s.active = nullptr;
        SendMessage(hwnd, WM_NCACTIVATE, FALSE, 0);
        SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(owner));
        if (owner && IsWindowEnabled(owner) && IsWindowVisible(owner)) SetActiveWindow(owner);
    }
}

}  // namespace winstate

using namespace winstate;

BOOL ShowWindow(HWND hwnd, int command) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    bool was = (w->style & WS_VISIBLE) != 0;
    bool show = command != SW_HIDE;
    if (was != show) {
        SendMessage(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        w = find(hwnd);
        if (!w) return was ? TRUE : FALSE;
        if (show) w->style |= WS_VISIBLE;
        else w->style &= ~WS_VISIBLE;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (w->parent && (w->style & WS_CHILD)) {
            RECT r = w->rect;
            InvalidateRect(w->parent, &r, TRUE);
        }
        if (!show) forgetWindow(hwnd);
        else raiseAboveOwner(hwnd);
        // The window under the cursor may have changed.
        cursorMoved(state().cursor);
    }
    bool activate = show && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
    if (activate && find(hwnd) && !(find(hwnd)->style & WS_CHILD)) SetActiveWindow(hwnd);
    return was ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = find(hwnd);
    if (!w) return FALSE;
    bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
    if (enable) w->style &= ~WS_DISABLED;
    else {
        w->style |= WS_DISABLED;
        InputState& s = state();
        if (within(s.focus, hwnd)) {
            HWND old = s.focus;
            s.focus = nullptr;
            SendMessage(old, WM_KILLFOCUS, 0, 0);
        }
        if (within(s.capture, hwnd)) ReleaseCapture();
        SendMessage(hwnd, WM_CANCELMODE, 0, 0);
        if (!find(hwnd)) return FALSE;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

HWND SetFocus(HWND hwnd) {
    InputState& s = state();
    HWND old = s.focus;
    if (hwnd && !find(hwnd)) return nullptr;
    if (hwnd == old) return old;
    if (hwnd) {
        HWND top = GetAncestor(hwnd, GA_ROOT);
        if (top != s.active) SetActiveWindow(top);
        if (!find(hwnd)) return nullptr;
        if (s.focus == hwnd) return old;
        old = s.focus;
    }
    s.focus = hwnd;
    if (old && find(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && s.focus == hwnd) SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() { return find(state().focus) ? state().focus : nullptr; }

HWND SetCapture(HWND hwnd) {
    InputState& s = state();
    HWND old = s.capture;
    if (!find(hwnd)) return nullptr;
    if (old == hwnd) return old;
    s.capture = hwnd;
    if (old && find(old)) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture() {
    InputState& s = state();
    HWND old = s.capture;
    s.capture = nullptr;
    if (old && find(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return find(state().capture) ? state().capture : nullptr; }

HWND SetActiveWindow(HWND hwnd) {
    InputState& s = state();
    if (hwnd) hwnd = GetAncestor(hwnd, GA_ROOT);
    HWND old = s.active;
    if (hwnd == old) return old;
    if (hwnd && !IsWindowEnabled(hwnd)) return nullptr;
    s.active = hwnd;
    if (old && find(old)) {
        SendMessage(old, WM_NCACTIVATE, FALSE, 0);
        if (find(old)) SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    }
    if (hwnd && s.active == hwnd) {
        SendMessage(hwnd, WM_NCACTIVATE, TRUE, 0);
        if (s.active == hwnd) SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
        if (s.focus && !within(s.focus, hwnd) && s.active == hwnd) SetFocus(hwnd);
    } else if (!hwnd && s.focus) {
        SetFocus(nullptr);
    }
    return old;
}

HWND GetActiveWindow() { return find(state().active) ? state().active : nullptr; }
BOOL SetForegroundWindow(HWND hwnd) {
    if (!find(hwnd)) return FALSE;
    SetActiveWindow(hwnd);
    return TRUE;
}
HWND GetForegroundWindow() { return GetActiveWindow(); }

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = state().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    state().cursor = POINT{x, y};
    cursorMoved(state().cursor);
    return TRUE;
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track) {
    InputState& s = state();
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
    if (track->dwFlags & TME_QUERY) {
        track->dwFlags = find(s.leaveTracked) ? TME_LEAVE : 0;
        track->hwndTrack = find(s.leaveTracked) ? s.leaveTracked : nullptr;
        return TRUE;
    }
    if ((track->dwFlags & ~(TME_LEAVE | TME_CANCEL)) || !(track->dwFlags & TME_LEAVE) || !find(track->hwndTrack))
        return FALSE;
    if (track->dwFlags & TME_CANCEL) {
        if (s.leaveTracked == track->hwndTrack) s.leaveTracked = nullptr;
        return TRUE;
    }
    s.leaveTracked = track->hwndTrack;
    // A cursor that is not over the window already has left it.
    cursorMoved(s.cursor);
    return TRUE;
}

// The high bit is set while the key is down.
short GetKeyState(int virtualKey) {
    return (virtualKey >= 0 && virtualKey < 256 && state().keys[virtualKey]) ? static_cast<short>(0x8000) : 0;
}
BOOL MessageBeep(UINT) { return TRUE; }
