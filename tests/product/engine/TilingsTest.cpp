// The catalogue: every tiling is the tiling its vertex configuration names, with unit
// edges, no gaps or overlaps, and colour classes that differ across every edge.
#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "product/engine/Colouring.h"
#include "product/engine/Query.h"
#include "product/engine/Tilings.h"

using namespace tsly;

namespace {

// A window of some 15 x 15 edges, away from the origin so that negative cells count too.
const Box kWindow{-7.3, -5.1, 8.2, 9.6};

std::vector<PlacedTile> TilesIn(const Tiling& t, const Box& box)
{
    std::vector<PlacedTile> out;
    EXPECT_EQ(TilesInRect(t, box, 100000, out), QueryResult::Ok);
    return out;
}

std::vector<int> SymbolNumbers(const std::string& symbol)
{
    std::vector<int> n;
    std::stringstream s(symbol);
    std::string part;
    while (std::getline(s, part, '.')) n.push_back(std::stoi(part));
    return n;
}

// Equal as cyclic sequences, read either way round.
bool SameCycle(std::vector<int> a, const std::vector<int>& b)
{
    if (a.size() != b.size()) return false;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t r = 0; r < a.size(); ++r) {
            std::rotate(a.begin(), a.begin() + 1, a.end());
            if (a == b) return true;
        }
        std::reverse(a.begin(), a.end());
    }
    return false;
}

class EachTiling : public ::testing::TestWithParam<int> {
protected:
    const Tiling& T() const { return Catalogue()[static_cast<size_t>(GetParam())]; }
};

TEST_P(EachTiling, MotifHasUnitEdgesConvexTilesAndFillsItsCell)
{
    double area = 0;
    for (const MotifTile& m : T().Motif) {
        const Polygon& p = m.Outline;
        ASSERT_GE(p.size(), 3u);
        for (size_t i = 0; i < p.size(); ++i) {
            const Point a = p[i], b = p[(i + 1) % p.size()], c = p[(i + 2) % p.size()];
            EXPECT_NEAR(Length(b - a), 1.0, 1e-9) << T().Name;
            EXPECT_GT(Cross(b - a, c - b), 0) << T().Name << ": not convex and counter-clockwise";
        }
        EXPECT_GE(m.Shape, 0);
        EXPECT_LT(m.Shape, static_cast<int>(T().ShapeNames.size()));
        area += Area(p);
    }
    EXPECT_NEAR(area, std::fabs(Cross(T().A, T().B)), 1e-9) << T().Name;
}

TEST_P(EachTiling, EveryPointOfTheWindowLiesInExactlyOneTile)
{
    const auto tiles = TilesIn(T(), kWindow);
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> x(kWindow.x0, kWindow.x1), y(kWindow.y0, kWindow.y1);
    for (int n = 0; n < 3000; ++n) {
        const Point p{x(rng), y(rng)};
        int inside = 0, near = 0;
        for (const auto& t : tiles) {
            inside += ContainsPoint(t.Outline, p, 1e-9);
            near += ContainsPoint(t.Outline, p, -1e-9);
        }
        ASSERT_LE(inside, 1) << T().Name << ": tiles overlap at " << p.x << "," << p.y;
        ASSERT_GE(near, 1) << T().Name << ": gap at " << p.x << "," << p.y;
    }
}

TEST_P(EachTiling, EveryVertexHasTheNamedConfiguration)
{
    // Around each vertex well inside the window, the polygons in angular order.
    const auto tiles = TilesIn(T(), kWindow);
    const std::vector<int> expected = SymbolNumbers(T().Symbol);
    std::map<std::pair<long long, long long>, std::vector<std::pair<double, int>>> around;
    for (const auto& t : tiles)
        for (const Point& v : t.Outline) {
            if (v.x < kWindow.x0 + 2 || v.x > kWindow.x1 - 2 || v.y < kWindow.y0 + 2 || v.y > kWindow.y1 - 2) continue;
            const Point c = Centroid(t.Outline) - v;
            around[{std::llround(v.x * 1e6), std::llround(v.y * 1e6)}].push_back(
                {std::atan2(c.y, c.x), static_cast<int>(t.Outline.size())});
        }
    ASSERT_GT(around.size(), 10u);
    for (auto& [where, list] : around) {
        std::sort(list.begin(), list.end());
        std::vector<int> sizes;
        for (const auto& e : list) sizes.push_back(e.second);
        EXPECT_TRUE(SameCycle(sizes, expected)) << T().Name << ": a vertex with " << ::testing::PrintToString(sizes);
    }
}

TEST_P(EachTiling, TilesSharingAnEdgeHaveDifferentColours)
{
    const auto tiles = TilesIn(T(), kWindow);
    int edges = 0;
    for (size_t a = 0; a < tiles.size(); ++a)
        for (size_t b = a + 1; b < tiles.size(); ++b) {
            int shared = 0;
            for (const Point& p : tiles[a].Outline)
                for (const Point& q : tiles[b].Outline) shared += Length(p - q) < 1e-7;
            if (shared < 2) continue;
            ++edges;
            EXPECT_NE(T().Motif[tiles[a].Motif].Colour, T().Motif[tiles[b].Motif].Colour) << T().Name;
        }
    EXPECT_GT(edges, 50);
    for (const MotifTile& m : T().Motif) EXPECT_LT(m.Colour, T().ColourCount);
}

std::string TilingName(const ::testing::TestParamInfo<int>& info)
{
    std::string s = Catalogue()[static_cast<size_t>(info.param)].Symbol;
    std::replace(s.begin(), s.end(), '.', '_');
    return "T" + s;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EachTiling,
                         ::testing::Range(0, static_cast<int>(Catalogue().size())), TilingName);

TEST(Catalogue, HoldsTheRegularTilingsAndSomeWithSeveralShapes)
{
    std::set<std::string> symbols;
    int mixed = 0;
    for (const Tiling& t : Catalogue()) {
        symbols.insert(t.Symbol);
        mixed += t.ShapeNames.size() > 1;
    }
    for (const char* regular : {"4.4.4.4", "3.3.3.3.3.3", "6.6.6"}) EXPECT_TRUE(symbols.count(regular)) << regular;
    EXPECT_GE(mixed, 2);
    EXPECT_EQ(symbols.size(), Catalogue().size()) << "two tilings with one configuration";
}

TEST(Colouring, RefusesACellInWhichATileBordersItsOwnCopy)
{
    // Squares with the smallest lattice: each square borders its own copies.
    Tiling t;
    t.Name = "plain squares";
    t.A = {1, 0};
    t.B = {0, 1};
    t.Motif.push_back({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 0, 0});
    EXPECT_THROW(AssignColours(t), std::logic_error);
}

}  // namespace
