#include "src/previewLogic.h"

#include <algorithm>

TRect ComputeLogoRect(int32_t hostWidth, int32_t hostHeight, int32_t pictureWidth, int32_t pictureHeight) {
    TRect rect;
    if (hostWidth <= 0 || hostHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return rect;
    const int64_t hw = hostWidth;
    const int64_t hh = hostHeight;
    const int64_t pw = pictureWidth;
    const int64_t ph = pictureHeight;
    if (pw * hh > ph * hw) {
        const int64_t height = hw * ph / pw;
        const int64_t offset = (hh - height) / 2;
        rect = TRect{0, static_cast<int32_t>(offset), hostWidth, static_cast<int32_t>(offset + height)};
    } else {
        const int64_t width = hh * pw / ph;
        const int64_t offset = (hw - width) / 2;
        rect = TRect{static_cast<int32_t>(offset), 0, static_cast<int32_t>(offset + width), hostHeight};
    }
    return rect;
}

TBlinkAction BlinkActionFor(int32_t seconds, bool drawn) {
    const bool odd = (seconds % 2) != 0;
    if (odd && drawn) return TBlinkAction::BlackOut;
    if (!odd && !drawn) return TBlinkAction::DrawLogo;
    return TBlinkAction::None;
}

int32_t WaitBeforeNextPass(int32_t millisecondsIntoSecond, int32_t maxWait) {
    const int32_t toBoundary = 1000 - std::clamp(millisecondsIntoSecond, 0, 999);
    return std::max(1, std::min(toBoundary, maxWait));
}
