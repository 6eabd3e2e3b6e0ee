// Arithmetic the logic, the widgets and the platform share, free of any window system.
#pragma once

#include <cstdint>
#include <limits>

// v held to the range of a 32-bit signed integer: stored values and window
// sizes can be anything, the sums made of them must not wrap.
inline int32_t SaturateToInt32(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}
