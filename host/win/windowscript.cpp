// The window-event language: parsing lines and feeding the events they make to the input.
#include "win/windowscript.h"
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <deque>
#include <memory>
#include <vector>
#include "win/menus.h"
#include "win/render.h"
#include "win/winuser.h"

namespace {

// Splits a line into words; a quoted word keeps its blanks. False for an unterminated quote.
bool words(const std::string& line, std::vector<std::string>& out, std::vector<bool>& quoted) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i >= line.size()) break;
        std::string w;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '\\' && i < line.size()) w += line[i++];
                else if (c == '"') { closed = true; break; }
                else w += c;
            }
            if (!closed) return false;
            out.push_back(w);
            quoted.push_back(true);
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) w += line[i++];
            out.push_back(w);
            quoted.push_back(false);
        }
    }
    return true;
}

bool number(const std::string& s, long long low, long long high, long long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(s.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0' && out >= low && out <= high;
}

bool point(const std::string& s, POINT& p) {
    size_t comma = s.find(',');
    long long x = 0, y = 0;
    if (comma == std::string::npos || !number(s.substr(0, comma), -100000, 100000, x) ||
        !number(s.substr(comma + 1), -100000, 100000, y))
        return false;
    p = POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
    return true;
}

bool target(const std::string& s, WindowEventTarget& t) {
    t = WindowEventTarget{};
    if (s == "active") {
        t.kind = WindowEventTarget::Active;
        return true;
    }
    if (!s.empty() && s[0] == '#') {
        size_t at = s.find('@');
        long long id = 0;
        if (!number(s.substr(1, at == std::string::npos ? std::string::npos : at - 1), 0, 0xFFFF, id)) return false;
        t.kind = WindowEventTarget::Control;
        t.id = static_cast<int>(id);
        if (at != std::string::npos) {
            t.hasPoint = true;
            return point(s.substr(at + 1), t.pt);
        }
        return true;
    }
    if (!s.empty() && s[0] == '@') {
        t.kind = WindowEventTarget::Client;
        return point(s.substr(1), t.pt);
    }
    t.kind = WindowEventTarget::Screen;
    return point(s, t.pt);
}

const char* const kVerbs[] = {"click", "dblclick", "press", "release", "move", "drag", "wheel",
                              "type", "key", "keydown", "keyup", "wait", "picture", "menu"};

std::string lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

UINT keyCode(const std::string& typed) {
    const std::string name = lower(typed);
    static const struct { const char* name; UINT vk; } names[] = {
        {"enter", VK_RETURN}, {"return", VK_RETURN}, {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},
        {"tab", VK_TAB}, {"space", VK_SPACE}, {"backspace", VK_BACK}, {"delete", VK_DELETE},
        {"left", VK_LEFT}, {"right", VK_RIGHT}, {"up", VK_UP}, {"down", VK_DOWN}, {"home", VK_HOME},
        {"end", VK_END}, {"pageup", VK_PRIOR}, {"pagedown", VK_NEXT}, {"insert", VK_INSERT},
        {"shift", VK_SHIFT}, {"ctrl", VK_CONTROL}, {"control", VK_CONTROL}, {"alt", VK_MENU}};
    for (const auto& n : names)
        if (name == n.name) return n.vk;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
    long long f = 0;
    if (name.size() >= 2 && name[0] == 'f' && number(name.substr(1), 1, 12, f)) return VK_F1 + static_cast<UINT>(f - 1);
    return 0;
}

// The window of a control id below a window, searched through its descendants; only visible
// ones when asked.
HWND findControl(HWND parent, int id, bool visibleOnly = false) {
    HWND h = GetDlgItem(parent, id);
    if (h && (!visibleOnly || IsWindowVisible(h))) return h;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (HWND found = findControl(c, id, visibleOnly)) return found;
    return nullptr;
}

HWND activeRoot() {
    HWND a = GetActiveWindow();
    return a ? a : GetTopWindow(nullptr);
}

WindowScriptSite& scriptSite() {
    static WindowScriptSite site;
    return site;
}

std::vector<HWND> siteBars() {
    return scriptSite().bars ? scriptSite().bars() : std::vector<HWND>{};
}

// A control by id: a visible one in the active window, else in the bars, else a hidden one in
// the active window.
HWND lookUpControl(HWND active, int id) {
    if (active)
        if (HWND h = findControl(active, id, true)) return h;
    for (HWND bar : siteBars())
        if (IsWindowVisible(bar))
            if (HWND h = findControl(bar, id, true)) return h;
    return active ? findControl(active, id) : nullptr;
}

std::string windowText(HWND hwnd) {
    char buffer[512] = "";
    GetWindowText(hwnd, buffer, sizeof buffer);
    return buffer;
}

// The first window of the list with the text, a visible one before a hidden one.
HWND byTitle(const std::vector<HWND>& windows, const std::string& title) {
    HWND hidden = nullptr;
    for (HWND h : windows) {
        if (windowText(h) != title) continue;
        if (IsWindowVisible(h)) return h;
        if (!hidden) hidden = h;
    }
    return hidden;
}

// The window a picture is taken of, or null with the reason.
HWND pictureWindow(const WindowEventTarget& t, std::string& error) {
    HWND active = activeRoot();
    HWND window = nullptr;
    switch (t.kind) {
    case WindowEventTarget::Active: window = active; break;
    case WindowEventTarget::Control: window = lookUpControl(active, t.id); break;
    case WindowEventTarget::Frame: window = scriptSite().frame ? scriptSite().frame() : nullptr; break;
    case WindowEventTarget::Menu: window = cadhostOpenPopupMenu(); break;
    case WindowEventTarget::Bar: window = byTitle(siteBars(), t.title); break;
    case WindowEventTarget::Titled: {
        std::vector<HWND> windows;
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) windows.push_back(h);
        for (HWND bar : siteBars()) windows.push_back(bar);
        window = byTitle(windows, t.title);
        break;
    }
    default: break;
    }
    if (window) return window;
    switch (t.kind) {
    case WindowEventTarget::Frame: error = "no main frame to picture"; break;
    case WindowEventTarget::Bar: error = "no bar \"" + t.title + "\" to picture"; break;
    case WindowEventTarget::Titled: error = "no window \"" + t.title + "\" to picture"; break;
    case WindowEventTarget::Menu: error = "no open menu to picture"; break;
    default: error = "no window to picture"; break;
    }
    return nullptr;
}

bool resolve(const WindowEventTarget& t, POINT& screen, std::string& error) {
    HWND active = activeRoot();
    switch (t.kind) {
    case WindowEventTarget::Screen:
        screen = t.pt;
        return true;
    case WindowEventTarget::Client:
        if (!active) break;
        screen = t.pt;
        ClientToScreen(active, &screen);
        return true;
    case WindowEventTarget::Control: {
        HWND c = lookUpControl(active, t.id);
        if (!c) {
            error = "no control " + std::to_string(t.id) + " in the active window";
            return false;
        }
        if (t.hasPoint) {
            screen = t.pt;
            ClientToScreen(c, &screen);
        } else {
            RECT r;
            GetWindowRect(c, &r);
            screen = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        }
        return true;
    }
    case WindowEventTarget::Active: {
        if (!active) break;
        RECT r;
        GetWindowRect(active, &r);
        screen = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        return true;
    }
    default:
        break;
    }
    error = "no active window";
    return false;
}

WindowInputEvent mouse(WindowInputEvent::Kind kind, POINT pt, int button) {
    WindowInputEvent e;
    e.kind = kind;
    e.pt = pt;
    e.button = button;
    return e;
}

// Turns a command into input events; pictures are taken here, at their turn.
bool expand(const WindowEventCommand& c, std::deque<WindowInputEvent>& out, std::string& error) {
    POINT a{0, 0}, b{0, 0};
    switch (c.verb) {
    case WindowEventCommand::Skip: return true;
    case WindowEventCommand::Type:
        for (char ch : c.text) {
            WindowInputEvent e;
            e.kind = WindowInputEvent::Char;
            e.key = static_cast<unsigned char>(ch);
            out.push_back(e);
        }
        return true;
    case WindowEventCommand::Key:
        for (int i = 0; i < c.count; ++i) {
            WindowInputEvent e;
            e.kind = WindowInputEvent::KeyDown;
            e.key = c.key;
            out.push_back(e);
            e.kind = WindowInputEvent::KeyUp;
            out.push_back(e);
        }
        return true;
    case WindowEventCommand::KeyDown:
    case WindowEventCommand::KeyUp: {
        WindowInputEvent e;
        e.kind = c.verb == WindowEventCommand::KeyDown ? WindowInputEvent::KeyDown : WindowInputEvent::KeyUp;
        e.key = c.key;
        out.push_back(e);
        return true;
    }
    case WindowEventCommand::Wait: {
        WindowInputEvent e;
        e.kind = WindowInputEvent::Wait;
        e.milliseconds = c.milliseconds;
        out.push_back(e);
        return true;
    }
    case WindowEventCommand::Menu: {
        POINT p{0, 0};
        if (!cadhostPopupMenuItemPoint(c.text.c_str(), &p)) {
            error = "menu: no open menu has the item " + c.text;
            return false;
        }
        out.push_back(mouse(WindowInputEvent::ButtonDown, p, 0));
        out.push_back(mouse(WindowInputEvent::ButtonUp, p, 0));
        return true;
    }
    case WindowEventCommand::Picture: {
        HWND window = pictureWindow(c.target, error);
        if (!window) return false;
        if (!cadhostSaveWindowPng(window, c.text.c_str())) {
            error = "cannot write the picture " + c.text;
            return false;
        }
        return true;
    }
    default:
        break;
    }
    if (!resolve(c.target, a, error)) return false;
    switch (c.verb) {
    case WindowEventCommand::Click:
        out.push_back(mouse(WindowInputEvent::ButtonDown, a, c.button));
        out.push_back(mouse(WindowInputEvent::ButtonUp, a, c.button));
        break;
    case WindowEventCommand::DoubleClick:
        out.push_back(mouse(WindowInputEvent::ButtonDown, a, c.button));
        out.push_back(mouse(WindowInputEvent::ButtonUp, a, c.button));
        out.push_back(mouse(WindowInputEvent::DoubleClick, a, c.button));
        out.push_back(mouse(WindowInputEvent::ButtonUp, a, c.button));
        break;
    case WindowEventCommand::Press: out.push_back(mouse(WindowInputEvent::ButtonDown, a, c.button)); break;
    case WindowEventCommand::Release: out.push_back(mouse(WindowInputEvent::ButtonUp, a, c.button)); break;
    case WindowEventCommand::Move: out.push_back(mouse(WindowInputEvent::Move, a, 0)); break;
    case WindowEventCommand::Drag: {
        if (!resolve(c.to, b, error)) return false;
        out.push_back(mouse(WindowInputEvent::ButtonDown, a, c.button));
        out.push_back(mouse(WindowInputEvent::Move, POINT{(a.x + b.x) / 2, (a.y + b.y) / 2}, 0));
        out.push_back(mouse(WindowInputEvent::Move, b, 0));
        out.push_back(mouse(WindowInputEvent::ButtonUp, b, c.button));
        break;
    }
    case WindowEventCommand::Wheel: {
        WindowInputEvent e = mouse(WindowInputEvent::Wheel, a, 0);
        e.delta = c.count * WHEEL_DELTA;
        out.push_back(e);
        break;
    }
    default:
        break;
    }
    return true;
}

}  // namespace

bool cadhostParseWindowEvent(const std::string& line, WindowEventCommand& c, std::string& error) {
    c = WindowEventCommand{};
    std::vector<std::string> w;
    std::vector<bool> quoted;
    if (!words(line, w, quoted)) {
        error = "unterminated quoted text";
        return false;
    }
    if (w.empty() || (!quoted[0] && w[0][0] == ';')) return true;
    const std::string verb = lower(w[0]);
    auto args = [&](size_t low, size_t high) {
        if (w.size() - 1 < low || w.size() - 1 > high) {
            error = verb + ": wrong number of words";
            return false;
        }
        return true;
    };
    auto badTarget = [&](const std::string& s) {
        error = verb + ": not a target: " + s;
        return false;
    };
    auto button = [&](size_t at) {
        if (w.size() <= at) return true;
        if (w[at] == "right") { c.button = 1; return true; }
        if (w[at] == "left") return true;
        error = verb + ": not a button: " + w[at];
        return false;
    };
    long long n = 0;
    if (verb == "click" || verb == "dblclick" || verb == "press" || verb == "release") {
        c.verb = verb == "click" ? WindowEventCommand::Click : verb == "dblclick" ? WindowEventCommand::DoubleClick
               : verb == "press" ? WindowEventCommand::Press : WindowEventCommand::Release;
        if (!args(1, 2)) return false;
        if (!target(w[1], c.target)) return badTarget(w[1]);
        return button(2);
    }
    if (verb == "move") {
        c.verb = WindowEventCommand::Move;
        if (!args(1, 1)) return false;
        return target(w[1], c.target) || badTarget(w[1]);
    }
    if (verb == "drag") {
        c.verb = WindowEventCommand::Drag;
        if (!args(2, 3)) return false;
        if (!target(w[1], c.target)) return badTarget(w[1]);
        if (!target(w[2], c.to)) return badTarget(w[2]);
        return button(3);
    }
    if (verb == "wheel") {
        c.verb = WindowEventCommand::Wheel;
        if (!args(2, 2)) return false;
        if (!target(w[1], c.target)) return badTarget(w[1]);
        if (!number(w[2], -100, 100, n)) {
            error = "wheel: notches from -100 to 100";
            return false;
        }
        c.count = static_cast<int>(n);
        return true;
    }
    if (verb == "type") {
        c.verb = WindowEventCommand::Type;
        if (!args(1, 1) || !quoted[1]) {
            error = "type: one quoted text";
            return false;
        }
        c.text = w[1];
        return true;
    }
    if (verb == "key") {
        c.verb = WindowEventCommand::Key;
        if (!args(1, 2)) return false;
        c.key = keyCode(w[1]);
        if (!c.key) {
            error = "key: unknown key " + w[1];
            return false;
        }
        if (w.size() == 3) {
            if (!number(w[2], 1, 1000, n)) {
                error = "key: count from 1 to 1000";
                return false;
            }
            c.count = static_cast<int>(n);
        }
        return true;
    }
    if (verb == "keydown" || verb == "keyup") {
        c.verb = verb == "keydown" ? WindowEventCommand::KeyDown : WindowEventCommand::KeyUp;
        if (!args(1, 1)) return false;
        c.key = keyCode(w[1]);
        if (!c.key) {
            error = verb + ": unknown key " + w[1];
            return false;
        }
        return true;
    }
    if (verb == "wait") {
        c.verb = WindowEventCommand::Wait;
        if (!args(1, 1) || !number(w[1], 0, 86400000, n)) {
            error = "wait: milliseconds from 0 to 86400000";
            return false;
        }
        c.milliseconds = static_cast<DWORD>(n);
        return true;
    }
    if (verb == "picture") {
        c.verb = WindowEventCommand::Picture;
        const std::string kind = w.size() > 1 && !quoted[1] ? lower(w[1]) : std::string();
        if (kind == "bar" || kind == "window") {
            if (!args(3, 3) || !quoted[2] || !quoted[3] || w[3].empty()) {
                error = "picture: " + kind + " \"<title>\" \"<path>\"";
                return false;
            }
            c.target.kind = kind == "bar" ? WindowEventTarget::Bar : WindowEventTarget::Titled;
            c.target.title = w[2];
            c.text = w[3];
            return true;
        }
        if (!args(2, 2) || !quoted[2] || w[2].empty()) {
            error = "picture: a window and a quoted path";
            return false;
        }
        if (kind == "frame") {
            c.target.kind = WindowEventTarget::Frame;
        } else if (kind == "menu") {
            c.target.kind = WindowEventTarget::Menu;
        } else if (quoted[1] || !target(w[1], c.target) ||
                   (c.target.kind != WindowEventTarget::Active && c.target.kind != WindowEventTarget::Control)) {
            return badTarget(w[1]);
        }
        c.text = w[2];
        return true;
    }
    if (verb == "menu") {
        c.verb = WindowEventCommand::Menu;
        if (!args(1, 1) || !quoted[1] || w[1].empty()) {
            error = "menu: the quoted text of an item";
            return false;
        }
        c.text = w[1];
        return true;
    }
    error = "unknown window event: " + w[0];
    return false;
}

bool cadhostIsWindowEventLine(const std::string& line) {
    std::vector<std::string> w;
    std::vector<bool> quoted;
    if (!words(line, w, quoted)) {
        // Text left open: the first word as it stands tells.
        const size_t start = line.find_first_not_of(" \t\r\n\v\f");
        const size_t end = line.find_first_of(" \t\r\n\v\f\"", start);
        w.assign(1, line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        quoted.assign(1, false);
    }
    if (w.empty() || (!quoted[0] && !w[0].empty() && w[0][0] == ';')) return true;
    const std::string verb = lower(w[0]);
    for (const char* v : kVerbs)
        if (verb == v) return true;
    return false;
}

void cadhostSetWindowScriptSite(WindowScriptSite site) { scriptSite() = std::move(site); }

bool cadhostQueueWindowEventLine(const std::string& line, std::string& error) {
    WindowEventCommand c;
    std::deque<WindowInputEvent> events;
    if (!cadhostParseWindowEvent(line, c, error) || !expand(c, events, error)) return false;
    for (const WindowInputEvent& e : events) cadhostQueueInput(e);
    return true;
}

void cadhostRunWindowScript(std::function<bool(std::string& line)> nextLine,
                            std::function<void(const std::string& error)> onError) {
    auto pending = std::make_shared<std::deque<WindowInputEvent>>();
    cadhostSetInputFeeder([nextLine = std::move(nextLine), onError = std::move(onError), pending](WindowInputEvent& e) {
        while (pending->empty()) {
            std::string line;
            if (!nextLine(line)) return false;
            WindowEventCommand c;
            std::string error;
            if (!cadhostParseWindowEvent(line, c, error) || !expand(c, *pending, error)) {
                if (onError) onError(error);
            }
        }
        e = pending->front();
        pending->pop_front();
        return true;
    });
}
