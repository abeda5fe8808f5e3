#include "platform/graphics/Picture.h"

#include "platform/classes/Published.h"
#include "platform/graphics/Canvas.h"

PUBLISHED_PROPERTIES(TPicture, TPersistent)
{
    PUBLISH_BINARY(Data);
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

TBitmap* TPicture::Bitmap()
{
    if (!bitmap_) {
        icon_.reset();
        bitmap_ = std::make_unique<TBitmap>();
    }
    return bitmap_.get();
}

TIcon* TPicture::Icon()
{
    if (!icon_) {
        bitmap_.reset();
        icon_ = std::make_unique<TIcon>();
    }
    return icon_.get();
}

bool TPicture::Empty() const
{
    if (bitmap_) return bitmap_->Empty();
    if (icon_) return icon_->Empty();
    return true;
}

int32_t TPicture::Width() const { return bitmap_ ? bitmap_->Width() : icon_ ? icon_->Width() : 0; }
int32_t TPicture::Height() const { return bitmap_ ? bitmap_->Height() : icon_ ? icon_->Height() : 0; }

void TPicture::Draw(TCanvas& Canvas, const TRect& R) const
{
    if (bitmap_ && !bitmap_->Empty()) Canvas.StretchDraw(R, bitmap_.get());
    else if (icon_) icon_->StretchDraw(Canvas, R);
}

std::string TPicture::Data() const
{
    std::string out;
    auto name = [&out](const char* n) {
        out.push_back(char(std::string(n).size()));
        out += n;
    };
    if (bitmap_ && !bitmap_->Empty()) {
        name("TBitmap");
        out += bitmap_->Data();
    } else if (icon_ && !icon_->Empty()) {
        name("TIcon");
        out += icon_->Bytes();
    }
    return out;
}

void TPicture::SetData(const std::string& Data)
{
    if (Data.empty()) {
        bitmap_.reset();
        icon_.reset();
        Changed();
        return;
    }
    size_t len = uint8_t(Data[0]);
    if (1 + len > Data.size()) throw EInvalidGraphic("Picture data is not valid: class name truncated");
    std::string cls = Data.substr(1, len), rest = Data.substr(1 + len);
    if (cls == "TBitmap") {
        auto b = std::make_unique<TBitmap>();
        b->SetData(rest);
        icon_.reset();
        bitmap_ = std::move(b);
    } else if (cls == "TIcon") {
        auto i = std::make_unique<TIcon>();
        i->LoadFromBytes(rest);
        bitmap_.reset();
        icon_ = std::move(i);
    } else {
        throw EInvalidGraphic("Picture data is not valid: unknown graphic class " + cls);
    }
    Changed();
}

void TPicture::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    if (!Source) {
        bitmap_.reset();
        icon_.reset();
    } else if (auto* p = dynamic_cast<const TPicture*>(Source)) {
        if (p->bitmap_) Bitmap()->Assign(p->bitmap_.get());
        else if (p->icon_) Icon()->Assign(p->icon_.get());
        else {
            bitmap_.reset();
            icon_.reset();
        }
    } else if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
        Bitmap()->Assign(b);
    } else if (auto* i = dynamic_cast<const TIcon*>(Source)) {
        Icon()->Assign(i);
    } else {
        TPersistent::Assign(Source);
        return;
    }
    Changed();
}

void TPicture::Changed()
{
    if (OnChange) OnChange(this);
}
