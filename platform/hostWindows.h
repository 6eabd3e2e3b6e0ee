// Windows the program does not own: the host of the dialog or the preview,
// named by the command line, and the foreground window.
#pragma once

#include <cstdint>

#include "platform/components.h"
#include "platform/geometry.h"

namespace platform {

// The 32-bit handle value the command line names, as a window.
tk::Hwnd WindowFromHandle32(uint32_t value);
uint32_t Handle32FromWindow(tk::Hwnd window);
bool IsWindowVisibleNow(tk::Hwnd window);
bool IsWindowAlive(tk::Hwnd window);
// Outer rectangle of a window in screen coordinates; false on failure.
bool TryGetWindowRect(tk::Hwnd window, TRect& rect);
// The parent (or owner) of a window; nullptr when it has none or the
// handle names no window.
tk::Hwnd ParentOfWindow(tk::Hwnd window);
// Enables or disables mouse and keyboard input to a window; no effect on
// a missing window.
void EnableHostWindow(tk::Hwnd window, bool enable);
// Brings a window to the foreground; no effect on a missing window.
void BringToForeground(tk::Hwnd window);
// The foreground window's handle as its 32-bit value (0 when there is none).
uint32_t ForegroundWindow32();

}  // namespace platform
