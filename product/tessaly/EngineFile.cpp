#include "product/tessaly/EngineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QByteArray>
#include <QCryptographicHash>

namespace tessaly {

namespace {

std::string Sha256Hex(const std::string& bytes)
{
    const QByteArray digest = QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                                       QCryptographicHash::Sha256);
    return digest.toHex().toStdString();
}

// Closes a descriptor on every path.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0) close(fd);
    }
};

bool ReadExactly(int fd, std::string& bytes, size_t size, std::string& reason)
{
    bytes.assign(size, '\0');
    size_t got = 0;
    while (got < size) {
        const ssize_t n = read(fd, bytes.data() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = std::string("it cannot be read (") + std::strerror(errno) + ")";
            return false;
        }
        if (n == 0) {
            reason = "it ended early while it was being read";
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

EngineProblem CheckEngineBytes(const std::string& bytes, const EngineIdentity& expected, std::string& reason)
{
    if (static_cast<int64_t>(bytes.size()) != expected.Size) {
        reason = "it has " + std::to_string(bytes.size()) + " bytes instead of " + std::to_string(expected.Size);
        return EngineProblem::Damaged;
    }
    if (Sha256Hex(bytes) != expected.Sha256) {
        reason = "its contents are not those of the engine this version of Tessaly was made with";
        return EngineProblem::Damaged;
    }
    return EngineProblem::None;
}

std::string EngineProblemMessage(EngineProblem problem, const std::string& dir, const std::string& reason)
{
    switch (problem) {
    case EngineProblem::None: return {};
    case EngineProblem::Missing:
        return "Tessaly cannot start because its tiling engine, tsly.dll, is missing.\n\nFolder: " + dir +
               "\n\nInstall Tessaly v1.1 again to put the file back.";
    case EngineProblem::Damaged: {
        std::string sentence = reason;
        if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z') sentence[0] = static_cast<char>(sentence[0] - 32);
        return "Tessaly cannot start because its tiling engine, tsly.dll, is damaged:\n" + sentence + ".\n\nFolder: " + dir +
               "\n\nInstall Tessaly v1.1 again to replace the file.";
    }
    }
    return {};
}

EngineProblem ReadEngineFile(const std::string& hostPath, const EngineIdentity& expected, std::string& bytes,
                             std::string& reason)
{
    Fd f;
    f.fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (f.fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return EngineProblem::Missing;
        reason = std::string("it cannot be opened (") + std::strerror(errno) + ")";
        return EngineProblem::Damaged;
    }
    struct stat st{};
    if (fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = "it is not a file";
        return EngineProblem::Damaged;
    }
    if (st.st_size != expected.Size) {
        reason = "it has " + std::to_string(st.st_size) + " bytes instead of " + std::to_string(expected.Size);
        return EngineProblem::Damaged;
    }
    if (!ReadExactly(f.fd, bytes, static_cast<size_t>(expected.Size), reason)) return EngineProblem::Damaged;
    return CheckEngineBytes(bytes, expected, reason);
}

}  // namespace tessaly
