// Forms under the window system: showing, immediate repaints, modal loops, termination,
// default and cancel buttons, the exception box.
#include <gtest/gtest.h>

#include "platform/classes/Published.h"
#include "platform/graphics/Canvas.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Screenshot.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/WidgetSet.h"
#include "tests/support/GuiTest.h"
#include "tests/vcl/VclTestUtil.h"

using testsupport::ModalScript;

namespace {

// A form built in code with an OK (default) and a Cancel (cancel) button.
struct Dialog {
    TForm* form;
    TButton* ok;
    TButton* cancel;
    TEdit* edit;
    explicit Dialog(const std::string& caption)
    {
        form = new TForm(Application);
        form->SetBorderStyle(bsDialog);
        form->SetCaption(caption);
        form->SetClientSize(240, 100);
        edit = new TEdit(form);
        edit->SetBounds(8, 8, 150, 21);
        edit->SetParent(form);
        ok = new TButton(form);
        ok->SetCaption("OK");
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        ok->SetBounds(8, 60, 75, 25);
        ok->SetParent(form);
        cancel = new TButton(form);
        cancel->SetCaption("Cancel");
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        cancel->SetBounds(90, 60, 75, 25);
        cancel->SetParent(form);
        form->SetActiveControl(edit);
    }
    ~Dialog() { delete form; }
};

class FormsTest : public GuiTest {};

TEST_F(FormsTest, ImmediateRepaintReachesTheScreenWithoutTheEventLoop)
{
    TForm form(Application);
    form.SetBorderStyle(bsNone);
    form.SetBounds(100, 100, 200, 80);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(10, 10, 100, 20);
    label->SetCaption("before");
    form.Show();

    TBitmap first, second;
    WidgetSet()->GrabScreen(first);
    label->SetCaption("after, longer");
    label->Repaint();
    // No event is handled between the repaint and the second look at the screen, as
    // when the thread sleeps.
    WidgetSet()->GrabScreen(second);
    ASSERT_EQ(first.Width(), second.Width());
    int changed = 0;
    for (int y = 110; y < 130; ++y)
        for (int x = 110; x < 210; ++x)
            if (first.ScanLine(y)[x] != second.ScanLine(y)[x]) ++changed;
    EXPECT_GT(changed, 20);
    form.Hide();
}

TEST_F(FormsTest, EnterPressesTheDefaultButtonAndEscapeTheCancelButton)
{
    Dialog d("Keys");
    {
        ModalScript script({[&](TCustomForm*) { VclDriver::PressKey(d.edit, VK_RETURN); }});
        EXPECT_EQ(d.form->ShowModal(), mrOk);
    }
    {
        ModalScript script({[&](TCustomForm*) { VclDriver::PressKey(d.edit, VK_ESCAPE); }});
        EXPECT_EQ(d.form->ShowModal(), mrCancel);
    }
    {
        ModalScript script({[&](TCustomForm*) { VclDriver::Click(d.cancel); }});
        EXPECT_EQ(d.form->ShowModal(), mrCancel);
    }
    EXPECT_FALSE(d.form->Visible());
}

TEST_F(FormsTest, ModalLoopsNestAndEachReturnsItsOwnResult)
{
    Dialog outer("Outer"), inner("Inner");
    int innerResult = -1;
    std::string boxCaption;
    Application->SetTitle("Nesting");
    ModalScript script({
        [&](TCustomForm*) {
            // Inside the outer loop: the inner dialog, whose OK handler raises.
            inner.ok->OnClick = [&](TObject*) { throw Exception("boom in the handler"); };
            innerResult = inner.form->ShowModal();
            VclDriver::Click(outer.cancel);
        },
        [&](TCustomForm*) { VclDriver::Click(inner.ok); },
        [&](TCustomForm* box) {
            // The exception box above both dialogs, captioned with the title.
            boxCaption = box->Caption();
            TBitmap shot;
            GrabForm(box, shot);
            testsupport::SaveShot(shot, "exception-box");
            VclDriver::PressKey(box, VK_RETURN);
        },
    });
    EXPECT_EQ(outer.form->ShowModal(), mrCancel);
    // The button's result was set before its handler failed.
    EXPECT_EQ(innerResult, mrOk);
    EXPECT_EQ(boxCaption, "Nesting");
    EXPECT_EQ(script.Remaining(), 0u);
}

TEST_F(FormsTest, CloseHandlerCanRefuseAModalClose)
{
    Dialog d("Refuse");
    int asked = 0;
    d.form->OnClose = [&](TObject*, TCloseAction& a) {
        if (++asked == 1) a = caNone;
    };
    bool stayed = false;
    ModalScript script({[&](TCustomForm*) {
        VclDriver::Click(d.ok);  // refused: the dialog stays
        WidgetSet()->Post([&] {
            stayed = d.form->Visible() && d.form->ModalResult() == 0;
            VclDriver::Click(d.cancel);
        });
    }});
    EXPECT_EQ(d.form->ShowModal(), mrCancel);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(asked, 2);
}

TEST_F(FormsTest, ShowModalRefusesAVisibleForm)
{
    Dialog d("Visible");
    d.form->Show();
    EXPECT_THROW(d.form->ShowModal(), EInvalidOperation);
    d.form->Hide();
}

TEST_F(FormsTest, FormsGrabWithTheirNativeControls)
{
    Dialog d("Grab");
    d.edit->SetText("typed text");
    d.form->Show();
    TBitmap shot;
    GrabForm(d.form, shot);
    EXPECT_EQ(shot.Width(), d.form->Width());
    EXPECT_EQ(shot.Height(), d.form->Height());
    testsupport::SaveShot(shot, "forms-dialog");
    d.form->Hide();
}

}  // namespace
