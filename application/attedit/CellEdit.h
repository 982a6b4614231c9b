#pragma once
// The in-place editor of a CListCtrlEx cell: an edit control over the cell whose every change is
// copied back into the list while its text differs from the text it started with.
#include "ui/ctrls.h"

class CCellEdit : public CEdit {
public:
    // Enter on any row but the last acts as Down; Down and Up move the edit to the next or
    // previous row, wrapping around. The key then reaches the control as usual.
    BOOL PreTranslateMessage(MSG* msg) override;

    CString startText;
    BYTE armed = 1;

protected:
    afx_msg void OnChange();
    afx_msg void OnKillFocus(CWnd* newFocus);
    DECLARE_MESSAGE_MAP()

private:
    void copyBack();
};
