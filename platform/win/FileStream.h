// Streams over files of the emulated machine.
#pragma once

#include <string>

#include "platform/classes/Stream.h"
#include "platform/win/WinTypes.h"

// A stream over an open handle of SysFiles (not owned).
class THandleStream : public TStream {
public:
    explicit THandleStream(int AHandle) : handle_(AHandle) {}
    std::string ClassName() const override { return "THandleStream"; }
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    int Handle() const { return handle_; }

protected:
    int handle_;
};

// Opens FileName with a mode of SysFiles (fmCreate creates or truncates). Raises
// EFCreateError "Cannot create file \"%s\". %s" or EFOpenError "Cannot open file \"%s\". %s"
// with the system's message for the error.
class TFileStream : public THandleStream {
public:
    TFileStream(const std::string& FileName, uint32_t Mode);
    ~TFileStream() override;
    std::string ClassName() const override { return "TFileStream"; }
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// The system's message text for a Windows error code ("The system cannot find the file specified").
std::string SysErrorMessage(DWORD code);
