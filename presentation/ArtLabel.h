// TArtLabel: a windowless label drawing its caption with a drop shadow, an outline, a
// sunk or raised 3D edge, and glyphs filled with a bitmap or a gradient. It paints into
// a buffer of its own and shows it opaquely or, when Transparent, only where the caption
// and its decorations lie.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "presentation/Gradient.h"

enum TArtStyleItem : uint8_t { as3DSunk, as3DRaise, asShadow, asBitmap, asOutlined, asBitmapFit, asGradient };
// A set of TArtStyleItem: bit n is item n.
using TArtStyle = uint8_t;
constexpr TArtStyle ArtStyleOf(std::initializer_list<TArtStyleItem> items)
{
    TArtStyle s = 0;
    for (auto i : items) s = TArtStyle(s | (1u << i));
    return s;
}
constexpr bool HasArtStyle(TArtStyle s, TArtStyleItem i) { return (s >> i) & 1; }

class TArtLabel : public TGraphicControl {
public:
    explicit TArtLabel(TComponent* AOwner);
    ~TArtLabel() override;
    std::string ClassName() const override { return "TArtLabel"; }

    TArtStyle ArtStyle() const { return artStyle_; }
    void SetArtStyle(TArtStyle v);
    TAlignment TextAlign() const { return textAlign_; }
    void SetTextAlign(TAlignment v);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(const TBitmap* v);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor v);
    TColor OutlineColor() const { return outlineColor_; }
    void SetOutlineColor(TColor v);
    int32_t ShadowLength() const { return shadowLength_; }
    void SetShadowLength(int32_t v);
    TGradient* Gradient() const { return gradient_.get(); }
    void SetGradient(const TGradient* v);
    // The font of the control's own canvas: the caption is always drawn in it.
    TFont* Font() const { return Canvas()->Font(); }
    void SetFont(const TFont* v);

    // The gradient image (null before the first paint with asGradient) and whether it
    // must be painted again before its next use.
    const TBitmap* GradientImage() const { return gradientImage_.get(); }
    bool GradientOutOfDate() const { return gradientOutOfDate_; }

protected:
    void Paint() override;

private:
    void GradientChanged();
    void FontChanged();

    std::unique_ptr<TBitmap> buffer_;
    std::unique_ptr<TBitmap> gradientImage_;
    TArtStyle artStyle_ = ArtStyleOf({as3DRaise, asShadow});
    TAlignment textAlign_ = taLeftJustify;
    std::string caption_ = "Art Label";
    bool autoSize_ = false;
    bool transparent_ = false;
    TColor color_ = clBtnFace;
    std::unique_ptr<TBitmap> bitmap_;
    TColor shadowColor_ = clGray;
    TColor outlineColor_ = clWhite;
    int32_t shadowLength_ = 3;
    std::unique_ptr<TGradient> gradient_;
    bool gradientOutOfDate_ = true;
};
