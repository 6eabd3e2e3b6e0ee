#include "tests/support/fakeSystem.h"

#include "platform/hostWindows.h"
#include "platform/process.h"

namespace {

std::string g_commandLine;
uint32_t g_foregroundWindow = 0;
int g_foregroundCalls = 0;

}  // namespace

namespace fakeSystem {

void SetCommandLine(const std::string& text) { g_commandLine = text; }

void SetForegroundWindow(uint32_t wnd) { g_foregroundWindow = wnd; }

int ForegroundWindowCalls() { return g_foregroundCalls; }

void Reset() {
    g_commandLine.clear();
    g_foregroundWindow = 0;
    g_foregroundCalls = 0;
}

}  // namespace fakeSystem

namespace platform {

std::string CommandLineText() { return g_commandLine; }

uint32_t ForegroundWindow32() {
    ++g_foregroundCalls;
    return g_foregroundWindow;
}

}  // namespace platform
