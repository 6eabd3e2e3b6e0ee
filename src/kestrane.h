// The program entry: start-up sequence, mode dispatch, exit steps.
#pragma once

#include <string>

extern const char kApplicationTitle[];

// The exit steps that every way out runs: the single-instance place is given
// back, then the forms are destroyed with the application object.
void RunExitSteps();
