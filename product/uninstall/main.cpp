// uninstall.exe: removes Tessaly v1.1 from the machine it was installed on.
//
//   uninstall.exe          asks, removes, and says what it did, in dialogs
//   uninstall.exe --yes    answers Yes itself and writes what the dialogs would say
//                          to standard output, without a window
//
// Exit codes: 0 removed, 1 removed only in part, 2 nothing to remove, 3 nothing removed
// because of files in the way, 4 the user said No, 5 nothing removed because the
// registry cannot be read.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "platform/rtl/StrUtils.h"
#include "platform/win/Com.h"
#include "platform/win/DesktopMenu.h"
#include "product/uninstall/Messages.h"
#include "product/uninstall/UninstallDialog.h"
#include "product/uninstall/Uninstaller.h"

// The uninstaller's icon, put into the executable by the build (section .icon).
extern "C" const unsigned char tessaly_icon_png[];
extern "C" const unsigned char tessaly_icon_png_end[];

namespace {

enum ExitCode { kRemoved = 0, kPartly = 1, kNothing = 2, kBlocked = 3, kDeclined = 4, kNoRegistry = 5 };

int Run(bool interactive)
{
    auto say = [interactive](const uninstall::Message& m) {
        if (interactive) return uninstall::ShowMessage(m);
        std::fputs(AnsiToUtf8(uninstall::PlainText(m)).c_str(), stdout);
        return true;
    };
    const uninstall::Installation inst = uninstall::FindInstallation();
    if (!inst.RegistryError.empty()) {
        say(uninstall::RegistryErrorMessage(inst));
        return kNoRegistry;
    }
    const uninstall::Plan plan = uninstall::MakePlan(inst);
    if (plan.NothingToDo()) {
        say(uninstall::NotInstalledMessage());
        return kNothing;
    }
    if (!plan.Obstacles.empty()) {
        say(uninstall::BlockedMessage(plan));
        return kBlocked;
    }
    if (interactive && !say(uninstall::ConfirmMessage(plan))) return kDeclined;
    const uninstall::Report report = uninstall::Execute(plan);
    say(uninstall::ResultMessage(plan, report));
    return report.Complete() ? kRemoved : kPartly;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool yes = argc == 2 && std::strcmp(argv[1], "--yes") == 0;
    if (argc > 1 && !yes) {
        std::fprintf(stderr, "usage: %s [--yes]\n", argv[0]);
        return 64;
    }
    // Shortcuts removed from the Programs folder leave the desktop's menu too.
    DesktopMenu::Enable();
    CoInitialize(nullptr);
    int code;
    if (yes) {
        code = Run(false);
    } else {
        QApplication app(argc, argv);
        QImage icon;
        icon.loadFromData(tessaly_icon_png, static_cast<int>(tessaly_icon_png_end - tessaly_icon_png), "PNG");
        if (!icon.isNull()) QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon)));
        code = Run(true);
    }
    CoUninitialize();
    return code;
}
