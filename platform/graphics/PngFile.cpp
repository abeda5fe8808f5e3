#include "platform/graphics/PngFile.h"

#include <png.h>

#include "platform/graphics/Bitmap.h"

std::vector<uint8_t> WritePng(const TBitmap& bitmap)
{
    if (bitmap.Empty()) throw EInvalidGraphic("Cannot write an empty bitmap as PNG");
    const size_t w = size_t(bitmap.Width()), h = size_t(bitmap.Height());
    std::vector<uint8_t> rgb(w * h * 3);
    for (size_t y = 0; y < h; ++y) {
        const uint32_t* s = bitmap.ScanLine(int32_t(y));
        uint8_t* o = rgb.data() + y * w * 3;
        for (size_t x = 0; x < w; ++x) {
            o[3 * x] = uint8_t(s[x] >> 16);
            o[3 * x + 1] = uint8_t(s[x] >> 8);
            o[3 * x + 2] = uint8_t(s[x]);
        }
    }
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(w);
    img.height = png_uint_32(h);
    img.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&img, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
        std::string why = img.message;
        png_image_free(&img);
        throw EInvalidGraphic("Cannot encode PNG: " + why);
    }
    std::vector<uint8_t> out(size);
    bool ok = png_image_write_to_memory(&img, out.data(), &size, 0, rgb.data(), 0, nullptr);
    std::string why = img.message;
    png_image_free(&img);
    if (!ok) throw EInvalidGraphic("Cannot encode PNG: " + why);
    out.resize(size);
    return out;
}
