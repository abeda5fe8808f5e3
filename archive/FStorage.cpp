#include "archive/FStorage.h"

#include <limits>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/MessageHook.h"
#include "platform/classes/Published.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"

namespace {

// Closes a SysFiles handle on every path.
struct HandleGuard {
    int h;
    ~HandleGuard()
    {
        if (h >= 0) FileClose(h);
    }
};

}  // namespace

// Both are stored so a designer shows them; reading them back changes nothing.
PUBLISHED_PROPERTIES(TFileStorage, TComponent)
{
    PUBLISH_STRING(FileName);
    PUBLISH_INT(DataSize);
}
REGISTER_CLASS(TFileStorage);

TFileStorage::TFileStorage(TComponent* AOwner) : TComponent(AOwner) {}

TFileStorage::~TFileStorage()
{
    Release();
}

void TFileStorage::Release()
{
    std::vector<uint8_t>().swap(data_);
    dataSize_ = 0;
    empty_ = true;
}

void TFileStorage::LoadFromFile(const std::string& FileName)
{
    Release();
    fileName_.clear();

    int64_t size = 0;
    {
        HandleGuard f{FileOpen(FileName, fmOpenRead | fmShareDenyNone)};
        if (f.h < 0) RaiseInOutError(static_cast<int>(GetLastError()));
        size = FileSeek(f.h, 0, 2);
        if (size < 0) RaiseInOutError(static_cast<int>(GetLastError()));
    }
    // The size travels as a signed 32-bit integer field.
    if (size > std::numeric_limits<int32_t>::max())
        throw EInOutError(ERROR_NOT_ENOUGH_MEMORY, "File too large to store: " + FileName);

    data_.assign(static_cast<size_t>(size), 0);
    dataSize_ = static_cast<int32_t>(size);
    bool ok = false;
    {
        HandleGuard f{FileOpen(FileName, fmOpenRead | fmShareDenyNone)};
        if (f.h >= 0) {
            int64_t done = 0;
            while (done < size) {
                int32_t got = FileRead(f.h, data_.data() + done, static_cast<int32_t>(size - done));
                if (got <= 0) break;
                done += got;
            }
            ok = done == size;
        }
    }
    if (!ok) {
        Release();
        MessageDlg("Read error or disk is corrupted.", mtError, MsgDlgButton(mbOK), 0);
        return;
    }
    empty_ = false;
    fileName_ = FileName;
}

bool TFileStorage::SaveToFile(const std::string& FileName) const
{
    HandleGuard f{FileCreate(FileName)};
    if (f.h < 0) return false;
    int64_t done = 0;
    while (done < dataSize_) {
        int32_t put = FileWrite(f.h, data_.data() + done, static_cast<int32_t>(dataSize_ - done));
        if (put <= 0) return false;
        done += put;
    }
    return true;
}

void TFileStorage::ReadState(TReader& Reader)
{
    TComponent::ReadState(Reader);
    uint8_t flag = 0;
    Reader.Read(&flag, 1);
    Release();
    if (flag == vaTrue) return;
    // Any other byte means data follow: the size as an integer field, then the bytes.
    TValueType t = Reader.NextValue();
    if (t != vaInt8 && t != vaInt16 && t != vaInt32)
        throw EReadError("Invalid stream format: integer expected at offset " + std::to_string(Reader.Position()));
    int64_t at = Reader.Position();
    int32_t size = Reader.ReadInteger();
    // Checked before allocating: a damaged stream must not ask for gigabytes.
    if (size < 0 || size > Reader.Stream().Size() - Reader.Position())
        throw EReadError("Invalid stream format: storage size " + std::to_string(size) + " out of range at offset " +
                         std::to_string(at));
    std::vector<uint8_t> block(static_cast<size_t>(size), 0);
    if (size > 0) Reader.Read(block.data(), size);
    data_.swap(block);
    dataSize_ = size;
    empty_ = false;
}

void TFileStorage::WriteState(TWriter& Writer)
{
    TComponent::WriteState(Writer);
    if (empty_) {
        Writer.WriteValue(vaTrue);
        return;
    }
    Writer.WriteValue(vaFalse);
    Writer.WriteInteger(dataSize_);
    if (dataSize_ > 0) Writer.Write(data_.data(), dataSize_);
}
