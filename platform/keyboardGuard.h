// The band's low-level keyboard hook: a key ends the band whatever window
// has the keyboard, and reaches no window.
#pragma once

#include <cstdint>

#include "platform/toolkit.h"

// One key of the session as the hook saw it.
struct TKeyEvent {
    uint32_t VirtualKey = 0;
    bool Down = false;     // a key-down or an auto-repeat
    bool System = false;   // the system's key-down (with Alt, or F10)
    bool AltDown = false;  // Alt held
    int64_t AtMs = 0;
};

enum class TKeyVerdict {
    Pass,      // goes on to the window that has the keyboard
    HoldBack,  // reaches no window
    Dismiss,   // ends the band and reaches no window
};

namespace platform {

// What the program decides for the hook. Called on the hook's thread only:
// per key no allocation and no lock.
class TKeyRules {
public:
    virtual ~TKeyRules() = default;
    // The band shows: the next key that counts ends it.
    virtual void Arm() = 0;
    // The band is gone: no key ends it any more.
    virtual void Disarm() = 0;
    virtual TKeyVerdict OnKey(const TKeyEvent& key) = 0;
    // After Disarm (the band hidden at hiddenAtMs): keys may all pass again.
    virtual bool HoldOver(int64_t nowMs, int64_t hiddenAtMs) const = 0;
    // The longest keys may be held back after the band has gone.
    virtual int64_t HoldLimitMs() const = 0;
};

// The hook lives on a thread of its own, which does nothing else, so that
// no key of the session ever waits on the user-interface thread; per key it
// only reads and writes plain variables of that thread, and posts one
// message at the key that ends the band.
class TKeyboardGuard {
public:
    // Installs the hook, which asks rules about each key; at the key that
    // ends the band, message is posted to notify. False when the hook cannot
    // be installed. rules must outlive the guard's thread (Finish).
    // Every rearmEveryMs (0: never) while armed, the hook is installed
    // afresh: Windows removes a low-level hook without a word once one of
    // its calls outlasted the system's time-out.
    bool Start(tk::Hwnd notify, uint32_t message, TKeyRules* rules, uint32_t rearmEveryMs);
    bool Installed() const { return thread_ != nullptr; }
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
