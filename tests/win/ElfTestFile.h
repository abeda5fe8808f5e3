// Small ELF files made byte by byte for tests: a header, the named sections' bytes, the
// section names and the section table (null section, names, then the given sections).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

inline void PutLe(std::string& b, size_t at, uint64_t v, int n)
{
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

inline std::string ElfWithSections(bool wide, const std::vector<std::pair<std::string, std::string>>& sections)
{
    const size_t ehsize = wide ? 64 : 52, shentsize = wide ? 64 : 40;
    std::string b(ehsize, '\0');
    b.replace(0, 4, "\x7f" "ELF");
    b[4] = wide ? 2 : 1;
    b[5] = 1;  // little-endian
    b[6] = 1;
    PutLe(b, 16, 3, 2);  // ET_DYN
    std::string names(1, '\0');
    std::vector<std::pair<size_t, size_t>> at;  // offset, size of each section's bytes
    std::vector<size_t> nameAt;
    for (const auto& [name, bytes] : sections) {
        at.emplace_back(b.size(), bytes.size());
        b += bytes;
        nameAt.push_back(names.size());
        names += name + '\0';
    }
    const size_t namesNameAt = names.size();
    names += std::string(".shstrtab") + '\0';
    const size_t namesAt = b.size();
    b += names;
    while (b.size() % 8) b += '\0';
    const size_t shoff = b.size();
    const size_t shnum = sections.size() + 2;
    b.resize(shoff + shnum * shentsize, '\0');
    auto entry = [&](size_t index, size_t name, uint32_t type, size_t off, size_t size) {
        const size_t e = shoff + index * shentsize;
        PutLe(b, e, name, 4);
        PutLe(b, e + 4, type, 4);
        PutLe(b, e + (wide ? 0x18 : 0x10), off, wide ? 8 : 4);
        PutLe(b, e + (wide ? 0x20 : 0x14), size, wide ? 8 : 4);
    };
    entry(1, namesNameAt, 3, namesAt, names.size());  // SHT_STRTAB
    for (size_t i = 0; i < sections.size(); ++i) entry(i + 2, nameAt[i], 1, at[i].first, at[i].second);
    PutLe(b, wide ? 0x28 : 0x20, shoff, wide ? 8 : 4);
    PutLe(b, wide ? 0x3A : 0x2E, shentsize, 2);
    PutLe(b, wide ? 0x3C : 0x30, shnum, 2);
    PutLe(b, wide ? 0x3E : 0x32, 1, 2);
    return b;
}

inline uint64_t ElfSectionTableOffset(const std::string& wideFile)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(static_cast<unsigned char>(wideFile[0x28 + i])) << (8 * i);
    return v;
}

}  // namespace testsupport
