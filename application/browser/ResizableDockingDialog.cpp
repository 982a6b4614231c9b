#include "browser/ResizableDockingDialog.h"
#include "frame/ResourceString.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CResizableDockingDialog, CAdUiDockControlBar)
    ON_WM_CREATE()
END_MESSAGE_MAP()

bool CResizableDockingDialog::create(CWnd* parent, LPCTSTR title, const CRect& rect) {
    const CString className = AfxRegisterWndClass(CS_DBLCLKS, nullptr, nullptr, nullptr);
    return CAdUiDockControlBar::Create(className, title, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, parent,
                                       IDC_BROWSER_BAR) != FALSE;
}

int CResizableDockingDialog::OnCreate(LPCREATESTRUCT cs) {
    if (CAdUiDockControlBar::OnCreate(cs) == -1) return -1;
    SetWindowText(loadResourceString(IDS_PRODUCT));
    panel.Create(CDockCtrls::IDD, this);
    panel.ShowWindow(SW_SHOW);
    return 0;
}

void CResizableDockingDialog::SizeChanged(CRect* rect, BOOL, int) {
    if (!::IsWindow(panel.m_hWnd)) return;
    CRect adjusted = *rect;
    adjusted.top += 5;
    adjusted.left += 3;
    adjusted.bottom += 5;
    panel.MoveWindow(CRect(2, 15, adjusted.Width() + 2, adjusted.Height() + 9), TRUE);
}

void CResizableDockingDialog::OnUserSizing(UINT side, LPRECT rect) { CAdUiDockControlBar::OnUserSizing(side, rect); }

bool CResizableDockingDialog::OnBeforeLoadPosition() { return false; }

void CResizableDockingDialog::OnClosed() {}

bool CResizableDockingDialog::OnCustomizeMenu(CAdUiDockBarMenu* menu) {
    if (IsWindowVisible()) {
        menu->RemoveMenu(kAllowDockingCommand, CAdUiDockBarMenu::kByCommand);
        menu->RemoveMenu(kHideCommand, CAdUiDockBarMenu::kByCommand);
    }
    return true;
}

BOOL CResizableDockingDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_CANCEL)) {
        HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
        if (!cancel || ::IsWindowEnabled(cancel)) {
            SendMessage(WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }
    }
    return CAdUiDockControlBar::PreTranslateMessage(msg);
}
