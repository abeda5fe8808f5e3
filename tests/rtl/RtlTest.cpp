#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FileName.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/StrUtils.h"

TEST(InOutError, MessagesByCode)
{
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {2, "File not found"},          {3, "Invalid filename"},        {4, "Too many open files"},
        {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
        {106, "Invalid numeric input"}, {183, "I/O error 183"},         {32, "I/O error 32"},
    };
    for (auto& c : cases) {
        EInOutError e(c.code);
        EXPECT_EQ(e.Message(), c.text) << c.code;
        EXPECT_EQ(e.ErrorCode, c.code);
    }
    EXPECT_THROW(RaiseInOutError(2), EInOutError);
}

TEST(FloatFormat, GeneralFifteenDigits)
{
    const struct {
        double v;
        const char* text;
    } cases[] = {
        {36820.978587963, "36820.978587963"},
        {0, "0"},
        {1, "1"},
        {-2.5, "-2.5"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.333333333333333"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1.5e20, "1.5E20"},
        {100, "100"},
    };
    for (auto& c : cases) EXPECT_EQ(FloatToStr(c.v), c.text) << c.text;
}

TEST(FloatFormat, ParseIsTheInverseAndRefusesJunk)
{
    for (double v : {36820.978587963, 0.1, -7.25, 1e-5, 1.5e20})
        EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(v)), v);
    EXPECT_THROW(StrToFloat("1,5x"), EConvertError);
    EXPECT_THROW(StrToFloat(""), EConvertError);

    SetDecimalSeparator(',');
    EXPECT_EQ(FloatToStr(2.5), "2,5");
    EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
    EXPECT_THROW(StrToFloat("2.5"), EConvertError);
    SetDecimalSeparator('.');
}

TEST(IntFormat, ParseDecimalAndHex)
{
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x7fffffff"), INT32_MAX);
    EXPECT_EQ(StrToIntDef("2147483648", -1), -1);
    EXPECT_EQ(StrToIntDef("12a", 7), 7);
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(IntToHex(0x1F, 8), "0000001F");
}

TEST(DateTime, EncodeDecodeRoundTrip)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2000, 10, 22), 36821);
    TDateTime dt = EncodeDate(2000, 10, 21) + EncodeTime(23, 29, 10, 0);
    TSystemTime st = DateTimeToSystemTime(dt);
    EXPECT_EQ(st.Year, 2000);
    EXPECT_EQ(st.Month, 10);
    EXPECT_EQ(st.Day, 21);
    EXPECT_EQ(st.Hour, 23);
    EXPECT_EQ(st.Minute, 29);
    EXPECT_EQ(st.Second, 10);
    EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST(DateTime, DosDateTimeConversion)
{
    const struct {
        const char* name;
        int y, mo, d, h, mi, s;
        uint32_t dos;
    } cases[] = {
        {"first day", 1980, 1, 1, 0, 0, 0, 0x00210000},
        {"odd second rounds down", 2000, 10, 21, 23, 29, 11, (20u << 25) | (10u << 21) | (21u << 16) | (23u << 11) | (29u << 5) | 5u},
        {"last year", 2099, 12, 31, 23, 59, 58, (119u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u},
        {"before 1980", 1979, 12, 31, 23, 59, 59, 0},
        {"after 2099", 2100, 1, 1, 0, 0, 0, 0},
    };
    for (auto& c : cases) {
        TDateTime dt = EncodeDate(c.y, c.mo, c.d) + EncodeTime(c.h, c.mi, c.s, 0);
        EXPECT_EQ(static_cast<uint32_t>(DateTimeToFileDate(dt)), c.dos) << c.name;
        if (c.dos) {
            TDateTime back;
            ASSERT_TRUE(FileDateToDateTime(static_cast<int32_t>(c.dos), back)) << c.name;
            EXPECT_NEAR(back, dt, 2.0 / 86400) << c.name;
        }
    }
    TDateTime out;
    EXPECT_FALSE(FileDateToDateTime(0, out));  // day 0 of month 0
}

TEST(Random, SeedMakesItRepeatable)
{
    RandSeed = 12345;
    int a[5];
    for (int& v : a) v = Random(100);
    RandSeed = 12345;
    for (int v : a) EXPECT_EQ(Random(100), v);
    for (int i = 0; i < 1000; ++i) {
        int r = Random(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
    }
    EXPECT_EQ(Random(0), 0);
}

TEST(FileNames, Extractors)
{
    const struct {
        const char* in;
        const char* path;
        const char* dir;
        const char* name;
        const char* ext;
        const char* drive;
    } cases[] = {
        {"C:\\Program Files\\Tessaly\\tsly.dll", "C:\\Program Files\\Tessaly\\", "C:\\Program Files\\Tessaly", "tsly.dll", ".dll", "C:"},
        {"C:\\readme", "C:\\", "C:\\", "readme", "", "C:"},
        {"C:file.txt", "C:", "C:", "file.txt", ".txt", "C:"},
        {"a/b.c/d", "a/b.c/", "a/b.c", "d", "", ""},
        {"\\\\srv\\share\\x.y.z", "\\\\srv\\share\\", "\\\\srv\\share", "x.y.z", ".z", "\\\\srv\\share"},
    };
    for (auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.in), c.path) << c.in;
        EXPECT_EQ(ExtractFileDir(c.in), c.dir) << c.in;
        EXPECT_EQ(ExtractFileName(c.in), c.name) << c.in;
        EXPECT_EQ(ExtractFileExt(c.in), c.ext) << c.in;
        EXPECT_EQ(ExtractFileDrive(c.in), c.drive) << c.in;
    }
    EXPECT_EQ(ChangeFileExt("a.b\\c.txt", ".bak"), "a.b\\c.bak");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\x"), "C:\\x\\");
}

TEST(Strings, CaseAndCodePage)
{
    EXPECT_EQ(CompareText("Tessaly", "TESSALY"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_EQ(UpperCase("\xe9t\xe9"), "\xc9T\xc9");  // e-acute
    EXPECT_EQ(AnsiToUtf8("\x80 \xe9"), "\xe2\x82\xac \xc3\xa9");
    EXPECT_EQ(Utf8ToAnsi("\xe2\x82\xac \xc3\xa9"), "\x80 \xe9");
    EXPECT_EQ(Utf8ToAnsi("\xe4\xb8\xad"), "?");  // not in the code page
    EXPECT_EQ(Format("%s-%03d", "x", 7), "x-007");
    EXPECT_EQ(Trim("  a b \t"), "a b");
}
