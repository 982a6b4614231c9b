#include "browser/DockCtrls.h"
#include "ModuleState.h"
#include "browser/DrawingFileOps.h"
#include "browser/InsertionProtocol.h"
#include "ed/docman.h"
#include "ed/winapp.h"
#include "frame/Renvale4App.h"
#include "frame/ResourceString.h"
#include "ui/extmodule.h"

BEGIN_MESSAGE_MAP(CDockCtrls, CDialog)
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_NOTIFY(TCN_SELCHANGE, IDC_BROWSER_TABS, &CDockCtrls::OnTabChange)
    ON_NOTIFY(NM_DBLCLK, IDC_BLOCK_LIST, &CDockCtrls::OnBlockListDoubleClick)
    ON_BN_CLICKED(IDC_UP_BUTTON, &CDockCtrls::OnUpButton)
    ON_BN_CLICKED(IDC_PREVIEW_BUTTON, &CDockCtrls::OnPreviewButton)
    ON_COMMAND(ID_SHOW_IN_PREVIEW, &CDockCtrls::OnPreviewButton)
    ON_UPDATE_COMMAND_UI_RANGE(0, 0xFFFF, &CDockCtrls::OnUpdateAnyCommand)
END_MESSAGE_MAP()

void CDockCtrls::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_UP_BUTTON, upButton);
    DDX_Control(dx, IDC_PREVIEW_BUTTON, previewButton);
    DDX_Control(dx, IDC_BLOCK_LIST, blockList);
    DDX_Control(dx, IDC_DRAWING_LIST, drawingList);
    DDX_Control(dx, IDC_FOLDER_BOX, folderBox);
    DDX_Control(dx, IDC_BROWSER_TABS, tabs);
}

BOOL CDockCtrls::OnInitDialog() {
    CDialog::OnInitDialog();
    // The tab control lies under the controls of its pages.
    ::SetWindowPos(tabs.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    tabs.InsertItem(0, "Dwgs");
    tabs.InsertItem(1, "Blocks");
    drawingList.folderBox = &folderBox;
    folderBox.m_pDwgList = &drawingList;
    drawingList.init();
    folderBox.CreateDropDown(0, 300);
    const CString folder = acedGetAcadWinApp()->GetProfileString(loadResourceString(IDS_PRODUCT), "Directory", "");
    folderBox.SetPath(folder);
    drawingList.showFolder(folder);
    blockList.SetBkColor(RGB(0, 0, 0));
    blockList.attachToPanel(this);
    selectTab();
    upButton.setIconResource(IDI_UP_LEVEL, 0);
    upButton.setFlat(TRUE, TRUE);
    upButton.setTooltipText("Up One Level");
    previewButton.setIconResource(IDI_PREVIEW, 0);
    previewButton.setFlat(TRUE, TRUE);
    previewButton.setTooltipText("Preview a block or drawing");
    return TRUE;
}

void CDockCtrls::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (!::IsWindow(tabs.m_hWnd)) return;
    tabs.MoveWindow(0, 0, cx, cy, TRUE);
    CRect first;
    tabs.GetItemRect(0, &first);
    const int h = first.bottom;
    const auto place = [](CWnd& control, int left, int top, int right, int bottom) {
        if (::IsWindow(control.m_hWnd)) control.MoveWindow(CRect(left, top, right, bottom), TRUE);
    };
    place(folderBox, 4, h + 4, cx - 54, 30);
    place(drawingList, 4, h + 30, cx - 4, cy - 4);
    place(blockList, 4, h + 30, cx - 4, cy - 4);
    place(upButton, cx - 52, h + 4, cx - 28, h + 28);
    place(previewButton, cx - 28, h + 4, cx - 4, h + 28);
}

void CDockCtrls::OnTabChange(NMHDR*, LRESULT* result) {
    selectTab();
    *result = 0;
}

void CDockCtrls::selectTab() {
    m_TabIndex = tabs.GetCurSel();
    if (AcEdCommandLineWindow* commandLine = acedGetAcadDockCmdLine()) {
        commandLine->SetFocus();
        acDocManagerPtr()->curDocument();
        commandLine->SetFocus();
    }
    const bool drawings = tabs.GetCurSel() == 0;
    previewButton.ShowWindow(SW_SHOW);
    folderBox.ShowWindow(drawings ? SW_SHOW : SW_HIDE);
    drawingList.ShowWindow(drawings ? SW_SHOW : SW_HIDE);
    upButton.ShowWindow(drawings ? SW_SHOW : SW_HIDE);
    blockList.ShowWindow(drawings ? SW_HIDE : SW_SHOW);
}

void CDockCtrls::OnCancel() { folderBox.ShowDropDown(FALSE); }

void CDockCtrls::OnUpButton() {
    drawingList.goUpOneLevel();
    folderBox.SetPath(drawingList.folder);
}

void CDockCtrls::OnPreviewButton() { showPreview(); }

// The selected drawing (tab "Dwgs") or block (tab "Blocks") in a modal preview, one at a time.
// The panel frees the dialog once its run has returned, and only then opens the drawing that
// the preview's "Open" chose.
void CDockCtrls::showPreview() {
    if (preview) return;
    CString name, file;
    if (tabs.GetCurSel() == 0) {
        const int row = drawingList.GetCurSel();
        if (row < 0) return;
        drawingList.currentItem = static_cast<short>(row);
        drawingList.GetText(row, name);
        if (name.IsEmpty()) return;
        file = drawingList.itemPath(row);
    } else {
        POSITION pos = blockList.GetFirstSelectedItemPosition();
        const int item = pos ? blockList.GetNextSelectedItem(pos) : -1;
        if (item < 0) return;
        name = blockList.GetItemText(item, 0);
        if (name.IsEmpty()) return;
    }
    CAcModuleResourceOverride resources(resourceInstance());
    preview = std::make_unique<CPreviewDlg>(this);
    preview->SetSource(name, file);
    const INT_PTR result = preview->DoModal();
    const CString open = result == IDOK ? preview->drawingToOpen() : CString();
    preview.reset();
    if (!open.IsEmpty()) openDrawing(open);
}

void CDockCtrls::insertBlockAtPickedPoint() {
    CString name;
    if (POSITION pos = blockList.GetFirstSelectedItemPosition()) name = blockList.GetItemText(blockList.GetNextSelectedItem(pos), 0);
    insertAtPickedPoint(InsertKind::kBlock, name);
}

void CDockCtrls::OnBlockListDoubleClick(NMHDR*, LRESULT* result) {
    insertBlockAtPickedPoint();
    *result = 0;
}

void CDockCtrls::OnUpdateAnyCommand(CCmdUI* cmdUI) { cmdUI->Enable(TRUE); }

void CDockCtrls::OnDestroy() {
    // A preview still running ends with the panel; showPreview frees it when its run returns.
    if (preview && ::IsWindow(preview->m_hWnd)) preview->EndDialog(IDCANCEL);
    CDialog::OnDestroy();
}
