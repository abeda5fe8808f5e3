// The emulated machine: a root folder on the host that holds drive C: and the
// registry, and the mapping between Windows path names and host paths.
//
//   C:\...  ->  <root>/drive_c/...
//   Z:\...  ->  /...               (the host's whole tree)
//
// Root: $PALLIMER_ROOT when set, else $XDG_DATA_HOME/pallimer (~/.local/share/pallimer).
// It is created and seeded on first use; two processes doing that at once both end up
// with one intact machine (the seeding runs under a lock file and is idempotent).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/WinTypes.h"

namespace Machine {

// Host path of the machine root, creating and seeding it on first call.
const std::string& Root();
// Switches to another root (tests give every case its own). Resets the current
// directory to C:\ and drops cached state of the registry store and open handles' names.
void SetRoot(const std::string& hostRoot);
// Called by subsystems that keep state per root (the registry store) to be told of SetRoot.
using RootChangedHook = void (*)();
void AddRootChangedHook(RootChangedHook hook);

// The seeded folders, as Windows paths (no trailing backslash).
std::string WindowsDir();      // C:\WINDOWS
std::string SystemDir();       // C:\WINDOWS\SYSTEM
std::string TempDir();         // C:\WINDOWS\TEMP
// The user's profile folder, C:\WINDOWS\Profiles\<user name>, home of the shell folders.
std::string UserProfileDir();

// Normalises a Windows path: '/' and '\' separate, "." and ".." resolved without
// climbing above the drive's root, runs of separators folded, relative paths taken
// against the current directory. Fails (returns false, error set) on an unknown drive
// (ERROR_PATH_NOT_FOUND), a refused character < > : " | ? * or a control character
// (ERROR_INVALID_NAME), or a result longer than MAX_PATH - 1 (ERROR_FILENAME_EXCED_RANGE).
// The result is "X:\" for a root, else "X:\a\b" without a trailing backslash.
// With allowWildcards, '*' and '?' pass in the last component (for directory searches).
bool NormalizePath(std::string_view winPath, std::string& out, DWORD& error, bool allowWildcards = false);

// Maps a Windows path to a host path: normalises, then finds every component on the
// host case-insensitively (exact name first). Components that do not exist yet are
// kept as given, so the result can name a file to create. Host names that are not
// valid Windows names stay unreachable.
// On drive C: a result whose existing part resolves (through host symbolic links) outside
// the drive's folder is refused with ERROR_ACCESS_DENIED.
bool ToHostPath(std::string_view winPath, std::string& hostPath, DWORD& error, bool allowWildcards = false);

// The Windows name of a host path (Z:\ unless it lies inside drive C:).
std::string FromHostPath(std::string_view hostPath);

// Current directory of the process, a normalised Windows path.
std::string CurrentDirectory();
bool SetCurrentDirectory(std::string_view winPath, DWORD& error);

// Bit mask of the drives that exist: C (bit 2) and Z (bit 25).
DWORD LogicalDrives();
// Host folder of a drive letter's root, or empty.
std::string DriveRoot(char letter);

// User name the machine was seeded for (the host's login name).
std::string UserName();

}  // namespace Machine
