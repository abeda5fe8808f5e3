// The library's own modal boxes: the message box (Application.MessageBox, the exception
// box) and the standard message dialog that MessageDlg shows.
#pragma once

#include <string>
#include <vector>

#include "platform/classes/MessageHook.h"
#include "platform/vcl/DrawUtils.h"
#include "platform/vcl/Forms.h"

struct TBoxButton {
    std::string Caption;
    int Result = 0;
};

// Builds and runs a modal box: an optional 32 x 32 icon, the text word-wrapped within
// half the screen's width, and a centred row of buttons. Default is the button Enter
// presses (and the first to have the focus), Cancel the one Escape presses (-1: none).
// Returns the pressed button's result, or Cancel's when the box was closed otherwise.
// Without a window system the text goes to standard error and Default's result is
// returned.
int ShowBox(const std::string& Text, const std::string& Caption, bool HasIcon, TSystemIcon Icon,
            const std::vector<TBoxButton>& Buttons, int Default, int Cancel);

// The buttons of a message dialog in their fixed order, with their captions and results.
std::vector<TBoxButton> MessageDialogButtons(TMsgDlgButtons Buttons);
// "Warning", "Error", "Information", "Confirm", or the application title for mtCustom.
std::string MessageDialogCaption(TMsgDlgType Type);
