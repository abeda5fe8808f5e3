// Archive creation: collecting the input files and writing the archive.
//
// Collecting. Each line of InputFiles is a path; a relative one is taken against
// RootDirectory when that is set, else against the current directory. A line naming a
// directory stands for every file in it; otherwise its last component is a mask of '*'
// and '?' (a plain name is a mask that matches one file). With RecurseDirectories the
// mask also applies in every directory below. Files are taken in line order, within a
// directory by name, its files before its subdirectories; a file met a second time (in
// a later line) is left out.
//
// Stored names:
//   diNone          the bare file name                        readme.txt
//   diRelativePath  the path below RootDirectory when the file lies below it, else
//                   below the directory of its input line      docs\readme.txt
//   diFullPath      the whole path without its drive           \Program Files\x\readme.txt
// Two files with the same stored name (case-insensitive, also against the entries an
// added-to archive already holds) would overwrite each other on extraction: the second
// is a collect error.
//
// Writing. New files are compressed one after the other into a spool file next to the
// archive, so memory stays constant; then the archive is written to a temporary file:
// [the executable prefix, when adding to an archive inside an executable], the header,
// the old entries' streams copied unchanged (amAdd), the spool. Only a complete archive
// replaces the old file, so a failure or a cancel leaves the old archive as it was.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "archive/Lzh_btch.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/FileName.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/FileStream.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"

namespace {

constexpr int64_t kMaxField = std::numeric_limits<int32_t>::max();
// FILETIME ticks per millisecond, and days from 1601-01-01 to 1899-12-30.
constexpr int64_t kTicksPerMs = 10000;
constexpr int64_t kDaysTo1899 = 109205;

bool HasWildcard(const std::string& s)
{
    return s.find_first_of("*?") != std::string::npos;
}

bool IsAbsolute(const std::string& s)
{
    return (s.size() >= 2 && s[1] == ':') || (!s.empty() && (s[0] == '\\' || s[0] == '/'));
}

// The file's last write in local time as a day count, to the millisecond (the same
// arithmetic as encoding the date and the time separately, so even seconds are exact).
bool LocalWriteTime(const std::string& path, double& out)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME utc, local;
    bool ok = GetFileTime(h, nullptr, nullptr, &utc) && FileTimeToLocalFileTime(&utc, &local);
    CloseHandle(h);
    if (!ok) return false;
    int64_t ticks = static_cast<int64_t>(local.dwHighDateTime) << 32 | local.dwLowDateTime;
    int64_t ms = (ticks + kTicksPerMs / 2) / kTicksPerMs;
    int64_t days = ms / 86400000, msOfDay = ms % 86400000;
    out = static_cast<double>(days - kDaysTo1899) + static_cast<double>(msOfDay) / 86400000.0;
    return true;
}

struct Collected {
    std::string Path;  // full Windows path of the source
    TArchiveEntry Entry;
};

}  // namespace

class TArchiveBuilder {
public:
    explicit TArchiveBuilder(TLZHBatch& b) : b_(b) {}
    bool Run();

private:
    void CollectLine(const std::string& line);
    void Walk(const std::string& dir, const std::string& mask, const std::string& rel, bool& matched);
    void AddFile(const std::string& path, const std::string& rel);
    // Reports a failure to OnCollectError; returns when it is to be skipped.
    void CollectError(const std::string& name, const std::string& message);
    std::string StoredName(const std::string& path, const std::string& rel) const;
    void ReadOldArchive();
    void CompressAll(TStream& spool);
    void WriteArchive(const std::string& tmp, TStream& spool);

    TLZHBatch& b_;
    std::vector<Collected> files_;
    std::vector<TArchiveEntry> old_;
    std::vector<std::string> names_;  // stored names taken, for duplicates
    std::string root_;
    bool cancelled_ = false;
    bool adding_ = false;
};

void TArchiveBuilder::CollectError(const std::string& name, const std::string& message)
{
    b_.lastCollectError_ = message;
    TCollectErrorAction action = ceAbort;
    if (b_.OnCollectError) b_.OnCollectError(&b_, name, action);
    if (action != ceSkip) throw EArchiveError(message);
}

std::string TArchiveBuilder::StoredName(const std::string& path, const std::string& rel) const
{
    switch (b_.directoryInfo_) {
    case diNone: break;
    case diRelativePath:
        if (!root_.empty()) {
            std::string r = IncludeTrailingBackslash(root_);
            if (path.size() > r.size() && SameText(std::string_view(path).substr(0, r.size()), r))
                return path.substr(r.size());
        }
        return rel + ExtractFileName(path);
    case diFullPath: {
        std::string drive = ExtractFileDrive(path);
        return path.substr(drive.size());
    }
    }
    return ExtractFileName(path);
}

void TArchiveBuilder::AddFile(const std::string& path, const std::string& rel)
{
    // The archive being written cannot be one of its own inputs.
    if (SameText(path, b_.archiveFileName_)) return;
    int index;
    if (b_.collected_->Find(path, index)) return;

    TCollectAction action = caInclude;
    if (b_.OnCollecting) b_.OnCollecting(&b_, path, action);
    if (action == caCancel) {
        cancelled_ = true;
        return;
    }
    if (action != caInclude) return;

    Collected c;
    c.Path = path;
    c.Entry.Name = StoredName(path, rel);
    if (c.Entry.Name.find('\t') != std::string::npos) return CollectError(path, "Cannot archive " + path + ": its name holds a tab");
    for (const std::string& n : names_)
        if (SameText(n, c.Entry.Name))
            return CollectError(path, "Cannot archive " + path + ": another file is already stored as \"" + c.Entry.Name + "\"");
    DWORD attr = GetFileAttributesA(path);
    int64_t size = -1;
    {
        HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        if (h != INVALID_HANDLE_VALUE) {
            if (!GetFileSizeEx(h, &size)) size = -1;
            CloseHandle(h);
        }
    }
    if (attr == INVALID_FILE_ATTRIBUTES || size < 0 || !LocalWriteTime(path, c.Entry.DateTime))
        return CollectError(path, "Cannot read " + path + ". " + SysErrorMessage(GetLastError()));
    if (size > kMaxField) return CollectError(path, "Cannot archive " + path + ": larger than 2147483647 bytes");
    c.Entry.Size = static_cast<int32_t>(size);
    c.Entry.Attributes = static_cast<int32_t>(attr & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    b_.collected_->Add(path);
    names_.push_back(c.Entry.Name);
    files_.push_back(std::move(c));
}

void TArchiveBuilder::Walk(const std::string& dir, const std::string& mask, const std::string& rel, bool& matched)
{
    std::vector<std::string> names, dirs;
    TSearchRec rec;
    for (int r = FindFirst(dir + "*", faAnyFile, rec); r == 0; r = FindNext(rec)) {
        if (rec.Name == "." || rec.Name == "..") continue;
        if (rec.Attr & faDirectory) dirs.push_back(rec.Name);
        else if (MatchesMask(rec.Name, mask)) names.push_back(rec.Name);
    }
    FindClose(rec);
    auto byName = [](const std::string& a, const std::string& c) { return CompareText(a, c) < 0; };
    std::sort(names.begin(), names.end(), byName);
    std::sort(dirs.begin(), dirs.end(), byName);
    for (const std::string& n : names) {
        if (cancelled_) return;
        matched = true;
        AddFile(dir + n, rel);
    }
    if (!b_.recurseDirectories_) return;
    for (const std::string& d : dirs) {
        if (cancelled_) return;
        Walk(dir + d + "\\", mask, rel + d + "\\", matched);
    }
}

void TArchiveBuilder::CollectLine(const std::string& line)
{
    if (Trim(line).empty()) return;
    std::string path = line;
    if (!IsAbsolute(path) && !root_.empty()) path = IncludeTrailingBackslash(root_) + path;
    path = ExpandFileName(path);
    std::string dir, mask;
    if (DirectoryExists(path)) {
        dir = IncludeTrailingBackslash(path);
        mask.assign(1, '*');  // (not = "*": GCC 12 warns falsely at -O2)
    } else {
        dir = ExtractFilePath(path);
        mask = ExtractFileName(path);
        if (!HasWildcard(mask) && !FileExists(path) && !b_.recurseDirectories_)
            return CollectError(line, "Cannot archive " + path + ". File not found");
    }
    bool matched = false;
    Walk(dir, mask, "", matched);
    if (!matched && !cancelled_) CollectError(line, "No files match " + path);
}

void TArchiveBuilder::ReadOldArchive()
{
    // The old header must read cleanly: adding to a damaged archive would lose it.
    b_.ReadArchive();
    if (!b_.validArchive_)
        throw EArchiveError("Cannot add to " + b_.archiveFileName_ + ": it is not a valid archive");
    for (int i = 0; i < b_.files_->Count(); ++i) {
        TArchiveEntry e;
        if (auto* info = dynamic_cast<TExtraInfo*>(b_.files_->Objects(i))) e.Offset = info->Offset;
        if (!ParseFileLine(b_.files_->Strings(i), e) || e.CompressedSize < 0 || e.Offset < 0)
            throw EArchiveError("Cannot add to " + b_.archiveFileName_ + ": its entry \"" + e.Name + "\" is damaged");
        old_.push_back(e);
        names_.push_back(e.Name);
    }
}

void TArchiveBuilder::CompressAll(TStream& spool)
{
    int64_t total = 0, done = 0;
    for (const Collected& c : files_) total += c.Entry.Size;
    for (Collected& c : files_) {
        TFileStream in(c.Path, fmOpenRead | fmShareDenyWrite);
        int64_t read = 0, written = 0;
        b_.ReadInput = [&](TObject*, void* Buffer, uint16_t Count, uint16_t& Actual) {
            // The size was fixed when collecting; a file that grew since is cut there,
            // one that shrank is found below.
            int64_t want = std::min<int64_t>(Count, c.Entry.Size - read);
            int32_t got = want > 0 && !cancelled_ ? in.Read(Buffer, static_cast<int32_t>(want)) : 0;
            if (got < 0) throw EArchiveError("Cannot read " + c.Path);
            Actual = static_cast<uint16_t>(got);
            read += got;
            done += got;
            if (got > 0 && b_.OnProgress) {
                bool cancel = false;
                b_.OnProgress(&b_, c.Path, static_cast<int32_t>(read), c.Entry.Size,
                              static_cast<int32_t>(std::min(done, kMaxField)), static_cast<int32_t>(std::min(total, kMaxField)),
                              cancel);
                if (cancel) cancelled_ = true;
            }
        };
        b_.WriteOutput = [&](TObject*, void* Buffer, uint16_t Count, uint16_t& Actual) {
            spool.WriteBuffer(Buffer, Count);
            written += Count;
            Actual = Count;
        };
        b_.Compress();
        if (cancelled_) return;
        if (read != c.Entry.Size)
            throw EArchiveError("Cannot archive " + c.Path + ": it changed while it was being read");
        if (written > kMaxField) throw EArchiveError("Cannot archive " + c.Path + ": its compressed data exceed 2147483647 bytes");
        c.Entry.CompressedSize = static_cast<int32_t>(written);
    }
}

void TArchiveBuilder::WriteArchive(const std::string& tmp, TStream& spool)
{
    std::vector<TArchiveEntry> all;
    int64_t offset = 0;
    for (TArchiveEntry e : old_) {
        e.Offset = static_cast<int32_t>(offset);
        offset += e.CompressedSize;
        all.push_back(e);
    }
    for (const Collected& c : files_) {
        TArchiveEntry e = c.Entry;
        if (offset > kMaxField) break;
        e.Offset = static_cast<int32_t>(offset);
        offset += e.CompressedSize;
        all.push_back(e);
    }
    if (offset > kMaxField) throw EArchiveError("Cannot write " + b_.archiveFileName_ + ": its data would exceed 2147483647 bytes");

    TFileStream out(tmp, fmCreate);
    std::unique_ptr<TFileStream> oldFile;
    if (!old_.empty() || (adding_ && b_.startOffset_ > 0))
        oldFile = std::make_unique<TFileStream>(b_.archiveFileName_, fmOpenRead | fmShareDenyWrite);
    // An archive inside an executable keeps the executable in front, unchanged, so the
    // start offset its string table gives stays right.
    if (oldFile && b_.startOffset_ > 0) {
        oldFile->SetPosition(0);
        out.CopyFrom(*oldFile, b_.startOffset_);
    }
    TWriter writer(out);
    WriteArchiveHeader(writer, all);
    for (const TArchiveEntry& e : old_) {
        if (e.CompressedSize == 0) continue;
        oldFile->SetPosition(b_.dataStart_ + e.Offset);
        try {
            out.CopyFrom(*oldFile, e.CompressedSize);
        } catch (const EReadError&) {
            throw EArchiveError("Cannot add to " + b_.archiveFileName_ + ": the data of \"" + e.Name + "\" are cut short");
        }
    }
    if (spool.Size() > 0) {
        spool.SetPosition(0);
        out.CopyFrom(spool, spool.Size());
    }
}

bool TArchiveBuilder::Run()
{
    const std::string& archive = b_.archiveFileName_;
    if (archive.empty()) throw EArchiveError("No archive file name given");
    b_.collected_->Clear();
    root_ = b_.rootDirectory_.empty() ? std::string() : ExcludeTrailingBackslash(ExpandFileName(b_.rootDirectory_));
    adding_ = b_.archiveMode_ == amAdd && FileExists(archive);
    if (adding_) ReadOldArchive();

    for (int i = 0; i < b_.inputFiles_->Count() && !cancelled_; ++i) CollectLine(b_.inputFiles_->Strings(i));
    if (cancelled_) return false;
    int64_t total = 0;
    for (const Collected& c : files_) total += c.Entry.Size;
    if (b_.OnDoneCollecting) {
        bool cancel = false;
        b_.OnDoneCollecting(&b_, static_cast<int32_t>(files_.size()), static_cast<int32_t>(std::min(total, kMaxField)), cancel);
        if (cancel) return false;
    }
    // The rules for an existing target decide about the archive file in amNew mode;
    // it is only replaced once the new archive is complete.
    if (!adding_ && FileExists(archive)) {
        bool overwrite = b_.overwriteExisting_;
        if (!overwrite) {
            if (!b_.OnFileExist) throw EFileExist("Cannot write to " + archive + ". File already exists");
            TFileExistAction action = faOverwrite;
            b_.OnFileExist(&b_, archive, action);
            if (action != faOverwrite) return false;
        }
    }

    const std::string spoolName = archive + ".spool";
    const std::string tmpName = archive + ".tmp";
    auto cleanup = [&] {
        DeleteFile(spoolName);
        DeleteFile(tmpName);
    };
    try {
        {
            TFileStream spool(spoolName, fmCreate);
            CompressAll(spool);
            if (cancelled_) {
                cleanup();
                return false;
            }
            WriteArchive(tmpName, spool);
        }
        DeleteFile(spoolName);
        if (FileExists(archive)) {
            FileSetAttr(archive, 0);
            if (!DeleteFile(archive))
                throw EArchiveError("Cannot replace " + archive + ". " + SysErrorMessage(GetLastError()));
        }
        if (!RenameFile(tmpName, archive))
            throw EArchiveError("Cannot write " + archive + ". " + SysErrorMessage(GetLastError()));
    } catch (...) {
        cleanup();
        throw;
    }
    return true;
}

bool TLZHBatch::CreateArchive()
{
    if (busy_) return false;
    busy_ = true;
    bool written = false;
    try {
        TArchiveBuilder builder(*this);
        written = builder.Run();
    } catch (...) {
        busy_ = false;
        collected_->Clear();
        try {
            ReadArchive();
        } catch (const Exception&) {
            // The creation error is the one to report.
        }
        throw;
    }
    busy_ = false;
    collected_->Clear();
    ReadArchive();
    return written;
}
