// Paints a scene with every gradient style and text effect. The pixels checked here are
// the ones a layout change would move; with PALLIMER_SNAPSHOT_DIR set, the scene is also
// saved as PNG files there for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>

#include "presentation/Gradient.h"

namespace {

void Save(const TBitmap& b, const char* name)
{
    if (const char* dir = std::getenv("PALLIMER_SNAPSHOT_DIR")) b.SavePngToHostFile(std::string(dir) + "/" + name);
}

TColor At(const TBitmap& b, int x, int y) { return PixelToColor(b.ScanLine(y)[x]); }

}  // namespace

TEST(Snapshot, BackgroundWithShadowedTitle)
{
    TBitmap screen(640, 360);
    TGradient g;
    g.SetLineSize(1);
    g.SetColorCount(2);
    g.SetColor1(16744448);
    g.SetColor2(12615680);
    g.SetColor3(clTeal);
    PaintGradient(screen.Canvas(), Rect(0, 0, 640, 360), &g);
    TCanvas* c = screen.Canvas();
    c->Font()->SetName("Times New Roman");
    c->Font()->SetHeight(-48);
    c->Font()->SetStyle({fsBold, fsItalic});
    c->Font()->SetColor(clWhite);
    DrawShadowText(c, 40, 30, "Sample Product 1.1", clNavy, 3, 3);
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(-11);
    c->Font()->SetStyle({});
    TRect r = Rect(40, 300, 600, 350);
    c->DrawText("A notice line drawn with DrawText, word-wrapped inside its rectangle when it grows "
                "longer than the rectangle is wide.",
                r, DT_WORDBREAK);
    EXPECT_EQ(At(screen, 0, 0), RGB(0, 128, 255));
    EXPECT_EQ(At(screen, 639, 359), RGB(0, 128, 128));
    Save(screen, "background.png");
}

TEST(Snapshot, GradientStylesAndTextEffects)
{
    TBitmap b(600, 420);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clSilver);
    c->FillRect(Rect(0, 0, 600, 420));
    TGradient g;
    g.SetColorCount(4);
    g.SetColor1(clNavy);
    g.SetColor2(clAqua);
    g.SetColor3(clYellow);
    g.SetColor4(clRed);
    g.SetColor5(clBlack);
    g.SetLineSize(2);
    const TGradientStyle styles[] = {gsLine, gsLine, gsEllipse, gsRect};
    for (int i = 0; i < 4; ++i) {
        TBitmap cell(130, 100);
        g.SetGradientStyle(styles[i]);
        g.SetLineDirection(i == 1 ? diVertical : diHorizonal);
        PaintGradient(cell.Canvas(), Rect(0, 0, 130, 100), &g);
        c->Draw(10 + i * 145, 10, &cell);
    }
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(-40);
    c->Font()->SetStyle({fsBold});
    c->Font()->SetColor(clBlack);
    DrawOutlinedText(c, 10, 130, "Outlined", clWhite);
    c->Font()->SetColor(clSilver);
    Draw3DText(c, "Raised 3D", 300, 130, clWhite, clGray);
    c->Font()->SetColor(clWhite);
    DrawShadowText(c, 10, 190, "Shadow", clNavy, 3, 3);
    TBitmap grad(260, 60);
    g.SetGradientStyle(gsLine);
    g.SetLineDirection(diHorizonal);
    PaintGradient(grad.Canvas(), Rect(0, 0, 260, 60), &g);
    DrawBitmapFitText(c, 300, 190, "Gradient", &grad);
    TBitmap checks(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) checks.ScanLine(y)[x] = ((x / 4 + y / 4) & 1) ? 0xCC0000 : 0x0000CC;
    DrawBitmapText(c, 10, 250, "Small picture", &checks);
    TBitmap mask(120, 60), image(120, 60);
    mask.SetMonochrome(true);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->Pen()->SetStyle(psClear);
    mask.Canvas()->Ellipse(0, 0, 120, 60);
    PaintEllipseGradient(image.Canvas(), Rect(0, 0, 120, 60), g.Colors(), 3, 1);
    DrawMaskedImage(c, 10, 320, &image, &mask);
    TBitmap tile(3, 2);
    for (int i = 0; i < 6; ++i) tile.Bits()[i] = uint32_t(i * 40) << 8;
    TileAligned(c, &tile, Rect(300, 320, 590, 410));
    EXPECT_EQ(At(b, 10, 320), clSilver);  // the masked ellipse leaves its corners alone
    EXPECT_EQ(At(b, 300, 320), RGB(0, (300 % 3) * 40, 0));
    Save(b, "effects.png");
}
