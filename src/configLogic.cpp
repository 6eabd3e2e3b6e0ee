#include "configLogic.h"

#include <cmath>
#include <limits>

#include "platform/numeric.h"
#include "src/bandMotion.h"
#include "src/cfgSources.h"

namespace {

constexpr int32_t CoverItems = 4;
constexpr int32_t MovementItems = 2;
constexpr double MinTransition = 1.0;
constexpr double MaxTransition = 5.0;

int32_t ListIndexFor(int32_t value, int32_t itemCount) { return value >= 0 && value < itemCount ? value : -1; }

int32_t TruncateToInt32(double v) {
    if (std::isnan(v)) return 0;
    const double t = std::trunc(v);
    if (t >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (t <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}

}  // namespace

namespace {

bool SettingDiffers(int setting, const TConfigControls& controls, const TCfg& cfg) {
    switch (setting) {
        case stCoverArea: return controls.CoverIndex != cfg.CoverArea;
        case stTransitionTime: return controls.TransitionValue != static_cast<double>(cfg.TransitionTime);
        case stMovementType: return controls.MovementIndex != cfg.MovementType;
        case stDrawBorders: return controls.Borders != cfg.DrawBorders;
        case stTextLine1: return controls.Line1 != cfg.TextLine1;
        case stTextLine2: return controls.Line2 != cfg.TextLine2;
        default: return false;
    }
}

bool ControlDiffers(int setting, const TConfigControls& a, const TConfigControls& b) {
    switch (setting) {
        case stCoverArea: return a.CoverIndex != b.CoverIndex;
        case stTransitionTime: return a.TransitionValue != b.TransitionValue;
        case stMovementType: return a.MovementIndex != b.MovementIndex;
        case stDrawBorders: return a.Borders != b.Borders;
        case stTextLine1: return a.Line1 != b.Line1;
        case stTextLine2: return a.Line2 != b.Line2;
        default: return false;
    }
}

}  // namespace

bool ControlsDifferFromCfg(const TConfigControls& controls, const TCfg& cfg) {
    return ControlsDifferFromCfg(controls, cfg, TCfgSources{});
}

bool ControlsDifferFromCfg(const TConfigControls& controls, const TCfg& cfg, const TCfgSources& sources) {
    for (int setting = 0; setting < kDialogSettingCount; ++setting) {
        if (!sources.Enforced(setting) && SettingDiffers(setting, controls, cfg)) return true;
    }
    return false;
}

TCfg ApplyControls(const TConfigControls& controls, TCfg base) {
    base.CoverArea = controls.CoverIndex;
    base.TransitionTime = TruncateToInt32(controls.TransitionValue);
    base.MovementType = controls.MovementIndex;
    base.DrawBorders = controls.Borders;
    base.TextLine1 = controls.Line1;
    base.TextLine2 = controls.Line2;
    return base;
}

TCfg ApplyControls(const TConfigControls& controls, TCfg base, const TCfgSources& sources) {
    const TCfg applied = ApplyControls(controls, base);
    if (!sources.Enforced(stCoverArea)) base.CoverArea = applied.CoverArea;
    if (!sources.Enforced(stTransitionTime)) base.TransitionTime = applied.TransitionTime;
    if (!sources.Enforced(stMovementType)) base.MovementType = applied.MovementType;
    if (!sources.Enforced(stDrawBorders)) base.DrawBorders = applied.DrawBorders;
    if (!sources.Enforced(stTextLine1)) base.TextLine1 = applied.TextLine1;
    if (!sources.Enforced(stTextLine2)) base.TextLine2 = applied.TextLine2;
    return base;
}

namespace {

// The stored values as the controls take them.
TConfigControls StoredValuesShown(const TCfg& cfg) {
    TConfigControls c;
    c.CoverIndex = ListIndexFor(cfg.CoverArea, CoverItems);
    double t = static_cast<double>(cfg.TransitionTime);
    if (t < MinTransition) t = MinTransition;
    if (t > MaxTransition) t = MaxTransition;
    c.TransitionValue = t;
    c.MovementIndex = ListIndexFor(cfg.MovementType, MovementItems);
    c.Borders = cfg.DrawBorders;
    c.Line1 = cfg.TextLine1;
    c.Line2 = cfg.TextLine2;
    return c;
}

}  // namespace

TConfigControls ControlsFromCfg(const TCfg& cfg, const TCfgSources& sources) {
    TConfigControls c = StoredValuesShown(cfg);
    // An enforced value shows as the band uses it.
    if (sources.Enforced(stCoverArea)) c.CoverIndex = ClampCoverArea(cfg.CoverArea);
    if (sources.Enforced(stTransitionTime)) c.TransitionValue = ClampTransitionTime(cfg.TransitionTime);
    if (sources.Enforced(stMovementType)) c.MovementIndex = cfg.MovementType != 0 ? 1 : 0;
    return c;
}

void TakeChangedRecommendations(const TConfigControls& controls, const TConfigControls& loaded, TCfgSources& sources) {
    for (int setting = 0; setting < kDialogSettingCount; ++setting) {
        const TSettingSource source = sources.Of[setting];
        const bool recommended =
            source == TSettingSource::RecommendedForMachine || source == TSettingSource::RecommendedForUser;
        if (recommended && ControlDiffers(setting, controls, loaded)) sources.Of[setting] = TSettingSource::Own;
    }
}

bool ApplyEnabledAfterLoad(const TCfg& cfg, const TCfgSources& sources) {
    const TConfigControls loaded = ControlsFromCfg(cfg, sources);
    // The controls as the layout creates them.
    TConfigControls shown{-1, 1.0, -1, false, std::string(), std::string()};
    bool enabled = false;

    // The lists and the spin field (whose window does not exist yet) raise nothing.
    shown.CoverIndex = loaded.CoverIndex;
    shown.TransitionValue = loaded.TransitionValue;
    shown.MovementIndex = loaded.MovementIndex;

    if (loaded.Borders) {
        shown.Borders = true;
        enabled = ControlsDifferFromCfg(shown, cfg, sources);
    }
    if (!loaded.Line1.empty()) {
        shown.Line1 = loaded.Line1;
        enabled = ControlsDifferFromCfg(shown, cfg, sources);
    }
    if (!loaded.Line2.empty()) {
        shown.Line2 = loaded.Line2;
        enabled = ControlsDifferFromCfg(shown, cfg, sources);
    }
    return enabled;
}

TPoint CentreAndClamp(const TRect& parent, int32_t outerWidth, int32_t outerHeight, const TRect& workArea) {
    // 64-bit throughout, so that extreme rectangles cannot overflow.
    const int64_t w = outerWidth;
    const int64_t h = outerHeight;
    int64_t left = parent.Left + (static_cast<int64_t>(parent.Right) - parent.Left) / 2 - w / 2;
    int64_t top = parent.Top + (static_cast<int64_t>(parent.Bottom) - parent.Top) / 2 - h / 2;

    if (top < workArea.Top) top = workArea.Top;
    if (left < workArea.Left) left = workArea.Left;
    if (left + w > workArea.Right) left = workArea.Right - w;
    if (top + h > workArea.Bottom) top = workArea.Bottom - h;

    return TPoint{SaturateToInt32(left), SaturateToInt32(top)};
}
