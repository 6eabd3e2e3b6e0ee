// Band layout and colour resolution of the vertical gradient strip.
#pragma once

#include <cstdint>
#include <vector>

struct TRgb {
    uint8_t R, G, B;
};

struct TGradientBand {
    int32_t FirstRow;
    int32_t EndRow;  // exclusive
    TRgb Color;
};

// The s + 1 bands of a vertical gradient over a width x height area, top to bottom, where
// s = steps limited to 1..height. The last band starts at row height and so lies outside the
// area; callers clip to the area. Empty when width or height is not positive.
std::vector<TGradientBand> ComputeVerticalBands(int32_t width, int32_t height, uint16_t steps, TRgb start, TRgb end);

// A negative colour names the system colour whose index is its low byte (looked up through
// sysColor); any other value holds red, green and blue in its three low bytes.
TRgb ResolveColor(int32_t color, TRgb (*sysColor)(int index));
