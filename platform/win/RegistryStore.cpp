#include "platform/win/RegistryStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/rtl/StrUtils.h"
#include "platform/win/Machine.h"
#include "platform/win/ShellFolders.h"

// ---------------------------------------------------------------------------------
// Roots

namespace {

struct RootName {
    RegHive Hive;
    const char* Full;
    const char* Short;
};

constexpr RootName kRoots[] = {
    {RegHive::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegHive::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegHive::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegHive::Users, "HKEY_USERS", "HKU"},
    {RegHive::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
    {RegHive::DynData, "HKEY_DYN_DATA", "HKDD"},
};

// Full root names only, exact case as regedit writes them... but any case is accepted
// on input, as regedit does.
bool HiveFromFullName(std::string_view name, RegHive& hive)
{
    for (const auto& r : kRoots) {
        if (SameText(name, r.Full)) {
            hive = r.Hive;
            return true;
        }
    }
    return false;
}

}  // namespace

const char* RegHiveRootName(RegHive hive)
{
    for (const auto& r : kRoots)
        if (r.Hive == hive) return r.Full;
    return "";
}

bool RegHiveFromRootName(std::string_view name, RegHive& hive)
{
    for (const auto& r : kRoots) {
        if (SameText(name, r.Full) || SameText(name, r.Short)) {
            hive = r.Hive;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------
// Tree

std::string RegFoldName(std::string_view name) { return UpperCase(name); }

RegKeyNode* RegKeyNode::FindSubKey(std::string_view name) const
{
    auto it = SubKeys.find(RegFoldName(name));
    return it == SubKeys.end() ? nullptr : it->second.get();
}

RegKeyNode* RegKeyNode::AddSubKey(std::string_view name, bool& created)
{
    auto& slot = SubKeys[RegFoldName(name)];
    created = !slot;
    if (!slot) slot = std::make_unique<RegKeyNode>(std::string(name));
    return slot.get();
}

bool RegKeyNode::RemoveSubKey(std::string_view name) { return SubKeys.erase(RegFoldName(name)) > 0; }

const RegValue* RegKeyNode::FindValue(std::string_view name) const
{
    auto it = Values.find(RegFoldName(name));
    return it == Values.end() ? nullptr : &it->second;
}

void RegKeyNode::SetValue(RegValue v)
{
    std::string key = RegFoldName(v.Name);
    Values[key] = std::move(v);
}

bool RegKeyNode::RemoveValue(std::string_view name) { return Values.erase(RegFoldName(name)) > 0; }

RegKeyNode* RegKeyNode::Walk(const std::vector<std::string>& path)
{
    RegKeyNode* k = this;
    for (const auto& c : path) {
        k = k->FindSubKey(c);
        if (!k) return nullptr;
    }
    return k;
}

bool RegKeyNode::SameAs(const RegKeyNode& other) const
{
    if (Name != other.Name || Values.size() != other.Values.size() || SubKeys.size() != other.SubKeys.size())
        return false;
    for (auto a = Values.begin(), b = other.Values.begin(); a != Values.end(); ++a, ++b) {
        if (a->first != b->first || a->second.Name != b->second.Name || a->second.Type != b->second.Type ||
            a->second.Data != b->second.Data)
            return false;
    }
    for (auto a = SubKeys.begin(), b = other.SubKeys.begin(); a != SubKeys.end(); ++a, ++b) {
        if (a->first != b->first || !a->second->SameAs(*b->second)) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------
// REGEDIT4 parsing

std::string RegParseError::Text() const
{
    if (Line > 0) return "line " + std::to_string(Line) + ": " + Message;
    return Message;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

class Parser {
public:
    Parser(std::string_view text, std::vector<RegOp>& ops, RegParseError& err) : text_(text), ops_(ops), err_(err) {}

    bool Run()
    {
        std::string_view line;
        if (!NextLine(line)) return Fail(1, "empty file, \"REGEDIT4\" expected");
        if (TrimView(line) != "REGEDIT4") return Fail(lineNo_, "\"REGEDIT4\" expected on the first line");
        while (NextLine(line)) {
            std::string_view t = TrimView(line);
            if (t.empty() || t.front() == ';') continue;
            if (t.front() == '[') {
                if (!KeyLine(t)) return false;
            } else if (t.front() == '"' || t.front() == '@') {
                if (!ValueLine(t)) return false;
            } else {
                return Fail(lineNo_, "key, value or comment expected");
            }
        }
        return true;
    }

private:
    bool Fail(int line, std::string msg)
    {
        err_.Line = line;
        err_.Message = std::move(msg);
        return false;
    }

    bool NextLine(std::string_view& line)
    {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++lineNo_;
        return true;
    }

    bool KeyLine(std::string_view t)
    {
        if (t.back() != ']') return Fail(lineNo_, "key line without closing ']'");
        std::string_view body = t.substr(1, t.size() - 2);
        bool del = false;
        if (!body.empty() && body.front() == '-') {
            del = true;
            body.remove_prefix(1);
        }
        size_t bs = body.find('\\');
        std::string_view root = body.substr(0, bs);
        RegHive hive;
        if (!HiveFromFullName(root, hive))
            return Fail(lineNo_, "unknown root key \"" + std::string(root) + "\"");
        std::vector<std::string> path;
        if (bs != std::string_view::npos) {
            std::string_view rest = body.substr(bs + 1);
            while (true) {
                size_t n = rest.find('\\');
                std::string_view comp = rest.substr(0, n);
                if (comp.empty()) return Fail(lineNo_, "empty key name in path");
                if (comp.size() > kRegMaxKeyNameLength) return Fail(lineNo_, "key name longer than 255 characters");
                path.emplace_back(comp);
                if (path.size() > kRegMaxKeyDepth) return Fail(lineNo_, "key path nested too deeply");
                if (n == std::string_view::npos) break;
                rest.remove_prefix(n + 1);
            }
        }
        if (del && path.empty()) return Fail(lineNo_, "a root key cannot be deleted");
        RegOp op;
        op.Kind = del ? RegOp::DeleteKey : RegOp::AddKey;
        op.Hive = hive;
        op.Path = path;
        ops_.push_back(std::move(op));
        haveKey_ = !del;
        curHive_ = hive;
        curPath_ = std::move(path);
        return true;
    }

    // Reads a quoted string starting at s[i] == '"'; i ends after the closing quote.
    bool Quoted(std::string_view s, size_t& i, std::string& out)
    {
        ++i;
        while (i < s.size()) {
            char c = s[i++];
            if (c == '"') return true;
            if (c == '\\') {
                if (i >= s.size()) break;
                char e = s[i++];
                if (e != '\\' && e != '"') return Fail(lineNo_, std::string("unknown escape \\") + e);
                out += e;
            } else {
                out += c;
            }
        }
        return Fail(lineNo_, "unterminated string");
    }

    bool ValueLine(std::string_view t)
    {
        int startLine = lineNo_;
        if (!haveKey_) return Fail(lineNo_, "value outside a key");
        RegValue v;
        size_t i = 0;
        if (t[0] == '@') {
            i = 1;
        } else {
            if (!Quoted(t, i, v.Name)) return false;
            if (v.Name.size() > kRegMaxValueNameLength) return Fail(lineNo_, "value name too long");
        }
        while (i < t.size() && IsBlank(t[i])) ++i;
        if (i >= t.size() || t[i] != '=') return Fail(lineNo_, "'=' expected after the value name");
        ++i;
        while (i < t.size() && IsBlank(t[i])) ++i;
        std::string_view data = t.substr(i);

        RegOp op;
        op.Hive = curHive_;
        op.Path = curPath_;
        if (data == "-") {
            op.Kind = RegOp::DeleteValue;
            op.Value = std::move(v);
            ops_.push_back(std::move(op));
            return true;
        }
        op.Kind = RegOp::SetValue;
        if (!data.empty() && data.front() == '"') {
            size_t j = 0;
            std::string s;
            if (!Quoted(data, j, s)) return false;
            if (!TrimView(data.substr(j)).empty()) return Fail(lineNo_, "text after the closing quote");
            v.Type = REG_SZ;
            v.Data = std::move(s);
            v.Data += '\0';
        } else if (StartsWithNoCase(data, "dword:")) {
            std::string_view h = TrimView(data.substr(6));
            if (h.empty() || h.size() > 8) return Fail(lineNo_, "dword value needs 1 to 8 hex digits");
            uint32_t n = 0;
            for (char c : h) {
                int d = HexDigit(c);
                if (d < 0) return Fail(lineNo_, "invalid hex digit in dword value");
                n = (n << 4) | static_cast<uint32_t>(d);
            }
            v.Type = REG_DWORD;
            for (int b = 0; b < 4; ++b) v.Data += static_cast<char>((n >> (8 * b)) & 0xFF);
        } else if (StartsWithNoCase(data, "hex")) {
            size_t j = 3;
            v.Type = REG_BINARY;
            if (j < data.size() && data[j] == '(') {
                size_t close = data.find(')', j);
                if (close == std::string_view::npos || close == j + 1 || close - j - 1 > 8)
                    return Fail(lineNo_, "invalid hex(type) prefix");
                uint32_t n = 0;
                for (size_t k = j + 1; k < close; ++k) {
                    int d = HexDigit(data[k]);
                    if (d < 0) return Fail(lineNo_, "invalid hex digit in value type");
                    n = (n << 4) | static_cast<uint32_t>(d);
                }
                v.Type = n;
                j = close + 1;
            }
            if (j >= data.size() || data[j] != ':') return Fail(lineNo_, "':' expected after hex");
            std::string bytes;
            std::string_view rest = data.substr(j + 1);
            // Continuation lines: a trailing backslash joins the next line.
            while (true) {
                std::string_view part = TrimView(rest);
                bool more = !part.empty() && part.back() == '\\';
                if (more) part.remove_suffix(1);
                if (!HexBytes(part, bytes, more)) return false;
                if (!more) break;
                std::string_view next;
                if (!NextLine(next)) return Fail(lineNo_, "hex value continues past the end of the file");
                rest = next;
            }
            v.Data = std::move(bytes);
        } else {
            return Fail(startLine, "unknown value data");
        }
        op.Value = std::move(v);
        ops_.push_back(std::move(op));
        return true;
    }

    // "01,ff,2a" (whitespace allowed around bytes). With continues set, a trailing comma
    // is expected (the line ended in ",\"). An empty list is allowed.
    bool HexBytes(std::string_view s, std::string& out, bool continues)
    {
        s = TrimView(s);
        if (s.empty()) return true;
        size_t i = 0;
        while (i < s.size()) {
            while (i < s.size() && IsBlank(s[i])) ++i;
            int hi = i < s.size() ? HexDigit(s[i]) : -1;
            if (hi < 0) return Fail(lineNo_, "hex byte expected");
            ++i;
            int v = hi;
            if (i < s.size() && HexDigit(s[i]) >= 0) {
                v = hi * 16 + HexDigit(s[i]);
                ++i;
            }
            out += static_cast<char>(v);
            while (i < s.size() && IsBlank(s[i])) ++i;
            if (i >= s.size()) break;
            if (s[i] != ',') return Fail(lineNo_, "',' expected between hex bytes");
            ++i;
            while (i < s.size() && IsBlank(s[i])) ++i;
            if (i >= s.size()) {
                if (continues) return true;
                return Fail(lineNo_, "hex list ends with ','");
            }
        }
        return true;
    }

    std::string_view text_;
    std::vector<RegOp>& ops_;
    RegParseError& err_;
    size_t pos_ = 0;
    int lineNo_ = 0;
    bool haveKey_ = false;
    RegHive curHive_ = RegHive::LocalMachine;
    std::vector<std::string> curPath_;
};

}  // namespace

bool ParseRegText(std::string_view text, std::vector<RegOp>& ops, RegParseError& error)
{
    Parser p(text, ops, error);
    return p.Run();
}

bool ApplyRegOps(RegKeyNode& root, RegHive hive, const std::vector<RegOp>& ops, RegParseError& error)
{
    for (const auto& op : ops) {
        if (op.Hive != hive) {
            error.Line = 0;
            error.Message = std::string("key outside ") + RegHiveRootName(hive);
            return false;
        }
        RegKeyNode* k = &root;
        bool created = false;
        switch (op.Kind) {
        case RegOp::AddKey:
            for (const auto& c : op.Path) k = k->AddSubKey(c, created);
            break;
        case RegOp::DeleteKey: {
            std::vector<std::string> parent(op.Path.begin(), op.Path.end() - 1);
            if (RegKeyNode* p = root.Walk(parent)) p->RemoveSubKey(op.Path.back());
            break;
        }
        case RegOp::SetValue:
            for (const auto& c : op.Path) k = k->AddSubKey(c, created);
            k->SetValue(op.Value);
            break;
        case RegOp::DeleteValue:
            if (RegKeyNode* p = root.Walk(op.Path)) p->RemoveValue(op.Value.Name);
            break;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------
// REGEDIT4 writing

namespace {

std::string Escape(std::string_view s)
{
    std::string r;
    r.reserve(s.size() + 2);
    for (char c : s) {
        if (c == '\\' || c == '"') r += '\\';
        r += c;
    }
    return r;
}

// A REG_SZ is written quoted only when that form reads back to the same bytes: text
// without NUL, CR or LF, followed by exactly one terminating NUL.
bool QuotableString(const std::string& data)
{
    if (data.empty() || data.back() != '\0') return false;
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        char c = data[i];
        if (c == '\0' || c == '\r' || c == '\n') return false;
    }
    return true;
}

void AppendHex(std::string& out, std::string prefix, const std::string& data)
{
    static const char* digits = "0123456789abcdef";
    std::string line = std::move(prefix);
    for (size_t i = 0; i < data.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(data[i]);
        bool last = i + 1 == data.size();
        line += digits[b >> 4];
        line += digits[b & 15];
        if (!last) {
            line += ',';
            if (line.size() >= 76) {
                out += line;
                out += "\\\r\n";
                line = "  ";
            }
        }
    }
    out += line;
    out += "\r\n";
}

void AppendValue(std::string& out, const RegValue& v)
{
    std::string name = v.Name.empty() ? "@" : "\"" + Escape(v.Name) + "\"";
    if (v.Type == REG_SZ && QuotableString(v.Data)) {
        out += name + "=\"" + Escape(std::string_view(v.Data).substr(0, v.Data.size() - 1)) + "\"\r\n";
    } else if (v.Type == REG_DWORD && v.Data.size() == 4) {
        uint32_t n = 0;
        for (int b = 3; b >= 0; --b) n = (n << 8) | static_cast<unsigned char>(v.Data[static_cast<size_t>(b)]);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        out += name + "=" + buf + "\r\n";
    } else if (v.Type == REG_BINARY) {
        AppendHex(out, name + "=hex:", v.Data);
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "=hex(%x):", v.Type);
        AppendHex(out, name + buf, v.Data);
    }
}

void AppendKey(std::string& out, const RegKeyNode& key, const std::string& path, bool writeSelf)
{
    if (writeSelf) {
        out += "[" + path + "]\r\n";
        // The default value first, as regedit does; the map's order puts "" first anyway.
        for (const auto& [folded, v] : key.Values) AppendValue(out, v);
        out += "\r\n";
    }
    for (const auto& [folded, child] : key.SubKeys) AppendKey(out, *child, path + "\\" + child->Name, true);
}

}  // namespace

std::string SerializeKey(const RegKeyNode& key, const std::string& keyPath, bool header)
{
    std::string out = header ? "REGEDIT4\r\n\r\n" : "";
    AppendKey(out, key, keyPath, true);
    return out;
}

std::string SerializeHive(const RegKeyNode& root, RegHive hive)
{
    std::string out = "REGEDIT4\r\n\r\n";
    AppendKey(out, root, RegHiveRootName(hive), !root.Values.empty());
    return out;
}

// ---------------------------------------------------------------------------------
// The store

namespace {

thread_local std::string tLastError;

std::mutex gMutex;                 // guards the members below
std::unique_ptr<RegKeyNode> gDyn;  // HKEY_DYN_DATA of this process
std::set<std::string> gWarned;     // damaged files already reported on stderr
std::once_flag gHookOnce;
std::atomic<unsigned> gTempCounter{0};

void OnRootChanged()
{
    std::lock_guard<std::mutex> g(gMutex);
    gDyn.reset();
    gWarned.clear();
}

void InstallHook()
{
    std::call_once(gHookOnce, [] { Machine::AddRootChangedHook(&OnRootChanged); });
}

std::string RegistryDir() { return Machine::Root() + "/registry"; }

DWORD FailErrno(int err, const std::string& what)
{
    tLastError = what + ": " + std::strerror(err);
    if (err == ENOSPC || err == EDQUOT || err == EFBIG) return ERROR_DISK_FULL;
    return ErrnoToWinError(err);
}

DWORD EnsureDir(const std::string& dir)
{
    if (mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST) return ERROR_SUCCESS;
    return FailErrno(errno, dir);
}

// The exclusive lock on the registry folder, released on destruction.
class StoreLock {
public:
    StoreLock() = default;
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock()
    {
        if (fd_ >= 0) close(fd_);  // closing the descriptor drops the flock
    }
    DWORD Acquire()
    {
        const std::string dir = RegistryDir();
        if (DWORD e = EnsureDir(dir)) return e;
        const std::string path = dir + "/.lock";
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) return FailErrno(errno, path);
        while (flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) return FailErrno(errno, path);
        }
        return ERROR_SUCCESS;
    }

private:
    int fd_ = -1;
};

// Whole-file read. Returns ERROR_FILE_NOT_FOUND for a missing file.
DWORD ReadWholeFile(const std::string& path, std::string& bytes, mode_t* mode)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return ERROR_FILE_NOT_FOUND;
        return FailErrno(errno, path);
    }
    struct stat st{};
    if (fstat(fd, &st) != 0) {
        int e = errno;
        close(fd);
        return FailErrno(e, path);
    }
    if (mode) *mode = st.st_mode;
    bytes.clear();
    char buf[65536];
    while (true) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            close(fd);
            return FailErrno(e, path);
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return ERROR_SUCCESS;
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t off = 0;
    while (off < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + off, bytes.size() - off);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        off += static_cast<size_t>(n);
    }
    return true;
}

// Replaces path with bytes: temporary file beside it, fsync, rename, fsync of the
// folder. On failure the temporary file is removed and path is unchanged.
DWORD AtomicReplace(const std::string& path, const std::string& bytes, mode_t mode)
{
    const size_t slash = path.rfind('/');
    const std::string dir = path.substr(0, slash);
    const std::string tmp = dir + "/.tmp." + std::to_string(getpid()) + "." +
                            std::to_string(gTempCounter.fetch_add(1)) + "." + path.substr(slash + 1);
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return FailErrno(errno, tmp);
    bool ok = WriteAll(fd, bytes) && fchmod(fd, mode & 07777) == 0 && fsync(fd) == 0;
    int err = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(tmp.c_str());
        return FailErrno(err, path);
    }
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);  // the rename is durable once the folder is; a failure here loses nothing
        close(dfd);
    }
    return ERROR_SUCCESS;
}

// Under the lock no other writer is active, so every temporary file is a left-over of a
// writer that died.
void RemoveStaleTemporaries()
{
    const std::string dir = RegistryDir();
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        if (std::strncmp(e->d_name, ".tmp.", 5) == 0) unlink((dir + "/" + e->d_name).c_str());
    }
    closedir(d);
}

void MakeHostDirs(const std::string& winPath)
{
    std::string host;
    DWORD err = 0;
    if (!Machine::ToHostPath(winPath, host, err)) return;
    for (size_t i = 1; i <= host.size(); ++i) {
        if (i == host.size() || host[i] == '/') mkdir(host.substr(0, i).c_str(), 0755);
    }
}

std::unique_ptr<RegKeyNode> SeedTree(RegHive hive)
{
    auto root = std::make_unique<RegKeyNode>();
    bool created = false;
    auto addPath = [&](const std::string& path) {
        RegKeyNode* k = root.get();
        size_t start = 0;
        while (start <= path.size()) {
            size_t n = path.find('\\', start);
            if (n == std::string::npos) n = path.size();
            k = k->AddSubKey(path.substr(start, n - start), created);
            start = n + 1;
        }
        return k;
    };
    auto addString = [](RegKeyNode* k, const std::string& name, const std::string& text) {
        RegValue v;
        v.Name = name;
        v.Type = REG_SZ;
        v.Data = text;
        v.Data += '\0';
        k->SetValue(std::move(v));
    };
    switch (hive) {
    case RegHive::CurrentUser: {
        RegKeyNode* k = addPath(kShellFoldersKey);
        for (const auto& e : DefaultShellFolders()) addString(k, e.ValueName, e.Path);
        break;
    }
    case RegHive::LocalMachine: {
        RegKeyNode* k = addPath(kCurrentVersionKey);
        for (const auto& e : DefaultMachineFolders()) addString(k, e.ValueName, e.Path);
        addPath(std::string(kCurrentVersionKey) + "\\Uninstall");
        break;
    }
    case RegHive::Users:
        addPath(".Default\\Software");
        break;
    default:
        break;
    }
    return root;
}

constexpr RegHive kFileHives[] = {RegHive::ClassesRoot, RegHive::CurrentUser, RegHive::LocalMachine,
                                  RegHive::Users, RegHive::CurrentConfig};

// Writes every missing hive file with its seed, and creates the folders the seeded values
// name. Caller holds the lock.
DWORD SeedMissingHives()
{
    for (RegHive h : kFileHives) {
        const std::string path = RegistryStore::HiveFile(h);
        if (access(path.c_str(), F_OK) == 0) continue;
        if (errno != ENOENT) return FailErrno(errno, path);
        auto tree = SeedTree(h);
        if (DWORD e = AtomicReplace(path, SerializeHive(*tree, h), 0644)) return e;
        if (h == RegHive::CurrentUser)
            for (const auto& e : DefaultShellFolders()) MakeHostDirs(e.Path);
        if (h == RegHive::LocalMachine)
            for (const auto& e : DefaultMachineFolders()) MakeHostDirs(e.Path);
    }
    return ERROR_SUCCESS;
}

// Loads a hive file into a tree. A damaged file is reported once per content on stderr.
// lockHeld: the caller already holds the store's lock (a second flock from this process
// would wait for itself).
DWORD LoadHive(RegHive hive, std::unique_ptr<RegKeyNode>& tree, mode_t* mode, bool lockHeld)
{
    const std::string path = RegistryStore::HiveFile(hive);
    std::string bytes;
    DWORD e = ReadWholeFile(path, bytes, mode);
    if (e == ERROR_FILE_NOT_FOUND) {
        StoreLock lock;
        if (!lockHeld && (e = lock.Acquire())) return e;
        if ((e = SeedMissingHives())) return e;
        e = ReadWholeFile(path, bytes, mode);
    }
    if (e) return e;
    std::vector<RegOp> ops;
    RegParseError perr;
    tree = std::make_unique<RegKeyNode>();
    if (!ParseRegText(bytes, ops, perr) || !ApplyRegOps(*tree, hive, ops, perr)) {
        tLastError = path + ": " + perr.Text();
        std::lock_guard<std::mutex> g(gMutex);
        if (gWarned.insert(path + "\n" + bytes).second)
            std::fprintf(stderr, "pallimer: the registry file %s is damaged (%s); it is left as it is\n",
                         path.c_str(), perr.Text().c_str());
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

DWORD CheckWritable(mode_t mode, RegHive hive)
{
    if ((mode & 0222) == 0) {
        tLastError = RegistryStore::HiveFile(hive) + ": the file is read-only";
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

RegKeyNode& DynRoot()
{
    if (!gDyn) gDyn = std::make_unique<RegKeyNode>();
    return *gDyn;
}

}  // namespace

namespace RegistryStore {

std::string HiveFile(RegHive hive)
{
    if (hive == RegHive::DynData) return {};
    return RegistryDir() + "/" + RegHiveRootName(hive) + ".reg";
}

std::string LastErrorText() { return tLastError; }

DWORD ReadRaw(RegHive hive, ReadFn fn, void* ctx)
{
    InstallHook();
    if (hive == RegHive::DynData) {
        std::lock_guard<std::mutex> g(gMutex);
        return fn(ctx, DynRoot());
    }
    std::unique_ptr<RegKeyNode> tree;
    if (DWORD e = LoadHive(hive, tree, nullptr, false)) return e;
    return fn(ctx, *tree);
}

DWORD ModifyRaw(RegHive hive, ModifyFn fn, void* ctx)
{
    InstallHook();
    if (hive == RegHive::DynData) {
        std::lock_guard<std::mutex> g(gMutex);
        bool changed = false;
        return fn(ctx, DynRoot(), changed);
    }
    // The tree edited is the one on disk while the lock is held, so no other writer's
    // change can slip in between the read and the replace.
    StoreLock lock;
    if (DWORD e = lock.Acquire()) return e;
    RemoveStaleTemporaries();
    std::unique_ptr<RegKeyNode> tree;
    mode_t mode = 0644;
    if (DWORD e = LoadHive(hive, tree, &mode, true)) return e;
    bool changed = false;
    if (DWORD e = fn(ctx, *tree, changed)) return e;
    if (!changed) return ERROR_SUCCESS;
    if (DWORD e = CheckWritable(mode, hive)) return e;
    return AtomicReplace(HiveFile(hive), SerializeHive(*tree, hive), mode);
}

bool HiveWritable(RegHive hive, DWORD& error)
{
    InstallHook();
    error = ERROR_SUCCESS;
    if (hive == RegHive::DynData) return true;
    std::unique_ptr<RegKeyNode> tree;
    mode_t mode = 0644;
    if ((error = LoadHive(hive, tree, &mode, false))) return false;
    error = CheckWritable(mode, hive);
    return error == ERROR_SUCCESS;
}

DWORD Import(std::string_view text, RegParseError& error)
{
    std::vector<RegOp> ops;
    if (!ParseRegText(text, ops, error)) {
        tLastError = error.Text();
        return ERROR_BADDB;
    }
    for (RegHive h : {RegHive::ClassesRoot, RegHive::CurrentUser, RegHive::LocalMachine, RegHive::Users,
                      RegHive::CurrentConfig, RegHive::DynData}) {
        std::vector<RegOp> mine;
        for (const auto& op : ops)
            if (op.Hive == h) mine.push_back(op);
        if (mine.empty()) continue;
        DWORD e = Modify(h, [&](RegKeyNode& root, bool& changed) -> DWORD {
            RegParseError perr;
            if (!ApplyRegOps(root, h, mine, perr)) return ERROR_BADDB;
            changed = true;
            return ERROR_SUCCESS;
        });
        if (e) {
            error.Line = 0;
            error.Message = LastErrorText().empty() ? std::string("cannot write ") + RegHiveRootName(h)
                                                    : LastErrorText();
            return e;
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace RegistryStore
