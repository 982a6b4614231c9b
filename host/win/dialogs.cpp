// Dialogs: creation from templates, the dialog class's default handling, the modal loop and the
// keyboard interface.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include "win/controls.h"
#include "win/dialogs.h"
#include "win/headless.h"
#include "win/systemclasses.h"
#include "win/windowstate.h"
#include "win/wingdi.h"

namespace {

struct DialogState {
    bool ended = false;
    INT_PTR result = 0;
    int defaultId = IDOK;
    HWND savedFocus = nullptr;
    HFONT font = nullptr;
    HWND disabledOwner = nullptr;  // the owner a modal dialog disabled
};

std::map<HWND, DialogState>& dialogs() {
    static std::map<HWND, DialogState> d;
    return d;
}

DialogState* stateOf(HWND dialog) {
    auto it = dialogs().find(dialog);
    return it == dialogs().end() ? nullptr : &it->second;
}

struct CreateParams {
    DLGPROC proc;
    HFONT font;
};

const char* atomClass(WORD atom) {
    switch (atom) {
    case DLGATOM_BUTTON: return "Button";
    case DLGATOM_EDIT: return "Edit";
    case DLGATOM_STATIC: return "Static";
    case DLGATOM_LISTBOX: return "ListBox";
    case DLGATOM_SCROLLBAR: return "ScrollBar";
    case DLGATOM_COMBOBOX: return "ComboBox";
    default: return "";
    }
}

bool isPushButton(HWND control) {
    if (!(SendMessage(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
    return true;
}

// Gives a control the focus as the dialog manager does: edit fields get their text selected.
void focusControl(HWND dialog, HWND control) {
    if (!control) return;
    if (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessage(control, EM_SETSEL, 0, -1);
    SetFocus(control);
    if (DialogState* s = stateOf(dialog)) s->savedFocus = control;
}

bool tabStop(HWND h) {
    return IsWindowVisible(h) && IsWindowEnabled(h) && (GetWindowLong(h, GWL_STYLE) & WS_TABSTOP);
}

// Children of the dialog in tab order.
std::vector<HWND> controlsOf(HWND dialog) {
    std::vector<HWND> out;
    for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) out.push_back(h);
    return out;
}

void setDefaultId(HWND dialog, int id) {
    DialogState* s = stateOf(dialog);
    if (!s) return;
    HWND old = GetDlgItem(dialog, s->defaultId);
    if (old && (SendMessage(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
        SendMessage(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    s->defaultId = id;
    HWND now = GetDlgItem(dialog, id);
    if (now && (SendMessage(now, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
        SendMessage(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void command(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (control && !IsWindowEnabled(control)) {
        MessageBeep(0);
        return;
    }
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// A modal dialog's owner is enabled and activated again before the dialog goes.
void giveBackOwner(HWND dialog, DialogState& s) {
    HWND owner = s.disabledOwner;
    s.disabledOwner = nullptr;
    if (!owner || !IsWindow(owner)) return;
    EnableWindow(owner, TRUE);
    HWND active = GetActiveWindow();
    if (!active || active == dialog) SetActiveWindow(owner);
}

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        auto* params = cs ? static_cast<CreateParams*>(cs->lpCreateParams) : nullptr;
        DialogState& s = dialogs()[hwnd];
        if (params) {
            SetWindowLongPtr(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(params->proc));
            s.font = params->font;
        }
    }
    return DefDlgProc(hwnd, message, wParam, lParam);
}

}  // namespace

const SystemClass& dialogSystemClass() {
    static const SystemClass c{"#32770", 0, CS_DBLCLKS, DialogClassProc, DLGWINDOWEXTRA,
                               reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_3DFACE + 1))};
    return c;
}

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtr(dialog, DWLP_DLGPROC));
    if (proc) {
        SetWindowLongPtr(dialog, DWLP_MSGRESULT, 0);
        INT_PTR handled = proc(dialog, message, wParam, lParam);
        if (!IsWindow(dialog)) return 0;
        switch (message) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
            if (handled || message == WM_INITDIALOG) return handled;
            break;
        default:
            if (handled) return GetWindowLongPtr(dialog, DWLP_MSGRESULT);
        }
    }
    DialogState* s = stateOf(dialog);
    switch (message) {
    case WM_ERASEBKGND: {
        auto brush = reinterpret_cast<HBRUSH>(SendMessage(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
        if (!brush) brush = GetSysColorBrush(COLOR_3DFACE);
        RECT r;
        GetClientRect(dialog, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    case WM_CLOSE:
        command(dialog, IDCANCEL);
        return 0;
    case WM_ACTIVATE:
        if (!s) break;
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(dialog, f)) s->savedFocus = f;
        } else {
            HWND f = IsWindow(s->savedFocus) && IsChild(dialog, s->savedFocus) ? s->savedFocus : GetNextDlgTabItem(dialog, nullptr, FALSE);
            if (f) focusControl(dialog, f);
            else SetFocus(dialog);
        }
        return 0;
    case WM_SETFOCUS:
        if (s) {
            HWND f = IsWindow(s->savedFocus) && IsChild(dialog, s->savedFocus) ? s->savedFocus : GetNextDlgTabItem(dialog, nullptr, FALSE);
            if (f) focusControl(dialog, f);
        }
        return 0;
    case WM_NEXTDLGCTL: {
        HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam ? TRUE : FALSE);
        if (target) focusControl(dialog, target);
        return 0;
    }
    case DM_GETDEFID:
        return s ? MAKELRESULT(s->defaultId, DC_HASDEFID) : 0;
    case DM_SETDEFID:
        setDefaultId(dialog, static_cast<int>(wParam));
        return TRUE;
    case WM_GETFONT:
        return s ? reinterpret_cast<LRESULT>(s->font) : 0;
    case WM_NCDESTROY:
        if (s) {
            DeleteObject(s->font);
            dialogs().erase(dialog);
        }
        break;
    default:
        break;
    }
    return DefWindowProc(dialog, message, wParam, lParam);
}

LONG GetDialogBaseUnits() { return MAKELONG(6, 13); }

BOOL MapDialogRect(HWND, RECT* rect) {
    if (!rect) return FALSE;
    rect->left = MulDiv(rect->left, 6, 4);
    rect->right = MulDiv(rect->right, 6, 4);
    rect->top = MulDiv(rect->top, 13, 8);
    rect->bottom = MulDiv(rect->bottom, 13, 8);
    return TRUE;
}

HWND CreateDialogIndirectParam(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC proc,
                               LPARAM initParam) {
    HFONT font = nullptr;
    if ((t.style & DS_SETFONT) || !t.faceName.empty())
        font = CreateFont(-MulDiv(t.pointSize ? t.pointSize : 8, 96, 72), 0, 0, 0, t.weight, t.italic, 0, 0, 0, 0,
                          0, 0, 0, t.faceName.c_str());
    RECT client{0, 0, t.cx, t.cy};
    MapDialogRect(nullptr, &client);
    RECT frame = winstate::frameInsets(t.style, t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0));
    int width = client.right + frame.left + frame.right;
    int height = client.bottom + frame.top + frame.bottom;
    RECT at{t.x, t.y, t.x, t.y};
    MapDialogRect(nullptr, &at);
    POINT origin{at.left, at.top};
    HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    if (t.style & WS_CHILD) {
        owner = parent;
    } else if (t.style & DS_CENTER) {
        RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (owner) GetWindowRect(owner, &area);
        origin = POINT{area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
    } else if (owner && !(t.style & DS_ABSALIGN)) {
        ClientToScreen(owner, &origin);
    }
    DWORD exStyle = t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    CreateParams params{proc, font};
    HWND dialog = CreateWindowEx(exStyle, t.className.empty() ? "#32770" : t.className.c_str(), t.caption.c_str(),
                                 t.style & ~WS_VISIBLE, origin.x, origin.y, width, height, owner, nullptr,
                                 instance, &params);
    if (!dialog) {
        DeleteObject(font);
        return nullptr;
    }
    if (!stateOf(dialog)) {
        // A dialog of its own class: its procedure calls DefDlgProc; the state is made here.
        dialogs()[dialog].font = font;
        SetWindowLongPtr(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    }
    if (font) SendMessage(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int defaultId = IDOK;
    for (const DialogItemTemplate& item : t.items) {
        RECT r{item.x, item.y, item.x + item.cx, item.y + item.cy};
        MapDialogRect(dialog, &r);
        const char* cls = item.className.empty() ? atomClass(item.classAtom) : item.className.c_str();
        HWND control = CreateWindowEx(item.exStyle, cls, item.text.c_str(), item.style | WS_CHILD, r.left, r.top,
                                      r.right - r.left, r.bottom - r.top, dialog,
                                      reinterpret_cast<HMENU>(static_cast<uintptr_t>(static_cast<WORD>(item.id))),
                                      instance, nullptr);
        if (!control) {
            if (t.style & DS_NOFAILCREATE) continue;
            DestroyWindow(dialog);
            return nullptr;
        }
        if (font) SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) defaultId = item.id;
    }
    if (DialogState* s = stateOf(dialog)) s->defaultId = defaultId;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam) && IsWindow(dialog)) {
        first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        if (DialogState* s = stateOf(dialog)) s->savedFocus = first;
        if (first && (t.style & WS_VISIBLE)) focusControl(dialog, first);
    }
    if (!IsWindow(dialog)) return nullptr;
    DialogState* s = stateOf(dialog);
    if ((t.style & WS_VISIBLE) && !(s && s->ended)) ShowWindow(dialog, SW_SHOW);
    return dialog;
}

INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC proc,
                               LPARAM initParam) {
    DialogTemplate hidden = t;
    hidden.style &= ~WS_VISIBLE;
    HWND dialog = CreateDialogIndirectParam(instance, hidden, parent, proc, initParam);
    if (!dialog) return -1;
    HWND owner = GetWindow(dialog, GW_OWNER);
    bool disabledHere = owner && IsWindowEnabled(owner);
    if (disabledHere) {
        EnableWindow(owner, FALSE);
        stateOf(dialog)->disabledOwner = owner;
    }
    if (!stateOf(dialog)->ended) {
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
    }
    bool quit = false;
    int quitCode = 0;
    while (IsWindow(dialog) && !stateOf(dialog)->ended) {
        MSG msg;
        FetchResult r = cadhostFetchMessage(&msg, true);
        if (r == FetchResult::Idle) {
            // The input has ended: cancel as Escape would, and end the dialog if it refuses.
            command(dialog, IDCANCEL);
            if (IsWindow(dialog) && !stateOf(dialog)->ended) EndDialog(dialog, IDCANCEL);
            continue;
        }
        if (r == FetchResult::Quit) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            EndDialog(dialog, IDCANCEL);
            break;
        }
        if (cadhostFilterMessage(&msg)) continue;
        if (!IsDialogMessage(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    INT_PTR result = -1;
    if (DialogState* s = stateOf(dialog)) {
        result = s->result;
        giveBackOwner(dialog, *s);
    } else if (disabledHere && IsWindow(owner)) {
        EnableWindow(owner, TRUE);  // the dialog was destroyed without EndDialog
    }
    if (IsWindow(dialog)) DestroyWindow(dialog);
    if (quit) PostQuitMessage(quitCode);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    DialogState* s = stateOf(dialog);
    if (!s) return FALSE;
    s->ended = true;
    s->result = result;
    giveBackOwner(dialog, *s);
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> all = controlsOf(dialog);
    if (all.empty()) return nullptr;
    if (previous) std::reverse(all.begin(), all.end());
    auto at = std::find(all.begin(), all.end(), control);
    size_t start = at == all.end() ? all.size() - 1 : static_cast<size_t>(at - all.begin());
    for (size_t i = 1; i <= all.size(); ++i) {
        HWND h = all[(start + i) % all.size()];
        if (tabStop(h)) return h;
    }
    return nullptr;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> all = controlsOf(dialog);
    auto at = std::find(all.begin(), all.end(), control);
    if (at == all.end()) return nullptr;
    // The group runs from a control with WS_GROUP up to the next one.
    size_t i = static_cast<size_t>(at - all.begin());
    size_t first = i;
    while (first > 0 && !(GetWindowLong(all[first], GWL_STYLE) & WS_GROUP)) --first;
    size_t last = i;
    while (last + 1 < all.size() && !(GetWindowLong(all[last + 1], GWL_STYLE) & WS_GROUP)) ++last;
    size_t n = last - first + 1;
    for (size_t k = 1; k <= n; ++k) {
        size_t j = previous ? first + (i - first + n - k) % n : first + (i - first + k) % n;
        if (IsWindowVisible(all[j]) && IsWindowEnabled(all[j])) return all[j];
    }
    return control;
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
    if (!msg || !IsWindow(dialog) || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return FALSE;
    LRESULT code = SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    if (msg->message == WM_KEYDOWN && !(code & DLGC_WANTALLKEYS)) {
        switch (msg->wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB) break;
            focusControl(dialog, GetNextDlgTabItem(dialog, GetFocus(), GetKeyState(VK_SHIFT) < 0));
            return TRUE;
        case VK_RETURN: {
            HWND focus = GetFocus();
            if (focus && IsChild(dialog, focus) && isPushButton(focus)) command(dialog, GetDlgCtrlID(focus));
            else command(dialog, LOWORD(SendMessage(dialog, DM_GETDEFID, 0, 0)));
            return TRUE;
        }
        case VK_ESCAPE:
            command(dialog, IDCANCEL);
            return TRUE;
        case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
            if (code & DLGC_WANTARROWS) break;
            if (HWND next = GetNextDlgGroupItem(dialog, msg->hwnd, msg->wParam == VK_LEFT || msg->wParam == VK_UP)) {
                focusControl(dialog, next);
                if (SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessage(next, BM_CLICK, 0, 0);
            }
            return TRUE;
        default:
            break;
        }
    }
    if (msg->message == WM_CHAR && !(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) &&
        (msg->wParam == '\r' || msg->wParam == 0x1b || msg->wParam == '\t'))
        return TRUE;
    TranslateMessage(msg);
    DispatchMessage(msg);
    return TRUE;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessage(GetDlgItem(dialog, id), message, wParam, lParam);
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
    HWND c = GetDlgItem(dialog, id);
    return c ? SetWindowText(c, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char* buffer, int bufferMax) {
    HWND c = GetDlgItem(dialog, id);
    if (!c) {
        if (buffer && bufferMax > 0) buffer[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowText(c, buffer, bufferMax));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    char text[16];
    if (isSigned) std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else std::snprintf(text, sizeof text, "%u", value);
    return SetDlgItemText(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    char text[64];
    GetDlgItemText(dialog, id, text, sizeof text);
    char* end = nullptr;
    const char* p = text;
    while (*p == ' ') ++p;
    long long v = std::strtoll(p, &end, 10);
    while (end && *end == ' ') ++end;
    bool ok = end != p && end && *end == '\0' && (isSigned ? (v >= INT32_MIN && v <= INT32_MAX) : (v >= 0 && v <= UINT32_MAX));
    if (translated) *translated = ok ? TRUE : FALSE;
    return ok ? static_cast<UINT>(v) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND c = GetDlgItem(dialog, id);
    if (!c) return FALSE;
    SendMessage(c, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessage(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
    for (int id = first; id <= last; ++id) CheckDlgButton(dialog, id, id == check ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}
