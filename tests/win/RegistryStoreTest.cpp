// The persistent store under the registry API: seeding, durability, concurrent writers,
// damaged and unwritable hive files.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win/Machine.h"
#include "platform/win/RegistryStore.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/WinReg.h"
#include "tests/support/TempMachine.h"

namespace {

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

class RegistryStoreTest : public MachineTest {
protected:
    std::string HiveFile(RegHive h) const { return RegistryStore::HiveFile(h); }

    static LONG SetString(HKEY root, const char* key, const std::string& name, const std::string& text)
    {
        HKEY k = 0;
        LONG e = RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        if (e) return e;
        e = RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
        RegCloseKey(k);
        return e;
    }

    static bool GetString(HKEY root, const char* key, const std::string& name, std::string& out)
    {
        HKEY k = 0;
        if (RegOpenKeyExA(root, key, 0, KEY_READ, &k)) return false;
        char buf[512];
        DWORD size = sizeof buf, type = 0;
        LONG e = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
        RegCloseKey(k);
        if (e || type != REG_SZ || size == 0) return false;
        out.assign(buf, size - 1);
        return true;
    }

    // Runs fn in a child process; returns its exit status.
    template <typename F>
    static pid_t Spawn(F fn)
    {
        pid_t pid = fork();
        if (pid == 0) {
            int rc = 1;
            try {
                rc = fn();
            } catch (...) {
            }
            _exit(rc);
        }
        return pid;
    }

    static int Wait(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

TEST_F(RegistryStoreTest, FirstUseSeedsEveryHiveAndTheShellFolders)
{
    std::string programs;
    ASSERT_TRUE(GetString(HKEY_CURRENT_USER, kShellFoldersKey, "Programs", programs));
    EXPECT_EQ(programs, Machine::UserProfileDir() + "\\Start Menu\\Programs");
    for (RegHive h : {RegHive::ClassesRoot, RegHive::CurrentUser, RegHive::LocalMachine, RegHive::Users,
                      RegHive::CurrentConfig}) {
        const std::string text = ReadHostFile(HiveFile(h));
        EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n", 0), 0u) << RegHiveRootName(h);
    }
    const auto folders = DefaultShellFolders();
    ASSERT_EQ(folders.size(), 20u);
    for (const auto& f : folders) {
        std::string v;
        EXPECT_TRUE(GetString(HKEY_CURRENT_USER, kShellFoldersKey, f.ValueName, v)) << f.ValueName;
        EXPECT_EQ(v, f.Path);
        EXPECT_TRUE(std::filesystem::is_directory(Host(f.Path))) << f.Path;
    }
    for (const auto& f : DefaultMachineFolders()) {
        std::string v;
        EXPECT_TRUE(GetString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, f.ValueName, v)) << f.ValueName;
        EXPECT_TRUE(std::filesystem::is_directory(Host(v))) << v;
    }
    std::string pf;
    ASSERT_TRUE(GetString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesPath", pf));
    EXPECT_EQ(pf, "C:\\Program Files");
    HKEY k = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, ".DEFAULT", 0, KEY_READ, &k), ERROR_SUCCESS);
    RegCloseKey(k);
}

TEST_F(RegistryStoreTest, ADeletedValueIsNotSeededAgain)
{
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(k, "Content"), ERROR_SUCCESS);
    RegCloseKey(k);
    std::string v;
    EXPECT_FALSE(GetString(HKEY_CURRENT_USER, kShellFoldersKey, "Content", v));
    EXPECT_TRUE(GetString(HKEY_CURRENT_USER, kShellFoldersKey, "Cache", v));
}

TEST_F(RegistryStoreTest, ChangesAreInTheHiveFileAtOnce)
{
    ASSERT_EQ(SetString(HKEY_USERS, ".Default\\Software\\Corvane Works\\Tessaly v1.1", "InstallDir",
                        "C:\\Program Files\\Tessaly"),
              ERROR_SUCCESS);
    const std::string text = ReadHostFile(HiveFile(RegHive::Users));
    EXPECT_NE(text.find("[HKEY_USERS\\.Default\\Software\\Corvane Works\\Tessaly v1.1]\r\n"
                        "\"InstallDir\"=\"C:\\\\Program Files\\\\Tessaly\"\r\n"),
              std::string::npos)
        << text;
}

TEST_F(RegistryStoreTest, HKEY_DYN_DATA_StaysInMemory)
{
    ASSERT_EQ(SetString(HKEY_DYN_DATA, "PerfStats", "x", "1"), ERROR_SUCCESS);
    std::string v;
    EXPECT_TRUE(GetString(HKEY_DYN_DATA, "PerfStats", "x", v));
    for (const auto& e : std::filesystem::directory_iterator(RootPath() + "/registry"))
        EXPECT_EQ(e.path().filename().string().find("DYN"), std::string::npos);
    Machine::SetRoot(RootPath());  // a root change forgets it
    EXPECT_FALSE(GetString(HKEY_DYN_DATA, "PerfStats", "x", v));
}

TEST_F(RegistryStoreTest, ADamagedHiveIsReportedAndLeftUntouched)
{
    std::string v;
    ASSERT_TRUE(GetString(HKEY_CURRENT_USER, kShellFoldersKey, "Programs", v));  // seeded
    const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"a\"=dword:xyz\r\n";
    WriteHostFile(HiveFile(RegHive::CurrentUser), damaged);

    HKEY k = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &k), static_cast<LONG>(ERROR_BADDB));
    EXPECT_NE(RegistryStore::LastErrorText().find("line 4"), std::string::npos) << RegistryStore::LastErrorText();
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, "Software\\X", "v", "1"), static_cast<LONG>(ERROR_BADDB));
    EXPECT_EQ(ReadHostFile(HiveFile(RegHive::CurrentUser)), damaged);
    // The other hives keep working.
    EXPECT_EQ(SetString(HKEY_LOCAL_MACHINE, "Software\\X", "v", "1"), ERROR_SUCCESS);

    // An empty file is damaged too, not a reason to seed afresh.
    WriteHostFile(HiveFile(RegHive::CurrentUser), "");
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, "Software\\X", "v", "1"), static_cast<LONG>(ERROR_BADDB));
    EXPECT_EQ(ReadHostFile(HiveFile(RegHive::CurrentUser)), "");
}

TEST_F(RegistryStoreTest, AReadOnlyHiveRefusesWritesAndWriteAccess)
{
    ASSERT_EQ(SetString(HKEY_USERS, ".Default\\Software\\A", "v", "1"), ERROR_SUCCESS);
    const std::string file = HiveFile(RegHive::Users);
    const std::string before = ReadHostFile(file);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);

    HKEY k = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, ".Default\\Software\\A", 0, KEY_ALL_ACCESS, &k),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
    ASSERT_EQ(RegOpenKeyExA(HKEY_USERS, ".Default\\Software\\A", 0, KEY_READ, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("2"), 2),
              static_cast<LONG>(ERROR_ACCESS_DENIED));  // handle without write access
    RegCloseKey(k);
    EXPECT_EQ(RegSetValueExA(HKEY_USERS, "top", 0, REG_SZ, reinterpret_cast<const BYTE*>("2"), 2),
              static_cast<LONG>(ERROR_ACCESS_DENIED));  // the file itself refuses
    EXPECT_EQ(ReadHostFile(file), before);
    std::string v;
    EXPECT_TRUE(GetString(HKEY_USERS, ".Default\\Software\\A", "v", v));
    EXPECT_EQ(v, "1");
}

TEST_F(RegistryStoreTest, AFullDiskFailsTheWriteAndKeepsTheOldFile)
{
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "Software\\A", "small", "1"), ERROR_SUCCESS);
    const std::string file = HiveFile(RegHive::LocalMachine);
    const std::string before = ReadHostFile(file);
    pid_t pid = Spawn([&] {
        // The file-size limit stands in for a full disk: writes past it fail (EFBIG).
        signal(SIGXFSZ, SIG_IGN);
        rlimit lim{static_cast<rlim_t>(before.size() + 64), static_cast<rlim_t>(before.size() + 64)};
        setrlimit(RLIMIT_FSIZE, &lim);
        LONG e = SetString(HKEY_LOCAL_MACHINE, "Software\\A", "big", std::string(4096, 'x'));
        return e == static_cast<LONG>(ERROR_DISK_FULL) ? 0 : 2;
    });
    EXPECT_EQ(Wait(pid), 0);
    EXPECT_EQ(ReadHostFile(file), before);
    for (const auto& e : std::filesystem::directory_iterator(RootPath() + "/registry"))
        EXPECT_EQ(e.path().filename().string().rfind(".tmp.", 0), std::string::npos) << e.path();
}

TEST_F(RegistryStoreTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kEach = 100;
    auto writer = [](const char* who) {
        return [who] {
            for (int i = 0; i < kEach; ++i) {
                if (SetString(HKEY_LOCAL_MACHINE, "Software\\Race", std::string(who) + std::to_string(i),
                              std::to_string(i * 7)))
                    return 3;
            }
            return 0;
        };
    };
    pid_t a = Spawn(writer("a"));
    pid_t b = Spawn(writer("b"));
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);
    for (const char* who : {"a", "b"}) {
        for (int i = 0; i < kEach; ++i) {
            std::string v;
            ASSERT_TRUE(GetString(HKEY_LOCAL_MACHINE, "Software\\Race", who + std::to_string(i), v)) << who << i;
            EXPECT_EQ(v, std::to_string(i * 7));
        }
    }
}

TEST_F(RegistryStoreTest, TwoProcessesSeedingAFreshMachineGetOneIntactRegistry)
{
    auto reader = [] {
        std::string v;
        return GetString(HKEY_CURRENT_USER, kShellFoldersKey, "Programs", v) ? 0 : 4;
    };
    pid_t a = Spawn(reader);
    pid_t b = Spawn(reader);
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);
    std::vector<RegOp> ops;
    RegParseError err;
    EXPECT_TRUE(ParseRegText(ReadHostFile(HiveFile(RegHive::CurrentUser)), ops, err)) << err.Text();
}

TEST_F(RegistryStoreTest, AWriterKilledAtAnyPointLeavesAWholeHive)
{
    std::string v;
    ASSERT_TRUE(GetString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "SystemRoot", v));
    for (int round = 0; round < 3; ++round) {
        pid_t pid = Spawn([] {
            for (int i = 0;; ++i)
                SetString(HKEY_LOCAL_MACHINE, "Software\\Crash", "v" + std::to_string(i), std::string(100, 'c'));
            return 0;
        });
        usleep(static_cast<useconds_t>(30000 + round * 17000));
        kill(pid, SIGKILL);
        Wait(pid);
        // Whatever was committed is there in order, nothing torn, the seeded values intact.
        std::vector<RegOp> ops;
        RegParseError err;
        ASSERT_TRUE(ParseRegText(ReadHostFile(HiveFile(RegHive::LocalMachine)), ops, err)) << err.Text();
        HKEY k = 0;
        int count = 0;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Crash", 0, KEY_READ, &k) == ERROR_SUCCESS) {
            DWORD n = 0;
            RegQueryInfoKeyA(k, nullptr, nullptr, &n, nullptr, nullptr);
            count = static_cast<int>(n);
            RegCloseKey(k);
        }
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(GetString(HKEY_LOCAL_MACHINE, "Software\\Crash", "v" + std::to_string(i), v)) << i;
            EXPECT_EQ(v, std::string(100, 'c'));
        }
        EXPECT_TRUE(GetString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "SystemRoot", v));
    }
    // The next write clears what a killed writer left half-made.
    ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, "Software", "after", "1"), ERROR_SUCCESS);
    for (const auto& e : std::filesystem::directory_iterator(RootPath() + "/registry"))
        EXPECT_EQ(e.path().filename().string().rfind(".tmp.", 0), std::string::npos) << e.path();
}

}  // namespace
