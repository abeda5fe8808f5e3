// Pixel drawing for the pictures of this project: shapes decided pixel by pixel (every
// pixel whose centre lies inside a shape takes its colour, no blending), plus text
// through the platform's canvas. Deterministic, so the build draws the same bytes each
// time.
#pragma once

#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace art {

struct P2 {
    double x, y;
};

class Painter {
public:
    explicit Painter(TBitmap& b) : b_(b) {}
    TBitmap& Bitmap() { return b_; }
    void Fill(TColor c);
    void Pixel(int x, int y, TColor c);
    void Rect(int x0, int y0, int x1, int y1, TColor c);  // [x0, x1) x [y0, y1)
    void Disc(double cx, double cy, double r, TColor c);
    void Ellipse(double cx, double cy, double rx, double ry, TColor c);
    void Polygon(const std::vector<P2>& pts, TColor c);
    // A bar of half-width hw from a to b, with square ends.
    void Bar(P2 a, P2 b, double hw, TColor c);
    // Text with its cell's top-left corner at (x, y).
    void Text(int x, int y, const std::string& s, const std::string& font, int height, bool bold, bool italic,
              TColor c);
    // The width of a text in that font.
    int TextWidth(const std::string& s, const std::string& font, int height, bool bold, bool italic);

private:
    TBitmap& b_;
};

// Colour between a and b (t from 0 to 1), channel by channel, rounded.
TColor Mix(TColor a, TColor b, double t);

}  // namespace art
