#include "src/cfgSources.h"

const char* const kSettingNames[kSettingCount] = {"CoverArea",    "TransitionTime",  "MovementType",
                                                  "DrawBorders",  "TextLine1",       "TextLine2",
                                                  "KeepClearTop", "KeepClearBottom", "StartAfterIdle"};

bool TCfgSources::Enforced(int setting) const {
    return Of[setting] == TSettingSource::MachinePolicy || Of[setting] == TSettingSource::UserPolicy;
}

bool TCfgSources::AnyEnforced() const {
    for (int i = 0; i < kDialogSettingCount; ++i) {
        if (Enforced(i)) return true;
    }
    return false;
}

namespace {

void CopySetting(int setting, const TCfg& from, TCfg& to) {
    switch (setting) {
        case stCoverArea: to.CoverArea = from.CoverArea; break;
        case stTransitionTime: to.TransitionTime = from.TransitionTime; break;
        case stMovementType: to.MovementType = from.MovementType; break;
        case stDrawBorders: to.DrawBorders = from.DrawBorders; break;
        case stTextLine1: to.TextLine1 = from.TextLine1; break;
        case stTextLine2: to.TextLine2 = from.TextLine2; break;
        case stKeepClearTop: to.KeepClearTop = from.KeepClearTop; break;
        case stKeepClearBottom: to.KeepClearBottom = from.KeepClearBottom; break;
        case stStartAfterIdle: to.StartAfterIdle = from.StartAfterIdle; break;
        default: break;
    }
}

}  // namespace

void ResolveCfg(const TSourceValues& machinePolicy, const TSourceValues& userPolicy, const TSourceValues& own,
                const TSourceValues& recommendedForMachine, const TSourceValues& recommendedForUser, TCfg& cfg,
                TCfgSources& sources) {
    const struct {
        const TSourceValues& Values;
        TSettingSource Source;
    } order[] = {
        {machinePolicy, TSettingSource::MachinePolicy},
        {userPolicy, TSettingSource::UserPolicy},
        {own, TSettingSource::Own},
        {recommendedForMachine, TSettingSource::RecommendedForMachine},
        {recommendedForUser, TSettingSource::RecommendedForUser},
    };
    for (int setting = 0; setting < kSettingCount; ++setting) {
        sources.Of[setting] = TSettingSource::Default;
        for (const auto& source : order) {
            if (!source.Values.Has[setting]) continue;
            CopySetting(setting, source.Values.Values, cfg);
            sources.Of[setting] = source.Source;
            break;
        }
    }
}
