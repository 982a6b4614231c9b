// The button control: push buttons, check boxes, radio buttons and group boxes, drawn classic.
#include "win/controlsupport.h"
#include "win/dialogs.h"
#include "win/systemclasses.h"

namespace {

// Window-data slots of a button.
constexpr int kCheck = 0;    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
constexpr int kFlags = 8;    // kPushed | kFocus | kTracking
constexpr LONG_PTR kPushed = 1, kFocus = 2, kTracking = 4;

DWORD type(HWND b) { return static_cast<DWORD>(GetWindowLong(b, GWL_STYLE)) & BS_TYPEMASK; }
LONG_PTR flags(HWND b) { return GetWindowLongPtr(b, kFlags); }

// The owner's request to draw the button: the whole of it, or only what changed.
void sendDrawItem(HWND b, HDC dc, RECT r, UINT action) {
    LONG_PTR f = flags(b);
    DRAWITEMSTRUCT dis{ODT_BUTTON, static_cast<UINT>(GetDlgCtrlID(b)), 0, action, 0, b, dc, r, 0};
    if (f & kPushed) dis.itemState |= ODS_SELECTED;
    if (f & kFocus) dis.itemState |= ODS_FOCUS;
    if (!IsWindowEnabled(b)) dis.itemState |= ODS_DISABLED;
    SendMessage(GetParent(b), WM_DRAWITEM, static_cast<WPARAM>(dis.CtlID), reinterpret_cast<LPARAM>(&dis));
}

void setFlag(HWND b, LONG_PTR flag, bool on) {
    LONG_PTR f = flags(b);
    LONG_PTR g = on ? (f | flag) : (f & ~flag);
    if (g == f) return;
    SetWindowLongPtr(b, kFlags, g);
    const UINT action = ((g ^ f) & kPushed) ? ODA_SELECT : ((g ^ f) & kFocus) ? ODA_FOCUS : 0;
    if (type(b) == BS_OWNERDRAW) {
        // The owner redraws the changed state at once; tracking alone shows nothing.
        if (!action || !IsWindowVisible(b)) return;
        HDC dc = GetDC(b);
        RECT r;
        GetClientRect(b, &r);
        HGDIOBJ oldFont = controls::selectFont(b, dc);
        controls::parentBrush(b, dc, WM_CTLCOLORBTN);
        sendDrawItem(b, dc, r, action);
        if (oldFont) SelectObject(dc, oldFont);
        ReleaseDC(b, dc);
        return;
    }
    InvalidateRect(b, nullptr, TRUE);
}

bool isRadio(DWORD t) { return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON; }
bool isCheck(DWORD t) { return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE; }
bool isPush(DWORD t) { return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || t == BS_OWNERDRAW; }

void setCheck(HWND b, LONG_PTR state) {
    if (GetWindowLongPtr(b, kCheck) == state) return;
    SetWindowLongPtr(b, kCheck, state);
    InvalidateRect(b, nullptr, TRUE);
}

// What a click does before the parent hears of it.
void click(HWND b) {
    DWORD t = type(b);
    if (t == BS_AUTOCHECKBOX) setCheck(b, GetWindowLongPtr(b, kCheck) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    else if (t == BS_AUTO3STATE) setCheck(b, (GetWindowLongPtr(b, kCheck) + 1) % 3);
    else if (t == BS_AUTORADIOBUTTON) {
        HWND parent = GetParent(b);
        for (HWND other = GetNextDlgGroupItem(parent, b, FALSE); other && other != b;
             other = GetNextDlgGroupItem(parent, other, FALSE)) {
            if (type(other) == BS_AUTORADIOBUTTON) SendMessage(other, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        setCheck(b, BST_CHECKED);
    }
    cadhostNotifyParent(b, BN_CLICKED);
}

void drawText(HWND b, HDC dc, RECT r, UINT format) {
    char text[512];
    GetWindowText(b, text, sizeof text);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, controls::textColor(b, dc));
    DrawText(dc, text, -1, &r, format);
}

RECT textBox(HDC dc, HWND b, RECT area, UINT format) {
    char text[512];
    GetWindowText(b, text, sizeof text);
    RECT r = area;
    DrawText(dc, text, -1, &r, format | DT_CALCRECT);
    int h = r.bottom - r.top, w = r.right - r.left;
    int top = area.top + (area.bottom - area.top - h) / 2;
    int left = (format & DT_CENTER) ? area.left + (area.right - area.left - w) / 2 : area.left;
    return RECT{left - 1, top - 1, left + w + 1, top + h + 1};
}

void paintPush(HWND b, HDC dc, RECT r) {
    LONG_PTR f = flags(b);
    bool pushed = (f & kPushed) || GetWindowLongPtr(b, kCheck) == BST_CHECKED;
    bool isDefault = type(b) == BS_DEFPUSHBUTTON;
    FillRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
    if (isDefault) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (pushed) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_3DSHADOW));
    } else {
        RECT e = r;
        DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    RECT t = r;
    if (pushed) OffsetRect(&t, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    drawText(b, dc, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (f & kFocus) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

void paintCheck(HWND b, HDC dc, RECT r, bool radio) {
    HBRUSH back = controls::parentBrush(b, dc, WM_CTLCOLORSTATIC);
    FillRect(dc, &r, back);
    constexpr int box = 13;
    int top = r.top + (r.bottom - r.top - box) / 2;
    LONG_PTR check = GetWindowLongPtr(b, kCheck);
    bool pushed = (flags(b) & kPushed) != 0;
    COLORREF inside = (pushed || !IsWindowEnabled(b)) ? GetSysColor(COLOR_3DFACE) : GetSysColor(COLOR_WINDOW);
    HBRUSH insideBrush = CreateSolidBrush(inside);
    RECT boxRect{r.left, top, r.left + box, top + box};
    COLORREF mark = IsWindowEnabled(b) ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT);
    if (radio) {
        HGDIOBJ oldBrush = SelectObject(dc, insideBrush);
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Ellipse(dc, boxRect.left, boxRect.top, boxRect.right - 1, boxRect.bottom - 1);
        if (check == BST_CHECKED) {
            HBRUSH dot = CreateSolidBrush(mark);
            SelectObject(dc, dot);
            SelectObject(dc, GetStockObject(NULL_PEN));
            Ellipse(dc, boxRect.left + 4, boxRect.top + 4, boxRect.left + 9, boxRect.top + 9);
            SelectObject(dc, insideBrush);
            DeleteObject(dot);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
    } else {
        RECT e = boxRect;
        DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        FillRect(dc, &e, insideBrush);
        if (check != BST_UNCHECKED) {
            // The tick: three strokes three pixels thick.
            HPEN pen = CreatePen(PS_SOLID, 1, check == BST_INDETERMINATE ? GetSysColor(COLOR_GRAYTEXT) : mark);
            HGDIOBJ old = SelectObject(dc, pen);
            for (int k = 0; k < 3; ++k) {
                MoveToEx(dc, e.left + 1, e.top + 3 + k, nullptr);
                LineTo(dc, e.left + 3, e.top + 5 + k);
                LineTo(dc, e.left + 8, e.top + k);
            }
            SelectObject(dc, old);
            DeleteObject(pen);
        }
    }
    DeleteObject(insideBrush);
    RECT t{r.left + box + 4, r.top, r.right, r.bottom};
    drawText(b, dc, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (flags(b) & kFocus) {
        RECT focus = textBox(dc, b, t, DT_LEFT | DT_SINGLELINE);
        IntersectRect(&focus, &focus, &r);
        DrawFocusRect(dc, &focus);
    }
}

void paintGroup(HWND b, HDC dc, RECT r) {
    HBRUSH back = controls::parentBrush(b, dc, WM_CTLCOLORSTATIC);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    RECT frame{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    char text[512];
    GetWindowText(b, text, sizeof text);
    if (text[0]) {
        RECT t{r.left + 8, r.top, r.right - 8, r.top + tm.tmHeight};
        RECT box = t;
        DrawText(dc, text, -1, &box, DT_SINGLELINE | DT_CALCRECT);
        box.left -= 2;
        box.right += 2;
        FillRect(dc, &box, back);
        drawText(b, dc, t, DT_LEFT | DT_SINGLELINE);
    }
}

void paint(HWND b) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(b, &ps);
    RECT r;
    GetClientRect(b, &r);
    HGDIOBJ oldFont = controls::selectFont(b, dc);
    DWORD t = type(b);
    // Push buttons ask the parent for their colours as every button does.
    if (isPush(t)) controls::parentBrush(b, dc, WM_CTLCOLORBTN);
    if (t == BS_OWNERDRAW) sendDrawItem(b, dc, r, ODA_DRAWENTIRE);
    else if (t == BS_GROUPBOX) paintGroup(b, dc, r);
    else if (isCheck(t) || isRadio(t)) paintCheck(b, dc, r, isRadio(t));
    else paintPush(b, dc, r);
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(b, &ps);
}

LRESULT CALLBACK ButtonProc(HWND b, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD t = type(b);
    switch (message) {
    case WM_GETDLGCODE:
        if (t == BS_GROUPBOX) return DLGC_STATIC;
        if (isRadio(t)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (t == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (t == BS_OWNERDRAW) return DLGC_BUTTON;
        if (isPush(t)) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        return DLGC_BUTTON;
    case WM_NCHITTEST:
        if (t == BS_GROUPBOX) return HTTRANSPARENT;
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(b);
        return 0;
    case BM_GETCHECK:
        return (isCheck(t) || isRadio(t)) ? GetWindowLongPtr(b, kCheck) : BST_UNCHECKED;
    case BM_SETCHECK:
        if (isCheck(t) || isRadio(t)) setCheck(b, static_cast<LONG_PTR>(wParam) % 3);
        return 0;
    case BM_GETSTATE: {
        LONG_PTR f = flags(b);
        return GetWindowLongPtr(b, kCheck) | ((f & kPushed) ? BST_PUSHED : 0) | ((f & kFocus) ? BST_FOCUS : 0);
    }
    case BM_SETSTATE:
        setFlag(b, kPushed, wParam != 0);
        return 0;
    case BM_SETSTYLE: {
        DWORD style = static_cast<DWORD>(GetWindowLong(b, GWL_STYLE));
        SetWindowLong(b, GWL_STYLE, static_cast<LONG>((style & ~0xFFFFu) | (static_cast<DWORD>(wParam) & 0xFFFFu)));
        if (LOWORD(lParam)) InvalidateRect(b, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(b)) click(b);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (t == BS_GROUPBOX) return 0;
        if (GetFocus() != b) SetFocus(b);
        SetCapture(b);
        setFlag(b, kTracking, true);
        setFlag(b, kPushed, true);
        return 0;
    case WM_MOUSEMOVE:
        if (flags(b) & kTracking) {
            RECT r;
            GetClientRect(b, &r);
            setFlag(b, kPushed, PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != 0);
        }
        return 0;
    case WM_LBUTTONUP:
        if (flags(b) & kTracking) {
            bool inside = (flags(b) & kPushed) != 0;
            setFlag(b, kTracking | kPushed, false);
            if (GetCapture() == b) ReleaseCapture();
            if (inside) click(b);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != b) setFlag(b, kTracking | kPushed, false);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && t != BS_GROUPBOX) setFlag(b, kPushed, true);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && (flags(b) & kPushed)) {
            setFlag(b, kPushed, false);
            click(b);
        }
        return 0;
    case WM_CHAR:
        return 0;
    case WM_SETFOCUS:
        setFlag(b, kFocus, true);
        if (GetWindowLong(b, GWL_STYLE) & BS_NOTIFY) cadhostNotifyParent(b, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        setFlag(b, kFocus | kPushed, false);
        if (GetCapture() == b) ReleaseCapture();
        if (GetWindowLong(b, GWL_STYLE) & BS_NOTIFY) cadhostNotifyParent(b, BN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        InvalidateRect(b, nullptr, TRUE);
        return 0;
    default:
        break;
    }
    return DefWindowProc(b, message, wParam, lParam);
}

}  // namespace

const SystemClass& buttonSystemClass() {
    static const SystemClass c{"Button", DLGATOM_BUTTON, CS_DBLCLKS, ButtonProc, 16, nullptr};
    return c;
}
