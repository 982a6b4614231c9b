#pragma once
// The browser's dockable bar: a host dock control bar holding the browser panel.
#include "browser/DockCtrls.h"
#include "ui/dockbar.h"

class CResizableDockingDialog : public CAdUiDockControlBar {
public:
    CResizableDockingDialog() : CAdUiDockControlBar(2) {}

    // Registers the bar's window class and creates the bar (control id 403).
    bool create(CWnd* parent, LPCTSTR title, const CRect& rect);
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnUserSizing(UINT side, LPRECT rect) override;

    CDockCtrls panel;

protected:
    void SizeChanged(CRect* rect, BOOL floating, int flags) override;
    bool OnBeforeLoadPosition() override;
    void OnClosed() override;
    bool OnCustomizeMenu(CAdUiDockBarMenu* menu) override;

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    DECLARE_MESSAGE_MAP()
};
