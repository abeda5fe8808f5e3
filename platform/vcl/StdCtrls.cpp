#include "platform/vcl/StdCtrls.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/vcl/DrawUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WidgetSet.h"

namespace {

const TIdentTable AlignmentIdents = {
    {taLeftJustify, "taLeftJustify"}, {taRightJustify, "taRightJustify"}, {taCenter, "taCenter"}};
const TIdentTable LayoutIdents = {{tlTop, "tlTop"}, {tlCenter, "tlCenter"}, {tlBottom, "tlBottom"}};
const TIdentTable ScrollStyleIdents = {
    {ssNone, "ssNone"}, {ssHorizontal, "ssHorizontal"}, {ssVertical, "ssVertical"}, {ssBoth, "ssBoth"}};
const TIdentTable CheckBoxStateIdents = {{cbUnchecked, "cbUnchecked"}, {cbChecked, "cbChecked"}, {cbGrayed, "cbGrayed"}};

// Modal results by the names stored forms use.
const bool modalResultNames = [] {
    static const TIdentTable names = {{0, "mrNone"},   {1, "mrOk"},      {2, "mrCancel"}, {3, "mrAbort"},
                                      {4, "mrRetry"},  {5, "mrIgnore"},  {6, "mrYes"},    {7, "mrNo"},
                                      {8, "mrAll"},    {9, "mrNoToAll"}, {10, "mrYesToAll"}};
    RegisterIdentTable("TModalResult", names);
    return true;
}();

}  // namespace

PUBLISHED_PROPERTIES(TCustomLabel, TGraphicControl) {}
PUBLISHED_PROPERTIES(TLabel, TCustomLabel)
{
    PublishInherited(P, {"Align"});
    P.Enum("Alignment", PALLIMER_GETTER(Alignment), &TLabel::SetAlignment, AlignmentIdents).Default(taLeftJustify);
    PUBLISH_BOOL(AutoSize, true);
    P.String("Caption", PALLIMER_GETTER(Caption), &TLabel::SetCaption);
    PublishInherited(P, {"Color", "DragCursor", "DragMode", "Enabled"});
    PUBLISH_COMPONENT(FocusControl);
    PublishInherited(P, {"Font"});
    P.Bool("ParentColor", PALLIMER_GETTER(ParentColor), &TLabel::SetParentColor).Default(true);
    PublishInherited(P, {"ParentFont", "ParentShowHint", "PopupMenu"});
    PUBLISH_BOOL(ShowAccelChar, true);
    PublishInherited(P, {"ShowHint"});
    PUBLISH_BOOL(Transparent, false);
    P.Enum("Layout", PALLIMER_GETTER(Layout), &TLabel::SetLayout, LayoutIdents).Default(tlTop);
    PublishInherited(P, {"Visible"});
    PUBLISH_BOOL(WordWrap, false);
    PublishInherited(P, {PALLIMER_MOUSE_EVENTS});
}

PUBLISHED_PROPERTIES(TButton, TWinControl)
{
    PUBLISH_BOOL(Cancel, false);
    P.String("Caption", PALLIMER_GETTER(Caption), &TButton::SetCaption);
    PUBLISH_BOOL(Default, false);
    PublishInherited(P, {"DragCursor", "DragMode", "Enabled", "Font"});
    P.IdentInt("ModalResult", "TModalResult", PALLIMER_GETTER(ModalResult), &TButton::SetModalResult).Default(0);
    PublishInherited(P, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder"});
    PUBLISH_BOOL(TabStop, true);
    PublishInherited(P, {"Visible", "OnClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnKeyDown", "OnKeyPress", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

PUBLISHED_PROPERTIES(TCheckBox, TWinControl)
{
    P.Enum("Alignment", PALLIMER_GETTER(Alignment), &TCheckBox::SetAlignment, AlignmentIdents).Default(taRightJustify);
    PUBLISH_BOOL(AllowGrayed, false);
    P.String("Caption", PALLIMER_GETTER(Caption), &TCheckBox::SetCaption);
    P.Bool("Checked", PALLIMER_GETTER(Checked), &TCheckBox::SetChecked).Stored([](const TPersistent&) { return false; });
    PublishInherited(P, {"Color", "DragCursor", "DragMode", "Enabled", "Font"});
    P.Bool("ParentColor", PALLIMER_GETTER(ParentColor), &TCheckBox::SetParentColor).Default(true);
    PublishInherited(P, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"});
    P.Enum("State", PALLIMER_GETTER(State), &TCheckBox::SetState, CheckBoxStateIdents).Default(cbUnchecked);
    PublishInherited(P, {"TabOrder"});
    PUBLISH_BOOL(TabStop, true);
    PublishInherited(P, {"Visible", "OnClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnKeyDown", "OnKeyPress", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

PUBLISHED_PROPERTIES(TCustomEdit, TWinControl) {}

PUBLISHED_PROPERTIES(TEdit, TCustomEdit)
{
    PublishInherited(P, {"Color"});
    P.Color("Color", PALLIMER_GETTER(Color), &TEdit::SetColor).Default(clWindow);
    PublishInherited(P, {"DragCursor", "DragMode", "Enabled", "Font"});
    PUBLISH_INT(MaxLength, 0);
    PublishInherited(P, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"});
    PUBLISH_BOOL(ReadOnly, false);
    PublishInherited(P, {"ShowHint", "TabOrder"});
    PUBLISH_BOOL(TabStop, true);
    P.String("Text", PALLIMER_GETTER(Text), &TEdit::SetText);
    PublishInherited(P, {"Visible"});
    PublishEventField(P, "OnChange", &TCustomEdit::OnChange);
    PublishInherited(P, {"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnKeyDown", "OnKeyPress", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

PUBLISHED_PROPERTIES(TMemo, TCustomEdit)
{
    PublishInherited(P, {"Align"});
    P.Enum("Alignment", PALLIMER_GETTER(Alignment), &TMemo::SetAlignment, AlignmentIdents).Default(taLeftJustify);
    P.Color("Color", PALLIMER_GETTER(Color), &TMemo::SetColor).Default(clWindow);
    PublishInherited(P, {"DragCursor", "DragMode", "Enabled", "Font"});
    PUBLISH_STRINGS(Lines);
    PUBLISH_INT(MaxLength, 0);
    PublishInherited(P, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"});
    PUBLISH_BOOL(ReadOnly, false);
    P.Enum("ScrollBars", PALLIMER_GETTER(ScrollBars), &TMemo::SetScrollBars, ScrollStyleIdents).Default(ssNone);
    PublishInherited(P, {"ShowHint", "TabOrder"});
    PUBLISH_BOOL(TabStop, true);
    PublishInherited(P, {"Visible"});
    PUBLISH_BOOL(WantReturns, true);
    PUBLISH_BOOL(WantTabs, false);
    PUBLISH_BOOL(WordWrap, true);
    PublishEventField(P, "OnChange", &TCustomEdit::OnChange);
    PublishInherited(P, {"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnKeyDown", "OnKeyPress", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

PUBLISHED_PROPERTIES(TGroupBox, TCustomControl)
{
    PublishInherited(P, {"Align"});
    P.String("Caption", PALLIMER_GETTER(Caption), &TGroupBox::SetCaption);
    PublishInherited(P, {"Color", "DragCursor", "DragMode", "Enabled", "Font"});
    P.Bool("ParentColor", PALLIMER_GETTER(ParentColor), &TGroupBox::SetParentColor).Default(true);
    PublishInherited(P, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible",
                         "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

REGISTER_CLASS(TLabel);
REGISTER_CLASS(TButton);
REGISTER_CLASS(TCheckBox);
REGISTER_CLASS(TEdit);
REGISTER_CLASS(TMemo);
REGISTER_CLASS(TGroupBox);

// ------------------------------------------------------------------ TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    parentColor_ = true;
    color_ = clBtnFace;
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment v)
{
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool v)
{
    if (v == autoSize_) return;
    autoSize_ = v;
    AdjustSize();
}

void TCustomLabel::SetWordWrap(bool v)
{
    if (v == wordWrap_) return;
    wordWrap_ = v;
    AdjustSize();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool v)
{
    if (v == transparent_) return;
    transparent_ = v;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v)
{
    if (v == showAccelChar_) return;
    showAccelChar_ = v;
    AdjustSize();
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v)
{
    if (v == layout_) return;
    layout_ = v;
    Invalidate();
}

void TCustomLabel::Notification(TComponent* AComponent, bool Removing)
{
    TGraphicControl::Notification(AComponent, Removing);
    if (Removing && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::TextChanged()
{
    AdjustSize();
    Invalidate();
}

void TCustomLabel::DoDrawText(TRect& R, uint32_t Flags)
{
    TCanvas& c = *Canvas();
    std::string text = Caption();
    bool calc = (Flags & DT_CALCRECT) != 0;
    // An empty caption still measures as one blank line.
    if (calc && (text.empty() || (showAccelChar_ && text == "&"))) text += " ";
    Flags |= DT_EXPANDTABS;
    if (wordWrap_) Flags |= DT_WORDBREAK;
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    c.SetFont(Font());
    if (!calc && !Enabled()) {
        DrawDisabledText(c, text, R, Flags);
        return;
    }
    c.DrawText(text, R, Flags);
}

void TCustomLabel::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(Color());
        c.FillRect(r);
    }
    c.Brush()->SetStyle(bsClear);
    uint32_t align = alignment_ == taRightJustify ? DT_RIGHT : alignment_ == taCenter ? DT_CENTER : DT_LEFT;
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(calc, DT_CALCRECT | align);
        int32_t h = int32_t(calc.Height());
        int32_t dy = layout_ == tlBottom ? int32_t(r.Height()) - h : (int32_t(r.Height()) - h) / 2;
        r.Top += dy;
    }
    DoDrawText(r, align);
    c.Brush()->SetStyle(bsSolid);
}

void TCustomLabel::AdjustSize()
{
    if (!autoSize_ || Loading()) return;
    TRect r = ClientRect();
    DoDrawText(r, DT_CALCRECT);
    int32_t x = Left();
    if (alignment_ == taRightJustify) x += Width() - r.Right;
    SetBounds(x, Top(), r.Right, r.Bottom);
}

// ------------------------------------------------------------------ TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner)
{
    color_ = clBtnFace;
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool v)
{
    if (v == default_) return;
    default_ = v;
    if (handle_) handle_->SetDefault(v);
}

void TButton::InitHandle()
{
    TWinControl::InitHandle();
    handle_->SetDefault(default_);
}

void TButton::Click()
{
    // The dialog's result is set first, so it closes with it even when OnClick fails.
    if (TCustomForm* f = ParentForm()) f->SetModalResult(modalResult_);
    TWinControl::Click();
}

void TButton::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_CLICKED) {
        Click();
        return;
    }
    TWinControl::WndProc(Message);
}

bool TButton::DialogKey(uint16_t Key, TShiftState Shift)
{
    (void)Shift;
    if (((Key == VK_RETURN && default_) || (Key == VK_ESCAPE && cancel_)) && CanFocus()) {
        Click();
        return true;
    }
    return false;
}

void TButton::PaintFallback(TCanvas& Canvas)
{
    DrawButtonFace(Canvas, Rect(0, 0, Width(), Height()), Caption(), false, default_, Enabled(), false);
}

// ------------------------------------------------------------------ TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner)
{
    parentColor_ = true;
    color_ = clBtnFace;
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::InitHandle()
{
    TWinControl::InitHandle();
    handle_->SetChecked(int(state_));
}

void TCheckBox::SetState(TCheckBoxState v)
{
    if (v == state_) return;
    state_ = v;
    if (handle_) handle_->SetChecked(int(v));
    if (!Loading()) Click();
}

void TCheckBox::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_CHECKED) {
        TCheckBoxState s = Message.Param == 1 ? cbChecked : Message.Param == 2 ? cbGrayed : cbUnchecked;
        if (s == cbGrayed && !allowGrayed_) s = cbUnchecked;
        state_ = s;
        Click();
        return;
    }
    TWinControl::WndProc(Message);
}

void TCheckBox::PaintFallback(TCanvas& Canvas)
{
    Canvas.Brush()->SetColor(Color());
    Canvas.FillRect(Rect(0, 0, Width(), Height()));
    int32_t top = (Height() - 13) / 2;
    TRect box = Bounds(0, top, 13, 13);
    DrawSunkenEdge(Canvas, box);
    Canvas.Brush()->SetColor(Enabled() ? clWindow : clBtnFace);
    Canvas.FillRect(box);
    if (state_ != cbUnchecked) {
        // The classic tick: seven columns, three pixels high.
        TColor ink = state_ == cbGrayed || !Enabled() ? clBtnShadow : clWindowText;
        static const int ys[7] = {2, 3, 4, 3, 2, 1, 0};
        for (int i = 0; i < 7; ++i)
            for (int k = 0; k < 3; ++k) Canvas.SetPixel(box.Left + 1 + i, box.Top + 2 + ys[i] + k, ink);
    }
    TRect text = Rect(17, 0, Width(), Height());
    uint32_t fmt = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    if (Enabled()) {
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.DrawText(Caption(), text, fmt);
        Canvas.Brush()->SetStyle(bsSolid);
    } else {
        DrawDisabledText(Canvas, Caption(), text, fmt);
    }
}

// ------------------------------------------------------------------ TCustomEdit, TEdit, TMemo

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    color_ = clWindow;
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::SetReadOnly(bool v)
{
    readOnly_ = v;
    if (handle_) handle_->SetReadOnly(v);
}

void TCustomEdit::SetMaxLength(int32_t v)
{
    maxLength_ = v;
    if (handle_) handle_->SetMaxLength(v);
}

void TCustomEdit::InitHandle()
{
    TWinControl::InitHandle();
    handle_->SetReadOnly(readOnly_);
    handle_->SetMaxLength(maxLength_);
}

void TCustomEdit::TextChanged()
{
    TWinControl::TextChanged();
    Change();
}

void TCustomEdit::Change()
{
    if (!Loading()) CallEvent(OnChange, this);
}

void TCustomEdit::TextFromWindow(const std::string& Text)
{
    text_ = Text;
    Change();
}

void TCustomEdit::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_CHANGE) {
        TextFromWindow(Message.Text);
        return;
    }
    TWinControl::WndProc(Message);
}

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TEdit::PaintFallback(TCanvas& Canvas)
{
    TRect r = Rect(0, 0, Width(), Height());
    DrawSunkenEdge(Canvas, r);
    Canvas.Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    Canvas.FillRect(r);
    Canvas.Brush()->SetStyle(bsClear);
    TRect t = Rect(r.Left + 1, r.Top, r.Right - 1, r.Bottom);
    Canvas.DrawText(Text(), t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    Canvas.Brush()->SetStyle(bsSolid);
}

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(std::make_unique<TStringList>())
{
    SetBounds(0, 0, 185, 89);
    lines_->OnChange = [this](TObject*) { LinesChanged(); };
}

TMemo::~TMemo() { lines_->OnChange = nullptr; }

namespace {
// The window shows the lines without the line end after the last one.
std::string WindowText(const std::string& linesText)
{
    if (linesText.size() >= 2 && linesText.compare(linesText.size() - 2, 2, "\r\n") == 0)
        return linesText.substr(0, linesText.size() - 2);
    return linesText;
}
}  // namespace

void TMemo::LinesChanged()
{
    if (syncing_) return;
    text_ = WindowText(lines_->Text());
    if (handle_) handle_->SetText(text_);
    Change();
}

void TMemo::Loaded()
{
    TCustomEdit::Loaded();
    text_ = WindowText(lines_->Text());
    if (handle_) handle_->SetText(text_);
}

void TMemo::TextChanged()
{
    syncing_ = true;
    lines_->SetText(text_);
    syncing_ = false;
    TCustomEdit::TextChanged();
}

void TMemo::TextFromWindow(const std::string& Text)
{
    syncing_ = true;
    lines_->SetText(Text);
    syncing_ = false;
    text_ = Text;
    Change();
}

void TMemo::InitHandle()
{
    text_ = WindowText(lines_->Text());
    TCustomEdit::InitHandle();
    handle_->SetScrollBars(scrollBars_ == ssHorizontal || scrollBars_ == ssBoth,
                           scrollBars_ == ssVertical || scrollBars_ == ssBoth);
    handle_->SetWordWrap(wordWrap_);
    handle_->SetWantReturns(wantReturns_);
}

void TMemo::SetScrollBars(TScrollStyle v)
{
    scrollBars_ = v;
    if (handle_) handle_->SetScrollBars(v == ssHorizontal || v == ssBoth, v == ssVertical || v == ssBoth);
}

void TMemo::SetWordWrap(bool v)
{
    wordWrap_ = v;
    if (handle_) handle_->SetWordWrap(v);
}

void TMemo::SetWantReturns(bool v)
{
    wantReturns_ = v;
    if (handle_) handle_->SetWantReturns(v);
}

void TMemo::PaintFallback(TCanvas& Canvas)
{
    TRect r = Rect(0, 0, Width(), Height());
    DrawSunkenEdge(Canvas, r);
    Canvas.Brush()->SetColor(Color());
    Canvas.FillRect(r);
    bool vscroll = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    TRect text = Rect(r.Left + 2, r.Top + 1, r.Right - (vscroll ? 16 : 0) - 1, r.Bottom);
    Canvas.Brush()->SetStyle(bsClear);
    int32_t lineHeight = Canvas.TextHeight("Wg");
    int32_t y = text.Top;
    for (int i = 0; i < lines_->Count() && y < text.Bottom; ++i) {
        TRect line = Rect(text.Left, y, text.Right, text.Bottom);
        y += Canvas.DrawText(lines_->Get(i).empty() ? " " : lines_->Get(i), line,
                             DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0));
        if (lineHeight <= 0) break;
    }
    Canvas.Brush()->SetStyle(bsSolid);
    if (vscroll) {
        // A scroll bar: two arrow buttons and the track between them.
        TRect bar = Rect(r.Right - 16, r.Top, r.Right, r.Bottom);
        Canvas.Brush()->SetColor(clScrollBar);
        Canvas.FillRect(bar);
        for (int k = 0; k < 2; ++k) {
            TRect b = k == 0 ? Bounds(bar.Left, bar.Top, 16, 16) : Bounds(bar.Left, bar.Bottom - 16, 16, 16);
            DrawButtonFace(Canvas, b, "", false, false, true, false);
            Canvas.Brush()->SetColor(clBtnText);
            for (int row = 0; row < 4; ++row) {
                int yy = k == 0 ? b.Top + 6 + row : b.Top + 9 - row;
                Canvas.FillRect(Rect(b.Left + 7 - row, yy, b.Left + 8 + row, yy + 1));
            }
        }
    }
}

// ------------------------------------------------------------------ TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    parentColor_ = true;
    color_ = clBtnFace;
    SetControlStyle(ControlStyle() | csAcceptsControls);
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::Paint()
{
    TCanvas& c = *Canvas();
    c.SetFont(Font());
    int32_t h = c.TextHeight("0");
    DrawEtchedFrame(c, Rect(0, h / 2 - 1, Width(), Height()));
    if (Caption().empty()) return;
    TRect r = Rect(8, 0, 0, h);
    c.DrawText(Caption(), r, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(r);
    c.Brush()->SetStyle(bsClear);
    if (Enabled()) c.DrawText(Caption(), r, DT_LEFT | DT_SINGLELINE);
    else DrawDisabledText(c, Caption(), r, DT_LEFT | DT_SINGLELINE);
    c.Brush()->SetStyle(bsSolid);
}
