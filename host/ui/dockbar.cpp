// The dockable control bar: docking in the main frame, the frame's layout, caption, close
// button, sizing edge, context menu and saved position.
#include "ui/dockbar.h"
#include <algorithm>
#include <cstdio>
#include <map>
#include "ax/guidtext.h"
#include "ed/profile.h"
#include "ed/winapp.h"
#include "win/windowscript.h"

namespace {

constexpr const char* kBarClass = "AdUiDockControlBar";
constexpr const char* kMenuClass = "AdUiDockBarMenu";
constexpr const char* kProfileSection = "DockBars";
constexpr int kMenuItemHeight = 18;

// A frame that holds docked bars: its window procedure is chained so that its size changes
// re-lay the bars.
struct FrameSite {
    WNDPROC previous = nullptr;
    bool closing = false;
};

std::map<HWND, FrameSite>& sites() {
    static std::map<HWND, FrameSite> s;
    return s;
}

std::vector<CAdUiDockControlBar*>& allBars() {
    static std::vector<CAdUiDockControlBar*> b;
    return b;
}

void forgetBar(CAdUiDockControlBar* bar) {
    auto& b = allBars();
    b.erase(std::remove(b.begin(), b.end(), bar), b.end());
}

const char* registerClass(const char* name) {
    WNDCLASS wc{};
    if (!GetClassInfo(nullptr, name, &wc)) {
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = name;
        RegisterClass(&wc);
    }
    return name;
}

// The script language finds the bars and the frame through these.
const bool g_scriptSite = [] {
    WindowScriptSite site;
    site.frame = [] {
        CWnd* frame = acedGetAcadFrame();
        return frame ? frame->m_hWnd : static_cast<HWND>(nullptr);
    };
    site.bars = [] {
        std::vector<HWND> windows;
        for (CAdUiDockControlBar* bar : allBars())
            if (bar->m_hWnd) windows.push_back(bar->m_hWnd);
        return windows;
    };
    cadhostSetWindowScriptSite(site);
    return true;
}();

}  // namespace

// ---- The bar's menu ----

BOOL CAdUiDockBarMenu::AppendMenu(UINT flags, UINT_PTR id, LPCTSTR text) {
    m_items.push_back(Item{static_cast<UINT>(id), CString(text ? text : ""), (flags & kChecked) != 0});
    return TRUE;
}

int CAdUiDockBarMenu::find(UINT item, UINT flags) const {
    if (flags & kByPosition) return item < m_items.size() ? static_cast<int>(item) : -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].id == item) return static_cast<int>(i);
    return -1;
}

BOOL CAdUiDockBarMenu::RemoveMenu(UINT item, UINT flags) {
    const int at = find(item, flags);
    if (at < 0) return FALSE;
    m_items.erase(m_items.begin() + at);
    return TRUE;
}

UINT CAdUiDockBarMenu::GetMenuItemID(int position) const {
    return position >= 0 && position < GetMenuItemCount() ? m_items[static_cast<size_t>(position)].id
                                                          : static_cast<UINT>(-1);
}

// The popup that shows a bar's menu: one row per item; a click on a row sends its command to
// the bar, a click elsewhere or Escape closes it.
class DockBarMenuWindow : public CWnd {
public:
    DockBarMenuWindow(HWND bar, const CAdUiDockBarMenu& menu) : m_bar(bar), m_items(menu.items()) {}

    BOOL Open(CPoint screen) {
        int width = 80;
        {
            CClientDC dc(CWnd::FromHandle(m_bar));
            dc.SelectStockObject(DEFAULT_GUI_FONT);
            for (const auto& item : m_items) width = std::max(width, static_cast<int>(dc.GetTextExtent(item.text).cx) + 36);
        }
        const int height = static_cast<int>(m_items.size()) * kMenuItemHeight + 2;
        if (!CreateEx(0, registerClass(kMenuClass), "", WS_POPUP | WS_BORDER | WS_VISIBLE, screen.x, screen.y, width,
                      height, m_bar, nullptr))
            return FALSE;
        SetCapture();
        SetFocus();
        return TRUE;
    }

protected:
    void PostNcDestroy() override { delete this; }

    int ItemAt(CPoint point) const {
        CRect client;
        GetClientRect(&client);
        if (!client.PtInRect(point)) return -1;
        const int row = point.y / kMenuItemHeight;
        return row < static_cast<int>(m_items.size()) ? row : -1;
    }

    void Dismiss() {
        if (m_closing) return;
        m_closing = true;
        DestroyWindow();
    }

    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, GetSysColor(COLOR_MENU));
        dc.SelectStockObject(DEFAULT_GUI_FONT);
        dc.SetBkMode(TRANSPARENT);
        for (size_t i = 0; i < m_items.size(); ++i) {
            CRect row(0, static_cast<int>(i) * kMenuItemHeight, client.right, static_cast<int>(i + 1) * kMenuItemHeight);
            const bool hot = static_cast<int>(i) == m_hot;
            if (hot) dc.FillSolidRect(&row, GetSysColor(COLOR_HIGHLIGHT));
            const COLORREF ink = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
            dc.SetTextColor(ink);
            if (m_items[i].checked) {
                CPen pen(PS_SOLID, 2, ink);
                CPen* old = dc.SelectObject(&pen);
                dc.MoveTo(5, row.top + 9);
                dc.LineTo(8, row.top + 12);
                dc.LineTo(13, row.top + 5);
                dc.SelectObject(old);
            }
            CRect text(row.left + 20, row.top, row.right - 4, row.bottom);
            dc.DrawText(m_items[i].text, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
    }
    afx_msg void OnMouseMove(UINT, CPoint point) {
        const int hot = ItemAt(point);
        if (hot != m_hot) {
            m_hot = hot;
            Invalidate();
        }
    }
    afx_msg void OnLButtonDown(UINT, CPoint point) {
        if (ItemAt(point) < 0) Dismiss();
    }
    afx_msg void OnLButtonUp(UINT, CPoint point) {
        const int at = ItemAt(point);
        if (at < 0) return;
        const HWND bar = m_bar;
        const UINT id = m_items[static_cast<size_t>(at)].id;
        Dismiss();  // deletes this object
        ::SendMessage(bar, WM_COMMAND, id, 0);
    }
    afx_msg void OnRButtonDown(UINT, CPoint point) {
        if (ItemAt(point) < 0) Dismiss();
    }
    afx_msg void OnKeyDown(UINT key, UINT, UINT) {
        if (key == VK_ESCAPE) Dismiss();
    }
    afx_msg void OnCaptureChanged(CWnd* window) {
        if (!window || window->m_hWnd != m_hWnd) Dismiss();
    }
    afx_msg void OnDestroy() {
        m_closing = true;
        if (::GetCapture() == m_hWnd) ::ReleaseCapture();
        Default();
    }
    DECLARE_MESSAGE_MAP()

private:
    HWND m_bar;
    std::vector<CAdUiDockBarMenu::Item> m_items;
    int m_hot = -1;
    bool m_closing = false;
};

BEGIN_MESSAGE_MAP(DockBarMenuWindow, CWnd)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_CAPTURECHANGED()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// ---- The frame's layout ----

namespace {

LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = sites().find(hwnd);
    if (it == sites().end()) return DefWindowProc(hwnd, message, wParam, lParam);
    const WNDPROC previous = it->second.previous;
    if (message == WM_DESTROY) it->second.closing = true;
    const LRESULT result = CallWindowProc(previous, hwnd, message, wParam, lParam);
    if (message == WM_SIZE) CAdUiDockControlBar::RecalcFrameLayout(CWnd::FromHandle(hwnd));
    if (message == WM_NCDESTROY) sites().erase(hwnd);
    return result;
}

void joinFrame(HWND frame) {
    if (!frame || sites().count(frame)) return;
    FrameSite site;
    site.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtr(frame, GWLP_WNDPROC));
    sites()[frame] = site;
    SetWindowLongPtr(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&frameProc));
}

struct Placement {
    CAdUiDockControlBar* bar;
    CRect rect;
};

// The columns of the frame's docked bars and the view left between them. A bar given as
// `except` counts as visible or not as `exceptVisible` says (it is being shown or hidden).
CRect planFrame(HWND frame, HWND except, bool exceptVisible, std::vector<Placement>* placements) {
    CRect client;
    ::GetClientRect(frame, &client);
    std::vector<CAdUiDockControlBar*> columns[2];
    for (CAdUiDockControlBar* bar : allBars()) {
        if (!bar->m_hWnd || !bar->GetDockSite() || ::GetParent(bar->m_hWnd) != frame) continue;
        const bool visible = bar->m_hWnd == except ? exceptVisible : (bar->GetStyle() & WS_VISIBLE) != 0;
        if (visible) columns[bar->GetDockSite() == AFX_IDW_DOCKBAR_RIGHT ? 1 : 0].push_back(bar);
    }
    int widths[2] = {0, 0};
    for (int side = 0; side < 2; ++side)
        for (CAdUiDockControlBar* bar : columns[side]) widths[side] = std::max(widths[side], bar->GetDockedWidth());
    widths[0] = std::min(widths[0], static_cast<int>(client.Width()));
    widths[1] = std::min(widths[1], static_cast<int>(client.Width()) - widths[0]);
    for (int side = 0; side < 2; ++side) {
        const int count = static_cast<int>(columns[side].size());
        const int left = side == 0 ? 0 : client.right - widths[1];
        for (int i = 0; i < count && placements; ++i) {
            const int top = client.Height() * i / count, bottom = client.Height() * (i + 1) / count;
            placements->push_back(Placement{columns[side][static_cast<size_t>(i)], CRect(left, top, left + widths[side], bottom)});
        }
    }
    return CRect(widths[0], 0, client.right - widths[1], client.bottom);
}

void layoutFrame(HWND frame, HWND except, bool exceptVisible) {
    auto it = sites().find(frame);
    if (it == sites().end() || it->second.closing) return;
    std::vector<Placement> placements;
    planFrame(frame, except, exceptVisible, &placements);
    for (const Placement& p : placements) {
        CRect now;
        p.bar->GetWindowRect(&now);
        ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&now), 2);
        if (!::EqualRect(&now, &p.rect)) p.bar->MoveWindow(&p.rect, TRUE);
    }
    ::InvalidateRect(frame, nullptr, TRUE);
}

}  // namespace

void CAdUiDockControlBar::RecalcFrameLayout(CWnd* frame) {
    if (frame && frame->m_hWnd) layoutFrame(frame->m_hWnd, nullptr, false);
}

CRect CAdUiDockControlBar::GetFrameViewRect(CWnd* frame) {
    if (!frame || !frame->m_hWnd) return CRect();
    return planFrame(frame->m_hWnd, nullptr, false, nullptr);
}

std::vector<CAdUiDockControlBar*> CAdUiDockControlBar::GetAllBars() {
    std::vector<CAdUiDockControlBar*> bars;
    for (CAdUiDockControlBar* bar : allBars())
        if (bar->m_hWnd) bars.push_back(bar);
    return bars;
}

// ---- The bar ----

BEGIN_MESSAGE_MAP(CAdUiDockControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SHOWWINDOW()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_CONTEXTMENU()
    ON_WM_CAPTURECHANGED()
    ON_COMMAND(CAdUiDockControlBar::kAllowDockingCommand, &CAdUiDockControlBar::OnAllowDocking)
    ON_COMMAND(CAdUiDockControlBar::kHideCommand, &CAdUiDockControlBar::OnHide)
END_MESSAGE_MAP()

CAdUiDockControlBar::CAdUiDockControlBar(int barStyle) : m_barStyle(barStyle) {}

CAdUiDockControlBar::~CAdUiDockControlBar() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
    forgetBar(this);
}

BOOL CAdUiDockControlBar::Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd || !parent || !parent->m_hWnd) return FALSE;
    const CRect r(rect);
    m_dockedWidth = std::max(kMinWidth, static_cast<int>(r.Width()));
    m_floatRect = CRect(r.left, r.top, r.left + m_dockedWidth, r.top + std::max(kCaptionHeight * 3, static_cast<int>(r.Height())));
    m_frame = parent->m_hWnd;
    const DWORD barStyle = (style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME)) | WS_CHILD | WS_CLIPSIBLINGS;
    return CWnd::CreateEx(0, className ? className : registerClass(kBarClass), title, barStyle, rect, parent, id);
}

void CAdUiDockControlBar::SetToolID(const CLSID* id) {
    m_hasToolId = id != nullptr;
    if (id) m_toolId = *id;
}

void CAdUiDockControlBar::EnableDocking(DWORD sides) { m_dockingSides = sides & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT); }

namespace {
DWORD sideBit(UINT site) {
    return site == AFX_IDW_DOCKBAR_LEFT ? CBRS_ALIGN_LEFT : site == AFX_IDW_DOCKBAR_RIGHT ? CBRS_ALIGN_RIGHT : 0;
}
}  // namespace

BOOL CAdUiDockControlBar::RestoreControlBar(UINT dockBarId, CRect* rect) {
    if (!m_hWnd || !sideBit(dockBarId)) return FALSE;
    if (rect) {
        m_dockedWidth = std::max(kMinWidth, static_cast<int>(rect->Width()));
        m_floatRect = CRect(rect->left, rect->top, rect->left + m_dockedWidth,
                            rect->top + std::max(kCaptionHeight * 3, static_cast<int>(rect->Height())));
    }
    bool placed = OnBeforeLoadPosition() && LoadPosition();
    if (!placed) placed = DockAt(dockBarId);
    if (!placed) {
        CPoint corner(m_floatRect.left, m_floatRect.top);
        if (m_frame) ::ClientToScreen(m_frame, &corner);
        Float(corner);
    }
    ShowWindow(SW_SHOW);
    RelayoutParentFrame();
    NotifySizeChanged();
    return TRUE;
}

BOOL CAdUiDockControlBar::DockAt(UINT dockBarId) {
    if (!m_hWnd || !m_frame || !::IsWindow(m_frame) || !m_allowDocking || !(m_dockingSides & sideBit(dockBarId)))
        return FALSE;
    if (GetStyle() & WS_POPUP) {
        ModifyStyle(WS_POPUP | WS_BORDER, WS_CHILD);
        ::SetParent(m_hWnd, m_frame);
    }
    const UINT before = m_site;
    m_site = m_lastSite = dockBarId;
    joinFrame(m_frame);
    CRect old;
    GetClientRect(&old);
    layoutFrame(m_frame, nullptr, false);
    CRect now;
    GetClientRect(&now);
    // A move to the other side keeps the size but moves the sizing edge.
    if (before != m_site && ::EqualRect(&now, &old)) NotifySizeChanged();
    Invalidate();
    return TRUE;
}

BOOL CAdUiDockControlBar::Float(CPoint screenTopLeft) {
    if (!m_hWnd) return FALSE;
    const bool wasDocked = m_site != 0;
    m_site = 0;
    if (!(GetStyle() & WS_POPUP)) {
        ModifyStyle(WS_CHILD, WS_POPUP | WS_BORDER);
        ::SetParent(m_hWnd, nullptr);
    }
    CRect old;
    GetClientRect(&old);
    MoveWindow(screenTopLeft.x, screenTopLeft.y, m_floatRect.Width(), m_floatRect.Height(), TRUE);
    GetWindowRect(&m_floatRect);
    CRect now;
    GetClientRect(&now);
    if (::EqualRect(&now, &old)) NotifySizeChanged();
    if (wasDocked && m_frame) layoutFrame(m_frame, nullptr, false);
    Invalidate();
    return TRUE;
}

BOOL CAdUiDockControlBar::CloseBar() {
    if (!m_hWnd || !OnClosing()) return FALSE;
    CloseMenu();
    ShowWindow(SW_HIDE);
    OnClosed();
    SavePosition();
    return TRUE;
}

BOOL CAdUiDockControlBar::ShowContextMenu(CPoint screen) {
    if (!m_hWnd) return FALSE;
    CloseMenu();
    auto menu = std::make_unique<CAdUiDockBarMenu>();
    menu->AppendMenu(m_allowDocking ? CAdUiDockBarMenu::kChecked : 0, kAllowDockingCommand, "Allow Docking");
    menu->AppendMenu(0, kHideCommand, "Hide");
    if (!OnCustomizeMenu(menu.get()) || menu->GetMenuItemCount() == 0) return FALSE;
    m_menu = std::move(menu);
    auto* window = new DockBarMenuWindow(m_hWnd, *m_menu);
    if (!window->Open(screen)) {
        delete window;
        m_menu.reset();
        return FALSE;
    }
    m_menuWindow = window->m_hWnd;
    return TRUE;
}

const CAdUiDockBarMenu* CAdUiDockControlBar::GetOpenMenu() const {
    return m_menuWindow && ::IsWindow(m_menuWindow) ? m_menu.get() : nullptr;
}

void CAdUiDockControlBar::CloseMenu() {
    if (m_menuWindow && ::IsWindow(m_menuWindow)) ::DestroyWindow(m_menuWindow);
    m_menuWindow = nullptr;
}

BOOL CAdUiDockControlBar::SavePosition() const {
    if (!m_hasToolId || !m_hWnd) return FALSE;
    char value[96];
    if (m_site) {
        std::snprintf(value, sizeof value, "%s %d", m_site == AFX_IDW_DOCKBAR_RIGHT ? "right" : "left", m_dockedWidth);
    } else {
        std::snprintf(value, sizeof value, "float %d %d %d %d %d", static_cast<int>(m_floatRect.left),
                      static_cast<int>(m_floatRect.top), static_cast<int>(m_floatRect.right),
                      static_cast<int>(m_floatRect.bottom), m_dockedWidth);
    }
    return AcEdProfile::setString(kProfileSection, axGuidToString(m_toolId).c_str(), value) ? TRUE : FALSE;
}

BOOL CAdUiDockControlBar::LoadPosition() {
    if (!m_hasToolId || !m_hWnd) return FALSE;
    const std::string value = AcEdProfile::getString(kProfileSection, axGuidToString(m_toolId).c_str(), "");
    char side[8] = "";
    int a = 0, b = 0, c = 0, d = 0, width = 0;
    if (std::sscanf(value.c_str(), "%7s %d %d %d %d %d", side, &a, &b, &c, &d, &width) == 6 &&
        std::string(side) == "float" && c - a >= kMinWidth && d - b >= kCaptionHeight && c - a <= 16384 &&
        d - b <= 16384) {
        m_floatRect = CRect(a, b, c, d);
        m_dockedWidth = std::max(kMinWidth, std::min(width, 16384));
        return Float(CPoint(a, b));
    }
    if (std::sscanf(value.c_str(), "%7s %d", side, &width) != 2 || width < kMinWidth || width > 16384) return FALSE;
    const std::string s = side;
    if (s != "left" && s != "right") return FALSE;
    m_dockedWidth = width;
    return DockAt(s == "left" ? AFX_IDW_DOCKBAR_LEFT : AFX_IDW_DOCKBAR_RIGHT);
}

void CAdUiDockControlBar::OnUserSizing(UINT side, LPRECT rect) {
    if (!rect || !m_hWnd) return;
    CRect now;
    GetWindowRect(&now);
    if (!(m_barStyle & kSizable)) {
        *rect = now;
        return;
    }
    if (m_site) {  // docked: the outer edge, the top and the bottom stay
        rect->top = now.top;
        rect->bottom = now.bottom;
        if (m_site == AFX_IDW_DOCKBAR_LEFT) rect->left = now.left;
        else rect->right = now.right;
    }
    if (rect->right - rect->left < kMinWidth) {
        if (side == WMSZ_LEFT) rect->left = rect->right - kMinWidth;
        else rect->right = rect->left + kMinWidth;
    }
}

void CAdUiDockControlBar::ApplyUserSize(const CRect& windowRect) {
    if (m_site) {
        m_dockedWidth = windowRect.Width();
        RelayoutParentFrame();
    } else {
        MoveWindow(&windowRect, TRUE);
    }
}

BOOL CAdUiDockControlBar::CreateControlBar(LPCREATESTRUCT) { return TRUE; }
void CAdUiDockControlBar::SizeChanged(CRect*, BOOL, int) {}
bool CAdUiDockControlBar::OnBeforeLoadPosition() { return true; }
bool CAdUiDockControlBar::OnClosing() { return true; }
void CAdUiDockControlBar::OnClosed() {}
bool CAdUiDockControlBar::OnCustomizeMenu(CAdUiDockBarMenu*) { return true; }

CRect CAdUiDockControlBar::SizingEdgeRect() const {
    CRect client;
    GetClientRect(&client);
    if (!(m_barStyle & kSizable)) return CRect();
    if (m_site == AFX_IDW_DOCKBAR_RIGHT) return CRect(0, 0, kSizingEdge, client.bottom);
    return CRect(client.right - kSizingEdge, 0, client.right, client.bottom);
}

CRect CAdUiDockControlBar::ContentRect() const {
    CRect client;
    GetClientRect(&client);
    client.top = std::min(static_cast<int>(client.bottom), kCaptionHeight);
    const CRect edge = SizingEdgeRect();
    if (!edge.IsRectEmpty()) {
        if (edge.left == 0) client.left = std::min(edge.right, client.right);
        else client.right = std::max(edge.left, client.left);
    }
    return client;
}

CRect CAdUiDockControlBar::CloseButtonRect() const {
    if (m_barStyle & kNoCloseButton) return CRect();
    const CRect content = ContentRect();
    return CRect(content.right - 13, 1, content.right - 1, kCaptionHeight - 1);
}

void CAdUiDockControlBar::NotifySizeChanged() {
    if (m_bHoldContentLayout || !m_hWnd) return;
    CRect content = ContentRect();
    SizeChanged(&content, IsFloating() ? TRUE : FALSE, static_cast<int>(sideBit(m_site)));
}

void CAdUiDockControlBar::RelayoutParentFrame(HWND except, bool exceptVisible) {
    if (m_site && m_frame && ::IsWindow(m_frame)) layoutFrame(m_frame, except, exceptVisible);
}

int CAdUiDockControlBar::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    allBars().push_back(this);
    if (!CreateControlBar(cs)) {
        forgetBar(this);
        return -1;
    }
    return 0;
}

void CAdUiDockControlBar::OnDestroy() {
    CloseMenu();
    SavePosition();
    forgetBar(this);
    if (m_site && m_frame && ::IsWindow(m_frame)) layoutFrame(m_frame, nullptr, false);
    m_site = 0;
    Default();
}

void CAdUiDockControlBar::OnSize(UINT, int, int) {
    Default();
    if (IsFloating()) GetWindowRect(&m_floatRect);
    NotifySizeChanged();
    Invalidate();
}

void CAdUiDockControlBar::OnShowWindow(BOOL show, UINT) {
    Default();
    if (!show) CloseMenu();
    RelayoutParentFrame(m_hWnd, show != FALSE);
}

BOOL CAdUiDockControlBar::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, GetSysColor(COLOR_3DFACE));
    return TRUE;
}

void CAdUiDockControlBar::OnPaint() {
    CPaintDC dc(this);
    const COLORREF light = GetSysColor(COLOR_3DHILIGHT), shadow = GetSysColor(COLOR_3DSHADOW);
    const CRect content = ContentRect();
    const CRect close = CloseButtonRect();
    // Title, then the gripper's two ridges up to the close button.
    dc.SelectStockObject(DEFAULT_GUI_FONT);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    CString title;
    GetWindowText(title);
    const int end = close.IsRectEmpty() ? content.right - 2 : close.left - 3;
    CRect text(content.left + 4, 0, end, kCaptionHeight);
    int gripLeft = text.left;
    if (!title.IsEmpty()) {
        dc.DrawText(title, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        gripLeft = std::min(end, text.left + static_cast<int>(dc.GetTextExtent(title).cx) + 5);
    }
    if (end - gripLeft > 4) {
        dc.Draw3dRect(gripLeft, 4, end - gripLeft, 3, light, shadow);
        dc.Draw3dRect(gripLeft, 8, end - gripLeft, 3, light, shadow);
    }
    if (!close.IsRectEmpty()) {
        dc.Draw3dRect(&close, m_closePressed ? shadow : light, m_closePressed ? light : shadow);
        CPen pen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
        CPen* old = dc.SelectObject(&pen);
        const int o = m_closePressed ? 1 : 0;
        dc.MoveTo(close.left + 3 + o, close.top + 3 + o);
        dc.LineTo(close.right - 3 + o, close.bottom - 3 + o);
        dc.MoveTo(close.right - 4 + o, close.top + 3 + o);
        dc.LineTo(close.left + 2 + o, close.bottom - 3 + o);
        dc.SelectObject(old);
    }
    const CRect edge = SizingEdgeRect();
    if (!edge.IsRectEmpty()) dc.Draw3dRect(&edge, light, shadow);
}

void CAdUiDockControlBar::OnLButtonDown(UINT, CPoint point) {
    if (CloseButtonRect().PtInRect(point)) {
        m_closePressed = true;
        SetCapture();
        Invalidate();
        return;
    }
    if (SizingEdgeRect().PtInRect(point)) {
        m_sizing = true;
        m_sizingStart = point;
        ClientToScreen(&m_sizingStart);
        GetWindowRect(&m_sizingRect);
        SetCapture();
        return;
    }
    Default();
}

void CAdUiDockControlBar::OnMouseMove(UINT, CPoint point) {
    if (!m_sizing) return;
    CPoint screen = point;
    ClientToScreen(&screen);
    const int delta = screen.x - m_sizingStart.x;
    CRect r = m_sizingRect;
    const UINT side = m_site == AFX_IDW_DOCKBAR_RIGHT ? WMSZ_LEFT : WMSZ_RIGHT;
    if (side == WMSZ_LEFT) r.left += delta;
    else r.right += delta;
    OnUserSizing(side, &r);
    ApplyUserSize(r);
}

void CAdUiDockControlBar::OnLButtonUp(UINT, CPoint point) {
    const bool closing = m_closePressed, sizing = m_sizing;
    m_closePressed = m_sizing = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (closing) {
        Invalidate();
        if (CloseButtonRect().PtInRect(point)) CloseBar();
    } else if (sizing) {
        SavePosition();
    } else {
        Default();
    }
}

void CAdUiDockControlBar::OnCaptureChanged(CWnd* window) {
    if (window && window->m_hWnd == m_hWnd) return;
    if (m_closePressed) Invalidate();
    m_closePressed = m_sizing = false;
}

void CAdUiDockControlBar::OnLButtonDblClk(UINT, CPoint point) {
    if (point.y >= kCaptionHeight || CloseButtonRect().PtInRect(point)) {
        Default();
        return;
    }
    if (m_site) {
        CRect r;
        GetWindowRect(&r);
        Float(CPoint(r.left + 20, r.top + 20));
    } else if (!DockAt(m_lastSite)) {
        DockAt(m_lastSite == AFX_IDW_DOCKBAR_LEFT ? AFX_IDW_DOCKBAR_RIGHT : AFX_IDW_DOCKBAR_LEFT);
    }
    SavePosition();
}

void CAdUiDockControlBar::OnContextMenu(CWnd*, CPoint point) {
    CPoint client = point;
    ScreenToClient(&client);
    if (client.y >= 0 && client.y < kCaptionHeight) ShowContextMenu(point);
}

void CAdUiDockControlBar::OnAllowDocking() {
    m_allowDocking = !m_allowDocking;
    if (!m_allowDocking && m_site) {
        CRect r;
        GetWindowRect(&r);
        Float(CPoint(r.left + 20, r.top + 20));
    } else if (m_allowDocking && !m_site) {
        DockAt(m_lastSite);
    }
    SavePosition();
}

void CAdUiDockControlBar::OnHide() { CloseBar(); }
