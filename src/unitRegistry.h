// Settings record and its store in the current user's registry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TCfg {
    int32_t CoverArea = 1;
    int32_t TransitionTime = 2;
    int32_t MovementType = 1;
    bool DrawBorders = true;
    std::string TextLine1 = "Partial Screen Saver for Kestrane Workstations";
    std::string TextLine2 = "Click or move the mouse to close it...";
    std::string Version = "1.38";
    // Rows at the top and the bottom of every monitor that the band leaves
    // uncovered (an alarm banner's); not in the dialog.
    int32_t KeepClearTop = 0;
    int32_t KeepClearBottom = 0;
    // Seconds without input before the resident watcher starts the band;
    // 0 turns that off. Not in the dialog.
    int32_t StartAfterIdle = 600;
};

extern TCfg Cfg;

struct TCfgSources;
// Where each setting of Cfg came from (src/cfgSources.h).
extern TCfgSources CfgSources;

// Fills Cfg from the policies, the user's own values and the recommendations (defaults
// where none has a value); reports failures of the user's own key itself. The
// report is the program's (src/unitRegistryReport.cpp): this library shows nothing.
void LoadCfg();
// The same without a word: false when the user's own key failed to read (the
// dialog's settings from the failed one on then hold their other sources).
bool TryLoadCfg();
// Stores the settings of Cfg that are the user's own or default; reports failures itself.
void SaveCfg();
// The same without a word: false when the user's own key did not take them.
bool TrySaveCfg();

// The message box the program shows when the user's own key fails.
struct TCfgReport {
    std::string Title;
    std::string Text;
    std::vector<std::string> Buttons;
    uint8_t IconKind = 0;
};
TCfgReport ReadFailureReport();
TCfgReport WriteFailureReport();
// Whether Windows locks the workstation when the saver ends (password protection).
bool ScreenSaverIsSecure();
// Whether Windows itself is set to start the program at programPath as its
// screen saver: the saver is on and its executable (the Windows policy's
// first) names that file.
bool WindowsStartsProgram(const std::string& programPath);
// Whether a screen-saver executable value names the program at programPath:
// the same file name, letter case aside (Windows may store a short or a
// relative path).
bool ExecutableNamesProgram(const std::string& value, const std::string& programPath);
