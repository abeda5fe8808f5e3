#include "system/ShortcutLink.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/win/Com.h"
#include "platform/win/Shell.h"
#include "platform/win/System.h"

namespace {

constexpr const char* kLinkError = "Unable to create .lnk file";

// COM for the thread that starts the program, for the program's whole life.
struct ComForProgram {
    ComForProgram() { CoInitialize(nullptr); }
    ~ComForProgram() { CoUninitialize(); }
};
ComForProgram gComForProgram;

// Releases an interface when the scope ends, exceptions included.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr()
    {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    void** Out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

}  // namespace

namespace {

const TIdentTable ShowCmdIdents = {
    {scShowMaximized, "scShowMaximized"}, {scShowMinimized, "scShowMinimized"}, {scShowNormal, "scShowNormal"}};

}  // namespace

// Only ShowCmd has a default. A form that keeps it never assigns it, so the stored show
// command stays 0 (written into the shortcut as 0, not the 9 an assignment stores).
// HotKey is always written: reading it gives " " for none.
PUBLISHED_PROPERTIES(TShortcutLink, TComponent)
{
    PUBLISH_STRING(ShortcutFile);
    PUBLISH_STRING(Target);
    PUBLISH_STRING(WorkingDir);
    PUBLISH_STRING(Description);
    PUBLISH_STRING(Arguments);
    PUBLISH_STRING(IconLocation);
    PUBLISH_INT(IconNumber);
    PUBLISH_STRING(HotKey);
    PUBLISH_ENUM(ShowCmd, ShowCmdIdents, scShowNormal);
}
REGISTER_CLASS(TShortcutLink);

std::string TShortcutLink::HotKey() const
{
    if (hotKey_ == 0) hotKey_ = 32;
    return std::string(1, static_cast<char>(hotKey_));
}

void TShortcutLink::SetHotKey(const std::string& Value)
{
    unsigned char c = Value.empty() ? ' ' : static_cast<unsigned char>(Value[0]);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
    hotKey_ = c < 32 ? 32 : c;
}

TShowCmd TShortcutLink::ShowCmd() const
{
    switch (showCmd_) {
    case SW_SHOWMAXIMIZED: return scShowMaximized;
    case SW_SHOWMINNOACTIVE: return scShowMinimized;
    default: return scShowNormal;
    }
}

void TShortcutLink::SetShowCmd(TShowCmd Value)
{
    switch (Value) {
    case scShowMaximized: showCmd_ = SW_SHOWMAXIMIZED; break;
    case scShowMinimized: showCmd_ = SW_SHOWMINNOACTIVE; break;
    case scShowNormal: showCmd_ = SW_RESTORE; break;
    default: break;
    }
}

void TShortcutLink::CreateLink()
{
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out())))
        throw EShortcutError(kLinkError);
    link->SetPath(target_.c_str());
    link->SetWorkingDirectory(workingDir_.c_str());
    link->SetArguments(arguments_.c_str());
    link->SetDescription(description_.c_str());
    link->SetShowCmd(showCmd_);
    if (hotKey_ > 32) link->SetHotkey(static_cast<WORD>(hotKey_ | 0x0600));
    link->SetIconLocation(iconLocation_.c_str(), iconNumber_);

    ComPtr<IPersistFile> file;
    if (link->QueryInterface(IID_IPersistFile, file.Out()) != S_OK) throw EShortcutError(kLinkError);
    // The path goes through a buffer of MAX_PATH characters including its zero; a longer
    // one does not convert and the link is not written.
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, shortcutFile_.c_str(), -1, wide, MAX_PATH) == 0)
        throw EShortcutError(kLinkError);
    if (file->Save(wide, TRUE_) != S_OK) throw EShortcutError(kLinkError);
}

void TShortcutLink::ProgramsFolder(std::string& Result) { SpecialFolder(CSIDL_PROGRAMS, Result); }

void TShortcutLink::SpecialFolder(int Csidl, std::string& Result)
{
    const HWND handle = FormWindowHandle(Owner());
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(handle, Csidl, &list))) return;
    char path[MAX_PATH];
    SHGetPathFromIDList(list, path);
    ILFree(list);
    Result = path;
}
