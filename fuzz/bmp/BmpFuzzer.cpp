// Feeds arbitrary bytes to the BMP reader, both as a file and as a bare DIB. Whatever it
// accepts must survive a write and a second read unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpFile.h"

namespace {

void RoundTrip(const TBitmap& b)
{
    std::vector<uint8_t> bytes = WriteBmp(b);
    TBitmap again;
    ReadBmp(bytes.data(), bytes.size(), again);
    if (again.Width() != b.Width() || again.Height() != b.Height() || again.Monochrome() != b.Monochrome())
        std::abort();
    size_t n = size_t(b.Width()) * size_t(b.Height());
    if (n && std::memcmp(again.Bits(), b.Bits(), n * 4) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TBitmap b;
    try {
        ReadBmp(data, size, b);
        RoundTrip(b);
    } catch (const EInvalidGraphic&) {
    } catch (const EOutOfResources&) {
    }
    try {
        ReadDib(data, size, b);
        RoundTrip(b);
    } catch (const EInvalidGraphic&) {
    } catch (const EOutOfResources&) {
    }
    return 0;
}
