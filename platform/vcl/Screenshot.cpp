#include "platform/vcl/Screenshot.h"

#include "platform/vcl/DrawUtils.h"
#include "platform/vcl/WidgetSet.h"

namespace {

void ClientImage(TCustomForm* Form, TBitmap& Out)
{
    if (Form->HandleAllocated()) {
        Form->Handle()->Grab(Out);
        return;
    }
    Out.SetSize(Form->ClientWidth(), Form->ClientHeight());
    Form->PaintTo(*Out.Canvas(), 0, 0);
}

void DrawFrame(TCustomForm* Form, TCanvas& Canvas, int32_t X, int32_t Y)
{
    TRect f = Form->FrameMetrics();
    TBorderIcons icons = Form->BorderIcons();
    bool sys = icons & BorderIcon(biSystemMenu);
    bool sizeable = Form->BorderStyle() == bsSizeable || Form->BorderStyle() == bsSizeToolWin;
    DrawWindowFrame(Canvas, Bounds(X, Y, Form->Width(), Form->Height()), f, Form->Caption(), Form->Active(), sys,
                    sys && (icons & BorderIcon(biMinimize)) && Form->BorderStyle() != bsDialog,
                    sys && (icons & BorderIcon(biMaximize)) && sizeable);
}

}  // namespace

void GrabForm(TCustomForm* Form, TBitmap& Out, bool WithFrame)
{
    TBitmap client;
    ClientImage(Form, client);
    TRect f = WithFrame ? Form->FrameMetrics() : TRect{};
    Out.SetSize(client.Width() + f.Left + f.Right, client.Height() + f.Top + f.Bottom);
    if (WithFrame) DrawFrame(Form, *Out.Canvas(), 0, 0);
    Out.Canvas()->SetCopyMode(SRCCOPY);
    Out.Canvas()->Draw(f.Left, f.Top, &client);
}

void ComposeScreen(TBitmap& Out, TColor Desktop)
{
    Out.SetSize(Screen->Width(), Screen->Height());
    Out.Canvas()->Brush()->SetColor(Desktop);
    Out.Canvas()->FillRect(Rect(0, 0, Out.Width(), Out.Height()));
    for (TCustomForm* form : Screen->WindowOrder()) {
        if (!form->Visible()) continue;
        TBitmap image;
        GrabForm(form, image, true);
        Out.Canvas()->SetCopyMode(SRCCOPY);
        Out.Canvas()->Draw(form->Left(), form->Top(), &image);
    }
}
