#pragma once
// Icons: loaded from a module's RT_GROUP_ICON and RT_ICON resources, decoded once into ARGB
// pixels and drawn onto device contexts. Handles live in a table until DestroyIcon.
#include <cstdint>
#include <vector>
#include "win/resources.h"
#include "win/windef.h"

typedef void* HANDLE;

// LoadImage types and flags.
constexpr UINT IMAGE_BITMAP = 0, IMAGE_ICON = 1, IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0, LR_DEFAULTSIZE = 0x40, LR_SHARED = 0x8000;
// DrawIconEx.
constexpr UINT DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_DEFAULTSIZE = 0x8;

// The icon of the group resource closest to the system icon size (SM_CXICON), at that size.
CADHOST_API HICON LoadIconA(HINSTANCE module, LPCSTR name);
CADHOST_API HICON LoadIcon(HINSTANCE module, LPCSTR name);
// IMAGE_BITMAP: the bitmap resource, resampled to cx x cy unless both are 0.
// IMAGE_ICON: the group entry closest to cx x cy, scaled to it. cx and cy 0 answer the
// chosen entry's own size, or the system icon size with LR_DEFAULTSIZE. Null for another type,
// a missing resource or an image that cannot be decoded.
CADHOST_API HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags);
CADHOST_API HANDLE LoadImage(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags);
CADHOST_API BOOL DestroyIcon(HICON icon);
// An icon from the bytes of one icon image (as an RT_ICON resource or an icon file's entry holds
// it), scaled to cx x cy unless they are 0. Null for a cursor or an image that cannot be decoded.
CADHOST_API HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD version, int cx, int cy,
                                           UINT flags);
// Draws the icon with its transparency; cx and cy 0 draw it at its own size (the system icon size
// with DI_DEFAULTSIZE). DI_MASK alone draws the opaque pixels black.
CADHOST_API BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step,
                            HBRUSH flickerFree, UINT flags);
CADHOST_API BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// GetIconInfo: new colour and mask bitmaps of the icon's size, which the caller deletes.
struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HGDIOBJ hbmMask;
    HGDIOBJ hbmColor;
};
typedef ICONINFO* PICONINFO;
CADHOST_API BOOL GetIconInfo(HICON icon, PICONINFO info);

// DrawState of an icon (DST_ICON, the only kind drawn): as it is (DSS_NORMAL) or in the disabled
// look (DSS_DISABLED): its dark pixels embossed, in the highlight colour one pixel down and right
// under the shadow colour. cx and cy 0 take the icon's own size.
constexpr UINT DST_COMPLEX = 0x0000, DST_TEXT = 0x0001, DST_PREFIXTEXT = 0x0002, DST_ICON = 0x0003,
    DST_BITMAP = 0x0004, DSS_NORMAL = 0x0000, DSS_UNION = 0x0010, DSS_DISABLED = 0x0020, DSS_MONO = 0x0080,
    DSS_RIGHT = 0x8000;
typedef BOOL (*DRAWSTATEPROC)(HDC, LPARAM, WPARAM, int, int);
CADHOST_API BOOL DrawState(HDC dc, HGDIOBJ brush, DRAWSTATEPROC proc, LPARAM data, WPARAM wData, int x, int y,
                           int cx, int cy, UINT flags);

// Host side: a live icon's premultiplied ARGB pixels, rows top to bottom; false for none.
CADHOST_API bool cadhostIconPixels(HICON icon, std::vector<std::uint32_t>& pixels, int& width, int& height);
// Host side: a cursor of a module's RT_GROUP_CURSOR resource (its first image), null when missing
// or malformed; a new cursor of that size whose pixels are all transparent (the standard cursors:
// nothing headless draws the mouse pointer).
CADHOST_API HCURSOR cadhostLoadCursorResource(HINSTANCE module, LPCSTR name);
CADHOST_API HCURSOR cadhostMakeCursor(int width, int height);
// Host side: the size of a live icon; false for a handle that is none.
CADHOST_API bool cadhostIconSize(HICON icon, int& width, int& height);
// Host side: decodes one icon image (a DIB with its mask at 1, 4, 8, 24 or 32 bits a pixel, or a
// PNG) into rows top to bottom of premultiplied 0xAARRGGBB; false for a malformed or too large one.
CADHOST_API bool cadhostDecodeIconImage(const unsigned char* bytes, std::size_t size,
                                        std::vector<std::uint32_t>& pixels, int& width, int& height);
