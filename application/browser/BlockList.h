#pragma once
// The block list of the browser's "Blocks" tab: the named blocks of the current drawing as large
// icons, each with its stored preview icon; a double click inserts the block (the panel's).
#include "db/symtab.h"
#include "ui/ctrls.h"

class CAcadDocReactor;
class CDockCtrls;

class CBlockList : public CListCtrl {
public:
    CBlockList() = default;
    ~CBlockList() override;
    CBlockList(const CBlockList&) = delete;
    CBlockList& operator=(const CBlockList&) = delete;

    // Image list, document reactor, the editor reactor's links, icon spacing; then refresh.
    void attachToPanel(CDockCtrls* panel);
    void refresh();
    // The image of a block's preview icon, 0 (the default block icon) without one.
    int previewIconIndex(AcDbBlockTableRecord* record);

    CAcadDocReactor* documentReactor = nullptr;
    CImageList* imageList = nullptr;
    AcDbDatabase* database = nullptr;

protected:
    afx_msg void OnDestroy();
    afx_msg void OnClick(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()
};

// Packed DIBs: BITMAPINFOHEADER, colour table, pixel bits.
int dibColorCount(const BITMAPINFOHEADER* header);
int dibColorTableSize(const BITMAPINFOHEADER* header);
// A movable zero-filled block holding header, colour table and image; null when the bytes do not
// hold what the header says.
HGLOBAL copyDibToGlobal(const Adesk::UInt8* dib, size_t size);
HBITMAP dibToBitmap(HGLOBAL dib, HPALETTE palette);
