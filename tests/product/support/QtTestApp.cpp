#include "tests/product/support/QtTestApp.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace testsupport {

void EnsureQtApp()
{
    static int argc = 1;
    static char name[] = "product-tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(argc, argv);  // lives as long as the process
}

void OnNextModal(std::function<void(QWidget*)> handler)
{
    // Polled from the event loop the dialog runs: no waiting on the clock.
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, handler] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        handler(w);
        // A handler that failed part-way must not leave the test waiting for ever.
        if (w->isVisible()) {
            ADD_FAILURE() << "a dialog was left open";
            if (auto* d = qobject_cast<QDialog*>(w)) {
                d->reject();
            } else {
                w->close();
            }
        }
    });
    timer->start();
}

void ProcessEvents() { QApplication::processEvents(); }

bool Screenshot(QWidget* widget, const std::string& name)
{
    const char* dir = std::getenv("PALLIMER_SCREENSHOT_DIR");
    const QPixmap shot = widget->grab();
    if (!dir || !*dir) return !shot.isNull();
    return shot.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"), "PNG");
}

}  // namespace testsupport

// The font configuration library keeps its caches until the process ends; the leak
// checker of sanitized builds would count them against every test that draws text.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
