// The installer's forms as their descriptions build them.
#include <gtest/gtest.h>

#include "platform/vcl/Screenshot.h"
#include "setup/Unit1.h"
#include "setup/Unit3.h"
#include "tests/support/GuiTest.h"

namespace {

class WizardLayout : public GuiTest {};

TEST_F(WizardLayout, NotebookPagesFillTheNotebook)
{
    RegisterInstallerClasses();
    auto* f = new TForm3(Application);
    f->LoadFromResource();
    ASSERT_EQ(f->Notebook1->PageCount(), 6);
    EXPECT_TRUE(f->Notebook1->Page(0)->Visible());
    for (int i = 0; i < 6; ++i) {
        f->Notebook1->SetActivePage("Page" + std::to_string(i));
        for (int k = 0; k < 6; ++k) EXPECT_EQ(f->Notebook1->Page(k)->Visible(), k == i) << i;
        EXPECT_EQ(f->Notebook1->Page(i)->BoundsRect(), Rect(0, 0, 329, 265)) << i;
    }
    f->Notebook1->SetActivePage("Page0");
    // Next is the wizard's one bold button; Back starts disabled.
    EXPECT_TRUE(f->Button1->Font()->Style().Contains(fsBold));
    EXPECT_FALSE(f->Button1->ParentFont());
    EXPECT_FALSE(f->Button2->Font()->Style().Contains(fsBold));
    EXPECT_FALSE(f->Button3->Enabled());
    TBitmap shot;
    GrabForm(f, shot);
    testsupport::SaveShot(shot, "wizard-drawn");
    delete f;
}

}  // namespace
