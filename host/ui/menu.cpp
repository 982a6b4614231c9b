// The menu object and the command-update object.
#include "ui/menu.h"
#include "ui/extmodule.h"
#include <memory>
#include "ui/handlemap.h"
#include "ui/wnd.h"
#include "win/resources.h"

namespace {

HandleObjects<HMENU, CMenu>& objects() {
    static HandleObjects<HMENU, CMenu> o;
    return o;
}

}  // namespace

CMenu::~CMenu() {
    if (!m_temporary) DestroyMenu();
}

BOOL CMenu::LoadMenu(LPCTSTR name) { return Attach(::LoadMenu(AfxFindResourceHandle(name, RT_MENU), name)); }
BOOL CMenu::LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCE(id)); }

BOOL CMenu::Attach(HMENU menu) {
    if (!menu || m_hMenu) return FALSE;
    m_hMenu = menu;
    objects().attach(menu, this);
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    if (menu && !m_temporary) objects().detach(menu);
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}

CMenu* CMenu::FromHandle(HMENU menu) {
    return objects().find(menu, [](HMENU m) { return IsMenu(m) != FALSE; }, [](HMENU h) {
        auto o = std::make_unique<CMenu>();
        o->m_temporary = true;
        o->m_hMenu = h;
        return o;
    });
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    const int n = ::GetMenuString(m_hMenu, item, nullptr, 0, flags);
    std::string buffer(static_cast<size_t>(n) + 1, '\0');
    ::GetMenuString(m_hMenu, item, buffer.data(), n + 1, flags);
    text = buffer.c_str();
    return n;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
}

void CCmdUI::Enable(BOOL on) {
    if (m_pMenu) m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    else if (m_pOther) m_pOther->EnableWindow(on);
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check) {
    if (m_pMenu) m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetText(LPCTSTR text) {
    if (!m_pMenu) return;
    // The item keeps its command and its state.
    const UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
    m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
}

BOOL CCmdUI::DoUpdate(CWnd* target, BOOL disableIfNoHandler) {
    if (!target) return FALSE;
    m_bEnableChanged = FALSE;
    const BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) Enable(FALSE);
    return handled;
}
