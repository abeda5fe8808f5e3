// The .lnk writer and reader, checked against an independent reader when one is installed.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "platform/rtl/StrUtils.h"
#include "platform/win/ShellLinkFile.h"
#include "tests/support/TempMachine.h"

namespace {

ShellLinkData FullLink()
{
    ShellLinkData d;
    d.FileAttributes = 0x20;
    d.CreationTime = 132400000000000000ULL;
    d.AccessTime = 132600000000000000ULL;
    d.WriteTime = 132500000000000000ULL;
    d.FileSize = 777171;
    d.IconIndex = 3;
    d.ShowCommand = 7;
    d.HotKey = 0x0651;
    d.LocalBasePath = "C:\\Program Files\\Tessaly v1.1\\tessaly.exe";
    d.Description = "Tesasly v1.1 caf\xE9 \x80";
    d.WorkingDir = "C:\\Program Files\\Tessaly v1.1";
    d.Arguments = "-x \"y z\"";
    d.IconLocation = "C:\\Program Files\\Tessaly v1.1\\tessaly.exe";
    d.DriveSerialNumber = 0x1234ABCD;
    d.VolumeLabel = "DRIVE";
    return d;
}

bool SameLink(const ShellLinkData& a, const ShellLinkData& b)
{
    return a.FileAttributes == b.FileAttributes && a.CreationTime == b.CreationTime && a.AccessTime == b.AccessTime &&
           a.WriteTime == b.WriteTime && a.FileSize == b.FileSize && a.IconIndex == b.IconIndex &&
           a.ShowCommand == b.ShowCommand && a.HotKey == b.HotKey && a.LocalBasePath == b.LocalBasePath &&
           a.Description == b.Description && a.RelativePath == b.RelativePath && a.WorkingDir == b.WorkingDir &&
           a.Arguments == b.Arguments && a.IconLocation == b.IconLocation && a.DriveType == b.DriveType &&
           a.DriveSerialNumber == b.DriveSerialNumber && a.VolumeLabel == b.VolumeLabel;
}

TEST(ShellLinkFile, HeaderLayoutAndFlags)
{
    const std::string b = BuildShellLink(FullLink());
    ASSERT_GE(b.size(), 76u);
    EXPECT_EQ(b.substr(0, 4), std::string("\x4c\0\0\0", 4));
    EXPECT_EQ(b.substr(4, 16), std::string("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16));
    EXPECT_EQ(static_cast<unsigned char>(b[0x14]), 0xF6);  // link info, name, dir, args, icon, unicode
    EXPECT_EQ(b.substr(0x3C, 4), std::string("\x07\0\0\0", 4));
    EXPECT_EQ(b.substr(0x40, 2), std::string("\x51\x06", 2));
    EXPECT_EQ(b.substr(b.size() - 4), std::string(4, '\0'));

    ShellLinkData empty;
    const std::string e = BuildShellLink(empty);
    EXPECT_EQ(e.size(), 76u + 4u);  // no link info, no strings
    EXPECT_EQ(static_cast<unsigned char>(e[0x14]), 0x80);
}

TEST(ShellLinkFile, ReadsBackWhatItWrites)
{
    ShellLinkData in = FullLink();
    in.RelativePath = ".\\tessaly.exe";
    ShellLinkData out;
    std::string why;
    ASSERT_TRUE(ParseShellLink(BuildShellLink(in), out, why)) << why;
    EXPECT_TRUE(SameLink(in, out));
}

TEST(ShellLinkFile, ReadsAnsiStringsIdListsAndExtraBlocksOfOtherWriters)
{
    std::string b = BuildShellLink(ShellLinkData{});
    b.resize(76);
    b[0x14] = 0x01 | 0x04;  // id list and description, ANSI
    b += std::string("\x06\0\x04\0\xAA\xBB\0\0", 8);  // id list: size 6, one 4-byte item, end
    b += std::string("\x03\0abc", 5);
    b += std::string("\x0c\0\0\0\x01\0\0\xA0\0\0\0\0", 12);  // an extra block
    b += std::string(4, '\0');
    ShellLinkData out;
    std::string why;
    ASSERT_TRUE(ParseShellLink(b, out, why)) << why;
    EXPECT_EQ(out.Description, "abc");
}

TEST(ShellLinkFile, EveryTruncationAndCorruptSizeIsRefused)
{
    const std::string b = BuildShellLink(FullLink());
    ShellLinkData out;
    std::string why;
    for (size_t n = 0; n < b.size(); ++n) EXPECT_FALSE(ParseShellLink(b.substr(0, n), out, why)) << n;
    std::string bad = b;
    bad[76] = '\xFF';  // link info size past the end
    bad[77] = '\x7F';
    EXPECT_FALSE(ParseShellLink(bad, out, why));
    EXPECT_FALSE(why.empty());
}

// Runs exiftool on a file; "Tag: value" lines of its short numeric output.
std::map<std::string, std::string> ExifTool(const std::string& file)
{
    std::map<std::string, std::string> tags;
    std::string cmd = "exiftool -n -S '" + file + "' 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return tags;
    char line[4096];
    while (fgets(line, sizeof line, p)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        size_t c = s.find(": ");
        if (c != std::string::npos) tags[s.substr(0, c)] = s.substr(c + 2);
    }
    pclose(p);
    return tags;
}

bool HaveExifTool() { return std::system("exiftool -ver >/dev/null 2>&1") == 0; }

TEST(ShellLinkFile, AnIndependentReaderSeesEveryField)
{
    if (!HaveExifTool()) GTEST_SKIP() << "exiftool (libimage-exiftool-perl) is not installed";
    testsupport::TempDir dir;
    const ShellLinkData d = FullLink();
    testsupport::WriteHostFile(dir / "t.lnk", BuildShellLink(d));
    auto t = ExifTool(dir / "t.lnk");
    EXPECT_EQ(t["FileType"], "LNK");
    EXPECT_EQ(t["Flags"], "246");
    EXPECT_EQ(t["FileAttributes"], "32");
    EXPECT_EQ(t["CreateDate"], "2020:07:23 17:46:40+00:00");
    EXPECT_EQ(t["ModifyDate"], "2020:11:16 11:33:20+00:00");
    EXPECT_EQ(t["AccessDate"], "2021:03:12 05:20:00+00:00");
    EXPECT_EQ(t["TargetFileSize"], "777171");
    EXPECT_EQ(t["IconIndex"], "3");
    EXPECT_EQ(t["RunWindow"], "7");
    EXPECT_EQ(t["HotKey"], "1617");  // 0x0651: Ctrl+Alt+Q
    EXPECT_EQ(t["DriveType"], "3");
    EXPECT_EQ(t["DriveSerialNumber"], "305441741");
    EXPECT_EQ(t["VolumeLabel"], "DRIVE");
    EXPECT_EQ(t["LocalBasePath"], d.LocalBasePath);
    EXPECT_EQ(t["Description"], AnsiToUtf8(d.Description));
    EXPECT_EQ(t["WorkingDirectory"], d.WorkingDir);
    EXPECT_EQ(t["CommandLineArguments"], d.Arguments);
    EXPECT_EQ(t["IconFileName"], d.IconLocation);
}

}  // namespace
