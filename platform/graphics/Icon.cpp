#include "platform/graphics/Icon.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/IcoFile.h"

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::LoadFromBytes(const std::string& Bytes)
{
    if (Bytes.empty()) {
        image_.SetSize(0, 0);
        mask_.SetSize(0, 0);
        bytes_.clear();
        return;
    }
    TBitmap image, mask;
    ReadIco(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size(), image, mask);
    image_.TakeImage(image);
    mask_.TakeImage(mask);
    bytes_ = Bytes;
}

void TIcon::SetImage(const TBitmap& Image, const TBitmap& Mask)
{
    std::vector<uint8_t> file = WriteIco(Image, Mask);
    LoadFromBytes(std::string(file.begin(), file.end()));
}

void TIcon::Draw(TCanvas& Canvas, int32_t X, int32_t Y) const
{
    StretchDraw(Canvas, Bounds(X, Y, Width(), Height()));
}

void TIcon::StretchDraw(TCanvas& Canvas, const TRect& R) const
{
    if (Empty()) return;
    // (destination AND mask) XOR image: the image where the mask is black, the
    // destination where it is white (the image is black there).
    TCopyMode saved = Canvas.CopyMode();
    Canvas.SetCopyMode(SRCAND);
    Canvas.StretchDraw(R, &mask_);
    Canvas.SetCopyMode(SRCINVERT);
    Canvas.StretchDraw(R, &image_);
    Canvas.SetCopyMode(saved);
}

void TIcon::Assign(const TPersistent* Source)
{
    if (!Source) {
        LoadFromBytes({});
        return;
    }
    if (auto* i = dynamic_cast<const TIcon*>(Source)) {
        if (i == this) return;
        image_.Assign(&i->image_);
        mask_.Assign(&i->mask_);
        bytes_ = i->bytes_;
        return;
    }
    TPersistent::Assign(Source);
}
