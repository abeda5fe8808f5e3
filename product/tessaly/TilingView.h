// The window's drawing area: paints the picture, zooms with Ctrl and the mouse wheel,
// moves the plane when dragged.
#pragma once

#include <QPoint>
#include <QWidget>

#include "product/tessaly/Picture.h"

namespace tessaly {

class TilingView : public QWidget {
    Q_OBJECT
public:
    TilingView(const Engine& engine, QWidget* parent = nullptr);

    const PictureSettings& Settings() const { return settings_; }
    void SetSettings(const PictureSettings& s);
    // Zooms by a factor around a point of the view (its centre when none is given).
    void ZoomBy(double factor);
    void ZoomBy(double factor, QPointF around);
    void ResetZoom();
    // Tiles in the last painted picture.
    int TilesShown() const { return shown_; }

signals:
    void SettingsChanged();
    void Painted(int tiles, bool tooMany);

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    const Engine& engine_;
    PictureSettings settings_;
    bool dragging_ = false;
    QPointF dragFrom_;
    int shown_ = 0;
};

}  // namespace tessaly
