#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

uint32_t Px(const TBitmap& b, int x, int y) { return b.ScanLine(y)[x]; }

void Fill(TBitmap& b, uint32_t pixel)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.ScanLine(y)[x] = pixel;
}

// The pixels of a bitmap as a picture: '#' where `ink`, '.' elsewhere.
std::string Picture(const TBitmap& b, uint32_t ink)
{
    std::string s;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) s += Px(b, x, y) == ink ? '#' : '.';
        s += '\n';
    }
    return s;
}

}  // namespace

TEST(Canvas, FillRectExcludesRightAndBottomAndRespectsClipAndOrigin)
{
    TBitmap b(6, 4);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(Picture(b, 0),
              "......\n"
              ".##...\n"
              ".##...\n"
              "......\n");
    Fill(b, 0xFFFFFF);
    c->SetOrigin(Point(2, 1));          // logical (0, 0) is pixel (2, 1)
    c->SetClipRect(Rect(0, 0, 3, 2));   // pixels (2..4, 1..2)
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 3, 2));
    c->FillRect(Rect(-5, -5, 100, 100));
    EXPECT_EQ(Picture(b, 0),
              "......\n"
              "..###.\n"
              "..###.\n"
              "......\n");
    EXPECT_EQ(c->Pixel(0, 0), clBlack);
    EXPECT_EQ(c->Pixel(-1, 0), -1);  // outside the clip box
    c->ResetClip();
    EXPECT_EQ(c->ClipRect(), Rect(-2, -1, 4, 3));
    c->Brush()->SetStyle(bsClear);
    Fill(b, 0xFFFFFF);
    c->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(Picture(b, 0).find('#'), std::string::npos);
}

TEST(Canvas, RasterOperationsCombineSourcePatternAndDestination)
{
    const uint32_t S = 0x0F0F0F & 0xFFFFFF, D = 0x335577, P = 0xF0F0F0;
    struct Case {
        const char* name;
        uint32_t rop;
        uint32_t expected;
    } cases[] = {
        {"SRCCOPY", SRCCOPY, S},
        {"SRCINVERT", SRCINVERT, S ^ D},
        {"SRCAND", SRCAND, S & D},
        {"SRCPAINT", SRCPAINT, S | D},
        {"NOTSRCCOPY", NOTSRCCOPY, ~S & 0xFFFFFF},
        {"SRCERASE", SRCERASE, S & ~D & 0xFFFFFF},
        {"NOTSRCERASE", NOTSRCERASE, ~(S | D) & 0xFFFFFF},
        {"MERGECOPY", MERGECOPY, P & S},
        {"MERGEPAINT", MERGEPAINT, (~S | D) & 0xFFFFFF},
        {"PATCOPY", PATCOPY, P},
        {"PATINVERT", PATINVERT, P ^ D},
        {"PATPAINT", PATPAINT, (P | ~S | D) & 0xFFFFFF},
        {"DSTINVERT", DSTINVERT, ~D & 0xFFFFFF},
        {"BLACKNESS", BLACKNESS, 0},
        {"WHITENESS", WHITENESS, 0xFFFFFF},
        {"DPSoa (0xA8)", 0x00A80000, (P | S) & D},
    };
    TBitmap src(1, 1);
    src.ScanLine(0)[0] = S;
    for (const auto& c : cases) {
        TBitmap dst(1, 1);
        dst.ScanLine(0)[0] = D;
        dst.Canvas()->Brush()->SetColor(PixelToColor(P));
        dst.Canvas()->SetCopyMode(c.rop);
        dst.Canvas()->Draw(0, 0, &src);
        EXPECT_EQ(Px(dst, 0, 0), c.expected) << c.name;
    }
}

TEST(Canvas, MonochromeAndColourBitmapsConvertWhenCombined)
{
    TBitmap mono(2, 1);
    mono.SetMonochrome(true);
    mono.ScanLine(0)[0] = 0;  // black
    TBitmap colour(2, 1);
    // Into a colour bitmap: black takes the font colour, white the brush colour.
    colour.Canvas()->Font()->SetColor(clRed);
    colour.Canvas()->Brush()->SetColor(clBlue);
    colour.Canvas()->Draw(0, 0, &mono);
    EXPECT_EQ(Px(colour, 0, 0), 0xFF0000u);
    EXPECT_EQ(Px(colour, 1, 0), 0x0000FFu);
    // With the defaults a mask is plain zero and all-one bits, so SRCAND cuts out black.
    TBitmap work(2, 1);
    Fill(work, 0x336699);
    work.Canvas()->SetCopyMode(SRCAND);
    work.Canvas()->Draw(0, 0, &mono);
    EXPECT_EQ(Px(work, 0, 0), 0u);
    EXPECT_EQ(Px(work, 1, 0), 0x336699u);
    // Into a monochrome bitmap: pixels of the source's brush colour become white.
    TBitmap src(2, 1);
    src.ScanLine(0)[0] = 0x00FF00;
    src.ScanLine(0)[1] = 0x123456;
    src.Canvas()->Brush()->SetColor(PixelToColor(0x123456));
    TBitmap m(2, 1);
    m.SetMonochrome(true);
    m.Canvas()->CopyRect(Rect(0, 0, 2, 1), src.Canvas(), Rect(0, 0, 2, 1));
    EXPECT_EQ(Px(m, 0, 0), 0u);
    EXPECT_EQ(Px(m, 1, 0), 0xFFFFFFu);
}

TEST(Canvas, StretchedCopiesSampleTheSourcePixelUnderEachCentre)
{
    TBitmap src(2, 2);
    src.ScanLine(0)[0] = 1;
    src.ScanLine(0)[1] = 2;
    src.ScanLine(1)[0] = 3;
    src.ScanLine(1)[1] = 4;
    TBitmap big(4, 4);
    big.Canvas()->StretchDraw(Rect(0, 0, 4, 4), &src);
    EXPECT_EQ(Px(big, 0, 0), 1u);
    EXPECT_EQ(Px(big, 1, 1), 1u);
    EXPECT_EQ(Px(big, 2, 1), 2u);
    EXPECT_EQ(Px(big, 3, 3), 4u);
    TBitmap small(1, 1);
    small.Canvas()->CopyRect(Rect(0, 0, 1, 1), big.Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(Px(small, 0, 0), 4u);  // the centre (2, 2) of the 4 x 4 source
    // Extreme rectangles: the mapping must not overflow, and only existing pixels are read.
    TBitmap dst(4, 4);
    dst.Canvas()->CopyRect(Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), src.Canvas(),
                           Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    EXPECT_EQ(Px(dst, 0, 0), 1u);
    EXPECT_EQ(Px(dst, 1, 1), 4u);
    EXPECT_EQ(Px(dst, 2, 2), 0xFFFFFFu);
    // Stretched by a hair over 2^32 pixels: destination x maps to source x.
    TBitmap dst2(4, 4);
    dst2.Canvas()->CopyRect(Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), src.Canvas(),
                            Rect(INT32_MIN + 1, INT32_MIN + 1, INT32_MAX, INT32_MAX));
    EXPECT_EQ(Px(dst2, 0, 0), 1u);
    EXPECT_EQ(Px(dst2, 1, 0), 2u);
    EXPECT_EQ(Px(dst2, 1, 1), 4u);
    EXPECT_EQ(Px(dst2, 3, 3), 0xFFFFFFu);
}

TEST(Canvas, CopiesReadMissingSourcePixelsAsNothingAndOverlapSafely)
{
    TBitmap src(2, 1);
    src.ScanLine(0)[0] = 0x111111;
    src.ScanLine(0)[1] = 0x222222;
    TBitmap dst(4, 1);
    dst.Canvas()->CopyRect(Rect(0, 0, 4, 1), src.Canvas(), Rect(-1, 0, 3, 1));
    EXPECT_EQ(Px(dst, 0, 0), 0xFFFFFFu);  // source column -1 does not exist
    EXPECT_EQ(Px(dst, 1, 0), 0x111111u);
    EXPECT_EQ(Px(dst, 2, 0), 0x222222u);
    EXPECT_EQ(Px(dst, 3, 0), 0xFFFFFFu);
    // Shift a row right by one within the same bitmap.
    dst.Canvas()->CopyRect(Rect(1, 0, 4, 1), dst.Canvas(), Rect(0, 0, 3, 1));
    EXPECT_EQ(Px(dst, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(Px(dst, 2, 0), 0x111111u);
    EXPECT_EQ(Px(dst, 3, 0), 0x222222u);
}

TEST(Canvas, BrushCopyReplacesOneColour)
{
    TBitmap strip(3, 1);
    strip.ScanLine(0)[0] = 0;  // black: the colour to replace
    strip.ScanLine(0)[1] = 0x808080;
    strip.ScanLine(0)[2] = 0;
    TBitmap dst(3, 1);
    Fill(dst, 0x0000FF);
    dst.Canvas()->Brush()->SetColor(clYellow);
    dst.Canvas()->SetCopyMode(SRCINVERT);  // not applied by a brush copy
    dst.Canvas()->BrushCopy(Rect(0, 0, 3, 1), &strip, Rect(0, 0, 3, 1), clBlack);
    EXPECT_EQ(Px(dst, 0, 0), 0xFFFF00u);
    EXPECT_EQ(Px(dst, 1, 0), 0x808080u);
    dst.Canvas()->Brush()->SetStyle(bsClear);
    Fill(dst, 0x0000FF);
    dst.Canvas()->BrushCopy(Rect(0, 0, 3, 1), &strip, Rect(0, 0, 3, 1), clBlack);
    EXPECT_EQ(Px(dst, 0, 0), 0x0000FFu);  // a clear brush leaves those pixels alone
}

TEST(Canvas, EllipseCoversPixelCentresInsideAndStaysInItsRectangle)
{
    TBitmap b(8, 6);
    TCanvas* c = b.Canvas();
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetColor(clBlack);
    c->Ellipse(0, 0, 8, 6);
    EXPECT_EQ(Picture(b, 0),
              "..####..\n"
              ".######.\n"
              "########\n"
              "########\n"
              ".######.\n"
              "..####..\n");
    // With a pen the outline is drawn inside the same pixels.
    Fill(b, 0xFFFFFF);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetColor(clRed);
    c->Brush()->SetColor(clWhite);
    c->Ellipse(0, 0, 8, 6);
    EXPECT_EQ(Picture(b, 0xFF0000),
              "..####..\n"
              ".#....#.\n"
              "#......#\n"
              "#......#\n"
              ".#....#.\n"
              "..####..\n");
    // Degenerate and reversed rectangles.
    Fill(b, 0xFFFFFF);
    c->Ellipse(3, 3, 3, 5);
    c->Ellipse(8, 6, 0, 0);  // the same as (0, 0, 8, 6)
    EXPECT_EQ(Px(b, 0, 2), 0xFF0000u);
}

TEST(Canvas, RectangleAndLines)
{
    TBitmap b(5, 4);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clBlue);
    c->Pen()->SetColor(clBlack);
    c->Rectangle(0, 0, 5, 4);
    EXPECT_EQ(Picture(b, 0),
              "#####\n"
              "#...#\n"
              "#...#\n"
              "#####\n");
    EXPECT_EQ(Px(b, 2, 1), 0x0000FFu);
    Fill(b, 0xFFFFFF);
    c->MoveTo(0, 0);
    c->LineTo(4, 0);  // the end point is not drawn ...
    EXPECT_EQ(Px(b, 4, 0), 0xFFFFFFu);
    c->LineTo(4, 3);  // ... but starts the next line
    EXPECT_EQ(Picture(b, 0),
              "#####\n"
              "....#\n"
              "....#\n"
              ".....\n");
    EXPECT_EQ(c->PenPos(), Point(4, 3));
    c->MoveTo(-2000000000, 1);  // far away: bounded work, nothing outside drawn
    c->LineTo(2000000000, 1);
    EXPECT_EQ(Px(b, 2, 1), 0u);
}
