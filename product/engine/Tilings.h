// The catalogue of periodic tilings the engine draws.
//
// A periodic tiling is a motif (a few tiles) repeated by a lattice: every tile of the
// plane is exactly one motif tile moved by i * A + j * B for integers i, j. Edges have
// unit length. Each tile carries a shape (which kind of polygon it is, counted per tiling)
// and a colour class chosen so that tiles sharing an edge never share a class; where a
// tiling needs it, the lattice is a multiple of the smallest one so that the classes
// repeat with it.
#pragma once

#include <string>
#include <vector>

#include "product/engine/Geometry.h"

namespace tsly {

struct MotifTile {
    Polygon Outline;  // counter-clockwise, in the cell at i = j = 0
    int Shape = 0;
    int Colour = 0;
};

struct Tiling {
    std::string Name;    // "Octagons and squares"
    std::string Symbol;  // vertex configuration, "4.8.8"
    std::vector<std::string> ShapeNames;
    Point A, B;  // lattice vectors
    std::vector<MotifTile> Motif;
    int ColourCount = 0;
};

// Built once, on first use; the order is the engine's tiling numbering.
const std::vector<Tiling>& Catalogue();

}  // namespace tsly
