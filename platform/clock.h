// The clock the band, the preview and the watcher read.
#pragma once

#include <cstdint>

namespace platform {

// Low 32 bits of the performance counter, or the tick count.
uint32_t RandomSeed();
// Milliseconds since an arbitrary start, monotonic.
uint64_t TickMilliseconds();

}  // namespace platform
