// Points, sizes and rectangles of the drawing layer.
//
// A rectangle is Left, Top, Right, Bottom; Right and Bottom are exclusive, so
// (0, 0, 8, 10) covers 8 x 10 pixels and a rectangle with Right <= Left or
// Bottom <= Top covers none.
#pragma once

#include <algorithm>
#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    // Extents as 64-bit values: Right - Left of two 32-bit coordinates can exceed 32 bits.
    int64_t Width() const { return int64_t(Right) - Left; }
    int64_t Height() const { return int64_t(Bottom) - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int32_t x, int32_t y) { return TPoint{x, y}; }
inline TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return TRect{l, t, r, b}; }
// A rectangle from its top-left corner and size.
inline TRect Bounds(int32_t l, int32_t t, int32_t w, int32_t h) { return TRect{l, t, l + w, t + h}; }

// The common part of two rectangles; empty (all zero) when they do not meet.
inline TRect IntersectRect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) return TRect{};
    return r;
}
