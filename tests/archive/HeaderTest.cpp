// Header layout, header reading into Files, archives inside executables, and the
// read-only file list.
#include <gtest/gtest.h>

#include "archive/Lzh_btch.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/SysFiles.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/TempMachine.h"

using namespace archivetest;
using testsupport::WriteHostFile;

namespace {

TArchiveEntry Entry(const std::string& name, int32_t size, int32_t csize, int32_t offset, int32_t attr, double date)
{
    TArchiveEntry e;
    e.Name = name;
    e.Size = size;
    e.CompressedSize = csize;
    e.Offset = offset;
    e.Attributes = attr;
    e.DateTime = date;
    return e;
}

double At(int y, int mo, int d, int h, int mi, int s)
{
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

// The payload's five entries as its header lists them.
std::vector<TArchiveEntry> PayloadEntries()
{
    return {Entry("uninstall.exe", 302592, 148325, 0, 128, At(2000, 10, 21, 23, 29, 10)),
            Entry("readme.txt", 1719, 944, 148325, 128, At(2000, 11, 2, 22, 11, 24)),
            Entry("tsly.dll", 48640, 25372, 149269, 128, At(2000, 1, 28, 22, 17, 48)),
            Entry("tessaly.exe", 1581568, 493756, 174641, 32, At(2000, 12, 3, 7, 10, 50)),
            Entry("tessaly.hlp", 190565, 108774, 668397, 128, At(2000, 12, 1, 21, 20, 50))};
}

class HeaderTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        ASSERT_TRUE(CreateDir("C:\\work"));
    }
    void Put(const std::string& win, const std::string& bytes) { WriteHostFile(Host(win), bytes); }
    TLZHBatch b{nullptr};
};

}  // namespace

TEST(ArchiveFormat, PayloadHeaderBytes)
{
    std::string h = Header(PayloadEntries());
    std::string first = Unhex(
        "01 06 0D 756E696E7374616C6C2E657865 04 00 9E 04 00 04 65 43 02 00 02 00 03 80 00"
        " 05 00 30 A1 BD 84 FA D4 8F 0E 40");
    std::string second = Unhex("06 0A 726561646D652E747874 03 B7 06 03 B0 03 04 65 43 02 00 03 80 00"
                               " 05 00 18 4B 7E B1 EC E0 8F 0E 40");
    EXPECT_EQ(Hex(h.substr(0, first.size())), Hex(first));
    EXPECT_EQ(Hex(h.substr(first.size(), second.size())), Hex(second));
    EXPECT_EQ(static_cast<unsigned char>(h.back()), 0x00);
    // Attribute 32 fits the 8-bit tag.
    EXPECT_NE(h.find(Unhex("02 20 05")), std::string::npos);
}

TEST(ArchiveFormat, FileLineFields)
{
    TArchiveEntry e = PayloadEntries()[0];
    EXPECT_EQ(FormatFileLine(e), "uninstall.exe\t302592\t148325\t128\t36820.978587963");
    TArchiveEntry back;
    back.Offset = 7;
    ASSERT_TRUE(ParseFileLine(FormatFileLine(e), back));
    EXPECT_EQ(back.Name, "uninstall.exe");
    EXPECT_EQ(back.CompressedSize, 148325);
    EXPECT_EQ(back.Offset, 7);  // not part of the line
    EXPECT_FALSE(ParseFileLine("a\t1\t2\t3", back));
    EXPECT_FALSE(ParseFileLine("a\t1\t2\t3\t4\t5", back));
    EXPECT_FALSE(ParseFileLine("a\tx\t2\t3\t4", back));
}

TEST(ArchiveFormat, StartOffsetIsStrictlyDecimal)
{
    EXPECT_EQ(ParseStartOffset("12345"), 12345);
    EXPECT_EQ(ParseStartOffset("-5"), -5);
    for (const char* bad : {"", "12a", "$10", "0x10", " 1", "99999999999999"}) EXPECT_EQ(ParseStartOffset(bad), 0) << bad;
}

TEST_F(HeaderTest, PayloadHeaderGivesFiveLinesAndTheirOffsets)
{
    Put("C:\\work\\setup.lzd", Header(PayloadEntries()));
    b.SetArchiveFileName("C:\\work\\setup.lzd");
    EXPECT_TRUE(b.ValidArchive());
    ASSERT_EQ(b.Files()->Count(), 5);
    EXPECT_EQ(b.Files()->Strings(1), "readme.txt\t1719\t944\t128\t" + FloatToStr(At(2000, 11, 2, 22, 11, 24)));
    auto* info = dynamic_cast<TExtraInfo*>(b.Files()->Objects(4));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Offset, 668397);
    EXPECT_FALSE(info->Pending);
    EXPECT_TRUE(b.Files()->ReadOnly());
}

TEST_F(HeaderTest, EmptyArchiveAndLongNames)
{
    Put("C:\\work\\empty.lzd", Unhex("01 00"));
    b.SetArchiveFileName("C:\\work\\empty.lzd");
    EXPECT_TRUE(b.ValidArchive());
    EXPECT_EQ(b.Files()->Count(), 0);

    std::string longName(300, 'n');
    std::string h = Header({Entry(longName, 1, 1, 0, 32, 1.0)});
    EXPECT_EQ(static_cast<unsigned char>(h[1]), 0x0C);
    Put("C:\\work\\long.lzd", h);
    b.SetArchiveFileName("C:\\work\\long.lzd");
    ASSERT_TRUE(b.ValidArchive());
    EXPECT_EQ(b.Files()->Strings(0).substr(0, 301), longName + "\t");
}

TEST_F(HeaderTest, MissingFileAndRelativeNames)
{
    b.SetArchiveFileName("C:\\work\\none.lzd");
    EXPECT_FALSE(b.ValidArchive());
    EXPECT_EQ(b.Files()->Count(), 0);
    // The name is made absolute against the current directory.
    ASSERT_TRUE(SetCurrentDir("C:\\work"));
    Put("C:\\work\\rel.lzd", Unhex("01 00"));
    b.SetArchiveFileName("rel.lzd");
    EXPECT_EQ(b.ArchiveFileName(), "C:\\work\\rel.lzd");
    EXPECT_TRUE(b.ValidArchive());
}

TEST_F(HeaderTest, SameNameDoesNotReread)
{
    Put("C:\\work\\a.lzd", Unhex("01 00"));
    b.SetArchiveFileName("C:\\work\\a.lzd");
    Put("C:\\work\\a.lzd", Header(PayloadEntries()));
    b.SetArchiveFileName("C:\\work\\a.lzd");
    EXPECT_EQ(b.Files()->Count(), 0);
    // A different RootDirectory re-reads.
    b.SetRootDirectory("C:\\");
    EXPECT_EQ(b.Files()->Count(), 5);
}

// Every broken header is an invalid archive, never an error to the caller; entries
// before the fault stay listed.
TEST_F(HeaderTest, BrokenHeaders)
{
    std::string good = Header(PayloadEntries());
    struct Case {
        const char* name;
        std::string bytes;
        int lines;
    } cases[] = {
        {"plain executable", "MZ\x90\x00", 0},
        {"empty file", "", 0},
        {"no end of list", Unhex("01"), 0},
        {"truncated in second entry", good.substr(0, 60), 1},
        {"truncated before end tag", good.substr(0, good.size() - 1), 5},
        {"identifier as name", Unhex("01 07 01 61 02 01 02 01 02 00 02 20 02 01 00"), 0},
        {"wide string as name", Unhex("01 12 01 00 00 00 61 00 02 01 02 01 02 00 02 20 02 01 00"), 0},
        {"64-bit integer size", Unhex("01 06 01 61 13 01 00 00 00 00 00 00 00 02 01 02 00 02 20 02 01 00"), 0},
        {"string as attributes", Unhex("01 06 01 61 02 01 02 01 02 00 06 00 02 01 00"), 0},
        {"true as date", Unhex("01 06 01 61 02 01 02 01 02 00 02 20 09 00"), 0},
        {"name with a tab", Unhex("01 06 03 61 09 62 02 01 02 01 02 00 02 20 02 01 00"), 0},
        {"long string past the end", Unhex("01 0C FF FF FF 7F 61"), 0},
        {"negative long string", Unhex("01 0C FF FF FF FF 61"), 0},
        {"date not a number", Unhex("01 06 01 61 02 01 02 01 02 00 02 20 05 00 00 00 00 00 00 00 C0 FF 7F 00"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put("C:\\work\\bad.lzd", c.bytes);
        TLZHBatch x(nullptr);
        x.SetArchiveFileName("C:\\work\\bad.lzd");
        EXPECT_FALSE(x.ValidArchive());
        EXPECT_EQ(x.Files()->Count(), c.lines);
        EXPECT_TRUE(x.Files()->ReadOnly());
    }
}

TEST_F(HeaderTest, ArchiveInsideAnExecutable)
{
    std::string archive = Header({Entry("a.txt", 0, 0, 0, 32, 1.0)});
    std::string exe = MinimalExe(U16("00000"));
    exe = MinimalExe(U16(Format("%05zu", exe.size())));
    Put("C:\\work\\SETUP.EXE", exe + archive);
    b.SetArchiveFileName("C:\\work\\SETUP.EXE");
    EXPECT_TRUE(b.ValidArchive());
    EXPECT_EQ(b.Files()->Count(), 1);
    EXPECT_EQ(ExecutableArchiveStart("C:\\work\\SETUP.EXE"), static_cast<int32_t>(exe.size()));

    // Only 14 characters of the string count.
    EXPECT_EQ(ExecutableArchiveStart((Put("C:\\work\\l.exe", MinimalExe(U16("00000000000012x"))), "C:\\work\\l.exe")), 12);
    // Not a number: the header is read from byte 0, which is "MZ".
    Put("C:\\work\\nan.exe", MinimalExe(U16("12x")) + archive);
    b.SetArchiveFileName("C:\\work\\nan.exe");
    EXPECT_FALSE(b.ValidArchive());
    // The same bytes under another extension are read from byte 0 as well.
    Put("C:\\work\\setup.bin", exe + archive);
    b.SetArchiveFileName("C:\\work\\setup.bin");
    EXPECT_FALSE(b.ValidArchive());
    // A broken executable gives offset 0, whatever is damaged.
    std::string broken = exe;
    for (size_t cut : {size_t(0x30), size_t(0x100), size_t(0x220), size_t(0x200 + 0x58 + 5)})
        EXPECT_EQ(ExecutableArchiveStart((Put("C:\\work\\b.exe", broken.substr(0, cut)), "C:\\work\\b.exe")), 0) << cut;
}

TEST(ReadOnlyStringList, RefusesEveryChangeAndKeepsTheList)
{
    struct Case {
        const char* name;
        std::function<void(TStrings&)> change;
    } cases[] = {
        {"Add", [](TStrings& s) { s.Add("x"); }},
        {"AddObject", [](TStrings& s) { s.AddObject("x", nullptr); }},
        {"Insert", [](TStrings& s) { s.Insert(0, "x"); }},
        {"Delete", [](TStrings& s) { s.Delete(0); }},
        {"Clear", [](TStrings& s) { s.Clear(); }},
        {"Exchange", [](TStrings& s) { s.Exchange(0, 1); }},
        {"replace string", [](TStrings& s) { s.SetStrings(0, "x"); }},
        {"replace object", [](TStrings& s) { s.SetObjects(0, nullptr); }},
        {"replace text", [](TStrings& s) { s.SetText("x\r\ny"); }},
        {"Move", [](TStrings& s) { s.Move(0, 1); }},
        {"AddStrings", [](TStrings& s) {
             TStringList o;
             o.Add("x");
             s.AddStrings(o);
         }},
        {"Assign", [](TStrings& s) {
             TStringList o;
             s.Assign(&o);
         }},
        {"LoadFromStream", [](TStrings& s) {
             TStringStream in("x\r\n");
             s.LoadFromStream(in);
         }},
        {"Sort", [](TStrings& s) { static_cast<TStringList&>(s).Sort(); }},
    };
    TObject marker;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TReadOnlyStringList l;
        l.AddObject("b", &marker);
        l.Add("a");
        l.SetReadOnly(true);
        try {
            c.change(l);
            ADD_FAILURE() << "no error";
        } catch (const EListReadOnly& e) {
            EXPECT_EQ(e.Message(), "This stringlist is read-only. Changes are ignored");
        }
        ASSERT_EQ(l.Count(), 2);
        EXPECT_EQ(l.Strings(0), "b");
        EXPECT_EQ(l.Objects(0), &marker);
        EXPECT_EQ(l.Strings(1), "a");
        EXPECT_EQ(l.IndexOf("a"), 1);  // reading is unaffected
    }
}

TEST_F(HeaderTest, FilesRefuseChangesFromOutside)
{
    Put("C:\\work\\a.lzd", Header(PayloadEntries()));
    b.SetArchiveFileName("C:\\work\\a.lzd");
    TStringList other;
    other.Add("x");
    EXPECT_THROW(b.Files()->Assign(&other), EListReadOnly);
    EXPECT_EQ(b.Files()->Count(), 5);
}
