// What an installation of Tessaly v1.1 consists of, and where the machine says it is.
//
// The installer leaves these traces, and only these:
//   HKEY_USERS\.Default\Software\Corvane Works\Tessaly v1.1
//       "InstallDir"   the installation folder
//       "InstallDate"  when Tessaly was first installed (kept by later installations)
//   HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly v1.1
//       "DisplayName"  "Tessaly v1.1"
//       "UninstallString"  the installation folder + "\uninstall.exe", unquoted
//   the five files of the product in the installation folder
//   the group "Tessaly v1.1" in the user's Programs folder with four shortcuts
#pragma once

#include <string>

namespace uninstall {

constexpr const char* kProductName = "Tessaly v1.1";
constexpr const char* kProductKey = ".Default\\Software\\Corvane Works\\Tessaly v1.1";  // under HKEY_USERS
constexpr const char* kVendorKey = ".Default\\Software\\Corvane Works";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaly v1.1";
constexpr const char* kGroupName = "Tessaly v1.1";

// The product's files in the order they are removed: the uninstaller itself last, so
// that a run that stops half-way can still be repeated.
constexpr const char* kProductFiles[] = {"tessaly.exe", "tsly.dll", "tessaly.hlp", "readme.txt", "uninstall.exe"};
constexpr const char* kShortcutFiles[] = {"Tessaly v1.1.lnk", "Readme.lnk", "Uninstall Tessaly.lnk",
                                          "Tessaly Help.lnk"};

struct Installation {
    bool ProductKey = false;    // the key under HKEY_USERS exists
    bool UninstallKey = false;  // the uninstall entry exists
    std::string Dir;            // the installation folder, normalised; empty when unknown
    std::string GroupDir;       // the program group's folder; empty when the Programs folder is unknown
    // Registry values that could not be used, to be mentioned ("InstallDir is not a path").
    std::string Problem;
    // The registry itself could not be read (a damaged hive file): whether Tessaly is
    // installed cannot be told, and nothing may be removed.
    std::string RegistryError;

    bool Found() const { return ProductKey || UninstallKey; }
};

// Reads the registry and the shell folders of the current machine root.
Installation FindInstallation();

// The installation folder from the two registry values that name it (either may be
// empty): InstallDir first, else the folder of UninstallString when that names
// uninstall.exe. Only an absolute path on a drive of the machine is accepted; the result
// is normalised, without a trailing backslash (except for a drive's root). Returns
// false with why when neither value gives a folder.
bool ResolveInstallDir(const std::string& installDir, const std::string& uninstallString, std::string& dir,
                       std::string& why);

}  // namespace uninstall
