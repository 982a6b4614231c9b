#include "preview/SnapDlg.h"
#include "ed/winapp.h"
#include "win/wingdi.h"

BEGIN_MESSAGE_MAP(CSnapDlg, CDialog)
    ON_WM_SIZING()
    ON_WM_CAPTURECHANGED()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_NCHITTEST()
END_MESSAGE_MAP()

namespace {
constexpr const char* kWidth = "sizeWidth3";
constexpr const char* kHeight = "sizeHeight3";
constexpr const char* kLeft = "nTopLeftX3";
constexpr const char* kTop = "nTopLeftY3";

// A stored corner coordinate kept on the screen: not within 10 pixels of its far edge, nor below 200.
int onScreen(int value, int screen) {
    if (value + 10 > screen) value = 200;
    return value < 200 ? 200 : value;
}
}  // namespace

CSnapDlg::CSnapDlg(UINT idTemplate, CWnd* parent) : CDialog(idTemplate, parent), m_rcGripper(0, 0, 10, 10) {}

void CSnapDlg::SetMinTrackSize(int width, int height) {
    m_nMinWidth = width;
    m_nMinHeight = height;
}

void CSnapDlg::SetMaxTrackSize(int width, int height) {
    m_nMaxWidth = width;
    m_nMaxHeight = height;
}

void CSnapDlg::SetShowGripper(BOOL show) {
    m_bShowGripper = show;
    if (m_hWnd) Invalidate();
}

BOOL CSnapDlg::OnInitDialog() {
    const BOOL result = CDialog::OnInitDialog();
    m_bSizing = 0;
    m_rcGripper = CRect(0, 0, 10, 10);
    m_nGripperWidth = GetSystemMetrics(SM_CXVSCROLL);
    m_nGripperHeight = GetSystemMetrics(SM_CYHSCROLL);
    SetMinTrackSize(350, 100);
    SetMaxTrackSize(1200, 1000);
    DrawGripper();
    return result;
}

void CSnapDlg::SavePlacement() {
    if (!::IsWindow(m_hWnd)) return;
    CRect window;
    GetWindowRect(&window);
    CWinApp* app = acedGetAcadWinApp();
    app->WriteProfileInt(m_strSection, kWidth, window.Width());
    app->WriteProfileInt(m_strSection, kHeight, window.Height());
    app->WriteProfileInt(m_strSection, kLeft, window.left);
    app->WriteProfileInt(m_strSection, kTop, window.top);
}

void CSnapDlg::GetRestoredRect(CRect& rect) {
    CRect window;
    GetWindowRect(&window);
    CWinApp* app = acedGetAcadWinApp();
    const int x = onScreen(static_cast<int>(app->GetProfileInt(m_strSection, kLeft, window.left)), GetSystemMetrics(SM_CXSCREEN));
    const int y = onScreen(static_cast<int>(app->GetProfileInt(m_strSection, kTop, window.top)), GetSystemMetrics(SM_CYSCREEN));
    int width = static_cast<int>(app->GetProfileInt(m_strSection, kWidth, 450));
    int height = static_cast<int>(app->GetProfileInt(m_strSection, kHeight, 340));
    if (width < 200 || width > 1000) width = 200;
    if (height < 100 || height > 900) height = 100;
    rect = CRect(x, y, x + width, y + height);
}

// The right and bottom edges give way, whichever border is dragged.
void CSnapDlg::OnSizing(UINT side, LPRECT rect) {
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    if (width < m_nMinWidth) rect->right = rect->left + m_nMinWidth;
    if (height < m_nMinHeight) rect->bottom = rect->top + m_nMinHeight;
    if (width > m_nMaxWidth) rect->right = rect->left + m_nMaxWidth;
    if (height > m_nMaxHeight) rect->bottom = rect->top + m_nMaxHeight;
    CDialog::OnSizing(side, rect);
    m_bSizing = 1;
}

void CSnapDlg::OnCaptureChanged(CWnd* wnd) {
    m_bSizing = 0;
    CDialog::OnCaptureChanged(wnd);
}

void CSnapDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    DrawGripper();
}

void CSnapDlg::drawGrip(CDC& dc) { DrawFrameControl(dc.m_hDC, &m_rcGripper, DFC_SCROLL, DFCS_SCROLLSIZEGRIP); }

void CSnapDlg::DrawGripper() {
    if (!m_bShowGripper || !::IsWindow(m_hWnd)) return;
    CClientDC dc(this);
    dc.FillSolidRect(&m_rcGripper, GetSysColor(COLOR_3DFACE));
    CRect client;
    GetClientRect(&client);
    m_rcGripper = CRect(client.right - m_nGripperWidth, client.bottom - m_nGripperHeight, client.right, client.bottom);
    drawGrip(dc);
    // What the window shows comes from painting: the grip's old and new places are painted again.
    Invalidate(FALSE);
}

void CSnapDlg::OnPaint() {
    CPaintDC dc(this);
    if (m_bShowGripper) drawGrip(dc);
}

LRESULT CSnapDlg::OnNcHitTest(CPoint point) {
    CPoint client = point;
    ScreenToClient(&client);
    if (m_bShowGripper && client.x >= 0 && client.y >= 0 && m_rcGripper.PtInRect(client)) return HTBOTTOMRIGHT;
    return CDialog::OnNcHitTest(point);
}
