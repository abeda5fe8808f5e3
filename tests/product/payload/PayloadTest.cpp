// The packed payload: the five files in the installer's order, the programs built for
// shipping (stripped, without sanitizers), and a working pair of program and engine.
#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/win/ElfSection.h"
#include "tests/product/support/RunProgram.h"
#include "tests/support/TempMachine.h"

namespace fs = std::filesystem;

namespace {

class PayloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        out_ = dir_.Path() + "/out";
        const auto r = testsupport::RunProgram({LZDPACK, "extract", PAYLOAD_ARCHIVE, "-C", out_},
                                               {"PALLIMER_ROOT=" + dir_.Path() + "/root"});
        ASSERT_EQ(r.ExitCode, 0) << r.Err;
    }
    testsupport::TempDir dir_;
    std::string out_;
};

TEST_F(PayloadTest, HoldsTheFiveFilesInTheInstallersOrder)
{
    const auto r = testsupport::RunProgram({LZDPACK, "list", PAYLOAD_ARCHIVE}, {"PALLIMER_ROOT=" + dir_.Path() + "/root"});
    ASSERT_EQ(r.ExitCode, 0);
    size_t at = 0;
    for (const char* name : {"uninstall.exe", "readme.txt", "tsly.dll", "tessaly.exe", "tessaly.hlp"}) {
        const size_t found = r.Out.find(std::string(name) + "\n", at);
        ASSERT_NE(found, std::string::npos) << name << " in order in\n" << r.Out;
        at = found;
    }
    EXPECT_EQ(testsupport::ReadHostFile(out_ + "/readme.txt"), testsupport::ReadHostFile(PRODUCT_SOURCE_DIR "/readme.txt"));
    EXPECT_EQ(testsupport::ReadHostFile(out_ + "/tessaly.hlp"), testsupport::ReadHostFile(PRODUCT_SOURCE_DIR "/tessaly.hlp"));
}

TEST_F(PayloadTest, TheProgramsAreShippingBuilds)
{
    for (const char* name : {"tessaly.exe", "tsly.dll", "uninstall.exe"}) {
        std::string section;
        EXPECT_FALSE(ReadElfSectionFromFile(out_ + "/" + name, ".symtab", section)) << name << " is not stripped";
        EXPECT_FALSE(ReadElfSectionFromFile(out_ + "/" + name, ".debug_info", section)) << name;
        ASSERT_TRUE(ReadElfSectionFromFile(out_ + "/" + name, ".dynstr", section)) << name;
        for (const char* instrumented : {"__asan", "__ubsan", "__sanitizer", "__sancov"})
            EXPECT_EQ(section.find(instrumented), std::string::npos) << name << " imports " << instrumented;
    }
    for (const char* name : {"tessaly.exe", "uninstall.exe"}) {
        std::string icon;
        ASSERT_TRUE(ReadElfSectionFromFile(out_ + "/" + name, ".icon", icon)) << name;
        EXPECT_EQ(icon.substr(1, 3), "PNG") << name;
    }
}

TEST_F(PayloadTest, TheShippedProgramAcceptsTheShippedEngine)
{
    // The archive keeps no host permissions; an installation makes programs runnable.
    fs::permissions(out_ + "/tessaly.exe", fs::perms::owner_exec, fs::perm_options::add);
    const auto r = testsupport::RunProgram({out_ + "/tessaly.exe", "--check-engine"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Out.find("10 tilings"), std::string::npos);
}

}  // namespace
