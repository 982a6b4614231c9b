#include "browser/BlockList.h"
#include <cstring>
#include "blocks/BlockReactor.h"
#include "browser/AcadDocReactor.h"
#include "db/database.h"
#include "frame/Renvale4App.h"
#include "res/resource.h"
#include "win/globalmemory.h"
#include "win/icons.h"

BEGIN_MESSAGE_MAP(CBlockList, CListCtrl)
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(NM_CLICK, &CBlockList::OnClick)
    ON_NOTIFY_REFLECT(NM_RETURN, &CBlockList::OnClick)
END_MESSAGE_MAP()

int dibColorCount(const BITMAPINFOHEADER* header) {
    if (header->biClrUsed != 0) return static_cast<int>(header->biClrUsed);
    switch (header->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

int dibColorTableSize(const BITMAPINFOHEADER* header) { return dibColorCount(header) * 4; }

HGLOBAL copyDibToGlobal(const Adesk::UInt8* dib, size_t size) {
    if (!dib || size < sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, sizeof header);
    if (header.biSize < sizeof header || header.biClrUsed > 256 || header.biWidth <= 0 || header.biHeight == 0)
        return nullptr;
    uint64_t image = header.biSizeImage;
    if (image == 0) {
        const uint64_t stride = (uint64_t(header.biWidth) * header.biBitCount + 31) / 32 * 4;
        const int64_t rows = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
        image = stride * uint64_t(rows);
    }
    const uint64_t total = uint64_t(header.biSize) + uint64_t(dibColorTableSize(&header)) + image;
    // The icon must hold what its header says.
    if (total > size) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total));
    if (!block) return nullptr;
    if (void* bytes = GlobalLock(block)) {
        std::memcpy(bytes, dib, static_cast<size_t>(total));
        GlobalUnlock(block);
        return block;
    }
    GlobalFree(block);
    return nullptr;
}

HBITMAP dibToBitmap(HGLOBAL dib, HPALETTE palette) {
    if (!dib) return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    if (!header) return nullptr;
    HDC screen = GetDC(nullptr);
    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
    }
    const auto* bits = reinterpret_cast<const BYTE*>(header) + header->biSize + dibColorTableSize(header);
    HBITMAP bitmap = CreateDIBitmap(screen, header, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(header),
                                    DIB_RGB_COLORS);
    if (oldPalette) SelectPalette(screen, oldPalette, FALSE);
    ReleaseDC(nullptr, screen);
    GlobalUnlock(dib);
    return bitmap;
}

CBlockList::~CBlockList() {
    if (documentReactor) acDocManagerPtr()->removeReactor(documentReactor);
    delete documentReactor;
    documentReactor = nullptr;
    if (AsdkblockReactor* reactor = editorReactor()) {
        reactor->blockList = nullptr;
        reactor->browserPanel = nullptr;
    }
    if (imageList) {
        imageList->DeleteImageList();
        delete imageList;
        imageList = nullptr;
    }
}

void CBlockList::attachToPanel(CDockCtrls* panel) {
    imageList = new CImageList;
    imageList->Create(32, 32, ILC_COLOR4, 1, 1);
    imageList->SetBkColor(GetBkColor());
    if (HICON icon = LoadIcon(resourceInstance(), MAKEINTRESOURCE(IDI_BLOCK))) {
        imageList->Add(icon);
        DestroyIcon(icon);
    }
    SetImageList(imageList, LVSIL_NORMAL);
    SetImageList(imageList, LVSIL_SMALL);
    documentReactor = new CAcadDocReactor(this);
    if (AsdkblockReactor* reactor = editorReactor()) {
        reactor->browserPanel = panel;
        reactor->blockList = this;
    }
    acDocManagerPtr()->addReactor(documentReactor);
    SetIconSpacing(52, 64);
    refresh();
}

void CBlockList::refresh() {
    DeleteAllItems();
    AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
    if (!working) return;
    AcDbDatabase* db = database ? database : working;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return;
    SetRedraw(FALSE);
    AcDbBlockTableIterator* it = nullptr;
    if (table->newIterator(it, true, true) == Acad::eOk) {
        for (; !it->done(); it->step(true, true)) {
            AcDbBlockTableRecord* record = nullptr;
            if (it->getRecord(record, AcDb::kForRead) != Acad::eOk) continue;
            const char* name = record->name();
            if (name && name[0] != '\0' && name[0] != '*' && name[0] != '~' && !record->isAnonymous()) {
                const CString text = CString(name).Left(255);
                const int item = InsertItem(GetItemCount(), text, previewIconIndex(record));
                if (item >= 0) SetItemData(item, static_cast<DWORD_PTR>(-1));
            }
            record->close();
        }
        delete it;
    }
    table->close();
    SetRedraw(TRUE);
    Invalidate();
    UpdateWindow();
}

int CBlockList::previewIconIndex(AcDbBlockTableRecord* record) {
    if (!record->hasPreviewIcon() || !imageList) return 0;
    AcArray<Adesk::UInt8> icon;
    if (record->getPreviewIcon(icon) != Acad::eOk || icon.isEmpty()) return 0;
    HGLOBAL dib = copyDibToGlobal(icon.asArrayPtr(), static_cast<size_t>(icon.length()));
    int index = 0;
    if (HBITMAP bitmap = dibToBitmap(dib, nullptr)) {
        index = imageList->Add(CBitmap::FromHandle(bitmap), RGB(255, 0, 255));
        DeleteObject(bitmap);
        if (index < 0) index = 0;
    }
    if (dib) GlobalFree(dib);
    return index;
}

void CBlockList::OnDestroy() {
    CListCtrl::OnDestroy();
    DeleteAllItems();
    SetImageList(nullptr, LVSIL_NORMAL);
    SetImageList(nullptr, LVSIL_SMALL);
    if (imageList) imageList->Remove(-1);
    if (documentReactor) {
        acDocManagerPtr()->removeReactor(documentReactor);
        delete documentReactor;
        documentReactor = nullptr;
    }
    if (imageList) {
        imageList->DeleteImageList();
        delete imageList;
        imageList = nullptr;
    }
}

void CBlockList::OnClick(NMHDR*, LRESULT* result) { *result = 0; }
