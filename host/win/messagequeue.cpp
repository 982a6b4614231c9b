// The message queue of the user-interface thread: posted messages, timers on a clock that moves
// only when it is advanced, pending paints and the input that drives windows.
#include <algorithm>
#include <deque>
#include "win/headless.h"
#include "win/windowstate.h"

namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    DWORD due;
    TIMERPROC proc;
};

struct Queue {
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
    DWORD clock = 1000;
    DWORD messageTime = 1000;
    std::deque<WindowInputEvent> input;
    std::function<bool(WindowInputEvent&)> feeder;
    bool feederEnded = false;
    bool feederHeld = false;  // the feeder is not asked (a pump of queued input only)
};

Queue& queue() {
    static Queue q;
    return q;
}

constexpr UINT kTimerMinimum = 10;

MSG make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue& q = queue();
    POINT cursor;
    GetCursorPos(&cursor);
    return MSG{hwnd, message, wParam, lParam, q.clock, cursor};
}

bool takeInput(WindowInputEvent& e) {
    Queue& q = queue();
    if (q.input.empty() && q.feeder && !q.feederEnded && !q.feederHeld) {
        WindowInputEvent next;
        if (q.feeder(next)) q.input.push_back(next);
        else q.feederEnded = true;
    }
    if (q.input.empty()) return false;
    e = q.input.front();
    q.input.pop_front();
    return true;
}

// The message an input event becomes, or false when it goes nowhere (no window under the
// point, a disabled window, a window behind a modal dialog).
bool translateInput(const WindowInputEvent& e, MSG* msg) {
    using winstate::find;
    switch (e.kind) {
    case WindowInputEvent::Wait:
        cadhostAdvanceClock(e.milliseconds);
        return false;
    case WindowInputEvent::KeyDown:
    case WindowInputEvent::KeyUp:
    case WindowInputEvent::Char: {
        if (e.kind != WindowInputEvent::Char) winstate::setKeyState(e.key, e.kind == WindowInputEvent::KeyDown);
        HWND target = GetFocus();
        if (!target) target = GetActiveWindow();
        if (!target) return false;
        if (e.kind == WindowInputEvent::Char) *msg = make(target, WM_CHAR, e.key, 1);
        else if (e.kind == WindowInputEvent::KeyDown) *msg = make(target, WM_KEYDOWN, e.key, 1);
        else *msg = make(target, WM_KEYUP, e.key, static_cast<LPARAM>(0xC0000001u));
        return true;
    }
    case WindowInputEvent::Wheel: {
        SetCursorPos(e.pt.x, e.pt.y);
        HWND target = GetFocus();
        if (!target) target = WindowFromPoint(e.pt);
        if (!target || !IsWindowEnabled(GetAncestor(target, GA_ROOT))) return false;
        *msg = make(target, WM_MOUSEWHEEL, MAKEWPARAM(0, e.delta), MAKELPARAM(e.pt.x, e.pt.y));
        return true;
    }
    default: break;
    }
    SetCursorPos(e.pt.x, e.pt.y);
    HWND target = GetCapture();
    if (!target) {
        target = WindowFromPoint(e.pt);
        if (!target || !IsWindowEnabled(target) || !IsWindowEnabled(GetAncestor(target, GA_ROOT))) {
            if (e.kind == WindowInputEvent::ButtonDown) MessageBeep(0);
            return false;
        }
    }
    bool down = e.kind == WindowInputEvent::ButtonDown || e.kind == WindowInputEvent::DoubleClick;
    if (down && !GetCapture()) {
        HWND root = GetAncestor(target, GA_ROOT);
        if (root != GetActiveWindow()) SetActiveWindow(root);
        if (!find(target)) return false;
    }
    bool right = e.button == 1;
    if (!GetCapture()) {
        // The window under the mouse sets the cursor for the part it is over; a press of the left
        // button on a sizing border starts sizing.
        const LRESULT hit = SendMessage(target, WM_NCHITTEST, 0, MAKELPARAM(e.pt.x, e.pt.y));
        const UINT mouseMessage = e.kind == WindowInputEvent::Move ? WM_MOUSEMOVE
            : e.kind == WindowInputEvent::ButtonUp ? (right ? WM_RBUTTONUP : WM_LBUTTONUP)
            : (right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, mouseMessage));
        if (!find(target)) return false;
        if (down && !right && hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
            *msg = make(target, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(e.pt.x, e.pt.y));
            return true;
        }
    }
    POINT p = e.pt;
    ScreenToClient(target, &p);
    UINT message = WM_MOUSEMOVE;
    WPARAM keys = 0;
    if (e.kind == WindowInputEvent::ButtonDown) {
        message = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
        keys = right ? MK_RBUTTON : MK_LBUTTON;
    } else if (e.kind == WindowInputEvent::ButtonUp) {
        message = right ? WM_RBUTTONUP : WM_LBUTTONUP;
    } else if (e.kind == WindowInputEvent::DoubleClick) {
        winstate::Window* w = find(target);
        bool dbl = w && w->cls && (w->cls->wc.style & CS_DBLCLKS);
        message = right ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
        keys = right ? MK_RBUTTON : MK_LBUTTON;
    }
    *msg = make(target, message, keys, MAKELPARAM(p.x, p.y));
    if (e.kind == WindowInputEvent::ButtonUp && right) {
        // The context menu follows the release of the right button.
        queue().posted.push_back(make(target, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), MAKELPARAM(e.pt.x, e.pt.y)));
    }
    return true;
}

bool dueTimer(MSG* msg) {
    Queue& q = queue();
    Timer* best = nullptr;
    for (Timer& t : q.timers)
        if (t.due <= q.clock && (!best || t.due < best->due)) best = &t;
    if (!best) return false;
    best->due = q.clock + best->elapse;
    *msg = make(best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc));
    return true;
}

bool pendingPaint(MSG* msg) {
    for (HWND h : winstate::allWindows()) {
        winstate::Window* w = winstate::find(h);
        if (!w || w->destroying || w->noRedraw || winstate::isEmpty(w->invalid) || !IsWindowVisible(h)) continue;
        w->paintPending = true;
        w->paintRect = w->invalid;
        w->paintErase = w->eraseNeeded;
        SetRectEmpty(&w->invalid);
        w->eraseNeeded = false;
        *msg = make(h, WM_PAINT, 0, 0);
        return true;
    }
    return false;
}

bool matches(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
    if ((filterMin || filterMax) && (m.message < filterMin || m.message > filterMax)) return false;
    return true;
}

}  // namespace

namespace winstate {

void removeTimers(HWND hwnd) {
    auto& t = queue().timers;
    t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd; }), t.end());
}

void removeQueued(HWND hwnd) {
    auto& p = queue().posted;
    p.erase(std::remove_if(p.begin(), p.end(), [&](const MSG& m) { return m.hwnd == hwnd; }), p.end());
}

}  // namespace winstate

FetchResult cadhostFetchMessage(MSG* msg, bool input) {
    Queue& q = queue();
    for (;;) {
        if (!q.posted.empty()) {
            *msg = q.posted.front();
            q.posted.pop_front();
            q.messageTime = msg->time;
            return FetchResult::Message;
        }
        if (q.quit) {
            q.quit = false;
            *msg = make(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
            return FetchResult::Quit;
        }
        if (dueTimer(msg) || pendingPaint(msg)) {
            q.messageTime = msg->time;
            return FetchResult::Message;
        }
        if (!input) return FetchResult::Idle;
        WindowInputEvent e;
        if (!takeInput(e)) return FetchResult::Idle;
        if (translateInput(e, msg)) {
            q.messageTime = msg->time;
            return FetchResult::Message;
        }
    }
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !IsWindow(hwnd)) return FALSE;
    queue().posted.push_back(make(hwnd, message, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    queue().quit = true;
    queue().quitCode = exitCode;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) return FALSE;
    Queue& q = queue();
    if (hwnd || filterMin || filterMax) {
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (matches(*it, hwnd, filterMin, filterMax)) {
                *msg = *it;
                q.posted.erase(it);
                return TRUE;
            }
        }
    }
    FetchResult r = cadhostFetchMessage(msg, true);
    if (r == FetchResult::Message) return TRUE;
    if (r == FetchResult::Idle) *msg = make(nullptr, WM_QUIT, 0, 0);
    return FALSE;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    if (!msg) return FALSE;
    Queue& q = queue();
    if (hwnd || filterMin || filterMax) {
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (matches(*it, hwnd, filterMin, filterMax)) {
                *msg = *it;
                if (remove & PM_REMOVE) q.posted.erase(it);
                return TRUE;
            }
        }
        return FALSE;
    }
    FetchResult r = cadhostFetchMessage(msg, true);
    if (r == FetchResult::Idle) return FALSE;
    if (r == FetchResult::Quit && !(remove & PM_REMOVE)) {
        q.quit = true;
        return TRUE;
    }
    if (!(remove & PM_REMOVE)) q.posted.push_front(*msg);
    return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    WPARAM vk = msg->wParam;
    WPARAM ch = 0;
    if (vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB || vk == VK_ESCAPE || vk == VK_SPACE) ch = vk;
    else if (vk >= 'A' && vk <= 'Z') ch = vk - 'A' + 'a';
    else if (vk >= '0' && vk <= '9') ch = vk;
    if (!ch) return FALSE;
    queue().posted.push_front(make(msg->hwnd, WM_CHAR, ch, msg->lParam));
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !msg->hwnd) {
        if (msg && msg->message == WM_TIMER && msg->lParam)
            reinterpret_cast<TIMERPROC>(msg->lParam)(nullptr, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

DWORD GetTickCount() { return queue().clock; }
DWORD GetMessageTime() { return queue().messageTime; }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (hwnd && !IsWindow(hwnd)) return 0;
    Queue& q = queue();
    elapse = std::max(elapse, kTimerMinimum);
    if (!hwnd) id = q.nextTimerId++;
    for (Timer& t : q.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.elapse = elapse;
            t.due = q.clock + elapse;
            t.proc = proc;
            return hwnd ? 1 : id;
        }
    }
    q.timers.push_back(Timer{hwnd, id, elapse, q.clock + elapse, proc});
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto& t = queue().timers;
    auto it = std::find_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) return FALSE;
    t.erase(it);
    auto& p = queue().posted;
    p.erase(std::remove_if(p.begin(), p.end(), [&](const MSG& m) {
        return m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == id;
    }), p.end());
    return TRUE;
}

namespace {
bool (*g_filter)(MSG*) = nullptr;
}  // namespace

void cadhostSetMessageFilter(bool (*filter)(MSG* msg)) { g_filter = filter; }
bool cadhostFilterMessage(MSG* msg) { return g_filter && g_filter(msg); }

void cadhostQueueInput(const WindowInputEvent& event) { queue().input.push_back(event); }

void cadhostSetInputFeeder(std::function<bool(WindowInputEvent&)> feeder) {
    queue().feeder = std::move(feeder);
    queue().feederEnded = false;
}

void cadhostResetInput() {
    queue().input.clear();
    queue().feeder = nullptr;
    queue().feederEnded = false;
}

bool cadhostInputEnded() {
    Queue& q = queue();
    return q.input.empty() && (!q.feeder || q.feederEnded);
}

void cadhostAdvanceClock(DWORD milliseconds) { queue().clock += milliseconds; }

namespace {
// withInput: every input; queuedOnly: only the events queued, the feeder is not asked.
int pump(bool withInput, bool queuedOnly) {
    // A bound keeps a window that posts to itself on every message from holding the pump.
    constexpr int kMaxMessages = 100000;
    int count = 0;
    MSG msg;
    while (count < kMaxMessages) {
        FetchResult r;
        if (queuedOnly) {
            queue().feederHeld = true;
            r = cadhostFetchMessage(&msg, !queue().input.empty());
            queue().feederHeld = false;
        } else {
            r = cadhostFetchMessage(&msg, withInput);
        }
        if (r == FetchResult::Idle) break;
        if (r == FetchResult::Quit) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ++count;
        if (cadhostFilterMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return count;
}
}  // namespace

int cadhostPumpMessages(bool withInput) { return pump(withInput, false); }

int cadhostPumpQueuedInput() { return pump(false, true); }
