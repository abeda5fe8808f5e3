// The runtime's seedable pseudo-random generator (a 32-bit linear congruential
// generator: seed = seed * 0x08088405 + 1).
#pragma once

#include <cstdint>

extern uint32_t RandSeed;
void Randomize();
// 0 <= result < range; 0 for range <= 0.
int32_t Random(int32_t range);
// 0 <= result < 1.
double RandomFloat();
