// Reading and writing BMP images.
//
// Read: the file header "BM" followed by a device-independent bitmap, or the DIB alone
// (as a bitmap resource stores it). Info headers of 12 (core), 40, 52, 56, 108 and 124
// bytes; 1, 4 and 8 bits per pixel with a palette, 16, 24 and 32 bits direct; uncompressed,
// RLE8, RLE4 and bit-field masks; bottom-up and top-down rows. Every size, offset and count
// is checked against the data before use; anything out of bounds, truncated or unsupported
// raises EInvalidGraphic with "Bitmap image is not valid" and the reason. Nothing is
// allocated before the data is known to fill it: an image is at most 65535 pixels on a
// side, and an RLE image (whose skips cover any area with a few bytes) at most 1024
// pixels per byte of data, or 65536 pixels when that is more. Pixels an RLE stream skips
// get the first palette colour; palette indices beyond the palette read as black.
//
// Write: 24 bits per pixel bottom-up for a colour bitmap, 1 bit per pixel with a black and
// white palette for a monochrome one; 40-byte info header, 96 dots per inch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;

// Decodes `data` into `out` (size, pixels, monochrome flag). `out` is replaced only on
// success.
void ReadBmp(const uint8_t* data, size_t size, TBitmap& out);
// Decodes a DIB without the 14-byte file header.
void ReadDib(const uint8_t* data, size_t size, TBitmap& out);
std::vector<uint8_t> WriteBmp(const TBitmap& bitmap);
