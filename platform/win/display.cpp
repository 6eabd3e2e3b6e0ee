#include <windows.h>

#include "platform/display.h"
#include "platform/system.h"
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

bool TryGetCursorPos(int32_t& x, int32_t& y) {
    POINT point{};
    if (!GetCursorPos(&point)) return false;
    x = point.x;
    y = point.y;
    return true;
}

void ShowCursorOnce(bool show) { ShowCursor(show ? TRUE : FALSE); }

uint32_t RandomSeed() {
    LARGE_INTEGER counter{};
    if (QueryPerformanceCounter(&counter)) return static_cast<uint32_t>(counter.QuadPart & 0xFFFFFFFFu);
    return GetTickCount();
}

uint64_t TickMilliseconds() { return GetTickCount64(); }

tk::Hwnd WindowFromHandle32(uint32_t value) {
    // 64-bit Windows hands out window handles whose values fit 32 bits and
    // are sign-extended when widened.
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

uint32_t Handle32FromWindow(tk::Hwnd window) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu);
}

bool IsWindowVisibleNow(tk::Hwnd window) { return window != nullptr && IsWindowVisible(window); }
bool IsWindowAlive(tk::Hwnd window) { return window != nullptr && IsWindow(window); }

bool TryGetWindowRect(tk::Hwnd window, TRect& rect) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    rect = win::FromRect(r);
    return true;
}

void ExitProcessNow(uint32_t exitCode) { ExitProcess(exitCode); }

std::string CommandLineText() {
    const char* line = GetCommandLineA();
    return line != nullptr ? std::string(line) : std::string();
}

uint32_t ForegroundWindow32() { return Handle32FromWindow(GetForegroundWindow()); }

void WriteToCaller(const std::string& text) {
    DWORD written = 0;
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE &&
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return;
    }
    // A program of the windows subsystem has no console of its own.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console =
        CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        WriteFile(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(console);
    }
    FreeConsole();
}

}  // namespace platform
