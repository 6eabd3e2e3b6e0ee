#include <windows.h>

#include <atomic>

#include "platform/process.h"

namespace platform {

namespace {
std::atomic<TEmergencyExit> g_beforeCrashExit{nullptr};

LONG WINAPI ExitOnUnhandledException(EXCEPTION_POINTERS*) {
    // A second fault on the way out ends at once.
    if (TEmergencyExit beforeExit = g_beforeCrashExit.exchange(nullptr)) beforeExit();
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

void HardenProcess() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr) setDefault(0x00000800);  // LOAD_LIBRARY_SEARCH_SYSTEM32
    SetDllDirectoryA("");
}

void EndProcessOnCrash(TEmergencyExit beforeExit) {
    g_beforeCrashExit = beforeExit;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ExitOnUnhandledException);
}

void MakeToolWindow(tk::Hwnd applicationWindow, bool activate) {
    ShowWindow(applicationWindow, SW_HIDE);
    LONG style = GetWindowLongA(applicationWindow, GWL_EXSTYLE);
    SetWindowLongA(applicationWindow, GWL_EXSTYLE, style | WS_EX_TOOLWINDOW);
    ShowWindow(applicationWindow, activate ? SW_SHOW : SW_SHOWNA);
}

}  // namespace platform
