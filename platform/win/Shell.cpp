#include "platform/win/Shell.h"

#include <atomic>
#include <cstring>

#include "platform/win/Machine.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/WinReg.h"

namespace {

// Our id lists: one item whose data is the marker "PLMR" and the NUL-terminated ANSI
// path (empty for a virtual folder), then the u16 0 that ends every list.
//
//   u16 cb | 'P' 'L' 'M' 'R' | path bytes | 0 | u16 0
constexpr char kMarker[4] = {'P', 'L', 'M', 'R'};

LPITEMIDLIST MakeIdList(const std::string& path)
{
    const size_t cb = 2 + 4 + path.size() + 1;
    auto* p = static_cast<uint8_t*>(CoTaskMemAlloc(cb + 2));
    if (!p) return nullptr;
    p[0] = static_cast<uint8_t>(cb & 0xFF);
    p[1] = static_cast<uint8_t>(cb >> 8);
    std::memcpy(p + 2, kMarker, 4);
    std::memcpy(p + 6, path.c_str(), path.size() + 1);
    p[cb] = 0;
    p[cb + 1] = 0;
    return reinterpret_cast<LPITEMIDLIST>(p);
}

// A string value of a key; false when missing, empty or not a string.
bool ReadFolderValue(HKEY root, const char* key, const char* name, std::string& out)
{
    HKEY k = 0;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool ok = false;
    if (RegQueryValueExA(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::string buf(size, '\0');
        if (RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) == ERROR_SUCCESS) {
            buf.resize(std::min<size_t>(size, buf.size()));
            size_t z = buf.find('\0');
            if (z != std::string::npos) buf.resize(z);
            out = buf;
            ok = !out.empty();
        }
    }
    RegCloseKey(k);
    return ok;
}

std::atomic<FormHandleResolver> gResolver{nullptr};

}  // namespace

HRESULT SHGetSpecialFolderLocation(HWND, int nFolder, LPITEMIDLIST* ppidl)
{
    if (!ppidl) return E_INVALIDARG;
    *ppidl = nullptr;
    const int csidl = nFolder & ~CSIDL_FLAG_CREATE;
    const char* userValue = nullptr;
    const char* commonValue = nullptr;
    const char* machineValue = nullptr;
    std::string path;
    bool isVirtual = false;
    switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: userValue = "Desktop"; break;
    case CSIDL_PROGRAMS: userValue = "Programs"; break;
    case CSIDL_PERSONAL: userValue = "Personal"; break;
    case CSIDL_FAVORITES: userValue = "Favorites"; break;
    case CSIDL_STARTUP:
    case CSIDL_ALTSTARTUP: userValue = "Startup"; break;
    case CSIDL_RECENT: userValue = "Recent"; break;
    case CSIDL_SENDTO: userValue = "SendTo"; break;
    case CSIDL_STARTMENU: userValue = "Start Menu"; break;
    case CSIDL_NETHOOD: userValue = "NetHood"; break;
    case CSIDL_FONTS: userValue = "Fonts"; break;
    case CSIDL_TEMPLATES: userValue = "Templates"; break;
    case CSIDL_APPDATA: userValue = "AppData"; break;
    case CSIDL_PRINTHOOD: userValue = "PrintHood"; break;
    case CSIDL_LOCAL_APPDATA: userValue = "Local AppData"; break;
    case CSIDL_INTERNET_CACHE: userValue = "Cache"; break;
    case CSIDL_COOKIES: userValue = "Cookies"; break;
    case CSIDL_HISTORY: userValue = "History"; break;
    case CSIDL_MYPICTURES: userValue = "My Pictures"; break;
    case CSIDL_COMMON_STARTMENU: commonValue = "Common Start Menu"; break;
    case CSIDL_COMMON_PROGRAMS: commonValue = "Common Programs"; break;
    case CSIDL_COMMON_STARTUP: commonValue = "Common Startup"; break;
    case CSIDL_COMMON_DESKTOPDIRECTORY: commonValue = "Common Desktop"; break;
    case CSIDL_COMMON_ALTSTARTUP: commonValue = "Common AltStartup"; break;
    case CSIDL_COMMON_FAVORITES: commonValue = "Common Favorites"; break;
    case CSIDL_COMMON_APPDATA: commonValue = "Common AppData"; break;
    case CSIDL_PROGRAM_FILES: machineValue = "ProgramFilesPath"; break;
    case CSIDL_PROGRAM_FILES_COMMON: machineValue = "CommonFilesDir"; break;
    case CSIDL_WINDOWS: path = Machine::WindowsDir(); break;
    case CSIDL_SYSTEM: path = Machine::SystemDir(); break;
    case CSIDL_PROFILE: path = Machine::UserProfileDir(); break;
    case CSIDL_INTERNET:
    case CSIDL_CONTROLS:
    case CSIDL_PRINTERS:
    case CSIDL_BITBUCKET:
    case CSIDL_DRIVES:
    case CSIDL_NETWORK: isVirtual = true; break;
    default: return E_INVALIDARG;
    }
    if (userValue && !ReadFolderValue(HKEY_CURRENT_USER, kShellFoldersKey, userValue, path)) return E_FAIL;
    if (commonValue && !ReadFolderValue(HKEY_LOCAL_MACHINE, kShellFoldersKey, commonValue, path)) return E_INVALIDARG;
    if (machineValue && !ReadFolderValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, machineValue, path)) return E_FAIL;
    if (!isVirtual && path.empty()) return E_FAIL;
    LPITEMIDLIST list = MakeIdList(path);
    if (!list) return E_OUTOFMEMORY;
    *ppidl = list;
    return S_OK;
}

BOOL SHGetPathFromIDList(LPCITEMIDLIST pidl, char* pszPath)
{
    if (!pszPath) return FALSE_;
    pszPath[0] = '\0';
    if (!pidl) return FALSE_;
    const auto* p = reinterpret_cast<const uint8_t*>(pidl);
    const size_t cb = static_cast<size_t>(p[0]) | static_cast<size_t>(p[1]) << 8;
    if (cb < 2 + 4 + 1 || std::memcmp(p + 2, kMarker, 4) != 0) return FALSE_;
    const char* path = reinterpret_cast<const char*>(p + 6);
    const size_t len = strnlen(path, cb - 6);
    if (len == 0 || len >= MAX_PATH) return FALSE_;
    std::memcpy(pszPath, path, len);
    pszPath[len] = '\0';
    return TRUE_;
}

void ILFree(LPITEMIDLIST pidl) { CoTaskMemFree(pidl); }

void SetFormHandleResolver(FormHandleResolver Resolver) { gResolver.store(Resolver); }

HWND FormWindowHandle(TComponent* Component)
{
    HWND h = 0;
    FormHandleResolver r = gResolver.load();
    if (!Component || !r || !r(Component, h)) throw EInvalidCast("Invalid class typecast");
    return h;
}
