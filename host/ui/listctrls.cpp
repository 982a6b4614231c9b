// List box and combo box objects: texts read into strings and owner-drawing reflected to them.
#include "ui/listctrls.h"
#include <string>

namespace {

CString readText(const CWnd& control, UINT lengthMessage, UINT textMessage, int index) {
    auto n = static_cast<int>(control.SendMessage(lengthMessage, static_cast<WPARAM>(index)));
    if (n < 0) return CString();
    std::string buffer(static_cast<size_t>(n) + 1, '\0');
    control.SendMessage(textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.c_str());
}

// WM_DRAWITEM, WM_MEASUREITEM and WM_COMPAREITEM handed to the control's own members.
template <class Control>
BOOL reflectOwnerDrawing(Control& control, UINT message, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_DRAWITEM: control.DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); break;
    case WM_MEASUREITEM: control.MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); break;
    case WM_COMPAREITEM: {
        int order = control.CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam));
        if (result) *result = order;
        return TRUE;
    }
    default: return FALSE;
    }
    if (result) *result = TRUE;
    return TRUE;
}

}  // namespace

void CListBox::GetText(int index, CString& text) const { text = readText(*this, LB_GETTEXTLEN, LB_GETTEXT, index); }

UINT CListBox::ItemFromPoint(CPoint point, BOOL& outside) const {
    auto r = static_cast<DWORD>(SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y)));
    outside = HIWORD(r) ? TRUE : FALSE;
    return LOWORD(r);
}

BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return reflectOwnerDrawing(*this, message, lParam, result) || CWnd::OnChildNotify(message, wParam, lParam, result);
}

void CComboBox::GetLBText(int index, CString& text) const { text = readText(*this, CB_GETLBTEXTLEN, CB_GETLBTEXT, index); }

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return reflectOwnerDrawing(*this, message, lParam, result) || CWnd::OnChildNotify(message, wParam, lParam, result);
}
