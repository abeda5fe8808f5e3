#include "platform/classes/Stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

int64_t NewPosition(int64_t pos, int64_t size, int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case soBeginning: return offset;
    case soCurrent: return pos + offset;
    case soEnd: return size + offset;
    }
    return pos;
}

int32_t ReadFrom(const uint8_t* data, int64_t size, int64_t& pos, void* buffer, int32_t count)
{
    if (count <= 0 || pos >= size || pos < 0) return 0;
    int64_t n = std::min<int64_t>(count, size - pos);
    std::memcpy(buffer, data + pos, static_cast<size_t>(n));
    pos += n;
    return static_cast<int32_t>(n);
}

// Writes into a growable byte container at pos, extending it as needed.
template <class Container>
int32_t WriteInto(Container& data, int64_t& pos, const void* buffer, int32_t count)
{
    if (count <= 0 || pos < 0) return 0;
    int64_t end = pos + count;
    if (end > static_cast<int64_t>(data.size())) data.resize(static_cast<size_t>(end));
    std::memcpy(data.data() + pos, buffer, static_cast<size_t>(count));
    pos = end;
    return count;
}

}  // namespace

int64_t TStream::Size()
{
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t)
{
    throw EStreamError("Stream does not support setting its size");
}

void TStream::ReadBuffer(void* Buffer, int64_t Count)
{
    auto* p = static_cast<uint8_t*>(Buffer);
    while (Count > 0) {
        int32_t chunk = static_cast<int32_t>(std::min<int64_t>(Count, std::numeric_limits<int32_t>::max()));
        int32_t got = Read(p, chunk);
        if (got <= 0) throw EReadError("Stream read error");
        p += got;
        Count -= got;
    }
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count)
{
    auto* p = static_cast<const uint8_t*>(Buffer);
    while (Count > 0) {
        int32_t chunk = static_cast<int32_t>(std::min<int64_t>(Count, std::numeric_limits<int32_t>::max()));
        int32_t put = Write(p, chunk);
        if (put <= 0) throw EWriteError("Stream write error");
        p += put;
        Count -= put;
    }
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count)
{
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    int64_t total = Count;
    uint8_t buf[65536];
    while (Count > 0) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(Count, sizeof buf));
        Source.ReadBuffer(buf, n);
        WriteBuffer(buf, n);
        Count -= n;
    }
    return total;
}

// --- TMemoryStream

int32_t TMemoryStream::Read(void* Buffer, int32_t Count)
{
    return ReadFrom(data_.data(), Size(), pos_, Buffer, Count);
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count)
{
    return WriteInto(data_, pos_, Buffer, Count);
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    pos_ = NewPosition(pos_, Size(), Offset, Origin);
    return pos_;
}

void TMemoryStream::SetSize(int64_t NewSize)
{
    data_.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
    if (pos_ > NewSize) pos_ = NewSize;
}

void TMemoryStream::Clear()
{
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream)
{
    Stream.SetPosition(0);
    int64_t n = Stream.Size();
    std::vector<uint8_t> buf(static_cast<size_t>(n));
    if (n) Stream.ReadBuffer(buf.data(), n);
    data_.swap(buf);
    pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& Stream)
{
    if (!data_.empty()) Stream.WriteBuffer(data_.data(), Size());
}

// --- TReadOnlyMemoryStream

int32_t TReadOnlyMemoryStream::Read(void* Buffer, int32_t Count)
{
    return ReadFrom(data_, size_, pos_, Buffer, Count);
}

int32_t TReadOnlyMemoryStream::Write(const void*, int32_t)
{
    throw EWriteError("Stream write error");
}

int64_t TReadOnlyMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    pos_ = NewPosition(pos_, size_, Offset, Origin);
    return pos_;
}

// --- TStringStream

int32_t TStringStream::Read(void* Buffer, int32_t Count)
{
    return ReadFrom(reinterpret_cast<const uint8_t*>(data_.data()), Size(), pos_, Buffer, Count);
}

int32_t TStringStream::Write(const void* Buffer, int32_t Count)
{
    return WriteInto(data_, pos_, Buffer, Count);
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    pos_ = NewPosition(pos_, Size(), Offset, Origin);
    return pos_;
}

void TStringStream::SetSize(int64_t NewSize)
{
    data_.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
    if (pos_ > NewSize) pos_ = NewSize;
}
