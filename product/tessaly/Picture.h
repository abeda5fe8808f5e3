// What Tessaly draws, independent of any window: a tiling, its colours and the part of
// the plane in view, painted onto any QPainter (the window, an exported image).
#pragma once

#include <array>

#include <QColor>
#include <QPointF>
#include <QSize>
#include <QString>

class QPainter;

namespace tessaly {

class Engine;

enum class Colouring { ByShape, Alternating };

// Colours of one colouring: up to four fills, indexed by shape or by colour class.
constexpr int kPaletteSize = 4;
using Fills = std::array<QColor, kPaletteSize>;

struct PictureSettings {
    int Tiling = 0;
    Colouring Mode = Colouring::ByShape;
    Fills ShapeFills;
    Fills ClassFills;
    QColor Lines;
    double LineWidth = 1.5;  // pixels
    double Scale = 48;       // pixels per edge
    QPointF Centre;          // the point of the plane at the middle of the picture

    static PictureSettings Defaults();
    const Fills& CurrentFills() const { return Mode == Colouring::ByShape ? ShapeFills : ClassFills; }
    Fills& CurrentFills() { return Mode == Colouring::ByShape ? ShapeFills : ClassFills; }
};

// Zoom limits: below the smallest scale a large window would hold too many tiles.
constexpr double kMinScale = 6;
constexpr double kMaxScale = 600;
constexpr double kDefaultScale = 48;

struct PaintResult {
    int Tiles = 0;
    bool TooMany = false;  // the engine refused: nothing but the background was drawn
};

// Paints the picture over the whole rectangle (0, 0, size). The plane's y axis points up.
PaintResult PaintPicture(QPainter& p, QSize size, const Engine& engine, const PictureSettings& s);

// Saves the picture at a size as a PNG file (host path). On failure returns false
// with the reason.
bool ExportPicture(const Engine& engine, const PictureSettings& s, QSize size, const QString& path, QString& error);

}  // namespace tessaly
