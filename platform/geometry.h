// Rectangles, points and sizes in pixels, the same for the logic, the
// toolkit and the platform; free of any window system.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/numeric.h"

// Right and bottom exclusive.
struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

// The rectangle of a size at a place; edges beyond 32 bits are held there.
inline TRect RectAt(int32_t left, int32_t top, int32_t width, int32_t height) {
    return TRect{left, top, SaturateToInt32(int64_t{left} + width), SaturateToInt32(int64_t{top} + height)};
}

struct TPoint {
    int32_t X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int32_t Width = 0, Height = 0;
    bool operator==(const TSize&) const = default;
};

// What is left of from without holes: disjoint rectangles, none empty.
std::vector<TRect> SubtractRects(const TRect& from, const std::vector<TRect>& holes);
