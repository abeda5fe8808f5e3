#include "codec/LzhModel.h"

#include <array>

void TLzhModel::Init()
{
    for (size_t s = 0; s < SymbolCount; ++s) {
        freq_[s] = 1;
        child_[s] = static_cast<uint16_t>(s + NodeCount);
        parent_[s + NodeCount] = static_cast<uint16_t>(s);
    }
    size_t i = 0;
    for (size_t j = SymbolCount; j < NodeCount; ++j) {
        freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
        child_[j] = static_cast<uint16_t>(i);
        parent_[i] = parent_[i + 1] = static_cast<uint16_t>(j);
        i += 2;
    }
    freq_[NodeCount] = 0xFFFF;
    parent_[Root] = 0;
}

// The tree is defined by insertion: the leaves (halved) go to 0..313 in their order;
// then for j = 314..626 the pair at positions i, i + 1 (i = 0, 2, 4, ...) gets a new
// node of their summed weight, inserted after every node of weight <= that sum, the
// nodes above shifting up. Inserting costs a block move each; the same order comes out
// of one merge, because
//   - a new node never lands at or below i + 1 (nodes there weigh at most its sum), so
//     positions up to i + 1 are final once node j is made, and
//   - the sums come out non-decreasing (each pair lies above the previous one),
// which makes the result the merge of the leaves and the new nodes in order of
// creation, a leaf first where weights tie (it was there before the new node).
void TLzhModel::Rebuild()
{
    std::array<uint16_t, SymbolCount> leafFreq, leafChild;
    size_t n = 0;
    for (size_t i = 0; i < NodeCount; ++i) {
        if (child_[i] >= NodeCount) {
            leafFreq[n] = static_cast<uint16_t>((freq_[i] + 1) / 2);
            leafChild[n] = child_[i];
            ++n;
        }
    }
    std::array<uint16_t, NodeCount - SymbolCount> nodeFreq, nodeChild;
    size_t made = 0, leavesPlaced = 0, nodesPlaced = 0, placed = 0;
    auto placeNext = [&] {
        if (leavesPlaced < SymbolCount && (nodesPlaced == made || leafFreq[leavesPlaced] <= nodeFreq[nodesPlaced])) {
            freq_[placed] = leafFreq[leavesPlaced];
            child_[placed] = leafChild[leavesPlaced++];
        } else {
            freq_[placed] = nodeFreq[nodesPlaced];
            child_[placed] = nodeChild[nodesPlaced++];
        }
        ++placed;
    };
    for (size_t i = 0; made < NodeCount - SymbolCount; i += 2) {
        while (placed < i + 2) placeNext();
        nodeFreq[made] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
        nodeChild[made] = static_cast<uint16_t>(i);
        ++made;
    }
    while (placed < NodeCount) placeNext();
    for (size_t p = 0; p < NodeCount; ++p) {
        size_t k = child_[p];
        parent_[k] = static_cast<uint16_t>(p);
        if (k < NodeCount) parent_[k + 1] = static_cast<uint16_t>(p);
    }
}
