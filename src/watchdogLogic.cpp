#include "src/watchdogLogic.h"

#include <algorithm>

#include "src/bandMotion.h"

TWatchdog::TWatchdog(int32_t startX, int32_t startY, TWatchdogConfig config)
    : startX_(startX), startY_(startY), config_(config) {}

bool TWatchdog::Silent(int64_t nowMs, int64_t heartbeatMs) const {
    return nowMs - heartbeatMs >= config_.UnresponsiveMs;
}

bool TWatchdog::NeedsLook(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs) const {
    return triggered_ || movedAtMs != 0 || nowMs - heartbeatMs >= config_.StaleMs;
}

int64_t TWatchdog::NextCheckInMs(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs, bool alarmKept) const {
    int64_t wait = config_.WatchMs;
    if (!NeedsLook(nowMs, heartbeatMs, movedAtMs)) wait = alarmKept ? config_.AlarmBackstopMs : config_.RestMs;
    if (triggered_) wait = std::min(wait, triggeredAtMs_ + config_.GraceMs - nowMs);
    return std::max<int64_t>(wait, 1);
}

TWatchdogAction TWatchdog::Check(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs, const TWatchdogLook* look) {
    if (!NeedsLook(nowMs, heartbeatMs, movedAtMs)) return TWatchdogAction::Nothing;
    if (look == nullptr) return TWatchdogAction::Nothing;
    if (!look->BandVisible) {
        // The band went the ordinary way; nothing left to guard.
        triggered_ = false;
        moved_ = false;
        return TWatchdogAction::Nothing;
    }
    const bool moved =
        movedAtMs != 0 ||
        (look->CursorRead && (BeyondDeadZone(startX_, look->CursorX) || BeyondDeadZone(startY_, look->CursorY)));
    if (!triggered_) {
        if (moved || Silent(nowMs, heartbeatMs)) {
            triggered_ = true;
            triggeredAtMs_ = nowMs;
            heartbeatAtTriggerMs_ = heartbeatMs;
            moved_ = moved;
        }
        return TWatchdogAction::Nothing;
    }
    moved_ = moved_ || moved;
    if (nowMs - triggeredAtMs_ < config_.GraceMs) return TWatchdogAction::Nothing;
    const bool silentThroughout = heartbeatMs <= heartbeatAtTriggerMs_;
    if (moved_ || silentThroughout) return TWatchdogAction::EndProcess;
    // A stall that is over, with the operator away: the band carries on.
    triggered_ = false;
    return TWatchdogAction::Nothing;
}

void TWatchdog::Rebase(int32_t startX, int32_t startY) {
    startX_ = startX;
    startY_ = startY;
    triggered_ = false;
    moved_ = false;
}
