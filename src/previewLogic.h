// Arithmetic of the preview: where the logo goes in the host window, and
// what each pass of the blink does.
#pragma once

#include <cstdint>

#include "platform/geometry.h"

// The logo (pictureWidth x pictureHeight) fitted into a host of
// hostWidth x hostHeight with its proportions kept and centred. A host
// without area gets an empty rectangle.
TRect ComputeLogoRect(int32_t hostWidth, int32_t hostHeight, int32_t pictureWidth, int32_t pictureHeight);

enum class TBlinkAction { None, DrawLogo, BlackOut };

// Even seconds show the logo, odd seconds black it out; only a change of
// parity draws.
TBlinkAction BlinkActionFor(int32_t seconds, bool drawn);

// Milliseconds to wait before the next pass: up to the next second boundary,
// at most maxWait.
int32_t WaitBeforeNextPass(int32_t millisecondsIntoSecond, int32_t maxWait);
