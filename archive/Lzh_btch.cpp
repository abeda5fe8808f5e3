#include "archive/Lzh_btch.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"
#include "platform/rtl/FileName.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/FileStream.h"
#include "platform/win/Files.h"
#include "platform/win/Machine.h"
#include "platform/win/SysFiles.h"

namespace {

constexpr size_t kMaxPathProperty = 255;
constexpr uint16_t kBufferSize = 4096;
// A well-formed stream may decode one item beyond its data when its end marker fills a
// whole byte: at most one match, which is never longer than this. More than that past
// the stored size is damage.
constexpr int64_t kMaxOverrun = 60;

const char* const kReadOnlyMessage = "This stringlist is read-only. Changes are ignored";
const char* const kInvalidDirMessage = "This is not a valid directory name";

std::string Cut(const std::string& s)
{
    return s.size() > kMaxPathProperty ? s.substr(0, kMaxPathProperty) : s;
}

int32_t Clamp32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Up to and including the last backslash or colon (the parent of a directory path).
std::string UpToLastSeparator(const std::string& s)
{
    size_t i = s.find_last_of("\\:");
    return i == std::string::npos ? std::string() : s.substr(0, i + 1);
}

// Windows treats a component of dots and spaces only as "." or "..", or drops it.
bool IsDotsOnly(const std::string& c)
{
    return !c.empty() && c.find_first_not_of(". ") == std::string::npos;
}

void CreateDirectories(std::string d)
{
    if (d.empty()) throw EInvalidDir(kInvalidDirMessage);
    if (d.back() == '\\') d.pop_back();
    if (d.size() < 3 || DirectoryExists(d)) return;
    CreateDirectories(UpToLastSeparator(d));
    if (!CreateDir(d)) throw EInvalidDir(kInvalidDirMessage);
}

bool IsBelow(const std::string& path, const std::string& base)
{
    std::string b = base;
    if (b.empty() || b.back() != '\\') b += '\\';
    return path.size() > b.size() && SameText(std::string_view(path).substr(0, b.size()), b);
}

}  // namespace

namespace {

const TIdentTable DirectoryInfoIdents = {
    {diNone, "diNone"}, {diRelativePath, "diRelativePath"}, {diFullPath, "diFullPath"}};
const TIdentTable ArchiveModeIdents = {{amNew, "amNew"}, {amAdd, "amAdd"}};

}  // namespace

// The codec's buffer sizes are not published: construction fixes them at 4096.
// ArchiveFileName and RootDirectory are only stored while the stream is read; the
// header is read once, in Loaded.
PUBLISHED_PROPERTIES(TLZHBatch, TCustomLZHCompressor)
{
    PUBLISH_ENUM(DirectoryInfo, DirectoryInfoIdents, diNone);
    PUBLISH_STRINGS(InputFiles);
    PUBLISH_STRING(ArchiveFileName, "");
    PUBLISH_ENUM(ArchiveMode, ArchiveModeIdents, amNew);
    PUBLISH_STRING(OutputDirectory, "");
    PUBLISH_BOOL(OverwriteExisting, true);
    PUBLISH_STRING(RootDirectory, "");
    PUBLISH_BOOL(RecurseDirectories, false);
    PUBLISH_BOOL(RestoreAttributes, false);
    PUBLISH_BOOL(RestoreFileDate, false);
    PUBLISH_BOOL(UseDirectoryNames, false);
    // Read-only: the result of the last header reading, never written to a form, and
    // a form that names it is refused rather than silently ignored.
    P.Bool(
         "ValidArchive", [](const TLZHBatch& b) { return b.ValidArchive(); },
         [](TLZHBatch&, bool) { throw EReadError("Property ValidArchive is read-only"); })
        .Default(false)
        .Stored([](const TPersistent&) { return false; });
    PUBLISH_EVENT(OnCollecting);
    PUBLISH_EVENT(OnCollectError);
    PUBLISH_EVENT(OnDoneCollecting);
    PUBLISH_EVENT(OnFileExist);
    PUBLISH_EVENT(OnProgress);
}
REGISTER_CLASS(TLZHBatch);

// --- TReadOnlyStringList

TReadOnlyStringList::~TReadOnlyStringList()
{
    readOnly_ = false;
}

void TReadOnlyStringList::Check() const
{
    if (readOnly_) throw EListReadOnly(kReadOnlyMessage);
}

int TReadOnlyStringList::AddObject(const std::string& S, TObject* O)
{
    Check();
    return TStringList::AddObject(S, O);
}

void TReadOnlyStringList::PutString(int Index, const std::string& S)
{
    Check();
    TStringList::PutString(Index, S);
}

void TReadOnlyStringList::PutObject(int Index, TObject* O)
{
    Check();
    TStringList::PutObject(Index, O);
}

void TReadOnlyStringList::InsertItem(int Index, const std::string& S, TObject* O)
{
    Check();
    TStringList::InsertItem(Index, S, O);
}

void TReadOnlyStringList::DeleteItem(int Index)
{
    Check();
    TStringList::DeleteItem(Index);
}

void TReadOnlyStringList::ClearItems()
{
    Check();
    TStringList::ClearItems();
}

void TReadOnlyStringList::ExchangeItems(int Index1, int Index2)
{
    Check();
    TStringList::ExchangeItems(Index1, Index2);
}

// Every change of the base list announces itself here first (sorting included).
void TReadOnlyStringList::Changing()
{
    Check();
    TStringList::Changing();
}

// --- TLZHBatch: construction and properties

TLZHBatch::TLZHBatch(TComponent* AOwner) : TCustomLZHCompressor(AOwner)
{
    inputFiles_ = new TStringList;
    collected_ = new TStringList;
    collected_->SetSorted(true);
    collected_->SetDuplicates(dupIgnore);
    files_ = new TReadOnlyStringList;
    files_->SetReadOnly(true);
    SetInputBufferSize(kBufferSize);
    SetOutputBufferSize(kBufferSize);
}

TLZHBatch::~TLZHBatch()
{
    delete collected_;
    EmptyFiles();
    delete files_;
    delete inputFiles_;
}

void TLZHBatch::SetInputFiles(const TStrings* Value)
{
    inputFiles_->Assign(Value);
}

bool TLZHBatch::InStreamReading() const
{
    return HasState(csReading) || HasState(csLoading);
}

void TLZHBatch::SetArchiveFileName(const std::string& Value)
{
    std::string full = Value.empty() ? std::string() : ExpandFileName(Value);
    if (full == archiveFileName_) return;
    archiveFileName_ = Cut(full);
    if (!InStreamReading()) ReadArchive();
}

void TLZHBatch::SetOutputDirectory(const std::string& Value)
{
    outputDirectory_ = Cut(Value);
}

void TLZHBatch::SetRootDirectory(const std::string& Value)
{
    if (Value == rootDirectory_) return;
    rootDirectory_ = Cut(Value);
    if (!InStreamReading()) ReadArchive();
}

void TLZHBatch::Loaded()
{
    TCustomLZHCompressor::Loaded();
    ReadArchive();
}

void TLZHBatch::EmptyFiles()
{
    bool ro = files_->ReadOnly();
    files_->SetReadOnly(false);
    for (int i = 0; i < files_->Count(); ++i) delete files_->Objects(i);
    files_->Clear();
    files_->SetReadOnly(ro);
}

// --- Reading the header

void TLZHBatch::ReadArchive()
{
    EmptyFiles();
    headerFailed_ = false;
    if (archiveFileName_.empty() || !FileExists(archiveFileName_)) {
        validArchive_ = false;
        return;
    }
    startOffset_ = 0;
    if (LowerCase(ExtractFileExt(archiveFileName_)) == ".exe") startOffset_ = ExecutableArchiveStart(archiveFileName_);
    validArchive_ = true;
    files_->SetReadOnly(false);

    std::unique_ptr<TFileStream> f;
    try {
        f = std::make_unique<TFileStream>(archiveFileName_, fmOpenRead | fmShareDenyNone);
    } catch (...) {
        // Nothing was read, so nothing is valid; the list stays protected.
        validArchive_ = false;
        files_->SetReadOnly(true);
        throw;
    }
    try {
        if (startOffset_ > 0) f->Seek(startOffset_, soBeginning);
        TReader reader(*f);
        dataStart_ = ReadArchiveHeader(reader, [this](const TArchiveEntry& e) {
            auto info = std::make_unique<TExtraInfo>();
            info->Offset = e.Offset;
            files_->AddObject(FormatFileLine(e), info.get());
            info.release();
        });
    } catch (const Exception&) {
        validArchive_ = false;
        headerFailed_ = true;
    } catch (const std::bad_alloc&) {
        validArchive_ = false;
        headerFailed_ = true;
    }
    files_->SetReadOnly(true);
}

// --- Extraction

std::string TLZHBatch::OutputPath(const std::string& StoredName) const
{
    std::string prefix = outputDirectory_;
    if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
    // The machine takes '/' as a separator as well; so must every check below.
    std::string name = StringReplaceAll(StoredName, "/", "\\");
    auto refuse = [&](const char* why) -> std::string {
        throw EArchiveError("Cannot extract \"" + StoredName + "\": " + why);
    };
    if (useDirectoryNames_) {
        if (!name.empty() && name[0] == '\\') name.erase(0, 1);
        if (name.empty()) refuse("the stored name is empty");
        if (name.find(':') != std::string::npos) refuse("the stored name holds a drive");
        if (name[0] == '\\') refuse("the stored name is an absolute or network path");
        size_t start = 0;
        while (true) {
            size_t sep = name.find('\\', start);
            std::string comp = name.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
            if (comp.empty()) refuse(sep == std::string::npos ? "the stored name names no file" : "the stored name has an empty component");
            if (IsDotsOnly(comp)) refuse("the stored name leaves the output directory");
            if (sep == std::string::npos) break;
            start = sep + 1;
        }
    } else {
        name = name.substr(name.find_last_of("\\:") == std::string::npos ? 0 : name.find_last_of("\\:") + 1);
        if (name.empty()) refuse("the stored name names no file");
        if (IsDotsOnly(name)) refuse("the stored name leaves the output directory");
    }
    std::string path = prefix + name;
    // Second line of defence: the resolved path must lie below the resolved directory.
    std::string base, full;
    DWORD err = 0;
    if (Machine::NormalizePath(prefix.empty() ? Machine::CurrentDirectory() : prefix, base, err) &&
        Machine::NormalizePath(path, full, err) && !IsBelow(full, base))
        refuse("the stored name leaves the output directory");
    return path;
}

bool TLZHBatch::DecideExisting(const std::string& Path)
{
    if (!FileExists(Path)) return true;
    if (overwriteExisting_) {
        FileSetAttr(Path, 0);
        DeleteFile(Path);
        return true;
    }
    if (OnFileExist) {
        TFileExistAction action = faOverwrite;
        OnFileExist(this, Path, action);
        if (action == faCancel) {
            cancel_ = true;
            return false;
        }
        if (action == faOverwrite) {
            FileSetAttr(Path, 0);
            DeleteFile(Path);
            return true;
        }
        return false;
    }
    throw EFileExist("Cannot write to " + Path + ". File already exists");
}

void TLZHBatch::ReadHandler(void* Buffer, uint16_t Count, uint16_t& Actual)
{
    int64_t n = std::min<int64_t>(Count, static_cast<int64_t>(entrySize_) - entryRead_);
    int32_t delivered = 0;
    if (!cancel_ && !entryStop_ && n > 0 && archive_) {
        delivered = archive_->Read(Buffer, static_cast<int32_t>(n));
        // A failed read ends the entry's input; the entry is then reported as unreadable.
        if (delivered < 0) {
            entryReadFailed_ = true;
            delivered = 0;
        }
    }
    Actual = static_cast<uint16_t>(delivered);
    entryRead_ += delivered;
    totalRead_ += delivered;
}

void TLZHBatch::WriteHandler(const void* Buffer, uint16_t Count)
{
    // Never more than the stored size reaches the file.
    int64_t room = std::max<int64_t>(0, entryExpected_ - entryProduced_);
    DWORD n = static_cast<DWORD>(std::min<int64_t>(Count, room));
    entryProduced_ += Count;
    if (entryProduced_ > entryExpected_ + kMaxOverrun) entryStop_ = true;
    if (outputHandle_ != -1 && n > 0 && entryWriteError_ == 0) {
        DWORD written = 0;
        if (!WriteFile(outputHandle_, Buffer, n, &written) || written != n) {
            entryWriteError_ = GetLastError();
            if (entryWriteError_ == 0) entryWriteError_ = ERROR_DISK_FULL;
            entryStop_ = true;
        }
    }
    if (OnProgress) {
        try {
            OnProgress(this, entryPath_, entryRead_, entrySize_, Clamp32(totalRead_), Clamp32(totalSize_), cancel_);
        } catch (...) {
            // The codec ends the entry on it; remembered so that it is not lost there.
            if (!entryHandlerError_) entryHandlerError_ = std::current_exception();
            entryStop_ = true;
            throw;
        }
    }
}

void TLZHBatch::CloseRunFiles(bool deleteUnfinished)
{
    if (outputHandle_ != -1) {
        CloseHandle(outputHandle_);
        outputHandle_ = -1;
        if (deleteUnfinished && entryProduced_ < entryExpected_) DeleteFile(entryPath_);
    }
    archive_.reset();
}

void TLZHBatch::ExtractEntry(int Index, Sink sink)
{
    TArchiveEntry e;
    if (auto* info = dynamic_cast<TExtraInfo*>(files_->Objects(Index))) e.Offset = info->Offset;
    if (!ParseFileLine(files_->Strings(Index), e))
        throw EArchiveError("Damaged file list entry: \"" + files_->Strings(Index) + "\"");
    if (e.Size < 0 || e.CompressedSize < 0 || e.Offset < 0)
        throw EArchiveError("Cannot extract \"" + e.Name + "\": its sizes or offset in the archive are damaged");
    int32_t dosDate = ArchiveDateToDosDate(e.DateTime);

    std::string path = e.Name;
    if (sink == Sink::File) {
        path = OutputPath(e.Name);
        CreateDirectories(UpToLastSeparator(path));
        if (!DecideExisting(path)) return;
        outputHandle_ = CreateFileA(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
        if (outputHandle_ == INVALID_HANDLE_VALUE) {
            outputHandle_ = -1;
            throw EArchiveError("Cannot create " + path + ". " + SysErrorMessage(GetLastError()));
        }
    }
    entryPath_ = path;
    entrySize_ = e.CompressedSize;
    entryRead_ = 0;
    entryExpected_ = e.Size;
    entryProduced_ = 0;
    entryStop_ = false;
    entryReadFailed_ = false;
    entryWriteError_ = 0;
    entryHandlerError_ = nullptr;

    archive_->Seek(dataStart_ + e.Offset, soBeginning);
    Expand();

    if (outputHandle_ != -1) {
        CloseHandle(outputHandle_);
        outputHandle_ = -1;
    }
    auto fail = [&](const std::string& message) {
        if (sink == Sink::File) DeleteFile(path);
        throw EArchiveError(message);
    };
    if (entryHandlerError_) {
        if (sink == Sink::File && entryProduced_ < entryExpected_) DeleteFile(path);
        std::rethrow_exception(std::exchange(entryHandlerError_, nullptr));
    }
    if (entryWriteError_ != 0) fail("Cannot write " + path + ". " + SysErrorMessage(entryWriteError_));
    if (entryReadFailed_) fail("Error reading archive file " + archiveFileName_ + " at \"" + e.Name + "\"");
    if (!cancel_ && (entryProduced_ < entryExpected_ || entryProduced_ > entryExpected_ + kMaxOverrun))
        fail("The archive entry \"" + e.Name + "\" is damaged: it expands to " +
             (entryProduced_ > entryExpected_ + kMaxOverrun ? "more than " + std::to_string(entryExpected_)
                                                            : std::to_string(entryProduced_)) +
             " bytes instead of " + std::to_string(entryExpected_) + " (" + path + ")");

    if (sink != Sink::File) return;
    if (restoreFileDate_ && dosDate != 0) {
        int h = FileOpen(path, fmOpenWrite | fmShareDenyNone);
        if (h >= 0) {
            FileSetDate(h, dosDate);
            FileClose(h);
        }
    }
    if (restoreAttributes_) FileSetAttr(path, e.Attributes);
}

void TLZHBatch::Run(Sink sink)
{
    if (busy_) return;
    // The data area's position is unknown after a fault in the header: expanding from
    // a stale position would write garbage under the listed names.
    if (headerFailed_)
        throw EArchiveError("Cannot extract from " + archiveFileName_ + ": the archive header is damaged");
    busy_ = true;
    cancel_ = false;
    ReadInput = [this](TObject*, void* Buffer, uint16_t Count, uint16_t& Actual) { ReadHandler(Buffer, Count, Actual); };
    WriteOutput = [this](TObject*, void* Buffer, uint16_t Count, uint16_t& Actual) {
        Actual = Count;
        WriteHandler(Buffer, Count);
    };
    totalSize_ = 0;
    for (int i = 0; i < files_->Count(); ++i) {
        TArchiveEntry e;
        if (ParseFileLine(files_->Strings(i), e)) totalSize_ += e.CompressedSize;
    }
    totalRead_ = 0;
    try {
        archive_ = std::make_unique<TFileStream>(archiveFileName_, fmOpenRead | fmShareDenyNone);
    } catch (const Exception& error) {
        busy_ = false;
        throw EOpenError("Error opening archive file " + archiveFileName_ + ".\r\n" + error.Message());
    }
    try {
        for (int i = 0; i < files_->Count() && !cancel_; ++i) ExtractEntry(i, sink);
    } catch (...) {
        CloseRunFiles(true);
        busy_ = false;
        cancel_ = false;
        throw;
    }
    CloseRunFiles(false);
    cancel_ = false;
    busy_ = false;
}

void TLZHBatch::ExtractArchive()
{
    Run(Sink::File);
}

void TLZHBatch::TestArchive()
{
    Run(Sink::Nowhere);
}
