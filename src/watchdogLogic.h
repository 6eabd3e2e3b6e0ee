// The band's watchdog decision, separate from its thread: it ends the
// process when the operator has moved the mouse, or the user-interface
// thread has stopped answering, and the band is still up half a second later.
#pragma once

#include <cstdint>

struct TWatchdogConfig {
    int64_t UnresponsiveMs = 2000;  // no answer for this long counts as hung
    int64_t GraceMs = 500;          // the ordinary dismissal gets this long first
};

enum class TWatchdogAction { Nothing, EndProcess };

class TWatchdog {
public:
    TWatchdog(int32_t startX, int32_t startY, int64_t nowMs, TWatchdogConfig config = {});
    // One check: the cursor (when it could be read), whether the user-interface
    // thread answered, and whether the band is still shown.
    TWatchdogAction Check(int64_t nowMs, bool cursorRead, int32_t cursorX, int32_t cursorY, bool uiAnswered,
                          bool bandVisible);
    bool Triggered() const { return triggered_; }

private:
    int32_t startX_, startY_;
    TWatchdogConfig config_;
    int64_t lastAnswerMs_;
    bool triggered_ = false;
    int64_t triggeredAtMs_ = 0;
};
