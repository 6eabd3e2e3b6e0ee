// Which keys end the band and which keys are held back from the rest of the
// session, decided per key event of the low-level keyboard hook. No window,
// no lock, no allocation: it runs on the hook's thread for every key of the
// session.
#pragma once

#include <cstdint>

#include "platform/keyboardGuard.h"

constexpr uint32_t kVkF10 = 0x79;

// A key-down ends the band unless it comes with Alt or is F10, the keys the
// system keeps for menus.
bool KeyEndsTheBand(const TKeyEvent& key);

class TKeyGate : public platform::TKeyRules {
public:
    // The band shows: the next key that counts ends it.
    void Arm() override { armed_ = true; }
    // The band is gone: no key ends it any more; a held key stays held back.
    void Disarm() override { armed_ = false; }

    // From the key that ended the band until its release, every key-down of
    // the session (its own auto-repeats and other keys alike) is held back;
    // key-ups always pass.
    TKeyVerdict OnKey(const TKeyEvent& key) override;
    bool HoldOver(int64_t nowMs, int64_t hiddenAtMs) const override;
    int64_t HoldLimitMs() const override;

    bool Holding() const { return holding_; }
    uint32_t HeldKey() const { return heldKey_; }
    // Time of the last event of the held key (its press or an auto-repeat).
    int64_t HeldKeySeenMs() const { return heldKeySeenMs_; }
    // The held key's release was never seen (an elevated window had the
    // keyboard, or the key-up was lost): let keys pass again.
    void Release() { holding_ = false; }

private:
    bool armed_ = false;
    bool holding_ = false;
    uint32_t heldKey_ = 0;
    int64_t heldKeySeenMs_ = 0;
};

// How long the program may go on holding keys back after the band has gone:
// until the held key is released; or, when no release comes, until the key
// has sent nothing for a while (auto-repeat stopped, so it is up); but never
// longer than a hard limit.
struct TKeyReleaseWait {
    int64_t SilenceMs = 1500;  // longer than any keyboard's repeat delay
    int64_t LimitMs = 30000;
};

bool KeyHoldOver(const TKeyGate& gate, int64_t nowMs, int64_t hideMs, TKeyReleaseWait wait = {});
