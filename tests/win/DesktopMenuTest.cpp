// The host menu as a mirror of the Programs folder: entries written when the platform
// saves a shortcut, removed when it deletes one, and the XDG folders left as found.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/win/Com.h"
#include "platform/win/DesktopMenu.h"
#include "platform/win/Files.h"
#include "platform/win/Machine.h"
#include "platform/win/Shell.h"
#include "platform/win/SysFiles.h"
#include "tests/support/TempMachine.h"
#include "tests/win/ElfTestFile.h"

namespace fs = std::filesystem;

namespace {

// A PNG signature and the start of its header chunk: enough for the menu to read a size.
std::string PngHeader(int w, int h)
{
    std::string b("\x89PNG\r\n\x1a\n\0\0\0\x0DIHDR", 16);
    for (int v : {w, h})
        for (int i = 3; i >= 0; --i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    return b + std::string("\x08\x06\0\0\0", 5);
}

std::map<std::string, std::string> ReadEntry(const std::string& path)
{
    std::map<std::string, std::string> keys;
    std::ifstream f(path);
    std::string line;
    std::getline(f, line);
    EXPECT_EQ(line, "[Desktop Entry]") << path;
    while (std::getline(f, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

// Every file and folder below a folder, as relative paths.
std::set<std::string> Tree(const std::string& dir)
{
    std::set<std::string> all;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        all.insert(fs::relative(it->path(), dir).string() + (it->is_directory() ? "/" : ""));
    return all;
}

class DesktopMenuTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        xdg_ = dir_->Path() + "/xdg";
        fs::create_directories(xdg_ + "/data");
        fs::create_directories(xdg_ + "/config");
        setenv("XDG_DATA_HOME", (xdg_ + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (xdg_ + "/config").c_str(), 1);
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        DesktopMenu::Enable();
        programs_ = Folder(CSIDL_PROGRAMS);
        ASSERT_FALSE(programs_.empty());
        apps_ = xdg_ + "/data/applications/pallimer/" + DesktopMenu::RootTag();
    }
    void TearDown() override
    {
        DesktopMenu::Disable();
        CoUninitialize();
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        MachineTest::TearDown();
    }

    static std::string Folder(int csidl)
    {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(0, csidl, &list))) return {};
        char path[MAX_PATH] = {};
        SHGetPathFromIDList(list, path);
        ILFree(list);
        return path;
    }

    struct Link {
        std::string Target, WorkingDir, Description, IconLocation, Arguments;
    };

    // Saves a shortcut through the shell's link object, as the installer does.
    static HRESULT SaveLink(const std::string& file, const Link& l)
    {
        IShellLinkA* link = nullptr;
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(&link));
        if (FAILED(hr)) return hr;
        link->SetPath(l.Target.c_str());
        link->SetWorkingDirectory(l.WorkingDir.c_str());
        link->SetDescription(l.Description.c_str());
        link->SetArguments(l.Arguments.c_str());
        link->SetIconLocation(l.IconLocation.c_str(), 0);
        IPersistFile* pf = nullptr;
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf));
        if (SUCCEEDED(hr)) {
            const std::u16string w = AnsiToWide(file);
            hr = pf->Save(reinterpret_cast<LPCOLESTR>(w.c_str()), TRUE_);
            pf->Release();
        }
        link->Release();
        return hr;
    }

    void WriteFile(const std::string& winPath, const std::string& bytes, bool executable = false)
    {
        const std::string host = Host(winPath);
        fs::create_directories(fs::path(host).parent_path());
        testsupport::WriteHostFile(host, bytes);
        if (executable) chmod(host.c_str(), 0755);
    }

    // An installed program: a host executable carrying a 32 x 32 icon.
    void InstallProduct()
    {
        ASSERT_TRUE(ForceDirectories("C:\\Program Files\\Tessaly"));
        WriteFile("C:\\Program Files\\Tessaly\\tessaly.exe",
                  testsupport::ElfWithSections(true, {{".icon", PngHeader(32, 32)}}), true);
        WriteFile("C:\\Program Files\\Tessaly\\readme.txt", "Tessaly\r\n");
        WriteFile("C:\\Program Files\\Tessaly\\tessaly.hlp", "TESSALY HELP 1\r\n");
        ASSERT_TRUE(CreateDir(programs_ + "\\Tessaly v1.1"));
    }

    std::string Entry(const std::string& group, const std::string& name) const
    {
        return apps_ + "/" + DesktopMenu::EscapeName(group) + "-" + DesktopMenu::EscapeName(name) + ".desktop";
    }

    std::string xdg_, programs_, apps_;
};

TEST_F(DesktopMenuTest, AShortcutOfAGroupBecomesAnEntryOfItsSubmenu)
{
    InstallProduct();
    const std::string d = "C:\\Program Files\\Tessaly";
    ASSERT_EQ(SaveLink(programs_ + "\\Tessaly v1.1\\Tessaly v1.1.lnk",
                       {d + "\\tessaly.exe", d, "Tessaly, 50% off", d + "\\tessaly.exe", "/x \"a b\""}),
              S_OK);
    const auto e = ReadEntry(Entry("Tessaly v1.1", "Tessaly v1.1"));
    const std::string exe = Host(d + "\\tessaly.exe");
    EXPECT_EQ(e.at("Type"), "Application");
    EXPECT_EQ(e.at("Name"), "Tessaly v1.1");
    EXPECT_EQ(e.at("Comment"), "Tessaly, 50% off");
    EXPECT_EQ(e.at("Exec"), "env PALLIMER_ROOT=" + RootPath() + " \"" + exe + "\" /x \"a b\"");
    EXPECT_EQ(e.at("TryExec"), exe);
    EXPECT_EQ(e.at("Path"), Host(d));
    // The icon the program carries, taken out as a picture of its own.
    const std::string icon = e.at("Icon");
    EXPECT_EQ(icon, xdg_ + "/data/icons/hicolor/32x32/apps/pallimer-" + DesktopMenu::RootTag() +
                        "-tessaly_20v1.1-tessaly_20v1.1.png");
    EXPECT_EQ(testsupport::ReadHostFile(icon), PngHeader(32, 32));

    const std::string prefix = "pallimer-" + DesktopMenu::RootTag() + "-tessaly_20v1.1";
    const auto dir = ReadEntry(xdg_ + "/data/desktop-directories/" + prefix + ".directory");
    EXPECT_EQ(dir.at("Type"), "Directory");
    EXPECT_EQ(dir.at("Name"), "Tessaly v1.1");
    const std::string menu = testsupport::ReadHostFile(xdg_ + "/config/menus/applications-merged/" + prefix + ".menu");
    EXPECT_NE(menu.find("<Name>Applications</Name>"), std::string::npos);
    EXPECT_NE(menu.find("<Directory>" + prefix + ".directory</Directory>"), std::string::npos);
    EXPECT_NE(menu.find("<Filename>" + prefix + "-tessaly_20v1.1.desktop</Filename>"), std::string::npos) << menu;
}

TEST_F(DesktopMenuTest, EachKindOfTargetStartsTheWayItCan)
{
    InstallProduct();
    const std::string d = "C:\\Program Files\\Tessaly";
    WriteFile(d + "\\picture.png", PngHeader(48, 48));
    struct Case {
        const char* name;
        Link link;
        std::string exec, icon;
        bool tryExec;
    };
    const std::string exe = Host(d + "\\tessaly.exe");
    const std::string env = "env PALLIMER_ROOT=" + RootPath() + " ";
    const Case cases[] = {
        {"Readme", {d + "\\readme.txt", d, "Readme", "", ""}, "xdg-open \"" + Host(d + "\\readme.txt") + "\"",
         "text-x-generic", false},
        {"Help", {d + "\\tessaly.hlp", d, "", "", ""}, "xdg-open \"" + Host(d + "\\tessaly.hlp") + "\"", "help-browser",
         false},
        {"Folder", {d, "", "", "", ""}, "xdg-open \"" + Host(d) + "\"", "folder", false},
        // Not there (yet): a program by its name, hidden by the desktop while missing.
        {"Missing", {d + "\\later.exe", d, "", "", ""}, env + "\"" + Host(d) + "/later.exe\"",
         "application-x-executable", true},
        // No icon named: the target's own; an icon file that is a picture: that picture.
        {"Own icon", {d + "\\tessaly.exe", d, "", "", ""}, env + "\"" + exe + "\"", "32x32", true},
        {"Picture icon", {d + "\\readme.txt", d, "", d + "\\picture.png", ""},
         "xdg-open \"" + Host(d + "\\readme.txt") + "\"", "48x48", false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SaveLink(programs_ + "\\Tessaly v1.1\\" + c.name + ".lnk", c.link), S_OK) << c.name;
        const auto e = ReadEntry(Entry("Tessaly v1.1", c.name));
        EXPECT_EQ(e.at("Exec"), c.exec) << c.name;
        EXPECT_NE(e.at("Icon").find(c.icon), std::string::npos) << c.name << ": " << e.at("Icon");
        EXPECT_EQ(e.count("TryExec"), c.tryExec ? 1u : 0u) << c.name;
        EXPECT_EQ(e.count("Comment"), 0u) << c.name << ": no description, or one that repeats the name";
    }
}

TEST_F(DesktopMenuTest, DeletingTheShortcutsLeavesTheXdgFoldersAsTheyWere)
{
    const auto before = Tree(xdg_);
    InstallProduct();
    const std::string d = "C:\\Program Files\\Tessaly";
    const char* names[] = {"Tessaly v1.1", "Readme", "Tessaly Help"};
    for (const char* n : names)
        ASSERT_EQ(SaveLink(programs_ + "\\Tessaly v1.1\\" + n + ".lnk", {d + "\\tessaly.exe", d, n, "", ""}), S_OK);
    ASSERT_TRUE(fs::exists(Entry("Tessaly v1.1", "Readme")));

    // One deleted: its entry goes, the others stay and the menu no longer names it.
    ASSERT_TRUE(DeleteFileA(programs_ + "\\Tessaly v1.1\\Readme.lnk"));
    EXPECT_FALSE(fs::exists(Entry("Tessaly v1.1", "Readme")));
    EXPECT_TRUE(fs::exists(Entry("Tessaly v1.1", "Tessaly Help")));
    const std::string prefix = "pallimer-" + DesktopMenu::RootTag() + "-tessaly_20v1.1";
    const std::string menu = testsupport::ReadHostFile(xdg_ + "/config/menus/applications-merged/" + prefix + ".menu");
    EXPECT_EQ(menu.find("readme"), std::string::npos) << menu;

    // The others, one by another spelling (names on the machine ignore case).
    ASSERT_TRUE(DeleteFileA(programs_ + "\\TESSALY V1.1\\tessaly help.LNK"));
    ASSERT_TRUE(DeleteFileA(programs_ + "\\Tessaly v1.1\\Tessaly v1.1.lnk"));
    EXPECT_EQ(Tree(xdg_), before);
}

TEST_F(DesktopMenuTest, FoldersAndLooseShortcutsFindTheirPlaceInTheMenu)
{
    InstallProduct();
    const std::string d = "C:\\Program Files\\Tessaly";
    ASSERT_TRUE(CreateDir(programs_ + "\\Tessaly v1.1\\Extras"));
    ASSERT_EQ(SaveLink(programs_ + "\\Tessaly v1.1\\Extras\\Readme.lnk", {d + "\\readme.txt", d, "", "", ""}), S_OK);
    ASSERT_EQ(SaveLink(programs_ + "\\Loose.lnk", {d + "\\tessaly.exe", d, "", "", ""}), S_OK);

    const std::string tag = DesktopMenu::RootTag();
    const std::string group = "pallimer-" + tag + "-tessaly_20v1.1";
    EXPECT_TRUE(fs::exists(apps_ + "/tessaly_20v1.1-extras-readme.desktop"));
    EXPECT_EQ(ReadEntry(xdg_ + "/data/desktop-directories/" + group + "-extras.directory").at("Name"), "Extras");
    const std::string menu = testsupport::ReadHostFile(xdg_ + "/config/menus/applications-merged/" + group + ".menu");
    EXPECT_NE(menu.find("    <Name>" + group + "-extras</Name>"), std::string::npos) << menu;
    EXPECT_NE(menu.find("<Filename>" + group + "-extras-readme.desktop</Filename>"), std::string::npos) << menu;

    // Directly in the Programs folder: the group "_", entries at the top of Applications.
    EXPECT_TRUE(fs::exists(apps_ + "/_-loose.desktop"));
    const std::string top = testsupport::ReadHostFile(xdg_ + "/config/menus/applications-merged/pallimer-" + tag + "-_.menu");
    EXPECT_NE(top.find("<Name>Applications</Name>\n  <Include>\n    <Filename>pallimer-" + tag + "-_-loose.desktop"),
              std::string::npos)
        << top;
}

TEST_F(DesktopMenuTest, RenamingMovesTheEntryAndOtherFoldersAreNotMirrored)
{
    InstallProduct();
    const std::string d = "C:\\Program Files\\Tessaly";
    ASSERT_EQ(SaveLink(programs_ + "\\Tessaly v1.1\\Readme.lnk", {d + "\\readme.txt", d, "", "", ""}), S_OK);
    ASSERT_TRUE(CreateDir(programs_ + "\\Other"));
    ASSERT_TRUE(MoveFileA(programs_ + "\\Tessaly v1.1\\Readme.lnk", programs_ + "\\Other\\Read me.lnk"));
    EXPECT_FALSE(fs::exists(Entry("Tessaly v1.1", "Readme")));
    EXPECT_TRUE(fs::exists(Entry("Other", "Read me")));

    // The desktop folder and plain files of the Programs folder are none of the menu's business.
    const auto before = Tree(xdg_);
    ASSERT_EQ(SaveLink(Folder(CSIDL_DESKTOPDIRECTORY) + "\\Readme.lnk", {d + "\\readme.txt", d, "", "", ""}), S_OK);
    WriteFile(programs_ + "\\Tessaly v1.1\\notes.txt", "x");
    ASSERT_TRUE(DeleteFileA(programs_ + "\\Tessaly v1.1\\notes.txt"));
    EXPECT_EQ(Tree(xdg_), before);
}

TEST_F(DesktopMenuTest, NothingIsWrittenWhileDisabledOrForAnotherMachine)
{
    InstallProduct();
    const std::string d = "C:\\Program Files\\Tessaly";
    DesktopMenu::Disable();
    const auto empty = Tree(xdg_);
    ASSERT_EQ(SaveLink(programs_ + "\\Tessaly v1.1\\Readme.lnk", {d + "\\readme.txt", d, "", "", ""}), S_OK);
    EXPECT_EQ(Tree(xdg_), empty);
    // Turned on later, a sync catches up with what is there.
    DesktopMenu::Enable();
    ASSERT_TRUE(DesktopMenu::SyncGroup("Tessaly v1.1"));
    ASSERT_TRUE(fs::exists(Entry("Tessaly v1.1", "Readme")));

    // A second machine with the same group: its entries are its own.
    const std::string firstRoot = RootPath();
    const auto withFirst = Tree(xdg_);
    Machine::SetRoot(dir_->Path() + "/second");
    ASSERT_NE(DesktopMenu::RootTag(), fs::path(apps_).filename().string());
    ASSERT_TRUE(CreateDir(Folder(CSIDL_PROGRAMS) + "\\Tessaly v1.1"));
    ASSERT_EQ(SaveLink(Folder(CSIDL_PROGRAMS) + "\\Tessaly v1.1\\Readme.lnk", {"C:\\readme.txt", "", "", "", ""}), S_OK);
    ASSERT_TRUE(DeleteFileA(Folder(CSIDL_PROGRAMS) + "\\Tessaly v1.1\\Readme.lnk"));
    EXPECT_EQ(Tree(xdg_), withFirst);
    Machine::SetRoot(firstRoot);
}

TEST_F(DesktopMenuTest, AnUnwritableMenuNeverFailsTheShortcut)
{
    InstallProduct();
    // A file where the data folder should be: nothing can be created below it.
    testsupport::WriteHostFile(xdg_ + "/blocked", "");
    setenv("XDG_DATA_HOME", (xdg_ + "/blocked").c_str(), 1);
    const std::string d = "C:\\Program Files\\Tessaly";
    ASSERT_EQ(SaveLink(programs_ + "\\Tessaly v1.1\\Readme.lnk", {d + "\\readme.txt", d, "", "", ""}), S_OK);
    EXPECT_FALSE(DesktopMenu::SyncGroup("Tessaly v1.1"));
    EXPECT_TRUE(FileExists(programs_ + "\\Tessaly v1.1\\Readme.lnk"));
    EXPECT_TRUE(DeleteFileA(programs_ + "\\Tessaly v1.1\\Readme.lnk"));
}

TEST(DesktopMenuText, ExecValuesQuoteTheReservedCharacters)
{
    struct Case {
        std::vector<std::string> argv;
        std::string exec;
    };
    const Case cases[] = {
        {{"/usr/bin/plain", "-x"}, "/usr/bin/plain -x"},
        {{"/a dir/prog"}, "\"/a dir/prog\""},
        {{"say", "it's"}, "say \"it's\""},
        {{"p", "$HOME"}, "p \"\\\\$HOME\""},
        {{"p", "a\"b"}, "p \"a\\\\\"b\""},
        {{"p", "back\\slash"}, "p \"back\\\\\\\\slash\""},
        {{"p", "50%"}, "p 50%%"},
        {{"p", ""}, "p \"\""},
        {{"p", "tab\there"}, "p \"tab\\there\""},
    };
    for (const Case& c : cases) EXPECT_EQ(DesktopMenu::ExecValue(c.argv), c.exec) << c.exec;
}

TEST(DesktopMenuText, ArgumentsSplitAsTheRuntimeSplitsThem)
{
    struct Case {
        std::string line;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"", {}},
        {"  a  b\tc ", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"a\\\\b", {"a\\\\b"}},
        {"a\\\"b", {"a\"b"}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"C:\\Program Files\\x", {"C:\\Program", "Files\\x"}},
    };
    for (const Case& c : cases) EXPECT_EQ(DesktopMenu::SplitArguments(c.line), c.args) << c.line;
}

TEST(DesktopMenuText, NamesEscapeToLettersDigitsAndDots)
{
    EXPECT_EQ(DesktopMenu::EscapeName("Tessaly v1.1"), "tessaly_20v1.1");
    EXPECT_EQ(DesktopMenu::EscapeName("A-b_c"), "a_2Db_5Fc");
    EXPECT_EQ(DesktopMenu::EscapeName("\xC9t\xE9"), "_E9t_E9");  // upper and lower case alike
    EXPECT_EQ(DesktopMenu::EscapeName("_"), "_5F");
}

}  // namespace
