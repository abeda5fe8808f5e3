// TBitmap: an off-screen image with its canvas.
//
// Pixel store: Height rows of Width 32-bit pixels, top row first, no padding between
// rows (ScanLine(y) == Bits() + y * Width). Each pixel is
//
//   bits 31..24   23..16   15..8    7..0
//   +----------+--------+--------+--------+
//   |    0     |  red   | green  |  blue  |      (0x00RRGGBB)
//   +----------+--------+--------+--------+
//
// so in memory each pixel reads B, G, R, 0 (the BGRX byte order of a 32-bit screen image).
// The top byte is always 0; every drawing operation keeps it so.
//
// A monochrome bitmap keeps the same store, but each of its pixels is either 0x000000
// (black, bit 0) or 0xFFFFFF (white, bit 1), and everything drawn into it is reduced to
// those two values (see TCanvas for the rules). Code writing through ScanLine must keep
// that invariant itself.
//
// New pixels (a new bitmap, or the part added by growing one) are white; growing or
// shrinking keeps the pixels of the overlapping top-left area.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Persistent.h"
#include "platform/classes/Stream.h"
#include "platform/graphics/Color.h"

class TCanvas;

// Raised for a bitmap file that cannot be read: "Bitmap image is not valid" and the reason.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Raised when a bitmap cannot get the memory its size needs: "Out of system resources".
class EOutOfResources : public EOutOfMemory {
public:
    using EOutOfMemory::EOutOfMemory;
};

class TBitmap : public TPersistent {
public:
    // The largest pixel count a bitmap may have (256 Mi pixels, 1 GiB of store).
    static constexpr int64_t kMaxPixels = int64_t(1) << 28;

    TBitmap();
    TBitmap(int32_t width, int32_t height);
    ~TBitmap() override;
    std::string ClassName() const override { return "TBitmap"; }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Negative values count as 0. Raise EOutOfResources above kMaxPixels.
    void SetWidth(int32_t w) { SetSize(w, height_); }
    void SetHeight(int32_t h) { SetSize(width_, h); }
    void SetSize(int32_t w, int32_t h);
    bool Empty() const { return width_ == 0 || height_ == 0; }

    // Switching on reduces the image to black and white: pixels equal to the canvas's brush
    // colour become white, all others black (as a copy into a monochrome bitmap does).
    // Switching off keeps the two-valued pixels as they are.
    bool Monochrome() const { return monochrome_; }
    void SetMonochrome(bool v);

    // The canvas drawing into this bitmap; it lives as long as the bitmap.
    TCanvas* Canvas() const { return canvas_.get(); }

    uint32_t* ScanLine(int32_t y) { return pixels_.data() + size_t(y) * size_t(width_); }
    const uint32_t* ScanLine(int32_t y) const { return pixels_.data() + size_t(y) * size_t(width_); }
    uint32_t* Bits() { return pixels_.data(); }
    const uint32_t* Bits() const { return pixels_.data(); }

    // Copies size, pixels and the monochrome flag of another TBitmap (the canvas keeps
    // its own state). A null source empties the bitmap.
    void Assign(const TPersistent* Source) override;
    // Moves the image (size, pixels, monochrome flag) of `other` into this bitmap without
    // copying; `other` is left empty. Both canvases stay with their bitmaps.
    void TakeImage(TBitmap& other);

    // BMP files (see BmpFile.h): any uncompressed or RLE file with 1, 4, 8, 16, 24 or 32
    // bits per pixel is read; a 1-bit file with a black-and-white palette gives a
    // monochrome bitmap. Writing gives a 1-bit file for a monochrome bitmap, else 24-bit.
    // Reading raises EInvalidGraphic and leaves the bitmap unchanged on bad data.
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;
    // The same with a file of the host (a real path, not a path of the emulated machine).
    void LoadFromHostFile(const std::string& hostPath);
    void SaveToHostFile(const std::string& hostPath) const;
    // A 24-bit PNG image of the bitmap, for screenshots and test evidence.
    void SavePngToStream(TStream& Stream) const;
    void SavePngToHostFile(const std::string& hostPath) const;

    // The bytes stored forms keep for a bitmap property ("Glyph.Data"): a u32 size and
    // that many bytes of a BMP file; empty for an empty bitmap. SetData raises
    // EInvalidGraphic and leaves the bitmap unchanged on bad data; empty data empties it.
    std::string Data() const;
    void SetData(const std::string& Data);

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool monochrome_ = false;
    std::vector<uint32_t> pixels_;
    std::unique_ptr<TCanvas> canvas_;
};
