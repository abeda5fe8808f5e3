// The registry API (Reg*) and TRegistry on the store.
#include <cstring>

#include <gtest/gtest.h>

#include "platform/classes/Strings.h"
#include "platform/win/Registry.h"
#include "platform/win/WinReg.h"
#include "tests/support/TempMachine.h"

namespace {

class RegistryApiTest : public MachineTest {};

TEST_F(RegistryApiTest, CreateOpenQueryFollowTheSizeProtocol)
{
    HKEY k = 0;
    DWORD disp = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product\\", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, REG_CREATED_NEW_KEY);
    const BYTE data[] = {'a', 'b', 'c', 0};
    ASSERT_EQ(RegSetValueExA(k, "Name", 0, REG_SZ, data, 4), ERROR_SUCCESS);
    RegCloseKey(k);

    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\vendor\\PRODUCT", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, REG_OPENED_EXISTING_KEY);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "NAME", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);
    BYTE small[2];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(k, "Name", nullptr, &type, small, &size), static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 4u);
    BYTE buf[8] = {};
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(k, "Name", nullptr, &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(buf, data, 4), 0);
    EXPECT_EQ(RegQueryValueExA(k, "Missing", nullptr, &type, nullptr, &size), static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    // Case is preserved in enumeration though lookups ignore it.
    char name[64];
    DWORD cch = sizeof name;
    ASSERT_EQ(RegEnumValueA(k, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Name");
    cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(k, 1, name, &cch, nullptr, nullptr, nullptr, nullptr),
              static_cast<LONG>(ERROR_NO_MORE_ITEMS));
    RegCloseKey(k);

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\vendor", 0, KEY_READ, &k), ERROR_SUCCESS);
    cch = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(k, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Product");
    EXPECT_EQ(cch, 7u);
    cch = 3;
    EXPECT_EQ(RegEnumKeyExA(k, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), static_cast<LONG>(ERROR_MORE_DATA));
    RegCloseKey(k);
}

TEST_F(RegistryApiTest, BadHandlesAndPathsAreRefused)
{
    HKEY k = 0;
    EXPECT_EQ(RegOpenKeyExA(0, "Software", 0, KEY_READ, &k), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_READ, &k), static_cast<LONG>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "No\\Such", 0, KEY_READ, &k), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "A\\\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              static_cast<LONG>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "A\nB", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              static_cast<LONG>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "x\ny", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2),
              static_cast<LONG>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegCloseKey(0x12345), static_cast<LONG>(ERROR_INVALID_HANDLE));
}

TEST_F(RegistryApiTest, DeletingKeysAndTheHandlesOfDeletedKeys)
{
    HKEY k = 0, sub = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Del\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(k, "Del"), static_cast<LONG>(ERROR_ACCESS_DENIED));  // it has a subkey
    EXPECT_EQ(RegDeleteKeyA(k, "Del\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(sub, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2),
              static_cast<LONG>(ERROR_KEY_DELETED));
    EXPECT_EQ(RegDeleteKeyA(k, "Del"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(k, "Del"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    RegCloseKey(sub);
    RegCloseKey(k);
}

class TRegistryTest : public MachineTest {};

TEST_F(TRegistryTest, StringsIntegersAndDatesReadBackExactly)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_USERS);
    ASSERT_TRUE(reg.OpenKey(".Default\\Software\\T", true));
    reg.WriteString("S", "text");
    reg.WriteExpandString("E", "%WINDIR%\\x");
    reg.WriteInteger("I", -5);
    const double when = 36820.978587962963;
    reg.WriteDateTime("D", when);
    EXPECT_EQ(reg.ReadString("S"), "text");
    EXPECT_EQ(reg.ReadString("E"), "%WINDIR%\\x");  // not expanded
    EXPECT_EQ(reg.ReadInteger("I"), -5);
    EXPECT_EQ(reg.ReadDateTime("D"), when);
    unsigned char bytes[8] = {}, expected[8];
    std::memcpy(expected, &when, 8);
    EXPECT_EQ(reg.ReadBinaryData("D", bytes, 8), 8);
    EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
    TRegDataInfo info;
    ASSERT_TRUE(reg.GetDataInfo("D", info));
    EXPECT_EQ(info.RegData, rdBinary);
    EXPECT_EQ(info.DataSize, 8);
    EXPECT_EQ(reg.GetDataSize("missing"), -1);
    EXPECT_EQ(reg.ReadString("missing"), "");
}

TEST_F(TRegistryTest, ReadErrorsAndWriteErrorsCarryThePlatformMessages)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\T", true));
    reg.WriteInteger("Number", 1);
    reg.WriteBinaryData("Empty", nullptr, 0);
    try {
        reg.ReadString("Number");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Number'");
    }
    EXPECT_THROW(reg.ReadString("Empty"), ERegistryException);  // a non-string type, even empty
    EXPECT_THROW(reg.ReadInteger("Empty"), ERegistryException);

    TRegistry closed;
    try {
        closed.WriteString("Name", "v");  // no key open
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'Name'");
    }
    TRegistry noRoot;
    noRoot.SetRootKey(0);
    EXPECT_FALSE(noRoot.OpenKey("Software", true));
    EXPECT_THROW(noRoot.WriteBinaryData("B", "x", 1), ERegistryException);
}

TEST_F(TRegistryTest, KeysOpenRelativeToTheOpenKeyUnlessRooted)
{
    TRegistry reg(KEY_ALL_ACCESS);
    ASSERT_TRUE(reg.OpenKey("Software", true));
    ASSERT_TRUE(reg.OpenKey("Rel", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Rel");
    ASSERT_TRUE(reg.OpenKey("\\Top", true));
    EXPECT_EQ(reg.CurrentPath(), "Top");
    EXPECT_TRUE(reg.KeyExists("\\Software\\Rel"));
    EXPECT_FALSE(reg.OpenKey("\\Nope", false));
    EXPECT_EQ(reg.CurrentPath(), "Top");  // a failed open keeps the open key
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentKey(), 0u);

    TRegistry tree;
    ASSERT_TRUE(tree.OpenKey("Software\\Tree\\A\\B", true));
    tree.CloseKey();
    EXPECT_TRUE(tree.DeleteKey("Software\\Tree"));
    EXPECT_FALSE(tree.KeyExists("Software\\Tree"));
    ASSERT_TRUE(tree.OpenKey("Software", false));
    TStringList names;
    tree.GetKeyNames(names);
    EXPECT_EQ(names.IndexOf("Tree"), -1);
}

}  // namespace
