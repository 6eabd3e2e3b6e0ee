// A thread apart from the user interface that ends the process when the band
// would otherwise stay on screen.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/toolkit.h"

// What the watchdog saw when it looked further.
struct TWatchdogLook {
    bool CursorRead = false;
    int32_t CursorX = 0, CursorY = 0;
    bool BandVisible = true;
};

namespace platform {

// What the program decides for the watchdog, asked on its thread only.
class TWatchdogRules {
public:
    virtual ~TWatchdogRules() = default;
    // Whether the next check needs a look at the cursor and the band.
    virtual bool NeedsLook(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs) const = 0;
    // How long the thread may sleep before the next check (at least 1 ms).
    // With alarmKept, the heartbeats keep an alarm ahead of them (Alarm) that
    // wakes the thread once they stop, so all being well it may sleep long.
    virtual int64_t NextCheckInMs(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs, bool alarmKept) const = 0;
    // How the heartbeats keep the alarm: one at least EveryMs after the last
    // that set it sets it AheadMs ahead.
    struct TAlarm {
        int64_t EveryMs = 0;
        int64_t AheadMs = 0;
    };
    virtual TAlarm Alarm() const = 0;
    // Whether the process must end now; look is given when NeedsLook said so.
    virtual bool EndsProcess(int64_t nowMs, int64_t heartbeatMs, int64_t movedAtMs, const TWatchdogLook* look) = 0;
    // A new place to compare the cursor against.
    virtual void Rebase(int32_t startX, int32_t startY) = 0;
};

// Runs on the watchdog's thread just before it ends the process: it must
// allocate nothing, take no lock that another thread may hold and wait for
// nothing.
using TEmergencyExit = void (*)() noexcept;
// Read on the watchdog's thread: when a key ended the band (0 for never).
using TKeySignal = int64_t (*)() noexcept;

class TBandWatchdog {
public:
    TBandWatchdog() = default;
    ~TBandWatchdog();
    TBandWatchdog(const TBandWatchdog&) = delete;
    TBandWatchdog& operator=(const TBandWatchdog&) = delete;
    // Watches band from now on by rules, the cursor's place to compare
    // against at startX, startY; the thread owns the rules from here.
    // endRequest, when given, is an event the thread waits on: its signal
    // counts as a move, and endMessage is posted to the band at once.
    void Start(tk::Hwnd band, std::unique_ptr<TWatchdogRules> rules, int32_t startX, int32_t startY,
               TEmergencyExit emergencyExit, TKeySignal keySignal = nullptr, void* endRequest = nullptr,
               uint32_t endMessage = 0);
    void Stop();
    bool Running() const { return thread_ != nullptr; }
    // Left by the user-interface thread at each poll: it still runs. Now and
    // then it also pushes the thread's alarm further ahead.
    void Heartbeat();
    // The user-interface thread saw the operator move: the band must be gone
    // within the grace time. Wakes the thread.
    void NoteMoved();
    // The cursor's place to compare against changed (the system moved the
    // cursor when the desktop shrank).
    void SetStart(int32_t x, int32_t y);

    struct TShared;

private:
    TShared* shared_ = nullptr;
    void* thread_ = nullptr;
};

}  // namespace platform
