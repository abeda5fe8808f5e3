// TKvSystemPath: the paths of the system folders, the user's shell folders and the
// machine's folder settings, read once when the component is created and offered as
// read-only properties (their setters do nothing).
#pragma once

#include <string>

#include "platform/classes/Component.h"

class TKvSystemPath : public TComponent {
public:
    // Reads everything. A value of a non-string type raises ERegistryException
    // "Invalid data type for '%s'" and the component is not created.
    explicit TKvSystemPath(TComponent* AOwner);
    std::string ClassName() const override { return "TKvSystemPath"; }

#define PALLIMER_KV_PATH(Name) \
    const std::string& Name() const { return Name##_; } \
    void Set##Name(const std::string&) {}
    PALLIMER_KV_PATH(AppData)
    PALLIMER_KV_PATH(Cache)
    PALLIMER_KV_PATH(Cookies)
    PALLIMER_KV_PATH(DeskTop)
    PALLIMER_KV_PATH(Favorites)
    PALLIMER_KV_PATH(Fonts)
    PALLIMER_KV_PATH(History)
    PALLIMER_KV_PATH(NetHood)
    PALLIMER_KV_PATH(Personal)
    PALLIMER_KV_PATH(PrintHood)
    PALLIMER_KV_PATH(Programs)
    PALLIMER_KV_PATH(Recent)
    PALLIMER_KV_PATH(SendTo)
    PALLIMER_KV_PATH(StartMenu)
    PALLIMER_KV_PATH(StartUp)
    PALLIMER_KV_PATH(Templates)
    PALLIMER_KV_PATH(Windows)
    PALLIMER_KV_PATH(System)
    PALLIMER_KV_PATH(Temp)
    PALLIMER_KV_PATH(CommonFiles)
    PALLIMER_KV_PATH(Config)
    PALLIMER_KV_PATH(Device)
    PALLIMER_KV_PATH(Media)
    PALLIMER_KV_PATH(OtherDevice)
    PALLIMER_KV_PATH(ProgramFiles)
    PALLIMER_KV_PATH(SystemRoot)
    PALLIMER_KV_PATH(WallPaper)
    PALLIMER_KV_PATH(ComponentVersion)
    PALLIMER_KV_PATH(MyPictures)
    PALLIMER_KV_PATH(LocalSettings)
    PALLIMER_KV_PATH(LocalAppData)
    PALLIMER_KV_PATH(Content)
#undef PALLIMER_KV_PATH

private:
    // In declaration order.
    std::string AppData_, Cache_, Cookies_, DeskTop_, Favorites_, Fonts_, History_, NetHood_, Personal_,
        PrintHood_, Programs_, Recent_, SendTo_, StartMenu_, StartUp_, Templates_, Windows_, System_, Temp_,
        CommonFiles_, Config_, Device_, Media_, OtherDevice_, ProgramFiles_, SystemRoot_, WallPaper_,
        ComponentVersion_, MyPictures_, LocalSettings_, LocalAppData_, Content_;
};
