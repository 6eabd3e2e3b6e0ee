#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win/winInternal.h"

namespace platform {

void ShellOpen(tk::Hwnd ownerWindow, const std::string& file, const std::string& parameters,
               const std::string& directory, int32_t showCommand) {
    ShellExecuteA(ownerWindow, "open", file.c_str(), parameters.c_str(), directory.c_str(), showCommand);
}

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

tk::Hwnd ParentOfWindow(tk::Hwnd window) {
    if (window == nullptr) return nullptr;
    return GetParent(window);
}

void EnableHostWindow(tk::Hwnd window, bool enable) {
    if (window != nullptr) EnableWindow(window, enable ? TRUE : FALSE);
}

void BringToForeground(tk::Hwnd window) {
    if (window != nullptr) SetForegroundWindow(window);
}

}  // namespace platform
