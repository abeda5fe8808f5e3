#include "platform/win/ShellFolders.h"

#include "platform/win/Machine.h"

std::vector<ShellFolderEntry> DefaultShellFolders()
{
    const std::string p = Machine::UserProfileDir();
    const std::string win = Machine::WindowsDir();
    const std::string inet = p + "\\Local Settings\\Temporary Internet Files";
    return {
        {"AppData", p + "\\Application Data"},
        {"Cache", inet},
        {"Cookies", p + "\\Cookies"},
        {"Desktop", p + "\\Desktop"},
        {"Favorites", p + "\\Favorites"},
        {"Fonts", win + "\\Fonts"},
        {"History", p + "\\History"},
        {"NetHood", p + "\\NetHood"},
        {"Personal", p + "\\My Documents"},
        {"PrintHood", p + "\\PrintHood"},
        {"Programs", p + "\\Start Menu\\Programs"},
        {"Recent", p + "\\Recent"},
        {"SendTo", p + "\\SendTo"},
        {"Start Menu", p + "\\Start Menu"},
        {"Startup", p + "\\Start Menu\\Programs\\StartUp"},
        {"Templates", p + "\\Templates"},
        {"My Pictures", p + "\\My Documents\\My Pictures"},
        {"Local Settings", p + "\\Local Settings"},
        {"Local AppData", p + "\\Local Settings\\Application Data"},
        {"Content", inet + "\\Content"},
    };
}

std::vector<ShellFolderEntry> DefaultMachineFolders()
{
    const std::string win = Machine::WindowsDir();
    return {
        {"ProgramFilesPath", "C:\\Program Files"},
        {"CommonFilesDir", "C:\\Program Files\\Common Files"},
        {"SystemRoot", win},
        {"MediaPath", win + "\\Media"},
        {"DevicePath", win + "\\Inf"},
        {"ConfigPath", win + "\\Config"},
        {"OtherDevicePath", win + "\\Inf\\Other"},
        {"WallPaperDir", win + "\\Web\\Wallpaper"},
    };
}
