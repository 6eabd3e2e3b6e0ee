// Geometry, movement and dismissal test of the saver band, free of any window.
#pragma once

#include <cstdint>

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

// The virtual desktop, the bounding rectangle of all monitors.
struct TDesktop {
    int32_t Left;
    int32_t Top;
    int32_t Width;
    int32_t Height;
};

struct TBandRect {
    int32_t Left;
    int32_t Width;
    int32_t Height;
};

// The band: desktop's left and width, desktop's height div (cover area + 2).
TBandRect ComputeBandRect(const TDesktop& desktop, int32_t coverArea);

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
    TDesktop Desktop;
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

constexpr uint32_t kWmActivate = 0x0006;
constexpr uint32_t kWmActivateApp = 0x001C;
constexpr uint32_t kWmNcActivate = 0x0086;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmMouseMove = 0x0200;

// The dismissal rule for a queued message; mouse coordinates in lParam are
// client coordinates of the band, which starts at (bandLeft, bandTop).
THookVerdict ClassifyQueuedMessage(uint32_t message, uint64_t lParam, int32_t bandLeft, int32_t bandTop,
                                   int32_t startX, int32_t startY);
