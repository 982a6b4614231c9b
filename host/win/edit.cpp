// The edit control, single line: text typed at a caret, a selection, a length limit, read-only
// fields and horizontal scrolling; EN_CHANGE, EN_SETFOCUS, EN_KILLFOCUS and EN_MAXTEXT.
#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/systemclasses.h"

namespace {

constexpr int kDefaultLimit = 0x7FFFFFFE;
constexpr int kMargin = 1;

struct EditState {
    int anchor = 0;  // the fixed end of the selection
    int caret = 0;   // the moving end, where the caret is
    int limit = kDefaultLimit;
    int scroll = 0;  // pixels of text scrolled out at the left
    bool modified = false;
    bool focus = false;
};

std::map<HWND, EditState>& states() {
    static std::map<HWND, EditState> s;
    return s;
}

EditState& state(HWND e) { return states()[e]; }

std::string text(HWND e) {
    int n = GetWindowTextLength(e);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    GetWindowText(e, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

DWORD style(HWND e) { return static_cast<DWORD>(GetWindowLong(e, GWL_STYLE)); }

std::string shown(HWND e, const std::string& s) {
    return (style(e) & ES_PASSWORD) ? std::string(s.size(), '*') : s;
}

int textWidth(HWND e, const std::string& s) {
    HDC dc = GetDC(e);
    controls::selectFont(e, dc);
    SIZE size{0, 0};
    GetTextExtentPoint32(dc, s.c_str(), static_cast<int>(s.size()), &size);
    ReleaseDC(e, dc);
    return size.cx;
}

void changed(HWND e) {
    state(e).modified = true;
    InvalidateRect(e, nullptr, TRUE);
    cadhostNotifyParent(e, EN_UPDATE);
    cadhostNotifyParent(e, EN_CHANGE);
}

// Puts the text in the control without notifying, keeping the selection in range.
void store(HWND e, const std::string& s) {
    DefWindowProc(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void scrollToCaret(HWND e) {
    EditState& st = state(e);
    RECT r;
    GetClientRect(e, &r);
    int visible = std::max(1, static_cast<int>(r.right) - 2 * kMargin);
    std::string s = shown(e, text(e));
    int x = textWidth(e, s.substr(0, static_cast<size_t>(st.caret)));
    if (x - st.scroll > visible) st.scroll = x - visible + visible / 3;
    if (x < st.scroll) st.scroll = std::max(0, x - visible / 3);
    if (!(style(e) & ES_AUTOHSCROLL)) st.scroll = 0;
}

// Replaces the selection with the given characters, within the limit and (without
// ES_AUTOHSCROLL) the width of the control. False when nothing could be put in.
bool replaceSelection(HWND e, const std::string& insert, bool notify) {
    EditState& st = state(e);
    std::string s = text(e);
    int a = std::min(st.anchor, st.caret), b = std::max(st.anchor, st.caret);
    size_t room = static_cast<size_t>(std::max(0, st.limit - (static_cast<int>(s.size()) - (b - a))));
    std::string put = insert.substr(0, std::min(insert.size(), room));
    std::string next = s.substr(0, static_cast<size_t>(a)) + put + s.substr(static_cast<size_t>(b));
    if (!(style(e) & ES_AUTOHSCROLL)) {
        RECT r;
        GetClientRect(e, &r);
        while (!put.empty() && textWidth(e, shown(e, next)) > r.right - 2 * kMargin) {
            put.pop_back();
            next = s.substr(0, static_cast<size_t>(a)) + put + s.substr(static_cast<size_t>(b));
        }
    }
    bool cut = put.size() < insert.size();
    if (put.empty() && a == b) {
        if (cut && notify) cadhostNotifyParent(e, EN_MAXTEXT);
        return false;
    }
    store(e, next);
    st.anchor = st.caret = a + static_cast<int>(put.size());
    scrollToCaret(e);
    if (notify) {
        changed(e);
        if (cut) cadhostNotifyParent(e, EN_MAXTEXT);
    } else {
        InvalidateRect(e, nullptr, TRUE);
    }
    return true;
}

void moveCaret(HWND e, int to) {
    EditState& st = state(e);
    int n = GetWindowTextLength(e);
    st.caret = st.anchor = std::clamp(to, 0, n);
    scrollToCaret(e);
    InvalidateRect(e, nullptr, TRUE);
}

void typeChar(HWND e, char c) {
    DWORD s = style(e);
    if (s & ES_READONLY) {
        MessageBeep(0);
        return;
    }
    EditState& st = state(e);
    if (c == '\b') {
        if (st.anchor == st.caret) {
            if (st.caret == 0) return;
            st.anchor = st.caret - 1;
        }
        replaceSelection(e, "", true);
        return;
    }
    if (static_cast<unsigned char>(c) < 0x20) return;
    if ((s & ES_NUMBER) && !std::isdigit(static_cast<unsigned char>(c))) {
        MessageBeep(0);
        return;
    }
    if (s & ES_UPPERCASE) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (s & ES_LOWERCASE) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!replaceSelection(e, std::string(1, c), true)) MessageBeep(0);
}

void keyDown(HWND e, WPARAM key) {
    EditState& st = state(e);
    int a = std::min(st.anchor, st.caret), b = std::max(st.anchor, st.caret);
    switch (key) {
    case VK_LEFT: moveCaret(e, a == b ? st.caret - 1 : a); break;
    case VK_RIGHT: moveCaret(e, a == b ? st.caret + 1 : b); break;
    case VK_HOME: moveCaret(e, 0); break;
    case VK_END: moveCaret(e, GetWindowTextLength(e)); break;
    case VK_DELETE:
        if (style(e) & ES_READONLY) break;
        if (a == b) {
            if (b >= GetWindowTextLength(e)) break;
            st.anchor = a;
            st.caret = b + 1;
        }
        replaceSelection(e, "", true);
        break;
    default: break;
    }
}

// The character position nearest to a client x.
int hit(HWND e, int x) {
    std::string s = shown(e, text(e));
    int target = x - kMargin + state(e).scroll;
    int best = 0, bestDistance = std::abs(target);
    for (size_t i = 1; i <= s.size(); ++i) {
        int d = std::abs(textWidth(e, s.substr(0, i)) - target);
        if (d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

void paint(HWND e) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(e, &ps);
    RECT r;
    GetClientRect(e, &r);
    HGDIOBJ oldFont = controls::selectFont(e, dc);
    bool plain = IsWindowEnabled(e) && !(style(e) & ES_READONLY);
    HBRUSH back = controls::parentBrush(e, dc, plain ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    FillRect(dc, &r, back);
    EditState& st = state(e);
    std::string s = shown(e, text(e));
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    int x0 = kMargin - st.scroll;
    int y = (style(e) & ES_MULTILINE) ? kMargin : std::max(0, static_cast<int>(r.bottom - tm.tmHeight) / 2);
    DWORD align = style(e) & (ES_CENTER | ES_RIGHT);
    if (align && !(style(e) & ES_AUTOHSCROLL)) {
        int w = textWidth(e, s);
        x0 = align == ES_CENTER ? (r.right - w) / 2 : r.right - kMargin - w;
    }
    SetTextColor(dc, controls::textColor(e, dc));
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, 0, 0, r.right, r.bottom);
    TextOut(dc, x0, y, s.c_str(), static_cast<int>(s.size()));
    int a = std::min(st.anchor, st.caret), b = std::max(st.anchor, st.caret);
    if (st.focus && a != b) {
        int xa = x0 + textWidth(e, s.substr(0, static_cast<size_t>(a)));
        int xb = x0 + textWidth(e, s.substr(0, static_cast<size_t>(b)));
        RECT sel{xa, y, xb, y + tm.tmHeight};
        FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        std::string part = s.substr(static_cast<size_t>(a), static_cast<size_t>(b - a));
        TextOut(dc, xa, y, part.c_str(), static_cast<int>(part.size()));
    }
    if (st.focus && a == b) {
        int xc = x0 + textWidth(e, s.substr(0, static_cast<size_t>(st.caret)));
        RECT caret{xc, y, xc + 1, y + tm.tmHeight};
        FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(e, &ps);
}

LRESULT CALLBACK EditProc(HWND e, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        states()[e] = EditState{};
        break;
    case WM_NCDESTROY:
        states().erase(e);
        break;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if ((style(e) & ES_MULTILINE) && (style(e) & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETTEXT: {
        LRESULT r = DefWindowProc(e, message, wParam, lParam);
        EditState& st = state(e);
        st.anchor = st.caret = 0;
        st.scroll = 0;
        st.modified = false;
        InvalidateRect(e, nullptr, TRUE);
        // Single-line fields report text set from outside as a change too.
        if (!(style(e) & ES_MULTILINE)) {
            cadhostNotifyParent(e, EN_UPDATE);
            cadhostNotifyParent(e, EN_CHANGE);
        }
        return r;
    }
    case WM_CHAR:
        typeChar(e, static_cast<char>(wParam));
        return 0;
    case WM_KEYDOWN:
        keyDown(e, wParam);
        return 0;
    case EM_SETSEL: {
        EditState& st = state(e);
        int n = GetWindowTextLength(e);
        int start = static_cast<int>(static_cast<INT_PTR>(wParam));
        int end = static_cast<int>(lParam);
        if (start == -1) {
            st.anchor = st.caret;
        } else {
            if (end < 0 || end > n) end = n;
            st.anchor = std::clamp(start, 0, n);
            st.caret = end;
        }
        scrollToCaret(e);
        InvalidateRect(e, nullptr, TRUE);
        return 0;
    }
    case EM_GETSEL: {
        EditState& st = state(e);
        DWORD a = static_cast<DWORD>(std::min(st.anchor, st.caret)), b = static_cast<DWORD>(std::max(st.anchor, st.caret));
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = a;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = b;
        return MAKELRESULT(a, b);
    }
    case EM_LIMITTEXT:
        state(e).limit = wParam ? static_cast<int>(std::min<WPARAM>(wParam, kDefaultLimit)) : kDefaultLimit;
        return 0;
    case EM_GETLIMITTEXT:
        return state(e).limit;
    case EM_REPLACESEL:
        replaceSelection(e, lParam ? reinterpret_cast<const char*>(lParam) : "", true);
        return 0;
    case EM_SETREADONLY: {
        DWORD s = style(e);
        SetWindowLong(e, GWL_STYLE, static_cast<LONG>(wParam ? (s | ES_READONLY) : (s & ~ES_READONLY)));
        InvalidateRect(e, nullptr, TRUE);
        return TRUE;
    }
    case EM_GETMODIFY:
        return state(e).modified ? TRUE : FALSE;
    case EM_SETMODIFY:
        state(e).modified = wParam != 0;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetFocus() != e) SetFocus(e);
        if (message == WM_LBUTTONDBLCLK) SendMessage(e, EM_SETSEL, 0, -1);
        else moveCaret(e, hit(e, GET_X_LPARAM(lParam)));
        return 0;
    case WM_SETFOCUS:
        state(e).focus = true;
        InvalidateRect(e, nullptr, TRUE);
        cadhostNotifyParent(e, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        state(e).focus = false;
        InvalidateRect(e, nullptr, TRUE);
        cadhostNotifyParent(e, EN_KILLFOCUS);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(e);
        return 0;
    case WM_ENABLE:
        InvalidateRect(e, nullptr, TRUE);
        return 0;
    default:
        break;
    }
    return DefWindowProc(e, message, wParam, lParam);
}

}  // namespace

const SystemClass& editSystemClass() {
    static const SystemClass c{"Edit", DLGATOM_EDIT, CS_DBLCLKS, EditProc, 0, nullptr};
    return c;
}
