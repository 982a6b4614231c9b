// Data exchange between dialog controls and members: text, numbers, check boxes, radio groups
// and control objects, with the validations.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include "ui/dialog.h"

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (!control) {
        m_strFailure.Format("The dialog has no control %d.", id);
        throw CUserException();
    }
    m_hWndLastControl = control;
    return control;
}

void CDataExchange::Fail() {
    if (m_hWndLastControl && m_bSaveAndValidate) {
        if (::SendMessage(m_hWndLastControl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            ::SendMessage(m_hWndLastControl, EM_SETSEL, 0, -1);
        ::SetFocus(m_hWndLastControl);
    }
    throw CUserException();
}

namespace {

CString controlText(CDataExchange* dx, int id) {
    CString text;
    CWnd::FromHandle(dx->PrepareCtrl(id))->GetWindowText(text);
    return text;
}

void failWith(CDataExchange* dx, const char* message) {
    dx->m_strFailure = message;
    dx->Fail();
}

// A whole number of the text, spaces around it allowed.
bool parseInteger(const CString& text, long long& out) {
    const char* p = text.GetString();
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(p, &end, 10);
    if (end == p || errno == ERANGE) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

}  // namespace

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) CWnd::FromHandle(control)->GetWindowText(value);
    else ::SetWindowText(control, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (!dx->m_bSaveAndValidate) {
        ::SetDlgItemInt(dx->m_pDlgWnd->m_hWnd, id, static_cast<UINT>(value), TRUE);
        dx->PrepareEditCtrl(id);
        return;
    }
    long long v = 0;
    if (!parseInteger(controlText(dx, id), v) || v < INT_MIN || v > INT_MAX) failWith(dx, "Please enter an integer.");
    value = static_cast<int>(v);
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
    if (!dx->m_bSaveAndValidate) {
        ::SetDlgItemInt(dx->m_pDlgWnd->m_hWnd, id, value, FALSE);
        dx->PrepareEditCtrl(id);
        return;
    }
    long long v = 0;
    if (!parseInteger(controlText(dx, id), v) || v < 0 || v > static_cast<long long>(UINT_MAX))
        failWith(dx, "Please enter a positive integer.");
    value = static_cast<UINT>(v);
}

void DDX_Text(CDataExchange* dx, int id, double& value) {
    HWND control = dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", value);
        ::SetWindowText(control, text);
        return;
    }
    CString text = controlText(dx, id);
    const char* p = text.GetString();
    char* end = nullptr;
    double v = std::strtod(p, &end);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (end == p || !end || *end != '\0' || !std::isfinite(v)) failWith(dx, "Please enter a number.");
    value = v;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessage(control, BM_GETCHECK, 0, 0));
    else ::SendMessage(control, BM_SETCHECK, static_cast<WPARAM>(value < 0 || value > 2 ? 0 : value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) value = -1;
    int index = 0;
    // The group runs from the first radio button to the next control with WS_GROUP.
    for (HWND h = control; h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h != control && (::GetWindowLong(h, GWL_STYLE) & WS_GROUP)) break;
        if (!(::SendMessage(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
        if (dx->m_bSaveAndValidate) {
            if (::SendMessage(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessage(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND h = dx->PrepareCtrl(id);
    if (!control.SubclassWindow(h)) failWith(dx, "The control has an object already.");
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
    if (!dx->m_bSaveAndValidate) {
        if (dx->m_hWndLastControl) ::SendMessage(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
        return;
    }
    if (value.GetLength() > maxChars) {
        dx->m_strFailure.Format("Enter no more than %d characters.", maxChars);
        dx->Fail();
    }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue) {
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue)) return;
    dx->m_strFailure.Format("Enter an integer between %d and %d.", minValue, maxValue);
    dx->Fail();
}

void DDV_MinMaxDouble(CDataExchange* dx, double value, double minValue, double maxValue) {
    if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue)) return;
    dx->m_strFailure.Format("Enter a number between %g and %g.", minValue, maxValue);
    dx->Fail();
}
