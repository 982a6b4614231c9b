// Colours, fonts and notifications shared by the predefined controls.
#include "win/controlsupport.h"
#include <algorithm>
#include "win/commctrl.h"

namespace controls {

HBRUSH parentBrush(HWND control, HDC dc, UINT ctlColorMessage) {
    HWND parent = GetParent(control);
    HBRUSH brush = nullptr;
    if (parent)
        brush = reinterpret_cast<HBRUSH>(SendMessage(parent, ctlColorMessage, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(control)));
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(DefWindowProc(control, ctlColorMessage, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    return brush;
}

HGDIOBJ selectFont(HWND control, HDC dc) {
    auto font = reinterpret_cast<HFONT>(SendMessage(control, WM_GETFONT, 0, 0));
    return font ? SelectObject(dc, font) : nullptr;
}

COLORREF textColor(HWND control, HDC dc) {
    return IsWindowEnabled(control) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
}

LRESULT notify(HWND control, NMHDR* header, UINT code) {
    header->hwndFrom = control;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header->code = code;
    HWND parent = GetParent(control);
    if (!parent) return 0;
    return SendMessage(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

void fill(HDC dc, RECT r, COLORREF color) {
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

}  // namespace controls

void cadhostNotifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (!parent) return;
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}
