#include "platform/vcl/Controls.h"

#include <algorithm>
#include <iostream>

#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WidgetSet.h"

std::function<void(const std::exception&)> ControlExceptionHandler;

namespace {
int paintDepth = 0;
}

bool WindowPainting() { return paintDepth > 0; }

void HandleControlException(const std::exception& E)
{
    if (ControlExceptionHandler) {
        ControlExceptionHandler(E);
        return;
    }
    std::cerr << E.what() << "\n";
}

namespace {

const bool cursorNames = [] {
    static const TIdentTable names = {
        {0, "crDefault"},   {-1, "crNone"},      {-2, "crArrow"},   {-3, "crCross"},   {-4, "crIBeam"},
        {-5, "crSize"},     {-6, "crSizeNESW"},  {-7, "crSizeNS"},  {-8, "crSizeNWSE"}, {-9, "crSizeWE"},
        {-10, "crUpArrow"}, {-11, "crHourGlass"}, {-12, "crDrag"},  {-13, "crNoDrop"}, {-14, "crHSplit"},
        {-15, "crVSplit"},  {-16, "crMultiDrag"}, {-17, "crSQLWait"}, {-18, "crNo"},   {-19, "crAppStart"},
        {-20, "crHelp"},    {-21, "crHandPoint"}};
    RegisterIdentTable("TCursor", names);
    return true;
}();

// A Repaint while the window paints must not start a second paint inside the first.
struct PaintGuard {
    bool& flag;
    explicit PaintGuard(bool& f) : flag(f)
    {
        flag = true;
        ++paintDepth;
    }
    ~PaintGuard()
    {
        flag = false;
        --paintDepth;
    }
};

TRect Offset(const TRect& r, int32_t dx, int32_t dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

TRect Union(const TRect& a, const TRect& b)
{
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom)};
}

}  // namespace

const TIdentTable AlignIdents = {{alNone, "alNone"},   {alTop, "alTop"},     {alBottom, "alBottom"},
                                 {alLeft, "alLeft"},   {alRight, "alRight"}, {alClient, "alClient"}};
const TIdentTable DragModeIdents = {{dmManual, "dmManual"}, {dmAutomatic, "dmAutomatic"}};

// Every control stores its bounds; the other properties are published by each class
// that has them (PublishControl.h).
PUBLISHED_PROPERTIES(TControl, TComponent)
{
    P.Int("Left", PALLIMER_GETTER(Left), &TControl::SetLeft);
    P.Int("Top", PALLIMER_GETTER(Top), &TControl::SetTop);
    P.Int("Width", PALLIMER_GETTER(Width), &TControl::SetWidth);
    P.Int("Height", PALLIMER_GETTER(Height), &TControl::SetHeight);
}

// The intermediate classes publish nothing of their own but keep the chain whole.
PUBLISHED_PROPERTIES(TGraphicControl, TControl) {}
PUBLISHED_PROPERTIES(TWinControl, TControl) {}
PUBLISHED_PROPERTIES(TCustomControl, TWinControl) {}

// ------------------------------------------------------------------ TControl

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), font_(std::make_unique<TFont>()), alive_(std::make_shared<bool>(true))
{
    font_->OnChange = [this](TObject*) { FontObjectChanged(); };
}

TControl::~TControl()
{
    *alive_ = false;
    if (parent_) parent_->RemoveControl(this);
    parent_ = nullptr;
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == parent_) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) {
        InvalidateRect(ClientRect(), false);
        parent_->RemoveControl(this);
    }
    parent_ = nullptr;
    if (AParent) {
        parent_ = AParent;
        AParent->InsertControl(this);
        ParentFontChanged();
        ParentColorChanged();
        if (align_ != alNone) parent_->Realign();
        InvalidateRect(ClientRect(), false);
    }
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (parentFont_) ParentFontChanged();
    if (parentColor_) ParentColorChanged();
    AdjustSize();
    // Shown while loading (a notebook's page): take the place its alignment gives.
    if (align_ != alNone && parent_ && visible_) parent_->Realign();
}

void TControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight)
{
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    TRect before = RectInParentWindow();
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    if (parent_ && visible_ && !Loading()) {
        TRect after = RectInParentWindow();
        parent_->InvalidateWindowRect(Union(before, after), false);
    }
    BoundsChanged();
    if (parent_ && align_ != alNone && !Loading()) parent_->Realign();
}

void TControl::SetClientSize(int32_t w, int32_t h)
{
    SetBounds(left_, top_, width_ + (w - ClientWidth()), height_ + (h - ClientHeight()));
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    TPoint r = p;
    const TControl* c = this;
    if (auto* w = dynamic_cast<const TWinControl*>(c)) {
        TPoint o = w->ClientOrigin();
        r.X += o.X;
        r.Y += o.Y;
    }
    for (; c; c = c->parent_) {
        if (!c->parent_) {
            if (auto* f = dynamic_cast<const TCustomForm*>(c)) {
                TPoint o = f->ClientScreenOrigin();
                r.X += o.X;
                r.Y += o.Y;
            } else {
                r.X += c->left_;
                r.Y += c->top_;
            }
            break;
        }
        TPoint po = c->parent_->ClientOrigin();
        r.X += c->left_ + po.X;
        r.Y += c->top_ + po.Y;
    }
    return r;
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint zero = ClientToScreen(TPoint{});
    return TPoint{p.X - zero.X, p.Y - zero.Y};
}

bool TControl::Showing() const
{
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetVisible(bool v)
{
    if (v == visible_) return;
    if (parent_ && !v) InvalidateRect(ClientRect(), false);
    visible_ = v;
    VisibleChanged();
}

void TControl::VisibleChanged()
{
    if (!parent_) return;
    if (visible_) InvalidateRect(ClientRect(), false);
    if (align_ != alNone && !Loading()) parent_->Realign();
}

void TControl::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    EnabledChanged();
}

void TControl::EnabledChanged() { Invalidate(); }

void TControl::SetText(const std::string& v)
{
    if (v == text_) return;
    text_ = v;
    TextChanged();
}

void TControl::SetParentFont(bool v)
{
    if (v == parentFont_) return;
    parentFont_ = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!parentFont_ || !parent_) return;
    applyingParentFont_ = true;
    try {
        font_->Assign(parent_->Font());
    } catch (...) {
        applyingParentFont_ = false;
        throw;
    }
    applyingParentFont_ = false;
}

void TControl::FontObjectChanged()
{
    if (!applyingParentFont_) parentFont_ = false;
    FontChanged();
}

void TControl::FontChanged()
{
    if (!Loading()) AdjustSize();
    Invalidate();
}

void TControl::SetColor(TColor v)
{
    parentColor_ = false;
    if (v == color_) return;
    color_ = v;
    ColorChanged();
}

void TControl::SetParentColor(bool v)
{
    if (v == parentColor_) return;
    parentColor_ = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (!parentColor_ || !parent_) return;
    if (parent_->Color() == color_) return;
    color_ = parent_->Color();
    ColorChanged();
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetAlign(TAlign v)
{
    if (v == align_) return;
    align_ = v;
    if (parent_ && !Loading()) parent_->Realign();
}

TRect TControl::RectInParentWindow() const
{
    if (!parent_) return TRect{};
    TPoint o = parent_->ClientOrigin();
    return Bounds(left_ + o.X, top_ + o.Y, width_, height_);
}

void TControl::InvalidateRect(const TRect& R, bool Immediate)
{
    if (!parent_ || !visible_) return;
    TRect inParent = Offset(R, left_ + parent_->ClientOrigin().X, top_ + parent_->ClientOrigin().Y);
    parent_->InvalidateWindowRect(IntersectRect(inParent, RectInParentWindow()), Immediate);
}

void TControl::Invalidate() { InvalidateRect(ClientRect(), false); }

void TControl::Repaint() { InvalidateRect(ClientRect(), true); }

void TControl::Update()
{
    if (parent_) parent_->Update();
}

void TControl::BringToFront()
{
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    parent_->InsertControl(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->handle_) w->handle_->Raise();
    Invalidate();
}

void TControl::SendToBack()
{
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        // Windowless controls stay below every windowed one.
        auto at = std::find_if(list.begin(), list.end(), [](TControl* c) { return dynamic_cast<TWinControl*>(c); });
        list.insert(at, this);
        if (w->handle_) w->handle_->Lower();
    } else {
        list.insert(list.begin(), this);
    }
    Invalidate();
}

TCustomForm* TControl::ParentForm() const
{
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::Click()
{
    CallEvent(OnClick, this);
}

void TControl::DblClick()
{
    CallEvent(OnDblClick, this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    CallEvent(OnMouseDown, this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    CallEvent(OnMouseUp, this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    CallEvent(OnMouseMove, this, Shift, X, Y);
}

void TControl::WndProc(TMessage& Message)
{
    auto alive = alive_;
    switch (Message.Msg) {
    case WM_MOUSEDOWN:
        if (Message.Button == mbLeft) mouseInside_ = true;
        MouseDown(Message.Button, Message.Shift, Message.X, Message.Y);
        break;
    case WM_MOUSEUP: {
        bool click = Message.Button == mbLeft && mouseInside_;
        if (Message.Button == mbLeft) mouseInside_ = false;
        if (click && Message.X >= 0 && Message.Y >= 0 && Message.X < ClientWidth() && Message.Y < ClientHeight())
            Click();
        if (*alive) MouseUp(Message.Button, Message.Shift, Message.X, Message.Y);
        break;
    }
    case WM_MOUSEMOVE: MouseMove(Message.Shift, Message.X, Message.Y); break;
    case WM_DBLCLICK:
        if (Message.Button == mbLeft) {
            mouseInside_ = true;
            DblClick();
            if (*alive) MouseDown(Message.Button, Message.Shift | ssDouble, Message.X, Message.Y);
        }
        break;
    default: break;
    }
}

// ------------------------------------------------------------------ TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TCanvas>(&nowhere_))
{
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintTo(TCanvas& Target, int32_t X, int32_t Y)
{
    TPoint o = Target.Origin();
    canvas_->SetBitmap(Target.Bitmap());
    canvas_->SetOrigin(TPoint{o.X + X, o.Y + Y});
    canvas_->SetClipRect(ClientRect());
    auto alive = AliveToken();
    try {
        Paint();
    } catch (...) {
        if (*alive) {
            canvas_->SetBitmap(&nowhere_);
            canvas_->SetOrigin(TPoint{});
        }
        throw;
    }
    if (*alive) {
        canvas_->SetBitmap(&nowhere_);
        canvas_->SetOrigin(TPoint{});
    }
}

// ------------------------------------------------------------------ TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    // Children go first (whoever owns them), last first.
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        RemoveControl(c);
        c->parent_ = nullptr;
        delete c;
    }
    DestroyHandle();
}

void TWinControl::InsertControl(TControl* C)
{
    // Windowed controls lie above the windowless ones.
    if (dynamic_cast<TWinControl*>(C)) {
        controls_.push_back(C);
    } else {
        auto at = std::find_if(controls_.begin(), controls_.end(),
                               [](TControl* c) { return dynamic_cast<TWinControl*>(c) != nullptr; });
        controls_.insert(at, C);
    }
    if (auto* w = dynamic_cast<TWinControl*>(C)) {
        // A new control goes to the end of the tab order (a stored TabOrder read later
        // takes its place when the parent has finished loading).
        int n = 0;
        for (TControl* c : controls_)
            if (c != C && dynamic_cast<TWinControl*>(c)) ++n;
        w->tabOrder_ = n;
        if (handle_) w->Handle();
    }
}

void TWinControl::RemoveControl(TControl* C)
{
    if (captured_ == C) captured_ = nullptr;
    auto it = std::find(controls_.begin(), controls_.end(), C);
    if (it == controls_.end()) return;
    controls_.erase(it);
    if (auto* w = dynamic_cast<TWinControl*>(C)) {
        w->DestroyHandle();
        // Close the gap in the tab order.
        for (TControl* c : controls_)
            if (auto* o = dynamic_cast<TWinControl*>(c); o && o->tabOrder_ > w->tabOrder_) --o->tabOrder_;
    }
    if (auto* f = dynamic_cast<TCustomForm*>(ParentForm())) f->ControlRemoved(C);
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || (!AllowDisabled && !c->Enabled())) continue;
        if (P.X >= c->Left() && P.Y >= c->Top() && P.X < c->Left() + c->Width() && P.Y < c->Top() + c->Height())
            return c;
    }
    return nullptr;
}

int32_t TWinControl::ClientWidth() const
{
    TPoint o = ClientOrigin();
    return std::max(0, width_ - 2 * o.X);
}

int32_t TWinControl::ClientHeight() const
{
    TPoint o = ClientOrigin();
    return std::max(0, height_ - 2 * o.Y);
}

void TWinControl::SetTabOrder(int32_t v)
{
    if (Loading() || !Parent()) {
        tabOrder_ = v;
        return;
    }
    std::vector<TWinControl*> list = Parent()->TabList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (v < 0 || v > int32_t(list.size())) v = int32_t(list.size());
    list.insert(list.begin() + v, this);
    for (size_t i = 0; i < list.size(); ++i) list[i]->tabOrder_ = int32_t(i);
    if (auto* f = ParentForm()) f->UpdateTabChain();
}

void TWinControl::SetTabStop(bool v)
{
    if (v == tabStop_) return;
    tabStop_ = v;
    if (handle_) handle_->SetTabStop(v);
}

std::vector<TWinControl*> TWinControl::TabList() const
{
    std::vector<TWinControl*> list;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) list.push_back(w);
    std::stable_sort(list.begin(), list.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    return list;
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (auto* f = ParentForm()) f->SetActiveControl(this);
    if (handle_) handle_->SetFocus();
}

bool TWinControl::Focused() const { return handle_ && handle_->Focused(); }

TWidgetHandle* TWinControl::Handle()
{
    if (handle_) return handle_;
    TWidgetSet* ws = WidgetSet();
    if (!ws) return nullptr;
    TWidgetHandle* parentHandle = nullptr;
    if (Parent()) {
        parentHandle = Parent()->Handle();
        if (!parentHandle) return nullptr;
        if (handle_) return handle_;  // the parent created it along with its children
    }
    handle_ = ws->CreateHandle(WidgetKind(), this, parentHandle);
    InitHandle();
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->Handle();
    return handle_;
}

void TWinControl::InitHandle()
{
    handle_->SetFont(*Font());
    handle_->SetColor(Color());
    handle_->SetText(Text());
    handle_->SetEnabled(Enabled());
    handle_->SetTabStop(tabStop_);
    UpdateHandleBounds();
    if (Parent()) handle_->SetVisible(Visible());
}

void TWinControl::DestroyHandle()
{
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    if (handle_) {
        handle_->Detach();
        handle_ = nullptr;
    }
}

TRect TWinControl::WindowBounds() const { return RectInParentWindow(); }

void TWinControl::UpdateHandleBounds()
{
    if (handle_) handle_->SetBounds(WindowBounds());
}

void TWinControl::UpdateTabChain()
{
    if (!handle_) return;
    // Depth first through the tab lists: the order the keyboard visits the controls.
    std::vector<TWidgetHandle*> chain;
    std::function<void(const TWinControl*)> walk = [&](const TWinControl* w) {
        for (TWinControl* c : w->TabList()) {
            if (!c->handle_) continue;
            if (c->WidgetKind() != TWidgetKind::Container && c->WidgetKind() != TWidgetKind::Form)
                chain.push_back(c->handle_);
            walk(c);
        }
    };
    walk(this);
    for (size_t i = 0; i + 1 < chain.size(); ++i) chain[i]->SetTabNext(chain[i + 1]);
}

void TWinControl::PaintHandler(const TRect& Rect)
{
    if (painting_) return;
    PaintGuard guard(painting_);
    TSize ws = WindowSize();
    TRect r = IntersectRect(Rect, ::Rect(0, 0, ws.cx, ws.cy));
    if (surface_.Width() != ws.cx || surface_.Height() != ws.cy) surface_.SetSize(ws.cx, ws.cy);
    if (r.IsEmpty()) return;
    TCanvas& c = *surface_.Canvas();
    auto alive = AliveToken();
    TPoint o = ClientOrigin();
    TRect client = IntersectRect(r, Bounds(o.X, o.Y, ClientWidth(), ClientHeight()));
    try {
        c.SetOrigin(TPoint{});
        c.ResetClip();
        c.SetClipRect(r);
        PaintNonClient(c);
        if (*alive && !client.IsEmpty()) {
            c.SetOrigin(o);
            c.ResetClip();
            TRect local = Offset(client, -o.X, -o.Y);
            c.SetClipRect(local);
            PaintWindow(c, local);
        }
    } catch (const std::exception& e) {
        HandleControlException(e);
    }
    if (!*alive) return;
    c.SetOrigin(TPoint{});
    c.ResetClip();
    c.SetClipRect(r);
    PaintControls(c, r);
    if (*alive) c.ResetClip();
}

void TWinControl::PaintWindow(TCanvas& Canvas, const TRect& R)
{
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(Color());
    Canvas.FillRect(R);
}

void TWinControl::PaintControls(TCanvas& Canvas, const TRect& R)
{
    (void)Canvas;
    TPoint o = ClientOrigin();
    TRect client = IntersectRect(R, Bounds(o.X, o.Y, ClientWidth(), ClientHeight()));
    if (client.IsEmpty()) return;
    // By index: a paint may add or remove controls.
    for (size_t i = 0; i < controls_.size(); ++i) {
        auto* g = dynamic_cast<TGraphicControl*>(controls_[i]);
        if (!g || !g->Visible()) continue;
        TRect b = Bounds(o.X + g->Left(), o.Y + g->Top(), g->Width(), g->Height());
        TRect clip = IntersectRect(b, client);
        if (clip.IsEmpty()) continue;
        TCanvas& cc = *g->canvas_;
        cc.SetBitmap(&surface_);
        cc.SetOrigin(TPoint{b.Left, b.Top});
        cc.SetClipRect(Offset(clip, -b.Left, -b.Top));
        auto alive = g->AliveToken();
        try {
            g->Paint();
        } catch (const std::exception& e) {
            HandleControlException(e);
        }
        if (*alive) {
            cc.SetBitmap(&g->nowhere_);
            cc.SetOrigin(TPoint{});
        }
    }
}

void TWinControl::PaintTo(TCanvas& Target, int32_t X, int32_t Y)
{
    TSize ws = WindowSize();
    TRect whole = ::Rect(0, 0, ws.cx, ws.cy);
    if (WidgetKind() == TWidgetKind::Container || WidgetKind() == TWidgetKind::Form) {
        PaintHandler(whole);
        Target.CopyRect(Bounds(X, Y, ws.cx, ws.cy), surface_.Canvas(), whole);
    } else {
        TBitmap face(ws.cx, ws.cy);
        face.Canvas()->SetFont(Font());
        PaintFallback(*face.Canvas());
        Target.CopyRect(Bounds(X, Y, ws.cx, ws.cy), face.Canvas(), whole);
    }
    TPoint o = ClientOrigin();
    for (size_t i = 0; i < controls_.size(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(controls_[i]);
        if (!w || !w->Visible()) continue;
        // A child shows only within its parent's client area.
        TBitmap child(w->Width(), w->Height());
        w->PaintTo(*child.Canvas(), 0, 0);
        TRect dest = Bounds(X + o.X + w->Left(), Y + o.Y + w->Top(), w->Width(), w->Height());
        TRect clip = IntersectRect(dest, Bounds(X + o.X, Y + o.Y, ClientWidth(), ClientHeight()));
        if (clip.IsEmpty()) continue;
        Target.CopyRect(clip, child.Canvas(), Offset(clip, -dest.Left, -dest.Top));
    }
}

void TWinControl::InvalidateWindowRect(const TRect& R, bool Immediate)
{
    TSize ws = WindowSize();
    TRect r = IntersectRect(R, ::Rect(0, 0, ws.cx, ws.cy));
    if (r.IsEmpty()) return;
    if (handle_) {
        if (Immediate && !painting_) handle_->Repaint(r);
        else handle_->Invalidate(r);
        return;
    }
    // Without a window: an immediate repaint paints the surface now; a deferred one is
    // done by the next Update (or PaintTo).
    if (Immediate && !painting_) PaintHandler(r);
    else pending_ = Union(pending_, r);
}

void TWinControl::Invalidate()
{
    TSize ws = WindowSize();
    InvalidateWindowRect(::Rect(0, 0, ws.cx, ws.cy), false);
}

void TWinControl::Repaint()
{
    TSize ws = WindowSize();
    InvalidateWindowRect(::Rect(0, 0, ws.cx, ws.cy), true);
}

void TWinControl::Update()
{
    if (handle_) {
        handle_->ProcessPaint();
        return;
    }
    TRect r = pending_;
    pending_ = TRect{};
    if (!r.IsEmpty()) PaintHandler(r);
}

void TWinControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight)
{
    bool resized = AWidth != width_ || AHeight != height_;
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (resized && !Loading()) Realign();
}

void TWinControl::BoundsChanged() { UpdateHandleBounds(); }

void TWinControl::FontChanged()
{
    if (handle_) handle_->SetFont(*Font());
    for (TControl* c : std::vector<TControl*>(controls_)) c->ParentFontChanged();
    TControl::FontChanged();
}

void TWinControl::ColorChanged()
{
    if (handle_) handle_->SetColor(Color());
    for (TControl* c : std::vector<TControl*>(controls_)) c->ParentColorChanged();
    TControl::ColorChanged();
}

void TWinControl::EnabledChanged()
{
    if (handle_) handle_->SetEnabled(Enabled());
    TControl::EnabledChanged();
}

void TWinControl::VisibleChanged()
{
    if (handle_ && Parent()) handle_->SetVisible(Visible());
    TControl::VisibleChanged();
}

void TWinControl::TextChanged()
{
    if (handle_) handle_->SetText(Text());
}

void TWinControl::Realign()
{
    if (aligning_ || Loading()) return;
    aligning_ = true;
    try {
        AlignControls();
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::AlignControls()
{
    TRect r = AlignRect();
    auto place = [&](TAlign a) {
        for (TControl* c : std::vector<TControl*>(controls_)) {
            if (c->Align() != a || !c->Visible()) continue;
            int32_t w = c->Width(), h = c->Height();
            switch (a) {
            case alTop:
                c->SetBounds(r.Left, r.Top, r.Right - r.Left, h);
                r.Top += h;
                break;
            case alBottom:
                c->SetBounds(r.Left, r.Bottom - h, r.Right - r.Left, h);
                r.Bottom -= h;
                break;
            case alLeft:
                c->SetBounds(r.Left, r.Top, w, r.Bottom - r.Top);
                r.Left += w;
                break;
            case alRight:
                c->SetBounds(r.Right - w, r.Top, w, r.Bottom - r.Top);
                r.Right -= w;
                break;
            case alClient:
                c->SetBounds(r.Left, r.Top, std::max(0, r.Right - r.Left), std::max(0, r.Bottom - r.Top));
                break;
            default: break;
            }
        }
    };
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    // Tab orders were stored as read; make them a gap-free sequence in that order.
    std::vector<TWinControl*> list = TabList();
    for (size_t i = 0; i < list.size(); ++i) list[i]->tabOrder_ = int32_t(i);
    Realign();
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    for (TControl* c : controls_)
        if (c->Owner() == Root) Proc(c);
    if (this == Root) TComponent::GetChildren(Proc, Root);
}

bool TWinControl::DialogKey(uint16_t Key, TShiftState Shift)
{
    (void)Key;
    (void)Shift;
    return false;
}

void TWinControl::DispatchMouse(TMessage& Message)
{
    TPoint o = ClientOrigin();
    TPoint p{Message.X - o.X, Message.Y - o.Y};
    TControl* target = captured_;
    if (!target) {
        TControl* c = ControlAtPos(p);
        if (c && !dynamic_cast<TWinControl*>(c)) target = c;
    }
    if (target) {
        if (Message.Msg == WM_MOUSEDOWN || Message.Msg == WM_DBLCLICK) captured_ = target;
        if (Message.Msg == WM_MOUSEUP) captured_ = nullptr;
        TMessage m = Message;
        m.X = p.X - target->Left();
        m.Y = p.Y - target->Top();
        target->WndProc(m);
        return;
    }
    TMessage m = Message;
    m.X = p.X;
    m.Y = p.Y;
    TControl::WndProc(m);
}

void TWinControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT: PaintHandler(Message.Rect); return;
    case WM_MOUSEDOWN:
    case WM_MOUSEUP:
    case WM_MOUSEMOVE:
    case WM_DBLCLICK:
        if (WidgetKind() == TWidgetKind::Container || WidgetKind() == TWidgetKind::Form) DispatchMouse(Message);
        else TControl::WndProc(Message);
        return;
    case WM_KEYDOWN: {
        uint16_t key = Message.Key;
        CallEvent(OnKeyDown, this, key, Message.Shift);
        if (key == 0) Message.Result = 1;
        return;
    }
    case WM_CHAR: {
        char ch = Message.Char;
        CallEvent(OnKeyPress, this, ch);
        if (ch == 0) Message.Result = 1;
        return;
    }
    case WM_SETFOCUS:
        if (auto* f = ParentForm()) f->FocusMoved(this);
        CallEvent(OnEnter, this);
        return;
    case WM_KILLFOCUS:
        CallEvent(OnExit, this);
        return;
    default: TControl::WndProc(Message); return;
    }
}

// ------------------------------------------------------------------ TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomControl::PaintWindow(TCanvas& Canvas, const TRect& R)
{
    TWinControl::PaintWindow(Canvas, R);
    Canvas.SetFont(Font());
    Canvas.Brush()->SetColor(Color());
    Paint();
}

void TCustomControl::Paint() {}
