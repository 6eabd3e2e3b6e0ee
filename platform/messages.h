// Window message numbers for code that does not include windows.h, and the
// messages this program posts to its own windows.
#pragma once

#include <cstdint>

constexpr uint32_t kWmActivate = 0x0006;
constexpr uint32_t kWmActivateApp = 0x001C;
constexpr uint32_t kWmDisplayChange = 0x007E;
constexpr uint32_t kWmNcActivate = 0x0086;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmMouseMove = 0x0200;
constexpr uint32_t kWmDpiChanged = 0x02E0;

// WM_ACTIVATE's word for "deactivated".
constexpr uint64_t kWaInactive = 0;

// Above WM_APP (0x8000), which the toolkit's own windows use from its start.
// Posted by the keyboard hook's thread at the key that ends the band.
constexpr uint32_t kWmDismissKey = 0x8000 + 0x4B;
// Posted by the watchdog's thread at the control system's end request.
constexpr uint32_t kWmControlEnd = 0x8000 + 0x4C;
