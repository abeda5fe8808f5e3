// Removing an installation: everything the installer wrote goes, the user's files stay,
// and whatever is in the way stops the removal before anything is lost.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/win/Files.h"
#include "platform/win/Registry.h"
#include "platform/win/SysFiles.h"
#include "product/uninstall/InUse.h"
#include "product/uninstall/Messages.h"
#include "product/uninstall/Uninstaller.h"
#include "tests/product/support/SimulatedInstall.h"

namespace fs = std::filesystem;
using namespace uninstall;

namespace {

class UninstallerTest : public testsupport::SimulatedInstall {
protected:
    static Report Uninstall()
    {
        const Plan plan = MakePlan(FindInstallation());
        EXPECT_TRUE(plan.Obstacles.empty());
        return Execute(plan);
    }
    static bool HasLine(const Message& m, const std::string& part)
    {
        for (const std::string& line : m.List)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
};

TEST_F(UninstallerTest, LeavesTheMachineAndTheMenuAsTheyWereBeforeTheInstallation)
{
    const auto before = Everything();
    Install();
    ASSERT_NE(Everything(), before);
    ASSERT_FALSE(testsupport::Snapshot(Xdg()).empty()) << "the menu mirrors the group";

    const Plan plan = MakePlan(FindInstallation());
    EXPECT_EQ(plan.Files.size(), 5u);
    EXPECT_EQ(plan.Shortcuts.size(), 4u);
    EXPECT_TRUE(plan.Kept.empty());
    const Report r = Execute(plan);
    EXPECT_TRUE(r.Complete());
    EXPECT_EQ(r.Removed.size(), 9u);
    EXPECT_TRUE(r.DirRemoved);
    EXPECT_TRUE(r.GroupRemoved);
    // The registry files too, byte for byte: InstallDate and the vendor's key are gone.
    EXPECT_EQ(Everything(), before);
}

TEST_F(UninstallerTest, ASecondRunAndANeverInstalledMachineFindNothingToDo)
{
    EXPECT_TRUE(MakePlan(FindInstallation()).NothingToDo());
    Install();
    ASSERT_TRUE(Uninstall().Complete());
    const auto after = Everything();
    const Plan again = MakePlan(FindInstallation());
    EXPECT_TRUE(again.NothingToDo());
    EXPECT_NE(NotInstalledMessage().Heading.find("not installed"), std::string::npos);
    EXPECT_EQ(Everything(), after);
}

TEST_F(UninstallerTest, KeepsAndNamesWhatTheUserAdded)
{
    Install();
    const std::string d = kDefaultDir;
    ASSERT_TRUE(CreateDir(d + "\\Pictures"));
    testsupport::WriteHostFile(Host(d + "\\my tiling.png"), "picture");
    testsupport::WriteHostFile(Host(Group() + "\\Notes.txt"), "notes");

    const Plan plan = MakePlan(FindInstallation());
    const Report r = Execute(plan);
    EXPECT_TRUE(r.Complete());
    const Message m = ResultMessage(plan, r);
    EXPECT_TRUE(HasLine(m, d + "\\my tiling.png"));
    EXPECT_TRUE(HasLine(m, d + "\\Pictures"));
    EXPECT_TRUE(HasLine(m, Group() + "\\Notes.txt"));
    EXPECT_NE(m.After.find(d), std::string::npos) << "says the folder stays";
    EXPECT_TRUE(HasLine(ConfirmMessage(plan), d + "\\my tiling.png")) << "and says so before";

    EXPECT_EQ(testsupport::ReadHostFile(Host(d + "\\my tiling.png")), "picture");
    EXPECT_TRUE(DirectoryExists(d + "\\Pictures"));
    EXPECT_EQ(testsupport::ReadHostFile(Host(Group() + "\\Notes.txt")), "notes");
    for (const char* name : {"tessaly.exe", "tsly.dll", "tessaly.hlp", "readme.txt", "uninstall.exe"})
        EXPECT_FALSE(FileExists(d + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(Group() + "\\Readme.lnk"));
    EXPECT_FALSE(FindInstallation().Found());
}

TEST_F(UninstallerTest, AFileInTheWayStopsTheRemovalBeforeAnythingIsLost)
{
    struct Case {
        const char* what;
        std::string path;
        std::string reason;
    };
    const std::string d = kDefaultDir;
    const Case cases[] = {
        {"read-only file", d + "\\tessaly.hlp", "is read-only"},
        {"read-only shortcut", Group() + "\\Readme.lnk", "is read-only"},
        {"open file", d + "\\readme.txt", "is in use by"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Install();
        HANDLE open = INVALID_HANDLE_VALUE;
        if (c.reason == "is read-only") {
            ASSERT_TRUE(SetFileAttributesA(c.path, FILE_ATTRIBUTE_READONLY));
        } else {
            open = CreateFileA(c.path, GENERIC_READ, 0, OPEN_EXISTING, 0);
            ASSERT_NE(open, INVALID_HANDLE_VALUE);
        }
        const auto before = Everything();
        const Plan plan = MakePlan(FindInstallation());
        ASSERT_EQ(plan.Obstacles.size(), 1u);
        EXPECT_EQ(plan.Obstacles[0].Path, c.path);
        EXPECT_EQ(plan.Obstacles[0].Reason.rfind(c.reason, 0), 0u) << plan.Obstacles[0].Reason;
        const Message m = BlockedMessage(plan);
        EXPECT_TRUE(HasLine(m, c.path + " " + c.reason));
        EXPECT_NE(m.Text.find("Nothing has been removed"), std::string::npos);
        const Report r = Execute(plan);
        EXPECT_FALSE(r.Complete());
        EXPECT_EQ(Everything(), before);

        // Out of the way, the next run removes everything.
        if (open != INVALID_HANDLE_VALUE) {
            CloseHandle(open);
        } else {
            ASSERT_TRUE(SetFileAttributesA(c.path, FILE_ATTRIBUTE_NORMAL));
        }
        EXPECT_TRUE(Uninstall().Complete());
        EXPECT_FALSE(FindInstallation().Found());
    }
}

TEST_F(UninstallerTest, ARunningProgramOfTheInstallationIsNamed)
{
    Install();
    // The installed program, running: a host program copied in, blocked on its input.
    const std::string exe = Host(std::string(kDefaultDir) + "\\tessaly.exe");
    fs::copy_file("/bin/cat", exe, fs::copy_options::overwrite_existing);
    int in[2];
    ASSERT_EQ(pipe(in), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(in[0], 0);
        close(in[1]);
        execl(exe.c_str(), "tessaly.exe", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    // Until the child has replaced itself with the program, /proc names the test's own
    // program; wait for the exec by reading its name back.
    std::vector<FileUser> users;
    int status = 0;
    while (users.empty()) {
        users = ProcessesUsing(exe);
        ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the program ended early";
    }
    ASSERT_EQ(users[0].Pid, child);

    const Plan plan = MakePlan(FindInstallation());
    ASSERT_EQ(plan.Obstacles.size(), 1u);
    EXPECT_EQ(plan.Obstacles[0].Reason, "is in use by tessaly.exe (process " + std::to_string(child) + ")");
    close(in[1]);
    waitpid(child, &status, 0);
    EXPECT_TRUE(MakePlan(FindInstallation()).Obstacles.empty());
}

TEST_F(UninstallerTest, PartialTracesAreRemovedToo)
{
    // Only the uninstall entry: the folder comes from UninstallString.
    Install(kDefaultDir, {true, false, true, false});
    Installation inst = FindInstallation();
    EXPECT_EQ(inst.Dir, kDefaultDir);
    EXPECT_TRUE(Execute(MakePlan(inst)).Complete());
    EXPECT_FALSE(DirectoryExists(kDefaultDir));

    // Only the product's key, its files already gone.
    Install(kDefaultDir, {false, true, false, true});
    inst = FindInstallation();
    const Plan plan = MakePlan(inst);
    EXPECT_TRUE(plan.Files.empty());
    EXPECT_FALSE(plan.NothingToDo());
    EXPECT_NE(ConfirmMessage(plan).Text.find("no longer exists"), std::string::npos);
    EXPECT_TRUE(Execute(plan).Complete());
    EXPECT_FALSE(FindInstallation().Found());
    EXPECT_FALSE(DirectoryExists(Group()));
}

TEST_F(UninstallerTest, InstallDateGoesButOtherProductsOfTheVendorStay)
{
    Install();
    TRegistry reg;
    reg.SetRootKey(HKEY_USERS);
    ASSERT_TRUE(reg.OpenKey(".Default\\Software\\Corvane Works\\Other Product", true));
    reg.WriteString("InstallDir", "C:\\Other");
    reg.CloseKey();
    ASSERT_TRUE(Uninstall().Complete());
    EXPECT_FALSE(reg.KeyExists(".Default\\Software\\Corvane Works\\Tessaly v1.1"));
    EXPECT_TRUE(reg.KeyExists(".Default\\Software\\Corvane Works\\Other Product"));
}

TEST(ResolveInstallDir, TakesInstallDirElseTheUninstallersFolder)
{
    struct Case {
        std::string installDir, uninstallString;
        bool ok;
        std::string dir;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Tessaly", "", true, "C:\\Program Files\\Tessaly"},
        {"c:/program files/tessaly/", "", true, "C:\\program files\\tessaly"},
        {"Z:\\opt\\tessaly", "C:\\elsewhere\\uninstall.exe", true, "Z:\\opt\\tessaly"},
        {"", "C:\\Program Files\\Tessaly\\uninstall.exe", true, "C:\\Program Files\\Tessaly"},
        {"relative\\dir", "\"C:\\T T\\UNINSTALL.EXE\"", true, "C:\\T T"},
        {"Q:\\no such drive", "", false, ""},
        {"C:\\bad|name", "C:\\x\\setup.exe", false, ""},
        {"", "", false, ""},
        {"  ", "uninstall.exe", false, ""},
    };
    for (const Case& c : cases) {
        std::string dir, why;
        EXPECT_EQ(ResolveInstallDir(c.installDir, c.uninstallString, dir, why), c.ok) << c.installDir;
        if (c.ok) {
            EXPECT_EQ(dir, c.dir);
        } else {
            EXPECT_FALSE(why.empty());
        }
    }
}

TEST(MapsLinePath, ReadsThePathFieldOnly)
{
    std::string path;
    EXPECT_TRUE(MapsLinePath("7f01-7f02 r-xp 00000000 fd:01 1234    /usr/lib/a b.so", path));
    EXPECT_EQ(path, "/usr/lib/a b.so");
    EXPECT_TRUE(MapsLinePath("7f01-7f02 r-xp 00000000 fd:01 1234 /tmp/x (deleted)", path));
    EXPECT_EQ(path, "/tmp/x");
    for (const char* line : {"7f01-7f02 rw-p 00000000 00:00 0", "7f01-7f02 rw-p 00000000 00:00 0   [heap]", "", "7f01"})
        EXPECT_FALSE(MapsLinePath(line, path)) << line;
}

}  // namespace
