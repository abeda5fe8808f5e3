// The installer run inside a test program, driven through the window system, and what
// the tests need to look at the machine afterwards.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/rtl/DateTime.h"
#include "platform/vcl/Screenshot.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/WidgetSet.h"
#include "platform/win/Com.h"
#include "platform/win/Files.h"
#include "platform/win/Registry.h"
#include "platform/win/ShellLinkFile.h"
#include "platform/win/SysFiles.h"
#include "platform/win/System.h"
#include "setup/Mesmov32.h"
#include "setup/Unit1.h"
#include "setup/Unit2.h"
#include "setup/Unit3.h"
#include "setup/Unit5.h"
#include "setup/Unit6.h"
#include "tests/support/GuiTest.h"

using Step = std::function<void(TCustomForm*)>;


const std::string kDefaultDest = "C:\\Program Files\\Tessaly";
const char* const kPayloadOrder[] = {"uninstall.exe", "readme.txt", "tsly.dll", "tessaly.exe", "tessaly.hlp"};

inline std::string ReadHost(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// The text of a box or dialog: its first label.
inline std::string BoxText(TCustomForm* f)
{
    for (int i = 0; i < f->ComponentCount(); ++i)
        if (auto* l = dynamic_cast<TLabel*>(f->Components(i))) return l->Caption();
    return {};
}

inline void Next() { VclDriver::Click(Form3->Button1); }
inline void Back() { VclDriver::Click(Form3->Button3); }
inline void Cancel() { VclDriver::Click(Form3->Button2); }

class Installer : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        static const bool once = [] {
            RegisterInstallerClasses();
            CoInitialize(nullptr);
            return true;
        }();
        (void)once;
        Application->SetTitle("Tessaly v1.1 Pallimer");
        InstallMessageDialog();
        ResetInstallationState();
    }
    void TearDown() override
    {
        Application->ResetForNextRun();
        GuiTest::TearDown();
    }
    // Runs the installer to its end. Each step runs inside a modal loop when that loop
    // begins: the first in the wizard's.
    void Run(std::vector<Step> steps)
    {
        testsupport::ModalScript script(std::move(steps));
        CreateInstallerForms();
        Application->Run();
        EXPECT_EQ(script.Remaining(), 0u) << "not every expected dialog came up";
    }
    std::string HostOf(const std::string& win) const { return Host(win); }
    std::string Programs() const
    {
        std::string p;
        Form3->ShortcutLink1->ProgramsFolder(p);
        return p;
    }
    std::string TempArchive() const { return "C:\\WINDOWS\\TEMP\\setup.lzd"; }
    std::string ReadValue(HKEY root, const std::string& key, const std::string& name)
    {
        TRegistry r;
        r.SetRootKey(root);
        if (!r.OpenKeyReadOnly(key)) return "(no key)";
        if (!r.ValueExists(name)) return "(no value)";
        return r.ReadString(name);
    }
    std::string ReadInstallDate()
    {
        TRegistry r;
        r.SetRootKey(HKEY_USERS);
        if (!r.OpenKeyReadOnly(".Default\\Software\\Corvane Works\\Tessaly v1.1")) return {};
        char buf[16];
        int32_t n = r.ReadBinaryData("InstallDate", buf, sizeof buf);
        return std::string(buf, size_t(std::max(n, 0)));
    }
    void ExpectInstalledIn(const std::string& dest)
    {
        for (const char* name : kPayloadOrder) {
            std::string installed = ReadHost(HostOf(dest + "\\" + name));
            std::string shipped = ReadHost(std::string(PALLIMER_PAYLOAD_DIR) + "/" + name);
            ASSERT_FALSE(shipped.empty()) << name;
            EXPECT_TRUE(installed == shipped) << name << " differs from the payload";
        }
        const std::string user = ".Default\\Software\\Corvane Works\\Tessaly v1.1";
        EXPECT_EQ(ReadValue(HKEY_USERS, user, "InstallDir"), dest);
        EXPECT_EQ(ReadInstallDate().size(), 8u);
        const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaly v1.1";
        EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"), "Tessaly v1.1");
        EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, uninstall, "UninstallString"), dest + "\\uninstall.exe");

        struct Link {
            const char* file;
            const char* target;
            const char* description;
            bool icon;
        } links[] = {{"Tessaly v1.1.lnk", "\\tessaly.exe", "Tesasly v1.1", true},
                     {"Readme.lnk", "\\readme.txt", "Readme", false},
                     {"Uninstall Tessaly.lnk", "\\uninstall.exe", "Uninstall Tessaly", false},
                     {"Tessaly Help.lnk", "\\tessaly.hlp", "Tessaly Help", false}};
        for (const Link& l : links) {
            std::string bytes = ReadHost(HostOf(Programs() + "\\Tessaly v1.1\\" + l.file));
            ShellLinkData d;
            std::string error;
            ASSERT_TRUE(ParseShellLink(bytes, d, error)) << l.file << ": " << error;
            EXPECT_EQ(d.LocalBasePath, dest + l.target) << l.file;
            EXPECT_EQ(d.WorkingDir, dest) << l.file;
            EXPECT_EQ(d.Description, l.description) << l.file;
            EXPECT_EQ(d.IconLocation, l.icon ? dest + l.target : std::string()) << l.file;
        }
    }
};

