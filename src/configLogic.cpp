#include "configLogic.h"

#include <cmath>
#include <limits>

namespace {

constexpr int32_t CoverItems = 4;
constexpr int32_t MovementItems = 2;
constexpr double MinTransition = 1.0;
constexpr double MaxTransition = 5.0;

int32_t ListIndexFor(int32_t value, int32_t itemCount)
{
    return value >= 0 && value < itemCount ? value : -1;
}

int32_t TruncateToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    const double t = std::trunc(v);
    if (t >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (t <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}

int32_t SaturateToInt32(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

}  // namespace

bool ControlsDifferFromCfg(const TConfigControls& controls, const TCfg& cfg)
{
    if (controls.CoverIndex != cfg.CoverArea)
        return true;
    if (controls.TransitionValue != static_cast<double>(cfg.TransitionTime))
        return true;
    if (controls.MovementIndex != cfg.MovementType)
        return true;
    if (controls.Borders != cfg.DrawBorders)
        return true;
    if (controls.Line1 != cfg.TextLine1)
        return true;
    return controls.Line2 != cfg.TextLine2;
}

TCfg ApplyControls(const TConfigControls& controls, TCfg base)
{
    base.CoverArea = controls.CoverIndex;
    base.TransitionTime = TruncateToInt32(controls.TransitionValue);
    base.MovementType = controls.MovementIndex;
    base.DrawBorders = controls.Borders;
    base.TextLine1 = controls.Line1;
    base.TextLine2 = controls.Line2;
    return base;
}

TConfigControls ControlsFromCfg(const TCfg& cfg)
{
    TConfigControls c;
    c.CoverIndex = ListIndexFor(cfg.CoverArea, CoverItems);
    double t = static_cast<double>(cfg.TransitionTime);
    if (t < MinTransition)
        t = MinTransition;
    if (t > MaxTransition)
        t = MaxTransition;
    c.TransitionValue = t;
    c.MovementIndex = ListIndexFor(cfg.MovementType, MovementItems);
    c.Borders = cfg.DrawBorders;
    c.Line1 = cfg.TextLine1;
    c.Line2 = cfg.TextLine2;
    return c;
}

bool ApplyEnabledAfterLoad(const TCfg& cfg)
{
    const TConfigControls loaded = ControlsFromCfg(cfg);
    // The controls as the layout creates them.
    TConfigControls shown{-1, 1.0, -1, false, std::string(), std::string()};
    bool enabled = false;

    // The lists and the spin field (whose window does not exist yet) raise nothing.
    shown.CoverIndex = loaded.CoverIndex;
    shown.TransitionValue = loaded.TransitionValue;
    shown.MovementIndex = loaded.MovementIndex;

    if (loaded.Borders) {
        shown.Borders = true;
        enabled = ControlsDifferFromCfg(shown, cfg);
    }
    if (!loaded.Line1.empty()) {
        shown.Line1 = loaded.Line1;
        enabled = ControlsDifferFromCfg(shown, cfg);
    }
    if (!loaded.Line2.empty()) {
        shown.Line2 = loaded.Line2;
        enabled = ControlsDifferFromCfg(shown, cfg);
    }
    return enabled;
}

TDialogPos CentreAndClamp(const TRect& parent, int32_t outerWidth, int32_t outerHeight,
                          const TRect& workArea)
{
    // 64-bit throughout, so that extreme rectangles cannot overflow.
    const int64_t w = outerWidth;
    const int64_t h = outerHeight;
    int64_t left = parent.Left + (static_cast<int64_t>(parent.Right) - parent.Left) / 2 - w / 2;
    int64_t top = parent.Top + (static_cast<int64_t>(parent.Bottom) - parent.Top) / 2 - h / 2;

    if (top < workArea.Top)
        top = workArea.Top;
    if (left < workArea.Left)
        left = workArea.Left;
    if (left + w > workArea.Right)
        left = workArea.Right - w;
    if (top + h > workArea.Bottom)
        top = workArea.Bottom - h;

    return TDialogPos{SaturateToInt32(left), SaturateToInt32(top)};
}
