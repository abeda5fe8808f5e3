// tessaly.exe as a user starts it: from a folder with or without a usable engine.
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/product/support/RunProgram.h"
#include "tests/support/TempMachine.h"

namespace fs = std::filesystem;

namespace {

// The program and its engine copied into a folder of the test's own, as an
// installation puts them.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        exe_ = dir_.Path() + "/tessaly.exe";
        fs::copy_file(TESSALY_BIN_DIR "/tessaly.exe", exe_);
        fs::copy_file(TESSALY_BIN_DIR "/tsly.dll", dir_.Path() + "/tsly.dll");
    }
    testsupport::ProgramRun Check() { return testsupport::RunProgram({exe_, "--check-engine"}); }
    testsupport::TempDir dir_;
    std::string exe_;
};

TEST_F(ProgramTest, FindsItsEngineBesideIt)
{
    const auto r = Check();
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Out.find("tsly.dll 1.1: 10 tilings"), std::string::npos) << r.Out;
}

TEST_F(ProgramTest, SaysWhatIsWrongWithAMissingOrDamagedEngine)
{
    const std::string dll = dir_.Path() + "/tsly.dll";
    const std::string good = testsupport::ReadHostFile(dll);
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file at all
        std::string says;
    };
    std::string garbage(good.size(), '\xA5');
    const Case cases[] = {
        {"missing", "", "tsly.dll, is missing.\n\nFolder: " + dir_.Path()},
        {"truncated", good.substr(0, 4096), "is damaged:\nIt has 4096 bytes instead of"},
        {"overwritten", garbage, "is damaged:\nIts contents are not those"},
    };
    for (const Case& c : cases) {
        fs::remove(dll);
        if (!c.bytes.empty()) testsupport::WriteHostFile(dll, c.bytes);
        const auto r = Check();
        EXPECT_EQ(r.ExitCode, 1) << c.what;
        EXPECT_NE(r.Err.find(c.says), std::string::npos) << c.what << ": " << r.Err;
        EXPECT_NE(r.Err.find("Install Tessaly v1.1 again"), std::string::npos) << c.what;
    }
}

TEST_F(ProgramTest, ExportsAPictureWithoutAWindow)
{
    const std::string png = dir_.Path() + "/out.png";
    const auto r = testsupport::RunProgram({exe_, "--export", png, "--tiling", "9", "--size", "320x200"},
                                           {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    const std::string bytes = testsupport::ReadHostFile(png);
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x01\x40\0\0\0\xC8", 8)) << "320 x 200";
    EXPECT_EQ(testsupport::RunProgram({exe_, "--export", png, "--tiling", "99"}, {"QT_QPA_PLATFORM=offscreen"}).ExitCode, 2);
}

}  // namespace
