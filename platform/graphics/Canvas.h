// TCanvas: software drawing into a TBitmap with the semantics of the platform's GDI.
//
// Coordinates. The canvas works in logical coordinates; a logical point p is the bitmap's
// pixel p + Origin(). Every operation is clipped to the clip rectangle (set in logical
// coordinates, kept in bitmap coordinates, so moving the origin afterwards does not move
// it) and to the bitmap. Rectangles exclude their Right and Bottom edges.
//
// Colours. Brush, pen and font colours are TColor values; system colours are resolved
// with ColorToRGB when they are used.
//
// Block transfers (CopyRect, Draw, StretchDraw) combine source S, destination D and the
// brush colour P (the pattern) with the ternary raster operation of CopyMode(); every one
// of the 256 operations is supported. Where source and destination differ in format:
//   - monochrome source into a colour bitmap: black source pixels become the destination
//     canvas's font colour, white ones its brush colour (the text and background colours);
//     with the defaults (clWindowText = black, clWhite) black stays all-zero bits and white
//     all-one bits, which is what masks rely on;
//   - colour source into a monochrome bitmap: source pixels equal to the source canvas's
//     brush colour become white, all others black;
//   - a colour drawn into a monochrome bitmap (brush, pen, text) becomes the nearer of
//     black and white (white when red + green + blue > 382).
// Pixels of the source rectangle that lie outside the source bitmap do not exist: the
// destination pixels they would cover are left unchanged. A copy between overlapping
// areas of one bitmap reads the source as it was before the copy.
// When the two rectangles differ in size the source is stretched by nearest-neighbour
// sampling (each destination pixel takes the source pixel under its centre).
//
// Fills and shapes (FillRect, Rectangle, Ellipse, text) ignore CopyMode and write their
// colours directly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsTypes.h"

class TBitmap;

// Ternary raster operations: bits 16..23 are the truth table of f(P, S, D) evaluated at
// P = 0xF0, S = 0xCC, D = 0xAA; the low word is the historical operation encoding.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t SRCERASE = 0x00440328;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t NOTSRCERASE = 0x001100A6;
constexpr uint32_t MERGECOPY = 0x00C000CA;
constexpr uint32_t MERGEPAINT = 0x00BB0226;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATPAINT = 0x00FB0A09;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

using TCopyMode = uint32_t;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmWhiteness = WHITENESS;

enum TBrushStyle : uint8_t { bsSolid = 0, bsClear = 1 };

// Pen styles. Dashed styles apply to lines of width 0 or 1 (a wider dashed pen draws
// solid); gaps are left untouched. psInsideFrame draws as psSolid (all outlines already
// lie inside their bounding rectangle).
enum TPenStyle : uint8_t {
    psSolid = 0,
    psDash = 1,
    psDot = 2,
    psDashDot = 3,
    psDashDotDot = 4,
    psClear = 5,
    psInsideFrame = 6,
};

class TBrush : public TPersistent {
public:
    std::string ClassName() const override { return "TBrush"; }
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v);
    void Assign(const TPersistent* Source) override;
    TNotifyEvent OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

class TPen : public TPersistent {
public:
    std::string ClassName() const override { return "TPen"; }
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    // Width 0 draws as 1 pixel.
    int32_t Width() const { return width_; }
    void SetWidth(int32_t v);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle v);
    void Assign(const TPersistent* Source) override;
    TNotifyEvent OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor color_ = clBlack;
    int32_t width_ = 1;
    TPenStyle style_ = psSolid;
};

// DrawText format flags.
constexpr uint32_t DT_LEFT = 0x0000;
constexpr uint32_t DT_CENTER = 0x0001;
constexpr uint32_t DT_RIGHT = 0x0002;
constexpr uint32_t DT_VCENTER = 0x0004;  // with DT_SINGLELINE
constexpr uint32_t DT_BOTTOM = 0x0008;   // with DT_SINGLELINE
constexpr uint32_t DT_WORDBREAK = 0x0010;
constexpr uint32_t DT_SINGLELINE = 0x0020;
constexpr uint32_t DT_EXPANDTABS = 0x0040;
constexpr uint32_t DT_NOCLIP = 0x0100;
constexpr uint32_t DT_EXTERNALLEADING = 0x0200;
constexpr uint32_t DT_CALCRECT = 0x0400;
constexpr uint32_t DT_NOPREFIX = 0x0800;

class TCanvas : public TPersistent {
public:
    // A canvas drawing into `bitmap` (owned by the caller, normally the bitmap itself).
    explicit TCanvas(TBitmap* bitmap);
    ~TCanvas() override;
    std::string ClassName() const override { return "TCanvas"; }
    TBitmap* Bitmap() const { return bitmap_; }
    // Points the canvas at another bitmap (a control's canvas follows the surface of the
    // window it is painted on). The clip is lifted; font, brush, pen, origin and copy
    // mode stay. `bitmap` must outlive its use here.
    void SetBitmap(TBitmap* bitmap)
    {
        bitmap_ = bitmap;
        clipSet_ = false;
    }

    // Owned drawing objects; the setters copy the given object's contents.
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* v) { font_->Assign(v); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(const TBrush* v) { brush_->Assign(v); }
    TPen* Pen() const { return pen_.get(); }
    void SetPen(const TPen* v) { pen_->Assign(v); }

    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode v) { copyMode_ = v; }

    // Device position of logical (0, 0).
    TPoint Origin() const { return origin_; }
    void SetOrigin(TPoint v) { origin_ = v; }
    // The clip box in logical coordinates: the clip rectangle within the bitmap.
    TRect ClipRect() const;
    // Restricts drawing to `r` (logical coordinates, within the bitmap); ResetClip lifts it.
    void SetClipRect(const TRect& r);
    void ResetClip() { clipSet_ = false; }

    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { penPos_ = p; }
    void MoveTo(int32_t x, int32_t y) { penPos_ = Point(x, y); }
    // A line with the pen from PenPos to (x, y), the end point excluded; PenPos moves there.
    void LineTo(int32_t x, int32_t y);

    // Pixel access in logical coordinates; reading outside the clip box gives -1.
    TColor Pixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, TColor color);

    // Fills `r` with the brush colour (nothing with a clear brush).
    void FillRect(const TRect& r);
    // A one-pixel frame just inside `r` in the brush colour.
    void FrameRect(const TRect& r);
    // Shapes inside (x1, y1)-(x2, y2): the interior with the brush (unless clear), the
    // outline with the pen (unless psClear), the outline's Width pixels lying inside.
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // The ellipse inscribed in the rectangle covers exactly the pixels whose centres lie
    // inside it, so an ellipse never reaches the rectangle's Right column or Bottom row.
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }

    // Text with the top-left corner of its cell at (x, y) in the font colour. A solid
    // brush first fills the cell (TextWidth x TextHeight) with the brush colour; a clear
    // brush leaves the background untouched. Underline and strike-out span the cell.
    void TextOut(int32_t x, int32_t y, const std::string& text);
    // TextOut clipped to `r`; a solid brush fills all of `r`.
    void TextRect(const TRect& r, int32_t x, int32_t y, const std::string& text);
    int32_t TextWidth(const std::string& text) const;
    // The font's cell height: the same for every string.
    int32_t TextHeight(const std::string& text) const;
    TSize TextExtent(const std::string& text) const;
    const TFontMetrics& FontMetrics() const { return font_->Metrics(); }

    // Formatted text in `r` with DT_* flags: lines end at CR, LF or CR LF; DT_WORDBREAK
    // breaks at spaces (a word longer than the line is broken between characters);
    // DT_SINGLELINE ignores line ends; '&' marks the next character for underlining and
    // "&&" gives '&' unless DT_NOPREFIX; DT_EXPANDTABS expands tabs to 8 average character
    // widths. Output is clipped to `r` unless DT_NOCLIP. With DT_CALCRECT nothing is drawn
    // and `r` becomes the extent of the text: Right to Left + widest line, Bottom to
    // Top + height. Returns the height of the text (lines x line height).
    int32_t DrawText(const std::string& text, TRect& r, uint32_t format);

    // Block transfer of `source` of another (or this) canvas into `dest`, stretched when
    // the sizes differ, with CopyMode.
    void CopyRect(const TRect& dest, const TCanvas* canvas, const TRect& source);
    // The whole bitmap at (x, y), 1:1, or stretched into `r`, with CopyMode.
    void Draw(int32_t x, int32_t y, const TBitmap* bitmap);
    void StretchDraw(const TRect& r, const TBitmap* bitmap);
    // Copies `source` of `bitmap` into `dest` (stretched when the sizes differ), putting
    // the brush colour wherever the source has exactly `color`; with a clear brush those
    // pixels are left as the destination had them. CopyMode is not applied.
    void BrushCopy(const TRect& dest, const TBitmap* bitmap, const TRect& source, TColor color);

private:
    struct DeviceClip;
    bool Clip(DeviceClip& c) const;
    uint32_t DevicePixelOf(TColor color) const;  // resolved, reduced for monochrome
    void FillDevice(int64_t l, int64_t t, int64_t r, int64_t b, uint32_t pixel, const DeviceClip& c);
    void Transfer(const TRect& dest, const TBitmap* src, const TRect& source, uint32_t srcBack,
                  int mode, TColor keyColor);
    void DrawTextLine(int64_t x, int64_t y, const std::string& text, int underlineIndex,
                      const DeviceClip& c);
    void EllipseSpan(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t row, int64_t& from,
                     int64_t& to) const;

    TBitmap* bitmap_;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TPen> pen_;
    TCopyMode copyMode_ = SRCCOPY;
    TPoint origin_;
    TPoint penPos_;
    bool clipSet_ = false;
    TRect clip_;  // bitmap coordinates
};
