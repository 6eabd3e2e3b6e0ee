// A thread apart from the user interface that ends the process when the band
// would otherwise stay on screen.
#pragma once

#include <cstdint>

#include "platform/toolkit.h"

namespace platform {

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
    // Watches band from now on.
    // endRequest, when given, is an event the thread waits on: its signal
    // counts as a move, and endMessage is posted to the band at once.
    void Start(tk::Hwnd band, int32_t startX, int32_t startY, TEmergencyExit emergencyExit,
               TKeySignal keySignal = nullptr, void* endRequest = nullptr, uint32_t endMessage = 0);
    void Stop();
    bool Running() const { return thread_ != nullptr; }
    // Left by the user-interface thread at each poll: it still runs.
    void Heartbeat();
    // The user-interface thread saw the operator move: the band must be gone
    // within the grace time.
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
