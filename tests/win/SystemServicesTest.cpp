// System folders, code pages and starting programs.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/win/System.h"
#include "tests/support/TempMachine.h"

namespace {

class SystemServicesTest : public MachineTest {};

TEST_F(SystemServicesTest, FolderCallsFollowTheBufferSizeProtocol)
{
    char buf[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(buf, MAX_PATH), 10u);
    EXPECT_STREQ(buf, "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectoryA(buf, MAX_PATH), 17u);
    EXPECT_STREQ(buf, "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(GetTempPathA(MAX_PATH, buf), 16u);
    EXPECT_STREQ(buf, "C:\\WINDOWS\\TEMP\\");
    char tiny[4] = "abc";
    EXPECT_EQ(GetWindowsDirectoryA(tiny, sizeof tiny), 11u);  // size needed, zero included
    EXPECT_STREQ(tiny, "abc");
    EXPECT_EQ(GetTempPathA(0, nullptr), 17u);
}

TEST(CodePages, AnsiAndUtf8ToUtf16)
{
    WCHAR w[8];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\xE9\x80", -1, w, 8), 4);
    EXPECT_EQ(w[0], u'a');
    EXPECT_EQ(w[1], u'\u00E9');
    EXPECT_EQ(w[2], u'\u20AC');
    EXPECT_EQ(w[3], 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);  // size asked for
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcdefghi", -1, w, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, w, 8), 2);  // a surrogate pair
    EXPECT_EQ(w[0], 0xD83D);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3", 1, w, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC3", 1, w, 8), 1);
    EXPECT_EQ(w[0], 0xFFFD);
    EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, w, 8), 0);
    EXPECT_EQ(WideToAnsi(u"caf\u00E9 \u20AC \u4E00"), "caf\xE9 \x80 ?");
}

TEST_F(SystemServicesTest, WinExecStartsAHostProgramDetached)
{
    // A host program under a Windows name: a shell script that records its arguments and
    // its working directory, then outlives the call.
    const std::string prog = Host("C:\\Program Files") + "/tool.exe";
    testsupport::WriteHostFile(prog, "#!/bin/sh\necho \"$1|$2|$(pwd)\" > \"$(pwd)/ran.txt.part\"\n"
                                     "mv \"$(pwd)/ran.txt.part\" \"$(pwd)/ran.txt\"\n");
    ASSERT_EQ(chmod(prog.c_str(), 0755), 0);
    EXPECT_GT(WinExec("C:\\Program Files\\tool.exe \"two words\" x", SW_SHOWNORMAL), 31u);
    const std::string out = Host("C:\\") + "/ran.txt";
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(testsupport::ReadHostFile(out), "two words|x|" + Host("C:\\") + "\n");

    EXPECT_EQ(WinExec("C:\\Program Files\\none.exe", SW_SHOWNORMAL), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(WinExec("C:\\No Dir\\none.exe", SW_SHOWNORMAL), ERROR_PATH_NOT_FOUND);
    testsupport::WriteHostFile(Host("C:\\") + "/data.exe", "MZ not for this host");
    EXPECT_EQ(WinExec("C:\\data.exe", SW_SHOWNORMAL), ERROR_BAD_FORMAT);
    ASSERT_EQ(chmod((Host("C:\\") + "/data.exe").c_str(), 0755), 0);
    EXPECT_EQ(WinExec("\"C:\\data.exe\"", SW_SHOWNORMAL), ERROR_BAD_FORMAT);
}

}  // namespace
