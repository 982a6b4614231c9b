#pragma once
// A dialog the user can resize: it keeps its window between a minimum and a maximum size while
// it is sized, draws a size grip in the bottom-right corner that acts as that sizing corner, and
// keeps its size and position in the profile so that the next one opens where this one was.
#include "ui/dialog.h"

class CSnapDlg : public CDialog {
public:
    CSnapDlg(UINT idTemplate, CWnd* parent);

    void SetMinTrackSize(int width, int height);
    void SetMaxTrackSize(int width, int height);
    void SetShowGripper(BOOL show);
    // Writes the window's width, height, left and top edge under the profile section.
    void SavePlacement();
    // Where the dialog opens: the stored placement, a position below 200 or within 10 pixels of
    // the screen's far edge moved to 200, a width outside 200 to 1000 made 200 and a height
    // outside 100 to 900 made 100.
    void GetRestoredRect(CRect& rect);
    void DrawGripper();

    int m_nMinWidth = 350, m_nMinHeight = 100;
    int m_nMaxWidth = 1200, m_nMaxHeight = 1000;
    BOOL m_bShowGripper = TRUE;
    CString m_strSection;
    int m_nGripperWidth = 0, m_nGripperHeight = 0;
    CRect m_rcGripper;
    int m_bSizing = 0;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnSizing(UINT side, LPRECT rect);
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg LRESULT OnNcHitTest(CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void drawGrip(CDC& dc);
};
