#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/win/Files.h"
#include "platform/win/Machine.h"
#include "tests/support/TempMachine.h"

namespace {

class PathTest : public MachineTest {};

}  // namespace

TEST_F(PathTest, NormalizeResolvesLikeWindows)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\Program Files\\Tessaly", "C:\\Program Files\\Tessaly"},
        {"c:/program files//tessaly/", "C:\\program files\\tessaly"},
        {"C:\\a\\.\\b\\..\\c", "C:\\a\\c"},
        {"C:\\..\\..\\etc\\passwd", "C:\\etc\\passwd"},
        {"C:\\a\\..\\..\\..", "C:\\"},
        {"Z:\\", "Z:\\"},
        {"z:\\usr\\bin", "Z:\\usr\\bin"},
        {"\\WINDOWS", "C:\\WINDOWS"},
        {"rel\\x.txt", "C:\\rel\\x.txt"},
        {"C:name", "C:\\name"},
        {"C:\\dir.\\name. ", "C:\\dir\\name"},
    };
    for (auto& c : cases) {
        std::string out;
        DWORD err = 0;
        ASSERT_TRUE(Machine::NormalizePath(c.in, out, err)) << c.in << " error " << err;
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST_F(PathTest, RefusedNamesGiveWindowsErrors)
{
    const struct {
        const char* in;
        DWORD error;
    } cases[] = {
        {"C:\\a<b", ERROR_INVALID_NAME},  {"C:\\a>b", ERROR_INVALID_NAME}, {"C:\\a\"b", ERROR_INVALID_NAME},
        {"C:\\a|b", ERROR_INVALID_NAME},  {"C:\\a?b", ERROR_INVALID_NAME}, {"C:\\a*b", ERROR_INVALID_NAME},
        {"C:\\a:b", ERROR_INVALID_NAME},  {"C:\\a\tb", ERROR_INVALID_NAME}, {"D:\\x", ERROR_PATH_NOT_FOUND},
        {"\\\\server\\share", ERROR_BAD_NETPATH}, {"", ERROR_PATH_NOT_FOUND},
    };
    for (auto& c : cases) {
        std::string out;
        DWORD err = 0;
        EXPECT_FALSE(Machine::NormalizePath(c.in, out, err)) << c.in;
        EXPECT_EQ(err, c.error) << c.in;
    }
    std::string longName = "C:\\" + std::string(300, 'a');
    std::string out;
    DWORD err;
    EXPECT_FALSE(Machine::NormalizePath(longName, out, err));
    EXPECT_EQ(err, ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(PathTest, MapsOntoTheHostAndBack)
{
    const std::string c = RootPath() + "/drive_c";
    EXPECT_EQ(Host("C:\\"), c);
    EXPECT_EQ(Host("C:\\..\\..\\etc"), c + "/etc");  // never above the drive's folder
    EXPECT_EQ(Host("Z:\\etc\\hostname"), "/etc/hostname");
    EXPECT_EQ(Host("Z:\\..\\etc"), "/etc");
    // Existing names are found whatever their case; new ones keep the given case.
    EXPECT_EQ(Host("c:\\windows\\system\\New.DLL"), c + "/WINDOWS/SYSTEM/New.DLL");
    EXPECT_EQ(Machine::FromHostPath(c + "/WINDOWS/TEMP"), "C:\\WINDOWS\\TEMP");
    EXPECT_EQ(Machine::FromHostPath("/usr/share"), "Z:\\usr\\share");
    EXPECT_EQ(Machine::FromHostPath(c), "C:\\");
    // A sibling whose name merely starts like the drive's folder is not on C:.
    std::string sibling = "Z:" + c + "x/y";
    for (auto& ch : sibling)
        if (ch == '/') ch = '\\';
    EXPECT_EQ(Machine::FromHostPath(c + "x/y"), sibling);
}

TEST_F(PathTest, AHostLinkCannotLeadOutOfDriveC)
{
    const std::string c = RootPath() + "/drive_c";
    ASSERT_EQ(::symlink("/etc", (c + "/escape").c_str()), 0);
    std::string host;
    DWORD err;
    EXPECT_FALSE(Machine::ToHostPath("C:\\escape\\passwd", host, err));
    EXPECT_EQ(err, ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetFileAttributesA("C:\\escape\\passwd"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PathTest, SeededTreeAndCurrentDirectory)
{
    for (const char* d : {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\TEMP", "C:\\Program Files",
                          "C:\\Program Files\\Common Files"}) {
        DWORD a = GetFileAttributesA(d);
        ASSERT_NE(a, INVALID_FILE_ATTRIBUTES) << d;
        EXPECT_TRUE(a & FILE_ATTRIBUTE_DIRECTORY) << d;
    }
    EXPECT_TRUE(SetCurrentDirectoryA("C:\\WINDOWS"));
    std::string full;
    GetFullPathNameA("TEMP\\..\\win.ini", full);
    EXPECT_EQ(full, "C:\\WINDOWS\\win.ini");
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\nowhere"));
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 25));
}

TEST(MachineSeeding, TwoProcessesStartingAtOnceShareOneMachine)
{
    testsupport::TempDir dir;
    const std::string root = dir.Path() + "/m";
    pid_t kids[4];
    for (pid_t& k : kids) {
        k = fork();
        if (k == 0) {
            try {
                Machine::SetRoot(root);
            } catch (...) {
                _exit(2);
            }
            _exit(0);
        }
    }
    for (pid_t k : kids) {
        int status = 0;
        waitpid(k, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_TRUE(std::filesystem::is_directory(root + "/drive_c/WINDOWS/TEMP"));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/registry"));
}
