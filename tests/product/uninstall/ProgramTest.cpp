// uninstall.exe run as the Uninstall shortcut runs it, answering for itself.
#include <gtest/gtest.h>

#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"
#include "tests/product/support/RunProgram.h"
#include "tests/product/support/SimulatedInstall.h"

namespace {

class ProgramTest : public testsupport::SimulatedInstall {
protected:
    testsupport::ProgramRun Run() { return testsupport::RunProgram({UNINSTALL_EXE, "--yes"}, {"PALLIMER_ROOT=" + RootPath()}); }
};

TEST_F(ProgramTest, RemovesTheInstallationOnceAndThenHasNothingToDo)
{
    const auto before = Everything();
    Install();
    auto r = Run();
    EXPECT_EQ(r.ExitCode, 0) << r.Out << r.Err;
    EXPECT_NE(r.Out.find("Tessaly v1.1 has been removed"), std::string::npos) << r.Out;
    EXPECT_EQ(Everything(), before);

    r = Run();
    EXPECT_EQ(r.ExitCode, 2) << r.Out << r.Err;
    EXPECT_NE(r.Out.find("Tessaly v1.1 is not installed on this computer."), std::string::npos) << r.Out;
    EXPECT_EQ(Everything(), before);
}

TEST_F(ProgramTest, RefusesWhileAFileIsInTheWay)
{
    Install();
    const std::string help = std::string(kDefaultDir) + "\\tessaly.hlp";
    ASSERT_TRUE(SetFileAttributesA(help, FILE_ATTRIBUTE_READONLY));
    const auto before = Everything();
    const auto r = Run();
    EXPECT_EQ(r.ExitCode, 3);
    EXPECT_NE(r.Out.find(help + " is read-only"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("Nothing has been removed."), std::string::npos) << r.Out;
    EXPECT_EQ(Everything(), before);
}

TEST_F(ProgramTest, ADamagedRegistryStopsItBeforeAnythingIsRemoved)
{
    Install();
    const std::string hive = RootPath() + "/registry/HKEY_USERS.reg";
    testsupport::WriteHostFile(hive, "REGEDIT4\r\n\r\n[HKEY_USERS\\.Default\r\n\"broken");
    const auto before = Everything();
    const auto r = Run();
    EXPECT_EQ(r.ExitCode, 5) << r.Out << r.Err;
    EXPECT_NE(r.Out.find("cannot tell whether Tessaly v1.1 is installed"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("Nothing has been removed."), std::string::npos) << r.Out;
    EXPECT_EQ(Everything(), before);
}

TEST_F(ProgramTest, NamesTheFilesItKeeps)
{
    Install();
    testsupport::WriteHostFile(Host(std::string(kDefaultDir) + "\\my tiling.png"), "picture");
    const auto r = Run();
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_NE(r.Out.find("have been kept:\n  C:\\Program Files\\Tessaly\\my tiling.png\n"), std::string::npos) << r.Out;
    EXPECT_TRUE(FileExists(std::string(kDefaultDir) + "\\my tiling.png"));
    EXPECT_EQ(testsupport::RunProgram({UNINSTALL_EXE, "--no-such-option"}).ExitCode, 64);
}

}  // namespace
