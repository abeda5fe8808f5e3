// lzdpack compress / expand: one raw stream between two files (or standard input and
// output). OUT is written by the rules of Output.h: a regular file is replaced only
// once the whole run succeeded, a device or pipe is written into.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "codec/Lzh_op.h"
#include "tools/lzdpack/CommandLine.h"
#include "tools/lzdpack/Commands.h"
#include "tools/lzdpack/Output.h"

namespace {

std::string SysText(int err) { return std::strerror(err); }

class InputFile {
public:
    explicit InputFile(const std::string& name) : name_(name == "-" ? "(standard input)" : name)
    {
        if (name == "-") {
            fd_ = 0;
            return;
        }
        fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw ECommandError(name_ + ": " + SysText(errno));
        own_ = true;
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) throw ECommandError(name_ + ": Is a directory");
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

int RunRaw(bool compress, const std::vector<std::string>& argv)
{
    Args a = Parse(argv, {}, {});
    if (a.operands.size() > 2) throw UsageError("too many operands");
    std::string inName = a.operands.size() > 0 ? a.operands[0] : "-";
    std::string outName = a.operands.size() > 1 ? a.operands[1] : "-";
    if (inName.empty() || outName.empty()) throw UsageError("empty file name");
    InputFile in(inName);
    TOutputStream out(outName, outName == "-" ? "(standard output)" : outName);
    std::string error;
    TCustomLZHCompressor codec(nullptr);
    codec.SetInputBufferSize(32768);
    codec.SetOutputBufferSize(32768);
    codec.ReadInput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        actual = error.empty() ? in.Read(buf, count, error) : 0;
    };
    codec.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t&) { out.Write(buf, count, error); };
    // Expand swallows what its hooks throw, so failures travel in `error`.
    if (compress)
        codec.Compress();
    else
        codec.Expand();
    if (!error.empty()) throw ECommandError(error);
    out.Commit();
    return 0;
}

}  // namespace

int CmdCompress(const std::vector<std::string>& Args, THostNames&) { return RunRaw(true, Args); }
int CmdExpand(const std::vector<std::string>& Args, THostNames&) { return RunRaw(false, Args); }
