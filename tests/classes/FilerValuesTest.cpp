// Tagged values: exact bytes, tag acceptance, exact positions, hostile lengths.
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "platform/classes/Filer.h"
#include "tests/support/TempMachine.h"

using testsupport::Hex;

namespace {

std::string Bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int v : b) s += static_cast<char>(v);
    return s;
}

template <class F>
std::string Written(F f)
{
    TMemoryStream m;
    TWriter w(m);
    f(w);
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

std::string ErrorOf(const std::string& bytes, void (*f)(TReader&))
{
    TStringStream s(bytes);
    TReader r(s);
    try {
        f(r);
    } catch (const EReadError& e) {
        return e.Message();
    }
    return "no error";
}

struct IntCase {
    const char* name;
    int64_t value;
    const char* hex;
};

TEST(FilerValues, IntegersUseTheSmallestTagAndReadBackFromAnyTag)
{
    const IntCase cases[] = {
        {"zero", 0, "02 00"},
        {"attr32", 32, "02 20"},
        {"max8", 127, "02 7F"},
        {"min8", -128, "02 80"},
        {"attr128", 128, "03 80 00"},
        {"below8", -129, "03 7F FF"},
        {"size1719", 1719, "03 B7 06"},
        {"max16", 32767, "03 FF 7F"},
        {"above16", 32768, "04 00 80 00 00"},
        {"size302592", 302592, "04 00 9E 04 00"},
        {"size148325", 148325, "04 65 43 02 00"},
        {"min32", std::numeric_limits<int32_t>::min(), "04 00 00 00 80"},
        {"above32", int64_t(1) << 32, "13 00 00 00 00 01 00 00 00"},
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string b = Written([&](TWriter& w) { w.WriteInteger(c.value); });
        EXPECT_EQ(Hex(b), c.hex);
        TStringStream s(b);
        TReader r(s);
        EXPECT_EQ(r.ReadInt64(), c.value);
        EXPECT_EQ(r.Position(), static_cast<int64_t>(b.size()));
    }
    // A wider tag than needed is accepted and sign-extended.
    TStringStream s(Bytes({vaInt32, 0xFF, 0xFF, 0xFF, 0xFF, vaInt16, 5, 0, vaInt8, 0xFE}));
    TReader r(s);
    EXPECT_EQ(r.ReadInteger(), -1);
    EXPECT_EQ(r.ReadInteger(), 5);
    EXPECT_EQ(r.ReadInteger(), -2);
}

TEST(FilerValues, StringsShortUpTo255CharactersLongBeyond)
{
    EXPECT_EQ(Hex(Written([](TWriter& w) { w.WriteString("uninstall.exe"); })),
              "06 0D 75 6E 69 6E 73 74 61 6C 6C 2E 65 78 65");
    EXPECT_EQ(Hex(Written([](TWriter& w) { w.WriteString(""); })), "06 00");
    std::string s255(255, 'a'), s256(256, 'b');
    std::string b255 = Written([&](TWriter& w) { w.WriteString(s255); });
    std::string b256 = Written([&](TWriter& w) { w.WriteString(s256); });
    EXPECT_EQ(Hex(b255.substr(0, 2)), "06 FF");
    EXPECT_EQ(Hex(b256.substr(0, 5)), "0C 00 01 00 00");
    TStringStream st(b255 + b256);
    TReader r(st);
    EXPECT_EQ(r.ReadString(), s255);
    EXPECT_EQ(r.ReadString(), s256);
    EXPECT_EQ(r.Position(), st.Size());
}

TEST(FilerValues, WideStringsAreConvertedToTheAnsiCodePage)
{
    // "e" acute, the euro sign (0x80 in the code page), a CJK character without one.
    std::string b = Written([](TWriter& w) { w.WriteWideString(u"\u00e9\u20ac\u4e2d!"); });
    TStringStream s(b);
    TReader r(s);
    EXPECT_EQ(r.ReadString(), "\xE9\x80?!");
}

TEST(FilerValues, ExtendedFloatsMatchTheStoredDatesAndRoundTripEveryDouble)
{
    // 21 October 2000, 23:29:10 as a day count.
    const double stamp = 36820.0 + (23 * 3600 + 29 * 60 + 10) / 86400.0;
    EXPECT_EQ(Hex(Written([&](TWriter& w) { w.WriteFloat(stamp); })),
              "05 00 30 A1 BD 84 FA D4 8F 0E 40");
    EXPECT_EQ(Hex(Written([](TWriter& w) { w.WriteFloat(0.0); })), "05 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(Written([](TWriter& w) { w.WriteFloat(1.0); })), "05 00 00 00 00 00 00 00 80 FF 3F");

    // The second stored date decodes to 2 November 2000, 22:11:24.
    TStringStream d(Bytes({5, 0x00, 0x18, 0x4B, 0x7E, 0xB1, 0xEC, 0xE0, 0x8F, 0x0E, 0x40}));
    TReader rd(d);
    EXPECT_EQ(rd.ReadFloat(), 36832.0 + (22 * 3600 + 11 * 60 + 24) / 86400.0);

    const double values[] = {1.5,
                             -2.25,
                             -0.0,
                             1e300,
                             -1e-300,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::min() / 3,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (double v : values) {
        SCOPED_TRACE(v);
        TExtended80 x = DoubleToExtended(v);
        double back = ExtendedToDouble(x);
        EXPECT_EQ(std::memcmp(&back, &v, 8), 0);
        EXPECT_EQ(ExtendedToLongDouble(x), static_cast<long double>(v));
        TExtended80 y = LongDoubleToExtended(static_cast<long double>(v));
        EXPECT_EQ(std::memcmp(x.Bytes, y.Bytes, 10), 0);
    }
    EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::nan("")))));
    // More precision than a double holds rounds to nearest.
    TExtended80 third = LongDoubleToExtended(1.0L / 3.0L);
    EXPECT_EQ(ExtendedToDouble(third), 1.0 / 3.0);
}

TEST(FilerValues, FloatFieldAcceptsIntegerTags)
{
    TStringStream s(Bytes({vaInt8, 7, vaInt16, 0x00, 0x80, vaInt32, 1, 0, 0, 0}));
    TReader r(s);
    EXPECT_EQ(r.ReadFloat(), 7.0);
    EXPECT_EQ(r.ReadFloat(), -32768.0);
    EXPECT_EQ(r.ReadFloat(), 1.0);
}

TEST(FilerValues, ArchiveHeaderEntryReadsToTheExactFirstDataByte)
{
    // One entry of a payload header, then the first bytes of the data area.
    std::string header = Bytes({0x01, 0x06, 0x0D}) + "uninstall.exe" +
                         Bytes({0x04, 0x00, 0x9E, 0x04, 0x00, 0x04, 0x65, 0x43, 0x02, 0x00, 0x02, 0x00, 0x03, 0x80,
                                0x00, 0x05, 0x00, 0x30, 0xA1, 0xBD, 0x84, 0xFA, 0xD4, 0x8F, 0x0E, 0x40, 0x00});
    TStringStream s(header + "DATA");
    TReader r(s);
    r.ReadListBegin();
    ASSERT_FALSE(r.EndOfList());
    EXPECT_EQ(r.ReadString(), "uninstall.exe");
    EXPECT_EQ(r.ReadInteger(), 302592);
    EXPECT_EQ(r.ReadInteger(), 148325);
    EXPECT_EQ(r.ReadInteger(), 0);
    EXPECT_EQ(r.ReadInteger(), 128);
    EXPECT_EQ(r.ReadFloat(), 36820.0 + (23 * 3600 + 29 * 60 + 10) / 86400.0);
    EXPECT_TRUE(r.EndOfList());
    r.ReadListEnd();
    EXPECT_EQ(r.Position(), static_cast<int64_t>(header.size()));
    EXPECT_EQ(s.Position(), static_cast<int64_t>(header.size()));
}

TEST(FilerValues, StorageRecordBytes)
{
    EXPECT_EQ(Hex(Written([](TWriter& w) { w.WriteBoolean(true); })), "09");
    EXPECT_EQ(Hex(Written([](TWriter& w) {
                  w.WriteBoolean(false);
                  w.WriteInteger(100);
              })),
              "08 02 64");
    EXPECT_EQ(Hex(Written([](TWriter& w) {
                  w.WriteBoolean(false);
                  w.WriteInteger(1000);
              })),
              "08 03 E8 03");
    EXPECT_EQ(Hex(Written([](TWriter& w) {
                  w.WriteBoolean(false);
                  w.WriteInteger(40000);
              })),
              "08 04 40 9C 00 00");
}

TEST(FilerValues, WrongTagsAndShortStreamsNameWhatAndWhere)
{
    struct Case {
        const char* name;
        std::string bytes;
        void (*read)(TReader&);
        const char* message;
    };
    const Case cases[] = {
        {"string for integer", Bytes({0x01, 0x06, 0x00}), [](TReader& r) { r.ReadListBegin(); r.ReadInteger(); },
         "Invalid stream format: integer expected at offset 1"},
        {"MZ for list", "MZ\x90", [](TReader& r) { r.ReadListBegin(); },
         "Invalid stream format: list expected at offset 0"},
        {"int64 for integer field", Bytes({0x13, 0, 0, 0, 0, 0, 0, 0, 0}), [](TReader& r) { r.ReadInteger(); },
         "Invalid stream format: integer expected at offset 0"},
        {"single for float field", Bytes({0x0F, 0, 0, 0, 0}), [](TReader& r) { r.ReadFloat(); },
         "Invalid stream format: float expected at offset 0"},
        {"identifier for string", Bytes({0x07, 0x01, 'a'}), [](TReader& r) { r.ReadString(); },
         "Invalid stream format: string expected at offset 0"},
        {"empty stream", "", [](TReader& r) { r.ReadInteger(); },
         "Invalid stream format: integer expected at offset 0 (end of stream)"},
        {"truncated int32", Bytes({0x04, 1, 2}), [](TReader& r) { r.ReadInteger(); },
         "Invalid stream format: integer at offset 0 runs past the end of the stream"},
        {"truncated extended", Bytes({0x05, 1, 2, 3}), [](TReader& r) { r.ReadFloat(); },
         "Invalid stream format: extended float at offset 0 runs past the end of the stream"},
        {"short string past end", Bytes({0x06, 10, 'a'}), [](TReader& r) { r.ReadString(); },
         "Invalid stream format: string at offset 0 runs past the end of the stream"},
        {"huge long string", Bytes({0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}), [](TReader& r) { r.ReadString(); },
         "Invalid stream format: long string of 2147483647 bytes at offset 0 runs past the end of the stream"},
        {"negative long string", Bytes({0x0C, 0xFF, 0xFF, 0xFF, 0xFF}), [](TReader& r) { r.ReadString(); },
         "Invalid stream format: long string with negative length at offset 0"},
        {"huge binary", Bytes({0x0A, 0xFF, 0xFF, 0xFF, 0xFF}), [](TReader& r) { r.ReadBinary(); },
         "Invalid stream format: binary data of 4294967295 bytes at offset 0 runs past the end of the stream"},
        {"list without end", Bytes({0x01, 0x02, 0x05}), [](TReader& r) { r.SkipValue(); },
         "Invalid stream format: value expected at offset 3 (end of stream)"},
        {"unknown tag", Bytes({0x2A}), [](TReader& r) { r.SkipValue(); },
         "Invalid stream format: value expected at offset 0"},
        {"raw read short", "abc", [](TReader& r) {
             char b[8];
             r.Read(b, 8);
         },
         "Invalid stream format: 8 bytes of data at offset 0 runs past the end of the stream"},
        {"bad signature", "TPF1", [](TReader& r) { r.ReadSignature(); },
         "Invalid stream format: signature TPF0 expected at offset 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf(c.bytes, c.read), c.message);
    }
}

TEST(FilerValues, NextValueAndFailedReadsLeaveThePositionUsable)
{
    TStringStream s(Bytes({0x09, 0x08}));
    TReader r(s);
    EXPECT_EQ(r.NextValue(), vaTrue);
    EXPECT_EQ(r.Position(), 0);
    EXPECT_THROW(r.ReadInteger(), EReadError);
    // The failing tag was consumed; the caller knows exactly where it stands.
    EXPECT_EQ(r.Position(), 1);
    EXPECT_FALSE(r.ReadBoolean());
}

TEST(FilerValues, SkipValueCoversEveryTypeAndRefusesDeepNesting)
{
    std::string all = Written([](TWriter& w) {
        w.WriteListBegin();
        w.WriteInteger(5);
        w.WriteInteger(1 << 20);
        w.WriteInteger(int64_t(1) << 40);
        w.WriteFloat(2.5);
        w.WriteSingle(1.5f);
        w.WriteDate(3.0);
        w.WriteCurrency(12345);
        w.WriteString("x");
        w.WriteString(std::string(300, 'y'));
        w.WriteWideString(u"wide");
        w.WriteIdent("clWhite");
        w.WriteIdent("nil");
        w.WriteBoolean(true);
        w.WriteSet({"asShadow", "asOutlined"});
        w.WriteBinary("\x01\x02", 2);
        w.WriteValue(vaCollection);
        w.WriteInteger(3);
        w.WriteListBegin();
        w.WriteStr("Width");
        w.WriteInteger(10);
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
    });
    TStringStream s(all + "!");
    TReader r(s);
    r.SkipValue();
    EXPECT_EQ(r.Position(), static_cast<int64_t>(all.size()));

    std::string deep(100000, '\x01');
    TStringStream d(deep);
    TReader rd(d);
    try {
        rd.SkipValue();
        FAIL() << "deep nesting accepted";
    } catch (const EReadError& e) {
        EXPECT_NE(e.Message().find("nested too deeply"), std::string::npos) << e.Message();
    }
}

TEST(FilerValues, IdentifiersAndTheirSpecialTags)
{
    std::string b = Written([](TWriter& w) {
        w.WriteIdent("gsLine");
        w.WriteIdent("True");
        w.WriteIdent("nil");
    });
    EXPECT_EQ(Hex(b), "07 06 67 73 4C 69 6E 65 09 0D");
    TStringStream s(b);
    TReader r(s);
    EXPECT_EQ(r.ReadIdent(), "gsLine");
    EXPECT_EQ(r.ReadIdent(), "True");
    EXPECT_EQ(r.ReadIdent(), "nil");
}

}  // namespace
