#include "attedit/ListCtrlEx.h"
#include "attedit/AceAttEditDlg.h"

BEGIN_MESSAGE_MAP(CListCtrlEx, CListCtrl)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

void CListCtrlEx::startCellEdit(int row, int column) {
    if (row < 0 || column < 0) {
        currentRow = -1;
        currentColumn = -1;
    } else {
        currentRow = row;
        currentColumn = column;
    }
    // Every change is copied back as it is typed; disarmed first, hiding the editor (which takes
    // its focus) copies nothing into the row that is now current.
    cellEdit.armed = 0;
    if (::IsWindow(cellEdit.m_hWnd)) cellEdit.ShowWindow(SW_HIDE);
    if (row < 0 || column != 1) return;
    if (ownerDialog) ownerDialog->selectAttributeRow(row);
    CRect cell;
    if (column == 0) GetItemRect(row, &cell, LVIR_LABEL);
    else GetSubItemRect(row, column, LVIR_LABEL, cell);
    cell.top += 2;
    cell.left += column == 0 ? 2 : 6;
    cell.bottom -= 1;
    const UINT limit = static_cast<UINT>(GetItemData(row));
    if (!::IsWindow(cellEdit.m_hWnd)) {
        cellEdit.Create(WS_CHILD | WS_CLIPSIBLINGS | ES_AUTOHSCROLL, cell, this, kCellEditId);
        cellEdit.SetFont(GetFont());
    }
    cellEdit.MoveWindow(&cell);
    cellEdit.SetLimitText(limit ? limit : kDefaultLimit);
    cellEdit.startText = GetItemText(row, column);
    cellEdit.SetWindowText(cellEdit.startText);
    ::SetWindowPos(cellEdit.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    cellEdit.ShowWindow(SW_SHOW);
    cellEdit.SetSel(0, -1);
    cellEdit.armed = 1;
    cellEdit.SetFocus();
}

void CListCtrlEx::setCellText(const CString& text, int column) {
    SetItemText(currentRow, column, text);
    if (ownerDialog) ownerDialog->applyButton.EnableWindow(TRUE);
}

LRESULT CListCtrlEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The editor does not scroll with the list.
    if ((message == WM_VSCROLL || message == WM_HSCROLL) && ::IsWindow(cellEdit.m_hWnd)) cellEdit.ShowWindow(SW_HIDE);
    return CListCtrl::WindowProc(message, wParam, lParam);
}

void CListCtrlEx::OnLButtonDown(UINT flags, CPoint point) {
    CListCtrl::OnLButtonDown(flags, point);
    LVHITTESTINFO hit{};
    hit.pt = point;
    SubItemHitTest(&hit);
    if (hit.iItem < 0) {
        hit = LVHITTESTINFO{};
        hit.pt = CPoint(2, point.y);
        SubItemHitTest(&hit);
    }
    if (hit.iItem >= 0) {
        if (hit.iSubItem != 0) startCellEdit(hit.iItem, hit.iSubItem);
        return;
    }
    for (int row = 0; row < GetItemCount(); ++row) {
        CRect bounds;
        GetItemRect(row, &bounds, LVIR_BOUNDS);
        if (bounds.PtInRect(point)) {
            startCellEdit(row, 1);
            return;
        }
    }
}
