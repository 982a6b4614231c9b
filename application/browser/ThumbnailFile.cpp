#include "browser/ThumbnailFile.h"
#include <algorithm>
#include <cstring>
#include <string>
#include "browser/PreviewImage.h"
#include "win/drives.h"
#include "win/winuser.h"

CString joinPath(const CString& folder, const CString& name) {
    const int length = folder.GetLength();
    if (length > 0 && folder[length - 1] == '\\') return folder + name;
    return folder + "\\" + name;
}

ThumbnailFile::~ThumbnailFile() {
    if (dib) GlobalFree(dib);
    if (bitmap) DeleteObject(bitmap);
}

int ThumbnailFile::loadPreview() {
    if (loaded || !folder) return 0;
    std::string linuxPath;
    if (!cadhostLinuxPath(joinPath(*folder, name), linuxPath)) return 0;
    std::FILE* file = std::fopen(linuxPath.c_str(), "rb");
    if (!file) return 0;
    PreviewDib preview;
    const PreviewRead read = readPreviewDib(file, preview);
    std::fclose(file);
    if (read != PreviewRead::kRead) return 0;
    if (!preview.bytes.empty()) {
        HGLOBAL block = GlobalAlloc(GMEM_FIXED, preview.bytes.size());
        void* bytes = block ? GlobalLock(block) : nullptr;
        if (bytes) {
            std::memcpy(bytes, preview.bytes.data(), preview.bytes.size());
            const auto* header = static_cast<const BITMAPINFOHEADER*>(bytes);
            HDC screen = GetDC(nullptr);
            HBITMAP made = CreateDIBitmap(screen, header, CBM_INIT, static_cast<const BYTE*>(bytes) + preview.bitsOffset,
                                          static_cast<const BITMAPINFO*>(bytes), DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
            GlobalUnlock(block);
            if (dib) GlobalFree(dib);
            if (bitmap) DeleteObject(bitmap);
            dib = block;
            bitmap = made;
            width = preview.width;
            height = std::abs(preview.height);
        } else if (block) {
            GlobalFree(block);
        }
    }
    loaded = 1;
    return 1;
}

CRect ThumbnailFile::placement(int iw, int ih, const CRect& slot) {
    const int W = slot.Width(), H = slot.Height();
    if (iw < W && ih == H) return CRect(CPoint(slot.left + (W - iw) / 2, slot.top), CSize(iw, ih));
    if (ih < H && iw == W) return CRect(CPoint(slot.left, slot.top + (H - ih) / 2), CSize(iw, ih));
    int w = iw, h = ih;
    const bool scaled = ih != H || iw > W;
    if (ih > H || (ih < H && ih > iw)) {
        w = ih > 0 ? static_cast<int>(static_cast<long long>(iw) * H / ih) : 0;
        h = H;
    } else if (ih < H) {
        h = iw > 0 ? static_cast<int>(static_cast<long long>(ih) * W / iw) : 0;
        w = W;
    }
    CPoint at(slot.left + (W - w) / 2, slot.top + (H - h) / 2);
    if (w > W) {
        h = static_cast<int>(static_cast<long long>(h) * W / w);
        w = W;
        at = CPoint(slot.left, slot.top + (H - h) / 2);
    }
    if (h > H) {
        w = static_cast<int>(static_cast<long long>(w) * H / h);
        h = H;
    }
    // Scaled images never start above the row's caption.
    if (scaled) at.y = std::max<LONG>(at.y, 18);
    return CRect(at, CSize(w, h));
}

void ThumbnailFile::drawThumbnail(CDC* dc, int x, int y, int slotWidth, int slotHeight) {
    if (!loaded) loadPreview();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const CRect slot(x, y, x + slotWidth, y + slotHeight);
    if (!bitmap) {
        dc->FillSolidRect(&slot, window);
        CPen red(PS_SOLID, 1, RGB(255, 0, 0));
        CPen* old = dc->SelectObject(&red);
        const int right = x + slotWidth - 2, bottom = y + slotHeight;
        dc->MoveTo(x, y);
        dc->LineTo(x, bottom);
        dc->LineTo(right, bottom);
        dc->LineTo(right, y);
        dc->LineTo(x, y);
        dc->LineTo(right, bottom);
        dc->MoveTo(x, bottom);
        dc->LineTo(right, y);
        dc->SelectObject(old);
        return;
    }
    const CRect image = placement(width, height, slot);
    CDC memory;
    memory.CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory.GetSafeHdc(), bitmap);
    dc->StretchBlt(image.left, image.top, image.Width(), image.Height(), &memory, 0, 0, width, height, SRCCOPY);
    SelectObject(memory.GetSafeHdc(), old);
    // The margins around the image.
    const CRect margins[] = {CRect(slot.left, slot.top, image.left, slot.bottom),
                             CRect(image.right, slot.top, slot.right, slot.bottom),
                             CRect(image.left, slot.top, image.right, image.top),
                             CRect(image.left, image.bottom, image.right, slot.bottom)};
    for (const CRect& margin : margins)
        if (margin.Width() > 0 && margin.Height() > 0) dc->FillSolidRect(&margin, window);
}
