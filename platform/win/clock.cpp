// The clock.
#include "platform/clock.h"

#include <windows.h>

namespace platform {

uint32_t RandomSeed() {
    LARGE_INTEGER counter{};
    if (QueryPerformanceCounter(&counter)) return static_cast<uint32_t>(counter.QuadPart & 0xFFFFFFFFu);
    return GetTickCount();
}

uint64_t TickMilliseconds() { return GetTickCount64(); }

}  // namespace platform
