// Colour classes for a tiling's motif: tiles that share an edge get different classes.
#pragma once

#include <utility>
#include <vector>

#include "product/engine/Tilings.h"

namespace tsly {

// Pairs (m, n) of motif tiles such that tile m of the cell at the origin shares an
// edge with tile n of some cell (n may equal m only for another cell). Each unordered
// pair is listed once.
std::vector<std::pair<int, int>> MotifAdjacency(const Tiling& t);

// Gives every motif tile the smallest class none of its already coloured neighbours
// has, in motif order, and sets ColourCount. Throws std::logic_error when a tile shares
// an edge with its own copy in another cell: no colouring that repeats with the
// lattice exists then, and the motif needs a larger cell.
void AssignColours(Tiling& t);

}  // namespace tsly
