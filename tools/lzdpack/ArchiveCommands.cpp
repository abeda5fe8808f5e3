// lzdpack's archive commands: create, list, extract, test and stamp. Paths on the
// command line are host paths; the archive component sees them as the emulated
// machine's Windows names (Z:\... for the host's tree). Every failure ends with one
// line on standard error that names the file and what is wrong, and exit status 1.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/lzdpack/Commands.h"

#include "archive/Lzh_btch.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/FileStream.h"
#include "platform/win/Files.h"
#include "platform/win/Machine.h"
#include "platform/win/SysFiles.h"

namespace {

class UsageError : public Exception {
public:
    using Exception::Exception;
};

std::string WinPath(const std::string& host)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(host, ec);
    if (ec) throw UsageError("Invalid path " + host);
    return Machine::FromHostPath(p.lexically_normal().string());
}

// Options of one command: flags, options with a value, and the remaining operands.
struct Args {
    std::vector<std::string> operands;
    std::vector<std::string> flags;
    std::vector<std::pair<std::string, std::string>> values;

    bool Has(const std::string& f) const
    {
        for (const auto& x : flags)
            if (x == f) return true;
        return false;
    }
    std::string Value(const std::string& name, const std::string& def = {}) const
    {
        std::string r = def;
        for (const auto& [k, v] : values)
            if (k == name) r = v;
        return r;
    }
};

Args Parse(const std::vector<std::string>& argv, const std::vector<std::string>& flags,
           const std::vector<std::string>& valued)
{
    Args a;
    bool operandsOnly = false;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& s = argv[i];
        if (operandsOnly || s.empty() || s[0] != '-' || s == "-") {
            a.operands.push_back(s);
            continue;
        }
        if (s == "--") {
            operandsOnly = true;
            continue;
        }
        std::string name = s, value;
        bool inlineValue = false;
        if (size_t eq = s.find('='); eq != std::string::npos && s.rfind("--", 0) == 0) {
            name = s.substr(0, eq);
            value = s.substr(eq + 1);
            inlineValue = true;
        }
        if (std::find(flags.begin(), flags.end(), name) != flags.end() && !inlineValue) {
            a.flags.push_back(name);
        } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
            if (!inlineValue) {
                if (i + 1 >= argv.size()) throw UsageError("Option " + name + " needs a value");
                value = argv[++i];
            }
            a.values.emplace_back(name, value);
        } else {
            throw UsageError("Unknown option " + s);
        }
    }
    return a;
}

// A one-line progress bar on standard error, only when that is a terminal.
class ProgressBar {
public:
    ProgressBar() : on_(::isatty(2) == 1) {}
    ~ProgressBar() { Done(); }
    void Show(const std::string& name, int64_t done, int64_t total)
    {
        if (!on_) return;
        int pct = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        if (pct == last_ && name == lastName_) return;
        last_ = pct;
        lastName_ = name;
        const int width = 30;
        int fill = pct * width / 100;
        std::string shown = name.size() > 40 ? "..." + name.substr(name.size() - 37) : name;
        std::fprintf(stderr, "\r[%s%s] %3d%%  %-40s", std::string(static_cast<size_t>(fill), '#').c_str(),
                     std::string(static_cast<size_t>(width - fill), ' ').c_str(), pct, shown.c_str());
        std::fflush(stderr);
        shown_ = true;
    }
    void Done()
    {
        if (shown_) std::fputc('\n', stderr);
        shown_ = false;
    }

private:
    bool on_;
    bool shown_ = false;
    int last_ = -1;
    std::string lastName_;
};

void Attach(TLZHBatch& b, ProgressBar& bar)
{
    b.OnProgress = [&bar](TObject*, const std::string& f, int32_t, int32_t, int32_t tw, int32_t tb, bool&) {
        bar.Show(f, tw, tb);
    };
}

// Opens ARCHIVE for reading; an archive that does not read cleanly is an error.
void OpenArchive(TLZHBatch& b, const std::string& host)
{
    std::string win = WinPath(host);
    if (!FileExists(win)) throw EArchiveError(host + ": no such archive file");
    b.SetArchiveFileName(win);
    if (!b.ValidArchive()) throw EArchiveError(host + ": not a valid archive");
}

std::string DateText(double dt)
{
    if (dt < -657434.0 || dt > 2958465.0) return FloatToStr(dt);
    TSystemTime st = DateTimeToSystemTime(dt);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", st.Year, st.Month, st.Day, st.Hour, st.Minute, st.Second);
}

std::string AttrText(int32_t a)
{
    std::string s;
    s += a & 0x01 ? 'R' : '-';
    s += a & 0x02 ? 'H' : '-';
    s += a & 0x04 ? 'S' : '-';
    s += a & 0x20 ? 'A' : '-';
    s += a & 0x80 ? 'N' : '-';
    return s;
}

int CmdCreate(const std::vector<std::string>& argv)
{
    Args a = Parse(argv, {"--recurse", "--add"}, {"--directory-info", "--root"});
    if (a.operands.size() < 2) throw UsageError("usage: lzdpack create ARCHIVE PATH... [--recurse] [--directory-info none|relative|full] [--root DIR] [--add]");
    TLZHBatch b(nullptr);
    std::string info = a.Value("--directory-info", "none");
    if (info == "none") b.SetDirectoryInfo(diNone);
    else if (info == "relative") b.SetDirectoryInfo(diRelativePath);
    else if (info == "full") b.SetDirectoryInfo(diFullPath);
    else throw UsageError("--directory-info takes none, relative or full, not " + info);
    std::string root = a.Value("--root");
    if (!root.empty()) b.SetRootDirectory(WinPath(root));
    b.SetRecurseDirectories(a.Has("--recurse"));
    b.SetArchiveMode(a.Has("--add") ? amAdd : amNew);
    TStringList inputs;
    for (size_t i = 1; i < a.operands.size(); ++i) {
        const std::string& p = a.operands[i];
        // A relative path goes below --root when one is given, as the component does.
        bool relative = !p.empty() && p[0] != '/';
        inputs.Add(relative && !root.empty() ? p : WinPath(p));
    }
    b.SetInputFiles(&inputs);
    // The archive is named before the inputs are collected, so it is never one of them.
    std::string archive = WinPath(a.operands[0]);
    if (a.Has("--add") && FileExists(archive)) {
        b.SetArchiveFileName(archive);
        if (!b.ValidArchive()) throw EArchiveError(a.operands[0] + ": not a valid archive");
    } else {
        b.SetArchiveFileName(archive);
    }
    b.OnCollectError = [](TObject*, const std::string&, TCollectErrorAction& act) { act = ceAbort; };
    ProgressBar bar;
    Attach(b, bar);
    b.CreateArchive();
    bar.Done();
    return 0;
}

int CmdList(const std::vector<std::string>& argv)
{
    Args a = Parse(argv, {"--raw"}, {});
    if (a.operands.size() != 1) throw UsageError("usage: lzdpack list ARCHIVE [--raw]");
    TLZHBatch b(nullptr);
    OpenArchive(b, a.operands[0]);
    if (a.Has("--raw")) {
        for (int i = 0; i < b.Files()->Count(); ++i) std::printf("%s\n", b.Files()->Strings(i).c_str());
        return 0;
    }
    std::printf("%12s %12s %6s %-5s %-19s %10s  %s\n", "Size", "Packed", "Ratio", "Attr", "Date", "Offset", "Name");
    int64_t size = 0, packed = 0;
    for (int i = 0; i < b.Files()->Count(); ++i) {
        TArchiveEntry e;
        if (auto* x = dynamic_cast<TExtraInfo*>(b.Files()->Objects(i))) e.Offset = x->Offset;
        ParseFileLine(b.Files()->Strings(i), e);
        size += e.Size;
        packed += e.CompressedSize;
        std::string ratio = e.Size > 0 ? Format("%5.1f%%", 100.0 * e.CompressedSize / e.Size) : "     -";
        std::printf("%12d %12d %6s %-5s %-19s %10d  %s\n", e.Size, e.CompressedSize, ratio.c_str(),
                    AttrText(e.Attributes).c_str(), DateText(e.DateTime).c_str(), e.Offset, e.Name.c_str());
    }
    std::string ratio = size > 0 ? Format("%5.1f%%", 100.0 * static_cast<double>(packed) / static_cast<double>(size)) : "     -";
    std::printf("%12lld %12lld %6s %d file(s)\n", static_cast<long long>(size), static_cast<long long>(packed),
                ratio.c_str(), b.Files()->Count());
    return 0;
}

int CmdExtract(const std::vector<std::string>& argv)
{
    Args a = Parse(argv, {"--use-directory-names", "--no-overwrite", "--skip-existing", "--restore-dates",
                          "--restore-attributes"},
                   {"-C"});
    if (a.operands.size() != 1)
        throw UsageError("usage: lzdpack extract ARCHIVE [-C DIR] [--use-directory-names] [--no-overwrite] "
                         "[--skip-existing] [--restore-dates] [--restore-attributes]");
    if (a.Has("--no-overwrite") && a.Has("--skip-existing"))
        throw UsageError("--no-overwrite and --skip-existing exclude each other");
    TLZHBatch b(nullptr);
    OpenArchive(b, a.operands[0]);
    b.SetOutputDirectory(WinPath(a.Value("-C", ".")));
    b.SetUseDirectoryNames(a.Has("--use-directory-names"));
    b.SetRestoreFileDate(a.Has("--restore-dates"));
    b.SetRestoreAttributes(a.Has("--restore-attributes"));
    if (a.Has("--no-overwrite") || a.Has("--skip-existing")) b.SetOverwriteExisting(false);
    if (a.Has("--skip-existing"))
        b.OnFileExist = [](TObject*, const std::string&, TFileExistAction& act) { act = faSkip; };
    ProgressBar bar;
    Attach(b, bar);
    b.ExtractArchive();
    bar.Done();
    return 0;
}

int CmdTest(const std::vector<std::string>& argv)
{
    Args a = Parse(argv, {}, {});
    if (a.operands.size() != 1) throw UsageError("usage: lzdpack test ARCHIVE");
    TLZHBatch b(nullptr);
    OpenArchive(b, a.operands[0]);
    ProgressBar bar;
    Attach(b, bar);
    b.TestArchive();
    bar.Done();
    std::printf("%s: %d file(s) OK\n", a.operands[0].c_str(), b.Files()->Count());
    return 0;
}

// Gives files the attributes and the local last-write time an archive is to record.
int CmdStamp(const std::vector<std::string>& argv)
{
    Args a = Parse(argv, {}, {"--attributes", "--date"});
    if (a.operands.empty()) throw UsageError("usage: lzdpack stamp FILE... [--attributes N] [--date \"YYYY-MM-DD HH:MM:SS\"]");
    std::string attr = a.Value("--attributes"), date = a.Value("--date");
    FILETIME ft{};
    if (!date.empty()) {
        int y, mo, d, h, mi, s;
        char tail;
        TDateTime dt;
        if (std::sscanf(date.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
            !TryEncodeDate(y, mo, d, dt) || !TryEncodeTime(h, mi, s, 0, dt))
            throw UsageError("--date wants \"YYYY-MM-DD HH:MM:SS\", not " + date);
        // Local ticks since 1601 -> UTC, to the second.
        int64_t days = static_cast<int64_t>(EncodeDate(y, mo, d)) + 109205;
        int64_t ticks = ((days * 86400 + h * 3600 + mi * 60 + s) * 1000) * 10000;
        FILETIME local{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        if (!LocalFileTimeToFileTime(&local, &ft)) throw UsageError("--date " + date + " is not a valid local time");
    }
    int attrValue = 0;
    if (!attr.empty() && !TryStrToInt(attr, attrValue)) throw UsageError("--attributes wants a number, not " + attr);
    for (const std::string& f : a.operands) {
        std::string win = WinPath(f);
        if (!date.empty()) {
            HANDLE h = CreateFileA(win, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
            if (h == INVALID_HANDLE_VALUE) throw EArchiveError(f + ": " + SysErrorMessage(GetLastError()));
            bool ok = SetFileTime(h, nullptr, nullptr, &ft);
            DWORD err = GetLastError();
            CloseHandle(h);
            if (!ok) throw EArchiveError(f + ": " + SysErrorMessage(err));
        }
        if (!attr.empty() && FileSetAttr(win, attrValue) != 0)
            throw EArchiveError(f + ": " + SysErrorMessage(GetLastError()));
    }
    return 0;
}

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const std::vector<std::string>&);
};

const Command kCommands[] = {
    {"create", "create ARCHIVE PATH...   pack files (--recurse, --directory-info, --root, --add)", CmdCreate},
    {"list", "list ARCHIVE            show the entries (--raw: the file list lines)", CmdList},
    {"extract", "extract ARCHIVE         unpack (-C DIR, --use-directory-names, --no-overwrite, --skip-existing, "
                "--restore-dates, --restore-attributes)",
     CmdExtract},
    {"test", "test ARCHIVE            expand every entry to nowhere and check its length", CmdTest},
    {"stamp", "stamp FILE...           set attributes (--attributes N) and local date (--date)", CmdStamp},
};

}  // namespace

// Runs an archive command. Returns -1 when Name is not one of them, else the exit status.
int RunArchiveCommand(const std::string& Name, const std::vector<std::string>& Args)
{
    for (const Command& c : kCommands) {
        if (Name != c.name) continue;
        try {
            return c.run(Args);
        } catch (const Exception& e) {
            std::string m = StringReplaceAll(e.Message(), "\r\n", " ");
            std::fprintf(stderr, "lzdpack %s: %s\n", c.name, m.c_str());
            return 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "lzdpack %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    return -1;
}

// One line per command, for the tool's usage text.
std::vector<std::string> ArchiveCommandSummaries()
{
    std::vector<std::string> r;
    for (const Command& c : kCommands) r.push_back(c.summary);
    return r;
}
