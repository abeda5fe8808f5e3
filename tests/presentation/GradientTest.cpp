#include <gtest/gtest.h>

#include <vector>

#include "presentation/Gradient.h"

namespace {

TColor At(const TBitmap& b, int x, int y) { return PixelToColor(b.ScanLine(y)[x]); }

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.ScanLine(y)[x] != b.ScanLine(y)[x]) return false;
    return true;
}

const TGradientColors kBackground = {16744448, 12615680, clTeal, clWhite, clBlack};
const TGradientColors kPrimaries = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), clBlack};

}  // namespace

TEST(Gradient, DefaultsSettersAndAssign)
{
    TGradient g;
    EXPECT_EQ(g.GradientStyle(), gsLine);
    EXPECT_EQ(g.LineSize(), 3);
    EXPECT_EQ(g.Colors(), (TGradientColors{clGray, clWhite, clSilver, clWhite, clBlack}));
    EXPECT_EQ(g.ColorCount(), 3);
    EXPECT_EQ(g.LineDirection(), diHorizonal);
    EXPECT_FALSE(g.OnChange);
    EXPECT_FALSE(g.OnDrawRect);

    std::vector<TObject*> senders;
    g.OnChange = [&](TObject* s) { senders.push_back(s); };
    // Current values: nothing happens.
    g.SetGradientStyle(gsLine);
    g.SetLineSize(3);
    g.SetColor1(clGray);
    g.SetColor5(clBlack);
    g.SetColorCount(3);
    g.SetLineDirection(diHorizonal);
    EXPECT_TRUE(senders.empty());
    // Each effective change notifies once; ranges are not checked.
    g.SetGradientStyle(gsEllipse);
    g.SetLineSize(-7);
    g.SetColor2(clNavy);
    g.SetColor3(clTeal);
    g.SetColor4(clYellow);
    g.SetColorCount(9);
    g.SetLineDirection(diVertical);
    ASSERT_EQ(senders.size(), 7u);
    EXPECT_EQ(senders[0], &g);
    EXPECT_EQ(g.LineSize(), -7);
    EXPECT_EQ(g.ColorCount(), 9);

    // Assign copies the values, not the events, and notifies once even without a difference.
    TGradient other;
    other.OnDrawRect = [](TObject*, TCanvas*, TRect) {};
    senders.clear();
    g.Assign(&other);
    EXPECT_EQ(senders.size(), 1u);
    EXPECT_EQ(g.GradientStyle(), gsLine);
    EXPECT_EQ(g.Colors(), other.Colors());
    EXPECT_FALSE(g.OnDrawRect);
    g.Assign(&other);
    EXPECT_EQ(senders.size(), 2u);
    TBitmap notAGradient;
    EXPECT_THROW(g.Assign(&notAGradient), EConvertAssign);
}

TEST(Gradient, BandFillOfTheBackgroundColours)
{
    TBitmap b(8, 10);
    FillLineBands(b.Canvas(), Rect(0, 0, 8, 10), kBackground, 2, diHorizonal, 1);
    const int blue[10] = {255, 242, 230, 217, 205, 192, 179, 166, 153, 141};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(b, x, y), RGB(0, 128, blue[y])) << x << "," << y;
    // The brush is left at the last band's colour: the clipped band at the limit, which
    // keeps the row 9 colour because the last pair (teal to teal) has no slope.
    EXPECT_EQ(b.Canvas()->Brush()->Color(), RGB(0, 128, 141));
}

TEST(Gradient, VerticalBandsRoundHalvesToEvenAndDoNotClampTheRunningChannels)
{
    TBitmap b(12, 8);
    FillLineBands(b.Canvas(), Rect(0, 0, 12, 8), kPrimaries, 3, diVertical, 2);
    const TColor expected[6] = {RGB(0, 0, 0),   RGB(128, 0, 0),   RGB(0, 128, 0),
                                RGB(0, 255, 0), RGB(0, 128, 128), RGB(0, 0, 255)};
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 8; ++y) ASSERT_EQ(At(b, x, y), expected[x / 2]) << x << "," << y;
}

TEST(Gradient, EllipseRingsInsetByLineSize)
{
    TBitmap b(20, 12);
    b.Canvas()->Pen()->SetWidth(3);
    PaintEllipseGradient(b.Canvas(), Rect(0, 0, 20, 12), kPrimaries, 2, 1);
    const TColor expected[6] = {RGB(0, 0, 0),   RGB(51, 0, 0),  RGB(102, 0, 0),
                                RGB(153, 0, 0), RGB(204, 0, 0), RGB(153, 51, 0)};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(At(b, 10, i), expected[i]) << "inset " << i;
    EXPECT_EQ(At(b, 10, 6), expected[5]);  // the innermost ellipse spans rows 5 and 6
    EXPECT_EQ(At(b, 10, 11), expected[0]);
    EXPECT_EQ(At(b, 0, 0), clWhite);  // corners stay as they were
    EXPECT_EQ(At(b, 19, 11), clWhite);
    EXPECT_EQ(b.Canvas()->Pen()->Width(), 0);
    EXPECT_EQ(b.Canvas()->Pen()->Style(), psClear);
}

TEST(Gradient, RectBandsKeepTheBottomRightCorner)
{
    TBitmap b(10, 10);
    PaintRectGradient(b.Canvas(), Rect(0, 0, 10, 10), kPrimaries, 1 + 1, 1);
    // seg = (10 / 2) / 2 = 2; bands at insets 0..4 are L-shapes, the last covers (4..9, 4..9).
    EXPECT_EQ(At(b, 0, 9), RGB(0, 0, 0));
    EXPECT_EQ(At(b, 9, 0), RGB(0, 0, 0));
    EXPECT_EQ(At(b, 1, 9), At(b, 9, 1));
    EXPECT_NE(At(b, 1, 9), At(b, 0, 9));
    EXPECT_EQ(At(b, 9, 9), At(b, 4, 4));
    EXPECT_EQ(At(b, 5, 5), At(b, 4, 9));
}

TEST(Gradient, ColorCountOnePaintsColor1InEveryStyle)
{
    for (TGradientStyle style : {gsLine, gsEllipse, gsRect, gsCustomRect}) {
        for (TDirection dir : {diHorizonal, diVertical}) {
            TGradient g;
            g.SetGradientStyle(style);
            g.SetColorCount(1);
            g.SetLineDirection(dir);
            g.SetLineSize(1);
            g.SetColor1(RGB(10, 200, 30));
            if (style == gsCustomRect)
                g.OnDrawRect = [](TObject*, TCanvas* c, TRect r) { c->FillRect(r); };
            for (TRect r : {Rect(0, 0, 16, 9), Rect(0, 0, 9, 16)}) {
                TBitmap b(16, 16);
                PaintGradient(b.Canvas(), r, &g);
                int painted = 0;
                for (int y = 0; y < 16; ++y)
                    for (int x = 0; x < 16; ++x) {
                        TColor c = At(b, x, y);
                        if (c == clWhite) continue;
                        ASSERT_EQ(c, RGB(10, 200, 30)) << int(style) << " " << x << "," << y;
                        ++painted;
                    }
                EXPECT_GT(painted, 9 * 16 / 2) << int(style);
            }
        }
    }
}

TEST(Gradient, CustomStyleCallsTheHandlerOrFallsBackToRect)
{
    TGradient g;
    g.SetGradientStyle(gsCustomRect);
    g.SetLineSize(2);
    TBitmap custom(10, 8), rect(10, 8);
    PaintGradient(custom.Canvas(), Rect(0, 0, 10, 8), &g);
    g.SetGradientStyle(gsRect);
    PaintGradient(rect.Canvas(), Rect(0, 0, 10, 8), &g);
    EXPECT_TRUE(SamePixels(custom, rect));

    std::vector<TRect> bands;
    std::vector<TColor> colours;
    g.SetGradientStyle(gsCustomRect);
    g.OnDrawRect = [&](TObject* sender, TCanvas* c, TRect r) {
        EXPECT_EQ(sender, nullptr);
        bands.push_back(r);
        colours.push_back(c->Brush()->Color());
    };
    TBitmap b(10, 8);
    PaintGradient(b.Canvas(), Rect(0, 0, 10, 8), &g);
    EXPECT_EQ(bands, (std::vector<TRect>{Rect(0, 0, 10, 8), Rect(2, 2, 10, 8)}));  // y < 4
    EXPECT_EQ(colours[0], clGray);
    EXPECT_EQ(b.Canvas()->Pen()->Style(), psClear);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(At(b, 5, y), clWhite);  // the handler drew nothing
}

TEST(Gradient, RightOrBottomZeroPaintsNothingEvenWithNegativeLeftOrTop)
{
    TGradient g;
    g.SetLineSize(1);
    for (TGradientStyle style : {gsLine, gsEllipse, gsRect}) {
        g.SetGradientStyle(style);
        for (TRect r : {Rect(-5, -5, 0, 5), Rect(-5, -5, 5, 0)}) {
            TBitmap b(10, 10);
            b.Canvas()->SetOrigin(Point(5, 5));  // so that negative coordinates are visible
            PaintGradient(b.Canvas(), r, &g);
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x) ASSERT_EQ(At(b, x, y), clWhite) << int(style);
        }
    }
    // An unknown style paints nothing either.
    g.SetGradientStyle(TGradientStyle(7));
    TBitmap b(4, 4);
    PaintGradient(b.Canvas(), Rect(0, 0, 4, 4), &g);
    EXPECT_EQ(At(b, 0, 0), clWhite);
}

TEST(Gradient, SystemColourStopsAreSplitFromTheirStoredValue)
{
    TGradient g;
    g.SetColorCount(1);
    g.SetColor1(clBtnFace);
    TBitmap b(4, 4);
    PaintGradient(b.Canvas(), Rect(0, 0, 4, 4), &g);
    EXPECT_EQ(At(b, 2, 2), RGB(15, 0, 0));
}

TEST(Gradient, LineStyleTilesAnEightPixelStripExactlyLikeFullBands)
{
    for (TDirection dir : {diHorizonal, diVertical}) {
        for (TRect r : {Rect(0, 0, 37, 23), Rect(3, 2, 29, 21)}) {
            TBitmap tiled(40, 30), full(40, 30);
            PaintLineGradient(tiled.Canvas(), r, kPrimaries, 3, dir, 2);
            // The strip starts its colours at the rectangle's own top-left corner.
            TBitmap ref(int(r.Width()), int(r.Height()));
            FillLineBands(ref.Canvas(), Rect(0, 0, ref.Width(), ref.Height()), kPrimaries, 3, dir, 2);
            full.Canvas()->Draw(r.Left, r.Top, &ref);
            EXPECT_TRUE(SamePixels(tiled, full)) << int(dir) << " " << r.Left;
        }
    }
    // An unknown direction paints nothing.
    TBitmap b(8, 8);
    PaintLineGradient(b.Canvas(), Rect(0, 0, 8, 8), kPrimaries, 2, 5, 1);
    FillLineBands(b.Canvas(), Rect(0, 0, 8, 8), kPrimaries, 2, 5, 1);
    EXPECT_EQ(At(b, 3, 3), clWhite);
}

TEST(Gradient, DegenerateParametersNeitherFaultNorLoop)
{
    struct Case {
        const char* name;
        TRect rect;
        int count;
        int lineSize;
    } cases[] = {
        {"line size 0", Rect(0, 0, 12, 9), 2, 0},
        {"negative line size", Rect(0, 0, 12, 9), 2, -4},
        {"colour count 0", Rect(0, 0, 12, 9), 0, 1},
        {"negative colour count", Rect(0, 0, 12, 9), -3, 1},
        {"colour count beyond the stops", Rect(0, 0, 40, 30), 200, 1},
        {"segment of 0", Rect(0, 0, 3, 3), 4, 1},
        {"one pixel", Rect(0, 0, 1, 1), 4, 1},
        {"huge line size", Rect(0, 0, 12, 9), 2, INT32_MAX},
        {"inverted", Rect(10, 10, 2, 3), 2, 1},
        {"extreme coordinates", Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 2, INT32_MAX / 2},
    };
    for (const auto& c : cases) {
        TBitmap b(40, 30);
        TCanvas* cv = b.Canvas();
        PaintEllipseGradient(cv, c.rect, kPrimaries, c.count, c.lineSize);
        PaintRectGradient(cv, c.rect, kPrimaries, c.count, c.lineSize);
        int calls = 0;
        PaintCustomGradient(cv, c.rect, kPrimaries, c.count, c.lineSize,
                            [&](TObject*, TCanvas*, TRect) { ++calls; });
        EXPECT_LT(calls, 100) << c.name;
        if (c.rect.Height() < 100000 && c.rect.Width() < 100000) {
            FillLineBands(cv, c.rect, kPrimaries, c.count, diHorizonal, c.lineSize);
            PaintLineGradient(cv, c.rect, kPrimaries, c.count, diVertical, c.lineSize);
        }
    }
    // A segment of 0 gives a colour step of 0: Color1 throughout.
    TBitmap b(3, 3);
    PaintRectGradient(b.Canvas(), Rect(0, 0, 3, 3), kPrimaries, 4, 1);
    EXPECT_EQ(At(b, 2, 2), RGB(0, 0, 0));
    FillLineBands(b.Canvas(), Rect(0, 0, 3, 3), {RGB(9, 9, 9), clWhite, clWhite, clWhite, clWhite}, 4,
                  diHorizonal, 1);
    EXPECT_EQ(At(b, 1, 2), RGB(9, 9, 9));
}
