// The message dialog's animated pictures: horizontal strips of 32 x 32 frames on the
// dialog's face colour.
#pragma once

#include "platform/graphics/Bitmap.h"

namespace art {

void DrawExclamStrip(TBitmap& Out);  // warning: 7 frames, a triangle whose "!" glows
void DrawErrorStrip(TBitmap& Out);   // error: 8 frames, a red disc with a turning cross
void DrawInformStrip(TBitmap& Out);  // information: 6 frames, a bubble whose "i" hops
void DrawInterrStrip(TBitmap& Out);  // question: 5 frames, a bubble whose "?" rocks

}  // namespace art
