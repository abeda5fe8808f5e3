#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/graphics/Bitmap.h"

// ---------------------------------------------------------------- brush and pen

void TBrush::SetColor(TColor v)
{
    if (v == color_) return;
    color_ = v;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v)
{
    if (v == style_) return;
    style_ = v;
    Changed();
}

void TBrush::Assign(const TPersistent* Source)
{
    if (auto* b = dynamic_cast<const TBrush*>(Source)) {
        color_ = b->color_;
        style_ = b->style_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor v)
{
    if (v == color_) return;
    color_ = v;
    Changed();
}

void TPen::SetWidth(int32_t v)
{
    if (v == width_) return;
    width_ = v;
    Changed();
}

void TPen::SetStyle(TPenStyle v)
{
    if (v == style_) return;
    style_ = v;
    Changed();
}

void TPen::Assign(const TPersistent* Source)
{
    if (auto* p = dynamic_cast<const TPen*>(Source)) {
        color_ = p->color_;
        width_ = p->width_;
        style_ = p->style_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- helpers

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// f(P, S, D) of a ternary raster operation for 24 bits at once: the operation's truth
// table byte has bit (p << 2 | s << 1 | d) set where the result bit is 1.
inline uint32_t Rop3(uint8_t op, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t r = 0;
    for (int i = 0; i < 8; ++i)
        if ((op >> i) & 1) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r & kWhite;
}

// dst[i] = f(P, src[i], dst[i]) for a row; the frequent operations get their own loops.
void ApplyRop(uint8_t op, uint32_t p, const uint32_t* src, uint32_t* dst, size_t n)
{
    switch (op) {
    case 0xCC: std::memcpy(dst, src, n * sizeof(uint32_t)); break;
    case 0x66: for (size_t i = 0; i < n; ++i) dst[i] ^= src[i]; break;
    case 0x88: for (size_t i = 0; i < n; ++i) dst[i] &= src[i]; break;
    case 0xEE: for (size_t i = 0; i < n; ++i) dst[i] |= src[i]; break;
    case 0x33: for (size_t i = 0; i < n; ++i) dst[i] = ~src[i] & kWhite; break;
    case 0x00: std::fill(dst, dst + n, 0u); break;
    case 0xFF: std::fill(dst, dst + n, kWhite); break;
    case 0x55: for (size_t i = 0; i < n; ++i) dst[i] = ~dst[i] & kWhite; break;
    case 0xF0: std::fill(dst, dst + n, p); break;
    case 0x5A: for (size_t i = 0; i < n; ++i) dst[i] ^= p; break;
    default:
        for (size_t i = 0; i < n; ++i) dst[i] = Rop3(op, p, src[i], dst[i]);
    }
}

inline int64_t FloorDiv(int64_t a, int64_t b)  // b > 0
{
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

inline int32_t Clamp32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

uint32_t ReduceToMono(uint32_t pixel)
{
    uint32_t sum = ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
    return sum > 382 ? kWhite : 0;
}

}  // namespace

struct TCanvas::DeviceClip {
    int64_t l = 0, t = 0, r = 0, b = 0;
};

// ---------------------------------------------------------------- canvas

TCanvas::TCanvas(TBitmap* bitmap)
    : bitmap_(bitmap),
      font_(std::make_unique<TFont>()),
      brush_(std::make_unique<TBrush>()),
      pen_(std::make_unique<TPen>())
{
}

TCanvas::~TCanvas() = default;

bool TCanvas::Clip(DeviceClip& c) const
{
    c = DeviceClip{0, 0, bitmap_->Width(), bitmap_->Height()};
    if (clipSet_) {
        c.l = std::max<int64_t>(c.l, clip_.Left);
        c.t = std::max<int64_t>(c.t, clip_.Top);
        c.r = std::min<int64_t>(c.r, clip_.Right);
        c.b = std::min<int64_t>(c.b, clip_.Bottom);
    }
    return c.l < c.r && c.t < c.b;
}

TRect TCanvas::ClipRect() const
{
    DeviceClip c;
    if (!Clip(c)) return TRect{};
    return TRect{Clamp32(c.l - origin_.X), Clamp32(c.t - origin_.Y), Clamp32(c.r - origin_.X),
                 Clamp32(c.b - origin_.Y)};
}

void TCanvas::SetClipRect(const TRect& r)
{
    clipSet_ = true;
    clip_ = TRect{Clamp32(int64_t(r.Left) + origin_.X), Clamp32(int64_t(r.Top) + origin_.Y),
                  Clamp32(int64_t(r.Right) + origin_.X), Clamp32(int64_t(r.Bottom) + origin_.Y)};
}

uint32_t TCanvas::DevicePixelOf(TColor color) const
{
    uint32_t p = ColorToPixel(ColorToRGB(color));
    return bitmap_->Monochrome() ? ReduceToMono(p) : p;
}

void TCanvas::FillDevice(int64_t l, int64_t t, int64_t r, int64_t b, uint32_t pixel,
                         const DeviceClip& c)
{
    l = std::max(l, c.l);
    t = std::max(t, c.t);
    r = std::min(r, c.r);
    b = std::min(b, c.b);
    if (l >= r || t >= b) return;
    for (int64_t y = t; y < b; ++y) {
        uint32_t* row = bitmap_->ScanLine(int32_t(y));
        std::fill(row + l, row + r, pixel);
    }
}

TColor TCanvas::Pixel(int32_t x, int32_t y) const
{
    DeviceClip c;
    if (!Clip(c)) return -1;
    int64_t dx = int64_t(x) + origin_.X, dy = int64_t(y) + origin_.Y;
    if (dx < c.l || dx >= c.r || dy < c.t || dy >= c.b) return -1;
    return PixelToColor(bitmap_->ScanLine(int32_t(dy))[dx]);
}

void TCanvas::SetPixel(int32_t x, int32_t y, TColor color)
{
    DeviceClip c;
    if (!Clip(c)) return;
    int64_t dx = int64_t(x) + origin_.X, dy = int64_t(y) + origin_.Y;
    FillDevice(dx, dy, dx + 1, dy + 1, DevicePixelOf(color), c);
}

void TCanvas::FillRect(const TRect& r)
{
    if (brush_->Style() == bsClear) return;
    DeviceClip c;
    if (!Clip(c)) return;
    FillDevice(int64_t(r.Left) + origin_.X, int64_t(r.Top) + origin_.Y, int64_t(r.Right) + origin_.X,
               int64_t(r.Bottom) + origin_.Y, DevicePixelOf(brush_->Color()), c);
}

void TCanvas::FrameRect(const TRect& r)
{
    if (brush_->Style() == bsClear || r.IsEmpty()) return;
    DeviceClip c;
    if (!Clip(c)) return;
    uint32_t p = DevicePixelOf(brush_->Color());
    int64_t l = int64_t(r.Left) + origin_.X, t = int64_t(r.Top) + origin_.Y;
    int64_t rr = int64_t(r.Right) + origin_.X, b = int64_t(r.Bottom) + origin_.Y;
    FillDevice(l, t, rr, t + 1, p, c);
    FillDevice(l, b - 1, rr, b, p, c);
    FillDevice(l, t, l + 1, b, p, c);
    FillDevice(rr - 1, t, rr, b, p, c);
}

void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    DeviceClip c;
    if (!Clip(c)) return;
    int64_t l = int64_t(std::min(x1, x2)) + origin_.X, r = int64_t(std::max(x1, x2)) + origin_.X;
    int64_t t = int64_t(std::min(y1, y2)) + origin_.Y, b = int64_t(std::max(y1, y2)) + origin_.Y;
    if (l >= r || t >= b) return;
    bool pen = pen_->Style() != psClear;
    int64_t pw = pen ? std::max<int32_t>(1, pen_->Width()) : 0;
    if (brush_->Style() != bsClear)
        FillDevice(l + pw, t + pw, r - pw, b - pw, DevicePixelOf(brush_->Color()), c);
    if (pen) {
        uint32_t p = DevicePixelOf(pen_->Color());
        FillDevice(l, t, r, std::min(b, t + pw), p, c);
        FillDevice(l, std::max(t, b - pw), r, b, p, c);
        FillDevice(l, t, std::min(r, l + pw), b, p, c);
        FillDevice(std::max(l, r - pw), t, r, b, p, c);
    }
}

// The pixels of `row` inside the ellipse inscribed in (x1, y1, x2, y2): from..to inclusive,
// from > to when none. A pixel is inside when its centre is: with W = x2 - x1, H = y2 - y1,
// X = 2x + 1 - (x1 + x2) and Y = 2y + 1 - (y1 + y2), when X²H² + Y²W² <= W²H².
void TCanvas::EllipseSpan(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t row,
                          int64_t& from, int64_t& to) const
{
    from = 1;
    to = 0;
    int64_t W = x2 - x1, H = y2 - y1;
    if (W <= 0 || H <= 0 || row < y1 || row >= y2) return;
    int64_t Y = 2 * row + 1 - (y1 + y2);
    int64_t S = x1 + x2;
    int64_t xmax;  // the largest X >= 0 inside on this row
    if (W < (int64_t(1) << 30) && H < (int64_t(1) << 30)) {
        using i128 = __int128;
        i128 w2 = i128(W) * W, h2 = i128(H) * H;
        i128 rhs = w2 * h2 - i128(Y) * Y * w2;
        if (rhs < 0) return;
        xmax = int64_t(std::sqrt(double(rhs) / double(h2)));
        while (xmax > 0 && i128(xmax) * xmax * h2 > rhs) --xmax;
        while (i128(xmax + 1) * (xmax + 1) * h2 <= rhs) ++xmax;
    } else {
        long double dy = (long double)Y / H;
        if (dy * dy > 1) return;
        xmax = int64_t(std::floor(W * std::sqrt(1 - dy * dy)));
    }
    // X = 2x + 1 - S within [-xmax, xmax]
    from = -FloorDiv(-(S - 1 - xmax), 2);  // ceil((S - 1 - xmax) / 2)
    to = FloorDiv(S - 1 + xmax, 2);
    from = std::max(from, x1);
    to = std::min(to, x2 - 1);
}

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    DeviceClip c;
    if (!Clip(c)) return;
    int64_t l = int64_t(std::min(x1, x2)) + origin_.X, r = int64_t(std::max(x1, x2)) + origin_.X;
    int64_t t = int64_t(std::min(y1, y2)) + origin_.Y, b = int64_t(std::max(y1, y2)) + origin_.Y;
    bool pen = pen_->Style() != psClear;
    bool fill = brush_->Style() != bsClear;
    if (!pen && !fill) return;
    int64_t pw = pen ? std::max<int32_t>(1, pen_->Width()) : 0;
    uint32_t penPix = DevicePixelOf(pen_->Color()), brushPix = DevicePixelOf(brush_->Color());
    for (int64_t y = std::max(t, c.t); y < std::min(b, c.b); ++y) {
        int64_t a, z;
        EllipseSpan(l, t, r, b, y, a, z);
        if (a > z) continue;
        if (!pen) {
            FillDevice(a, y, z + 1, y + 1, brushPix, c);
            continue;
        }
        int64_t ia, iz;
        EllipseSpan(l + pw, t + pw, r - pw, b - pw, y, ia, iz);
        if (ia > iz) {
            FillDevice(a, y, z + 1, y + 1, penPix, c);
            continue;
        }
        if (fill) FillDevice(ia, y, iz + 1, y + 1, brushPix, c);
        FillDevice(a, y, ia, y + 1, penPix, c);
        FillDevice(iz + 1, y, z + 1, y + 1, penPix, c);
    }
}

void TCanvas::LineTo(int32_t x, int32_t y)
{
    TPoint from = penPos_;
    penPos_ = Point(x, y);
    DeviceClip c;
    if (pen_->Style() == psClear || !Clip(c)) return;
    uint32_t p = DevicePixelOf(pen_->Color());
    int64_t pw = std::max<int32_t>(1, pen_->Width());
    // Dash patterns as alternating on/off run lengths, for thin pens only.
    static const std::vector<int> kPatterns[] = {
        {}, {18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}, {}, {}};
    const std::vector<int>& pattern =
        (pw == 1 && pen_->Style() < 5) ? kPatterns[pen_->Style()] : kPatterns[0];
    int64_t x0 = int64_t(from.X) + origin_.X, y0 = int64_t(from.Y) + origin_.Y;
    int64_t x1 = int64_t(x) + origin_.X, y1 = int64_t(y) + origin_.Y;
    // A line that starts far outside the clip box starts its walk where it enters the box
    // (widened by the pen), so an end point billions of pixels away costs nothing.
    {
        double bl = double(c.l - pw), bt = double(c.t - pw), br = double(c.r + pw), bb = double(c.b + pw);
        double fx = double(x0), fy = double(y0), ddx = double(x1 - x0), ddy = double(y1 - y0);
        double t0 = 0, t1 = 1;
        auto clipEdge = [&](double p, double q) {  // p t <= q
            if (p == 0) return q >= 0;
            double t = q / p;
            if (p < 0) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
            return t0 <= t1;
        };
        if (!clipEdge(-ddx, fx - bl) || !clipEdge(ddx, br - fx) || !clipEdge(-ddy, fy - bt) ||
            !clipEdge(ddy, bb - fy))
            return;
        if (t0 > 0) {
            x0 = int64_t(std::llround(fx + t0 * ddx));
            y0 = int64_t(std::llround(fy + t0 * ddy));
        }
    }
    int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy;
    size_t seg = 0;
    int run = 0;
    int64_t steps = std::max(dx, -dy);
    for (int64_t i = 0; i < steps; ++i) {
        bool on = pattern.empty() || seg % 2 == 0;
        if (on) {
            int64_t h = (pw - 1) / 2;
            FillDevice(x0 - h, y0 - h, x0 - h + pw, y0 - h + pw, p, c);
        }
        if (!pattern.empty() && ++run >= pattern[seg]) {
            run = 0;
            seg = (seg + 1) % pattern.size();
        }
        if (x0 == x1 && y0 == y1) break;
        int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
        // Once the walk has left the clip box and moves away from it, nothing more shows.
        if ((sx > 0 && x0 >= c.r + pw) || (sx < 0 && x0 < c.l - pw) ||
            (sy > 0 && y0 >= c.b + pw) || (sy < 0 && y0 < c.t - pw))
            break;
    }
}

// ---------------------------------------------------------------- text

int32_t TCanvas::TextWidth(const std::string& text) const { return font_->Face().TextWidth(text); }

int32_t TCanvas::TextHeight(const std::string&) const { return font_->Metrics().Height; }

TSize TCanvas::TextExtent(const std::string& text) const
{
    return TSize{TextWidth(text), TextHeight(text)};
}

// Glyphs of `text` with the cell's top-left at device (x, y); no background. Characters
// whose index has a 1 in `underline` (when given) get their own underline.
void TCanvas::DrawTextLine(int64_t x, int64_t y, const std::string& text, int underlineIndex,
                           const DeviceClip& c)
{
    TFontFace& face = font_->Face();
    const TFontMetrics& m = face.Metrics();
    uint32_t ink = DevicePixelOf(font_->Color());
    int64_t baseline = y + m.Ascent;
    int64_t pen = x;
    for (size_t i = 0; i < text.size(); ++i) {
        const TGlyph& g = face.Glyph(uint8_t(text[i]));
        int64_t gx = pen + g.Left, gy = baseline - g.Top;
        if (gx < c.r && gy < c.b && gx + g.Width > c.l && gy + g.Height > c.t) {
            for (int32_t row = 0; row < g.Height; ++row) {
                int64_t py = gy + row;
                if (py < c.t || py >= c.b) continue;
                uint32_t* out = bitmap_->ScanLine(int32_t(py));
                const uint8_t* bits = g.Bits.data() + size_t(row) * size_t(g.Width);
                for (int32_t col = 0; col < g.Width; ++col) {
                    int64_t px = gx + col;
                    if (bits[col] && px >= c.l && px < c.r) out[px] = ink;
                }
            }
        }
        if (int(i) == underlineIndex)
            FillDevice(pen, baseline + m.UnderlinePosition, pen + g.Advance,
                       baseline + m.UnderlinePosition + m.UnderlineThickness, ink, c);
        pen += g.Advance;
    }
    TFontStyles st = font_->Style();
    if (st.Contains(fsUnderline))
        FillDevice(x, baseline + m.UnderlinePosition, pen,
                   baseline + m.UnderlinePosition + m.UnderlineThickness, ink, c);
    if (st.Contains(fsStrikeOut))
        FillDevice(x, baseline - m.StrikeOutPosition, pen,
                   baseline - m.StrikeOutPosition + m.StrikeOutThickness, ink, c);
}

void TCanvas::TextOut(int32_t x, int32_t y, const std::string& text)
{
    DeviceClip c;
    if (!Clip(c)) {
        penPos_.X = Clamp32(int64_t(x) + TextWidth(text));
        return;
    }
    int64_t dx = int64_t(x) + origin_.X, dy = int64_t(y) + origin_.Y;
    int32_t w = TextWidth(text);
    if (brush_->Style() != bsClear)
        FillDevice(dx, dy, dx + w, dy + font_->Metrics().Height, DevicePixelOf(brush_->Color()), c);
    DrawTextLine(dx, dy, text, -1, c);
    penPos_ = Point(Clamp32(int64_t(x) + w), y);
}

void TCanvas::TextRect(const TRect& r, int32_t x, int32_t y, const std::string& text)
{
    DeviceClip c;
    if (!Clip(c)) return;
    c.l = std::max(c.l, int64_t(r.Left) + origin_.X);
    c.t = std::max(c.t, int64_t(r.Top) + origin_.Y);
    c.r = std::min(c.r, int64_t(r.Right) + origin_.X);
    c.b = std::min(c.b, int64_t(r.Bottom) + origin_.Y);
    if (c.l >= c.r || c.t >= c.b) return;
    if (brush_->Style() != bsClear) FillDevice(c.l, c.t, c.r, c.b, DevicePixelOf(brush_->Color()), c);
    DrawTextLine(int64_t(x) + origin_.X, int64_t(y) + origin_.Y, text, -1, c);
}

namespace {

struct TextLine {
    std::string text;
    int underline = -1;  // index of the prefixed character, -1 for none
};

// Removes prefix marks: "&x" underlines x, "&&" is a literal '&'. Only the last prefixed
// character of a line is underlined.
TextLine StripPrefix(const std::string& s, bool prefix)
{
    TextLine out;
    if (!prefix) {
        out.text = s;
        return out;
    }
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != '&') out.underline = int(out.text.size());
        } else if (s[i] == '&') {
            continue;  // a lone trailing mark prefixes nothing
        }
        out.text += s[i];
    }
    return out;
}

}  // namespace

int32_t TCanvas::DrawText(const std::string& text, TRect& r, uint32_t format)
{
    TFontFace& face = font_->Face();
    const TFontMetrics& m = face.Metrics();
    int64_t lineHeight = m.Height + ((format & DT_EXTERNALLEADING) ? m.ExternalLeading : 0);
    int64_t tabWidth = std::max<int64_t>(1, int64_t(8) * std::max(1, m.AveCharWidth));
    bool expandTabs = format & DT_EXPANDTABS;

    // Width of a run of characters starting at line offset `x0` (tabs jump to stops).
    auto widthOf = [&](const std::string& s) {
        int64_t w = 0;
        for (unsigned char ch : s) {
            if (expandTabs && ch == '\t') w = (w / tabWidth + 1) * tabWidth;
            else w += face.Glyph(ch).Advance;
        }
        return w;
    };

    // 1. Logical lines.
    std::vector<std::string> logical;
    if (format & DT_SINGLELINE) {
        logical.push_back(text);
    } else {
        std::string cur;
        for (size_t i = 0; i < text.size(); ++i) {
            char ch = text[i];
            if (ch == '\r' || ch == '\n') {
                logical.push_back(cur);
                cur.clear();
                if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                cur += ch;
            }
        }
        logical.push_back(cur);
    }

    // 2. Prefixes and word wrapping into display lines.
    std::vector<TextLine> lines;
    int64_t limit = r.Width();
    bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
    for (const std::string& raw : logical) {
        TextLine line = StripPrefix(raw, !(format & DT_NOPREFIX));
        if (!wrap || widthOf(line.text) <= limit) {
            lines.push_back(line);
            continue;
        }
        const std::string& s = line.text;
        size_t pos = 0;
        while (pos < s.size()) {
            // The longest head of s[pos..] that ends at a word boundary and fits.
            size_t end = pos, lastFit = std::string::npos;
            while (end < s.size()) {
                size_t wordEnd = end;
                while (wordEnd < s.size() && s[wordEnd] == ' ') ++wordEnd;
                while (wordEnd < s.size() && s[wordEnd] != ' ') ++wordEnd;
                if (widthOf(s.substr(pos, wordEnd - pos)) > limit) break;
                lastFit = wordEnd;
                end = wordEnd;
            }
            size_t cut;
            if (lastFit != std::string::npos && lastFit > pos) {
                cut = lastFit;
            } else {
                // The first word alone is too long: as many characters as fit, at least one.
                cut = pos + 1;
                while (cut < s.size() && s[cut] != ' ' && widthOf(s.substr(pos, cut + 1 - pos)) <= limit)
                    ++cut;
            }
            TextLine piece;
            piece.text = s.substr(pos, cut - pos);
            while (!piece.text.empty() && piece.text.back() == ' ') piece.text.pop_back();
            if (line.underline >= int(pos) && line.underline < int(cut))
                piece.underline = line.underline - int(pos);
            lines.push_back(piece);
            pos = cut;
            while (pos < s.size() && s[pos] == ' ') ++pos;  // spaces at a break vanish
        }
        if (s.empty()) lines.push_back(TextLine{});
    }

    int64_t total = int64_t(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        int64_t widest = 0;
        for (const auto& l : lines) widest = std::max(widest, widthOf(l.text));
        r.Right = Clamp32(int64_t(r.Left) + widest);
        r.Bottom = Clamp32(int64_t(r.Top) + total);
        return Clamp32(total);
    }

    DeviceClip c;
    if (!Clip(c)) return Clamp32(total);
    int64_t L = int64_t(r.Left) + origin_.X, T = int64_t(r.Top) + origin_.Y;
    int64_t R = int64_t(r.Right) + origin_.X, B = int64_t(r.Bottom) + origin_.Y;
    if (!(format & DT_NOCLIP)) {
        c.l = std::max(c.l, L);
        c.t = std::max(c.t, T);
        c.r = std::min(c.r, R);
        c.b = std::min(c.b, B);
        if (c.l >= c.r || c.t >= c.b) return Clamp32(total);
    }
    int64_t y = T;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) y = T + (B - T - lineHeight) / 2;
        else if (format & DT_BOTTOM) y = B - lineHeight;
    }
    bool opaque = brush_->Style() != bsClear;
    uint32_t back = DevicePixelOf(brush_->Color());
    for (const auto& line : lines) {
        int64_t w = widthOf(line.text);
        int64_t x = L;
        if (format & DT_CENTER) x = L + (R - L - w) / 2;
        else if (format & DT_RIGHT) x = R - w;
        if (opaque) FillDevice(x, y, x + w, y + m.Height, back, c);
        if (expandTabs && line.text.find('\t') != std::string::npos) {
            // Draw the pieces between tabs at their stops.
            int64_t pen = 0;
            std::string piece;
            int pieceStart = 0;
            auto flush = [&](int endIndex) {
                int ul = (line.underline >= pieceStart && line.underline < endIndex)
                             ? line.underline - pieceStart : -1;
                DrawTextLine(x + pen, y, piece, ul, c);
                pen += face.TextWidth(piece);
                piece.clear();
            };
            for (int i = 0; i < int(line.text.size()); ++i) {
                if (line.text[i] == '\t') {
                    flush(i);
                    pen = (pen / tabWidth + 1) * tabWidth;
                    pieceStart = i + 1;
                } else {
                    piece += line.text[i];
                }
            }
            flush(int(line.text.size()));
        } else {
            DrawTextLine(x, y, line.text, line.underline, c);
        }
        y += lineHeight;
    }
    return Clamp32(total);
}

// ---------------------------------------------------------------- block transfers

// mode 0: raster operation CopyMode(); mode 1: brush copy replacing keyColor.
void TCanvas::Transfer(const TRect& dest, const TBitmap* src, const TRect& source, uint32_t srcBack,
                       int mode, TColor keyColor)
{
    if (!src || src->Empty()) return;
    int64_t dw = dest.Width(), dh = dest.Height(), sw = source.Width(), sh = source.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    DeviceClip c;
    if (!Clip(c)) return;
    int64_t dl = int64_t(dest.Left) + origin_.X, dt = int64_t(dest.Top) + origin_.Y;
    int64_t x0 = std::max(dl, c.l), x1 = std::min(dl + dw, c.r);
    int64_t y0 = std::max(dt, c.t), y1 = std::min(dt + dh, c.b);
    if (x0 >= x1 || y0 >= y1) return;

    // Source column of each destination column under the centre of the destination pixel.
    // (Extents reach 2^32, so the product of two needs more than 64 bits.)
    using i128 = __int128;
    auto mapX = [&](int64_t x) {
        return sw == dw ? source.Left + (x - dl)
                        : source.Left + int64_t((i128(x - dl) * 2 + 1) * sw / (i128(dw) * 2));
    };
    auto mapY = [&](int64_t y) {
        return sh == dh ? source.Top + (y - dt)
                        : source.Top + int64_t((i128(y - dt) * 2 + 1) * sh / (i128(dh) * 2));
    };
    // The mapping is monotonic: trim the columns whose source lies outside the bitmap.
    while (x0 < x1 && (mapX(x0) < 0 || mapX(x0) >= src->Width())) ++x0;
    while (x1 > x0 && (mapX(x1 - 1) < 0 || mapX(x1 - 1) >= src->Width())) --x1;
    if (x0 >= x1) return;
    size_t n = size_t(x1 - x0);
    bool contiguous = sw == dw;
    const int64_t firstX = mapX(x0);
    std::vector<int32_t> xmap;
    if (!contiguous || mode == 1) {
        xmap.resize(n);
        for (size_t i = 0; i < n; ++i) xmap[i] = int32_t(mapX(x0 + int64_t(i)));
    }

    // Reading and writing the same bitmap: read from a snapshot.
    std::vector<uint32_t> snapshot;
    const uint32_t* srcBits = src->Bits();
    if (src == bitmap_) {
        snapshot.assign(src->Bits(), src->Bits() + size_t(src->Width()) * size_t(src->Height()));
        srcBits = snapshot.data();
    }
    size_t srcStride = size_t(src->Width());

    bool srcMono = src->Monochrome(), dstMono = bitmap_->Monochrome();
    uint32_t monoBlack = DevicePixelOf(font_->Color()), monoWhite = DevicePixelOf(brush_->Color());
    enum { kNone, kMonoToColor, kColorToMono } conv =
        srcMono && !dstMono ? kMonoToColor : (!srcMono && dstMono ? kColorToMono : kNone);
    uint8_t op = uint8_t(copyMode_ >> 16);
    uint32_t pattern = DevicePixelOf(brush_->Color());
    uint32_t key = ColorToPixel(ColorToRGB(keyColor));
    bool keyClear = brush_->Style() == bsClear;

    // Unconverted 1:1 rows combine straight from the source row.
    bool direct = contiguous && conv == kNone && mode == 0;
    std::vector<uint32_t> row(direct ? 0 : n);
    for (int64_t y = y0; y < y1; ++y) {
        int64_t sy = mapY(y);
        if (sy < 0 || sy >= src->Height()) continue;
        const uint32_t* in = srcBits + size_t(sy) * srcStride;
        uint32_t* out = bitmap_->ScanLine(int32_t(y)) + x0;
        if (mode == 1) {
            for (size_t i = 0; i < n; ++i) {
                uint32_t s = in[xmap[i]];
                if (s == key) {
                    if (!keyClear) out[i] = pattern;
                    continue;
                }
                if (conv == kMonoToColor) s = s ? monoWhite : monoBlack;
                else if (conv == kColorToMono) s = s == srcBack ? kWhite : 0;
                out[i] = s;
            }
            continue;
        }
        if (direct) {
            ApplyRop(op, pattern, in + firstX, out, n);
            continue;
        }
        if (contiguous) std::memcpy(row.data(), in + firstX, n * sizeof(uint32_t));
        else for (size_t i = 0; i < n; ++i) row[i] = in[xmap[i]];
        if (conv == kMonoToColor)
            for (auto& s : row) s = s ? monoWhite : monoBlack;
        else if (conv == kColorToMono)
            for (auto& s : row) s = s == srcBack ? kWhite : 0;
        ApplyRop(op, pattern, row.data(), out, n);
    }
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas* canvas, const TRect& source)
{
    if (!canvas) return;
    TRect s{Clamp32(int64_t(source.Left) + canvas->origin_.X), Clamp32(int64_t(source.Top) + canvas->origin_.Y),
            Clamp32(int64_t(source.Right) + canvas->origin_.X),
            Clamp32(int64_t(source.Bottom) + canvas->origin_.Y)};
    uint32_t back = ColorToPixel(ColorToRGB(canvas->Brush()->Color()));
    Transfer(dest, canvas->bitmap_, s, back, 0, 0);
}

void TCanvas::Draw(int32_t x, int32_t y, const TBitmap* bitmap)
{
    if (!bitmap) return;
    StretchDraw(TRect{x, y, Clamp32(int64_t(x) + bitmap->Width()), Clamp32(int64_t(y) + bitmap->Height())},
                bitmap);
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap* bitmap)
{
    if (!bitmap || bitmap->Empty()) return;
    uint32_t back = ColorToPixel(ColorToRGB(bitmap->Canvas()->Brush()->Color()));
    Transfer(r, bitmap, TRect{0, 0, bitmap->Width(), bitmap->Height()}, back, 0, 0);
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap* bitmap, const TRect& source, TColor color)
{
    if (!bitmap) return;
    uint32_t back = ColorToPixel(ColorToRGB(bitmap->Canvas()->Brush()->Color()));
    Transfer(dest, bitmap, source, back, 1, color);
}
