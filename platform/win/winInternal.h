// Helpers shared by the Windows side of the toolkit.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/toolkit.h"

namespace win {

// "System Error.  Code: %d.\r\n<message>" for an error code, or the text
// for a failure without one.
std::string SystemErrorText(DWORD code);
std::string LastErrorText();

// The program's RCDATA resource as text (empty when missing).
std::string ResourceText(const char* name);

// The per-monitor DPI of a window (96 when the system cannot tell).
int32_t WindowDpi(HWND window);

inline RECT ToRect(const tk::TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
inline tk::TRect FromRect(const RECT& r) { return tk::TRect{r.left, r.top, r.right, r.bottom}; }

}  // namespace win
