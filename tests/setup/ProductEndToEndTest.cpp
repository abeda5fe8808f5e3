// The installer installs the real product: the program it offers to start opens its
// window, and the uninstaller it registers takes everything away again.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win/DesktopMenu.h"
#include "system/KvSystem.h"
#include "tests/product/support/RunProgram.h"
#include "tests/product/support/SimulatedInstall.h"
#include "tests/setup/InstallerFixture.h"

namespace {

class ProductEndToEnd : public Installer {
protected:
    void SetUp() override
    {
        Installer::SetUp();
        xdg_ = RootPath() + "-xdg";
        std::filesystem::create_directories(xdg_ + "/data");
        std::filesystem::create_directories(xdg_ + "/config");
        setenv("XDG_DATA_HOME", (xdg_ + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (xdg_ + "/config").c_str(), 1);
        DesktopMenu::Enable();
    }
    void TearDown() override
    {
        DesktopMenu::Disable();
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(xdg_);
        Installer::TearDown();
    }
    std::map<std::string, std::string> Everything() const
    {
        auto all = testsupport::Snapshot(RootPath());
        for (auto& [path, bytes] : testsupport::Snapshot(xdg_)) all["xdg/" + path] = bytes;
        return all;
    }
    void InstallDefault(bool runNow = false)
    {
        Run({[&](TCustomForm*) {
            for (int i = 0; i < 4; ++i) Next();
            if (runNow) VclDriver::Click(Form3->CheckBox1);
            Next();
        }});
    }
    std::string xdg_;
};

TEST_F(ProductEndToEnd, UninstallerLeavesTheMachineAndTheMenuAsBefore)
{
    // The machine as the user has it before installing: seeded, its folders read.
    { TKvSystemPath reader(nullptr); }
    auto before = Everything();
    InstallDefault();
    ExpectInstalledIn(kDefaultDest);
    // The group is in the desktop's menu.
    bool entries = false;
    for (auto& [path, bytes] : testsupport::Snapshot(xdg_))
        if (path.find(".desktop") != std::string::npos) entries = true;
    EXPECT_TRUE(entries);

    // Uninstall Tessaly, as its shortcut starts it, answering the question with Yes.
    std::string uninstaller = HostOf(kDefaultDest + "\\uninstall.exe");
    testsupport::ProgramRun run = testsupport::RunProgram({uninstaller, "--yes"}, {"PALLIMER_ROOT=" + RootPath()});
    EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    auto after = Everything();
    EXPECT_EQ(after.size(), before.size());
    for (auto& [path, bytes] : before) {
        auto it = after.find(path);
        ASSERT_NE(it, after.end()) << path << " is gone";
        EXPECT_TRUE(it->second == bytes) << path << " changed";
    }
    for (auto& [path, bytes] : after) EXPECT_TRUE(before.count(path)) << path << " is left over";

    // A second run finds nothing to do.
    testsupport::ProgramRun again = testsupport::RunProgram({uninstaller, "--yes"}, {"PALLIMER_ROOT=" + RootPath()});
    EXPECT_NE(again.ExitCode, 0);
}

TEST_F(ProductEndToEnd, RunNowStartsTessalyAndItShowsItsWindow)
{
    // Tessaly opens its window on an X server of the test's own.
    FILE* xvfbOut = nullptr;
    std::string displayFile = RootPath() + "-display";
    std::string cmd = "Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>'" + displayFile +
                      "' >/dev/null 2>&1 & echo $!";
    xvfbOut = popen(cmd.c_str(), "r");
    ASSERT_NE(xvfbOut, nullptr);
    int xvfbPid = 0;
    ASSERT_EQ(fscanf(xvfbOut, "%d", &xvfbPid), 1);
    pclose(xvfbOut);
    std::string display;
    for (int i = 0; i < 200 && display.empty(); ++i) {
        std::ifstream f(displayFile);
        std::getline(f, display);
        if (display.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    display = ":" + display;

    // The started program inherits the environment of the installer.
    std::string savedQpa = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    InstallDefault(true);
    setenv("QT_QPA_PLATFORM", savedQpa.c_str(), 1);
    unsetenv("DISPLAY");

    // Waits (at most half a minute) for the window to be mapped.
    std::string search =
        "DISPLAY=" + display + " timeout 30 xdotool search --sync --onlyvisible --name '^Tessaly v1.1$' 2>/dev/null";
    std::string window;
    FILE* p = popen(search.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[64] = {};
    if (fgets(line, sizeof line, p)) window = line;
    pclose(p);
    EXPECT_FALSE(window.empty()) << "no Tessaly window appeared on " << display;
    if (!window.empty()) {
        std::string pidCmd = "DISPLAY=" + display + " xdotool getwindowpid " + window;
        FILE* q = popen(pidCmd.c_str(), "r");
        int pid = 0;
        if (q && fscanf(q, "%d", &pid) == 1 && pid > 0) kill(pid, SIGTERM);
        if (q) pclose(q);
    }
    kill(xvfbPid, SIGTERM);
}

}  // namespace
