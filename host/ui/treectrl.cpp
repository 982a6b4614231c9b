// The tree control object: items read and written through TVITEM.
#include "ui/treectrl.h"
#include <cstring>
#include <vector>

HTREEITEM CTreeCtrl::InsertItem(UINT mask, LPCTSTR text, int image, int selectedImage, UINT state, UINT stateMask,
                                LPARAM data, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCT insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = mask;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.state = state;
    insert.item.stateMask = stateMask;
    insert.item.lParam = data;
    return InsertItem(&insert);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR text, HTREEITEM parent, HTREEITEM after) {
    return InsertItem(TVIF_TEXT, text, 0, 0, 0, 0, 0, parent, after);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after) {
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, selectedImage, 0, 0, 0, parent, after);
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const {
    // The buffer grows until the text fits.
    for (int size = 256; size <= (1 << 20); size *= 4) {
        std::vector<char> buffer(static_cast<size_t>(size), '\0');
        TVITEM t{};
        t.mask = TVIF_TEXT | TVIF_HANDLE;
        t.hItem = item;
        t.pszText = buffer.data();
        t.cchTextMax = size;
        if (!GetItem(&t)) return CString();
        if (static_cast<int>(std::strlen(buffer.data())) < size - 1) return CString(buffer.data());
    }
    return CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, LPCTSTR text) {
    TVITEM t{};
    t.mask = TVIF_TEXT | TVIF_HANDLE;
    t.hItem = item;
    t.pszText = const_cast<char*>(text ? text : "");
    return SetItem(&t);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const {
    TVITEM t{};
    t.mask = TVIF_PARAM | TVIF_HANDLE;
    t.hItem = item;
    return GetItem(&t) ? static_cast<DWORD_PTR>(t.lParam) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data) {
    TVITEM t{};
    t.mask = TVIF_PARAM | TVIF_HANDLE;
    t.hItem = item;
    t.lParam = static_cast<LPARAM>(data);
    return SetItem(&t);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM item, int& image, int& selectedImage) const {
    TVITEM t{};
    t.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    t.hItem = item;
    if (!GetItem(&t)) return FALSE;
    image = t.iImage;
    selectedImage = t.iSelectedImage;
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage) {
    TVITEM t{};
    t.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    t.hItem = item;
    t.iImage = image;
    t.iSelectedImage = selectedImage;
    return SetItem(&t);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask) {
    TVITEM t{};
    t.mask = TVIF_STATE | TVIF_HANDLE;
    t.hItem = item;
    t.state = state;
    t.stateMask = mask;
    return SetItem(&t);
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM item) const {
    TVITEM t{};
    t.mask = TVIF_CHILDREN | TVIF_HANDLE;
    t.hItem = item;
    return GetItem(&t) && t.cChildren != 0 ? TRUE : FALSE;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM item, LPRECT rect, BOOL textOnly) const {
    if (!rect) return FALSE;
    std::memcpy(rect, &item, sizeof item);
    return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, static_cast<WPARAM>(textOnly), reinterpret_cast<LPARAM>(rect)));
}

HTREEITEM CTreeCtrl::HitTest(CPoint point, UINT* flags) const {
    TVHITTESTINFO info{};
    info.pt = point;
    HTREEITEM item = HitTest(&info);
    if (flags) *flags = info.flags;
    return item;
}
