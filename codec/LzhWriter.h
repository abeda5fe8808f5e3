// The stream writer behind TCustomLZHCompressor::Compress, and byte-string helpers.
//
// Use from other code:
//
//   * Component style (for owners that stream from files):
//       TCustomLZHCompressor c(nullptr);
//       c.ReadInput  = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {...};
//       c.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t&) {...};
//       c.Compress();                 // throws what the hooks throw
//       c.CompressedSize();           // bytes handed to WriteOutput
//     A derived class may instead override ReadBytes/WriteBytes, exactly as for Expand.
//
//   * Whole strings:
//       std::string packed = LzhCompress(data);
//       std::string back   = LzhExpand(packed);   // == data
//
// How the writer chooses items:
//   - Matches are found over the last 4096 positions (plus the ring's initial 4036
//     spaces and 60 zeros, which the reader also sees), giving for every length the
//     nearest offset: a hash chain finds the nearest copy of the first three bytes, and
//     binary search trees of the positions that agree in four bytes the longer ones.
//   - Parsing is optimal within segments of up to 4096 positions: a shortest-path search
//     over literal and match steps priced with the CURRENT adaptive code lengths of the
//     model (leaf depths, refreshed for every segment) and the exact offset code lengths.
//     Each search looks 32 positions past the point where it commits its path, so
//     segment ends do not force breaks; the next segment starts at that point.
//     A match of the longest length, 60, is taken at once (it can hardly be beaten).
//   - The match search runs one block of 32 KiB positions ahead of the parse, on a
//     helper thread when the machine has two processors or more: the tree is updated
//     in input order either way, so the stream does not depend on the timing. The
//     hooks are only ever called on the caller's thread.
//   - End of stream: when the last item ends on a byte boundary the end marker is the
//     byte 0x80, and a reader that has not yet seen the end of its input takes that 1 bit
//     as the first step of a new symbol. If the root's second child is then a leaf, the
//     reader would emit that symbol after the data. The writer therefore tries the final
//     items in different forms (split matches, literals, other offsets of equal data)
//     and keeps the first whose final state is safe. If none were (never seen; the search
//     covers hundreds of variants) it throws ECompress rather than write a wrong stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/Lzh_op.h"

enum TLzhParse {
    lpGreedy,   // longest match at each position (reference, for comparisons)
    lpLazy,     // one-step lazy evaluation by code lengths
    lpOptimal,  // shortest path by code lengths (the default)
};

struct TLzhWriterOptions {
    TLzhParse Parse = lpOptimal;
    // False keeps the whole run on the caller's thread (the stream is the same).
    bool HelperThread = true;
    // Only for tests: false turns the end-of-stream safeguard off, so that tests can show
    // the streams it prevents.
    bool GuardEnd = true;
};

// One compress run on the component's model arrays, buffers and hooks.
class TLzhStreamWriter {
public:
    explicit TLzhStreamWriter(TCustomLZHCompressor& Owner, TLzhWriterOptions Options = {});
    TLzhStreamWriter(const TLzhStreamWriter&) = delete;
    TLzhStreamWriter& operator=(const TLzhStreamWriter&) = delete;
    ~TLzhStreamWriter();

    // Reads all input through Owner.ReadBytes and writes the stream (end marker included)
    // through Owner.WriteBytes; the caller does the final flush.
    void Run();
    int64_t InputBytes() const { return inBytes_; }
    int64_t OutputBytes() const { return outBytes_; }

    struct Item {
        uint16_t Length;  // 1 = literal, 3..60 = match
        uint16_t Dist;    // match: d (0..4095)
    };

private:
    struct Impl;
    Impl* impl_;
    int64_t inBytes_ = 0;
    int64_t outBytes_ = 0;
};

// Compresses Data into one complete stream.
std::string LzhCompress(const std::string& Data, TLzhWriterOptions Options = {});
// Expands one complete stream with the component (its Expand, default buffer sizes).
std::string LzhExpand(const std::string& Stream);
