// The combo box: a face (a selection field, or an edit field for CBS_DROPDOWN, and a drop button)
// over a drop-down list ("ComboLBox") that opens as a popup above everything. The window's height
// in a template is the height of the open combo; the face takes the height its font gives it.
// Notifications reach the parent through WM_COMMAND in the platform's order.
#include <algorithm>
#include <map>
#include <string>
#include "win/combolist.h"
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/systemclasses.h"

namespace {

constexpr int kEditId = 1001;
constexpr int kFrame = 2;  // the sunken edge around the face

struct ComboState {
    HWND list = nullptr;
    HWND edit = nullptr;
    WNDPROC editProc = nullptr;
    int shown = -1;        // the item in the face
    int fieldHeight = 0;   // the selection field of the face
    int totalHeight = 0;   // face and dropped list together
    int minVisible = 30;
    int droppedWidth = 0;  // the least width of the dropped list (CB_SETDROPPEDWIDTH)
    bool dropped = false;
    bool focus = false;
    bool sizing = false;
    bool settingEdit = false;
};

std::map<HWND, ComboState>& states() { return controls::windowStates<ComboState>(); }
ComboState& state(HWND w) { return controls::windowState<ComboState>(w); }

DWORD style(HWND c) { return static_cast<DWORD>(GetWindowLong(c, GWL_STYLE)); }
bool dropDownList(HWND c) { return (style(c) & CBS_DROPDOWNLIST) == CBS_DROPDOWNLIST; }
bool ownerDrawn(HWND c) { return (style(c) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
int faceHeight(HWND c) { return state(c).fieldHeight + 2 * kFrame + 2; }
void notify(HWND c, WORD code) { cadhostNotifyParent(c, code); }
LRESULT toList(HWND c, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return state(c).list ? SendMessage(state(c).list, message, wParam, lParam) : CB_ERR;
}

int fontHeight(HWND c) {
    HDC dc = GetDC(c);
    controls::selectFont(c, dc);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    ReleaseDC(c, dc);
    return std::max<int>(1, tm.tmHeight);
}

// The face's parts in client coordinates.
RECT buttonRect(HWND c) {
    RECT r;
    GetClientRect(c, &r);
    int left = std::max<int>(kFrame, r.right - kFrame - GetSystemMetrics(SM_CXVSCROLL));
    return RECT{left, kFrame, r.right - kFrame, r.bottom - kFrame};
}

RECT fieldRect(HWND c) {
    RECT r;
    GetClientRect(c, &r);
    return RECT{kFrame + 1, kFrame + 1, buttonRect(c).left - 1, r.bottom - kFrame - 1};
}

// The face keeps the height of its field; a taller size asked for is the open combo's height.
void fitFace(HWND c) {
    ComboState& st = state(c);
    if (st.sizing) return;
    RECT r;
    GetWindowRect(c, &r);
    st.sizing = true;
    SetWindowPos(c, nullptr, 0, 0, r.right - r.left, faceHeight(c), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (state(c).edit) {
        RECT f = fieldRect(c);
        MoveWindow(state(c).edit, f.left, f.top, f.right - f.left, f.bottom - f.top, TRUE);
    }
    state(c).sizing = false;
}

void measureField(HWND c) {
    int h = fontHeight(c) + 2;
    if (ownerDrawn(c)) {
        MEASUREITEMSTRUCT mis{ODT_COMBOBOX, static_cast<UINT>(GetDlgCtrlID(c)), static_cast<UINT>(-1), 0,
                              static_cast<UINT>(h), 0};
        SendMessage(GetParent(c), WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
        h = std::clamp(static_cast<int>(mis.itemHeight), 1, 255);
    }
    state(c).fieldHeight = h;
}

std::string itemText(HWND c, int i) {
    LRESULT n = toList(c, LB_GETTEXTLEN, static_cast<WPARAM>(i));
    if (n < 0 || (ownerDrawn(c) && !(style(c) & CBS_HASSTRINGS))) return "";
    std::string s(static_cast<size_t>(n) + 1, '\0');
    toList(c, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(n));
    return s;
}

void setEditText(HWND c, const std::string& s) {
    ComboState& st = state(c);
    if (!st.edit) return;
    st.settingEdit = true;
    SetWindowText(st.edit, s.c_str());
    state(c).settingEdit = false;
}

// Shows an item in the face; true when it is another than before.
bool show(HWND c, int i) {
    ComboState& st = state(c);
    if (i == st.shown) return false;
    st.shown = i;
    setEditText(c, i >= 0 ? itemText(c, i) : "");
    InvalidateRect(c, nullptr, TRUE);
    return true;
}

// The list's selection becomes the combo's, reported when it changed.
void takeListSelection(HWND c) {
    if (show(c, static_cast<int>(toList(c, LB_GETCURSEL)))) notify(c, CBN_SELCHANGE);
}

// The dropped list is as wide as the box, or wider when a width was set.
int droppedWidth(HWND c) {
    RECT r;
    GetWindowRect(c, &r);
    return std::max(static_cast<int>(r.right - r.left), state(c).droppedWidth);
}

RECT droppedRect(HWND c) {
    RECT r;
    GetWindowRect(c, &r);
    return RECT{r.left, r.top, r.left + droppedWidth(c), r.top + std::max(state(c).totalHeight, faceHeight(c))};
}

enum class Close { Chosen, Cancelled, Quiet };

void closeUp(HWND c, Close how) {
    ComboState& st = state(c);
    if (!st.dropped) return;
    st.dropped = false;
    if (how == Close::Cancelled) toList(c, LB_SETCURSEL, static_cast<WPARAM>(st.shown));
    if (how != Close::Quiet) notify(c, how == Close::Chosen ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (!IsWindow(c)) return;
    HWND list = state(c).list;
    if (GetCapture() == list) ReleaseCapture();
    ShowWindow(list, SW_HIDE);
    InvalidateRect(c, nullptr, TRUE);
    notify(c, CBN_CLOSEUP);
}

void dropDown(HWND c) {
    if (state(c).dropped || !state(c).list) return;
    notify(c, CBN_DROPDOWN);
    if (!IsWindow(c)) return;
    ComboState& st = state(c);
    HWND list = st.list;
    RECT face;
    GetWindowRect(c, &face);
    RECT all = droppedRect(c);
    int items = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
    // Whole rows, as many as the template's height holds, one at least.
    const int room = all.bottom - face.bottom - 2;
    int contents = 0;
    for (int i = 0; i < items && i < st.minVisible; ++i) {
        int row = static_cast<int>(SendMessage(list, LB_GETITEMHEIGHT, static_cast<WPARAM>(i), 0));
        if (contents > 0 && contents + row > room) break;
        contents += row;
    }
    if (items == 0) contents = static_cast<int>(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
    int height = contents + 2;
    int top = face.bottom;
    // Above the face when the screen has no room below it.
    if (top + height > GetSystemMetrics(SM_CYSCREEN) && face.top - height >= 0) top = face.top - height;
    st.dropped = true;
    SetWindowPos(list, HWND_TOPMOST, face.left, top, all.right - all.left, height, SWP_NOACTIVATE);
    SendMessage(list, LB_SETCURSEL, static_cast<WPARAM>(st.shown), 0);
    ShowWindow(list, SW_SHOWNA);
    SetCapture(list);
    InvalidateRect(c, nullptr, TRUE);
}

bool altHeld() { return GetKeyState(VK_MENU) < 0; }

void keyDown(HWND c, WPARAM key) {
    ComboState& st = state(c);
    if (key == VK_F1 + 3 || ((key == VK_DOWN || key == VK_UP) && altHeld())) {
        if (st.dropped) closeUp(c, Close::Chosen);
        else dropDown(c);
        return;
    }
    if (st.dropped && key == VK_RETURN) {
        closeUp(c, Close::Chosen);
        return;
    }
    if (st.dropped && key == VK_ESCAPE) {
        closeUp(c, Close::Cancelled);
        return;
    }
    switch (key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
        // With an edit field, Home and End belong to the text.
        if (st.edit && (key == VK_HOME || key == VK_END)) return;
        toList(c, LB_SETCARETINDEX, static_cast<WPARAM>(st.shown));
        toList(c, WM_KEYDOWN, key);
        break;
    default:
        break;
    }
}

// Keys of the edit field that work the combo.
LRESULT CALLBACK ComboEditProc(HWND e, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND c = GetParent(e);
    WNDPROC base = state(c).editProc;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_F1 + 3 ||
            (state(c).dropped && (wParam == VK_RETURN || wParam == VK_ESCAPE))) {
            keyDown(c, wParam);
            return 0;
        }
        break;
    case WM_GETDLGCODE: {
        LRESULT code = base ? CallWindowProc(base, e, message, wParam, lParam) : 0;
        return code | SendMessage(c, WM_GETDLGCODE, wParam, lParam);
    }
    default:
        break;
    }
    return base ? CallWindowProc(base, e, message, wParam, lParam) : DefWindowProc(e, message, wParam, lParam);
}

void paintArrowButton(HWND c, HDC dc) {
    RECT b = buttonRect(c);
    controls::fill(dc, b, GetSysColor(COLOR_BTNFACE));
    RECT e = b;
    DrawEdge(dc, &e, state(c).dropped ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    int cx = (b.left + b.right) / 2 + (state(c).dropped ? 1 : 0), cy = (b.top + b.bottom) / 2 + (state(c).dropped ? 1 : 0);
    POINT arrow[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}};
    COLORREF color = GetSysColor(IsWindowEnabled(c) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    Polygon(dc, arrow, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void paintField(HWND c, HDC dc) {
    ComboState& st = state(c);
    RECT f = fieldRect(c);
    bool lit = st.focus && !st.dropped && IsWindowEnabled(c);
    if (ownerDrawn(c)) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_COMBOBOX;
        dis.CtlID = static_cast<UINT>(GetDlgCtrlID(c));
        dis.itemID = static_cast<UINT>(st.shown);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = ODS_COMBOBOXEDIT | (lit ? ODS_SELECTED | ODS_FOCUS : 0) | (IsWindowEnabled(c) ? 0 : ODS_DISABLED);
        dis.hwndItem = c;
        dis.hDC = dc;
        dis.rcItem = f;
        dis.itemData = st.shown >= 0 ? static_cast<UINT_PTR>(toList(c, LB_GETITEMDATA, static_cast<WPARAM>(st.shown))) : 0;
        SaveDC(dc);
        SendMessage(GetParent(c), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        RestoreDC(dc, -1);
        return;
    }
    if (lit) controls::fill(dc, f, GetSysColor(COLOR_HIGHLIGHT));
    std::string s = st.shown >= 0 ? itemText(c, st.shown) : "";
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(c) ? GetSysColor(COLOR_GRAYTEXT) : lit ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT));
    RECT t{f.left + 2, f.top, f.right - 2, f.bottom};
    DrawText(dc, s.c_str(), static_cast<int>(s.size()), &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (lit) DrawFocusRect(dc, &f);
}

void paint(HWND c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(c, &ps);
    RECT r;
    GetClientRect(c, &r);
    bool plain = IsWindowEnabled(c) && (dropDownList(c) || !(GetWindowLong(state(c).edit, GWL_STYLE) & ES_READONLY));
    HBRUSH back = controls::parentBrush(c, dc, plain ? WM_CTLCOLORLISTBOX : WM_CTLCOLORSTATIC);
    FillRect(dc, &r, back);
    RECT edge = r;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    HGDIOBJ oldFont = controls::selectFont(c, dc);
    if (dropDownList(c)) paintField(c, dc);
    if (IsWindow(c)) paintArrowButton(c, dc);
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(c, &ps);
}

void create(HWND c, const CREATESTRUCT* cs) {
    ComboState& st = state(c);
    st.totalHeight = cs ? cs->cy : 0;
    DWORD s = style(c);
    DWORD listStyle = WS_POPUP | WS_BORDER | WS_VSCROLL | (s & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) |
                      ((s & CBS_SORT) ? LBS_SORT : 0) | ((s & CBS_HASSTRINGS) ? LBS_HASSTRINGS : 0);
    st.list = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WC_COMBOLBOX, "", listStyle, 0, 0, 10, 10, c, nullptr,
                             nullptr, c);
    if (!IsWindow(c)) return;
    if (!dropDownList(c)) {
        DWORD editStyle = WS_CHILD | WS_VISIBLE | ((s & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0) |
                          ((s & CBS_UPPERCASE) ? ES_UPPERCASE : 0) | ((s & CBS_LOWERCASE) ? ES_LOWERCASE : 0);
        HWND edit = CreateWindowEx(0, "Edit", "", editStyle, 0, 0, 10, 10, c,
                                   reinterpret_cast<HMENU>(static_cast<uintptr_t>(kEditId)), nullptr, nullptr);
        if (edit) {
            state(c).edit = edit;
            state(c).editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtr(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboEditProc)));
        }
    }
    measureField(c);
    fitFace(c);
}

// WM_COMMAND from the list or the edit field.
void childCommand(HWND c, WORD code, HWND from) {
    ComboState& st = state(c);
    if (from == st.list) {
        if (code == LBN_SELCHANGE) takeListSelection(c);
        else if (code == combolist::kChosen) {
            takeListSelection(c);
            if (IsWindow(c)) closeUp(c, Close::Chosen);
        } else if (code == combolist::kClickedOutside) {
            closeUp(c, Close::Cancelled);
        }
        return;
    }
    if (from != st.edit || !from) return;
    switch (code) {
    case EN_UPDATE: if (!st.settingEdit) notify(c, CBN_EDITUPDATE); break;
    case EN_CHANGE: if (!st.settingEdit) notify(c, CBN_EDITCHANGE); break;
    case EN_SETFOCUS:
        if (!st.focus) {
            st.focus = true;
            notify(c, CBN_SETFOCUS);
        }
        break;
    case EN_KILLFOCUS: {
        HWND now = GetFocus();
        if (now == c) break;
        closeUp(c, Close::Cancelled);
        if (IsWindow(c) && state(c).focus) {
            state(c).focus = false;
            notify(c, CBN_KILLFOCUS);
        }
        break;
    }
    default: break;
    }
}

// Messages that go to the list as they are, CB_ to LB_.
UINT listMessage(UINT message) {
    switch (message) {
    case CB_GETCOUNT: return LB_GETCOUNT;
    case CB_GETLBTEXT: return LB_GETTEXT;
    case CB_GETLBTEXTLEN: return LB_GETTEXTLEN;
    case CB_GETITEMDATA: return LB_GETITEMDATA;
    case CB_SETITEMDATA: return LB_SETITEMDATA;
    case CB_FINDSTRING: return LB_FINDSTRING;
    case CB_FINDSTRINGEXACT: return LB_FINDSTRINGEXACT;
    case CB_GETTOPINDEX: return LB_GETTOPINDEX;
    case CB_SETTOPINDEX: return LB_SETTOPINDEX;
    default: return 0;
    }
}

LRESULT selectItem(HWND c, int i) {
    LRESULT r = toList(c, LB_SETCURSEL, static_cast<WPARAM>(i));
    state(c).shown = -2;  // shown again even when the same
    show(c, r < 0 ? -1 : i);
    return r < 0 ? CB_ERR : i;
}

LRESULT CALLBACK ComboProc(HWND c, UINT message, WPARAM wParam, LPARAM lParam) {
    if (UINT lb = listMessage(message)) return toList(c, lb, wParam, lParam);
    switch (message) {
    case WM_NCCREATE:
        states()[c] = ComboState{};
        break;
    case WM_CREATE:
        create(c, reinterpret_cast<const CREATESTRUCT*>(lParam));
        return IsWindow(c) && state(c).list ? 0 : -1;
    case WM_DESTROY:
        if (IsWindow(state(c).list)) DestroyWindow(state(c).list);
        state(c).list = nullptr;
        break;
    case WM_NCDESTROY:
        states().erase(c);
        break;
    case WM_SIZE:
        if (!state(c).sizing && HIWORD(lParam) != faceHeight(c)) {
            if (HIWORD(lParam) > faceHeight(c)) state(c).totalHeight = HIWORD(lParam);
            fitFace(c);
        }
        return 0;
    case WM_SETFONT: {
        DefWindowProc(c, message, wParam, lParam);
        toList(c, WM_SETFONT, wParam, lParam);
        if (state(c).edit) SendMessage(state(c).edit, WM_SETFONT, wParam, lParam);
        measureField(c);
        fitFace(c);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(c); return 0;
    case WM_ENABLE:
        if (state(c).edit) EnableWindow(state(c).edit, static_cast<BOOL>(wParam));
        if (!wParam) closeUp(c, Close::Cancelled);
        InvalidateRect(c, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (state(c).dropped && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_SETFOCUS:
        if (state(c).edit) {
            SetFocus(state(c).edit);
            SendMessage(state(c).edit, EM_SETSEL, 0, -1);
            return 0;
        }
        state(c).focus = true;
        InvalidateRect(c, nullptr, TRUE);
        notify(c, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (state(c).edit && reinterpret_cast<HWND>(wParam) == state(c).edit) return 0;
        closeUp(c, Close::Cancelled);
        if (IsWindow(c) && state(c).focus) {
            state(c).focus = false;
            InvalidateRect(c, nullptr, TRUE);
            notify(c, CBN_KILLFOCUS);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (GetFocus() != c && GetFocus() != state(c).edit) SetFocus(c);
        if (!IsWindow(c)) return 0;
        RECT b = buttonRect(c);
        if (dropDownList(c) || PtInRect(&b, p)) {
            if (state(c).dropped) closeUp(c, Close::Cancelled);
            else dropDown(c);
        }
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        keyDown(c, wParam);
        return 0;
    case WM_CHAR:
        if (dropDownList(c)) toList(c, WM_CHAR, wParam, lParam);
        return 0;
    case WM_MOUSEWHEEL:
        if (state(c).dropped) return toList(c, message, wParam, lParam);
        keyDown(c, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? VK_UP : VK_DOWN);
        return 0;
    case WM_COMMAND:
        childCommand(c, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_SETTEXT:
        if (state(c).edit) return SendMessage(state(c).edit, message, wParam, lParam);
        if (lParam) {
            LRESULT i = toList(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
            return i >= 0 ? (selectItem(c, static_cast<int>(i)), TRUE) : CB_ERR;
        }
        return CB_ERR;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        if (state(c).edit) return SendMessage(state(c).edit, message, wParam, lParam);
        std::string s = state(c).shown >= 0 ? itemText(c, state(c).shown) : "";
        if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(s.size());
        auto* buffer = reinterpret_cast<char*>(lParam);
        int max = static_cast<int>(wParam);
        if (!buffer || max <= 0) return 0;
        int n = std::min<int>(static_cast<int>(s.size()), max - 1);
        s.copy(buffer, static_cast<size_t>(n));
        buffer[n] = '\0';
        return n;
    }

    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        LRESULT r = toList(c, message == CB_ADDSTRING ? LB_ADDSTRING : LB_INSERTSTRING, wParam, lParam);
        if (r >= 0 && r <= state(c).shown) ++state(c).shown;
        return r;
    }
    case CB_DELETESTRING: {
        int i = static_cast<int>(wParam);
        LRESULT r = toList(c, LB_DELETESTRING, wParam);
        if (r >= 0) {
            ComboState& st = state(c);
            if (st.shown == i) show(c, -1);
            else if (st.shown > i) --st.shown;
        }
        return r;
    }
    case CB_RESETCONTENT:
        toList(c, LB_RESETCONTENT);
        show(c, -1);
        return CB_OKAY;
    case CB_GETCURSEL: return state(c).shown;
    case CB_SETCURSEL: return selectItem(c, static_cast<int>(static_cast<INT_PTR>(wParam)));
    case CB_SELECTSTRING: {
        LRESULT i = toList(c, LB_FINDSTRING, wParam, lParam);
        return i < 0 ? CB_ERR : selectItem(c, static_cast<int>(i));
    }
    case CB_SHOWDROPDOWN:
        if (wParam) dropDown(c);
        else closeUp(c, Close::Quiet);
        return TRUE;
    case CB_GETDROPPEDSTATE: return state(c).dropped ? TRUE : FALSE;
    case CB_GETDROPPEDWIDTH: return droppedWidth(c);
    case CB_SETDROPPEDWIDTH:
        if (static_cast<int>(wParam) < 0) return CB_ERR;
        state(c).droppedWidth = static_cast<int>(wParam);
        return droppedWidth(c);
    case CB_GETDROPPEDCONTROLRECT:
        if (!lParam) return CB_ERR;
        *reinterpret_cast<RECT*>(lParam) = droppedRect(c);
        return TRUE;
    case CB_SETITEMHEIGHT: {
        int h = LOWORD(lParam);
        if (h <= 0 || h > 255) return CB_ERR;
        if (static_cast<int>(static_cast<INT_PTR>(wParam)) == -1) {
            state(c).fieldHeight = h;
            fitFace(c);
            InvalidateRect(c, nullptr, TRUE);
            return CB_OKAY;
        }
        return toList(c, LB_SETITEMHEIGHT, wParam, lParam);
    }
    case CB_GETITEMHEIGHT:
        if (static_cast<int>(static_cast<INT_PTR>(wParam)) == -1) return state(c).fieldHeight;
        return toList(c, LB_GETITEMHEIGHT, wParam, 0);
    case CB_SETMINVISIBLE:
        if (static_cast<int>(wParam) <= 0) return FALSE;
        state(c).minVisible = static_cast<int>(wParam);
        return TRUE;
    case CB_GETMINVISIBLE: return state(c).minVisible;
    case CB_LIMITTEXT:
        if (!state(c).edit) return CB_ERR;
        SendMessage(state(c).edit, EM_LIMITTEXT, wParam, 0);
        return TRUE;
    case CB_GETEDITSEL:
        return state(c).edit ? SendMessage(state(c).edit, EM_GETSEL, wParam, lParam) : CB_ERR;
    case CB_SETEDITSEL:
        if (!state(c).edit) return CB_ERR;
        SendMessage(state(c).edit, EM_SETSEL, static_cast<WPARAM>(static_cast<short>(LOWORD(lParam))),
                    static_cast<short>(HIWORD(lParam)));
        return TRUE;
    default:
        break;
    }
    return DefWindowProc(c, message, wParam, lParam);
}

}  // namespace

const SystemClass& comboBoxSystemClass() {
    static const SystemClass c{WC_COMBOBOX, DLGATOM_COMBOBOX, CS_DBLCLKS, ComboProc, 0, nullptr};
    return c;
}
