#include "platform/vcl/ComCtrls.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/vcl/DrawUtils.h"

PUBLISHED_PROPERTIES(TProgressBar, TCustomControl)
{
    PublishInherited(P, {"Align", "Enabled", "Hint"});
    PUBLISH_INT(Max, 100);
    PUBLISH_INT(Min, 0);
    PublishInherited(P, {"ParentShowHint", "PopupMenu"});
    PUBLISH_INT(Position, 0);
    PublishInherited(P, {"ShowHint"});
    PUBLISH_INT(Step, 10);
    PublishInherited(P, {"TabOrder", "TabStop", "Visible", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

REGISTER_CLASS(TProgressBar);

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    color_ = clBtnFace;
    parentColor_ = true;
    SetControlStyle(ControlStyle() | csOpaque);
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::Coerce()
{
    if (position_ < min_) position_ = min_;
    if (position_ > max_ && max_ >= min_) position_ = max_;
}

void TProgressBar::SetMin(int32_t v)
{
    uint16_t n = uint16_t(v);
    if (n == min_) return;
    min_ = n;
    Coerce();
    Invalidate();
}

void TProgressBar::SetMax(int32_t v)
{
    uint16_t n = uint16_t(v);
    if (n == max_) return;
    max_ = n;
    Coerce();
    Invalidate();
}

void TProgressBar::SetPosition(int32_t v)
{
    uint16_t old = position_;
    position_ = uint16_t(v);
    Coerce();
    if (position_ == old) return;
    if (Loading()) return;
    // The bar shows a new position at once, also while its thread is busy.
    Repaint();
}

int32_t TProgressBar::FilledWidth(int32_t InnerWidth) const
{
    if (max_ <= min_ || InnerWidth <= 0) return 0;
    int64_t w = int64_t(position_ - min_) * InnerWidth / int64_t(max_ - min_);
    return int32_t(std::clamp<int64_t>(w, 0, InnerWidth));
}

void TProgressBar::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    Frame3D(c, r, clBtnShadow, clBtnHighlight);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(r);
    // Segments of the highlight colour, one pixel inside the frame, two pixels apart.
    TRect inner = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    if (inner.IsEmpty()) return;
    int32_t filled = FilledWidth(int32_t(inner.Width()));
    int32_t chunk = std::max<int32_t>(2, int32_t(inner.Height()) * 2 / 3);
    c.Brush()->SetColor(clHighlight);
    for (int32_t x = 0; x < filled; x += chunk + 2) {
        int32_t right = std::min<int32_t>(x + chunk, int32_t(inner.Width()));
        c.FillRect(Rect(inner.Left + x, inner.Top, inner.Left + right, inner.Bottom));
    }
}
