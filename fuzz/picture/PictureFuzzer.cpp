// Feeds arbitrary bytes to the readers of stored pictures: an icon file, a form's
// "Picture.Data" (class name, then the image) and a bitmap's "Glyph.Data" (size, then a
// BMP file). What they accept must write and read back to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/IcoFile.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Picture.h"

namespace {

// An empty bitmap (one side 0) is stored as nothing and reads back as 0 x 0.
bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Empty() || b.Empty()) return a.Empty() && b.Empty();
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    size_t n = size_t(a.Width()) * size_t(a.Height());
    return n == 0 || std::memcmp(a.Bits(), b.Bits(), n * 4) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        TBitmap image, mask;
        ReadIco(data, size, image, mask);
        // A picture that was read is written as a 24-bit icon and reads back the same.
        if (image.Width() <= 256 && image.Height() <= 256) {
            std::vector<uint8_t> again = WriteIco(image, mask);
            TBitmap image2, mask2;
            ReadIco(again.data(), again.size(), image2, mask2);
            if (!SamePixels(image, image2) || !SamePixels(mask, mask2)) std::abort();
        }
    } catch (const EInvalidGraphic&) {
    }
    try {
        TPicture p;
        p.SetData(bytes);
        TPicture q;
        q.SetData(p.Data());
        if (p.Empty() != q.Empty() || (!p.Empty() && (p.Width() != q.Width() || p.Height() != q.Height())))
            std::abort();
    } catch (const EInvalidGraphic&) {
    }
    try {
        TBitmap b;
        b.SetData(bytes);
        TBitmap c;
        c.SetData(b.Data());
        if (!SamePixels(b, c)) std::abort();
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
