// The parts of the band that show when rows at the top and the bottom of
// every monitor are kept clear (an alarm banner's), free of any window.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/geometry.h"

// The most rows a site can ask to keep clear: a quarter of an 8K monitor.
constexpr int32_t kKeepClearMost = 4320 / 4;

// Rows of one monitor kept clear: negative counts as 0, more than the
// monitor's height div 4 is held at that.
int32_t ClampKeepClear(int32_t rows, int32_t monitorHeight);

// The band less the kept-clear strips of every monitor, as rectangles that
// neither overlap each other nor touch a strip: columns split where a
// monitor's edge crosses the band, touching columns of the same rows joined
// again. Parts of the band that no monitor shows are left out. Nothing kept
// clear, or no monitor known, gives the band whole.
std::vector<TRect> BandPieces(const TRect& band, const std::vector<TRect>& monitors, int32_t keepTop,
                              int32_t keepBottom);
