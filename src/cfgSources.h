// Where each setting comes from: the policies, the user's own value, the
// recommendations and the default, and which of them wins.
#pragma once

#include "src/unitRegistry.h"

enum TSetting : int {
    stCoverArea,
    stTransitionTime,
    stMovementType,
    stDrawBorders,
    stTextLine1,
    stTextLine2,
    // Not in the dialog; read on their own, never written by it.
    stKeepClearTop,
    stKeepClearBottom,
    stStartAfterIdle,
};
constexpr int kSettingCount = 9;
// The settings the dialog shows and stores come first.
constexpr int kDialogSettingCount = 6;

// The value names, in the order they are read and written.
extern const char* const kSettingNames[kSettingCount];

// Lowest precedence first.
enum class TSettingSource {
    Default,
    RecommendedForUser,
    RecommendedForMachine,
    Own,
    UserPolicy,
    MachinePolicy,
};

struct TCfgSources {
    TSettingSource Of[kSettingCount] = {};
    // Set by a policy: the user can neither see it change nor change it.
    bool Enforced(int setting) const;
    // Whether any setting of the dialog is enforced.
    bool AnyEnforced() const;
};

// What one source holds: the settings it has, and their values.
struct TSourceValues {
    TCfg Values;
    bool Has[kSettingCount] = {};
};

// The effective settings: for each setting on its own, the first source in the order
// machine policy, user policy, own, recommended for the machine, recommended for the user
// that has it, else the default that cfg holds on entry.
void ResolveCfg(const TSourceValues& machinePolicy, const TSourceValues& userPolicy, const TSourceValues& own,
                const TSourceValues& recommendedForMachine, const TSourceValues& recommendedForUser, TCfg& cfg,
                TCfgSources& sources);
