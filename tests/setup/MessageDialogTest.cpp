// The installer's message dialog: layout from the font's metrics, buttons, the animated
// picture, and its answers to the keyboard.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classes/Resources.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Screenshot.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"
#include "presentation/Nyanimat.h"
#include "setup/Mesmov32.h"
#include "tests/support/GuiTest.h"

using testsupport::ModalScript;

namespace {

const TMsgDlgButtons kYesNo = MsgDlgButton(mbYes) | MsgDlgButton(mbNo);

template <class T>
T* Find(TComponent* owner, const std::string& name)
{
    return dynamic_cast<T*>(owner->FindComponent(name));
}

// The dialog units of the standard font, measured the way the dialog measures them.
struct Units {
    int cx, cy;
    Units()
    {
        TForm probe(nullptr);
        probe.Canvas()->SetFont(probe.Font());
        TSize e = probe.Canvas()->TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        cx = e.cx / 52;
        cy = e.cy;
    }
    int H(int n) const { return MulDiv(n, cx, 4); }
    int V(int n) const { return MulDiv(n, cy, 8); }
};

TEST(MessageDialog, WarningLayoutFollowsTheFontMetrics)
{
    Units u;
    const std::string text = "Pallimer is not yet finished!!\rAre you sure you want to quit?";
    std::unique_ptr<TMessageForm> f(BuildMessageDialog(text, mtWarning, kYesNo));
    EXPECT_EQ(f->Caption(), "Warning");
    EXPECT_EQ(f->BorderStyle(), bsDialog);

    TRect tr = Rect(0, 0, Screen->Width() / 2, 0);
    f->Canvas()->DrawText(text, tr, DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK);
    int tw = tr.Right, th = tr.Bottom;
    int iconTextWidth = tw + 32 + u.H(10), iconTextHeight = std::max(th, 32);
    int groupWidth = 2 * u.H(50) + u.H(4);
    EXPECT_EQ(f->ClientWidth(), std::max(iconTextWidth, groupWidth) + 2 * u.H(8));
    EXPECT_EQ(f->ClientHeight(), iconTextHeight + u.V(14) + u.V(10) + 2 * u.V(8));
    EXPECT_EQ(f->Left(), Screen->Width() / 2 - f->Width() / 2);
    EXPECT_EQ(f->Top(), Screen->Height() / 2 - f->Height() / 2);

    auto* image = Find<TnyAnimated>(f.get(), "Image");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->BoundsRect(), Bounds(u.H(8), u.V(8), 32, 32));
    EXPECT_EQ(image->BitMap()->Width(), 224);
    EXPECT_EQ(image->BitMap()->Height(), 32);
    auto* message = Find<TLabel>(f.get(), "Message");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Caption(), text);
    EXPECT_TRUE(message->WordWrap());
    EXPECT_EQ(message->BoundsRect(), Bounds(iconTextWidth - tw + u.H(8), u.V(8), tw, th));

    auto* yes = Find<TButton>(f.get(), "Yes");
    auto* no = Find<TButton>(f.get(), "No");
    ASSERT_TRUE(yes && no);
    int x = (f->ClientWidth() - groupWidth) / 2, y = iconTextHeight + u.V(8) + u.V(10);
    EXPECT_EQ(yes->BoundsRect(), Bounds(x, y, u.H(50), u.V(14)));
    EXPECT_EQ(no->BoundsRect(), Bounds(x + u.H(50) + u.H(4), y, u.H(50), u.V(14)));
    EXPECT_EQ(yes->Caption(), "&Yes");
    EXPECT_EQ(yes->ModalResult(), mrYes);
    EXPECT_TRUE(yes->Default());
    EXPECT_FALSE(yes->Cancel());
    EXPECT_EQ(no->ModalResult(), mrNo);
    EXPECT_TRUE(no->Cancel());
    EXPECT_EQ(f->FindComponent("OK"), nullptr);
}

TEST(MessageDialog, WarningStripPlaysBackwardsEveryHundredMilliseconds)
{
    std::unique_ptr<TMessageForm> f(BuildMessageDialog("x", mtWarning, MsgDlgButton(mbOK)));
    auto* image = Find<TnyAnimated>(f.get(), "Image");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->FrameCount(), 7);
    EXPECT_TRUE(image->Reverse());
    EXPECT_TRUE(image->Loop());
    EXPECT_TRUE(image->Play());
    ASSERT_NE(image->Timer(), nullptr);
    EXPECT_EQ(image->Timer()->Interval(), 100u);
    std::vector<int> frames{image->Frame()};
    for (int i = 0; i < 8; ++i) {
        image->Timer()->Tick();
        frames.push_back(image->Frame());
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 6, 5, 4, 3, 2, 1, 0, 6}));
}

TEST(MessageDialog, TypesButtonsAndDefaults)
{
    struct Case {
        TMsgDlgType type;
        const char* caption;
        const char* strip;
        int frames;
        int interval;
        bool reverse;
    } cases[] = {{mtWarning, "Warning", "EXCLAM", 7, 100, true},
                 {mtError, "Error", "ERROR", 8, 75, false},
                 {mtInformation, "Information", "INFORM", 6, 150, false},
                 {mtConfirmation, "Confirm", "INTERR", 5, 175, false}};
    for (const Case& c : cases) {
        std::unique_ptr<TMessageForm> f(BuildMessageDialog("text", c.type, MsgDlgButton(mbOK)));
        EXPECT_EQ(f->Caption(), c.caption);
        auto* image = Find<TnyAnimated>(f.get(), "Image");
        ASSERT_NE(image, nullptr) << c.caption;
        EXPECT_EQ(image->BitMap()->Width(), 32 * c.frames) << c.strip;
        EXPECT_EQ(image->FrameCount(), c.frames);
        EXPECT_EQ(image->Interval(), c.interval);
        EXPECT_EQ(image->Reverse(), c.reverse);
    }
    Application->SetTitle("Custom title");
    std::unique_ptr<TMessageForm> custom(BuildMessageDialog("text", mtCustom, MsgDlgButton(mbOK)));
    EXPECT_EQ(custom->Caption(), "Custom title");
    EXPECT_EQ(custom->FindComponent("Image"), nullptr);

    // Buttons in their fixed order; default OK, else Yes, else Retry; cancel Cancel, else
    // No, else OK.
    TMsgDlgButtons all = MsgDlgButton(mbYes) | MsgDlgButton(mbNo) | MsgDlgButton(mbOK) | MsgDlgButton(mbCancel) |
                         MsgDlgButton(mbAbort) | MsgDlgButton(mbRetry) | MsgDlgButton(mbIgnore) |
                         MsgDlgButton(mbAll) | MsgDlgButton(mbHelp);
    std::unique_ptr<TMessageForm> f(BuildMessageDialog("text", mtInformation, all));
    int lastX = -1;
    for (const char* name : {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "Help"}) {
        auto* b = Find<TButton>(f.get(), name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_GT(b->Left(), lastX) << name;
        lastX = b->Left();
    }
    EXPECT_TRUE(Find<TButton>(f.get(), "OK")->Default());
    EXPECT_TRUE(Find<TButton>(f.get(), "Cancel")->Cancel());
    EXPECT_EQ(Find<TButton>(f.get(), "Help")->ModalResult(), 0);
    std::unique_ptr<TMessageForm> retry(
        BuildMessageDialog("t", mtError, MsgDlgButton(mbAbort) | MsgDlgButton(mbRetry) | MsgDlgButton(mbIgnore)));
    EXPECT_TRUE(Find<TButton>(retry.get(), "Retry")->Default());
    EXPECT_EQ(retry->FindComponent("Cancel"), nullptr);
}

TEST(MessageDialog, LongTextWrapsAtHalfTheScreen)
{
    std::string longText;
    for (int i = 0; i < 60; ++i) longText += "many words ";
    std::unique_ptr<TMessageForm> f(BuildMessageDialog(longText, mtInformation, MsgDlgButton(mbOK)));
    auto* message = Find<TLabel>(f.get(), "Message");
    EXPECT_LE(message->Width(), Screen->Width() / 2);
    EXPECT_GT(message->Width(), Screen->Width() / 2 - 80);
    EXPECT_GT(message->Height(), 3 * f->Canvas()->TextHeight("W"));
}

class MessageDialogGui : public GuiTest {};

TEST_F(MessageDialogGui, ConfirmationAnswersSevenToEscapeAndSixToEnter)
{
    InstallMessageDialog();
    std::string caption;
    {
        ModalScript script({[&](TCustomForm* f) {
            caption = f->Caption();
            TBitmap shot;
            GrabForm(f, shot);
            testsupport::SaveShot(shot, "message-warning");
            VclDriver::PressKey(f, VK_ESCAPE);
        }});
        EXPECT_EQ(MessageDlg("Pallimer is not yet finished!!\rAre you sure you want to quit?", mtWarning, kYesNo, 0),
                  mrNo);
    }
    EXPECT_EQ(caption, "Warning");
    {
        ModalScript script({[&](TCustomForm* f) { VclDriver::PressKey(f, VK_RETURN); }});
        EXPECT_EQ(ShowMessageDialog("Quit?", mtWarning, kYesNo, 0), mrYes);
    }
    {
        // Placed where asked.
        int left = -1, top = -1;
        ModalScript script({[&](TCustomForm* f) {
            left = f->Left();
            top = f->Top();
            VclDriver::PressKey(f, VK_RETURN);
        }});
        EXPECT_EQ(ShowMessageDialogAt("Here", mtInformation, MsgDlgButton(mbOK), 0, 10, 20), mrOk);
        EXPECT_EQ(left, 10);
        EXPECT_EQ(top, 20);
    }
}

}  // namespace
