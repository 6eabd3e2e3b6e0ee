// Host-test stand-in for platform/system.h: the test sets what the system reports.
#pragma once

#include <cstdint>
#include <string>

namespace fakeSystem {

void SetCommandLine(const std::string& text);
void SetForegroundWindow(uint32_t wnd);
// How often ForegroundWindow32 was asked since the last Reset.
int ForegroundWindowCalls();
// Empty command line, no foreground window, call count 0.
void Reset();

}  // namespace fakeSystem
