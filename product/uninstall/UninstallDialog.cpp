#include "product/uninstall/UninstallDialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/rtl/StrUtils.h"

namespace uninstall {

namespace {

QString Text(const std::string& ansi) { return QString::fromStdString(AnsiToUtf8(ansi)); }

}  // namespace

UninstallDialog::UninstallDialog(const Message& message, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Uninstall Tessaly v1.1"));
    QStyle::StandardPixmap which = QStyle::SP_MessageBoxInformation;
    if (message.Kind == MessageKind::Question) which = QStyle::SP_MessageBoxQuestion;
    if (message.Kind == MessageKind::Warning) which = QStyle::SP_MessageBoxWarning;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(which, nullptr, this).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto* heading = new QLabel(Text(message.Heading), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    heading->setFont(bold);
    heading->setWordWrap(true);
    heading->setObjectName("heading");
    auto* text = new QLabel(Text(message.Text), this);
    text->setWordWrap(true);
    text->setObjectName("text");
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* column = new QVBoxLayout;
    column->addWidget(heading);
    column->addWidget(text);
    if (!message.List.empty()) {
        auto* caption = new QLabel(Text(message.ListCaption), this);
        caption->setWordWrap(true);
        column->addSpacing(6);
        column->addWidget(caption);
        auto* list = new QListWidget(this);
        list->setObjectName("list");
        for (const std::string& line : message.List) list->addItem(Text(line));
        // As wide as its longest line and as tall as its lines, within limits; beyond
        // them it scrolls, and room is left for the scroll bar.
        const int frame = 2 * list->frameWidth() + 4;
        const int wide = list->sizeHintForColumn(0) + frame;
        const int width = std::min(wide, 860);
        list->setMinimumWidth(width);
        const int rows = std::min(8, list->count());
        int height = list->sizeHintForRow(0) * rows + frame;
        if (wide > width) height += list->horizontalScrollBar()->sizeHint().height();
        list->setFixedHeight(height);
        column->addWidget(list);
    }
    if (!message.After.empty()) {
        auto* after = new QLabel(Text(message.After), this);
        after->setWordWrap(true);
        after->setObjectName("after");
        column->addWidget(after);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(8);
    row->addLayout(column, 1);

    auto* buttons = new QDialogButtonBox(this);
    if (message.Kind == MessageKind::Question) {
        // No is the answer Enter gives, and where the focus starts: a key pressed by
        // accident removes nothing. (A focused push button would otherwise take Enter.)
        buttons->addButton(QDialogButtonBox::Yes)->setAutoDefault(false);
        QPushButton* no = buttons->addButton(QDialogButtonBox::No);
        no->setDefault(true);
        no->setFocus();
    } else {
        buttons->addButton(QDialogButtonBox::Ok)->setDefault(true);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(480);
}

bool ShowMessage(const Message& message)
{
    UninstallDialog d(message);
    return d.exec() == QDialog::Accepted;
}

}  // namespace uninstall
