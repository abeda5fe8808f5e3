// Little-endian fields of image files (BMP, ICO), read from and appended to byte buffers.
#pragma once

#include <cstdint>
#include <vector>

namespace le {

inline uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t I32(const uint8_t* p) { return int32_t(U32(p)); }
inline void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

}  // namespace le
