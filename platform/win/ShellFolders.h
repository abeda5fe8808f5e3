// Layout of the user's shell folders and the machine's folder settings on the emulated
// machine, a Windows-9x-like tree with a user profile:
//
//   C:\WINDOWS\Profiles\<user>\               the profile (Machine::UserProfileDir)
//       Application Data                      AppData
//       Cookies, Desktop, Favorites, History, NetHood, PrintHood, Recent, SendTo, Templates
//       My Documents                          Personal
//       My Documents\My Pictures              My Pictures
//       Start Menu                            Start Menu
//       Start Menu\Programs                   Programs
//       Start Menu\Programs\StartUp           Startup
//       Local Settings                        Local Settings
//       Local Settings\Application Data       Local AppData
//       Local Settings\Temporary Internet Files           Cache
//       Local Settings\Temporary Internet Files\Content   Content
//   C:\WINDOWS\Fonts                          Fonts (shared by all users)
//
// These are the values of the current user's Shell Folders key (kShellFoldersKey) that
// the registry is seeded with, and the folders created with them. The machine's values
// (kCurrentVersionKey under HKEY_LOCAL_MACHINE) point into C:\WINDOWS and C:\Program Files,
// and their folders are created too.
#pragma once

#include <string>
#include <vector>

struct ShellFolderEntry {
    std::string ValueName;  // the registry value's name
    std::string Path;       // Windows path, no trailing backslash
};

constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// The twenty per-user shell folders, for the current machine root and user.
std::vector<ShellFolderEntry> DefaultShellFolders();
// The machine's folder settings (ProgramFilesPath, CommonFilesDir, SystemRoot, MediaPath,
// DevicePath, ConfigPath, OtherDevicePath, WallPaperDir).
std::vector<ShellFolderEntry> DefaultMachineFolders();
