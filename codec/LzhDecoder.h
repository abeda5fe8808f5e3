// The stream reader behind TCustomLZHCompressor::Expand.
//
// Its output is that of the plain reader the format describes (one bit and one byte
// at a time, 16-bit bit buffer, the two stop rules), and so is every call it makes on
// the component: the hooks see the same calls with the same bytes in the same order.
// It gets there by two ways of reading items:
//
//   fast  while enough unread input bytes are at hand for any item: bits come 57 at
//         a time from them, output goes into a window of the last 4 KiB plus the
//         pending bytes, matches are copied eight bytes at a time, and the model update
//         follows the path the tree walk took (TLzhModel::BeginAlong). Where the
//         update's climb seldom trades, the next code is walked while it climbs.
//   exact near the end of the bytes at hand: item by item as the plain reader reads it,
//         asking for input exactly when it would (when fewer than 8 bits are held), so
//         that the input hook is called at the same moments and an ended input gives
//         the same 0 bits and the same stop.
//
// Talking to the component:
//   - Input comes through its ReadBytes. When the plain reader would ask for its next
//     byte, ReadBytes is asked for exactly one (which may call ReadInput), and then for
//     the rest of what the component's buffer holds (which never calls it).
//   - Output goes through its WriteBytes, in pieces that fit what the output buffer
//     has room for, so WriteOutput is handed the same full buffers. Decoded bytes may
//     wait in the window, but never past a call that can reach ReadInput: the pending
//     ones are handed on first, so the hooks are called in the plain reader's order.
//   - An exception from either ends the run at that point (Expand swallows it), as it
//     would end the plain reader; anything decoded beyond that point is dropped.
// A derived class that overrides ReadBytes or WriteBytes sees pieces of up to the buffer
// sizes, and single bytes of input unless it keeps InputPos/InputCount as the base does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/LzhModel.h"

class TCustomLZHCompressor;

class TLzhDecoder {
public:
    // Working memory of a component's runs (input at hand and output window), allocated
    // with the component's first Expand and kept.
    static const size_t SpaceBytes;

    TLzhDecoder(TCustomLZHCompressor& Owner, uint8_t* Space);
    TLzhDecoder(const TLzhDecoder&) = delete;
    TLzhDecoder& operator=(const TLzhDecoder&) = delete;

    // Decodes one stream from the reset component; returns at the end of the stream,
    // or throws what the component's byte I/O threw.
    void Run();

private:
    void FastItems(size_t lastStart);
    template <bool SideBySide>
    void FastRun(size_t lastStart);
    bool ExactItem();
    void Want();
    void Ask();
    unsigned ExactBit();
    size_t ExactOffset();
    uint16_t HeldBits() const;
    void Copy(uint8_t*& op, size_t d, size_t len);
    void Flush();
    void Slide();

    TCustomLZHCompressor& c_;
    TLzhModel model_;
    uint8_t* stage_;        // input at hand; bit 0 of the unread input is bit pos_ from stage_[0]
    size_t avail_ = 0;      // bytes in stage_
    size_t pos_ = 0;        // bits consumed
    size_t taken_ = 0;      // bytes the plain reader has asked for (stage_[0 .. taken_))
    bool ended_ = false;    // an ask found the input ended
    uint8_t* window_;       // [4096 bytes of history][output ...]
    uint8_t* op_;           // where the next output byte goes
    uint8_t* pending_;      // first byte not yet handed to WriteBytes
    uint8_t* slideAt_;      // an item starting beyond this may not fit: slide first
    uint16_t path_[TLzhModel::NodeCount];
    size_t climbs_ = 0;       // recent updates that climbed after a trade
    size_t climbTrades_ = 0;  // and the trades on those climbs
};
