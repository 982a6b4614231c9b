#pragma once
// What the predefined controls share: their colours from the parent, notifications, and state
// kept beside the window.
#include <map>
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

// The states of one kind of control, by window.
template <typename State>
std::map<HWND, State>& windowStates() {
    static std::map<HWND, State> states;
    return states;
}
// A control's state; a window destroyed by its parent during a notification has none left and
// answers an empty one, so that the operation in progress finds nothing more to do.
template <typename State>
State& windowState(HWND w) {
    auto& states = windowStates<State>();
    auto it = states.find(w);
    if (it != states.end()) return it->second;
    static State gone;
    gone = State{};
    return gone;
}

}  // namespace controls
