#include "platform/graphics/ShapeFill.h"

#include <algorithm>
#include <cmath>

void FillEllipse(TCanvas& Canvas, double CX, double CY, double RX, double RY, TColor Color)
{
    if (RX <= 0 || RY <= 0) return;
    for (int y = int(std::floor(CY - RY)); y <= int(std::ceil(CY + RY)); ++y)
        for (int x = int(std::floor(CX - RX)); x <= int(std::ceil(CX + RX)); ++x) {
            double dx = (x + 0.5 - CX) / RX, dy = (y + 0.5 - CY) / RY;
            if (dx * dx + dy * dy <= 1.0) Canvas.SetPixel(x, y, Color);
        }
}

void FillPolygon(TCanvas& Canvas, const std::vector<TPointF>& Points, TColor Color)
{
    if (Points.size() < 3) return;
    double minY = Points[0].Y, maxY = Points[0].Y, minX = Points[0].X, maxX = Points[0].X;
    for (const TPointF& p : Points) {
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
        minX = std::min(minX, p.X);
        maxX = std::max(maxX, p.X);
    }
    for (int y = int(std::floor(minY)); y <= int(std::ceil(maxY)); ++y)
        for (int x = int(std::floor(minX)); x <= int(std::ceil(maxX)); ++x) {
            double px = x + 0.5, py = y + 0.5;
            bool inside = false;
            for (size_t i = 0, j = Points.size() - 1; i < Points.size(); j = i++) {
                const TPointF &a = Points[i], &b = Points[j];
                if ((a.Y > py) != (b.Y > py) && px < (b.X - a.X) * (py - a.Y) / (b.Y - a.Y) + a.X) inside = !inside;
            }
            if (inside) Canvas.SetPixel(x, y, Color);
        }
}
