#include "codec/LzhDecoder.h"

#include <algorithm>
#include <cstring>

#include "codec/LzhTables.h"
#include "codec/Lzh_op.h"

namespace {

constexpr size_t kLeaf = TLzhModel::NodeCount;  // Child >= 627 marks a leaf
constexpr size_t kRoot = TLzhModel::Root;
// Child[626]: the root's children are the two heaviest other nodes, at 624 and 625,
// from the first tree on (trades never move the root, rebuilds end with it).
constexpr size_t kRootChild = kRoot - 2;
constexpr size_t kHistory = TCustomLZHCompressor::RingSize;
constexpr size_t kMaxMatch = TCustomLZHCompressor::MaxMatch;
constexpr size_t kRingStart = TCustomLZHCompressor::RingStart;

// Input at hand: the component's buffer holds at most 32768 bytes, plus the few bytes
// of the item in progress kept over when it is refilled, plus room for 8-byte reads.
constexpr size_t kStageBytes = 32768 + 64;
// An item is at most 313 code bits (a leaf can be no deeper with 314 leaves) and 14
// offset bits; its reads may look 8 bytes further. With this many bytes at hand a fast
// item never runs out, nor would the plain reader ask for input during it.
constexpr size_t kFastMargin = 64;
// Output between two slides of the window; a slide moves 4 KiB.
constexpr size_t kWindowRun = 1 << 16;
// An item writes at most 60 bytes, and copies may overshoot by 7.
constexpr size_t kWindowBytes = kHistory + kWindowRun + 128;

// Eight bytes from p, the first one in the high byte.
uint64_t Load64(const uint8_t* p)
{
    uint64_t w;
    std::memcpy(&w, p, 8);
    return __builtin_bswap64(w);
}

// The stream from bit `pos` on, that bit in bit 63; at least kPeekBits are valid.
constexpr size_t kPeekBits = 57;
uint64_t Peek(const uint8_t* in, size_t pos)
{
    return Load64(in + (pos >> 3)) << (pos & 7);
}

void Copy8(uint8_t* to, const uint8_t* from)
{
    uint64_t w;
    std::memcpy(&w, from, 8);
    std::memcpy(to, &w, 8);
}

}  // namespace

const size_t TLzhDecoder::SpaceBytes = kStageBytes + kWindowBytes;

TLzhDecoder::TLzhDecoder(TCustomLZHCompressor& Owner, uint8_t* Space)
    : c_(Owner),
      model_(Owner.Freq.get(), Owner.Parent.get(), Owner.Child.get()),
      stage_(Space),
      window_(Space + kStageBytes)
{
    op_ = pending_ = window_ + kHistory;
    slideAt_ = window_ + kHistory + kWindowRun;
}

void TLzhDecoder::Run()
{
    model_.Init();
    // The window's history is the ring's initial image in the order a copy sees it:
    // ring index (4036 - k) mod 4096 lies k bytes before the first output byte, so
    // the 60 zeros of indexes 4036..4095 come first, then the 4036 spaces.
    std::memset(window_, 0, kHistory - kRingStart);
    std::memset(window_ + (kHistory - kRingStart), 0x20, kRingStart);
    std::memset(stage_, 0, kStageBytes);
    for (;;) {
        if (!ended_ && avail_ >= kFastMargin) {
            FastItems((avail_ - kFastMargin) * 8);
            // Each item ends with a single-bit read, after which the plain reader has
            // asked for the bytes up to the one holding the next 8 bits.
            taken_ = pos_ == 0 ? 0 : (pos_ + 6) / 8 + 1;
        }
        if (op_ > slideAt_) Slide();
        if (!ExactItem()) break;
    }
    Flush();
}

namespace {

// Walks the tree from its root along the bits from `pos` on: returns the leaf's Child
// value, the walked positions in path[0 ..n] (path[0] = the root).
inline __attribute__((always_inline)) size_t Walk(const uint16_t* child, const uint8_t* in, size_t pos,
                                                  uint16_t* path, size_t& depth)
{
    uint64_t bits = Peek(in, pos);
    size_t v = kRootChild;
    path[0] = static_cast<uint16_t>(kRoot);
    size_t n = 0;
    while (v < kLeaf) {
        size_t p = v + static_cast<size_t>(bits >> 63);
        bits <<= 1;
        v = child[p];
        path[++n] = static_cast<uint16_t>(p);
    }
    if (__builtin_expect(n > kPeekBits, 0)) {
        // The walk ran past the bits it had (zeros were shifted in). Weights stay
        // below 0x8000, so no code is that long; walk again bit by bit all the same.
        v = kRootChild;
        for (n = 0; v < kLeaf; ++n) {
            size_t p = v + ((in[(pos + n) >> 3] >> (7 - ((pos + n) & 7))) & 1);
            v = child[p];
            path[n + 1] = static_cast<uint16_t>(p);
        }
    }
    depth = n;
    return v;
}

// Whether a walk read a Child entry that the climb beside it changed: the positions
// path[1 ..n] (the root is never traded).
bool WalkedThroughTrade(const uint16_t* path, size_t n, const TLzhModel::TTrades& trades)
{
    if (trades.Count > 8) return true;
    for (size_t t = 0; t < trades.Count; ++t)
        for (size_t k = 1; k <= n; ++k)
            if (path[k] == trades.At[t]) return true;
    return false;
}

}  // namespace

// Items starting at or before bit lastStart, with no input asked for.
//
// Each item's model update climbs (after its first trade) up a chain of dependent
// Parent loads, and the next item's code walks down a chain of dependent Child loads.
// The two can run side by side: the walk sees the tree the update leaves unless the
// climb trades at a position the walk went through, and then it is walked again.
// That pays where climbs seldom trade (text-like and random bytes, where leaves of
// equal weight abound), and costs where they often do (executable code); which way to
// go is decided from the streak so far.
void TLzhDecoder::FastItems(size_t lastStart)
{
    if (pos_ > lastStart) return;
    const bool sideBySide = c_.ReadWay == TLzhReadWay::AsSuggested ? climbTrades_ * 4 < climbs_
                                                                     : c_.ReadWay == TLzhReadWay::SideBySide;
    climbs_ /= 2;  // the recent past counts most
    climbTrades_ /= 2;
    if (sideBySide)
        FastRun<true>(lastStart);
    else
        FastRun<false>(lastStart);
}

template <bool SideBySide>
void TLzhDecoder::FastRun(size_t lastStart)
{
    // Locals, not members: the byte stores of the output may alias anything.
    TLzhModel model = model_;
    const uint16_t* const child = model.Child();
    const uint8_t* const in = stage_;
    uint16_t* const path = path_;
    size_t pos = pos_;
    uint8_t* op = op_;
    size_t climbs = 0, climbTrades = 0;
    size_t n = 0, v = 0;
    if (SideBySide && pos <= lastStart) v = Walk(child, in, pos, path, n);
    while (pos <= lastStart) {
        if (!SideBySide) v = Walk(child, in, pos, path, n);
        const size_t s = v - kLeaf;
        pos += n;
        size_t d = 0;
        if (s >= 256) {
            // Offset: the prefix code of d >> 6 (3..8 bits), then the low 6 bits of d.
            uint64_t bits = Peek(in, pos);
            unsigned b = static_cast<unsigned>(bits >> 56);
            unsigned prefix = LzhOffset.bits[b];
            d = size_t(LzhOffset.upper[b]) << 6 | static_cast<size_t>((bits << prefix) >> 58);
            pos += prefix + 6;
        }
        size_t c = model.BeginAlong(path, n);
        TLzhModel::TTrades traded;
        climbs += c != kRoot;
        if (SideBySide && c != kRoot && pos <= lastStart) {
            // The next code, walked while this update climbs.
            uint64_t bits = Peek(in, pos);
            v = kRootChild;
            n = 0;
            path[0] = static_cast<uint16_t>(kRoot);
            while (c != kRoot && v < kLeaf) {
                c = model.Step(c, traded);
                size_t p = v + static_cast<size_t>(bits >> 63);
                bits <<= 1;
                v = child[p];
                path[++n] = static_cast<uint16_t>(p);
            }
            while (c != kRoot) c = model.Step(c, traded);
            while (v < kLeaf) {
                size_t p = v + static_cast<size_t>(bits >> 63);
                bits <<= 1;
                v = child[p];
                path[++n] = static_cast<uint16_t>(p);
            }
            if ((traded.Count != 0 && WalkedThroughTrade(path, n, traded)) || n > kPeekBits) v = Walk(child, in, pos, path, n);
        } else {
            while (c != kRoot) c = model.Step(c, traded);
            if (SideBySide && pos <= lastStart) v = Walk(child, in, pos, path, n);
        }
        model.CountRoot();
        climbTrades += traded.Count / 2;
        if (op > slideAt_) {
            op_ = op;
            Slide();
            op = op_;
        }
        if (s < 256)
            *op++ = static_cast<uint8_t>(s);
        else
            Copy(op, d, s - 253);
    }
    pos_ = pos;
    op_ = op;
    climbs_ += climbs;
    climbTrades_ += climbTrades;
}

// One item read exactly as the plain reader reads it. Returns false at a stop.
bool TLzhDecoder::ExactItem()
{
    const uint16_t* const child = model_.Child();
    size_t v = kRootChild;
    size_t n = 0;
    path_[0] = static_cast<uint16_t>(kRoot);
    while (v < kLeaf) {
        size_t p = v + ExactBit();
        v = child[p];
        path_[++n] = static_cast<uint16_t>(p);
        // The input has ended and the bits held are all 0: the last 1 bit read was the
        // end marker. The symbol in progress is dropped.
        if (ended_ && HeldBits() == 0) {
            c_.ReadBitBuffer = 0x8000;
            c_.ReadBitCount = static_cast<uint8_t>(taken_ * 8 - pos_);
            return false;
        }
    }
    model_.UpdateAlong(path_, n);
    size_t s = v - kLeaf;
    if (s < 256)
        *op_++ = static_cast<uint8_t>(s);
    else
        Copy(op_, ExactOffset(), s - 253);
    c_.ReadBitBuffer = HeldBits();
    c_.ReadBitCount = static_cast<uint8_t>(taken_ * 8 - pos_);
    // Only the end marker's 1 bit is left of an ended input.
    return !(ended_ && c_.ReadBitBuffer == 0x8000);
}

// Before each read: the plain reader holds 8 bits or more, asking for a byte if not.
void TLzhDecoder::Want()
{
    if (taken_ * 8 - pos_ < 8) Ask();
}

void TLzhDecoder::Ask()
{
    if (taken_ < avail_) {
        ++taken_;
        return;
    }
    // The plain reader would ask the component now, with all earlier output written.
    Flush();
    size_t drop = pos_ >> 3;
    std::memmove(stage_, stage_ + drop, avail_ - drop);
    avail_ -= drop;
    taken_ -= drop;
    pos_ -= drop * 8;
    uint8_t x = 0;
    uint16_t got = 0;
    c_.ReadBytes(&x, 1, got);
    if (got != 1) {
        // Missing bytes read as 0 bits, and the input stays ended for the rest of the
        // stream (each further ask still goes to the component).
        x = 0;
        ended_ = true;
        c_.InputEnded = true;
    }
    stage_[avail_++] = x;
    ++taken_;
    if (got != 1) return;
    // What the component's buffer still holds comes without a hook call.
    if (c_.InputPos <= c_.InputCount) {
        uint16_t rest = static_cast<uint16_t>(
            std::min<size_t>(size_t(c_.InputCount) - c_.InputPos + 1, kStageBytes - 8 - avail_));
        uint16_t more = 0;
        c_.ReadBytes(stage_ + avail_, rest, more);
        avail_ += std::min(more, rest);
    }
}

unsigned TLzhDecoder::ExactBit()
{
    Want();
    unsigned bit = (stage_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1;
    ++pos_;
    return bit;
}

size_t TLzhDecoder::ExactOffset()
{
    Want();
    size_t at = pos_ >> 3;
    unsigned b = ((unsigned(stage_[at]) << 8 | stage_[at + 1]) >> (8 - (pos_ & 7))) & 0xFF;
    pos_ += 8;
    size_t u = LzhOffset.upper[b];
    for (int i = LzhOffset.bits[b] - 2; i > 0; --i) b = 2 * b + ExactBit();
    return u << 6 | (b & 0x3F);
}

// The plain reader's 16-bit bit buffer: the bits from pos_ up to the end of the bytes
// asked for (at most 15), the next one in bit 15, zeros below.
uint16_t TLzhDecoder::HeldBits() const
{
    size_t count = taken_ * 8 - pos_;
    if (count == 0) return 0;
    size_t at = pos_ >> 3;
    uint32_t w = uint32_t(stage_[at]) << 16 | uint32_t(stage_[at + 1]) << 8 | stage_[at + 2];
    w = (w << (pos_ & 7)) >> 8;
    return static_cast<uint16_t>(w & (0xFFFFu << (16 - count)));
}

// Appends the len bytes that start d + 1 bytes back; a copy may overlap its own output.
void TLzhDecoder::Copy(uint8_t*& op, size_t d, size_t len)
{
    const size_t dist = d + 1;
    uint8_t* const to = op;
    const uint8_t* const from = to - dist;
    if (dist >= 8) {
        for (size_t k = 0; k < len; k += 8) Copy8(to + k, from + k);
    } else {
        // The output repeats with period dist; past the first `span` bytes (a multiple
        // of the period of at least 8) it repeats what lies span bytes back.
        size_t span = dist;
        while (span < 8) span += dist;
        size_t k = 0;
        for (; k < len && k < span; ++k) to[k] = from[k];
        for (; k < len; k += 8) Copy8(to + k, to + k - span);
    }
    op = to + len;
}

// Hands the pending output to WriteBytes in pieces that fit the output buffer, as the
// plain reader's byte-by-byte writes would fill and hand it on.
void TLzhDecoder::Flush()
{
    const size_t size = c_.OutputBufferSize();
    while (pending_ < op_) {
        size_t held = size_t(c_.OutputPos) - 1;
        size_t n = held < size ? size - held : size;
        n = std::min<size_t>(n, static_cast<size_t>(op_ - pending_));
        uint16_t written = 0;
        c_.WriteBytes(pending_, static_cast<uint16_t>(n), written);
        pending_ += n;
    }
}

// Keeps the last 4 KiB of output as history at the window's start.
void TLzhDecoder::Slide()
{
    Flush();
    std::memmove(window_, op_ - kHistory, kHistory);
    op_ = pending_ = window_ + kHistory;
    static_assert(kWindowBytes >= kHistory + kWindowRun + kMaxMatch + 8 + 60);
}
