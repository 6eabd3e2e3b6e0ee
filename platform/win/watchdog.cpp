#include <windows.h>

#include <atomic>

#include "platform/watchdog.h"
#include "platform/win/gdiHandles.h"

namespace platform {

// Everything the thread touches, made before it starts and freed only after
// it has ended.
struct TBandWatchdog::TShared {
    HWND Band = nullptr;
    // The band's thread: its other windows (pieces, other monitors' bands) count too.
    DWORD BandThread = 0;
    win::KernelHandle StopEvent;
    TEmergencyExit EmergencyExit = nullptr;
    TKeySignal KeySignal = nullptr;
    std::unique_ptr<TWatchdogRules> Rules;
    win::KernelHandle EndRequest;
    UINT EndMessage = 0;
    // Kept ahead by the heartbeats: it goes off only once they stop, so the
    // thread need not wake while all is well. None when it cannot be made.
    win::KernelHandle Alarm;
    TWatchdogRules::TAlarm AlarmTimes;
    // Touched by the user-interface thread only.
    int64_t AlarmSetAtMs = 0;
    // Both coordinates in one word, so that the thread never reads half a change.
    std::atomic<uint64_t> Start{0};
    std::atomic<int64_t> HeartbeatMs{0};
    std::atomic<int64_t> MovedAtMs{0};
};

namespace {

int64_t NowMs() { return static_cast<int64_t>(GetTickCount64()); }

bool SetAlarm(HANDLE alarm, int64_t inMs) {
    // Relative, in units of 100 ns; at least one, as zero would mean the year 1601.
    LARGE_INTEGER due;
    due.QuadPart = -(inMs > 0 ? inMs * 10000 : 1);
    return SetWaitableTimer(alarm, &due, 0, nullptr, nullptr, FALSE) != FALSE;
}

uint64_t PackPoint(int32_t x, int32_t y) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
}
int32_t PointX(uint64_t packed) { return static_cast<int32_t>(static_cast<uint32_t>(packed >> 32)); }
int32_t PointY(uint64_t packed) { return static_cast<int32_t>(static_cast<uint32_t>(packed)); }

// The earlier of a move the user-interface thread saw and a key the
// keyboard hook saw; 0 when neither came.
int64_t FirstSignal(int64_t movedAt, int64_t keyAt) {
    if (movedAt == 0) return keyAt;
    if (keyAt == 0) return movedAt;
    return movedAt < keyAt ? movedAt : keyAt;
}

BOOL CALLBACK FindVisible(HWND window, LPARAM found) {
    // The application window shows, but has no size.
    RECT r{};
    if (!IsWindowVisible(window) || !GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

TWatchdogLook LookAtBand(HWND band, DWORD bandThread) {
    TWatchdogLook look;
    POINT cursor{};
    look.CursorRead = GetCursorPos(&cursor) != FALSE;
    look.CursorX = cursor.x;
    look.CursorY = cursor.y;
    bool visible = IsWindow(band) && IsWindowVisible(band);
    if (!visible && bandThread != 0) EnumThreadWindows(bandThread, FindVisible, reinterpret_cast<LPARAM>(&visible));
    look.BandVisible = visible;
    return look;
}

DWORD WINAPI WatchdogThread(void* parameter) {
    auto* shared = static_cast<TBandWatchdog::TShared*>(parameter);
    uint64_t start = shared->Start.load(std::memory_order_relaxed);
    TWatchdogRules& dog = *shared->Rules;
    // The first calls of a thread into the window system set up its data
    // there; done now, so that no later look ever allocates.
    LookAtBand(shared->Band, shared->BandThread);
    int64_t endSeenAt = 0;
    const bool alarmKept = static_cast<bool>(shared->Alarm);
    int64_t nextCheckMs = dog.NextCheckInMs(NowMs(), shared->HeartbeatMs.load(std::memory_order_relaxed), 0, alarmKept);
    for (;;) {
        // The end request wakes the thread; once seen, only the stop and the alarm do.
        HANDLE waited[3] = {shared->StopEvent.Get()};
        DWORD count = 1;
        if (alarmKept) waited[count++] = shared->Alarm.Get();
        const DWORD endIndex = count;
        if (endSeenAt == 0 && shared->EndRequest) waited[count++] = shared->EndRequest.Get();
        const DWORD woke = WaitForMultipleObjects(count, waited, FALSE, static_cast<DWORD>(nextCheckMs));
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
        const int64_t now = NowMs();
        const int64_t heartbeat = shared->HeartbeatMs.load(std::memory_order_relaxed);
        const uint64_t startNow = shared->Start.load(std::memory_order_relaxed);
        if (startNow != start) {
            start = startNow;
            dog.Rebase(PointX(start), PointY(start));
        }
        int64_t keyAt = shared->KeySignal != nullptr ? shared->KeySignal() : 0;
        // The control system's request counts as a move from when it was first seen.
        if (woke == WAIT_OBJECT_0 + endIndex && endIndex < count) {
            endSeenAt = now;
            PostMessageA(shared->Band, shared->EndMessage, 0, 0);
        }
        keyAt = FirstSignal(keyAt, endSeenAt);
        const int64_t movedAt = FirstSignal(shared->MovedAtMs.load(std::memory_order_relaxed), keyAt);
        TWatchdogLook look;
        const bool looked = dog.NeedsLook(now, heartbeat, movedAt);
        if (looked) look = LookAtBand(shared->Band, shared->BandThread);
        if (dog.EndsProcess(now, heartbeat, movedAt, looked ? &look : nullptr)) {
            if (shared->EmergencyExit != nullptr) shared->EmergencyExit();
            // Not ExitProcess: a stuck user-interface thread may hold locks
            // that an orderly exit would wait for.
            TerminateProcess(GetCurrentProcess(), 2);
        }
        nextCheckMs = dog.NextCheckInMs(now, heartbeat, movedAt, alarmKept);
    }
    return 0;
}

}  // namespace

TBandWatchdog::~TBandWatchdog() { Stop(); }

void TBandWatchdog::Start(tk::Hwnd band, std::unique_ptr<TWatchdogRules> rules, int32_t startX, int32_t startY,
                          TEmergencyExit emergencyExit, TKeySignal keySignal, void* endRequest, uint32_t endMessage) {
    Stop();
    if (rules == nullptr) return;
    auto shared = std::make_unique<TShared>();
    shared->StopEvent.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!shared->StopEvent) return;
    shared->Band = band;
    shared->BandThread = GetWindowThreadProcessId(static_cast<HWND>(band), nullptr);
    shared->Start.store(PackPoint(startX, startY));
    shared->KeySignal = keySignal;
    shared->Rules = std::move(rules);
    shared->EndMessage = endMessage;
    // Its own handle: the thread may outlive the band's.
    HANDLE duplicate = nullptr;
    if (endRequest != nullptr &&
        DuplicateHandle(GetCurrentProcess(), endRequest, GetCurrentProcess(), &duplicate, SYNCHRONIZE, FALSE, 0)) {
        shared->EndRequest.Reset(duplicate);
    }
    shared->EmergencyExit = emergencyExit;
    shared->AlarmTimes = shared->Rules->Alarm();
    shared->Alarm.Reset(CreateWaitableTimerA(nullptr, FALSE, nullptr));
    shared->AlarmSetAtMs = NowMs();
    shared->HeartbeatMs.store(shared->AlarmSetAtMs);
    // Without an alarm the thread checks on its own clock, as often as a heartbeat could go stale.
    if (shared->Alarm && !SetAlarm(shared->Alarm.Get(), shared->AlarmTimes.AheadMs)) shared->Alarm.Reset();
    HANDLE thread = CreateThread(nullptr, 64 * 1024, WatchdogThread, shared.get(), 0, nullptr);
    if (thread == nullptr) return;
    shared_ = shared.release();
    thread_ = thread;
}

void TBandWatchdog::Stop() {
    if (thread_ == nullptr) return;
    HANDLE thread = static_cast<HANDLE>(thread_);
    SetEvent(shared_->StopEvent.Get());
    // The thread waits on nothing but its stop event; should it still run,
    // its handles and data stay as they are rather than vanish under it.
    if (WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0) {
        CloseHandle(thread);
        delete shared_;
    }
    thread_ = nullptr;
    shared_ = nullptr;
}

void TBandWatchdog::Heartbeat() {
    if (shared_ == nullptr) return;
    const int64_t now = NowMs();
    shared_->HeartbeatMs.store(now, std::memory_order_relaxed);
    // A failed set is tried again at the next heartbeat; the old alarm stands meanwhile.
    if (shared_->Alarm && now - shared_->AlarmSetAtMs >= shared_->AlarmTimes.EveryMs &&
        SetAlarm(shared_->Alarm.Get(), shared_->AlarmTimes.AheadMs)) {
        shared_->AlarmSetAtMs = now;
    }
}

void TBandWatchdog::SetStart(int32_t x, int32_t y) {
    if (shared_ != nullptr) shared_->Start.store(PackPoint(x, y), std::memory_order_relaxed);
}

void TBandWatchdog::NoteMoved() {
    if (shared_ == nullptr) return;
    int64_t never = 0;
    shared_->MovedAtMs.compare_exchange_strong(never, NowMs(), std::memory_order_relaxed);
    // The grace counts from the thread's first look: it looks now.
    if (shared_->Alarm) SetAlarm(shared_->Alarm.Get(), 0);
}

}  // namespace platform
