// Control objects.
#include "ui/ctrls.h"
#include <string>

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (result) *result = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}

void CEdit::GetSel(int& start, int& end) const {
    DWORD a = 0, b = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    start = static_cast<int>(a);
    end = static_cast<int>(b);
}

CScrollBar* afxScrollBarFromHandle(HWND hwnd) {
    return hwnd ? static_cast<CScrollBar*>(CWnd::FromHandle(hwnd)) : nullptr;
}

int CListCtrl::InsertColumn(int column, LPCTSTR heading, int format, int width, int subItem) {
    LVCOLUMN c{};
    c.mask = LVCF_FMT | LVCF_TEXT;
    c.fmt = format;
    c.pszText = const_cast<char*>(heading);
    if (width != -1) {
        c.mask |= LVCF_WIDTH;
        c.cx = width;
    }
    if (subItem != -1) {
        c.mask |= LVCF_SUBITEM;
        c.iSubItem = subItem;
    }
    return InsertColumn(column, &c);
}

int CListCtrl::InsertItem(int item, LPCTSTR text) {
    LVITEM lv{};
    lv.mask = LVIF_TEXT;
    lv.iItem = item;
    lv.pszText = const_cast<char*>(text);
    return InsertItem(&lv);
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCTSTR text) {
    LVITEM lv{};
    lv.iSubItem = subItem;
    lv.pszText = const_cast<char*>(text);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
}

int CListCtrl::GetItemText(int item, int subItem, LPTSTR buffer, int bufferMax) const {
    LVITEM lv{};
    lv.iSubItem = subItem;
    lv.pszText = buffer;
    lv.cchTextMax = bufferMax;
    return static_cast<int>(SendMessage(LVM_GETITEMTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    // Grows the buffer until the text fits.
    for (int size = 256;; size *= 4) {
        std::string buffer(static_cast<size_t>(size), '\0');
        int n = GetItemText(item, subItem, buffer.data(), size);
        if (n < size - 1) return CString(buffer.c_str());
    }
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
    LVITEM lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    lv.lParam = static_cast<LPARAM>(data);
    return SetItem(&lv);
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    LVITEM lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    return GetItem(&lv) ? static_cast<DWORD_PTR>(lv.lParam) : 0;
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const {
    if (!rect) return FALSE;
    rect->left = static_cast<LONG>(code);
    return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rect)));
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int area, CRect& rect) const {
    rect.left = area;
    rect.top = subItem;
    return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(static_cast<RECT*>(&rect))));
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const {
    LVHITTESTINFO info{};
    info.pt = point;
    int item = HitTest(&info);
    if (flags) *flags = info.flags;
    return item;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEM lv{};
    lv.state = state;
    lv.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
}

int CListCtrl::InsertItem(int item, LPCTSTR text, int image) {
    LVITEM lv{};
    lv.mask = LVIF_TEXT | LVIF_IMAGE;
    lv.iItem = item;
    lv.pszText = const_cast<char*>(text);
    lv.iImage = image;
    return InsertItem(&lv);
}

CSize CListCtrl::SetIconSpacing(int cx, int cy) {
    const auto old = static_cast<DWORD>(SendMessage(LVM_SETICONSPACING, 0, MAKELPARAM(cx, cy)));
    return CSize(LOWORD(old), HIWORD(old));
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    const int first = GetNextItem(-1, LVNI_SELECTED);
    return first < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(first) + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& position) const {
    const int item = static_cast<int>(reinterpret_cast<uintptr_t>(position)) - 1;
    const int next = GetNextItem(item, LVNI_SELECTED);
    position = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(next) + 1);
    return item;
}

LONG CTabCtrl::InsertItem(int item, LPCTSTR text) {
    TCITEM t{};
    t.mask = TCIF_TEXT;
    t.pszText = const_cast<char*>(text);
    return InsertItem(item, &t);
}

namespace {
// A tool of the window: with a rectangle an area of its client, else the whole window by handle.
TOOLINFO toolInfo(CWnd* wnd, LPCTSTR text, LPCRECT rect, UINT_PTR id) {
    TOOLINFO ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
    ti.lpszText = const_cast<char*>(text);
    if (rect) {
        ti.rect = *rect;
        ti.uId = id;
    } else if (id) {
        ti.uId = id;
        if (wnd) wnd->GetClientRect(&ti.rect);
    } else {
        ti.uFlags = TTF_IDISHWND;
        ti.uId = reinterpret_cast<UINT_PTR>(ti.hwnd);
        ti.hwnd = wnd && wnd->GetParent() ? wnd->GetParent()->GetSafeHwnd() : ti.hwnd;
    }
    return ti;
}
}  // namespace

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    return CreateEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, parent ? parent->GetSafeHwnd() : nullptr, nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCTSTR text, LPCRECT rect, UINT_PTR id) {
    TOOLINFO ti = toolInfo(wnd, text, rect, id);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id) {
    TOOLINFO ti = toolInfo(wnd, nullptr, nullptr, id);
    SendMessage(TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(LPCTSTR text, CWnd* wnd, UINT_PTR id) {
    TOOLINFO ti = toolInfo(wnd, text, nullptr, id);
    SendMessage(TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&ti));
}
