// Process-wide set-up of the program.
#pragma once

#include <cstdint>
#include <string>

#include "platform/toolkit.h"
#include "platform/watchdog.h"

namespace platform {

// Loads system DLLs from the system folder only.
void HardenProcess();
// An unexpected crash ends the process quietly instead of leaving a window
// up; beforeExit gives back what it can first, without waiting or allocating.
void EndProcessOnCrash(TEmergencyExit beforeExit);
// Keeps the application window off the taskbar: hide, add WS_EX_TOOLWINDOW,
// show (without activating it unless activate is set).
void MakeToolWindow(tk::Hwnd applicationWindow, bool activate);

// Ends the process at once: the last resort of the fail-safe paths.
[[noreturn]] void ExitProcessNow(uint32_t exitCode);

// The raw command line of this process, program path included, in the ANSI code page.
std::string CommandLineText();
// Writes text to the standard error this process was given, or else to the
// console of the program that started it; nothing when there is neither.
void WriteToCaller(const std::string& text);

}  // namespace platform
