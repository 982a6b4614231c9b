#pragma once
// One row of the drawing list: the file's name and, once read, its stored preview as a packed
// DIB and a bitmap made from it, drawn fitted into the row's slot.
#include "ui/collections.h"
#include "ui/cstring.h"
#include "ui/dc.h"
#include "ui/geometry.h"
#include "win/globalmemory.h"
#include "win/wingdi.h"

class ThumbnailFile : public CObject {
public:
    ThumbnailFile(const CString* folder, const CString& name) : name(name), folder(folder) {}
    ~ThumbnailFile() override;
    ThumbnailFile(const ThumbnailFile&) = delete;
    ThumbnailFile& operator=(const ThumbnailFile&) = delete;

    // Reads the preview from the file; 1 when the file was read now (with or without a bitmap),
    // 0 when it was read before or cannot be read yet.
    int loadPreview();
    // Draws the preview fitted into the slot, or a red crossed frame without one.
    void drawThumbnail(CDC* dc, int x, int y, int width, int height);
    // Where an image of iw x ih pixels goes in the slot.
    static CRect placement(int iw, int ih, const CRect& slot);

    CString name;
    HGLOBAL dib = nullptr;
    HBITMAP bitmap = nullptr;
    BYTE loaded = 0;
    const CString* folder = nullptr;
    int rowIndex = 0;
    int height = 0;
    int width = 0;
};

// A folder, a backslash unless it ends with one, and a name.
CString joinPath(const CString& folder, const CString& name);
