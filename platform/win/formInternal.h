// What the form's files share and nobody else needs.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"

namespace tk {

// The off-screen tile of double-buffered painting, kept from paint to paint:
// a memory DC and a bitmap made afresh at every jump cost more than drawing
// the logo itself.
struct TForm::TComposition {
    win::Bitmap Bitmap;
    win::MemoryDc Dc;
    std::optional<win::SelectedObject> Selected;
    int32_t Width = 0, Height = 0;
    explicit TComposition(HDC reference) : Dc(reference) {}
};

// The control among controls whose window is window or holds it.
TWinControl* ControlOf(const std::vector<TWinControl*>& controls, HWND window);

}  // namespace tk
