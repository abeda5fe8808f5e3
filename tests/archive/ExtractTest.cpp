// ExtractArchive: output paths, progress, existing files, cancel, dates and
// attributes, and what it does with damaged and hostile archives.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/Lzh_btch.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/TempMachine.h"

using namespace archivetest;
using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

namespace {

struct Call {
    std::string FileName;
    int32_t FileBytesWritten, FileBytes, TotalBytesWritten, TotalBytes;
};

class ExtractTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        ASSERT_TRUE(CreateDir("C:\\work"));
        b.SetOutputDirectory("C:\\out");
        b.OnProgress = [this](TObject*, const std::string& f, int32_t fw, int32_t fb, int32_t tw, int32_t tb, bool& cancel) {
            calls.push_back({f, fw, fb, tw, tb});
            if (onCall) onCall(cancel);
        };
    }
    void Use(const std::vector<Item>& items, std::vector<TArchiveEntry>* entries = nullptr)
    {
        Use(BuildArchive(items, entries));
    }
    void Use(const std::string& bytes)
    {
        WriteHostFile(Host("C:\\work\\a.lzd"), bytes);
        b.SetArchiveFileName("C:\\work\\b.lzd");  // force a re-read of the same name
        b.SetArchiveFileName("C:\\work\\a.lzd");
    }
    std::string Read(const std::string& win) { return ReadHostFile(Host(win)); }
    bool Exists(const std::string& win) { return std::filesystem::exists(Host(win)); }
    int CallsFor(const std::string& f)
    {
        int n = 0;
        for (const Call& c : calls) n += c.FileName == f;
        return n;
    }

    TLZHBatch b{nullptr};
    std::vector<Call> calls;
    std::function<void(bool&)> onCall;
};

std::vector<Item> FiveFiles()
{
    return {{"one.bin", Noise(302592, 1)}, {"readme.txt", std::string(1719, 'r')}, {"three.bin", Noise(8192, 3)},
            {"empty.txt", ""}, {"five.txt", "five"}};
}

}  // namespace

TEST_F(ExtractTest, FiveEntriesWithProgressInCompressedBytes)
{
    std::vector<TArchiveEntry> es;
    Use(FiveFiles(), &es);
    ASSERT_EQ(b.Files()->Count(), 5);
    b.ExtractArchive();
    int64_t total = 0;
    for (auto& e : es) total += e.CompressedSize;
    for (const Item& it : FiveFiles()) EXPECT_EQ(Read("C:\\out\\" + it.Name), it.Data) << it.Name;

    // One call per 4096 expanded bytes plus the entry's final write.
    EXPECT_EQ(CallsFor("C:\\out\\one.bin"), 74);
    EXPECT_EQ(CallsFor("C:\\out\\readme.txt"), 1);
    EXPECT_EQ(CallsFor("C:\\out\\three.bin"), 2);
    EXPECT_EQ(CallsFor("C:\\out\\empty.txt"), 1);
    for (const Call& c : calls) {
        EXPECT_EQ(c.TotalBytes, total);
        EXPECT_LE(c.FileBytesWritten, c.FileBytes);
    }
    const Call& readme = calls[74];
    EXPECT_EQ(readme.FileBytesWritten, es[1].CompressedSize);
    EXPECT_EQ(readme.FileBytes, es[1].CompressedSize);
    const Call& empty = calls[77];
    EXPECT_EQ(empty.FileName, "C:\\out\\empty.txt");
    EXPECT_EQ(empty.FileBytes, 1);  // an empty file is the end marker alone
    EXPECT_EQ(calls.back().TotalBytesWritten, total);
}

TEST_F(ExtractTest, ZeroCompressedSizeGivesAnEmptyFileAndOneCall)
{
    TArchiveEntry e;
    e.Name = "zero.txt";
    e.Attributes = 32;
    e.DateTime = 36820.5;
    Use(Header({e}));
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\zero.txt"), "");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].FileBytesWritten, 0);
    EXPECT_EQ(calls[0].FileBytes, 0);
}

TEST_F(ExtractTest, EmptyListOpensTheArchiveAndFiresNothing)
{
    Use(Unhex("01 00"));
    b.ExtractArchive();
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(Exists("C:\\out"));
}

TEST_F(ExtractTest, OutputPaths)
{
    Use({{"\\docs\\a.txt", "A"}, {"docs\\sub\\b.txt", "B"}});
    b.SetUseDirectoryNames(true);
    b.SetOutputDirectory("C:\\out\\");
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\docs\\a.txt"), "A");
    EXPECT_EQ(Read("C:\\out\\docs\\sub\\b.txt"), "B");
    EXPECT_EQ(calls.front().FileName, "C:\\out\\docs\\a.txt");

    b.SetUseDirectoryNames(false);
    b.SetOutputDirectory("C:\\flat");
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\flat\\a.txt"), "A");
    EXPECT_EQ(Read("C:\\flat\\b.txt"), "B");
    EXPECT_EQ(calls.back().FileName, "C:\\flat\\b.txt");
}

TEST_F(ExtractTest, DirectoryErrors)
{
    Use({{"a.txt", "A"}});
    b.SetOutputDirectory("");
    try {
        b.ExtractArchive();
        ADD_FAILURE();
    } catch (const EInvalidDir& e) {
        EXPECT_EQ(e.Message(), "This is not a valid directory name");
    }
    // A file where a directory must go.
    WriteHostFile(Host("C:\\blocker"), "x");
    b.SetOutputDirectory("C:\\blocker\\sub");
    EXPECT_THROW(b.ExtractArchive(), EInvalidDir);
}

TEST_F(ExtractTest, OpenErrorClearsTheBusyFlag)
{
    Use({{"a.txt", "A"}});
    std::filesystem::remove(Host("C:\\work\\a.lzd"));
    try {
        b.ExtractArchive();
        ADD_FAILURE();
    } catch (const EOpenError& e) {
        EXPECT_EQ(e.Message().rfind("Error opening archive file C:\\work\\a.lzd.\r\n", 0), 0u) << e.Message();
    }
    WriteHostFile(Host("C:\\work\\a.lzd"), BuildArchive({{"a.txt", "A"}}));
    b.ExtractArchive();  // not refused as busy
    EXPECT_EQ(Read("C:\\out\\a.txt"), "A");
}

TEST_F(ExtractTest, ExistingFiles)
{
    Use(FiveFiles());
    ASSERT_TRUE(ForceDirectories("C:\\out"));
    // Overwriting replaces a read-only file.
    WriteHostFile(Host("C:\\out\\five.txt"), "old");
    ASSERT_EQ(FileSetAttr("C:\\out\\five.txt", faReadOnly), 0);
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\five.txt"), "five");

    // No overwriting and no handler: an error naming the file.
    b.SetOverwriteExisting(false);
    try {
        b.ExtractArchive();
        ADD_FAILURE();
    } catch (const EFileExist& e) {
        EXPECT_EQ(e.Message(), "Cannot write to C:\\out\\one.bin. File already exists");
    }
}

TEST_F(ExtractTest, SkipLeavesTheFileAndItsBytesUncounted)
{
    std::vector<TArchiveEntry> es;
    Use(FiveFiles(), &es);
    ASSERT_TRUE(ForceDirectories("C:\\out"));
    WriteHostFile(Host("C:\\out\\readme.txt"), "mine");
    b.SetOverwriteExisting(false);
    std::vector<std::string> asked;
    b.OnFileExist = [&](TObject*, const std::string& f, TFileExistAction& a) {
        asked.push_back(f);
        EXPECT_EQ(a, faOverwrite);
        a = faSkip;
    };
    b.ExtractArchive();
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\out\\readme.txt"});
    EXPECT_EQ(Read("C:\\out\\readme.txt"), "mine");
    EXPECT_EQ(CallsFor("C:\\out\\readme.txt"), 0);
    EXPECT_EQ(calls.back().TotalBytes - calls.back().TotalBytesWritten, es[1].CompressedSize);
}

TEST_F(ExtractTest, CancelFromFileExistStopsAfterThatEntry)
{
    Use(FiveFiles());
    ASSERT_TRUE(ForceDirectories("C:\\out"));
    WriteHostFile(Host("C:\\out\\readme.txt"), "mine");
    b.SetOverwriteExisting(false);
    b.OnFileExist = [](TObject*, const std::string&, TFileExistAction& a) { a = faCancel; };
    b.ExtractArchive();
    EXPECT_TRUE(Exists("C:\\out\\one.bin"));
    EXPECT_EQ(Read("C:\\out\\readme.txt"), "mine");
    EXPECT_FALSE(Exists("C:\\out\\three.bin"));
    EXPECT_FALSE(Exists("C:\\out\\five.txt"));
    // The cancel flag is cleared: the next run goes through.
    b.SetOverwriteExisting(true);
    b.ExtractArchive();
    EXPECT_TRUE(Exists("C:\\out\\five.txt"));
}

TEST_F(ExtractTest, CancelInProgressLeavesAShortFileSilently)
{
    Use(FiveFiles());
    b.SetRestoreAttributes(true);
    onCall = [&](bool& cancel) {
        if (calls.size() == 3) cancel = true;
    };
    b.ExtractArchive();  // no error
    std::string got = Read("C:\\out\\one.bin");
    EXPECT_LT(got.size(), 302592u);
    EXPECT_EQ(got, Noise(302592, 1).substr(0, got.size()));
    EXPECT_EQ(FileGetAttr("C:\\out\\one.bin") & faArchive, 0);  // attributes still applied (128)
    EXPECT_FALSE(Exists("C:\\out\\readme.txt"));
    // No compressed byte is read after the cancel.
    EXPECT_EQ(calls.back().TotalBytesWritten, calls[2].TotalBytesWritten);
}

TEST_F(ExtractTest, NestedExtractFromProgressDoesNothing)
{
    Use({{"a.txt", "A"}, {"b.txt", "B"}});
    int inner = 0;
    onCall = [&](bool&) {
        size_t before = calls.size();
        if (inner++ == 0) b.ExtractArchive();
        EXPECT_EQ(calls.size(), before);
    };
    b.ExtractArchive();
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(ExtractTest, DatesAndAttributes)
{
    double in2000 = EncodeDate(2000, 10, 21) + EncodeTime(23, 29, 10, 0);
    double in1979 = EncodeDate(1979, 6, 1);
    Use({{"new.txt", "n", 1 | 32, in2000}, {"old.txt", "o", 32, in1979}});
    b.SetRestoreFileDate(true);
    b.SetRestoreAttributes(true);
    b.ExtractArchive();
    EXPECT_EQ(FileAge("C:\\out\\new.txt"), DateTimeToFileDate(in2000));
    int32_t oldAge = FileAge("C:\\out\\old.txt");
    TDateTime written;
    ASSERT_TRUE(FileDateToDateTime(oldAge, written));
    EXPECT_GT(written, EncodeDate(2020, 1, 1));  // left as written
    EXPECT_EQ(FileGetAttr("C:\\out\\new.txt") & (faReadOnly | faArchive), faReadOnly | faArchive);
}

// Stored names that would leave the output directory are refused before anything is
// written, with or without directory names.
TEST_F(ExtractTest, HostileNamesAreRefused)
{
    struct Case {
        const char* name;
        bool useDirs;
    } cases[] = {
        {"..\\evil.txt", true},      {"a\\..\\..\\evil.txt", true}, {"\\\\server\\share\\evil.txt", true},
        {"\\\\evil.txt", true},      {"C:evil.txt", true},          {"C:\\evil.txt", true},
        {"a/../../evil.txt", true},  {"...\\evil.txt", true},       {"a\\", true},
        {"", true},                  {"..", false},                 {"sub\\..", false},
        {"a/..", false},             {"dir\\", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Use({{c.name, "evil"}});
        b.SetUseDirectoryNames(c.useDirs);
        b.SetOutputDirectory("C:\\out\\deep");
        EXPECT_THROW(b.ExtractArchive(), EArchiveError);
        EXPECT_FALSE(Exists("C:\\out\\evil.txt"));
        EXPECT_FALSE(Exists("C:\\evil.txt"));
    }
    // Without directory names only the last component counts, whatever precedes it.
    Use({{"..\\..\\x/../y.txt", "y"}});
    b.SetUseDirectoryNames(false);
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\deep\\y.txt"), "y");
}

TEST_F(ExtractTest, DamagedEntriesNameTheFile)
{
    std::vector<TArchiveEntry> es;
    std::string good = BuildArchive({{"a.bin", Noise(20000, 5)}, {"b.txt", "B"}}, &es);
    std::string data = good.substr(Header(es).size());
    struct Case {
        const char* name;
        std::function<void(std::vector<TArchiveEntry>&, std::string&)> damage;
        std::string message;
    } cases[] = {
        {"data area cut short", [](auto&, std::string& d) { d.resize(d.size() / 2); }, "\"a.bin\" is damaged"},
        {"stored size too large", [](auto& e, auto&) { e[0].Size += 1; }, "expands to 20000 bytes instead of 20001"},
        {"stored size far too small", [](auto& e, auto&) { e[0].Size -= 1000; }, "expands to more than 19000"},
        {"offset past the end", [](auto& e, auto&) { e[0].Offset = 1 << 30; }, "\"a.bin\" is damaged"},
        {"negative size", [](auto& e, auto&) { e[0].CompressedSize = -5; }, "\"a.bin\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TArchiveEntry> e = es;
        std::string d = data;
        c.damage(e, d);
        Use(Header(e) + d);
        ASSERT_TRUE(b.ValidArchive());
        try {
            b.ExtractArchive();
            ADD_FAILURE() << "no error";
        } catch (const EArchiveError& err) {
            EXPECT_NE(err.Message().find(c.message), std::string::npos) << err.Message();
        }
        EXPECT_FALSE(Exists("C:\\out\\a.bin"));  // no damaged file is left behind
        EXPECT_FALSE(Exists("C:\\out\\b.txt"));
    }
    // A few bytes beyond the stored size are the stream's known ending: cut, no error.
    std::vector<TArchiveEntry> e = es;
    e[0].Size -= 10;
    Use(Header(e) + data);
    b.ExtractArchive();
    EXPECT_EQ(Read("C:\\out\\a.bin"), Noise(20000, 5).substr(0, 19990));
}

TEST_F(ExtractTest, RefusedAfterAHeaderThatFailedPartWay)
{
    std::string good = BuildArchive({{"a.txt", "A"}, {"b.txt", "B"}});
    Use(good.substr(0, 30));
    EXPECT_FALSE(b.ValidArchive());
    EXPECT_EQ(b.Files()->Count(), 1);
    try {
        b.ExtractArchive();
        ADD_FAILURE();
    } catch (const EArchiveError& e) {
        EXPECT_NE(e.Message().find("C:\\work\\a.lzd"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(Exists("C:\\out"));
}

TEST_F(ExtractTest, OutputThatCannotBeCreatedIsAnError)
{
    Use({{"a.txt", "A"}});
    ASSERT_TRUE(ForceDirectories("C:\\out\\a.txt"));  // a directory in the file's place
    try {
        b.ExtractArchive();
        ADD_FAILURE();
    } catch (const EArchiveError& e) {
        EXPECT_NE(e.Message().find("C:\\out\\a.txt"), std::string::npos) << e.Message();
    }
}

TEST_F(ExtractTest, ProgressHandlerErrorLeavesTheRun)
{
    Use(FiveFiles());
    onCall = [&](bool&) {
        if (calls.size() == 2) throw Exception("stop here");
    };
    EXPECT_THROW(b.ExtractArchive(), Exception);
    EXPECT_FALSE(Exists("C:\\out\\one.bin"));  // unfinished, removed
    EXPECT_FALSE(Exists("C:\\out\\readme.txt"));
    onCall = nullptr;
    b.ExtractArchive();  // the component is usable again
    EXPECT_EQ(Read("C:\\out\\one.bin"), Noise(302592, 1));
}

TEST_F(ExtractTest, TestArchiveChecksLengths)
{
    std::vector<TArchiveEntry> es;
    std::string good = BuildArchive(FiveFiles(), &es);
    Use(good);
    b.TestArchive();
    EXPECT_FALSE(Exists("C:\\out"));
    EXPECT_EQ(CallsFor("one.bin"), 74);
    std::string data = good.substr(Header(es).size());
    es[2].Size = 5;
    Use(Header(es) + data);
    EXPECT_THROW(b.TestArchive(), EArchiveError);
}
