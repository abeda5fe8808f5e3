// TFont: the logical font of a canvas.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/FontEngine.h"

enum TFontStyle : uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

// A set of TFontStyle: bit n is style n.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (auto s : styles) bits_ |= uint8_t(1u << s);
    }
    constexpr bool Contains(TFontStyle s) const { return (bits_ >> s) & 1; }
    constexpr TFontStyles& Include(TFontStyle s) { bits_ |= uint8_t(1u << s); return *this; }
    constexpr TFontStyles& Exclude(TFontStyle s) { bits_ &= uint8_t(~(1u << s)); return *this; }
    constexpr uint8_t Bits() const { return bits_; }
    static constexpr TFontStyles FromBits(uint8_t b) { TFontStyles s; s.bits_ = b & 0x0F; return s; }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    uint8_t bits_ = 0;
};

// The logical resolution that turns points into pixels.
constexpr int kPixelsPerInch = 96;

// MulDiv of the platform: a * b / c rounded to the nearest integer, halves away from zero;
// -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// A logical font: family name, height, style and colour. The pixel face it stands for is
// resolved on first use and again after each change.
//
// After construction: Name "MS Sans Serif", Height -11 (Size 8), Color clWindowText,
// no styles. (What "MS Sans Serif" is drawn with: see FontEngine.h.)
class TFont : public TPersistent {
public:
    TFont() = default;
    std::string ClassName() const override { return "TFont"; }

    const std::string& Name() const { return name_; }
    void SetName(const std::string& v);
    // Negative: character height in pixels; positive: cell height in pixels.
    int32_t Height() const { return height_; }
    void SetHeight(int32_t v);
    // Points at kPixelsPerInch: Size = -MulDiv(Height, 72, 96), Height = -MulDiv(Size, 96, 72).
    int32_t Size() const;
    void SetSize(int32_t v);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    // Kept for stored forms; text is always drawn as Windows-1252.
    uint8_t Charset() const { return charset_; }
    void SetCharset(uint8_t v);
    // TFontPitch: fpDefault, fpVariable, fpFixed; kept, not used for the face choice.
    uint8_t Pitch() const { return pitch_; }
    void SetPitch(uint8_t v);

    // Copies name, height, style and colour from another TFont, then notifies once.
    void Assign(const TPersistent* Source) override;

    TNotifyEvent OnChange;

    // The resolved face. Raises EFontError when no font can be loaded.
    TFontFace& Face() const;
    const TFontMetrics& Metrics() const { return Face().Metrics(); }

protected:
    virtual void Changed();

private:
    std::string name_ = "MS Sans Serif";
    int32_t height_ = -11;
    TFontStyles style_;
    TColor color_ = clWindowText;
    uint8_t charset_ = 1;  // DEFAULT_CHARSET
    uint8_t pitch_ = 0;    // fpDefault
    mutable std::shared_ptr<TFontFace> face_;
};
