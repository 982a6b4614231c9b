#include "controls/ControlTip.h"

namespace {
constexpr int kTipWidth = 400;
constexpr UINT_PTR kToolId = 1;
}  // namespace

void createControlTip(CToolTipCtrl& tip, CWnd* control) {
    if (tip.m_hWnd) return;
    tip.Create(control);
    tip.Activate(FALSE);
    tip.SetMaxTipWidth(kTipWidth);
}

void setControlTipText(CToolTipCtrl& tip, CWnd* control, LPCTSTR text, BOOL activate) {
    if (!text || !control->m_hWnd) return;
    createControlTip(tip, control);
    if (tip.GetToolCount() == 0) {
        CRect client;
        control->GetClientRect(&client);
        tip.AddTool(control, text, &client, kToolId);
    }
    tip.UpdateTipText(text, control, kToolId);
    tip.Activate(activate);
}
