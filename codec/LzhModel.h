// The adaptive Huffman model of the LZH stream, shared by the reader and the writer.
// It works on the component's three arrays (see Lzh_op.h for their layout):
//
//   Freq[p]    weight of the node at position p; non-decreasing in p at all times,
//              Freq[627] = 0xFFFF stops every forward search
//   Child[p]   >= 627: p is a leaf of symbol Child[p] - 627; else the children sit at
//              positions Child[p] (bit 0) and Child[p] + 1 (bit 1), Child[p] even
//   Parent[p]  parent position of p (the root's entry is 0, a position no parent
//              has); Parent[627 + s] is the position of symbol s's leaf; one spare
//              entry after those
//
// After every symbol the weights from its leaf to the root grow by one; a node whose
// weight would pass the next position's first trades places (subtree and all) with
// the last node of its old weight, so the order holds. When the root weight reaches
// 0x8000 the leaf weights are halved (rounding up) and the tree is built anew.
//
// Weights on a root-to-leaf path strictly grow upwards (a parent weighs its child plus
// a sibling of weight >= 1), so the positions on a path grow too. That makes two
// shortcuts exact:
//   - Until the first trade, the climb from a leaf visits exactly the positions the
//     decoder walked down through, so UpdateAlong() takes them from the walk instead
//     of following Parent (independent loads in place of a chain of them).
//   - The climb after a trade changes Child only where it trades again (seldom), so
//     the reader can walk the next code while the climb goes on (BeginAlong, Step).
//   - A trade only ever moves the climbing node upwards within its run of equal
//     weights; the run end is found by comparing many weights at once.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class TLzhModel {
public:
    static constexpr size_t SymbolCount = 314;
    static constexpr size_t NodeCount = 627;  // also the first leaf mark in Child
    static constexpr size_t Root = 626;
    static constexpr uint16_t FreqLimit = 0x8000;
    // Parent holds one entry more than the format needs, written to and never read.
    static constexpr size_t Spare = NodeCount + SymbolCount;
    static constexpr size_t ParentEntries = Spare + 1;

    TLzhModel(uint16_t* freq, uint16_t* parent, uint16_t* child) : freq_(freq), parent_(parent), child_(child) {}

    const uint16_t* Child() const { return child_; }

    // The initial tree: leaves of weight 1 in symbol order at 0..313, consecutive pairs
    // joined by the next free position; the Freq[627] sentinel.
    void Init();
    // Halves the leaf weights (rounding up) and builds the internal nodes again.
    void Rebuild();

    // Counts symbol s: the climb from its leaf (rebuilding first at the weight limit).
    void Update(size_t s)
    {
        if (freq_[Root] == FreqLimit) Rebuild();
        Climb(parent_[NodeCount + s]);
    }

    // The same for a symbol just decoded by walking Path[0] = Root, Path[1], ...,
    // Path[Depth] = its leaf, in the tree as it was before this update.
    void UpdateAlong(const uint16_t* Path, size_t Depth) { Climb(BeginAlong(Path, Depth)); }

    // Positions whose Child entries a climb changed (by trades); Count may exceed the
    // positions kept.
    struct TTrades {
        size_t Count = 0;
        size_t At[8];
    };

    // UpdateAlong in parts, so that a reader can walk its next code meanwhile:
    // BeginAlong counts along the path up to the first trade and returns the position
    // the climb goes on from; Step counts one position of the climb below the root and
    // returns the next; at the root CountRoot ends the update (the root never trades:
    // the sentinel follows it). Only a trade in a Step changes Child (noted in
    // `trades`); a walk that read none of those entries walked the tree the update
    // leaves.
    size_t BeginAlong(const uint16_t* Path, size_t Depth)
    {
        if (freq_[Root] == FreqLimit) {
            // The rebuild moves every node: the climb starts from the leaf's new place.
            size_t s = child_[Path[Depth]] - NodeCount;
            Rebuild();
            return parent_[NodeCount + s];
        }
        for (; Depth > 0; --Depth) {
            size_t c = Path[Depth];
            uint16_t k = static_cast<uint16_t>(freq_[c] + 1);
            freq_[c] = k;
            // Off the walked path after a trade: the traded node climbs from its new
            // place (the root weighs more than anything, so it has a parent).
            if (freq_[c + 1] < k) return parent_[Trade(c, k)];
        }
        return Root;
    }
    size_t Step(size_t c, TTrades& trades)
    {
        uint16_t k = static_cast<uint16_t>(freq_[c] + 1);
        freq_[c] = k;
        if (freq_[c + 1] < k) {
            size_t l = Trade(c, k);
            if (trades.Count < 8) {
                trades.At[trades.Count] = c;
                trades.At[trades.Count + 1] = l;
            }
            trades.Count += 2;
            c = l;
        }
        return parent_[c];
    }
    size_t Step(size_t c)
    {
        uint16_t k = static_cast<uint16_t>(freq_[c] + 1);
        freq_[c] = k;
        if (freq_[c + 1] < k) c = Trade(c, k);
        return parent_[c];
    }
    void CountRoot() { ++freq_[Root]; }

private:
    void Climb(size_t c)
    {
        while (c != Root) c = Step(c);
        CountRoot();
    }

    // c has just grown to weight k and Freq[c + 1] = k - 1: trades c with the last
    // position l of weight k - 1 and returns l.
    size_t Trade(size_t c, uint16_t k)
    {
        size_t l = RunEnd(c, k);
        freq_[c] = freq_[l];
        freq_[l] = k;
        size_t i = child_[c];
        size_t j = child_[l];
        child_[l] = static_cast<uint16_t>(i);
        child_[c] = static_cast<uint16_t>(j);
        // A leaf's entry is its symbol's, and the next one another symbol's: the second
        // child's entry is written only for an internal node (else into the spare
        // entry at the end, which nothing reads; no branch to mispredict).
        parent_[i] = static_cast<uint16_t>(l);
        parent_[i < NodeCount ? i + 1 : Spare] = static_cast<uint16_t>(l);
        parent_[j] = static_cast<uint16_t>(c);
        parent_[j < NodeCount ? j + 1 : Spare] = static_cast<uint16_t>(c);
        return l;
    }

    // The last position after c with a weight below k. Everything after c weighs at
    // least k - 1 (the order), so "below k" is "equal to k - 1".
    size_t RunEnd(size_t c, uint16_t k) const
    {
        size_t l = c + 1;
        if (freq_[l + 1] >= k) return l;  // the usual case: a run of two
        ++l;
#if defined(__SSE2__)
        // Sixteen weights per step while they lie below the sentinel.
        const __m128i run = _mm_set1_epi16(static_cast<short>(k - 1));
        while (l + 16 < NodeCount) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(freq_ + l + 1));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(freq_ + l + 9));
            unsigned same = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, run), _mm_cmpeq_epi16(b, run))));
            if (same != 0xFFFF) return l + static_cast<size_t>(__builtin_ctz(~same));
            l += 16;
        }
#endif
        while (freq_[l + 1] < k) ++l;
        return l;
    }

    uint16_t* freq_;
    uint16_t* parent_;
    uint16_t* child_;
};
