#pragma once
// The framework's menu object, and the command-update object that asks a window's
// ON_UPDATE_COMMAND_UI handlers about each item of a popup menu before it shows.
#include "ui/cstring.h"
#include "win/menus.h"

class CWnd;

// Owns its menu unless it is a temporary made by FromHandle.
class CADHOST_API CMenu {
public:
    CMenu() = default;
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    // From the resources of the framework's resource module.
    BOOL LoadMenu(UINT id);
    BOOL LoadMenu(LPCTSTR name);
    BOOL Attach(HMENU menu);
    HMENU Detach();
    BOOL DestroyMenu();
    // The attached object of a menu, or a temporary one that lives while the menu does.
    static CMenu* FromHandle(HMENU menu);

    CMenu* GetSubMenu(int position) const { return FromHandle(::GetSubMenu(m_hMenu, position)); }
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr) { return ::AppendMenu(m_hMenu, flags, id, text); }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr) {
        return ::InsertMenu(m_hMenu, position, flags, id, text);
    }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr) {
        return ::ModifyMenu(m_hMenu, position, flags, id, text);
    }
    BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    UINT CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }
    UINT EnableMenuItem(UINT item, UINT enable) { return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable)); }
    UINT GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
    int GetMenuString(UINT item, LPTSTR buffer, int bufferMax, UINT flags) const {
        return ::GetMenuString(m_hMenu, item, buffer, bufferMax, flags);
    }
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);

private:
    bool m_temporary = false;
};

// One command's state as a handler sets it: for a menu item, its enabling, check and text.
class CADHOST_API CCmdUI {
public:
    virtual ~CCmdUI() = default;
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    UINT m_nIndexMax = 0;
    CMenu* m_pMenu = nullptr;
    CMenu* m_pSubMenu = nullptr;
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;

    virtual void Enable(BOOL on = TRUE);
    // 0 unchecked, 1 checked.
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(LPCTSTR text);
    // Routes the state through the target's handlers; TRUE when one took it. Without one and with
    // disableIfNoHandler, the item is disabled.
    BOOL DoUpdate(CWnd* target, BOOL disableIfNoHandler);
};
