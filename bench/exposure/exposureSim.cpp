#include "bench/exposure/exposureSim.h"

#include <algorithm>

#include "src/bandGroups.h"
#include "src/bandShape.h"

namespace {

constexpr int32_t kLogoWidth = 200;
constexpr int32_t kLogoHeight = 44;

}  // namespace

TBlackRows BlackRowsOf(int64_t top, int32_t bandHeight, bool drawBorders) {
    if (bandHeight <= 0) return TBlackRows{0, -1};
    if (!drawBorders) return TBlackRows{top, top + bandHeight - 1};
    return TBlackRows{top + 1, top + bandHeight - 2};
}

namespace {

// One band over one group of rows, in rows of its own from the group's top.
struct TGroupRun {
    TRect Band{};
    TMoveInput Input{};
    TMoveState State;
    TExposureResult Result;
    // When each row's last black stretch ended; -1 before its first.
    std::vector<int64_t> BlackUntil;
};

TGroupRun StartGroup(const TExposureSetup& setup, const TRect& desktop, int64_t durationMs) {
    TGroupRun run;
    run.Band = ComputeBandRect(desktop, setup.CoverArea);
    run.Input.BandHeight = run.Band.Height();
    run.Input.FormWidth = run.Band.Width();
    run.Input.FormHeight = run.Band.Height();
    run.Input.LogoWidth = kLogoWidth;
    run.Input.LogoHeight = kLogoHeight;
    run.Input.Desktop = desktop;
    run.Input.MovementType = setup.MovementType;
    run.Input.CoverArea = setup.CoverArea;
    run.Input.DrawBorders = setup.DrawBorders;
    const int32_t rows = std::max(desktop.Height(), 0);
    run.Result.Rows.assign(static_cast<size_t>(rows), TRowExposure{});
    run.Result.DurationMs = durationMs;
    run.BlackUntil.assign(static_cast<size_t>(rows), -1);
    return run;
}

void CountMove(const TExposureSetup& setup, TGroupRun& run, const TMovePlace& place, int64_t start, int64_t end) {
    ++run.Result.Moves;
    const int64_t rows = static_cast<int64_t>(run.Result.Rows.size());
    const TBlackRows black = BlackRowsOf(place.Top - run.Input.Desktop.Top, run.Band.Height(), setup.DrawBorders);
    const int32_t height = static_cast<int32_t>(rows);
    const int64_t first = std::max<int64_t>(black.First, ClampKeepClear(setup.KeepClearTop, height));
    const int64_t last = std::min<int64_t>(black.Last, rows - 1 - ClampKeepClear(setup.KeepClearBottom, height));
    for (int64_t row = first; row <= last; ++row) {
        TRowExposure& exposure = run.Result.Rows[static_cast<size_t>(row)];
        int64_t& until = run.BlackUntil[static_cast<size_t>(row)];
        // Black in the move before as well: the same stretch goes on.
        if (until != start) {
            exposure.LongestUnblankedMs = std::max(exposure.LongestUnblankedMs, start - std::max<int64_t>(until, 0));
            ++exposure.TimesBlanked;
        }
        exposure.BlankedMs += end - start;
        until = end;
    }
}

void FinishGroup(TGroupRun& run) {
    for (size_t row = 0; row < run.Result.Rows.size(); ++row) {
        TRowExposure& exposure = run.Result.Rows[row];
        const int64_t until = std::max<int64_t>(run.BlackUntil[row], 0);
        exposure.LongestUnblankedMs = std::max(exposure.LongestUnblankedMs, run.Result.DurationMs - until);
    }
}

// Every group's band from the first move at time 0, one move each per
// TransitionTime, the groups drawing in their order from one generator.
std::vector<TGroupRun> RunGroups(const TExposureSetup& setup, const std::vector<TRect>& groups,
                                 const TPlaceObserver& observer) {
    const int64_t durationMs = std::max<int64_t>(setup.DurationSeconds, 0) * 1000;
    std::vector<TGroupRun> runs;
    for (const TRect& desktop : groups) runs.push_back(StartGroup(setup, desktop, durationMs));
    TRandom random;
    random.State = setup.Seed;
    const int64_t intervalMs = MoveIntervalMs(setup.TransitionTime);
    int64_t moves = 0;
    for (int64_t start = 0; start < durationMs; start += intervalMs) {
        const int64_t end = std::min(start + intervalMs, durationMs);
        for (TGroupRun& run : runs) {
            const TMovePlace place = ComputeMove(run.State, random, run.Input);
            if (observer) observer(moves, place);
            CountMove(setup, run, place, start, end);
        }
        ++moves;
    }
    for (TGroupRun& run : runs) FinishGroup(run);
    return runs;
}

}  // namespace

TExposureResult SimulateExposure(const TExposureSetup& setup, const TPlaceObserver& observer) {
    return RunGroups(setup, {RectAt(0, 0, setup.DesktopWidth, setup.DesktopHeight)}, observer).front().Result;
}

std::vector<TExposureResult> SimulateLayoutExposure(const TExposureSetup& setup, const std::vector<TRect>& monitors) {
    const std::vector<TMonitorGroup> groups = GroupMonitors(monitors);
    std::vector<TRect> desktops;
    for (const TMonitorGroup& g : groups) {
        desktops.push_back(g.Rect);
    }
    const std::vector<TGroupRun> runs = RunGroups(setup, desktops, nullptr);
    std::vector<TExposureResult> results(monitors.size());
    for (size_t g = 0; g < groups.size(); ++g) {
        for (size_t m : groups[g].Monitors) results[m] = runs[g].Result;
    }
    return results;
}

TExposureSummary Summarize(const TExposureResult& result) {
    TExposureSummary summary;
    if (result.Rows.empty() || result.DurationMs <= 0) return summary;
    std::vector<double> shares;
    shares.reserve(result.Rows.size());
    for (const TRowExposure& row : result.Rows) {
        shares.push_back(static_cast<double>(row.BlankedMs) / static_cast<double>(result.DurationMs));
        summary.LongestUnblankedMs = std::max(summary.LongestUnblankedMs, row.LongestUnblankedMs);
    }
    std::sort(shares.begin(), shares.end());
    summary.MinShare = shares.front();
    summary.MaxShare = shares.back();
    const size_t middle = shares.size() / 2;
    summary.MedianShare = shares.size() % 2 == 1 ? shares[middle] : (shares[middle - 1] + shares[middle]) / 2;
    summary.Evenness = summary.MinShare > 0 ? summary.MaxShare / summary.MinShare : 0;
    return summary;
}
