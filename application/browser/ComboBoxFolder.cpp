#include "browser/ComboBoxFolder.h"

void CComboBoxFolder::SetPath(const CString& path) {
    m_path = path;
    ResetContent();
    SetCurSel(AddString(path));
}

void CComboBoxFolder::MeasureItem(LPMEASUREITEMSTRUCT mis) { mis->itemHeight = 16; }

void CComboBoxFolder::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC* dc = CDC::FromHandle(dis->hDC);
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    const CRect r(dis->rcItem);
    dc->FillSolidRect(&r, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(dis->itemID) < 0) return;
    CString text;
    GetLBText(static_cast<int>(dis->itemID), text);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    CRect textRect = r;
    textRect.left += 2;
    dc->DrawText(text, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}
