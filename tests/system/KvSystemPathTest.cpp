// TKvSystemPath: what it reads at creation, and its failures.
#include <gtest/gtest.h>

#include "platform/win/Registry.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/SysFiles.h"
#include "platform/win/WinReg.h"
#include "system/KvSystem.h"
#include "tests/support/TempMachine.h"

namespace {

class KvSystemPathTest : public MachineTest {
protected:
    static std::string Seeded(const std::string& value)
    {
        for (const auto& f : DefaultShellFolders())
            if (f.ValueName == value) return f.Path;
        for (const auto& f : DefaultMachineFolders())
            if (f.ValueName == value) return f.Path;
        return "<none>";
    }
    static void EditShellFolders(void (*fn)(TRegistry&))
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
        fn(reg);
    }
};

TEST_F(KvSystemPathTest, ReadsAllThirtyTwoPathsAtCreation)
{
    TKvSystemPath p(nullptr);
    const struct {
        const char* name;
        const std::string& value;
        const char* source;
    } rows[] = {
        {"AppData", p.AppData(), "AppData"},           {"Cache", p.Cache(), "Cache"},
        {"Cookies", p.Cookies(), "Cookies"},           {"DeskTop", p.DeskTop(), "Desktop"},
        {"Favorites", p.Favorites(), "Favorites"},     {"Fonts", p.Fonts(), "Fonts"},
        {"History", p.History(), "History"},           {"NetHood", p.NetHood(), "NetHood"},
        {"Personal", p.Personal(), "Personal"},        {"PrintHood", p.PrintHood(), "PrintHood"},
        {"Programs", p.Programs(), "Programs"},        {"Recent", p.Recent(), "Recent"},
        {"SendTo", p.SendTo(), "SendTo"},              {"StartMenu", p.StartMenu(), "Start Menu"},
        {"StartUp", p.StartUp(), "Startup"},           {"Templates", p.Templates(), "Templates"},
        {"CommonFiles", p.CommonFiles(), "CommonFilesDir"}, {"Config", p.Config(), "ConfigPath"},
        {"Device", p.Device(), "DevicePath"},          {"Media", p.Media(), "MediaPath"},
        {"OtherDevice", p.OtherDevice(), "OtherDevicePath"}, {"ProgramFiles", p.ProgramFiles(), "ProgramFilesPath"},
        {"SystemRoot", p.SystemRoot(), "SystemRoot"},  {"WallPaper", p.WallPaper(), "WallPaperDir"},
        {"MyPictures", p.MyPictures(), "My Pictures"}, {"LocalSettings", p.LocalSettings(), "Local Settings"},
        {"LocalAppData", p.LocalAppData(), "Local AppData"}, {"Content", p.Content(), "Content"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.value, Seeded(r.source)) << r.name;
        EXPECT_TRUE(DirectoryExists(r.value)) << r.name << " " << r.value;
    }
    EXPECT_EQ(p.Windows(), "C:\\WINDOWS");
    EXPECT_EQ(p.System(), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(p.Temp(), "C:\\WINDOWS\\TEMP\\");
    EXPECT_EQ(p.ProgramFiles(), "C:\\Program Files");
    EXPECT_EQ(p.ComponentVersion(), "3.00.00.00");
    // The temporary folder takes a file name as it is.
    int h = FileCreate(p.Temp() + "setup.lzd");
    ASSERT_GE(h, 0);
    FileClose(h);
    EXPECT_TRUE(FileExists("C:\\WINDOWS\\TEMP\\setup.lzd"));
}

TEST_F(KvSystemPathTest, SettersChangeNothing)
{
    TKvSystemPath p(nullptr);
    const std::string temp = p.Temp();
    p.SetTemp("X:\\");
    p.SetProgramFiles("");
    p.SetComponentVersion("9");
    EXPECT_EQ(p.Temp(), temp);
    EXPECT_EQ(p.ProgramFiles(), "C:\\Program Files");
    EXPECT_EQ(p.ComponentVersion(), "3.00.00.00");
}

TEST_F(KvSystemPathTest, WithoutTheNewerValuesThoseStayEmpty)
{
    EditShellFolders([](TRegistry& reg) {
        for (const char* v : {"My Pictures", "Local Settings", "Local AppData", "Content"}) reg.DeleteValue(v);
    });
    TKvSystemPath p(nullptr);
    EXPECT_EQ(p.MyPictures(), "");
    EXPECT_EQ(p.LocalSettings(), "");
    EXPECT_EQ(p.LocalAppData(), "");
    EXPECT_EQ(p.Content(), "");
    EXPECT_EQ(p.Programs(), Seeded("Programs"));
    EXPECT_EQ(p.Templates(), Seeded("Templates"));
}

TEST_F(KvSystemPathTest, ValuesAreTakenAsStored)
{
    EditShellFolders([](TRegistry& reg) {
        reg.WriteExpandString("AppData", "%USERPROFILE%\\Application Data");
        const char withZero[] = "C:\\Cut\0After";
        RegSetValueExA(reg.CurrentKey(), "Cookies", 0, REG_SZ, reinterpret_cast<const BYTE*>(withZero),
                       sizeof withZero);
    });
    TKvSystemPath p(nullptr);
    EXPECT_EQ(p.AppData(), "%USERPROFILE%\\Application Data");
    EXPECT_EQ(p.Cookies(), "C:\\Cut");
}

TEST_F(KvSystemPathTest, AMissingKeyLeavesItsGroupEmpty)
{
    TRegistry reg;
    ASSERT_TRUE(reg.DeleteKey(kShellFoldersKey));
    TKvSystemPath p(nullptr);
    EXPECT_EQ(p.Programs(), "");
    EXPECT_EQ(p.DeskTop(), "");
    EXPECT_EQ(p.ProgramFiles(), "C:\\Program Files");
    EXPECT_EQ(p.Temp(), "C:\\WINDOWS\\TEMP\\");
}

TEST_F(KvSystemPathTest, ANonStringValueAbortsTheCreation)
{
    EditShellFolders([](TRegistry& reg) { reg.WriteInteger("Favorites", 1); });
    TComponent owner(nullptr);
    try {
        new TKvSystemPath(&owner);
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Favorites'");
    }
    EXPECT_EQ(owner.ComponentCount(), 0);  // the half-made component is gone
}

}  // namespace
