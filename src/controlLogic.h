// The control system's command, kestrane.scr /e [seconds]: ends the band in
// every session and keeps the watchers from starting another for a while.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The longest hold a command may ask for: one day.
constexpr uint32_t kHoldMostSeconds = 86400;
// How long a command keeps asking the bands to end: each looks ten times a
// second, its watchdog four times.
constexpr uint32_t kEndRequestMs = 1000;

struct TEndCommand {
    bool Valid = false;
    // False: the watchers hold for their own idle time.
    bool Timed = false;
    uint32_t HoldSeconds = 0;
    // For an invalid command: what was wrong, to show the caller.
    std::string Error;
};

// Reads the command from the arguments (the program first, then "/e",
// "/e:<seconds>" or "/e <seconds>"; "/" and "-" as the other switches take
// them, letters in any case).
TEndCommand ParseEndCommand(const std::vector<std::string>& args);
