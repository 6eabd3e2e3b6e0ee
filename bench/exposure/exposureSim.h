// How long the band blanks each row of the desktop over a long run, with the
// band's own movement logic: the same places, in the same order, as the
// program gives for the same seed.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "src/bandMotion.h"
#include "src/bandShape.h"

struct TExposureSetup {
    int32_t DesktopWidth = 1920;
    int32_t DesktopHeight = 1080;
    int32_t CoverArea = 1;
    int32_t TransitionTime = 2;
    int32_t MovementType = 1;
    bool DrawBorders = true;
    uint32_t Seed = 0;
    int64_t DurationSeconds = 24 * 3600;
    // Rows at the top and the bottom the band leaves clear (held as the
    // band holds them): never blanked.
    int32_t KeepClearTop = 0;
    int32_t KeepClearBottom = 0;
};

struct TRowExposure {
    int64_t BlankedMs = 0;           // time covered by the band's black
    int64_t LongestUnblankedMs = 0;  // longest stretch without, both ends of the run included
    int64_t TimesBlanked = 0;        // moves that put black over the row after a move that did not
};

struct TExposureResult {
    std::vector<TRowExposure> Rows;
    int64_t DurationMs = 0;
    int64_t Moves = 0;
};

struct TExposureSummary {
    double MinShare = 0, MedianShare = 0, MaxShare = 0;
    double Evenness = 0;  // largest share / smallest; 0 when some row is never blanked
    int64_t LongestUnblankedMs = 0;
};

// Called with each move's place, in order, before it is counted.
using TPlaceObserver = std::function<void(int64_t moveIndex, const TMovePlace& place)>;

// The band's black rows for a band whose top edge is at top: without borders
// all its rows, with borders all but its first and last (those are white).
struct TBlackRows {
    int64_t First, Last;  // inclusive, in desktop rows; First > Last for none
};
TBlackRows BlackRowsOf(int64_t top, int32_t bandHeight, bool drawBorders);

// Runs the band for the setup's duration: the first move at time 0, as the
// show does, then one every TransitionTime seconds.
TExposureResult SimulateExposure(const TExposureSetup& setup, const TPlaceObserver& observer = nullptr);

// The same on a layout of monitors: a band for each group of monitors of the
// same top and height, the groups drawing their places in their order from
// one generator, as the program does. One result per monitor, its rows from
// the monitor's top (the setup's desktop size is not used).
std::vector<TExposureResult> SimulateLayoutExposure(const TExposureSetup& setup, const std::vector<TRect>& monitors);

TExposureSummary Summarize(const TExposureResult& result);
