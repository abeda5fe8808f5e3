// The host's application menu as a mirror of the machine's Programs folder.
//
// Once enabled, every shortcut (.lnk) that the platform saves, deletes or renames under
// the current user's Programs folder updates the host desktop's menu, following the
// XDG desktop entry and menu conventions:
//
//   $XDG_DATA_HOME/applications/pallimer/<tag>/<group>-<name>.desktop
//       one entry per shortcut (desktop file id pallimer-<tag>-<group>-<name>.desktop):
//       Name = the shortcut's file name, Comment = its description (unless it only
//       repeats the name), Path = its working folder; Exec starts the target with the
//       machine root in PALLIMER_ROOT, or opens a document with xdg-open
//   $XDG_DATA_HOME/desktop-directories/pallimer-<tag>-<group>.directory
//       the name of each program group (and of each folder inside one)
//   $XDG_CONFIG_HOME/menus/applications-merged/pallimer-<tag>-<group>.menu
//       a submenu of Applications per group, holding its entries
//   $XDG_DATA_HOME/icons/hicolor/<w>x<h>/apps/pallimer-<tag>-<group>-<name>.png
//       the icon, when the icon file (or the target, when the shortcut names none) is a
//       PNG picture or a host executable carrying one in its ".icon" section
//
// <tag> is eight hex digits derived from the machine root, so that two machines do not
// share entries; names are escaped to letters, digits and '.', anything else as _XX
// (lower case first: Windows names ignore case). Shortcuts directly in the Programs
// folder form the group "_" and sit at the top of the Applications menu.
//
// Each change brings the whole group in line with the machine: entries for shortcuts
// that exist are written (only when their text changes), every other file of the group
// is removed, and so are folders of the XDG tree that this leaves empty. The desktop's
// own folders outside these are never touched. Failures to write are reported on
// stderr and never make the file operation that caused them fail.
//
// Not mirrored: hot keys and show commands (a desktop entry has neither), icons inside
// Windows executables.
#pragma once

#include <string>
#include <vector>

namespace DesktopMenu {

// Starts / stops mirroring (installs the observer of FileChangeHook.h). Programs that
// change the Start menu (the installer, the uninstaller) turn it on at start; the
// platform's library leaves it off, so tests and tools never write to the host unless
// they ask to.
void Enable();
void Disable();
bool IsEnabled();

// Brings the entries of one program group in line with the machine root: the group is
// the name of a folder directly in the Programs folder, or "" for the shortcuts lying
// directly in it. Returns false when something could not be written or removed.
bool SyncGroup(const std::string& group);

// The group a shortcut path belongs to: true with the group's name (as spelled on the
// machine when the folder exists) for a .lnk file under the Programs folder.
bool GroupOfShortcut(const std::string& winPath, std::string& group);

// The XDG folders in use: $XDG_DATA_HOME and $XDG_CONFIG_HOME when they hold absolute
// paths, else ~/.local/share and ~/.config.
std::string DataHome();
std::string ConfigHome();

// The eight hex digits that tell this machine root's entries from another's.
std::string RootTag();

// Escaping of one Windows name for desktop file ids ("Tessaly v1.1" -> "tessaly_20v1.1").
std::string EscapeName(const std::string& ansiName);

// A command line's arguments as a desktop entry's Exec value (quoting, '%' doubled,
// then the escapes of a string value).
std::string ExecValue(const std::vector<std::string>& argv);

// Windows command-line arguments split as the C runtime splits them: spaces and tabs
// separate, double quotes group, backslashes escape quotes.
std::vector<std::string> SplitArguments(const std::string& commandLine);

}  // namespace DesktopMenu
