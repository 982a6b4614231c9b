#include "attedit/CellEdit.h"
#include "attedit/ListCtrlEx.h"

BEGIN_MESSAGE_MAP(CCellEdit, CEdit)
    ON_CONTROL_REFLECT(EN_CHANGE, &CCellEdit::OnChange)
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

BOOL CCellEdit::PreTranslateMessage(MSG* msg) {
    if (msg->hwnd != m_hWnd || msg->message != WM_KEYDOWN) return CEdit::PreTranslateMessage(msg);
    auto* list = dynamic_cast<CListCtrlEx*>(GetParent());
    if (!list) return CEdit::PreTranslateMessage(msg);
    const int rows = list->rowCount();
    if (msg->wParam == VK_RETURN && list->currentRow < rows - 1) msg->wParam = VK_DOWN;
    if (rows > 0 && msg->wParam == VK_DOWN) {
        list->currentRow = list->currentRow + 1 >= rows ? 0 : list->currentRow + 1;
        list->startCellEdit(list->currentRow, list->editableColumn());
    } else if (rows > 0 && msg->wParam == VK_UP) {
        list->currentRow = list->currentRow <= 0 ? rows - 1 : list->currentRow - 1;
        list->startCellEdit(list->currentRow, list->editableColumn());
    }
    return CEdit::PreTranslateMessage(msg);
}

void CCellEdit::copyBack() {
    if (!::IsWindow(m_hWnd) || !armed) return;
    CString text;
    GetWindowText(text);
    if (text == startText) return;
    if (auto* list = dynamic_cast<CListCtrlEx*>(GetParent())) list->setCellText(text, list->editableColumn());
}

void CCellEdit::OnChange() { copyBack(); }

void CCellEdit::OnKillFocus(CWnd* newFocus) {
    CEdit::OnKillFocus(newFocus);
    copyBack();
}
