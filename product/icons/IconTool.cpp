// Draws the icons of Tessaly's programs as PNG files, so that the pictures come from
// this source and nowhere else:
//
//   tessaly_icon_tool tessaly <file.png>     the program: three hexagons meeting at a corner
//   tessaly_icon_tool uninstall <file.png>   the same, with a red disc and a minus bar
//
// Shapes only, no text, so no fonts and no display are needed.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

constexpr int kSize = 64;

QPointF Polar(QPointF c, double r, double degrees)
{
    const double a = degrees * std::numbers::pi / 180;
    return c + QPointF(r * std::cos(a), -r * std::sin(a));
}

// Three hexagons around one corner, as in the hexagon tiling, on a rounded blue square.
void DrawHexagons(QPainter& p, QRectF box)
{
    const double edge = box.width() * 0.245;
    // The cluster reaches 2 edges above the shared corner and 1.5 below.
    const QPointF corner = box.center() + QPointF(0, edge * 0.25);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2E, 0x6F, 0x95));
    p.drawRoundedRect(box, box.width() * 0.18, box.width() * 0.18);

    QPen line(QColor(0x26, 0x2B, 0x33), box.width() / 32.0);
    line.setJoinStyle(Qt::RoundJoin);
    p.setPen(line);
    const QColor fills[3] = {QColor(0xF2, 0xC1, 0x4E), QColor(0xE0, 0x7A, 0x5F), QColor(0x81, 0xB2, 0x9A)};
    for (int k = 0; k < 3; ++k) {
        const double towards = 90 + 120 * k;
        const QPointF centre = Polar(corner, edge, towards);
        QPolygonF hex;
        for (int j = 0; j < 6; ++j) hex << Polar(centre, edge, towards + 180 + 60 * j);
        p.setBrush(fills[k]);
        p.drawPolygon(hex);
    }
}

void DrawCrossOut(QPainter& p, QRectF box)
{
    const double r = box.width() * 0.22;
    const QPointF c(box.right() - r - 1, box.bottom() - r - 1);
    p.setPen(QPen(Qt::white, box.width() / 32.0));
    p.setBrush(QColor(0xC6, 0x28, 0x28));
    p.drawEllipse(c, r, r);
    QPen bar(Qt::white, box.width() / 12.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(bar);
    p.drawLine(c + QPointF(-r * 0.5, 0), c + QPointF(r * 0.5, 0));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "tessaly") != 0 && std::strcmp(argv[1], "uninstall") != 0)) {
        std::fprintf(stderr, "usage: %s tessaly|uninstall <file.png>\n", argv[0]);
        return 2;
    }
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box(1, 1, kSize - 2, kSize - 2);
        DrawHexagons(p, box);
        if (std::strcmp(argv[1], "uninstall") == 0) DrawCrossOut(p, box);
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
