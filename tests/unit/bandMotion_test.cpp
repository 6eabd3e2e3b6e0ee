#include "src/bandMotion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <vector>

namespace {

const TRect kHd = RectAt(0, 0, 1920, 1080);

TMoveInput BandInput(const TRect& desktop, int32_t coverArea, int32_t movementType, bool borders) {
    const TRect band = ComputeBandRect(desktop, coverArea);
    return TMoveInput{band.Height(), band.Width(), band.Height(), 200, 44, desktop, movementType, coverArea, borders};
}

// ---- generator ----

TEST(Random, StateAdvancesBeforeTheDraw) {
    TRandom r;
    EXPECT_EQ(r.Next(1000), 0);  // state 1: 1000 * 1 < 2^32
    EXPECT_EQ(r.State, 1u);
    r.Next(0);
    EXPECT_EQ(r.State, 134775814u);
}

TEST(Random, StateWrapsModulo32Bits) {
    TRandom r{0xFFFFFFFFu};
    r.Next(5);
    EXPECT_EQ(r.State, 4160191484u);
}

TEST(Random, DrawsStayInRange) {
    TRandom r{12345};
    for (int32_t n : {1, 2, 7, 1080, 1720, 65536, INT_MAX}) {
        for (int i = 0; i < 2000; ++i) {
            const int32_t v = r.Next(n);
            ASSERT_GE(v, 0);
            ASSERT_LT(v, n);
        }
    }
}

TEST(Random, ZeroAndNegativeRangesDrawZeroAndAdvance) {
    TRandom a{99};
    TRandom b{99};
    EXPECT_EQ(a.Next(0), 0);
    for (int32_t n : {-1, -10, INT_MIN}) {
        EXPECT_EQ(DrawNonNegative(b, n), 0);
        EXPECT_EQ(b.State, a.State);
        a.Next(0);
    }
}

TEST(Random, ClampRange) {
    EXPECT_EQ(ClampRange(-1), 0);
    EXPECT_EQ(ClampRange(INT64_MIN), 0);
    EXPECT_EQ(ClampRange(0), 0);
    EXPECT_EQ(ClampRange(1720), 1720);
    EXPECT_EQ(ClampRange(INT64_C(1) << 40), INT_MAX);
}

// ---- clamps and geometry ----

TEST(Clamp, CoverArea) {
    const std::vector<std::pair<int32_t, int32_t>> cases = {{-2, 0}, {-1, 0}, {0, 0}, {1, 1},       {2, 2},
                                                            {3, 3},  {4, 3},  {9, 3}, {INT_MIN, 0}, {INT_MAX, 3}};
    for (auto [in, out] : cases) {
        EXPECT_EQ(ClampCoverArea(in), out) << in;
    }
}

TEST(Clamp, TransitionTime) {
    const std::vector<std::pair<int32_t, int32_t>> cases = {{0, 1}, {-1, 1}, {1, 1},       {3, 3},
                                                            {5, 5}, {6, 5},  {INT_MAX, 5}, {INT_MIN, 1}};
    for (auto [in, out] : cases) {
        EXPECT_EQ(ClampTransitionTime(in), out) << in;
    }
    EXPECT_EQ(MoveIntervalMs(2), 2000u);
    EXPECT_EQ(MoveIntervalMs(0), 1000u);
    EXPECT_EQ(MoveIntervalMs(INT_MAX), 5000u);
}

struct GeometryCase {
    TRect desktop;
    int32_t coverArea;
    TRect expected;
};

class GeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(GeometryTest, Band) {
    const GeometryCase& c = GetParam();
    const TRect band = ComputeBandRect(c.desktop, c.coverArea);
    EXPECT_EQ(band.Left, c.expected.Left);
    EXPECT_EQ(band.Width(), c.expected.Width());
    EXPECT_EQ(band.Height(), c.expected.Height());
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, GeometryTest,
    ::testing::Values(GeometryCase{kHd, 0, RectAt(0, 0, 1920, 540)}, GeometryCase{kHd, 1, RectAt(0, 0, 1920, 360)},
                      GeometryCase{kHd, 2, RectAt(0, 0, 1920, 270)}, GeometryCase{kHd, 3, RectAt(0, 0, 1920, 216)},
                      GeometryCase{RectAt(0, 0, 1680, 1050), 2, RectAt(0, 0, 1680, 262)},
                      GeometryCase{RectAt(-1280, 0, 3200, 1080), 1, RectAt(-1280, 0, 3200, 360)},
                      // Out-of-range settings as a hand-edited store may hold them.
                      GeometryCase{kHd, -2, RectAt(0, 0, 1920, 540)},
                      GeometryCase{kHd, INT_MIN, RectAt(0, 0, 1920, 540)},
                      GeometryCase{kHd, 9, RectAt(0, 0, 1920, 216)},
                      GeometryCase{RectAt(0, 0, INT_MAX, INT_MAX), 0, RectAt(0, 0, INT_MAX, INT_MAX / 2)}));

// ---- movement ----

TEST(Move, SeededSequentialExample) {
    TRandom r;
    TMoveState s;
    const TMoveInput in = BandInput(kHd, 1, 0, false);
    const int32_t tops[] = {-20, 340, 700, 1060, -156, 204};
    const int32_t logos[][2] = {{53, 264}, {348, 90}, {1155, 104}, {278, 120}, {141, 150}, {121, 258}};
    for (int i = 0; i < 6; ++i) {
        const TMovePlace p = ComputeMove(s, r, in);
        EXPECT_EQ(p.Top, tops[i]) << "move " << i;
        EXPECT_EQ(p.LogoLeft, logos[i][0]) << "move " << i;
        EXPECT_EQ(p.LogoTop, logos[i][1]) << "move " << i;
    }
}

TEST(Move, SeededRandomExample) {
    TRandom r;
    TMoveState s;
    const TMoveInput in = BandInput(kHd, 1, 1, false);
    const int32_t tops[] = {-180, 38, 164};
    const int32_t logos[][2] = {{53, 264}, {469, 208}, {278, 120}};
    for (int i = 0; i < 3; ++i) {
        const TMovePlace p = ComputeMove(s, r, in);
        EXPECT_EQ(p.Top, tops[i]) << "move " << i;
        EXPECT_EQ(p.LogoLeft, logos[i][0]) << "move " << i;
        EXPECT_EQ(p.LogoTop, logos[i][1]) << "move " << i;
    }
    EXPECT_EQ(s.MoveStep, -2);  // random moves leave the sequential state alone
}

TEST(Move, AnyNonZeroMovementTypeIsRandom) {
    for (int32_t type : {2, -1, INT_MIN, INT_MAX}) {
        TRandom r;
        TMoveState s;
        EXPECT_EQ(ComputeMove(s, r, BandInput(kHd, 1, type, false)).Top, -180) << type;
        EXPECT_EQ(ComputeMove(s, r, BandInput(kHd, 1, type, false)).Top, 38) << type;
    }
}

TEST(Move, KnownPhaseSteps) {
    for (bool borders : {false, true}) {
        TRandom r;
        TMoveState s{-1, 100};  // at the next move: position 0 without a new phase
        const TMoveInput in = BandInput(kHd, 1, 0, borders);
        const std::vector<int32_t> expected =
            borders ? std::vector<int32_t>{-100, 258, 616, 974} : std::vector<int32_t>{-100, 260, 620, 980};
        for (int32_t top : expected) {
            EXPECT_EQ(ComputeMove(s, r, in).Top, top) << "borders " << borders;
        }
    }
}

TEST(Move, BordersStepTwoRowsShort) {
    TRandom r{555};
    TMoveState s;
    const TMoveInput in = BandInput(kHd, 3, 0, true);
    int32_t previous = ComputeMove(s, r, in).Top;
    for (int k = 1; k <= 5; ++k) {
        const int32_t top = ComputeMove(s, r, in).Top;
        EXPECT_EQ(top - previous, 216 - 2);
        previous = top;
    }
}

TEST(Move, CycleLengthFollowsCoverArea) {
    for (int32_t cover = 0; cover <= 3; ++cover) {
        TRandom r{static_cast<uint32_t>(cover) * 7919u};
        TMoveState s;
        const TMoveInput in = BandInput(kHd, cover, 0, false);
        const int32_t h = in.BandHeight;
        for (int cycle = 0; cycle < 50; ++cycle) {
            for (int32_t pos = 0; pos <= cover + 2; ++pos) {
                const TMovePlace p = ComputeMove(s, r, in);
                ASSERT_EQ(s.MoveStep, pos);
                ASSERT_GE(s.MoveOffset, 20);
                ASSERT_LE(s.MoveOffset, h - 21);
                ASSERT_EQ(p.Top, h * pos - s.MoveOffset);
            }
        }
    }
}

TEST(Move, CoverAreaShrinkingMidCycleRestarts) {
    TRandom r{1};
    TMoveState s;
    const TMoveInput wide = BandInput(kHd, 3, 0, false);
    for (int i = 0; i < 5; ++i) {
        ComputeMove(s, r, wide);
    }
    ASSERT_EQ(s.MoveStep, 4);
    ComputeMove(s, r, BandInput(kHd, 0, 0, false));
    EXPECT_EQ(s.MoveStep, 0);
}

TEST(Move, SequentialCycleCoversEveryRowAndStaysAboveBottomMargin) {
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 400; ++trial) {
        const int32_t height = 200 + static_cast<int32_t>(rng() % 4000);
        const int32_t cover = static_cast<int32_t>(rng() % 4);
        const bool borders = rng() & 1;
        const TRect desktop = RectAt(0, 0, 1920, height);
        const TMoveInput in = BandInput(desktop, cover, 0, borders);
        TRandom r{static_cast<uint32_t>(rng())};
        TMoveState s;
        std::vector<bool> covered(static_cast<size_t>(height), false);
        for (int32_t pos = 0; pos <= cover + 2; ++pos) {
            const TMovePlace p = ComputeMove(s, r, in);
            ASSERT_LE(p.Top, height - 20);
            for (int32_t row = std::max(0, p.Top); row < std::min(height, p.Top + in.BandHeight); ++row) {
                covered[static_cast<size_t>(row)] = true;
            }
        }
        for (int32_t row = 0; row < height; ++row) {
            ASSERT_TRUE(covered[static_cast<size_t>(row)]) << "row " << row << " of " << height;
        }
        for (int i = 0; i < 100; ++i) {
            ASSERT_LE(ComputeMove(s, r, in).Top, height - 20);
        }
    }
}

TEST(Move, RandomTopsAndLogoStayInTheirRanges) {
    TRandom r{42};
    TMoveState s;
    const TMoveInput in = BandInput(kHd, 0, 1, true);
    int32_t lowest = INT_MAX;
    int32_t highest = INT_MIN;
    for (int i = 0; i < 20000; ++i) {
        const TMovePlace p = ComputeMove(s, r, in);
        ASSERT_GE(p.Top, -270);
        ASSERT_LE(p.Top, 1079 - 270);
        ASSERT_GE(p.LogoLeft, 0);
        ASSERT_LE(p.LogoLeft, 1920 - 201);
        ASSERT_GE(p.LogoTop, 10);
        ASSERT_LE(p.LogoTop, 540 - 55);
        lowest = std::min(lowest, p.Top);
        highest = std::max(highest, p.Top);
    }
    EXPECT_LT(lowest, -260);
    EXPECT_GT(highest, 1079 - 280);
}

TEST(Move, SmallestUsefulBands) {
    TRandom r{77};
    TMoveState s;
    TMoveInput in{40, 200, 64, 200, 44, {0, 0, 200, 80}, 0, 0, false};
    ComputeMove(s, r, in);
    EXPECT_EQ(s.MoveOffset, 20);  // rand(0)
    in.BandHeight = 64;
    for (int i = 0; i < 20; ++i) {
        const TMovePlace p = ComputeMove(s, r, in);
        EXPECT_EQ(p.LogoLeft, 0);
        EXPECT_EQ(p.LogoTop, 10);
    }
}

TEST(Move, NegativeRangesDrawZero) {
    TRandom r{0xABCDEF01u};
    TRandom twin = r;
    TMoveState s;
    const TMoveInput in{30, 150, 30, 200, 44, {0, 0, 150, 60}, 0, 0, false};
    const TMovePlace p = ComputeMove(s, r, in);
    EXPECT_EQ(s.MoveOffset, 20);
    EXPECT_EQ(p.Top, -20);
    EXPECT_EQ(p.LogoLeft, 0);
    EXPECT_EQ(p.LogoTop, 10);
    for (int i = 0; i < 3; ++i) {
        twin.Next(0);
    }
    EXPECT_EQ(r.State, twin.State);  // three draws, as always after a reset

    TMoveInput randomIn = in;
    randomIn.MovementType = 1;
    randomIn.Desktop.Bottom = randomIn.Desktop.Top - 5;
    EXPECT_EQ(ComputeMove(s, r, randomIn).Top, -15);
}

TEST(Move, DesktopTopShiftsTops) {
    for (int32_t type : {0, 1}) {
        TRandom r1{9};
        TRandom r2{9};
        TMoveState s1;
        TMoveState s2;
        const TRect shifted = RectAt(0, -1080, 1920, 2160);
        const TRect plain = RectAt(0, 0, 1920, 2160);
        for (int i = 0; i < 20; ++i) {
            const TMovePlace a = ComputeMove(s1, r1, BandInput(shifted, 1, type, true));
            const TMovePlace b = ComputeMove(s2, r2, BandInput(plain, 1, type, true));
            ASSERT_EQ(a.Top, b.Top - 1080);
            ASSERT_EQ(a.LogoLeft, b.LogoLeft);
            ASSERT_EQ(a.LogoTop, b.LogoTop);
        }
    }
}

TEST(Move, ExtremeInputsSaturate) {
    TRandom r{3};
    TMoveState s{INT_MAX, INT_MIN};
    const TMoveInput huge{INT_MAX, INT_MAX, INT_MAX, INT_MIN, INT_MIN, {0, INT_MAX, INT_MAX, INT_MAX}, 0, 3, true};
    for (int i = 0; i < 10; ++i) {
        const TMovePlace p = ComputeMove(s, r, huge);
        EXPECT_GE(p.LogoLeft, 0);
        EXPECT_GE(p.LogoTop, 10);
        EXPECT_GE(s.MoveStep, 0);
        EXPECT_LE(s.MoveStep, 5);
    }
    const TMoveInput tiny{INT_MIN, INT_MIN, INT_MIN, INT_MAX, INT_MAX, {0, INT_MIN, INT_MIN, INT_MIN}, 1, -9, false};
    for (int i = 0; i < 10; ++i) {
        const TMovePlace p = ComputeMove(s, r, tiny);
        EXPECT_EQ(p.LogoLeft, 0);
        EXPECT_EQ(p.LogoTop, 10);
    }
}

// ---- dismissal ----

TEST(DeadZone, FivePixelsStaySixClose) {
    struct Case {
        int32_t saved, now;
        bool beyond;
    };
    const Case cases[] = {{100, 100, false},
                          {100, 105, false},
                          {100, 95, false},
                          {100, 106, true},
                          {100, 94, true},
                          {-3, 2, false},
                          {-3, -9, true},
                          {INT_MIN, INT_MAX, true},
                          {INT_MAX, INT_MIN, true},
                          {INT_MAX, INT_MAX - 5, false},
                          {INT_MIN, INT_MIN + 6, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(BeyondDeadZone(c.saved, c.now), c.beyond) << c.saved << " -> " << c.now;
    }
}

uint64_t MouseParam(uint32_t x, uint32_t y) { return (static_cast<uint64_t>(y & 0xFFFFu) << 16) | (x & 0xFFFFu); }

TEST(Hook, MouseMoveThresholdsOnEachAxis) {
    const int32_t left = -1280;
    const int32_t top = 500;
    const int32_t startX = 800;
    const int32_t startY = 600;
    struct Case {
        int32_t dx, dy;
        THookVerdict verdict;
    };
    const Case cases[] = {{0, 0, THookVerdict::Ignore}, {5, 5, THookVerdict::Ignore}, {-5, -5, THookVerdict::Ignore},
                          {6, 0, THookVerdict::Close},  {-6, 0, THookVerdict::Close}, {0, 6, THookVerdict::Close},
                          {0, -6, THookVerdict::Close}, {5, -6, THookVerdict::Close}, {6, 6, THookVerdict::Close}};
    for (const Case& c : cases) {
        const uint64_t lp =
            MouseParam(static_cast<uint32_t>(startX + c.dx - left), static_cast<uint32_t>(startY + c.dy - top));
        EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, lp, left, top, startX, startY), c.verdict) << c.dx << "," << c.dy;
    }
}

TEST(Hook, RestingCursorUnderAMovedBandStays) {
    // The cursor rests at (800, 600); the band jumped from top 500 to top 100.
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, MouseParam(800, 100), 0, 500, 800, 600), THookVerdict::Ignore);
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, MouseParam(800, 500), 0, 100, 800, 600), THookVerdict::Ignore);
}

TEST(Hook, CoordinatesAbove32767ReadUnsigned) {
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, MouseParam(40000, 10), 0, 0, 40000, 10), THookVerdict::Ignore);
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, MouseParam(10, 0xFFFF), 0, -65000, 10, 535), THookVerdict::Ignore);
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, MouseParam(0xFFFF, 0), 0, 0, -1, 0), THookVerdict::Close);
    // Bits above the low 32 carry no coordinate.
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, 0xFFFFFFFF00000000ull | MouseParam(7, 9), 0, 0, 7, 9),
              THookVerdict::Ignore);
}

TEST(Hook, ExtremeBandPositionsDoNotOverflow) {
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, MouseParam(0xFFFF, 0xFFFF), INT_MAX, INT_MAX, INT_MAX, INT_MAX),
              THookVerdict::Close);
    EXPECT_EQ(ClassifyQueuedMessage(kWmMouseMove, MouseParam(0, 0), INT_MIN, INT_MIN, INT_MIN, INT_MIN),
              THookVerdict::Ignore);
}

TEST(Hook, KeyAndActivationMessagesClose) {
    for (uint32_t msg : {kWmKeyDown, kWmActivate, kWmActivateApp, kWmNcActivate}) {
        EXPECT_EQ(ClassifyQueuedMessage(msg, 0, 0, 0, 0, 0), THookVerdict::Close) << std::hex << msg;
    }
}

TEST(Hook, OtherMessagesAreIgnoredWhereverTheCursorIs) {
    const uint32_t others[] = {0x0201 /*LBUTTONDOWN*/,
                               0x0202,
                               0x0203,
                               0x0204 /*RBUTTONDOWN*/,
                               0x0207,
                               0x020A /*MOUSEWHEEL*/,
                               0x020E,
                               0x020B,
                               0x0104 /*SYSKEYDOWN*/,
                               0x0105,
                               0x0101 /*KEYUP*/,
                               0x0102,
                               0x0113 /*TIMER*/,
                               0x000F,
                               0x0012,
                               0x00A0};
    for (uint32_t msg : others) {
        EXPECT_EQ(ClassifyQueuedMessage(msg, MouseParam(5000, 5000), 0, 0, 0, 0), THookVerdict::Ignore)
            << std::hex << msg;
    }
}

}  // namespace

TEST(BandTextPlaces, ScaleWithTheMonitorsDpiAndNeverOverlap) {
    // Tahoma's cell is 2472/2048 of its em; 8 points is 8/72 of an inch.
    struct Row {
        int32_t Dpi, Left, Top1, Top2;
    } rows[] = {{96, 10, 10, 24}, {120, 13, 13, 30}, {144, 15, 15, 36}, {192, 20, 20, 48}, {0, 10, 10, 24}};
    for (const Row& row : rows) {
        const TBandTextPlaces places = BandTextPlaces(row.Dpi);
        EXPECT_EQ(places.Left, row.Left) << row.Dpi;
        EXPECT_EQ(places.Top1, row.Top1) << row.Dpi;
        EXPECT_EQ(places.Top2, row.Top2) << row.Dpi;
        const int32_t dpi = row.Dpi > 0 ? row.Dpi : 96;
        const int32_t em = (8 * dpi + 36) / 72;
        const int32_t cell = (em * 2472 + 2047) / 2048;
        EXPECT_GE(places.Top2 - places.Top1, cell) << row.Dpi;
    }
}

TEST(JudgeCursor, ASystemMoveIsOnlyOneOffAVanishedPlace) {
    struct Row {
        int32_t X, Y;
        bool SavedOnAMonitor;
        TCursorVerdict Expected;
    } rows[] = {
        {1000, 700, true, TCursorVerdict::Stay},          {1005, 695, true, TCursorVerdict::Stay},
        {1005, 695, false, TCursorVerdict::Stay},         {1006, 700, true, TCursorVerdict::Dismiss},
        {1000, 694, true, TCursorVerdict::Dismiss},       {1279, 700, false, TCursorVerdict::FollowSystem},
        {1000, 719, false, TCursorVerdict::FollowSystem}, {994, 700, false, TCursorVerdict::FollowSystem},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(JudgeCursor(1000, 700, row.X, row.Y, row.SavedOnAMonitor), row.Expected)
            << row.X << "," << row.Y << " " << row.SavedOnAMonitor;
    }
}

TEST(MoveFilter, RightAfterADisplayChangeOnlyTwoPollsInARowCount) {
    // Each row: beyond the dead zone, settling, from the poll -> counts.
    struct Step {
        bool Beyond, Settling, FromPoll, Counts;
    };
    const std::vector<std::vector<Step>> scenarios = {
        // Ordinary times: the first sight counts, poll or message.
        {{true, false, true, true}, {true, false, false, true}, {false, false, true, false}},
        // A place reported for a moment, then the resting cursor again.
        {{true, true, false, false}, {true, true, true, false}, {false, true, true, false}, {true, true, true, false}},
        // A move that holds: the second poll counts it; messages never do.
        {{true, true, true, false}, {true, true, false, false}, {true, true, true, true}, {true, true, true, false}},
        // A pending sight does not carry over once the settling is over.
        {{true, true, true, false}, {true, false, true, true}, {true, true, true, false}},
    };
    for (size_t s = 0; s < scenarios.size(); ++s) {
        TMoveFilter filter;
        for (size_t i = 0; i < scenarios[s].size(); ++i) {
            const Step& step = scenarios[s][i];
            EXPECT_EQ(filter.Counts(step.Beyond, step.Settling, step.FromPoll), step.Counts)
                << "scenario " << s << " step " << i;
        }
    }
}
