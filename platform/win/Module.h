// Modules: executables loaded as data files for their resources, and the program's
// own module, whose resources the build embedded (platform/classes/Resources.h).
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x00000001;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE = 0x00000040;

constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;

constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
constexpr UINT SEM_NOALIGNMENTFAULTEXCEPT = 0x0004;
constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

// The program's own module.
extern const HINSTANCE HInstance;

// Loads a PE file as data (LOAD_LIBRARY_AS_DATAFILE or LOAD_LIBRARY_AS_IMAGE_RESOURCE
// among Flags; code is never run here). Returns 0 with the error set: the file's open
// error, ERROR_BAD_EXE_FORMAT for a file that is not a PE executable or when Flags ask
// for running code. File must be 0.
HMODULE LoadLibraryExA(const std::string& FileName, HANDLE File, DWORD Flags);
// Releases a module; false with ERROR_INVALID_HANDLE for one not loaded.
BOOL FreeLibrary(HMODULE Module);
// Copies string Id of the module's string table (0 or HInstance: the program's own)
// into Buffer as ANSI, at most BufferMax - 1 characters and a terminating zero.
// Returns the characters copied; 0 when the string is missing or empty (the error is
// then ERROR_RESOURCE_NAME_NOT_FOUND), for a bad handle or for BufferMax < 1.
int LoadStringA(HINSTANCE Instance, UINT Id, char* Buffer, int BufferMax);
// Sets the process's error mode and returns the previous one. The emulated machine
// shows no system error boxes; the mode is kept for those who ask.
UINT SetErrorMode(UINT Mode);
UINT GetErrorMode();
