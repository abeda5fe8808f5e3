#include "product/engine/Colouring.h"

#include <set>
#include <stdexcept>

namespace tsly {

namespace {

constexpr double kSame = 1e-7;  // vertices closer than this are the same vertex

int SharedVertices(const Polygon& a, const Polygon& b)
{
    int n = 0;
    for (const Point& p : a)
        for (const Point& q : b)
            if (Length(p - q) < kSame) ++n;
    return n;
}

}  // namespace

std::vector<std::pair<int, int>> MotifAdjacency(const Tiling& t)
{
    // Neighbouring cells within two steps cover every motif this catalogue holds: a
    // motif spans little more than one cell.
    std::set<std::pair<int, int>> pairs;
    const int count = static_cast<int>(t.Motif.size());
    for (int m = 0; m < count; ++m)
        for (int i = -2; i <= 2; ++i)
            for (int j = -2; j <= 2; ++j)
                for (int n = 0; n < count; ++n) {
                    if (i == 0 && j == 0 && n == m) continue;
                    const Polygon moved = Translated(t.Motif[n].Outline, i * t.A + j * t.B);
                    // Convex tiles of an edge-to-edge tiling that share two corners share
                    // the edge between them.
                    if (SharedVertices(t.Motif[m].Outline, moved) >= 2) pairs.insert({std::min(m, n), std::max(m, n)});
                }
    return {pairs.begin(), pairs.end()};
}

void AssignColours(Tiling& t)
{
    const auto pairs = MotifAdjacency(t);
    const int count = static_cast<int>(t.Motif.size());
    std::vector<int> colour(count, -1);
    for (const auto& [m, n] : pairs)
        if (m == n) throw std::logic_error(t.Name + ": a tile borders its own copy; the cell is too small to colour");
    t.ColourCount = 0;
    for (int m = 0; m < count; ++m) {
        std::set<int> taken;
        for (const auto& [a, b] : pairs) {
            if (a == m && colour[b] >= 0) taken.insert(colour[b]);
            if (b == m && colour[a] >= 0) taken.insert(colour[a]);
        }
        int c = 0;
        while (taken.count(c)) ++c;
        colour[m] = c;
        t.Motif[m].Colour = c;
        t.ColourCount = std::max(t.ColourCount, c + 1);
    }
}

}  // namespace tsly
