#include "codec/Lzh_op.h"

#include <algorithm>
#include <cstring>

#include "codec/LzhDecoder.h"
#include "codec/LzhModel.h"
#include "codec/LzhWriter.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"

// Everything is set from code: a form stores only the component's own Name and Tag.
// The empty table still links the archive component's table to the component's.
PUBLISHED_PROPERTIES(TCustomLZHCompressor, TComponent) {}
REGISTER_CLASS(TCustomLZHCompressor);

namespace {

constexpr uint16_t kMinBuffer = 16;
constexpr uint16_t kMaxBuffer = 32768;
constexpr uint16_t kDefaultBuffer = 1024;

uint16_t ClampBufferSize(uint16_t v)
{
    return v < kMinBuffer ? kMinBuffer : v > kMaxBuffer ? kMaxBuffer : v;
}

}  // namespace

TCustomLZHCompressor::TCustomLZHCompressor(TComponent* AOwner) : TComponent(AOwner)
{
    SearchTreeA.reset(new uint16_t[SearchTreeEntries]);
    SearchTreeB.reset(new uint16_t[SearchTreeEntries]);
    SearchTreeC.reset(new uint16_t[SearchRootEntries]);
    RingBuffer.reset(new uint8_t[RingBufferBytes]);
    Freq.reset(new uint16_t[NodeCount + 1]);
    Parent.reset(new uint16_t[TLzhModel::ParentEntries]);
    Child.reset(new uint16_t[NodeCount]);
    Idle = true;
    SetInputBufferSize(kDefaultBuffer);
    SetOutputBufferSize(kDefaultBuffer);
}

// The arrays are unique_ptr members and go with the object; buffers never outlive a run.
TCustomLZHCompressor::~TCustomLZHCompressor() = default;

void TCustomLZHCompressor::SetInputBufferSize(uint16_t Value)
{
    if (Idle) FInputBufferSize = ClampBufferSize(Value);
}

void TCustomLZHCompressor::SetOutputBufferSize(uint16_t Value)
{
    if (Idle) FOutputBufferSize = ClampBufferSize(Value);
}

// ---------------------------------------------------------------------------------
// Buffered I/O. Positions are 1-based; sums are formed in int so that a 32768-byte
// buffer cannot wrap the 16-bit fields.

void TCustomLZHCompressor::WriteBytes(const void* Buffer, uint16_t Count, uint16_t& Written)
{
    uint16_t ignored = 0;
    if (Count == 0) {
        WriteOutput(this, OutputBuffer, static_cast<uint16_t>(OutputPos - 1), ignored);
        return;
    }
    if (OutputPos > FOutputBufferSize || int(OutputPos) + Count > int(FOutputBufferSize) + 1) {
        WriteOutput(this, OutputBuffer, static_cast<uint16_t>(OutputPos - 1), ignored);
        OutputPos = 1;
    }
    std::memcpy(OutputBuffer + (OutputPos - 1), Buffer, Count);
    OutputPos = static_cast<uint16_t>(OutputPos + Count);
    Written = Count;
}

void TCustomLZHCompressor::ReadBytes(void* Buffer, uint16_t Count, uint16_t& Got)
{
    if (int(InputPos) + Count > int(InputCount) + 1) {
        uint16_t actual = 0;
        if (InputPos > InputCount) {
            ReadInput(this, InputBuffer, FInputBufferSize, actual);
            // A hook claiming more than it was offered cannot make us read past the buffer.
            InputCount = std::min(actual, FInputBufferSize);
        } else {
            int k = InputCount - InputPos + 1;
            std::memmove(InputBuffer, InputBuffer + (InputPos - 1), static_cast<size_t>(k));
            uint16_t room = static_cast<uint16_t>(FInputBufferSize - k);
            ReadInput(this, InputBuffer + k, room, actual);
            InputCount = static_cast<uint16_t>(k + std::min(actual, room));
        }
        if (InputCount == 0) {
            Got = 0;
            return;
        }
        InputPos = 1;
    }
    std::memcpy(Buffer, InputBuffer + (InputPos - 1), Count);
    InputPos = static_cast<uint16_t>(InputPos + Count);
    if (int(InputPos) > int(InputCount) + 1)
        Got = static_cast<uint16_t>(Count - (InputPos - InputCount - 1));
    else
        Got = Count;
}

// ---------------------------------------------------------------------------------
// Model (codec/LzhModel.h).

void TCustomLZHCompressor::InitModel() { TLzhModel(Freq.get(), Parent.get(), Child.get()).Init(); }
void TCustomLZHCompressor::RebuildModel() { TLzhModel(Freq.get(), Parent.get(), Child.get()).Rebuild(); }
void TCustomLZHCompressor::UpdateModel(int s)
{
    TLzhModel(Freq.get(), Parent.get(), Child.get()).Update(static_cast<size_t>(s));
}

// ---------------------------------------------------------------------------------
// Runs.

void TCustomLZHCompressor::ResetState()
{
    InputEnded = false;
    ReadBitBuffer = 0;
    ReadBitCount = 0;
    WriteBitCount = 0;
    WriteBitBuffer = 0;
    BytesIn = BytesOut = ItemCount = 0;
    MatchPosition = MatchLength = 0;
    OutputPos = 1;
    InputPos = 1;
    InputCount = 0;
    Idle = false;
    std::memset(SearchTreeA.get(), 0, SearchTreeEntries * sizeof(uint16_t));
    std::memset(SearchTreeB.get(), 0, SearchTreeEntries * sizeof(uint16_t));
    std::memset(SearchTreeC.get(), 0, SearchRootEntries * sizeof(uint16_t));
    std::memset(RingBuffer.get(), 0, RingBufferBytes);
    std::memset(Freq.get(), 0, (NodeCount + 1) * sizeof(uint16_t));
    std::memset(Parent.get(), 0, TLzhModel::ParentEntries * sizeof(uint16_t));
    std::memset(Child.get(), 0, NodeCount * sizeof(uint16_t));
}

namespace {

// Frees a run's I/O buffers, restores Idle and fires OnDone on every way out of a run.
class RunGuard {
public:
    RunGuard(TCustomLZHCompressor* self, uint8_t*& in, uint8_t*& out, bool& idle,
             const TNotifyEvent& done)
        : self_(self), in_(in), out_(out), idle_(idle), done_(done)
    {
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
    // OnDone runs on the normal path from Finish so that an exception it throws reaches
    // the caller; on the exceptional path the destructor fires it and must swallow.
    void Finish()
    {
        Release();
        finished_ = true;
        if (done_) done_(self_);
    }
    ~RunGuard()
    {
        if (finished_) return;
        Release();
        if (done_) {
            try {
                done_(self_);
            } catch (...) {
            }
        }
    }

private:
    void Release()
    {
        delete[] in_;
        in_ = nullptr;
        delete[] out_;
        out_ = nullptr;
        idle_ = true;
    }
    TCustomLZHCompressor* self_;
    uint8_t*& in_;
    uint8_t*& out_;
    bool& idle_;
    const TNotifyEvent& done_;
    bool finished_ = false;
};

}  // namespace

void TCustomLZHCompressor::Expand()
{
    if (!Idle) return;
    InputBuffer = new uint8_t[FInputBufferSize];
    Idle = false;
    RunGuard guard(this, InputBuffer, OutputBuffer, Idle, OnDone);
    OutputBuffer = new uint8_t[FOutputBufferSize];
    // Like the buffers', a failed allocation of the reader's memory reaches the caller.
    if (!decodeSpace_) decodeSpace_.reset(new uint8_t[TLzhDecoder::SpaceBytes]);
    ResetState();
    try {
        TLzhDecoder(*this, decodeSpace_.get()).Run();
    } catch (...) {
        // Whatever the hooks threw ends the stream here, as the end of the stream does.
    }
    uint16_t ignored = 0;
    WriteOutput(this, OutputBuffer, static_cast<uint16_t>(OutputPos - 1), ignored);
    guard.Finish();
}

bool TCustomLZHCompressor::Compress() { return Compress(TLzhWriterOptions{}); }

bool TCustomLZHCompressor::Compress(const TLzhWriterOptions& Options)
{
    if (!Idle) return false;
    InputBuffer = new uint8_t[FInputBufferSize];
    Idle = false;
    RunGuard guard(this, InputBuffer, OutputBuffer, Idle, OnDone);
    OutputBuffer = new uint8_t[FOutputBufferSize];
    ResetState();
    lastIn_ = lastOut_ = 0;
    TLzhStreamWriter writer(*this, Options);
    writer.Run();
    lastIn_ = writer.InputBytes();
    lastOut_ = writer.OutputBytes();
    uint16_t ignored = 0;
    WriteOutput(this, OutputBuffer, static_cast<uint16_t>(OutputPos - 1), ignored);
    guard.Finish();
    return true;
}
