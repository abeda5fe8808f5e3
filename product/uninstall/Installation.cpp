#include "product/uninstall/Installation.h"

#include "platform/rtl/FileName.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/Machine.h"
#include "platform/win/Registry.h"
#include "platform/win/Shell.h"

namespace uninstall {

namespace {

bool AbsolutePath(const std::string& p, std::string& full)
{
    // "X:\..." only: a relative value would be taken against whatever folder the
    // uninstaller happens to run in.
    if (p.size() < 3 || p[1] != ':' || !IsPathDelimiter(p[2])) return false;
    DWORD err = 0;
    return Machine::NormalizePath(p, full, err);
}

// A string value, or "" when the value is missing or of another type.
std::string ReadText(TRegistry& reg, const std::string& name)
{
    try {
        return reg.ValueExists(name) ? reg.ReadString(name) : std::string();
    } catch (const Exception&) {
        return {};
    }
}

std::string ProgramsFolder()
{
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(0, CSIDL_PROGRAMS, &list))) return {};
    char path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDList(list, path);
    ILFree(list);
    return ok ? std::string(path) : std::string();
}

// Whether a key exists; a failure other than "not there" is the registry's own.
bool KeyPresent(HKEY root, const char* rootName, const char* key, std::string& error)
{
    HKEY k = 0;
    const LONG rc = RegOpenKeyExA(root, key, 0, KEY_READ, &k);
    if (rc == ERROR_SUCCESS) {
        RegCloseKey(k);
        return true;
    }
    if (rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND && error.empty())
        error = std::string("The registry key ") + rootName + "\\" + key + " cannot be read (error " +
                std::to_string(rc) + ").";
    return false;
}

}  // namespace

bool ResolveInstallDir(const std::string& installDir, const std::string& uninstallString, std::string& dir,
                       std::string& why)
{
    std::string full;
    const std::string given = Trim(installDir);
    if (!given.empty() && AbsolutePath(given, full)) {
        dir = full;
        return true;
    }
    // The uninstall entry names the program, possibly quoted by another tool.
    std::string command = Trim(uninstallString);
    if (command.size() >= 2 && command.front() == '"' && command.back() == '"') command = command.substr(1, command.size() - 2);
    if (!command.empty() && AbsolutePath(command, full) && SameText(ExtractFileName(full), "uninstall.exe")) {
        dir = ExtractFileDir(full);
        return true;
    }
    if (!given.empty())
        why = "The registry value InstallDir does not name a folder: \"" + installDir + "\".";
    else if (!uninstallString.empty())
        why = "The registry value UninstallString does not name the uninstaller: \"" + uninstallString + "\".";
    else
        why = "The registry does not say where Tessaly v1.1 is installed.";
    return false;
}

Installation FindInstallation()
{
    Installation inst;
    KeyPresent(HKEY_USERS, "HKEY_USERS", kProductKey, inst.RegistryError);
    KeyPresent(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kUninstallKey, inst.RegistryError);
    if (!inst.RegistryError.empty()) return inst;
    std::string installDir, uninstallString;
    {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_USERS);
        if (reg.OpenKeyReadOnly(kProductKey)) {
            inst.ProductKey = true;
            installDir = ReadText(reg, "InstallDir");
        }
    }
    {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(kUninstallKey)) {
            inst.UninstallKey = true;
            uninstallString = ReadText(reg, "UninstallString");
        }
    }
    if (inst.Found() && !ResolveInstallDir(installDir, uninstallString, inst.Dir, inst.Problem)) inst.Dir.clear();
    const std::string programs = ProgramsFolder();
    if (!programs.empty()) inst.GroupDir = IncludeTrailingBackslash(programs) + kGroupName;
    return inst;
}

}  // namespace uninstall
