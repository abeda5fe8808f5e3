#include "platform/win/PeResources.h"

#include "platform/rtl/StrUtils.h"

TPeResources::TPeResources(std::vector<uint8_t> Image) : image_(std::move(Image))
{
    uint32_t peOff;
    uint16_t mz;
    if (!U16(0, mz) || mz != 0x5A4D) throw EPeFormatError("Not an executable: no MZ header");
    if (!U32(0x3C, peOff) || peOff > image_.size() || image_.size() - peOff < 24 ||
        std::string_view(reinterpret_cast<const char*>(&image_[peOff]), 4) != std::string_view("PE\0\0", 4))
        throw EPeFormatError("Not a PE executable: no PE signature");
    uint16_t nsect, optSize, magic;
    U16(peOff + 6, nsect);
    U16(peOff + 20, optSize);
    size_t opt = size_t(peOff) + 24;
    if (!U16(opt, magic)) throw EPeFormatError("PE optional header missing");
    size_t dirs;
    uint32_t ndirs;
    if (magic == 0x10B) {
        dirs = opt + 96;
        if (!U32(opt + 92, ndirs)) throw EPeFormatError("PE optional header truncated");
    } else if (magic == 0x20B) {
        pe32plus_ = true;
        dirs = opt + 112;
        if (!U32(opt + 108, ndirs)) throw EPeFormatError("PE optional header truncated");
    } else {
        throw EPeFormatError("Unknown PE optional header magic");
    }
    size_t sect = opt + optSize;
    for (uint16_t i = 0; i < nsect; ++i) {
        size_t h = sect + size_t(i) * 40;
        Section s;
        if (!U32(h + 8, s.vsize) || !U32(h + 12, s.va) || !U32(h + 16, s.rawSize) || !U32(h + 20, s.raw))
            throw EPeFormatError("PE section table truncated");
        sections_.push_back(s);
    }
    // The directory must lie inside the optional header the file declares.
    uint32_t rva = 0, size = 0;
    if (ndirs > 2 && dirs + 24 <= opt + optSize && U32(dirs + 16, rva) && U32(dirs + 20, size) && rva && size) {
        // The table's size is trusted only as far as its section's bytes in the file go.
        for (const Section& s : sections_) {
            if (rva < s.va || rva - s.va >= std::max(s.vsize, s.rawSize)) continue;
            uint64_t within = rva - s.va;
            if (within >= s.rawSize || s.raw > image_.size()) break;
            uint64_t start = uint64_t(s.raw) + within;
            if (start >= image_.size()) break;
            uint64_t avail = std::min<uint64_t>(uint64_t(s.rawSize) - within, image_.size() - start);
            rsrcOffset_ = static_cast<size_t>(start);
            rsrcSize_ = static_cast<uint32_t>(std::min<uint64_t>(avail, size));
            break;
        }
    }
}

bool TPeResources::U16(size_t At, uint16_t& V) const
{
    if (At > image_.size() || image_.size() - At < 2) return false;
    V = static_cast<uint16_t>(image_[At] | (image_[At + 1] << 8));
    return true;
}

bool TPeResources::U32(size_t At, uint32_t& V) const
{
    if (At > image_.size() || image_.size() - At < 4) return false;
    V = static_cast<uint32_t>(image_[At] | (image_[At + 1] << 8) | (image_[At + 2] << 16) |
                              (uint32_t(image_[At + 3]) << 24));
    return true;
}

bool TPeResources::RvaToOffset(uint32_t Rva, uint32_t Size, size_t& Offset) const
{
    for (const Section& s : sections_) {
        if (Rva < s.va) continue;
        uint64_t within = Rva - s.va;
        if (within + Size > s.rawSize) continue;
        uint64_t start = uint64_t(s.raw) + within;
        if (start + Size > image_.size()) return false;
        Offset = static_cast<size_t>(start);
        return true;
    }
    return false;
}

int64_t TPeResources::FindEntry(uint32_t DirOffset, uint32_t Id, bool AnyId) const
{
    uint16_t named, ids;
    if (uint64_t(DirOffset) + 16 > rsrcSize_) return -1;
    size_t dir = rsrcOffset_ + DirOffset;
    if (!U16(dir + 12, named) || !U16(dir + 14, ids)) return -1;
    uint64_t count = uint64_t(named) + ids;
    // Entries past the table's end are not looked at.
    count = std::min<uint64_t>(count, (rsrcSize_ - DirOffset - 16) / 8);
    for (uint64_t i = 0; i < count; ++i) {
        size_t e = dir + 16 + size_t(i) * 8;
        uint32_t name, off;
        if (!U32(e, name) || !U32(e + 4, off)) return -1;
        if (name & 0x80000000u) continue;  // a named entry
        if (AnyId || name == Id) return static_cast<int64_t>(e - rsrcOffset_);
    }
    return -1;
}

bool TPeResources::FindResource(uint32_t Type, uint32_t Id, std::string_view& Data) const
{
    if (!rsrcSize_) return false;
    uint32_t dir = 0;
    const uint32_t want[3] = {Type, Id, 0};
    for (int level = 0; level < 3; ++level) {
        int64_t e = FindEntry(dir, want[level], level == 2);
        if (e < 0) return false;
        uint32_t off;
        if (!U32(rsrcOffset_ + static_cast<size_t>(e) + 4, off)) return false;
        bool sub = (off & 0x80000000u) != 0;
        off &= 0x7FFFFFFFu;
        // Type and name lead to directories; a language leads to a data entry.
        if (sub != (level < 2)) return false;
        dir = off;
    }
    if (uint64_t(dir) + 16 > rsrcSize_) return false;
    uint32_t rva, size;
    if (!U32(rsrcOffset_ + dir, rva) || !U32(rsrcOffset_ + dir + 4, size)) return false;
    size_t at;
    if (!RvaToOffset(rva, size, at)) return false;
    Data = std::string_view(reinterpret_cast<const char*>(image_.data() + at), size);
    return true;
}

bool TPeResources::FindString(uint32_t Ident, std::u16string& Value) const
{
    std::string_view block;
    if (Ident / 16 + 1 > 0xFFFF || !FindResource(PE_RT_STRING, Ident / 16 + 1, block)) return false;
    size_t p = 0;
    for (uint32_t i = 0;; ++i) {
        if (block.size() - p < 2) return false;
        size_t len = static_cast<uint8_t>(block[p]) | (static_cast<uint8_t>(block[p + 1]) << 8);
        p += 2;
        if ((block.size() - p) / 2 < len) return false;
        if (i == Ident % 16) {
            Value.clear();
            for (size_t k = 0; k < len; ++k)
                Value += static_cast<char16_t>(static_cast<uint8_t>(block[p + 2 * k]) |
                                               (static_cast<uint8_t>(block[p + 2 * k + 1]) << 8));
            return len > 0;
        }
        p += 2 * len;
    }
}

