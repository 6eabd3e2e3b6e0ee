// Monitors, their work areas and the cursor on them.
#include "platform/monitors.h"

#include <windows.h>

#include "platform/win/winInternal.h"

namespace platform {

TRect VirtualDesktop() {
    return RectAt(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                  GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

std::vector<TRect> MonitorRects() {
    std::vector<TRect> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, LPRECT r, LPARAM context) CALLBACK -> BOOL {
            reinterpret_cast<std::vector<TRect>*>(context)->push_back(TRect{r->left, r->top, r->right, r->bottom});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

bool PointOnAMonitor(int32_t x, int32_t y) { return MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL) != nullptr; }

TRect WorkArea() {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return win::FromRect(area);
}

TRect WorkAreaFor(const TRect& rect) {
    const RECT r = win::ToRect(rect);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) return WorkArea();
    return win::FromRect(info.rcWork);
}

bool TryGetCursorPos(int32_t& x, int32_t& y) {
    POINT point{};
    if (!GetCursorPos(&point)) return false;
    x = point.x;
    y = point.y;
    return true;
}

void ShowCursorOnce(bool show) { ShowCursor(show ? TRUE : FALSE); }

}  // namespace platform
