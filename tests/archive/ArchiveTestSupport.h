// Helpers for the archive tests: compressed streams, archives assembled entry by
// entry (also deliberately broken ones), a minimal executable with a string table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/ArchiveFormat.h"
#include "codec/Lzh_op.h"
#include "platform/classes/Filer.h"
#include "tests/support/TempMachine.h"
#include "platform/classes/Stream.h"
#include "platform/rtl/DateTime.h"

namespace archivetest {

using testsupport::Hex;

// One complete stream of Data.
inline std::string Compress(const std::string& data)
{
    TCustomLZHCompressor c(nullptr);
    size_t pos = 0;
    std::string out;
    c.ReadInput = [&](TObject*, void* Buffer, uint16_t Count, uint16_t& Actual) {
        size_t n = std::min<size_t>(Count, data.size() - pos);
        data.copy(static_cast<char*>(Buffer), n, pos);
        pos += n;
        Actual = static_cast<uint16_t>(n);
    };
    c.WriteOutput = [&](TObject*, void* Buffer, uint16_t Count, uint16_t& Actual) {
        out.append(static_cast<const char*>(Buffer), Count);
        Actual = Count;
    };
    c.Compress();
    return out;
}

// Bytes that compress poorly but deterministically.
inline std::string Noise(size_t n, uint32_t seed = 1)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = static_cast<char>(seed >> 24);
    }
    return s;
}

struct Item {
    std::string Name;
    std::string Data;
    int32_t Attributes = 128;
    double DateTime = 36820.978587963;
};

// A well-formed archive of Items (streams placed in order, no gaps). Entries, when
// given, receive the header fields written.
inline std::string BuildArchive(const std::vector<Item>& items, std::vector<TArchiveEntry>* entries = nullptr)
{
    std::vector<TArchiveEntry> es;
    std::string data;
    for (const Item& it : items) {
        std::string z = Compress(it.Data);
        TArchiveEntry e;
        e.Name = it.Name;
        e.Size = static_cast<int32_t>(it.Data.size());
        e.CompressedSize = static_cast<int32_t>(z.size());
        e.Offset = static_cast<int32_t>(data.size());
        e.Attributes = it.Attributes;
        e.DateTime = it.DateTime;
        es.push_back(e);
        data += z;
    }
    TStringStream s;
    TWriter w(s);
    WriteArchiveHeader(w, es);
    if (entries) *entries = es;
    return s.DataString() + data;
}

// A header alone, from the given fields.
inline std::string Header(const std::vector<TArchiveEntry>& es)
{
    TStringStream s;
    TWriter w(s);
    WriteArchiveHeader(w, es);
    return s.DataString();
}

inline std::string Unhex(const std::string& hex)
{
    std::string r;
    int v = -1;
    for (char c : hex) {
        int x = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (x < 0) continue;
        if (v < 0) {
            v = x;
        } else {
            r += static_cast<char>(v << 4 | x);
            v = -1;
        }
    }
    return r;
}

// A PE32 file with one .rsrc section whose string table holds String1 as string 1
// (block 1, language 0x409). Nothing else in it is meaningful.
inline std::string MinimalExe(const std::u16string& string1)
{
    std::string f(0x200, '\0');
    auto put = [](std::string& s, size_t at, uint32_t v, int bytes) {
        if (s.size() < at + bytes) s.resize(at + bytes, '\0');
        for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    };
    f[0] = 'M';
    f[1] = 'Z';
    put(f, 0x3C, 0x40, 4);
    put(f, 0x40, 0x00004550, 4);  // "PE\0\0"
    put(f, 0x44, 0x14C, 2);       // machine
    put(f, 0x46, 1, 2);           // one section
    put(f, 0x54, 0xE0, 2);        // optional header size
    const size_t opt = 0x58;
    put(f, opt, 0x10B, 2);
    put(f, opt + 92, 16, 4);  // NumberOfRvaAndSizes: the data directories present
    // Resource section contents, built at section offset 0.
    std::string r;
    put(r, 0x0E, 1, 2);  // root: one id entry
    put(r, 0x10, 6, 4);
    put(r, 0x14, 0x80000000u | 0x18, 4);
    put(r, 0x18 + 0x0E, 1, 2);  // type 6: one block
    put(r, 0x18 + 0x10, 1, 4);
    put(r, 0x18 + 0x14, 0x80000000u | 0x30, 4);
    put(r, 0x30 + 0x0E, 1, 2);  // block 1: one language
    put(r, 0x30 + 0x10, 0x409, 4);
    put(r, 0x30 + 0x14, 0x48, 4);
    std::string block;
    for (int i = 0; i < 16; ++i) {
        std::u16string s = i == 1 ? string1 : std::u16string();
        put(block, block.size(), static_cast<uint32_t>(s.size()), 2);
        for (char16_t c : s) put(block, block.size(), c, 2);
    }
    put(r, 0x48, 0x1000 + 0x58, 4);  // leaf: data RVA, size
    put(r, 0x4C, static_cast<uint32_t>(block.size()), 4);
    r.resize(0x58, '\0');
    r += block;
    put(f, opt + 112, 0x1000, 4);
    put(f, opt + 116, static_cast<uint32_t>(r.size()), 4);
    const size_t sec = opt + 0xE0;
    f.replace(sec, 5, ".rsrc");
    put(f, sec + 8, static_cast<uint32_t>(r.size()), 4);
    put(f, sec + 12, 0x1000, 4);
    put(f, sec + 16, static_cast<uint32_t>(r.size()), 4);
    put(f, sec + 20, 0x200, 4);
    f.resize(0x200, '\0');
    return f + r;
}

inline std::u16string U16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace archivetest
