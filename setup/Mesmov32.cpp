#include "setup/Mesmov32.h"

#include <memory>

#include "platform/classes/Resources.h"
#include "platform/graphics/BmpFile.h"
#include "platform/vcl/StdCtrls.h"
#include "presentation/Nyanimat.h"

namespace {

struct TypeInfo {
    const char* Caption;   // null: the application title
    const char* Resource;  // null: no picture
    int Frames;
    bool Reverse;
    int Interval;
};

const TypeInfo kTypes[] = {
    {"Warning", "EXCLAM", 7, true, 100},
    {"Error", "ERROR", 8, false, 75},
    {"Information", "INFORM", 6, false, 150},
    {"Confirm", "INTERR", 5, false, 175},
    {nullptr, nullptr, 0, false, 0},
};

struct ButtonInfo {
    TMsgDlgBtn Button;
    const char* Name;
    const char* Caption;
    int Result;
};

const ButtonInfo kButtons[] = {
    {mbYes, "Yes", "&Yes", mrYes},           {mbNo, "No", "&No", mrNo},
    {mbOK, "OK", "OK", mrOk},                {mbCancel, "Cancel", "Cancel", mrCancel},
    {mbAbort, "Abort", "&Abort", mrAbort},   {mbRetry, "Retry", "&Retry", mrRetry},
    {mbIgnore, "Ignore", "&Ignore", mrIgnore}, {mbAll, "All", "&All", mrAll},
    {mbHelp, "Help", "&Help", 0},
};

bool Has(TMsgDlgButtons set, TMsgDlgBtn b) { return (set & MsgDlgButton(b)) != 0; }

// The film strip of a bitmap resource of this program.
void LoadStrip(const char* name, TBitmap& out)
{
    TResourceBlock block = FindBitmapResource(name);
    if (!block) throw EResNotFound(std::string("Resource ") + name + " not found");
    ReadBmp(block.Data, block.Size, out);
}

}  // namespace

void TMessageForm::HelpButtonClick(TObject* Sender)
{
    (void)Sender;
    Application->HelpContext(HelpContext());
}

TMessageForm* BuildMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)
{
    auto form = std::make_unique<TMessageForm>(Application);
    form->SetBorderStyle(bsDialog);
    TCanvas& canvas = *form->Canvas();
    canvas.SetFont(form->Font());

    // Dialog units from the font's average character width and height.
    TSize extent = canvas.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int32_t cx = extent.cx / 52, cy = extent.cy;
    int32_t horzMargin = MulDiv(8, cx, 4), vertMargin = MulDiv(8, cy, 8);
    int32_t horzSpacing = MulDiv(10, cx, 4), vertSpacing = MulDiv(10, cy, 8);
    int32_t buttonWidth = MulDiv(50, cx, 4), buttonHeight = MulDiv(14, cy, 8);
    int32_t buttonSpacing = MulDiv(4, cx, 4);

    TRect textRect = Rect(0, 0, Screen->Width() / 2, 0);
    canvas.DrawText(Msg, textRect, DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK);
    int32_t tw = textRect.Right, th = textRect.Bottom;

    const TypeInfo& type = kTypes[DlgType];
    bool picture = type.Resource != nullptr;
    int32_t iconTextWidth = picture ? tw + 32 + horzSpacing : tw;
    int32_t iconTextHeight = picture ? std::max(th, 32) : th;

    int n = 0;
    for (const ButtonInfo& b : kButtons)
        if (Has(Buttons, b.Button)) ++n;
    int32_t groupWidth = n > 0 ? n * buttonWidth + (n - 1) * buttonSpacing : 0;

    form->SetClientSize(std::max(iconTextWidth, groupWidth) + 2 * horzMargin,
                        iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin);
    form->SetBounds(Screen->Width() / 2 - form->Width() / 2, Screen->Height() / 2 - form->Height() / 2, form->Width(),
                    form->Height());
    form->SetCaption(type.Caption ? type.Caption : Application->Title());

    if (picture) {
        auto* image = new TnyAnimated(form.get());
        image->SetName("Image");
        image->SetParent(form.get());
        image->SetBounds(horzMargin, vertMargin, 32, 32);
        {
            TBitmap strip;
            LoadStrip(type.Resource, strip);
            image->SetFrameCount(type.Frames);
            image->SetReverse(type.Reverse);
            image->SetInterval(type.Interval);
            image->SetBitMap(&strip);  // the control keeps its own copy
        }
        image->SetLoop(true);
        image->SetPlay(true);
    }

    auto* message = new TLabel(form.get());
    message->SetName("Message");
    message->SetParent(form.get());
    message->SetWordWrap(true);
    message->SetCaption(Msg);
    message->SetBounds(iconTextWidth - tw + horzMargin, vertMargin, tw, th);

    // Default: OK, else Yes, else Retry. Cancel: Cancel, else No, else OK.
    TMsgDlgBtn defaultButton = Has(Buttons, mbOK) ? mbOK : Has(Buttons, mbYes) ? mbYes : mbRetry;
    TMsgDlgBtn cancelButton = Has(Buttons, mbCancel) ? mbCancel : Has(Buttons, mbNo) ? mbNo : mbOK;
    int32_t x = (form->ClientWidth() - groupWidth) / 2;
    for (const ButtonInfo& b : kButtons) {
        if (!Has(Buttons, b.Button)) continue;
        auto* button = new TButton(form.get());
        button->SetName(b.Name);
        button->SetParent(form.get());
        button->SetCaption(b.Caption);
        button->SetModalResult(b.Result);
        if (b.Button == defaultButton) button->SetDefault(true);
        if (b.Button == cancelButton) button->SetCancel(true);
        button->SetBounds(x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
        if (b.Button == mbHelp) {
            TMessageForm* f = form.get();
            button->OnClick = [f](TObject* Sender) { f->HelpButtonClick(Sender); };
        }
        x += buttonWidth + buttonSpacing;
    }
    return form.release();
}

int ShowMessageDialogAt(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X,
                        int Y)
{
    std::unique_ptr<TMessageForm> form(BuildMessageDialog(Msg, DlgType, Buttons));
    form->SetHelpContext(HelpCtx);
    if (X >= 0) form->SetLeft(X);
    if (Y >= 0) form->SetTop(Y);
    return form->ShowModal();
}

int ShowMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    return ShowMessageDialogAt(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

void InstallMessageDialog() { SetMessageDialogHook(ShowMessageDialog); }
