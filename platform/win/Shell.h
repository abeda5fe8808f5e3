// The shell's special folders.
//
// SHGetSpecialFolderLocation answers from the registry: the per-user folders from the
// current user's Shell Folders values (ShellFolders.h), the all-users ones from the
// "Common ..." values of the same key under HKEY_LOCAL_MACHINE, Program Files and Common
// Files from the machine's CurrentVersion values, Windows and System from the kernel. A
// folder whose value is missing or empty fails with E_FAIL; an unknown number with
// E_INVALIDARG. Virtual folders (Control Panel, Printers, My Computer, ...) give an id
// list without a file-system path.
#pragma once

#include <string>

#include "platform/rtl/Exception.h"
#include "platform/win/Com.h"

class TComponent;

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_INTERNET = 0x0001;
constexpr int CSIDL_PROGRAMS = 0x0002;
constexpr int CSIDL_CONTROLS = 0x0003;
constexpr int CSIDL_PRINTERS = 0x0004;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_FAVORITES = 0x0006;
constexpr int CSIDL_STARTUP = 0x0007;
constexpr int CSIDL_RECENT = 0x0008;
constexpr int CSIDL_SENDTO = 0x0009;
constexpr int CSIDL_BITBUCKET = 0x000A;
constexpr int CSIDL_STARTMENU = 0x000B;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_DRIVES = 0x0011;
constexpr int CSIDL_NETWORK = 0x0012;
constexpr int CSIDL_NETHOOD = 0x0013;
constexpr int CSIDL_FONTS = 0x0014;
constexpr int CSIDL_TEMPLATES = 0x0015;
constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
constexpr int CSIDL_COMMON_STARTUP = 0x0018;
constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x0019;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_PRINTHOOD = 0x001B;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_ALTSTARTUP = 0x001D;
constexpr int CSIDL_COMMON_ALTSTARTUP = 0x001E;
constexpr int CSIDL_COMMON_FAVORITES = 0x001F;
constexpr int CSIDL_INTERNET_CACHE = 0x0020;
constexpr int CSIDL_COOKIES = 0x0021;
constexpr int CSIDL_HISTORY = 0x0022;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_WINDOWS = 0x0024;
constexpr int CSIDL_SYSTEM = 0x0025;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_MYPICTURES = 0x0027;
constexpr int CSIDL_PROFILE = 0x0028;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x002B;
constexpr int CSIDL_FLAG_CREATE = 0x8000;  // accepted and ignored: the folders are seeded

// Fills *ppidl with a new id list (free it with ILFree or CoTaskMemFree). The list holds
// the folder's path as it was at the call.
HRESULT SHGetSpecialFolderLocation(HWND hwndOwner, int nFolder, LPITEMIDLIST* ppidl);
// Writes the id list's path (at most MAX_PATH characters with the zero) to pszPath.
// FALSE, with an empty string, for a list without a file-system path.
BOOL SHGetPathFromIDList(LPCITEMIDLIST pidl, char* pszPath);
void ILFree(LPITEMIDLIST pidl);

// "Invalid class typecast": an object used as a class it is not.
class EInvalidCast : public Exception {
public:
    using Exception::Exception;
};

// The window handle of a component that is a form, its window created on demand. The
// windowing layer installs the resolver; it answers false for any other component.
using FormHandleResolver = bool (*)(TComponent* Component, HWND& Handle);
void SetFormHandleResolver(FormHandleResolver Resolver);
// Raises EInvalidCast "Invalid class typecast" when Component is not a form (or no
// windowing layer is present).
HWND FormWindowHandle(TComponent* Component);
