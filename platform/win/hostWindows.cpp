// Windows of other programs: the host of the dialog or the preview.
#include "platform/hostWindows.h"

#include <windows.h>

#include "platform/win/winInternal.h"

namespace platform {

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

uint32_t ForegroundWindow32() { return Handle32FromWindow(GetForegroundWindow()); }

}  // namespace platform
