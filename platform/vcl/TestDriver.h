// Driving the program as a user would, for tests and demonstrations: mouse clicks and
// key presses go through the window system to the real windows (library
// pallimer_vcl_driver).
#pragma once

#include <string>

#include "platform/vcl/Controls.h"

namespace VclDriver {

// A left click in the middle of the control (a windowless control: at that place in its
// parent's window).
void Click(TControl* Control);
void DoubleClick(TControl* Control);
// A key pressed and released on the window that has the keyboard focus in the control's
// form (or the control's own window).
void PressKey(TControl* Control, uint16_t VirtualKey, TShiftState Shift = 0);
// Replaces an edit's text by typing: select all, then the characters.
void TypeText(TWinControl* Edit, const std::string& Text);
// Double-clicks row Index of a list; picks entry Index of a combo box.
void DoubleClickItem(TWinControl* List, int Index);
void ChooseItem(TWinControl* Combo, int Index);
// Handles the events waiting now, deferred deletions included.
void ProcessEvents();

}  // namespace VclDriver
