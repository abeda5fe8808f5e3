#include "resources/art/SetupPictures.h"

#include <algorithm>
#include <cmath>

#include "resources/art/Painter.h"

namespace art {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr TColor kKey = RGB(255, 0, 255);

// The emblem drawn at (ox, oy) on a painter, inside 32 x 32.
void Emblem(Painter& p, int ox, int oy)
{
    auto P = [&](double x, double y) { return P2{ox + x, oy + y}; };
    // The box: front, side and an open lid, edged in black.
    p.Polygon({P(3, 12), P(21, 12), P(21, 31), P(3, 31)}, clBlack);
    p.Polygon({P(21, 12), P(30, 7), P(30, 26), P(21, 31)}, clBlack);
    p.Polygon({P(4, 13), P(20, 13), P(20, 30), P(4, 30)}, RGB(0, 128, 128));
    p.Polygon({P(22, 13), P(29, 9), P(29, 25), P(22, 29)}, RGB(0, 96, 96));
    // The front is a little tiling of triangles in the product's colours.
    const TColor tiles[4] = {RGB(0, 128, 255), RGB(255, 255, 0), RGB(0, 192, 192), RGB(255, 255, 255)};
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col) {
            double x = 4 + col * 4, y = 13 + row * 8.5;
            p.Polygon({P(x, y + 8.5), P(x + 4, y + 8.5), P(x + 2, y)}, tiles[(row + col) % 4]);
            p.Polygon({P(x + 2, y), P(x + 6, y), P(x + 4, y + 8.5)}, tiles[(row + col + 2) % 4]);
        }
    // The lid flaps.
    p.Polygon({P(3, 12), P(21, 12), P(14, 6), P(0, 6)}, clBlack);
    p.Polygon({P(4, 11), P(19, 11), P(13, 7), P(2, 7)}, RGB(0, 160, 160));
    // The arrow into the box.
    p.Polygon({P(13, 0), P(21, 0), P(21, 6), P(25, 6), P(17, 13), P(9, 6), P(13, 6)}, clBlack);
    p.Polygon({P(14, 1), P(20, 1), P(20, 7), P(23, 7), P(17, 12), P(11, 7), P(14, 7)}, RGB(255, 255, 0));
}

}  // namespace

void DrawSetupIcon(TBitmap& Image, TBitmap& Mask)
{
    Image.SetSize(32, 32);
    Painter p(Image);
    p.Fill(kKey);
    Emblem(p, 0, 0);
    Mask.SetSize(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            bool clear = Image.ScanLine(y)[x] == ColorToPixel(kKey);
            Mask.ScanLine(y)[x] = clear ? 0xFFFFFFu : 0u;
            if (clear) Image.ScanLine(y)[x] = 0;
        }
}

void DrawWizardPicture(TBitmap& Out)
{
    const int w = 118, h = 258;
    Out.SetSize(w, h);
    Painter p(Out);
    // Pointy-top hexagons of radius r, shading from (0, 128, 255) at the top to teal at
    // the bottom, alternate rows a little lighter.
    const double r = 9.5, hw = r * std::sqrt(3.0) / 2;
    p.Fill(RGB(0, 64, 96));
    for (int row = -1; row * r * 1.5 < h + r; ++row)
        for (int col = -1; col * 2 * hw < w + 2 * hw; ++col) {
            double cx = col * 2 * hw + (row & 1 ? hw : 0), cy = row * r * 1.5;
            double t = std::clamp(cy / h, 0.0, 1.0);
            TColor base = Mix(RGB(0, 128, 255), RGB(0, 128, 128), t);
            if ((row + col) % 3 == 0) base = Mix(base, clWhite, 0.18);
            std::vector<P2> hex;
            for (int k = 0; k < 6; ++k) {
                double a = kPi / 6 + k * kPi / 3;
                hex.push_back({cx + (r - 1) * std::cos(a), cy + (r - 1) * std::sin(a)});
            }
            p.Polygon(hex, base);
        }
    // The box, four times the emblem's size, near the bottom.
    TBitmap icon, mask;
    DrawSetupIcon(icon, mask);
    const int scale = 3, left = (w - 32 * scale) / 2, top = h - 32 * scale - 14;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (!mask.ScanLine(y)[x])
                p.Rect(left + x * scale, top + y * scale, left + (x + 1) * scale, top + (y + 1) * scale,
                       PixelToColor(icon.ScanLine(y)[x]));
    // The product's name across the top.
    int tw = p.TextWidth("Tessaly", "Times New Roman", 30, true, true);
    p.Text((w - tw) / 2 + 2, 18, "Tessaly", "Times New Roman", 30, true, true, clNavy);
    p.Text((w - tw) / 2, 16, "Tessaly", "Times New Roman", 30, true, true, clWhite);
    int vw = p.TextWidth("version 1.1", "Arial", 12, true, false);
    p.Text((w - vw) / 2, 52, "version 1.1", "Arial", 12, true, false, clWhite);
}

void DrawNewFolderGlyph(TBitmap& Out)
{
    Out.SetSize(32, 16);
    Painter p(Out);
    p.Fill(kKey);
    for (int state = 0; state < 2; ++state) {
        int ox = 16 * state;
        bool disabled = state == 1;
        TColor edge = disabled ? RGB(128, 128, 128) : RGB(128, 128, 0);
        TColor body = disabled ? RGB(192, 192, 192) : RGB(255, 255, 0);
        if (disabled) {
            // The embossed look of a disabled picture: a white copy one pixel down right.
            p.Rect(ox + 2, 5, ox + 13, 15, clWhite);
        }
        p.Rect(ox + 1, 4, ox + 12, 14, edge);
        p.Rect(ox + 1, 3, ox + 6, 4, edge);
        p.Rect(ox + 2, 5, ox + 11, 13, body);
        // A star: the new one.
        TColor star = disabled ? RGB(128, 128, 128) : RGB(255, 0, 0);
        std::vector<P2> pts;
        for (int k = 0; k < 10; ++k) {
            double a = -kPi / 2 + k * kPi / 5, rr = k % 2 ? 1.6 : 4.0;
            pts.push_back({ox + 11.5 + rr * std::cos(a), 4.5 + rr * std::sin(a)});
        }
        p.Polygon(pts, star);
    }
}

}  // namespace art
