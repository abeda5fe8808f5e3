// The uninstaller's dialog: an icon, a heading, the text, a list of files when there is
// one, and OK or Yes / No. Qt Widgets directly; one class for every message.
#pragma once

#include <QDialog>

#include "product/uninstall/Messages.h"

namespace uninstall {

class UninstallDialog : public QDialog {
    Q_OBJECT
public:
    UninstallDialog(const Message& message, QWidget* parent = nullptr);
};

// Shows the message modally; for a question, true when the user answered Yes.
bool ShowMessage(const Message& message);

}  // namespace uninstall
