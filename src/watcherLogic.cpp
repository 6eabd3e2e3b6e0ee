#include "src/watcherLogic.h"

#include <algorithm>

int32_t ClampStartAfterIdle(int32_t seconds) {
    return std::clamp(seconds, 0, kStartAfterIdleMost);
}

void TWatchSchedule::BandEnded(uint64_t now) {
    quietSince_ = std::max(quietSince_, now);
}

void TWatchSchedule::HoldUntil(uint64_t until) {
    holdUntil_ = std::max(holdUntil_, until);
}

TWatchStep TWatchSchedule::Next(const TWatchFacts& facts) const {
    const int32_t idle = ClampStartAfterIdle(facts.StartAfterIdle);
    // Off: nothing to wait for but the next read of the settings.
    if (idle == 0) return TWatchStep{false, kWatcherSettingsEveryMs};
    const uint64_t lastInput = facts.Now - std::min(facts.SinceInputMs, facts.Now);
    const uint64_t quietSince = std::max(lastInput, quietSince_);
    const uint64_t due = std::max(quietSince + static_cast<uint64_t>(idle) * 1000u, holdUntil_);
    if (facts.Now < due) {
        // Input can only put the start off, never bring it nearer: one wake at the due time.
        return TWatchStep{false, static_cast<uint32_t>(std::min<uint64_t>(due - facts.Now, UINT32_MAX))};
    }
    if (!facts.OnInputDesktop) return TWatchStep{false, kWatcherRecheckMs};
    return TWatchStep{true, 0};
}
