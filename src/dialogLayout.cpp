#include "src/dialogLayout.h"

#include <algorithm>

#include <cctype>
#include <cstdint>
#include <limits>

#include "platform/numeric.h"

namespace {

const int32_t FrameMargin = 8;
const int32_t IconPos = 24;
const int32_t IconSize = 32;
const int32_t LabelLeftWithIcon = 72;
const int32_t LabelLeftNoIcon = 24;
const int32_t LabelTop = 24;
const int32_t MinButtonHeight = 25;
const int32_t MinButtonWidth = 65;
const int32_t ButtonGap = 8;

}  // namespace

TDialogLayout ComputeDialogLayout(const TDialogLayoutInput& input) {
    TDialogLayout out;
    const int64_t n = static_cast<int64_t>(input.CaptionExtents.size());

    out.Frame.Left = FrameMargin;
    out.Frame.Top = FrameMargin;

    out.HasIcon = input.IconKind != 0;
    if (out.HasIcon) out.Icon = TRect32{IconPos, IconPos, IconSize, IconSize};

    out.Label.Left = out.HasIcon ? LabelLeftWithIcon : LabelLeftNoIcon;
    out.Label.Top = LabelTop;

    int64_t h = MinButtonHeight;
    for (const TSize& e : input.CaptionExtents) {
        if (static_cast<int64_t>(e.Height) + 12 > h) h = static_cast<int64_t>(e.Height) + 12;
    }
    const int64_t columnHeight = n * (h + ButtonGap) - ButtonGap;

    int64_t w = MinButtonWidth;
    for (const TSize& e : input.CaptionExtents) {
        if (static_cast<int64_t>(e.Width) + 32 > w) w = static_cast<int64_t>(e.Width) + 32;
    }

    int64_t labelHeight = input.MessageExtent.Height;
    if (labelHeight + 32 < columnHeight || labelHeight < 32) {
        labelHeight = columnHeight - 32;
        if (labelHeight < 32) labelHeight = 32;
    }
    out.Label.Width = input.MessageExtent.Width;
    out.Label.Height = SaturateToInt32(labelHeight);

    const int64_t frameWidth = static_cast<int64_t>(out.Label.Left) + out.Label.Width + 8;
    const int64_t frameHeight = labelHeight + 32;
    out.Frame.Width = SaturateToInt32(frameWidth);
    out.Frame.Height = SaturateToInt32(frameHeight);

    const int64_t clientHeight = frameHeight + 16;
    out.ClientWidth = SaturateToInt32(frameWidth + w + 24);
    out.ClientHeight = SaturateToInt32(clientHeight);
    out.ButtonWidth = SaturateToInt32(w);
    out.ButtonHeight = SaturateToInt32(h);

    out.Buttons.reserve(input.CaptionExtents.size());
    for (int64_t i = 0; i < n; ++i) {
        TRect32 b;
        b.Left = SaturateToInt32(frameWidth + 16);
        b.Top = SaturateToInt32(clientHeight - (n - i) * (h + ButtonGap));
        b.Width = out.ButtonWidth;
        b.Height = out.ButtonHeight;
        out.Buttons.push_back(b);
    }
    return out;
}

TPoint ComputeDialogPosition(int32_t outerWidth, int32_t outerHeight, bool hasMainWindow, int32_t mainLeft,
                             int32_t mainTop, int32_t mainWidth, int32_t mainHeight, int32_t screenWidth,
                             int32_t screenHeight) {
    // int64 so that the differences cannot overflow; '/' truncates toward zero.
    if (hasMainWindow) {
        const int64_t x = mainLeft + (static_cast<int64_t>(mainWidth) - outerWidth) / 2;
        const int64_t y = mainTop + (static_cast<int64_t>(mainHeight) - outerHeight) / 2;
        return TPoint{SaturateToInt32(x), SaturateToInt32(y)};
    }
    const int64_t x = (static_cast<int64_t>(screenWidth) - outerWidth) / 2;
    const int64_t y = (static_cast<int64_t>(screenHeight) - outerHeight) / 2;
    return TPoint{SaturateToInt32(x), SaturateToInt32(y)};
}

int32_t ResultFromModal(int32_t modalResult) { return modalResult >= 101 ? modalResult - 100 : 0; }

std::string HelpFolderOf(const std::string& helpPath) {
    const size_t pos = helpPath.find_last_of("\\:");
    if (pos == std::string::npos) return std::string();
    return helpPath.substr(0, pos + 1);
}

int32_t IconResourceId(uint8_t iconKind) {
    switch (iconKind) {
        case 1: return 32516;  // IDI_ASTERISK
        case 2: return 32514;  // IDI_QUESTION
        case 3: return 32515;  // IDI_EXCLAMATION
        case 4: return 32513;  // IDI_HAND
        default: return 0;
    }
}

TPoint KeepInWorkArea(TPoint at, int32_t outerWidth, int32_t outerHeight, const TRect& area) {
    int64_t x = at.X;
    int64_t y = at.Y;
    x = std::min<int64_t>(x, static_cast<int64_t>(area.Right) - outerWidth);
    y = std::min<int64_t>(y, static_cast<int64_t>(area.Bottom) - outerHeight);
    x = std::max<int64_t>(x, area.Left);
    y = std::max<int64_t>(y, area.Top);
    return TPoint{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}
