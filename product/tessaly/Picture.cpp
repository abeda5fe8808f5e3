#include "product/tessaly/Picture.h"

#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QObject>
#include <QPolygonF>

#include "product/tessaly/Engine.h"

namespace tessaly {

namespace {

// At most this many tiles are asked for; at the smallest zoom on a large screen a
// picture holds a few hundred thousand.
constexpr size_t kMaxTiles = 2'000'000;

}  // namespace

PictureSettings PictureSettings::Defaults()
{
    PictureSettings s;
    s.ShapeFills = {QColor(0x2E, 0x6F, 0x95), QColor(0xF2, 0xC1, 0x4E), QColor(0xE0, 0x7A, 0x5F), QColor(0x81, 0xB2, 0x9A)};
    s.ClassFills = {QColor(0xF4, 0xF1, 0xDE), QColor(0x3D, 0x5A, 0x80), QColor(0x98, 0xC1, 0xD9), QColor(0xEE, 0x6C, 0x4D)};
    s.Lines = QColor(0x26, 0x2B, 0x33);
    s.Scale = kDefaultScale;
    s.Tiling = 3;  // octagons and squares: two shapes, so the first picture has two colours
    return s;
}

PaintResult PaintPicture(QPainter& p, QSize size, const Engine& engine, const PictureSettings& s)
{
    PaintResult r;
    p.fillRect(QRect(QPoint(0, 0), size), s.Lines);
    const double halfW = size.width() / 2.0 / s.Scale, halfH = size.height() / 2.0 / s.Scale;
    std::vector<EngineTile> tiles;
    const int rc = engine.TilesIn(s.Tiling, s.Centre.x() - halfW, s.Centre.y() - halfH, s.Centre.x() + halfW,
                                  s.Centre.y() + halfH, kMaxTiles, tiles);
    if (rc != TSLY_OK) {
        r.TooMany = true;
        return r;
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(s.Lines, s.LineWidth);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(s.LineWidth > 0 ? pen : QPen(Qt::NoPen));
    const Fills& fills = s.CurrentFills();
    QPolygonF poly;
    for (const EngineTile& t : tiles) {
        const int index = s.Mode == Colouring::ByShape ? t.Shape : t.Colour;
        p.setBrush(fills[static_cast<size_t>(std::clamp(index, 0, kPaletteSize - 1))]);
        poly.clear();
        for (const tsly_point& v : t.Vertices)
            poly << QPointF(size.width() / 2.0 + (v.x - s.Centre.x()) * s.Scale,
                            size.height() / 2.0 - (v.y - s.Centre.y()) * s.Scale);
        p.drawPolygon(poly);
    }
    p.restore();
    r.Tiles = static_cast<int>(tiles.size());
    return r;
}

bool ExportPicture(const Engine& engine, const PictureSettings& s, QSize size, const QString& path, QString& error)
{
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter p(&image);
        if (PaintPicture(p, size, engine, s).TooMany) {
            error = QObject::tr("The picture holds too many tiles at this zoom.");
            return false;
        }
    }
    QImageWriter writer(path, "png");
    if (!writer.write(image)) {
        error = writer.errorString();
        return false;
    }
    return true;
}

}  // namespace tessaly
