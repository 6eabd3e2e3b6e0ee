#include "bench/exposure/exposureSim.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TExposureSetup Hd(int32_t movement, bool borders) {
    TExposureSetup setup;
    setup.MovementType = movement;
    setup.DrawBorders = borders;
    setup.Seed = 0;
    return setup;
}

std::vector<TMovePlace> FirstPlaces(TExposureSetup setup, int count) {
    setup.DurationSeconds = count * setup.TransitionTime;
    std::vector<TMovePlace> places;
    SimulateExposure(setup, [&](int64_t, const TMovePlace& place) { places.push_back(place); });
    return places;
}

// The seeded examples of the band's movement, reached through the simulation.
TEST(Exposure, FollowsTheBandsOwnSeededPlaces) {
    struct Case {
        int32_t Movement;
        std::vector<TMovePlace> Expected;
    } cases[] = {
        {0, {{-20, 53, 264}, {340, 348, 90}, {700, 1155, 104}, {1060, 278, 120}, {-156, 141, 150}, {204, 121, 258}}},
        {1, {{-180, 53, 264}, {38, 469, 208}, {164, 278, 120}}},
    };
    for (const Case& c : cases) {
        const std::vector<TMovePlace> places = FirstPlaces(Hd(c.Movement, false), static_cast<int>(c.Expected.size()));
        ASSERT_EQ(places.size(), c.Expected.size());
        for (size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(places[i].Top, c.Expected[i].Top) << "movement " << c.Movement << " move " << i;
            EXPECT_EQ(places[i].LogoLeft, c.Expected[i].LogoLeft) << "movement " << c.Movement << " move " << i;
            EXPECT_EQ(places[i].LogoTop, c.Expected[i].LogoTop) << "movement " << c.Movement << " move " << i;
        }
    }
}

TEST(Exposure, BordersAreWhiteNotBlack) {
    EXPECT_EQ(BlackRowsOf(100, 360, false).First, 100);
    EXPECT_EQ(BlackRowsOf(100, 360, false).Last, 459);
    EXPECT_EQ(BlackRowsOf(100, 360, true).First, 101);
    EXPECT_EQ(BlackRowsOf(100, 360, true).Last, 458);
    EXPECT_GT(BlackRowsOf(0, 0, true).First, BlackRowsOf(0, 0, true).Last);
}

// Sequential movement visits n + 1 places per cycle; over whole cycles
// every row is blanked once per cycle, with or without the border rows.
TEST(Exposure, StepsDownBlankEveryRowOncePerCycle) {
    for (int32_t height : {1080, 2160, 1000}) {
        for (int32_t cover = 0; cover <= 3; ++cover) {
            for (bool borders : {false, true}) {
                TExposureSetup setup = Hd(0, borders);
                setup.DesktopHeight = height;
                setup.CoverArea = cover;
                const int64_t cycles = 50;
                setup.DurationSeconds = cycles * (cover + 3) * setup.TransitionTime;
                const TExposureResult result = SimulateExposure(setup);
                for (size_t row = 0; row < result.Rows.size(); ++row) {
                    // A row black in the last place of one cycle and the first
                    // of the next counts once for both.
                    ASSERT_GE(result.Rows[row].TimesBlanked, cycles / 2);
                    ASSERT_LE(result.Rows[row].TimesBlanked, cycles)
                        << height << " " << cover << " " << borders << " row " << row;
                    ASSERT_EQ(result.Rows[row].BlankedMs, cycles * setup.TransitionTime * 1000)
                        << height << " " << cover << " " << borders << " row " << row;
                }
            }
        }
    }
}

// The random band's middle row is uniform, so a band reaching the edge
// rows from one side only blanks them about half as often. A week of moves
// keeps the statistical error well under the 5 % allowed here.
TEST(Exposure, RandomMovementBlanksTheEdgeRowsAboutHalfAsOften) {
    for (int32_t cover : {0, 1, 3}) {
        TExposureSetup setup = Hd(1, false);
        setup.CoverArea = cover;
        setup.Seed = 0x5EED1234u + static_cast<uint32_t>(cover);
        setup.DurationSeconds = 7 * 24 * 3600;
        const TExposureResult result = SimulateExposure(setup);
        const int32_t band = setup.DesktopHeight / (cover + 2);
        const auto share = [&](size_t row) {
            return static_cast<double>(result.Rows[row].BlankedMs) / static_cast<double>(result.DurationMs);
        };
        const double middle = share(result.Rows.size() / 2);
        EXPECT_NEAR(middle, static_cast<double>(band) / setup.DesktopHeight, 0.05 * middle) << cover;
        EXPECT_NEAR(share(0) / middle, 0.5, 0.05) << cover;
        EXPECT_NEAR(share(result.Rows.size() - 1) / middle, 0.5, 0.05) << cover;
        const TExposureSummary summary = Summarize(result);
        EXPECT_NEAR(summary.Evenness, 2.0, 0.15) << cover;
    }
}

TEST(Exposure, LongestUnblankedCountsBothEndsOfTheRun) {
    // A one-move run: rows outside the band wait the whole run.
    TExposureSetup setup = Hd(0, false);
    setup.DurationSeconds = 2;
    const TExposureResult result = SimulateExposure(setup);
    EXPECT_EQ(result.Moves, 1);
    EXPECT_EQ(result.Rows[0].LongestUnblankedMs, 0);        // black from the first moment
    EXPECT_EQ(result.Rows[1000].LongestUnblankedMs, 2000);  // never black
    EXPECT_EQ(Summarize(result).Evenness, 0);
    EXPECT_EQ(Summarize(result).LongestUnblankedMs, 2000);
}

}  // namespace

namespace {

// Rows kept clear are never blanked, and every other row's figures stay what
// they are without them: the strips take rows out, the movement is the same.
TEST(Exposure, KeptClearRowsAreNeverBlankedAndTheOthersUnchanged) {
    for (int32_t movement : {0, 1}) {
        TExposureSetup plain = Hd(movement, true);
        plain.DurationSeconds = 3600;
        TExposureSetup kept = plain;
        kept.KeepClearTop = 40;
        kept.KeepClearBottom = 5000;  // held at a quarter: 270 rows
        const TExposureResult a = SimulateExposure(plain);
        const TExposureResult b = SimulateExposure(kept);
        ASSERT_EQ(a.Rows.size(), b.Rows.size());
        for (size_t row = 0; row < b.Rows.size(); ++row) {
            const bool clear = row < 40 || row >= 1080 - 270;
            if (clear) {
                EXPECT_EQ(b.Rows[row].BlankedMs, 0) << row;
                EXPECT_EQ(b.Rows[row].LongestUnblankedMs, b.DurationMs) << row;
            } else {
                EXPECT_EQ(b.Rows[row].BlankedMs, a.Rows[row].BlankedMs) << row;
                EXPECT_EQ(b.Rows[row].LongestUnblankedMs, a.Rows[row].LongestUnblankedMs) << row;
            }
        }
    }
}

}  // namespace

namespace {

bool SameRows(const TExposureResult& a, const TExposureResult& b) {
    if (a.Rows.size() != b.Rows.size() || a.DurationMs != b.DurationMs) return false;
    for (size_t row = 0; row < a.Rows.size(); ++row) {
        if (a.Rows[row].BlankedMs != b.Rows[row].BlankedMs ||
            a.Rows[row].LongestUnblankedMs != b.Rows[row].LongestUnblankedMs ||
            a.Rows[row].TimesBlanked != b.Rows[row].TimesBlanked) {
            return false;
        }
    }
    return true;
}

// A row of equal monitors is one band over all of them: every monitor gets
// exactly the desktop's figures, random draws included. Two rows get a band
// each: stepping gives each monitor the figures of a desktop of its own row,
// and no monitor gets a band a third of both rows high.
TEST(Exposure, EachRowOfMonitorsGetsTheShareOfItsOwnBand) {
    for (int32_t movement : {0, 1}) {
        TExposureSetup setup = Hd(movement, true);
        setup.DurationSeconds = 3600;
        setup.DesktopWidth = 3840;
        const TExposureResult desktop = SimulateExposure(setup);
        const std::vector<TExposureResult> row =
            SimulateLayoutExposure(setup, {{1920, 0, 3840, 1080}, {0, 0, 1920, 1080}});
        ASSERT_EQ(row.size(), 2u);
        EXPECT_TRUE(SameRows(row[0], desktop) && SameRows(row[1], desktop)) << "movement " << movement;

        const std::vector<TExposureResult> rows = SimulateLayoutExposure(
            setup, {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {0, 1080, 1920, 2160}, {1920, 1080, 3840, 2160}});
        ASSERT_EQ(rows.size(), 4u);
        for (const TExposureResult& monitor : rows) {
            ASSERT_EQ(monitor.Rows.size(), 1080u);
            if (movement == 0) EXPECT_TRUE(SameRows(monitor, desktop));
            const TExposureSummary s = Summarize(monitor);
            EXPECT_GT(s.MinShare, 0.15) << "movement " << movement;
            EXPECT_LT(s.MaxShare, 0.35) << "movement " << movement;
        }
    }
}

}  // namespace
