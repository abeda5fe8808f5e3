#include "product/engine/Query.h"

#include <algorithm>
#include <cmath>

namespace tsly {

namespace {

// The integers k with lo <= k * step + base <= hi, as a closed range (empty when first > last).
void SolveRange(double base, double step, double lo, double hi, double& first, double& last)
{
    if (std::fabs(step) < 1e-12) {
        if (base >= lo && base <= hi) {
            first = -INFINITY;
            last = INFINITY;
        } else {
            first = 1;
            last = 0;
        }
        return;
    }
    double a = (lo - base) / step, b = (hi - base) / step;
    if (a > b) std::swap(a, b);
    first = std::ceil(a);
    last = std::floor(b);
}

}  // namespace

QueryResult TilesInRect(const Tiling& t, const Box& rect, size_t maxTiles, std::vector<PlacedTile>& out)
{
    for (double c : {rect.x0, rect.y0, rect.x1, rect.y1})
        if (!std::isfinite(c) || std::fabs(c) > kMaxCoordinate) return QueryResult::BadRectangle;
    if (rect.x0 > rect.x1 || rect.y0 > rect.y1) return QueryResult::BadRectangle;

    Box motif = BoundsOf(t.Motif[0].Outline);
    for (const MotifTile& m : t.Motif) {
        const Box b = BoundsOf(m.Outline);
        motif = {std::min(motif.x0, b.x0), std::min(motif.y0, b.y0), std::max(motif.x1, b.x1), std::max(motif.y1, b.y1)};
    }
    // A cell moved by d can meet the rectangle only when d lies in this box.
    const double eps = 1e-9;
    const Box shifts{rect.x0 - motif.x1 - eps, rect.y0 - motif.y1 - eps, rect.x1 - motif.x0 + eps,
                     rect.y1 - motif.y0 + eps};

    // Lattice coordinates of the shift box's corners bound I.
    const double det = Cross(t.A, t.B);
    double iLo = INFINITY, iHi = -INFINITY;
    for (Point c : {Point{shifts.x0, shifts.y0}, Point{shifts.x1, shifts.y0}, Point{shifts.x0, shifts.y1},
                    Point{shifts.x1, shifts.y1}}) {
        const double i = Cross(c, t.B) / det;
        iLo = std::min(iLo, i);
        iHi = std::max(iHi, i);
    }
    const size_t start = out.size();
    for (double fi = std::ceil(iLo); fi <= std::floor(iHi); ++fi) {
        // For this I, the J whose shift stays inside the box in x and in y.
        const Point base = fi * t.A;
        double jx0, jx1, jy0, jy1;
        SolveRange(base.x, t.B.x, shifts.x0, shifts.x1, jx0, jx1);
        SolveRange(base.y, t.B.y, shifts.y0, shifts.y1, jy0, jy1);
        const double j0 = std::max(jx0, jy0), j1 = std::min(jx1, jy1);
        for (double fj = j0; fj <= j1; ++fj) {
            const Point shift = base + fj * t.B;
            for (size_t m = 0; m < t.Motif.size(); ++m) {
                Polygon moved = Translated(t.Motif[m].Outline, shift);
                if (!Overlaps(moved, rect, eps)) continue;
                if (out.size() - start >= maxTiles) return QueryResult::TooMany;
                out.push_back({static_cast<int>(m), static_cast<long long>(fi), static_cast<long long>(fj), std::move(moved)});
            }
        }
    }
    return QueryResult::Ok;
}

}  // namespace tsly
