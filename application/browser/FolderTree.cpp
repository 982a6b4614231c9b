#include "browser/FolderTree.h"
#include <algorithm>
#include <vector>
#include "res/resource.h"
#include "win/shell.h"
#include "win/wingdi.h"

BEGIN_MESSAGE_MAP(CTreeCtrlFolder, CTreeCtrl)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_KILLFOCUS()
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, &CTreeCtrlFolder::OnItemExpanded)
    ON_MESSAGE(WM_ACAD_KEEPFOCUS, &CTreeCtrlFolder::OnKeepFocus)
END_MESSAGE_MAP()

namespace {
// Keys compare without regard to case or to one trailing backslash, so that "D:\Dwg\" finds
// "D:\Dwg" and the key "My Computer\" of a one-link path finds "My Computer".
CString keyOf(const CString& path) {
    CString key = path;
    if (key.GetLength() > 0 && key[key.GetLength() - 1] == '\\') key = key.Left(key.GetLength() - 1);
    return key;
}

bool samePath(const CString& a, const CString& b) { return keyOf(a).CompareNoCase(keyOf(b)) == 0; }

int driveImage(unsigned type) {
    switch (type) {
    case DRIVE_REMOVABLE: return CTreeCtrlFolder::kRemovable;
    case DRIVE_CDROM: return CTreeCtrlFolder::kCdrom;
    default: return CTreeCtrlFolder::kDrive;
    }
}
}  // namespace

CTreeCtrlFolder::~CTreeCtrlFolder() {
    // A window still standing here is destroyed by the base, past this class's handlers.
    if (::IsWindow(m_hWnd)) DeleteFolders();
}

void CTreeCtrlFolder::InitImageList() {
    m_imageList.DeleteImageList();
    m_imageList.Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 5);
    CBitmap strip;
    if (strip.LoadBitmap(IDB_FOLDER_TREE)) m_imageList.Add(&strip, RGB(0, 0, 0));
    SetImageList(&m_imageList, TVSIL_NORMAL);
}

void CTreeCtrlFolder::FillRoot(CWnd* owner) {
    m_pOwner = owner;
    HTREEITEM desktop = InsertFolder(new CFolder("Desktop", "Desktop", kDesktop, kDesktop), nullptr, FALSE);
    HTREEITEM computer = InsertFolder(new CFolder("My Computer", "My Computer", kComputer, kComputer), desktop, FALSE);
    const DWORD drives = GetLogicalDrives();
    for (int n = 0; n < 26; ++n) {
        if (!(drives & (1u << n))) continue;
        const char letter = static_cast<char>('A' + n);
        CString root;
        root.Format("%c:\\", letter);
        CString name;
        name.Format("Drive (%c:)", letter);
        SHFILEINFO info{};
        if (SHGetFileInfo(root, 0, &info, sizeof info, SHGFI_DISPLAYNAME) && info.szDisplayName[0])
            name = info.szDisplayName;
        const int image = driveImage(GetDriveTypeA(root));
        InsertFolder(new CFolder(name, root, image, image), computer, FALSE);
    }
    InsertFolder(new CFolder("Control Panel", "Control Panel", kControlPanel, kControlPanel), computer, FALSE);
    InsertFolder(new CFolder("My Network Places", "My Network Places", kNetwork, kNetwork), desktop, FALSE);
    InsertFolder(new CFolder("My Documents", "My Documents", kDocuments, kDocuments), desktop, FALSE);
    Expand(desktop, TVE_EXPAND);
    Expand(computer, TVE_EXPAND);
    SetCurrentItem(desktop);
}

void CTreeCtrlFolder::SelectPath(const CString& path) {
    CString work = path;
    if (!work.IsEmpty() && work[work.GetLength() - 1] != '\\') work += '\\';
    // Each link ends with a backslash: its name is the text before it, its key the text up to
    // it (the first key keeps its backslash, so that a drive's key is its root). Doubled
    // backslashes name no folder: only a path's first link may be empty.
    std::vector<CString> names, keys;
    CString accumulated;
    int start = 0;
    for (int slash = work.Find('\\'); slash >= 0; start = slash + 1, slash = work.Find('\\', start)) {
        const CString name = work.Mid(start, slash - start);
        if (name.IsEmpty() && !names.empty()) continue;
        accumulated += name + "\\";
        names.push_back(name);
        keys.push_back(keys.empty() ? accumulated : accumulated.Left(accumulated.GetLength() - 1));
    }
    if (names.empty()) return;
    HTREEITEM match = FindItemByPath(GetRootItem(), keys[0]);
    size_t link = 0;
    for (HTREEITEM item = match; item && link < keys.size(); ++link) {
        HTREEITEM sibling = FindSiblingByPath(item, keys[link]);
        if (!sibling) break;
        match = sibling;
        item = GetChildItem(sibling);
    }
    for (; link < keys.size(); ++link)
        match = InsertFolder(new CFolder(names[link], keys[link], kFolder, kOpenFolder), match,
                             link + 1 == keys.size() ? TRUE : FALSE);
    SetCurrentItem(match);
}

CString CTreeCtrlFolder::GetSelectedPath() const {
    const CFolder* folder = GetFolder(m_hCurrent);
    return folder ? folder->m_strPath : CString();
}

void CTreeCtrlFolder::SetCurrentItem(HTREEITEM item) {
    m_hCurrent = item;
    SelectItem(item);
}

CFolder* CTreeCtrlFolder::GetFolder(HTREEITEM item) const {
    return item && ::IsWindow(m_hWnd) ? reinterpret_cast<CFolder*>(GetItemData(item)) : nullptr;
}

HTREEITEM CTreeCtrlFolder::InsertFolder(CFolder* folder, HTREEITEM parent, BOOL lastLink) {
    if (!folder) return nullptr;
    const int image = lastLink ? kOpenFolder : folder->m_nImage;
    HTREEITEM item = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, folder->m_strName, image,
                                image, 0, 0, reinterpret_cast<LPARAM>(folder), parent ? parent : TVI_ROOT, TVI_LAST);
    // The tree owns the record only once an item carries it.
    if (!item) delete folder;
    return item;
}

HTREEITEM CTreeCtrlFolder::FindItemByPath(HTREEITEM item, const CString& path) const {
    // Iterative, so that a deep chain cannot exhaust the stack.
    std::vector<HTREEITEM> pending;
    if (item) pending.push_back(item);
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        const CFolder* folder = GetFolder(at);
        if (folder && samePath(folder->m_strPath, path)) return at;
        if (HTREEITEM next = GetNextSiblingItem(at)) pending.push_back(next);
        if (HTREEITEM child = GetChildItem(at)) pending.push_back(child);
    }
    return nullptr;
}

HTREEITEM CTreeCtrlFolder::FindSiblingByPath(HTREEITEM item, const CString& path) const {
    for (; item; item = GetNextSiblingItem(item)) {
        const CFolder* folder = GetFolder(item);
        if (folder && samePath(folder->m_strPath, path)) return item;
    }
    return nullptr;
}

void CTreeCtrlFolder::ShowDropDown(int x, int y, int width, int height) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (y + height > screenHeight) height = std::max(0, screenHeight - y - 1);
    if (x + width > screenWidth) x = std::max(0, screenWidth - width - 1);
    SetWindowPos(nullptr, x, y, width, height, SWP_SHOWWINDOW);
    if (CWnd* parent = GetParent()) {
        if (CWnd* top = parent->GetTopLevelParent()) {
            top->SendMessage(WM_NCACTIVATE, TRUE);
            top->SetRedraw(TRUE);
        }
    }
}

void CTreeCtrlFolder::MoveSelection(BOOL forward) {
    if (!m_hCurrent) return;
    HTREEITEM next = forward ? GetNextVisibleItem(m_hCurrent) : GetPrevVisibleItem(m_hCurrent);
    if (!next) return;
    SetCurrentItem(next);
    notifyOwner();
}

void CTreeCtrlFolder::CloseAndNotify() {
    ShowWindow(SW_HIDE);
    notifyOwner();
}

void CTreeCtrlFolder::notifyOwner() {
    if (!GetParent() || !m_pOwner) return;
    m_pOwner->SendMessage(WM_FOLDER_SELECTED, reinterpret_cast<WPARAM>(GetFolder(m_hCurrent)), 0);
    if (::IsWindow(m_pOwner->m_hWnd)) m_pOwner->SetFocus();
}

void CTreeCtrlFolder::DeleteFolders() {
    deleteFolders(GetRootItem());
    m_hCurrent = nullptr;
}

void CTreeCtrlFolder::deleteFolders(HTREEITEM item) {
    std::vector<HTREEITEM> pending;
    if (item) pending.push_back(item);
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        delete GetFolder(at);
        SetItemData(at, 0);
        if (HTREEITEM next = GetNextSiblingItem(at)) pending.push_back(next);
        if (HTREEITEM child = GetChildItem(at)) pending.push_back(child);
    }
}

void CTreeCtrlFolder::OnMouseMove(UINT flags, CPoint point) {
    if (HTREEITEM item = HitTest(point)) SelectItem(item);
    CTreeCtrl::OnMouseMove(flags, point);
}

void CTreeCtrlFolder::OnLButtonDown(UINT flags, CPoint point) {
    UINT where = 0;
    HTREEITEM item = HitTest(point, &where);
    if (item && (where & TVHT_ONITEMBUTTON)) {
        CTreeCtrl::OnLButtonDown(flags, point);
        return;
    }
    m_hCurrent = item ? item : GetSelectedItem();
    CloseAndNotify();
}

void CTreeCtrlFolder::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (key == VK_RETURN) {
        m_hCurrent = GetSelectedItem();
        CloseAndNotify();
        return;
    }
    if (key == VK_ESCAPE) {
        ShowWindow(SW_HIDE);
        return;
    }
    CTreeCtrl::OnKeyDown(key, repeat, flags);
}

void CTreeCtrlFolder::OnKillFocus(CWnd* next) {
    CTreeCtrl::OnKillFocus(next);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (m_pOwner && ::WindowFromPoint(cursor) == m_pOwner->m_hWnd) return;
    ShowWindow(SW_HIDE);
}

void CTreeCtrlFolder::OnItemExpanded(NMHDR* header, LRESULT* result) {
    const auto* view = reinterpret_cast<NMTREEVIEW*>(header);
    HTREEITEM item = view->itemNew.hItem;
    const CFolder* folder = GetFolder(item);
    const bool expanded = view->action == TVE_EXPAND;
    const int image = folder ? (expanded ? folder->m_nExpandedImage : folder->m_nImage) : (expanded ? kOpenFolder : kFolder);
    SetItemImage(item, image, image);
    *result = 0;
}

LRESULT CTreeCtrlFolder::OnKeepFocus(WPARAM, LPARAM) { return 1; }

void CTreeCtrlFolder::OnDestroy() {
    DeleteFolders();
    CTreeCtrl::OnDestroy();
}
