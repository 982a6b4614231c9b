#pragma once
// A report list whose second column is edited in place by a CCellEdit.
#include "attedit/CellEdit.h"
#include "ui/ctrls.h"

class CAceAttEditDlg;

class CListCtrlEx : public CListCtrl {
public:
    // Places the editor over a cell of column 1 (any other column, or row -1, only hides it).
    void startCellEdit(int row, int column);
    // Puts text into a column of the row being edited.
    void setCellText(const CString& text, int column);
    int editableColumn() const { return 1; }
    int rowCount() { return GetItemCount(); }

    CCellEdit cellEdit;
    // The enhanced attribute editor, when it owns the list: told of every row an edit starts on,
    // its APPLY enabled by every change.
    CAceAttEditDlg* ownerDialog = nullptr;
    int currentRow = 0;
    int currentColumn = 1;

    // Id of the editor window.
    static constexpr UINT kCellEditId = 110;
    // Text limit of a row without a field length.
    static constexpr UINT kDefaultLimit = 36000;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()
};
