// Pictures of what the user sees, for documentation and tests.
#pragma once

#include "platform/graphics/Bitmap.h"
#include "platform/vcl/Forms.h"

// The form as the window system shows it (native controls included), with a classic
// frame and title bar drawn around the client area when WithFrame and the form has one.
// Without a window system the library's own drawing of the controls is used.
void GrabForm(TCustomForm* Form, TBitmap& Out, bool WithFrame = true);
// The screen: every visible form, bottom to top in the library's window order, framed,
// over a desktop of colour Desktop.
void ComposeScreen(TBitmap& Out, TColor Desktop = RGB(0, 128, 128));
