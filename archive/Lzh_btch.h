// TLZHBatch: the archive component. It reads an archive's header into a read-only file
// list, expands the entries into a directory, and writes archives from a list of input
// files. The codec it derives from does the expanding and compressing of single streams.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveFormat.h"
#include "codec/Lzh_op.h"
#include "platform/classes/Strings.h"

class TFileStream;

class EListReadOnly : public Exception {
public:
    using Exception::Exception;
};
class EInvalidDir : public Exception {
public:
    using Exception::Exception;
};
class EFileExist : public Exception {
public:
    using Exception::Exception;
};
class EOpenError : public Exception {
public:
    using Exception::Exception;
};
// A damaged or unsafe archive, or an entry that could not be written or read back:
// always names the file concerned.
class EArchiveError : public Exception {
public:
    using Exception::Exception;
};

// A string list that refuses every change while ReadOnly is true. All changes of the
// platform's list pass through Changing() or one of the protected mutators, so the
// composed operations (AddStrings, Move, SetText, LoadFromStream, Sort) are refused too.
class TReadOnlyStringList : public TStringList {
public:
    TReadOnlyStringList() = default;
    ~TReadOnlyStringList() override;
    std::string ClassName() const override { return "TReadOnlyStringList"; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }

    int AddObject(const std::string& S, TObject* O) override;

protected:
    void PutString(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* O) override;
    void InsertItem(int Index, const std::string& S, TObject* O) override;
    void DeleteItem(int Index) override;
    void ClearItems() override;
    void ExchangeItems(int Index1, int Index2) override;
    void Changing() override;

private:
    void Check() const;
    bool readOnly_ = false;
};

// The object attached to each line of TLZHBatch::Files.
class TExtraInfo : public TObject {
public:
    std::string ClassName() const override { return "TExtraInfo"; }
    int32_t Offset = 0;
    // False for every entry read from an archive; archive creation sets it for the
    // entries it has yet to compress.
    bool Pending = false;
};

enum TArchiveMode { amNew, amAdd };
enum TDirectoryInfo { diNone, diRelativePath, diFullPath };
enum TFileExistAction { faOverwrite = 0, faSkip = 1, faCancel = 2 };
// OnCollecting: caInclude (the value passed in) archives the file, caSkip leaves it
// out, caCancel stops collecting and writes nothing.
enum TCollectAction { caInclude = 0, caSkip = 1, caCancel = 2 };
// OnCollectError: ceAbort (the value passed in) raises the error, ceSkip drops the
// input line or file that failed and goes on.
enum TCollectErrorAction { ceAbort = 0, ceSkip = 1 };

using TProgressEvent = std::function<void(TObject* Sender, const std::string& FileName, int32_t FileBytesWritten,
                                          int32_t FileBytes, int32_t TotalBytesWritten, int32_t TotalBytes,
                                          bool& Cancel)>;
using TFileExistEvent = std::function<void(TObject* Sender, const std::string& FileName, TFileExistAction& Action)>;
using TCollectingEvent = std::function<void(TObject* Sender, const std::string& FileName, TCollectAction& Action)>;
using TCollectErrorEvent =
    std::function<void(TObject* Sender, const std::string& FileName, TCollectErrorAction& Action)>;
using TDoneCollectingEvent =
    std::function<void(TObject* Sender, int32_t NrOfFiles, int32_t TotalSize, bool& Cancel)>;

class TLZHBatch : public TCustomLZHCompressor {
public:
    explicit TLZHBatch(TComponent* AOwner);
    ~TLZHBatch() override;
    std::string ClassName() const override { return "TLZHBatch"; }

    // --- published, in streaming order
    TDirectoryInfo DirectoryInfo() const { return directoryInfo_; }
    void SetDirectoryInfo(TDirectoryInfo Value) { directoryInfo_ = Value; }
    TStrings* InputFiles() const { return inputFiles_; }
    // Copies the lines (and objects) of Value.
    void SetInputFiles(const TStrings* Value);
    const std::string& ArchiveFileName() const { return archiveFileName_; }
    // Made absolute against the current directory; a different value re-reads the header.
    void SetArchiveFileName(const std::string& Value);
    TArchiveMode ArchiveMode() const { return archiveMode_; }
    void SetArchiveMode(TArchiveMode Value) { archiveMode_ = Value; }
    const std::string& OutputDirectory() const { return outputDirectory_; }
    void SetOutputDirectory(const std::string& Value);
    bool OverwriteExisting() const { return overwriteExisting_; }
    void SetOverwriteExisting(bool Value) { overwriteExisting_ = Value; }
    const std::string& RootDirectory() const { return rootDirectory_; }
    void SetRootDirectory(const std::string& Value);
    bool RecurseDirectories() const { return recurseDirectories_; }
    void SetRecurseDirectories(bool Value) { recurseDirectories_ = Value; }
    bool RestoreAttributes() const { return restoreAttributes_; }
    void SetRestoreAttributes(bool Value) { restoreAttributes_ = Value; }
    bool RestoreFileDate() const { return restoreFileDate_; }
    void SetRestoreFileDate(bool Value) { restoreFileDate_ = Value; }
    bool UseDirectoryNames() const { return useDirectoryNames_; }
    void SetUseDirectoryNames(bool Value) { useDirectoryNames_ = Value; }
    bool ValidArchive() const { return validArchive_; }

    TCollectingEvent OnCollecting;
    TCollectErrorEvent OnCollectError;
    TDoneCollectingEvent OnDoneCollecting;
    TFileExistEvent OnFileExist;
    TProgressEvent OnProgress;

    // --- public, not published
    TReadOnlyStringList* Files() const { return files_; }

    // Expands every entry of Files into OutputDirectory.
    void ExtractArchive();
    // Expands every entry without writing it anywhere and checks its length; raises
    // EArchiveError naming the first entry that does not come out whole. OnProgress
    // reports stored names.
    void TestArchive();
    // Collects InputFiles, compresses each file and writes ArchiveFileName: a new
    // archive (amNew) or the old entries followed by the new ones (amAdd). Returns false
    // when nothing was written (cancelled, or the archive file was kept by the rules for
    // existing files). Files is re-read afterwards.
    bool CreateArchive();
    // Text of the error last passed to OnCollectError.
    const std::string& LastCollectError() const { return lastCollectError_; }

    void Loaded() override;

protected:
    // Reads the header of ArchiveFileName into Files.
    void ReadArchive();

private:
    friend class TArchiveBuilder;

    enum class Sink { File, Nowhere };
    void Run(Sink sink);
    void ExtractEntry(int Index, Sink sink);
    void ReadHandler(void* Buffer, uint16_t Count, uint16_t& Actual);
    void WriteHandler(const void* Buffer, uint16_t Count);
    std::string OutputPath(const std::string& StoredName) const;
    // The rules for an existing target. True: write it; false: skip it.
    bool DecideExisting(const std::string& Path);
    void CloseRunFiles(bool deleteUnfinished);
    void EmptyFiles();
    bool InStreamReading() const;

    TDirectoryInfo directoryInfo_ = diNone;
    TStringList* inputFiles_ = nullptr;
    TStringList* collected_ = nullptr;  // sorted, ignores duplicates; creation only
    TReadOnlyStringList* files_ = nullptr;
    std::string archiveFileName_;
    TArchiveMode archiveMode_ = amNew;
    std::string outputDirectory_;
    bool overwriteExisting_ = true;
    std::string rootDirectory_;
    bool recurseDirectories_ = false;
    bool restoreAttributes_ = false;
    bool restoreFileDate_ = false;
    bool useDirectoryNames_ = false;
    bool validArchive_ = false;
    std::string lastCollectError_;

    // From the last reading of the header.
    int32_t startOffset_ = 0;
    int64_t dataStart_ = 0;
    bool headerFailed_ = false;  // the last reading stopped at a fault part-way

    // Run state.
    bool busy_ = false;
    bool cancel_ = false;
    std::unique_ptr<TFileStream> archive_;
    intptr_t outputHandle_ = -1;
    std::string entryPath_;       // output path, or the stored name when testing
    int32_t entrySize_ = 0;       // compressed
    int32_t entryRead_ = 0;       // compressed bytes read so far
    int64_t entryExpected_ = 0;   // uncompressed size from the header
    int64_t entryProduced_ = 0;   // expanded bytes the codec handed over
    bool entryStop_ = false;      // stop reading: output failed or a handler raised
    bool entryReadFailed_ = false;
    uint32_t entryWriteError_ = 0;
    std::exception_ptr entryHandlerError_;
    int64_t totalRead_ = 0;   // reported clamped to 32 bits
    int64_t totalSize_ = 0;
};
