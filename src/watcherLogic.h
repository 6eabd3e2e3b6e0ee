// When the resident watcher starts the next band: after StartAfterIdle seconds
// without input, counted from the last input, from the end of the last band,
// or from the watcher's own start, whichever came last; never while another
// desktop (the sign-in screen, a lock, a UAC prompt) has the input, nor while
// the control system's timed hold stands.
#pragma once

#include <cstdint>

constexpr int32_t kStartAfterIdleDefault = 600;
// One day; a longer wait is held to it.
constexpr int32_t kStartAfterIdleMost = 86400;
// How often the watcher reads its settings again, so that a changed value
// from any source counts within a minute.
constexpr uint32_t kWatcherSettingsEveryMs = 30000;
// While another desktop has the input, the watcher looks again this often.
constexpr uint32_t kWatcherRecheckMs = 1000;

// Negative values turn the band off (0); values above a day are held to a day.
int32_t ClampStartAfterIdle(int32_t seconds);

struct TWatchFacts {
    uint64_t Now = 0;            // monotonic milliseconds
    uint64_t SinceInputMs = 0;   // since the session's last input
    int32_t StartAfterIdle = 0;  // seconds as stored; held by ClampStartAfterIdle
    bool OnInputDesktop = true;
    // A timed hold of the control system stands.
    bool Held = false;
};

struct TWatchStep {
    bool StartBand = false;
    // How long to wait before the next look, when no band starts.
    uint32_t WaitMs = 0;
};

class TWatchSchedule {
public:
    explicit TWatchSchedule(uint64_t watcherStart) : quietSince_(watcherStart) {}
    // A band ended (any way: input, the control system, a crash, refused),
    // or a start failed: the idle period counts again from now. Not while a
    // timed hold stands: the band the control system ended was its doing.
    void BandEnded(uint64_t now);
    // The control system asked the bands to end: without a time the idle
    // period counts again from now; with one, that hold decides alone.
    void ControlEnded(uint64_t now, bool timedHold);
    // The timed hold is over: from now on the idle time decides again.
    void HoldOver() { timedHold_ = false; }
    TWatchStep Next(const TWatchFacts& facts) const;

private:
    uint64_t quietSince_ = 0;
    bool timedHold_ = false;
};
