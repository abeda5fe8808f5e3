#include <gtest/gtest.h>

#include "platform/graphics/Color.h"

TEST(Color, ExplicitColoursKeepRedInTheLowByte)
{
    EXPECT_EQ(clNavy, RGB(0, 0, 128));
    EXPECT_EQ(clTeal, RGB(0, 128, 128));
    EXPECT_EQ(clYellow, RGB(255, 255, 0));
    EXPECT_EQ(TColor(16744448), RGB(0, 128, 255));
    EXPECT_EQ(TColor(12615680), RGB(0, 128, 192));
    EXPECT_EQ(ColorToPixel(RGB(1, 2, 3)), 0x010203u);
    EXPECT_EQ(PixelToColor(0x010203u), RGB(1, 2, 3));
}

TEST(Color, SystemColoursAreNegativeReferencesResolvedThroughTheTable)
{
    ResetSysColors();
    EXPECT_LT(clBtnFace, 0);
    EXPECT_EQ(uint32_t(clBtnFace), 0x8000000Fu);
    EXPECT_EQ(ColorToRGB(clBtnFace), clSilver);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clNavy), clNavy);  // explicit colours pass through
    // An index the table does not know resolves to black instead of reading past it.
    EXPECT_EQ(ColorToRGB(TColor(0x800000FF)), clBlack);
    EXPECT_EQ(ColorToRGB(TColor(0x80000019)), clBlack);

    SetSysColor(COLOR_BTNFACE, RGB(10, 20, 30));
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(10, 20, 30));
    ResetSysColors();
    EXPECT_EQ(ColorToRGB(clBtnFace), clSilver);
}

TEST(Color, StringConversionBothWays)
{
    struct Case {
        const char* text;
        bool ok;
        TColor value;
    } cases[] = {
        {"clBtnFace", true, clBtnFace},  {"clteal", true, clTeal},     {"$00FF8000", true, 16744448},
        {"16744448", true, 16744448},    {"-16777201", true, -16777201}, {"$8000000F", true, clBtnFace},
        {"clNoSuch", false, 0},          {"", false, 0},               {"$", false, 0},
        {"12x", false, 0},               {"--5", false, 0},            {"99999999999", false, 0},
    };
    for (const auto& c : cases) {
        TColor v = 0;
        EXPECT_EQ(StringToColor(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    EXPECT_EQ(ColorToString(clNavy), "clNavy");
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(16744448), "$00FF8000");
}
