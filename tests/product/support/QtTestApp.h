// The toolkit in a test process: one application object on the offscreen platform,
// answering modal dialogs from a timer, and screenshots on request.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace testsupport {

// Creates the application on first use (QT_QPA_PLATFORM offscreen unless set).
void EnsureQtApp();

// Runs handler on the next modal dialog, once it is open. Call before the code that
// opens it; the handler closes the dialog (one left open is a failure, and closed).
void OnNextModal(std::function<void(QWidget* dialog)> handler);

// Lets the event loop run until pending events (painting, timers due now) are done.
void ProcessEvents();

// Saves the widget as <name>.png into $PALLIMER_SCREENSHOT_DIR when that is set.
// Returns false only when saving was asked for and failed.
bool Screenshot(QWidget* widget, const std::string& name);

}  // namespace testsupport
