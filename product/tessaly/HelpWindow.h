// The help window: the topics of tessaly.hlp in a list, the chosen one beside it.
#pragma once

#include <QDialog>

#include "product/tessaly/HelpFile.h"

class QListWidget;
class QTextBrowser;

namespace tessaly {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    HelpWindow(HelpDocument doc, QWidget* parent = nullptr);
    // Shows the topic with this id; false when the file has none.
    bool ShowTopic(const std::string& id);
    const std::string& CurrentTopic() const { return current_; }

private:
    HelpDocument doc_;
    std::string current_;
    QListWidget* topics_;
    QTextBrowser* text_;
};

}  // namespace tessaly
