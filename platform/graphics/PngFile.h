// Writing PNG images (24-bit RGB, no alpha) of bitmaps.
#pragma once

#include <cstdint>
#include <vector>

class TBitmap;

// Raises EInvalidGraphic when the encoder fails.
std::vector<uint8_t> WritePng(const TBitmap& bitmap);
