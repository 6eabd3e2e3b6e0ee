// The program entry: start-up sequence, mode dispatch, exit steps.
#pragma once

#include <string>

extern const char kApplicationTitle[];

// The exit steps that every way out runs: the single-instance place is given
// back, then the forms are destroyed with the application object.
void RunExitSteps();

// The preview: blinks the logo into the host window that TargetWnd names
// until that window is no longer visible. Ends the program at once when
// there is no host, or when it does not become visible in time.
void RunPreview();
