#include "browser/DwgDirList.h"
#include <cctype>
#include <cstring>
#include "browser/ComboBoxFolder.h"
#include "browser/DockCtrls.h"
#include "browser/DrawingFileOps.h"
#include "browser/InsertionProtocol.h"
#include "browser/SADirRead.h"
#include "ed/winapp.h"
#include "frame/ResourceString.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CDwgDirList, CListBox)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_CONTEXTMENU()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_COMMAND(ID_SHOW_IN_PREVIEW, &CDwgDirList::OnShowInPreview)
    ON_COMMAND(ID_OPEN_DRAWING, &CDwgDirList::OnOpenDrawing)
    ON_COMMAND(ID_INSERT_BLOCK, &CDwgDirList::OnInsertBlock)
    ON_COMMAND(ID_INSERT_XREF, &CDwgDirList::OnInsertXref)
    ON_UPDATE_COMMAND_UI(ID_SHOW_PREVIEWS, &CDwgDirList::OnUpdateShowPreviews)
    ON_UPDATE_COMMAND_UI(ID_HIDE_PREVIEWS, &CDwgDirList::OnUpdateHidePreviews)
    ON_UPDATE_COMMAND_UI_RANGE(0, 0xFFFF, &CDwgDirList::OnUpdateAnyCommand)
END_MESSAGE_MAP()

namespace {
CString lowered(const CString& text) {
    CString out = text;
    for (int i = 0; i < out.GetLength(); ++i)
        out.SetAt(i, static_cast<char>(std::tolower(static_cast<unsigned char>(out[i]))));
    return out;
}

// The text after the last backslash, the whole text without one.
CString lastPart(const CString& path) {
    const int slash = path.ReverseFind('\\');
    return slash < 0 ? path : path.Mid(slash + 1);
}

int profileShowPreviews() {
    return static_cast<int>(acedGetAcadWinApp()->GetProfileInt(loadResourceString(IDS_PRODUCT), "ShowPreviews", 1));
}
}  // namespace

CDwgDirList::~CDwgDirList() { deleteThumbnails(); }

void CDwgDirList::init() {
    folderImages.Create(16, 16, ILC_COLOR24, 10, 5);
    for (UINT id : {IDB_FOLDER, IDB_DRAWING}) {
        CBitmap image;
        if (image.LoadBitmap(id)) folderImages.Add(&image, static_cast<CBitmap*>(nullptr));
    }
}

void CDwgDirList::deleteThumbnails() {
    while (!thumbnails.IsEmpty()) delete thumbnails.RemoveHead();
}

CString CDwgDirList::itemPath(int row) {
    CString text;
    GetText(row, text);
    return joinPath(folder, text);
}

int CDwgDirList::insertSorted(const CString& name, int from) {
    const CString key = lowered(name);
    const int count = GetCount();
    for (int row = from; row < count; ++row) {
        CString text;
        GetText(row, text);
        if (std::strcmp(lowered(text), key) > 0) return InsertString(row, name);
    }
    return AddString(name);
}

void CDwgDirList::showFolder(const CString& shown) {
    CSADirRead reader;
    showPreviews = profileShowPreviews();
    if (showPreviews == 0) setThumbnailHeight(kFolderRowHeight);
    ResetContent();
    deleteThumbnails();
    folder = shown;
    reader.resetFolders();
    if (!reader.scanFolders(folder, true)) return;
    for (const CSADirRead::DirEntry& entry : reader.folderList()) {
        if (entry.m_sPath == folder) continue;
        const CString name = lastPart(entry.m_sPath);
        if (folder == name + "\\" || name.IsEmpty()) continue;
        const int row = insertSorted(name, 0);
        if (row < 0) continue;
        SetItemData(row, 0);
        SetItemHeight(row, kFolderRowHeight);
        thumbnails.AddTail(new ThumbnailFile(nullptr, CString()));
    }
    reader.resetFiles();
    reader.scanFiles("*.dwg", true, false);
    const int folders = GetCount();
    for (const CSADirRead::DirEntry& entry : reader.fileList()) {
        const CString name = lastPart(entry.m_sPath);
        const int row = insertSorted(name, folders);
        if (row < 0) continue;
        SetItemData(row, 1);
        SetItemHeight(row, static_cast<UINT>(drawingRowHeight));
        auto* thumbnail = new ThumbnailFile(&folder, name);
        thumbnail->rowIndex = row;
        thumbnails.AddTail(thumbnail);
    }
    reader.resetFiles();
    SetCurSel(-1);
    fitItemHeight(0);
}

void CDwgDirList::goUpOneLevel() {
    if (folder.IsEmpty()) return;
    const int slash = folder.ReverseFind('\\');
    showFolder(slash < 0 ? CString() : folder.Left(slash));
}

int CDwgDirList::itemFromPoint(int x, int y) {
    const CPoint point(x, y);
    for (int row = 0; row < GetCount(); ++row) {
        CRect rect;
        if (GetItemRect(row, &rect) != LB_ERR && rect.PtInRect(point)) return row;
    }
    return -1;
}

void CDwgDirList::enterFolder(const CString& path) {
    showFolder(path);
    if (folderBox) folderBox->SetPath(path);
    SetCurSel(-1);
    acedGetAcadWinApp()->WriteProfileString(loadResourceString(IDS_PRODUCT), "Directory", path);
}

void CDwgDirList::openItem() {
    if (currentItem < 0 || currentItem >= GetCount()) return;
    CRect rect;
    if (GetItemRect(currentItem, &rect) != LB_ERR) InvalidateRect(&rect);
    const CString path = itemPath(currentItem);
    if (GetItemData(currentItem) == 0) enterFolder(path);
    else insertAtPickedPoint(InsertKind::kDrawing, path, loadResourceString(IDS_INSERTION_POINT));
}

void CDwgDirList::setThumbnailHeight(int height) {
    drawingRowHeight = height;
    for (int row = 0; row < GetCount(); ++row)
        if (GetItemData(row) != 0) SetItemHeight(row, static_cast<UINT>(height));
    Invalidate();
}

void CDwgDirList::fitItemHeight(int width) {
    if (width == 0) {
        CRect client;
        GetClientRect(&client);
        width = client.Width();
    }
    setThumbnailHeight(width * 126 / 180 + 19);
}

void CDwgDirList::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    mis->itemHeight = static_cast<UINT>(mis->itemData == 0 ? kFolderRowHeight : drawingRowHeight);
}

void CDwgDirList::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC* dc = CDC::FromHandle(dis->hDC);
    const int saved = dc->SaveDC();
    const CRect r(dis->rcItem);
    const bool selected = (dis->itemState & ODS_SELECTED) && ::GetFocus() == m_hWnd;
    const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    dc->FillSolidRect(CRect(r.left, r.top, r.left + 17, r.bottom), window);
    dc->FillSolidRect(CRect(r.left + 18, r.top + 20, r.right, r.bottom), window);
    dc->FillSolidRect(CRect(r.left + 18, r.top, r.right, r.top + 19), back);
    if (GetCount() == 0 || static_cast<int>(dis->itemID) < 0) {
        dc->RestoreDC(saved);
        return;
    }
    const int row = static_cast<int>(dis->itemID);
    CString name;
    GetText(row, name);
    const bool isFolder = GetItemData(row) == 0;
    CFont* oldFont = dc->SelectObject(GetFont());
    dc->SetTextColor(text);
    dc->SetBkMode(TRANSPARENT);
    const int textHeight = isFolder ? 0 : dc->GetTextExtent(name).cy;
    dc->TextOut(r.left + (isFolder ? 19 : 18), r.top + 2, name);
    if (oldFont) dc->SelectObject(oldFont);
    if (isFolder) {
        folderImages.Draw(dc, 0, CPoint(1, r.top + 1), ILD_NORMAL);
    } else {
        for (POSITION pos = thumbnails.GetHeadPosition(); pos;) {
            ThumbnailFile* thumbnail = thumbnails.GetNext(pos);
            if (thumbnail->name != name) continue;
            thumbnail->drawThumbnail(dc, 1, r.top + 2 + textHeight + 1, r.Width(), drawingRowHeight - 19);
            break;
        }
    }
    dc->RestoreDC(saved);
}

void CDwgDirList::OnLButtonDown(UINT flags, CPoint point) {
    CListBox::OnLButtonDown(flags, point);
    const int row = itemFromPoint(point.x, point.y);
    if (row >= 0 && GetItemData(row) == 0) enterFolder(itemPath(row));
}

void CDwgDirList::OnLButtonDblClk(UINT, CPoint point) {
    const int row = itemFromPoint(point.x, point.y);
    if (row < 0) return;
    currentItem = static_cast<short>(row);
    openItem();
}

void CDwgDirList::OnRButtonDown(UINT flags, CPoint point) {
    const int row = itemFromPoint(point.x, point.y);
    if (row >= 0) SetCurSel(row);
    CListBox::OnRButtonDown(flags, point);
    CPoint screen;
    ::GetCursorPos(&screen);
    SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(screen.x, screen.y));
}

void CDwgDirList::OnContextMenu(CWnd*, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(IDR_DWGLIST_MENU)) return;
    showPreviews = profileShowPreviews();
    if (CMenu* popup = menu.GetSubMenu(showPreviews == 1 ? 1 : 0))
        popup->TrackPopupMenu(TPM_LEFTALIGN, point.x, point.y, this);
}

void CDwgDirList::OnSize(UINT type, int cx, int cy) {
    CListBox::OnSize(type, cx, cy);
    fitItemHeight(cx);
}

void CDwgDirList::OnDestroy() {
    CListBox::OnDestroy();
    deleteThumbnails();
}

bool CDwgDirList::selectionToCurrent() {
    const int selection = GetCurSel();
    currentItem = static_cast<short>(selection);
    return selection >= 0;
}

void CDwgDirList::OnShowInPreview() {
    if (auto* panel = dynamic_cast<CDockCtrls*>(GetParent())) panel->showPreview();
}

void CDwgDirList::OnOpenDrawing() {
    if (selectionToCurrent() && GetItemData(currentItem) != 0) openDrawing(itemPath(currentItem));
}

void CDwgDirList::OnInsertBlock() {
    if (selectionToCurrent()) openItem();
}

void CDwgDirList::OnInsertXref() {
    if (!selectionToCurrent() || GetItemData(currentItem) == 0) return;
    CString name;
    GetText(currentItem, name);
    attachXref(itemPath(currentItem), name);
}

void CDwgDirList::switchPreviews(int show) {
    showPreviews = show;
    acedGetAcadWinApp()->WriteProfileInt(loadResourceString(IDS_PRODUCT), "ShowPreviews", show);
    showFolder(folder);
}

// The two preview switches act on the state query the framework makes before running a menu
// command; they have no command handler of their own.
void CDwgDirList::OnUpdateShowPreviews(CCmdUI* cmdUI) {
    cmdUI->Enable(TRUE);
    switchPreviews(1);
}

void CDwgDirList::OnUpdateHidePreviews(CCmdUI* cmdUI) {
    cmdUI->Enable(TRUE);
    switchPreviews(0);
}

void CDwgDirList::OnUpdateAnyCommand(CCmdUI* cmdUI) { cmdUI->Enable(TRUE); }
