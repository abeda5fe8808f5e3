// The runtime's file helpers on top of the kernel services (SysUtils style):
// integer handles, -1 on failure with GetLastError set.
#pragma once

#include <cstdint>
#include <string>

#include "platform/rtl/DateTime.h"
#include "platform/win/WinTypes.h"

// Open modes: access in the low nibble, sharing in the next.
constexpr uint32_t fmOpenRead = 0x0000;
constexpr uint32_t fmOpenWrite = 0x0001;
constexpr uint32_t fmOpenReadWrite = 0x0002;
constexpr uint32_t fmShareCompat = 0x0000;
constexpr uint32_t fmShareExclusive = 0x0010;
constexpr uint32_t fmShareDenyWrite = 0x0020;
constexpr uint32_t fmShareDenyRead = 0x0030;
constexpr uint32_t fmShareDenyNone = 0x0040;
constexpr uint32_t fmCreate = 0xFFFF;

// File attribute bits as the runtime names them.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

int FileOpen(const std::string& FileName, uint32_t Mode);
int FileCreate(const std::string& FileName);
int32_t FileRead(int Handle, void* Buffer, int32_t Count);
int32_t FileWrite(int Handle, const void* Buffer, int32_t Count);
int64_t FileSeek(int Handle, int64_t Offset, int Origin);
void FileClose(int Handle);
// Sets the last-write time from a local DOS date-time; returns 0 or a Windows error code.
int FileSetDate(int Handle, int32_t Age);
int FileSetDate(const std::string& FileName, int32_t Age);
// Local DOS date-time of the last write, -1 on failure.
int32_t FileGetDate(int Handle);
int32_t FileAge(const std::string& FileName);

// True for an existing file; a directory of that name does not count.
bool FileExists(const std::string& FileName);
bool DirectoryExists(const std::string& Name);
// One level: the parent must exist.
bool CreateDir(const std::string& Dir);
// Creates every missing level.
bool ForceDirectories(const std::string& Dir);
bool RemoveDir(const std::string& Dir);
bool DeleteFile(const std::string& FileName);
bool RenameFile(const std::string& OldName, const std::string& NewName);
// Attributes, or -1 on failure.
int FileGetAttr(const std::string& FileName);
// 0 or a Windows error code.
int FileSetAttr(const std::string& FileName, int Attr);
// Full path against the current directory (normalised; unchanged when invalid).
std::string ExpandFileName(const std::string& FileName);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& Dir);

struct TSearchRec {
    int32_t Time = 0;  // local DOS date-time
    int64_t Size = 0;
    int Attr = 0;
    std::string Name;
    int ExcludeAttr = 0;
    HANDLE FindHandle = INVALID_HANDLE_VALUE;
};
// 0 when found, else a Windows error code. Entries whose attributes carry a bit of
// faHidden/faSysFile/faDirectory not in Attr are skipped, as the runtime does.
int FindFirst(const std::string& Path, int Attr, TSearchRec& F);
int FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);
