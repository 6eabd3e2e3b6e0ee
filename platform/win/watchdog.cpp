#include <windows.h>

#include <memory>

#include "platform/watchdog.h"
#include "src/watchdogLogic.h"

namespace platform {

namespace {

struct WatchdogContext {
    HWND Band;
    int32_t StartX, StartY;
    HANDLE StopEvent;
    std::function<void()> BeforeExit;
};

DWORD WINAPI WatchdogThread(void* parameter) {
    std::unique_ptr<WatchdogContext> context(static_cast<WatchdogContext*>(parameter));
    TWatchdog dog(context->StartX, context->StartY, static_cast<int64_t>(GetTickCount64()));
    while (WaitForSingleObject(context->StopEvent, 100) == WAIT_TIMEOUT) {
        POINT cursor{};
        const bool cursorRead = GetCursorPos(&cursor) != FALSE;
        DWORD_PTR ignored = 0;
        const bool answered = SendMessageTimeoutA(context->Band, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100,
                                                  &ignored) != 0;
        const bool visible = IsWindow(context->Band) && IsWindowVisible(context->Band);
        if (dog.Check(static_cast<int64_t>(GetTickCount64()), cursorRead, cursor.x, cursor.y, answered, visible) ==
            TWatchdogAction::EndProcess) {
            if (context->BeforeExit) context->BeforeExit();
            // Not ExitProcess: a stuck user-interface thread may hold locks
            // that an orderly exit would wait for.
            TerminateProcess(GetCurrentProcess(), 2);
        }
    }
    return 0;
}

}  // namespace

TBandWatchdog::~TBandWatchdog() { Stop(); }

void TBandWatchdog::Start(tk::Hwnd band, int32_t startX, int32_t startY, std::function<void()> beforeExit) {
    Stop();
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stop == nullptr) return;
    auto* context = new WatchdogContext{band, startX, startY, stop, std::move(beforeExit)};
    HANDLE thread = CreateThread(nullptr, 64 * 1024, WatchdogThread, context, 0, nullptr);
    if (thread == nullptr) {
        delete context;
        CloseHandle(stop);
        return;
    }
    thread_ = thread;
    stopEvent_ = stop;
}

void TBandWatchdog::Stop() {
    if (thread_ == nullptr) return;
    SetEvent(static_cast<HANDLE>(stopEvent_));
    WaitForSingleObject(static_cast<HANDLE>(thread_), 5000);
    CloseHandle(static_cast<HANDLE>(thread_));
    CloseHandle(static_cast<HANDLE>(stopEvent_));
    thread_ = nullptr;
    stopEvent_ = nullptr;
}

}  // namespace platform
