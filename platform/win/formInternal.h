// What the form's files share and nobody else needs.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/toolkit.h"

namespace tk {

// The control among controls whose window is window or holds it.
TWinControl* ControlOf(const std::vector<TWinControl*>& controls, HWND window);

}  // namespace tk
