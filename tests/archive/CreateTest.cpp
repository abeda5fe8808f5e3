// CreateArchive: collecting, stored names, the events, amAdd, and the archive file
// under the rules for existing files.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/Lzh_btch.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/TempMachine.h"

using namespace archivetest;
using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

namespace {

class CreateTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        for (const char* d : {"C:\\src\\docs\\deep", "C:\\work"}) ASSERT_TRUE(ForceDirectories(d));
        Put("C:\\src\\a.txt", "alpha");
        Put("C:\\src\\b.bin", Noise(10000, 9));
        Put("C:\\src\\docs\\c.txt", "charlie");
        Put("C:\\src\\docs\\deep\\d.txt", std::string(5000, 'd'));
        b.SetArchiveFileName("C:\\work\\new.lzd");
        b.SetOutputDirectory("C:\\out");
    }
    void Put(const std::string& win, const std::string& bytes) { WriteHostFile(Host(win), bytes); }
    std::string Read(const std::string& win) { return ReadHostFile(Host(win)); }
    void Inputs(std::initializer_list<const char*> lines)
    {
        TStringList l;
        for (const char* s : lines) l.Add(s);
        b.SetInputFiles(&l);
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> r;
        for (int i = 0; i < b.Files()->Count(); ++i) {
            std::string l = b.Files()->Strings(i);
            r.push_back(l.substr(0, l.find('\t')));
        }
        return r;
    }
    TLZHBatch b{nullptr};
};

using V = std::vector<std::string>;

}  // namespace

TEST_F(CreateTest, StoredNamesByDirectoryInfo)
{
    struct Case {
        const char* name;
        TDirectoryInfo info;
        const char* root;
        V expected;
    } cases[] = {
        {"bare names", diNone, "", {"a.txt", "c.txt", "d.txt"}},
        {"relative to the line", diRelativePath, "", {"a.txt", "docs\\c.txt", "docs\\deep\\d.txt"}},
        {"relative to the root", diRelativePath, "C:\\", {"src\\a.txt", "src\\docs\\c.txt", "src\\docs\\deep\\d.txt"}},
        {"full paths", diFullPath, "", {"\\src\\a.txt", "\\src\\docs\\c.txt", "\\src\\docs\\deep\\d.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs({"C:\\src\\*.txt"});
        b.SetRecurseDirectories(true);
        b.SetDirectoryInfo(c.info);
        b.SetRootDirectory(c.root);
        ASSERT_TRUE(b.CreateArchive());
        EXPECT_TRUE(b.ValidArchive());
        EXPECT_EQ(Names(), c.expected);
    }
}

TEST_F(CreateTest, RoundTripKeepsBytesAttributesAndDates)
{
    double when = EncodeDate(2000, 10, 21) + EncodeTime(23, 29, 10, 0);
    ASSERT_EQ(FileSetDate("C:\\src\\a.txt", DateTimeToFileDate(when)), 0);
    ASSERT_EQ(FileSetAttr("C:\\src\\a.txt", 0x80), 0);
    ASSERT_EQ(FileSetAttr("C:\\src\\b.bin", faArchive), 0);
    Inputs({"C:\\src\\b.bin", "C:\\src\\a.txt", "C:\\src\\docs"});
    b.SetDirectoryInfo(diRelativePath);
    ASSERT_TRUE(b.CreateArchive());
    // Line order, then a directory's files.
    EXPECT_EQ(Names(), (V{"b.bin", "a.txt", "c.txt"}));
    std::string line = b.Files()->Strings(1);
    EXPECT_EQ(line.substr(0, 8), "a.txt\t5\t");
    EXPECT_EQ(line.substr(line.size() - 20), "\t128\t36820.978587963");

    // The header is laid out without gaps.
    std::string bytes = Read("C:\\work\\new.lzd");
    std::vector<TArchiveEntry> es;
    TStringStream s(bytes);
    TReader r(s);
    int64_t data = ReadArchiveHeader(r, [&](const TArchiveEntry& e) { es.push_back(e); });
    int64_t offset = 0;
    for (const TArchiveEntry& e : es) {
        EXPECT_EQ(e.Offset, offset);
        offset += e.CompressedSize;
    }
    EXPECT_EQ(data + offset, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(es[1].DateTime, when);  // exact, not merely close

    b.SetRestoreAttributes(true);
    b.SetRestoreFileDate(true);
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\b.bin"), Noise(10000, 9));
    EXPECT_EQ(Read("C:\\out\\c.txt"), "charlie");
    EXPECT_EQ(FileAge("C:\\out\\a.txt"), DateTimeToFileDate(when));
    EXPECT_EQ(FileGetAttr("C:\\out\\b.bin") & faArchive, faArchive);
}

TEST_F(CreateTest, AddKeepsTheOldStreamsUnchanged)
{
    Inputs({"C:\\src\\a.txt", "C:\\src\\b.bin"});
    ASSERT_TRUE(b.CreateArchive());
    std::string before = Read("C:\\work\\new.lzd");
    std::string oldData;
    std::vector<TArchiveEntry> oldEntries;
    {
        TStringStream s(before);
        TReader r(s);
        int64_t at = ReadArchiveHeader(r, [&](const TArchiveEntry& e) { oldEntries.push_back(e); });
        oldData = before.substr(static_cast<size_t>(at));
    }
    Inputs({"C:\\src\\docs\\c.txt", "C:\\src\\a.txt"});
    b.SetArchiveMode(amAdd);
    b.SetOverwriteExisting(false);  // adding never asks about the archive file
    // a.txt is stored already: a second file of that name is a collect error.
    std::vector<std::string> errors;
    b.OnCollectError = [&](TObject*, const std::string& f, TCollectErrorAction& a) {
        errors.push_back(f);
        a = ceSkip;
    };
    ASSERT_TRUE(b.CreateArchive());
    EXPECT_EQ(errors, V{"C:\\src\\a.txt"});
    EXPECT_EQ(Names(), (V{"a.txt", "b.bin", "c.txt"}));
    std::string after = Read("C:\\work\\new.lzd");
    std::vector<TArchiveEntry> es;
    TStringStream s(after);
    TReader r(s);
    int64_t at = ReadArchiveHeader(r, [&](const TArchiveEntry& e) { es.push_back(e); });
    EXPECT_EQ(after.substr(static_cast<size_t>(at), oldData.size()), oldData);
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\c.txt"), "charlie");
    EXPECT_EQ(Read("C:\\out\\b.bin"), Noise(10000, 9));
}

TEST_F(CreateTest, AddToAnArchiveInsideAnExecutable)
{
    std::string archive = BuildArchive({{"x.txt", "ex"}});
    std::string exe = MinimalExe(U16("00000"));
    exe = MinimalExe(U16(Format("%05zu", exe.size())));
    Put("C:\\work\\pack.exe", exe + archive);
    b.SetArchiveFileName("C:\\work\\pack.exe");
    b.SetArchiveMode(amAdd);
    Inputs({"C:\\src\\a.txt"});
    ASSERT_TRUE(b.CreateArchive());
    EXPECT_EQ(Read("C:\\work\\pack.exe").substr(0, exe.size()), exe);
    EXPECT_EQ(Names(), (V{"x.txt", "a.txt"}));
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\x.txt"), "ex");
}

TEST_F(CreateTest, ExistingArchiveFileInNewMode)
{
    Put("C:\\work\\new.lzd", "keep me");
    Inputs({"C:\\src\\a.txt"});
    b.SetOverwriteExisting(false);
    EXPECT_THROW(b.CreateArchive(), EFileExist);
    b.OnFileExist = [](TObject*, const std::string&, TFileExistAction& a) { a = faSkip; };
    EXPECT_FALSE(b.CreateArchive());
    EXPECT_EQ(Read("C:\\work\\new.lzd"), "keep me");
    b.OnFileExist = [](TObject*, const std::string&, TFileExistAction& a) { a = faOverwrite; };
    EXPECT_TRUE(b.CreateArchive());
    EXPECT_EQ(Names(), V{"a.txt"});
}

TEST_F(CreateTest, CollectingEvents)
{
    Inputs({"C:\\src\\*.txt", "C:\\src\\missing.txt", "C:\\src\\*.none", "C:\\src\\b.bin"});
    b.SetRecurseDirectories(false);
    // Without a handler the first collect error stops, and nothing is written.
    EXPECT_THROW(b.CreateArchive(), EArchiveError);
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\work\\new.lzd")));

    V seen, failed;
    int32_t doneFiles = -1, doneSize = -1;
    b.OnCollecting = [&](TObject*, const std::string& f, TCollectAction& a) {
        seen.push_back(f);
        if (f == "C:\\src\\b.bin") a = caSkip;
    };
    b.OnCollectError = [&](TObject*, const std::string& f, TCollectErrorAction& a) {
        EXPECT_EQ(a, ceAbort);
        failed.push_back(f);
        a = ceSkip;
    };
    b.OnDoneCollecting = [&](TObject*, int32_t n, int32_t size, bool&) {
        doneFiles = n;
        doneSize = size;
    };
    ASSERT_TRUE(b.CreateArchive());
    EXPECT_EQ(seen, (V{"C:\\src\\a.txt", "C:\\src\\b.bin"}));
    EXPECT_EQ(failed, (V{"C:\\src\\missing.txt", "C:\\src\\*.none"}));
    EXPECT_EQ(doneFiles, 1);
    EXPECT_EQ(doneSize, 5);
    EXPECT_EQ(Names(), V{"a.txt"});

    // Cancelling when done collecting writes nothing and keeps the old archive.
    std::string before = Read("C:\\work\\new.lzd");
    b.OnDoneCollecting = [](TObject*, int32_t, int32_t, bool& cancel) { cancel = true; };
    b.OnCollecting = nullptr;
    EXPECT_FALSE(b.CreateArchive());
    EXPECT_EQ(Read("C:\\work\\new.lzd"), before);
    b.OnDoneCollecting = nullptr;
    b.OnCollecting = [](TObject*, const std::string&, TCollectAction& a) { a = caCancel; };
    EXPECT_FALSE(b.CreateArchive());
    EXPECT_EQ(Read("C:\\work\\new.lzd"), before);
}

TEST_F(CreateTest, EmptyFileAndEmptyArchive)
{
    Put("C:\\src\\zero.dat", "");
    Inputs({"C:\\src\\zero.dat"});
    ASSERT_TRUE(b.CreateArchive());
    EXPECT_EQ(b.Files()->Strings(0).substr(0, 13), "zero.dat\t0\t1\t");
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\zero.dat"), "");

    Inputs({});
    ASSERT_TRUE(b.CreateArchive());
    EXPECT_EQ(Hex(Read("C:\\work\\new.lzd")), "01 00");
}
