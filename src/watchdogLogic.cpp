#include "src/watchdogLogic.h"

#include "src/bandMotion.h"

TWatchdog::TWatchdog(int32_t startX, int32_t startY, int64_t nowMs, TWatchdogConfig config)
    : startX_(startX), startY_(startY), config_(config), lastAnswerMs_(nowMs) {}

TWatchdogAction TWatchdog::Check(int64_t nowMs, bool cursorRead, int32_t cursorX, int32_t cursorY, bool uiAnswered,
                                 bool bandVisible) {
    if (!bandVisible) {
        // The band went the ordinary way; nothing left to guard.
        triggered_ = false;
        return TWatchdogAction::Nothing;
    }
    if (uiAnswered) lastAnswerMs_ = nowMs;
    if (!triggered_) {
        const bool moved = cursorRead && (BeyondDeadZone(startX_, cursorX) || BeyondDeadZone(startY_, cursorY));
        const bool hung = nowMs - lastAnswerMs_ >= config_.UnresponsiveMs;
        if (moved || hung) {
            triggered_ = true;
            triggeredAtMs_ = nowMs;
        }
        return TWatchdogAction::Nothing;
    }
    return nowMs - triggeredAtMs_ >= config_.GraceMs ? TWatchdogAction::EndProcess : TWatchdogAction::Nothing;
}
