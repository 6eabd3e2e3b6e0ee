#include "src/watcherLogic.h"

#include <algorithm>

int32_t ClampStartAfterIdle(int32_t seconds) { return std::clamp(seconds, 0, kStartAfterIdleMost); }

void TWatchSchedule::BandEnded(uint64_t now) {
    if (timedHold_) return;
    quietSince_ = std::max(quietSince_, now);
}

void TWatchSchedule::ControlEnded(uint64_t now, bool timedHold) {
    if (timedHold) {
        timedHold_ = true;
    } else {
        BandEnded(now);
    }
}

TWatchStep TWatchSchedule::Next(const TWatchFacts& facts) const {
    const int32_t idle = ClampStartAfterIdle(facts.StartAfterIdle);
    // Off: nothing to wait for but the next read of the settings.
    if (idle == 0) return TWatchStep{false, kWatcherSettingsEveryMs};
    // The hold's end wakes the watcher; this is only the longest wait for it.
    if (facts.Held) return TWatchStep{false, kWatcherRecheckMs};
    const uint64_t lastInput = facts.Now - std::min(facts.SinceInputMs, facts.Now);
    const uint64_t quietSince = std::max(lastInput, quietSince_);
    const uint64_t due = quietSince + static_cast<uint64_t>(idle) * 1000u;
    if (facts.Now < due) {
        // Input can only put the start off, never bring it nearer: one wake at the due time.
        return TWatchStep{false, static_cast<uint32_t>(std::min<uint64_t>(due - facts.Now, UINT32_MAX))};
    }
    if (!facts.OnInputDesktop) return TWatchStep{false, kWatcherRecheckMs};
    return TWatchStep{true, 0};
}
