// Geometry and small rules of the run-time message dialog, free of any window system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/geometry.h"

// A box of the dialog as a place and a size: the size stays exact for any
// text extent, which right and bottom edges could not hold in 32 bits.
struct TRect32 {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct TDialogLayoutInput {
    // Widest line and total height of all lines of the message, in the dialog's font.
    TSize MessageExtent;
    // Extents of the raw captions, '&' included, top to bottom.
    std::vector<TSize> CaptionExtents;
    uint8_t IconKind = 0;
};

// All rectangles are in client coordinates of the dialog.
struct TDialogLayout {
    TRect32 Frame;
    bool HasIcon = false;
    TRect32 Icon;
    TRect32 Label;
    int32_t ClientWidth = 0;
    int32_t ClientHeight = 0;
    int32_t ButtonWidth = 0;
    int32_t ButtonHeight = 0;
    std::vector<TRect32> Buttons;
};

// Any non-zero icon kind gets the icon's place, even one that shows no icon.
TDialogLayout ComputeDialogLayout(const TDialogLayoutInput& input);

// Centred over the main window when there is one, else on the screen; halves truncate
// toward zero and the result may lie off screen.
TPoint ComputeDialogPosition(int32_t outerWidth, int32_t outerHeight, bool hasMainWindow, int32_t mainLeft,
                             int32_t mainTop, int32_t mainWidth, int32_t mainHeight, int32_t screenWidth,
                             int32_t screenHeight);

// A box's top-left corner moved, as little as it takes, into a work area
// (left, top, right, bottom) so that its caption stays reachable; when the
// box is larger than the area its top-left corner wins.
TPoint KeepInWorkArea(TPoint at, int32_t outerWidth, int32_t outerHeight, const TRect& area);

// Dialog result from the modal result that ended the loop: button k gives 100 + k.
int32_t ResultFromModal(int32_t modalResult);

// The help path up to and including its last '\' or ':'; empty when it has neither.
std::string HelpFolderOf(const std::string& helpPath);

// System icon identifier for an icon kind; 0 for none and for kinds above 4.
int32_t IconResourceId(uint8_t iconKind);
