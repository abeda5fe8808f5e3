#include "presentation/Nyanimat.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/PublishControl.h"

PUBLISHED_PROPERTIES(TnyAnimated, TGraphicControl)
{
    PUBLISH_INT(Interval);
    PUBLISH_INT(FrameCount, 1);
    PUBLISH_INT(Frame);
    P.Object("BitMap", [](const TnyAnimated& a) { return a.BitMap(); });
    PUBLISH_BOOL(Play);
    PUBLISH_BOOL(Reverse);
    PUBLISH_BOOL(Loop, true);
    P.Color("TransparentColor", PALLIMER_GETTER(TransparentColor), &TnyAnimated::SetTransparentColor).Default(-1);
    P.Int("Height", PALLIMER_GETTER(Height), &TnyAnimated::SetHeight).Default(30);
    P.Int("Width", PALLIMER_GETTER(Width), &TnyAnimated::SetWidth).Default(30);
    PUBLISH_EVENT(OnChangeFrame);
    PublishInherited(P, {"OnDragDrop", "OnDragOver", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "Visible"});
}

REGISTER_CLASS(TnyAnimated);

TnyAnimated::TnyAnimated(TComponent* AOwner) : TGraphicControl(AOwner), bitMap_(std::make_unique<TBitmap>())
{
    // It paints all of its area; it takes its parent's colour for transparent pixels.
    SetControlStyle(ControlStyle() | csOpaque);
    parentColor_ = true;
    SetBounds(0, 0, 30, 30);
}

TnyAnimated::~TnyAnimated() { StopTimer(); }

void TnyAnimated::SetBitMap(const TBitmap* v)
{
    bitMap_->Assign(v);
    SetHeight(bitMap_->Height() > 0 ? bitMap_->Height() : 30);
}

void TnyAnimated::SetFrame(int32_t v)
{
    int32_t count = frameCount_ < 1 ? 1 : frameCount_;
    int32_t n = v < 0 ? count - 1 : v % count;
    if (n == frame_) return;
    frame_ = n;
    if (OnChangeFrame) OnChangeFrame(this);
    Invalidate();
}

void TnyAnimated::SetInterval(int32_t v)
{
    if (v == interval_) return;
    StopTimer();
    interval_ = v;
    if (play_ && v > 0) StartTimer();
}

void TnyAnimated::SetPlay(bool v)
{
    if (v == play_) return;
    play_ = v;
    if (!v) StopTimer();
    else if (interval_ > 0) StartTimer();
}

void TnyAnimated::SetTransparentColor(TColor v)
{
    if (v == transparentColor_) return;
    transparentColor_ = v;
    Invalidate();
}

void TnyAnimated::StartTimer()
{
    StopTimer();
    timer_ = new TTimer(this);
    timer_->SetInterval(uint32_t(interval_));
    timer_->SetOnTimer([this](TObject*) { Tick(); });
}

void TnyAnimated::StopTimer()
{
    // Freeing the timer inside its own tick is safe: the tick touches nothing of the
    // timer after its handler returns.
    delete timer_;
    timer_ = nullptr;
}

void TnyAnimated::Tick()
{
    if (reverse_) {
        SetFrame(frame_ - 1);
        if (frame_ == 0 && !loop_) {
            play_ = false;
            StopTimer();
        }
    } else {
        SetFrame(frame_ + 1);
        if (frame_ == frameCount_ - 1 && !loop_) {
            play_ = false;
            StopTimer();
        }
    }
}

void TnyAnimated::Paint()
{
    TCanvas& c = *Canvas();
    TRect d = Rect(0, 0, Width(), Height());
    if (bitMap_->Height() <= 0) {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(clWhite);
        c.FillRect(d);
        return;
    }
    TRect s = Rect(Width() * frame_, 0, Width() * frame_ + Width(), Height());
    if (transparentColor_ >= 0) {
        TBitmap work;
        work.SetSize(bitMap_->Width(), bitMap_->Height());
        TCanvas* w = work.Canvas();
        w->Brush()->SetStyle(bsSolid);
        w->Brush()->SetColor(Color());
        w->BrushCopy(d, bitMap_.get(), s, transparentColor_);
        c.CopyRect(d, w, d);
    } else {
        c.CopyRect(d, bitMap_->Canvas(), s);
    }
}
