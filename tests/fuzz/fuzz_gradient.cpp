// The vertical gradient's bands over arbitrary sizes, step counts and colours, and the colour
// resolution.
//
// Input: a scale byte (0, 1: sizes of a screen; 2: steps up to 512; 3: anything), width, height,
// steps, the start and end colours (three bytes each), then a 32-bit colour to resolve.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/fuzzInput.h"
#include "widgets/gradientMath.h"

namespace {

// 2 x |value x den - num| <= den, ties to the even value: value is num / den rounded
// half to even.
bool IsRoundedHalfEven(int64_t value, int64_t num, int64_t den) {
    const int64_t twice = 2 * (value * den - num);
    const int64_t distance = twice < 0 ? -twice : twice;
    if (distance > den) return false;
    if (distance == den) return value % 2 == 0;
    return true;
}

uint8_t Channel(const TRgb& c, int k) { return k == 0 ? c.R : (k == 1 ? c.G : c.B); }

void CheckBands(int32_t width, int32_t height, uint16_t steps, TRgb start, TRgb end) {
    const std::vector<TGradientBand> bands = ComputeVerticalBands(width, height, steps, start, end);
    if (width <= 0 || height <= 0) {
        FUZZ_CHECK(bands.empty());
        return;
    }
    int64_t s = steps == 0 ? 1 : steps;
    if (s > height) s = height;
    FUZZ_CHECK(static_cast<int64_t>(bands.size()) == s + 1);

    // The visible bands cover rows 0 .. height - 1 once each, in order; the extra band starts
    // at height.
    FUZZ_CHECK(bands.front().FirstRow == 0);
    FUZZ_CHECK(bands.back().FirstRow == height);
    const int64_t low = height / s;
    const int64_t high = low + (height % s != 0 ? 1 : 0);
    for (int64_t i = 0; i < s; ++i) {
        const TGradientBand& b = bands[static_cast<size_t>(i)];
        FUZZ_CHECK(b.EndRow == bands[static_cast<size_t>(i + 1)].FirstRow);
        const int64_t rows = int64_t{b.EndRow} - b.FirstRow;
        FUZZ_CHECK(rows >= 1);
        FUZZ_CHECK(rows == low || rows == high);
        FUZZ_CHECK(IsRoundedHalfEven(b.FirstRow, i * int64_t{height}, s));
    }

    // Colours: the start colour first, then each channel moves monotonically towards the end
    // colour, never past it, at the rounded linear value.
    FUZZ_CHECK(bands.front().Color.R == start.R && bands.front().Color.G == start.G &&
               bands.front().Color.B == start.B);
    for (int k = 0; k < 3; ++k) {
        const int64_t from = Channel(start, k);
        const int64_t to = Channel(end, k);
        const int64_t lo = from < to ? from : to;
        const int64_t hi = from < to ? to : from;
        int64_t previous = from;
        for (int64_t i = 0; i <= s; ++i) {
            const int64_t c = Channel(bands[static_cast<size_t>(i)].Color, k);
            FUZZ_CHECK(c >= lo && c <= hi);
            FUZZ_CHECK(to >= from ? c >= previous : c <= previous);
            FUZZ_CHECK(IsRoundedHalfEven(c, from * s + i * (to - from), s));
            previous = c;
        }
        FUZZ_CHECK(Channel(bands.back().Color, k) == to);
    }
}

int LastSysIndex = -1;

TRgb SysColor(int index) {
    LastSysIndex = index;
    return TRgb{1, 2, 3};
}

void CheckResolve(int32_t color) {
    LastSysIndex = -1;
    const TRgb c = ResolveColor(color, &SysColor);
    const uint32_t bits = static_cast<uint32_t>(color);
    if (color < 0) {
        FUZZ_CHECK(LastSysIndex == static_cast<int>(bits & 0xFF));
        FUZZ_CHECK(c.R == 1 && c.G == 2 && c.B == 3);
        const TRgb none = ResolveColor(color, nullptr);
        FUZZ_CHECK(none.R == 0 && none.G == 0 && none.B == 0);
    } else {
        FUZZ_CHECK(LastSysIndex == -1);
        FUZZ_CHECK(c.R == (bits & 0xFF) && c.G == ((bits >> 8) & 0xFF) && c.B == ((bits >> 16) & 0xFF));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    // Mostly sizes of a screen, so that runs stay quick; sometimes anything.
    const int scale = in.Byte() % 4;
    int32_t width = in.I32();
    int32_t height = in.I32();
    uint16_t steps = in.U16();
    if (scale < 2) {
        width = static_cast<int32_t>(static_cast<uint32_t>(width) % 2049) - 1;
        height = static_cast<int32_t>(static_cast<uint32_t>(height) % 1281) - 1;
    } else if (scale == 2) {
        steps = static_cast<uint16_t>(steps % 513);
    }
    TRgb start{in.Byte(), in.Byte(), in.Byte()};
    TRgb end{in.Byte(), in.Byte(), in.Byte()};
    CheckBands(width, height, steps, start, end);
    CheckResolve(in.I32());
    return 0;
}
