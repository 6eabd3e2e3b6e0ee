// Blanking exposure of every desktop row for one setting, or the table of
// all settings for the administrators' notes.
//
//   exposure [--width W] [--height H] [--cover 0-3] [--time 1-5]
//            [--movement 0|1] [--borders 0|1] [--seed N] [--hours X] [--rows]
//            [--keep-top ROWS] [--keep-bottom ROWS]
//            [--monitors "LEFT,TOP,RIGHT,BOTTOM;..."]   each monitor's figures
//   exposure --table
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/exposure/exposureSim.h"

namespace {

const char* const kCoverNames[] = {"1/2", "1/3", "1/4", "1/5"};

void PrintSummaryHeader() {
    std::printf(
        "| desktop | CoverArea | movement | least blanked | median | most blanked | most / least | "
        "longest unblanked |\n|---|---|---|---|---|---|---|---|\n");
}

void PrintSummaryRow(const TExposureSetup& setup, const TExposureSummary& s) {
    std::printf("| %d x %d | %d (%s) | %s | %.1f %% | %.1f %% | %.1f %% | %.2f | %.0f s |\n", setup.DesktopWidth,
                setup.DesktopHeight, setup.CoverArea, kCoverNames[ClampCoverArea(setup.CoverArea)],
                setup.MovementType == 0 ? "upside down" : "randomly", 100 * s.MinShare, 100 * s.MedianShare,
                100 * s.MaxShare, s.Evenness, static_cast<double>(s.LongestUnblankedMs) / 1000.0);
}

void PrintMonitorHeader() {
    std::printf(
        "| monitor | CoverArea | movement | least blanked | median | most blanked | most / least | "
        "longest unblanked |\n|---|---|---|---|---|---|---|---|\n");
}

void PrintMonitorRow(const TExposureSetup& setup, const TRect& m, const TExposureSummary& s) {
    std::printf("| %d x %d at %d,%d | %d (%s) | %s | %.1f %% | %.1f %% | %.1f %% | %.2f | %.0f s |\n", m.Right - m.Left,
                m.Bottom - m.Top, m.Left, m.Top, setup.CoverArea, kCoverNames[ClampCoverArea(setup.CoverArea)],
                setup.MovementType == 0 ? "upside down" : "randomly", 100 * s.MinShare, 100 * s.MedianShare,
                100 * s.MaxShare, s.Evenness, static_cast<double>(s.LongestUnblankedMs) / 1000.0);
}

// "LEFT,TOP,RIGHT,BOTTOM;..." in screen coordinates; false when malformed.
bool ReadMonitors(const std::string& text, std::vector<TRect>& monitors) {
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find(';', at), text.size());
        TRect r;
        long long v[4];
        if (std::sscanf(text.substr(at, end - at).c_str(), "%lld,%lld,%lld,%lld", &v[0], &v[1], &v[2], &v[3]) != 4) {
            return false;
        }
        for (long long x : v) {
            if (x < -(1 << 20) || x > (1 << 20)) return false;
        }
        r = TRect{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2]),
                  static_cast<int32_t>(v[3])};
        if (r.Right <= r.Left || r.Bottom <= r.Top) return false;
        monitors.push_back(r);
        at = end + 1;
    }
    return !monitors.empty();
}

void LayoutRows(const TExposureSetup& setup, const std::vector<TRect>& monitors) {
    const std::vector<TExposureResult> results = SimulateLayoutExposure(setup, monitors);
    for (size_t i = 0; i < monitors.size(); ++i) PrintMonitorRow(setup, monitors[i], Summarize(results[i]));
}

int Table(uint32_t seed, double hours) {
    const auto started = std::chrono::steady_clock::now();
    PrintSummaryHeader();
    for (int32_t height : {1080, 2160}) {
        for (int32_t movement : {0, 1}) {
            for (int32_t cover = 0; cover <= 3; ++cover) {
                TExposureSetup setup;
                setup.DesktopWidth = height == 1080 ? 1920 : 3840;
                setup.DesktopHeight = height;
                setup.CoverArea = cover;
                setup.MovementType = movement;
                setup.Seed = seed;
                setup.DurationSeconds = static_cast<int64_t>(hours * 3600);
                PrintSummaryRow(setup, Summarize(SimulateExposure(setup)));
            }
        }
    }
    // Several monitors: a band for each row of monitors of the same height.
    std::printf("\n");
    PrintMonitorHeader();
    const std::vector<std::vector<TRect>> layouts = {
        {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {0, 1080, 1920, 2160}, {1920, 1080, 3840, 2160}},
        {{0, 0, 1920, 1080}, {-1080, -840, 0, 1080}},
    };
    for (const std::vector<TRect>& layout : layouts) {
        for (int32_t movement : {0, 1}) {
            TExposureSetup setup;
            setup.MovementType = movement;
            setup.Seed = seed;
            setup.DurationSeconds = static_cast<int64_t>(hours * 3600);
            LayoutRows(setup, layout);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "16 settings and 2 layouts, %.0f h each, in %.2f s\n", hours, seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TExposureSetup setup;
    setup.Seed = 0x5EED1234u;
    double hours = 24;
    bool rows = false;
    bool table = false;
    std::vector<TRect> monitors;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&](long long& out) {
            if (value == nullptr) return false;
            char* end = nullptr;
            out = std::strtoll(value, &end, 0);
            ++i;
            return end != value && *end == '\0';
        };
        long long n = 0;
        if (arg == "--rows") {
            rows = true;
        } else if (arg == "--table") {
            table = true;
        } else if (arg == "--hours" && value != nullptr) {
            hours = std::atof(value);
            ++i;
        } else if (arg == "--width" && number(n)) {
            setup.DesktopWidth = static_cast<int32_t>(n);
        } else if (arg == "--height" && number(n)) {
            setup.DesktopHeight = static_cast<int32_t>(n);
        } else if (arg == "--cover" && number(n)) {
            setup.CoverArea = static_cast<int32_t>(n);
        } else if (arg == "--time" && number(n)) {
            setup.TransitionTime = static_cast<int32_t>(n);
        } else if (arg == "--movement" && number(n)) {
            setup.MovementType = static_cast<int32_t>(n);
        } else if (arg == "--borders" && number(n)) {
            setup.DrawBorders = n != 0;
        } else if (arg == "--keep-top" && number(n)) {
            setup.KeepClearTop = static_cast<int32_t>(n);
        } else if (arg == "--keep-bottom" && number(n)) {
            setup.KeepClearBottom = static_cast<int32_t>(n);
        } else if (arg == "--monitors" && value != nullptr) {
            if (!ReadMonitors(value, monitors)) {
                std::fprintf(stderr, "exposure: --monitors takes LEFT,TOP,RIGHT,BOTTOM;... with positive sizes\n");
                return 2;
            }
            ++i;
        } else if (arg == "--seed" && number(n)) {
            setup.Seed = static_cast<uint32_t>(n);
        } else {
            std::fprintf(stderr, "exposure: unknown or incomplete argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (setup.DesktopWidth <= 0 || setup.DesktopHeight <= 0 || setup.DesktopHeight > 1 << 20 || hours <= 0 ||
        hours > 24 * 366) {
        std::fprintf(stderr, "exposure: the desktop and the duration must be positive and sensible\n");
        return 2;
    }
    if (table) return Table(setup.Seed, hours);

    setup.DurationSeconds = static_cast<int64_t>(hours * 3600);
    if (!monitors.empty()) {
        PrintMonitorHeader();
        LayoutRows(setup, monitors);
        return 0;
    }
    const auto started = std::chrono::steady_clock::now();
    const TExposureResult result = SimulateExposure(setup);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (rows) {
        std::printf("row\tshare_blanked\tlongest_unblanked_s\ttimes_blanked\n");
        for (size_t row = 0; row < result.Rows.size(); ++row) {
            const TRowExposure& r = result.Rows[row];
            std::printf("%zu\t%.6f\t%.0f\t%lld\n", row,
                        static_cast<double>(r.BlankedMs) / static_cast<double>(result.DurationMs),
                        static_cast<double>(r.LongestUnblankedMs) / 1000.0, static_cast<long long>(r.TimesBlanked));
        }
    } else {
        PrintSummaryHeader();
        PrintSummaryRow(setup, Summarize(result));
    }
    std::fprintf(stderr, "%lld moves over %.0f h simulated in %.3f s\n", static_cast<long long>(result.Moves), hours,
                 seconds);
    return 0;
}
