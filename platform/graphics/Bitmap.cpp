#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/classes/Published.h"
#include "platform/graphics/BmpFile.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PngFile.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void WriteAll(TStream& s, const std::vector<uint8_t>& bytes)
{
    s.WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

void WriteHost(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f) throw EFCreateError("Cannot create file \"" + path + "\"");
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
        throw EWriteError("Stream write error");
    if (std::fclose(f.release()) != 0) throw EWriteError("Stream write error");
}

}  // namespace

PUBLISHED_PROPERTIES(TBitmap, TPersistent)
{
    PUBLISH_BINARY(Data);
}

std::string TBitmap::Data() const
{
    if (Empty()) return {};
    std::vector<uint8_t> file = WriteBmp(*this);
    std::string out(4, '\0');
    uint32_t n = uint32_t(file.size());
    for (int i = 0; i < 4; ++i) out[size_t(i)] = char(n >> (8 * i));
    out.append(file.begin(), file.end());
    return out;
}

void TBitmap::SetData(const std::string& Data)
{
    if (Data.empty()) {
        SetSize(0, 0);
        monochrome_ = false;
        return;
    }
    if (Data.size() < 4) throw EInvalidGraphic("Bitmap image is not valid: size truncated");
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= uint32_t(uint8_t(Data[size_t(i)])) << (8 * i);
    if (n > Data.size() - 4) throw EInvalidGraphic("Bitmap image is not valid: data truncated");
    TBitmap b;
    ReadBmp(reinterpret_cast<const uint8_t*>(Data.data()) + 4, n, b);
    TakeImage(b);
}

TBitmap::TBitmap() : canvas_(std::make_unique<TCanvas>(this)) {}

TBitmap::TBitmap(int32_t width, int32_t height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int32_t w, int32_t h)
{
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w == width_ && h == height_) return;
    if (int64_t(w) * int64_t(h) > kMaxPixels) throw EOutOfResources("Out of system resources");
    std::vector<uint32_t> grown;
    try {
        grown.assign(size_t(w) * size_t(h), 0xFFFFFFu);
    } catch (const std::bad_alloc&) {
        throw EOutOfResources("Out of system resources");
    }
    int32_t cw = std::min(w, width_), ch = std::min(h, height_);
    for (int32_t y = 0; cw > 0 && y < ch; ++y)
        std::memcpy(grown.data() + size_t(y) * size_t(w), ScanLine(y), size_t(cw) * sizeof(uint32_t));
    pixels_.swap(grown);
    width_ = w;
    height_ = h;
}

void TBitmap::SetMonochrome(bool v)
{
    if (v == monochrome_) return;
    monochrome_ = v;
    if (!v) return;
    uint32_t back = ColorToPixel(ColorToRGB(canvas_->Brush()->Color()));
    for (auto& p : pixels_) p = p == back ? 0xFFFFFFu : 0u;
}

void TBitmap::Assign(const TPersistent* Source)
{
    if (!Source) {
        SetSize(0, 0);
        monochrome_ = false;
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
        if (b == this) return;
        std::vector<uint32_t> copy = b->pixels_;
        pixels_.swap(copy);
        width_ = b->width_;
        height_ = b->height_;
        monochrome_ = b->monochrome_;
        return;
    }
    TPersistent::Assign(Source);
}

void TBitmap::TakeImage(TBitmap& other)
{
    if (&other == this) return;
    pixels_ = std::move(other.pixels_);
    other.pixels_.clear();
    width_ = other.width_;
    height_ = other.height_;
    monochrome_ = other.monochrome_;
    other.width_ = other.height_ = 0;
    other.monochrome_ = false;
}

void TBitmap::LoadFromStream(TStream& Stream)
{
    // The file header's size field says how much of the stream is the bitmap, so a bitmap
    // embedded in a longer stream leaves the stream just after itself. A size of 0 (which
    // some writers leave) means "the rest of the stream".
    std::vector<uint8_t> bytes(14);
    int32_t got = Stream.Read(bytes.data(), 14);
    if (got < 14) throw EInvalidGraphic("Bitmap image is not valid: file header truncated");
    uint32_t fileSize = uint32_t(bytes[2]) | (uint32_t(bytes[3]) << 8) | (uint32_t(bytes[4]) << 16) |
                        (uint32_t(bytes[5]) << 24);
    if (bytes[0] != 'B' || bytes[1] != 'M')
        throw EInvalidGraphic("Bitmap image is not valid: no BMP signature");
    if (fileSize > 14) {
        int64_t rest = int64_t(fileSize) - 14;
        int64_t left = Stream.Size() - Stream.Position();
        if (rest > left) throw EInvalidGraphic("Bitmap image is not valid: file truncated");
        bytes.resize(size_t(fileSize));
        Stream.ReadBuffer(bytes.data() + 14, rest);
    } else {
        uint8_t chunk[65536];
        for (;;) {
            int32_t n = Stream.Read(chunk, sizeof chunk);
            if (n <= 0) break;
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
    }
    ReadBmp(bytes.data(), bytes.size(), *this);
}

void TBitmap::SaveToStream(TStream& Stream) const { WriteAll(Stream, WriteBmp(*this)); }

void TBitmap::LoadFromHostFile(const std::string& hostPath)
{
    FilePtr f(std::fopen(hostPath.c_str(), "rb"));
    if (!f) throw EFOpenError("Cannot open file \"" + hostPath + "\"");
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    if (std::ferror(f.get())) throw EReadError("Stream read error");
    ReadBmp(bytes.data(), bytes.size(), *this);
}

void TBitmap::SaveToHostFile(const std::string& hostPath) const { WriteHost(hostPath, WriteBmp(*this)); }

void TBitmap::SavePngToStream(TStream& Stream) const { WriteAll(Stream, WritePng(*this)); }

void TBitmap::SavePngToHostFile(const std::string& hostPath) const { WriteHost(hostPath, WritePng(*this)); }
