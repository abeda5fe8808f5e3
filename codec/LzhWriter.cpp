#include "codec/LzhWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>

#include "codec/JobThread.h"
#include "codec/LzhTables.h"

namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = TCustomLZHCompressor::MaxMatch;
constexpr int kLeafBase = TCustomLZHCompressor::NodeCount;
constexpr int kRoot = TCustomLZHCompressor::RootNode;
constexpr int kHistory = TCustomLZHCompressor::RingSize;  // farthest copy source: d = 4095

// Positions. Every byte the reader's ring has seen gets an absolute position: the
// ring's initial image (60 zeros for ring indexes 4036..4095, then 4036 spaces for
// 0..4035) occupies kImageBase .. kDataBase - 1 and data byte i sits at kDataBase + i.
// So a copy source at distance dist = d + 1 <= 4096 is simply position pos - dist, the
// image included, exactly as the reader's ring holds it.
constexpr uint64_t kImageBase = 1u << 13;
constexpr uint64_t kDataBase = kImageBase + kHistory;

// The search tree keeps one node per position in kSlots slots, position p in slot
// p & (kSlots - 1). kSlots is a power of two above kWindow, so the positions a search
// can reach (distances 1..4096) never share a slot and the slot costs one mask.
constexpr uint32_t kWindow = kHistory;
constexpr uint32_t kSlots = 2 * kHistory;
static_assert((kSlots & (kSlots - 1)) == 0 && kSlots > kWindow);
constexpr int kHashBits = 14;   // tree heads (four-byte hashes)
constexpr int kHash3Bits = 14;  // chain heads (three-byte hashes)
// Chain links followed for the nearest three-byte copy; collisions of the hash are
// rare, so this is hardly ever reached.
constexpr int kChainSteps = 64;
// Tree nodes visited per search. Past 64 the matches found hardly change.
constexpr int kCutValue = 64;

// The match finder runs one block ahead of the parser, on a second thread: while the
// parser prices and codes block i, the finder inserts the positions of block i + 1
// into the tree and records their matches. Both only read the window; it slides and
// refills between blocks, when neither runs.
constexpr int kBlock = 1 << 15;
// Positions per shortest-path search. Its prices are set at its start and go stale
// as the model adapts; thanks to the lookahead below a segment end costs no forced
// break, so segments can be short enough to keep prices fresh.
constexpr int kSegment = 1 << 12;
// Positions searched past a segment's commit point (see ParseOptimal). A path rarely
// changes more than an item or two back from where its search ends, so 32 positions
// suffice (longer lookaheads only re-parse more positions; none made streams smaller).
constexpr size_t kLookahead = 32;
constexpr int kNiceLength = kMaxMatch;  // matches this long are taken at once
constexpr int kHeldItems = 3;      // final items kept back for the end-of-stream check
// Bytes kept before the parser's block: a copy source for every position the parser may
// still code (a segment's lookahead can leave up to ~100 positions of the previous
// block), and for the end-of-stream variants.
constexpr int kKeep = kHistory + 1024;
// The parser's block, the finder's block and the finder's lookahead.
constexpr int kWindowCapacity = kKeep + 2 * kBlock + kMaxMatch + 1;

struct Pair {
    uint8_t len;
    uint16_t dist;  // distance, 1..4096 (d = dist - 1)
};

struct Snapshot {
    std::array<uint16_t, TCustomLZHCompressor::NodeCount + 1> freq;
    std::array<uint16_t, TCustomLZHCompressor::NodeCount + TCustomLZHCompressor::SymbolCount> parent;
    std::array<uint16_t, TCustomLZHCompressor::NodeCount> child;
    uint64_t acc;
    int bits;
    size_t outSize;
    int64_t items;
};

}  // namespace

struct TLzhStreamWriter::Impl {
    TCustomLZHCompressor& c;
    TLzhWriterOptions opt;

    // Input window: win[k] is the byte at absolute position winBase + k.
    std::vector<uint8_t> win;
    uint64_t winBase = kImageBase;
    uint64_t winEnd = kImageBase;  // one past the last loaded position
    bool eof = false;
    int64_t inBytes = 0;

    // Binary search tree over the window (two links per slot) and hash heads. Links
    // keep the low 16 bits of a position: small enough for the tree to stay in the
    // first-level cache (see Sweep for why they cannot be mistaken).
    std::vector<uint16_t> son;
    std::vector<uint32_t> head;
    std::vector<uint16_t> chain3;  // per slot: the previous position of the same chain
    std::vector<uint32_t> head3;
    uint64_t nextSweep = 0;

    // Matches of the positions of one block: pairs[first[k] .. first[k + 1]) for position
    // start + k. Three rotate: the parser reads the current block and the previous one
    // (its last segment may start there), the finder fills the next.
    struct alignas(64) Block {
        uint64_t start = 0, end = 0;
        // Left uninitialised: only the pages in use get touched (a fault per page is
        // dear on a virtual machine).
        std::unique_ptr<uint32_t[]> first;
        std::unique_ptr<Pair[]> pairs;
        size_t firstRoom = 0, pairRoom = 0;
    };
    std::array<Block, 3> blocks;
    const Block* cur = nullptr;
    const Block* prev = nullptr;

    // Prices.
    std::array<uint8_t, TCustomLZHCompressor::SymbolCount> symLen{};
    std::array<uint32_t, kMaxMatch + 1> lenPrice{};  // symLen of length l's symbol, l >= 3
    int64_t pricedAt = -1;  // item count when symLen was last computed
    std::vector<uint32_t> price;
    std::vector<Item> from;
    std::vector<Item> path;
    std::vector<Item> held;

    // Bit writer: acc holds `bits` (0..7) pending bits in its low end.
    uint64_t acc = 0;
    int bits = 0;
    std::vector<uint8_t> out;
    int64_t outBytes = 0;
    int64_t items = 0;

    Impl(TCustomLZHCompressor& owner, TLzhWriterOptions o) : c(owner), opt(o) {}

    // ----- input -----------------------------------------------------------------
    const uint8_t* At(uint64_t pos) const { return win.data() + (pos - winBase); }

    void Load()
    {
        const uint16_t piece = c.InputBufferSize();
        while (!eof && win.size() < static_cast<size_t>(kWindowCapacity)) {
            size_t room = kWindowCapacity - win.size();
            uint16_t want = static_cast<uint16_t>(std::min<size_t>(room, piece));
            size_t old = win.size();
            win.resize(old + want);
            uint16_t got = 0;
            c.ReadBytes(win.data() + old, want, got);
            if (got > want) got = want;
            win.resize(old + got);
            if (got == 0) eof = true;
            inBytes += got;
            c.BytesIn = static_cast<uint32_t>(c.BytesIn + got);
        }
        winEnd = winBase + win.size();
    }

    // Keeps kKeep bytes before pos, drops older ones, then refills.
    void Slide(uint64_t pos)
    {
        uint64_t keep = pos - kKeep;
        if (keep > winBase) {
            size_t drop = static_cast<size_t>(keep - winBase);
            win.erase(win.begin(), win.begin() + static_cast<std::ptrdiff_t>(drop));
            winBase = keep;
        }
        Load();
    }

    // ----- match finder -------------------------------------------------------------
    // The first three bytes pick a chain, the first four a tree.
    static uint32_t Hash3(const uint8_t* p)
    {
        uint32_t v = p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
        return (v * 2654435761u) >> (32 - kHash3Bits);
    }
    static uint32_t Hash4(const uint8_t* p)
    {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    // Heads are never refreshed on their own, so every 2^30 positions those that have
    // left the window are pinned just outside it; 32-bit position differences then
    // never wrap into the window. Tree and chain links are only followed from nodes
    // inside the window, and every link written at position p points at p - 4097 or
    // later, so a followed link is never more than two windows old and its 16 bits
    // cannot wrap.
    void Sweep(uint64_t pos)
    {
        uint32_t p = static_cast<uint32_t>(pos);
        for (auto* table : {&head, &head3})
            for (uint32_t& h : *table)
                if (uint32_t(p - h) > kWindow) h = p - kWindow - 1;
        nextSweep = pos + (1u << 30);
    }

    // Extends a common prefix of length `len` up to `limit` bytes, eight at a time.
    static int MatchLength(const uint8_t* a, const uint8_t* b, int len, int limit)
    {
        while (len + 8 <= limit) {
            uint64_t x, y;
            std::memcpy(&x, a + len, 8);
            std::memcpy(&y, b + len, 8);
            if (x != y) {
                uint64_t diff = x ^ y;
                if constexpr (std::endian::native == std::endian::little)
                    return len + (std::countr_zero(diff) >> 3);
                else
                    return len + (std::countl_zero(diff) >> 3);
            }
            len += 8;
        }
        while (len < limit && a[len] == b[len]) ++len;
        return len;
    }

    // Inserts pos into the tree and, with Collect, stores in found the matches found,
    // in increasing length, each with the nearest distance found for it (at most
    // kMaxMatch - kMinMatch + 1 of them); returns how many. Without Collect (positions
    // whose matches are not needed) found is not touched.
    template <bool Collect>
    int Find(uint64_t pos, Pair* found)
    {
        if (pos >= nextSweep) Sweep(pos);
        const uint8_t* cur = At(pos);
        uint64_t avail = winEnd - pos;
        int lenLimit = static_cast<int>(std::min<uint64_t>(kMaxMatch, avail));
        if (lenLimit < kMinMatch) {
            // Only the last two data bytes: no match can start here and nothing later
            // needs this position in the tree.
            return 0;
        }
        const uint32_t p32 = static_cast<uint32_t>(pos);
        const uint16_t p16 = static_cast<uint16_t>(pos);
        const uint16_t empty = static_cast<uint16_t>(p32 - kWindow - 1);
        int maxLen = kMinMatch - 1, n = 0;

        // The nearest copy of the first three bytes, from the chain of their hash; the
        // tree below holds only positions that agree in four.
        {
            uint32_t& h3 = head3[Hash3(cur)];
            uint32_t delta = p32 - h3;
            chain3[p32 & (kSlots - 1)] = delta - 1 < kWindow ? static_cast<uint16_t>(h3) : empty;
            h3 = p32;
            for (int steps = kChainSteps; delta - 1 < kWindow && steps > 0; --steps) {
                const uint8_t* pb = cur - delta;
                if (pb[0] == cur[0] && pb[1] == cur[1] && pb[2] == cur[2]) {
                    maxLen = MatchLength(pb, cur, kMinMatch, lenLimit);
                    if constexpr (Collect) found[n++] = {static_cast<uint8_t>(maxLen), static_cast<uint16_t>(delta)};
                    break;
                }
                delta = static_cast<uint16_t>(p16 - chain3[(p32 - delta) & (kSlots - 1)]);
            }
        }
        // A match of four or more needs four bytes here, and no later position can
        // copy four from a position that has only three.
        if (lenLimit < 4) return n;

        uint32_t h = Hash4(cur);
        uint32_t delta = p32 - head[h];
        head[h] = p32;
        uint16_t* ptr0 = &son[2 * (p32 & (kSlots - 1)) + 1];
        uint16_t* ptr1 = &son[2 * (p32 & (kSlots - 1))];
        int len0 = 0, len1 = 0, cut = kCutValue;
        for (;;) {
            // delta - 1 wraps for delta == 0: one compare rejects 0 and > kWindow.
            if (cut-- == 0 || delta - 1 >= kWindow) {
                *ptr0 = *ptr1 = empty;
                break;
            }
            const uint32_t match = p32 - delta;
            uint16_t* pair = &son[2 * (match & (kSlots - 1))];
            const uint8_t* pb = cur - delta;
            int len = std::min(len0, len1);
            if (pb[len] == cur[len]) {
                len = MatchLength(pb, cur, len + 1, lenLimit);
                if (len > maxLen) {
                    maxLen = len;
                    if constexpr (Collect) found[n++] = {static_cast<uint8_t>(len), static_cast<uint16_t>(delta)};
                }
                // An equal string (as far as a match can reach) takes the older one's
                // place; the chain's match may have been that long already.
                if (len == lenLimit) {
                    *ptr1 = pair[0];
                    *ptr0 = pair[1];
                    break;
                }
            }
            if (pb[len] < cur[len]) {
                *ptr1 = static_cast<uint16_t>(match);
                ptr1 = pair + 1;
                delta = static_cast<uint16_t>(p16 - *ptr1);
                len1 = len;
            } else {
                *ptr0 = static_cast<uint16_t>(match);
                ptr0 = pair;
                delta = static_cast<uint16_t>(p16 - *ptr0);
                len0 = len;
            }
        }
        return n;
    }

    // ----- model and bits -------------------------------------------------------------
    // Code length of every symbol = depth of its leaf. Children sit below their parent
    // (weights strictly grow upwards), so one downward sweep sees parents first.
    void RefreshPrices()
    {
        std::array<uint8_t, TCustomLZHCompressor::NodeCount> depth;
        const uint16_t* child = c.Child.get();
        depth[kRoot] = 0;
        for (int p = kRoot; p >= 0; --p) {
            int k = child[p];
            if (k >= kLeafBase)
                symLen[k - kLeafBase] = depth[p];
            else
                depth[k] = depth[k + 1] = static_cast<uint8_t>(depth[p] + 1);
        }
        for (int l = kMinMatch; l <= kMaxMatch; ++l) lenPrice[l] = symLen[l + 253];
    }

    // Appends the low len bits of code (nothing above them may be set), len <= 56.
    // The low `bits` bits of acc are the pending ones; bits above them are stale and
    // are shifted out before they could reach a written byte, so they are not cleared.
    void Put(uint64_t code, int len)
    {
        acc = (acc << len) | code;
        bits += len;
        while (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>(acc >> bits));
        }
    }

    // The code of s is the path from the root to its leaf. Siblings always sit at an
    // even position and the next one (the model builds, and its swaps keep, the child
    // links as 0, 2, 4, ...), so the bit that leads to a node is its position's low bit.
    // Returns the code in the low *len bits, then updates the model.
    uint64_t CodeSymbol(int s, int& len)
    {
        const uint16_t* parent = c.Parent.get();
        uint64_t code = 0;
        len = 0;
        for (unsigned q = parent[s + kLeafBase]; q != kRoot; q = parent[q]) {
            code |= uint64_t(q & 1) << len;
            ++len;
        }
        c.UpdateModel(s);
        return code;
    }

    // Writes a code of up to 64 bits.
    void PutLong(uint64_t code, int len)
    {
        if (len > 56) {
            Put(code >> 32, len - 32);
            code &= 0xFFFFFFFFu;
            len = 32;
        }
        Put(code, len);
    }

    void EncodeItem(const Item& it, uint64_t pos)
    {
        int len;
        if (it.Length == 1) {
            uint64_t code = CodeSymbol(*At(pos), len);
            PutLong(code, len);
        } else {
            uint64_t code = CodeSymbol(it.Length + 253, len);
            // The offset: the code of its upper 6 bits, then the lower 6 bits plain;
            // together with the length's code one write as a rule.
            int u = it.Dist >> 6;
            int olen = LzhOffset.codeLength[u] + 6;
            uint64_t off = (uint64_t(LzhOffset.code[u]) << 6) | (it.Dist & 0x3F);
            if (len + olen <= 56) {
                Put((code << olen) | off, len + olen);
            } else {
                PutLong(code, len);
                Put(off, olen);
            }
            c.MatchPosition = it.Dist;
            c.MatchLength = it.Length;
        }
        ++items;
        c.ItemCount = static_cast<uint32_t>(items);
    }

    void FlushOut()
    {
        const uint16_t size = c.OutputBufferSize();
        size_t done = 0;
        uint16_t written = 0;
        while (done < out.size()) {
            int space = int(size) - (int(c.OutputPos) - 1);
            size_t n = space > 0 ? static_cast<size_t>(space) : size;
            n = std::min(n, out.size() - done);
            c.WriteBytes(out.data() + done, static_cast<uint16_t>(n), written);
            done += n;
        }
        outBytes += static_cast<int64_t>(out.size());
        c.BytesOut = static_cast<uint32_t>(outBytes);
        out.clear();
    }

    // ----- parsing ----------------------------------------------------------------
    int Cost(const Item& it, uint64_t pos) const
    {
        if (it.Length == 1) return symLen[*At(pos)];
        return symLen[it.Length + 253] + LzhOffsetCost(it.Dist);
    }

    // Items are queued; all but the last kHeldItems are encoded at once.
    uint64_t heldPos = kDataBase;  // position of held.front()
    void Queue(const Item& it)
    {
        held.push_back(it);
        if (held.size() > static_cast<size_t>(kHeldItems)) {
            EncodeItem(held.front(), heldPos);
            heldPos += held.front().Length;
            held.erase(held.begin());
        }
    }

    // Inserts the positions start .. end - 1 into the tree and records their matches.
    void FindBlock(Block& b, uint64_t start, uint64_t end)
    {
        const size_t count = static_cast<size_t>(end - start);
        if (b.firstRoom < count + 1) {
            b.first.reset(new uint32_t[count + 1]);
            b.firstRoom = count + 1;
        }
        if (b.pairRoom < kBlock + kMaxMatch) {
            b.pairs.reset(new Pair[kBlock + kMaxMatch]);
            b.pairRoom = kBlock + kMaxMatch;
        }
        uint32_t* first = b.first.get();
        Pair* pairs = b.pairs.get();
        size_t n = 0;
        for (size_t k = 0; k < count; ++k) {
            if (b.pairRoom - n < kMaxMatch) {
                Pair* more = new Pair[2 * b.pairRoom];
                std::memcpy(more, pairs, n * sizeof(Pair));
                b.pairs.reset(pairs = more);
                b.pairRoom *= 2;
            }
            first[k] = static_cast<uint32_t>(n);
            n += static_cast<size_t>(Find<true>(start + k, pairs + n));
        }
        first[count] = static_cast<uint32_t>(n);
        b.start = start;
        b.end = end;
    }

    // The matches of pos (in the current block or the one before), in increasing length.
    int MatchesAt(uint64_t pos, const Pair*& fp) const
    {
        const Block& b = pos >= cur->start ? *cur : *prev;
        size_t k = static_cast<size_t>(pos - b.start);
        fp = b.pairs.get() + b.first[k];
        return static_cast<int>(b.first[k + 1] - b.first[k]);
    }

    // Longest usable match at pos, clamped to end.
    Item Longest(uint64_t pos, uint64_t end) const
    {
        const Pair* fp;
        int n = MatchesAt(pos, fp);
        for (int i = n; i-- > 0;) {
            // The clamp may cut the longest one below the minimum; an earlier one may fit.
            int len = static_cast<int>(std::min<uint64_t>(fp[i].len, end - pos));
            if (len >= kMinMatch) return {static_cast<uint16_t>(len), static_cast<uint16_t>(fp[i].dist - 1)};
        }
        return {1, 0};
    }

    uint64_t ParseGreedy(uint64_t start, uint64_t end)
    {
        uint64_t pos = start;
        while (pos < end) {
            Item it = Longest(pos, end);
            Queue(it);
            pos += it.Length;
        }
        return pos;
    }

    size_t sinceRefresh = kSegment;
    uint64_t ParseLazy(uint64_t start, uint64_t end)
    {
        uint64_t pos = start;
        while (pos < end) {
            if (sinceRefresh >= 256) {
                RefreshPrices();
                sinceRefresh = 0;
            }
            Item it = Longest(pos, end);
            if (it.Length >= kMinMatch && it.Length < kNiceLength && pos + 1 < end) {
                Item next = Longest(pos + 1, end);
                if (next.Length > it.Length) {
                    // Bits per byte covered: literal + next match against this match
                    // plus literals for the bytes the next one would cover beyond it.
                    int a = Cost(it, pos);
                    for (int k = it.Length; k < next.Length + 1; ++k) a += symLen[*At(pos + k)];
                    int b = symLen[*At(pos)] + Cost(next, pos + 1);
                    if (b < a) it = {1, 0};
                }
            }
            Queue(it);
            pos += it.Length;
            sinceRefresh += it.Length;
        }
        return pos;
    }

    // Shortest path, in bits, over literal and match steps, in segments of up to
    // kSegment positions; returns the position up to which items were queued (end, or
    // an earlier one when the last segment's lookahead reached end). At a match of
    // kNiceLength or more the segment ends and the match is taken.
    //
    // A segment that runs to its limit is searched kLookahead positions beyond the
    // point it commits: only the path up to its last item boundary at or before
    // limit - kLookahead is queued, so the end of the search never forces a break that
    // the data does not want. The next segment starts at that boundary, with refreshed
    // prices.
    uint64_t ParseOptimal(uint64_t start, uint64_t end)
    {
        uint64_t s = start;
        price.resize(kSegment + 1);
        from.resize(kSegment + 1);
        // Only the true end of the input needs a final break.
        const bool last = eof && end == winEnd;
        while (s < end) {
            // Leaf depths move slowly; after a run of long matches a segment may hold
            // only a few items, so prices are refreshed every 64 items at most.
            if (items - pricedAt >= 64 || pricedAt < 0) {
                RefreshPrices();
                pricedAt = items;
            }
            uint64_t limit = std::min<uint64_t>(s + kSegment, end);
            size_t span = static_cast<size_t>(limit - s);
            // A short segment (at a block end) commits all it has.
            const bool ahead = !(last && limit == end) && span > 2 * (kLookahead + kMaxMatch);
            // Prices are set to "unreached" a stretch ahead of the scan, so that a
            // segment cut short by a long match costs only what it used.
            price[0] = 0;
            size_t filled = 1;
            uint64_t stop = limit;
            Item nice{1, 0};
            for (size_t k = 0; k < span; ++k) {
                uint64_t pos = s + k;
                const Pair* fp;
                const int n = MatchesAt(pos, fp);
                if (n > 0 && fp[n - 1].len >= kNiceLength && end - pos >= kNiceLength) {
                    int len = static_cast<int>(std::min<uint64_t>(fp[n - 1].len, end - pos));
                    nice = {static_cast<uint16_t>(len), static_cast<uint16_t>(fp[n - 1].dist - 1)};
                    stop = pos;
                    break;
                }
                if (k + kMaxMatch + 1 > filled) {
                    size_t to = std::min(span + 1, k + kMaxMatch + 1 + 256);
                    std::fill(price.begin() + static_cast<std::ptrdiff_t>(filled),
                              price.begin() + static_cast<std::ptrdiff_t>(to),
                              std::numeric_limits<uint32_t>::max());
                    filled = to;
                }
                const uint32_t here = price[k];
                uint32_t lit = here + symLen[*At(pos)];
                if (lit < price[k + 1]) {
                    price[k + 1] = lit;
                    from[k + 1] = {1, 0};
                }
                int maxLen = static_cast<int>(std::min<uint64_t>(kMaxMatch, limit - pos));
                int l = kMinMatch;
                uint32_t* const pr = price.data() + k;
                Item* const fr = from.data() + k;
                for (int i = 0; i < n && l <= maxLen; ++i) {
                    int plen = std::min<int>(fp[i].len, maxLen);
                    uint16_t d = static_cast<uint16_t>(fp[i].dist - 1);
                    uint32_t base = here + static_cast<uint32_t>(LzhOffsetCost(d));
                    for (; l <= plen; ++l) {
                        uint32_t cost = base + lenPrice[l];
                        // On a tie the step starting later wins: it leaves the
                        // earlier bytes to literals or matches already priced.
                        if (cost <= pr[l]) {
                            pr[l] = cost;
                            fr[l] = {static_cast<uint16_t>(l), d};
                        }
                    }
                }
            }
            // Walk back from the stop position, past the lookahead first.
            size_t k = static_cast<size_t>(stop - s);
            const bool carry = ahead && stop == limit;
            if (carry) {
                while (k > span - kLookahead) k -= from[k].Length;
                stop = s + k;
            }
            path.clear();
            while (k > 0) {
                const Item& it = from[k];
                path.push_back(it);
                k -= it.Length;
            }
            for (auto it = path.rbegin(); it != path.rend(); ++it) Queue(*it);
            s = stop;
            // The lookahead reached the block end: the next block carries on from here.
            if (carry && limit == end) return s;
            if (nice.Length > 1) {
                Queue(nice);
                s += nice.Length;
            }
        }
        return s;
    }

    // ----- end of stream ------------------------------------------------------------
    void Save(Snapshot& sn) const
    {
        std::memcpy(sn.freq.data(), c.Freq.get(), sizeof(sn.freq));
        std::memcpy(sn.parent.data(), c.Parent.get(), sizeof(sn.parent));
        std::memcpy(sn.child.data(), c.Child.get(), sizeof(sn.child));
        sn.acc = acc;
        sn.bits = bits;
        sn.outSize = out.size();
        sn.items = items;
    }
    void Restore(const Snapshot& sn)
    {
        std::memcpy(c.Freq.get(), sn.freq.data(), sizeof(sn.freq));
        std::memcpy(c.Parent.get(), sn.parent.data(), sizeof(sn.parent));
        std::memcpy(c.Child.get(), sn.child.data(), sizeof(sn.child));
        acc = sn.acc;
        bits = sn.bits;
        out.resize(sn.outSize);
        items = sn.items;
    }

    // A stream is safe unless its items end on a byte boundary while the root's second
    // child is a leaf: then the marker byte 0x80 reads, to a reader that has not yet
    // seen its input end, as the 1-bit code of that leaf's symbol.
    bool SafeEnd() const { return bits != 0 || c.Child[kRoot - 1] < kLeafBase; }

    bool MatchValid(uint64_t pos, int len, int d) const
    {
        const uint8_t* p = At(pos);
        const uint8_t* q = p - (d + 1);
        for (int k = 0; k < len; ++k)
            if (p[k] != q[k]) return false;
        return true;
    }

    // Other ways to code the `len` bytes at pos that item `it` codes.
    void Variants(const Item& it, uint64_t pos, std::vector<std::vector<Item>>& outv) const
    {
        if (it.Length == 1) return;
        const int L = it.Length;
        const uint16_t d = it.Dist;
        auto lits = [](std::vector<Item>& v, int n) {
            for (int i = 0; i < n; ++i) v.push_back({1, 0});
        };
        // Offsets of other code lengths that copy the same bytes.
        std::array<bool, 7> seenLen{};
        seenLen[LzhOffsetCost(d) - 9] = true;
        // History held in the window (the ring image counts as history).
        int maxD = static_cast<int>(std::min<uint64_t>(kHistory, pos - winBase)) - 1;
        for (int dd = 0; dd <= maxD; ++dd) {
            int cl = LzhOffsetCost(dd) - 9;
            if (seenLen[cl] || !MatchValid(pos, L, dd)) continue;
            seenLen[cl] = true;
            outv.push_back({{static_cast<uint16_t>(L), static_cast<uint16_t>(dd)}});
        }
        for (int a = L - 1; a >= kMinMatch; --a) {  // shorter match, then literals
            std::vector<Item> v{{static_cast<uint16_t>(a), d}};
            lits(v, L - a);
            outv.push_back(std::move(v));
        }
        for (int t = 1; L - t >= kMinMatch; ++t) {  // literals, then the rest of the match
            std::vector<Item> v;
            lits(v, t);
            v.push_back({static_cast<uint16_t>(L - t), d});
            outv.push_back(std::move(v));
        }
        for (int a = kMinMatch; L - a >= kMinMatch; ++a)  // two matches
            outv.push_back({{static_cast<uint16_t>(a), d}, {static_cast<uint16_t>(L - a), d}});
        std::vector<Item> all;
        lits(all, L);
        outv.push_back(std::move(all));
    }

    void EncodeList(const std::vector<Item>& list, uint64_t pos)
    {
        for (const Item& it : list) {
            EncodeItem(it, pos);
            pos += it.Length;
        }
    }

    void Finish()
    {
        if (!opt.GuardEnd) {
            EncodeList(held, heldPos);
            return;
        }
        Snapshot sn;
        Save(sn);
        EncodeList(held, heldPos);
        if (SafeEnd()) return;
        // Replace one held item at a time, last first, then pairs of replacements.
        std::vector<uint64_t> at(held.size());
        for (size_t i = 0, p = 0; i < held.size(); ++i) {
            at[i] = heldPos + p;
            p += held[i].Length;
        }
        std::vector<std::vector<std::vector<Item>>> alts(held.size());
        for (size_t i = 0; i < held.size(); ++i) Variants(held[i], at[i], alts[i]);
        auto attempt = [&](size_t i, const std::vector<Item>* vi, size_t j,
                           const std::vector<Item>* vj) {
            Restore(sn);
            uint64_t pos = heldPos;
            for (size_t n = 0; n < held.size(); ++n) {
                const std::vector<Item>* v = n == i ? vi : n == j ? vj : nullptr;
                if (v) {
                    EncodeList(*v, pos);
                } else {
                    EncodeItem(held[n], pos);
                }
                pos += held[n].Length;
            }
            return SafeEnd();
        };
        const size_t none = held.size();
        for (size_t i = held.size(); i-- > 0;)
            for (const auto& v : alts[i])
                if (attempt(i, &v, none, nullptr)) return;
        for (size_t i = held.size(); i-- > 0;)
            for (size_t j = i; j-- > 0;)
                for (const auto& vi : alts[i])
                    for (const auto& vj : alts[j])
                        if (attempt(i, &vi, j, &vj)) return;
        Restore(sn);
        throw ECompress("The stream cannot be ended safely");
    }

    // ----- the run ------------------------------------------------------------------
    // The block of positions after `start` that the window can serve: up to kBlock
    // positions, each with kMaxMatch bytes after it unless the input ends first.
    uint64_t BlockEnd(uint64_t start) const
    {
        uint64_t limit = eof ? winEnd : winEnd - kMaxMatch;
        return std::min<uint64_t>(start + kBlock, std::max(limit, start));
    }

    uint64_t Parse(uint64_t start, uint64_t end)
    {
        switch (opt.Parse) {
        case lpGreedy: return ParseGreedy(start, end);
        case lpLazy: return ParseLazy(start, end);
        default: return ParseOptimal(start, end);
        }
    }

    std::unique_ptr<TJobThread> worker;  // the finder's thread, from the second block on
    void Run()
    {
        son.assign(2 * kSlots, 0);
        head.assign(size_t(1) << kHashBits, 0);
        chain3.assign(kSlots, 0);
        head3.assign(size_t(1) << kHash3Bits, 0);
        c.InitModel();
        win.reserve(kWindowCapacity);
        win.assign(kHistory, 0x20);
        std::fill(win.begin(), win.begin() + kMaxMatch, 0);
        winBase = kImageBase;
        Load();
        Sweep(kImageBase);
        for (uint64_t p = kImageBase; p < kDataBase; ++p) Find<false>(p, nullptr);

        uint64_t pos = kDataBase;
        int index = 0;
        Block* block = &blocks[0];
        // Input beyond the first window fill gets the finder's thread; it is started
        // now so that it is running by the time the second block is due.
        if (!eof && opt.HelperThread && TJobThread::Worthwhile()) worker = std::make_unique<TJobThread>();
        FindBlock(*block, kDataBase, BlockEnd(kDataBase));
        cur = prev = block;
        for (;;) {
            // Find the next block on the helper thread while this one is parsed.
            Block* next = &blocks[(index + 1) % 3];
            const uint64_t nextStart = block->end;
            const uint64_t nextEnd = BlockEnd(nextStart);
            const bool more = nextEnd > nextStart;
            const bool parallel = more && worker && worker->Running();
            if (parallel) worker->Start([this, next, nextStart, nextEnd] { FindBlock(*next, nextStart, nextEnd); });
            // Should the parse throw, the worker's destructor waits for the finder.
            pos = Parse(pos, block->end);
            if (parallel)
                worker->Wait();
            else if (more)
                FindBlock(*next, nextStart, nextEnd);
            // Held items refer to window bytes; the slide keeps kKeep bytes before the
            // next block, which covers them (at most 3 x 60 bytes before pos).
            FlushOut();
            if (nextEnd <= nextStart) break;
            prev = block;
            cur = block = next;
            ++index;
            Slide(block->start);
        }
        Finish();
        Put(1, 1);  // end marker
        if (bits) Put(0, 8 - bits);
        FlushOut();
    }
};

TLzhStreamWriter::TLzhStreamWriter(TCustomLZHCompressor& Owner, TLzhWriterOptions Options)
    : impl_(new Impl(Owner, Options))
{
}

TLzhStreamWriter::~TLzhStreamWriter() { delete impl_; }

void TLzhStreamWriter::Run()
{
    impl_->Run();
    inBytes_ = impl_->inBytes;
    outBytes_ = impl_->outBytes;
}

std::string LzhCompress(const std::string& Data, TLzhWriterOptions Options)
{
    TCustomLZHCompressor codec(nullptr);
    codec.SetInputBufferSize(32768);
    codec.SetOutputBufferSize(32768);
    size_t at = 0;
    std::string result;
    codec.ReadInput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        size_t n = std::min<size_t>(count, Data.size() - at);
        std::memcpy(buf, Data.data() + at, n);
        at += n;
        actual = static_cast<uint16_t>(n);
    };
    codec.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t&) {
        result.append(static_cast<const char*>(buf), count);
    };
    codec.Compress(Options);
    return result;
}

std::string LzhExpand(const std::string& Stream)
{
    TCustomLZHCompressor codec(nullptr);
    size_t at = 0;
    std::string result;
    codec.ReadInput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        size_t n = std::min<size_t>(count, Stream.size() - at);
        std::memcpy(buf, Stream.data() + at, n);
        at += n;
        actual = static_cast<uint16_t>(n);
    };
    codec.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t&) {
        result.append(static_cast<const char*>(buf), count);
    };
    codec.Expand();
    return result;
}
