#include "platform/win/Machine.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/StrUtils.h"

namespace {

std::mutex g_mutex;
std::string g_root;
std::string g_cwd = "C:\\";
std::vector<Machine::RootChangedHook> g_hooks;

bool IsDir(const std::string& host)
{
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& host)
{
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

// mkdir -p for host paths.
void MakeHostDirs(const std::string& path)
{
    std::string cur;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        cur = path.substr(0, j);
        if (!cur.empty() && !IsDir(cur)) {
            if (::mkdir(cur.c_str(), 0777) != 0 && errno != EEXIST)
                throw Exception("Cannot create the machine folder " + cur);
        }
        i = j + 1;
    }
}

// Folders every machine has. The shell folders of the user are added by the registry
// seeding, which owns their names.
const char* const kSeedFolders[] = {
    "WINDOWS",
    "WINDOWS/SYSTEM",
    "WINDOWS/TEMP",
    "Program Files",
    "Program Files/Common Files",
};

// Creates and seeds the root. Runs under an exclusive lock on <root>/.lock, and only
// creates what is missing, so two processes starting at once end up with one machine.
void Seed(const std::string& root)
{
    MakeHostDirs(root);
    std::string lockPath = root + "/.lock";
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw Exception("Cannot open the machine lock " + lockPath);
    ::flock(fd, LOCK_EX);
    try {
        MakeHostDirs(root + "/drive_c");
        for (const char* f : kSeedFolders) MakeHostDirs(root + "/drive_c/" + f);
        MakeHostDirs(root + "/registry");
    } catch (...) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        throw;
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

std::string DefaultRoot()
{
    if (const char* r = std::getenv("PALLIMER_ROOT"); r && *r) return r;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return std::string(x) + "/pallimer";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
    }
    return std::string(home ? home : "/tmp") + "/.local/share/pallimer";
}

bool BadChar(unsigned char c, bool allowWildcards)
{
    if (c < 32) return true;
    switch (c) {
    case '<': case '>': case ':': case '"': case '|': return true;
    case '?': case '*': return !allowWildcards;
    default: return false;
    }
}

const std::string& RootLocked()
{
    if (g_root.empty()) {
        std::string r = DefaultRoot();
        while (r.size() > 1 && r.back() == '/') r.pop_back();
        Seed(r);
        g_root = r;
    }
    return g_root;
}

std::string HostDriveRoot(char letter)
{
    letter = static_cast<char>(letter & ~0x20);
    if (letter == 'C') return RootLocked() + "/drive_c";
    if (letter == 'Z') return "";
    return "/nonexistent-drive";
}

// Finds `name` (UTF-8) inside host folder `dir`: exact first, else the first entry
// that compares equal case-insensitively. Empty when absent.
std::string FindEntry(const std::string& dir, const std::string& name)
{
    std::string exact = dir + "/" + name;
    if (Exists(exact)) return name;
    DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (!d) return {};
    std::string want = Utf8ToAnsi(name);
    std::string found;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        if (SameText(Utf8ToAnsi(n), want)) {
            found = n;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

namespace Machine {

const std::string& Root()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return RootLocked();
}

void SetRoot(const std::string& hostRoot)
{
    std::vector<RootChangedHook> hooks;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        std::string r = hostRoot;
        while (r.size() > 1 && r.back() == '/') r.pop_back();
        Seed(r);
        g_root = r;
        g_cwd = "C:\\";
        hooks = g_hooks;
    }
    for (RootChangedHook h : hooks) h();
}

void AddRootChangedHook(RootChangedHook hook)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    for (RootChangedHook h : g_hooks)
        if (h == hook) return;
    g_hooks.push_back(hook);
}

std::string WindowsDir() { return "C:\\WINDOWS"; }
std::string SystemDir() { return "C:\\WINDOWS\\SYSTEM"; }
std::string TempDir() { return "C:\\WINDOWS\\TEMP"; }
std::string UserProfileDir() { return "C:\\WINDOWS\\Profiles\\" + UserName(); }

bool NormalizePath(std::string_view winPath, std::string& out, DWORD& error, bool allowWildcards)
{
    std::string p(winPath);
    for (auto& c : p)
        if (c == '/') c = '\\';
    if (p.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }

    std::string base;  // normalised start: "X:\..." of the current directory or a drive root
    size_t i = 0;
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        error = ERROR_BAD_NETPATH;  // no network on this machine
        return false;
    }
    if (p.size() >= 2 && p[1] == ':') {
        char letter = static_cast<char>(p[0] & ~0x20);
        if (!((letter == 'C') || (letter == 'Z'))) {
            error = ERROR_PATH_NOT_FOUND;
            return false;
        }
        i = 2;
        if (i < p.size() && p[i] == '\\') {
            base = std::string(1, letter) + ":\\";
        } else if (static_cast<char>(g_cwd[0]) == letter) {
            base = g_cwd;  // "C:name" is relative to that drive's current directory
        } else {
            base = std::string(1, letter) + ":\\";
        }
    } else if (p[0] == '\\') {
        base = g_cwd.substr(0, 3);
    } else {
        base = g_cwd;
    }

    std::vector<std::string> parts;
    for (size_t k = 3; k < base.size();) {
        size_t j = base.find('\\', k);
        if (j == std::string::npos) j = base.size();
        if (j > k) parts.push_back(base.substr(k, j - k));
        k = j + 1;
    }

    // Split the rest; find the last component for the wildcard rule.
    std::vector<std::string> comps;
    while (i < p.size()) {
        size_t j = p.find('\\', i);
        if (j == std::string::npos) j = p.size();
        comps.push_back(p.substr(i, j - i));
        i = j + 1;
    }
    size_t lastNonEmpty = comps.size();
    for (size_t k = comps.size(); k-- > 0;)
        if (!comps[k].empty()) {
            lastNonEmpty = k;
            break;
        }
    for (size_t k = 0; k < comps.size(); ++k) {
        std::string c = comps[k];
        if (c.empty() || c == ".") continue;
        if (c == "..") {
            if (!parts.empty()) parts.pop_back();  // never above the drive's root
            continue;
        }
        bool wild = allowWildcards && k == lastNonEmpty;
        for (char ch : c)
            if (BadChar(static_cast<unsigned char>(ch), wild)) {
                error = ERROR_INVALID_NAME;
                return false;
            }
        // Windows drops trailing dots and spaces of a component.
        while (!c.empty() && (c.back() == '.' || c.back() == ' ')) c.pop_back();
        if (c.empty()) continue;
        parts.push_back(c);
    }

    std::string r = base.substr(0, 3);
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k) r += '\\';
        r += parts[k];
    }
    if (r.size() > MAX_PATH - 1) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    out = r;
    error = ERROR_SUCCESS;
    return true;
}

bool ToHostPath(std::string_view winPath, std::string& hostPath, DWORD& error, bool allowWildcards)
{
    std::string norm;
    if (!NormalizePath(winPath, norm, error, allowWildcards)) return false;
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::string driveRoot = HostDriveRoot(norm[0]);
    std::string host = driveRoot;
    bool existing = true;
    std::string lastExisting = driveRoot.empty() ? "/" : driveRoot;
    for (size_t k = 3; k < norm.size();) {
        size_t j = norm.find('\\', k);
        if (j == std::string::npos) j = norm.size();
        std::string comp = AnsiToUtf8(norm.substr(k, j - k));
        if (existing) {
            std::string found = FindEntry(host, comp);
            if (found.empty()) {
                existing = false;
            } else {
                comp = found;
            }
        }
        host += "/" + comp;
        if (existing) lastExisting = host;
        k = j + 1;
    }
    if (host.empty()) host = "/";

    if (norm[0] == 'C') {
        // A host symbolic link must not lead out of the drive's folder.
        char realRoot[PATH_MAX], realPart[PATH_MAX];
        if (::realpath(driveRoot.c_str(), realRoot) && ::realpath(lastExisting.c_str(), realPart)) {
            std::string rr = realRoot, rp = realPart;
            if (!(rp == rr || (rp.size() > rr.size() && rp.compare(0, rr.size(), rr) == 0 && rp[rr.size()] == '/'))) {
                error = ERROR_ACCESS_DENIED;
                return false;
            }
        }
    }
    hostPath = host;
    error = ERROR_SUCCESS;
    return true;
}

std::string FromHostPath(std::string_view hostPath)
{
    std::string h(hostPath);
    std::string driveC;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        driveC = RootLocked() + "/drive_c";
    }
    std::string rest;
    std::string prefix;
    if (h == driveC || (h.size() > driveC.size() && h.compare(0, driveC.size(), driveC) == 0 && h[driveC.size()] == '/')) {
        prefix = "C:\\";
        rest = h.substr(driveC.size());
    } else {
        prefix = "Z:\\";
        rest = h;
    }
    std::string out = prefix;
    for (size_t k = 0; k < rest.size();) {
        size_t j = rest.find('/', k);
        if (j == std::string::npos) j = rest.size();
        if (j > k) {
            if (out.size() > 3) out += '\\';
            out += Utf8ToAnsi(rest.substr(k, j - k));
        }
        k = j + 1;
    }
    return out;
}

std::string CurrentDirectory()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_cwd;
}

bool SetCurrentDirectory(std::string_view winPath, DWORD& error)
{
    std::string host, norm;
    if (!NormalizePath(winPath, norm, error)) return false;
    if (!ToHostPath(norm, host, error)) return false;
    if (!IsDir(host)) {
        error = Exists(host) ? ERROR_DIRECTORY : ERROR_FILE_NOT_FOUND;
        return false;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_cwd = norm;
    return true;
}

DWORD LogicalDrives()
{
    return (1u << 2) | (1u << 25);
}

std::string DriveRoot(char letter)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    letter = static_cast<char>(letter & ~0x20);
    if (letter == 'C') return RootLocked() + "/drive_c";
    if (letter == 'Z') return "/";
    return {};
}

std::string UserName()
{
    std::string name;
    if (passwd* pw = getpwuid(getuid())) name = pw->pw_name;
    if (name.empty())
        if (const char* u = std::getenv("USER")) name = u;
    // Only characters a Windows folder name can carry.
    std::string clean;
    for (char c : Utf8ToAnsi(name))
        if (static_cast<unsigned char>(c) >= 32 && std::string("<>:\"|?*\\/").find(c) == std::string::npos) clean += c;
    while (!clean.empty() && (clean.back() == '.' || clean.back() == ' ')) clean.pop_back();
    return clean.empty() ? "User" : clean;
}

}  // namespace Machine
