// Tessaly's main window: the picture, the tiling and colour controls above it, the
// menus File, View and Help, and a status line.
#pragma once

#include <string>
#include <vector>

#include <QMainWindow>

#include "product/tessaly/Picture.h"

class QAction;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QToolButton;

namespace tessaly {

class TilingView;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // helpFile: host path of tessaly.hlp.
    MainWindow(const Engine& engine, std::string helpFile, QWidget* parent = nullptr);

    TilingView* View() const { return view_; }
    void SelectTiling(int tiling);
    void SetColouring(Colouring mode);

public slots:
    void ExportPictureAs();
    void ShowHelp();
    void ShowAbout();

private:
    void BuildMenus();
    void BuildControls();
    void RefreshControls();
    void RefreshStatus();
    void PickColour(int index);
    void PickLineColour();

    const Engine& engine_;
    std::string helpFile_;
    TilingView* view_;
    QComboBox* tilings_ = nullptr;
    QComboBox* colouring_ = nullptr;
    std::vector<QToolButton*> swatches_;
    std::vector<QAction*> swatchActions_;  // a toolbar shows and hides widgets through these
    QToolButton* lines_ = nullptr;
    QDoubleSpinBox* width_ = nullptr;
    QLabel* status_ = nullptr;
    QString lastExportDir_;
};

}  // namespace tessaly
