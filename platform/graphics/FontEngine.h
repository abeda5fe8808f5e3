// Text rasterisation: family names resolved by fontconfig, glyphs rendered by FreeType.
//
// Glyphs are rendered one bit per pixel (no anti-aliasing), so text drawn into a mask or
// combined by raster operations stays exactly two-valued. Strings are 8-bit Windows-1252;
// each byte is one character and is mapped to its Unicode code point here.
//
// Sizes follow the platform's logical font height:
//   height < 0   the character (em) height is -height pixels;
//   height > 0   the cell height (ascent + descent) is height pixels;
//   height = 0   a default character height of 12 pixels.
// Ascent and descent come from the font's Windows metrics (OS/2 usWinAscent and
// usWinDescent), so a metric-compatible substitute measures like the font it replaces.
//
// Family substitution, applied before fontconfig: "MS Sans Serif", "MS Shell Dlg",
// "MS Shell Dlg 2", "System" and "Small Fonts" become "Liberation Sans"; "MS Serif"
// becomes "Liberation Serif"; "Courier" and "Fixedsys" become "Liberation Mono".
// The metric aliases of fontconfig then turn "Arial", "Times New Roman" and
// "Courier New" into the Liberation families (package fonts-liberation2).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

// Raised when no usable font file exists for a family (no fonts installed, unreadable file).
class EFontError : public Exception {
public:
    using Exception::Exception;
};

// One rendered character: a 1-bit image placed relative to the pen position on the baseline.
struct TGlyph {
    int32_t Advance = 0;  // pen movement to the next character, whole pixels
    int32_t Left = 0;     // image's left edge relative to the pen position
    int32_t Top = 0;      // image's top row, in pixels above the baseline
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Bits;  // Width x Height, row-major, 1 = ink, 0 = paper
};

struct TFontMetrics {
    int32_t Ascent = 0;    // baseline distance from the cell's top
    int32_t Descent = 0;   // cell bottom distance below the baseline
    int32_t Height = 0;    // Ascent + Descent: the text height of every string
    int32_t InternalLeading = 0;
    int32_t ExternalLeading = 0;
    int32_t AveCharWidth = 0;
    int32_t UnderlinePosition = 0;   // top of the underline, pixels below the baseline
    int32_t UnderlineThickness = 1;
    int32_t StrikeOutPosition = 0;   // top of the strike-out line, pixels above the baseline
    int32_t StrikeOutThickness = 1;
};

// A font at one pixel size with its glyph cache. Shared between fonts with equal
// attributes; not copyable. All use is from one thread at a time.
class TFontFace {
public:
    virtual ~TFontFace() = default;
    virtual const TFontMetrics& Metrics() const = 0;
    // The glyph of one Windows-1252 character (rendered on first use, then cached).
    virtual const TGlyph& Glyph(uint8_t ch) = 0;
    // What fontconfig chose: the family name and the font file.
    virtual const std::string& FamilyName() const = 0;
    virtual const std::string& FileName() const = 0;
    // Sum of the advances of the characters of `text`.
    int32_t TextWidth(const std::string& text);
};

// The face for a logical font. Raises EFontError when no font can be loaded.
std::shared_ptr<TFontFace> AcquireFontFace(const std::string& family, int32_t height, bool bold,
                                           bool italic);

// The family name after the substitution table above (before fontconfig).
std::string SubstituteFontFamily(const std::string& family);

// Unicode code point of a Windows-1252 byte (bytes without a character map to U+FFFD).
char32_t Cp1252ToUnicode(uint8_t ch);
