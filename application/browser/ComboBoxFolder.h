#pragma once
// The folder box of the browser panel: an owner-drawn combo box whose face shows the current
// folder and which drops the folder tree instead of its own list. A folder chosen in the tree,
// or stepped to with the arrow keys, is shown in the drawing list.
#include "browser/FolderTree.h"
#include "ui/ctrls.h"

class CDwgDirList;

class CComboBoxFolder : public CComboBox {
public:
    CComboBoxFolder() = default;

    // Makes the hidden tree; a width below 1 takes the box's client width, a height below 1 100.
    void CreateDropDown(int width, int height);
    // Makes the path's item of the tree current and redraws the face.
    void SetPath(const CString& path);
    CString GetPath() const { return m_tree.GetSelectedPath(); }
    int GetDropHeight() const { return m_nDropHeight; }
    int GetDropWidth() const { return m_nDropWidth; }
    BOOL IsDropDownVisible() const { return ::IsWindow(m_tree.m_hWnd) && m_tree.IsWindowVisible(); }
    // Shows the tree below the box, one item height per item.
    void ShowFolderTree();
    void HideFolderTree();
    void SetTipText(LPCTSTR text, BOOL activate);
    CTreeCtrlFolder& tree() { return m_tree; }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT) override {}
    BOOL PreTranslateMessage(MSG* msg) override;

    CToolTipCtrl m_toolTip;
    CDwgDirList* m_pDwgList = nullptr;
    int m_nIconSize = 16;
    int m_nDropHeight = 100;
    int m_nDropWidth = 0;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg LRESULT OnSysKeyDown(WPARAM key, LPARAM flags);
    afx_msg LRESULT OnFolderSelected(WPARAM folder, LPARAM);
    // The framework's ShowDropDown and dropped-state query act on the tree.
    afx_msg LRESULT OnShowDropDown(WPARAM show, LPARAM);
    afx_msg LRESULT OnGetDroppedState(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void toggleFolderTree();
    void step(BOOL forward);
    void clearTree();

    CTreeCtrlFolder m_tree;
};
