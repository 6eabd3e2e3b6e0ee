#include "src/keyGateLogic.h"

bool KeyEndsTheBand(const TKeyEvent& key) {
    return key.Down && !key.System && !key.AltDown && key.VirtualKey != kVkF10;
}

TKeyVerdict TKeyGate::OnKey(const TKeyEvent& key) {
    if (holding_) {
        if (key.VirtualKey == heldKey_) {
            heldKeySeenMs_ = key.AtMs;
            if (!key.Down) {
                holding_ = false;
                return TKeyVerdict::Pass;
            }
        }
        return key.Down ? TKeyVerdict::HoldBack : TKeyVerdict::Pass;
    }
    if (armed_ && KeyEndsTheBand(key)) {
        armed_ = false;
        holding_ = true;
        heldKey_ = key.VirtualKey;
        heldKeySeenMs_ = key.AtMs;
        return TKeyVerdict::Dismiss;
    }
    return TKeyVerdict::Pass;
}

bool KeyHoldOver(const TKeyGate& gate, int64_t nowMs, int64_t hideMs, TKeyReleaseWait wait) {
    if (!gate.Holding()) return true;
    if (nowMs - gate.HeldKeySeenMs() >= wait.SilenceMs) return true;
    return nowMs - hideMs >= wait.LimitMs;
}

bool TKeyGate::HoldOver(int64_t nowMs, int64_t hiddenAtMs) const { return KeyHoldOver(*this, nowMs, hiddenAtMs); }

int64_t TKeyGate::HoldLimitMs() const { return TKeyReleaseWait{}.LimitMs; }
