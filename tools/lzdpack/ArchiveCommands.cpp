// lzdpack's archive commands: create, list, extract, test and stamp. Paths on the
// command line are host paths; the archive component sees them as the emulated
// machine's Windows names (HostNames.h), and its messages are given back in the
// user's terms. What create and extract write follows the rules of Output.h: the
// component writes into a staging place (a free name beside the archive, a hidden
// folder inside the output directory), and each finished file is then delivered to
// the name it belongs at, replacing a regular file in one rename or writing into a
// device or pipe.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "archive/Lzh_btch.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/FileStream.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"
#include "tools/lzdpack/CommandLine.h"
#include "tools/lzdpack/Commands.h"
#include "tools/lzdpack/HostNames.h"
#include "tools/lzdpack/Output.h"

namespace {

// lzdpack reads and writes whole buffers of this size (the component's default is 4 KiB).
constexpr uint16_t kBufferSize = 32768;

// A one-line progress bar on standard error, only when that is a terminal.
class ProgressBar {
public:
    ProgressBar() : on_(::isatty(2) == 1) {}
    ~ProgressBar() { Done(); }
    bool On() const { return on_; }
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

void Attach(TLZHBatch& b, ProgressBar& bar, const THostNames& names)
{
    if (!bar.On()) return;
    b.OnProgress = [&bar, &names](TObject*, const std::string& f, int32_t, int32_t, int32_t tw, int32_t tb, bool&) {
        bar.Show(names.Message(f), tw, tb);
    };
}

std::string SysText(int err) { return std::strerror(err); }

// Opens ARCHIVE for reading; an archive that does not read cleanly is an error.
void OpenArchive(TLZHBatch& b, THostNames& names, const std::string& host)
{
    std::string win = names.Win(host);
    if (DirectoryExists(win)) throw ECommandError(host + ": Is a directory");
    if (!FileExists(win)) throw ECommandError(host + ": No such file or directory");
    b.SetArchiveFileName(win);
    if (!b.ValidArchive()) throw ECommandError(host + ": not a valid archive");
}

// The host file a name leads to on the machine (existing names found regardless of
// case, as the component finds them).
std::string MachineHost(THostNames& names, const std::string& host, const std::string& shown)
{
    std::string found = THostNames::Host(names.Win(host, shown));
    return found.empty() ? host : found;
}

// `shown` followed by a path below it, for messages.
std::string Below(const std::string& shown, const std::string& rel)
{
    if (shown.empty()) return rel;
    return shown + (shown.back() == '/' ? "" : "/") + rel;
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

// The staged archive of create: a free name beside the archive (or in a scratch folder
// for a device or pipe), holding the old archive when adding, delivered at the end.
class StagedArchive {
public:
    StagedArchive(const std::string& host, const std::string& typed, bool adding)
        : shown_(typed), place_(LocateOutput(host, typed))
    {
        if (place_.kind == TOutputPlace::Into) {
            if (adding) throw ECommandError(typed + ": cannot add to an archive that is not a regular file");
            scratch_.emplace();
        } else {
            // The staged files go beside the archive: its folder must be there.
            std::error_code ec;
            if (!std::filesystem::is_directory(std::filesystem::path(place_.path).parent_path(), ec))
                throw ECommandError(typed + ": " + SysText(ENOENT));
        }
        name_ = StagingName(place_, scratch_ ? scratch_->Path() : std::string());
        // Adding reads the old archive: the staged name starts as another link to it
        // (or a copy), so the old one stays untouched until the rename.
        if (adding && place_.kind == TOutputPlace::RegularFile && ::link(place_.path.c_str(), name_.c_str()) != 0) {
            std::error_code ec;
            if (!std::filesystem::copy_file(place_.path, name_, ec))
                throw ECommandError(typed + ": " + ec.message());
        }
    }
    ~StagedArchive()
    {
        if (!name_.empty()) ::unlink(name_.c_str());
    }
    StagedArchive(const StagedArchive&) = delete;
    StagedArchive& operator=(const StagedArchive&) = delete;

    const std::string& Name() const { return name_; }
    // The file the archive ends up in (links followed).
    const std::string& Final() const { return place_.path; }
    bool Exists() const { return place_.kind == TOutputPlace::RegularFile; }
    void Deliver()
    {
        DeliverFile(name_, place_, shown_, true);
        name_.clear();
    }

private:
    std::string shown_;
    TOutputPlace place_;
    std::optional<TScratchDir> scratch_;
    std::string name_;
};

// The path below the output directory that the component gives a stored name.
std::string EntryPath(const std::string& stored, bool useDirectoryNames)
{
    std::string name = StringReplaceAll(stored, "/", "\\");
    if (useDirectoryNames) return !name.empty() && name[0] == '\\' ? name.substr(1) : name;
    size_t cut = name.find_last_of("\\:");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

// A hidden folder inside the output directory that the component extracts into.
class StagingFolder {
public:
    explicit StagingFolder(const std::string& dir, const std::string& shown)
    {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) throw ECommandError(shown + ": " + ec.message());
        std::string t = dir + "/.lzdpack-XXXXXX";
        std::vector<char> buf(t.begin(), t.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data())) throw ECommandError((shown.empty() ? "." : shown) + ": " + SysText(errno));
        path_ = buf.data();
    }
    ~StagingFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

int CmdCreate(const std::vector<std::string>& argv, THostNames& names)
{
    Args a = Parse(argv, {"--recurse", "--add"}, {"--directory-info", "--root"});
    if (a.operands.size() < 2) throw UsageError("an archive and at least one path to pack are needed");
    TLZHBatch b(nullptr);
    b.SetInputBufferSize(kBufferSize);
    b.SetOutputBufferSize(kBufferSize);
    std::string info = a.Value("--directory-info", "none");
    if (info == "none") b.SetDirectoryInfo(diNone);
    else if (info == "relative") b.SetDirectoryInfo(diRelativePath);
    else if (info == "full") b.SetDirectoryInfo(diFullPath);
    else throw UsageError("--directory-info takes none, relative or full, not " + info);
    std::string root = a.Value("--root");
    if (!root.empty()) b.SetRootDirectory(names.Win(root));
    b.SetRecurseDirectories(a.Has("--recurse"));
    TStringList inputs;
    for (size_t i = 1; i < a.operands.size(); ++i) {
        const std::string& p = a.operands[i];
        // A relative path goes below --root when one is given, as the component does.
        bool relative = !p.empty() && p[0] != '/';
        inputs.Add(relative && !root.empty() ? Utf8ToAnsi(p) : names.Win(p));
    }
    b.SetInputFiles(&inputs);

    const std::string& typed = a.operands[0];
    const std::string archiveWin = names.Win(typed);
    StagedArchive staged(MachineHost(names, typed, typed), typed, a.Has("--add"));
    const std::string finalWin = names.Win(staged.Final(), typed);
    const std::string stagedWin = names.Win(staged.Name(), typed);
    // The archive is never one of its own inputs, under its name or the one a link
    // leads to (the component itself leaves out only the staged name).
    b.OnCollecting = [&](TObject*, const std::string& path, TCollectAction& act) {
        if (SameText(path, archiveWin) || SameText(path, finalWin)) act = caSkip;
    };
    b.OnCollectError = [](TObject*, const std::string&, TCollectErrorAction& act) { act = ceAbort; };
    b.SetArchiveMode(a.Has("--add") ? amAdd : amNew);
    b.SetArchiveFileName(stagedWin);
    if (a.Has("--add") && staged.Exists() && !b.ValidArchive()) throw ECommandError(typed + ": not a valid archive");
    ProgressBar bar;
    Attach(b, bar, names);
    b.CreateArchive();
    bar.Done();
    staged.Deliver();
    return 0;
}

int CmdList(const std::vector<std::string>& argv, THostNames& names)
{
    Args a = Parse(argv, {"--raw"}, {});
    if (a.operands.size() != 1) throw UsageError("one archive is needed");
    TLZHBatch b(nullptr);
    OpenArchive(b, names, a.operands[0]);
    if (a.Has("--raw")) {
        for (int i = 0; i < b.Files()->Count(); ++i) std::printf("%s\n", AnsiToUtf8(b.Files()->Strings(i)).c_str());
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
                    AttrText(e.Attributes).c_str(), DateText(e.DateTime).c_str(), e.Offset, AnsiToUtf8(e.Name).c_str());
    }
    std::string ratio = size > 0 ? Format("%5.1f%%", 100.0 * static_cast<double>(packed) / static_cast<double>(size)) : "     -";
    std::printf("%12lld %12lld %6s %d file(s)\n", static_cast<long long>(size), static_cast<long long>(packed),
                ratio.c_str(), b.Files()->Count());
    return 0;
}

int CmdExtract(const std::vector<std::string>& argv, THostNames& names)
{
    Args a = Parse(argv, {"--use-directory-names", "--no-overwrite", "--skip-existing", "--restore-dates",
                          "--restore-attributes"},
                   {"-C"});
    if (a.operands.size() != 1) throw UsageError("one archive is needed");
    const bool noOverwrite = a.Has("--no-overwrite"), skipExisting = a.Has("--skip-existing");
    if (noOverwrite && skipExisting) throw UsageError("--no-overwrite and --skip-existing exclude each other");
    TLZHBatch b(nullptr);
    b.SetInputBufferSize(kBufferSize);
    b.SetOutputBufferSize(kBufferSize);
    OpenArchive(b, names, a.operands[0]);
    const std::string shownDir = a.Value("-C");
    const std::string dir = MachineHost(names, shownDir.empty() ? "." : shownDir, shownDir);
    StagingFolder staging(dir, shownDir);
    const std::string dirWin = names.Win(dir, shownDir);
    const std::string stagingWin = names.Win(staging.Path(), shownDir);
    b.SetOutputDirectory(stagingWin);
    b.SetUseDirectoryNames(a.Has("--use-directory-names"));
    b.SetRestoreFileDate(a.Has("--restore-dates"));
    b.SetRestoreAttributes(a.Has("--restore-attributes"));
    // Inside the staging folder these rules meet only entries stored twice.
    if (noOverwrite || skipExisting) b.SetOverwriteExisting(false);
    if (skipExisting) b.OnFileExist = [](TObject*, const std::string&, TFileExistAction& act) { act = faSkip; };
    ProgressBar bar;
    Attach(b, bar, names);
    std::exception_ptr failure;
    try {
        b.ExtractArchive();
    } catch (...) {
        failure = std::current_exception();  // what was extracted before is still delivered
    }
    bar.Done();
    // Deliver in archive order; an entry stored twice was extracted once, its last copy.
    for (int i = 0; i < b.Files()->Count(); ++i) {
        TArchiveEntry e;
        if (!ParseFileLine(b.Files()->Strings(i), e)) continue;
        const std::string rel = EntryPath(e.Name, b.UseDirectoryNames());
        const std::string from = THostNames::Host(stagingWin + "\\" + rel);
        struct stat st {};
        if (from.empty() || ::lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const std::string to = THostNames::Host(dirWin + "\\" + rel);
        const std::string shown = Below(shownDir, AnsiToUtf8(StringReplaceAll(rel, "\\", "/")));
        if (to.empty()) throw ECommandError("Cannot write to " + shown);
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(to).parent_path(), ec);
        if (ec) throw ECommandError("Cannot write to " + shown + ": " + ec.message());
        if (::lstat(to.c_str(), &st) == 0) {
            if (noOverwrite) throw ECommandError("Cannot write to " + shown + ". File already exists");
            if (skipExisting) continue;
        }
        DeliverFile(from, LocateOutput(to, shown), shown, false);
    }
    if (failure) std::rethrow_exception(failure);
    return 0;
}

int CmdTest(const std::vector<std::string>& argv, THostNames& names)
{
    Args a = Parse(argv, {}, {});
    if (a.operands.size() != 1) throw UsageError("one archive is needed");
    TLZHBatch b(nullptr);
    b.SetInputBufferSize(kBufferSize);
    b.SetOutputBufferSize(kBufferSize);
    OpenArchive(b, names, a.operands[0]);
    ProgressBar bar;
    Attach(b, bar, names);
    b.TestArchive();
    bar.Done();
    std::printf("%s: %d file(s) OK\n", a.operands[0].c_str(), b.Files()->Count());
    return 0;
}

// Gives files the attributes and the local last-write time an archive is to record.
int CmdStamp(const std::vector<std::string>& argv, THostNames& names)
{
    Args a = Parse(argv, {}, {"--attributes", "--date"});
    if (a.operands.empty()) throw UsageError("at least one file is needed");
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
        std::string win = names.Win(f);
        if (!date.empty()) {
            HANDLE h = CreateFileA(win, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
            if (h == INVALID_HANDLE_VALUE) throw ECommandError(f + ": " + AnsiToUtf8(SysErrorMessage(GetLastError())));
            bool ok = SetFileTime(h, nullptr, nullptr, &ft);
            DWORD err = GetLastError();
            CloseHandle(h);
            if (!ok) throw ECommandError(f + ": " + AnsiToUtf8(SysErrorMessage(err)));
        }
        if (!attr.empty() && FileSetAttr(win, attrValue) != 0)
            throw ECommandError(f + ": " + AnsiToUtf8(SysErrorMessage(GetLastError())));
    }
    return 0;
}

