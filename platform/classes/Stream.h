// Streams: a byte sequence with a position. Read and Write move what they can and
// return the count; ReadBuffer and WriteBuffer insist on the whole count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/Persistent.h"

class EStreamError : public Exception {
public:
    using Exception::Exception;
};
// "Stream read error"
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// "Stream write error"
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream : public TObject {
public:
    std::string ClassName() const override { return "TStream"; }
    virtual int32_t Read(void* Buffer, int32_t Count) = 0;
    virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize);

    // Raise EReadError / EWriteError when fewer bytes move.
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);
    // Copies Count bytes from Source (all of it from position 0 when Count is 0).
    int64_t CopyFrom(TStream& Source, int64_t Count);
};

// A growable block of memory.
class TMemoryStream : public TStream {
public:
    std::string ClassName() const override { return "TMemoryStream"; }
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t NewSize) override;
    void Clear();

    uint8_t* Memory() { return data_.data(); }
    const uint8_t* Memory() const { return data_.data(); }
    std::vector<uint8_t>& Bytes() { return data_; }
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream);

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// A read-only view of bytes owned elsewhere (a module resource, a test fixture).
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const void* Data, int64_t Size)
        : data_(static_cast<const uint8_t*>(Data)), size_(Size) {}
    std::string ClassName() const override { return "TCustomMemoryStream"; }
    int32_t Read(void* Buffer, int32_t Count) override;
    // Always raises EWriteError.
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return size_; }

private:
    const uint8_t* data_;
    int64_t size_;
    int64_t pos_ = 0;
};

// A stream over a std::string (handy for text and tests).
class TStringStream : public TStream {
public:
    explicit TStringStream(std::string s = {}) : data_(std::move(s)) {}
    std::string ClassName() const override { return "TStringStream"; }
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t NewSize) override;
    const std::string& DataString() const { return data_; }

private:
    std::string data_;
    int64_t pos_ = 0;
};
