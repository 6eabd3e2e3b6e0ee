// Process-wide set-up of the program.
#pragma once

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

}  // namespace platform
