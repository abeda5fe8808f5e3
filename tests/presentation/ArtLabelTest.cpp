// The art label, painted without a window system into its parent's surface.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/classes/Filer.h"
#include "platform/classes/TextForm.h"
#include "platform/vcl/Forms.h"
#include "presentation/ArtLabel.h"
#include "presentation/Backgnd.h"

namespace {

// A borderless parent whose surface shows what its children painted.
struct Stage {
    TForm form{nullptr};
    explicit Stage(int w = 300, int h = 120, TColor color = RGB(10, 20, 30))
    {
        form.SetBorderStyle(bsNone);
        form.SetBounds(0, 0, w, h);
        form.SetColor(color);
    }
    const TBitmap& Paint()
    {
        form.Repaint();
        return form.Surface();
    }
    TColor At(int x, int y) { return PixelToColor(form.Surface().ScanLine(y)[x]); }
};

// Counts its paints.
class TCountingArtLabel : public TArtLabel {
public:
    using TArtLabel::TArtLabel;
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        TArtLabel::Paint();
    }
};

TArtLabel* NewLabel(Stage& s, int x = 10, int y = 10)
{
    auto* l = new TArtLabel(&s.form);
    l->SetParent(&s.form);
    l->SetLeft(x);
    l->SetTop(y);
    l->Font()->SetColor(clBlack);
    return l;
}

std::set<std::pair<int, int>> PixelsOf(Stage& s, const TArtLabel* l, TColor c)
{
    std::set<std::pair<int, int>> out;
    for (int y = l->Top(); y < l->Top() + l->Height(); ++y)
        for (int x = l->Left(); x < l->Left() + l->Width(); ++x)
            if (s.At(x, y) == c) out.insert({x, y});
    return out;
}

TEST(ArtLabel, ConstructionValues)
{
    TArtLabel l(nullptr);
    EXPECT_EQ(l.Width(), 64);
    EXPECT_EQ(l.Height(), 25);
    EXPECT_EQ(l.Caption(), "Art Label");
    EXPECT_EQ(l.ArtStyle(), ArtStyleOf({as3DRaise, asShadow}));
    EXPECT_EQ(l.Color(), clBtnFace);
    EXPECT_EQ(l.ShadowColor(), clGray);
    EXPECT_EQ(l.ShadowLength(), 3);
    EXPECT_EQ(l.Font()->Name(), "Arial");
    EXPECT_EQ(l.Font()->Size(), 24);
    EXPECT_TRUE(l.Font()->Style().Contains(fsBold));
    EXPECT_EQ(l.Gradient()->LineSize(), 2);
    EXPECT_EQ(l.Gradient()->Color1(), clSilver);
    EXPECT_EQ(l.Gradient()->ColorCount(), 3);
    EXPECT_EQ(l.Gradient()->Color4(), clWhite);
    EXPECT_TRUE(l.GradientOutOfDate());
}

TEST(ArtLabel, AutoSizeFollowsTheTextWidthAndTheCellHeight)
{
    Stage s;
    TArtLabel* a = NewLabel(s);
    TArtLabel* b = NewLabel(s, 10, 60);
    for (TArtLabel* l : {a, b}) {
        l->SetBounds(l->Left(), l->Top(), 7, 5);
        l->SetAutoSize(true);
    }
    a->SetCaption("ace");
    b->SetCaption("Wg|");
    s.Paint();
    TBitmap probe(1, 1);
    probe.Canvas()->SetFont(a->Font());
    EXPECT_EQ(a->Width(), probe.Canvas()->TextWidth("ace") + 4);
    EXPECT_EQ(b->Width(), probe.Canvas()->TextWidth("Wg|") + 4);
    EXPECT_EQ(a->Height(), probe.Canvas()->TextHeight("Wg") + 4);
    EXPECT_EQ(a->Height(), b->Height());
}

TEST(ArtLabel, CaptionStaysTwoPixelsDownWhenLeftJustifiedButNotWhenCentred)
{
    // A label lower than its text: left justified the caption starts at (2, 2), centred
    // (and too wide) at (0, 0). The two outputs are the same picture shifted by (2, 2).
    Stage s;
    TArtLabel* left = NewLabel(s, 0, 0);
    TArtLabel* centre = NewLabel(s, 0, 60);
    for (TArtLabel* l : {left, centre}) {
        l->SetArtStyle(ArtStyleOf({asShadow}));
        l->SetCaption("Hgg");
        l->SetColor(clWhite);
        l->SetBounds(l->Left(), l->Top(), 40, 20);
    }
    centre->SetTextAlign(taCenter);
    s.Paint();
    int ink = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 38; ++x) {
            TColor c = s.At(x, 60 + y);
            EXPECT_EQ(c, s.At(x + 2, y + 2)) << x << "," << y;
            if (c != clWhite) ++ink;
        }
    EXPECT_GT(ink, 30);
}

TEST(ArtLabel, OutlineWinsOverThe3DEdgeAndEmptyStyleDrawsNoCaption)
{
    Stage s;
    TArtLabel* all = NewLabel(s, 0, 0);
    TArtLabel* two = NewLabel(s, 0, 60);
    TArtLabel* none = NewLabel(s, 150, 0);
    for (TArtLabel* l : {all, two, none}) {
        l->SetCaption("Ok");
        l->SetColor(clSilver);
        l->SetOutlineColor(clRed);
        l->SetBounds(l->Left(), l->Top(), 80, 50);
    }
    all->SetArtStyle(ArtStyleOf({asShadow, asOutlined, as3DRaise}));
    two->SetArtStyle(ArtStyleOf({asShadow, asOutlined}));
    none->SetArtStyle(0);
    s.Paint();
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 80; ++x) {
            ASSERT_EQ(s.At(x, y), s.At(x, 60 + y)) << x << "," << y;
            ASSERT_EQ(s.At(150 + x, y), clSilver);
        }
    EXPECT_FALSE(PixelsOf(s, all, clRed).empty());
}

TEST(ArtLabel, SunkAndRaisedEdgeColoursFromTheLabelColour)
{
    for (bool sunk : {true, false}) {
        Stage s;
        TArtLabel* l = NewLabel(s, 0, 0);
        l->SetCaption("IL");
        l->SetColor(RGB(192, 192, 192));
        l->SetBounds(0, 0, 80, 50);
        l->SetArtStyle(ArtStyleOf({sunk ? as3DSunk : as3DRaise}));
        s.Paint();
        auto glyph = PixelsOf(s, l, clBlack);
        ASSERT_FALSE(glyph.empty());
        TColor downRight = sunk ? RGB(255, 255, 255) : RGB(128, 128, 128);
        TColor upLeft = sunk ? RGB(128, 128, 128) : RGB(255, 255, 255);
        int checkedDown = 0, checkedUp = 0;
        for (auto [x, y] : glyph) {
            // A pixel just off the glyph's lower right that no other copy covers.
            if (!glyph.count({x + 1, y + 1}) && !glyph.count({x + 2, y + 2})) {
                EXPECT_EQ(s.At(x + 1, y + 1), downRight);
                ++checkedDown;
            }
            if (x >= 2 && y >= 2 && !glyph.count({x - 1, y - 1}) && !glyph.count({x - 2, y - 2})) {
                EXPECT_EQ(s.At(x - 1, y - 1), upLeft);
                ++checkedUp;
            }
        }
        EXPECT_GT(checkedDown, 3);
        EXPECT_GT(checkedUp, 3);
    }
}

TEST(ArtLabel, TransparentShadowLabelOverAGradientShowsOnlyShadowAndCaption)
{
    Stage s(300, 120);
    auto* back = new TBackground(&s.form);
    back->SetParent(&s.form);
    back->SetBounds(0, 0, 300, 120);
    back->BackObj()->Gradient()->SetColor1(RGB(0, 128, 255));
    back->BackObj()->Gradient()->SetColor2(RGB(0, 128, 128));
    back->BackObj()->Gradient()->SetColorCount(1);
    back->BackObj()->Gradient()->SetLineSize(1);
    back->BackObj()->SetBackStyle(bgGradient);
    TBitmap gradientOnly;
    gradientOnly.Assign(&s.Paint());

    TArtLabel* l = NewLabel(s, 8, 0);
    l->SetCaption("Tessaly");
    l->Font()->SetName("Times New Roman");
    l->Font()->SetHeight(-48);
    l->Font()->SetStyle(TFontStyles{fsBold, fsItalic});
    l->Font()->SetColor(clWhite);
    l->SetArtStyle(ArtStyleOf({asShadow}));
    l->SetShadowColor(clNavy);
    l->SetColor(clRed);
    l->SetTransparent(true);
    l->SetAutoSize(true);
    s.Paint();
    int white = 0, navy = 0, background = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 300; ++x) {
            TColor c = s.At(x, y);
            ASSERT_NE(c, clRed) << "the label's colour shows at " << x << "," << y;
            if (c == clWhite) ++white;
            else if (c == clNavy) ++navy;
            else {
                ASSERT_EQ(c, PixelToColor(gradientOnly.ScanLine(y)[x])) << x << "," << y;
                ++background;
            }
        }
    EXPECT_GT(white, 200);
    EXPECT_GT(navy, 50);
    EXPECT_GT(background, 20000);
}

TEST(ArtLabel, DecorationSettersRepaintOnlyWhenTheDecorationIsShown)
{
    Stage s;
    auto* l = new TCountingArtLabel(&s.form);
    l->SetParent(&s.form);
    l->SetBounds(0, 0, 200, 60);
    l->SetArtStyle(0);
    l->SetCaption("Ab");
    l->paints = 0;
    l->SetShadowColor(clLime);
    l->SetShadowLength(5);
    l->Gradient()->SetColor1(clYellow);
    EXPECT_EQ(l->paints, 0);
    EXPECT_TRUE(l->GradientOutOfDate());
    l->SetArtStyle(ArtStyleOf({asShadow}));
    EXPECT_EQ(l->paints, 1);
    EXPECT_FALSE(PixelsOf(s, l, clLime).empty());
    l->SetShadowColor(clAqua);
    EXPECT_EQ(l->paints, 2);
    EXPECT_FALSE(PixelsOf(s, l, clAqua).empty());
}

TEST(ArtLabel, GradientImageFollowsGradientChangesAndTheControlSize)
{
    Stage s;
    TArtLabel* l = NewLabel(s, 0, 0);
    l->SetCaption("WW");
    l->SetBounds(0, 0, 120, 60);
    l->SetArtStyle(ArtStyleOf({asGradient}));
    l->Gradient()->SetColorCount(1);
    l->Gradient()->SetColor1(clRed);
    l->Gradient()->SetColor2(clRed);
    ASSERT_NE(l->GradientImage(), nullptr);
    EXPECT_FALSE(l->GradientOutOfDate());
    EXPECT_FALSE(PixelsOf(s, l, clRed).empty());
    // A change repaints at once and shows the new gradient.
    l->Gradient()->SetColor1(clLime);
    l->Gradient()->SetColor2(clLime);
    EXPECT_TRUE(PixelsOf(s, l, clRed).empty());
    EXPECT_FALSE(PixelsOf(s, l, clLime).empty());
    l->SetBounds(0, 0, 150, 70);
    s.Paint();
    EXPECT_EQ(l->GradientImage()->Width(), 150);
    EXPECT_EQ(l->GradientImage()->Height(), 70);
}

TEST(ArtLabel, StoredFormSetsPropertiesByName)
{
    const char* text =
        "object Label1: TArtLabel\n"
        "  Left = 8\n  Top = 0\n  Width = 331\n  Height = 58\n"
        "  ArtStyle = [asShadow]\n  Caption = 'Tessaly v1.1'\n"
        "  Font.Color = clWhite\n  Font.Height = -48\n  Font.Name = 'Times New Roman'\n"
        "  Font.Style = [fsBold, fsItalic]\n"
        "  Transparent = True\n  Color = clBtnFace\n  ShadowColor = clNavy\n  OutlineColor = clWhite\n"
        "  AutoSize = True\n  ShadowLength = 3\n"
        "  Gradient.GradientStyle = gsLine\n  Gradient.LineSize = 2\n  Gradient.ColorCount = 3\n"
        "  TextAlign = taLeftJustify\n"
        "end\n";
    std::string binary = FormTextToBinary(text);
    TArtLabel l(nullptr);
    TReadOnlyMemoryStream st(binary.data(), int64_t(binary.size()));
    TReader r(st);
    r.ReadRootComponent(&l);
    EXPECT_EQ(l.Caption(), "Tessaly v1.1");
    EXPECT_EQ(l.ArtStyle(), ArtStyleOf({asShadow}));
    EXPECT_EQ(l.Font()->Height(), -48);
    EXPECT_EQ(l.Font()->Name(), "Times New Roman");
    EXPECT_EQ(l.ShadowColor(), clNavy);
    EXPECT_TRUE(l.Transparent());
    EXPECT_TRUE(l.AutoSize());
    // Written again in streaming order; the label's own properties are always stored.
    TMemoryStream out;
    TWriter w(out);
    w.WriteRootComponent(&l);
    std::string text2 = FormBinaryToText(std::string(reinterpret_cast<const char*>(out.Memory()), size_t(out.Size())));
    size_t at = 0;
    for (const char* name : {"ArtStyle = [asShadow]", "Caption = ", "Font.Height = -48", "Transparent = True",
                             "Color = clBtnFace", "Bitmap", "ShadowColor = clNavy", "OutlineColor = clWhite",
                             "AutoSize = True", "ShadowLength = 3", "Gradient.GradientStyle = gsLine",
                             "TextAlign = taLeftJustify"}) {
        size_t next = text2.find(name, at);
        if (std::string(name) == "Bitmap") continue;  // an empty bitmap stores nothing
        ASSERT_NE(next, std::string::npos) << name << " in\n" << text2;
        at = next;
    }
}

}  // namespace
