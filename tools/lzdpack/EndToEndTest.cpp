// lzdpack run as a user runs it, in a folder of its own with a machine root of its own:
// where each writing command puts its output (a new name, a regular file, a device, a
// pipe, a link, a directory), how failures and wrong command lines are reported.
//
// Devices are private nodes made in the test folder (the same device as /dev/null),
// so that a tool that replaced its output would only ever replace those.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempMachine.h"

namespace {

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

struct Result {
    int status = -1;
    std::string out, err;
};

std::string Kind(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "nothing";
    if (S_ISLNK(st.st_mode)) return "link";
    if (S_ISREG(st.st_mode)) return "file";
    if (S_ISDIR(st.st_mode)) return "directory";
    if (S_ISCHR(st.st_mode)) return "device";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    return "other";
}

std::vector<std::string> Names(const std::string& dir)
{
    std::vector<std::string> r;
    for (const auto& e : std::filesystem::directory_iterator(dir)) r.push_back(e.path().filename().string());
    std::sort(r.begin(), r.end());
    return r;
}

class Lzdpack : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteHostFile(dir_ / "text.txt", Text());
        ::mkdir((dir_ / "machine").c_str(), 0755);
    }

    static std::string Text()
    {
        std::string s;
        for (int i = 0; i < 2000; ++i) s += "line " + std::to_string(i * 7 % 113) + " of the text\n";
        return s;
    }

    std::string At(const std::string& name) const { return dir_ / name; }

    // Runs lzdpack with `args` in the test folder.
    Result Run(const std::vector<std::string>& args) const
    {
        Result r;
        std::string outName = At(".out"), errName = At(".err");
        pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir_.Path().c_str()) != 0) _exit(127);
            ::setenv("PALLIMER_ROOT", (dir_ / "machine").c_str(), 1);
            int o = ::open(outName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = ::open(errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, 1);
            ::dup2(e, 2);
            std::vector<char*> argv{const_cast<char*>(LZDPACK_PATH)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(LZDPACK_PATH, argv.data());
            _exit(127);
        }
        // A tool stuck (reading a pipe it was to write, say) is stopped rather than
        // hanging the suite; this bounds a hang, it measures nothing.
        int status = 0;
        for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
            if (waited == 6000) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                ADD_FAILURE() << "lzdpack did not finish";
                break;
            }
            ::usleep(10000);
        }
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadHostFile(outName);
        r.err = ReadHostFile(errName);
        ::unlink(outName.c_str());
        ::unlink(errName.c_str());
        return r;
    }

    // A device node in the test folder; false where the system does not allow it.
    bool MakeDevice(const std::string& name) const
    {
        return ::mknod(At(name).c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    }

    // Runs lzdpack writing into the FIFO `name` (made if need be) and returns what came
    // through it. The test holds the FIFO open for reading and writing, so the tool's
    // open never waits, and a tool that replaced the FIFO instead cannot hang the test.
    std::string ThroughFifo(const std::string& name, const std::vector<std::string>& args, Result& r) const
    {
        if (Kind(At(name)) != "fifo") {
            EXPECT_EQ(::mkfifo(At(name).c_str(), 0644), 0);
        }
        int fd = ::open(At(name).c_str(), O_RDWR | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        std::string got;
        std::atomic<bool> done{false};
        auto drain = [&] {
            char buf[4096];
            for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
        };
        std::thread reader([&] {
            while (!done) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 20) > 0) drain();
            }
        });
        r = Run(args);
        done = true;
        reader.join();
        drain();
        ::close(fd);
        return got;
    }

    testsupport::TempDir dir_;
};

// ---- compress and expand

TEST_F(Lzdpack, RawOutputByWhatTheNameLeadsTo)
{
    ASSERT_EQ(Run({"compress", "text.txt", "text.lzd"}).status, 0);
    const std::string packed = ReadHostFile(At("text.lzd"));

    // A regular file is replaced and keeps its permission bits.
    WriteHostFile(At("old"), "old");
    ::chmod(At("old").c_str(), 0640);
    EXPECT_EQ(Run({"expand", "text.lzd", "old"}).status, 0);
    EXPECT_EQ(ReadHostFile(At("old")), Text());
    struct stat st {};
    ::stat(At("old").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A link is followed: the file it leads to gets the output, the link stays.
    WriteHostFile(At("target"), "old");
    ::symlink("target", At("link").c_str());
    EXPECT_EQ(Run({"expand", "text.lzd", "link"}).status, 0);
    EXPECT_EQ(Kind(At("link")), "link");
    EXPECT_EQ(ReadHostFile(At("target")), Text());
    // A link to nothing gets the file it names.
    ::symlink("made", At("dangling").c_str());
    EXPECT_EQ(Run({"compress", "text.txt", "dangling"}).status, 0);
    EXPECT_EQ(Kind(At("dangling")), "link");
    EXPECT_EQ(ReadHostFile(At("made")), packed);

    // A pipe is written into.
    Result r;
    EXPECT_EQ(ThroughFifo("fifo", {"expand", "text.lzd", "fifo"}, r), Text());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Kind(At("fifo")), "fifo");

    // A directory is refused, named as given.
    ::mkdir(At("folder").c_str(), 0755);
    r = Run({"expand", "text.lzd", "folder"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lzdpack expand: folder: Is a directory\n");

    // Standard output.
    r = Run({"expand", "text.lzd", "-"});
    EXPECT_EQ(r.out, Text());
}

TEST_F(Lzdpack, RawOutputIntoADevice)
{
    if (!MakeDevice("null")) GTEST_SKIP() << "no device nodes here";
    ASSERT_EQ(Run({"compress", "text.txt", "text.lzd"}).status, 0);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"compress", "text.txt", "null"},
                                                 std::vector<std::string>{"expand", "text.lzd", "null"}}) {
        Result r = Run(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        EXPECT_EQ(Kind(At("null")), "device") << args[0];
    }
    // Nothing was created beside it.
    EXPECT_EQ(Names(dir_.Path()), (std::vector<std::string>{"machine", "null", "text.lzd", "text.txt"}));
}

TEST_F(Lzdpack, FailedRunLeavesTheOldFileAndNoTemporary)
{
    WriteHostFile(At("out"), "old");
    // Reading address 0 of one's own memory fails part-way, after the output was opened.
    Result r = Run({"compress", "/proc/self/mem", "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lzdpack compress: /proc/self/mem: Input/output error\n");
    EXPECT_EQ(ReadHostFile(At("out")), "old");
    EXPECT_EQ(Names(dir_.Path()), (std::vector<std::string>{"machine", "out", "text.txt"}));
}

// ---- create

TEST_F(Lzdpack, ArchiveOutputByWhatTheNameLeadsTo)
{
    ASSERT_EQ(Run({"create", "plain.lzd", "text.txt"}).status, 0);
    const std::string archive = ReadHostFile(At("plain.lzd"));

    // Through a link: the link stays, and adding reads and replaces what it leads to.
    WriteHostFile(At("real.lzd"), archive);
    ::symlink("real.lzd", At("link.lzd").c_str());
    WriteHostFile(At("more.txt"), "more");
    Result r = Run({"create", "--add", "link.lzd", "more.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Kind(At("link.lzd")), "link");
    r = Run({"list", "--raw", "real.lzd"});
    EXPECT_NE(r.out.find("text.txt\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("more.txt\t"), std::string::npos) << r.out;

    // Into a pipe, the same bytes as into a file.
    std::string piped = ThroughFifo("fifo", {"create", "fifo", "text.txt"}, r);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(piped.size(), archive.size());
    EXPECT_EQ(Kind(At("fifo")), "fifo");

    // Adding needs a file to read.
    r = Run({"create", "--add", "fifo", "text.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lzdpack create: fifo: cannot add to an archive that is not a regular file\n");

    // The archive in a folder being packed is not packed into itself, under its name or
    // the one a link leads to.
    ::mkdir(At("pack").c_str(), 0755);
    WriteHostFile(At("pack/a.txt"), "a");
    ::symlink("pack/inside.lzd", At("outside.lzd").c_str());
    EXPECT_EQ(Run({"create", "outside.lzd", "pack"}).status, 0);
    EXPECT_EQ(Run({"create", "outside.lzd", "pack"}).status, 0);
    r = Run({"list", "--raw", "pack/inside.lzd"});
    EXPECT_EQ(r.out.substr(0, r.out.find('\t')), "a.txt");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_EQ(Names(At("pack")), (std::vector<std::string>{"a.txt", "inside.lzd"}));
}

TEST_F(Lzdpack, ArchiveIntoADevice)
{
    if (!MakeDevice("null")) GTEST_SKIP() << "no device nodes here";
    Result r = Run({"create", "null", "text.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Kind(At("null")), "device");
    EXPECT_EQ(Names(dir_.Path()), (std::vector<std::string>{"machine", "null", "text.txt"}));
}

// ---- extract

TEST_F(Lzdpack, ExtractedFilesByWhatTheirNamesLeadTo)
{
    WriteHostFile(At("b.txt"), "bee");
    WriteHostFile(At("c.txt"), "sea");
    ASSERT_EQ(Run({"create", "a.lzd", "text.txt", "b.txt", "c.txt"}).status, 0);
    ::mkdir(At("out").c_str(), 0755);
    ::mkfifo(At("out/text.txt").c_str(), 0644);  // a pipe: written into
    WriteHostFile(At("elsewhere"), "old");
    ::symlink("../elsewhere", At("out/b.txt").c_str());  // a link: followed
    WriteHostFile(At("out/c.txt"), "old");               // a file: replaced

    Result r;
    std::string piped = ThroughFifo("out/text.txt", {"extract", "a.lzd", "-C", "out"}, r);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(piped, Text());
    EXPECT_EQ(Kind(At("out/text.txt")), "fifo");
    EXPECT_EQ(Kind(At("out/b.txt")), "link");
    EXPECT_EQ(ReadHostFile(At("elsewhere")), "bee");
    EXPECT_EQ(ReadHostFile(At("out/c.txt")), "sea");
    // Nothing else was left in the output folder (no staging folder).
    EXPECT_EQ(Names(At("out")), (std::vector<std::string>{"b.txt", "c.txt", "text.txt"}));

}

TEST_F(Lzdpack, ExtractIntoADevice)
{
    ASSERT_EQ(Run({"create", "a.lzd", "text.txt"}).status, 0);
    ::mkdir(At("out").c_str(), 0755);
    if (::mknod(At("out/text.txt").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "no device nodes here";
    Result r = Run({"extract", "a.lzd", "-C", "out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Kind(At("out/text.txt")), "device");
    EXPECT_EQ(Names(At("out")), (std::vector<std::string>{"text.txt"}));
}

TEST_F(Lzdpack, ExistingFilesRulesAndMessagesInTheUsersTerms)
{
    ASSERT_EQ(Run({"create", "a.lzd", "text.txt"}).status, 0);
    ::mkdir(At("out").c_str(), 0755);
    WriteHostFile(At("out/text.txt"), "old");
    Result r = Run({"extract", "a.lzd", "-C", "out", "--no-overwrite"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lzdpack extract: Cannot write to out/text.txt. File already exists\n");
    EXPECT_EQ(ReadHostFile(At("out/text.txt")), "old");
    EXPECT_EQ(Run({"extract", "a.lzd", "-C", "out/", "--skip-existing"}).status, 0);
    EXPECT_EQ(ReadHostFile(At("out/text.txt")), "old");
    EXPECT_EQ(Names(At("out")), (std::vector<std::string>{"text.txt"}));

    // The component's own messages name files as given, not as Z:\...
    r = Run({"create", "b.lzd", "missing.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lzdpack create: Cannot archive missing.txt. File not found\n");
    r = Run({"create", "b.lzd", "./sub/*.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("Z:\\"), std::string::npos) << r.err;
    // Nor the names of lzdpack's own temporary files.
    r = Run({"create", "nowhere/b.lzd", "text.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lzdpack create: nowhere/b.lzd: No such file or directory\n");
    r = Run({"expand", "text.txt", "nowhere/x"});
    EXPECT_EQ(r.err, "lzdpack expand: nowhere/x: No such file or directory\n");
}

// ---- the command line

TEST_F(Lzdpack, WrongCommandLinesShowTheUsageAndExitWith2)
{
    struct Case {
        std::vector<std::string> args;
        const char* message;  // first line on standard error
    };
    const Case cases[] = {
        {{}, "usage: lzdpack COMMAND [ARGS]   (lzdpack COMMAND --help for one command)"},
        {{"frobnicate"}, "lzdpack: unknown command \"frobnicate\""},
        {{"expand", "a", "b", "c"}, "lzdpack expand: too many operands"},
        {{"compress", "--fast", "text.txt"}, "lzdpack compress: unknown option --fast"},
        {{"create", "a.lzd"}, "lzdpack create: an archive and at least one path to pack are needed"},
        {{"create", "a.lzd", "x", "--directory-info", "some"}, "lzdpack create: --directory-info takes none, relative or full, not some"},
        {{"extract", "a.lzd", "-C"}, "lzdpack extract: option -C needs a value"},
        {{"extract", "a.lzd", "--no-overwrite", "--skip-existing"}, "lzdpack extract: --no-overwrite and --skip-existing exclude each other"},
        {{"list"}, "lzdpack list: one archive is needed"},
        {{"stamp", "text.txt", "--date", "yesterday"}, "lzdpack stamp: --date wants \"YYYY-MM-DD HH:MM:SS\", not yesterday"},
    };
    for (const Case& c : cases) {
        Result r = Run(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message);
        EXPECT_NE(r.err.find("usage: lzdpack"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST_F(Lzdpack, HelpDescribesWhereOutputGoes)
{
    for (const char* command : {"compress", "expand", "create", "extract"}) {
        Result r = Run({command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("usage: lzdpack " + std::string(command)), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("a symbolic link: followed"), std::string::npos) << command;
        EXPECT_NE(r.out.find("a device, a pipe"), std::string::npos) << command;
    }
    Result r = Run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("a symbolic link: followed"), std::string::npos);
}

}  // namespace
