#include "bench/exposure/exposureSim.h"

#include <algorithm>

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

TExposureResult SimulateExposure(const TExposureSetup& setup, const TPlaceObserver& observer) {
    const TDesktop desktop{0, 0, setup.DesktopWidth, setup.DesktopHeight};
    const TBandRect band = ComputeBandRect(desktop, setup.CoverArea);
    TMoveInput input{};
    input.BandHeight = band.Height;
    input.FormWidth = band.Width;
    input.FormHeight = band.Height;
    input.LogoWidth = kLogoWidth;
    input.LogoHeight = kLogoHeight;
    input.Desktop = desktop;
    input.MovementType = setup.MovementType;
    input.CoverArea = setup.CoverArea;
    input.DrawBorders = setup.DrawBorders;

    TMoveState state;
    TRandom random;
    random.State = setup.Seed;

    TExposureResult result;
    const int32_t rows = std::max(setup.DesktopHeight, 0);
    result.Rows.assign(static_cast<size_t>(rows), TRowExposure{});
    result.DurationMs = std::max<int64_t>(setup.DurationSeconds, 0) * 1000;
    const int64_t intervalMs = MoveIntervalMs(setup.TransitionTime);
    // When each row's last black stretch ended; kNever before its first.
    constexpr int64_t kNever = -1;
    std::vector<int64_t> blackUntil(static_cast<size_t>(rows), kNever);

    for (int64_t start = 0; start < result.DurationMs; start += intervalMs) {
        const TMovePlace place = ComputeMove(state, random, input);
        if (observer) observer(result.Moves, place);
        ++result.Moves;
        const int64_t end = std::min(start + intervalMs, result.DurationMs);
        const TBlackRows black = BlackRowsOf(place.Top, band.Height, setup.DrawBorders);
        const int64_t first = std::max<int64_t>(black.First, ClampKeepClear(setup.KeepClearTop, rows));
        const int64_t last = std::min<int64_t>(black.Last, rows - 1 - ClampKeepClear(setup.KeepClearBottom, rows));
        for (int64_t row = first; row <= last; ++row) {
            TRowExposure& exposure = result.Rows[static_cast<size_t>(row)];
            int64_t& until = blackUntil[static_cast<size_t>(row)];
            // Black in the move before as well: the same stretch goes on.
            if (until != start) {
                exposure.LongestUnblankedMs = std::max(exposure.LongestUnblankedMs, start - std::max<int64_t>(until, 0));
                ++exposure.TimesBlanked;
            }
            exposure.BlankedMs += end - start;
            until = end;
        }
    }
    for (int32_t row = 0; row < rows; ++row) {
        TRowExposure& exposure = result.Rows[static_cast<size_t>(row)];
        const int64_t until = std::max<int64_t>(blackUntil[static_cast<size_t>(row)], 0);
        exposure.LongestUnblankedMs = std::max(exposure.LongestUnblankedMs, result.DurationMs - until);
    }
    return result;
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
