// Kernel services: the system folders, sleeping, starting programs and code pages.
#pragma once

#include "platform/rtl/StrUtils.h"

#include <functional>
#include <string>

#include "platform/win/WinTypes.h"

using WCHAR = char16_t;

// The folder into lpBuffer with its terminating zero; returns the length without the zero,
// or, when uSize is too small, the size needed including the zero (buffer untouched).
// C:\WINDOWS and C:\WINDOWS\SYSTEM, without a trailing backslash.
UINT GetWindowsDirectoryA(char* lpBuffer, UINT uSize);
UINT GetSystemDirectoryA(char* lpBuffer, UINT uSize);
// C:\WINDOWS\TEMP\ with its trailing backslash; same size protocol.
DWORD GetTempPathA(DWORD nBufferLength, char* lpBuffer);

void Sleep(DWORD dwMilliseconds);
// Test hook: while set, Sleep calls it instead of sleeping (tests pass time without
// waiting for it). Returns the previous hook; an empty function restores real sleeping.
using TSleepHook = std::function<void(DWORD Milliseconds)>;
TSleepHook SetSleepHook(TSleepHook Hook);

// Show commands.
constexpr UINT SW_HIDE = 0;
constexpr UINT SW_SHOWNORMAL = 1;
constexpr UINT SW_SHOWMINIMIZED = 2;
constexpr UINT SW_SHOWMAXIMIZED = 3;
constexpr UINT SW_SHOWNOACTIVATE = 4;
constexpr UINT SW_SHOW = 5;
constexpr UINT SW_MINIMIZE = 6;
constexpr UINT SW_SHOWMINNOACTIVE = 7;
constexpr UINT SW_SHOWNA = 8;
constexpr UINT SW_RESTORE = 9;
constexpr UINT SW_SHOWDEFAULT = 10;

constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;

// Starts the program a command line names, detached from this process (its own session,
// standard input from /dev/null, current directory the process's current directory), and
// returns without waiting. The program is the first token: a quoted path, or else the
// shortest space-separated prefix naming an existing file, ".exe" appended when the name
// has no extension. Returns a value above 31 on success, else 0 (out of resources),
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or ERROR_BAD_FORMAT (not executable).
UINT WinExec(const char* lpCmdLine, UINT uCmdShow);

// Code pages.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

// CP_ACP (Windows-1252, also as 1252) and CP_UTF8. cbMultiByte -1 converts through the
// terminating zero (included in the count). cchWideChar 0 asks for the size needed.
// Returns the characters written, or 0 with GetLastError: ERROR_INSUFFICIENT_BUFFER (122),
// ERROR_INVALID_PARAMETER, or ERROR_NO_UNICODE_TRANSLATION for bad UTF-8 with
// MB_ERR_INVALID_CHARS (without it a bad sequence becomes U+FFFD).
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        WCHAR* lpWideCharStr, int cchWideChar);
// The reverse; characters the code page lacks become '?'.
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, const WCHAR* lpWideCharStr, int cchWideChar,
                        char* lpMultiByteStr, int cbMultiByte, const char* lpDefaultChar, BOOL* lpUsedDefaultChar);

