#include "tools/lzdpack/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace {

std::string SysText(int err) { return std::strerror(err); }

[[noreturn]] void Fail(const std::string& shown, int err) { throw EOutputError(shown + ": " + SysText(err)); }

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t NewFileMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A link to nothing: the name its chain of links finally gives.
std::string FollowDangling(const std::string& host)
{
    std::string p = host;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::vector<char> buf(PATH_MAX + 1);
        ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size() - 1);
        if (n < 0) return p;
        std::string target(buf.data(), static_cast<size_t>(n));
        p = target[0] == '/' ? target : FolderOf(p) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

void WriteAll(int fd, const char* p, size_t count, const std::string& shown)
{
    while (count > 0) {
        ssize_t n = ::write(fd, p, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail(shown, n < 0 ? errno : ENOSPC);
        p += n;
        count -= static_cast<size_t>(n);
    }
}

// Copies the bytes of `from` to the open descriptor `fd`.
void CopyInto(const std::string& from, int fd, const std::string& shown)
{
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) Fail(shown, errno);
    std::vector<char> buf(1 << 16);
    for (;;) {
        ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int e = errno;
            ::close(in);
            Fail(shown, e);
        }
        if (n == 0) break;
        try {
            WriteAll(fd, buf.data(), static_cast<size_t>(n), shown);
        } catch (...) {
            ::close(in);
            throw;
        }
    }
    ::close(in);
}

// A new empty file with a free name `base`.lzdpack-XXXXXX; returns its descriptor.
int MakeTemp(const std::string& base, std::string& name, const std::string& shown)
{
    std::string t = base + ".lzdpack-XXXXXX";
    std::vector<char> buf(t.begin(), t.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) Fail(shown, errno);
    name = buf.data();
    return fd;
}

}  // namespace

const char* const kOutputRules =
    "Output (OUT, the archive of create, the files of extract):\n"
    "  - a new name, or an existing regular file: written under a temporary name beside it\n"
    "    and renamed over it when complete, so a failed run leaves the old file as it was;\n"
    "    a replaced file keeps its permissions (an extracted one takes its own);\n"
    "  - a device, a pipe or a socket (/dev/null, a FIFO, ...): written into, nothing is\n"
    "    created, renamed or removed;\n"
    "  - a symbolic link: followed; what it leads to is written by these rules and the link\n"
    "    stays (a link to nothing gets the file it names);\n"
    "  - a directory: refused.\n";

TOutputPlace LocateOutput(const std::string& host, const std::string& shown)
{
    TOutputPlace place;
    struct stat st {};
    if (::stat(host.c_str(), &st) == 0) {  // links followed
        if (S_ISDIR(st.st_mode)) throw EOutputError(shown + ": Is a directory");
        if (!S_ISREG(st.st_mode)) {
            place.kind = TOutputPlace::Into;
            place.path = host;
            return place;
        }
        place.kind = TOutputPlace::RegularFile;
        place.mode = st.st_mode & 07777;
        // Replaced where it is: the file a link leads to, not the link.
        char* real = ::realpath(host.c_str(), nullptr);
        place.path = real ? real : host;
        std::free(real);
        return place;
    }
    if (errno != ENOENT) Fail(shown, errno);
    place.kind = TOutputPlace::NewFile;
    place.path = FollowDangling(host);
    if (place.path.empty()) Fail(shown, errno);
    place.mode = NewFileMode();
    return place;
}

TOutputStream::TOutputStream(const std::string& host, const std::string& shown) : shown_(shown)
{
    if (host == "-") {
        fd_ = 1;
        place_.kind = TOutputPlace::Into;
        return;
    }
    place_ = LocateOutput(host, shown);
    if (place_.kind == TOutputPlace::Into) {
        fd_ = ::open(place_.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) Fail(shown, errno);
    } else {
        fd_ = MakeTemp(place_.path, temp_, shown);
    }
    own_ = true;
}

TOutputStream::~TOutputStream()
{
    if (own_ && fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void TOutputStream::Write(const void* data, size_t count, std::string& error)
{
    if (!error.empty()) return;
    try {
        WriteAll(fd_, static_cast<const char*>(data), count, shown_);
    } catch (const EOutputError& e) {
        error = e.Message();
    }
}

void TOutputStream::Commit()
{
    if (!own_) return;
    if (place_.kind != TOutputPlace::Into) ::fchmod(fd_, place_.mode);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(shown_, errno);
    if (place_.kind == TOutputPlace::Into) return;
    if (::rename(temp_.c_str(), place_.path.c_str()) != 0) Fail(shown_, errno);
    temp_.clear();
}

std::string StagingName(const TOutputPlace& place, const std::string& scratchDir)
{
    // Only a name: the component that fills it creates the file (and files beside it).
    static std::mt19937_64 rng(std::random_device{}() ^ static_cast<uint64_t>(::getpid()));
    const std::string base = place.kind == TOutputPlace::Into ? scratchDir + "/output" : place.path;
    for (;;) {
        std::string name = base + ".lzdpack-" + std::to_string(rng() % 1000000000);
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
    }
}

void DeliverFile(const std::string& staged, const TOutputPlace& place, const std::string& shown, bool keepMode)
{
    if (place.kind == TOutputPlace::Into) {
        int fd = ::open(place.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) Fail(shown, errno);
        try {
            CopyInto(staged, fd, shown);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (::close(fd) != 0) Fail(shown, errno);
        ::unlink(staged.c_str());
        return;
    }
    if (keepMode && place.kind == TOutputPlace::RegularFile) ::chmod(staged.c_str(), place.mode);
    if (::rename(staged.c_str(), place.path.c_str()) == 0) return;
    if (errno != EXDEV) Fail(shown, errno);
    // On another file system (a link led there): a copy beside it, then the rename.
    struct stat st {};
    ::stat(staged.c_str(), &st);
    std::string temp;
    int fd = MakeTemp(place.path, temp, shown);
    try {
        CopyInto(staged, fd, shown);
        ::fchmod(fd, keepMode && place.kind == TOutputPlace::RegularFile ? place.mode : st.st_mode & 07777);
        if (::close(fd) != 0) Fail(shown, errno);
        fd = -1;
        if (::rename(temp.c_str(), place.path.c_str()) != 0) Fail(shown, errno);
    } catch (...) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    ::unlink(staged.c_str());
}

TScratchDir::TScratchDir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string t = std::string(tmp && *tmp ? tmp : "/tmp") + "/lzdpack-XXXXXX";
    std::vector<char> buf(t.begin(), t.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw EOutputError("Cannot create a temporary folder in " + t.substr(0, t.size() - 15) + ": " + SysText(errno));
    path_ = buf.data();
}

TScratchDir::~TScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}
