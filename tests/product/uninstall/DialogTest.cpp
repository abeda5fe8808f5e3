// The uninstaller's dialogs: what they show, and that the question defaults to No.
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include "platform/win/Files.h"
#include "product/uninstall/UninstallDialog.h"
#include "tests/product/support/QtTestApp.h"
#include "tests/product/support/SimulatedInstall.h"

using namespace uninstall;

namespace {

class DialogTest : public testsupport::SimulatedInstall {
protected:
    void SetUp() override
    {
        SimulatedInstall::SetUp();
        testsupport::EnsureQtApp();
    }

    // Shows the message, lets handler look at the dialog, then presses a button.
    static bool Answer(const Message& m, QDialogButtonBox::StandardButton press, const std::string& shot = {},
                       std::function<void(QWidget*)> look = {})
    {
        testsupport::OnNextModal([=](QWidget* d) {
            EXPECT_EQ(d->windowTitle(), "Uninstall Tessaly v1.1");
            if (look) look(d);
            if (!shot.empty()) testsupport::Screenshot(d, shot);
            d->findChild<QDialogButtonBox*>()->button(press)->click();
        });
        return ShowMessage(m);
    }
    static QString Label(QWidget* d, const char* name) { return d->findChild<QLabel*>(name)->text(); }
};

TEST_F(DialogTest, TheQuestionNamesTheFolderAndTheFilesThatStay)
{
    Install();
    testsupport::WriteHostFile(Host(std::string(kDefaultDir) + "\\my tiling.png"), "picture");
    const Plan plan = MakePlan(FindInstallation());
    const auto look = [](QWidget* d) {
        EXPECT_TRUE(Label(d, "heading").contains("remove Tessaly v1.1"));
        EXPECT_TRUE(Label(d, "text").contains("C:\\Program Files\\Tessaly"));
        auto* list = d->findChild<QListWidget*>("list");
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->item(0)->text(), "C:\\Program Files\\Tessaly\\my tiling.png");
    };
    EXPECT_TRUE(Answer(ConfirmMessage(plan), QDialogButtonBox::Yes, "uninstall-confirm", look));
    EXPECT_FALSE(Answer(ConfirmMessage(plan), QDialogButtonBox::No));
    // The focus starts on No, and Enter answers No: a stray key press removes nothing.
    testsupport::OnNextModal([](QWidget* d) {
        QWidget* focus = d->focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus, d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::No));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(focus, &enter);
        if (d->isVisible()) static_cast<QDialog*>(d)->done(QDialog::Accepted);  // Enter did nothing: fail below
    });
    EXPECT_FALSE(ShowMessage(ConfirmMessage(plan)));
}

TEST_F(DialogTest, ResultsObstaclesAndNothingToDo)
{
    Install();
    testsupport::WriteHostFile(Host(std::string(kDefaultDir) + "\\my tiling.png"), "picture");
    ASSERT_TRUE(SetFileAttributesA(std::string(kDefaultDir) + "\\readme.txt", FILE_ATTRIBUTE_READONLY));
    Plan plan = MakePlan(FindInstallation());
    Answer(BlockedMessage(plan), QDialogButtonBox::Ok, "uninstall-blocked", [](QWidget* d) {
        EXPECT_TRUE(Label(d, "heading").contains("cannot be removed now"));
        EXPECT_EQ(d->findChild<QListWidget*>("list")->item(0)->text(),
                  "C:\\Program Files\\Tessaly\\readme.txt is read-only");
        EXPECT_EQ(d->findChild<QDialogButtonBox*>()->buttons().size(), 1);
    });
    ASSERT_TRUE(SetFileAttributesA(std::string(kDefaultDir) + "\\readme.txt", FILE_ATTRIBUTE_NORMAL));
    plan = MakePlan(FindInstallation());
    const Report r = Execute(plan);
    Answer(ResultMessage(plan, r), QDialogButtonBox::Ok, "uninstall-done", [](QWidget* d) {
        EXPECT_TRUE(Label(d, "heading").contains("has been removed"));
        EXPECT_TRUE(Label(d, "after").contains("C:\\Program Files\\Tessaly"));
    });
    Answer(NotInstalledMessage(), QDialogButtonBox::Ok, "uninstall-not-installed",
           [](QWidget* d) { EXPECT_TRUE(Label(d, "heading").contains("not installed")); });
}

}  // namespace
