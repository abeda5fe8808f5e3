#include "platform/vcl/ExtCtrls.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/rtl/StrUtils.h"
#include "platform/vcl/DrawUtils.h"
#include "platform/vcl/WidgetSet.h"

namespace {

const TIdentTable BevelShapeIdents = {{bsBox, "bsBox"},           {bsFrame, "bsFrame"},
                                      {bsTopLine, "bsTopLine"},   {bsBottomLine, "bsBottomLine"},
                                      {bsLeftLine, "bsLeftLine"}, {bsRightLine, "bsRightLine"},
                                      {bsSpacer, "bsSpacer"}};
const TIdentTable BevelStyleIdents = {{bsLowered, "bsLowered"}, {bsRaised, "bsRaised"}};
const TIdentTable BevelCutIdents = {
    {bvNone, "bvNone"}, {bvLowered, "bvLowered"}, {bvRaised, "bvRaised"}, {bvSpace, "bvSpace"}};
const TIdentTable PanelBorderIdents = {{bsNone, "bsNone"}, {bsSingle, "bsSingle"}};
const TIdentTable AlignmentIdents = {
    {taLeftJustify, "taLeftJustify"}, {taRightJustify, "taRightJustify"}, {taCenter, "taCenter"}};

// A panel's sunken border lies outside its client area.
constexpr int kClientEdge = 2;

}  // namespace

PUBLISHED_PROPERTIES(TBevel, TGraphicControl)
{
    PublishInherited(P, {"Align", "ParentShowHint"});
    P.Enum("Shape", PALLIMER_GETTER(Shape), &TBevel::SetShape, BevelShapeIdents).Default(bsBox);
    PublishInherited(P, {"ShowHint"});
    P.Enum("Style", PALLIMER_GETTER(Style), &TBevel::SetStyle, BevelStyleIdents).Default(bsLowered);
    PublishInherited(P, {"Visible"});
}

PUBLISHED_PROPERTIES(TPanel, TCustomControl)
{
    PublishInherited(P, {"Align"});
    P.Enum("Alignment", PALLIMER_GETTER(Alignment), &TPanel::SetAlignment, AlignmentIdents).Default(taCenter);
    P.Enum("BevelInner", PALLIMER_GETTER(BevelInner), &TPanel::SetBevelInner, BevelCutIdents).Default(bvNone);
    P.Enum("BevelOuter", PALLIMER_GETTER(BevelOuter), &TPanel::SetBevelOuter, BevelCutIdents).Default(bvRaised);
    PUBLISH_INT(BevelWidth, 1);
    PUBLISH_INT(BorderWidth, 0);
    P.Enum("BorderStyle", PALLIMER_GETTER(BorderStyle), &TPanel::SetBorderStyle, PanelBorderIdents).Default(bsNone);
    P.String("Caption", PALLIMER_GETTER(Caption), &TPanel::SetCaption);
    P.Color("Color", PALLIMER_GETTER(Color), &TPanel::SetColor).Default(clBtnFace);
    PublishInherited(P, {"DragCursor", "DragMode", "Enabled", "Font", "ParentColor", "ParentFont", "ParentShowHint",
                         "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick", "OnDblClick",
                         "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove",
                         "OnMouseUp", "OnStartDrag"});
}

PUBLISHED_PROPERTIES(TImage, TGraphicControl)
{
    PublishInherited(P, {"Align"});
    PUBLISH_BOOL(AutoSize, false);
    PUBLISH_BOOL(Center, false);
    PublishInherited(P, {"DragCursor", "DragMode", "Enabled", "ParentShowHint"});
    P.Object("Picture", [](const TImage& i) { return i.Picture(); });
    PublishInherited(P, {"PopupMenu", "ShowHint"});
    PUBLISH_BOOL(Stretch, false);
    PUBLISH_BOOL(Transparent, false);
    PublishInherited(P, {"Visible", PALLIMER_MOUSE_EVENTS});
}

PUBLISHED_PROPERTIES(TPage, TCustomControl)
{
    P.String("Caption", PALLIMER_GETTER(Caption), &TPage::SetCaption);
    PublishInherited(P, {"TabOrder", "Visible"});
}

PUBLISHED_PROPERTIES(TNotebook, TCustomControl)
{
    P.String("ActivePage", PALLIMER_GETTER(ActivePage), &TNotebook::SetActivePage).Stored([](const TPersistent&) {
        return false;
    });
    PublishInherited(P, {"Align", "Color", "DragCursor", "DragMode", "Font", "Enabled"});
    PUBLISH_INT(PageIndex, 0);
    PublishInherited(P, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop",
                         "Visible", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter",
                         "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    PUBLISH_EVENT(OnPageChanged);
    PublishInherited(P, {"OnStartDrag"});
}

PUBLISHED_PROPERTIES(TTimer, TComponent)
{
    PUBLISH_BOOL(Enabled, true);
    P.Int("Interval", PALLIMER_GETTER(Interval), &TTimer::SetInterval).Default(1000);
    P.Event("OnTimer", PALLIMER_GETTER(OnTimer), &TTimer::SetOnTimer);
}

REGISTER_CLASS(TBevel);
REGISTER_CLASS(TPanel);
REGISTER_CLASS(TImage);
REGISTER_CLASS(TPage);
REGISTER_CLASS(TNotebook);
REGISTER_CLASS(TTimer);

// ------------------------------------------------------------------ TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape v)
{
    if (v == shape_) return;
    shape_ = v;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle v)
{
    if (v == style_) return;
    style_ = v;
    Invalidate();
}

void TBevel::Paint()
{
    TCanvas& c = *Canvas();
    TColor c1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor c2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    int32_t w = Width(), h = Height();
    auto line = [&](TColor color, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(color);
        c.FillRect(Rect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + (x1 == x2 ? 1 : 0),
                        std::max(y1, y2) + (y1 == y2 ? 1 : 0)));
    };
    auto box = [&](TRect r, TColor tl, TColor br) {
        TRect rr = r;
        Frame3D(c, rr, tl, br);
    };
    switch (shape_) {
    case bsBox: box(Rect(0, 0, w, h), c1, c2); break;
    case bsFrame:
        box(Rect(1, 1, w, h), c2, c2);
        box(Rect(0, 0, w - 1, h - 1), c1, c1);
        break;
    case bsTopLine:
        line(c1, 0, 0, w, 0);
        line(c2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(c1, 0, h - 2, w, h - 2);
        line(c2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(c1, 0, 0, 0, h);
        line(c2, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(c1, w - 2, 0, w - 2, h);
        line(c2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

// ------------------------------------------------------------------ TPanel

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    color_ = clBtnFace;
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
    SetBounds(0, 0, 185, 41);
}

void TPanel::Changed()
{
    if (!Loading()) Realign();
    Invalidate();
}

void TPanel::SetAlignment(TAlignment v)
{
    alignment_ = v;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut v)
{
    bevelInner_ = v;
    Changed();
}

void TPanel::SetBevelOuter(TBevelCut v)
{
    bevelOuter_ = v;
    Changed();
}

void TPanel::SetBevelWidth(int32_t v)
{
    bevelWidth_ = std::max(1, v);
    Changed();
}

void TPanel::SetBorderWidth(int32_t v)
{
    borderWidth_ = std::max(0, v);
    Changed();
}

void TPanel::SetBorderStyle(TBorderStyle v)
{
    borderStyle_ = v == bsSingle ? bsSingle : bsNone;
    if (!Loading()) {
        Realign();
        for (int i = 0; i < ControlCount(); ++i)
            if (auto* w = dynamic_cast<TWinControl*>(Controls(i))) w->SetBounds(w->Left(), w->Top(), w->Width(), w->Height());
    }
    Invalidate();
}

TPoint TPanel::ClientOrigin() const
{
    int e = borderStyle_ == bsSingle ? kClientEdge : 0;
    return TPoint{e, e};
}

TRect TPanel::AlignRect() const
{
    TRect r = ClientRect();
    int inset = borderWidth_;
    if (bevelOuter_ != bvNone) inset += bevelWidth_;
    if (bevelInner_ != bvNone) inset += bevelWidth_;
    return Rect(r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset);
}

void TPanel::PaintNonClient(TCanvas& Canvas)
{
    if (borderStyle_ != bsSingle) return;
    TRect r = Rect(0, 0, Width(), Height());
    DrawSunkenEdge(Canvas, r);
}

void TPanel::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    auto colors = [](TBevelCut b, TColor& top, TColor& bottom) {
        top = b == bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TColor top, bottom;
    if (bevelOuter_ != bvNone) {
        colors(bevelOuter_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    Frame3D(c, r, Color(), Color(), borderWidth_);
    if (bevelInner_ != bvNone) {
        colors(bevelInner_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(r);
    if (Caption().empty()) return;
    c.Brush()->SetStyle(bsClear);
    c.SetFont(Font());
    int32_t fh = c.TextHeight("W");
    r.Top = (r.Bottom + r.Top - fh) / 2;
    r.Bottom = r.Top + fh;
    uint32_t align = alignment_ == taRightJustify ? DT_RIGHT : alignment_ == taCenter ? DT_CENTER : DT_LEFT;
    c.DrawText(Caption(), r, DT_EXPANDTABS | DT_VCENTER | align);
    c.Brush()->SetStyle(bsSolid);
}

// ------------------------------------------------------------------ TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>())
{
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::PictureChanged()
{
    AdjustSize();
    Invalidate();
}

void TImage::AdjustSize()
{
    if (autoSize_ && !Loading() && !picture_->Empty())
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
}

void TImage::SetAutoSize(bool v)
{
    autoSize_ = v;
    AdjustSize();
}

void TImage::SetCenter(bool v)
{
    center_ = v;
    Invalidate();
}

void TImage::SetStretch(bool v)
{
    stretch_ = v;
    Invalidate();
}

void TImage::SetTransparent(bool v)
{
    transparent_ = v;
    Invalidate();
}

void TImage::Paint()
{
    if (picture_->Empty()) return;
    TCanvas& c = *Canvas();
    int32_t pw = picture_->Width(), ph = picture_->Height();
    TRect dest = Bounds(0, 0, pw, ph);
    if (stretch_) dest = ClientRect();
    else if (center_) dest = Bounds((Width() - pw) / 2, (Height() - ph) / 2, pw, ph);
    if (transparent_ && picture_->HasBitmap()) {
        // The bottom-left pixel's colour is see-through.
        TBitmap* b = picture_->Bitmap();
        TColor clear = PixelToColor(b->ScanLine(b->Height() - 1)[0]);
        c.Brush()->SetStyle(bsClear);
        c.BrushCopy(dest, b, Rect(0, 0, pw, ph), clear);
        c.Brush()->SetStyle(bsSolid);
        return;
    }
    picture_->Draw(c, dest);
}

// ------------------------------------------------------------------ TPage, TNotebook

TPage::TPage(TComponent* AOwner) : TCustomControl(AOwner)
{
    visible_ = false;
    parentColor_ = true;
    color_ = clBtnFace;
    SetControlStyle(ControlStyle() | csAcceptsControls);
    SetAlign(alClient);
}

void TPage::SetParentComponent(TComponent* Value)
{
    auto* nb = dynamic_cast<TNotebook*>(Value);
    TWinControl* old = Parent();
    if (auto* oldNb = dynamic_cast<TNotebook*>(old); oldNb && oldNb != nb) oldNb->PageRemoved(this);
    TCustomControl::SetParentComponent(Value);
    if (nb) nb->PageAdded(this);
}

TNotebook::TNotebook(TComponent* AOwner) : TCustomControl(AOwner)
{
    color_ = clBtnFace;
    SetControlStyle(ControlStyle() | csAcceptsControls);
    SetBounds(0, 0, 150, 150);
}

std::vector<std::string> TNotebook::Pages() const
{
    std::vector<std::string> names;
    for (TPage* p : pages_) names.push_back(p->Caption());
    return names;
}

TPage* TNotebook::AddPage(const std::string& Name)
{
    auto* p = new TPage(Owner() ? Owner() : this);
    p->SetCaption(Name);
    p->SetParentComponent(this);
    ShowActive();
    return p;
}

void TNotebook::PageAdded(TPage* P)
{
    if (std::find(pages_.begin(), pages_.end(), P) == pages_.end()) pages_.push_back(P);
}

void TNotebook::PageRemoved(TPage* P) { pages_.erase(std::remove(pages_.begin(), pages_.end(), P), pages_.end()); }

void TNotebook::SetPageIndex(int32_t v)
{
    if (Loading()) {
        pageIndex_ = v;
        return;
    }
    if (v == pageIndex_ || v < 0 || v >= int32_t(pages_.size())) return;
    pageIndex_ = v;
    ShowActive();
    CallEvent(OnPageChanged, this);
}

std::string TNotebook::ActivePage() const
{
    if (pageIndex_ < 0 || pageIndex_ >= int32_t(pages_.size())) return {};
    return pages_[size_t(pageIndex_)]->Caption();
}

void TNotebook::SetActivePage(const std::string& v)
{
    for (size_t i = 0; i < pages_.size(); ++i)
        if (SameText(pages_[i]->Caption(), v)) {
            SetPageIndex(int32_t(i));
            return;
        }
}

void TNotebook::ShowActive()
{
    // The new page first, so the notebook never shows an empty area.
    for (size_t i = 0; i < pages_.size(); ++i)
        if (int32_t(i) == pageIndex_) {
            pages_[i]->SetVisible(true);
            pages_[i]->BringToFront();
        }
    for (size_t i = 0; i < pages_.size(); ++i)
        if (int32_t(i) != pageIndex_) pages_[i]->SetVisible(false);
}

void TNotebook::Loaded()
{
    TCustomControl::Loaded();
    // Pages were read with the notebook's children; any other windowed child stays put.
    pages_.clear();
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* p = dynamic_cast<TPage*>(Controls(i))) pages_.push_back(p);
    if (pageIndex_ < 0 || pageIndex_ >= int32_t(pages_.size())) pageIndex_ = 0;
    ShowActive();
}

// ------------------------------------------------------------------ TTimer

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), alive_(std::make_shared<bool>(true)) {}

TTimer::~TTimer()
{
    *alive_ = false;
    if (id_ && WidgetSet()) WidgetSet()->KillTimer(id_);
    id_ = 0;
}

void TTimer::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t v)
{
    if (v == interval_) return;
    interval_ = v;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent v)
{
    onTimer_ = std::move(v);
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    TWidgetSet* ws = WidgetSet();
    if (id_ && ws) ws->KillTimer(id_);
    id_ = 0;
    if (!Running() || !ws || HasState(csDesigning)) return;
    std::weak_ptr<bool> alive = alive_;
    id_ = ws->StartTimer(int(std::min<uint32_t>(interval_, 0x7FFFFFFF)), [this, alive] {
        auto a = alive.lock();
        if (a && *a) Tick();
    });
}

void TTimer::Tick()
{
    if (!Running()) return;
    // The handler may free this timer: nothing is touched after it returns.
    TNotifyEvent handler = onTimer_;
    try {
        handler(this);
    } catch (const std::exception& e) {
        HandleControlException(e);
    }
}
