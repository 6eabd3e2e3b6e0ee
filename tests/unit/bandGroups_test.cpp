#include "src/bandGroups.h"

#include <gtest/gtest.h>

#include "src/bandMotion.h"

namespace {

using Rects = std::vector<TRect>;

struct TGroupCase {
    const char* Name;
    Rects Monitors;
    Rects Groups;
    std::vector<std::vector<size_t>> Members;
};

TEST(MonitorGroups, Layouts) {
    const TGroupCase cases[] = {
        {"one monitor", {{0, 0, 1920, 1080}}, {{0, 0, 1920, 1080}}, {{0}}},
        {"one row of three equal monitors: one band, as ever",
         {{1920, 0, 3840, 1080}, {0, 0, 1920, 1080}, {3840, 0, 5760, 1080}},
         {{0, 0, 5760, 1080}},
         {{0, 1, 2}}},
        {"two rows of two",
         {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {0, 1080, 1920, 2160}, {1920, 1080, 3840, 2160}},
         {{0, 0, 3840, 1080}, {0, 1080, 3840, 2160}},
         {{0, 1}, {2, 3}}},
        {"three over three, primary bottom left",
         {{0, 0, 1920, 1080},
          {1920, 0, 3840, 1080},
          {3840, 0, 5760, 1080},
          {0, -1080, 1920, 0},
          {1920, -1080, 3840, 0},
          {3840, -1080, 5760, 0}},
         {{0, -1080, 5760, 0}, {0, 0, 5760, 1080}},
         {{3, 4, 5}, {0, 1, 2}}},
        {"a large overview above two working monitors",
         {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {0, -2160, 3840, 0}},
         {{0, -2160, 3840, 0}, {0, 0, 3840, 1080}},
         {{2}, {0, 1}}},
        {"a portrait monitor between landscape ones",
         {{1080, 840, 3000, 1920}, {0, 0, 1080, 1920}, {3000, 840, 4920, 1920}},
         {{0, 0, 1080, 1920}, {1080, 840, 4920, 1920}},
         {{1}, {0, 2}}},
        {"different heights, an offset, negative coordinates",
         {{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}},
         {{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}},
         {{0}, {1}}},
        {"same rows with a gap between: one band over both, as ever",
         {{0, 0, 1920, 1080}, {2500, 0, 4420, 1080}},
         {{0, 0, 4420, 1080}},
         {{0, 1}}},
        {"same top, other height: two bands",
         {{0, 0, 1920, 1080}, {1920, 0, 3840, 1200}},
         {{0, 0, 1920, 1080}, {1920, 0, 3840, 1200}},
         {{0}, {1}}},
        {"a mirrored monitor", {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}}, {{0, 0, 1920, 1080}}, {{0, 1}}},
        {"a monitor without area is left out", {{0, 0, 1920, 1080}, {100, 100, 100, 500}}, {{0, 0, 1920, 1080}}, {{0}}},
        {"no monitors", {}, {}, {}},
    };
    for (const TGroupCase& c : cases) {
        const std::vector<TMonitorGroup> groups = GroupMonitors(c.Monitors);
        ASSERT_EQ(groups.size(), c.Groups.size()) << c.Name;
        for (size_t i = 0; i < groups.size(); ++i) {
            EXPECT_EQ(groups[i].Rect, c.Groups[i]) << c.Name << ", group " << i;
            EXPECT_EQ(groups[i].Monitors, c.Members[i]) << c.Name << ", group " << i;
        }
    }
}

// Each group's band: its height from the group's rows, its stepping cycle
// over the group's rows only, every row of every monitor of the group once.
TEST(MonitorGroups, EachBandStepsOverItsOwnGroupsRows) {
    const Rects monitors = {{1080, 840, 3000, 1920}, {0, 0, 1080, 1920}};
    for (const TMonitorGroup& g : GroupMonitors(monitors)) {
        const TRect& desktop = g.Rect;
        const TRect band = ComputeBandRect(desktop, 1);
        EXPECT_EQ(band.Height(), desktop.Height() / 3);
        EXPECT_EQ(band.Left, desktop.Left);
        EXPECT_EQ(band.Width(), desktop.Width());
        TMoveState state;
        TRandom random;
        TMoveInput input{};
        input.BandHeight = band.Height();
        input.FormWidth = band.Width();
        input.FormHeight = band.Height();
        input.LogoWidth = 200;
        input.LogoHeight = 44;
        input.Desktop = desktop;
        input.MovementType = 0;
        input.CoverArea = 1;
        input.DrawBorders = true;
        std::vector<bool> covered(static_cast<size_t>(desktop.Height()), false);
        for (int k = 0; k <= 3; ++k) {
            const TMovePlace place = ComputeMove(state, random, input);
            EXPECT_GE(place.Top + band.Height(), desktop.Top);
            EXPECT_LE(place.Top, desktop.Top + desktop.Height());
            for (int32_t row = std::max(place.Top, desktop.Top);
                 row < std::min(place.Top + band.Height(), desktop.Top + desktop.Height()); ++row) {
                covered[static_cast<size_t>(row - desktop.Top)] = true;
            }
        }
        for (size_t row = 0; row < covered.size(); ++row) EXPECT_TRUE(covered[row]) << "row " << row;
    }
}

}  // namespace
