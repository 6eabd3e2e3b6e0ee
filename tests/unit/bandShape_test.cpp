#include "src/bandShape.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

namespace {

using Rects = std::vector<TRect>;

struct TClampCase {
    int32_t Rows, Height, Expected;
};

TEST(KeepClear, HeldToAQuarterOfTheMonitorAndNeverNegative) {
    const TClampCase cases[] = {
        {0, 1080, 0},
        {40, 1080, 40},
        {270, 1080, 270},
        {271, 1080, 270},
        {INT32_MAX, 1080, 270},
        {-1, 1080, 0},
        {INT32_MIN, 1080, 0},
        {40, 3, 0},
        {40, 0, 0},
        {40, -100, 0},
        {1, 4, 1},
        {2, 7, 1},
    };
    for (const TClampCase& c : cases) {
        EXPECT_EQ(ClampKeepClear(c.Rows, c.Height), c.Expected) << c.Rows << " rows of " << c.Height;
    }
}

struct TShapeCase {
    const char* Name;
    TRect Band;
    Rects Monitors;
    int32_t Top, Bottom;
    Rects Expected;
};

TEST(BandPieces, Layouts) {
    const TRect hd{0, 0, 1920, 1080};
    const TShapeCase cases[] = {
        {"nothing kept clear", {0, -100, 1920, 260}, {hd}, 0, 0, {{0, -100, 1920, 260}}},
        {"band inside the middle", {0, 300, 1920, 660}, {hd}, 40, 30, {{0, 300, 1920, 660}}},
        {"cut by the top strip", {0, -100, 1920, 260}, {hd}, 40, 30, {{0, 40, 1920, 260}}},
        {"cut by the bottom strip", {0, 900, 1920, 1260}, {hd}, 40, 30, {{0, 900, 1920, 1050}}},
        {"all inside a strip", {0, -100, 1920, 20}, {hd}, 40, 0, {}},
        {"strips held to a quarter", {0, 0, 1920, 1080}, {hd}, 5000, -7, {{0, 270, 1920, 1080}}},
        {"one band over both strips of a short desktop",
         {0, 0, 800, 100},
         {{0, 0, 800, 100}},
         10,
         20,
         {{0, 10, 800, 80}}},
        {"two monitors side by side, same rows: one piece",
         {0, -50, 3840, 310},
         {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}},
         40,
         0,
         {{0, 40, 3840, 310}}},
        {"monitors of different heights side by side",
         {0, 900, 3840, 1260},
         {{0, 0, 1920, 1080}, {1920, 0, 3840, 1200}},
         0,
         30,
         {{0, 900, 1920, 1050}, {1920, 900, 3840, 1170}}},
        {"a monitor left of the primary, negative coordinates",
         {-1280, -10, 1920, 250},
         {{-1280, 0, 0, 1024}, {0, 0, 1920, 1080}},
         20,
         0,
         {{-1280, 20, 1920, 250}}},
        {"monitors above each other: a band across their meeting rows",
         {0, 1000, 1920, 1200},
         {{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}},
         40,
         30,
         {{0, 1000, 1920, 1050}, {0, 1120, 1920, 1200}}},
        {"four monitors with offsets",
         {-1024, 100, 3840, 400},
         {{-1024, 200, 0, 968}, {0, 0, 1920, 1080}, {1920, 120, 2880, 1400}, {2880, 0, 3840, 300}},
         150,
         100,
         {{-1024, 350, 0, 400}, {0, 150, 1920, 400}, {1920, 270, 2880, 400}, {2880, 100, 3840, 225}}},
        {"nothing over a gap between monitors",
         {0, 0, 3000, 100},
         {{0, 0, 1000, 1000}, {2000, 0, 3000, 1000}},
         50,
         0,
         {{0, 50, 1000, 100}, {2000, 50, 3000, 100}}},
        {"a mirrored monitor's strip stays clear",
         {0, 0, 1920, 300},
         {{0, 0, 1920, 1080}, {0, 100, 1920, 1180}},
         40,
         0,
         {{0, 40, 1920, 100}, {0, 140, 1920, 300}}},
        {"no monitors at all", {0, 0, 100, 10}, {}, 5, 5, {{0, 0, 100, 10}}},
        {"empty band", {0, 10, 1920, 10}, {hd}, 5, 5, {}},
    };
    for (const TShapeCase& c : cases) {
        EXPECT_EQ(BandPieces(c.Band, c.Monitors, c.Top, c.Bottom), c.Expected) << c.Name;
    }
}

bool Inside(const TRect& r, int32_t x, int32_t y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

// Each pixel of the band that a monitor shows is covered exactly once unless
// it lies in a strip, for small random layouts with overlapping monitors and
// negative places.
TEST(BandPieces, EveryPixelOutsideTheStripsOnceAndNoneInThem) {
    std::mt19937 random(20261209);
    auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 400; ++round) {
        Rects monitors;
        const int count = draw(1, 4);
        for (int i = 0; i < count; ++i) {
            const int left = draw(-30, 30), top = draw(-30, 30);
            monitors.push_back(TRect{left, top, left + draw(1, 40), top + draw(1, 40)});
        }
        const int bandTop = draw(-40, 60);
        const TRect band{draw(-40, 0), bandTop, draw(1, 80), bandTop + draw(1, 30)};
        const int keepTop = draw(-3, 12), keepBottom = draw(-3, 12);
        const Rects pieces = BandPieces(band, monitors, keepTop, keepBottom);
        for (int y = band.Top; y < band.Bottom; ++y) {
            for (int x = band.Left; x < band.Right; ++x) {
                bool inStrip = false, onMonitor = false;
                for (const TRect& m : monitors) {
                    onMonitor = onMonitor || Inside(m, x, y);
                    const int32_t h = m.Bottom - m.Top;
                    const int32_t t = ClampKeepClear(keepTop, h), b = ClampKeepClear(keepBottom, h);
                    if (x >= m.Left && x < m.Right &&
                        ((y >= m.Top && y < m.Top + t) || (y >= m.Bottom - b && y < m.Bottom)))
                        inStrip = true;
                }
                int shown = 0;
                for (const TRect& p : pieces) shown += Inside(p, x, y) ? 1 : 0;
                const bool whole = keepTop <= 0 && keepBottom <= 0;
                ASSERT_EQ(shown, (whole || (onMonitor && !inStrip)) ? 1 : 0)
                    << "round " << round << " at " << x << "," << y;
            }
        }
        for (const TRect& p : pieces) {
            ASSERT_LT(p.Left, p.Right);
            ASSERT_LT(p.Top, p.Bottom);
        }
    }
}

}  // namespace
