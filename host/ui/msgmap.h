#pragma once
// Message maps as the framework writes them: a class declares DECLARE_MESSAGE_MAP() and lists
// its handlers between BEGIN_MESSAGE_MAP(class, base) and END_MESSAGE_MAP(). Each entry turns a
// message into a call of the handler with the framework's arguments; maps are searched from
// the class down through its bases. Handlers are named with their class:
// ON_BN_CLICKED(IDC_BROWSE, &CMyDialog::OnBrowse).
#include "win/controls.h"
#include "win/listbox.h"
#include "win/menus.h"
#include "win/winuser.h"

class CWnd;
class CDC;
class CCmdUI;
class CMenu;
class CScrollBar;

// The scroll bar control object of a WM_VSCROLL or WM_HSCROLL, null for a window's own bars.
CADHOST_API CScrollBar* afxScrollBarFromHandle(HWND hwnd);

// Handles one message for the window object; false when the entry does not handle it after all.
typedef BOOL (*AFX_THUNK)(CWnd* self, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;      // first message handled (WM_COMMAND, WM_NOTIFY or a window message)
    UINT nLastMessage;  // last message of the range
    UINT nCode;         // notification code for WM_COMMAND and WM_NOTIFY
    UINT nID;           // first control id
    UINT nLastID;       // last control id
    AFX_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Messages reflected back to the control that sent them.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

#define afx_msg

#define DECLARE_MESSAGE_MAP()                                  \
protected:                                                     \
    static const AFX_MSGMAP* GetThisMessageMap();              \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                     \
        using ThisClass [[maybe_unused]] = theClass;                                      \
        using TheBaseClass = baseClass;                                                   \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                 \
            {0, 0, 0, 0, 0, nullptr}};                                                    \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                                               \
    }

#define AFX_SELF static_cast<ThisClass*>(self)
#define AFX_ENTRY(message, body) \
    {message, message, 0, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam, LRESULT* result) -> BOOL { \
        (void)self; (void)wParam; (void)lParam; (void)result; body; return TRUE; }},

// Commands, control notifications and WM_NOTIFY.
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), \
     [](CWnd* self, WPARAM, LPARAM, LRESULT*) -> BOOL { (AFX_SELF->*(memberFxn))(); return TRUE; }},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(idLast), \
     [](CWnd* self, WPARAM wParam, LPARAM, LRESULT*) -> BOOL { (AFX_SELF->*(memberFxn))(LOWORD(wParam)); return TRUE; }},
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND, WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
     [](CWnd* self, WPARAM, LPARAM, LRESULT*) -> BOOL { (AFX_SELF->*(memberFxn))(); return TRUE; }},
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn) \
    {WM_COMMAND, WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast), \
     [](CWnd* self, WPARAM wParam, LPARAM, LRESULT*) -> BOOL { (AFX_SELF->*(memberFxn))(LOWORD(wParam)); return TRUE; }},
#define ON_NOTIFY(code, id, memberFxn) \
    {WM_NOTIFY, WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
     [](CWnd* self, WPARAM, LPARAM lParam, LRESULT* result) -> BOOL { \
         (AFX_SELF->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), result); return TRUE; }},
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn) \
    {WM_NOTIFY, WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast), \
     [](CWnd* self, WPARAM, LPARAM lParam, LRESULT* result) -> BOOL { \
         auto* h = reinterpret_cast<NMHDR*>(lParam); \
         (AFX_SELF->*(memberFxn))(static_cast<UINT>(h->idFrom), h, result); return TRUE; }},
#define ON_CONTROL_REFLECT(code, memberFxn) \
    {WM_REFLECT_BASE + WM_COMMAND, WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, 0xFFFF, \
     [](CWnd* self, WPARAM, LPARAM, LRESULT*) -> BOOL { (AFX_SELF->*(memberFxn))(); return TRUE; }},
// The handler answers FALSE to let the parent handle the notification as well.
#define ON_CONTROL_REFLECT_EX(code, memberFxn) \
    {WM_REFLECT_BASE + WM_COMMAND, WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, 0xFFFF, \
     [](CWnd* self, WPARAM, LPARAM, LRESULT*) -> BOOL { return (AFX_SELF->*(memberFxn))(); }},
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    {WM_REFLECT_BASE + WM_NOTIFY, WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0xFFFF, \
     [](CWnd* self, WPARAM, LPARAM lParam, LRESULT* result) -> BOOL { \
         (AFX_SELF->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), result); return TRUE; }},
#define ON_MESSAGE(message, memberFxn) \
    AFX_ENTRY(message, *result = (AFX_SELF->*(memberFxn))(wParam, lParam))
// Command-update handlers: void OnUpdate(CCmdUI*), asked for a command's state (menu items
// before their popup shows, and every menu command before it runs).
constexpr UINT CN_UPDATE_COMMAND_UI = 0xFFFFFFFFu;
#define ON_UPDATE_COMMAND_UI(id, memberFxn) ON_UPDATE_COMMAND_UI_RANGE(id, id, memberFxn)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, WM_COMMAND, CN_UPDATE_COMMAND_UI, static_cast<UINT>(id), static_cast<UINT>(idLast), \
     [](CWnd* self, WPARAM, LPARAM lParam, LRESULT*) -> BOOL { \
         (AFX_SELF->*(memberFxn))(reinterpret_cast<CCmdUI*>(lParam)); return TRUE; }},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SELCANCEL(id, memberFxn) ON_CONTROL(LBN_SELCANCEL, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)

// Window messages, cracked as the framework cracks them.
#define ON_WM_CREATE() AFX_ENTRY(WM_CREATE, *result = AFX_SELF->OnCreate(reinterpret_cast<CREATESTRUCT*>(lParam)))
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, AFX_SELF->OnDestroy())
#define ON_WM_NCDESTROY() AFX_ENTRY(WM_NCDESTROY, AFX_SELF->OnNcDestroy())
#define ON_WM_MOVE() AFX_ENTRY(WM_MOVE, AFX_SELF->OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
#define ON_WM_SIZE() AFX_ENTRY(WM_SIZE, AFX_SELF->OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
#define ON_WM_PAINT() AFX_ENTRY(WM_PAINT, AFX_SELF->OnPaint())
#define ON_WM_ERASEBKGND() AFX_ENTRY(WM_ERASEBKGND, *result = AFX_SELF->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))))
#define ON_WM_CLOSE() AFX_ENTRY(WM_CLOSE, AFX_SELF->OnClose())
#define ON_WM_SHOWWINDOW() AFX_ENTRY(WM_SHOWWINDOW, AFX_SELF->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)))
#define ON_WM_ENABLE() AFX_ENTRY(WM_ENABLE, AFX_SELF->OnEnable(static_cast<BOOL>(wParam)))
#define ON_WM_ACTIVATE() AFX_ENTRY(WM_ACTIVATE, AFX_SELF->OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam)))
#define ON_WM_SETFOCUS() AFX_ENTRY(WM_SETFOCUS, AFX_SELF->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_KILLFOCUS() AFX_ENTRY(WM_KILLFOCUS, AFX_SELF->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_CAPTURECHANGED() AFX_ENTRY(WM_CAPTURECHANGED, AFX_SELF->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, AFX_SELF->OnTimer(static_cast<UINT_PTR>(wParam)))
#define ON_WM_KEYDOWN() AFX_ENTRY(WM_KEYDOWN, AFX_SELF->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_KEYUP() AFX_ENTRY(WM_KEYUP, AFX_SELF->OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_CHAR() AFX_ENTRY(WM_CHAR, AFX_SELF->OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_MOUSEMOVE() AFX_ENTRY(WM_MOUSEMOVE, AFX_SELF->OnMouseMove(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONDOWN() AFX_ENTRY(WM_LBUTTONDOWN, AFX_SELF->OnLButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONUP() AFX_ENTRY(WM_LBUTTONUP, AFX_SELF->OnLButtonUp(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONDBLCLK() AFX_ENTRY(WM_LBUTTONDBLCLK, AFX_SELF->OnLButtonDblClk(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_RBUTTONDOWN() AFX_ENTRY(WM_RBUTTONDOWN, AFX_SELF->OnRButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_RBUTTONUP() AFX_ENTRY(WM_RBUTTONUP, AFX_SELF->OnRButtonUp(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_RBUTTONDBLCLK() AFX_ENTRY(WM_RBUTTONDBLCLK, AFX_SELF->OnRButtonDblClk(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_VSCROLL() AFX_ENTRY(WM_VSCROLL, AFX_SELF->OnVScroll(LOWORD(wParam), HIWORD(wParam), afxScrollBarFromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_HSCROLL() AFX_ENTRY(WM_HSCROLL, AFX_SELF->OnHScroll(LOWORD(wParam), HIWORD(wParam), afxScrollBarFromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_MOUSEWHEEL() AFX_ENTRY(WM_MOUSEWHEEL, *result = AFX_SELF->OnMouseWheel(LOWORD(wParam), GET_WHEEL_DELTA_WPARAM(wParam), CPoint(lParam)))
#define ON_WM_CONTEXTMENU() AFX_ENTRY(WM_CONTEXTMENU, AFX_SELF->OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), CPoint(lParam)))
#define ON_WM_NCHITTEST() AFX_ENTRY(WM_NCHITTEST, *result = AFX_SELF->OnNcHitTest(CPoint(lParam)))
#define ON_WM_GETDLGCODE() AFX_ENTRY(WM_GETDLGCODE, *result = AFX_SELF->OnGetDlgCode())
#define ON_WM_DRAWITEM() AFX_ENTRY(WM_DRAWITEM, AFX_SELF->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)))
#define ON_WM_MEASUREITEM() AFX_ENTRY(WM_MEASUREITEM, AFX_SELF->OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)))
#define ON_WM_CTLCOLOR() \
    {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam, LRESULT* result) -> BOOL { \
        *result = reinterpret_cast<LRESULT>(AFX_SELF->OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), \
            CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), static_cast<UINT>(CWnd::GetCurrentMessage()->message - WM_CTLCOLORMSGBOX))); return TRUE; }},
#define ON_WM_INITMENUPOPUP() AFX_ENTRY(WM_INITMENUPOPUP, AFX_SELF->OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_MOUSELEAVE() AFX_ENTRY(WM_MOUSELEAVE, AFX_SELF->OnMouseLeave())
#define ON_WM_CANCELMODE() AFX_ENTRY(WM_CANCELMODE, AFX_SELF->OnCancelMode())
#define ON_WM_SYSCOLORCHANGE() AFX_ENTRY(WM_SYSCOLORCHANGE, AFX_SELF->OnSysColorChange())
#define ON_WM_SIZING() AFX_ENTRY(WM_SIZING, AFX_SELF->OnSizing(static_cast<UINT>(wParam), reinterpret_cast<LPRECT>(lParam)))
#define ON_WM_GETMINMAXINFO() AFX_ENTRY(WM_GETMINMAXINFO, AFX_SELF->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)))
#define ON_WM_SETCURSOR() \
    AFX_ENTRY(WM_SETCURSOR, *result = AFX_SELF->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), \
        static_cast<UINT>(static_cast<short>(LOWORD(lParam))), HIWORD(lParam)))
#define ON_WM_NCACTIVATE() AFX_ENTRY(WM_NCACTIVATE, *result = AFX_SELF->OnNcActivate(static_cast<BOOL>(wParam)))
#define ON_WM_ENTERSIZEMOVE() AFX_ENTRY(WM_ENTERSIZEMOVE, AFX_SELF->OnEnterSizeMove())
#define ON_WM_EXITSIZEMOVE() AFX_ENTRY(WM_EXITSIZEMOVE, AFX_SELF->OnExitSizeMove())
// A control's own answer to the WM_CTLCOLORxxx its parent reflects: HBRUSH CtlColor(CDC*, UINT);
// a null brush leaves the request to the parent.
constexpr UINT WM_CTLCOLOR_REFLECT = WM_REFLECT_BASE + 0x0019;
#define ON_WM_CTLCOLOR_REFLECT() \
    {WM_CTLCOLOR_REFLECT, WM_CTLCOLOR_REFLECT, 0, 0, 0xFFFF, [](CWnd* self, WPARAM wParam, LPARAM, LRESULT* result) -> BOOL { \
        HBRUSH brush = AFX_SELF->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), \
            static_cast<UINT>(CWnd::GetCurrentMessage()->message - WM_CTLCOLORMSGBOX)); \
        *result = reinterpret_cast<LRESULT>(brush); return brush != nullptr; }},
