// String 1 of an executable's string table, found without running the executable.
//
//   0x3C           u32 offset of "PE\0\0"
//   PE + 6         u16 section count          PE + 20   u16 optional header size
//   PE + 24        optional header: magic 0x10B (data directory 2 at +112) or 0x20B (+128)
//   then           section headers, 40 bytes: VirtualSize +8, VirtualAddress +12,
//                  SizeOfRawData +16, PointerToRawData +20
//   resources      directory (16 bytes, u16 named / u16 id counts at +12/+14) and 8-byte
//                  entries (id, offset; top bit = subdirectory), three levels:
//                  type 6 -> block n/16 + 1 -> language -> leaf (RVA, size)
//   string block   16 x (u16 length, UTF-16LE characters)
//
// Every read is checked against the file: a damaged executable only gives "no string".
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "archive/ArchiveFormat.h"
#include "platform/win/FileStream.h"
#include "platform/win/SysFiles.h"

namespace {

class PeFile {
public:
    explicit PeFile(TStream& s) : s_(s), size_(s.Size()) {}

    std::optional<uint32_t> U(int64_t at, int bytes)
    {
        if (at < 0 || at + bytes > size_) return std::nullopt;
        uint8_t b[4] = {};
        s_.Seek(at, soBeginning);
        if (s_.Read(b, bytes) != bytes) return std::nullopt;
        uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[i];
        return v;
    }

    // File offset of an RVA through the section table.
    std::optional<int64_t> FileOffset(uint32_t rva)
    {
        for (uint32_t i = 0; i < sections_; ++i) {
            int64_t h = sectionTable_ + 40 * static_cast<int64_t>(i);
            auto vsize = U(h + 8, 4), va = U(h + 12, 4), rawSize = U(h + 16, 4), raw = U(h + 20, 4);
            if (!vsize || !va || !rawSize || !raw) return std::nullopt;
            uint32_t extent = *vsize > *rawSize ? *vsize : *rawSize;
            if (rva >= *va && rva - *va < extent) return static_cast<int64_t>(*raw) + (rva - *va);
        }
        return std::nullopt;
    }

    // The entry of directory Dir with numeric id Id: its offset field, or nothing.
    std::optional<uint32_t> Find(int64_t dir, uint32_t id)
    {
        auto named = U(dir + 12, 2), ids = U(dir + 14, 2);
        if (!named || !ids) return std::nullopt;
        uint32_t total = *named + *ids;
        for (uint32_t i = 0; i < total; ++i) {
            auto name = U(dir + 16 + 8 * static_cast<int64_t>(i), 4);
            auto off = U(dir + 20 + 8 * static_cast<int64_t>(i), 4);
            if (!name || !off) return std::nullopt;
            if ((*name & 0x80000000u) == 0 && *name == id) return *off;
        }
        return std::nullopt;
    }

    // First entry of a directory (any language).
    std::optional<uint32_t> First(int64_t dir)
    {
        auto named = U(dir + 12, 2), ids = U(dir + 14, 2);
        if (!named || !ids || *named + *ids == 0) return std::nullopt;
        return U(dir + 20, 4);
    }

    std::optional<std::string> String(int n, size_t maxChars)
    {
        auto pe = U(0x3C, 4);
        if (!pe || U(*pe, 4) != 0x00004550u) return std::nullopt;
        auto count = U(*pe + 6, 2), optSize = U(*pe + 20, 2);
        if (!count || !optSize) return std::nullopt;
        int64_t opt = static_cast<int64_t>(*pe) + 24;
        auto magic = U(opt, 2);
        if (!magic) return std::nullopt;
        int64_t dirAt = *magic == 0x10B ? 112 : *magic == 0x20B ? 128 : -1;
        if (dirAt < 0 || dirAt + 8 > *optSize) return std::nullopt;
        auto resRva = U(opt + dirAt, 4);
        if (!resRva || *resRva == 0) return std::nullopt;
        sections_ = *count;
        sectionTable_ = opt + *optSize;
        auto root = FileOffset(*resRva);
        if (!root) return std::nullopt;

        auto typeDir = Find(*root, 6);
        if (!typeDir || !(*typeDir & 0x80000000u)) return std::nullopt;
        auto blockDir = Find(*root + (*typeDir & 0x7FFFFFFFu), static_cast<uint32_t>(n / 16 + 1));
        if (!blockDir || !(*blockDir & 0x80000000u)) return std::nullopt;
        auto leaf = First(*root + (*blockDir & 0x7FFFFFFFu));
        if (!leaf || (*leaf & 0x80000000u)) return std::nullopt;
        auto dataRva = U(*root + *leaf, 4), dataSize = U(*root + *leaf + 4, 4);
        if (!dataRva || !dataSize) return std::nullopt;
        auto data = FileOffset(*dataRva);
        if (!data) return std::nullopt;
        int64_t p = *data, end = *data + *dataSize;
        for (int i = 0; i < n % 16; ++i) {
            auto len = U(p, 2);
            if (!len) return std::nullopt;
            p += 2 + 2 * static_cast<int64_t>(*len);
            if (p > end) return std::nullopt;
        }
        auto len = U(p, 2);
        if (!len) return std::nullopt;
        std::string out;
        for (uint32_t i = 0; i < *len && out.size() < maxChars; ++i) {
            auto c = U(p + 2 + 2 * static_cast<int64_t>(i), 2);
            if (!c || p + 4 + 2 * static_cast<int64_t>(i) > end) return std::nullopt;
            out += *c < 0x80 ? static_cast<char>(*c) : '?';  // only digits matter here
        }
        return out;
    }

private:
    TStream& s_;
    int64_t size_;
    uint32_t sections_ = 0;
    int64_t sectionTable_ = 0;
};

}  // namespace

int32_t ExecutableArchiveStart(const std::string& FileName)
{
    try {
        TFileStream f(FileName, fmOpenRead | fmShareDenyNone);
        PeFile pe(f);
        // A 15-character buffer with its terminator: 14 characters at most.
        auto s = pe.String(1, 14);
        return s ? ParseStartOffset(*s) : 0;
    } catch (const Exception&) {
        return 0;
    }
}
