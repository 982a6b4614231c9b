#pragma once
// What the combo box and its drop-down list ("ComboLBox") tell each other. The list is made with
// the combo's handle as its creation parameter; it notifies the combo through WM_COMMAND with the
// list box codes and these two of its own, and sends owner-drawing requests to the combo's parent
// on the combo's behalf.
#include "win/listbox.h"

namespace combolist {

// The user released the mouse on an item of the open list (the choice is the list's selection).
constexpr WORD kChosen = 0x7F01;
// The user pressed the mouse outside the open list.
constexpr WORD kClickedOutside = 0x7F02;

}  // namespace combolist
