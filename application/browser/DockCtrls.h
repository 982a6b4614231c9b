#pragma once
// The browser panel inside the dock bar: tabs "Dwgs" (folder box, drawing list, up button) and
// "Blocks" (the current drawing's blocks), with a preview button on both.
#include "browser/BlockList.h"
#include "browser/ComboBoxFolder.h"
#include "browser/DwgDirList.h"
#include <memory>
#include "controls/ButtonST.h"
#include "preview/PreviewDlg.h"
#include "res/resource.h"
#include "ui/dialog.h"

class CDockCtrls : public CDialog {
public:
    enum { IDD = IDD_BROWSER_PANEL };
    CDockCtrls() : CDialog(IDD) {}

    // Publishes the current tab and shows its controls.
    void selectTab();
    // Opens the preview of the selected drawing or block.
    void showPreview();
    void insertBlockAtPickedPoint();

    CButtonST upButton;
    CButtonST previewButton;
    CBlockList blockList;
    CDwgDirList drawingList;
    CComboBoxFolder folderBox;
    CTabCtrl tabs;
    // The open preview: the panel alone makes and frees it; null unless one runs.
    std::unique_ptr<CPreviewDlg> preview;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnTabChange(NMHDR* header, LRESULT* result);
    afx_msg void OnBlockListDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnUpButton();
    afx_msg void OnPreviewButton();
    afx_msg void OnUpdateAnyCommand(CCmdUI* cmdUI);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
