#pragma once
// The tooltip of a single control: made on first use, inactive until a text is set, with the
// control's client area as tool 1.
#include "ui/ctrls.h"

void createControlTip(CToolTipCtrl& tip, CWnd* control);
void setControlTipText(CToolTipCtrl& tip, CWnd* control, LPCTSTR text, BOOL activate);
