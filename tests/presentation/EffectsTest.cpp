#include <gtest/gtest.h>

#include <chrono>

#include "presentation/Gradient.h"

namespace {

TColor At(const TBitmap& b, int x, int y) { return PixelToColor(b.ScanLine(y)[x]); }

void Fill(TBitmap& b, TColor c)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.ScanLine(y)[x] = ColorToPixel(c);
}

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.ScanLine(y)[x] != b.ScanLine(y)[x]) return false;
    return a.Width() == b.Width() && a.Height() == b.Height();
}

void UseFont(TCanvas* c, int height = -24)
{
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(height);
    c->Font()->SetStyle({fsBold});
}

// A 3 x 2 bitmap whose pixel (x, y) has the colour RGB(x, y, 77).
TBitmap* MakeTile()
{
    auto* t = new TBitmap(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) t->ScanLine(y)[x] = ColorToPixel(RGB(x, y, 77));
    return t;
}

int FloorMod(int a, int b) { return ((a % b) + b) % b; }

}  // namespace

TEST(Effects, ColourHelpers)
{
    struct Case {
        float x;
        int expected;
    } clamps[] = {{127.5f, 128}, {126.5f, 126}, {-0.4f, 0}, {255.6f, 255}, {0.5f, 0}, {1.5f, 2},
                  {-1e30f, 0},   {1e30f, 255},  {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& c : clamps) EXPECT_EQ(ClampToByte(c.x), c.expected) << c.x;
    EXPECT_EQ(ColorFromChannels(1, 2, 3), RGB(1, 2, 3));
    EXPECT_EQ(ColorFromChannels(-127.5f, 300, 127.5f), RGB(0, 255, 128));

    int r, g, b;
    SplitColor(clBtnFace, r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(15, 0, 0));
    SplitColor(RGB(1, 2, 3), r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(1, 2, 3));

    EXPECT_EQ(LightenColor(RGB(250, 10, 128), 64), RGB(255, 74, 192));
    EXPECT_EQ(DarkenColor(RGB(250, 10, 128), 64), RGB(186, 0, 64));
    EXPECT_EQ(LightenColor(RGB(1, 2, 3), INT32_MAX), clWhite);
    EXPECT_EQ(DarkenColor(RGB(1, 2, 3), INT32_MIN), clWhite);
    // A system colour is resolved with its current value first.
    ResetSysColors();
    EXPECT_EQ(LightenColor(clBtnFace, 64), RGB(255, 255, 255));
    EXPECT_EQ(DarkenColor(clBtnFace, 64), RGB(128, 128, 128));
    SetSysColor(COLOR_BTNFACE, RGB(100, 0, 0));
    EXPECT_EQ(LightenColor(clBtnFace, 10), RGB(110, 10, 10));
    ResetSysColors();
}

TEST(Effects, DecoratedTextDrawsItsPassesInOrderThenTheCaption)
{
    // Each routine must give exactly what its passes give when drawn by hand.
    struct Pass {
        int dx, dy;
        TColor color;
    };
    struct Case {
        const char* name;
        std::function<void(TCanvas*)> draw;
        std::vector<Pass> passes;
    } cases[] = {
        {"outlined", [](TCanvas* c) { DrawOutlinedText(c, 10, 8, "Tg", clYellow); },
         {{1, 1, clYellow}, {-1, 1, clYellow}, {-1, -1, clYellow}, {1, -1, clYellow}}},
        {"3D", [](TCanvas* c) { Draw3DText(c, "Tg", 10, 8, clWhite, clGray); },
         {{1, 1, clGray}, {-1, -1, clWhite}}},
        {"shadow", [](TCanvas* c) { DrawShadowText(c, 10, 8, "Tg", clNavy, 3, 2); }, {{3, 2, clNavy}}},
        {"shadow without offset", [](TCanvas* c) { DrawShadowText(c, 10, 8, "Tg", clNavy, 0, 0); }, {}},
    };
    for (const auto& c : cases) {
        TBitmap got(60, 40), want(60, 40);
        Fill(got, clTeal);
        Fill(want, clTeal);
        for (TBitmap* b : {&got, &want}) {
            UseFont(b->Canvas());
            b->Canvas()->Font()->SetColor(clRed);
            b->Canvas()->Brush()->SetColor(clBlue);  // must not show: the brush goes clear
        }
        c.draw(got.Canvas());
        TCanvas* w = want.Canvas();
        w->Brush()->SetStyle(bsClear);
        for (const auto& p : c.passes) {
            w->Font()->SetColor(p.color);
            w->TextOut(10 + p.dx, 8 + p.dy, "Tg");
        }
        w->Font()->SetColor(clRed);
        w->TextOut(10, 8, "Tg");
        EXPECT_TRUE(SamePixels(got, want)) << c.name;
        EXPECT_EQ(got.Canvas()->Font()->Color(), clRed) << c.name;
        EXPECT_EQ(got.Canvas()->Brush()->Style(), bsClear) << c.name;
    }
}

TEST(Effects, MaskedImageShowsTheImageWhereTheMaskIsBlack)
{
    TBitmap image(4, 2);
    Fill(image, clYellow);
    image.ScanLine(1)[3] = ColorToPixel(clRed);
    TBitmap mask(4, 2);
    mask.SetMonochrome(true);
    TBitmap canvas(8, 6);
    Fill(canvas, clTeal);

    // All white: nothing changes.
    DrawMaskedImage(canvas.Canvas(), 2, 2, &image, &mask);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(canvas, x, y), clTeal);
    // All black: the image, opaquely.
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 0, 4, 2));
    DrawMaskedImage(canvas.Canvas(), 2, 2, &image, &mask);
    EXPECT_EQ(At(canvas, 2, 2), clYellow);
    EXPECT_EQ(At(canvas, 5, 3), clRed);
    EXPECT_EQ(At(canvas, 1, 2), clTeal);
    EXPECT_EQ(At(canvas, 6, 3), clTeal);
    // Mixed, and partly outside the canvas: black columns show the image.
    Fill(canvas, clTeal);
    mask.Canvas()->Brush()->SetColor(clWhite);
    mask.Canvas()->FillRect(Rect(2, 0, 4, 2));
    DrawMaskedImage(canvas.Canvas(), -1, 5, &image, &mask);
    EXPECT_EQ(At(canvas, 0, 5), clYellow);  // image column 1
    EXPECT_EQ(At(canvas, 1, 5), clTeal);    // image column 2, mask white
    EXPECT_EQ(At(canvas, 0, 4), clTeal);
}

TEST(Effects, PictureTextFillsOnlyTheGlyphs)
{
    const std::string text = "Wg";
    // The glyph pixels: text in black on white, measured like the routine does.
    TBitmap glyphs;
    UseFont(glyphs.Canvas());
    glyphs.Canvas()->Font()->SetColor(clBlack);
    int w = glyphs.Canvas()->TextWidth(text), h = glyphs.Canvas()->TextHeight(text);
    glyphs.SetSize(w, h);
    glyphs.Canvas()->TextOut(0, 0, text);

    // Fit: a left-red, right-blue picture stretched over the text.
    TBitmap picture(2, 1);
    picture.ScanLine(0)[0] = ColorToPixel(clRed);
    picture.ScanLine(0)[1] = ColorToPixel(clBlue);
    TBitmap target(w + 10, h + 10);
    Fill(target, clTeal);
    UseFont(target.Canvas());
    target.Canvas()->Font()->SetColor(clLime);
    DrawBitmapFitText(target.Canvas(), 5, 5, text, &picture);
    int ink = 0;
    for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < target.Width(); ++x) {
            bool glyph = x >= 5 && y >= 5 && x < 5 + w && y < 5 + h && At(glyphs, x - 5, y - 5) == clBlack;
            TColor want = !glyph ? clTeal : (x - 5 < w / 2 ? clRed : clBlue);
            ASSERT_EQ(At(target, x, y), want) << x << "," << y;
            ink += glyph;
        }
    EXPECT_GT(ink, 50);

    // Unscaled with a 3 x 3 picture: glyph pixels beyond it are black.
    TBitmap small(3, 3);
    Fill(small, clYellow);
    Fill(target, clTeal);
    DrawBitmapText(target.Canvas(), 5, 5, text, &small);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool glyph = At(glyphs, x, y) == clBlack;
            TColor want = !glyph ? clTeal : (x < 3 && y < 3 ? clYellow : clBlack);
            ASSERT_EQ(At(target, x + 5, y + 5), want) << x << "," << y;
        }

    // Empty text draws nothing.
    Fill(target, clTeal);
    DrawBitmapFitText(target.Canvas(), 5, 5, "", &picture);
    DrawBitmapText(target.Canvas(), 5, 5, "", nullptr);
    EXPECT_EQ(At(target, 6, 6), clTeal);
}

TEST(Effects, TileFromOriginRestartsAtTheRectangle)
{
    std::unique_ptr<TBitmap> tile(MakeTile());
    struct Case {
        TRect rect;
    } cases[] = {{Rect(0, 0, 7, 5)}, {Rect(1, 1, 7, 5)}, {Rect(4, 1, 7, 5)}};
    for (const auto& c : cases) {
        TBitmap b(9, 7);
        TileFromOrigin(b.Canvas(), tile.get(), c.rect);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) {
                bool inside = x >= c.rect.Left && x < c.rect.Right && y >= c.rect.Top && y < c.rect.Bottom;
                TColor want = inside ? RGB((x - c.rect.Left) % 3, (y - c.rect.Top) % 2, 77) : clWhite;
                ASSERT_EQ(At(b, x, y), want) << c.rect.Left << ": " << x << "," << y;
            }
    }
}

TEST(Effects, TileAlignedAnchorsTheGridAtTheCanvasOrigin)
{
    std::unique_ptr<TBitmap> tile(MakeTile());
    // (4, 1, 7, 5) starts with the bitmap's area from (1, 1); two adjoining rectangles give
    // the same picture as one.
    TBitmap one(9, 7), two(9, 7);
    TileAligned(one.Canvas(), tile.get(), Rect(0, 0, 9, 7));
    TileAligned(two.Canvas(), tile.get(), Rect(0, 0, 4, 7));
    TileAligned(two.Canvas(), tile.get(), Rect(4, 0, 9, 7));
    EXPECT_TRUE(SamePixels(one, two));
    TBitmap b(9, 7);
    TileAligned(b.Canvas(), tile.get(), Rect(4, 1, 7, 5));
    EXPECT_EQ(At(b, 4, 1), RGB(1, 1, 77));
    EXPECT_EQ(At(b, 3, 1), clWhite);
    for (int y = 1; y < 5; ++y)
        for (int x = 4; x < 7; ++x) ASSERT_EQ(At(b, x, y), RGB(x % 3, y % 2, 77));

    // Negative logical coordinates keep the grid (floored remainders).
    TBitmap neg(10, 10);
    neg.Canvas()->SetOrigin(Point(5, 5));
    TileAligned(neg.Canvas(), tile.get(), Rect(-5, -5, 5, 5));
    for (int y = -5; y < 5; ++y)
        for (int x = -5; x < 5; ++x)
            ASSERT_EQ(neg.Canvas()->Pixel(x, y), RGB(FloorMod(x, 3), FloorMod(y, 2), 77)) << x << "," << y;

    // Empty bitmaps draw nothing.
    TBitmap empty;
    TileAligned(b.Canvas(), &empty, Rect(0, 0, 9, 7));
    TileFromOrigin(b.Canvas(), &empty, Rect(0, 0, 9, 7));
    EXPECT_EQ(At(b, 0, 0), clWhite);
}

TEST(Effects, TilingAHugeRectangleOnlyWorksOnTheVisiblePart)
{
    std::unique_ptr<TBitmap> tile(MakeTile());
    TBitmap b(16, 8);
    const int L = -1000000001, T = -999999999;
    TileFromOrigin(b.Canvas(), tile.get(), Rect(L, T, INT32_MAX, INT32_MAX));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(At(b, x, y), RGB(int((int64_t(x) - L) % 3), int((int64_t(y) - T) % 2), 77));
    TileAligned(b.Canvas(), tile.get(), Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(At(b, x, y), RGB(x % 3, y % 2, 77));
}
