#include "resources/art/Painter.h"

#include <algorithm>
#include <cmath>

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
    for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
        for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) Pixel(x, y, c);
        }
}

void Painter::Polygon(const std::vector<P2>& pts, TColor c)
{
    if (pts.size() < 3) return;
    double minY = pts[0].y, maxY = pts[0].y, minX = pts[0].x, maxX = pts[0].x;
    for (auto p : pts) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
    }
    for (int y = int(std::floor(minY)); y <= int(std::ceil(maxY)); ++y)
        for (int x = int(std::floor(minX)); x <= int(std::ceil(maxX)); ++x) {
            // Even-odd rule at the pixel centre.
            double px = x + 0.5, py = y + 0.5;
            bool inside = false;
            for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                const P2 &a = pts[i], &b = pts[j];
                if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) inside = !inside;
            }
            if (inside) Pixel(x, y, c);
        }
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
