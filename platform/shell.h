// The shell's "open" operation and the few host-window operations the
// configuration dialog needs when it is shown over another program's window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/toolkit.h"

namespace platform {

// ShowWindow command for a launched program: show it as it chooses.
constexpr int32_t kShowNormal = 5;  // SW_SHOW

// Hands file to the shell with the "open" verb; returns at once, the
// launched program runs on its own. Failures are not reported.
void ShellOpen(tk::Hwnd ownerWindow, const std::string& file, const std::string& parameters,
               const std::string& directory, int32_t showCommand);

// The primary monitor's desktop area not covered by the task bar.
TRect WorkArea();
// The work area of the monitor that rect mostly lies on (the nearest one
// when it lies on none).
TRect WorkAreaFor(const TRect& rect);

// The parent (or owner) of a window; nullptr when it has none or the
// handle names no window.
tk::Hwnd ParentOfWindow(tk::Hwnd window);
// Enables or disables mouse and keyboard input to a window; no effect on
// a missing window.
void EnableHostWindow(tk::Hwnd window, bool enable);
// Brings a window to the foreground; no effect on a missing window.
void BringToForeground(tk::Hwnd window);

}  // namespace platform
