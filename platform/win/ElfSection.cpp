#include "platform/win/ElfSection.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

uint64_t Le(const std::string& b, size_t off, size_t n)
{
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(static_cast<unsigned char>(b[off + i])) << (8 * i);
    return v;
}

// Section name tables beyond this are refused; real ones hold a few hundred bytes.
constexpr uint64_t kMaxNamesSize = 1u << 20;

}  // namespace

bool ReadElfSection(const ElfByteSource& source, const std::string& name, std::string& out)
{
    std::string h;
    if (!source(0, 52, h) || h.compare(0, 4, "\x7f" "ELF") != 0) return false;
    const bool wide = h[4] == 2;
    if ((h[4] != 1 && h[4] != 2) || h[5] != 1) return false;  // 32/64-bit, little-endian only
    if (wide && !source(0, 64, h)) return false;
    const uint64_t shoff = wide ? Le(h, 0x28, 8) : Le(h, 0x20, 4);
    const uint64_t shentsize = wide ? Le(h, 0x3A, 2) : Le(h, 0x2E, 2);
    const uint64_t shnum = wide ? Le(h, 0x3C, 2) : Le(h, 0x30, 2);
    const uint64_t shstrndx = wide ? Le(h, 0x3E, 2) : Le(h, 0x32, 2);
    const uint64_t minEntry = wide ? 64 : 40;
    if (shnum == 0 || shentsize < minEntry || shstrndx >= shnum) return false;

    struct Section {
        uint64_t nameOff, type, offset, size;
    };
    auto section = [&](uint64_t index, Section& s) {
        std::string e;
        // No overflow: shoff is at most 2^64-1 but index * shentsize < 2^32.
        const uint64_t at = shoff + index * shentsize;
        if (at < shoff || !source(at, static_cast<size_t>(minEntry), e)) return false;
        s.nameOff = Le(e, 0, 4);
        s.type = Le(e, 4, 4);
        s.offset = wide ? Le(e, 0x18, 8) : Le(e, 0x10, 4);
        s.size = wide ? Le(e, 0x20, 8) : Le(e, 0x14, 4);
        return true;
    };
    constexpr uint64_t kNoBits = 8;
    Section names{};
    if (!section(shstrndx, names) || names.type == kNoBits || names.size > kMaxNamesSize) return false;
    std::string table;
    if (!source(names.offset, static_cast<size_t>(names.size), table)) return false;
    for (uint64_t i = 0; i < shnum; ++i) {
        Section s{};
        if (!section(i, s)) return false;
        if (s.nameOff >= table.size()) continue;
        const size_t end = table.find('\0', static_cast<size_t>(s.nameOff));
        if (end == std::string::npos) continue;
        if (table.compare(static_cast<size_t>(s.nameOff), end - static_cast<size_t>(s.nameOff), name) != 0) continue;
        if (s.type == kNoBits || s.size > kMaxElfSectionSize) return false;
        return source(s.offset, static_cast<size_t>(s.size), out);
    }
    return false;
}

bool ReadElfSectionFromBytes(const std::string& bytes, const std::string& name, std::string& out)
{
    return ReadElfSection(
        [&bytes](uint64_t off, size_t len, std::string& to) {
            if (off > bytes.size() || len > bytes.size() - off) return false;
            to.assign(bytes, static_cast<size_t>(off), len);
            return true;
        },
        name, out);
}

bool ReadElfSectionFromFile(const std::string& hostPath, const std::string& name, std::string& out)
{
    const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    const bool ok = ReadElfSection(
        [fd](uint64_t off, size_t len, std::string& to) {
            if (off > static_cast<uint64_t>(INT64_MAX)) return false;
            to.assign(len, '\0');
            size_t got = 0;
            while (got < len) {
                const ssize_t n = pread(fd, to.data() + got, len - got, static_cast<off_t>(off + got));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return false;
                got += static_cast<size_t>(n);
            }
            return true;
        },
        name, out);
    close(fd);
    return ok;
}
