// The alarm window of the keyboard tests: another program that has the
// foreground and the focus while the band runs, and counts what reaches it.
#pragma once

#include "tests/e2e/driver/harness.h"

namespace e2e {

struct AlarmCounts {
    bool Read = false;
    int Downs = 0, SysDowns = 0, Ups = 0, Chars = 0;
    DWORD LastDownTick = 0;
};
std::string Show(const AlarmCounts& counts);

class Alarm {
public:
    // Starts the alarm window and waits until it has the foreground.
    static Alarm Start();
    HWND Window() const { return window_; }
    AlarmCounts Counts() const;

private:
    Process process_;
    HWND window_ = nullptr;
};

// A key held for holdMs, auto-repeating as a keyboard does.
void HoldKey(WORD virtualKey, DWORD holdMs);
// Presses a key; milliseconds until it reached the alarm, -1 if it never did.
long KeyDelayToAlarm(const Alarm& alarm, WORD virtualKey);

}  // namespace e2e
