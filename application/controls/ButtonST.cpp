#include "controls/ButtonST.h"
#include "controls/ControlTip.h"
#include "win/wingdi.h"

namespace {

void frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    const RECT lines[4] = {{r.left, r.top, r.right - 1, r.top + 1}, {r.left, r.top, r.left + 1, r.bottom - 1},
                           {r.right - 1, r.top, r.right, r.bottom}, {r.left, r.bottom - 1, r.right, r.bottom}};
    for (int i = 0; i < 4; ++i) {
        HBRUSH brush = CreateSolidBrush(i < 2 ? topLeft : bottomRight);
        FillRect(dc, &lines[i], brush);
        DeleteObject(brush);
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CButtonST, CButton)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_KILLFOCUS()
    ON_WM_ACTIVATE()
    ON_WM_CANCELMODE()
    ON_WM_ENABLE()
    ON_WM_CAPTURECHANGED()
    ON_WM_GETDLGCODE()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_CTLCOLOR_REFLECT()
    ON_MESSAGE(BM_SETSTYLE, &CButtonST::OnSetStyle)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, &CButtonST::OnClicked)
END_MESSAGE_MAP()

CButtonST::CButtonST() { setDefaultColors(); }

CButtonST::~CButtonST() { destroyIcon(); }

void CButtonST::setDefaultColors() {
    for (int i = 0; i < colorCount; i += 2) {
        colors[i] = GetSysColor(COLOR_BTNFACE);
        colors[i + 1] = GetSysColor(COLOR_BTNTEXT);
    }
}

void CButtonST::destroyIcon() {
    if (icon.handle) DestroyIcon(icon.handle);
    icon = Icon{};
}

DWORD CButtonST::setIconResource(UINT id, UINT) {
    destroyIcon();
    HICON loaded = static_cast<HICON>(LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    DWORD result = 0;
    if (loaded) {
        ICONINFO info{};
        BITMAP bm{};
        if (GetIconInfo(loaded, &info) && GetObject(info.hbmColor, sizeof bm, &bm) == static_cast<int>(sizeof bm)) {
            icon.handle = loaded;
            icon.width = static_cast<DWORD>(bm.bmWidth);
            icon.height = static_cast<DWORD>(bm.bmHeight);
        } else {
            DestroyIcon(loaded);
            result = 1;
        }
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    if (m_hWnd) Invalidate();
    return result;
}

DWORD CButtonST::setFlat(BOOL flat, BOOL repaint) {
    isFlat = flat ? 1 : 0;
    if (repaint && m_hWnd) Invalidate();
    return 0;
}

void CButtonST::createTooltip() { createControlTip(tooltip, this); }

void CButtonST::setTooltipText(LPCTSTR text, BOOL activate) { setControlTipText(tooltip, this, text, activate); }

void CButtonST::PreSubclassWindow() {
    CButton::PreSubclassWindow();
    const UINT type = GetButtonStyle() & BS_TYPEMASK;
    isDefault = type == BS_DEFPUSHBUTTON ? 1 : 0;
    // The type bits stay; the control draws through its owner from now on.
    SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>((GetStyle() & ~BS_TYPEMASK) | BS_OWNERDRAW));
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CButtonST::PreTranslateMessage(MSG* msg) {
    createTooltip();
    tooltip.RelayEvent(msg);
    if (msg->message == WM_LBUTTONDBLCLK) msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}

UINT CButtonST::OnGetDlgCode() {
    UINT code = static_cast<UINT>(Default());
    code |= isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
    return code;
}

HBRUSH CButtonST::CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }

LRESULT CButtonST::OnSetStyle(WPARAM style, LPARAM redraw) {
    const UINT type = static_cast<UINT>(style) & BS_TYPEMASK;
    isDefault = type == BS_DEFPUSHBUTTON ? 1 : 0;
    return DefWindowProc(BM_SETSTYLE, (style & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, redraw);
}

BOOL CButtonST::OnClicked() {
    SetFocus();
    return FALSE;  // the parent hears of the click as well
}

void CButtonST::OnSysColorChange() {
    Default();
    setDefaultColors();
    Invalidate();
}

void CButtonST::leaveHover() {
    if (!isHovering) return;
    isHovering = 0;
    Invalidate();
}

void CButtonST::OnMouseMove(UINT flags, CPoint point) {
    Default();
    if (!isFlat || !IsWindowEnabled()) return;
    if (!(flags & MK_LBUTTON) || isHovering) {
        POINT screen = point;
        ClientToScreen(&screen);
        const bool over = ::WindowFromPoint(screen) == m_hWnd;
        CWnd* top = GetTopLevelParent();
        const bool windowActive = trackWhenInactive || (top && ::GetActiveWindow() == top->m_hWnd);
#ifdef CADHOST_R15
        // The older host follows the mouse by capturing it while the program has an active window.
        if (over && windowActive && ::GetActiveWindow()) {
            if (!isHovering) {
                isHovering = 1;
                Invalidate();
                SetCapture();
            }
        } else if (isHovering) {
            if (::GetCapture() == m_hWnd) ReleaseCapture();
            leaveHover();
        }
#else
        if (over && windowActive && !isHovering) {
            isHovering = 1;
            Invalidate();
            TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
            ::TrackMouseEvent(&track);
        }
#endif
    }
}

void CButtonST::OnMouseLeave() {
    Default();
    leaveHover();
}

void CButtonST::OnCaptureChanged(CWnd* wnd) {
    Default();
#ifdef CADHOST_R15
    if (wnd != this) leaveHover();
#else
    (void)wnd;
#endif
}

void CButtonST::OnKillFocus(CWnd*) {
    Default();
    leaveHover();
}

void CButtonST::OnActivate(UINT state, CWnd*, BOOL) {
    Default();
    if (state == WA_INACTIVE) leaveHover();
}

void CButtonST::OnCancelMode() {
    Default();
    leaveHover();
}

void CButtonST::OnEnable(BOOL enable) {
    Default();
    if (enable) return;
    CWnd* parent = GetParent();
    if (parent && ::GetFocus() == m_hWnd) {
        if (CWnd* next = parent->GetNextDlgTabItem(this)) next->SetFocus();
    }
    leaveHover();
}

void CButtonST::drawIcon(HDC dc, bool hasTitle, const RECT& item, RECT& caption) const {
    const int width = static_cast<int>(icon.width), height = static_cast<int>(icon.height);
    RECT image = item;
    if (hasTitle) {
        image.left += iconCaptionGap.cx;
        caption.left = image.left + width + iconCaptionGap.cx;
    } else {
        image.left += ((item.right - item.left) - width) / 2;
    }
    image.top += ((item.bottom - item.top) - height) / 2;
    if (isPressed) OffsetRect(&image, pressOffset.x, pressOffset.y);
    DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.handle), 0, image.left, image.top, width, height,
              DST_ICON | (isDisabled ? DSS_DISABLED : DSS_NORMAL));
}

void CButtonST::DrawItem(LPDRAWITEMSTRUCT dis) {
    HDC dc = dis->hDC;
    isPressed = (dis->itemState & ODS_SELECTED) ? 1 : 0;
    hasFocus = (dis->itemState & ODS_FOCUS) ? 1 : 0;
    isDisabled = (dis->itemState & ODS_DISABLED) ? 1 : 0;
    RECT item = dis->rcItem;
    SetBkMode(dc, TRANSPARENT);

    if (!isFlat && (hasFocus || isDefault)) {
        FrameRect(dc, &item, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&item, -1, -1);
    }
    int look = (isHovering || isPressed) ? colorBackIn : hasFocus ? colorBackFocus : colorBackOut;
    HBRUSH back = CreateSolidBrush(colors[look]);
    FillRect(dc, &item, back);
    DeleteObject(back);

    if (isPressed) {
        if (!isFlat) FrameRect(dc, &item, GetSysColorBrush(COLOR_BTNSHADOW));
        else if (drawFlatBorder) frame3d(dc, item, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    } else if (!isFlat) {
        RECT edge = item;
        DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_SOFT);
    } else if (isHovering && drawFlatBorder) {
        frame3d(dc, item, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    }

    CString title;
    GetWindowText(title);
    RECT caption = item;
    if (icon.handle) drawIcon(dc, !title.IsEmpty(), item, caption);

    if (!title.IsEmpty()) {
        if (isPressed) OffsetRect(&caption, pressOffset.x, pressOffset.y);
        const RECT area = caption;
        DrawText(dc, title, -1, &caption, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
        OffsetRect(&caption, ((area.right - area.left) - (caption.right - caption.left)) / 2,
                   ((area.bottom - area.top) - (caption.bottom - caption.top)) / 2);
        if (isDisabled) {
            OffsetRect(&caption, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
            DrawText(dc, title, -1, &caption, DT_WORDBREAK | DT_CENTER);
            OffsetRect(&caption, -1, -1);
            SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
            DrawText(dc, title, -1, &caption, DT_WORDBREAK | DT_CENTER);
        } else {
            SetTextColor(dc, colors[look + 1]);
            SetBkColor(dc, colors[look]);
            DrawText(dc, title, -1, &caption, DT_WORDBREAK | DT_CENTER);
        }
    }

    if (hasFocus && (!isFlat || drawFlatFocus)) {
        RECT focus = dis->rcItem;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}
