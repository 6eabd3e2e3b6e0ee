// Which monitors share a band. Monitors with the same top and the same height
// form one group, which one band spans as it spans a row of equal monitors;
// every other monitor is a group of its own, so that each band's height and
// places are measured on the rows its own monitors have.
#pragma once

#include <cstddef>
#include <vector>

#include "src/bandShape.h"

struct TMonitorGroup {
    // The bounding rectangle of the group's monitors: what its band spans.
    TRect Rect;
    // Indexes into the monitor list, in its order.
    std::vector<size_t> Monitors;
};

// The groups ordered by top, then by left: the order in which their bands
// draw their random places, one after the other from one generator.
// Monitors without area belong to no group.
std::vector<TMonitorGroup> GroupMonitors(const std::vector<TRect>& monitors);
