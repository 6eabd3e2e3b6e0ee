// The single-instance guard's rules that need no operating system: the name
// of the shared block, its byte layout, and what a start does with it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// The shared block: the application window of the copy that registered last,
// and the signed number of copies holding a place. 8 bytes, little-endian.
struct TInstanceInfo {
    uint32_t Wnd = 0;
    int32_t Count = 0;
};

constexpr uint32_t kInstanceInfoSize = 8;

// The block name for a program path: every backslash removed, nothing else
// changed (letter case kept).
std::string MapNameFromPath(const std::string& path);
// The name of the lock that serialises the guard between processes.
std::string LockNameFor(const std::string& mapName);

// Reads and writes the kInstanceInfoSize bytes at block.
TInstanceInfo ReadInstanceInfo(const uint8_t* block);
void WriteInstanceInfo(uint8_t* block, const TInstanceInfo& info);
// Writes only the count, leaving the window field as another copy wrote it.
void WriteInstanceCount(uint8_t* block, int32_t count);

// What a first start writes into the block it created.
TInstanceInfo FirstInstance(uint32_t wnd);

// The decision on a start that found the block already there.
struct TStartDecision {
    bool Register = false;
    // The block after the start: taken over and counted when registering,
    // unchanged when refused.
    TInstanceInfo Block;
    // The window to bring forward when refused (0 for none).
    uint32_t BringForward = 0;
};
TStartDecision DecideStart(const TInstanceInfo& block, uint32_t wnd, int32_t limit);

// The count after a registered copy gives its place back; it never wraps.
int32_t CountAfterRelease(int32_t count);

// Decides, in one atomic step, which of the paths that end the program
// (the exit steps, a failure hook, the crash filter, the watchdog) gives the
// guard's place back: the first to ask, and only it.
class TReleaseOnce {
public:
    bool Claim() noexcept { return !claimed_.exchange(true, std::memory_order_acq_rel); }
    bool Claimed() const noexcept { return claimed_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> claimed_{false};
};
