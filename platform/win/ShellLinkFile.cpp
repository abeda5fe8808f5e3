#include "platform/win/ShellLinkFile.h"

#include <cstring>

#include "platform/win/System.h"

namespace {

constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr uint32_t kHeaderSize = 0x4C;
constexpr uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr uint32_t kVolumeIdAndLocalBasePath = 1;

void Put16(std::string& out, uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void Put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put64(std::string& out, uint64_t v)
{
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Set32(std::string& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// u16 character count and the UTF-16LE characters; longer texts are cut at 65535.
void PutString(std::string& out, const std::string& ansi)
{
    std::u16string w = AnsiToWide(ansi);
    if (w.size() > 0xFFFF) w.resize(0xFFFF);
    Put16(out, static_cast<uint16_t>(w.size()));
    for (char16_t c : w) Put16(out, static_cast<uint16_t>(c));
}

class Reader {
public:
    explicit Reader(const std::string& b) : b_(b) {}
    bool Has(size_t at, size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
    uint16_t U16(size_t at) const
    {
        return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8);
    }
    uint32_t U32(size_t at) const
    {
        return static_cast<uint32_t>(Byte(at)) | static_cast<uint32_t>(Byte(at + 1)) << 8 |
               static_cast<uint32_t>(Byte(at + 2)) << 16 | static_cast<uint32_t>(Byte(at + 3)) << 24;
    }
    uint64_t U64(size_t at) const { return static_cast<uint64_t>(U32(at)) | static_cast<uint64_t>(U32(at + 4)) << 32; }
    unsigned Byte(size_t at) const { return static_cast<unsigned char>(b_[at]); }
    // NUL-terminated ANSI string inside [at, limit).
    bool CString(size_t at, size_t limit, std::string& out) const
    {
        out.clear();
        for (size_t i = at; i < limit; ++i) {
            if (b_[i] == '\0') return true;
            out += b_[i];
        }
        return false;
    }

private:
    const std::string& b_;
};

}  // namespace

std::string BuildShellLink(const ShellLinkData& d)
{
    uint32_t flags = SLDF_UNICODE;
    if (!d.LocalBasePath.empty()) flags |= SLDF_HAS_LINK_INFO;
    if (!d.Description.empty()) flags |= SLDF_HAS_NAME;
    if (!d.RelativePath.empty()) flags |= SLDF_HAS_RELPATH;
    if (!d.WorkingDir.empty()) flags |= SLDF_HAS_WORKINGDIR;
    if (!d.Arguments.empty()) flags |= SLDF_HAS_ARGS;
    if (!d.IconLocation.empty()) flags |= SLDF_HAS_ICONLOCATION;

    std::string out;
    Put32(out, kHeaderSize);
    out.append(reinterpret_cast<const char*>(kLinkClsid), 16);
    Put32(out, flags);
    Put32(out, d.FileAttributes);
    Put64(out, d.CreationTime);
    Put64(out, d.AccessTime);
    Put64(out, d.WriteTime);
    Put32(out, d.FileSize);
    Put32(out, static_cast<uint32_t>(d.IconIndex));
    Put32(out, d.ShowCommand);
    Put16(out, d.HotKey);
    out.append(10, '\0');

    if (flags & SLDF_HAS_LINK_INFO) {
        // Link info: header, volume id, local base path, empty common path suffix.
        const size_t start = out.size();
        const uint32_t volSize = 0x10 + static_cast<uint32_t>(d.VolumeLabel.size()) + 1;
        const uint32_t volOff = kLinkInfoHeaderSize;
        const uint32_t baseOff = volOff + volSize;
        const uint32_t suffixOff = baseOff + static_cast<uint32_t>(d.LocalBasePath.size()) + 1;
        const uint32_t total = suffixOff + 1;
        Put32(out, total);
        Put32(out, kLinkInfoHeaderSize);
        Put32(out, kVolumeIdAndLocalBasePath);
        Put32(out, volOff);
        Put32(out, baseOff);
        Put32(out, 0);  // no network part
        Put32(out, suffixOff);
        Put32(out, volSize);
        Put32(out, d.DriveType);
        Put32(out, d.DriveSerialNumber);
        Put32(out, 0x10);  // label offset inside the volume id
        out += d.VolumeLabel;
        out += '\0';
        out += d.LocalBasePath;
        out += '\0';
        out += '\0';  // common path suffix ""
        Set32(out, start, static_cast<uint32_t>(out.size() - start));
    }
    if (flags & SLDF_HAS_NAME) PutString(out, d.Description);
    if (flags & SLDF_HAS_RELPATH) PutString(out, d.RelativePath);
    if (flags & SLDF_HAS_WORKINGDIR) PutString(out, d.WorkingDir);
    if (flags & SLDF_HAS_ARGS) PutString(out, d.Arguments);
    if (flags & SLDF_HAS_ICONLOCATION) PutString(out, d.IconLocation);
    Put32(out, 0);  // terminal block
    return out;
}

bool ParseShellLink(const std::string& bytes, ShellLinkData& d, std::string& error)
{
    d = ShellLinkData{};
    Reader r(bytes);
    auto fail = [&](const char* why) {
        error = why;
        return false;
    };
    if (!r.Has(0, kHeaderSize)) return fail("shorter than the 76-byte header");
    if (r.U32(0) != kHeaderSize) return fail("wrong header size");
    if (std::memcmp(bytes.data() + 4, kLinkClsid, 16) != 0) return fail("not a shell link class id");
    const uint32_t flags = r.U32(0x14);
    d.FileAttributes = r.U32(0x18);
    d.CreationTime = r.U64(0x1C);
    d.AccessTime = r.U64(0x24);
    d.WriteTime = r.U64(0x2C);
    d.FileSize = r.U32(0x34);
    d.IconIndex = static_cast<int32_t>(r.U32(0x38));
    d.ShowCommand = r.U32(0x3C);
    d.HotKey = r.U16(0x40);
    size_t pos = kHeaderSize;

    if (flags & SLDF_HAS_ID_LIST) {
        if (!r.Has(pos, 2)) return fail("id list truncated");
        const size_t size = r.U16(pos);
        if (!r.Has(pos + 2, size)) return fail("id list truncated");
        pos += 2 + size;
    }
    if (flags & SLDF_HAS_LINK_INFO) {
        if (!r.Has(pos, kLinkInfoHeaderSize)) return fail("link info truncated");
        const uint32_t total = r.U32(pos);
        const uint32_t hdr = r.U32(pos + 4);
        if (total < kLinkInfoHeaderSize || !r.Has(pos, total)) return fail("link info size out of range");
        if (hdr < kLinkInfoHeaderSize || hdr > total) return fail("link info header size out of range");
        const uint32_t liFlags = r.U32(pos + 8);
        const size_t end = pos + total;
        if (liFlags & kVolumeIdAndLocalBasePath) {
            const uint32_t volOff = r.U32(pos + 12);
            const uint32_t baseOff = r.U32(pos + 16);
            if (volOff >= total || baseOff >= total) return fail("link info offsets out of range");
            const size_t vol = pos + volOff;
            if (!r.Has(vol, 0x10) || vol + 0x10 > end) return fail("volume id truncated");
            const uint32_t volSize = r.U32(vol);
            if (volSize <= 0x10 || volSize > end - vol) return fail("volume id size out of range");
            d.DriveType = r.U32(vol + 4);
            d.DriveSerialNumber = r.U32(vol + 8);
            const uint32_t labelOff = r.U32(vol + 12);
            if (labelOff != 0x14) {  // 0x14 marks a Unicode label, which is not kept
                if (labelOff >= volSize || !r.CString(vol + labelOff, vol + volSize, d.VolumeLabel))
                    return fail("volume label out of range");
            }
            if (!r.CString(pos + baseOff, end, d.LocalBasePath)) return fail("local base path not terminated");
        }
        pos = end;
    }
    const uint32_t stringFlags[] = {SLDF_HAS_NAME, SLDF_HAS_RELPATH, SLDF_HAS_WORKINGDIR, SLDF_HAS_ARGS,
                                    SLDF_HAS_ICONLOCATION};
    std::string* strings[] = {&d.Description, &d.RelativePath, &d.WorkingDir, &d.Arguments, &d.IconLocation};
    const size_t unit = (flags & SLDF_UNICODE) ? 2 : 1;
    for (int i = 0; i < 5; ++i) {
        if (!(flags & stringFlags[i])) continue;
        if (!r.Has(pos, 2)) return fail("string data truncated");
        const size_t count = r.U16(pos);
        pos += 2;
        if (!r.Has(pos, count * unit)) return fail("string data truncated");
        if (unit == 2) {
            std::u16string w;
            for (size_t k = 0; k < count; ++k) w += static_cast<char16_t>(r.U16(pos + 2 * k));
            *strings[i] = WideToAnsi(w);
        } else {
            strings[i]->assign(bytes, pos, count);
        }
        pos += count * unit;
    }
    // Extra data blocks until the terminal block (size below 4).
    while (true) {
        if (!r.Has(pos, 4)) return fail("terminal block missing");
        const uint32_t size = r.U32(pos);
        if (size < 4) break;
        if (!r.Has(pos, size)) return fail("extra data block truncated");
        pos += size;
    }
    return true;
}
