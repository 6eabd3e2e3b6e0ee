// A thread apart from the user interface that ends the process when the band
// would otherwise stay on screen.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/toolkit.h"

namespace platform {

class TBandWatchdog {
public:
    TBandWatchdog() = default;
    ~TBandWatchdog();
    TBandWatchdog(const TBandWatchdog&) = delete;
    TBandWatchdog& operator=(const TBandWatchdog&) = delete;
    // Watches band from now on; beforeExit runs on the watchdog's thread
    // just before the process ends (it must not wait on the UI thread).
    void Start(tk::Hwnd band, int32_t startX, int32_t startY, std::function<void()> beforeExit);
    void Stop();
    bool Running() const { return thread_ != nullptr; }

private:
    void* thread_ = nullptr;
    void* stopEvent_ = nullptr;
};

}  // namespace platform
