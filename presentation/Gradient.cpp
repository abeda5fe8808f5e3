#include "presentation/Gradient.h"

#include <algorithm>
#include <cmath>

#include "platform/classes/Published.h"

// ------------------------------------------------------------------ TGradient

namespace {

const TIdentTable GradientStyleIdents = {
    {gsLine, "gsLine"}, {gsEllipse, "gsEllipse"}, {gsRect, "gsRect"}, {gsCustomRect, "gsCustomRect"}};
// The first value is spelt as stored forms have always spelt it.
const TIdentTable DirectionIdents = {{diHorizonal, "diHorizonal"}, {diVertical, "diVertical"}};

}  // namespace

// No property declares a default: a stored gradient always carries all of them.
PUBLISHED_PROPERTIES(TGradient, TPersistent)
{
    PUBLISH_ENUM(GradientStyle, GradientStyleIdents);
    PUBLISH_INT(LineSize);
    PUBLISH_COLOR(Color1);
    PUBLISH_COLOR(Color2);
    PUBLISH_COLOR(Color3);
    PUBLISH_COLOR(Color4);
    PUBLISH_COLOR(Color5);
    PUBLISH_INT(ColorCount);
    PUBLISH_ENUM(LineDirection, DirectionIdents);
    PUBLISH_EVENT(OnDrawRect);
    PUBLISH_EVENT(OnChange);
}

void TGradient::SetGradientStyle(TGradientStyle v)
{
    if (v == gradientStyle_) return;
    gradientStyle_ = v;
    Changed();
}

void TGradient::SetLineSize(int32_t v)
{
    if (v == lineSize_) return;
    lineSize_ = v;
    Changed();
}

void TGradient::SetColor(int index, TColor v)
{
    if (v == colors_[size_t(index)]) return;
    colors_[size_t(index)] = v;
    Changed();
}

void TGradient::SetColorCount(TColorCount v)
{
    if (v == colorCount_) return;
    colorCount_ = v;
    Changed();
}

void TGradient::SetLineDirection(TDirection v)
{
    if (v == lineDirection_) return;
    lineDirection_ = v;
    Changed();
}

void TGradient::Assign(const TPersistent* Source)
{
    if (auto* g = dynamic_cast<const TGradient*>(Source)) {
        gradientStyle_ = g->gradientStyle_;
        lineSize_ = g->lineSize_;
        colors_ = g->colors_;
        colorCount_ = g->colorCount_;
        lineDirection_ = g->lineDirection_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TGradient::Changed()
{
    if (OnChange) OnChange(this);
}

// ------------------------------------------------------------------ colour helpers

int ClampToByte(float x)
{
    float r = std::nearbyint(x);  // the default rounding mode: nearest, ties to even
    if (!(r > 0)) return 0;       // also NaN
    if (r > 255) return 255;
    return int(r);
}

TColor ColorFromChannels(float r, float g, float b)
{
    return TColor(ClampToByte(r) + ClampToByte(g) * 256 + ClampToByte(b) * 65536);
}

void SplitColor(TColor color, int& r, int& g, int& b)
{
    r = color & 0xFF;
    g = (color >> 8) & 0xFF;
    b = (color >> 16) & 0xFF;
}

TColor LightenColor(TColor color, int amount)
{
    int r, g, b;
    SplitColor(ColorToRGB(color), r, g, b);
    int64_t a = amount;
    return ColorFromChannels(float(r + a), float(g + a), float(b + a));
}

TColor DarkenColor(TColor color, int amount) { return LightenColor(color, int(std::clamp<int64_t>(-int64_t(amount), INT32_MIN, INT32_MAX))); }

// ------------------------------------------------------------------ painters

namespace {

int32_t Clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The colour walk shared by every painter. Positions are 64-bit so that advancing past a
// coordinate near the 32-bit limit cannot overflow.
class ColorSequence {
public:
    ColorSequence(const TGradientColors& colors, int count, int64_t seg)
        : c_(colors), n_(count), seg_(seg), boundary_(seg)
    {
        start_ = c_[0];
        end_ = count > 1 ? c_[1] : c_[0];
        Split();
        r_ = sr_;
        g_ = sg_;
        b_ = sb_;
    }

    TColor Current() const { return ColorFromChannels(float(r_), float(g_), float(b_)); }

    // After a band: `position` is the new position, `step` the line size.
    void Advance(int64_t position, int step)
    {
        if (position >= boundary_) {
            boundary_ += seg_;
            k_ = std::min(k_ + 1, n_);
            start_ = end_;
            end_ = c_[size_t(std::clamp(k_, 0, 4))];
            Split();
        }
        if (seg_ == 0) return;  // a segment without length has no slope
        r_ += double(er_ - sr_) / double(seg_) * step;
        g_ += double(eg_ - sg_) / double(seg_) * step;
        b_ += double(eb_ - sb_) / double(seg_) * step;
    }

private:
    void Split()
    {
        SplitColor(start_, sr_, sg_, sb_);
        SplitColor(end_, er_, eg_, eb_);
    }

    const TGradientColors& c_;
    int n_;
    int64_t seg_;
    int64_t boundary_;
    int k_ = 1;
    TColor start_, end_;
    int sr_ = 0, sg_ = 0, sb_ = 0, er_ = 0, eg_ = 0, eb_ = 0;
    double r_ = 0, g_ = 0, b_ = 0;
};

enum RingKind { kEllipse, kRect, kCustom };

void PaintRings(TCanvas* Canvas, const TRect& Rect, const TGradientColors& Colors, int ColorCount,
                int LineSize, RingKind kind, const TDrawRectEvent* onDrawRect)
{
    if (!Canvas || Rect.Right == 0 || Rect.Bottom == 0) return;
    if (kind == kCustom && (!onDrawRect || !*onDrawRect)) return;
    int n = ColorCount <= 0 ? 3 : ColorCount;
    int s = LineSize <= 0 ? 1 : LineSize;
    int64_t w = Rect.Width(), h = Rect.Height();
    int64_t seg = (std::max(w, h) / n) / 2;
    ColorSequence seq(Colors, n, seg);
    if (kind != kRect) {
        Canvas->Pen()->SetWidth(0);
        Canvas->Pen()->SetStyle(psClear);
    }
    const int64_t R = Rect.Right, B = Rect.Bottom;
    int64_t x = Rect.Left, y = Rect.Top;
    while (x < R / 2 && y < B / 2) {
        Canvas->Brush()->SetColor(seq.Current());
        switch (kind) {
        case kEllipse: Canvas->Ellipse(Clamp32(x), Clamp32(y), Clamp32(R - x), Clamp32(B - y)); break;
        case kRect: Canvas->FillRect(::Rect(Clamp32(x), Clamp32(y), Rect.Right, Rect.Bottom)); break;
        case kCustom: (*onDrawRect)(nullptr, Canvas, ::Rect(Clamp32(x), Clamp32(y), Rect.Right, Rect.Bottom)); break;
        }
        x += s;
        y += s;
        seq.Advance(y, s);
    }
}

}  // namespace

void FillLineBands(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                   int Direction, int LineSize)
{
    if (!Canvas || Rect.Right == 0 || Rect.Bottom == 0) return;
    if (Direction != diHorizonal && Direction != diVertical) return;
    int s = LineSize <= 0 ? 1 : LineSize;
    int n = ColorCount <= 0 ? 3 : ColorCount;
    bool horizontal = Direction == diHorizonal;
    int64_t pos = horizontal ? Rect.Top : Rect.Left;
    int64_t limit = horizontal ? Rect.Bottom : Rect.Right;
    int64_t seg = (horizontal ? Rect.Height() : Rect.Width()) / n;
    ColorSequence seq(Colors, n, seg);
    while (pos <= limit) {
        TRect band = horizontal ? ::Rect(Rect.Left, Clamp32(pos), Rect.Right, Clamp32(pos + s))
                                : ::Rect(Clamp32(pos), Rect.Top, Clamp32(pos + s), Rect.Bottom);
        Canvas->Brush()->SetColor(seq.Current());
        Canvas->FillRect(band);
        pos += s;
        seq.Advance(pos, s);
    }
}

void PaintLineGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                       int Direction, int LineSize)
{
    if (!Canvas) return;
    if (Direction != diHorizonal && Direction != diVertical) return;
    // The bands are drawn once into an 8-pixel strip, which is then tiled across.
    TBitmap strip;
    if (Direction == diHorizonal)
        strip.SetSize(8, Clamp32(Rect.Height()));
    else
        strip.SetSize(Clamp32(Rect.Width()), 8);
    FillLineBands(strip.Canvas(), ::Rect(0, 0, strip.Width(), strip.Height()), Colors, ColorCount,
                  Direction, LineSize);
    TileFromOrigin(Canvas, &strip, Rect);
}

void PaintEllipseGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                          int LineSize)
{
    PaintRings(Canvas, Rect, Colors, ColorCount, LineSize, kEllipse, nullptr);
}

void PaintRectGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                       int LineSize)
{
    PaintRings(Canvas, Rect, Colors, ColorCount, LineSize, kRect, nullptr);
}

void PaintCustomGradient(TCanvas* Canvas, const TRect& Rect, TGradientColors Colors, int ColorCount,
                         int LineSize, const TDrawRectEvent& OnDrawRect)
{
    PaintRings(Canvas, Rect, Colors, ColorCount, LineSize, kCustom, &OnDrawRect);
}

void PaintGradient(TCanvas* Canvas, const TRect& Rect, const TGradient* Gradient)
{
    if (!Canvas || !Gradient || Rect.Right == 0 || Rect.Bottom == 0) return;
    TGradientColors c = Gradient->Colors();
    int n = Gradient->ColorCount();
    int s = Gradient->LineSize();
    switch (Gradient->GradientStyle()) {
    case gsLine: PaintLineGradient(Canvas, Rect, c, n, Gradient->LineDirection(), s); break;
    case gsEllipse: PaintEllipseGradient(Canvas, Rect, c, n, s); break;
    case gsRect: PaintRectGradient(Canvas, Rect, c, n, s); break;
    case gsCustomRect:
        if (Gradient->OnDrawRect) PaintCustomGradient(Canvas, Rect, c, n, s, Gradient->OnDrawRect);
        else PaintRectGradient(Canvas, Rect, c, n, s);
        break;
    default: break;
    }
}

// ------------------------------------------------------------------ decorated text

namespace {

// Remembers the font colour and puts it back when the routine ends, also on an exception.
class FontColorKeeper {
public:
    explicit FontColorKeeper(TCanvas* c) : canvas_(c), color_(c->Font()->Color()) {}
    ~FontColorKeeper() { canvas_->Font()->SetColor(color_); }
    TColor Color() const { return color_; }

private:
    TCanvas* canvas_;
    TColor color_;
};

}  // namespace

void DrawOutlinedText(TCanvas* Canvas, int X, int Y, const std::string& Text, TColor OutlineColor)
{
    if (!Canvas) return;
    {
        FontColorKeeper keep(Canvas);
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Font()->SetColor(OutlineColor);
        Canvas->TextOut(X + 1, Y + 1, Text);
        Canvas->TextOut(X - 1, Y + 1, Text);
        Canvas->TextOut(X - 1, Y - 1, Text);
        Canvas->TextOut(X + 1, Y - 1, Text);
    }
    Canvas->TextOut(X, Y, Text);
}

void Draw3DText(TCanvas* Canvas, const std::string& Text, int X, int Y, TColor UpLeftColor,
                TColor DownRightColor)
{
    if (!Canvas) return;
    {
        FontColorKeeper keep(Canvas);
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Font()->SetColor(DownRightColor);
        Canvas->TextOut(X + 1, Y + 1, Text);
        Canvas->Font()->SetColor(UpLeftColor);
        Canvas->TextOut(X - 1, Y - 1, Text);
    }
    Canvas->TextOut(X, Y, Text);
}

void DrawShadowText(TCanvas* Canvas, int X, int Y, const std::string& Text, TColor ShadowColor, int DX,
                    int DY)
{
    if (!Canvas) return;
    {
        FontColorKeeper keep(Canvas);
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Font()->SetColor(ShadowColor);
        Canvas->TextOut(Clamp32(int64_t(X) + DX), Clamp32(int64_t(Y) + DY), Text);
    }
    Canvas->TextOut(X, Y, Text);
}

// ------------------------------------------------------------------ masked images

void DrawMaskedImage(TCanvas* Canvas, int X, int Y, const TBitmap* Image, const TBitmap* Mask)
{
    if (!Canvas || !Image || !Mask) return;
    int w = Image->Width(), h = Image->Height();
    TBitmap work(w, h);
    TCanvas* wc = work.Canvas();
    wc->CopyRect(Rect(0, 0, w, h), Canvas, Bounds(X, Y, w, h));
    wc->SetCopyMode(SRCINVERT);
    wc->Draw(0, 0, Image);
    wc->SetCopyMode(SRCAND);
    wc->Draw(0, 0, Mask);
    wc->SetCopyMode(SRCINVERT);
    wc->Draw(0, 0, Image);
    Canvas->Draw(X, Y, &work);
}

namespace {

void DrawPictureText(TCanvas* Canvas, int X, int Y, const std::string& Text, const TBitmap* Picture,
                     bool fit)
{
    if (!Canvas) return;
    // The mask: white paper, black glyphs, exactly the text's extent.
    TBitmap mask;
    mask.SetMonochrome(true);
    TCanvas* mc = mask.Canvas();
    mc->SetFont(Canvas->Font());
    mc->Font()->SetColor(clBlack);
    int w = mc->TextWidth(Text), h = mc->TextHeight(Text);
    mask.SetSize(w, h);
    mc->TextOut(0, 0, Text);

    TBitmap work(w, h);
    TCanvas* wc = work.Canvas();
    wc->CopyRect(Rect(0, 0, w, h), Canvas, Bounds(X, Y, w, h));
    auto drawPicture = [&] {
        if (!Picture) return;
        if (fit) wc->StretchDraw(Rect(0, 0, w, h), Picture);
        else wc->Draw(0, 0, Picture);
    };
    wc->SetCopyMode(SRCINVERT);
    drawPicture();
    wc->SetCopyMode(SRCAND);
    wc->Draw(0, 0, &mask);
    wc->SetCopyMode(SRCINVERT);
    drawPicture();
    Canvas->Draw(X, Y, &work);
}

}  // namespace

void DrawBitmapFitText(TCanvas* Canvas, int X, int Y, const std::string& Text, const TBitmap* Picture)
{
    DrawPictureText(Canvas, X, Y, Text, Picture, true);
}

void DrawBitmapText(TCanvas* Canvas, int X, int Y, const std::string& Text, const TBitmap* Picture)
{
    DrawPictureText(Canvas, X, Y, Text, Picture, false);
}

// ------------------------------------------------------------------ tiling

namespace {

int64_t FloorDiv(int64_t a, int64_t b)  // b > 0
{
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

}  // namespace

void TileFromOrigin(TCanvas* Canvas, const TBitmap* Bitmap, const TRect& Rect)
{
    if (!Canvas || !Bitmap || Bitmap->Width() == 0 || Bitmap->Height() == 0) return;
    const int64_t BW = Bitmap->Width(), BH = Bitmap->Height();
    const int64_t L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
    if (L >= R || T >= B) return;
    TRect clip = Canvas->ClipRect();
    if (clip.IsEmpty()) return;
    // Whole tiles before the clip box change nothing: start with the first that reaches it.
    int64_t x0 = clip.Left > L ? L + (int64_t(clip.Left) - L) / BW * BW : L;
    int64_t y = clip.Top > T ? T + (int64_t(clip.Top) - T) / BH * BH : T;
    int64_t xEnd = std::min<int64_t>(R, clip.Right), yEnd = std::min<int64_t>(B, clip.Bottom);
    const TCanvas* src = Bitmap->Canvas();
    while (y < yEnd) {
        int64_t h = std::min(B - y, BH);
        for (int64_t x = x0; x < xEnd;) {
            int64_t w = std::min(R - x, BW);
            Canvas->CopyRect(::Rect(int32_t(x), int32_t(y), int32_t(x + w), int32_t(y + h)), src,
                             ::Rect(0, 0, int32_t(w), int32_t(h)));
            x += w;
        }
        y += h;
    }
}

void TileAligned(TCanvas* Canvas, const TBitmap* Bitmap, const TRect& Rect)
{
    if (!Canvas || !Bitmap || Bitmap->Width() == 0 || Bitmap->Height() == 0) return;
    const int64_t BW = Bitmap->Width(), BH = Bitmap->Height();
    const int64_t L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
    if (L >= R || T >= B) return;
    TRect clip = Canvas->ClipRect();
    if (clip.IsEmpty()) return;
    // The grid lines lie at multiples of the bitmap's size; start at the one that reaches
    // the clip box. Offsets use the floored remainder, so that negative coordinates keep
    // the grid too (pixel x shows column x mod BW, also for x < 0).
    int64_t x0 = std::max(L, FloorDiv(clip.Left, BW) * BW);
    int64_t y = std::max(T, FloorDiv(clip.Top, BH) * BH);
    int64_t xEnd = std::min<int64_t>(R, clip.Right), yEnd = std::min<int64_t>(B, clip.Bottom);
    const TCanvas* src = Bitmap->Canvas();
    while (y < yEnd) {
        int64_t sy = FloorMod(y, BH);
        int64_t h = std::min(B - y, BH - sy);
        for (int64_t x = x0; x < xEnd;) {
            int64_t sx = FloorMod(x, BW);
            int64_t w = std::min(R - x, BW - sx);
            Canvas->CopyRect(::Rect(int32_t(x), int32_t(y), int32_t(x + w), int32_t(y + h)), src,
                             ::Rect(int32_t(sx), int32_t(sy), int32_t(sx + w), int32_t(sy + h)));
            x += w;
        }
        y += h;
    }
}
