// Filled shapes decided pixel by pixel: every pixel whose centre lies inside the shape
// takes the colour, nothing is blended, so the result is the same in colour and in
// monochrome bitmaps and the same on every run (for pictures drawn by programs).
#pragma once

#include <vector>

#include "platform/graphics/Canvas.h"

struct TPointF {
    double X = 0, Y = 0;
};

// The ellipse of centre (CX, CY) and radii RX, RY (a disc when they are equal).
void FillEllipse(TCanvas& Canvas, double CX, double CY, double RX, double RY, TColor Color);
// The polygon through Points, inside by the even-odd rule.
void FillPolygon(TCanvas& Canvas, const std::vector<TPointF>& Points, TColor Color);
