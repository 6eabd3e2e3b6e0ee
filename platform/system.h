// Process-level facts the start-up logic reads from the system.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The raw command line of this process, program path included, in the ANSI code page.
std::string CommandLineText();
// The foreground window's handle as its 32-bit value (0 when there is none).
uint32_t ForegroundWindow32();
// Writes text to the standard error this process was given, or else to the
// console of the program that started it; nothing when there is neither.
void WriteToCaller(const std::string& text);

}  // namespace platform
