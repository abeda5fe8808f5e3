#include "platform/rtl/Random.h"

#include <chrono>

uint32_t RandSeed = 0;

namespace {

uint32_t Next()
{
    RandSeed = RandSeed * 0x08088405u + 1u;
    return RandSeed;
}

}  // namespace

void Randomize()
{
    RandSeed = static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

int32_t Random(int32_t range)
{
    if (range <= 0) return 0;
    // The high half of the 64-bit product keeps the result below range.
    return static_cast<int32_t>((static_cast<uint64_t>(Next()) * static_cast<uint32_t>(range)) >> 32);
}

double RandomFloat()
{
    return Next() / 4294967296.0;
}
