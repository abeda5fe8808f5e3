#include "product/uninstall/InUse.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace uninstall {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::string CommandName(const std::string& procDir)
{
    std::ifstream f(procDir + "/comm");
    std::string name;
    std::getline(f, name);
    return name.empty() ? "an unknown program" : name;
}

bool IsNumber(const char* s)
{
    if (!*s) return false;
    for (; *s; ++s)
        if (*s < '0' || *s > '9') return false;
    return true;
}

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool HoldsOpen(const std::string& procDir, const struct stat& target)
{
    DirHandle fds(opendir((procDir + "/fd").c_str()));
    if (!fds) return false;  // another user's process: not ours to see
    while (dirent* e = readdir(fds.get())) {
        if (!IsNumber(e->d_name)) continue;
        struct stat st{};
        if (stat((procDir + "/fd/" + e->d_name).c_str(), &st) == 0 && SameFile(st, target)) return true;
    }
    return false;
}

bool Maps(const std::string& procDir, const std::string& realPath)
{
    // Compared by path: on layered file systems the device numbers in maps are those of
    // the layer below and differ from what stat says.
    std::ifstream f(procDir + "/maps");
    std::string line, path;
    while (std::getline(f, line))
        if (MapsLinePath(line, path) && path == realPath) return true;
    return false;
}

}  // namespace

bool MapsLinePath(const std::string& line, std::string& path)
{
    // address perms offset dev inode, then spaces and the path.
    size_t pos = 0;
    for (int field = 0; field < 5; ++field) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        const size_t start = pos;
        while (pos < line.size() && line[pos] != ' ') ++pos;
        if (pos == start) return false;
    }
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size() || line[pos] != '/') return false;  // anonymous, [heap], [stack], ...
    path = line.substr(pos);
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
        path.resize(path.size() - deleted.size());
    return true;
}

std::vector<FileUser> ProcessesUsing(const std::string& hostPath)
{
    std::vector<FileUser> users;
    struct stat target{};
    if (stat(hostPath.c_str(), &target) != 0) return users;
    char resolved[PATH_MAX];
    const std::string realPath = realpath(hostPath.c_str(), resolved) ? resolved : hostPath;
    const int self = static_cast<int>(getpid());
    DirHandle proc(opendir("/proc"));
    if (!proc) return users;
    while (dirent* e = readdir(proc.get())) {
        if (!IsNumber(e->d_name)) continue;
        const int pid = std::atoi(e->d_name);
        const std::string dir = std::string("/proc/") + e->d_name;
        bool uses = false;
        if (pid != self) {
            struct stat exe{};
            uses = (stat((dir + "/exe").c_str(), &exe) == 0 && SameFile(exe, target)) || Maps(dir, realPath);
        }
        if (!uses) uses = HoldsOpen(dir, target);
        if (uses) users.push_back({pid, CommandName(dir)});
    }
    return users;
}

}  // namespace uninstall
