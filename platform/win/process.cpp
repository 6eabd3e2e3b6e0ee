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

void ExitProcessNow(uint32_t exitCode) { ExitProcess(exitCode); }

std::string CommandLineText() {
    const char* line = GetCommandLineA();
    return line != nullptr ? std::string(line) : std::string();
}

void WriteToCaller(const std::string& text) {
    DWORD written = 0;
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE &&
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return;
    }
    // A program of the windows subsystem has no console of its own.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console =
        CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        WriteFile(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(console);
    }
    FreeConsole();
}

}  // namespace platform
