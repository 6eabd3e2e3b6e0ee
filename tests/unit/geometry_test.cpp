#include "platform/geometry.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Rects = std::vector<TRect>;

int64_t Area(const Rects& rects) {
    int64_t sum = 0;
    for (const TRect& r : rects) sum += int64_t{r.Width()} * r.Height();
    return sum;
}

TEST(SubtractRects, Cases) {
    struct Row {
        const char* Case;
        TRect From;
        Rects Holes;
        Rects Expected;
    } rows[] = {
        {"no hole", {0, 0, 10, 10}, {}, {{0, 0, 10, 10}}},
        {"empty from", {5, 5, 5, 9}, {}, {}},
        {"hole beside", {0, 0, 10, 10}, {{10, 0, 20, 10}}, {{0, 0, 10, 10}}},
        {"hole covers all", {0, 0, 10, 10}, {{-5, -5, 15, 15}}, {}},
        {"hole inside", {0, 0, 10, 10}, {{3, 4, 5, 6}}, {{0, 0, 10, 4}, {0, 6, 10, 10}, {0, 4, 3, 6}, {5, 4, 10, 6}}},
        {"a logo at the top edge",
         {0, 0, 100, 50},
         {{10, 0, 30, 20}},
         {{0, 20, 100, 50}, {0, 0, 10, 20}, {30, 0, 100, 20}}},
        {"two holes", {0, 0, 10, 2}, {{0, 0, 5, 2}, {5, 0, 10, 1}}, {{5, 1, 10, 2}}},
    };
    for (const Row& row : rows) EXPECT_EQ(SubtractRects(row.From, row.Holes), row.Expected) << row.Case;
}

// Against the pixels themselves: what is left is disjoint, within from, off
// every hole, and misses no pixel of from outside the holes.
TEST(SubtractRects, LeavesExactlyThePixelsOutsideTheHoles) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-2, 12);
    auto randomRect = [&] {
        int32_t a = coordinate(random), b = coordinate(random), c = coordinate(random), d = coordinate(random);
        return TRect{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
    };
    for (int round = 0; round < 2000; ++round) {
        const TRect from = randomRect();
        Rects holes(static_cast<size_t>(round % 5));
        for (TRect& hole : holes) hole = randomRect();
        const Rects left = SubtractRects(from, holes);
        for (int32_t y = -2; y < 12; ++y) {
            for (int32_t x = -2; x < 12; ++x) {
                auto in = [x, y](const TRect& r) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; };
                bool inHole = false;
                for (const TRect& hole : holes) inHole = inHole || in(hole);
                int covered = 0;
                for (const TRect& r : left) covered += in(r) ? 1 : 0;
                ASSERT_EQ(covered, in(from) && !inHole ? 1 : 0) << "round " << round << " at " << x << "," << y;
            }
        }
        for (const TRect& r : left) ASSERT_GT(Area({r}), 0) << "round " << round;
    }
}

}  // namespace
