// Window objects: handle maps, subclassing, creation and message dispatch through message maps.
#include "ui/wnd.h"
#include <cstdio>
#include <map>
#include <string>
#include <memory>
#include <vector>
#include "ui/dialog.h"

namespace {

std::map<HWND, CWnd*>& permanent() {
    static std::map<HWND, CWnd*> m;
    return m;
}

// Temporary objects of windows without one of their own; an entry is dropped when a new
// temporary is made after its window has gone.
std::map<HWND, std::unique_ptr<CWnd>>& temporaries() {
    static std::map<HWND, std::unique_ptr<CWnd>> m;
    return m;
}

std::vector<MSG>& currentMessages() {
    static std::vector<MSG> stack;
    return stack;
}

// Offers a message to the window objects from its window up to the top-level window.
bool preTranslate(MSG* msg) {
    for (HWND h = msg->hwnd; h;) {
        CWnd* w = CWnd::FromHandlePermanent(h);
        if (w && w->PreTranslateMessage(msg)) return true;
        if (!(GetWindowLong(h, GWL_STYLE) & WS_CHILD)) break;
        h = GetParent(h);
    }
    return false;
}

const bool g_filterInstalled = (cadhostSetMessageFilter(&preTranslate), true);

}  // namespace

CWnd::~CWnd() {
    if (m_hWnd && !m_temporary && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    auto it = permanent().find(hwnd);
    return it == permanent().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd)) return nullptr;
    if (CWnd* w = FromHandlePermanent(hwnd)) return w;
    auto& t = temporaries();
    auto it = t.find(hwnd);
    if (it != t.end()) return it->second.get();
    for (auto i = t.begin(); i != t.end();) i = ::IsWindow(i->first) ? std::next(i) : t.erase(i);
    auto w = std::make_unique<CWnd>();
    w->m_hWnd = hwnd;
    w->m_temporary = true;
    return (t[hwnd] = std::move(w)).get();
}

BOOL CWnd::Attach(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
    m_hWnd = hwnd;
    permanent()[hwnd] = this;
    temporaries().erase(hwnd);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (h && FromHandlePermanent(h) == this) permanent().erase(h);
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!::IsWindow(hwnd) || !Attach(hwnd)) return FALSE;
    PreSubclassWindow();
    auto old = reinterpret_cast<WNDPROC>(::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc) m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent) return FALSE;
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd) return nullptr;
    if (m_pfnSuper) ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::AttachOnCreate(HWND hwnd, void* data) {
    auto* w = static_cast<CWnd*>(data);
    if (!w->Attach(hwnd)) return;
    w->PreSubclassWindow();
    w->m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
}

BOOL CWnd::Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, nullptr);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, void* param) {
    if (m_hWnd) return FALSE;
    CREATESTRUCT cs{param, nullptr, idOrMenu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                    className, exStyle};
    if (!PreCreateWindow(cs)) return FALSE;
    cadhostHookNextCreate(&AttachOnCreate, this);
    HWND hwnd = ::CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                 cs.cx, cs.cy, cs.hwndParent, cs.hMenu, nullptr, cs.lpCreateParams);
    return hwnd ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void CWnd::GetWindowText(CString& text) const {
    int n = GetWindowTextLength();
    char* buffer = text.GetBuffer(n + 1);
    ::GetWindowText(m_hWnd, buffer, n + 1);
    text.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    HWND control = ::GetDlgItem(m_hWnd, id);
    text.Empty();
    if (!control) return 0;
    FromHandle(control)->GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

CFont* CWnd::GetFont() const {
    auto f = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    return f ? CFont::FromHandle(f) : nullptr;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

HICON CWnd::GetIcon(BOOL big) const {
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, big ? ICON_BIG : ICON_SMALL));
}

namespace {
BOOL modifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags) {
    DWORD old = static_cast<DWORD>(::GetWindowLong(hwnd, index));
    DWORD now = (old & ~remove) | add;
    if (now == old) return FALSE;
    ::SetWindowLong(hwnd, index, static_cast<LONG>(now));
    if (flags) ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}
}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) { return modifyLong(m_hWnd, GWL_STYLE, remove, add, flags); }
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) { return modifyLong(m_hWnd, GWL_EXSTYLE, remove, add, flags); }

CWnd* CWnd::GetNextDlgTabItem(CWnd* control, BOOL previous) const {
    return FromHandle(::GetNextDlgTabItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
}

void CWnd::ScreenToClient(LPRECT rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::ClientToScreen(LPRECT rect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::MapWindowPoints(CWnd* to, LPRECT rect) const {
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const {
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, points, count);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

const MSG* CWnd::GetCurrentMessage() {
    static const MSG none{};
    return currentMessages().empty() ? &none : &currentMessages().back();
}

LRESULT CWnd::Default() {
    const MSG* m = GetCurrentMessage();
    return DefWindowProc(m->message, m->wParam, m->lParam);
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* w = FromHandlePermanent(hwnd);
    if (!w) return ::DefWindowProc(hwnd, message, wParam, lParam);
    currentMessages().push_back(MSG{hwnd, message, wParam, lParam, GetMessageTime(), {0, 0}});
    LRESULT result = w->WindowProc(message, wParam, lParam);
    currentMessages().pop_back();
    if (message == WM_NCDESTROY && FromHandlePermanent(hwnd) == w) {
        w->Detach();
        w->m_pfnSuper = nullptr;
        w->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return ::CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::Dispatch(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    bool byControl = message == WM_COMMAND || message == WM_NOTIFY || message >= WM_REFLECT_BASE;
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (message < e->nMessage || message > e->nLastMessage) continue;
            if (byControl && (e->nCode != code || id < e->nID || id > e->nLastID)) continue;
            LRESULT r = 0;
            if (e->pfn(this, wParam, lParam, &r)) {
                if (result) *result = r;
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) return OnNotify(wParam, lParam, result);
    if (message == WM_INITMENUPOPUP) {
        if (Dispatch(message, 0, 0, wParam, lParam, result)) {
            *result = 0;
            return TRUE;
        }
        return FALSE;
    }
    HWND child = nullptr;
    if (message == WM_DRAWITEM || message == WM_MEASUREITEM) child = ::GetDlgItem(m_hWnd, static_cast<int>(wParam));
    if (message == WM_DRAWITEM && lParam) child = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)->hwndItem;
    if (message == WM_COMPAREITEM && lParam) child = reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam)->hwndItem;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) child = reinterpret_cast<HWND>(lParam);
    if (child && child != m_hWnd) {
        CWnd* c = FromHandlePermanent(child);
        if (c && c->OnChildNotify(message, wParam, lParam, result)) return TRUE;
    }
    return Dispatch(message, 0, 0, wParam, lParam, result);
}

namespace {
// The state query made before a menu command runs: it only records the enabling.
class CTestCmdUI : public CCmdUI {
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL on) override {
        m_bEnabled = on;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetText(LPCTSTR) override {}
};
}  // namespace

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    auto control = reinterpret_cast<HWND>(lParam);
    if (control) {
        CWnd* c = FromHandlePermanent(control);
        if (c && c != this && c->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr)) return TRUE;
    } else if (HIWORD(wParam) == 0) {
        // A menu command runs only while its state query leaves it enabled.
        CTestCmdUI state;
        state.m_nID = LOWORD(wParam);
        OnCmdMsg(state.m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr);
        if (!state.m_bEnabled) return TRUE;
    }
    return Dispatch(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), wParam, lParam, nullptr);
}

BOOL CWnd::OnCmdMsg(UINT id, int code, void* extra, void*) {
    const auto ucode = static_cast<UINT>(code);
    const LPARAM lParam = ucode == CN_UPDATE_COMMAND_UI ? reinterpret_cast<LPARAM>(extra) : 0;
    return Dispatch(WM_COMMAND, ucode, id, MAKEWPARAM(id, ucode == CN_UPDATE_COMMAND_UI ? 0 : ucode), lParam, nullptr);
}

void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }

void CWnd::UpdatePopupMenuItems(CMenu* popup) {
    if (!popup) return;
    CCmdUI state;
    state.m_pMenu = popup;
    state.m_nIndexMax = popup->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        const UINT id = popup->GetMenuItemID(static_cast<int>(state.m_nIndex));
        if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators and popups
        state.m_nID = id;
        state.DoUpdate(this, FALSE);
        // A handler may have removed items.
        state.m_nIndexMax = popup->GetMenuItemCount();
    }
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    CWnd* c = FromHandlePermanent(header->hwndFrom);
    if (c && c != this && c->OnChildNotify(WM_NOTIFY, wParam, lParam, result)) return TRUE;
    return Dispatch(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), wParam, lParam, result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    UINT code = 0;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return Dispatch(WM_CTLCOLOR_REFLECT, 0, 0, wParam, lParam, result);
    if (message == WM_COMMAND) code = HIWORD(wParam);
    else if (message == WM_NOTIFY) code = reinterpret_cast<NMHDR*>(lParam)->code;
    else return FALSE;
    return Dispatch(WM_REFLECT_BASE + message, code, 0, wParam, lParam, result);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

LPCTSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::map<std::string, std::string> names;
    char name[96];
    std::snprintf(name, sizeof name, "Afx:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    auto [it, added] = names.emplace(name, name);
    if (added) {
        WNDCLASS wc{};
        wc.style = classStyle;
        wc.lpfnWndProc = &DefWindowProc;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = it->second.c_str();
        if (!RegisterClass(&wc)) {
            names.erase(it);
            return nullptr;
        }
    }
    return it->second.c_str();
}
