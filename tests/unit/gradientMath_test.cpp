#include "widgets/gradientMath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

const TRgb Shadow{128, 128, 128};
const TRgb Face{212, 208, 200};

void ExpectColor(const TRgb& c, int r, int g, int b) {
    EXPECT_EQ(c.R, r);
    EXPECT_EQ(c.G, g);
    EXPECT_EQ(c.B, b);
}

TRgb FakeSysColor(int index) {
    if (index == 15) return Face;
    if (index == 16) return Shadow;
    return TRgb{static_cast<uint8_t>(index), 1, 2};
}

}  // namespace

TEST(GradientBands, DialogStripHasTallBandsWhereRoundingGives) {
    const auto bands = ComputeVerticalBands(202, 260, 256, Shadow, Face);
    ASSERT_EQ(bands.size(), 257u);
    for (int i = 0; i < 256; ++i) {
        const int rows = bands[i].EndRow - bands[i].FirstRow;
        const bool tall = i == 32 || i == 95 || i == 160 || i == 223;
        EXPECT_EQ(rows, tall ? 2 : 1) << "band " << i;
    }
    EXPECT_EQ(bands[32].FirstRow, 32);
    EXPECT_EQ(bands[32].EndRow, 34);
    EXPECT_EQ(bands[95].FirstRow, 96);
    EXPECT_EQ(bands[95].EndRow, 98);
    EXPECT_EQ(bands[160].FirstRow, 162);
    EXPECT_EQ(bands[160].EndRow, 164);
    EXPECT_EQ(bands[223].FirstRow, 226);
    EXPECT_EQ(bands[223].EndRow, 228);
    EXPECT_EQ(bands[255].EndRow, 260);
    EXPECT_EQ(bands[256].FirstRow, 260);
}

TEST(GradientBands, DialogStripColours) {
    const auto bands = ComputeVerticalBands(202, 260, 256, Shadow, Face);
    ASSERT_EQ(bands.size(), 257u);
    ExpectColor(bands[0].Color, 128, 128, 128);
    ExpectColor(bands[127].Color, 170, 168, 164);
    ExpectColor(bands[255].Color, 212, 208, 200);
    ExpectColor(bands[256].Color, 212, 208, 200);
}

TEST(GradientBands, HalfwayRowsRoundToEven) {
    // H = 3, s = 2: the middle boundary is 1.5, which goes to 2.
    const auto bands = ComputeVerticalBands(1, 3, 2, Shadow, Face);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0].EndRow, 2);
    EXPECT_EQ(bands[1].FirstRow, 2);
    // H = 5, s = 2: 2.5 goes to 2.
    const auto five = ComputeVerticalBands(1, 5, 2, Shadow, Face);
    EXPECT_EQ(five[0].EndRow, 2);
}

TEST(GradientBands, HalfwayColoursRoundToEven) {
    // 0 -> 1 over 2 steps: band 1 is 0.5, which goes to 0; 1 -> 2: band 1 is 1.5, goes to 2.
    auto bands = ComputeVerticalBands(1, 10, 2, TRgb{0, 1, 3}, TRgb{1, 2, 0});
    ASSERT_EQ(bands.size(), 3u);
    ExpectColor(bands[1].Color, 0, 2, 2);  // 3 -> 0: 1.5 goes to 2
}

TEST(GradientBands, DescendingColours) {
    const auto bands = ComputeVerticalBands(4, 4, 4, TRgb{255, 200, 10}, TRgb{0, 0, 0});
    ASSERT_EQ(bands.size(), 5u);
    ExpectColor(bands[0].Color, 255, 200, 10);
    ExpectColor(bands[2].Color, 128, 100, 5);  // 127.5 -> 128, 5
    ExpectColor(bands[4].Color, 0, 0, 0);
}

TEST(GradientBands, FewerRowsThanStepsGivesOneBandPerRow) {
    const auto bands = ComputeVerticalBands(202, 100, 256, Shadow, Face);
    ASSERT_EQ(bands.size(), 101u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(bands[i].FirstRow, i);
        EXPECT_EQ(bands[i].EndRow, i + 1);
    }
    ExpectColor(bands[0].Color, 128, 128, 128);
}

TEST(GradientBands, ZeroStepsFillsWithStartColour) {
    const auto bands = ComputeVerticalBands(202, 260, 0, Shadow, Face);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].FirstRow, 0);
    EXPECT_EQ(bands[0].EndRow, 260);
    ExpectColor(bands[0].Color, 128, 128, 128);
    EXPECT_EQ(bands[1].FirstRow, 260);
}

TEST(GradientBands, EmptyOrNegativeAreaGivesNothing) {
    EXPECT_TRUE(ComputeVerticalBands(0, 260, 256, Shadow, Face).empty());
    EXPECT_TRUE(ComputeVerticalBands(202, 0, 256, Shadow, Face).empty());
    EXPECT_TRUE(ComputeVerticalBands(-5, 260, 256, Shadow, Face).empty());
    EXPECT_TRUE(ComputeVerticalBands(202, -1, 256, Shadow, Face).empty());
}

TEST(GradientBands, HugeHeightStaysBoundedAndInRange) {
    const int32_t h = INT32_MAX;
    const auto bands = ComputeVerticalBands(1, h, 65535, Shadow, Face);
    ASSERT_EQ(bands.size(), 65536u);
    EXPECT_EQ(bands[0].FirstRow, 0);
    EXPECT_EQ(bands[65534].EndRow, h);
    EXPECT_EQ(bands[65535].FirstRow, h);
    EXPECT_EQ(bands[65535].EndRow, INT32_MAX);  // saturated, not wrapped
}

TEST(GradientBands, VisibleBandsCoverEveryRowOnceInOrder) {
    const std::vector<int> steps = {0, 1, 2, 3, 7, 100, 255, 256, 1000, 65535};
    for (int h = 1; h <= 700; h += (h < 50 ? 1 : 13)) {
        for (int st : steps) {
            const auto bands = ComputeVerticalBands(3, h, static_cast<uint16_t>(st), Shadow, Face);
            const int s = st > h ? h : (st == 0 ? 1 : st);
            ASSERT_EQ(bands.size(), static_cast<size_t>(s) + 1) << h << "/" << st;
            int next = 0;
            for (int i = 0; i < s; ++i) {
                ASSERT_EQ(bands[i].FirstRow, next) << h << "/" << st << " band " << i;
                ASSERT_GE(bands[i].EndRow, bands[i].FirstRow);
                next = bands[i].EndRow;
            }
            ASSERT_EQ(next, h) << h << "/" << st;
            ASSERT_EQ(bands[s].FirstRow, h);
            // Colours never leave the range between the two ends.
            for (const auto& b : bands) {
                ASSERT_GE(b.Color.R, 128);
                ASSERT_LE(b.Color.R, 212);
            }
        }
    }
}

TEST(ResolveColor, PlainColourBytes) {
    ExpectColor(ResolveColor(0x00FF0000, FakeSysColor), 0, 0, 255);
    ExpectColor(ResolveColor(0, FakeSysColor), 0, 0, 0);
    ExpectColor(ResolveColor(0x00C8D0D4, FakeSysColor), 212, 208, 200);
    // The top byte of a non-negative value is ignored.
    ExpectColor(ResolveColor(0x7F010203, FakeSysColor), 3, 2, 1);
}

TEST(ResolveColor, SystemColourUsesLowByteAsIndex) {
    ExpectColor(ResolveColor(static_cast<int32_t>(0x80000010u), FakeSysColor), 128, 128, 128);
    ExpectColor(ResolveColor(static_cast<int32_t>(0x8000000Fu), FakeSysColor), 212, 208, 200);
    ExpectColor(ResolveColor(static_cast<int32_t>(0xFF0001FFu), FakeSysColor), 255, 1, 2);
    ExpectColor(ResolveColor(static_cast<int32_t>(0x80000010u), nullptr), 0, 0, 0);
}
