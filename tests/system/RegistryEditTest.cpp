// TRegistryEdit: root handles, the writes and the existence test.
#include <sys/stat.h>

#include <cstring>

#include <gtest/gtest.h>

#include "platform/win/Registry.h"
#include "platform/win/RegistryStore.h"
#include "platform/win/WinReg.h"
#include "system/regedit.h"
#include "tests/support/TempMachine.h"

namespace {

class RegistryEditTest : public MachineTest {
protected:
    TRegistryEdit edit_{nullptr};
};

TEST_F(RegistryEditTest, RootKeySetsThePredefinedHandle)
{
    EXPECT_EQ(edit_.RootKey(), rkAllUsers);
    EXPECT_EQ(edit_.RootHandle(), 0u);
    const struct {
        TRootKey key;
        HKEY handle;
    } cases[] = {{rkAllUsers, 0x80000003u},     {rkCurrentUser, 0x80000001u},  {rkLocalMachine, 0x80000002u},
                 {rkClassesRoot, 0x80000000u},  {rkCurrentConfig, 0x80000005u}, {rkDynData, 0x80000006u}};
    for (const auto& c : cases) {
        edit_.SetRootKey(c.key);
        EXPECT_EQ(edit_.RootKey(), c.key);
        EXPECT_EQ(edit_.RootHandle(), c.handle);
    }
    edit_.SetRootKey(static_cast<TRootKey>(9));
    EXPECT_EQ(edit_.RootHandle(), 0x80000006u);  // unchanged
}

TEST_F(RegistryEditTest, ANeverAssignedRootFailsEveryWrite)
{
    edit_.SetRegKey("Software\\X");
    try {
        edit_.WriteString("InstallDir", "C:\\x");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'InstallDir'");
    }
    EXPECT_THROW(edit_.WriteDateTime("InstallDate", 1.0), ERegistryException);
    EXPECT_FALSE(edit_.ValueExists("InstallDir"));
}

TEST_F(RegistryEditTest, WriteStringCreatesTheWholePath)
{
    edit_.SetRootKey(rkAllUsers);
    edit_.SetRegKey(".Default\\Software\\Corvane Works\\Tessaly v1.1");
    edit_.WriteString("InstallDir", "C:\\Program Files\\Tessaly v1.1");
    TRegistry reg;
    reg.SetRootKey(HKEY_USERS);
    ASSERT_TRUE(reg.OpenKey(".DEFAULT\\software\\corvane works\\TESSALY V1.1", false));
    EXPECT_EQ(reg.GetDataType("InstallDir"), rdString);
    EXPECT_EQ(reg.ReadString("InstallDir"), "C:\\Program Files\\Tessaly v1.1");
    EXPECT_TRUE(edit_.ValueExists("installdir"));
    EXPECT_FALSE(edit_.ValueExists("InstallDate"));
}

TEST_F(RegistryEditTest, ADateTimeIsItsEightExactBytes)
{
    edit_.SetRootKey(rkCurrentUser);
    edit_.SetRegKey("Software\\T");
    const double when = 46367.515625123;
    edit_.WriteDateTime("InstallDate", when);
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\T", 0, KEY_READ, &k), ERROR_SUCCESS);
    unsigned char buf[16];
    DWORD size = sizeof buf, type = 0;
    ASSERT_EQ(RegQueryValueExA(k, "InstallDate", nullptr, &type, buf, &size), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(type, REG_BINARY);
    ASSERT_EQ(size, 8u);
    unsigned char expected[8];
    std::memcpy(expected, &when, 8);
    EXPECT_EQ(std::memcmp(buf, expected, 8), 0);
}

TEST_F(RegistryEditTest, ValueExistsOnAMissingKeyCreatesNothing)
{
    edit_.SetRootKey(rkLocalMachine);
    edit_.SetRegKey("SOFTWARE\\Nobody\\Here");
    const std::string file = RegistryStore::HiveFile(RegHive::LocalMachine);
    TRegistry probe;
    probe.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(probe.KeyExists("SOFTWARE\\Nobody"));  // seeds the hive before the snapshot
    const std::string before = testsupport::ReadHostFile(file);
    EXPECT_FALSE(edit_.ValueExists("DisplayName"));
    EXPECT_EQ(testsupport::ReadHostFile(file), before);
    EXPECT_FALSE(probe.KeyExists("SOFTWARE\\Nobody"));
}

TEST_F(RegistryEditTest, RetargetingTakesEffectOnTheNextCall)
{
    edit_.SetRootKey(rkAllUsers);
    edit_.SetRegKey(".Default\\Software\\A");
    edit_.WriteString("V", "1");
    edit_.SetRootKey(rkLocalMachine);
    edit_.SetRegKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaly v1.1");
    edit_.WriteString("DisplayName", "Tessaly v1.1");
    edit_.WriteString("UninstallString", "C:\\Program Files\\Tessaly v1.1\\uninstall.exe");
    EXPECT_TRUE(edit_.ValueExists("DisplayName"));
    EXPECT_FALSE(edit_.ValueExists("V"));
    edit_.SetRootKey(rkAllUsers);
    edit_.SetRegKey(".Default\\Software\\A");
    EXPECT_TRUE(edit_.ValueExists("V"));
    EXPECT_FALSE(edit_.ValueExists("DisplayName"));
}

TEST_F(RegistryEditTest, AReadOnlyHiveAnswersFalseAndRefusesWrites)
{
    edit_.SetRootKey(rkAllUsers);
    edit_.SetRegKey(".Default\\Software\\A");
    edit_.WriteString("V", "1");
    ASSERT_EQ(chmod(RegistryStore::HiveFile(RegHive::Users).c_str(), 0444), 0);
    EXPECT_FALSE(edit_.ValueExists("V"));  // opened with full access
    try {
        edit_.WriteString("V", "2");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'V'");
    }
}

TEST_F(RegistryEditTest, DynamicDataIsWritableToo)
{
    edit_.SetRootKey(rkDynData);
    edit_.SetRegKey("Config Manager\\Enum");
    edit_.WriteString("A", "b");
    EXPECT_TRUE(edit_.ValueExists("A"));
}

}  // namespace
