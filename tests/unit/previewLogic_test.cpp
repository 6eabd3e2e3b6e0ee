#include "src/previewLogic.h"

#include <gtest/gtest.h>

namespace {

struct LogoCase {
    int32_t hostWidth, hostHeight;
    TRect expected;
};

TEST(PreviewLogoRect, FitsTheLogoIntoTheDescribedHosts) {
    const LogoCase cases[] = {
        {152, 112, {0, 39, 152, 72}},  // width-bound, centred vertically
        {100, 10, {27, 0, 72, 10}},    // height-bound, centred horizontally
        {400, 88, {0, 0, 400, 88}},    // the logo's own proportions
        {200, 44, {0, 0, 200, 44}},
    };
    for (const LogoCase& c : cases) {
        TRect r = ComputeLogoRect(c.hostWidth, c.hostHeight, 200, 44);
        EXPECT_EQ(r.Left, c.expected.Left) << c.hostWidth << "x" << c.hostHeight;
        EXPECT_EQ(r.Top, c.expected.Top) << c.hostWidth << "x" << c.hostHeight;
        EXPECT_EQ(r.Right, c.expected.Right) << c.hostWidth << "x" << c.hostHeight;
        EXPECT_EQ(r.Bottom, c.expected.Bottom) << c.hostWidth << "x" << c.hostHeight;
    }
}

TEST(PreviewLogoRect, StaysInsideTheHostForEverySize) {
    for (int32_t w = 1; w < 300; w += 7) {
        for (int32_t h = 1; h < 300; h += 5) {
            TRect r = ComputeLogoRect(w, h, 200, 44);
            EXPECT_GE(r.Left, 0);
            EXPECT_GE(r.Top, 0);
            EXPECT_LE(r.Right, w);
            EXPECT_LE(r.Bottom, h);
        }
    }
}

TEST(PreviewLogoRect, HostWithoutAreaGetsNothing) {
    for (auto size : {std::pair{0, 100}, std::pair{100, 0}, std::pair{0, 0}, std::pair{-5, 20}}) {
        TRect r = ComputeLogoRect(size.first, size.second, 200, 44);
        EXPECT_EQ(r.Right - r.Left, 0);
        EXPECT_EQ(r.Bottom - r.Top, 0);
    }
}

TEST(PreviewLogoRect, HugeHostsDoNotOverflow) {
    TRect r = ComputeLogoRect(2000000000, 2000000000, 200, 44);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Right, 2000000000);
    EXPECT_EQ(r.Bottom - r.Top, 440000000);
}

TEST(PreviewBlink, DrawsOnlyOnAChangeOfParity) {
    EXPECT_EQ(BlinkActionFor(0, false), TBlinkAction::DrawLogo);
    EXPECT_EQ(BlinkActionFor(0, true), TBlinkAction::None);
    EXPECT_EQ(BlinkActionFor(59, true), TBlinkAction::BlackOut);
    EXPECT_EQ(BlinkActionFor(59, false), TBlinkAction::None);
    EXPECT_EQ(BlinkActionFor(58, false), TBlinkAction::DrawLogo);
}

TEST(PreviewBlink, WaitsNoLongerThanToTheNextSecond) {
    EXPECT_EQ(WaitBeforeNextPass(0, 50), 50);
    EXPECT_EQ(WaitBeforeNextPass(980, 50), 20);
    EXPECT_EQ(WaitBeforeNextPass(999, 50), 1);
    EXPECT_EQ(WaitBeforeNextPass(5000, 50), 1);
}

}  // namespace
