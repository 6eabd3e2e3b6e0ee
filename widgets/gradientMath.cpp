#include "gradientMath.h"

#include <algorithm>
#include <limits>

#include "platform/numeric.h"

namespace {

// num / den rounded to the nearest integer, an exact half going to the even neighbour.
// Integer arithmetic keeps the halves exact (i * H / s lands on .5 in practice).
int64_t RoundRatioHalfEven(int64_t num, int64_t den) {
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) {
        r += den;
        q -= 1;
    }
    const int64_t twice = 2 * r;
    if (twice > den || (twice == den && (q % 2) != 0)) q += 1;
    return q;
}

uint8_t ChannelAt(uint8_t from, uint8_t to, int64_t i, int64_t s) {
    // from + i * (to - from) / s, kept as one fraction over s.
    const int64_t num = static_cast<int64_t>(from) * s + i * (static_cast<int64_t>(to) - from);
    const int64_t v = RoundRatioHalfEven(num, s);
    return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255));
}

}  // namespace

std::vector<TGradientBand> ComputeVerticalBands(int32_t width, int32_t height, uint16_t steps, TRgb start, TRgb end) {
    std::vector<TGradientBand> bands;
    if (width <= 0 || height <= 0) return bands;

    int64_t s = steps;
    if (s > height) s = height;
    if (s == 0) s = 1;

    const int64_t h = height;
    bands.reserve(static_cast<size_t>(s) + 1);
    for (int64_t i = 0; i <= s; ++i) {
        TGradientBand band;
        band.FirstRow = SaturateToInt32(RoundRatioHalfEven(i * h, s));
        band.EndRow = SaturateToInt32(RoundRatioHalfEven((i + 1) * h, s));
        band.Color.R = ChannelAt(start.R, end.R, i, s);
        band.Color.G = ChannelAt(start.G, end.G, i, s);
        band.Color.B = ChannelAt(start.B, end.B, i, s);
        bands.push_back(band);
    }
    return bands;
}

TRgb ResolveColor(int32_t color, TRgb (*sysColor)(int index)) {
    if (color < 0) {
        if (sysColor == nullptr) return TRgb{0, 0, 0};
        return sysColor(static_cast<int>(static_cast<uint32_t>(color) & 0xFFu));
    }
    const uint32_t c = static_cast<uint32_t>(color);
    return TRgb{static_cast<uint8_t>(c & 0xFFu), static_cast<uint8_t>((c >> 8) & 0xFFu),
                static_cast<uint8_t>((c >> 16) & 0xFFu)};
}
