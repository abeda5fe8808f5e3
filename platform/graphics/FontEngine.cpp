#include "platform/graphics/FontEngine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>
#include <strings.h>
#include <tuple>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

int32_t TFontFace::TextWidth(const std::string& text)
{
    int64_t w = 0;
    for (unsigned char c : text) w += Glyph(c).Advance;
    if (w > INT32_MAX) return INT32_MAX;
    return int32_t(w);
}

char32_t Cp1252ToUnicode(uint8_t ch)
{
    // 0x80..0x9F carry the typographic characters; the five unassigned bytes map to the
    // C1 control of the same value, as the system's own conversion does.
    static constexpr char16_t k80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    if (ch >= 0x80 && ch < 0xA0) return k80[ch - 0x80];
    return ch;
}

std::string SubstituteFontFamily(const std::string& family)
{
    static const struct {
        const char* from;
        const char* to;
    } kTable[] = {
        {"MS Sans Serif", "Liberation Sans"},  {"MS Shell Dlg", "Liberation Sans"},
        {"MS Shell Dlg 2", "Liberation Sans"}, {"System", "Liberation Sans"},
        {"Small Fonts", "Liberation Sans"},    {"MS Serif", "Liberation Serif"},
        {"Courier", "Liberation Mono"},        {"Fixedsys", "Liberation Mono"},
    };
    for (const auto& e : kTable)
        if (strcasecmp(e.from, family.c_str()) == 0) return e.to;
    return family;
}

namespace {

std::string Cp1252ToUtf8(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        char32_t u = Cp1252ToUnicode(c);
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// The FreeType library instance; every face keeps it alive, so it goes last.
struct FtLibrary {
    FT_Library lib = nullptr;
    FtLibrary()
    {
        if (FT_Init_FreeType(&lib) != 0) throw EFontError("Cannot initialise the font engine");
    }
    ~FtLibrary() { FT_Done_FreeType(lib); }
};

// What fontconfig chose for a family and style.
struct ResolvedFont {
    std::string file;
    int index = 0;
    std::string family;
    bool emboldenSynth = false;  // bold asked for, regular weight found
    bool obliqueSynth = false;   // italic asked for, upright style found
};

ResolvedFont Resolve(FcConfig* config, const std::string& family, bool bold, bool italic)
{
    ResolvedFont r;
    std::string name = Cp1252ToUtf8(SubstituteFontFamily(family));
    FcPattern* pat = FcPatternCreate();
    if (!pat) throw EFontError("Out of memory resolving font \"" + family + "\"");
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pat, &result);
    FcPatternDestroy(pat);
    if (!match) throw EFontError("No font found for \"" + family + "\"");
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
        r.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
        r.family = reinterpret_cast<const char*>(fam);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    FcPatternDestroy(match);
    if (r.file.empty()) throw EFontError("No font found for \"" + family + "\"");
    r.index = index;
    r.emboldenSynth = bold && weight < FC_WEIGHT_DEMIBOLD;
    r.obliqueSynth = italic && slant == FC_SLANT_ROMAN;
    return r;
}

int32_t RoundDiv(int64_t a, int64_t b)  // a * 1 / b rounded half away from zero, b > 0
{
    if (a >= 0) return int32_t((a * 2 + b) / (b * 2));
    return -int32_t((-a * 2 + b) / (b * 2));
}

class FtFace final : public TFontFace {
public:
    FtFace(std::shared_ptr<FtLibrary> lib, const ResolvedFont& rf, int32_t height)
        : lib_(std::move(lib)), family_(rf.family), file_(rf.file), embolden_(rf.emboldenSynth)
    {
        if (FT_New_Face(lib_->lib, rf.file.c_str(), rf.index, &face_) != 0 || !face_)
            throw EFontError("Cannot load font file \"" + rf.file + "\"");
        try {
            Setup(height, rf.obliqueSynth);
        } catch (...) {
            FT_Done_Face(face_);
            throw;
        }
    }
    ~FtFace() override { FT_Done_Face(face_); }

    const TFontMetrics& Metrics() const override { return metrics_; }
    const std::string& FamilyName() const override { return family_; }
    const std::string& FileName() const override { return file_; }

    const TGlyph& Glyph(uint8_t ch) override
    {
        if (!loaded_[ch]) {
            Render(ch, glyphs_[ch]);
            loaded_[ch] = true;
        }
        return glyphs_[ch];
    }

private:
    void Setup(int32_t height, bool oblique)
    {
        if (!FT_IS_SCALABLE(face_)) throw EFontError("Font file \"" + file_ + "\" is not scalable");
        int64_t upem = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
        int64_t winAscent = face_->ascender, winDescent = -face_->descender;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
            os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            winAscent = os2->usWinAscent;
            winDescent = os2->usWinDescent;
        }
        if (winAscent + winDescent <= 0) winAscent = upem;
        // Clamp absurd requests: beyond a few thousand pixels nothing fits on a screen and
        // FreeType's 26.6 arithmetic would overflow.
        int64_t h = height;
        if (h < -4096) h = -4096;
        if (h > 4096) h = 4096;
        int64_t ppem;
        if (h < 0) ppem = -h;
        else if (h > 0) ppem = std::max<int64_t>(1, RoundDiv(h * upem, winAscent + winDescent));
        else ppem = 12;
        if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(ppem)) != 0)
            throw EFontError("Cannot size font \"" + family_ + "\"");
        if (oblique) {
            FT_Matrix shear{0x10000, 0x366A, 0, 0x10000};  // x += 0.2126 y
            FT_Set_Transform(face_, &shear, nullptr);
        }
        auto scale = [&](int64_t units) { return RoundDiv(units * ppem, upem); };
        metrics_.Ascent = scale(winAscent);
        metrics_.Descent = scale(winDescent);
        metrics_.Height = metrics_.Ascent + metrics_.Descent;
        if (h > 0 && metrics_.Height != h) {  // the cell height asked for wins
            metrics_.Descent = int32_t(h) - metrics_.Ascent;
            metrics_.Height = int32_t(h);
        }
        metrics_.InternalLeading = std::max<int32_t>(0, metrics_.Height - int32_t(ppem));
        int64_t lineGap = 0, aveWidth = 0;
        if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA)))
            lineGap = std::max<int64_t>(0, hhea->Ascender - hhea->Descender + hhea->Line_Gap -
                                               winAscent - winDescent);
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2))) {
            aveWidth = os2->xAvgCharWidth;
            if (os2->yStrikeoutSize > 0) {
                metrics_.StrikeOutThickness = std::max(1, scale(os2->yStrikeoutSize));
                metrics_.StrikeOutPosition = scale(os2->yStrikeoutPosition);
            }
        }
        metrics_.ExternalLeading = scale(lineGap);
        metrics_.AveCharWidth = scale(aveWidth);
        if (metrics_.StrikeOutPosition == 0) metrics_.StrikeOutPosition = metrics_.Ascent / 3;
        int64_t ulThick = face_->underline_thickness > 0 ? face_->underline_thickness : upem / 20;
        metrics_.UnderlineThickness = std::max(1, scale(ulThick));
        // The post table gives the line's centre; the canvas wants its top row.
        metrics_.UnderlinePosition =
            std::max(1, scale(-int64_t(face_->underline_position)) - metrics_.UnderlineThickness / 2);
        if (metrics_.UnderlinePosition + metrics_.UnderlineThickness > metrics_.Descent)
            metrics_.UnderlinePosition = std::max(0, metrics_.Descent - metrics_.UnderlineThickness);
    }

    void Render(uint8_t ch, TGlyph& g)
    {
        g = TGlyph{};
        FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(Cp1252ToUnicode(ch)));
        if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return;
        FT_GlyphSlot slot = face_->glyph;
        if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_Outline_Embolden(&slot->outline, 64);  // one pixel wider and taller
        g.Advance = int32_t((slot->advance.x + 32) >> 6) + (embolden_ ? 1 : 0);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return;
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_MONO || bm.width == 0 || bm.rows == 0) return;
        g.Left = slot->bitmap_left;
        g.Top = slot->bitmap_top;
        g.Width = int32_t(bm.width);
        g.Height = int32_t(bm.rows);
        g.Bits.assign(size_t(g.Width) * size_t(g.Height), 0);
        for (int32_t y = 0; y < g.Height; ++y) {
            const unsigned char* row =
                bm.pitch >= 0 ? bm.buffer + size_t(y) * size_t(bm.pitch)
                              : bm.buffer + size_t(g.Height - 1 - y) * size_t(-bm.pitch);
            for (int32_t x = 0; x < g.Width; ++x)
                g.Bits[size_t(y) * size_t(g.Width) + size_t(x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }

    std::shared_ptr<FtLibrary> lib_;
    FT_Face face_ = nullptr;
    std::string family_, file_;
    bool embolden_;
    TFontMetrics metrics_;
    std::array<TGlyph, 256> glyphs_;
    std::array<bool, 256> loaded_{};
};

// Faces by their logical attributes. Bounded: when full, faces no font uses any more go.
// The engine loads its own fontconfig configuration and destroys it at exit, leaving the
// process-wide default configuration (which a widget toolkit may use) alone.
class Engine {
public:
    ~Engine()
    {
        faces_.clear();
        if (config_) FcConfigDestroy(config_);
    }

    std::shared_ptr<TFontFace> Acquire(const std::string& family, int32_t height, bool bold,
                                       bool italic)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!lib_) lib_ = std::make_shared<FtLibrary>();
        std::string key = family;
        for (auto& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
        auto k = std::make_tuple(key, height, bold, italic);
        if (auto it = faces_.find(k); it != faces_.end()) return it->second;
        auto rk = std::make_tuple(key, bold, italic);
        auto rit = resolved_.find(rk);
        if (rit == resolved_.end()) {
            if (!config_) config_ = FcInitLoadConfigAndFonts();
            if (!config_) throw EFontError("Cannot load the font configuration");
            rit = resolved_.emplace(rk, Resolve(config_, family, bold, italic)).first;
        }
        auto face = std::make_shared<FtFace>(lib_, rit->second, height);
        if (faces_.size() >= kMaxFaces) Trim();
        faces_.emplace(k, face);
        return face;
    }

private:
    void Trim()
    {
        for (auto it = faces_.begin(); it != faces_.end();)
            it = it->second.use_count() == 1 ? faces_.erase(it) : std::next(it);
    }
    static constexpr size_t kMaxFaces = 64;
    std::mutex mutex_;
    FcConfig* config_ = nullptr;
    std::shared_ptr<FtLibrary> lib_;
    std::map<std::tuple<std::string, int32_t, bool, bool>, std::shared_ptr<TFontFace>> faces_;
    std::map<std::tuple<std::string, bool, bool>, ResolvedFont> resolved_;
};

Engine& TheEngine()
{
    static Engine engine;
    return engine;
}

}  // namespace

std::shared_ptr<TFontFace> AcquireFontFace(const std::string& family, int32_t height, bool bold,
                                           bool italic)
{
    return TheEngine().Acquire(family, height, bold, italic);
}
