#include "system/KvSystem.h"

#include "platform/win/Registry.h"
#include "platform/win/System.h"

namespace {

// The text up to the first zero of a buffer filled by one of the kernel's folder calls;
// the calls' results are not looked at.
template <typename F>
std::string FromBuffer(F call)
{
    char buf[MAX_PATH + 1] = {};
    call(buf);
    buf[MAX_PATH] = '\0';
    return buf;
}

}  // namespace

TKvSystemPath::TKvSystemPath(TComponent* AOwner) : TComponent(AOwner)
{
    Windows_ = FromBuffer([](char* b) { GetWindowsDirectoryA(b, MAX_PATH); });
    System_ = FromBuffer([](char* b) { GetSystemDirectoryA(b, MAX_PATH); });
    Temp_ = FromBuffer([](char* b) { GetTempPathA(MAX_PATH, b); });

    // The registry object is freed on every path; a bad value type leaves by exception,
    // after which TComponent's destructor releases the component itself.
    TRegistry reg;  // root HKEY_CURRENT_USER
    if (reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) {
        AppData_ = reg.ReadString("AppData");
        Cache_ = reg.ReadString("Cache");
        Cookies_ = reg.ReadString("Cookies");
        DeskTop_ = reg.ReadString("DeskTop");
        Favorites_ = reg.ReadString("Favorites");
        Fonts_ = reg.ReadString("Fonts");
        History_ = reg.ReadString("History");
        NetHood_ = reg.ReadString("NetHood");
        Personal_ = reg.ReadString("Personal");
        PrintHood_ = reg.ReadString("PrintHood");
        Programs_ = reg.ReadString("Programs");
        Recent_ = reg.ReadString("Recent");
        SendTo_ = reg.ReadString("SendTo");
        StartMenu_ = reg.ReadString("Start Menu");
        StartUp_ = reg.ReadString("StartUp");
        Templates_ = reg.ReadString("Templates");
        MyPictures_ = reg.ReadString("My Pictures");
        LocalSettings_ = reg.ReadString("Local Settings");
        LocalAppData_ = reg.ReadString("Local AppData");
        Content_ = reg.ReadString("Content");
    }
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion", false)) {
        CommonFiles_ = reg.ReadString("CommonFilesDir");
        Config_ = reg.ReadString("ConfigPath");
        Device_ = reg.ReadString("DevicePath");
        Media_ = reg.ReadString("MediaPath");
        OtherDevice_ = reg.ReadString("OtherDevicePath");
        ProgramFiles_ = reg.ReadString("ProgramFilesPath");
        SystemRoot_ = reg.ReadString("SystemRoot");
        WallPaper_ = reg.ReadString("WallPaperDir");
    }
    ComponentVersion_ = "3.00.00.00";
}
