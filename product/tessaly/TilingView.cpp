#include "product/tessaly/TilingView.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace tessaly {

TilingView::TilingView(const Engine& engine, QWidget* parent)
    : QWidget(parent), engine_(engine), settings_(PictureSettings::Defaults())
{
    setMinimumSize(200, 150);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TilingView::SetSettings(const PictureSettings& s)
{
    settings_ = s;
    settings_.Scale = std::clamp(settings_.Scale, kMinScale, kMaxScale);
    update();
    emit SettingsChanged();
}

void TilingView::ZoomBy(double factor) { ZoomBy(factor, QPointF(width() / 2.0, height() / 2.0)); }

void TilingView::ZoomBy(double factor, QPointF around)
{
    // The point of the plane under `around` stays where it is.
    const double old = settings_.Scale;
    const double scale = std::clamp(old * factor, kMinScale, kMaxScale);
    const QPointF offset(around.x() - width() / 2.0, height() / 2.0 - around.y());
    settings_.Centre += offset / old - offset / scale;
    settings_.Scale = scale;
    update();
    emit SettingsChanged();
}

void TilingView::ResetZoom()
{
    settings_.Scale = kDefaultScale;
    update();
    emit SettingsChanged();
}

void TilingView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const PaintResult r = PaintPicture(p, size(), engine_, settings_);
    shown_ = r.Tiles;
    if (r.TooMany) {
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter, tr("Too many tiles to draw at this size: zoom in."));
    }
    emit Painted(r.Tiles, r.TooMany);
}

void TilingView::wheelEvent(QWheelEvent* e)
{
    const int steps = e->angleDelta().y();
    if (steps == 0) return;
    if (e->modifiers() & Qt::ControlModifier) {
        ZoomBy(std::pow(1.2, steps / 120.0), e->position());
    } else {
        // Without Ctrl the wheel moves the picture up and down.
        settings_.Centre.ry() += steps / 120.0 * 40 / settings_.Scale;
        update();
        emit SettingsChanged();
    }
    e->accept();
}

void TilingView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    dragging_ = true;
    dragFrom_ = e->position();
    setCursor(Qt::ClosedHandCursor);
}

void TilingView::mouseMoveEvent(QMouseEvent* e)
{
    if (!dragging_) return;
    const QPointF d = e->position() - dragFrom_;
    dragFrom_ = e->position();
    settings_.Centre += QPointF(-d.x(), d.y()) / settings_.Scale;
    update();
}

void TilingView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    setCursor(Qt::OpenHandCursor);
    emit SettingsChanged();
}

}  // namespace tessaly
