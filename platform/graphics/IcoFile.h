// Reading and writing icon (.ico) files.
//
// An icon file is a directory of images:
//
//   0  u16 reserved (0)   2  u16 type (1 = icon)   4  u16 count
//   6  count entries of 16 bytes:
//        u8 width, u8 height (0 = 256), u8 colours, u8 reserved,
//        u16 planes, u16 bits per pixel, u32 size of the image, u32 offset of the image
//
// Each image is a device-independent bitmap whose header gives twice the real height: the
// colour ("XOR") rows come first, then a 1-bit "AND" mask of the same size, both
// bottom-up with rows padded to 4 bytes. A mask bit of 1 marks a transparent pixel. For
// 32-bit images that carry an alpha channel the alpha decides instead (below 128 is
// transparent). Images compressed as PNG are not read.
//
// Every offset and size is checked against the data; anything out of bounds, truncated
// or unsupported raises EInvalidGraphic ("Icon image is not valid" and the reason).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;

// Decodes the entry of `data` closest to `preferredSize` pixels square (the largest one
// when none has that size; more colours win among equal sizes). `image` gets the colours
// (transparent pixels black), `mask` a colour bitmap of the same size holding 0x000000
// where the icon is opaque and 0xFFFFFF where it is transparent. Both are replaced only
// on success.
void ReadIco(const uint8_t* data, size_t size, TBitmap& image, TBitmap& mask, int preferredSize = 32);
// One 24-bit image with its mask (mask pixels other than black count as transparent).
// Sizes up to 256 x 256.
std::vector<uint8_t> WriteIco(const TBitmap& image, const TBitmap& mask);
