#pragma once
// The framework's drawing objects and device contexts over the window framework's GDI.
#include "ui/cstring.h"
#include "ui/geometry.h"
#include "win/wingdi.h"

class CWnd;

// Owns its handle unless it is a temporary made by FromHandle.
class CADHOST_API CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    HGDIOBJ m_hObject = nullptr;
    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    BOOL CreateStockObject(int index);
    static CGdiObject* FromHandle(HGDIOBJ object);

protected:
    bool m_temporary = false;
    friend struct GdiTemporaries;
};

class CADHOST_API CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
    static CPen* FromHandle(HPEN pen) { return static_cast<CPen*>(CGdiObject::FromHandle(pen)); }
};

class CADHOST_API CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    BOOL CreateSysColorBrush(int index) { return Attach(::CreateSolidBrush(::GetSysColor(index))); }
    static CBrush* FromHandle(HBRUSH brush) { return static_cast<CBrush*>(CGdiObject::FromHandle(brush)); }
};

class CADHOST_API CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONT* font) { return Attach(::CreateFontIndirect(font)); }
    // Size in tenths of a point at 96 dots per inch.
    BOOL CreatePointFont(int pointSizeTenths, LPCTSTR face, class CDC* dc = nullptr);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, LPCTSTR face) {
        return Attach(::CreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                   charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
    }
    int GetLogFont(LOGFONT* font) { return ::GetObject(m_hObject, sizeof(LOGFONT), font); }
    static CFont* FromHandle(HFONT font) { return static_cast<CFont*>(CGdiObject::FromHandle(font)); }
};

class CADHOST_API CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
    BOOL LoadBitmap(UINT id);
    BOOL LoadBitmap(LPCTSTR name);
    int GetBitmap(BITMAP* bitmap) const { return ::GetObject(m_hObject, sizeof(BITMAP), bitmap); }
    operator HBITMAP() const { return m_hObject; }
    static CBitmap* FromHandle(HBITMAP bitmap) { return static_cast<CBitmap*>(CGdiObject::FromHandle(bitmap)); }
};

class CADHOST_API CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL DeleteDC();
    // A temporary wrapper of a context owned elsewhere.
    static CDC* FromHandle(HDC dc);
    CWnd* GetWindow() const;

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CGdiObject* SelectStockObject(int index);
    // A memory context compatible with the given one (or the screen for null).
    BOOL CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }
    BOOL BitBlt(int x, int y, int cx, int cy, CDC* source, int xs, int ys, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, cx, cy, source ? source->m_hDC : nullptr, xs, ys, rop);
    }
    BOOL StretchBlt(int x, int y, int cx, int cy, CDC* source, int xs, int ys, int cxs, int cys, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, cx, cy, source ? source->m_hDC : nullptr, xs, ys, cxs, cys, rop);
    }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    UINT RealizePalette() { return ::RealizePalette(m_hDC); }
    CFont* GetCurrentFont() const;
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    CPoint SetViewportOrg(int x, int y);
    CPoint OffsetViewportOrg(int dx, int dy);
    CPoint GetViewportOrg() const;
    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return ::LineTo(m_hDC, p.x, p.y); }
    BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
    void FillRect(LPCRECT r, CBrush* brush) { ::FillRect(m_hDC, r, brush ? brush->m_hObject : nullptr); }
    // Fills with a colour; the context's background colour becomes that colour.
    void FillSolidRect(LPCRECT r, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FrameRect(LPCRECT r, CBrush* brush) { ::FrameRect(m_hDC, r, brush ? brush->m_hObject : nullptr); }
    // Top and left edges in one colour, bottom and right in the other.
    void Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawEdge(LPRECT r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
    void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
    COLORREF SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

    BOOL TextOut(int x, int y, const CString& text) { return ::TextOut(m_hDC, x, y, text, text.GetLength()); }
    BOOL TextOut(int x, int y, LPCTSTR text, int length) { return ::TextOut(m_hDC, x, y, text, length); }
    int DrawText(const CString& text, LPRECT r, UINT format) { return ::DrawText(m_hDC, text, text.GetLength(), r, format); }
    int DrawText(LPCTSTR text, int length, LPRECT r, UINT format) { return ::DrawText(m_hDC, text, length, r, format); }
    CSize GetTextExtent(const CString& text) const;
    CSize GetTextExtent(LPCTSTR text, int length) const;
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const { return ::GetTextMetrics(m_hDC, metrics); }

protected:
    bool m_temporary = false;
};

// The context of WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CADHOST_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

// A context of a window's client area outside WM_PAINT.
class CADHOST_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
