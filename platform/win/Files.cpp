#include "platform/win/Files.h"

#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

#include "platform/rtl/FileName.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/FileChangeHook.h"
#include "platform/win/Machine.h"

namespace {

// .exe, .com, .bat and .cmd files are programs.
bool IsProgramName(const std::string& winPath)
{
    size_t dot = winPath.find_last_of('.');
    size_t slash = winPath.find_last_of('\\');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string ext = winPath.substr(dot);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".cmd";
}


// The attribute bits the host has no place for travel in an extended attribute.
constexpr const char* kAttrXattr = "user.pallimer.attrib";
constexpr DWORD kStoredBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY;
// FILETIME ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;

struct OpenFile {
    int fd = -1;
    std::string winPath;
    DWORD access = 0;
    DWORD share = 0;
    dev_t dev = 0;
    ino_t ino = 0;
};

struct FindState {
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

std::mutex g_mutex;
std::map<HANDLE, OpenFile> g_files;
std::map<HANDLE, FindState> g_finds;
HANDLE g_nextHandle = 0x100;

BOOL Fail(DWORD code)
{
    SetLastError(code);
    return FALSE_;
}

BOOL FailErrno()
{
    return Fail(ErrnoToWinError(errno));
}

bool Map(const std::string& name, std::string& host, bool wild = false)
{
    DWORD err;
    if (!Machine::ToHostPath(name, host, err, wild)) {
        SetLastError(err);
        return false;
    }
    return true;
}

std::string HostParent(const std::string& host)
{
    size_t s = host.rfind('/');
    if (s == std::string::npos || s == 0) return "/";
    return host.substr(0, s);
}

// The error Windows gives for a missing object: file not found when its folder exists,
// path not found when the folder does not.
DWORD MissingError(const std::string& host)
{
    struct stat st;
    std::string parent = HostParent(host);
    if (::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
    return ERROR_PATH_NOT_FOUND;
}

bool HostReadOnly(const struct stat& st)
{
    // Root may write anything; the owner's write bit is what marks read-only.
    return (st.st_mode & S_IWUSR) == 0;
}

DWORD StoredBits(const std::string& host)
{
    unsigned char b[4] = {};
    ssize_t n = ::getxattr(host.c_str(), kAttrXattr, b, sizeof b);
    if (n <= 0) return 0xFFFFFFFFu;  // nothing kept
    DWORD v = 0;
    for (ssize_t i = 0; i < n; ++i) v |= static_cast<DWORD>(b[i]) << (8 * i);
    return v & kStoredBits;
}

DWORD AttributesOf(const std::string& host, const struct stat& st)
{
    DWORD a = 0;
    if (S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_DIRECTORY;
    if (HostReadOnly(st)) a |= FILE_ATTRIBUTE_READONLY;
    DWORD kept = StoredBits(host);
    if (kept == 0xFFFFFFFFu) {
        // Never set through this machine: files look freshly written (archive bit).
        if (!S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_ARCHIVE;
    } else {
        a |= kept;
    }
    if (a == 0) a = FILE_ATTRIBUTE_NORMAL;
    return a;
}

FILETIME ToFileTime(const struct timespec& ts)
{
    int64_t t = static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100 + kUnixEpochTicks;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(t);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(t) >> 32);
    return ft;
}

int64_t Ticks(const FILETIME& ft)
{
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME FromTicks(int64_t t)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(t);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(t) >> 32);
    return ft;
}

struct timespec ToTimespec(const FILETIME& ft)
{
    int64_t t = Ticks(ft) - kUnixEpochTicks;
    struct timespec ts;
    int64_t sec = t / 10000000, rem = t % 10000000;
    if (rem < 0) {
        rem += 10000000;
        --sec;
    }
    ts.tv_sec = static_cast<time_t>(sec);
    ts.tv_nsec = static_cast<long>(rem * 100);
    return ts;
}

// Sharing rule between an open handle and a new request for the same file.
bool SharingConflict(const OpenFile& open, DWORD access, DWORD share)
{
    if ((access & GENERIC_READ) && !(open.share & FILE_SHARE_READ)) return true;
    if ((access & GENERIC_WRITE) && !(open.share & FILE_SHARE_WRITE)) return true;
    if ((open.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return true;
    if ((open.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return true;
    return false;
}

bool IsOpenWithoutDeleteShare(const struct stat& st)
{
    for (auto& [h, f] : g_files)
        if (f.dev == st.st_dev && f.ino == st.st_ino && !(f.share & FILE_SHARE_DELETE)) return true;
    return false;
}

bool ValidWindowsName(const std::string& utf8)
{
    if (utf8.find('\\') != std::string::npos) return false;
    std::string ansi = Utf8ToAnsi(utf8);
    if (AnsiToUtf8(ansi) != utf8) return false;  // not representable in the code page
    for (unsigned char c : ansi)
        if (c < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*') return false;
    return true;
}

bool MaskMatch(const char* n, const char* m)
{
    // Iterative '*' matching with backtracking to the last star.
    const char *star = nullptr, *afterStar = nullptr;
    while (*n) {
        if (*m == '*') {
            star = m++;
            afterStar = n;
        } else if (*m == '?' || (*m && UpperCase(std::string(1, *m)) == UpperCase(std::string(1, *n)))) {
            ++m;
            ++n;
        } else if (star) {
            m = star + 1;
            n = ++afterStar;
        } else {
            return false;
        }
    }
    while (*m == '*') ++m;
    return *m == 0;
}

OpenFile* Lookup(HANDLE h)
{
    auto it = g_files.find(h);
    return it == g_files.end() ? nullptr : &it->second;
}

}  // namespace

bool MatchesMask(const std::string& Name, const std::string& Mask)
{
    std::string m = Mask;
    if (m == "*.*") m = "*";  // the classic "everything", also names without a dot
    if (m.size() >= 2 && m.compare(m.size() - 2, 2, ".*") == 0 && Name.find('.') == std::string::npos)
        m.resize(m.size() - 2);  // "name.*" matches "name"
    return MaskMatch(Name.c_str(), m.c_str());
}

HANDLE CreateFileA(const std::string& FileName, DWORD DesiredAccess, DWORD ShareMode,
                   DWORD CreationDisposition, DWORD FlagsAndAttributes)
{
    (void)FlagsAndAttributes;
    std::string host;
    if (!Map(FileName, host)) return INVALID_HANDLE_VALUE;
    std::string norm;
    DWORD err;
    Machine::NormalizePath(FileName, norm, err);

    std::lock_guard<std::mutex> lock(g_mutex);
    struct stat st;
    bool exists = ::stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    if (!exists) {
        struct stat ps;
        if (::stat(HostParent(host).c_str(), &ps) != 0 || !S_ISDIR(ps.st_mode))
            return Fail(ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
    }
    bool wantWrite = (DesiredAccess & GENERIC_WRITE) != 0;
    switch (CreationDisposition) {
    case CREATE_NEW:
        if (exists) return Fail(ERROR_FILE_EXISTS), INVALID_HANDLE_VALUE;
        break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
        if (!exists) return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        break;
    default:
        return Fail(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
    }
    bool truncate = exists && (CreationDisposition == CREATE_ALWAYS || CreationDisposition == TRUNCATE_EXISTING);
    if (exists && (wantWrite || truncate) && HostReadOnly(st)) return Fail(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    if (exists)
        for (auto& [h, f] : g_files)
            if (f.dev == st.st_dev && f.ino == st.st_ino && SharingConflict(f, DesiredAccess, ShareMode))
                return Fail(ERROR_SHARING_VIOLATION), INVALID_HANDLE_VALUE;

    int flags = O_CLOEXEC;
    bool wantRead = (DesiredAccess & GENERIC_READ) != 0;
    if (wantRead && wantWrite) flags |= O_RDWR;
    else if (wantWrite) flags |= O_WRONLY;
    else flags |= O_RDONLY;
    if (!exists) flags |= O_CREAT | O_EXCL;
    if (truncate) flags |= O_TRUNC;
    if (!exists && !wantWrite) {
        // A file created for reading only still has to be created.
        flags = (flags & ~O_ACCMODE) | O_RDONLY;
    }
    // Programs are recognised by their name, as the system does: they are created
    // executable on the host, so that starting them works.
    int fd = ::open(host.c_str(), flags, IsProgramName(norm) ? 0777 : 0666);
    if (fd < 0) return FailErrno(), INVALID_HANDLE_VALUE;
    struct stat nst;
    ::fstat(fd, &nst);
    OpenFile f;
    f.fd = fd;
    f.winPath = norm;
    f.access = DesiredAccess;
    f.share = ShareMode;
    f.dev = nst.st_dev;
    f.ino = nst.st_ino;
    HANDLE h = g_nextHandle;
    g_nextHandle += 4;
    g_files[h] = f;
    if (!exists) ::removexattr(host.c_str(), kAttrXattr);
    SetLastError(exists && (CreationDisposition == CREATE_ALWAYS || CreationDisposition == OPEN_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return h;
}

BOOL ReadFile(HANDLE File, void* Buffer, DWORD ToRead, DWORD* Read)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (Read) *Read = 0;
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!(f->access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    auto* p = static_cast<char*>(Buffer);
    while (done < ToRead) {
        ssize_t n = ::read(f->fd, p + done, ToRead - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (Read) *Read = done;
            return FailErrno();
        }
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    if (Read) *Read = done;
    SetLastError(ERROR_SUCCESS);
    return TRUE_;
}

BOOL WriteFile(HANDLE File, const void* Buffer, DWORD ToWrite, DWORD* Written)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (Written) *Written = 0;
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!(f->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    auto* p = static_cast<const char*>(Buffer);
    while (done < ToWrite) {
        ssize_t n = ::write(f->fd, p + done, ToWrite - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (Written) *Written = done;
            return FailErrno();
        }
        done += static_cast<DWORD>(n);
    }
    if (Written) *Written = done;
    SetLastError(ERROR_SUCCESS);
    return TRUE_;
}

BOOL SetFilePointerEx(HANDLE File, int64_t Distance, int64_t* NewPosition, DWORD MoveMethod)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    int whence = MoveMethod == FILE_BEGIN ? SEEK_SET : MoveMethod == FILE_CURRENT ? SEEK_CUR : MoveMethod == FILE_END ? SEEK_END : -1;
    if (whence < 0) return Fail(ERROR_INVALID_PARAMETER);
    off_t cur = ::lseek(f->fd, 0, SEEK_CUR);
    off_t end = 0;
    if (whence == SEEK_END) {
        struct stat st;
        ::fstat(f->fd, &st);
        end = st.st_size;
    }
    int64_t target = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? cur : end) + Distance;
    if (target < 0) return Fail(ERROR_NEGATIVE_SEEK);
    off_t r = ::lseek(f->fd, static_cast<off_t>(target), SEEK_SET);
    if (r < 0) return FailErrno();
    if (NewPosition) *NewPosition = r;
    SetLastError(ERROR_SUCCESS);
    return TRUE_;
}

DWORD SetFilePointer(HANDLE File, LONG Distance, LONG* DistanceHigh, DWORD MoveMethod)
{
    int64_t dist = DistanceHigh ? (static_cast<int64_t>(*DistanceHigh) << 32) | static_cast<uint32_t>(Distance) : Distance;
    int64_t pos;
    if (!SetFilePointerEx(File, dist, &pos, MoveMethod)) return INVALID_SET_FILE_POINTER;
    if (DistanceHigh) *DistanceHigh = static_cast<LONG>(pos >> 32);
    return static_cast<DWORD>(pos);
}

BOOL GetFileSizeEx(HANDLE File, int64_t* Size)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    struct stat st;
    if (::fstat(f->fd, &st) != 0) return FailErrno();
    if (Size) *Size = st.st_size;
    return TRUE_;
}

BOOL SetEndOfFile(HANDLE File)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!(f->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
    off_t pos = ::lseek(f->fd, 0, SEEK_CUR);
    if (::ftruncate(f->fd, pos) != 0) return FailErrno();
    return TRUE_;
}

BOOL FlushFileBuffers(HANDLE File)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (::fsync(f->fd) != 0) return FailErrno();
    return TRUE_;
}

BOOL CloseHandle(HANDLE Object)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_files.find(Object);
    if (it == g_files.end()) return Fail(ERROR_INVALID_HANDLE);
    int rc = ::close(it->second.fd);
    g_files.erase(it);
    if (rc != 0) return FailErrno();
    return TRUE_;
}

std::string HandleFileName(HANDLE File)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenFile* f = Lookup(File);
    return f ? f->winPath : std::string();
}

BOOL GetFileTime(HANDLE File, FILETIME* Creation, FILETIME* Access, FILETIME* Write)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    struct stat st;
    if (::fstat(f->fd, &st) != 0) return FailErrno();
    if (Creation) *Creation = ToFileTime(st.st_mtim);  // the host keeps no creation time
    if (Access) *Access = ToFileTime(st.st_atim);
    if (Write) *Write = ToFileTime(st.st_mtim);
    return TRUE_;
}

BOOL SetFileTime(HANDLE File, const FILETIME* Creation, const FILETIME* Access, const FILETIME* Write)
{
    (void)Creation;
    std::lock_guard<std::mutex> lock(g_mutex);
    OpenFile* f = Lookup(File);
    if (!f) return Fail(ERROR_INVALID_HANDLE);
    if (!(f->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
    struct timespec ts[2];
    ts[0].tv_nsec = UTIME_OMIT;
    ts[1].tv_nsec = UTIME_OMIT;
    if (Access) ts[0] = ToTimespec(*Access);
    if (Write) ts[1] = ToTimespec(*Write);
    if (::futimens(f->fd, ts) != 0) return FailErrno();
    return TRUE_;
}

BOOL DeleteFileA(const std::string& FileName)
{
    std::string host;
    if (!Map(FileName, host)) return FALSE_;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        struct stat st;
        if (::lstat(host.c_str(), &st) != 0) return Fail(MissingError(host));
        if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
        if (!S_ISLNK(st.st_mode) && HostReadOnly(st)) return Fail(ERROR_ACCESS_DENIED);
        if (IsOpenWithoutDeleteShare(st)) return Fail(ERROR_SHARING_VIOLATION);
        if (::unlink(host.c_str()) != 0) return FailErrno();
    }
    NotifyFileChange(FileChange::Deleted, FileName);
    return TRUE_;
}

BOOL MoveFileA(const std::string& Existing, const std::string& New)
{
    std::string from, to;
    if (!Map(Existing, from) || !Map(New, to)) return FALSE_;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        struct stat st;
        if (::lstat(from.c_str(), &st) != 0) return Fail(MissingError(from));
        if (IsOpenWithoutDeleteShare(st)) return Fail(ERROR_SHARING_VIOLATION);
        struct stat tst;
        if (::lstat(to.c_str(), &tst) == 0 && !(tst.st_dev == st.st_dev && tst.st_ino == st.st_ino))
            return Fail(ERROR_ALREADY_EXISTS);
        if (::rename(from.c_str(), to.c_str()) != 0) {
            if (errno == ENOENT) return Fail(ERROR_PATH_NOT_FOUND);
            return FailErrno();
        }
    }
    NotifyFileChange(FileChange::Renamed, Existing, New);
    return TRUE_;
}

BOOL CopyFileA(const std::string& Existing, const std::string& New, BOOL FailIfExists)
{
    HANDLE in = CreateFileA(Existing, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    if (in == INVALID_HANDLE_VALUE) return FALSE_;
    HANDLE out = CreateFileA(New, GENERIC_WRITE, 0, FailIfExists ? CREATE_NEW : CREATE_ALWAYS, 0);
    if (out == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        CloseHandle(in);
        return Fail(e);
    }
    std::vector<char> buf(1 << 16);
    BOOL ok = TRUE_;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(in, buf.data(), static_cast<DWORD>(buf.size()), &got)) { ok = FALSE_; break; }
        if (got == 0) break;
        if (!WriteFile(out, buf.data(), got, &put)) { ok = FALSE_; break; }
    }
    DWORD e = GetLastError();
    CloseHandle(in);
    CloseHandle(out);
    if (!ok) return Fail(e);
    return TRUE_;
}

DWORD GetFileAttributesA(const std::string& FileName)
{
    std::string host;
    if (!Map(FileName, host)) return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        SetLastError(MissingError(host));
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(host, st);
}

BOOL SetFileAttributesA(const std::string& FileName, DWORD Attributes)
{
    std::string host;
    if (!Map(FileName, host)) return FALSE_;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return Fail(MissingError(host));
    mode_t mode = st.st_mode & 07777;
    if (Attributes & FILE_ATTRIBUTE_READONLY) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(host.c_str(), mode) != 0) return FailErrno();
    DWORD keep = Attributes & kStoredBits;
    unsigned char b[4] = {static_cast<unsigned char>(keep), static_cast<unsigned char>(keep >> 8), 0, 0};
    if (::setxattr(host.c_str(), kAttrXattr, b, 2, 0) != 0 && errno != ENOTSUP && errno != EPERM)
        return FailErrno();
    return TRUE_;
}

BOOL CreateDirectoryA(const std::string& PathName)
{
    std::string host;
    if (!Map(PathName, host)) return FALSE_;
    struct stat st;
    if (::lstat(host.c_str(), &st) == 0) return Fail(ERROR_ALREADY_EXISTS);
    if (::mkdir(host.c_str(), 0777) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
        return FailErrno();
    }
    return TRUE_;
}

BOOL RemoveDirectoryA(const std::string& PathName)
{
    std::string host;
    if (!Map(PathName, host)) return FALSE_;
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) return Fail(MissingError(host));
    if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    if (host == Machine::DriveRoot('C') || host == "/") return Fail(ERROR_ACCESS_DENIED);
    if (::rmdir(host.c_str()) != 0) return FailErrno();
    return TRUE_;
}

DWORD GetFullPathNameA(const std::string& FileName, std::string& Out)
{
    DWORD err;
    if (!Machine::NormalizePath(FileName, Out, err, true)) {
        SetLastError(err);
        return 0;
    }
    // A trailing separator of the input stays (GetFullPathName keeps "C:\dir\").
    if (!FileName.empty() && IsPathDelimiter(FileName.back()) && Out.size() > 3) Out += '\\';
    return static_cast<DWORD>(Out.size());
}

DWORD GetCurrentDirectoryA(std::string& Out)
{
    Out = Machine::CurrentDirectory();
    return static_cast<DWORD>(Out.size());
}

BOOL SetCurrentDirectoryA(const std::string& PathName)
{
    DWORD err;
    if (!Machine::SetCurrentDirectory(PathName, err)) return Fail(err);
    return TRUE_;
}

DWORD GetLogicalDrives()
{
    return Machine::LogicalDrives();
}

UINT GetDriveTypeA(const std::string& RootPathName)
{
    if (RootPathName.size() >= 2 && RootPathName[1] == ':') {
        char l = static_cast<char>(RootPathName[0] & ~0x20);
        if (l == 'C' || l == 'Z') return DRIVE_FIXED;
    }
    return DRIVE_NO_ROOT_DIR;
}

BOOL GetDiskFreeSpaceExA(const std::string& Dir, uint64_t* FreeToCaller, uint64_t* Total, uint64_t* Free)
{
    std::string host;
    if (!Map(Dir, host)) return FALSE_;
    struct statvfs sv;
    if (::statvfs(host.c_str(), &sv) != 0) return FailErrno();
    if (FreeToCaller) *FreeToCaller = static_cast<uint64_t>(sv.f_bavail) * sv.f_frsize;
    if (Total) *Total = static_cast<uint64_t>(sv.f_blocks) * sv.f_frsize;
    if (Free) *Free = static_cast<uint64_t>(sv.f_bfree) * sv.f_frsize;
    return TRUE_;
}

HANDLE FindFirstFileA(const std::string& FileName, WIN32_FIND_DATAA* FindData)
{
    std::string norm;
    DWORD err;
    if (!Machine::NormalizePath(FileName, norm, err, true)) return Fail(err), INVALID_HANDLE_VALUE;
    std::string dir = ExtractFilePath(norm), mask = ExtractFileName(norm);
    if (mask.empty()) return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
    std::string hostDir;
    if (!Map(dir, hostDir)) return INVALID_HANDLE_VALUE;
    DIR* d = ::opendir(hostDir.c_str());
    if (!d) return Fail(ERROR_PATH_NOT_FOUND), INVALID_HANDLE_VALUE;
    FindState state;
    bool isRoot = dir.size() == 3;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if ((n == "." || n == "..") && isRoot) continue;
        if (!ValidWindowsName(n)) continue;
        std::string ansi = Utf8ToAnsi(n);
        if (!MatchesMask(ansi, mask)) continue;
        std::string full = hostDir == "/" ? "/" + n : hostDir + "/" + n;
        struct stat st;
        if (::stat(full.c_str(), &st) != 0) continue;  // a dangling link
        WIN32_FIND_DATAA fd;
        fd.dwFileAttributes = AttributesOf(full, st);
        fd.ftCreationTime = ToFileTime(st.st_mtim);
        fd.ftLastAccessTime = ToFileTime(st.st_atim);
        fd.ftLastWriteTime = ToFileTime(st.st_mtim);
        fd.nFileSize = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
        fd.cFileName = ansi;
        state.entries.push_back(fd);
    }
    ::closedir(d);
    if (state.entries.empty()) return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
    std::sort(state.entries.begin(), state.entries.end(), [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
        bool ad = a.cFileName == "." || a.cFileName == "..", bd = b.cFileName == "." || b.cFileName == "..";
        if (ad != bd) return ad;
        int c = CompareText(a.cFileName, b.cFileName);
        return c != 0 ? c < 0 : a.cFileName < b.cFileName;
    });
    std::lock_guard<std::mutex> lock(g_mutex);
    *FindData = state.entries[0];
    state.next = 1;
    HANDLE h = g_nextHandle;
    g_nextHandle += 4;
    g_finds[h] = std::move(state);
    SetLastError(ERROR_SUCCESS);
    return h;
}

BOOL FindNextFileA(HANDLE FindFile, WIN32_FIND_DATAA* FindData)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_finds.find(FindFile);
    if (it == g_finds.end()) return Fail(ERROR_INVALID_HANDLE);
    if (it->second.next >= it->second.entries.size()) return Fail(ERROR_NO_MORE_FILES);
    *FindData = it->second.entries[it->second.next++];
    return TRUE_;
}

BOOL FindClose(HANDLE FindFile)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_finds.erase(FindFile) == 0) return Fail(ERROR_INVALID_HANDLE);
    return TRUE_;
}

BOOL DosDateTimeToFileTime(WORD FatDate, WORD FatTime, FILETIME* Out)
{
    int year = (FatDate >> 9) + 1980, month = (FatDate >> 5) & 15, day = FatDate & 31;
    int hour = FatTime >> 11, minute = (FatTime >> 5) & 63, sec = (FatTime & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || sec > 59)
        return Fail(ERROR_INVALID_PARAMETER);
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = sec;
    time_t t = timegm(&tm);  // the fields as they stand, no zone applied: a local file time
    *Out = FromTicks(static_cast<int64_t>(t) * 10000000 + kUnixEpochTicks);
    return TRUE_;
}

BOOL FileTimeToDosDateTime(const FILETIME* In, WORD* FatDate, WORD* FatTime)
{
    time_t t = static_cast<time_t>((Ticks(*In) - kUnixEpochTicks) / 10000000);
    std::tm tm{};
    gmtime_r(&t, &tm);
    int year = tm.tm_year + 1900;
    if (year < 1980 || year > 2107) return Fail(ERROR_INVALID_PARAMETER);
    *FatDate = static_cast<WORD>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    *FatTime = static_cast<WORD>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return TRUE_;
}

BOOL LocalFileTimeToFileTime(const FILETIME* Local, FILETIME* Utc)
{
    int64_t ticks = Ticks(*Local);
    int64_t frac = ((ticks - kUnixEpochTicks) % 10000000 + 10000000) % 10000000;
    time_t fields = static_cast<time_t>((ticks - kUnixEpochTicks - frac) / 10000000);
    std::tm tm{};
    gmtime_r(&fields, &tm);
    tm.tm_isdst = -1;
    time_t real = mktime(&tm);
    *Utc = FromTicks(static_cast<int64_t>(real) * 10000000 + kUnixEpochTicks + frac);
    return TRUE_;
}

BOOL FileTimeToLocalFileTime(const FILETIME* Utc, FILETIME* Local)
{
    int64_t ticks = Ticks(*Utc);
    int64_t frac = ((ticks - kUnixEpochTicks) % 10000000 + 10000000) % 10000000;
    time_t t = static_cast<time_t>((ticks - kUnixEpochTicks - frac) / 10000000);
    std::tm tm{};
    localtime_r(&t, &tm);
    time_t fields = timegm(&tm);
    *Local = FromTicks(static_cast<int64_t>(fields) * 10000000 + kUnixEpochTicks + frac);
    return TRUE_;
}
