// String tables of PE executables: LoadLibraryExA as a data file, LoadStringA,
// FreeLibrary; the reader's defences against damaged files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/classes/Resources.h"
#include "platform/win/Module.h"
#include "platform/win/PeResources.h"
#include "tests/support/TempMachine.h"

namespace {

// Writes a minimal PE file byte by byte: headers, one .rsrc section, a string table.
struct PeBuilder {
    bool plus = false;
    std::map<uint32_t, std::u16string> strings;

    static void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
    {
        b[at] = static_cast<uint8_t>(v);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    static void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }

    std::vector<uint8_t> Resources(uint32_t sectionRva) const
    {
        std::map<uint32_t, std::vector<std::u16string>> blocks;
        for (auto& [id, s] : strings) {
            auto& blk = blocks[id / 16 + 1];
            blk.resize(16);
            blk[id % 16] = s;
        }
        size_t k = blocks.size();
        size_t typeDir = 24, langDirs = typeDir + 16 + 8 * k, dataEntries = langDirs + 24 * k;
        size_t data = dataEntries + 16 * k;
        std::vector<uint8_t> r(data);
        Put16(r, 14, 1);
        Put32(r, 16, 6);
        Put32(r, 20, 0x80000000u | static_cast<uint32_t>(typeDir));
        Put16(r, typeDir + 14, static_cast<uint32_t>(k));
        size_t i = 0;
        for (auto& [blockId, entries] : blocks) {
            Put32(r, typeDir + 16 + 8 * i, blockId);
            Put32(r, typeDir + 20 + 8 * i, 0x80000000u | static_cast<uint32_t>(langDirs + 24 * i));
            size_t ld = langDirs + 24 * i;
            Put16(r, ld + 14, 1);
            Put32(r, ld + 16, 0x409);
            Put32(r, ld + 20, static_cast<uint32_t>(dataEntries + 16 * i));
            std::vector<uint8_t> blk;
            for (const std::u16string& s : entries) {
                blk.push_back(static_cast<uint8_t>(s.size()));
                blk.push_back(static_cast<uint8_t>(s.size() >> 8));
                for (char16_t c : s) {
                    blk.push_back(static_cast<uint8_t>(c));
                    blk.push_back(static_cast<uint8_t>(c >> 8));
                }
            }
            Put32(r, dataEntries + 16 * i, sectionRva + static_cast<uint32_t>(r.size()));
            Put32(r, dataEntries + 16 * i + 4, static_cast<uint32_t>(blk.size()));
            r.insert(r.end(), blk.begin(), blk.end());
            ++i;
        }
        return r;
    }

    std::vector<uint8_t> Build() const
    {
        const uint32_t rva = 0x1000, raw = 0x400;
        std::vector<uint8_t> rsrc = Resources(rva);
        size_t rawSize = (rsrc.size() + 0x1FF) & ~size_t(0x1FF);
        std::vector<uint8_t> b(raw + rawSize);
        b[0] = 'M';
        b[1] = 'Z';
        Put32(b, 0x3C, 0x80);
        std::memcpy(&b[0x80], "PE\0\0", 4);
        size_t coff = 0x84, opt = 0x98;
        uint32_t optSize = plus ? 240 : 224;
        Put16(b, coff, plus ? 0x8664 : 0x14C);
        Put16(b, coff + 2, 1);
        Put16(b, coff + 16, optSize);
        Put16(b, opt, plus ? 0x20B : 0x10B);
        size_t dirs = opt + (plus ? 112 : 96);
        Put32(b, dirs - 4, 16);
        Put32(b, dirs + 16, rva);
        Put32(b, dirs + 20, static_cast<uint32_t>(rsrc.size()));
        size_t sect = opt + optSize;
        std::memcpy(&b[sect], ".rsrc", 5);
        Put32(b, sect + 8, static_cast<uint32_t>(rsrc.size()));
        Put32(b, sect + 12, rva);
        Put32(b, sect + 16, static_cast<uint32_t>(rawSize));
        Put32(b, sect + 20, raw);
        std::copy(rsrc.begin(), rsrc.end(), b.begin() + raw);
        return b;
    }
};

PeBuilder Sample()
{
    PeBuilder p;
    p.strings[1] = u"777171";
    p.strings[2] = u"";
    p.strings[17] = u"Caf\u00e9 \u20ac\u4e2d";
    p.strings[40] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    return p;
}

class PeResourcesTest : public MachineTest {
protected:
    void Write(const std::string& winPath, const std::vector<uint8_t>& bytes)
    {
        testsupport::WriteHostFile(Host(winPath), std::string(bytes.begin(), bytes.end()));
    }
    std::string Load(HMODULE h, UINT id, int max = 256)
    {
        std::vector<char> buf(static_cast<size_t>(std::max(max, 1)), 'X');
        int n = LoadStringA(h, id, buf.data(), max);
        return n ? std::string(buf.data(), static_cast<size_t>(n)) : std::string();
    }
};

TEST_F(PeResourcesTest, StringsOfPe32AndPe32PlusFiles)
{
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        PeBuilder p = Sample();
        p.plus = plus;
        Write("C:\\setup.exe", p.Build());
        HMODULE h = LoadLibraryExA("C:\\setup.exe", 0, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(h, 0) << GetLastError();
        EXPECT_EQ(Load(h, 1), "777171");
        EXPECT_EQ(Load(h, 17), "Caf\xE9 \x80?");
        EXPECT_EQ(Load(h, 40), "0123456789abcdefghijklmnopqrstuvwxyz");
        // A buffer of 15 characters takes 14 and the terminating zero.
        char small[15];
        EXPECT_EQ(LoadStringA(h, 40, small, 15), 14);
        EXPECT_STREQ(small, "0123456789abcd");
        // Empty, missing in a present block, and in a missing block: all "no string".
        EXPECT_EQ(LoadStringA(h, 2, small, 15), 0);
        EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
        EXPECT_EQ(LoadStringA(h, 5, small, 15), 0);
        EXPECT_STREQ(small, "");
        EXPECT_EQ(LoadStringA(h, 1000, small, 15), 0);
        EXPECT_EQ(LoadStringA(h, 1, small, 0), 0);
        EXPECT_TRUE(FreeLibrary(h));
        EXPECT_EQ(LoadStringA(h, 1, small, 15), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(FreeLibrary(h));
    }
}

TEST_F(PeResourcesTest, FilesThatCannotBeLoaded)
{
    char buf[15];
    EXPECT_EQ(LoadLibraryExA("C:\\missing.exe", 0, LOAD_LIBRARY_AS_DATAFILE), 0);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    Write("C:\\plain.exe", {'M', 'Z', 0x90, 0});
    EXPECT_EQ(LoadLibraryExA("C:\\plain.exe", 0, LOAD_LIBRARY_AS_DATAFILE), 0);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    Write("C:\\setup.lzd", {0x01, 0x00});
    EXPECT_EQ(LoadLibraryExA("C:\\setup.lzd", 0, LOAD_LIBRARY_AS_DATAFILE), 0);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    // Running code is not something this machine does.
    Write("C:\\setup.exe", Sample().Build());
    EXPECT_EQ(LoadLibraryExA("C:\\setup.exe", 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    // A PE file without resources loads and has no strings.
    PeBuilder none;
    std::vector<uint8_t> img = none.Build();
    PeBuilder::Put32(img, 0x98 + 96 + 16, 0);
    Write("C:\\bare.exe", img);
    HMODULE h = LoadLibraryExA("C:\\bare.exe", 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(h, 0);
    EXPECT_EQ(LoadStringA(h, 1, buf, 15), 0);
    FreeLibrary(h);
}

TEST_F(PeResourcesTest, TheProgramsOwnStringTable)
{
    const char table[] = "9001 own string\n";
    RegisterStringTable(table, sizeof table - 1);
    char buf[8];
    EXPECT_EQ(LoadStringA(HInstance, 9001, buf, 8), 7);
    EXPECT_STREQ(buf, "own str");
    EXPECT_EQ(LoadStringA(0, 9001, buf, 8), 7);
    EXPECT_EQ(LoadStringA(HInstance, 9002, buf, 8), 0);
}

TEST(PeResources, ErrorModeIsKept)
{
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    EXPECT_EQ(GetErrorMode(), SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    EXPECT_EQ(SetErrorMode(old), SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

// Every truncation and a set of single-field corruptions: a clean error or "no
// string", never a read outside the bytes (the sanitizer watches).
TEST(PeResources, DamagedFilesNeverReadOutsideTheirBytes)
{
    std::vector<uint8_t> good = Sample().Build();
    auto probe = [](std::vector<uint8_t> img) {
        try {
            TPeResources pe(std::move(img));
            std::u16string s;
            for (uint32_t id : {0u, 1u, 2u, 17u, 40u, 0xFFFFu, 0xFFFFFFFFu}) pe.FindString(id, s);
        } catch (const EPeFormatError&) {
        }
    };
    for (size_t n = 0; n < good.size(); n += (n < 0x500 ? 1 : 16)) probe(std::vector<uint8_t>(good.begin(), good.begin() + n));
    const size_t fields[] = {0x3C, 0x86, 0x94, 0x98, 0x98 + 92, 0x98 + 112, 0x98 + 116, 0x98 + 224 + 8, 0x98 + 224 + 12,
                             0x98 + 224 + 16, 0x98 + 224 + 20, 0x400 + 12, 0x400 + 14, 0x400 + 20, 0x400 + 24 + 14,
                             0x400 + 24 + 20, 0x400 + 24 + 16 + 8 * 3 + 20};
    for (size_t f : fields)
        for (uint32_t v : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x1000u}) {
            std::vector<uint8_t> img = good;
            PeBuilder::Put32(img, f, v);
            probe(img);
        }
    std::u16string s;
    EXPECT_TRUE(TPeResources(good).FindString(1, s));
    EXPECT_EQ(s, u"777171");
    try {
        TPeResources bad(std::vector<uint8_t>(good.begin(), good.begin() + 0x90));
        FAIL() << "accepted";
    } catch (const EPeFormatError& e) {
        EXPECT_EQ(e.Message(), "Not a PE executable: no PE signature");
    }
}

// The same reader on a file made by the platform's own resource compiler, when the
// cross tools are installed.
TEST_F(PeResourcesTest, FileMadeByTheCrossTools)
{
    if (std::system("command -v i686-w64-mingw32-windres >/dev/null 2>&1 && command -v i686-w64-mingw32-ld >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "binutils-mingw-w64-i686 not installed";
    testsupport::TempDir dir;
    testsupport::WriteHostFile(dir / "s.rc", "STRINGTABLE\nBEGIN\n  1, \"1234567\"\n  18, \"second block\"\nEND\n");
    std::string cmd = "cd '" + dir.Path() +
                      "' && i686-w64-mingw32-windres --preprocessor=cat s.rc -O coff -o s.o && i686-w64-mingw32-ld --entry=0 -o s.exe s.o";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string exe = testsupport::ReadHostFile(dir / "s.exe");
    Write("C:\\real.exe", std::vector<uint8_t>(exe.begin(), exe.end()));
    HMODULE h = LoadLibraryExA("C:\\real.exe", 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Load(h, 1), "1234567");
    EXPECT_EQ(Load(h, 18), "second block");
    EXPECT_EQ(Load(h, 2), "");
    FreeLibrary(h);
}

}  // namespace
