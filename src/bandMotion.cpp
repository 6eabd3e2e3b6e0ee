#include "src/bandMotion.h"

#include <cstdint>
#include <limits>

#include "platform/numeric.h"

namespace {

constexpr int64_t kDeadZone = 5;

bool Beyond(int64_t saved, int64_t now) {
    const int64_t d = now - saved;
    return d > kDeadZone || d < -kDeadZone;
}

}  // namespace

int32_t TRandom::Next(int32_t n) {
    State = State * 134775813u + 1u;
    const uint64_t product = static_cast<uint64_t>(static_cast<uint32_t>(n)) * State;
    return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}

int32_t ClampRange(int64_t n) {
    if (n < 0) {
        return 0;
    }
    return SaturateToInt32(n);
}

int32_t DrawNonNegative(TRandom& random, int32_t n) { return random.Next(n < 0 ? 0 : n); }

int32_t ClampCoverArea(int32_t v) { return v < 0 ? 0 : (v > 3 ? 3 : v); }

int32_t ClampTransitionTime(int32_t v) { return v < 1 ? 1 : (v > 5 ? 5 : v); }

uint32_t MoveIntervalMs(int32_t transitionTime) {
    return static_cast<uint32_t>(ClampTransitionTime(transitionTime)) * 1000u;
}

TRect ComputeBandRect(const TRect& desktop, int32_t coverArea) {
    const int32_t n = ClampCoverArea(coverArea) + 2;
    return RectAt(desktop.Left, desktop.Top, desktop.Width(), desktop.Height() / n);
}

TMovePlace ComputeMove(TMoveState& state, TRandom& random, const TMoveInput& input) {
    const int64_t h = input.BandHeight;
    int64_t top = 0;

    if (input.MovementType != 0) {
        top = static_cast<int64_t>(DrawNonNegative(random, input.Desktop.Height())) - h / 2;
    } else {
        const int64_t n = ClampCoverArea(input.CoverArea) + 2;
        const int64_t step = static_cast<int64_t>(state.MoveStep) + 1;
        if (step > n || step < 0) {
            state.MoveStep = 0;
            state.MoveOffset = SaturateToInt32(static_cast<int64_t>(DrawNonNegative(random, ClampRange(h - 40))) + 20);
        } else {
            state.MoveStep = static_cast<int32_t>(step);
        }
        const int64_t s = input.DrawBorders ? h - 2 : h;
        top = s * state.MoveStep - state.MoveOffset;
    }

    TMovePlace place{};
    place.Top = SaturateToInt32(static_cast<int64_t>(input.Desktop.Top) + top);
    place.LogoLeft = DrawNonNegative(random, ClampRange(static_cast<int64_t>(input.FormWidth) - input.LogoWidth));
    const int64_t logoTopRange = static_cast<int64_t>(input.FormHeight) - input.LogoHeight - 20;
    place.LogoTop = SaturateToInt32(static_cast<int64_t>(DrawNonNegative(random, ClampRange(logoTopRange))) + 10);
    return place;
}

bool BeyondDeadZone(int32_t saved, int32_t now) { return Beyond(saved, now); }

THookVerdict ClassifyQueuedMessage(uint32_t message, uint64_t lParam, int32_t bandLeft, int32_t bandTop, int32_t startX,
                                   int32_t startY) {
    switch (message) {
        case kWmMouseMove: {
            const int64_t x = static_cast<int64_t>(bandLeft) + static_cast<int64_t>(lParam & 0xFFFFu);
            if (Beyond(startX, x)) {
                return THookVerdict::Close;
            }
            const int64_t y = static_cast<int64_t>((lParam >> 16) & 0xFFFFu) + bandTop;
            return Beyond(startY, y) ? THookVerdict::Close : THookVerdict::Ignore;
        }
        case kWmKeyDown:
        case kWmActivate:
        case kWmActivateApp:
        case kWmNcActivate: return THookVerdict::Close;
        default: return THookVerdict::Ignore;
    }
}

namespace {

// As MulDiv: the product rounded half away from zero.
int32_t ScaleToDpi(int32_t designPixels, int32_t dpi) {
    const int64_t product = static_cast<int64_t>(designPixels) * (dpi > 0 ? dpi : 96);
    return SaturateToInt32((product + (product >= 0 ? 48 : -48)) / 96);
}

}  // namespace

TBandTextPlaces BandTextPlaces(int32_t dpi) {
    return TBandTextPlaces{ScaleToDpi(10, dpi), ScaleToDpi(10, dpi), ScaleToDpi(24, dpi)};
}

TCursorVerdict JudgeCursor(int32_t startX, int32_t startY, int32_t x, int32_t y, bool savedPlaceOnAMonitor) {
    if (!Beyond(startX, x) && !Beyond(startY, y)) {
        return TCursorVerdict::Stay;
    }
    return savedPlaceOnAMonitor ? TCursorVerdict::Dismiss : TCursorVerdict::FollowSystem;
}

bool TMoveFilter::Counts(bool beyondDeadZone, bool settling, bool fromPoll) {
    if (!beyondDeadZone) {
        if (fromPoll) {
            pending_ = false;
        }
        return false;
    }
    if (!settling) {
        pending_ = false;
        return true;
    }
    if (!fromPoll) {
        return false;
    }
    if (pending_) {
        pending_ = false;
        return true;
    }
    pending_ = true;
    return false;
}
