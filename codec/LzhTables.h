// Fixed offset prefix code shared by the stream reader and writer.
//
// The upper six bits u of an offset d get a canonical prefix code (codes of one
// length consecutive in increasing u; each length's first code is the previous
// length's last code plus one, shifted left):
//
//   u       length  codes
//   0         3     000
//   1..3      4     0010 .. 0100
//   4..11     5     01010 .. 10001
//   12..23    6     100100 .. 101111
//   24..47    7     1100000 .. 1110111
//   48..63    8     11110000 .. 11111111
//
// followed by the low six bits of d. OffsetUpper/OffsetBits are indexed by the next
// eight stream bits; OffsetCode/OffsetCodeLength by u.
#pragma once

#include <array>
#include <cstdint>

constexpr int LzhOffsetLengthOf(int u)
{
    return u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
}

struct TLzhOffsetTables {
    std::array<uint8_t, 256> upper{};
    std::array<uint8_t, 256> bits{};
    std::array<uint8_t, 64> code{};
    std::array<uint8_t, 64> codeLength{};
};

constexpr TLzhOffsetTables LzhMakeOffsetTables()
{
    TLzhOffsetTables t;
    int code = 0;
    int len = LzhOffsetLengthOf(0);
    for (int u = 0; u < 64; ++u) {
        int l = LzhOffsetLengthOf(u);
        while (len < l) {
            code <<= 1;
            ++len;
        }
        t.code[u] = static_cast<uint8_t>(code);
        t.codeLength[u] = static_cast<uint8_t>(l);
        int first = code << (8 - l);
        int n = 1 << (8 - l);
        for (int b = first; b < first + n; ++b) {
            t.upper[b] = static_cast<uint8_t>(u);
            t.bits[b] = static_cast<uint8_t>(l);
        }
        ++code;
    }
    return t;
}

inline constexpr TLzhOffsetTables LzhOffset = LzhMakeOffsetTables();

static_assert(LzhOffset.upper[0x00] == 0 && LzhOffset.bits[0x1F] == 3 && LzhOffset.upper[0x20] == 1);
static_assert(LzhOffset.upper[0xFF] == 63 && LzhOffset.bits[0xFF] == 8 && LzhOffset.code[63] == 0xFF);
static_assert(LzhOffset.code[4] == 0b01010 && LzhOffset.code[11] == 0b10001);
static_assert(LzhOffset.code[12] == 0b100100 && LzhOffset.code[24] == 0b1100000);

// Total bits of the offset code of d (9..14).
constexpr int LzhOffsetCost(int d) { return LzhOffset.codeLength[d >> 6] + 6; }
