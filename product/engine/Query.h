// The tiles of a tiling that meet a rectangle.
#pragma once

#include <cstddef>
#include <vector>

#include "product/engine/Tilings.h"

namespace tsly {

struct PlacedTile {
    int Motif = 0;  // index into Tiling::Motif
    long long I = 0, J = 0;  // its cell: moved by I * A + J * B
    Polygon Outline;
};

enum class QueryResult { Ok, BadRectangle, TooMany };

// Largest coordinate a rectangle may reach: beyond it the vertices lose the precision
// a drawing needs.
constexpr double kMaxCoordinate = 1e9;

// Appends to out every tile with a point in the closed rectangle (tiles that only touch
// it may or may not be listed, within rounding), cells in increasing I then J, motif
// order within a cell. BadRectangle for a rectangle that is not finite, inverted or
// beyond kMaxCoordinate; TooMany as soon as more than maxTiles tiles are found (out then
// holds what was found so far). The work done is proportional to the tiles listed.
QueryResult TilesInRect(const Tiling& t, const Box& rect, size_t maxTiles, std::vector<PlacedTile>& out);

}  // namespace tsly
