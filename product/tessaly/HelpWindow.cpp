#include "product/tessaly/HelpWindow.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tessaly {

HelpWindow::HelpWindow(HelpDocument doc, QWidget* parent) : QDialog(parent), doc_(std::move(doc))
{
    setWindowTitle(QString::fromStdString(doc_.Title));
    auto* split = new QSplitter(this);
    topics_ = new QListWidget(split);
    for (const HelpTopic& t : doc_.Topics) topics_->addItem(QString::fromStdString(t.Title));
    text_ = new QTextBrowser(split);
    // Links lead to other topics of the file; nothing outside it is opened.
    text_->setOpenLinks(false);
    text_->document()->setDefaultStyleSheet("h2 { color: #2E6F95; } a { color: #2E6F95; }");
    split->addWidget(topics_);
    split->addWidget(text_);
    split->setStretchFactor(1, 3);
    auto* close = new QPushButton(tr("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);
    layout->addLayout(buttons);
    resize(720, 480);
    split->setSizes({200, 520});

    connect(topics_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(doc_.Topics.size())) ShowTopic(doc_.Topics[static_cast<size_t>(row)].Id);
    });
    connect(text_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() == "topic") ShowTopic(url.path().toStdString());
    });
    ShowTopic(doc_.Topics.front().Id);
}

bool HelpWindow::ShowTopic(const std::string& id)
{
    for (size_t i = 0; i < doc_.Topics.size(); ++i) {
        if (doc_.Topics[i].Id != id) continue;
        current_ = id;
        text_->setHtml(QString::fromStdString(TopicHtml(doc_.Topics[i])));
        if (topics_->currentRow() != static_cast<int>(i)) topics_->setCurrentRow(static_cast<int>(i));
        return true;
    }
    return false;
}

}  // namespace tessaly
