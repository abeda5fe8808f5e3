#include "tests/product/support/SimulatedInstall.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/Com.h"
#include "platform/win/DesktopMenu.h"
#include "platform/win/Machine.h"
#include "platform/win/Registry.h"
#include "platform/win/Shell.h"
#include "platform/win/SysFiles.h"

namespace fs = std::filesystem;

namespace testsupport {

std::map<std::string, std::string> Snapshot(const std::string& hostDir)
{
    std::map<std::string, std::string> all;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(hostDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string rel = fs::relative(it->path(), hostDir).string();
        if (rel.rfind("registry/.lock", 0) == 0) continue;  // the store's lock file comes and stays
        if (it->is_directory())
            all[rel + "/"] = "";
        else
            all[rel] = ReadHostFile(it->path().string());
    }
    return all;
}

void SimulatedInstall::SetUp()
{
    MachineTest::SetUp();
    xdg_ = dir_->Path() + "/xdg";
    fs::create_directories(xdg_ + "/data");
    fs::create_directories(xdg_ + "/config");
    setenv("XDG_DATA_HOME", (xdg_ + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (xdg_ + "/config").c_str(), 1);
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    DesktopMenu::Enable();
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(0, CSIDL_PROGRAMS, &list), S_OK);
    char path[MAX_PATH] = {};
    SHGetPathFromIDList(list, path);
    ILFree(list);
    programs_ = path;
}

void SimulatedInstall::TearDown()
{
    DesktopMenu::Disable();
    CoUninitialize();
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    MachineTest::TearDown();
}

std::map<std::string, std::string> SimulatedInstall::Everything() const
{
    auto all = Snapshot(Machine::Root());
    for (auto& [path, bytes] : Snapshot(xdg_)) all["xdg/" + path] = bytes;
    return all;
}

namespace {

void SaveLink(const std::string& file, const std::string& target, const std::string& dir, const std::string& description,
              const std::string& icon)
{
    IShellLinkA* link = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)),
              S_OK);
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(dir.c_str());
    link->SetDescription(description.c_str());
    link->SetIconLocation(icon.c_str(), 0);
    IPersistFile* pf = nullptr;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf)), S_OK);
    const std::u16string w = AnsiToWide(file);
    EXPECT_EQ(pf->Save(reinterpret_cast<LPCOLESTR>(w.c_str()), TRUE_), S_OK) << file;
    pf->Release();
    link->Release();
}

}  // namespace

void SimulatedInstall::Install(const std::string& d, const Parts& parts)
{
    if (parts.Files) {
        ASSERT_TRUE(ForceDirectories(d));
        for (const char* name : {"uninstall.exe", "readme.txt", "tsly.dll", "tessaly.exe", "tessaly.hlp"}) {
            std::string host;
            DWORD err = 0;
            ASSERT_TRUE(Machine::ToHostPath(d + "\\" + name, host, err));
            WriteHostFile(host, std::string("contents of ") + name);
            if (std::strstr(name, ".exe")) chmod(host.c_str(), 0755);
        }
    }
    if (parts.ProductKey) {
        TRegistry reg;
        reg.SetRootKey(HKEY_USERS);
        ASSERT_TRUE(reg.OpenKey(".Default\\Software\\Corvane Works\\Tessaly v1.1", true));
        reg.WriteString("InstallDir", d);
        if (!reg.ValueExists("InstallDate")) reg.WriteDateTime("InstallDate", Now());
    }
    if (parts.Shortcuts) {
        if (!DirectoryExists(Group())) {
            ASSERT_TRUE(CreateDir(Group()));
        }
        SaveLink(Group() + "\\Tessaly v1.1.lnk", d + "\\tessaly.exe", d, "Tesasly v1.1", d + "\\tessaly.exe");
        SaveLink(Group() + "\\Readme.lnk", d + "\\readme.txt", d, "Readme", "");
        SaveLink(Group() + "\\Uninstall Tessaly.lnk", d + "\\uninstall.exe", d, "Uninstall Tessaly", "");
        SaveLink(Group() + "\\Tessaly Help.lnk", d + "\\tessaly.hlp", d, "Tessaly Help", "");
    }
    if (parts.UninstallKey) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaly v1.1", true));
        reg.WriteString("DisplayName", "Tessaly v1.1");
        reg.WriteString("UninstallString", d + "\\uninstall.exe");
    }
}

}  // namespace testsupport
