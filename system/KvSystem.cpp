#include "system/KvSystem.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
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

// Published so a form may name them, but none is ever written: the values belong to the
// machine the component is created on, and their setters ignore what a form gives.
#define PALLIMER_KV_UNSTORED(Name) PUBLISH_STRING(Name).Stored([](const TPersistent&) { return false; })
PUBLISHED_PROPERTIES(TKvSystemPath, TComponent)
{
    PALLIMER_KV_UNSTORED(AppData);
    PALLIMER_KV_UNSTORED(Cache);
    PALLIMER_KV_UNSTORED(Cookies);
    PALLIMER_KV_UNSTORED(DeskTop);
    PALLIMER_KV_UNSTORED(Favorites);
    PALLIMER_KV_UNSTORED(Fonts);
    PALLIMER_KV_UNSTORED(History);
    PALLIMER_KV_UNSTORED(NetHood);
    PALLIMER_KV_UNSTORED(Personal);
    PALLIMER_KV_UNSTORED(PrintHood);
    PALLIMER_KV_UNSTORED(Programs);
    PALLIMER_KV_UNSTORED(Recent);
    PALLIMER_KV_UNSTORED(SendTo);
    PALLIMER_KV_UNSTORED(StartMenu);
    PALLIMER_KV_UNSTORED(StartUp);
    PALLIMER_KV_UNSTORED(Templates);
    PALLIMER_KV_UNSTORED(Windows);
    PALLIMER_KV_UNSTORED(System);
    PALLIMER_KV_UNSTORED(Temp);
    PALLIMER_KV_UNSTORED(CommonFiles);
    PALLIMER_KV_UNSTORED(Config);
    PALLIMER_KV_UNSTORED(Device);
    PALLIMER_KV_UNSTORED(Media);
    PALLIMER_KV_UNSTORED(OtherDevice);
    PALLIMER_KV_UNSTORED(ProgramFiles);
    PALLIMER_KV_UNSTORED(SystemRoot);
    PALLIMER_KV_UNSTORED(WallPaper);
    PALLIMER_KV_UNSTORED(ComponentVersion);
    PALLIMER_KV_UNSTORED(MyPictures);
    PALLIMER_KV_UNSTORED(LocalSettings);
    PALLIMER_KV_UNSTORED(LocalAppData);
    PALLIMER_KV_UNSTORED(Content);
}
#undef PALLIMER_KV_UNSTORED
REGISTER_CLASS(TKvSystemPath);

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
