#include "product/uninstall/Uninstaller.h"

#include <unistd.h>

#include <algorithm>

#include "platform/rtl/FileName.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/Files.h"
#include "platform/win/Machine.h"
#include "platform/win/Registry.h"
#include "platform/win/SysFiles.h"
#include "product/uninstall/InUse.h"

namespace uninstall {

namespace {

std::string Child(const std::string& dir, const std::string& name) { return IncludeTrailingBackslash(dir) + name; }

// The names in a folder (not "." and ".."), as the machine spells them.
std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(Child(dir, "*"), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (fd.cFileName != "." && fd.cFileName != "..") names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    return names;
}

bool IsOneOf(const std::string& name, const char* const* list, size_t n)
{
    return std::any_of(list, list + n, [&name](const char* x) { return SameText(name, x); });
}

std::string ErrorText(DWORD code)
{
    switch (code) {
    case ERROR_ACCESS_DENIED: return "access is denied";
    case ERROR_SHARING_VIOLATION: return "it is in use";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "it is no longer there";
    default: return "error " + std::to_string(code);
    }
}

// Why a present file cannot be removed now, or "".
std::string ObstacleOf(const std::string& winPath)
{
    const DWORD attrs = GetFileAttributesA(winPath);
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) return "is read-only";
    std::string host;
    DWORD err = 0;
    if (!Machine::ToHostPath(winPath, host, err)) return "cannot be reached (" + ErrorText(err) + ")";
    const std::vector<FileUser> users = ProcessesUsing(host);
    if (!users.empty()) {
        std::string who;
        for (const FileUser& u : users) {
            if (!who.empty()) who += ", ";
            who += u.Name + " (process " + std::to_string(u.Pid) + ")";
        }
        return "is in use by " + who;
    }
    // Removing a file takes the right to change its folder.
    const std::string dir = host.substr(0, host.rfind('/'));
    if (access(dir.c_str(), W_OK | X_OK) != 0) return "lies in a folder that cannot be changed";
    return {};
}

void DeleteKeyIfEmpty(HKEY root, const std::string& key)
{
    TRegistry reg;
    reg.SetRootKey(root);
    if (!reg.OpenKey(key, false)) return;
    TRegKeyInfo info;
    const bool empty = reg.GetKeyInfo(info) && info.NumSubKeys == 0 && info.NumValues == 0;
    reg.CloseKey();
    if (empty) reg.DeleteKey(key);
}

}  // namespace

Plan MakePlan(const Installation& inst)
{
    Plan plan;
    plan.Inst = inst;
    if (!inst.RegistryError.empty()) {
        // Without the registry nothing says what belongs to the installation.
        plan.Obstacles.push_back({"the registry", inst.RegistryError});
        return plan;
    }
    if (!inst.GroupDir.empty() && DirectoryExists(inst.GroupDir)) {
        plan.GroupExists = true;
        for (const char* name : kShortcutFiles)
            if (FileExists(Child(inst.GroupDir, name))) plan.Shortcuts.push_back(Child(inst.GroupDir, name));
        for (const std::string& name : Entries(inst.GroupDir))
            if (!IsOneOf(name, kShortcutFiles, std::size(kShortcutFiles))) plan.Kept.push_back(Child(inst.GroupDir, name));
    }
    if (!inst.Dir.empty() && DirectoryExists(inst.Dir)) {
        plan.DirExists = true;
        for (const char* name : kProductFiles)
            if (FileExists(Child(inst.Dir, name))) plan.Files.push_back(Child(inst.Dir, name));
        for (const std::string& name : Entries(inst.Dir))
            if (!IsOneOf(name, kProductFiles, std::size(kProductFiles))) plan.Kept.push_back(Child(inst.Dir, name));
    }
    for (const auto* list : {&plan.Shortcuts, &plan.Files})
        for (const std::string& path : *list)
            if (std::string why = ObstacleOf(path); !why.empty()) plan.Obstacles.push_back({path, why});
    return plan;
}

Report Execute(const Plan& plan)
{
    Report r;
    r.Kept = plan.Kept;
    if (!plan.Obstacles.empty()) {
        r.Failed = plan.Obstacles;
        return r;
    }
    auto remove = [&r](const std::string& path) {
        if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND)
            r.Removed.push_back(path);
        else
            r.Failed.push_back({path, "could not be removed: " + ErrorText(GetLastError())});
    };
    for (const std::string& s : plan.Shortcuts) remove(s);
    if (plan.GroupExists && Entries(plan.Inst.GroupDir).empty()) r.GroupRemoved = RemoveDirectoryA(plan.Inst.GroupDir);

    // The uninstaller goes only when everything else has gone: a run that failed part-way
    // leaves the means to finish it.
    for (const std::string& f : plan.Files) {
        if (SameText(ExtractFileName(f), "uninstall.exe") && !r.Failed.empty()) continue;
        remove(f);
    }
    if (plan.DirExists && Entries(plan.Inst.Dir).empty()) r.DirRemoved = RemoveDirectoryA(plan.Inst.Dir);

    if (r.Failed.empty()) {
        TRegistry machine;
        machine.SetRootKey(HKEY_LOCAL_MACHINE);
        if (machine.KeyExists(kUninstallKey)) machine.DeleteKey(kUninstallKey);
        TRegistry users;
        users.SetRootKey(HKEY_USERS);
        if (users.KeyExists(kProductKey)) users.DeleteKey(kProductKey);
        DeleteKeyIfEmpty(HKEY_USERS, kVendorKey);
        r.RegistryRemoved = !machine.KeyExists(kUninstallKey) && !users.KeyExists(kProductKey);
        if (!r.RegistryRemoved) r.Failed.push_back({"the registry", "its entries for Tessaly v1.1 could not be removed"});
    }
    return r;
}

}  // namespace uninstall
