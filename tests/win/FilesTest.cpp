#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exception.h"
#include "platform/win/FileStream.h"
#include "platform/win/Files.h"
#include "platform/win/Machine.h"
#include "platform/win/StringsFile.h"
#include "platform/win/SysFiles.h"
#include "tests/support/TempMachine.h"

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

namespace {

class FilesTest : public MachineTest {};

std::string ReadAll(const std::string& name)
{
    TFileStream f(name, fmOpenRead | fmShareDenyNone);
    std::string s(static_cast<size_t>(f.Size()), '\0');
    f.ReadBuffer(s.data(), f.Size());
    return s;
}

}  // namespace

TEST_F(FilesTest, CreateWriteReadSeek)
{
    int h = FileCreate("C:\\Program Files\\data.bin");
    ASSERT_GE(h, 0);
    EXPECT_EQ(FileWrite(h, "0123456789", 10), 10);
    EXPECT_EQ(FileSeek(h, 2, 0), 2);
    char b[3];
    EXPECT_EQ(FileRead(h, b, 3), 3);
    EXPECT_EQ(std::string(b, 3), "234");
    EXPECT_EQ(FileSeek(h, -3, 0), -1);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    FileClose(h);
    EXPECT_EQ(ReadHostFile(Host("C:\\Program Files\\data.bin")), "0123456789");
    // Found again through any case.
    EXPECT_EQ(ReadAll("c:\\PROGRAM FILES\\DATA.BIN"), "0123456789");
}

TEST_F(FilesTest, FailuresCarryWindowsCodes)
{
    const struct {
        const char* name;
        DWORD error;
    } cases[] = {
        {"C:\\missing.txt", ERROR_FILE_NOT_FOUND},
        {"C:\\no\\such\\dir\\x.txt", ERROR_PATH_NOT_FOUND},
        {"C:\\bad|name", ERROR_INVALID_NAME},
        {"C:\\WINDOWS", ERROR_ACCESS_DENIED},  // a directory is not a file
        {"Q:\\x", ERROR_PATH_NOT_FOUND},
    };
    for (auto& c : cases) {
        EXPECT_EQ(FileOpen(c.name, fmOpenRead), -1) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
    EXPECT_EQ(FileCreate("C:\\no\\such\\x"), -1);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    try {
        TFileStream f("C:\\missing.txt", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"C:\\missing.txt\". The system cannot find the file specified.");
    }
}

TEST_F(FilesTest, SharingModesAreEnforcedBetweenHandles)
{
    const std::string f = "C:\\shared.txt";
    WriteHostFile(Host("C:\\") + "/shared.txt", "abc");
    const struct {
        const char* what;
        uint32_t first, second;
        bool allowed;
    } cases[] = {
        {"deny none lets a writer in", fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
        {"deny write keeps writers out", fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, false},
        {"deny write lets readers in", fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
        {"exclusive keeps readers out", fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
        {"a reader refuses to share with a writer", fmOpenWrite | fmShareDenyNone, fmOpenRead | fmShareDenyWrite, false},
        {"compat is exclusive", fmOpenRead, fmOpenRead | fmShareDenyNone, false},
    };
    for (auto& c : cases) {
        int a = FileOpen(f, c.first);
        ASSERT_GE(a, 0) << c.what;
        int b = FileOpen(f, c.second);
        EXPECT_EQ(b >= 0, c.allowed) << c.what;
        if (b < 0) EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION) << c.what;
        else FileClose(b);
        FileClose(a);
    }
    int h = FileOpen(f, fmOpenRead | fmShareDenyNone);
    EXPECT_FALSE(DeleteFile(f));  // open without delete sharing
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    FileClose(h);
    EXPECT_TRUE(DeleteFile(f));
    EXPECT_FALSE(FileExists(f));
}

TEST_F(FilesTest, AttributesReadOnlyAndKeptBits)
{
    const std::string f = "C:\\attr.txt";
    FileClose(FileCreate(f));
    EXPECT_EQ(FileGetAttr(f), faArchive);
    ASSERT_EQ(FileSetAttr(f, faReadOnly | faHidden), 0);
    struct stat st;
    ::stat(Host(f).c_str(), &st);
    EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
    int a = FileGetAttr(f);
    EXPECT_TRUE(a & faReadOnly);
    // The hidden bit survives where the host keeps extended attributes.
    if (a & faHidden) {
        EXPECT_EQ(a, faReadOnly | faHidden);
    }
    EXPECT_EQ(FileOpen(f, fmOpenWrite), -1);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FileCreate(f), -1);
    EXPECT_FALSE(DeleteFile(f));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_EQ(FileSetAttr(f, 0x80), 0);
    EXPECT_EQ(FileGetAttr(f), 0x80);
    EXPECT_TRUE(DeleteFile(f));
}

TEST_F(FilesTest, LastWriteTimeFromLocalDosDateTime)
{
    const std::string f = "C:\\dated.txt";
    int h = FileCreate(f);
    TDateTime when = EncodeDate(2000, 10, 21) + EncodeTime(23, 29, 10, 0);
    int32_t age = DateTimeToFileDate(when);
    EXPECT_EQ(FileSetDate(h, age), 0);
    EXPECT_EQ(FileGetDate(h), age);
    FileClose(h);
    EXPECT_EQ(FileAge(f), age);
    struct stat st;
    ::stat(Host(f).c_str(), &st);
    EXPECT_EQ(st.st_mtime, DateTimeToUnix(when));
    EXPECT_NE(FileSetDate(f, 0), 0);  // not a date
}

TEST_F(FilesTest, DirectoriesAndHelpers)
{
    EXPECT_TRUE(CreateDir("C:\\Program Files\\Tessaly"));
    EXPECT_FALSE(CreateDir("C:\\Program Files\\Tessaly"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDir("C:\\a\\b"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(ForceDirectories("C:\\a\\b\\c"));
    EXPECT_TRUE(DirectoryExists("c:\\A\\B\\C"));
    EXPECT_FALSE(FileExists("C:\\a\\b"));  // a directory is no file
    FileClose(FileCreate("C:\\a\\b\\f.txt"));
    EXPECT_FALSE(RemoveDir("C:\\a\\b"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_FALSE(RemoveDir("C:\\a\\b\\f.txt"));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    EXPECT_EQ(ExpandFileName("C:\\a\\.\\b\\..\\x"), "C:\\a\\x");
    EXPECT_TRUE(RenameFile("C:\\a\\b\\f.txt", "C:\\a\\g.txt"));
    EXPECT_TRUE(FileExists("C:\\a\\g.txt"));
}

TEST_F(FilesTest, SearchListsMatchesSortedWithAttributeFilter)
{
    ForceDirectories("C:\\s\\sub");
    for (const char* n : {"b.TXT", "a.txt", "c.dat", "noext"}) FileClose(FileCreate(std::string("C:\\s\\") + n));
    FileSetAttr("C:\\s\\c.dat", faHidden);
    auto list = [](const std::string& mask, int attr) {
        std::string r;
        TSearchRec sr;
        if (FindFirst(mask, attr, sr) == 0) {
            do r += sr.Name + ";";
            while (FindNext(sr) == 0);
            FindClose(sr);
        }
        return r;
    };
    EXPECT_EQ(list("C:\\s\\*.txt", faAnyFile), "a.txt;b.TXT;");
    EXPECT_EQ(list("C:\\s\\*.*", faAnyFile), ".;..;a.txt;b.TXT;c.dat;noext;sub;");
    EXPECT_EQ(list("C:\\s\\*", 0).find("sub"), std::string::npos);
    if (FileGetAttr("C:\\s\\c.dat") & faHidden) {
        EXPECT_EQ(list("C:\\s\\*", 0), "a.txt;b.TXT;noext;");
    }
    EXPECT_EQ(list("C:\\s\\?.txt", faAnyFile), "a.txt;b.TXT;");
    TSearchRec sr;
    EXPECT_EQ(FindFirst("C:\\s\\*.zip", faAnyFile, sr), static_cast<int>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirst("C:\\none\\*", faAnyFile, sr), static_cast<int>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_FALSE(MatchesMask("a.txt", "*.dat"));
}

TEST_F(FilesTest, ZDriveShowsTheHostTree)
{
    testsupport::TempDir d;
    WriteHostFile(d / "Host File.txt", "from the host");
    std::string win = Machine::FromHostPath(d / "Host File.txt");
    EXPECT_EQ(win.substr(0, 3), "Z:\\");
    EXPECT_TRUE(FileExists(win));
    EXPECT_EQ(ReadAll(win), "from the host");
}

TEST_F(FilesTest, StringListsThroughFiles)
{
    TStringList l;
    l.SetText("first\nsecond");
    SaveStringsToFile(l, "C:\\list.txt");
    EXPECT_EQ(ReadHostFile(Host("C:\\list.txt")), "first\r\nsecond\r\n");
    TStringList m;
    LoadStringsFromFile(m, "c:\\LIST.TXT");
    EXPECT_EQ(m.Text(), l.Text());
    EXPECT_THROW(LoadStringsFromFile(m, "C:\\none.txt"), EFOpenError);
    EXPECT_EQ(m.Count(), 2);  // a failed load changes nothing
}
