#include "product/engine/Geometry.h"

#include <algorithm>
#include <numbers>

namespace tsly {

Point Polar(double degrees)
{
    const double r = degrees * std::numbers::pi / 180.0;
    return {std::cos(r), std::sin(r)};
}

Box BoundsOf(const Polygon& p)
{
    Box b{p[0].x, p[0].y, p[0].x, p[0].y};
    for (const Point& q : p) {
        b.x0 = std::min(b.x0, q.x);
        b.y0 = std::min(b.y0, q.y);
        b.x1 = std::max(b.x1, q.x);
        b.y1 = std::max(b.y1, q.y);
    }
    return b;
}

double Area(const Polygon& p)
{
    // Relative to the first vertex, so that tiles far from the origin keep their digits.
    double a = 0;
    for (size_t i = 1; i + 1 < p.size(); ++i) a += Cross(p[i] - p[0], p[i + 1] - p[0]);
    return a / 2;
}

Point Centroid(const Polygon& p)
{
    // Vertex average: exact for the regular polygons and triangles the tilings use,
    // and always inside a convex polygon.
    Point c;
    for (const Point& q : p) c = c + q;
    return (1.0 / static_cast<double>(p.size())) * c;
}

Polygon Translated(const Polygon& p, Point by)
{
    Polygon r(p);
    for (Point& q : r) q = q + by;
    return r;
}

Polygon RegularPolygon(int n, Point centre, double firstVertexDegrees)
{
    const double radius = 0.5 / std::sin(std::numbers::pi / n);
    Polygon p;
    for (int k = 0; k < n; ++k) p.push_back(centre + radius * Polar(firstVertexDegrees + 360.0 * k / n));
    return p;
}

namespace {

// The unit normal pointing to the right of a -> b, which is the outside of a
// counter-clockwise polygon.
Point OutwardNormal(Point a, Point b)
{
    const Point d = b - a;
    const double len = Length(d);
    return {d.y / len, -d.x / len};
}

}  // namespace

Polygon TriangleOutside(Point a, Point b)
{
    const Point apex = 0.5 * (a + b) + (std::sqrt(3.0) / 2) * OutwardNormal(a, b);
    // Counter-clockwise: the shared edge runs b -> a in the new tile.
    return {b, a, apex};
}

Polygon SquareOutside(Point a, Point b)
{
    const Point n = OutwardNormal(a, b);
    return {b, a, a + n, b + n};
}

bool Overlaps(const Polygon& convex, const Box& box, double eps)
{
    // Separating axes: the rectangle's two axes and the polygon's edge normals.
    const Box pb = BoundsOf(convex);
    if (pb.x1 < box.x0 - eps || pb.x0 > box.x1 + eps || pb.y1 < box.y0 - eps || pb.y0 > box.y1 + eps) return false;
    const Point corners[4] = {{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};
    for (size_t i = 0; i < convex.size(); ++i) {
        const Point a = convex[i];
        const Point b = convex[(i + 1) % convex.size()];
        const Point n = OutwardNormal(a, b);
        // The polygon lies at or below Dot(n, a) along n; the box is separated when all
        // its corners lie beyond.
        const double limit = Dot(n, a) + eps;
        bool allBeyond = true;
        for (const Point& c : corners)
            if (Dot(n, c) <= limit) {
                allBeyond = false;
                break;
            }
        if (allBeyond) return false;
    }
    return true;
}

bool ContainsPoint(const Polygon& convex, Point p, double eps)
{
    for (size_t i = 0; i < convex.size(); ++i) {
        const Point a = convex[i];
        const Point b = convex[(i + 1) % convex.size()];
        if (Dot(OutwardNormal(a, b), p - a) > -eps) return false;
    }
    return true;
}

}  // namespace tsly
