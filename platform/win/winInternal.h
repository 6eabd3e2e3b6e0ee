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

// A window's text, whole however long (empty for a missing window).
std::string WindowText(HWND window);

// A window's messages handed first to an object, through the common
// controls' subclassing: the handler returns true when it answered, with
// result set, and leaves the rest to the window's own procedure. The
// subclass goes at WM_NCDESTROY, or earlier with Unsubclass.
using TMessageHandler = bool (*)(void* object, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
void Subclass(HWND window, TMessageHandler handler, void* object);
void Unsubclass(HWND window, TMessageHandler handler);
// The window's own procedure, for a handler that wraps it.
LRESULT CallOwnProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers a window class of this module with the arrow cursor, unless it
// is registered already; throws with the system's reason when it cannot.
void RegisterWindowClass(const char* name, WNDPROC procedure, UINT style = 0, HICON icon = nullptr);

inline RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
inline TRect FromRect(const RECT& r) { return TRect{r.left, r.top, r.right, r.bottom}; }

}  // namespace win
