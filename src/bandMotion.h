// Geometry, movement and dismissal test of the saver band, free of any window.
#pragma once

#include <cstdint>

#include "platform/geometry.h"
#include "platform/messages.h"

// Linear congruential generator of the band's places.
struct TRandom {
    uint32_t State = 0;
    // Advances the state, then returns the high 32 bits of n (as unsigned) * state.
    // 0..n-1 for n > 0, 0 for n = 0; no useful range for n < 0.
    int32_t Next(int32_t n);
};

// Range of a draw: negative becomes 0, beyond int32 becomes INT32_MAX.
int32_t ClampRange(int64_t n);
// One draw that is never negative: a negative range draws as 0 (the state still advances).
int32_t DrawNonNegative(TRandom& random, int32_t n);

// Settings as the band may use them, whatever the store holds.
int32_t ClampCoverArea(int32_t v);       // 0..3
int32_t ClampTransitionTime(int32_t v);  // 1..5
// Interval of the move timer in milliseconds.
uint32_t MoveIntervalMs(int32_t transitionTime);

// The band at the desktop's top: its left and width, its height div (cover
// area + 2). The desktop is the bounding rectangle of the monitors it spans.
TRect ComputeBandRect(const TRect& desktop, int32_t coverArea);

// Sequential-movement state, kept for the whole process.
struct TMoveState {
    int32_t MoveStep = -2;
    int32_t MoveOffset = 0;
};

struct TMoveInput {
    int32_t BandHeight;  // height of the band picture
    int32_t FormWidth;
    int32_t FormHeight;
    int32_t LogoWidth;
    int32_t LogoHeight;
    TRect Desktop;
    int32_t MovementType;  // 0 sequential, anything else random
    int32_t CoverArea;
    bool DrawBorders;
};

struct TMovePlace {
    int32_t Top;  // screen coordinates; measured from the virtual desktop's top edge
    int32_t LogoLeft;
    int32_t LogoTop;
};

// One move of the band: draws the phase (sequential, on reset) or the top
// (random), then the logo's left, then the logo's top.
TMovePlace ComputeMove(TMoveState& state, TRandom& random, const TMoveInput& input);

// True when now is more than 5 away from saved.
bool BeyondDeadZone(int32_t saved, int32_t now);

enum class THookVerdict { Ignore, Close };

// The dismissal rule for a queued message; mouse coordinates in lParam are
// client coordinates of the band, which starts at (bandLeft, bandTop).
THookVerdict ClassifyQueuedMessage(uint32_t message, uint64_t lParam, int32_t bandLeft, int32_t bandTop, int32_t startX,
                                   int32_t startY);

// Where the two text lines' cells start on the band picture: (10, 10) and
// (10, 24) at 96 DPI, scaled to the monitor's DPI and rounded to nearest,
// so that the 8-point font's taller cells never overlap.
struct TBandTextPlaces {
    int32_t Left;
    int32_t Top1;
    int32_t Top2;
};
TBandTextPlaces BandTextPlaces(int32_t dpi);

enum class TCursorVerdict {
    Stay,          // within the dead zone
    Dismiss,       // the operator moved
    FollowSystem,  // the system moved it: where it is now becomes the saved place
};

// A cursor read against its saved place. Only when the saved place lies on
// no monitor any more (the desktop shrank under it) can the system have
// moved the cursor by itself; any other move is the operator's.
TCursorVerdict JudgeCursor(int32_t startX, int32_t startY, int32_t x, int32_t y, bool savedPlaceOnAMonitor);

// Right after a display change the window system may report for a moment a
// cursor place where the cursor does not rest (Wine does while it resizes
// its desktop). While that may happen a move counts only when two polls in
// a row see it; mouse messages wait for the poll. At any other time the
// first sight of a move counts.
class TMoveFilter {
public:
    bool Counts(bool beyondDeadZone, bool settling, bool fromPoll);

private:
    bool pending_ = false;
};
