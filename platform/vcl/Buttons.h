// Buttons with pictures: the speed button (windowless, can stay down) and the bitmap
// button (a push button with a glyph).
//
// A glyph is a strip of NumGlyphs equal images side by side: normal, disabled, pressed,
// down (those missing fall back to the normal one). The colour of its bottom-left pixel is
// transparent.
#pragma once

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/vcl/StdCtrls.h"

enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TBitBtnKind : uint8_t { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

// The image NumGlyphs-strip entry `Index` of Glyph (0 normal, 1 disabled, 2 pressed,
// 3 down), or the normal one when the strip has fewer; empty for an empty glyph.
void GlyphImage(const TBitmap& Glyph, int NumGlyphs, int Index, TBitmap& Out);

// Draws a glyph and a caption centred in R (glyph left of the caption, Spacing apart;
// Margin >= 0 puts the glyph Margin pixels from the left edge instead).
void DrawGlyphAndCaption(TCanvas& Canvas, const TRect& R, const TBitmap& Glyph, const std::string& Caption,
                         bool Enabled, int Margin, int Spacing);

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;
    std::string ClassName() const override { return "TSpeedButton"; }

    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v) { allowAllUp_ = v; }
    int32_t GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int32_t v) { groupIndex_ = v; }
    bool Down() const { return down_; }
    void SetDown(bool v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(const TBitmap* v);
    int32_t NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int32_t v);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v) { layout_ = v; Invalidate(); }
    int32_t Margin() const { return margin_; }
    void SetMargin(int32_t v) { margin_ = v; Invalidate(); }
    int32_t Spacing() const { return spacing_; }
    void SetSpacing(int32_t v) { spacing_ = v; Invalidate(); }

    void Click() override;

protected:
    void Paint() override;
    void TextChanged() override { Invalidate(); }
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;

private:
    bool allowAllUp_ = false;
    int32_t groupIndex_ = 0;
    bool down_ = false;
    bool pressed_ = false;
    bool flat_ = false;
    std::unique_ptr<TBitmap> glyph_;
    int32_t numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int32_t margin_ = -1;
    int32_t spacing_ = 4;
};

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;
    std::string ClassName() const override { return "TBitBtn"; }
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(const TBitmap* v);
    int32_t NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int32_t v);
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind v) { kind_ = v; }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v) { layout_ = v; }
    int32_t Margin() const { return margin_; }
    void SetMargin(int32_t v) { margin_ = v; }
    int32_t Spacing() const { return spacing_; }
    void SetSpacing(int32_t v) { spacing_ = v; }
    // Glyph.Data read from a stream changes the glyph without the setter.
    void Loaded() override;

protected:
    void InitHandle() override;
    void PaintFallback(TCanvas& Canvas) override;

private:
    void GlyphChanged();
    std::unique_ptr<TBitmap> glyph_;
    int32_t numGlyphs_ = 1;
    TBitBtnKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
    int32_t margin_ = -1;
    int32_t spacing_ = 4;
};
