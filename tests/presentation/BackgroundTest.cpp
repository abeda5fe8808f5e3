// The buffered background control and its description.
#include <gtest/gtest.h>

#include "platform/vcl/Forms.h"
#include "presentation/Backgnd.h"

namespace {

struct Stage {
    TForm form{nullptr};
    TBackground* back;
    Stage()
    {
        form.SetBorderStyle(bsNone);
        form.SetBounds(0, 0, 200, 150);
        back = new TBackground(&form);
        back->SetParent(&form);
    }
    TColor At(int x, int y) { return PixelToColor(form.Surface().ScanLine(y)[x]); }
};

TEST(Background, NewBackgroundIsASquareOfBlack)
{
    Stage s;
    EXPECT_EQ(s.back->Width(), 144);
    EXPECT_EQ(s.back->Height(), 144);
    EXPECT_EQ(s.back->BackObj()->BackStyle(), bgSingleColor);
    s.form.Repaint();
    EXPECT_EQ(s.At(0, 0), clBlack);
    EXPECT_EQ(s.At(143, 143), clBlack);
    EXPECT_EQ(s.At(144, 10), s.form.Color() == clBtnFace ? ColorToRGB(clBtnFace) : s.form.Color());
}

TEST(Background, DescriptionChangesRegenerateAndInvalidateEvenWithoutVisibleEffect)
{
    Stage s;
    s.back->BackObj()->SetBackStyle(bgGradient);
    s.form.Update();
    ASSERT_TRUE(s.form.PendingPaint().IsEmpty());
    // The colour is not used by a gradient, but the change still counts.
    s.back->BackObj()->SetColor(clRed);
    EXPECT_EQ(s.form.PendingPaint(), s.back->BoundsRect());
}

TEST(Background, GradientSetterNotifiesTwiceAndAssignKeepsTheColour)
{
    TBackgndObj obj;
    int changes = 0;
    obj.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &obj);
        ++changes;
    };
    TGradient other;
    other.SetColor1(clYellow);
    obj.SetGradient(&other);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(obj.Gradient()->Color1(), clYellow);

    Stage s;
    s.back->BackObj()->SetColor(clLime);
    TBackgndObj source;
    source.SetColor(clRed);
    source.SetBackStyle(bgTileBitmap);
    s.back->SetBackObj(&source);
    EXPECT_EQ(s.back->BackObj()->Color(), clLime);
    EXPECT_EQ(s.back->BackObj()->BackStyle(), bgTileBitmap);
}

TEST(Background, ResizeRegeneratesAtTheNextPaintAndPartialPaintsCopyOnlyTheirPart)
{
    Stage s;
    s.back->BackObj()->SetColor(clBlue);
    s.back->SetBounds(0, 0, 100, 80);
    EXPECT_EQ(s.back->Buffer()->Width(), 144);
    s.form.Repaint();
    EXPECT_EQ(s.back->Buffer()->Width(), 100);
    EXPECT_EQ(s.back->Buffer()->Height(), 80);
    // Mark the surface, then paint a part of the control: only that part is copied.
    TCanvas* c = s.form.Surface().Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 100, 80));
    s.form.InvalidateWindowRect(Rect(10, 20, 30, 25), true);
    EXPECT_EQ(s.At(10, 20), clBlue);
    EXPECT_EQ(s.At(29, 24), clBlue);
    EXPECT_EQ(s.At(30, 24), clFuchsia);
    EXPECT_EQ(s.At(10, 25), clFuchsia);
    EXPECT_EQ(s.At(9, 20), clFuchsia);
}

TEST(Background, TiledPictureRepeatsFromTheCanvasOrigin)
{
    Stage s;
    TBitmap pic(3, 2);
    const TColor colours[6] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) pic.Canvas()->SetPixel(x, y, colours[y * 3 + x]);
    s.back->BackObj()->SetPicture(&pic);
    s.back->BackObj()->SetBackStyle(bgTileBitmap);
    s.form.Repaint();
    for (int y = 0; y < 144; y += 7)
        for (int x = 0; x < 144; x += 5) ASSERT_EQ(s.At(x, y), colours[(y % 2) * 3 + x % 3]) << x << "," << y;
}

TEST(Background, GradientSpreadsOverTheWholeHeight)
{
    Stage s;
    s.back->SetBounds(0, 0, 200, 150);
    TGradient* g = s.back->BackObj()->Gradient();
    g->SetLineSize(1);
    g->SetColor1(RGB(0, 128, 255));
    g->SetColor2(RGB(0, 128, 192));
    g->SetColor3(clTeal);
    g->SetColorCount(2);
    s.back->BackObj()->SetBackStyle(bgGradient);
    s.form.Repaint();
    EXPECT_EQ(s.At(0, 0), RGB(0, 128, 255));
    EXPECT_EQ(s.At(199, 0), RGB(0, 128, 255));
    TColor bottom = s.At(100, 149);
    int r, gg, b;
    SplitColor(bottom, r, gg, b);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(gg, 128);
    EXPECT_NEAR(b, 128, 2);
}

}  // namespace
