// The engine's C interface over the catalogue and the rectangle query. No exception
// crosses it: each entry point catches and turns them into error codes.
#include "product/engine/tsly.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "product/engine/Query.h"
#include "product/engine/Tilings.h"

struct tsly_tiles {
    std::vector<tsly_tile> tiles;
    std::vector<tsly_point> points;
};

namespace {

// The catalogue, or null when it could not be built (it is built on first use).
const std::vector<tsly::Tiling>* Catalogue() noexcept
{
    try {
        return &tsly::Catalogue();
    } catch (...) {
        return nullptr;
    }
}

const tsly::Tiling* Find(int tiling) noexcept
{
    const auto* all = Catalogue();
    if (!all || tiling < 0 || tiling >= static_cast<int>(all->size())) return nullptr;
    return &(*all)[static_cast<size_t>(tiling)];
}

}  // namespace

extern "C" {

int tsly_abi_version(void) { return TSLY_ABI_VERSION; }

const char* tsly_version(void) { return "1.1"; }

int tsly_tiling_count(void)
{
    const auto* all = Catalogue();
    return all ? static_cast<int>(all->size()) : 0;
}

const char* tsly_tiling_name(int tiling)
{
    const tsly::Tiling* t = Find(tiling);
    return t ? t->Name.c_str() : nullptr;
}

const char* tsly_tiling_symbol(int tiling)
{
    const tsly::Tiling* t = Find(tiling);
    return t ? t->Symbol.c_str() : nullptr;
}

int tsly_shape_count(int tiling)
{
    const tsly::Tiling* t = Find(tiling);
    return t ? static_cast<int>(t->ShapeNames.size()) : -1;
}

int tsly_colour_count(int tiling)
{
    const tsly::Tiling* t = Find(tiling);
    return t ? t->ColourCount : -1;
}

const char* tsly_shape_name(int tiling, int shape)
{
    const tsly::Tiling* t = Find(tiling);
    if (!t || shape < 0 || shape >= static_cast<int>(t->ShapeNames.size())) return nullptr;
    return t->ShapeNames[static_cast<size_t>(shape)].c_str();
}

int tsly_tiles_in_rect(int tiling, double x0, double y0, double x1, double y1, size_t max_tiles, tsly_tiles** out)
{
    if (!out) return TSLY_E_ARGUMENT;
    *out = nullptr;
    if (!Catalogue()) return TSLY_E_INTERNAL;
    const tsly::Tiling* t = Find(tiling);
    if (!t) return TSLY_E_TILING;
    try {
        std::vector<tsly::PlacedTile> found;
        switch (tsly::TilesInRect(*t, {x0, y0, x1, y1}, max_tiles, found)) {
        case tsly::QueryResult::BadRectangle: return TSLY_E_ARGUMENT;
        case tsly::QueryResult::TooMany: return TSLY_E_TOO_MANY;
        case tsly::QueryResult::Ok: break;
        }
        auto list = std::make_unique<tsly_tiles>();
        size_t points = 0;
        for (const auto& f : found) points += f.Outline.size();
        list->points.reserve(points);
        list->tiles.reserve(found.size());
        for (const auto& f : found) {
            const tsly::MotifTile& m = t->Motif[static_cast<size_t>(f.Motif)];
            list->tiles.push_back({m.Shape, m.Colour, static_cast<int>(f.Outline.size()), nullptr});
            for (const tsly::Point& p : f.Outline) list->points.push_back({p.x, p.y});
        }
        // Vertex pointers only once the point array no longer moves.
        size_t next = 0;
        for (tsly_tile& tile : list->tiles) {
            tile.vertices = list->points.data() + next;
            next += static_cast<size_t>(tile.vertex_count);
        }
        *out = list.release();
        return TSLY_OK;
    } catch (const std::bad_alloc&) {
        return TSLY_E_MEMORY;
    } catch (...) {
        return TSLY_E_INTERNAL;
    }
}

size_t tsly_tiles_count(const tsly_tiles* tiles) { return tiles ? tiles->tiles.size() : 0; }

int tsly_tiles_get(const tsly_tiles* tiles, size_t index, tsly_tile* tile)
{
    if (!tiles || !tile || index >= tiles->tiles.size()) return TSLY_E_ARGUMENT;
    *tile = tiles->tiles[index];
    return TSLY_OK;
}

void tsly_tiles_free(tsly_tiles* tiles) { delete tiles; }

const char* tsly_error_text(int code)
{
    switch (code) {
    case TSLY_OK: return "No error.";
    case TSLY_E_ARGUMENT: return "The rectangle or an argument is not valid.";
    case TSLY_E_TILING: return "There is no tiling with that number.";
    case TSLY_E_TOO_MANY: return "The rectangle holds more tiles than allowed.";
    case TSLY_E_MEMORY: return "Out of memory.";
    case TSLY_E_INTERNAL: return "The tiling engine failed.";
    default: return "Unknown error.";
    }
}

}  // extern "C"
