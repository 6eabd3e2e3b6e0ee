// What the configuration dialog decides from its controls and the settings, without windows.
#pragma once

#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "src/cfgSources.h"
#include "src/unitRegistry.h"

// What the six input controls show.
struct TConfigControls {
    int32_t CoverIndex;      // selected item of the cover list, -1 for none
    double TransitionValue;  // the spin field's value
    int32_t MovementIndex;   // selected item of the movement list, -1 for none
    bool Borders;            // check box ticked
    std::string Line1;
    std::string Line2;
};

// Whether any control differs from the settings; the comparison that sets Apply's state.
bool ControlsDifferFromCfg(const TConfigControls& controls, const TCfg& cfg);
// The same, leaving out the settings a policy enforces.
bool ControlsDifferFromCfg(const TConfigControls& controls, const TCfg& cfg, const TCfgSources& sources);

// base with the controls copied into its six settings; the time is truncated toward zero.
TCfg ApplyControls(const TConfigControls& controls, TCfg base);
// The same for the settings that no policy enforces; base keeps the enforced ones.
TCfg ApplyControls(const TConfigControls& controls, TCfg base, const TCfgSources& sources);

// A recommended setting whose control no longer shows what it showed when loaded becomes
// the user's own, so that it is stored; an untouched one goes on following the
// recommendation.
void TakeChangedRecommendations(const TConfigControls& controls, const TConfigControls& loaded, TCfgSources& sources);

// What the controls show once loaded from cfg: list indexes outside a list give no
// selection, the time is held to 1..5 by the spin field; each enforced setting is
// shown as the band holds it.
TConfigControls ControlsFromCfg(const TCfg& cfg, const TCfgSources& sources);

// Apply's enabled state after the dialog has loaded its controls from cfg, following the
// change notifications the load raises; the enforced settings are left out of the
// comparisons.
bool ApplyEnabledAfterLoad(const TCfg& cfg, const TCfgSources& sources);

// Top-left corner of a dialog of the given outer size centred on parent, then held inside
// workArea (top, left, right, bottom in that order, so right and bottom win).
TPoint CentreAndClamp(const TRect& parent, int32_t outerWidth, int32_t outerHeight, const TRect& workArea);
