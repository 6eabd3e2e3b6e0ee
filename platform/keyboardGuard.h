// The band's low-level keyboard hook: a key ends the band whatever window
// has the keyboard, and reaches no window.
#pragma once

#include <cstdint>

#include "platform/toolkit.h"

namespace platform {

// The hook lives on a thread of its own, which does nothing else, so that
// no key of the session ever waits on the user-interface thread; per key it
// only reads and writes plain variables of that thread, and posts one
// message at the key that ends the band.
class TKeyboardGuard {
public:
    // Installs the hook; at the key that ends the band, message is posted to
    // notify. False when the hook cannot be installed.
    bool Start(tk::Hwnd notify, uint32_t message);
    bool Installed() const { return thread_ != nullptr; }
    // Installs the hook afresh: Windows removes a low-level hook without a
    // word once one of its calls outlasted the system's time-out.
    void Rearm();
    // The band is gone: no key ends it any more. A key that ended it stays
    // held back, with every other key pressed meanwhile, until it is released.
    void Disarm();
    // Waits until the key that ended the band has been released (bounded),
    // then removes the hook.
    void Finish();
    // When the key that ended the band came (tick milliseconds, 0 for none);
    // any thread, no lock.
    static int64_t DismissKeyAtMs() noexcept;

private:
    void* thread_ = nullptr;
    uint32_t threadId_ = 0;
};

}  // namespace platform
