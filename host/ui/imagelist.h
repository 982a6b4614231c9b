#pragma once
// The framework's image list object over the window framework's image lists.
#include "ui/dc.h"
#include "win/commctrl.h"

// Owns its list unless it is a temporary made by FromHandle.
class CADHOST_API CImageList {
public:
    CImageList() = default;
    virtual ~CImageList();
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL Attach(HIMAGELIST list);
    HIMAGELIST Detach();
    BOOL DeleteImageList();
    // The attached object of a list, or a temporary one that lives while the list does.
    static CImageList* FromHandle(HIMAGELIST list);

    int Add(CBitmap* bitmap, CBitmap* mask) {
        return ImageList_Add(m_hImageList, bitmap ? bitmap->m_hObject : nullptr, mask ? mask->m_hObject : nullptr);
    }
    int Add(CBitmap* bitmap, COLORREF mask) { return ImageList_AddMasked(m_hImageList, bitmap ? bitmap->m_hObject : nullptr, mask); }
    int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
    int Replace(int index, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, index, icon); }
    BOOL Remove(int index) { return ImageList_Remove(m_hImageList, index); }
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    COLORREF SetBkColor(COLORREF color) { return ImageList_SetBkColor(m_hImageList, color); }
    COLORREF GetBkColor() const { return ImageList_GetBkColor(m_hImageList); }
    BOOL Draw(CDC* dc, int image, POINT pt, UINT style) {
        return ImageList_Draw(m_hImageList, image, dc ? dc->m_hDC : nullptr, pt.x, pt.y, style);
    }

private:
    bool m_temporary = false;
};
