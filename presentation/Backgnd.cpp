#include "presentation/Backgnd.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"

namespace {
const TIdentTable BackStyleIdents = {{bgSingleColor, "bgSingleColor"},
                                     {bgGradient, "bgGradient"},
                                     {bgSingleBitmap, "bgSingleBitmap"},
                                     {bgTileBitmap, "bgTileBitmap"}};
}

// No property declares a default: a stored description carries all of them.
PUBLISHED_PROPERTIES(TBackgndObj, TPersistent)
{
    P.Object("Gradient", [](const TBackgndObj& o) { return o.Gradient(); });
    P.Object("Picture", [](const TBackgndObj& o) { return o.Picture(); });
    PUBLISH_ENUM(BackStyle, BackStyleIdents);
    PUBLISH_COLOR(Color);
    PUBLISH_EVENT(OnChange);
}

PUBLISHED_PROPERTIES(TBackground, TZrGraphicControl)
{
    P.Object("BackObj", [](const TBackground& b) { return b.BackObj(); });
    PublishInherited(P, {"Align", "Visible", "DragCursor", "DragMode", "Enabled", "PopupMenu", "ShowHint",
                         PALLIMER_MOUSE_EVENTS});
}

REGISTER_CLASS(TBackground);

// ------------------------------------------------------------------ TBackgndObj

TBackgndObj::TBackgndObj() : picture_(std::make_unique<TBitmap>()), gradient_(std::make_unique<TGradient>())
{
    gradient_->OnChange = [this](TObject*) { Changed(); };
}

TBackgndObj::~TBackgndObj() { gradient_->OnChange = nullptr; }

void TBackgndObj::SetPicture(const TBitmap* v)
{
    if (v == picture_.get()) return;
    picture_->Assign(v);
    Changed();
}

void TBackgndObj::SetColor(TColor v)
{
    if (v == color_) return;
    color_ = v;
    Changed();
}

void TBackgndObj::SetBackStyle(TBackStyle v)
{
    if (v == backStyle_) return;
    backStyle_ = v;
    Changed();
}

void TBackgndObj::SetGradient(const TGradient* v)
{
    if (v == gradient_.get()) return;
    gradient_->Assign(v);
    Changed();
}

void TBackgndObj::Assign(const TPersistent* Source)
{
    if (auto* o = dynamic_cast<const TBackgndObj*>(Source)) {
        if (o == this) return;
        picture_->Assign(o->picture_.get());
        gradient_->Assign(o->gradient_.get());
        backStyle_ = o->backStyle_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBackgndObj::Changed()
{
    if (OnChange) OnChange(this);
}

// ------------------------------------------------------------------ FillBackground

void FillBackground(TCanvas* Canvas, const TRect& Rect, const TBackgndObj* BackObj)
{
    if (!Canvas || !BackObj) return;
    switch (BackObj->BackStyle()) {
    case bgSingleColor:
        Canvas->Brush()->SetColor(BackObj->Color());
        Canvas->FillRect(Rect);
        break;
    case bgGradient: {
        TBitmap image;
        image.SetSize(int32_t(Rect.Width()), int32_t(Rect.Height()));
        PaintGradient(image.Canvas(), ::Rect(0, 0, image.Width(), image.Height()), BackObj->Gradient());
        Canvas->Draw(Rect.Left, Rect.Top, &image);
        break;
    }
    case bgSingleBitmap:
        // 1:1 at the same coordinates; where Rect reaches beyond the picture the copy has
        // no source pixels and leaves the canvas as it was.
        Canvas->CopyRect(Rect, BackObj->Picture()->Canvas(), Rect);
        break;
    case bgTileBitmap: TileAligned(Canvas, BackObj->Picture(), Rect); break;
    }
}

// ------------------------------------------------------------------ TBackground

TBackground::TBackground(TComponent* AOwner) : TZrGraphicControl(AOwner), backObj_(std::make_unique<TBackgndObj>())
{
    backObj_->OnChange = [this](TObject*) { BackObjChanged(); };
    SetBounds(0, 0, 144, 144);
}

TBackground::~TBackground()
{
    // The description goes before the base class releases the buffer.
    backObj_->OnChange = nullptr;
    backObj_.reset();
}

void TBackground::SetBackObj(const TBackgndObj* v)
{
    if (v == backObj_.get()) return;
    backObj_->Assign(v);
    UpdateBuffer();
    Invalidate();
}

void TBackground::BackObjChanged()
{
    UpdateBuffer();
    Invalidate();
}

void TBackground::UpdateBuffer()
{
    TZrGraphicControl::UpdateBuffer();
    if (backObj_) FillBackground(Buffer()->Canvas(), Rect(0, 0, Width(), Height()), backObj_.get());
}
