#include "product/tessaly/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "product/tessaly/Engine.h"
#include "product/tessaly/HelpWindow.h"
#include "product/tessaly/TilingView.h"

namespace tessaly {

namespace {

QIcon Swatch(const QColor& c)
{
    QPixmap pm(22, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(c);
    p.drawRect(0, 0, 21, 15);
    return QIcon(pm);
}

}  // namespace

MainWindow::MainWindow(const Engine& engine, std::string helpFile, QWidget* parent)
    : QMainWindow(parent), engine_(engine), helpFile_(std::move(helpFile)), view_(new TilingView(engine, this))
{
    setWindowTitle(tr("Tessaly v1.1"));
    setCentralWidget(view_);
    BuildMenus();
    BuildControls();
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    connect(view_, &TilingView::SettingsChanged, this, &MainWindow::RefreshStatus);
    connect(view_, &TilingView::Painted, this, &MainWindow::RefreshStatus);
    lastExportDir_ = QDir::homePath();
    resize(960, 680);
    RefreshControls();
}

void MainWindow::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* exportAct = file->addAction(tr("&Export Picture..."), this, &MainWindow::ExportPictureAs);
    exportAct->setShortcut(QKeySequence(tr("Ctrl+E")));
    file->addSeparator();
    QAction* exitAct = file->addAction(tr("E&xit"), this, &QWidget::close);
    exitAct->setShortcut(QKeySequence::Quit);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    QAction* in = viewMenu->addAction(tr("Zoom &In"), this, [this] { view_->ZoomBy(1.25); });
    in->setShortcuts({QKeySequence::ZoomIn, QKeySequence(tr("Ctrl+="))});
    QAction* out = viewMenu->addAction(tr("Zoom &Out"), this, [this] { view_->ZoomBy(0.8); });
    out->setShortcut(QKeySequence::ZoomOut);
    QAction* actual = viewMenu->addAction(tr("&Actual Size"), this, [this] { view_->ResetZoom(); });
    actual->setShortcut(QKeySequence(tr("Ctrl+0")));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* contents = help->addAction(tr("Tessaly &Help"), this, &MainWindow::ShowHelp);
    contents->setShortcut(QKeySequence::HelpContents);
    help->addSeparator();
    help->addAction(tr("&About Tessaly"), this, &MainWindow::ShowAbout);
}

void MainWindow::BuildControls()
{
    QToolBar* bar = addToolBar(tr("Tiling"));
    bar->setMovable(false);
    bar->addWidget(new QLabel(tr(" Tiling: "), bar));
    tilings_ = new QComboBox(bar);
    for (int t = 0; t < engine_.TilingCount(); ++t)
        tilings_->addItem(QString::fromStdString(engine_.TilingName(t) + " (" + engine_.TilingSymbol(t) + ")"));
    bar->addWidget(tilings_);
    connect(tilings_, &QComboBox::currentIndexChanged, this, &MainWindow::SelectTiling);

    bar->addSeparator();
    bar->addWidget(new QLabel(tr(" Zoom: "), bar));
    bar->addAction(tr("Smaller"), this, [this] { view_->ZoomBy(0.8); })->setToolTip(tr("Zoom out (Ctrl+Minus)"));
    bar->addAction(tr("Larger"), this, [this] { view_->ZoomBy(1.25); })->setToolTip(tr("Zoom in (Ctrl+Plus)"));
    bar->addAction(tr("Actual size"), this, [this] { view_->ResetZoom(); })->setToolTip(tr("Ctrl+0"));

    // The colours on a row of their own: up to four fills do not fit beside the rest.
    addToolBarBreak();
    bar = addToolBar(tr("Colours"));
    bar->setMovable(false);
    bar->addWidget(new QLabel(tr(" Colours: "), bar));
    colouring_ = new QComboBox(bar);
    colouring_->addItem(tr("By shape"));
    colouring_->addItem(tr("Alternating"));
    bar->addWidget(colouring_);
    connect(colouring_, &QComboBox::currentIndexChanged, this,
            [this](int i) { SetColouring(i == 0 ? Colouring::ByShape : Colouring::Alternating); });
    for (int i = 0; i < kPaletteSize; ++i) {
        auto* b = new QToolButton(bar);
        connect(b, &QToolButton::clicked, this, [this, i] { PickColour(i); });
        swatches_.push_back(b);
        swatchActions_.push_back(bar->addWidget(b));
    }
    bar->addSeparator();
    bar->addWidget(new QLabel(tr(" Lines: "), bar));
    lines_ = new QToolButton(bar);
    lines_->setToolTip(tr("Colour of the lines between the tiles"));
    connect(lines_, &QToolButton::clicked, this, &MainWindow::PickLineColour);
    bar->addWidget(lines_);
    bar->addWidget(new QLabel(tr(" Line width: "), bar));
    width_ = new QDoubleSpinBox(bar);
    width_->setRange(0, 8);
    width_->setSingleStep(0.5);
    width_->setDecimals(1);
    bar->addWidget(width_);
    connect(width_, &QDoubleSpinBox::valueChanged, this, [this](double w) {
        PictureSettings s = view_->Settings();
        if (s.LineWidth == w) return;
        s.LineWidth = w;
        view_->SetSettings(s);
    });
    bar->addSeparator();
    auto* reset = new QPushButton(tr("Reset colours"), bar);
    connect(reset, &QPushButton::clicked, this, [this] {
        PictureSettings s = view_->Settings();
        const PictureSettings d = PictureSettings::Defaults();
        s.ShapeFills = d.ShapeFills;
        s.ClassFills = d.ClassFills;
        s.Lines = d.Lines;
        s.LineWidth = d.LineWidth;
        view_->SetSettings(s);
        RefreshControls();
    });
    bar->addWidget(reset);
}

void MainWindow::SelectTiling(int tiling)
{
    if (tiling < 0 || tiling >= engine_.TilingCount()) return;
    PictureSettings s = view_->Settings();
    s.Tiling = tiling;
    view_->SetSettings(s);
    RefreshControls();
}

void MainWindow::SetColouring(Colouring mode)
{
    PictureSettings s = view_->Settings();
    s.Mode = mode;
    view_->SetSettings(s);
    RefreshControls();
}

void MainWindow::RefreshControls()
{
    const PictureSettings& s = view_->Settings();
    const QSignalBlocker b1(tilings_), b2(colouring_), b3(width_);
    tilings_->setCurrentIndex(s.Tiling);
    colouring_->setCurrentIndex(s.Mode == Colouring::ByShape ? 0 : 1);
    width_->setValue(s.LineWidth);
    const int used = s.Mode == Colouring::ByShape ? engine_.ShapeCount(s.Tiling) : engine_.ColourCount(s.Tiling);
    for (int i = 0; i < kPaletteSize; ++i) {
        QToolButton* b = swatches_[static_cast<size_t>(i)];
        swatchActions_[static_cast<size_t>(i)]->setVisible(i < used);
        b->setIcon(Swatch(s.CurrentFills()[static_cast<size_t>(i)]));
        b->setToolTip(s.Mode == Colouring::ByShape
                          ? tr("Colour of every %1").arg(QString::fromStdString(engine_.ShapeName(s.Tiling, i)))
                          : tr("Colour %1 of the alternating colours").arg(i + 1));
    }
    lines_->setIcon(Swatch(s.Lines));
    RefreshStatus();
}

void MainWindow::RefreshStatus()
{
    const PictureSettings& s = view_->Settings();
    status_->setText(tr("%1 (%2)   -   %3 tiles in view   -   zoom %4%")
                         .arg(QString::fromStdString(engine_.TilingName(s.Tiling)),
                              QString::fromStdString(engine_.TilingSymbol(s.Tiling)))
                         .arg(view_->TilesShown())
                         .arg(qRound(s.Scale / kDefaultScale * 100)));
}

void MainWindow::PickColour(int index)
{
    PictureSettings s = view_->Settings();
    QColor& c = s.CurrentFills()[static_cast<size_t>(index)];
    const QColor chosen = QColorDialog::getColor(c, this, tr("Choose a colour"));
    if (!chosen.isValid()) return;
    c = chosen;
    view_->SetSettings(s);
    RefreshControls();
}

void MainWindow::PickLineColour()
{
    PictureSettings s = view_->Settings();
    const QColor chosen = QColorDialog::getColor(s.Lines, this, tr("Choose the colour of the lines"));
    if (!chosen.isValid()) return;
    s.Lines = chosen;
    view_->SetSettings(s);
    RefreshControls();
}

void MainWindow::ExportPictureAs()
{
    const QString suggested = QDir(lastExportDir_).filePath(
        QString::fromStdString(engine_.TilingName(view_->Settings().Tiling)).replace(", ", " ").replace(' ', '-').toLower() +
        ".png");
    QString path = QFileDialog::getSaveFileName(this, tr("Export Picture"), suggested, tr("PNG pictures (*.png)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(".png", Qt::CaseInsensitive)) path += ".png";
    lastExportDir_ = QFileInfo(path).absolutePath();
    QString error;
    if (!ExportPicture(engine_, view_->Settings(), view_->size(), path, error))
        QMessageBox::warning(this, tr("Export Picture"),
                             tr("Tessaly could not save the picture as\n%1\n\n%2").arg(QDir::toNativeSeparators(path), error));
    else
        statusBar()->showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(path)), 5000);
}

void MainWindow::ShowHelp()
{
    HelpDocument doc;
    std::string error;
    if (!LoadHelpFile(helpFile_, doc, error)) {
        QMessageBox::warning(this, tr("Tessaly Help"),
                             tr("The help file\n%1\ncannot be shown: %2\n\nInstall Tessaly v1.1 again to repair it.")
                                 .arg(QString::fromStdString(helpFile_), QString::fromStdString(error)));
        return;
    }
    auto* w = new HelpWindow(std::move(doc), this);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setObjectName("HelpWindow");
    w->show();
}

void MainWindow::ShowAbout()
{
    QMessageBox::about(this, tr("About Tessaly"),
                       tr("<h3>Tessaly v1.1</h3>"
                          "<p>A tiling designer by Corvane Works.</p>"
                          "<p>Version 1.1<br>Tiling engine tsly.dll %1, %2 tilings.</p>")
                           .arg(QString::fromStdString(engine_.Version()))
                           .arg(engine_.TilingCount()));
}

}  // namespace tessaly
