// TShortcutLink: property mappings, the links it writes and its failures.
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "platform/win/Com.h"
#include "platform/win/Shell.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/ShellLinkFile.h"
#include "platform/win/SysFiles.h"
#include "platform/win/WinReg.h"
#include "system/ShortcutLink.h"
#include "tests/support/TempMachine.h"

namespace {

// Stands in for a form: the only owner whose window handle SpecialFolder may take.
class TFakeForm : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TFakeForm"; }
};

bool ResolveFakeForm(TComponent* c, HWND& h)
{
    if (!dynamic_cast<TFakeForm*>(c)) return false;
    h = 0x1234;
    return true;
}

class ShortcutLinkTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        SetFormHandleResolver(&ResolveFakeForm);
        form_ = new TFakeForm(nullptr);
        link_ = new TShortcutLink(form_);
    }
    void TearDown() override
    {
        delete form_;  // owns link_
        SetFormHandleResolver(nullptr);
        MachineTest::TearDown();
    }
    ShellLinkData ReadLink(const std::string& winPath)
    {
        ShellLinkData d;
        std::string why;
        EXPECT_TRUE(ParseShellLink(testsupport::ReadHostFile(Host(winPath)), d, why)) << why;
        return d;
    }
    std::string Programs()
    {
        std::string p;
        link_->ProgramsFolder(p);
        return p;
    }

    TFakeForm* form_ = nullptr;
    TShortcutLink* link_ = nullptr;
};

TEST_F(ShortcutLinkTest, HotKeyKeepsTheFirstCharacterUpperCased)
{
    const struct {
        const char* text;
        uint16_t code;
    } cases[] = {{"q", 81}, {"Q", 81}, {"quit", 81}, {"", 32}, {" ", 32}, {"\x01", 32},
                 {"5", 53}, {"\xE9", 0xE9}, {"z", 90}, {"{", 123}};
    for (const auto& c : cases) {
        link_->SetHotKey(c.text);
        EXPECT_EQ(link_->HotKeyCode(), c.code) << c.text;
        EXPECT_EQ(link_->HotKey(), std::string(1, static_cast<char>(c.code)));
    }
}

TEST_F(ShortcutLinkTest, ShowCmdStoresWindowsShowCommands)
{
    EXPECT_EQ(link_->ShowCmdValue(), 0);
    EXPECT_EQ(link_->ShowCmd(), scShowNormal);
    const struct {
        TShowCmd value;
        int32_t stored;
    } cases[] = {{scShowMaximized, 3}, {scShowMinimized, 7}, {scShowNormal, 9}};
    for (const auto& c : cases) {
        link_->SetShowCmd(c.value);
        EXPECT_EQ(link_->ShowCmdValue(), c.stored);
        EXPECT_EQ(link_->ShowCmd(), c.value);
    }
    link_->SetShowCmd(scShowMinimized);
    link_->SetShowCmd(static_cast<TShowCmd>(5));
    EXPECT_EQ(link_->ShowCmdValue(), 7);
}

TEST_F(ShortcutLinkTest, AFreshComponentWritesShowCommandZeroAndNoHotKey)
{
    EXPECT_EQ(link_->HotKey(), " ");
    EXPECT_EQ(link_->HotKeyCode(), 32);  // reading stored the space
    link_->SetTarget("C:\\WINDOWS\\notepad.exe");
    link_->SetShortcutFile("C:\\fresh.lnk");
    link_->CreateLink();
    const ShellLinkData d = ReadLink("C:\\fresh.lnk");
    EXPECT_EQ(d.ShowCommand, 0u);
    EXPECT_EQ(d.HotKey, 0);
    EXPECT_EQ(d.IconIndex, 0);
    EXPECT_EQ(d.LocalBasePath, "C:\\WINDOWS\\notepad.exe");
    EXPECT_TRUE(d.Description.empty() && d.WorkingDir.empty() && d.Arguments.empty() && d.IconLocation.empty());
}

TEST_F(ShortcutLinkTest, WritesEveryPropertyAndKeepsThemForTheNextLink)
{
    testsupport::WriteHostFile(Host("C:\\Program Files") + "/tessaly.exe", "exe");
    link_->SetTarget("C:\\Program Files\\tessaly.exe");
    link_->SetWorkingDir("C:\\Program Files");
    link_->SetDescription("Tesasly v1.1");
    link_->SetArguments("/quiet");
    link_->SetIconLocation("C:\\Program Files\\tessaly.exe");
    link_->SetIconNumber(65535);
    link_->SetHotKey("q");
    link_->SetShowCmd(scShowNormal);
    link_->SetShortcutFile("C:\\one.lnk");
    link_->CreateLink();
    ShellLinkData d = ReadLink("C:\\one.lnk");
    EXPECT_EQ(d.HotKey, 0x0651);  // Ctrl+Alt+Q
    EXPECT_EQ(d.ShowCommand, 9u);
    EXPECT_EQ(d.IconIndex, 65535);
    EXPECT_EQ(d.Description, "Tesasly v1.1");
    EXPECT_EQ(d.Arguments, "/quiet");
    EXPECT_EQ(d.FileSize, 3u);

    link_->SetIconLocation("");
    link_->SetDescription("Readme");
    link_->SetShortcutFile("C:\\two.lnk");
    link_->CreateLink();
    d = ReadLink("C:\\two.lnk");
    EXPECT_EQ(d.Description, "Readme");
    EXPECT_EQ(d.IconLocation, "");
    EXPECT_EQ(d.Arguments, "/quiet");
    EXPECT_EQ(d.HotKey, 0x0651);
    EXPECT_EQ(d.WorkingDir, "C:\\Program Files");
}

TEST_F(ShortcutLinkTest, AnIndependentReaderAgrees)
{
    if (std::system("exiftool -ver >/dev/null 2>&1") != 0) GTEST_SKIP() << "exiftool is not installed";
    link_->SetTarget("C:\\Program Files\\tessaly.exe");
    link_->SetDescription("Tessaly Help");
    link_->SetHotKey("q");
    link_->SetShortcutFile("C:\\x.lnk");
    link_->CreateLink();
    const std::string cmd = "exiftool -S -HotKey -RunWindow -Description -LocalBasePath '" + Host("C:\\x.lnk") + "'";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_TRUE(p);
    std::string out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    EXPECT_NE(out.find("HotKey: Control-Alt-Q"), std::string::npos) << out;
    EXPECT_NE(out.find("Description: Tessaly Help"), std::string::npos) << out;
    EXPECT_NE(out.find("LocalBasePath: C:\\Program Files\\tessaly.exe"), std::string::npos) << out;
}

TEST_F(ShortcutLinkTest, FailuresRaiseTheShortcutErrorAndReleaseEverything)
{
    const long before = ComLiveObjectCount();
    link_->SetTarget("C:\\a.exe");
    const std::string dir = "C:\\" + std::string(127, 'd');
    ASSERT_TRUE(CreateDir(dir));
    const std::string tooLong = dir + "\\" + std::string(125, 'n') + ".lnk";  // 260 characters
    for (const std::string& file : {std::string("C:\\No Such Folder\\a.lnk"), tooLong, std::string("C:\\a|b.lnk")}) {
        link_->SetShortcutFile(file);
        try {
            link_->CreateLink();
            ADD_FAILURE() << file;
        } catch (const EShortcutError& e) {
            EXPECT_EQ(e.Message(), "Unable to create .lnk file");
        }
        EXPECT_EQ(ComLiveObjectCount(), before);
    }
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\No Such Folder")));
    link_->SetShortcutFile(dir + "\\" + std::string(124, 'n') + ".lnk");  // 259 characters fit
    EXPECT_NO_THROW(link_->CreateLink());
}

TEST_F(ShortcutLinkTest, COMIsInitialisedForTheStartingThreadOnly)
{
    link_->SetTarget("C:\\a.exe");
    link_->SetShortcutFile("C:\\thread.lnk");
    bool raised = false;
    std::thread([&] {
        try {
            link_->CreateLink();
        } catch (const EShortcutError&) {
            raised = true;
        }
    }).join();
    EXPECT_TRUE(raised);
    EXPECT_NO_THROW(link_->CreateLink());  // this thread started the program
}

TEST_F(ShortcutLinkTest, SpecialFoldersComeFromTheShellFolderValues)
{
    std::string programs;
    for (const auto& f : DefaultShellFolders())
        if (f.ValueName == "Programs") programs = f.Path;
    EXPECT_EQ(Programs(), programs);
    EXPECT_TRUE(DirectoryExists(programs));
    std::string desk = "kept";
    link_->SpecialFolder(CSIDL_DESKTOPDIRECTORY, desk);
    EXPECT_EQ(desk.substr(desk.size() - 8), "\\Desktop");
    std::string unknown = "kept";
    link_->SpecialFolder(0x7E, unknown);
    EXPECT_EQ(unknown, "kept");
    std::string drive = "x";
    link_->SpecialFolder(CSIDL_DRIVES, drive);  // found, but no file-system path
    EXPECT_EQ(drive, "");

    // Looked up afresh on every call.
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(k, "Programs"), ERROR_SUCCESS);
    RegCloseKey(k);
    std::string gone = "previous";
    link_->ProgramsFolder(gone);
    EXPECT_EQ(gone, "previous");
}

TEST_F(ShortcutLinkTest, AnOwnerThatIsNoFormIsAnInvalidTypeCast)
{
    TComponent plain(nullptr);
    TShortcutLink* orphan = new TShortcutLink(&plain);
    std::string s;
    EXPECT_THROW(orphan->ProgramsFolder(s), EInvalidCast);
    TShortcutLink unowned(nullptr);
    EXPECT_THROW(unowned.SpecialFolder(CSIDL_PROGRAMS, s), EInvalidCast);
}

TEST_F(ShortcutLinkTest, AProgramGroupOfFourShortcuts)
{
    const std::string dest = "C:\\Program Files\\Tessaly v1.1";
    ASSERT_TRUE(ForceDirectories(dest));
    ASSERT_TRUE(CreateDir(Programs() + "\\Tessaly v1.1"));
    const struct {
        const char* target;
        const char* description;
        bool icon;
        const char* file;
    } rows[] = {{"\\tessaly.exe", "Tesasly v1.1", true, "\\Tessaly v1.1\\Tessaly v1.1.lnk"},
                {"\\readme.txt", "Readme", false, "\\Tessaly v1.1\\Readme.lnk"},
                {"\\uninstall.exe", "Uninstall Tessaly", false, "\\Tessaly v1.1\\Uninstall Tessaly.lnk"},
                {"\\tessaly.hlp", "Tessaly Help", false, "\\Tessaly v1.1\\Tessaly Help.lnk"}};
    for (const auto& r : rows) {
        link_->SetTarget(dest + r.target);
        link_->SetDescription(r.description);
        link_->SetWorkingDir(dest);
        link_->SetIconLocation(r.icon ? dest + "\\tessaly.exe" : "");
        link_->SetShortcutFile(Programs() + r.file);
        link_->CreateLink();
    }
    for (const auto& r : rows) {
        const ShellLinkData d = ReadLink(Programs() + r.file);
        EXPECT_EQ(d.LocalBasePath, dest + r.target);
        EXPECT_EQ(d.Description, r.description);
        EXPECT_EQ(d.WorkingDir, dest);
        EXPECT_EQ(d.IconLocation.empty(), !r.icon);
        EXPECT_EQ(d.ShowCommand, 0u);
    }
}

}  // namespace
