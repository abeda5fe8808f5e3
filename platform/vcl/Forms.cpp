#include "platform/vcl/Forms.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/classes/Resources.h"
#include "platform/vcl/WidgetSet.h"

namespace {

const TIdentTable BorderStyleIdents = {{bsNone, "bsNone"},         {bsSingle, "bsSingle"},
                                       {bsSizeable, "bsSizeable"}, {bsDialog, "bsDialog"},
                                       {bsToolWindow, "bsToolWindow"}, {bsSizeToolWin, "bsSizeToolWin"}};
const TIdentTable BorderIconIdents = {
    {biSystemMenu, "biSystemMenu"}, {biMinimize, "biMinimize"}, {biMaximize, "biMaximize"}, {biHelp, "biHelp"}};
const TIdentTable PositionIdents = {{poDesigned, "poDesigned"},
                                    {poDefault, "poDefault"},
                                    {poDefaultPosOnly, "poDefaultPosOnly"},
                                    {poDefaultSizeOnly, "poDefaultSizeOnly"},
                                    {poScreenCenter, "poScreenCenter"}};
const TIdentTable WindowStateIdents = {{wsNormal, "wsNormal"}, {wsMinimized, "wsMinimized"}, {wsMaximized, "wsMaximized"}};
const TIdentTable FormStyleIdents = {
    {fsNormal, "fsNormal"}, {fsMDIChild, "fsMDIChild"}, {fsMDIForm, "fsMDIForm"}, {fsStayOnTop, "fsStayOnTop"}};

// Classic frame metrics.
constexpr int kFixedFrame = 3, kSizeFrame = 4, kCaption = 19, kToolCaption = 16;

TScreen theScreen(nullptr);
TApplication theApplication(nullptr);

}  // namespace

TScreen* const Screen = &theScreen;
TApplication* const Application = &theApplication;

TModalHook& ActiveModalHook()
{
    static TModalHook hook;
    return hook;
}

TModalHook SetModalHook(TModalHook Hook)
{
    TModalHook old = std::move(ActiveModalHook());
    ActiveModalHook() = std::move(Hook);
    return old;
}

PUBLISHED_PROPERTIES(TCustomForm, TCustomControl)
{
    // A form keeps its place on the screen but stores its client size.
    P.Int("Width", PALLIMER_GETTER(Width), &TCustomForm::SetWidth).Stored([](const TPersistent&) { return false; });
    P.Int("Height", PALLIMER_GETTER(Height), &TCustomForm::SetHeight).Stored([](const TPersistent&) { return false; });
    P.Component("ActiveControl", PALLIMER_GETTER(ActiveControl), &TCustomForm::SetActiveControl);
    P.Set("BorderIcons", PALLIMER_GETTER(BorderIcons), &TCustomForm::SetBorderIcons, BorderIconIdents)
        .Default(BorderIcon(biSystemMenu) | BorderIcon(biMinimize) | BorderIcon(biMaximize));
    P.Enum("BorderStyle", PALLIMER_GETTER(BorderStyle), &TCustomForm::SetBorderStyle, BorderStyleIdents)
        .Default(bsSizeable);
    P.String("Caption", PALLIMER_GETTER(Caption), &TCustomForm::SetCaption);
    P.Int("ClientHeight", PALLIMER_GETTER(ClientHeight), &TCustomForm::SetClientHeight);
    P.Int("ClientWidth", PALLIMER_GETTER(ClientWidth), &TCustomForm::SetClientWidth);
    P.Color("Color", PALLIMER_GETTER(Color), &TCustomForm::SetColor).Default(clBtnFace);
    PublishInherited(P, {"Enabled", "Font"});
    P.Object("Font", [](const TCustomForm& f) { return f.Font(); });
    P.Enum("FormStyle", PALLIMER_GETTER(FormStyle), &TCustomForm::SetFormStyle, FormStyleIdents).Default(fsNormal);
    PUBLISH_INT(HelpContext, 0);
    P.Object("Icon", [](const TCustomForm& f) { return f.Icon(); });
    PUBLISH_BOOL(KeyPreview, false);
    PUBLISH_INT(PixelsPerInch, 96);
    P.Enum("Position", PALLIMER_GETTER(Position), &TCustomForm::SetPosition, PositionIdents).Default(poDesigned);
    P.Int("TextHeight", PALLIMER_GETTER(TextHeight), &TCustomForm::SetTextHeight).Default(13);
    PublishInherited(P, {"ParentFont", "ShowHint"});
    P.Bool("Visible", PALLIMER_GETTER(Visible), &TCustomForm::SetVisible).Default(false);
    P.Enum("WindowState", PALLIMER_GETTER(WindowState), &TCustomForm::SetWindowState, WindowStateIdents)
        .Default(wsNormal);
    PUBLISH_EVENT(OnActivate);
    PUBLISH_EVENT(OnClose);
    PUBLISH_EVENT(OnCloseQuery);
    PUBLISH_EVENT(OnCreate);
    PUBLISH_EVENT(OnDeactivate);
    PUBLISH_EVENT(OnDestroy);
    PUBLISH_EVENT(OnHide);
    PUBLISH_EVENT(OnPaint);
    PUBLISH_EVENT(OnShow);
    PublishInherited(P, {"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnKeyDown", "OnKeyPress",
                         "OnMouseDown", "OnMouseMove", "OnMouseUp"});
}

PUBLISHED_PROPERTIES(TIcon, TPersistent)
{
    P.Binary("Data", [](const TIcon& i) { return i.Bytes(); }, [](TIcon& i, const std::string& v) { i.LoadFromBytes(v); });
}

PUBLISHED_PROPERTIES(TForm, TCustomForm) {}

REGISTER_CLASS(TForm);

// ------------------------------------------------------------------ TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner), icon_(std::make_unique<TIcon>())
{
    visible_ = false;
    color_ = clBtnFace;
    parentFont_ = false;
    SetBounds(0, 0, 320, 240);
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    try {
        CallEvent(OnDestroy, this);
    } catch (const std::exception& e) {
        HandleControlException(e);
    }
    if (Application->MainForm() == this) Application->SetMainForm(nullptr);
    Screen->RemoveForm(this);
}

void TCustomForm::LoadFromResource()
{
    if (!ReadComponentResource(this)) {
        std::string name = ClassName();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::toupper(c)); });
        throw EResNotFound("Resource " + name + " not found");
    }
    CallEvent(OnCreate, this);
}

void TCustomForm::Loaded()
{
    TCustomControl::Loaded();
    if (storedClientWidth_ >= 0 || storedClientHeight_ >= 0) {
        int32_t w = storedClientWidth_ >= 0 ? storedClientWidth_ : ClientWidth();
        int32_t h = storedClientHeight_ >= 0 ? storedClientHeight_ : ClientHeight();
        storedClientWidth_ = storedClientHeight_ = -1;
        SetClientSize(w, h);
    }
}

TRect TCustomForm::FrameMetrics() const
{
    switch (borderStyle_) {
    case bsNone: return TRect{};
    case bsSingle:
    case bsDialog: return TRect{kFixedFrame, kFixedFrame + kCaption, kFixedFrame, kFixedFrame};
    case bsSizeable: return TRect{kSizeFrame, kSizeFrame + kCaption, kSizeFrame, kSizeFrame};
    case bsToolWindow: return TRect{kFixedFrame, kFixedFrame + kToolCaption, kFixedFrame, kFixedFrame};
    case bsSizeToolWin: return TRect{kSizeFrame, kSizeFrame + kToolCaption, kSizeFrame, kSizeFrame};
    }
    return TRect{};
}

int32_t TCustomForm::ClientWidth() const
{
    TRect f = FrameMetrics();
    return std::max(0, width_ - f.Left - f.Right);
}

int32_t TCustomForm::ClientHeight() const
{
    TRect f = FrameMetrics();
    return std::max(0, height_ - f.Top - f.Bottom);
}

void TCustomForm::SetClientSize(int32_t w, int32_t h)
{
    if (Loading()) {
        // The border style may still change: applied when loading ends.
        if (w != ClientWidth()) storedClientWidth_ = w;
        if (h != ClientHeight()) storedClientHeight_ = h;
        return;
    }
    TRect f = FrameMetrics();
    SetBounds(left_, top_, w + f.Left + f.Right, h + f.Top + f.Bottom);
}

TPoint TCustomForm::ClientScreenOrigin() const
{
    TRect f = FrameMetrics();
    return TPoint{left_ + f.Left, top_ + f.Top};
}

TRect TCustomForm::WindowBounds() const
{
    TPoint o = ClientScreenOrigin();
    return Bounds(o.X, o.Y, ClientWidth(), ClientHeight());
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v)
{
    if (v == borderStyle_) return;
    borderStyle_ = v;
    if (handle_) InitHandle();
}

void TCustomForm::SetBorderIcons(TBorderIcons v)
{
    if (v == borderIcons_) return;
    borderIcons_ = v;
    if (handle_) InitHandle();
}

void TCustomForm::SetWindowState(TWindowState v)
{
    if (v == windowState_) return;
    windowState_ = v;
    if (visible_ && !Loading()) ApplyPlacement();
}

void TCustomForm::InitHandle()
{
    TFormFrame frame;
    frame.Caption = borderStyle_ != bsNone;
    frame.Sizeable = borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin;
    frame.Dialog = borderStyle_ == bsDialog;
    bool sysMenu = (borderIcons_ & BorderIcon(biSystemMenu)) != 0;
    frame.CloseBox = sysMenu;
    frame.MinimizeBox = sysMenu && (borderIcons_ & BorderIcon(biMinimize)) && borderStyle_ != bsDialog;
    frame.MaximizeBox = sysMenu && (borderIcons_ & BorderIcon(biMaximize)) && frame.Sizeable;
    handle_->SetFrame(frame);
    handle_->SetIcon(icon_->Empty() ? nullptr : icon_.get());
    TCustomControl::InitHandle();
}

void TCustomForm::TextChanged()
{
    if (handle_) handle_->SetText(Text());
}

bool TCustomForm::Active() const { return Screen->ActiveForm() == this; }

void TCustomForm::SetActiveControl(TWinControl* v)
{
    if (v == activeControl_) return;
    if (v && !Loading()) {
        if (v->ParentForm() != this) throw EInvalidOperation("Invalid ActiveControl: not on this form");
    }
    if (v) v->FreeNotification(this);
    activeControl_ = v;
    if (v && Active() && !Loading() && v->CanFocus() && v->HandleAllocated() && !v->Focused()) v->Handle()->SetFocus();
}

void TCustomForm::ControlRemoved(TControl* C)
{
    if (activeControl_ == C) activeControl_ = nullptr;
}

void TCustomForm::FocusMoved(TWinControl* C) { activeControl_ = C; }

void TCustomForm::FocusFirst()
{
    TWinControl* target = activeControl_;
    if (!target || !target->CanFocus()) {
        target = nullptr;
        std::function<TWinControl*(const TWinControl*)> first = [&](const TWinControl* w) -> TWinControl* {
            for (TWinControl* c : w->TabList()) {
                if (!c->Visible() || !c->Enabled()) continue;
                if (c->TabStop() && c->WidgetKind() != TWidgetKind::Container) return c;
                if (TWinControl* inner = first(c)) return inner;
            }
            return nullptr;
        };
        target = first(this);
    }
    if (target) {
        activeControl_ = target;
        if (target->HandleAllocated()) target->Handle()->SetFocus();
    }
}

void TCustomForm::DoActivate()
{
    if (handle_) handle_->Activate();
    FocusFirst();
    CallEvent(OnActivate, this);
}

void TCustomForm::DoDeactivate()
{
    CallEvent(OnDeactivate, this);
}

void TCustomForm::ApplyPlacement()
{
    if (windowState_ == wsMaximized) {
        // Without a window manager nobody maximises for us: take the screen's geometry.
        // The frame lies outside the screen, the title bar stays on it.
        TRect f = FrameMetrics();
        int32_t w = Screen->Width(), h = Screen->Height();
        SetBounds(-f.Left, -f.Left, w + f.Left + f.Right, h + f.Left + f.Bottom);
        return;
    }
    if (position_ == poScreenCenter && !placed_) {
        SetBounds((Screen->Width() - width_) / 2, (Screen->Height() - height_) / 2, width_, height_);
    }
}

void TCustomForm::SetVisible(bool v)
{
    if (Loading()) {
        visible_ = v;
        return;
    }
    if (v == visible_) {
        if (v) BringFormToFront();
        return;
    }
    if (v) ShowWindow();
    else HideWindow();
}

void TCustomForm::ShowWindow()
{
    if (showing_) return;
    showing_ = true;
    auto alive = AliveToken();
    try {
        visible_ = true;
        DoShow();
        if (!*alive) return;
        if (!visible_) {
            showing_ = false;
            return;  // hidden again by OnShow
        }
        ApplyPlacement();
        placed_ = true;
        Screen->RaiseForm(this);
        if (WidgetSet()) {
            TWidgetHandle* h = Handle();
            // A form shown over another one stays above it.
            TCustomForm* below = nullptr;
            for (TCustomForm* f : Screen->WindowOrder())
                if (f != this) below = f;
            h->SetTransientParent(below && below->HandleAllocated() ? below->Handle() : nullptr);
            h->SetModal(modal_);
            UpdateTabChain();
            h->ShowAndWaitExposed();
        }
        if (!*alive) return;
        showing_ = false;
        Screen->SetActiveForm(this);
    } catch (...) {
        if (*alive) showing_ = false;
        throw;
    }
}

void TCustomForm::HideWindow()
{
    auto alive = AliveToken();
    visible_ = false;
    DoHide();
    if (!*alive) return;
    if (handle_) handle_->SetVisible(false);
    bool wasActive = Active();
    Screen->LowerForm(this);
    if (wasActive) {
        Screen->SetActiveForm(nullptr);
        if (!modal_) {
            // Give activation to the topmost form still shown, from the event loop.
            std::vector<TCustomForm*> order = Screen->WindowOrder();
            if (!order.empty() && WidgetSet()) {
                TCustomForm* next = order.back();
                auto nextAlive = next->AliveToken();
                WidgetSet()->Post([next, nextAlive] {
                    if (*nextAlive && next->Visible() && !Application->Terminated() && !Screen->ActiveForm())
                        Screen->SetActiveForm(next);
                });
            }
        }
    }
}

void TCustomForm::DoShow()
{
    CallEvent(OnShow, this);
}

void TCustomForm::DoHide()
{
    CallEvent(OnHide, this);
}

void TCustomForm::DoClose(TCloseAction& Action)
{
    CallEvent(OnClose, this, Action);
}

bool TCustomForm::CloseQuery()
{
    bool can = true;
    CallEvent(OnCloseQuery, this, can);
    return can;
}

void TCustomForm::Close()
{
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    auto alive = AliveToken();
    DoClose(action);
    if (!*alive || action == caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        SetWindowState(wsMinimized);
    } else {
        Release();
    }
}

void TCustomForm::CloseModal()
{
    auto alive = AliveToken();
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        if (!*alive) return;
        if (action == caNone) modalResult_ = 0;
        else if (action == caFree) Release();
    } catch (const std::exception& e) {
        if (*alive) modalResult_ = 0;
        Application->HandleException(e);
    }
}

void TCustomForm::SetModalResult(TModalResult v)
{
    modalResult_ = v;
    if (modal_ && v != 0 && WidgetSet()) WidgetSet()->WakeLoops();
}

TModalResult TCustomForm::ShowModal()
{
    if (visible_ || modal_ || !Enabled()) throw EInvalidOperation("Cannot make a visible window modal");
    TWidgetSet* ws = WidgetSet();
    if (!ws) throw EInvalidOperation("Cannot show a modal window without a window system");
    TCustomForm* previous = Screen->ActiveForm();
    auto previousAlive = previous ? previous->AliveToken() : nullptr;
    auto alive = AliveToken();
    modal_ = true;
    modalResult_ = 0;
    TModalResult result = mrCancel;
    try {
        Show();
        if (*alive) Application->ModalStarted(this);
        while (*alive) {
            if (Application->Terminated()) {
                modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != 0) {
                CloseModal();
                if (!*alive || modalResult_ != 0) break;
            }
            ws->RunLoop([&] { return !*alive || Application->Terminated() || modalResult_ != 0; });
        }
        if (*alive) result = modalResult_;
    } catch (...) {
        if (*alive) {
            modal_ = false;
            if (visible_) Hide();
        }
        throw;
    }
    if (*alive) {
        Hide();
        modal_ = false;
        if (handle_) handle_->SetModal(false);
    }
    // The form beneath becomes active again, unless it has gone or the application ends.
    if (previous && previous != this) {
        ws->Post([previous, previousAlive] {
            if (*previousAlive && previous->Visible() && !Application->Terminated() &&
                Screen->ActiveForm() != previous)
                Screen->SetActiveForm(previous);
        });
    }
    return result;
}

void TCustomForm::Release()
{
    auto alive = AliveToken();
    if (TWidgetSet* ws = WidgetSet()) {
        ws->Post([this, alive] {
            if (*alive) delete this;
        });
    } else {
        delete this;
    }
}

void TCustomForm::BringFormToFront()
{
    Screen->RaiseForm(this);
    if (handle_) handle_->Raise();
}

void TCustomForm::Paint()
{
    CallEvent(OnPaint, this);
}

void TCustomForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CLOSE: Close(); return;
    case WM_ACTIVATE:
        // The user activated this window; honoured unless a modal form runs.
        if (Message.Param && visible_ && !Application->Terminated() &&
            (!Screen->ActiveForm() || !Screen->ActiveForm()->Modal()))
            Screen->SetActiveForm(this);
        return;
    case WM_KEYDOWN: {
        TCustomControl::WndProc(Message);
        if (Message.Result) return;
        // Enter and Escape press the default and the cancel button.
        std::function<bool(TWinControl*)> broadcast = [&](TWinControl* w) {
            for (int i = 0; i < w->ControlCount(); ++i) {
                auto* c = dynamic_cast<TWinControl*>(w->Controls(i));
                if (!c || !c->Visible()) continue;
                if (c->DialogKey(Message.Key, Message.Shift)) return true;
                if (broadcast(c)) return true;
            }
            return false;
        };
        if (broadcast(this)) Message.Result = 1;
        return;
    }
    case WM_SIZE:
        if (Message.X != ClientWidth() || Message.Y != ClientHeight()) {
            TRect f = FrameMetrics();
            TControl::SetBounds(left_, top_, Message.X + f.Left + f.Right, Message.Y + f.Top + f.Bottom);
            Realign();
        }
        return;
    case WM_MOVE: {
        TRect f = FrameMetrics();
        left_ = Message.X - f.Left;
        top_ = Message.Y - f.Top;
        return;
    }
    default: TCustomControl::WndProc(Message); return;
    }
}

// ------------------------------------------------------------------ TScreen

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

int32_t TScreen::Width() const
{
    if (TWidgetSet* ws = WidgetSet()) return ws->ScreenSize().cx;
    return headlessWidth_;
}

int32_t TScreen::Height() const
{
    if (TWidgetSet* ws = WidgetSet()) return ws->ScreenSize().cy;
    return headlessHeight_;
}

void TScreen::SetHeadlessSize(int32_t Width, int32_t Height)
{
    headlessWidth_ = Width;
    headlessHeight_ = Height;
}

std::vector<TCustomForm*> TScreen::WindowOrder() const { return order_; }

void TScreen::AddForm(TCustomForm* F) { forms_.push_back(F); }

void TScreen::RemoveForm(TCustomForm* F)
{
    forms_.erase(std::remove(forms_.begin(), forms_.end(), F), forms_.end());
    order_.erase(std::remove(order_.begin(), order_.end(), F), order_.end());
    if (activeForm_ == F) activeForm_ = nullptr;
}

void TScreen::RaiseForm(TCustomForm* F)
{
    order_.erase(std::remove(order_.begin(), order_.end(), F), order_.end());
    order_.push_back(F);
}

void TScreen::LowerForm(TCustomForm* F)
{
    order_.erase(std::remove(order_.begin(), order_.end(), F), order_.end());
}

void TScreen::SetActiveForm(TCustomForm* Form)
{
    if (Form == activeForm_) return;
    TCustomForm* old = activeForm_;
    activeForm_ = Form;
    if (old) {
        old->DoDeactivate();
        if (activeForm_ != Form) return;  // the handler moved activation on
    }
    if (Form) Form->DoActivate();
}
