// Reading a named section of an ELF file: real files, hand-made ones of both classes,
// and every kind of damage.
#include <gtest/gtest.h>

#include "platform/win/ElfSection.h"
#include "tests/win/ElfTestFile.h"

namespace {

TEST(ElfSection, FindsASectionOfThisVeryProgram)
{
    // The dynamic loader's path, which every dynamically linked program names.
    std::string interp;
    ASSERT_TRUE(ReadElfSectionFromFile("/proc/self/exe", ".interp", interp));
    EXPECT_NE(interp.find("ld-linux"), std::string::npos) << interp;
    std::string none;
    EXPECT_FALSE(ReadElfSectionFromFile("/proc/self/exe", ".no-such-section", none));
    EXPECT_FALSE(ReadElfSectionFromFile("/no/such/file", ".interp", none));
    EXPECT_FALSE(ReadElfSectionFromFile("/proc/self", ".interp", none));  // a folder
}

TEST(ElfSection, ReadsBothClasses)
{
    for (bool wide : {true, false}) {
        const std::string file = testsupport::ElfWithSections(wide, {{".data", "first"}, {".icon", "the icon bytes"}});
        std::string out;
        ASSERT_TRUE(ReadElfSectionFromBytes(file, ".icon", out)) << wide;
        EXPECT_EQ(out, "the icon bytes");
        ASSERT_TRUE(ReadElfSectionFromBytes(file, ".data", out));
        EXPECT_EQ(out, "first");
        EXPECT_FALSE(ReadElfSectionFromBytes(file, ".ico", out)) << "a prefix of a name is not the name";
    }
}

TEST(ElfSection, RefusesDamagedFiles)
{
    const std::string good = testsupport::ElfWithSections(true, {{".icon", "PNGDATA"}});
    std::string out;
    // Cut anywhere: refused or, before the icon is reached, still consistent.
    for (size_t n = 0; n < good.size(); ++n) {
        if (ReadElfSectionFromBytes(good.substr(0, n), ".icon", out)) ADD_FAILURE() << "read a file cut at " << n;
    }
    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        std::string f = good;
        size_t i = at;
        for (uint8_t b : bytes) f[i++] = static_cast<char>(b);
        return f;
    };
    const uint64_t shoff = testsupport::ElfSectionTableOffset(good);
    struct Case {
        const char* what;
        std::string file;
    };
    const Case cases[] = {
        {"not ELF", patched(0, {'X'})},
        {"big-endian", patched(5, {2})},
        {"unknown class", patched(4, {3})},
        {"section table beyond the file", patched(0x28, {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})},
        {"section table offset wraps", patched(0x28, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"entries too small", patched(0x3A, {8, 0})},
        {"no sections", patched(0x3C, {0, 0})},
        {"names index out of range", patched(0x3E, {9, 0})},
        // Section 2 is .icon: its size at +0x20, offset at +0x18.
        {"section larger than allowed", patched(shoff + 2 * 64 + 0x20, {0, 0, 0, 0x40, 0, 0, 0, 0})},
        {"section beyond the file", patched(shoff + 2 * 64 + 0x18, {0, 0, 0, 0, 1, 0, 0, 0})},
        {"section without bytes", patched(shoff + 2 * 64 + 4, {8})},
    };
    for (const Case& c : cases) EXPECT_FALSE(ReadElfSectionFromBytes(c.file, ".icon", out)) << c.what;
    // A name offset past the name table only hides that section.
    EXPECT_FALSE(ReadElfSectionFromBytes(patched(shoff + 2 * 64, {0xFF, 0xFF, 0, 0}), ".icon", out));
}

}  // namespace
