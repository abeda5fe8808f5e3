#include "platform/win/FileStream.h"

#include "platform/rtl/StrUtils.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"

std::string SysErrorMessage(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND: return "The system cannot find the path specified.";
    case ERROR_TOO_MANY_OPEN_FILES: return "The system cannot open the file.";
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_INVALID_HANDLE: return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY: return "Not enough storage is available to process this command.";
    case ERROR_NOT_SAME_DEVICE: return "The system cannot move the file to a different disk drive.";
    case ERROR_NO_MORE_FILES: return "There are no more files.";
    case ERROR_SHARING_VIOLATION: return "The process cannot access the file because it is being used by another process.";
    case ERROR_HANDLE_EOF: return "Reached the end of the file.";
    case ERROR_BAD_NETPATH: return "The network path was not found.";
    case ERROR_FILE_EXISTS: return "The file exists.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_DISK_FULL: return "There is not enough space on the disk.";
    case ERROR_INVALID_NAME: return "The filename, directory name, or volume label syntax is incorrect.";
    case ERROR_NEGATIVE_SEEK: return "An attempt was made to move the file pointer before the beginning of the file.";
    case ERROR_DIR_NOT_EMPTY: return "The directory is not empty.";
    case ERROR_ALREADY_EXISTS: return "Cannot create a file when that file already exists.";
    case ERROR_FILENAME_EXCED_RANGE: return "The filename or extension is too long.";
    case ERROR_DIRECTORY: return "The directory name is invalid.";
    default: return "System error code " + std::to_string(code) + ".";
    }
}

int32_t THandleStream::Read(void* Buffer, int32_t Count)
{
    int32_t r = FileRead(handle_, Buffer, Count);
    return r < 0 ? 0 : r;
}

int32_t THandleStream::Write(const void* Buffer, int32_t Count)
{
    int32_t r = FileWrite(handle_, Buffer, Count);
    return r < 0 ? 0 : r;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    return FileSeek(handle_, Offset, static_cast<int>(Origin));
}

void THandleStream::SetSize(int64_t NewSize)
{
    Seek(NewSize, soBeginning);
    if (!SetEndOfFile(handle_)) throw EStreamError(SysErrorMessage(GetLastError()));
}

TFileStream::TFileStream(const std::string& FileName, uint32_t Mode) : THandleStream(-1), fileName_(FileName)
{
    if (Mode == fmCreate) {
        handle_ = FileCreate(FileName);
        if (handle_ < 0)
            throw EFCreateError("Cannot create file \"" + FileName + "\". " + SysErrorMessage(GetLastError()));
    } else {
        handle_ = FileOpen(FileName, Mode);
        if (handle_ < 0)
            throw EFOpenError("Cannot open file \"" + FileName + "\". " + SysErrorMessage(GetLastError()));
    }
}

TFileStream::~TFileStream()
{
    if (handle_ >= 0) FileClose(handle_);
}
