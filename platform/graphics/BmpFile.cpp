#include "platform/graphics/BmpFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/LittleEndian.h"

namespace {

using le::I32;
using le::Put16;
using le::Put32;
using le::U16;
using le::U32;

[[noreturn]] void Invalid(const std::string& why)
{
    throw EInvalidGraphic("Bitmap image is not valid: " + why);
}



// One channel of a bit-field pixel scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Channel(uint32_t m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint32_t Get(uint32_t px) const
    {
        if (!max) return 0;
        uint64_t v = (px & mask) >> shift;
        return uint32_t((v * 255 + max / 2) / max);
    }
};

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

// pixelOffset: where the pixel data starts within the DIB, or SIZE_MAX for "after the
// palette".
void Decode(const uint8_t* d, size_t n, size_t pixelOffset, TBitmap& out)
{
    if (n < 12) Invalid("header truncated");
    uint32_t hsize = U32(d);
    if (hsize < 12 || hsize > n) Invalid("header truncated");
    bool core = hsize == 12;
    if (!core && hsize < 40) Invalid("unsupported header size " + std::to_string(hsize));
    int64_t width, height;
    uint32_t bpp, compression = kBiRgb, clrUsed = 0;
    if (core) {
        width = U16(d + 4);
        height = U16(d + 6);
        bpp = U16(d + 10);
    } else {
        width = I32(d + 4);
        height = I32(d + 8);
        bpp = U16(d + 14);
        compression = U32(d + 16);
        clrUsed = U32(d + 32);
    }
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width < 0) Invalid("negative width");
    if (width > 65535 || height > 65535 || width * height > TBitmap::kMaxPixels)
        Invalid("image too large");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Invalid("unsupported bit count " + std::to_string(bpp));
    if (compression == kBiAlphaBitfields) compression = kBiBitfields;
    bool rle = compression == kBiRle8 || compression == kBiRle4;
    if (compression == kBiRle8 && bpp != 8) Invalid("RLE8 needs 8 bits per pixel");
    if (compression == kBiRle4 && bpp != 4) Invalid("RLE4 needs 4 bits per pixel");
    if (compression == kBiBitfields && bpp != 16 && bpp != 32) Invalid("bit fields need 16 or 32 bits");
    if (compression > kBiBitfields) Invalid("unsupported compression " + std::to_string(compression));
    if (rle && topDown) Invalid("top-down RLE image");

    // Bit-field masks: inside a long header, or right after a 40-byte one.
    size_t pos = hsize;
    uint32_t rmask = 0, gmask = 0, bmask = 0;
    if (bpp == 16) { rmask = 0x7C00; gmask = 0x03E0; bmask = 0x001F; }
    if (bpp == 32) { rmask = 0xFF0000; gmask = 0x00FF00; bmask = 0x0000FF; }
    if (compression == kBiBitfields) {
        const uint8_t* m;
        if (hsize >= 52) {
            m = d + 40;
        } else {
            if (n - pos < 12) Invalid("bit-field masks truncated");
            m = d + pos;
            pos += U32(d + 16) == kBiAlphaBitfields ? 16 : 12;
            if (pos > n) Invalid("bit-field masks truncated");
        }
        rmask = U32(m);
        gmask = U32(m + 4);
        bmask = U32(m + 8);
    }

    // Palette.
    uint64_t entries = clrUsed;
    if (bpp <= 8 && (entries == 0 || entries > (1u << bpp))) entries = entries == 0 ? (1u << bpp) : entries;
    if (entries > 65536) Invalid("palette too large");
    size_t entrySize = core ? 3 : 4;
    if (entries * entrySize > n - pos) {
        // A header that claims more colours than the data holds.
        Invalid("palette truncated");
    }
    uint32_t palette[256] = {};
    size_t palCount = bpp <= 8 ? size_t(std::min<uint64_t>(entries, 1u << bpp)) : 0;
    for (size_t i = 0; i < palCount; ++i) {
        const uint8_t* e = d + pos + i * entrySize;
        palette[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
    pos += size_t(entries) * entrySize;
    if (pixelOffset != SIZE_MAX) {
        if (pixelOffset > n) Invalid("pixel data offset beyond the end");
        pos = pixelOffset;
    }
    const uint8_t* px = d + pos;
    size_t avail = n - pos;

    // Size checks come before any allocation: uncompressed pixels must all be present, and
    // an RLE image, whose skips can cover any area with a few bytes, may not claim more
    // than 1024 pixels per byte of data (with a floor of 65536 pixels).
    uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
    uint64_t lastRow = (uint64_t(width) * bpp + 7) / 8;
    if (width > 0 && height > 0) {
        if (!rle && stride * uint64_t(height - 1) + lastRow > avail) Invalid("pixel data truncated");
        if (rle && uint64_t(width) * uint64_t(height) > std::max<uint64_t>(uint64_t(1) << 16, uint64_t(avail) * 1024))
            Invalid("RLE image larger than its data can describe");
    }
    TBitmap tmp;
    tmp.SetSize(int32_t(width), int32_t(height));
    if (width == 0 || height == 0) {
        out.TakeImage(tmp);
        return;
    }
    auto rowOut = [&](int64_t fileRow) {
        return tmp.ScanLine(int32_t(topDown ? fileRow : height - 1 - fileRow));
    };

    if (rle) {
        // Pixels an RLE stream skips keep the first palette colour.
        uint32_t background = palCount ? palette[0] : 0;
        for (int64_t r = 0; r < height; ++r) std::fill(tmp.ScanLine(int32_t(r)), tmp.ScanLine(int32_t(r)) + width, background);
        int64_t x = 0, y = 0;  // y counts file rows from the bottom
        size_t i = 0;
        bool four = compression == kBiRle4;
        auto set = [&](uint32_t v) {
            if (x < width && y < height) tmp.ScanLine(int32_t(height - 1 - y))[x] = v < palCount ? palette[v] : 0;
            ++x;
        };
        bool done = false;
        while (!done) {
            if (y >= height) break;  // every row written; trailing data is ignored
            if (avail - i < 2) Invalid("RLE data truncated");
            uint8_t count = px[i], val = px[i + 1];
            i += 2;
            if (count > 0) {
                for (int k = 0; k < count; ++k) set(four ? ((k & 1) ? (val & 0x0Fu) : (val >> 4u)) : val);
                continue;
            }
            switch (val) {
            case 0: x = 0; ++y; break;
            case 1: done = true; break;
            case 2:
                if (avail - i < 2) Invalid("RLE data truncated");
                x += px[i];
                y += px[i + 1];
                i += 2;
                break;
            default: {
                size_t bytes = four ? (size_t(val) + 1) / 2 : val;
                size_t padded = (bytes + 1) & ~size_t(1);
                if (avail - i < bytes) Invalid("RLE data truncated");
                for (int k = 0; k < val; ++k)
                    set(four ? ((k & 1) ? (px[i + k / 2] & 0x0Fu) : (px[i + k / 2] >> 4u)) : px[i + k]);
                i += std::min(padded, avail - i);
            }
            }
        }
    } else {
        Channel cr(rmask), cg(gmask), cb(bmask);
        for (int64_t r = 0; r < height; ++r) {
            const uint8_t* s = px + size_t(stride) * size_t(r);
            uint32_t* o = rowOut(r);
            for (int64_t c = 0; c < width; ++c) {
                uint32_t v;
                switch (bpp) {
                case 1: v = (s[c >> 3] >> (7 - (c & 7))) & 1; o[c] = v < palCount ? palette[v] : 0; break;
                case 4: v = (c & 1) ? (s[c >> 1] & 0x0F) : (s[c >> 1] >> 4); o[c] = v < palCount ? palette[v] : 0; break;
                case 8: v = s[c]; o[c] = v < palCount ? palette[v] : 0; break;
                case 16: v = U16(s + 2 * c); o[c] = (cr.Get(v) << 16) | (cg.Get(v) << 8) | cb.Get(v); break;
                case 24: o[c] = (uint32_t(s[3 * c + 2]) << 16) | (uint32_t(s[3 * c + 1]) << 8) | s[3 * c]; break;
                default: v = U32(s + 4 * c); o[c] = (cr.Get(v) << 16) | (cg.Get(v) << 8) | cb.Get(v); break;
                }
            }
        }
    }
    // A two-colour black-and-white image is monochrome.
    if (bpp == 1 && palCount == 2 && palette[0] != palette[1] &&
        (palette[0] == 0 || palette[0] == 0xFFFFFF) && (palette[1] == 0 || palette[1] == 0xFFFFFF))
        tmp.SetMonochrome(true);
    out.TakeImage(tmp);
}

}  // namespace

void ReadDib(const uint8_t* data, size_t size, TBitmap& out) { Decode(data, size, SIZE_MAX, out); }

void ReadBmp(const uint8_t* data, size_t size, TBitmap& out)
{
    if (size < 14 || data[0] != 'B' || data[1] != 'M') Invalid("no BMP signature");
    uint32_t off = U32(data + 10);
    // Some writers leave the offset 0; then the pixels follow the palette.
    size_t pixelOffset = off >= 14 + 12 ? size_t(off) - 14 : SIZE_MAX;
    Decode(data + 14, size - 14, pixelOffset, out);
}

std::vector<uint8_t> WriteBmp(const TBitmap& bitmap)
{
    uint32_t w = uint32_t(bitmap.Width()), h = uint32_t(bitmap.Height());
    bool mono = bitmap.Monochrome();
    uint32_t bpp = mono ? 1 : 24;
    uint64_t stride = ((uint64_t(w) * bpp + 31) / 32) * 4;
    uint32_t paletteBytes = mono ? 8 : 0;
    uint32_t off = 14 + 40 + paletteBytes;
    uint64_t imageSize = stride * h;
    std::vector<uint8_t> v;
    v.reserve(size_t(off + imageSize));
    v.push_back('B');
    v.push_back('M');
    Put32(v, uint32_t(std::min<uint64_t>(off + imageSize, UINT32_MAX)));
    Put32(v, 0);
    Put32(v, off);
    Put32(v, 40);
    Put32(v, w);
    Put32(v, h);
    Put16(v, 1);
    Put16(v, bpp);
    Put32(v, 0);
    Put32(v, uint32_t(imageSize));
    Put32(v, 3780);  // 96 dots per inch in dots per metre
    Put32(v, 3780);
    Put32(v, mono ? 2 : 0);
    Put32(v, 0);
    if (mono) {
        Put32(v, 0x000000);
        Put32(v, 0xFFFFFF);
    }
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (uint32_t r = 0; r < h; ++r) {
        const uint32_t* s = bitmap.ScanLine(int32_t(h - 1 - r));
        std::fill(row.begin(), row.end(), 0);
        for (uint32_t c = 0; c < w; ++c) {
            if (mono) {
                if (s[c] & 0xFFFFFF) row[c >> 3] |= uint8_t(0x80 >> (c & 7));
            } else {
                row[3 * c] = uint8_t(s[c]);
                row[3 * c + 1] = uint8_t(s[c] >> 8);
                row[3 * c + 2] = uint8_t(s[c] >> 16);
            }
        }
        v.insert(v.end(), row.begin(), row.end());
    }
    return v;
}
