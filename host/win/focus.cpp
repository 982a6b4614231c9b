// Visibility, enabled state, keyboard focus, mouse capture and activation.
#include "win/windowstate.h"

namespace {

struct InputState {
    HWND focus = nullptr;
    HWND capture = nullptr;
    HWND active = nullptr;
    POINT cursor{0, 0};
    bool keys[256] = {};
};

InputState& state() {
    static InputState s;
    return s;
}

// True when the window is the ancestor or the window itself.
bool within(HWND hwnd, HWND ancestor) { return hwnd && (hwnd == ancestor || IsChild(ancestor, hwnd)); }

}  // namespace

namespace winstate {

void setKeyState(UINT virtualKey, bool down) {
    if (virtualKey < 256) state().keys[virtualKey] = down;
}

void forgetWindow(HWND hwnd) {
    InputState& s = state();
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
    if (old && find(old)) SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    if (hwnd && s.active == hwnd) {
        SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
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
    return TRUE;
}

// The high bit is set while the key is down.
short GetKeyState(int virtualKey) {
    return (virtualKey >= 0 && virtualKey < 256 && state().keys[virtualKey]) ? static_cast<short>(0x8000) : 0;
}
BOOL MessageBeep(UINT) { return TRUE; }
