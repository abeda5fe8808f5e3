// Gradients and the drawing routines of the presentation layer: colour arithmetic,
// decorated text, masked images and bitmap tiling.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsTypes.h"

enum TGradientStyle : uint8_t { gsLine = 0, gsEllipse = 1, gsRect = 2, gsCustomRect = 3 };

// diHorizonal: horizontal bands, the colour changes from top to bottom; diVertical:
// vertical bands, the colour changes from left to right.
enum TDirection : uint8_t { diHorizonal = 0, diVertical = 1 };

// Number of colour segments, 1..4 (not enforced: setters store what they are given).
using TColorCount = uint8_t;

// Band callback of the gsCustomRect style: draws one band (x, y, R, B) with the brush
// colour already set.
using TDrawRectEvent = std::function<void(TObject* Sender, TCanvas* Canvas, TRect Rect)>;

// The five colour stops handed to the painters.
using TGradientColors = std::array<TColor, 5>;

// A multi-colour gradient description. It paints nothing itself; every effective change
// is reported through OnChange.
class TGradient : public TPersistent {
public:
    TGradient() = default;
    std::string ClassName() const override { return "TGradient"; }

    TGradientStyle GradientStyle() const { return gradientStyle_; }
    void SetGradientStyle(TGradientStyle v);
    int32_t LineSize() const { return lineSize_; }
    void SetLineSize(int32_t v);
    TColor Color1() const { return colors_[0]; }
    void SetColor1(TColor v) { SetColor(0, v); }
    TColor Color2() const { return colors_[1]; }
    void SetColor2(TColor v) { SetColor(1, v); }
    TColor Color3() const { return colors_[2]; }
    void SetColor3(TColor v) { SetColor(2, v); }
    TColor Color4() const { return colors_[3]; }
    void SetColor4(TColor v) { SetColor(3, v); }
    TColor Color5() const { return colors_[4]; }
    void SetColor5(TColor v) { SetColor(4, v); }
    TColorCount ColorCount() const { return colorCount_; }
    void SetColorCount(TColorCount v);
    TDirection LineDirection() const { return lineDirection_; }
    void SetLineDirection(TDirection v);
    // All five stops in order.
    const TGradientColors& Colors() const { return colors_; }

    TNotifyEvent OnChange;
    TDrawRectEvent OnDrawRect;

    // Copies style, line size, the five colours, the colour count and the direction from
    // another TGradient (not the events), then calls Changed once, even when nothing
    // differed.
    void Assign(const TPersistent* Source) override;
    // Fires OnChange with this gradient as Sender.
    void Changed();

private:
    void SetColor(int index, TColor v);

    TGradientStyle gradientStyle_ = gsLine;
    int32_t lineSize_ = 3;
    TGradientColors colors_ = {clGray, clWhite, clSilver, clWhite, clBlack};
    TColorCount colorCount_ = 3;
    TDirection lineDirection_ = diHorizonal;
};

// ------------------------------------------------------------------ painters
//
// Each leaves the canvas's brush colour at the last band's colour; the ellipse and custom
// painters also leave the pen at width 0 and psClear. Nothing is restored.
//
// Colour sequencing: the running channels start at Color1 and move by
// (E - S) / seg x LineSize per band; after each band, when the position has reached the
// segment boundary, the pair moves on (S = E, E = the next stop, at most the fifth)
// before the increment is added. Guards, so that no painter faults or loops forever:
//   - a LineSize below 1 counts as 1 and a ColorCount below 1 as 3, in every style;
//   - a segment length of 0 gives a colour step of 0 (the bands keep their colour);
//   - a ColorCount above 4 walks to the fifth stop and stays there.
void PaintGradient(TCanvas* Canvas, const TRect& Rect, const TGradient* Gradient);
void PaintLineGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                       int Direction, int LineSize);
void FillLineBands(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                   int Direction, int LineSize);
void PaintEllipseGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                          int LineSize);
void PaintRectGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                       int LineSize);
void PaintCustomGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                         int LineSize, const TDrawRectEvent& OnDrawRect);

// ------------------------------------------------------------------ colour helpers

// Nearest integer (halves to the even neighbour), clamped to 0..255; NaN gives 0.
int ClampToByte(float x);
// ClampToByte of each channel: red + green * 256 + blue * 65536.
TColor ColorFromChannels(float r, float g, float b);
// The low three bytes of the value itself (a system colour is not resolved).
void SplitColor(TColor color, int& r, int& g, int& b);
// Resolves a system colour, then adds `amount` to each channel (clamped).
TColor LightenColor(TColor color, int amount);
TColor DarkenColor(TColor color, int amount);

// ------------------------------------------------------------------ decorated text
//
// Each draws the decoration passes in the decoration colour, then the caption at (X, Y)
// in the font colour, all with a clear brush. The font colour is restored; the brush
// stays clear.
void DrawOutlinedText(TCanvas* Canvas, int X, int Y, const std::string& Text, TColor OutlineColor);
void Draw3DText(TCanvas* Canvas, const std::string& Text, int X, int Y, TColor UpLeftColor,
                TColor DownRightColor);
void DrawShadowText(TCanvas* Canvas, int X, int Y, const std::string& Text, TColor ShadowColor, int DX,
                    int DY);

// ------------------------------------------------------------------ masked images
//
// ((background XOR image) AND mask) XOR image: the image where the mask is black, the
// canvas's own pixels where it is white.
void DrawMaskedImage(TCanvas* Canvas, int X, int Y, const TBitmap* Image, const TBitmap* Mask);
// The caption's glyphs show Picture, stretched to the text's extent (Fit) or unscaled
// from the text's top-left corner (glyph pixels beyond the picture come out black).
void DrawBitmapFitText(TCanvas* Canvas, int X, int Y, const std::string& Text, const TBitmap* Picture);
void DrawBitmapText(TCanvas* Canvas, int X, int Y, const std::string& Text, const TBitmap* Picture);

// ------------------------------------------------------------------ tiling
//
// TileFromOrigin starts a fresh copy of the bitmap at the rectangle's top-left corner;
// TileAligned anchors the tile grid at the canvas's (0, 0), so canvas pixel (x, y) shows
// bitmap pixel (x mod W, y mod H). One block copy per tile with the canvas's copy mode;
// tiles wholly outside the canvas's clip box are skipped (they would change nothing).
void TileFromOrigin(TCanvas* Canvas, const TBitmap* Bitmap, const TRect& Rect);
void TileAligned(TCanvas* Canvas, const TBitmap* Bitmap, const TRect& Rect);
