#include "codec/Lzh_op.h"

#include <algorithm>
#include <cstring>

#include "codec/LzhTables.h"
#include "codec/LzhWriter.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"

// Everything is set from code: a form stores only the component's own Name and Tag.
// The empty table still links the archive component's table to the component's.
PUBLISHED_PROPERTIES(TCustomLZHCompressor, TComponent) {}
REGISTER_CLASS(TCustomLZHCompressor);

namespace {

constexpr int kLeafBase = TCustomLZHCompressor::NodeCount;  // Child >= 627 marks a leaf
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
    Parent.reset(new uint16_t[NodeCount + SymbolCount]);
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
    // The decoder's traffic: one byte that fits.
    if (Count == 1 && OutputPos <= FOutputBufferSize) {
        OutputBuffer[OutputPos - 1] = *static_cast<const uint8_t*>(Buffer);
        ++OutputPos;
        Written = 1;
        return;
    }
    WriteBytesSlow(Buffer, Count, Written);
}

__attribute__((noinline)) void TCustomLZHCompressor::WriteBytesSlow(const void* Buffer, uint16_t Count, uint16_t& Written)
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
    if (Count == 1 && InputPos <= InputCount) {
        *static_cast<uint8_t*>(Buffer) = InputBuffer[InputPos - 1];
        ++InputPos;
        Got = 1;
        return;
    }
    ReadBytesSlow(Buffer, Count, Got);
}

__attribute__((noinline)) void TCustomLZHCompressor::ReadBytesSlow(void* Buffer, uint16_t Count, uint16_t& Got)
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
// Bit reader.
//
//   ReadBitBuffer  [15 .............. 0]
//                   ^next bit   ^ReadBitCount valid bits, the rest 0
//
// A byte is fetched only when fewer than 8 bits are held; a missing byte counts as
// eight 0 bits and sets InputEnded for good.

void TCustomLZHCompressor::Refill()
{
    uint8_t x = 0;
    uint16_t got = 0;
    ReadBytes(&x, 1, got);
    if (got != 1) {
        x = 0;
        InputEnded = true;
    }
    ReadBitBuffer = static_cast<uint16_t>(ReadBitBuffer | (x << (8 - ReadBitCount)));
    ReadBitCount = static_cast<uint8_t>(ReadBitCount + 8);
}

uint16_t TCustomLZHCompressor::ReadBit()
{
    if (ReadBitCount < 8) Refill();
    uint16_t bit = ReadBitBuffer >> 15;
    ReadBitBuffer = static_cast<uint16_t>(ReadBitBuffer << 1);
    --ReadBitCount;
    return bit;
}

uint16_t TCustomLZHCompressor::ReadByte()
{
    if (ReadBitCount < 8) Refill();
    uint16_t byte = ReadBitBuffer >> 8;
    ReadBitBuffer = static_cast<uint16_t>(ReadBitBuffer << 8);
    ReadBitCount = static_cast<uint8_t>(ReadBitCount - 8);
    return byte;
}

// ---------------------------------------------------------------------------------
// Adaptive model. Invariant: Freq[0..626] is non-decreasing; Freq[627] = 0xFFFF stops
// the forward search; Parent[627 + s] is the position of symbol s's leaf.

void TCustomLZHCompressor::InitModel()
{
    uint16_t* freq = Freq.get();
    uint16_t* child = Child.get();
    uint16_t* parent = Parent.get();
    for (int s = 0; s < SymbolCount; ++s) {
        freq[s] = 1;
        child[s] = static_cast<uint16_t>(s + kLeafBase);
        parent[s + kLeafBase] = static_cast<uint16_t>(s);
    }
    int i = 0;
    for (int j = SymbolCount; j < NodeCount; ++j) {
        freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
        child[j] = static_cast<uint16_t>(i);
        parent[i] = parent[i + 1] = static_cast<uint16_t>(j);
        i += 2;
    }
    freq[NodeCount] = 0xFFFF;
    parent[RootNode] = 0;
}

void TCustomLZHCompressor::RebuildModel()
{
    uint16_t* freq = Freq.get();
    uint16_t* child = Child.get();
    uint16_t* parent = Parent.get();
    int j = 0;
    for (int i = 0; i < NodeCount; ++i) {
        if (child[i] >= kLeafBase) {
            freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
            child[j] = child[i];
            ++j;
        }
    }
    int i = 0;
    for (j = SymbolCount; j < NodeCount; ++j) {
        uint16_t f = static_cast<uint16_t>(freq[i] + freq[i + 1]);
        int k = j - 1;
        while (freq[k] > f) --k;
        ++k;
        size_t n = static_cast<size_t>(j - k);
        std::memmove(freq + k + 1, freq + k, n * sizeof(uint16_t));
        std::memmove(child + k + 1, child + k, n * sizeof(uint16_t));
        freq[k] = f;
        child[k] = static_cast<uint16_t>(i);
        i += 2;
    }
    for (int p = 0; p < NodeCount; ++p) {
        int k = child[p];
        parent[k] = static_cast<uint16_t>(p);
        if (k < kLeafBase) parent[k + 1] = static_cast<uint16_t>(p);
    }
}

void TCustomLZHCompressor::UpdateModel(int s)
{
    uint16_t* freq = Freq.get();
    if (freq[RootNode] == FreqLimit) RebuildModel();
    uint16_t* child = Child.get();
    uint16_t* parent = Parent.get();
    int c = parent[s + kLeafBase];
    do {
        uint16_t k = static_cast<uint16_t>(freq[c] + 1);
        freq[c] = k;
        if (freq[c + 1] < k) {
            int l = c + 1;
            while (freq[l + 1] < k) ++l;
            freq[c] = freq[l];
            freq[l] = k;
            int i = child[c];
            parent[i] = static_cast<uint16_t>(l);
            if (i < kLeafBase) parent[i + 1] = static_cast<uint16_t>(l);
            int j = child[l];
            child[l] = static_cast<uint16_t>(i);
            parent[j] = static_cast<uint16_t>(c);
            if (j < kLeafBase) parent[j + 1] = static_cast<uint16_t>(c);
            child[c] = static_cast<uint16_t>(j);
            c = l;
        }
        c = parent[c];
    } while (c != 0);
}

int TCustomLZHCompressor::DecodeSymbol()
{
    // ReadBit, with the bit buffer in locals between refills.
    const uint16_t* child = Child.get();
    int v = child[RootNode];
    uint32_t buf = ReadBitBuffer;
    int count = ReadBitCount;
    while (v < kLeafBase) {
        if (count < 8) {
            ReadBitBuffer = static_cast<uint16_t>(buf);
            ReadBitCount = static_cast<uint8_t>(count);
            Refill();
            buf = ReadBitBuffer;
            count = ReadBitCount;
        }
        int bit = static_cast<int>(buf >> 15);
        buf = (buf << 1) & 0xFFFF;
        --count;
        v = child[v + bit];
        if (InputEnded && buf == 0) {
            ReadBitBuffer = 0x8000;
            ReadBitCount = static_cast<uint8_t>(count);
            throw ECompress("");
        }
    }
    ReadBitBuffer = static_cast<uint16_t>(buf);
    ReadBitCount = static_cast<uint8_t>(count);
    int s = v - kLeafBase;
    UpdateModel(s);
    return s;
}

int TCustomLZHCompressor::DecodeOffset()
{
    uint16_t b = ReadByte();
    int u = LzhOffset.upper[b];
    int n = LzhOffset.bits[b] - 2;
    for (int i = 0; i < n; ++i) b = static_cast<uint16_t>(2 * b + ReadBit());
    return (u << 6) | (b & 0x3F);
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
    std::memset(Parent.get(), 0, (NodeCount + SymbolCount) * sizeof(uint16_t));
    std::memset(Child.get(), 0, NodeCount * sizeof(uint16_t));
}

void TCustomLZHCompressor::DecodeLoop()
{
    InitModel();
    uint8_t* ring = RingBuffer.get();
    std::memset(ring, 0x20, RingStart);
    int r = RingStart;
    uint16_t written = 0;
    for (;;) {
        int s = DecodeSymbol();
        if (s < 256) {
            uint8_t x = static_cast<uint8_t>(s);
            WriteBytes(&x, 1, written);
            ring[r] = x;
            r = (r + 1) & (RingSize - 1);
        } else {
            int d = DecodeOffset();
            int p = (r - d - 1) & (RingSize - 1);
            int len = s - 253;
            for (int k = 0; k < len; ++k) {
                uint8_t x = ring[(p + k) & (RingSize - 1)];
                WriteBytes(&x, 1, written);
                ring[r] = x;
                r = (r + 1) & (RingSize - 1);
            }
        }
        if (InputEnded && ReadBitBuffer == 0x8000) break;
    }
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
    ResetState();
    try {
        DecodeLoop();
    } catch (...) {
        // The end signal and whatever a hook threw both end the stream here.
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
