#include "browser/ComboBoxFolder.h"
#include "browser/DwgDirList.h"
#include "controls/ControlTip.h"
#include "win/wingdi.h"

BEGIN_MESSAGE_MAP(CComboBoxFolder, CComboBox)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_KEYDOWN()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_SYSKEYDOWN, &CComboBoxFolder::OnSysKeyDown)
    ON_MESSAGE(WM_FOLDER_SELECTED, &CComboBoxFolder::OnFolderSelected)
    ON_MESSAGE(CB_SHOWDROPDOWN, &CComboBoxFolder::OnShowDropDown)
    ON_MESSAGE(CB_GETDROPPEDSTATE, &CComboBoxFolder::OnGetDroppedState)
END_MESSAGE_MAP()

void CComboBoxFolder::CreateDropDown(int width, int height) {
    if (!::IsWindow(m_tree.m_hWnd)) {
        m_tree.CreateEx(0, WC_TREEVIEW, "", WS_POPUP | WS_BORDER | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP,
                        CRect(0, 0, 10, 10), GetParent(), 0);
        if (!::IsWindow(m_tree.m_hWnd)) return;
        // The tree writes as the box does.
        m_tree.SetFont(GetFont(), FALSE);
        m_tree.InitImageList();
        m_tree.FillRoot(this);
    }
    CRect client;
    GetClientRect(&client);
    m_nDropWidth = width < 1 ? client.Width() : width;
    m_nDropHeight = height > 0 ? height : 100;
}

void CComboBoxFolder::SetPath(const CString& path) {
    if (::IsWindow(m_tree.m_hWnd)) m_tree.SelectPath(path);
    Invalidate();
}

void CComboBoxFolder::ShowFolderTree() {
    if (!::IsWindow(m_tree.m_hWnd)) return;
    const int height = m_tree.GetItemHeight() * static_cast<int>(m_tree.GetCount()) + 3;
    const int width = GetDroppedWidth();
    CRect box;
    GetWindowRect(&box);
    m_tree.ShowDropDown(box.left, box.bottom + 1, width, height);
}

void CComboBoxFolder::HideFolderTree() {
    if (IsDropDownVisible()) m_tree.ShowWindow(SW_HIDE);
}

void CComboBoxFolder::toggleFolderTree() {
    if (IsDropDownVisible()) HideFolderTree();
    else ShowFolderTree();
}

void CComboBoxFolder::SetTipText(LPCTSTR text, BOOL activate) { setControlTipText(m_toolTip, this, text, activate); }

void CComboBoxFolder::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC dc;
    if (!dc.Attach(dis->hDC)) return;
    CRect client;
    GetClientRect(&client);
    const int y = (client.Height() - m_nIconSize) / 2;
    const CFolder* folder = m_tree.GetFolder(m_tree.GetCurrentItem());
    if (folder) {
        m_tree.m_imageList.Draw(&dc, folder->m_nImage == 0 ? CTreeCtrlFolder::kOpenFolder : folder->m_nImage,
                                CPoint(4, y), ILD_NORMAL);
        CRect text(dis->rcItem);
        text.top += 1;
        text.bottom -= 1;
        text.left += m_nIconSize + 2;
        text.right = text.left + dc.GetTextExtent(folder->m_strName).cx + 4;
        if (dis->itemState & ODS_SELECTED) {
            dc.FillSolidRect(&text, GetSysColor(COLOR_HIGHLIGHT));
            dc.DrawFocusRect(&text);
            dc.SetTextColor(~GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF);
        } else {
            dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        }
        text.left += 2;
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(folder->m_strName, &text, DT_SINGLELINE | DT_VCENTER);
    }
    dc.Detach();
}

BOOL CComboBoxFolder::PreTranslateMessage(MSG* msg) {
    createControlTip(m_toolTip, this);
    m_toolTip.RelayEvent(msg);
    return CComboBox::PreTranslateMessage(msg);
}

void CComboBoxFolder::OnLButtonDown(UINT, CPoint) { toggleFolderTree(); }

void CComboBoxFolder::OnLButtonDblClk(UINT, CPoint) { toggleFolderTree(); }

void CComboBoxFolder::step(BOOL forward) {
    if (::IsWindow(m_tree.m_hWnd)) m_tree.MoveSelection(forward);
    Invalidate();
}

namespace {
constexpr UINT kF4 = VK_F1 + 3;
}  // namespace

void CComboBoxFolder::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    // Alt and the down arrow may come as a plain key down with Alt held.
    if (key == VK_DOWN && ::GetKeyState(VK_MENU) < 0) {
        ShowFolderTree();
        return;
    }
    switch (key) {
    case VK_DOWN:
    case VK_RIGHT: step(TRUE); return;
    case VK_UP:
    case VK_LEFT: step(FALSE); return;
    // The combo box's own list would open on F4.
    case kF4: ShowFolderTree(); return;
    default: CComboBox::OnKeyDown(key, repeat, flags);
    }
}

LRESULT CComboBoxFolder::OnSysKeyDown(WPARAM key, LPARAM) {
    if (key == VK_DOWN) {
        ShowFolderTree();
        return 0;
    }
    return Default();
}

LRESULT CComboBoxFolder::OnFolderSelected(WPARAM wParam, LPARAM) {
    const auto* folder = reinterpret_cast<const CFolder*>(wParam);
    // The record goes with the rebuild below: its path is taken first.
    const CString path = folder ? folder->m_strPath : CString();
    if (m_pDwgList) m_pDwgList->showFolder(path);
    if (::IsWindow(m_tree.m_hWnd)) {
        clearTree();
        m_tree.FillRoot(this);
        m_tree.SelectPath(path);
    }
    Invalidate();
    return 0;
}

void CComboBoxFolder::clearTree() {
    m_tree.DeleteFolders();
    m_tree.DeleteAllItems();
}

LRESULT CComboBoxFolder::OnShowDropDown(WPARAM show, LPARAM) {
    if (show) ShowFolderTree();
    else HideFolderTree();
    return TRUE;
}

LRESULT CComboBoxFolder::OnGetDroppedState(WPARAM, LPARAM) { return IsDropDownVisible(); }

void CComboBoxFolder::OnDestroy() {
    if (::IsWindow(m_tree.m_hWnd)) {
        clearTree();
        m_tree.DestroyWindow();
    }
    if (::IsWindow(m_toolTip.m_hWnd)) m_toolTip.DestroyWindow();
    CComboBox::OnDestroy();
}
