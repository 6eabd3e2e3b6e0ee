// Desktop, cursor and clock facts the band and the preview read.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/toolkit.h"

namespace platform {

// The bounding rectangle of all monitors.
TRect VirtualDesktop();
// Each monitor's rectangle in screen coordinates; empty when the system
// cannot list them.
std::vector<TRect> MonitorRects();
// Whether a screen point lies on a monitor.
bool PointOnAMonitor(int32_t x, int32_t y);
// The cursor's screen position; false when the system refuses it.
bool TryGetCursorPos(int32_t& x, int32_t& y);
// One decrement (false) or increment (true) of the cursor display count.
void ShowCursorOnce(bool show);
// Low 32 bits of the performance counter, or the tick count.
uint32_t RandomSeed();
// Milliseconds since an arbitrary start, monotonic.
uint64_t TickMilliseconds();

// The 32-bit handle value the command line names, as a window.
tk::Hwnd WindowFromHandle32(uint32_t value);
uint32_t Handle32FromWindow(tk::Hwnd window);
bool IsWindowVisibleNow(tk::Hwnd window);
bool IsWindowAlive(tk::Hwnd window);
// Outer rectangle of a window in screen coordinates; false on failure.
bool TryGetWindowRect(tk::Hwnd window, TRect& rect);

// Ends the process at once: the last resort of the fail-safe paths.
[[noreturn]] void ExitProcessNow(uint32_t exitCode);

}  // namespace platform
