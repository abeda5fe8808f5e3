#include "platform/graphics/IcoFile.h"

#include <algorithm>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/BmpFile.h"

namespace {

using le::I32;
using le::Put16;
using le::Put32;
using le::U16;
using le::U32;

[[noreturn]] void Invalid(const std::string& why) { throw EInvalidGraphic("Icon image is not valid: " + why); }

void Set32(uint8_t* p, uint32_t x)
{
    p[0] = uint8_t(x);
    p[1] = uint8_t(x >> 8);
    p[2] = uint8_t(x >> 16);
    p[3] = uint8_t(x >> 24);
}

struct Entry {
    int size = 0;  // the larger side as the directory gives it
    int bpp = 0;
    uint32_t bytes = 0;
    uint32_t offset = 0;
};

// Better candidate for `preferred`: the exact size first, then the larger image, then
// more bits per pixel.
bool Better(const Entry& a, const Entry& b, int preferred)
{
    bool ea = a.size == preferred, eb = b.size == preferred;
    if (ea != eb) return ea;
    if (a.size != b.size) return a.size > b.size;
    return a.bpp > b.bpp;
}

}  // namespace

void ReadIco(const uint8_t* data, size_t size, TBitmap& image, TBitmap& mask, int preferredSize)
{
    if (size < 6) Invalid("directory truncated");
    if (U16(data) != 0 || U16(data + 2) != 1) Invalid("not an icon file");
    size_t count = U16(data + 4);
    if (count == 0) Invalid("no images");
    if (6 + count * 16 > size) Invalid("directory truncated");
    Entry best;
    bool found = false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = data + 6 + i * 16;
        Entry c;
        int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        c.size = std::max(w, h);
        c.bpp = U16(e + 6);
        c.bytes = U32(e + 8);
        c.offset = U32(e + 12);
        if (!found || Better(c, best, preferredSize)) best = c;
        found = true;
    }
    if (best.offset > size || best.bytes > size - best.offset) Invalid("image data beyond the end");
    const uint8_t* d = data + best.offset;
    size_t n = best.bytes;
    if (n >= 8 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') Invalid("PNG images are not supported");
    if (n < 40) Invalid("image header truncated");
    uint32_t hsize = U32(d);
    if (hsize < 40 || hsize > n) Invalid("unsupported image header");
    int32_t width = int32_t(U32(d + 4)), height2 = int32_t(U32(d + 8));
    uint32_t bpp = U16(d + 14), compression = U32(d + 16), clrUsed = U32(d + 32);
    if (width <= 0 || width > 256 || height2 <= 0 || height2 > 512 || height2 % 2 != 0)
        Invalid("bad image size");
    if (compression != 0) Invalid("compressed image");
    int32_t height = height2 / 2;

    // The colour rows, as a DIB of the real height.
    std::vector<uint8_t> dib(d, d + n);
    Set32(dib.data() + 8, uint32_t(height));
    Set32(dib.data() + 20, 0);  // image size: recomputed by the reader
    TBitmap colours;
    try {
        ReadDib(dib.data(), dib.size(), colours);
    } catch (const EInvalidGraphic& e) {
        Invalid(e.Message());
    }

    uint64_t palette = 0;
    if (bpp <= 8) palette = (clrUsed == 0 || clrUsed > (1u << bpp)) ? (1u << bpp) : clrUsed;
    uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
    uint64_t xorAt = hsize + palette * 4;
    uint64_t andAt = xorAt + stride * uint64_t(height);
    uint64_t maskStride = ((uint64_t(width) + 31) / 32) * 4;

    TBitmap m(width, height);
    bool alpha = false;
    if (bpp == 32 && xorAt + stride * uint64_t(height) <= n) {
        for (int32_t y = 0; y < height && !alpha; ++y)
            for (int32_t x = 0; x < width; ++x)
                if (d[xorAt + uint64_t(y) * stride + uint64_t(x) * 4 + 3] != 0) {
                    alpha = true;
                    break;
                }
    }
    if (alpha) {
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = d + xorAt + uint64_t(height - 1 - y) * stride;
            for (int32_t x = 0; x < width; ++x) m.ScanLine(y)[x] = row[x * 4 + 3] < 128 ? 0xFFFFFFu : 0u;
        }
    } else {
        if (andAt + maskStride * uint64_t(height) > n) Invalid("mask truncated");
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = d + andAt + uint64_t(height - 1 - y) * maskStride;
            for (int32_t x = 0; x < width; ++x)
                m.ScanLine(y)[x] = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 0xFFFFFFu : 0u;
        }
    }
    // Transparent pixels carry no colour of their own.
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (m.ScanLine(y)[x]) colours.ScanLine(y)[x] = 0;
    image.TakeImage(colours);
    mask.TakeImage(m);
}

std::vector<uint8_t> WriteIco(const TBitmap& image, const TBitmap& mask)
{
    int32_t w = image.Width(), h = image.Height();
    if (w < 1 || h < 1 || w > 256 || h > 256) throw EInvalidGraphic("Icon image is not valid: bad image size");
    uint32_t stride = ((uint32_t(w) * 24 + 31) / 32) * 4;
    uint32_t maskStride = ((uint32_t(w) + 31) / 32) * 4;
    uint32_t imageBytes = 40 + stride * uint32_t(h) + maskStride * uint32_t(h);
    std::vector<uint8_t> v;
    Put16(v, 0);
    Put16(v, 1);
    Put16(v, 1);
    v.push_back(uint8_t(w == 256 ? 0 : w));
    v.push_back(uint8_t(h == 256 ? 0 : h));
    v.push_back(0);
    v.push_back(0);
    Put16(v, 1);
    Put16(v, 24);
    Put32(v, imageBytes);
    Put32(v, 22);
    Put32(v, 40);
    Put32(v, uint32_t(w));
    Put32(v, uint32_t(h) * 2);
    Put16(v, 1);
    Put16(v, 24);
    for (int i = 0; i < 6; ++i) Put32(v, 0);
    for (int32_t y = h - 1; y >= 0; --y) {
        const uint32_t* row = image.ScanLine(y);
        size_t start = v.size();
        for (int32_t x = 0; x < w; ++x) {
            v.push_back(uint8_t(row[x]));
            v.push_back(uint8_t(row[x] >> 8));
            v.push_back(uint8_t(row[x] >> 16));
        }
        v.resize(start + stride, 0);
    }
    for (int32_t y = h - 1; y >= 0; --y) {
        size_t start = v.size();
        v.resize(start + maskStride, 0);
        for (int32_t x = 0; x < w; ++x) {
            bool transparent = x < mask.Width() && y < mask.Height() && mask.ScanLine(y)[x] != 0;
            if (transparent) v[start + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
        }
    }
    return v;
}
