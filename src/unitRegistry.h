// Settings record and its store in the current user's registry.
#pragma once

#include <cstdint>
#include <string>

struct TCfg {
    int32_t CoverArea = 1;
    int32_t TransitionTime = 2;
    int32_t MovementType = 1;
    bool DrawBorders = true;
    std::string TextLine1 = "Partial Screen Saver for Kestrane Workstations";
    std::string TextLine2 = "Click or move the mouse to close it...";
    std::string Version = "1.38";
};

extern TCfg Cfg;

// Fills Cfg from the registry (defaults where a value is missing); reports failures itself.
void LoadCfg();
// Stores the six settings of Cfg; reports failures itself.
void SaveCfg();
