#pragma once
// Device contexts, pens, brushes and fonts of the window framework, drawn with Cairo and Pango,
// and the classic system colours and metrics.
#include <cstddef>
#include <cstdint>
#include <vector>
#include "win/windef.h"

#define RGB(r, g, b) static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<DWORD>(static_cast<BYTE>(g)) << 8) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 16))
#define GetRValue(c) static_cast<BYTE>((c) & 0xff)
#define GetGValue(c) static_cast<BYTE>(((c) >> 8) & 0xff)
#define GetBValue(c) static_cast<BYTE>(((c) >> 16) & 0xff)
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Stock objects.
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
    NULL_BRUSH = 5, HOLLOW_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
    ANSI_VAR_FONT = 12, SYSTEM_FONT = 13, DEFAULT_GUI_FONT = 17;
// Pen styles.
constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_NULL = 5, PS_INSIDEFRAME = 6;
// Background modes.
constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Font weights.
constexpr LONG FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700;
constexpr int LF_FACESIZE = 32;

struct LOGFONT {
    LONG lfHeight;  // negative: character height in pixels; positive: cell height
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};

struct TEXTMETRIC {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
};

// DrawText.
constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_PATH_ELLIPSIS = 0x4000,
    DT_END_ELLIPSIS = 0x8000;
// DrawEdge.
constexpr UINT BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8, EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, EDGE_ETCHED = 0x6, EDGE_BUMP = 0x9;
constexpr UINT BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_RECT = 0xF,
    BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;
// Clipping results.
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2;
// GetDeviceCaps.
constexpr int HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, LOGPIXELSX = 88, LOGPIXELSY = 90;

// System colours (classic scheme).
constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3, COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_3DFACE = 15, COLOR_BTNSHADOW = 16,
    COLOR_3DSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20, COLOR_3DHILIGHT = 20, COLOR_3DHIGHLIGHT = 20, COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24, COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28;
// System metrics.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4, SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8,
    SM_CXFIXEDFRAME = 7, SM_CYFIXEDFRAME = 8, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13,
    SM_CYCURSOR = 14, SM_CYMENU = 15, SM_CXFRAME = 32, SM_CYFRAME = 33, SM_CXDOUBLECLK = 36,
    SM_CYDOUBLECLK = 37, SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50;
constexpr int SM_CXICONSPACING = 38, SM_CYICONSPACING = 39, SM_CXMENUCHECK = 71, SM_CYMENUCHECK = 72;
constexpr int SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17, SM_CXSIZEFRAME = 32, SM_CYSIZEFRAME = 33,
    SM_CXMINTRACK = 34, SM_CYMINTRACK = 35;

CADHOST_API DWORD GetSysColor(int index);
CADHOST_API HBRUSH GetSysColorBrush(int index);
CADHOST_API int GetSystemMetrics(int index);

// Device contexts. GetDC answers a context whose drawing is not kept (headless, windows have no
// picture of their own); pictures are made by rendering (win/render.h).
CADHOST_API HDC GetDC(HWND hwnd);
CADHOST_API int ReleaseDC(HWND hwnd, HDC dc);
CADHOST_API HWND WindowFromDC(HDC dc);
CADHOST_API int GetDeviceCaps(HDC dc, int index);
CADHOST_API int SaveDC(HDC dc);
CADHOST_API BOOL RestoreDC(HDC dc, int saved);
CADHOST_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
CADHOST_API HGDIOBJ GetCurrentObject(HDC dc, UINT kind);
CADHOST_API BOOL DeleteObject(HGDIOBJ object);
CADHOST_API HGDIOBJ GetStockObject(int index);
CADHOST_API HPEN CreatePen(int style, int width, COLORREF color);
CADHOST_API HBRUSH CreateSolidBrush(COLORREF color);
CADHOST_API HFONT CreateFontIndirect(const LOGFONT* font);
CADHOST_API HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                             DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                             DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                             DWORD pitchAndFamily, const char* face);
typedef HGDIOBJ HBITMAP;
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};
// GetObject copies a font's LOGFONT or a bitmap's BITMAP; other objects answer 0.
CADHOST_API int GetObject(HGDIOBJ object, int size, void* out);
// OBJ_PEN, OBJ_BRUSH, OBJ_FONT or OBJ_BITMAP; 0 for a handle that is no live object.
constexpr DWORD OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_FONT = 6, OBJ_BITMAP = 7;
CADHOST_API DWORD GetObjectType(HGDIOBJ object);
CADHOST_API COLORREF SetTextColor(HDC dc, COLORREF color);
CADHOST_API COLORREF GetTextColor(HDC dc);
CADHOST_API COLORREF SetBkColor(HDC dc, COLORREF color);
CADHOST_API COLORREF GetBkColor(HDC dc);
CADHOST_API int SetBkMode(HDC dc, int mode);
CADHOST_API int GetBkMode(HDC dc);
CADHOST_API BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
CADHOST_API BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
CADHOST_API BOOL GetViewportOrgEx(HDC dc, POINT* origin);
CADHOST_API int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
CADHOST_API int GetClipBox(HDC dc, RECT* rect);

CADHOST_API BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
CADHOST_API BOOL LineTo(HDC dc, int x, int y);
CADHOST_API BOOL Polyline(HDC dc, const POINT* points, int count);
CADHOST_API BOOL Polygon(HDC dc, const POINT* points, int count);
CADHOST_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
CADHOST_API BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
CADHOST_API int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
CADHOST_API int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
CADHOST_API BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);
CADHOST_API BOOL DrawFocusRect(HDC dc, const RECT* rect);
// Frame controls: only the scroll bar's size grip (DFC_SCROLL, DFCS_SCROLLSIZEGRIP) is drawn: three
// diagonal ridges in the bottom-right corner of the rectangle, over the face colour.
constexpr UINT DFC_SCROLL = 3, DFCS_SCROLLSIZEGRIP = 0x0008;
CADHOST_API BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state);
CADHOST_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
CADHOST_API COLORREF GetPixel(HDC dc, int x, int y);

CADHOST_API BOOL TextOut(HDC dc, int x, int y, const char* text, int length);
// Lays text out in the rectangle; answers the height of the text. DT_CALCRECT measures only and
// sets the rectangle's right and bottom.
CADHOST_API int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format);
CADHOST_API BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size);
CADHOST_API BOOL GetTextMetrics(HDC dc, TEXTMETRIC* metrics);

// Bitmaps with pixels, memory contexts and block transfers. A bitmap keeps 24-bit colour pixels
// whatever depth it was made from; GetObject answers the depth it was made with.
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: rows bottom-up; negative: top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
typedef BITMAPINFO* LPBITMAPINFO;
constexpr DWORD BI_RGB = 0, BI_BITFIELDS = 3;
constexpr DWORD CBM_INIT = 0x04;
constexpr UINT DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;
// Raster operations of BitBlt and StretchBlt.
constexpr DWORD SRCCOPY = 0x00CC0020, PATCOPY = 0x00F00021, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
// Stretch modes.
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;

// A memory context of one pixel until a bitmap is selected into it; drawing goes into the bitmap.
CADHOST_API HDC CreateCompatibleDC(HDC dc);
CADHOST_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A bitmap from a DIB of 1, 4, 8, 16, 24 or 32 bits a pixel (BI_RGB, or BI_BITFIELDS at 16 and
// 32), either row order. The header and the bits are checked against the global memory block
// or resource they lie in, and against the image size limit; null for a header that does not fit.
CADHOST_API HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                                   const BITMAPINFO* info, UINT usage);
// Copies rows of a bitmap out as a 24 or 32-bit DIB (bits null: fills the header only); answers
// the rows copied.
CADHOST_API int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
CADHOST_API BOOL BitBlt(HDC dc, int x, int y, int cx, int cy, HDC source, int x1, int y1, DWORD rop);
CADHOST_API BOOL StretchBlt(HDC dc, int x, int y, int cx, int cy, HDC source, int xs, int ys, int cxs, int cys,
                            DWORD rop);
CADHOST_API int SetStretchBltMode(HDC dc, int mode);
CADHOST_API int GetStretchBltMode(HDC dc);
// Palettes: the display is true colour; only "no palette" is ever selected.
typedef HGDIOBJ HPALETTE;
CADHOST_API HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
CADHOST_API UINT RealizePalette(HDC dc);
// Bitmap resources (RT_BITMAP) of a module.
CADHOST_API HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);
CADHOST_API HBITMAP LoadBitmap(HINSTANCE module, LPCSTR name);
// Host side: a bitmap's pixels, rows top to bottom of opaque 0xFFRRGGBB; false for no bitmap.
CADHOST_API bool cadhostBitmapPixels(HBITMAP bitmap, std::vector<std::uint32_t>& pixels, int& width, int& height);
// Host side: a new bitmap of those pixels (their alpha is dropped); null beyond the size limit.
CADHOST_API HBITMAP cadhostBitmapFromPixels(const std::vector<std::uint32_t>& pixels, int width, int height);
// Host side: decodes a DIB whose header and colour table take infoBytes and whose rows take
// bitsBytes, into rows top to bottom of 0xFFRRGGBB; false for anything that does not fit.
CADHOST_API bool cadhostDecodeDib(const void* info, std::size_t infoBytes, const void* bits, std::size_t bitsBytes,
                                  std::vector<std::uint32_t>& pixels, int& width, int& height);

// Host side: a context drawing into an ARGB32 Cairo image surface (a cairo_surface_t*), its
// origin at (x, y) of the surface. Deleted with DeleteDC.
CADHOST_API HDC cadhostCreateSurfaceDC(void* cairoSurface, HWND window, int x, int y);
CADHOST_API BOOL DeleteDC(HDC dc);
