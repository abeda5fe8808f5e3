#include "resources/art/Painter.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/ShapeFill.h"

namespace art {

void Painter::Fill(TColor c) { Rect(0, 0, b_.Width(), b_.Height(), c); }

void Painter::Pixel(int x, int y, TColor c)
{
    if (x >= 0 && y >= 0 && x < b_.Width() && y < b_.Height()) b_.ScanLine(y)[x] = ColorToPixel(ColorToRGB(c));
}

void Painter::Rect(int x0, int y0, int x1, int y1, TColor c)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) Pixel(x, y, c);
}

void Painter::Disc(double cx, double cy, double r, TColor c) { Ellipse(cx, cy, r, r, c); }

void Painter::Ellipse(double cx, double cy, double rx, double ry, TColor c)
{
    FillEllipse(*b_.Canvas(), cx, cy, rx, ry, c);
}

void Painter::Polygon(const std::vector<P2>& pts, TColor c)
{
    std::vector<TPointF> points;
    for (const P2& p : pts) points.push_back({p.x, p.y});
    FillPolygon(*b_.Canvas(), points, c);
}

void Painter::Bar(P2 a, P2 b, double hw, TColor c)
{
    double dx = b.x - a.x, dy = b.y - a.y, len = std::sqrt(dx * dx + dy * dy);
    if (len == 0) return;
    double nx = -dy / len * hw, ny = dx / len * hw;
    Polygon({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}}, c);
}

void Painter::Text(int x, int y, const std::string& s, const std::string& font, int height, bool bold, bool italic,
                   TColor c)
{
    TCanvas& cv = *b_.Canvas();
    cv.Font()->SetName(font);
    cv.Font()->SetHeight(-height);
    TFontStyles st;
    if (bold) st.Include(fsBold);
    if (italic) st.Include(fsItalic);
    cv.Font()->SetStyle(st);
    cv.Font()->SetColor(c);
    cv.Brush()->SetStyle(bsClear);
    cv.TextOut(x, y, s);
    cv.Brush()->SetStyle(bsSolid);
}

int Painter::TextWidth(const std::string& s, const std::string& font, int height, bool bold, bool italic)
{
    TCanvas& cv = *b_.Canvas();
    cv.Font()->SetName(font);
    cv.Font()->SetHeight(-height);
    TFontStyles st;
    if (bold) st.Include(fsBold);
    if (italic) st.Include(fsItalic);
    cv.Font()->SetStyle(st);
    return cv.TextWidth(s);
}

TColor Mix(TColor a, TColor b, double t)
{
    a = ColorToRGB(a);
    b = ColorToRGB(b);
    auto ch = [&](int shift) {
        double v = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        return int(std::lround(v)) & 0xFF;
    };
    return RGB(ch(0), ch(8), ch(16));
}

}  // namespace art
