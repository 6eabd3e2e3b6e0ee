// What the preview needs beyond the toolkit: drawing on a window of another
// program, the local clock with milliseconds, and a wait that wakes for this
// thread's messages.
#pragma once

#include <cstdint>

#include "platform/toolkit.h"

namespace platform {

struct TLocalClock {
    int32_t Second = 0;       // 0 to 59
    int32_t Millisecond = 0;  // 0 to 999
};
TLocalClock LocalClockNow();

// Returns after timeoutMs, or earlier when a message arrives for this thread.
void WaitForMessages(uint32_t timeoutMs);

// A device context on a window (its client area) with a solid black brush,
// released when the object goes.
class THostSurface {
public:
    explicit THostSurface(tk::Hwnd host);
    ~THostSurface();
    THostSurface(const THostSurface&) = delete;
    THostSurface& operator=(const THostSurface&) = delete;

    // False when the system gave no device context.
    bool Valid() const { return dc_ != nullptr; }
    void FillBlack(const TRect& rect);
    // The picture scaled into rect with its transparent colour left out;
    // nothing lands outside rect.
    void DrawPicture(const tk::TBitmapPicture& picture, const TRect& rect);

private:
    tk::Hwnd host_;
    tk::Hdc dc_;
    void* brush_ = nullptr;
};

}  // namespace platform
