// Drawing objects and device contexts of the framework.
#include "ui/dc.h"
#include "ui/extmodule.h"
#include <map>
#include <memory>
#include "ui/wnd.h"

// Temporary wrappers of objects and contexts owned elsewhere; an entry goes when a new one is
// made after its handle has died.
struct GdiTemporaries {
    static CGdiObject* object(HGDIOBJ handle) {
        static std::map<HGDIOBJ, std::pair<DWORD, std::unique_ptr<CGdiObject>>> objects;
        DWORD type = GetObjectType(handle);
        auto it = objects.find(handle);
        if (it != objects.end() && it->second.first == type) return it->second.second.get();
        for (auto i = objects.begin(); i != objects.end();)
            i = GetObjectType(i->first) == i->second.first ? std::next(i) : objects.erase(i);
        // Each temporary is of the class of its object, so that FromHandle's casts hold.
        std::unique_ptr<CGdiObject> o;
        if (type == OBJ_PEN) o = std::make_unique<CPen>();
        else if (type == OBJ_BRUSH) o = std::make_unique<CBrush>();
        else if (type == OBJ_BITMAP) o = std::make_unique<CBitmap>();
        else o = std::make_unique<CFont>();
        o->m_hObject = handle;
        o->m_temporary = true;
        CGdiObject* raw = o.get();
        objects[handle] = {type, std::move(o)};
        return raw;
    }
};

CGdiObject::~CGdiObject() {
    if (!m_temporary) DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (!object || m_hObject) return FALSE;
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    return ::DeleteObject(Detach());
}

BOOL CGdiObject::CreateStockObject(int index) { return Attach(::GetStockObject(index)); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
    return GetObjectType(object) ? GdiTemporaries::object(object) : nullptr;
}

BOOL CFont::CreatePointFont(int pointSizeTenths, LPCTSTR face, CDC*) {
    LOGFONT lf{};
    lf.lfHeight = -MulDiv(pointSizeTenths, 96, 720);
    lf.lfWeight = FW_NORMAL;
    if (face) {
        for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
    }
    return CreateFontIndirect(&lf);
}

namespace {
std::map<HDC, std::unique_ptr<CDC>>& temporaryContexts() {
    static std::map<HDC, std::unique_ptr<CDC>> m;
    return m;
}
}  // namespace

CDC::~CDC() {
    if (m_hDC && !m_temporary) ::DeleteDC(m_hDC);
}

BOOL CDC::Attach(HDC dc) {
    if (!dc || m_hDC) return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    m_hDC = nullptr;
    return h;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC dc) {
    if (!dc) return nullptr;
    auto& m = temporaryContexts();
    auto it = m.find(dc);
    if (it != m.end()) return it->second.get();
    for (auto i = m.begin(); i != m.end();)
        i = GetObjectType(reinterpret_cast<HGDIOBJ>(i->first)) == OBJ_DC ? std::next(i) : m.erase(i);
    auto c = std::make_unique<CDC>();
    c->m_hDC = dc;
    c->m_temporary = true;
    return (m[dc] = std::move(c)).get();
}

CWnd* CDC::GetWindow() const { return CWnd::FromHandle(::WindowFromDC(m_hDC)); }

CPen* CDC::SelectObject(CPen* pen) {
    return pen ? CPen::FromHandle(::SelectObject(m_hDC, pen->m_hObject)) : nullptr;
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return brush ? CBrush::FromHandle(::SelectObject(m_hDC, brush->m_hObject)) : nullptr;
}
CFont* CDC::SelectObject(CFont* font) {
    return font ? CFont::FromHandle(::SelectObject(m_hDC, font->m_hObject)) : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return bitmap ? CBitmap::FromHandle(::SelectObject(m_hDC, bitmap->m_hObject)) : nullptr;
}
BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}
BOOL CBitmap::LoadBitmap(LPCTSTR name) { return Attach(::LoadBitmap(AfxFindResourceHandle(name, RT_BITMAP), name)); }
BOOL CBitmap::LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCE(id)); }
CGdiObject* CDC::SelectStockObject(int index) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index)));
}
CFont* CDC::GetCurrentFont() const { return CFont::FromHandle(::GetCurrentObject(m_hDC, OBJ_FONT)); }

CPoint CDC::SetViewportOrg(int x, int y) {
    POINT old{0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) {
    POINT old{0, 0};
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &old);
    return CPoint(old);
}

CPoint CDC::GetViewportOrg() const {
    POINT p{0, 0};
    ::GetViewportOrgEx(m_hDC, &p);
    return CPoint(p);
}

CPoint CDC::MoveTo(int x, int y) {
    POINT old{0, 0};
    ::MoveToEx(m_hDC, x, y, &old);
    return CPoint(old);
}

void CDC::FillSolidRect(LPCRECT r, COLORREF color) {
    ::SetBkColor(m_hDC, color);
    HBRUSH b = ::CreateSolidBrush(color);
    ::FillRect(m_hDC, r, b);
    ::DeleteObject(b);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    CRect r(x, y, x + cx, y + cy);
    r.NormalizeRect();
    FillSolidRect(&r, color);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight) {
    Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx, y, -1, cy, bottomRight);
    FillSolidRect(x, y + cy, cx, -1, bottomRight);
}

CSize CDC::GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }

CSize CDC::GetTextExtent(LPCTSTR text, int length) const {
    SIZE s{0, 0};
    ::GetTextExtentPoint32(m_hDC, text, length, &s);
    return CSize(s);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }
