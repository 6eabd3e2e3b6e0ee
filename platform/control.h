// The control system's way in: two named objects in the global namespace,
// so that a command run by any account of the machine, a service's included,
// reaches the band and the watcher of every session. An end request is an
// event set for a moment; a hold is a timer that stays unsignalled while it
// stands. Local accounts may signal them and do nothing more.
#pragma once

#include <cstdint>

namespace platform {

class TControlChannel {
public:
    // Opens the objects, or makes them when nobody has yet; without them (the
    // names taken by something else) the program carries on without this way in.
    TControlChannel();
    ~TControlChannel();
    TControlChannel(const TControlChannel&) = delete;
    TControlChannel& operator=(const TControlChannel&) = delete;

    bool Valid() const { return end_ != nullptr; }
    // Signalled while an end request stands (to wait on).
    void* EndEvent() const { return end_; }
    // Signalled while no hold stands (to wait on).
    void* HoldTimer() const { return hold_; }
    bool EndRequested() const;
    bool Held() const;

    // The command: holds the watchers for holdSeconds (when timed), then asks
    // every band to end and keeps asking for endMs. False when the objects
    // cannot be had.
    bool RequestEnd(bool timed, uint32_t holdSeconds, uint32_t endMs);

private:
    void* end_ = nullptr;
    void* hold_ = nullptr;
};

// The access the objects are made with, in the system's text form.
extern const char kControlAccess[];

}  // namespace platform
