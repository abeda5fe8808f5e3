#include "presentation/ArtLabel.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"

namespace {

const TIdentTable ArtStyleIdents = {{as3DSunk, "as3DSunk"},     {as3DRaise, "as3DRaise"},   {asShadow, "asShadow"},
                                    {asBitmap, "asBitmap"},     {asOutlined, "asOutlined"}, {asBitmapFit, "asBitmapFit"},
                                    {asGradient, "asGradient"}};
const TIdentTable TextAlignIdents = {
    {taLeftJustify, "taLeftJustify"}, {taRightJustify, "taRightJustify"}, {taCenter, "taCenter"}};

}  // namespace

// The label's own properties declare no default: they are always stored.
PUBLISHED_PROPERTIES(TArtLabel, TGraphicControl)
{
    PUBLISH_SET(ArtStyle, ArtStyleIdents);
    PUBLISH_STRING(Caption);
    P.Object("Font", [](const TArtLabel& l) { return l.Font(); });
    PUBLISH_BOOL(Transparent);
    PUBLISH_COLOR(Color);
    P.Object("Bitmap", [](const TArtLabel& l) { return l.Bitmap(); });
    PUBLISH_COLOR(ShadowColor);
    PUBLISH_COLOR(OutlineColor);
    PUBLISH_BOOL(AutoSize);
    PUBLISH_INT(ShadowLength);
    P.Object("Gradient", [](const TArtLabel& l) { return l.Gradient(); });
    PUBLISH_ENUM(TextAlign, TextAlignIdents);
    PublishInherited(P, {"Align", "ParentFont", "ParentShowHint", "ShowHint", "Visible", PALLIMER_MOUSE_EVENTS});
}

REGISTER_CLASS(TArtLabel);

TArtLabel::TArtLabel(TComponent* AOwner)
    : TGraphicControl(AOwner),
      buffer_(std::make_unique<TBitmap>()),
      bitmap_(std::make_unique<TBitmap>()),
      gradient_(std::make_unique<TGradient>())
{
    SetBounds(0, 0, 64, 25);
    // Hooks first, then the values, so the values notify like any later change.
    gradient_->OnChange = [this](TObject*) { GradientChanged(); };
    gradient_->SetGradientStyle(gsLine);
    gradient_->SetLineSize(2);
    gradient_->SetColor1(clSilver);
    gradient_->SetColor2(clGray);
    gradient_->SetColor3(clBlack);
    gradient_->SetColorCount(3);
    TFont* f = Font();
    f->OnChange = [this](TObject*) { FontChanged(); };
    f->SetName("Arial");
    f->SetSize(24);
    f->SetStyle(TFontStyles{fsBold});
}

TArtLabel::~TArtLabel()
{
    Font()->OnChange = nullptr;
    gradient_->OnChange = nullptr;
}

void TArtLabel::SetArtStyle(TArtStyle v)
{
    if (v == artStyle_) return;
    artStyle_ = v;
    Repaint();
}

void TArtLabel::SetTextAlign(TAlignment v)
{
    if (v == textAlign_) return;
    textAlign_ = v;
    Repaint();
}

void TArtLabel::SetCaption(const std::string& v)
{
    if (v == caption_) return;
    caption_ = v;
    Repaint();
}

void TArtLabel::SetAutoSize(bool v)
{
    if (v == autoSize_) return;
    autoSize_ = v;
    Repaint();
}

void TArtLabel::SetTransparent(bool v)
{
    if (v == transparent_) return;
    transparent_ = v;
    Repaint();
}

void TArtLabel::SetColor(TColor v)
{
    if (v == color_) return;
    color_ = v;
    Repaint();
}

void TArtLabel::SetBitmap(const TBitmap* v)
{
    if (v == bitmap_.get()) return;
    bitmap_->Assign(v);
    if (HasArtStyle(artStyle_, asBitmap) || HasArtStyle(artStyle_, asBitmapFit)) Repaint();
}

void TArtLabel::SetShadowColor(TColor v)
{
    if (v == shadowColor_) return;
    shadowColor_ = v;
    if (HasArtStyle(artStyle_, asShadow)) Repaint();
}

void TArtLabel::SetOutlineColor(TColor v)
{
    if (v == outlineColor_) return;
    outlineColor_ = v;
    if (HasArtStyle(artStyle_, asOutlined)) Repaint();
}

void TArtLabel::SetShadowLength(int32_t v)
{
    if (v == shadowLength_) return;
    shadowLength_ = v;
    if (HasArtStyle(artStyle_, asShadow)) Repaint();
}

void TArtLabel::SetGradient(const TGradient* v)
{
    if (v == gradient_.get()) return;
    gradient_->Assign(v);
}

void TArtLabel::SetFont(const TFont* v)
{
    if (v == Font()) return;
    Font()->Assign(v);
}

void TArtLabel::GradientChanged()
{
    gradientOutOfDate_ = true;
    if (HasArtStyle(artStyle_, asGradient)) Repaint();
}

void TArtLabel::FontChanged() { Repaint(); }

void TArtLabel::Paint()
{
    TRect r = ClientRect();
    TCanvas* b = buffer_->Canvas();
    b->SetFont(Font());
    b->Brush()->SetColor(color_);
    if (autoSize_) {
        // The size changes at once; this paint still uses R, and the change brings
        // another paint at the new size.
        int32_t w = b->TextWidth(caption_) + 4, h = b->TextHeight("Wg") + 4;
        SetBounds(Left(), Top(), w, h);
    }
    buffer_->SetSize(int32_t(r.Width()), int32_t(r.Height()));
    b->Brush()->SetStyle(bsSolid);
    b->FillRect(Rect(0, 0, buffer_->Width(), buffer_->Height()));

    int32_t tw = b->TextWidth(caption_), th = b->TextHeight(caption_);
    int32_t x = 2, y = 2;
    switch (textAlign_) {
    case taLeftJustify:
        x = 2;
        y = std::max((Height() - th) / 2, 2);
        break;
    case taRightJustify:
        x = r.Right - tw - 2;
        y = std::max((Height() - th) / 2, 2);
        break;
    case taCenter:
        x = std::max((Width() - tw) / 2, 0);
        y = std::max((Height() - th) / 2, 0);
        break;
    }
    TColor dark = DarkenColor(color_, 64), light = LightenColor(color_, 64);

    if (HasArtStyle(artStyle_, asShadow)) DrawShadowText(b, x, y, caption_, shadowColor_, shadowLength_, shadowLength_);
    if (HasArtStyle(artStyle_, asOutlined)) DrawOutlinedText(b, x, y, caption_, outlineColor_);
    else if (HasArtStyle(artStyle_, as3DSunk)) Draw3DText(b, caption_, x, y, dark, light);
    else if (HasArtStyle(artStyle_, as3DRaise)) Draw3DText(b, caption_, x, y, light, dark);
    if (HasArtStyle(artStyle_, asGradient)) {
        if (!gradientImage_) gradientImage_ = std::make_unique<TBitmap>();
        if (gradientOutOfDate_ || gradientImage_->Width() != Width() || gradientImage_->Height() != Height()) {
            gradientImage_->SetSize(Width(), Height());
            TCanvas* g = gradientImage_->Canvas();
            g->Brush()->SetStyle(bsSolid);
            g->Brush()->SetColor(Font()->Color());
            g->FillRect(Rect(0, 0, Width(), Height()));
            PaintGradient(g, Rect(0, 0, Width(), Height()), gradient_.get());
            gradientOutOfDate_ = false;
        }
        DrawBitmapFitText(b, x, y, caption_, gradientImage_.get());
    } else if (HasArtStyle(artStyle_, asBitmapFit)) {
        DrawBitmapFitText(b, x, y, caption_, bitmap_.get());
    } else if (HasArtStyle(artStyle_, asBitmap)) {
        DrawBitmapText(b, x, y, caption_, bitmap_.get());
    }

    TCanvas* out = Canvas();
    if (!transparent_) {
        out->Draw(r.Left, r.Top, buffer_.get());
        return;
    }
    // Only the caption's shapes are copied: the mask is black where they lie.
    TBitmap mask;
    mask.SetMonochrome(true);
    mask.SetSize(buffer_->Width(), buffer_->Height());
    TCanvas* m = mask.Canvas();
    m->SetFont(Font());
    m->Font()->SetColor(clBlack);
    m->Brush()->SetStyle(bsSolid);
    m->Brush()->SetColor(clWhite);
    m->FillRect(Rect(0, 0, mask.Width(), mask.Height()));
    if (HasArtStyle(artStyle_, asShadow)) DrawShadowText(m, x, y, caption_, clBlack, shadowLength_, shadowLength_);
    if (HasArtStyle(artStyle_, asOutlined)) DrawOutlinedText(m, x, y, caption_, clBlack);
    if (HasArtStyle(artStyle_, as3DSunk) || HasArtStyle(artStyle_, as3DRaise))
        Draw3DText(m, caption_, x, y, clBlack, clBlack);
    if (HasArtStyle(artStyle_, asGradient) || HasArtStyle(artStyle_, asBitmapFit) || HasArtStyle(artStyle_, asBitmap)) {
        m->Brush()->SetStyle(bsClear);
        m->TextOut(x, y, caption_);
    }
    DrawMaskedImage(out, r.Left, r.Top, buffer_.get(), &mask);
}
