// The installer end to end: its forms from their descriptions, driven through the window
// system as a user drives them, then the machine root inspected.
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

#include "tests/setup/InstallerFixture.h"

namespace {

TEST_F(Installer, DefaultInstallationWithEveryStepAndTheProgressArithmetic)
{
    struct Event {
        std::string file;
        int fileMax, filePos, totalMax, totalPos;
        int32_t totalBytes;
    };
    std::vector<Event> events;
    std::vector<int> fileBarAtSleeps;
    bool finishFocused = false;
    std::vector<std::string> pages;
    Run({[&](TCustomForm* wizard) {
        EXPECT_EQ(wizard, Form3);
        pages.push_back(Form3->Notebook1->ActivePage());
        EXPECT_FALSE(Form3->Button3->Enabled());
        Next();
        pages.push_back(Form3->Notebook1->ActivePage());
        EXPECT_TRUE(Form3->Button3->Enabled());
        Next();
        pages.push_back(Form3->Notebook1->ActivePage());
        EXPECT_EQ(Form3->Label19->Caption(), kDefaultDest);
        EXPECT_EQ(Form3->Label9->Caption(), kDefaultDest);
        Next();
        pages.push_back(Form3->Notebook1->ActivePage());
        // Watch the real extraction's events and what the bars show.
        TProgressEvent wizardHandler = Form3->LZHBatch1->OnProgress;
        Form3->LZHBatch1->OnProgress = [&, wizardHandler](TObject* s, const std::string& f, int32_t fw, int32_t fb,
                                                         int32_t tw, int32_t tb, bool& c) {
            wizardHandler(s, f, fw, fb, tw, tb, c);
            events.push_back({Form3->Label14->Caption(), Form3->ProgressBar1->Max(), Form3->ProgressBar1->Position(),
                              Form3->ProgressBar2->Max(), Form3->ProgressBar2->Position(), tb});
            EXPECT_EQ(Form3->ProgressBar1->Max(), (fb / 1024) & 0xFFFF);
            EXPECT_EQ(Form3->ProgressBar1->Position(), std::min(fw / 1024, fb / 1024));
            EXPECT_EQ(Form3->ProgressBar2->Position(), tw / 1024);
        };
        TSleepHook recorder = SetSleepHook([&](DWORD ms) {
            if (ms == 200 || ms == 400) fileBarAtSleeps.push_back(Form3->ProgressBar1->Position());
        });
        Next();  // the installation runs inside this click
        SetSleepHook(recorder);
        pages.push_back(Form3->Notebook1->ActivePage());
        EXPECT_EQ(CurrentPage, 5);
        EXPECT_EQ(Form3->Button1->Caption(), "&Finish");
        EXPECT_TRUE(Form3->Button1->Enabled());
        EXPECT_FALSE(Form3->Button2->Enabled());
        EXPECT_FALSE(Form3->Button3->Enabled());
        finishFocused = Form3->Button1->Focused();
        EXPECT_EQ(Form3->ProgressBar2->Position(), TotalProgressMax);
        EXPECT_EQ(Form3->ProgressBar1->Position(), 100);
        EXPECT_TRUE(FileExists(TempArchive()));
        Next();  // Finish, without running the program
    }});
    EXPECT_EQ(pages, (std::vector<std::string>{"Page0", "Page1", "Page2", "Page3", "Page5"}));
    EXPECT_TRUE(finishFocused);
    ExpectInstalledIn(kDefaultDest);
    EXPECT_FALSE(FileExists(TempArchive()));

    // The progress figures follow from the archive's compressed total.
    std::vector<std::string> order;
    ASSERT_FALSE(events.empty());
    int32_t k = events.back().totalBytes / 1024;
    EXPECT_GT(k, 100);
    EXPECT_EQ(TotalProgressMax, k + int32_t(std::nearbyint(k * 0.2)));
    EXPECT_EQ(ShortcutStep, int32_t(std::nearbyint(TotalProgressMax * 0.04)));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().totalMax, TotalProgressMax);
    // The current-file label showed each destination path, in the archive's order.
    for (const Event& e : events)
        if (order.empty() || order.back() != e.file) order.push_back(e.file);
    std::vector<std::string> expected;
    for (const char* name : kPayloadOrder) expected.push_back(kDefaultDest + "\\" + name);
    EXPECT_EQ(order, expected);
    // The file bar through the shortcut phase: 0, 20, 40, 60, 80, 100 at the sleeps.
    EXPECT_EQ(fileBarAtSleeps, (std::vector<int>{0, 20, 40, 60, 80, 100}));
}

TEST_F(Installer, LoadingGaugeAndSequenceKeepEverySleep)
{
    Run({[&](TCustomForm*) {
        for (int i = 0; i < 5; ++i) Next();
    }});
    std::vector<unsigned> sleeps = testsupport::TakeSleeps();
    ASSERT_EQ(sleeps.size(), 1u + 100u + 6u);
    EXPECT_EQ(sleeps[0], 500u);
    for (size_t i = 1; i <= 100; ++i) EXPECT_LT(sleeps[i], 100u);
    EXPECT_EQ(std::vector<unsigned>(sleeps.end() - 6, sleeps.end()),
              (std::vector<unsigned>{200, 200, 200, 200, 200, 400}));
    EXPECT_EQ(Form2->Gauge1->Progress(), 100);
    EXPECT_FALSE(Form2->Visible());
}

TEST_F(Installer, WholeInstallationInRealTime)
{
    // No test hook: the gauge and the sequence sleep for real (about seven seconds).
    TSleepHook hook = SetSleepHook(nullptr);
    auto started = std::chrono::steady_clock::now();
    Run({[&](TCustomForm*) {
        for (int i = 0; i < 5; ++i) Next();
    }});
    SetSleepHook(hook);
    ExpectInstalledIn(kDefaultDest);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500 + 1400));
}

TEST_F(Installer, FinishStartsTheProgramOnlyWhenAsked)
{
    std::string marker = RootPath() + "/started";
    auto finish = [&](bool run) {
        Run({[&](TCustomForm*) {
            for (int i = 0; i < 4; ++i) Next();
            // A stand-in for the program that leaves a mark when it starts.
            std::string program = HostOf(kDefaultDest + "\\tessaly.exe");
            testsupport::WriteHostFile(program, "#!/bin/sh\ntouch '" + marker + "'\n");
            ::chmod(program.c_str(), 0755);
            if (run) VclDriver::Click(Form3->CheckBox1);
            EXPECT_EQ(Form3->CheckBox1->Checked(), run);
            Next();
        }});
    };
    finish(false);
    // Nothing was started: no mark appears (a started program would leave it at once).
    VclDriver::ProcessEvents();
    EXPECT_FALSE(std::filesystem::exists(marker));
    Application->ResetForNextRun();
    ResetInstallationState();
    finish(true);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST_F(Installer, CancelAnsweredNoThenYes)
{
    std::string caption, text;
    bool unchanged = false;
    Run({[&](TCustomForm*) {
             Next();
             Cancel();  // the question comes up; answered No below
             unchanged = CurrentPage == 1 && Form3->Notebook1->ActivePage() == "Page1" &&
                         Form3->Button3->Enabled() && Form3->Button1->Enabled() && Form3->Button2->Enabled();
             Cancel();  // asked again; Yes this time
         },
         [&](TCustomForm* box) {
             caption = box->Caption();
             text = BoxText(box);
             VclDriver::PressKey(box, VK_ESCAPE);
         },
         [&](TCustomForm* box) { VclDriver::PressKey(box, VK_RETURN); }});
    EXPECT_EQ(caption, "Warning");
    EXPECT_EQ(text, "Pallimer is not yet finished!!\rAre you sure you want to quit?");
    EXPECT_TRUE(unchanged);
    EXPECT_FALSE(FileExists(TempArchive()));
    EXPECT_FALSE(DirectoryExists(kDefaultDest));
}

TEST_F(Installer, BrowseChoiceIsResetByGoingBackAndANewDirectoryIsCreated)
{
    ASSERT_TRUE(CreateDir("C:\\Work"));
    std::string chooserStart, afterBrowse, afterBack, boxText;
    bool toolsCreated = false;
    Run({[&](TCustomForm*) {
             Next();
             Next();
             // The default destination does not exist yet: the chooser opens on
             // C:\Program Files.
             VclDriver::Click(Form3->Button4);
             afterBrowse = Form3->Label19->Caption();
             Back();
             Next();
             afterBack = Form3->Label19->Caption();
             Cancel();
         },
         [&](TCustomForm* chooser) {
             EXPECT_EQ(chooser, Form5);
             chooserStart = Form5->DirectoryListBox1->Directory();
             Form5->DirectoryListBox1->SetDirectory("C:\\Work");
             // New...: "Tools" below C:\Work.
             VclDriver::Click(Form5->BitBtn1);
             toolsCreated = DirectoryExists("C:\\Work\\Tools");
             EXPECT_EQ(Form5->DirectoryListBox1->Directory(), "C:\\Work\\Tools");
             // New... again on the same name: it exists, so creation fails (183).
             Form5->DirectoryListBox1->SetDirectory("C:\\Work");
             VclDriver::Click(Form5->BitBtn1);
             EXPECT_EQ(Form5->DirectoryListBox1->Directory(), "C:\\Work");
             VclDriver::Click(Form5->Button1);  // OK
         },
         [&](TCustomForm* creator) {
             EXPECT_EQ(creator, Form6);
             EXPECT_EQ(Form6->DirectoryListBox1->Directory(), "C:\\Work");
             EXPECT_EQ(Form6->Edit1->Text(), "\\");
             VclDriver::TypeText(Form6->Edit1, "Tools");
             VclDriver::Click(Form6->Button1);
         },
         [&](TCustomForm* creator) {
             // The text typed last time is still there.
             EXPECT_EQ(Form6->Edit1->Text(), "Tools");
             VclDriver::Click(Form6->Button1);
             (void)creator;
         },
         [&](TCustomForm* box) {
             boxText = BoxText(box);
             EXPECT_EQ(box->Caption(), "Tessaly v1.1 Pallimer");
             VclDriver::PressKey(box, VK_RETURN);
         },
         [&](TCustomForm* box) { VclDriver::PressKey(box, VK_RETURN); }});
    EXPECT_EQ(chooserStart, "C:\\Program Files");
    EXPECT_TRUE(toolsCreated);
    EXPECT_EQ(boxText, "I/O error 183");
    EXPECT_EQ(afterBrowse, "C:\\Work");
    EXPECT_EQ(afterBack, kDefaultDest);
}

TEST_F(Installer, NewDirectoryNamesAsTyped)
{
    // In C:\Work, "\Tools" and "Tools" both make C:\Work\Tools; "\" and "" make nothing.
    struct Case {
        const char* typed;
        bool created;
    } cases[] = {{"\\Tools", true}, {"Tools", true}, {"\\", false}, {"", false}};
    RegisterInstallerClasses();
    for (const Case& c : cases) {
        ASSERT_TRUE(CreateDir("C:\\Work"));
        Application->CreateForm(Form6);
        Form6->DirectoryListBox1->SetDirectory("C:\\Work");
        Form6->Edit1->SetText(c.typed);
        Form6->Button1Click(nullptr);
        EXPECT_EQ(DirectoryExists("C:\\Work\\Tools"), c.created) << c.typed;
        EXPECT_EQ(Form6->DirectoryListBox1->Directory(), c.created ? "C:\\Work\\Tools" : "C:\\Work") << c.typed;
        RemoveDir("C:\\Work\\Tools");
        RemoveDir("C:\\Work");
        delete Form6;
        Form6 = nullptr;
    }
}

TEST_F(Installer, InstallingOverAnEarlierInstallationKeepsTheFirstDate)
{
    auto installAll = [&] {
        Run({[&](TCustomForm*) {
            for (int i = 0; i < 4; ++i) Next();
            Next();
        }});
    };
    installAll();
    std::string firstDate = ReadInstallDate();
    ASSERT_EQ(firstDate.size(), 8u);
    // Something of the user's in the destination and the group, and a changed product
    // file: the product files are replaced, the user's stay, the shortcuts are made anew.
    testsupport::WriteHostFile(HostOf(kDefaultDest + "\\my tiling.tsl"), "mine");
    testsupport::WriteHostFile(HostOf(kDefaultDest + "\\readme.txt"), "edited");
    testsupport::WriteHostFile(HostOf(Programs() + "\\Tessaly v1.1\\Notes.txt"), "notes");
    Application->ResetForNextRun();
    ResetInstallationState();
    installAll();
    ExpectInstalledIn(kDefaultDest);
    EXPECT_EQ(ReadInstallDate(), firstDate);
    EXPECT_EQ(ReadHost(HostOf(kDefaultDest + "\\my tiling.tsl")), "mine");
    EXPECT_EQ(ReadHost(HostOf(Programs() + "\\Tessaly v1.1\\Notes.txt")), "notes");
}

TEST_F(Installer, GroupFolderWithoutShortcutsIsKeptAndFilled)
{
    std::string programs;
    {
        TForm owner(nullptr);
        auto* probe = new TShortcutLink(&owner);
        probe->ProgramsFolder(programs);
    }
    ASSERT_TRUE(CreateDir(programs + "\\Tessaly v1.1"));
    testsupport::WriteHostFile(HostOf(programs + "\\Tessaly v1.1\\Keep.txt"), "keep");
    Run({[&](TCustomForm*) {
        for (int i = 0; i < 5; ++i) Next();
    }});
    ExpectInstalledIn(kDefaultDest);
    EXPECT_EQ(ReadHost(HostOf(programs + "\\Tessaly v1.1\\Keep.txt")), "keep");
}

TEST_F(Installer, UnwritableDestinationShowsTheErrorAndCancelStillEnds)
{
    // A file where the destination's parent folder should be: no folder can be made.
    testsupport::WriteHostFile(HostOf("C:\\Blocked"), "a file");
    std::string boxText;
    bool stuckOnPage4 = false;
    Run({[&](TCustomForm*) {
             Next();
             Next();
             Form3->Label19->SetCaption("C:\\Blocked\\Tessaly");
             Form3->Label9->SetCaption("C:\\Blocked\\Tessaly");
             Next();
             Next();  // fails inside the sequence
             stuckOnPage4 = CurrentPage == 4 && !Form3->Button1->Enabled() && !Form3->Button3->Enabled() &&
                            Form3->Button2->Enabled();
             Cancel();
         },
         [&](TCustomForm* box) {
             boxText = BoxText(box);
             VclDriver::PressKey(box, VK_RETURN);
         },
         [&](TCustomForm* question) { VclDriver::PressKey(question, VK_RETURN); }});
    EXPECT_TRUE(stuckOnPage4);
    EXPECT_FALSE(boxText.empty());
    EXPECT_FALSE(FileExists(TempArchive()));
}

TEST_F(Installer, DamagedPayloadStopsTheInstallationWithAMessage)
{
    std::string boxText;
    Run({[&](TCustomForm*) {
             // Spoil the compressed data of the temporary archive the wizard reads.
             std::string path = HostOf(TempArchive());
             std::string bytes = ReadHost(path);
             ASSERT_GT(bytes.size(), 20000u);
             for (size_t i = bytes.size() - 20000; i < bytes.size() - 10000; ++i) bytes[i] = char(i * 7);
             testsupport::WriteHostFile(path, bytes);
             for (int i = 0; i < 4; ++i) Next();
             EXPECT_EQ(CurrentPage, 4);
             Cancel();
         },
         [&](TCustomForm* box) {
             boxText = BoxText(box);
             VclDriver::PressKey(box, VK_RETURN);
         },
         [&](TCustomForm* question) { VclDriver::PressKey(question, VK_RETURN); }});
    EXPECT_NE(boxText.find("damaged"), std::string::npos) << boxText;
    EXPECT_FALSE(FileExists(TempArchive()));
}

}  // namespace

namespace {

// Pictures of what the user sees at each step (under the test folder's screens/).
TEST_F(Installer, PicturesOfEveryPageAndDialog)
{
    auto shot = [](const std::string& name) {
        VclDriver::ProcessEvents();  // what the event loop would have done by now
        TBitmap screen;
        ComposeScreen(screen);
        testsupport::SaveShot(screen, name);
    };
    ASSERT_TRUE(CreateDir("C:\\Work"));
    bool loadingSeen = false;
    // The loading form is on screen while its gauge runs: look at it half way.
    TSleepHook hook = SetSleepHook([&](DWORD) {
        if (!loadingSeen && Form2 && Form2->Gauge1->Progress() == 50) {
            loadingSeen = true;
            shot("installer-loading");
        }
    });
    Run({[&](TCustomForm*) {
             for (int page = 0; page < 3; ++page) {
                 shot("installer-page" + std::to_string(page));
                 if (page < 2) Next();
             }
             VclDriver::Click(Form3->Button4);  // Browse, on the destination page
             Next();
             shot("installer-page3");
             Next();
             shot("installer-page5");
             Cancel();  // disabled on the last page: nothing happens
             Next();
         },
         [&](TCustomForm*) {
             Form5->DirectoryListBox1->SetDirectory("C:\\Program Files");
             shot("installer-directory");
             VclDriver::Click(Form5->BitBtn1);
             VclDriver::Click(Form5->Button2);
         },
         [&](TCustomForm*) {
             VclDriver::TypeText(Form6->Edit1, "Tessaly");
             shot("installer-new-directory");
             VclDriver::Click(Form6->Button2);
         }});
    SetSleepHook(hook);
    EXPECT_TRUE(loadingSeen);
}

TEST_F(Installer, PicturesOfTheInstallingPageAndTheQuestion)
{
    auto shot = [](const std::string& name) {
        VclDriver::ProcessEvents();  // what the event loop would have done by now
        TBitmap screen;
        ComposeScreen(screen);
        testsupport::SaveShot(screen, name);
    };
    int events = 0;
    Run({[&](TCustomForm*) {
             Next();
             shot("installer-page1");
             Cancel();
             for (int i = 0; i < 2; ++i) Next();
             TProgressEvent wizardHandler = Form3->LZHBatch1->OnProgress;
             Form3->LZHBatch1->OnProgress = [&, wizardHandler](TObject* s, const std::string& f, int32_t fw,
                                                              int32_t fb, int32_t tw, int32_t tb, bool& c) {
                 wizardHandler(s, f, fw, fb, tw, tb, c);
                 if (++events == 40) shot("installer-page4");
             };
             Next();
             Next();
         },
         [&](TCustomForm* question) {
             shot("installer-cancel-question");
             VclDriver::PressKey(question, VK_ESCAPE);
         }});
    EXPECT_GT(events, 40);
}

}  // namespace
