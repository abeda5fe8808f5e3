// The rectangle query through the engine's C interface: what it lists, how it refuses.
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "product/engine/Geometry.h"
#include "product/engine/tsly.h"

namespace {

struct TileList {
    tsly_tiles* list = nullptr;
    ~TileList() { tsly_tiles_free(list); }
};

tsly::Polygon Outline(const tsly_tile& t)
{
    tsly::Polygon p;
    for (int i = 0; i < t.vertex_count; ++i) p.push_back({t.vertices[i].x, t.vertices[i].y});
    return p;
}

TEST(Query, ListsEachTileMeetingTheRectangleOnceAndNothingFarther)
{
    for (int tiling = 0; tiling < tsly_tiling_count(); ++tiling) {
        // Also far from the origin, where cells have large numbers.
        for (double off : {0.0, -3.0e7, 9.5e8}) {
            const tsly::Box box{off + 0.25, off - 2.5, off + 6.75, off + 1.5};
            TileList r;
            ASSERT_EQ(tsly_tiles_in_rect(tiling, box.x0, box.y0, box.x1, box.y1, 10000, &r.list), TSLY_OK);
            std::set<std::pair<long long, long long>> centres;
            double area = 0;
            for (size_t i = 0; i < tsly_tiles_count(r.list); ++i) {
                tsly_tile t{};
                ASSERT_EQ(tsly_tiles_get(r.list, i, &t), TSLY_OK);
                ASSERT_GE(t.vertex_count, 3);
                EXPECT_GE(t.shape, 0);
                EXPECT_LT(t.shape, tsly_shape_count(tiling));
                EXPECT_GE(t.colour, 0);
                EXPECT_LT(t.colour, tsly_colour_count(tiling));
                const tsly::Polygon p = Outline(t);
                EXPECT_TRUE(tsly::Overlaps(p, box, 1e-6)) << tsly_tiling_name(tiling) << " lists a tile away from the box";
                const tsly::Point c = tsly::Centroid(p);
                EXPECT_TRUE(centres.insert({std::llround(c.x * 1e4), std::llround(c.y * 1e4)}).second)
                    << tsly_tiling_name(tiling) << " lists a tile twice";
                area += tsly::Area(p);
            }
            // The tiles cover the box and stick out of it by at most one tile's width.
            const double w = box.x1 - box.x0, h = box.y1 - box.y0;
            EXPECT_GE(area, w * h - 1e-6) << tsly_tiling_name(tiling);
            EXPECT_LE(area, (w + 8) * (h + 8)) << tsly_tiling_name(tiling);
        }
    }
}

TEST(Query, APointLiesInTheTilesAroundIt)
{
    for (int tiling = 0; tiling < tsly_tiling_count(); ++tiling) {
        TileList r;
        ASSERT_EQ(tsly_tiles_in_rect(tiling, 0.3, 0.2, 0.3, 0.2, 10, &r.list), TSLY_OK);
        ASSERT_GE(tsly_tiles_count(r.list), 1u);
        tsly_tile t{};
        ASSERT_EQ(tsly_tiles_get(r.list, 0, &t), TSLY_OK);
        EXPECT_TRUE(tsly::ContainsPoint(Outline(t), {0.3, 0.2}, -1e-9));
    }
}

TEST(Query, RefusesBadArgumentsWithoutAList)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        int tiling;
        double x0, y0, x1, y1;
        size_t max;
        int expected;
    };
    const Case cases[] = {
        {"not a number", 0, nan, 0, 1, 1, 100, TSLY_E_ARGUMENT},
        {"infinite", 0, 0, 0, inf, 1, 100, TSLY_E_ARGUMENT},
        {"inverted", 0, 1, 0, 0, 1, 100, TSLY_E_ARGUMENT},
        {"beyond the limit", 0, 2e9, 0, 2e9 + 1, 1, 100, TSLY_E_ARGUMENT},
        {"unknown tiling", 99, 0, 0, 1, 1, 100, TSLY_E_TILING},
        {"negative tiling", -1, 0, 0, 1, 1, 100, TSLY_E_TILING},
        {"more tiles than allowed", 2, 0, 0, 50, 50, 100, TSLY_E_TOO_MANY},
        // A huge rectangle stops at the limit instead of walking its cells.
        {"huge", 5, -9e8, -9e8, 9e8, 9e8, 1000, TSLY_E_TOO_MANY},
        {"no tiles allowed", 0, 0, 0, 1, 1, 0, TSLY_E_TOO_MANY},
    };
    for (const Case& c : cases) {
        tsly_tiles* list = reinterpret_cast<tsly_tiles*>(&list);  // not null before the call
        EXPECT_EQ(tsly_tiles_in_rect(c.tiling, c.x0, c.y0, c.x1, c.y1, c.max, &list), c.expected) << c.what;
        EXPECT_EQ(list, nullptr) << c.what;
        EXPECT_STRNE(tsly_error_text(c.expected), tsly_error_text(TSLY_OK));
    }
    EXPECT_EQ(tsly_tiles_in_rect(0, 0, 0, 1, 1, 100, nullptr), TSLY_E_ARGUMENT);
}

TEST(Query, ListAccessorsAcceptNullAndRefuseOutOfRange)
{
    TileList r;
    ASSERT_EQ(tsly_tiles_in_rect(0, 0, 0, 0.5, 0.5, 10, &r.list), TSLY_OK);
    tsly_tile t{};
    EXPECT_EQ(tsly_tiles_get(r.list, tsly_tiles_count(r.list), &t), TSLY_E_ARGUMENT);
    EXPECT_EQ(tsly_tiles_get(r.list, 0, nullptr), TSLY_E_ARGUMENT);
    EXPECT_EQ(tsly_tiles_get(nullptr, 0, &t), TSLY_E_ARGUMENT);
    EXPECT_EQ(tsly_tiles_count(nullptr), 0u);
    tsly_tiles_free(nullptr);
}

TEST(Catalogue, NamesAndCountsThroughTheInterface)
{
    ASSERT_GE(tsly_tiling_count(), 5);
    EXPECT_EQ(tsly_abi_version(), TSLY_ABI_VERSION);
    EXPECT_STREQ(tsly_version(), "1.1");
    for (int t = 0; t < tsly_tiling_count(); ++t) {
        ASSERT_NE(tsly_tiling_name(t), nullptr);
        ASSERT_NE(tsly_tiling_symbol(t), nullptr);
        ASSERT_GE(tsly_shape_count(t), 1);
        for (int s = 0; s < tsly_shape_count(t); ++s) EXPECT_NE(tsly_shape_name(t, s), nullptr);
        EXPECT_EQ(tsly_shape_name(t, tsly_shape_count(t)), nullptr);
        EXPECT_GE(tsly_colour_count(t), 2);
    }
    const int n = tsly_tiling_count();
    EXPECT_EQ(tsly_tiling_name(n), nullptr);
    EXPECT_EQ(tsly_tiling_symbol(-1), nullptr);
    EXPECT_EQ(tsly_shape_count(n), -1);
    EXPECT_EQ(tsly_colour_count(-5), -1);
}

}  // namespace
