#include <gtest/gtest.h>

#include <cstring>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpFile.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PngFile.h"
#include "tests/support/TempMachine.h"

namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); }
void Put32(std::vector<uint8_t>& v, uint32_t x) { Put16(v, x & 0xFFFF); Put16(v, x >> 16); }

// A BMP file: header, 40-byte info header, palette, then `pixels` as given.
std::vector<uint8_t> MakeBmp(int32_t w, int32_t h, uint16_t bpp, uint32_t compression,
                             const std::vector<uint32_t>& palette, const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> v = {'B', 'M'};
    uint32_t off = 14 + 40 + uint32_t(palette.size()) * 4;
    Put32(v, off + uint32_t(pixels.size()));
    Put32(v, 0);
    Put32(v, off);
    Put32(v, 40);
    Put32(v, uint32_t(w));
    Put32(v, uint32_t(h));
    Put16(v, 1);
    Put16(v, bpp);
    Put32(v, compression);
    Put32(v, uint32_t(pixels.size()));
    Put32(v, 3780);
    Put32(v, 3780);
    Put32(v, uint32_t(palette.size()));
    Put32(v, 0);
    for (uint32_t p : palette) Put32(v, p);
    v.insert(v.end(), pixels.begin(), pixels.end());
    return v;
}

uint32_t Px(const TBitmap& b, int x, int y) { return b.ScanLine(y)[x]; }

}  // namespace

TEST(Bitmap, ResizingKeepsTheOverlapAndAddsWhite)
{
    TBitmap b(2, 2);
    EXPECT_EQ(Px(b, 1, 1), 0xFFFFFFu);
    b.ScanLine(0)[0] = 0x123456;
    b.ScanLine(1)[1] = 0x654321;
    b.SetSize(3, 1);
    EXPECT_EQ(Px(b, 0, 0), 0x123456u);
    EXPECT_EQ(Px(b, 2, 0), 0xFFFFFFu);
    b.SetHeight(2);
    EXPECT_EQ(Px(b, 1, 1), 0xFFFFFFu);  // the old (1, 1) was cut off by the shrink
    b.SetSize(-5, 4);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_THROW(b.SetSize(1 << 20, 1 << 20), EOutOfResources);
    EXPECT_EQ(b.Height(), 4);  // a refused size changes nothing
}

TEST(Bitmap, MonochromeKeepsOnlyTheBrushColourWhite)
{
    TBitmap b(3, 1);
    b.ScanLine(0)[0] = 0xFFFFFF;
    b.ScanLine(0)[1] = 0xFEFEFE;
    b.ScanLine(0)[2] = 0x0000FF;
    b.SetMonochrome(true);
    EXPECT_EQ(Px(b, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Px(b, 1, 0), 0u);
    EXPECT_EQ(Px(b, 2, 0), 0u);
    // Colours drawn into it become the nearer of black and white.
    b.Canvas()->Brush()->SetColor(RGB(200, 200, 200));
    b.Canvas()->FillRect(Rect(0, 0, 1, 1));
    b.Canvas()->Brush()->SetColor(RGB(100, 100, 180));
    b.Canvas()->FillRect(Rect(1, 0, 2, 1));
    EXPECT_EQ(Px(b, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Px(b, 1, 0), 0u);
}

TEST(Bitmap, AssignCopiesPixelsAndFormatButNotCanvasState)
{
    TBitmap a(2, 1), b;
    a.ScanLine(0)[1] = 0x00AA00;
    a.SetMonochrome(true);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Assign(&a);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(Px(b, 1, 0), 0u);
    EXPECT_EQ(b.Canvas()->Brush()->Color(), clRed);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(Bmp, ColourAndMonochromeRoundTrip)
{
    TBitmap colour(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) colour.ScanLine(y)[x] = uint32_t(x * 40) << 16 | uint32_t(y * 70) << 8 | 7;
    std::vector<uint8_t> bytes = WriteBmp(colour);
    EXPECT_EQ(bytes[28], 24);  // bits per pixel
    TBitmap back;
    ReadBmp(bytes.data(), bytes.size(), back);
    ASSERT_EQ(back.Width(), 5);
    ASSERT_EQ(back.Height(), 3);
    EXPECT_FALSE(back.Monochrome());
    EXPECT_EQ(std::memcmp(back.Bits(), colour.Bits(), 15 * 4), 0);

    TBitmap mono(9, 2);
    mono.SetMonochrome(true);
    mono.Canvas()->Brush()->SetColor(clBlack);
    mono.Canvas()->FillRect(Rect(0, 0, 3, 1));
    mono.Canvas()->FillRect(Rect(8, 1, 9, 2));
    bytes = WriteBmp(mono);
    EXPECT_EQ(bytes[28], 1);
    ReadBmp(bytes.data(), bytes.size(), back);
    EXPECT_TRUE(back.Monochrome());
    EXPECT_EQ(std::memcmp(back.Bits(), mono.Bits(), 18 * 4), 0);

    // Through the host file system and a stream.
    testsupport::TempDir dir;
    colour.SaveToHostFile(dir / "c.bmp");
    TBitmap fromFile;
    fromFile.LoadFromHostFile(dir / "c.bmp");
    EXPECT_EQ(std::memcmp(fromFile.Bits(), colour.Bits(), 15 * 4), 0);
    TMemoryStream ms;
    mono.SaveToStream(ms);
    uint8_t trailer[3] = {1, 2, 3};
    ms.Write(trailer, 3);  // a bitmap embedded in a longer stream
    ms.SetPosition(0);
    TBitmap fromStream;
    fromStream.LoadFromStream(ms);
    EXPECT_TRUE(fromStream.Monochrome());
    EXPECT_EQ(ms.Position(), ms.Size() - 3);
}

TEST(Bmp, ReadsPalettedBitFieldAndRleImages)
{
    // 4-bit, 3 x 2, bottom-up: bottom row indices 1 2 3, top row 0 0 1.
    std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    auto b4 = MakeBmp(3, 2, 4, 0, pal, {0x12, 0x30, 0, 0, 0x00, 0x10, 0, 0});
    TBitmap b;
    ReadBmp(b4.data(), b4.size(), b);
    EXPECT_EQ(Px(b, 0, 1), 0xFF0000u);
    EXPECT_EQ(Px(b, 2, 1), 0x0000FFu);
    EXPECT_EQ(Px(b, 2, 0), 0xFF0000u);

    // 8-bit top-down; an index beyond the palette reads as black.
    auto b8 = MakeBmp(2, -1, 8, 0, {0x112233, 0x445566}, {1, 9, 0, 0});
    ReadBmp(b8.data(), b8.size(), b);
    EXPECT_EQ(Px(b, 0, 0), 0x445566u);
    EXPECT_EQ(Px(b, 1, 0), 0u);

    // 16-bit 5-5-5 default masks: pure red is 0x7C00.
    auto b16 = MakeBmp(1, 1, 16, 0, {}, {0x00, 0x7C, 0, 0});
    ReadBmp(b16.data(), b16.size(), b);
    EXPECT_EQ(Px(b, 0, 0), 0xFF0000u);

    // RLE8, 4 x 2: bottom row "run of 3 x index 1, then index 2", top row absolute 0 1 2 1.
    auto rle = MakeBmp(4, 2, 8, 1, {0x000000, 0xAAAAAA, 0x123456},
                       {3, 1, 1, 2, 0, 0, 0, 4, 0, 1, 2, 1, 0, 1});
    ReadBmp(rle.data(), rle.size(), b);
    EXPECT_EQ(Px(b, 0, 1), 0xAAAAAAu);
    EXPECT_EQ(Px(b, 3, 1), 0x123456u);
    EXPECT_EQ(Px(b, 2, 0), 0x123456u);
    EXPECT_EQ(Px(b, 3, 0), 0xAAAAAAu);
}

TEST(Bmp, HostileInputIsRefusedAndLeavesTheBitmapAlone)
{
    std::vector<uint8_t> good = MakeBmp(2, 2, 24, 0, {}, std::vector<uint8_t>(16, 0x80));
    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        auto v = good;
        std::copy(bytes.begin(), bytes.end(), v.begin() + long(at));
        return v;
    };
    auto truncated = good;
    truncated.resize(truncated.size() - 3);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"no signature", patched(0, {'X', 'X'})},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
        {"pixels truncated", truncated},
        {"header size beyond data", patched(14, {0xFF, 0xFF, 0, 0})},
        {"odd header size", patched(14, {20, 0, 0, 0})},
        {"bit count 7", patched(28, {7, 0})},
        {"negative width", patched(18, {0xFE, 0xFF, 0xFF, 0xFF})},
        {"height INT_MIN", patched(22, {0, 0, 0, 0x80})},
        {"huge", patched(18, {0xFF, 0xFF, 0, 0})},
        {"jpeg compression", patched(30, {4, 0, 0, 0})},
        {"pixel offset beyond end", patched(10, {0xFF, 0xFF, 0, 0})},
        {"palette of 100000 colours", MakeBmp(1, 1, 8, 0, {}, {0, 0, 0, 0})},
        {"rle without end", MakeBmp(4, 2, 8, 1, {0}, {3, 1})},
        {"rle absolute run past end", MakeBmp(4, 2, 8, 1, {0}, {0, 200, 1})},
        {"top-down rle", MakeBmp(4, -2, 8, 1, {0}, {0, 1})},
    };
    // The 100000-colour palette: patch the colour count of that case.
    cases[12].bytes[46] = 0xA0;
    cases[12].bytes[47] = 0x86;
    cases[12].bytes[48] = 0x01;
    for (const auto& c : cases) {
        TBitmap b(1, 1);
        b.ScanLine(0)[0] = 0x010203;
        try {
            ReadBmp(c.bytes.data(), c.bytes.size(), b);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_NE(std::string(e.what()).find("Bitmap image is not valid"), std::string::npos) << c.name;
        }
        EXPECT_EQ(b.Width(), 1) << c.name;
        EXPECT_EQ(Px(b, 0, 0), 0x010203u) << c.name;
    }
    TBitmap b;
    EXPECT_THROW(b.LoadFromHostFile("/nonexistent/x.bmp"), EFOpenError);
}

TEST(Png, WritesAValidImage)
{
    TBitmap b(3, 2);
    std::vector<uint8_t> png = WritePng(b);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    TBitmap empty;
    EXPECT_THROW(WritePng(empty), EInvalidGraphic);
}
