// The shell's "open" operation.
#pragma once

#include <cstdint>
#include <string>

#include "platform/components.h"

namespace platform {

// ShowWindow command for a launched program: show it as it chooses.
constexpr int32_t kShowNormal = 5;  // SW_SHOW
// Shown restored, at its own size and place, as the help viewer wants.
constexpr int32_t kShowRestored = 1;  // SW_SHOWNORMAL

// Hands file to the shell with the "open" verb, starting in folder (empty:
// the current one); returns at once, the launched program runs on its own.
// Failures are not reported.
void ShellOpen(tk::Hwnd ownerWindow, const std::string& file, const std::string& parameters, const std::string& folder,
               int32_t showCommand = kShowNormal);

}  // namespace platform
