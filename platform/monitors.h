// The monitors, their work areas and the cursor on them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/geometry.h"

namespace platform {

// The bounding rectangle of all monitors.
TRect VirtualDesktop();
// Each monitor's rectangle in screen coordinates; empty when the system
// cannot list them.
std::vector<TRect> MonitorRects();
// Whether a screen point lies on a monitor.
bool PointOnAMonitor(int32_t x, int32_t y);
// The primary monitor's desktop area not covered by the task bar.
TRect WorkArea();
// The work area of the monitor that rect mostly lies on (the nearest one
// when it lies on none).
TRect WorkAreaFor(const TRect& rect);

// The cursor's screen position; false when the system refuses it.
bool TryGetCursorPos(int32_t& x, int32_t& y);
// One decrement (false) or increment (true) of the cursor display count.
void ShowCursorOnce(bool show);

}  // namespace platform
