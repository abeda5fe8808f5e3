// Standard controls: label, button, check box, edit, memo, group box.
#pragma once

#include <memory>

#include "platform/classes/Strings.h"
#include "platform/vcl/Controls.h"

enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

// A windowless text. AutoSize (on by default) sizes the label to its text after every
// change of caption or font, keeping the width when WordWrap is on. A transparent label
// draws only its text.
class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* AOwner);
    std::string ClassName() const override { return "TCustomLabel"; }

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* v) { focusControl_ = v; }

    void Notification(TComponent* AComponent, bool Removing) override;

protected:
    void Paint() override;
    void TextChanged() override;
    void AdjustSize() override;
    // Draws (or with DT_CALCRECT measures) the caption in R on the control's canvas.
    void DoDrawText(TRect& R, uint32_t Flags);

private:
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TTextLayout layout_ = tlTop;
    TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
    std::string ClassName() const override { return "TLabel"; }
};

// A push button. Pressing it sets its form's ModalResult to its own (when not 0) before
// OnClick runs. The default button answers Enter, the cancel button Escape.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);
    std::string ClassName() const override { return "TButton"; }

    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    int32_t ModalResult() const { return modalResult_; }
    void SetModalResult(int32_t v) { modalResult_ = v; }

    void Click() override;
    void WndProc(TMessage& Message) override;
    TWidgetKind WidgetKind() const override { return TWidgetKind::Button; }
    bool DialogKey(uint16_t Key, TShiftState Shift) override;

protected:
    void InitHandle() override;
    void PaintFallback(TCanvas& Canvas) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    int32_t modalResult_ = 0;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* AOwner);
    std::string ClassName() const override { return "TCheckBox"; }

    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    // A change fires OnClick, as a click by the user does.
    void SetState(TCheckBoxState v);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v) { allowGrayed_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v) { alignment_ = v; }

    void WndProc(TMessage& Message) override;
    TWidgetKind WidgetKind() const override { return TWidgetKind::CheckBox; }

protected:
    void InitHandle() override;
    void PaintFallback(TCanvas& Canvas) override;

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* AOwner);
    std::string ClassName() const override { return "TCustomEdit"; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(int32_t v);
    TNotifyEvent OnChange;
    void WndProc(TMessage& Message) override;

protected:
    void InitHandle() override;
    void TextChanged() override;
    virtual void Change();
    // The text the user typed (no echo back to the window).
    virtual void TextFromWindow(const std::string& Text);

private:
    bool readOnly_ = false;
    int32_t maxLength_ = 0;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* AOwner);
    std::string ClassName() const override { return "TEdit"; }
    TWidgetKind WidgetKind() const override { return TWidgetKind::Edit; }

protected:
    void PaintFallback(TCanvas& Canvas) override;
};

// A multi-line edit. Lines and Text are the same content (Text joins the lines with
// CR LF); changes to Lines show at once.
class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    std::string ClassName() const override { return "TMemo"; }
    TStrings* Lines() const { return lines_.get(); }
    void SetLines(const TStrings* v) { lines_->Assign(v); }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool v);
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v) { alignment_ = v; }
    TWidgetKind WidgetKind() const override { return TWidgetKind::Memo; }
    // Lines read from a stream (or changed inside BeginUpdate/EndUpdate) are taken over.
    void Loaded() override;

protected:
    void InitHandle() override;
    void TextChanged() override;
    void TextFromWindow(const std::string& Text) override;
    void PaintFallback(TCanvas& Canvas) override;

private:
    void LinesChanged();
    std::unique_ptr<TStringList> lines_;
    bool syncing_ = false;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    TAlignment alignment_ = taLeftJustify;
};

// A frame with a caption that groups controls; they are positioned within the box.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* AOwner);
    std::string ClassName() const override { return "TGroupBox"; }

protected:
    void Paint() override;
    void TextChanged() override { Invalidate(); }
};
