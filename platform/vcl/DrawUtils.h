// The classic 3D look, drawn with the canvas: frames, edges, button faces, disabled text
// and the message box's icons. Shared by the controls that draw themselves, by the
// drawings of native controls without a window system and by screenshots' window frames.
#pragma once

#include <string>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsTypes.h"

// A frame of `Width` pixels just inside `R`: TopLeft on the top and left edges,
// BottomRight on the bottom and right edges. `R` shrinks by the frame.
void Frame3D(TCanvas& Canvas, TRect& R, TColor TopLeft, TColor BottomRight, int Width = 1);

// Edges as the system draws them (2 pixels each, `R` shrinks by 2).
void DrawRaisedEdge(TCanvas& Canvas, TRect& R);   // button, window frame
void DrawSunkenEdge(TCanvas& Canvas, TRect& R);   // edit, list, client edge
void DrawEtchedFrame(TCanvas& Canvas, const TRect& R);  // group box, bevel

// A push button's face: the raised edge (pressed: a flat shadow frame), the face colour,
// a black outer frame for the default button, the caption centred (grey and embossed when
// disabled), and a dotted focus rectangle when focused.
void DrawButtonFace(TCanvas& Canvas, const TRect& R, const std::string& Caption, bool Pressed, bool IsDefault,
                    bool Enabled, bool Focused);

// Text drawn as disabled: highlight colour offset by one pixel, then the shadow colour.
void DrawDisabledText(TCanvas& Canvas, const std::string& Text, TRect R, uint32_t Format);

// A one-pixel dotted rectangle (the focus mark).
void DrawFocusRect(TCanvas& Canvas, const TRect& R);

// The 32 x 32 pictures of the message box: stop (error), question, exclamation (warning)
// and information, with (X, Y) their top-left corner.
enum class TSystemIcon { Stop, Question, Exclamation, Information };
void DrawSystemIcon(TCanvas& Canvas, int X, int Y, TSystemIcon Icon);

// A classic window frame and title bar around a client area whose top-left corner on
// `Canvas` is (ClientX, ClientY): for screenshots of forms.
void DrawWindowFrame(TCanvas& Canvas, const TRect& WindowRect, const TRect& FrameWidths, const std::string& Title,
                     bool Active, bool CloseBox, bool MinimizeBox, bool MaximizeBox);
