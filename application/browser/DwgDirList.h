#pragma once
// The drawing list of the browser's "Dwgs" tab: the subfolders of one folder as short rows, then
// its drawings as tall rows with their stored previews; a click enters a folder, a double click
// inserts a drawing, and a context menu previews, opens, inserts or attaches it.
#include "browser/ThumbnailFile.h"
#include "ui/collections.h"
#include "ui/ctrls.h"

class CComboBoxFolder;

using ThumbnailList = CTypedPtrList<CPtrList, ThumbnailFile*>;

class CDwgDirList : public CListBox {
public:
    CDwgDirList() = default;
    ~CDwgDirList() override;

    void init();
    void showFolder(const CString& folder);
    void goUpOneLevel();
    int itemFromPoint(int x, int y);
    void openItem();
    void setThumbnailHeight(int height);
    void fitItemHeight(int width);
    void deleteThumbnails();
    // The path of a row: the folder, a backslash unless it ends with one, and the row's text.
    CString itemPath(int row);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;

    ThumbnailList thumbnails;
    CImageList folderImages;
    CString folder;
    int drawingRowHeight = 159;
    short currentItem = -1;
    CComboBoxFolder* folderBox = nullptr;
    int showPreviews = 1;

    static constexpr int kFolderRowHeight = 17;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnContextMenu(CWnd* window, CPoint point);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();
    afx_msg void OnShowInPreview();
    afx_msg void OnOpenDrawing();
    afx_msg void OnInsertBlock();
    afx_msg void OnInsertXref();
    afx_msg void OnUpdateAnyCommand(CCmdUI* cmdUI);
    afx_msg void OnUpdateShowPreviews(CCmdUI* cmdUI);
    afx_msg void OnUpdateHidePreviews(CCmdUI* cmdUI);
    DECLARE_MESSAGE_MAP()

private:
    void enterFolder(const CString& path);
    bool selectionToCurrent();
    void switchPreviews(int show);
    int insertSorted(const CString& name, int from);
};
