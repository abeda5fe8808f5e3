#include "presentation/ZrClasses.h"

#include "platform/classes/Published.h"

PUBLISHED_PROPERTIES(TZrGraphicControl, TGraphicControl) {}

TZrGraphicControl::TZrGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner), buffer_(std::make_unique<TBitmap>())
{
}

TZrGraphicControl::~TZrGraphicControl() = default;

void TZrGraphicControl::Paint()
{
    if (buffer_->Width() != Width() || buffer_->Height() != Height()) UpdateBuffer();
    TCanvas& c = *Canvas();
    TRect r = c.ClipRect();
    TCopyMode saved = c.CopyMode();
    c.SetCopyMode(SRCCOPY);
    c.CopyRect(r, buffer_->Canvas(), r);
    c.SetCopyMode(saved);
}

void TZrGraphicControl::DrawBuffer()
{
    UpdateBuffer();
    TCopyMode saved = Canvas()->CopyMode();
    Canvas()->SetCopyMode(SRCCOPY);
    Canvas()->Draw(0, 0, buffer_.get());
    Canvas()->SetCopyMode(saved);
}

void TZrGraphicControl::UpdateBuffer()
{
    if (buffer_->Width() != Width() || buffer_->Height() != Height()) {
        buffer_ = std::make_unique<TBitmap>();
        buffer_->SetSize(Width(), Height());
    }
}
