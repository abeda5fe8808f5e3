#include "platform/vcl/Gauges.h"

#include <algorithm>
#include <cmath>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/rtl/NumFormat.h"

namespace {

const TIdentTable KindIdents = {{gkText, "gkText"},
                                {gkHorizontalBar, "gkHorizontalBar"},
                                {gkVerticalBar, "gkVerticalBar"},
                                {gkPie, "gkPie"},
                                {gkNeedle, "gkNeedle"}};
const TIdentTable BorderIdents = {{bsNone, "bsNone"}, {bsSingle, "bsSingle"}};

constexpr double kPi = 3.14159265358979323846;

}  // namespace

PUBLISHED_PROPERTIES(TGauge, TGraphicControl)
{
    PublishInherited(P, {"Align"});
    P.Color("BackColor", PALLIMER_GETTER(BackColor), &TGauge::SetBackColor).Default(clWhite);
    P.Enum("BorderStyle", PALLIMER_GETTER(BorderStyle), &TGauge::SetBorderStyle, BorderIdents).Default(bsSingle);
    PublishInherited(P, {"Color", "Enabled"});
    P.Color("ForeColor", PALLIMER_GETTER(ForeColor), &TGauge::SetForeColor).Default(clBlack);
    PublishInherited(P, {"Font"});
    P.Enum("Kind", PALLIMER_GETTER(Kind), &TGauge::SetKind, KindIdents).Default(gkHorizontalBar);
    PUBLISH_INT(MinValue, 0);
    PUBLISH_INT(MaxValue, 100);
    PublishInherited(P, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"});
    PUBLISH_INT(Progress, 0);
    PublishInherited(P, {"ShowHint"});
    PUBLISH_BOOL(ShowText, true);
    PublishInherited(P, {"Visible", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnMouseDown",
                         "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

REGISTER_CLASS(TGauge);

TGauge::TGauge(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetBounds(0, 0, 100, 100);
}

int32_t TGauge::PercentDone() const
{
    int64_t range = int64_t(maxValue_) - minValue_;
    if (range <= 0) return 0;
    return int32_t((int64_t(progress_) - minValue_) * 100 / range);
}

void TGauge::SetKind(TGaugeKind v)
{
    kind_ = v;
    Refresh();
}

void TGauge::SetMinValue(int32_t v)
{
    if (v == minValue_) return;
    minValue_ = v;
    if (progress_ < v) progress_ = v;
    Refresh();
}

void TGauge::SetMaxValue(int32_t v)
{
    if (v == maxValue_) return;
    maxValue_ = v;
    if (progress_ > v) progress_ = v;
    Refresh();
}

void TGauge::SetProgress(int32_t v)
{
    v = std::clamp(v, minValue_, std::max(minValue_, maxValue_));
    if (v == progress_) return;
    int32_t before = PercentDone();
    progress_ = v;
    if (PercentDone() != before && !Loading()) Refresh();
}

void TGauge::SetForeColor(TColor v)
{
    foreColor_ = v;
    Refresh();
}

void TGauge::SetBackColor(TColor v)
{
    backColor_ = v;
    Refresh();
}

void TGauge::SetBorderStyle(TBorderStyle v)
{
    borderStyle_ = v == bsSingle ? bsSingle : bsNone;
    Refresh();
}

void TGauge::SetShowText(bool v)
{
    showText_ = v;
    Refresh();
}

void TGauge::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    if (borderStyle_ == bsSingle) {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(clBlack);
        c.FrameRect(r);
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    if (r.IsEmpty()) return;
    int32_t pct = PercentDone();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(kind_ == gkText ? backColor_ : backColor_);
    c.FillRect(r);
    int32_t w = int32_t(r.Width()), h = int32_t(r.Height());
    TRect filled{};
    switch (kind_) {
    case gkHorizontalBar:
        filled = Rect(r.Left, r.Top, r.Left + int32_t(int64_t(w) * pct / 100), r.Bottom);
        break;
    case gkVerticalBar:
        filled = Rect(r.Left, r.Bottom - int32_t(int64_t(h) * pct / 100), r.Right, r.Bottom);
        break;
    case gkPie: {
        // The sector from twelve o'clock clockwise, pixel by pixel.
        double cx = r.Left + w / 2.0, cy = r.Top + h / 2.0;
        c.Brush()->SetColor(foreColor_);
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            for (int32_t x = r.Left; x < r.Right; ++x) {
                double dx = (x + 0.5 - cx) / (w / 2.0), dy = (y + 0.5 - cy) / (h / 2.0);
                if (dx * dx + dy * dy > 1.0) continue;
                double a = std::atan2(dx, -dy);
                if (a < 0) a += 2 * kPi;
                if (a <= 2 * kPi * pct / 100.0) c.SetPixel(x, y, foreColor_);
            }
        break;
    }
    case gkNeedle: {
        // A needle from the bottom centre sweeping from left (0%) to right (100%).
        double cx = r.Left + w / 2.0, cy = r.Bottom - 1;
        double a = kPi * (1.0 - pct / 100.0);
        c.Pen()->SetColor(foreColor_);
        c.Pen()->SetWidth(1);
        c.MoveTo(int32_t(cx), int32_t(cy));
        c.LineTo(int32_t(cx + std::cos(a) * (w / 2.0 - 1)), int32_t(cy - std::sin(a) * (h - 1)));
        break;
    }
    case gkText: break;
    }
    if (!filled.IsEmpty()) {
        c.Brush()->SetColor(foreColor_);
        c.FillRect(filled);
    }
    if (!showText_) return;
    // The percentage in the middle: in the bar's colour over the background and in the
    // background's colour over the bar.
    std::string text = IntToStr(pct) + "%";
    c.SetFont(Font());
    c.Brush()->SetStyle(bsClear);
    TRect oldClip = c.ClipRect();
    auto drawIn = [&](const TRect& area, TColor color) {
        TRect clip = IntersectRect(oldClip, area);
        if (clip.IsEmpty()) return;
        c.SetClipRect(clip);
        c.Font()->SetColor(color);
        TRect tr = r;
        c.DrawText(text, tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    if (kind_ == gkHorizontalBar || kind_ == gkVerticalBar) {
        TRect rest = kind_ == gkHorizontalBar ? Rect(filled.IsEmpty() ? r.Left : filled.Right, r.Top, r.Right, r.Bottom)
                                              : Rect(r.Left, r.Top, r.Right, filled.IsEmpty() ? r.Bottom : filled.Top);
        drawIn(rest, foreColor_);
        if (!filled.IsEmpty()) drawIn(filled, backColor_);
    } else {
        drawIn(r, kind_ == gkPie || kind_ == gkNeedle ? clBlack : foreColor_);
    }
    c.SetClipRect(oldClip);
    c.Brush()->SetStyle(bsSolid);
}
