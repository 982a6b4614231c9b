#pragma once
// What the predefined controls share: their colours from the parent, notifications, and state
// kept beside the window.
#include "win/controls.h"
#include "win/wingdi.h"

namespace controls {

// Asks the parent for the control's brush (WM_CTLCOLORxxx), with the default when it has none;
// the text and background colours of the context are set on the way.
HBRUSH parentBrush(HWND control, HDC dc, UINT ctlColorMessage);
// The control's font selected into the context (answers the previous font).
HGDIOBJ selectFont(HWND control, HDC dc);
// Text colour for the control's state.
COLORREF textColor(HWND control, HDC dc);
// Fills the header's sender, id and code and sends WM_NOTIFY to the control's parent; answers
// the parent's reply (0 without a parent).
LRESULT notify(HWND control, NMHDR* header, UINT code);
// Fills a rectangle with a plain colour.
void fill(HDC dc, RECT r, COLORREF color);

}  // namespace controls
