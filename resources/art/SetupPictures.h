// The installer's own pictures.
#pragma once

#include "platform/graphics/Bitmap.h"

namespace art {

// The installer's 32 x 32 emblem: a box of coloured tiles with an arrow into it, as an
// image and a mask (0x000000 opaque, 0xFFFFFF transparent).
void DrawSetupIcon(TBitmap& Image, TBitmap& Mask);
// The wizard's 118 x 258 side picture: a hexagon tiling shading from blue to teal with
// the box standing on it.
void DrawWizardPicture(TBitmap& Out);
// "New folder" in two states side by side (normal, disabled), 16 x 16 each; the bottom-left
// pixel's colour is transparent.
void DrawNewFolderGlyph(TBitmap& Out);

}  // namespace art
