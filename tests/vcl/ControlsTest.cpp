// Controls without and with the window system: the progress bar's 16-bit model, the
// directory controls on the emulated machine, timers that free themselves, controls freed
// from their own handlers.
#include <gtest/gtest.h>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FileCtrl.h"
#include "platform/vcl/Gauges.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/WidgetSet.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"
#include "tests/support/GuiTest.h"

using testsupport::ModalScript;

namespace {

TEST(ProgressBar, KeepsTheLowSixteenBitsAndStaysInRange)
{
    TProgressBar bar(nullptr);
    struct Case {
        int32_t max, position;
        int32_t expectMax, expectPosition;
    } cases[] = {
        {910, 758, 910, 758},          // the installer's total bar
        {0, 0, 0, 0},                  // a file under 1 KB: an empty bar, not a busy one
        {65536 + 20, 10, 20, 10},      // only the low 16 bits count
        {100, 250, 100, 100},          // clamped to the maximum
        {100, -1, 100, 100},           // -1 is 65535: clamped as well
    };
    for (const Case& c : cases) {
        bar.SetMax(c.max);
        bar.SetPosition(c.position);
        EXPECT_EQ(bar.Max(), c.expectMax) << c.max;
        EXPECT_EQ(bar.Position(), c.expectPosition) << c.max << "/" << c.position;
    }
    bar.SetMax(0);
    EXPECT_EQ(bar.Position(), 0);  // a smaller maximum pulls the position down
    EXPECT_EQ(bar.FilledWidth(300), 0);
    bar.SetMax(910);
    bar.SetPosition(455);
    EXPECT_EQ(bar.FilledWidth(300), 150);
}

TEST(Gauge, PercentAndImmediateRepaintOnlyWhenThePercentageChanges)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 300, 40);
    auto* g = new TGauge(&form);
    g->SetParent(&form);
    g->SetBounds(0, 0, 200, 20);
    g->SetMaxValue(300);
    g->SetProgress(2);
    EXPECT_EQ(g->PercentDone(), 0);
    g->SetProgress(150);
    EXPECT_EQ(g->PercentDone(), 50);
    // Immediate: the surface already shows the bar up to the middle.
    TColor left = PixelToColor(form.Surface().ScanLine(10)[20]);
    TColor right = PixelToColor(form.Surface().ScanLine(10)[180]);
    EXPECT_EQ(left, g->ForeColor());
    EXPECT_EQ(right, g->BackColor());
    g->SetProgress(1000);
    EXPECT_EQ(g->Progress(), 300);
    EXPECT_EQ(g->PercentDone(), 100);
}

class DirectoryControls : public GuiTest {};

TEST_F(DirectoryControls, ListLabelAndDriveBoxFollowEachOther)
{
    ASSERT_TRUE(CreateDir("C:\\Work"));
    ASSERT_TRUE(CreateDir("C:\\Work\\Tools"));
    ASSERT_TRUE(CreateDir("C:\\Work\\alpha"));
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetAutoSize(false);
    label->SetBounds(8, 8, 201, 13);
    auto* list = new TDirectoryListBox(&form);
    list->SetParent(&form);
    list->SetBounds(8, 24, 201, 185);
    list->SetDirLabel(label);
    auto* drives = new TDriveComboBox(&form);
    drives->SetParent(&form);
    drives->SetDirList(list);

    list->SetDirectory("c:\\work\\");
    EXPECT_EQ(list->Directory(), "C:\\work");
    EXPECT_EQ(label->Caption(), "C:\\work");
    std::vector<std::string> texts;
    for (const auto& item : list->Items()) texts.push_back(item.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"c:\\", "work", "alpha", "Tools"}));
    EXPECT_EQ(list->ItemIndex(), 1);
    list->OpenItem(3);
    EXPECT_EQ(list->Directory(), "C:\\work\\Tools");
    list->OpenItem(0);
    EXPECT_EQ(list->Directory(), "C:\\");
    EXPECT_THROW(list->SetDirectory("C:\\No such folder"), EInOutError);
    EXPECT_EQ(list->Directory(), "C:\\");

    // A deep directory is shortened to the label's width, drive first.
    std::string deep = "C:\\Work\\Tools";
    for (int i = 0; i < 6; ++i) {
        deep += "\\A rather long folder name";
        ASSERT_TRUE(CreateDir(deep));
    }
    list->SetDirectory(deep);
    EXPECT_EQ(label->Caption().substr(0, 7), "C:\\...\\");
    TCanvas& c = *label->Canvas();
    c.SetFont(label->Font());
    EXPECT_LE(c.TextWidth(label->Caption()), 201);
    EXPECT_EQ(label->Caption().substr(label->Caption().size() - 26), "\\A rather long folder name");

    // Drives: the box lists the machine's drives; choosing one moves the list there.
    EXPECT_EQ(drives->Drives(), (std::vector<char>{'c', 'z'}));
    drives->SetDrive('Z');
    EXPECT_EQ(list->Directory(), "Z:\\");
    drives->SetDrive('c');
    EXPECT_EQ(list->Directory(), deep) << "the folder last open on that drive";
    list->SetDirectory("Z:\\");
    EXPECT_EQ(drives->Drive(), 'z');
}

TEST_F(DirectoryControls, DoubleClickOpensAFolderThroughTheWindowSystem)
{
    ASSERT_TRUE(CreateDir("C:\\Work"));
    ASSERT_TRUE(CreateDir("C:\\Work\\Tools"));
    TForm form(Application);
    form.SetBounds(100, 100, 300, 260);
    auto* list = new TDirectoryListBox(&form);
    list->SetParent(&form);
    list->SetBounds(8, 8, 201, 185);
    list->SetDirectory("C:\\Work");
    form.Show();
    VclDriver::DoubleClickItem(list, 2);
    EXPECT_EQ(list->Directory(), "C:\\Work\\Tools");
    form.Hide();
}

class Lifetimes : public GuiTest {};

TEST_F(Lifetimes, TimerFreedInsideItsOwnTickAndFormFreedFromItsButton)
{
    TForm* form = new TForm(Application);
    form->SetBounds(100, 100, 200, 100);
    auto* timer = new TTimer(form);
    int ticks = 0;
    timer->SetInterval(1);
    timer->SetOnTimer([&](TObject*) {
        ++ticks;
        delete timer;  // inside its own tick
        timer = nullptr;
    });
    auto* button = new TButton(form);
    button->SetParent(form);
    button->OnClick = [&](TObject*) {
        delete form;  // the window under the pressed button goes away
        form = nullptr;
    };
    form->Show();
    // Let the timer fire (it is a real timer on the event loop).
    while (ticks == 0) VclDriver::ProcessEvents();
    EXPECT_EQ(timer, nullptr);
    VclDriver::Click(button);
    VclDriver::ProcessEvents();
    EXPECT_EQ(form, nullptr);
}

TEST_F(Lifetimes, PaintThatFreesItsControl)
{
    class TSuicidal : public TGraphicControl {
    public:
        using TGraphicControl::TGraphicControl;
        bool* freed = nullptr;

    protected:
        void Paint() override
        {
            Canvas()->FillRect(ClientRect());
            *freed = true;
            delete this;
        }
    };
    TForm form(Application);
    form.SetBounds(100, 100, 200, 100);
    bool freed = false;
    auto* c = new TSuicidal(&form);
    c->freed = &freed;
    c->SetParent(&form);
    c->SetBounds(10, 10, 50, 50);
    auto* after = new TLabel(&form);
    after->SetParent(&form);
    after->SetCaption("painted after");
    form.Show();
    form.Repaint();
    EXPECT_TRUE(freed);
    EXPECT_EQ(form.ControlCount(), 1);
    form.Hide();
}

// Runs in a process of its own: the application ends only once.
void TerminateInsideNestedLoops()
{
    testsupport::StartGui();
    auto* main = new TForm(Application);
    main->SetBounds(0, 0, 300, 200);
    auto* outer = new TForm(Application);
    auto* inner = new TForm(Application);
    int innerResult = -1, outerResult = -1;
    main->OnActivate = [&](TObject*) {
        if (outerResult != -1) return;
        ModalScript script({[&](TCustomForm*) { innerResult = inner->ShowModal(); },
                            [&](TCustomForm*) { Application->Terminate(); }});
        outerResult = outer->ShowModal();
    };
    Application->SetMainForm(main);
    Application->Run();
    // Both loops ended with the cancel result, and the main loop returned.
    bool ok = innerResult == mrCancel && outerResult == mrCancel && Application->Terminated();
    Application->Shutdown();
    std::exit(ok ? 0 : 1);
}

TEST(ApplicationEnds, TerminateInsideNestedModalLoopsEndsTheRun)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(TerminateInsideNestedLoops(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
