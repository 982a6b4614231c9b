#pragma once
// The drop-down tree of the folder box: the desktop, the computer with its drives, the network
// places, the documents, and the chain of folders that leads to the folder shown. Choosing an
// item hides the tree and sends the owner WM_FOLDER_SELECTED with the item's CFolder.
#include "ui/treectrl.h"
#include "win/winuser.h"

// wParam: the chosen CFolder (null when no item is current); lParam: 0.
constexpr UINT WM_FOLDER_SELECTED = WM_USER + 0x66;
// The host asks a window whether it keeps the keyboard focus; 1 keeps it.
constexpr UINT WM_ACAD_KEEPFOCUS = WM_USER + 0x6D01;

// One item of the tree: its text and the path that choosing it yields.
class CFolder {
public:
    CFolder(const CString& name, const CString& path, int image, int expandedImage)
        : m_nImage(image), m_nExpandedImage(expandedImage), m_strName(name), m_strPath(path) {}
    virtual ~CFolder() = default;

    int m_nImage;
    int m_nExpandedImage;
    CString m_strName;
    CString m_strPath;
};

class CTreeCtrlFolder : public CTreeCtrl {
public:
    // Images of the strip (bitmap IDB_FOLDER_TREE).
    enum Image {
        kFolder = 0, kOpenFolder, kNetwork, kDesktop, kComputer, kRemovable, kDrive, kCdrom, kControlPanel,
        kDocuments
    };

    CTreeCtrlFolder() = default;
    ~CTreeCtrlFolder() override;

    void InitImageList();
    // Remembers the owner and inserts the fixed items; "Desktop" becomes current.
    void FillRoot(CWnd* owner);
    // Makes the item of the path current, adding the links of its chain that are missing.
    void SelectPath(const CString& path);
    CString GetSelectedPath() const;
    HTREEITEM GetCurrentItem() const { return m_hCurrent; }
    void SetCurrentItem(HTREEITEM item);
    // The record of an item, null for none.
    CFolder* GetFolder(HTREEITEM item) const;
    // Appends an item for the record under the parent (top level for null); the tree owns the
    // record from then on. Null, and nothing inserted, for a null record.
    HTREEITEM InsertFolder(CFolder* folder, HTREEITEM parent, BOOL lastLink);
    // Depth first from the item, its first child's subtree, then its next sibling's.
    HTREEITEM FindItemByPath(HTREEITEM item, const CString& path) const;
    HTREEITEM FindSiblingByPath(HTREEITEM item, const CString& path) const;
    // Shows the tree at that screen rectangle, kept inside the screen.
    void ShowDropDown(int x, int y, int width, int height);
    // Steps the current item to the next or previous visible one and reports it to the owner.
    void MoveSelection(BOOL forward);
    void CloseAndNotify();
    // Deletes every item's record (the items stay, without records).
    void DeleteFolders();

    HTREEITEM m_hCurrent = nullptr;
    CImageList m_imageList;
    CWnd* m_pOwner = nullptr;

protected:
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg void OnItemExpanded(NMHDR* header, LRESULT* result);
    afx_msg LRESULT OnKeepFocus(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void notifyOwner();
    void deleteFolders(HTREEITEM item);
};
