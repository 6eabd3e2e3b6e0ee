// Single-instance guard: keeps more than a given number of copies of the
// program from running at once, through a named block of shared memory that
// every copy started from the same file sees.
#pragma once

#include <cstdint>
#include <string>

// The block's name, set by CheckPrevious.
extern std::string MapName;
// True while this process holds a place in the block's count.
extern bool Counted;

// Registers this start under the window Wnd. True when this start must end:
// the limit is reached (the copy that registered last is then brought
// forward) or the existing block cannot be opened. Throws the platform's
// error when the block cannot be created or mapped.
bool CheckPrevious(uint32_t Wnd, int32_t Limit);

// Whether a copy of the program holds a place now, looked at without taking
// one and without keeping the block open.
bool PlaceIsTaken();

// The guard's exit step: gives this copy's place back and releases every
// handle and view. Only the first of all release calls, on any thread, does
// anything; the others return at once.
void ReleasePrevious();

// Opens in advance what EmergencyReleasePrevious needs. Call on the
// user-interface thread after CheckPrevious.
void PrepareEmergencyRelease();
// The release for a process about to be killed: when it is the first release
// and the guard's lock is free this instant, gives the place back; it never
// waits, allocates nothing and leaves the view mapped.
void EmergencyReleasePrevious() noexcept;
