#include <windows.h>

#include "platform/process.h"

namespace platform {

namespace {
LONG WINAPI ExitOnUnhandledException(EXCEPTION_POINTERS*) {
    ExitProcess(3);
}
}  // namespace

void HardenProcess() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr) setDefault(0x00000800);  // LOAD_LIBRARY_SEARCH_SYSTEM32
    SetDllDirectoryA("");
}

void EndProcessOnCrash() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ExitOnUnhandledException);
}

void MakeToolWindow(tk::Hwnd applicationWindow) {
    ShowWindow(applicationWindow, SW_HIDE);
    LONG style = GetWindowLongA(applicationWindow, GWL_EXSTYLE);
    SetWindowLongA(applicationWindow, GWL_EXSTYLE, style | WS_EX_TOOLWINDOW);
    ShowWindow(applicationWindow, SW_SHOW);
}

}  // namespace platform
