// The band's watchdog decision, separate from its thread. While all is well
// it only reads two numbers the user-interface thread leaves for it: the
// time of that thread's last poll (the heartbeat) and the time it saw the
// operator move (0 for never). It looks at the cursor and the band itself
// only when the heartbeat is old, a move was reported, or a watch runs.
#pragma once

#include <cstdint>

#include "platform/watchdog.h"

struct TWatchdogConfig {
    int64_t UnresponsiveMs = 2000;  // no heartbeat for this long counts as hung
    int64_t GraceMs = 500;          // the ordinary dismissal gets this long first
    int64_t StaleMs = 300;          // a heartbeat this old: look at the cursor ourselves
    int64_t RestMs = 500;           // between checks while all is well, without an alarm
    int64_t WatchMs = 100;          // between looks once something is amiss
    // With an alarm: the heartbeats push it RestMs + StaleMs ahead every
    // RestMs, so that it goes off no later than a check would have looked;
    // should it be lost, the thread still checks this often.
    int64_t AlarmBackstopMs = 2000;
};

enum class TWatchdogAction { Nothing, EndProcess };

class TWatchdog : public platform::TWatchdogRules {
public:
    TWatchdog(int32_t startX, int32_t startY, TWatchdogConfig config = {});
    // Whether the next check needs a look at the cursor and the band.
    bool NeedsLook(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs) const override;
    // All well, the thread sleeps long, with an alarm until the heartbeats
    // stop: each wake costs as much as a poll of the band. A stale heartbeat
    // or a reported move is followed closely, and a watch is judged the
    // moment its grace ends.
    int64_t NextCheckInMs(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs, bool alarmKept) const override;
    TAlarm Alarm() const override { return TAlarm{config_.RestMs, config_.RestMs + config_.StaleMs}; }
    // One check. look is required when NeedsLook said so, ignored otherwise.
    // A watch starts when the operator moved or the thread fell silent; at
    // the end of its grace the process ends only if the band is still up
    // and the operator moved, or the thread stayed silent all along.
    TWatchdogAction Check(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs, const TWatchdogLook* look);
    bool EndsProcess(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs, const TWatchdogLook* look) override {
        return Check(nowMs, heartbeatMs, movedAtMs, look) == TWatchdogAction::EndProcess;
    }
    bool Triggered() const { return triggered_; }
    // A new place to compare the cursor against, from a user-interface
    // thread that runs: a watch the old place started is void.
    void Rebase(int32_t startX, int32_t startY) override;

private:
    bool Silent(int64_t nowMs, int64_t heartbeatMs) const;

    int32_t startX_, startY_;
    TWatchdogConfig config_;
    bool triggered_ = false;
    int64_t triggeredAtMs_ = 0;
    int64_t heartbeatAtTriggerMs_ = 0;
    bool moved_ = false;
};
