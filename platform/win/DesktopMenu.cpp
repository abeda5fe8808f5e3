#include "platform/win/DesktopMenu.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/rtl/FileName.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/Com.h"
#include "platform/win/ElfSection.h"
#include "platform/win/FileChangeHook.h"
#include "platform/win/Machine.h"
#include "platform/win/Shell.h"
#include "platform/win/ShellLinkFile.h"

namespace fs = std::filesystem;

namespace DesktopMenu {

namespace {

std::mutex gMutex;
std::atomic<bool> gEnabled{false};

constexpr size_t kMaxLinkFile = 1u << 20;
constexpr size_t kMaxIconFile = 4u << 20;
const std::string kPngSignature("\x89PNG\r\n\x1a\n", 8);

void Report(const std::string& what, int err)
{
    std::fprintf(stderr, "pallimer: desktop menu: %s: %s\n", what.c_str(), std::strerror(err));
}

bool EndsWithNoCase(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && SameText(s.substr(s.size() - tail.size()), tail);
}

// Reads at most limit bytes of a host file; false when it cannot be opened, is not a
// regular file, or is longer than the limit.
bool ReadHostFile(const std::string& host, size_t limit, std::string& out)
{
    const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st{};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= limit;
    out.clear();
    char buf[16384];
    while (ok) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > limit) ok = false;
    }
    close(fd);
    return ok;
}

// The first bytes of a regular host file (fewer when it is shorter; none on failure).
std::string ReadHead(const std::string& host, size_t n)
{
    const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    struct stat st{};
    std::string head(n, '\0');
    ssize_t got = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? pread(fd, head.data(), n, 0) : -1;
    close(fd);
    head.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return head;
}

bool MakeDirs(const std::string& dir)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        Report(dir, ec.value());
        return false;
    }
    return true;
}

// Writes a file whole (temporary beside it, then rename), only when its content differs.
bool WriteIfChanged(const std::string& path, const std::string& content)
{
    std::string old;
    if (ReadHostFile(path, content.size(), old) && old == content) return true;
    const std::string dir = path.substr(0, path.rfind('/'));
    if (!MakeDirs(dir)) return false;
    const std::string tmp = dir + "/." + path.substr(path.rfind('/') + 1) + "." + std::to_string(getpid()) + ".tmp";
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Report(tmp, errno);
        return false;
    }
    size_t off = 0;
    int err = 0;
    while (off < content.size()) {
        const ssize_t n = write(fd, content.data() + off, content.size() - off);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            err = errno;
            break;
        }
        off += static_cast<size_t>(n);
    }
    if (close(fd) != 0 && !err) err = errno;
    if (!err && rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (err) {
        unlink(tmp.c_str());
        Report(path, err);
        return false;
    }
    return true;
}

bool RemoveFile(const std::string& path)
{
    if (unlink(path.c_str()) == 0 || errno == ENOENT) return true;
    Report(path, errno);
    return false;
}

// Removes dir and its parents while they are empty, up to (not including) stop.
void RemoveEmptyDirs(std::string dir, const std::string& stop)
{
    while (dir.size() > stop.size() && dir.compare(0, stop.size(), stop) == 0 && dir[stop.size()] == '/') {
        if (rmdir(dir.c_str()) != 0) return;
        dir = dir.substr(0, dir.rfind('/'));
    }
}

std::vector<std::string> ListDir(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool StartsWith(const std::string& s, const std::string& head) { return s.compare(0, head.size(), head) == 0; }

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The escapes of a desktop entry's string values.
std::string StringValue(const std::string& s)
{
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\') r += "\\\\";
        else if (c == '\n') r += "\\n";
        else if (c == '\t') r += "\\t";
        else if (c == '\r') r += "\\r";
        else if (c == ' ' && i == 0) r += "\\s";  // a leading space would be trimmed
        else r += c;
    }
    return r;
}

std::string XmlText(const std::string& s)
{
    std::string r;
    for (char c : s) {
        if (c == '&') r += "&amp;";
        else if (c == '<') r += "&lt;";
        else if (c == '>') r += "&gt;";
        else r += c;
    }
    return r;
}

std::string ProgramsFolder()
{
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(0, CSIDL_PROGRAMS, &list))) return {};
    char path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDList(list, path);
    ILFree(list);
    return ok ? std::string(path) : std::string();
}

std::string GroupToken(const std::string& group) { return group.empty() ? "_" : EscapeName(group); }

// One shortcut of a group, as found on the machine.
struct Shortcut {
    std::vector<std::string> Folders;  // ANSI names below the group's folder
    std::string Name;                  // ANSI, without ".lnk"
    std::string WinPath;
    ShellLinkData Link;
};

// The .lnk files under a host folder, recursively when asked, in name order.
void Collect(const std::string& hostDir, const std::string& winDir, const std::vector<std::string>& folders,
             bool recursive, int depth, std::vector<Shortcut>& out)
{
    if (depth > 16) return;  // folders nested deeper than any menu would show
    for (const std::string& utf8 : ListDir(hostDir)) {
        const std::string ansi = Utf8ToAnsi(utf8);
        if (AnsiToUtf8(ansi) != utf8) continue;  // no Windows name
        const std::string host = hostDir + "/" + utf8;
        const std::string win = IncludeTrailingBackslash(winDir) + ansi;
        struct stat st{};
        if (stat(host.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (!recursive) continue;
            std::vector<std::string> sub = folders;
            sub.push_back(ansi);
            Collect(host, win, sub, recursive, depth + 1, out);
        } else if (S_ISREG(st.st_mode) && EndsWithNoCase(ansi, ".lnk") && ansi.size() > 4) {
            std::string bytes, why;
            Shortcut s;
            if (!ReadHostFile(host, kMaxLinkFile, bytes) || !ParseShellLink(bytes, s.Link, why)) continue;
            s.Folders = folders;
            s.Name = ansi.substr(0, ansi.size() - 4);
            s.WinPath = win;
            out.push_back(std::move(s));
        }
    }
}

std::string HostOf(const std::string& winPath)
{
    std::string host;
    DWORD err = 0;
    if (winPath.empty() || !Machine::ToHostPath(winPath, host, err)) return {};
    return host;
}

enum class TargetKind { Program, Document, Folder };

TargetKind KindOf(const std::string& targetHost, const std::string& targetWin)
{
    struct stat st{};
    if (!targetHost.empty() && stat(targetHost.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return TargetKind::Folder;
        if (S_ISREG(st.st_mode) && (st.st_mode & 0111)) {
            const std::string head = ReadHead(targetHost, 4);
            if (head == "\x7f" "ELF" || StartsWith(head, "#!")) return TargetKind::Program;
        }
    }
    // A program of the machine that the host cannot run still is a program: its entry
    // names it in TryExec, and the desktop hides it.
    const std::string ext = LowerCase(ExtractFileExt(targetWin));
    if (ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".cmd" || ext == ".pif") return TargetKind::Program;
    return TargetKind::Document;
}

// A PNG picture for the shortcut: the icon file itself, or the ".icon" section of a
// host executable. Also its width and height.
bool FindIcon(const std::string& host, std::string& png, int& w, int& h)
{
    if (host.empty()) return false;
    if (ReadHead(host, kPngSignature.size()) == kPngSignature) {
        if (!ReadHostFile(host, kMaxIconFile, png)) return false;
    } else if (!ReadElfSectionFromFile(host, ".icon", png)) {
        return false;
    }
    // Signature, then the IHDR chunk: length 13, "IHDR", width and height big-endian.
    if (png.size() < 24 || !StartsWith(png, kPngSignature) || png.compare(12, 4, "IHDR") != 0) return false;
    auto be = [&png](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(png[at])) << 24 |
               static_cast<uint32_t>(static_cast<unsigned char>(png[at + 1])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(png[at + 2])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(png[at + 3]));
    };
    const uint32_t pw = be(16), ph = be(20);
    if (pw < 1 || ph < 1 || pw > 1024 || ph > 1024) return false;
    w = static_cast<int>(pw);
    h = static_cast<int>(ph);
    return true;
}

struct Layout {
    std::string Data, Config, Tag;
    std::string Apps() const { return Data + "/applications/pallimer/" + Tag; }
    std::string Dirs() const { return Data + "/desktop-directories"; }
    std::string Icons() const { return Data + "/icons/hicolor"; }
    std::string Menus() const { return Config + "/menus/applications-merged"; }
};

std::string Join(const std::vector<std::string>& parts, char sep)
{
    std::string r;
    for (const std::string& p : parts) {
        if (!r.empty()) r += sep;
        r += p;
    }
    return r;
}

// The folder chain of a group as escaped tokens: {"tessaly_20v1.1", "extras"}.
std::vector<std::string> Tokens(const std::string& group, const std::vector<std::string>& folders)
{
    std::vector<std::string> t{GroupToken(group)};
    for (const std::string& f : folders) t.push_back(EscapeName(f));
    return t;
}

// A menu of the group and, nested, of its folders.
struct MenuNode {
    std::string Token;  // full id of the folder: pallimer-<tag>-<tokens joined by '-'>
    std::vector<std::string> Entries;
    std::map<std::string, MenuNode> Children;  // by escaped folder name
};

void WriteMenu(const MenuNode& node, int indent, std::string& xml)
{
    const std::string pad(static_cast<size_t>(indent), ' ');
    xml += pad + "<Menu>\n";
    xml += pad + "  <Name>" + XmlText(node.Token) + "</Name>\n";
    xml += pad + "  <Directory>" + XmlText(node.Token) + ".directory</Directory>\n";
    if (!node.Entries.empty()) {
        xml += pad + "  <Include>\n";
        for (const std::string& e : node.Entries) xml += pad + "    <Filename>" + XmlText(e) + "</Filename>\n";
        xml += pad + "  </Include>\n";
    }
    for (const auto& [name, child] : node.Children) WriteMenu(child, indent + 2, xml);
    xml += pad + "</Menu>\n";
}

std::string EntryText(const Shortcut& s, const std::string& iconValue)
{
    const std::string targetHost = HostOf(s.Link.LocalBasePath);
    const TargetKind kind = KindOf(targetHost, s.Link.LocalBasePath);
    std::string t = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    t += "Name=" + StringValue(AnsiToUtf8(s.Name)) + "\n";
    // A comment that only repeats the name says nothing (and validators warn of it).
    if (!s.Link.Description.empty() && !SameText(s.Link.Description, s.Name))
        t += "Comment=" + StringValue(AnsiToUtf8(s.Link.Description)) + "\n";
    const std::string target = targetHost.empty() ? AnsiToUtf8(s.Link.LocalBasePath) : targetHost;
    if (kind == TargetKind::Program) {
        std::vector<std::string> argv{"env", "PALLIMER_ROOT=" + Machine::Root(), target};
        for (const std::string& a : SplitArguments(s.Link.Arguments)) argv.push_back(AnsiToUtf8(a));
        t += "Exec=" + ExecValue(argv) + "\n";
        t += "TryExec=" + StringValue(target) + "\n";
    } else {
        t += "Exec=" + ExecValue({"xdg-open", target}) + "\n";
    }
    const std::string workHost = HostOf(s.Link.WorkingDir);
    if (!workHost.empty()) t += "Path=" + StringValue(workHost) + "\n";
    t += "Icon=" + StringValue(iconValue) + "\n";
    t += "Terminal=false\n";
    t += "X-Pallimer-Root=" + StringValue(Machine::Root()) + "\n";
    t += "X-Pallimer-Shortcut=" + StringValue(AnsiToUtf8(s.WinPath)) + "\n";
    return t;
}

std::string ThemeIcon(const Shortcut& s)
{
    const std::string targetHost = HostOf(s.Link.LocalBasePath);
    switch (KindOf(targetHost, s.Link.LocalBasePath)) {
    case TargetKind::Program: return "application-x-executable";
    case TargetKind::Folder: return "folder";
    case TargetKind::Document: break;
    }
    return LowerCase(ExtractFileExt(s.Link.LocalBasePath)) == ".hlp" ? "help-browser" : "text-x-generic";
}

bool Sync(const Layout& L, const std::string& group)
{
    const std::string programs = ProgramsFolder();
    const std::string token = GroupToken(group);
    const std::string prefix = "pallimer-" + L.Tag + "-" + token;

    std::vector<Shortcut> shortcuts;
    if (!programs.empty()) {
        const std::string winDir = group.empty() ? programs : IncludeTrailingBackslash(programs) + group;
        const std::string hostDir = HostOf(winDir);
        struct stat st{};
        if (!hostDir.empty() && stat(hostDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            Collect(hostDir, winDir, {}, !group.empty(), 0, shortcuts);
    }

    // What the group's files should be: host path -> content.
    std::map<std::string, std::string> want;
    MenuNode root;
    root.Token = prefix;
    for (const Shortcut& s : shortcuts) {
        std::vector<std::string> tokens = Tokens(group, s.Folders);
        const std::string stem = Join(tokens, '-') + "-" + EscapeName(s.Name);
        const std::string id = "pallimer-" + L.Tag + "-" + stem + ".desktop";
        std::string iconValue = ThemeIcon(s);
        std::string png;
        int w = 0, h = 0;
        const std::string iconHost = HostOf(s.Link.IconLocation.empty() ? s.Link.LocalBasePath : s.Link.IconLocation);
        if (FindIcon(iconHost, png, w, h)) {
            iconValue = L.Icons() + "/" + std::to_string(w) + "x" + std::to_string(h) + "/apps/pallimer-" + L.Tag + "-" +
                        stem + ".png";
            want[iconValue] = png;
        }
        want[L.Apps() + "/" + stem + ".desktop"] = EntryText(s, iconValue);
        // The entry goes into the menu of its folder; every folder on the way gets one.
        MenuNode* node = &root;
        std::string folderId = prefix;
        std::string folderName = group;
        for (size_t i = 0; i < s.Folders.size(); ++i) {
            folderId += "-" + tokens[i + 1];
            MenuNode& child = node->Children[tokens[i + 1]];
            child.Token = folderId;
            node = &child;
            want[L.Dirs() + "/" + folderId + ".directory"] =
                "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=" + StringValue(AnsiToUtf8(s.Folders[i])) +
                "\nIcon=folder\n";
        }
        node->Entries.push_back(id);
    }
    if (!shortcuts.empty()) {
        // Plain XML: menu readers take the Menu element as it stands, no document type needed.
        std::string xml = "<Menu>\n  <Name>Applications</Name>\n";
        if (group.empty()) {
            // Shortcuts lying directly in the Programs folder: at the top of the menu.
            xml += "  <Include>\n";
            for (const std::string& e : root.Entries) xml += "    <Filename>" + XmlText(e) + "</Filename>\n";
            xml += "  </Include>\n";
        } else {
            want[L.Dirs() + "/" + prefix + ".directory"] =
                "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=" + StringValue(AnsiToUtf8(group)) + "\nIcon=folder\n";
            WriteMenu(root, 2, xml);
        }
        xml += "</Menu>\n";
        want[L.Menus() + "/" + prefix + ".menu"] = xml;
    }

    // What the group's files are now: every file named after the group in our folders.
    std::vector<std::string> have;
    for (const std::string& n : ListDir(L.Apps()))
        if (StartsWith(n, token + "-") && EndsWith(n, ".desktop")) have.push_back(L.Apps() + "/" + n);
    for (const std::string& n : ListDir(L.Dirs()))
        if ((n == prefix + ".directory" || StartsWith(n, prefix + "-")) && EndsWith(n, ".directory"))
            have.push_back(L.Dirs() + "/" + n);
    for (const std::string& n : ListDir(L.Menus()))
        if (n == prefix + ".menu") have.push_back(L.Menus() + "/" + n);
    for (const std::string& size : ListDir(L.Icons()))
        for (const std::string& n : ListDir(L.Icons() + "/" + size + "/apps"))
            if (StartsWith(n, prefix + "-") && EndsWith(n, ".png")) have.push_back(L.Icons() + "/" + size + "/apps/" + n);

    bool ok = true;
    // Entries first, the menu that names them last, so a menu never lists a missing one.
    std::vector<std::pair<std::string, std::string>> order(want.begin(), want.end());
    std::stable_partition(order.begin(), order.end(), [](const auto& f) { return !EndsWith(f.first, ".menu"); });
    for (const auto& [path, content] : order) ok = WriteIfChanged(path, content) && ok;
    for (const std::string& path : have) {
        if (want.count(path)) continue;
        ok = RemoveFile(path) && ok;
        RemoveEmptyDirs(path.substr(0, path.rfind('/')), path.compare(0, L.Config.size(), L.Config) == 0 ? L.Config : L.Data);
    }
    return ok;
}

Layout CurrentLayout() { return {DataHome(), ConfigHome(), RootTag()}; }

void OnFileChange(FileChange, const std::string& path, const std::string& newPath)
{
    std::vector<std::string> groups;
    for (const std::string* p : {&path, &newPath}) {
        std::string g;
        if (!p->empty() && GroupOfShortcut(*p, g) &&
            std::none_of(groups.begin(), groups.end(), [&g](const std::string& x) { return SameText(x, g); }))
            groups.push_back(g);
    }
    for (const std::string& g : groups) SyncGroup(g);
}

std::string XdgHome(const char* var, const char* fallback)
{
    const char* v = std::getenv(var);
    if (v && v[0] == '/') return v;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + fallback;
}

}  // namespace

void Enable()
{
    gEnabled = true;
    SetFileChangeObserver(&OnFileChange);
}

void Disable()
{
    gEnabled = false;
    SetFileChangeObserver(nullptr);
}

bool IsEnabled() { return gEnabled; }

bool SyncGroup(const std::string& group)
{
    std::lock_guard<std::mutex> lock(gMutex);
    return Sync(CurrentLayout(), group);
}

bool GroupOfShortcut(const std::string& winPath, std::string& group)
{
    if (!EndsWithNoCase(winPath, ".lnk")) return false;
    const std::string programs = ProgramsFolder();
    std::string full, base;
    DWORD err = 0;
    if (programs.empty() || !Machine::NormalizePath(winPath, full, err) || !Machine::NormalizePath(programs, base, err))
        return false;
    base = IncludeTrailingBackslash(base);
    if (full.size() <= base.size() || !SameText(full.substr(0, base.size()), base)) return false;
    const std::string rest = full.substr(base.size());
    const size_t sep = rest.find('\\');
    if (sep == std::string::npos) {
        group.clear();
        return true;
    }
    group = rest.substr(0, sep);
    // The folder's own spelling, when it exists.
    const std::string hostDir = HostOf(base + group);
    struct stat st{};
    if (!hostDir.empty() && stat(hostDir.c_str(), &st) == 0) group = Machine::FromHostPath(hostDir).substr(base.size());
    return true;
}

std::string DataHome() { return XdgHome("XDG_DATA_HOME", "/.local/share"); }

std::string ConfigHome() { return XdgHome("XDG_CONFIG_HOME", "/.config"); }

std::string RootTag()
{
    uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char c : Machine::Root()) h = (h ^ c) * 16777619u;
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", h);
    return buf;
}

std::string EscapeName(const std::string& ansiName)
{
    static const char* hex = "0123456789ABCDEF";
    std::string r;
    for (unsigned char c : LowerCase(ansiName)) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.') {
            r += static_cast<char>(c);
        } else {
            r += '_';
            r += hex[c >> 4];
            r += hex[c & 15];
        }
    }
    return r;
}

std::string ExecValue(const std::vector<std::string>& argv)
{
    std::string line;
    for (const std::string& a : argv) {
        if (!line.empty()) line += ' ';
        const bool quote = a.empty() || a.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
        std::string q;
        if (quote) q += '"';
        for (char c : a) {
            if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) q += '\\';
            q += c;
            if (c == '%') q += '%';
        }
        if (quote) q += '"';
        line += q;
    }
    return StringValue(line);
}

std::vector<std::string> SplitArguments(const std::string& commandLine)
{
    std::vector<std::string> args;
    std::string cur;
    bool inArg = false, quoted = false;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '\\') {
            // Backslashes count only before a quote: 2n give n and a quote, 2n+1 give n and
            // a literal quote.
            size_t n = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') ++n, ++i;
            if (i < commandLine.size() && commandLine[i] == '"') {
                cur.append(n / 2, '\\');
                if (n % 2) {
                    cur += '"';
                } else {
                    quoted = !quoted;
                }
            } else {
                cur.append(n, '\\');
                --i;
            }
            inArg = true;
        } else if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg) args.push_back(cur);
            cur.clear();
            inArg = false;
        } else {
            cur += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(cur);
    return args;
}

}  // namespace DesktopMenu
