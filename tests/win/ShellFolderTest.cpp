// Special folders answered from the registry's shell-folder values.
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/win/Machine.h"
#include "platform/win/Shell.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/WinReg.h"
#include "tests/support/TempMachine.h"

namespace {

class ShellFolderTest : public MachineTest {
protected:
    // The path of a folder, or "<fail>" / "<no path>".
    static std::string PathOf(int csidl)
    {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(0, csidl, &list))) return "<fail>";
        char buf[MAX_PATH] = "junk";
        BOOL ok = SHGetPathFromIDList(list, buf);
        ILFree(list);
        if (!ok) return buf[0] ? "<junk left>" : "<no path>";
        return buf;
    }
};

struct FolderCase {
    int csidl;
    const char* value;  // Shell Folders value, or nullptr
};

TEST_F(ShellFolderTest, PerUserFoldersComeFromTheShellFolderValues)
{
    const FolderCase cases[] = {
        {CSIDL_PROGRAMS, "Programs"},     {CSIDL_STARTMENU, "Start Menu"},   {CSIDL_DESKTOP, "Desktop"},
        {CSIDL_DESKTOPDIRECTORY, "Desktop"}, {CSIDL_PERSONAL, "Personal"},  {CSIDL_STARTUP, "Startup"},
        {CSIDL_APPDATA, "AppData"},       {CSIDL_FONTS, "Fonts"},            {CSIDL_MYPICTURES, "My Pictures"},
        {CSIDL_LOCAL_APPDATA, "Local AppData"}, {CSIDL_INTERNET_CACHE, "Cache"}, {CSIDL_SENDTO, "SendTo"},
    };
    const auto folders = DefaultShellFolders();
    for (const auto& c : cases) {
        std::string expected;
        for (const auto& f : folders)
            if (f.ValueName == c.value) expected = f.Path;
        EXPECT_EQ(PathOf(c.csidl), expected) << c.value;
        EXPECT_TRUE(std::filesystem::is_directory(Host(expected))) << expected;
    }
    EXPECT_EQ(PathOf(CSIDL_PROGRAMS | CSIDL_FLAG_CREATE), PathOf(CSIDL_PROGRAMS));
    EXPECT_EQ(PathOf(CSIDL_WINDOWS), "C:\\WINDOWS");
    EXPECT_EQ(PathOf(CSIDL_SYSTEM), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(PathOf(CSIDL_PROGRAM_FILES), "C:\\Program Files");
    EXPECT_EQ(PathOf(CSIDL_PROGRAM_FILES_COMMON), "C:\\Program Files\\Common Files");
}

TEST_F(ShellFolderTest, FollowsTheRegistryAndFailsWithoutAValue)
{
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    const char moved[] = "Z:\\tmp\\Programs";
    ASSERT_EQ(RegSetValueExA(k, "Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>(moved), sizeof moved),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(k, "Recent"), ERROR_SUCCESS);
    const BYTE four[4] = {1, 0, 0, 0};
    ASSERT_EQ(RegSetValueExA(k, "Favorites", 0, REG_DWORD, four, 4), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(PathOf(CSIDL_PROGRAMS), moved);
    EXPECT_EQ(PathOf(CSIDL_RECENT), "<fail>");
    EXPECT_EQ(PathOf(CSIDL_FAVORITES), "<fail>");
    EXPECT_EQ(PathOf(CSIDL_COMMON_PROGRAMS), "<fail>");  // not on this machine
    EXPECT_EQ(PathOf(0x7F), "<fail>");
}

TEST_F(ShellFolderTest, VirtualFoldersHaveNoPath)
{
    EXPECT_EQ(PathOf(CSIDL_CONTROLS), "<no path>");
    EXPECT_EQ(PathOf(CSIDL_DRIVES), "<no path>");
    char buf[MAX_PATH] = "x";
    EXPECT_EQ(SHGetPathFromIDList(nullptr, buf), FALSE_);
    EXPECT_STREQ(buf, "");
}

TEST(FormHandle, OnlyFormsHaveOne)
{
    EXPECT_THROW(FormWindowHandle(nullptr), EInvalidCast);
    SetFormHandleResolver([](TComponent* c, HWND& h) {
        h = reinterpret_cast<HWND>(c);
        return true;
    });
    int dummy = 0;
    EXPECT_EQ(FormWindowHandle(reinterpret_cast<TComponent*>(&dummy)), reinterpret_cast<HWND>(&dummy));
    SetFormHandleResolver(nullptr);
    try {
        FormWindowHandle(reinterpret_cast<TComponent*>(&dummy));
        FAIL();
    } catch (const EInvalidCast& e) {
        EXPECT_EQ(e.Message(), "Invalid class typecast");
    }
}

}  // namespace
