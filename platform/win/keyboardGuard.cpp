#include <windows.h>

#include <atomic>

#include "platform/keyboardGuard.h"

namespace platform {

namespace {

// A hook procedure has no context: the one band of the process keeps its
// state here. The rules are asked only on the hook's thread.
TKeyRules* Rules = nullptr;
HWND NotifyWindow = nullptr;
UINT NotifyMessage = 0;
std::atomic<int64_t> DismissAtMs{0};

constexpr UINT kDisarm = WM_APP + 1;
// While keys are held back after the band has gone, the thread looks this
// often whether the hold is over.
constexpr DWORD kHoldCheckMs = 50;
// Finish waits for the thread at most this much longer than the hold's own limit.
constexpr DWORD kFinishSlackMs = 2000;

int64_t NowMs() { return static_cast<int64_t>(GetTickCount64()); }

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        TKeyEvent key;
        key.VirtualKey = info->vkCode;
        key.Down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        key.System = wParam == WM_SYSKEYDOWN || wParam == WM_SYSKEYUP;
        key.AltDown = (info->flags & LLKHF_ALTDOWN) != 0;
        key.AtMs = NowMs();
        switch (Rules->OnKey(key)) {
            case TKeyVerdict::Dismiss:
                DismissAtMs.store(key.AtMs, std::memory_order_relaxed);
                PostMessageA(NotifyWindow, NotifyMessage, 0, 0);
                return 1;
            case TKeyVerdict::HoldBack: return 1;
            case TKeyVerdict::Pass: break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct TStart {
    HANDLE Ready = nullptr;
    DWORD RearmEveryMs = INFINITE;
    bool Installed = false;
};

DWORD WINAPI HookThread(void* parameter) {
    auto* start = static_cast<TStart*>(parameter);
    const DWORD rearmEveryMs = start->RearmEveryMs;
    MSG msg;
    // The queue exists before anyone posts to it.
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, GetModuleHandleA(nullptr), 0);
    start->Installed = hook != nullptr;
    SetEvent(start->Ready);
    if (hook == nullptr) return 1;

    bool disarmed = false;
    int64_t hiddenAtMs = 0;
    int64_t armedAtMs = NowMs();
    for (;;) {
        // The thread re-arms on its own clock: no other thread has to wake it
        // for that, and a hook lost between two re-arms is back within one period.
        DWORD timeoutMs = disarmed ? kHoldCheckMs : INFINITE;
        if (!disarmed && rearmEveryMs != INFINITE) {
            const int64_t left = armedAtMs + static_cast<int64_t>(rearmEveryMs) - NowMs();
            timeoutMs = left > 0 ? static_cast<DWORD>(left) : 0;
        }
        // The hook's calls arrive as sent messages: any wait that pumps them will do.
        const DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs, QS_ALLINPUT);
        if (woke == WAIT_TIMEOUT && !disarmed) {
            // The new hook first, so that no key passes between the two;
            // removing one the system has dropped already fails harmlessly.
            if (HHOOK fresh = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, GetModuleHandleA(nullptr), 0)) {
                UnhookWindowsHookEx(hook);
                hook = fresh;
            }
            armedAtMs = NowMs();
            continue;
        }
        bool quit = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kDisarm && !disarmed) {
                disarmed = true;
                hiddenAtMs = NowMs();
                Rules->Disarm();
            } else if (msg.message == WM_QUIT) {
                quit = true;
            }
        }
        if (quit || (disarmed && Rules->HoldOver(NowMs(), hiddenAtMs))) break;
    }
    UnhookWindowsHookEx(hook);
    return 0;
}

}  // namespace

bool TKeyboardGuard::Start(tk::Hwnd notify, uint32_t message, TKeyRules* rules, uint32_t rearmEveryMs) {
    if (thread_ != nullptr) return true;
    if (rules == nullptr) return false;
    NotifyWindow = static_cast<HWND>(notify);
    NotifyMessage = message;
    DismissAtMs.store(0);
    Rules = rules;
    Rules->Arm();
    TStart start;
    start.Ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    start.RearmEveryMs = rearmEveryMs == 0 ? INFINITE : rearmEveryMs;
    if (start.Ready == nullptr) return false;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 64 * 1024, HookThread, &start, 0, &id);
    if (thread == nullptr) {
        CloseHandle(start.Ready);
        return false;
    }
    // The thread reads start only until it signals.
    WaitForSingleObject(start.Ready, INFINITE);
    CloseHandle(start.Ready);
    if (!start.Installed) {
        WaitForSingleObject(thread, 1000);
        CloseHandle(thread);
        return false;
    }
    thread_ = thread;
    threadId_ = id;
    return true;
}

void TKeyboardGuard::Disarm() {
    if (thread_ != nullptr) PostThreadMessageA(threadId_, kDisarm, 0, 0);
}

void TKeyboardGuard::Finish() {
    if (thread_ == nullptr) return;
    Disarm();
    HANDLE thread = static_cast<HANDLE>(thread_);
    const DWORD limit = static_cast<DWORD>(Rules->HoldLimitMs()) + kFinishSlackMs;
    if (WaitForSingleObject(thread, limit) != WAIT_OBJECT_0) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 1000);
    }
    CloseHandle(thread);
    thread_ = nullptr;
    threadId_ = 0;
}

int64_t TKeyboardGuard::DismissKeyAtMs() noexcept { return DismissAtMs.load(std::memory_order_relaxed); }

}  // namespace platform
