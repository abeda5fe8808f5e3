#include "platform/vcl/Dialogs.h"

#include <algorithm>
#include <iostream>
#include <memory>

#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/WidgetSet.h"

namespace {

// The box's picture.
class TBoxIcon : public TGraphicControl {
public:
    TBoxIcon(TComponent* AOwner, TSystemIcon Icon) : TGraphicControl(AOwner), icon_(Icon)
    {
        SetBounds(0, 0, 32, 32);
        SetControlStyle(ControlStyle() | csOpaque);
    }
    std::string ClassName() const override { return "TBoxIcon"; }

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->FillRect(ClientRect());
        DrawSystemIcon(*Canvas(), 0, 0, icon_);
    }

private:
    TSystemIcon icon_;
};

constexpr int kMargin = 12, kIconGap = 12, kButtonWidth = 75, kButtonHeight = 23, kButtonGap = 6;

}  // namespace

int ShowBox(const std::string& Text, const std::string& Caption, bool HasIcon, TSystemIcon Icon,
            const std::vector<TBoxButton>& Buttons, int Default, int Cancel)
{
    int fallback = Default >= 0 && Default < int(Buttons.size()) ? Buttons[size_t(Default)].Result : IDOK;
    if (!WidgetSet()) {
        std::cerr << Caption << ": " << Text << "\n";
        return fallback;
    }
    auto form = std::make_unique<TForm>(Application);
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons(BorderIcon(biSystemMenu));
    form->SetCaption(Caption);

    // Measure the text word-wrapped within half the screen.
    TCanvas& c = *form->Canvas();
    c.SetFont(form->Font());
    TRect tr = Rect(0, 0, std::max(64, Screen->Width() / 2), 0);
    c.DrawText(Text.empty() ? " " : Text, tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    int32_t tw = int32_t(tr.Width()), th = int32_t(tr.Height());

    int32_t textX = HasIcon ? kMargin + 32 + kIconGap : kMargin;
    int32_t textY = kMargin + (HasIcon && th < 32 ? (32 - th) / 2 : 0);
    int32_t contentBottom = std::max(HasIcon ? kMargin + 32 : 0, textY + th);
    int32_t n = int32_t(Buttons.size());
    int32_t rowWidth = n > 0 ? n * kButtonWidth + (n - 1) * kButtonGap : 0;
    int32_t clientW = std::max(textX + tw + kMargin, rowWidth + 2 * kMargin);
    int32_t buttonY = contentBottom + 14;
    int32_t clientH = buttonY + (n > 0 ? kButtonHeight : 0) + kMargin;
    form->SetClientSize(clientW, clientH);
    form->SetBounds((Screen->Width() - form->Width()) / 2, (Screen->Height() - form->Height()) / 2, form->Width(),
                    form->Height());

    if (HasIcon) {
        auto* icon = new TBoxIcon(form.get(), Icon);
        icon->SetBounds(kMargin, kMargin, 32, 32);
        icon->SetParent(form.get());
    }
    auto* label = new TLabel(form.get());
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetShowAccelChar(false);
    label->SetCaption(Text);
    label->SetBounds(textX, textY, tw, th);
    label->SetParent(form.get());

    int32_t x = (clientW - rowWidth) / 2;
    for (int i = 0; i < n; ++i) {
        auto* b = new TButton(form.get());
        b->SetCaption(Buttons[size_t(i)].Caption);
        b->SetModalResult(Buttons[size_t(i)].Result);
        b->SetDefault(i == Default);
        b->SetCancel(i == Cancel);
        b->SetBounds(x, buttonY, kButtonWidth, kButtonHeight);
        b->SetParent(form.get());
        if (i == Default) form->SetActiveControl(b);
        x += kButtonWidth + kButtonGap;
    }
    int result = form->ShowModal();
    if (result == mrCancel && Cancel >= 0) result = Buttons[size_t(Cancel)].Result;
    return result;
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags)
{
    std::vector<TBoxButton> buttons;
    switch (Flags & 0x0F) {
    case MB_OKCANCEL: buttons = {{"OK", IDOK}, {"Cancel", IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE: buttons = {{"&Abort", IDABORT}, {"&Retry", IDRETRY}, {"&Ignore", IDIGNORE}}; break;
    case MB_YESNOCANCEL: buttons = {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}}; break;
    case MB_YESNO: buttons = {{"&Yes", IDYES}, {"&No", IDNO}}; break;
    case MB_RETRYCANCEL: buttons = {{"&Retry", IDRETRY}, {"Cancel", IDCANCEL}}; break;
    default: buttons = {{"OK", IDOK}}; break;
    }
    int cancel = -1;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].Result == IDCANCEL) cancel = int(i);
    if (buttons.size() == 1) cancel = 0;
    bool hasIcon = true;
    TSystemIcon icon = TSystemIcon::Information;
    switch (Flags & 0xF0) {
    case MB_ICONSTOP: icon = TSystemIcon::Stop; break;
    case MB_ICONQUESTION: icon = TSystemIcon::Question; break;
    case MB_ICONEXCLAMATION: icon = TSystemIcon::Exclamation; break;
    case MB_ICONINFORMATION: icon = TSystemIcon::Information; break;
    default: hasIcon = false; break;
    }
    return ShowBox(Text, Caption, hasIcon, icon, buttons, 0, cancel);
}

std::vector<TBoxButton> MessageDialogButtons(TMsgDlgButtons Buttons)
{
    static const struct {
        TMsgDlgBtn Button;
        const char* Caption;
        int Result;
    } table[] = {{mbYes, "&Yes", mrYes},           {mbNo, "&No", mrNo},           {mbOK, "OK", mrOk},
                 {mbCancel, "Cancel", mrCancel},   {mbAbort, "&Abort", mrAbort},  {mbRetry, "&Retry", mrRetry},
                 {mbIgnore, "&Ignore", mrIgnore},  {mbAll, "&All", mrAll},        {mbNoToAll, "N&o to All", mrNoToAll},
                 {mbYesToAll, "Yes to &All", mrYesToAll}, {mbHelp, "&Help", 0}};
    std::vector<TBoxButton> out;
    for (const auto& row : table)
        if (Buttons & MsgDlgButton(row.Button)) out.push_back({row.Caption, row.Result});
    return out;
}

std::string MessageDialogCaption(TMsgDlgType Type)
{
    switch (Type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
    }
    return Application->Title();
}

int DefaultMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    (void)HelpCtx;
    std::vector<TBoxButton> list = MessageDialogButtons(Buttons & ~MsgDlgButton(mbHelp));
    auto find = [&](int result) {
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].Result == result) return int(i);
        return -1;
    };
    int def = find(mrOk);
    if (def < 0) def = find(mrYes);
    if (def < 0) def = find(mrRetry);
    if (def < 0 && !list.empty()) def = 0;
    int cancel = find(mrCancel);
    if (cancel < 0) cancel = find(mrNo);
    if (cancel < 0) cancel = find(mrOk);
    TSystemIcon icon = TSystemIcon::Information;
    bool hasIcon = DlgType != mtCustom;
    if (DlgType == mtWarning) icon = TSystemIcon::Exclamation;
    if (DlgType == mtError) icon = TSystemIcon::Stop;
    if (DlgType == mtConfirmation) icon = TSystemIcon::Question;
    return ShowBox(Msg, MessageDialogCaption(DlgType), hasIcon, icon, list, def, cancel);
}
