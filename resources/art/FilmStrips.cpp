#include "resources/art/FilmStrips.h"

#include <cmath>

#include "resources/art/Painter.h"

namespace art {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr TColor kFace = RGB(192, 192, 192);

// A speech bubble: a white disc with a black rim and a tail to the lower left.
void Bubble(Painter& p, int ox)
{
    p.Polygon({{ox + 5.0, 31.5}, {ox + 9.0, 20.0}, {ox + 15.0, 24.0}}, clBlack);
    p.Disc(ox + 17.0, 14.0, 13.5, clBlack);
    p.Polygon({{ox + 6.5, 29.5}, {ox + 10.0, 20.5}, {ox + 14.0, 23.0}}, clWhite);
    p.Disc(ox + 17.0, 14.0, 12.5, clWhite);
}

}  // namespace

void DrawExclamStrip(TBitmap& Out)
{
    const int n = 7;
    Out.SetSize(32 * n, 32);
    Painter p(Out);
    p.Fill(kFace);
    for (int i = 0; i < n; ++i) {
        int ox = 32 * i;
        // The fill swells from yellow to a warm orange and back.
        double glow = 0.5 - 0.5 * std::cos(2 * kPi * i / n);
        p.Polygon({{ox + 16.0, 0.5}, {ox + 31.5, 30.5}, {ox + 0.5, 30.5}}, clBlack);
        p.Polygon({{ox + 16.0, 3.0}, {ox + 29.0, 29.0}, {ox + 3.0, 29.0}}, Mix(RGB(255, 255, 0), RGB(255, 160, 0), glow));
        // The mark: a bar and a dot, the bar growing a little with the glow.
        int top = 10 - int(std::lround(glow * 2));
        p.Polygon({{ox + 14.0, double(top)}, {ox + 18.0, double(top)}, {ox + 17.0, 22.0}, {ox + 15.0, 22.0}}, clBlack);
        p.Disc(ox + 16.0, 25.5, 1.8, clBlack);
    }
}

void DrawErrorStrip(TBitmap& Out)
{
    const int n = 8;
    Out.SetSize(32 * n, 32);
    Painter p(Out);
    p.Fill(kFace);
    for (int i = 0; i < n; ++i) {
        int ox = 32 * i;
        p.Disc(ox + 16.0, 16.0, 15.5, RGB(128, 0, 0));
        p.Disc(ox + 16.0, 16.0, 14.5, RGB(255, 0, 0));
        // A cross turning by an eighth of a right angle each frame: after eight frames it
        // looks as at the start.
        double a = kPi / 4 + (kPi / 2) * i / n;
        for (int k = 0; k < 2; ++k) {
            double t = a + k * kPi / 2;
            double dx = std::cos(t) * 8.5, dy = std::sin(t) * 8.5;
            p.Bar({ox + 16.0 - dx, 16.0 - dy}, {ox + 16.0 + dx, 16.0 + dy}, 2.0, clWhite);
        }
    }
}

void DrawInformStrip(TBitmap& Out)
{
    const int n = 6;
    Out.SetSize(32 * n, 32);
    Painter p(Out);
    p.Fill(kFace);
    const int hop[n] = {0, 1, 2, 3, 2, 1};
    for (int i = 0; i < n; ++i) {
        int ox = 32 * i;
        Bubble(p, ox);
        TColor blue = RGB(0, 0, 255);
        // The stem stays, the dot hops.
        p.Rect(ox + 15, 12, ox + 20, 23, blue);
        p.Rect(ox + 13, 12, ox + 15, 14, blue);
        p.Rect(ox + 13, 21, ox + 22, 23, blue);
        p.Disc(ox + 17.5, 8.0 - hop[i], 2.4, blue);
    }
}

void DrawInterrStrip(TBitmap& Out)
{
    const int n = 5;
    Out.SetSize(32 * n, 32);
    Painter p(Out);
    p.Fill(kFace);
    for (int i = 0; i < n; ++i) {
        int ox = 32 * i;
        Bubble(p, ox);
        int shift = int(std::lround(2 * std::sin(2 * kPi * i / n)));
        int w = p.TextWidth("?", "Times New Roman", 22, true, false);
        p.Text(ox + 17 - w / 2 + shift, 2, "?", "Times New Roman", 22, true, false, RGB(0, 0, 255));
    }
}

}  // namespace art
