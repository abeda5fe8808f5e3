// The engine's two readers of outside data: the check of the engine file's bytes (no
// file but the one built is accepted) and the rectangle query's numbers (any numbers
// give tiles or an error, and the tiles listed meet the rectangle).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "product/engine/tsly.h"
#include "product/tessaly/EngineFile.h"

namespace {

// The identity of a fixed text: the fuzzer does not find other bytes with its digest.
const tessaly::EngineIdentity kIdentity{5, "2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824"};  // "hello"

double Take(const uint8_t*& data, size_t& size)
{
    double d = 0;
    if (size >= sizeof d) {
        std::memcpy(&d, data, sizeof d);
        data += sizeof d;
        size -= sizeof d;
    }
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string reason;
    const auto problem = tessaly::CheckEngineBytes(bytes, kIdentity, reason);
    if ((problem == tessaly::EngineProblem::None) != (bytes == "hello")) std::abort();
    if (problem != tessaly::EngineProblem::None && reason.empty()) std::abort();

    if (size < 2) return 0;
    const int tiling = static_cast<int8_t>(data[0]);
    const size_t max = data[1] * 8u;  // small: the work stays bounded
    data += 2;
    size -= 2;
    const double x0 = Take(data, size), y0 = Take(data, size), x1 = Take(data, size), y1 = Take(data, size);
    tsly_tiles* list = nullptr;
    const int rc = tsly_tiles_in_rect(tiling, x0, y0, x1, y1, max, &list);
    if ((rc == TSLY_OK) != (list != nullptr)) std::abort();
    for (size_t i = 0; i < tsly_tiles_count(list); ++i) {
        tsly_tile t{};
        if (tsly_tiles_get(list, i, &t) != TSLY_OK || t.vertex_count < 3) std::abort();
        double lo = INFINITY, hi = -INFINITY;
        for (int v = 0; v < t.vertex_count; ++v) {
            lo = std::fmin(lo, t.vertices[v].x);
            hi = std::fmax(hi, t.vertices[v].x);
        }
        // Tiles are at most a few edges across and overlap the rectangle in x.
        if (hi < x0 - 1e-3 || lo > x1 + 1e-3 || hi - lo > 5) std::abort();
    }
    tsly_tiles_free(list);
    return 0;
}
