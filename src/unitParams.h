// Command line of the screen saver: the mode switch and the target window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The switch letter, upper-cased ("C", "S", "P", another character, or empty).
extern std::string Mode;
// The window named on the command line as its 32-bit value, 0 for none.
extern uint32_t TargetWnd;

// Every argument of the command line, the program itself as element 0.
// Arguments are separated by runs of characters <= ' '; double quotes group
// and are dropped; an empty "" pair at an argument's start is skipped; the
// list ends before the first empty argument.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Reads a whole text as a 32-bit integer: leading spaces, optional sign, then
// decimal (-2147483648 to 4294967295, the window numbers Windows hands out
// being unsigned) or hexadecimal after "$", "x", "X", "0x" or "0X"
// (at most 8 significant digits, a bit pattern). False, with bits untouched,
// when the text is no such number.
bool TryReadInt32(const std::string& text, uint32_t& bits);

struct TParsedParams {
    std::string Mode;
    uint32_t TargetWnd = 0;
    // False when the command line has no arguments and TargetWnd is to be left alone.
    bool HasTargetWnd = false;
};

// Pure form of ParseParams. foregroundWindow is called only when a single
// argument names no usable window; it may be null (then 0).
TParsedParams ParseCommandLine(const std::string& commandLine, uint32_t (*foregroundWindow)());

// Sets Mode and TargetWnd from this process's command line.
void ParseParams();

// A 32-bit window handle value widened to pointer size the way 64-bit Windows
// does it: sign extension.
intptr_t HandleFromWnd32(uint32_t wnd);
