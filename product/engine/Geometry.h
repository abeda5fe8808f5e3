// Plane geometry for the tiling engine: points, convex polygons and the overlap test
// between a convex polygon and an axis-aligned rectangle.
//
// Polygons are convex and counter-clockwise (y up). Every tile of every tiling is, so
// the separating-axis test below is exact for them.
#pragma once

#include <cmath>
#include <vector>

namespace tsly {

struct Point {
    double x = 0, y = 0;
};

inline Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
inline Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
inline Point operator*(double k, Point a) { return {k * a.x, k * a.y}; }
inline double Cross(Point a, Point b) { return a.x * b.y - a.y * b.x; }
inline double Dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
inline double Length(Point a) { return std::hypot(a.x, a.y); }
// The unit vector at an angle in degrees.
Point Polar(double degrees);

using Polygon = std::vector<Point>;

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

Box BoundsOf(const Polygon& p);
Point Centroid(const Polygon& p);
// Signed area: positive for counter-clockwise.
double Area(const Polygon& p);
Polygon Translated(const Polygon& p, Point by);

// A regular n-gon with unit edges around a centre, its first vertex at an angle (degrees).
Polygon RegularPolygon(int n, Point centre, double firstVertexDegrees);
// The equilateral triangle with unit edges standing on the edge a -> b of a
// counter-clockwise polygon, on the outside (the right of a -> b).
Polygon TriangleOutside(Point a, Point b);
// The unit square standing outside on the edge a -> b of a counter-clockwise polygon.
Polygon SquareOutside(Point a, Point b);

// True when the convex polygon and the closed rectangle share a point, allowing for a
// tolerance of eps: touching along an edge or at a corner counts only when eps >= 0
// widens it; a negative eps demands an overlap of at least |eps|.
bool Overlaps(const Polygon& convex, const Box& box, double eps);
// True when the point lies inside the convex polygon, at least eps from its boundary.
bool ContainsPoint(const Polygon& convex, Point p, double eps);

}  // namespace tsly
