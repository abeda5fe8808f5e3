// COM initialisation and the shell link object: creation, interfaces, saving and loading.
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/win/Com.h"
#include "platform/win/Files.h"
#include "platform/win/ShellLinkFile.h"
#include "tests/support/TempMachine.h"

namespace {

class ComTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        baseline_ = ComLiveObjectCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(ComLiveObjectCount(), baseline_) << "an interface was not released";
        CoUninitialize();
        MachineTest::TearDown();
    }
    long baseline_ = 0;
};

TEST(ComInit, IsCountedPerThreadAndRequiredForCreation)
{
    std::thread([] {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &p),
                  CO_E_NOTINITIALIZED);
        EXPECT_EQ(p, nullptr);
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        CoUninitialize();
        EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &p), S_OK);
        static_cast<IShellLinkA*>(p)->Release();
        CoUninitialize();
        EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &p),
                  CO_E_NOTINITIALIZED);
    }).join();
}

TEST_F(ComTest, CreationFailuresLeaveNoObjectBehind)
{
    void* p = nullptr;
    const CLSID other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    EXPECT_EQ(CoCreateInstance(other, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, other, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    IShellLinkA* link = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)),
              S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, link, CLSCTX_INPROC_SERVER, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(link->Release(), 0u);
}

TEST_F(ComTest, InterfacesShareOneCountedObject)
{
    IShellLinkA* link = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)),
              S_OK);
    IPersistFile* file = nullptr;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
    IShellLinkA* again = nullptr;
    ASSERT_EQ(file->QueryInterface(IID_IShellLinkA, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, link);
    CLSID cls{};
    EXPECT_EQ(file->GetClassID(&cls), S_OK);
    EXPECT_TRUE(cls == CLSID_ShellLink);
    EXPECT_EQ(again->Release(), 2u);
    EXPECT_EQ(link->Release(), 1u);
    EXPECT_EQ(ComLiveObjectCount(), baseline_ + 1);
    EXPECT_EQ(file->Release(), 0u);
}

class LinkObject {
public:
    LinkObject()
    {
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link));
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    }
    ~LinkObject()
    {
        file->Release();
        link->Release();
    }
    HRESULT Save(const std::string& path) { return file->Save(AnsiToWide(path).c_str(), TRUE_); }
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
};

TEST_F(ComTest, SaveWritesTheTargetFactsAndTheStrings)
{
    testsupport::WriteHostFile(Host("C:\\Program Files") + "/app.exe", std::string(1234, 'x'));
    LinkObject o;
    o.link->SetPath("c:/program files/./APP.EXE");
    o.link->SetWorkingDirectory("C:\\Program Files");
    o.link->SetDescription("App");
    o.link->SetArguments("");
    o.link->SetShowCmd(9);
    o.link->SetHotkey(0x0641);
    o.link->SetIconLocation("", 0);
    ASSERT_EQ(o.Save("C:\\app.lnk"), S_OK);

    ShellLinkData d;
    std::string why;
    ASSERT_TRUE(ParseShellLink(testsupport::ReadHostFile(Host("C:\\app.lnk")), d, why)) << why;
    EXPECT_EQ(d.LocalBasePath, "C:\\Program Files\\app.exe");
    EXPECT_EQ(d.FileSize, 1234u);
    EXPECT_NE(d.FileAttributes & FILE_ATTRIBUTE_ARCHIVE, 0u);
    EXPECT_NE(d.WriteTime, 0u);
    EXPECT_EQ(d.Description, "App");
    EXPECT_EQ(d.WorkingDir, "C:\\Program Files");
    EXPECT_EQ(d.Arguments, "");
    EXPECT_EQ(d.IconLocation, "");
    EXPECT_EQ(d.ShowCommand, 9u);
    EXPECT_EQ(d.HotKey, 0x0641);
    EXPECT_EQ(d.DriveType, 3u);

    // A second save replaces the file whole; Load reads it back into a new object.
    o.link->SetDescription("Other");
    ASSERT_EQ(o.Save("C:\\APP.lnk"), S_OK);
    LinkObject back;
    ASSERT_EQ(back.file->Load(AnsiToWide("C:\\app.lnk").c_str(), STGM_READ), S_OK);
    char buf[MAX_PATH];
    back.link->GetDescription(buf, MAX_PATH);
    EXPECT_STREQ(buf, "Other");
    back.link->GetPath(buf, MAX_PATH, nullptr, 0);
    EXPECT_STREQ(buf, "C:\\Program Files\\app.exe");
}

TEST_F(ComTest, SaveFailsWithoutItsFolderAndLeavesNothing)
{
    LinkObject o;
    o.link->SetPath("C:\\missing.exe");
    EXPECT_EQ(o.Save("C:\\No Such Folder\\x.lnk"), STG_E_PATHNOTFOUND);
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\No Such Folder")));
    EXPECT_EQ(o.Save("Q:\\x.lnk"), STG_E_PATHNOTFOUND);
    EXPECT_TRUE(FAILED(o.Save("C:\\bad|name.lnk")));
    ASSERT_EQ(o.Save("C:\\ok.lnk"), S_OK);  // a missing target is fine: its facts are zero
    ShellLinkData d;
    std::string why;
    ASSERT_TRUE(ParseShellLink(testsupport::ReadHostFile(Host("C:\\ok.lnk")), d, why));
    EXPECT_EQ(d.FileAttributes, 0u);
    EXPECT_EQ(d.WriteTime, 0u);
    ASSERT_EQ(chmod(Host("C:\\ok.lnk").c_str(), 0444), 0);
    EXPECT_TRUE(FAILED(o.Save("C:\\ok.lnk")));  // a read-only shortcut is not replaced
    for (const auto& e : std::filesystem::directory_iterator(Host("C:\\")))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

}  // namespace
