// The kernel's file and directory services on the emulated machine. Each call takes
// Windows path names, works on the mapped host path and reports failure through
// GetLastError with a Windows error code.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

// Access rights and sharing for CreateFileA.
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD FILE_SHARE_WRITE = 2;
constexpr DWORD FILE_SHARE_DELETE = 4;
// Creation dispositions.
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
// Attributes.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
// Seek origins.
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

// 100-ns ticks since 1601-01-01.
struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};

// Opening the same host file twice is checked against both handles' access and
// sharing, as Windows does (ERROR_SHARING_VIOLATION).
HANDLE CreateFileA(const std::string& FileName, DWORD DesiredAccess, DWORD ShareMode,
                   DWORD CreationDisposition, DWORD FlagsAndAttributes);
BOOL ReadFile(HANDLE File, void* Buffer, DWORD ToRead, DWORD* Read);
BOOL WriteFile(HANDLE File, const void* Buffer, DWORD ToWrite, DWORD* Written);
// 64-bit position variant; returns false on failure.
BOOL SetFilePointerEx(HANDLE File, int64_t Distance, int64_t* NewPosition, DWORD MoveMethod);
DWORD SetFilePointer(HANDLE File, LONG Distance, LONG* DistanceHigh, DWORD MoveMethod);
BOOL GetFileSizeEx(HANDLE File, int64_t* Size);
BOOL SetEndOfFile(HANDLE File);
BOOL FlushFileBuffers(HANDLE File);
BOOL CloseHandle(HANDLE Object);
BOOL GetFileTime(HANDLE File, FILETIME* Creation, FILETIME* Access, FILETIME* Write);
BOOL SetFileTime(HANDLE File, const FILETIME* Creation, const FILETIME* Access, const FILETIME* Write);
// Windows path the handle was opened with (normalised).
std::string HandleFileName(HANDLE File);

BOOL DeleteFileA(const std::string& FileName);
BOOL MoveFileA(const std::string& Existing, const std::string& New);
BOOL CopyFileA(const std::string& Existing, const std::string& New, BOOL FailIfExists);
DWORD GetFileAttributesA(const std::string& FileName);
BOOL SetFileAttributesA(const std::string& FileName, DWORD Attributes);
BOOL CreateDirectoryA(const std::string& PathName);
BOOL RemoveDirectoryA(const std::string& PathName);
DWORD GetFullPathNameA(const std::string& FileName, std::string& Out);
DWORD GetCurrentDirectoryA(std::string& Out);
BOOL SetCurrentDirectoryA(const std::string& PathName);
DWORD GetLogicalDrives();
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_FIXED = 3;
UINT GetDriveTypeA(const std::string& RootPathName);
BOOL GetDiskFreeSpaceExA(const std::string& Dir, uint64_t* FreeToCaller, uint64_t* Total, uint64_t* Free);

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes = 0;
    FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
    uint64_t nFileSize = 0;
    std::string cFileName;
};
// Wildcards '*' and '?' in the last component, matched case-insensitively.
HANDLE FindFirstFileA(const std::string& FileName, WIN32_FIND_DATAA* FindData);
BOOL FindNextFileA(HANDLE FindFile, WIN32_FIND_DATAA* FindData);
BOOL FindClose(HANDLE FindFile);

// Time conversions of the kernel.
BOOL DosDateTimeToFileTime(WORD FatDate, WORD FatTime, FILETIME* Out);
BOOL FileTimeToDosDateTime(const FILETIME* In, WORD* FatDate, WORD* FatTime);
BOOL LocalFileTimeToFileTime(const FILETIME* Local, FILETIME* Utc);
BOOL FileTimeToLocalFileTime(const FILETIME* Utc, FILETIME* Local);

// Case-insensitive match of a name against a pattern of '*' and '?'.
bool MatchesMask(const std::string& Name, const std::string& Mask);
