#include "platform/graphics/Font.h"

#include <cstdlib>

#include "platform/classes/Published.h"

namespace {

const TIdentTable FontStyleIdents = {
    {fsBold, "fsBold"}, {fsItalic, "fsItalic"}, {fsUnderline, "fsUnderline"}, {fsStrikeOut, "fsStrikeOut"}};
const TIdentTable PitchIdents = {{0, "fpDefault"}, {1, "fpVariable"}, {2, "fpFixed"}};

// Character sets by the names stored forms use.
const bool charsetNames = [] {
    static const TIdentTable names = {
        {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},     {2, "SYMBOL_CHARSET"},
        {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},
        {134, "GB2312_CHARSET"},  {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},
        {162, "TURKISH_CHARSET"}, {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},
        {186, "BALTIC_CHARSET"},  {204, "RUSSIAN_CHARSET"},   {222, "THAI_CHARSET"},
        {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"}};
    RegisterIdentTable("TFontCharset", names);
    return true;
}();

}  // namespace

// Stored as forms store fonts: every value, in this order (Size is derived from Height).
PUBLISHED_PROPERTIES(TFont, TPersistent)
{
    P.IdentInt("Charset", "TFontCharset", PALLIMER_GETTER(Charset), &TFont::SetCharset);
    PUBLISH_COLOR(Color);
    PUBLISH_INT(Height);
    P.String("Name", PALLIMER_GETTER(Name), &TFont::SetName);
    P.Enum("Pitch", PALLIMER_GETTER(Pitch), &TFont::SetPitch, PitchIdents).Default(0);
    P.Int("Size", PALLIMER_GETTER(Size), &TFont::SetSize).Stored([](const TPersistent&) { return false; });
    P.Set("Style", [](const TFont& f) { return f.Style().Bits(); },
          [](TFont& f, uint8_t v) { f.SetStyle(TFontStyles::FromBits(v)); }, FontStyleIdents);
}

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

void TFont::SetCharset(uint8_t v)
{
    if (v == charset_) return;
    charset_ = v;
    Changed();
}

void TFont::SetPitch(uint8_t v)
{
    if (v == pitch_) return;
    pitch_ = v;
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
        charset_ = f->charset_;
        pitch_ = f->pitch_;
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
