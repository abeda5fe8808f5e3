#include "platform/graphics/Font.h"

#include <cstdlib>

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    int64_t p = int64_t(a) * b;
    bool negative = (p < 0) != (c < 0);
    uint64_t up = uint64_t(p < 0 ? -p : p), uc = uint64_t(c < 0 ? -int64_t(c) : int64_t(c));
    uint64_t q = (up * 2 + uc) / (uc * 2);
    if (q > uint64_t(INT32_MAX)) return -1;  // the system's overflow answer
    return negative ? -int32_t(q) : int32_t(q);
}

void TFont::SetName(const std::string& v)
{
    if (v == name_) return;
    name_ = v;
    face_.reset();
    Changed();
}

void TFont::SetHeight(int32_t v)
{
    if (v == height_) return;
    height_ = v;
    face_.reset();
    Changed();
}

int32_t TFont::Size() const { return -MulDiv(height_, 72, kPixelsPerInch); }

void TFont::SetSize(int32_t v) { SetHeight(-MulDiv(v, kPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles v)
{
    if (v == style_) return;
    style_ = v;
    face_.reset();
    Changed();
}

void TFont::SetColor(TColor v)
{
    if (v == color_) return;
    color_ = v;
    Changed();
}

void TFont::Assign(const TPersistent* Source)
{
    if (auto* f = dynamic_cast<const TFont*>(Source)) {
        if (f == this) return;
        name_ = f->name_;
        height_ = f->height_;
        style_ = f->style_;
        color_ = f->color_;
        face_ = f->face_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::Changed()
{
    if (OnChange) OnChange(this);
}

TFontFace& TFont::Face() const
{
    if (!face_)
        face_ = AcquireFontFace(name_, height_, style_.Contains(fsBold), style_.Contains(fsItalic));
    return *face_;
}
