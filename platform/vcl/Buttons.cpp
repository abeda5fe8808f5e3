#include "platform/vcl/Buttons.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/vcl/DrawUtils.h"
#include "platform/vcl/WidgetSet.h"

namespace {

const TIdentTable LayoutIdents = {
    {blGlyphLeft, "blGlyphLeft"}, {blGlyphRight, "blGlyphRight"}, {blGlyphTop, "blGlyphTop"}, {blGlyphBottom, "blGlyphBottom"}};
const TIdentTable KindIdents = {{bkCustom, "bkCustom"}, {bkOK, "bkOK"},         {bkCancel, "bkCancel"},
                                {bkHelp, "bkHelp"},     {bkYes, "bkYes"},       {bkNo, "bkNo"},
                                {bkClose, "bkClose"},   {bkAbort, "bkAbort"},   {bkRetry, "bkRetry"},
                                {bkIgnore, "bkIgnore"}, {bkAll, "bkAll"}};

}  // namespace

PUBLISHED_PROPERTIES(TSpeedButton, TGraphicControl)
{
    PublishInherited(P, {"Align"});
    PUBLISH_BOOL(AllowAllUp, false);
    PUBLISH_INT(GroupIndex, 0);
    PUBLISH_BOOL(Down, false);
    P.String("Caption", PALLIMER_GETTER(Caption), &TSpeedButton::SetCaption);
    PublishInherited(P, {"Enabled"});
    PUBLISH_BOOL(Flat, false);
    PublishInherited(P, {"Font"});
    P.Object("Glyph", [](const TSpeedButton& b) { return b.Glyph(); });
    P.Enum("Layout", PALLIMER_GETTER(Layout), &TSpeedButton::SetLayout, LayoutIdents).Default(blGlyphLeft);
    PUBLISH_INT(Margin, -1);
    PUBLISH_INT(NumGlyphs, 1);
    PublishInherited(P, {"ParentFont", "ParentShowHint", "ShowHint"});
    PUBLISH_INT(Spacing, 4);
    PublishInherited(P, {"Visible", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
}

PUBLISHED_PROPERTIES(TBitBtn, TButton)
{
    P.Object("Glyph", [](const TBitBtn& b) { return b.Glyph(); });
    P.Enum("Kind", PALLIMER_GETTER(Kind), &TBitBtn::SetKind, KindIdents).Default(bkCustom);
    P.Enum("Layout", PALLIMER_GETTER(Layout), &TBitBtn::SetLayout, LayoutIdents).Default(blGlyphLeft);
    PUBLISH_INT(Margin, -1);
    PUBLISH_INT(NumGlyphs, 1);
    PUBLISH_INT(Spacing, 4);
}

REGISTER_CLASS(TSpeedButton);
REGISTER_CLASS(TBitBtn);

void GlyphImage(const TBitmap& Glyph, int NumGlyphs, int Index, TBitmap& Out)
{
    int n = std::clamp(NumGlyphs, 1, 4);
    if (Glyph.Empty()) {
        Out.SetSize(0, 0);
        return;
    }
    int w = Glyph.Width() / n;
    if (w <= 0) {
        Out.SetSize(0, 0);
        return;
    }
    if (Index >= n) Index = 0;
    Out.SetSize(w, Glyph.Height());
    Out.Canvas()->SetCopyMode(SRCCOPY);
    Out.Canvas()->CopyRect(Rect(0, 0, w, Glyph.Height()), Glyph.Canvas(), Bounds(Index * w, 0, w, Glyph.Height()));
}

void DrawGlyphAndCaption(TCanvas& Canvas, const TRect& R, const TBitmap& Glyph, const std::string& Caption,
                         bool Enabled, int Margin, int Spacing)
{
    TRect calc = Rect(0, 0, int32_t(R.Width()), 0);
    if (!Caption.empty()) Canvas.DrawText(Caption, calc, DT_CALCRECT | DT_SINGLELINE);
    int32_t tw = Caption.empty() ? 0 : int32_t(calc.Width());
    int32_t th = Canvas.TextHeight("Wg");
    int32_t gw = Glyph.Width(), gh = Glyph.Height();
    int32_t gap = (gw > 0 && tw > 0) ? Spacing : 0;
    int32_t total = gw + gap + tw;
    int32_t x = Margin >= 0 ? R.Left + Margin : R.Left + (int32_t(R.Width()) - total) / 2;
    if (gw > 0) {
        int32_t gy = R.Top + (int32_t(R.Height()) - gh) / 2;
        TColor clear = PixelToColor(Glyph.ScanLine(gh - 1)[0]);
        TBrushStyle saved = Canvas.Brush()->Style();
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.BrushCopy(Bounds(x, gy, gw, gh), &Glyph, Rect(0, 0, gw, gh), clear);
        Canvas.Brush()->SetStyle(saved);
    }
    if (tw > 0) {
        TRect text = Rect(x + gw + gap, R.Top + (int32_t(R.Height()) - th) / 2, x + gw + gap + tw, 0);
        text.Bottom = text.Top + th;
        if (Enabled) {
            Canvas.Brush()->SetStyle(bsClear);
            Canvas.DrawText(Caption, text, DT_LEFT | DT_SINGLELINE);
            Canvas.Brush()->SetStyle(bsSolid);
        } else {
            DrawDisabledText(Canvas, Caption, text, DT_LEFT | DT_SINGLELINE);
        }
    }
}

// ------------------------------------------------------------------ TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 23, 22);
    color_ = clBtnFace;
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetDown(bool v)
{
    if (groupIndex_ == 0) v = false;
    if (v == down_) return;
    if (down_ && !allowAllUp_ && !Loading()) return;  // a group keeps one button down
    down_ = v;
    if (v && Parent()) {
        // The others of the group come up.
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* s = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)); s && s != this && s->groupIndex_ == groupIndex_)
                if (s->down_) {
                    s->down_ = false;
                    s->Invalidate();
                }
    }
    Invalidate();
}

void TSpeedButton::SetFlat(bool v)
{
    flat_ = v;
    Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap* v)
{
    glyph_->Assign(v);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int32_t v)
{
    numGlyphs_ = std::clamp(v, 1, 4);
    Invalidate();
}

void TSpeedButton::Click()
{
    if (groupIndex_ != 0) {
        if (!down_) SetDown(true);
        else if (allowAllUp_) SetDown(false);
    }
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Button == mbLeft && Enabled()) {
        pressed_ = true;
        Repaint();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    bool sunk = pressed_ || down_;
    if (!flat_) {
        if (sunk) {
            Frame3D(c, r, cl3DDkShadow, clBtnHighlight);
            Frame3D(c, r, clBtnShadow, cl3DLight);
        } else {
            Frame3D(c, r, clBtnHighlight, cl3DDkShadow);
            Frame3D(c, r, cl3DLight, clBtnShadow);
        }
    }
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(r);
    if (sunk) r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    TBitmap image;
    GlyphImage(*glyph_, numGlyphs_, !Enabled() ? 1 : down_ ? 3 : pressed_ ? 2 : 0, image);
    c.SetFont(Font());
    DrawGlyphAndCaption(c, r, image, Caption(), Enabled(), margin_, spacing_);
}

// ------------------------------------------------------------------ TBitBtn

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), glyph_(std::make_unique<TBitmap>()) {}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(const TBitmap* v)
{
    glyph_->Assign(v);
    GlyphChanged();
}

void TBitBtn::SetNumGlyphs(int32_t v)
{
    numGlyphs_ = std::clamp(v, 1, 4);
    GlyphChanged();
}

void TBitBtn::Loaded()
{
    TButton::Loaded();
    GlyphChanged();
}

void TBitBtn::GlyphChanged()
{
    if (handle_) {
        TBitmap normal, disabled;
        GlyphImage(*glyph_, numGlyphs_, 0, normal);
        GlyphImage(*glyph_, numGlyphs_, 1, disabled);
        handle_->SetGlyph(&normal, numGlyphs_ > 1 ? &disabled : nullptr);
    }
    Invalidate();
}

void TBitBtn::InitHandle()
{
    TButton::InitHandle();
    GlyphChanged();
}

void TBitBtn::PaintFallback(TCanvas& Canvas)
{
    DrawButtonFace(Canvas, Rect(0, 0, Width(), Height()), "", false, Default(), Enabled(), false);
    TBitmap image;
    GlyphImage(*glyph_, numGlyphs_, Enabled() ? 0 : 1, image);
    DrawGlyphAndCaption(Canvas, Rect(2, 2, Width() - 2, Height() - 2), image, Caption(), Enabled(), margin_,
                        spacing_);
}
