// lzdpack compress / expand: one raw stream between two files (or standard input and
// output). The output file is written under a temporary name beside it and renamed
// only when the whole run succeeded, so a failure never leaves a truncated OUT behind
// nor destroys an existing one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/Lzh_op.h"
#include "tools/lzdpack/Commands.h"

namespace {

class RawError : public Exception {
public:
    using Exception::Exception;
};

std::string SysText(int err) { return std::strerror(err); }

class InputFile {
public:
    explicit InputFile(const std::string& name) : name_(name.empty() || name == "-" ? "(standard input)" : name)
    {
        if (name.empty() || name == "-") {
            fd_ = 0;
            return;
        }
        fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw RawError(name_ + ": " + SysText(errno));
        own_ = true;
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd_);
            own_ = false;
            throw RawError(name_ + ": Is a directory");
        }
    }
    ~InputFile()
    {
        if (own_) ::close(fd_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    // Up to count bytes; 0 at the end. Errors are kept for the caller to report.
    uint16_t Read(void* buf, uint16_t count, std::string& error)
    {
        for (;;) {
            ssize_t n = ::read(fd_, buf, count);
            if (n >= 0) return static_cast<uint16_t>(n);
            if (errno == EINTR) continue;
            if (error.empty()) error = name_ + ": " + SysText(errno);
            return 0;
        }
    }

private:
    std::string name_;
    int fd_ = -1;
    bool own_ = false;
};

class OutputFile {
public:
    explicit OutputFile(const std::string& name) : name_(name.empty() || name == "-" ? "(standard output)" : name)
    {
        if (name.empty() || name == "-") {
            fd_ = 1;
            return;
        }
        temp_ = name + ".lzdpack-XXXXXX";
        std::vector<char> t(temp_.begin(), temp_.end());
        t.push_back('\0');
        fd_ = ::mkstemp(t.data());
        if (fd_ < 0) throw RawError(name_ + ": " + SysText(errno));
        temp_ = t.data();
        final_ = name;
    }
    ~OutputFile()
    {
        if (!final_.empty()) {  // not committed: drop the partial file
            ::close(fd_);
            ::unlink(temp_.c_str());
        }
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    void Write(const void* buf, size_t count, std::string& error)
    {
        const char* p = static_cast<const char*>(buf);
        while (count > 0 && error.empty()) {
            ssize_t n = ::write(fd_, p, count);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = name_ + ": " + SysText(n < 0 ? errno : ENOSPC);
                return;
            }
            p += n;
            count -= static_cast<size_t>(n);
        }
    }
    void Commit()
    {
        if (final_.empty()) return;
        // Same permissions as a plain new file would get.
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
        if (::close(fd_) != 0) {
            int e = errno;
            ::unlink(temp_.c_str());
            final_.clear();
            throw RawError(name_ + ": " + SysText(e));
        }
        if (::rename(temp_.c_str(), final_.c_str()) != 0) {
            int e = errno;
            ::unlink(temp_.c_str());
            final_.clear();
            throw RawError(name_ + ": " + SysText(e));
        }
        final_.clear();
    }

private:
    std::string name_;
    std::string temp_;
    std::string final_;
    int fd_ = -1;
};

int RunRaw(const char* command, bool compress, const std::vector<std::string>& args)
{
    try {
        for (const std::string& a : args)
            if (a == "--help" || a == "-h") {
                std::printf("usage: lzdpack %s [IN [OUT]]\n", command);
                return 0;
            }
        if (args.size() > 2) throw RawError("too many arguments (usage: lzdpack " + std::string(command) + " [IN [OUT]])");
        InputFile in(args.size() > 0 ? args[0] : std::string());
        OutputFile out(args.size() > 1 ? args[1] : std::string());
        std::string error;
        TCustomLZHCompressor codec(nullptr);
        codec.SetInputBufferSize(32768);
        codec.SetOutputBufferSize(32768);
        codec.ReadInput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
            actual = error.empty() ? in.Read(buf, count, error) : 0;
        };
        codec.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t&) {
            out.Write(buf, count, error);
        };
        // Expand swallows what its hooks throw, so failures travel in `error`.
        if (compress)
            codec.Compress();
        else
            codec.Expand();
        if (!error.empty()) throw RawError(error);
        out.Commit();
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "lzdpack %s: %s\n", command, e.Message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lzdpack %s: %s\n", command, e.what());
    }
    return 1;
}

}  // namespace

int RunCompress(const std::vector<std::string>& Args) { return RunRaw("compress", true, Args); }
int RunExpand(const std::vector<std::string>& Args) { return RunRaw("expand", false, Args); }
