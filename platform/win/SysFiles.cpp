#include "platform/win/SysFiles.h"

#include <sys/stat.h>

#include <ctime>

#include "platform/rtl/FileName.h"
#include "platform/win/Files.h"
#include "platform/win/Machine.h"

namespace {

// Access and sharing of the open modes, in the runtime's table order.
constexpr DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
constexpr DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};

int ToInt(HANDLE h)
{
    return h == INVALID_HANDLE_VALUE ? -1 : static_cast<int>(h);
}

int32_t LocalDosTime(const FILETIME& utc)
{
    FILETIME local;
    WORD d, t;
    FileTimeToLocalFileTime(&utc, &local);
    if (!FileTimeToDosDateTime(&local, &d, &t)) return -1;
    return static_cast<int32_t>((static_cast<uint32_t>(d) << 16) | t);
}

bool UtcFromAge(int32_t Age, FILETIME& utc)
{
    FILETIME local;
    uint32_t v = static_cast<uint32_t>(Age);
    if (!DosDateTimeToFileTime(static_cast<WORD>(v >> 16), static_cast<WORD>(v & 0xFFFF), &local)) return false;
    return LocalFileTimeToFileTime(&local, &utc) != 0;
}

}  // namespace

int FileOpen(const std::string& FileName, uint32_t Mode)
{
    uint32_t acc = Mode & 3, share = (Mode & 0xF0) >> 4;
    if (acc > 2 || share > 4) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return ToInt(CreateFileA(FileName, kAccess[acc], kShare[share], OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
}

int FileCreate(const std::string& FileName)
{
    return ToInt(CreateFileA(FileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
}

int32_t FileRead(int Handle, void* Buffer, int32_t Count)
{
    DWORD got = 0;
    if (Count < 0 || !ReadFile(Handle, Buffer, static_cast<DWORD>(Count), &got)) return -1;
    return static_cast<int32_t>(got);
}

int32_t FileWrite(int Handle, const void* Buffer, int32_t Count)
{
    DWORD put = 0;
    if (Count < 0 || !WriteFile(Handle, Buffer, static_cast<DWORD>(Count), &put)) return -1;
    return static_cast<int32_t>(put);
}

int64_t FileSeek(int Handle, int64_t Offset, int Origin)
{
    int64_t pos;
    if (!SetFilePointerEx(Handle, Offset, &pos, static_cast<DWORD>(Origin))) return -1;
    return pos;
}

void FileClose(int Handle)
{
    CloseHandle(Handle);
}

int FileSetDate(int Handle, int32_t Age)
{
    FILETIME utc;
    if (!UtcFromAge(Age, utc)) return static_cast<int>(GetLastError());
    if (!SetFileTime(Handle, nullptr, nullptr, &utc)) return static_cast<int>(GetLastError());
    return 0;
}

int FileSetDate(const std::string& FileName, int32_t Age)
{
    int h = ToInt(CreateFileA(FileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
    if (h < 0) return static_cast<int>(GetLastError());
    int r = FileSetDate(h, Age);
    FileClose(h);
    return r;
}

int32_t FileGetDate(int Handle)
{
    FILETIME w;
    if (!GetFileTime(Handle, nullptr, nullptr, &w)) return -1;
    return LocalDosTime(w);
}

int32_t FileAge(const std::string& FileName)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(FileName, &fd);
    if (h == INVALID_HANDLE_VALUE) return -1;
    FindClose(h);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return LocalDosTime(fd.ftLastWriteTime);
}

bool FileExists(const std::string& FileName)
{
    DWORD a = GetFileAttributesA(FileName);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& Name)
{
    DWORD a = GetFileAttributesA(Name);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const std::string& Dir)
{
    return CreateDirectoryA(Dir) != 0;
}

bool ForceDirectories(const std::string& Dir)
{
    std::string d = ExcludeTrailingBackslash(ExpandFileName(Dir));
    if (d.size() < 3 || DirectoryExists(d)) return DirectoryExists(d);
    std::string parent = ExtractFileDir(d);
    if (parent != d && !ForceDirectories(parent)) return false;
    return CreateDir(d);
}

bool RemoveDir(const std::string& Dir)
{
    return RemoveDirectoryA(Dir) != 0;
}

bool DeleteFile(const std::string& FileName)
{
    return DeleteFileA(FileName) != 0;
}

bool RenameFile(const std::string& OldName, const std::string& NewName)
{
    return MoveFileA(OldName, NewName) != 0;
}

int FileGetAttr(const std::string& FileName)
{
    DWORD a = GetFileAttributesA(FileName);
    return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int>(a);
}

int FileSetAttr(const std::string& FileName, int Attr)
{
    if (!SetFileAttributesA(FileName, static_cast<DWORD>(Attr))) return static_cast<int>(GetLastError());
    return 0;
}

std::string ExpandFileName(const std::string& FileName)
{
    std::string out;
    if (GetFullPathNameA(FileName, out) == 0) return FileName;
    return out;
}

std::string GetCurrentDir()
{
    return Machine::CurrentDirectory();
}

bool SetCurrentDir(const std::string& Dir)
{
    return SetCurrentDirectoryA(Dir) != 0;
}

namespace {

int FindMatching(TSearchRec& F, WIN32_FIND_DATAA& fd)
{
    for (;;) {
        if (!(static_cast<int>(fd.dwFileAttributes) & F.ExcludeAttr)) {
            F.Time = LocalDosTime(fd.ftLastWriteTime);
            F.Size = static_cast<int64_t>(fd.nFileSize);
            F.Attr = static_cast<int>(fd.dwFileAttributes);
            F.Name = fd.cFileName;
            return 0;
        }
        if (!FindNextFileA(F.FindHandle, &fd)) return static_cast<int>(GetLastError());
    }
}

}  // namespace

int FindFirst(const std::string& Path, int Attr, TSearchRec& F)
{
    F.ExcludeAttr = ~Attr & (faHidden | faSysFile | faDirectory);
    WIN32_FIND_DATAA fd;
    F.FindHandle = FindFirstFileA(Path, &fd);
    if (F.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    int r = FindMatching(F, fd);
    if (r != 0) FindClose(F);
    return r;
}

int FindNext(TSearchRec& F)
{
    WIN32_FIND_DATAA fd;
    if (!FindNextFileA(F.FindHandle, &fd)) return static_cast<int>(GetLastError());
    return FindMatching(F, fd);
}

void FindClose(TSearchRec& F)
{
    if (F.FindHandle != INVALID_HANDLE_VALUE) {
        ::FindClose(F.FindHandle);
        F.FindHandle = INVALID_HANDLE_VALUE;
    }
}
