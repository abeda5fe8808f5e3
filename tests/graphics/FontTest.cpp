#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"

namespace {

// Counts pixels of `b` inside r equal to `pixel`.
int Count(const TBitmap& b, uint32_t pixel, TRect r = Rect(0, 0, 1 << 20, 1 << 20))
{
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(b.Height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(b.Width(), r.Right); ++x) n += b.ScanLine(y)[x] == pixel;
    return n;
}

void Fill(TBitmap& b, uint32_t pixel)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.ScanLine(y)[x] = pixel;
}

}  // namespace

TEST(Font, FamiliesResolveToTheirMetricCompatibleSubstitutes)
{
    struct Case {
        const char* family;
        bool bold, italic;
        const char* resolved;
        const char* fileHas;
    } cases[] = {
        {"Times New Roman", true, true, "Liberation Serif", "BoldItalic"},
        {"Arial", true, false, "Liberation Sans", "Bold"},
        {"MS Sans Serif", false, false, "Liberation Sans", "Regular"},
        {"ms sans serif", false, false, "Liberation Sans", "Regular"},
        {"Courier New", false, false, "Liberation Mono", "Regular"},
    };
    for (const auto& c : cases) {
        auto face = AcquireFontFace(c.family, -12, c.bold, c.italic);
        EXPECT_EQ(face->FamilyName(), c.resolved) << c.family;
        EXPECT_NE(face->FileName().find(c.fileHas), std::string::npos) << c.family << ": " << face->FileName();
    }
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081');
}

TEST(Font, HeightAndPointSize)
{
    TFont f;
    EXPECT_EQ(f.Name(), "MS Sans Serif");
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.Color(), clWindowText);
    f.SetSize(24);
    EXPECT_EQ(f.Height(), -32);
    f.SetHeight(-48);
    EXPECT_EQ(f.Size(), 36);
    EXPECT_EQ(MulDiv(-11, 72, 96), -8);
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);

    // Negative height: the em is that many pixels; the cell adds the font's leading.
    // Times New Roman's cell is (1825 + 443) / 2048 of the em: 43 + 10 pixels at 48.
    f.SetName("Times New Roman");
    EXPECT_EQ(f.Metrics().Ascent, 43);
    EXPECT_EQ(f.Metrics().Height, 53);
    // Positive height: the cell itself.
    f.SetHeight(20);
    EXPECT_EQ(f.Metrics().Height, 20);
}

TEST(Font, ChangesNotifyOnlyWhenSomethingChanges)
{
    TFont f, g;
    int calls = 0;
    f.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &f);
        ++calls;
    };
    f.SetName("MS Sans Serif");
    f.SetHeight(-11);
    f.SetColor(clWindowText);
    EXPECT_EQ(calls, 0);
    f.SetStyle({fsBold});
    f.SetColor(clRed);
    EXPECT_EQ(calls, 2);
    g.SetName("Arial");
    f.Assign(&g);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(f.Name(), "Arial");
    EXPECT_EQ(f.Style(), TFontStyles{});
}

TEST(Font, TextIsTwoValuedAndMeasuresAdditively)
{
    TBitmap b(200, 40);
    TCanvas* c = b.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(-16);
    c->Font()->SetColor(clRed);
    EXPECT_EQ(c->TextHeight("a"), c->TextHeight("Wg"));
    EXPECT_EQ(c->TextHeight(""), c->TextHeight("Wg"));
    EXPECT_EQ(c->TextWidth("Wag"), c->TextWidth("W") + c->TextWidth("a") + c->TextWidth("g"));
    EXPECT_EQ(c->TextWidth(""), 0);

    // Opaque: the cell is brush colour or ink, nothing else; outside it nothing changes.
    Fill(b, 0x808080);
    c->Brush()->SetColor(clWhite);
    int w = c->TextWidth("Wag"), h = c->TextHeight("Wag");
    c->TextOut(10, 5, "Wag");
    TRect cell = Bounds(10, 5, w, h);
    int ink = Count(b, 0xFF0000, cell), paper = Count(b, 0xFFFFFF, cell);
    EXPECT_GT(ink, 20);
    EXPECT_EQ(ink + paper, w * h);
    EXPECT_EQ(Count(b, 0x808080), 200 * 40 - w * h);

    // Clear: only ink is added.
    Fill(b, 0x808080);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(10, 5, "Wag");
    EXPECT_EQ(Count(b, 0xFF0000), ink);
    EXPECT_EQ(Count(b, 0xFF0000) + Count(b, 0x808080), 200 * 40);
}

TEST(Font, StylesChangeTheGlyphs)
{
    TBitmap b(300, 40);
    TCanvas* c = b.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(-20);
    c->Font()->SetColor(clBlack);
    int regular = c->TextWidth("Hello");
    c->TextOut(0, 0, "Hello");
    int regularInk = Count(b, 0);
    int base = c->FontMetrics().Ascent;
    int below = Count(b, 0, Rect(0, base, 300, 40));

    c->Font()->SetStyle({fsBold});
    EXPECT_GT(c->TextWidth("Hello"), regular);
    c->Font()->SetStyle({fsUnderline});
    Fill(b, 0xFFFFFF);
    c->TextOut(0, 0, "Hello");
    EXPECT_GT(Count(b, 0, Rect(0, base, 300, 40)), below + regular / 2);
    c->Font()->SetStyle({fsStrikeOut});
    Fill(b, 0xFFFFFF);
    c->TextOut(0, 0, "Hello");
    EXPECT_GT(Count(b, 0), regularInk);
}

TEST(Font, DrawTextWrapsAlignsAndMarksPrefixes)
{
    TBitmap b(120, 100);
    TCanvas* c = b.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(-12);
    int lh = c->TextHeight("x");
    const std::string text = "The quick brown fox jumps over the lazy dog";

    TRect r = Rect(0, 0, 80, 0);
    int height = c->DrawText(text, r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GT(height, lh);
    EXPECT_EQ(height % lh, 0);
    EXPECT_EQ(r.Bottom, height);
    EXPECT_LE(r.Right, 80);

    r = Rect(0, 0, 1000, 0);
    EXPECT_EQ(c->DrawText("one\r\ntwo\nthree", r, DT_CALCRECT), 3 * lh);
    EXPECT_EQ(c->DrawText("one\r\ntwo", r, DT_CALCRECT | DT_SINGLELINE), lh);
    EXPECT_EQ(r.Right, c->TextWidth("one\r\ntwo"));
    c->DrawText("&File", r, DT_CALCRECT);
    EXPECT_EQ(r.Right, c->TextWidth("File"));
    c->DrawText("&&File", r, DT_CALCRECT);
    EXPECT_EQ(r.Right, c->TextWidth("&File"));
    c->DrawText("&File", r, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(r.Right, c->TextWidth("&File"));

    // A word longer than the line breaks between characters.
    r = Rect(0, 0, 30, 0);
    EXPECT_GT(c->DrawText("Supercalifragilistic", r, DT_WORDBREAK | DT_CALCRECT), lh);
    EXPECT_LE(r.Right, 30);

    // Right alignment puts the ink against the right edge; drawing is clipped to r.
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    r = Rect(10, 10, 110, 10 + lh);
    c->DrawText("Right", r, DT_RIGHT | DT_SINGLELINE);
    EXPECT_GT(Count(b, 0, Rect(100, 10, 110, 10 + lh)), 0);
    EXPECT_EQ(Count(b, 0, Rect(10, 10, 60, 10 + lh)), 0);
    EXPECT_EQ(Count(b, 0, Rect(0, 0, 120, 10)) + Count(b, 0, Rect(0, 10 + lh, 120, 100)), 0);

    // The prefixed character is underlined: more ink than without the mark.
    TBitmap u1(60, 20), u2(60, 20);
    for (TBitmap* u : {&u1, &u2}) {
        u->Canvas()->Font()->Assign(c->Font());
        u->Canvas()->Brush()->SetStyle(bsClear);
    }
    TRect r1 = Rect(0, 0, 60, 20), r2 = r1;
    u1.Canvas()->DrawText("&File", r1, DT_SINGLELINE);
    u2.Canvas()->DrawText("File", r2, DT_SINGLELINE);
    EXPECT_GT(Count(u1, 0), Count(u2, 0));
}
