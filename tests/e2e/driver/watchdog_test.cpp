// The band can always be dismissed, even with its user-interface thread
// stuck, stuck holding the locks the rest of the process needs, or stalled
// for a while and then running again.
#include "tests/e2e/driver/harness.h"
#include "tests/e2e/driver/keys.h"

#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {

using namespace e2e;

// A band started with the cursor at rest at (600, 600).
Process StartRestingBand() {
    DeleteSettingsKey();
    MoveCursor(600, 600);
    Sleep(100);
    Process saver = Process::Start("/s");
    E2E_REQUIRE(BandOf(saver.Id(), 8000) != nullptr);
    return saver;
}

// Where a module is loaded in another process; nullptr when it is not.
BYTE* ModuleBaseIn(DWORD processId, const char* moduleName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    BYTE* base = nullptr;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szModule, moduleName) == 0) base = entry.modBaseAddr;
    }
    CloseHandle(snapshot);
    return base;
}

// Loads holdLocks.dll into the saver, points its user-interface thread at
// one of the DLL's functions, and once that thread holds the locks,
// suspends it there.
class StuckHoldingLocks {
public:
    StuckHoldingLocks(const Process& saver, const char* function) {
        const std::string eventName = "KestraneLocksHeld" + std::to_string(saver.Id());
        HANDLE held = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
        const std::string dll = ToolsDir() + "holdLocks.dll";
        if (held == nullptr || !LoadInto(saver, dll)) {
            if (held != nullptr) CloseHandle(held);
            return;
        }
        BYTE* remoteBase = ModuleBaseIn(saver.Id(), "holdLocks.dll");
        HMODULE local = LoadLibraryA(dll.c_str());
        FARPROC localFunction = local != nullptr ? GetProcAddress(local, function) : nullptr;
        thread_ =
            OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, saver.MainThreadId());
        if (remoteBase != nullptr && localFunction != nullptr && thread_ != nullptr) {
            BYTE* remoteFunction =
                remoteBase + (reinterpret_cast<BYTE*>(localFunction) - reinterpret_cast<BYTE*>(local));
            if (Redirect(remoteFunction) && WaitForSingleObject(held, 5000) == WAIT_OBJECT_0) {
                held_ = SuspendThread(thread_) != static_cast<DWORD>(-1);
            }
        }
        CloseHandle(held);
    }
    ~StuckHoldingLocks() {
        if (thread_ != nullptr) CloseHandle(thread_);
    }
    StuckHoldingLocks(const StuckHoldingLocks&) = delete;
    StuckHoldingLocks& operator=(const StuckHoldingLocks&) = delete;
    bool Held() const { return held_; }

private:
    static bool LoadInto(const Process& saver, const std::string& dll) {
        void* remotePath =
            VirtualAllocEx(saver.Handle(), nullptr, dll.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (remotePath == nullptr) return false;
        bool loaded = false;
        if (WriteProcessMemory(saver.Handle(), remotePath, dll.c_str(), dll.size() + 1, nullptr)) {
            auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
                reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
            HANDLE loader = CreateRemoteThread(saver.Handle(), nullptr, 0, loadLibrary, remotePath, 0, nullptr);
            if (loader != nullptr) {
                DWORD result = 0;
                loaded = WaitForSingleObject(loader, 5000) == WAIT_OBJECT_0 && GetExitCodeThread(loader, &result) &&
                         result != 0;
                CloseHandle(loader);
            }
        }
        VirtualFreeEx(saver.Handle(), remotePath, 0, MEM_RELEASE);
        return loaded;
    }

    // As if the thread had called the function from where it stood.
    bool Redirect(BYTE* remoteFunction) {
        if (SuspendThread(thread_) == static_cast<DWORD>(-1)) return false;
        CONTEXT context{};
        context.ContextFlags = CONTEXT_FULL;
        bool redirected = false;
        if (GetThreadContext(thread_, &context)) {
            context.Rsp = ((context.Rsp - 8192) & ~static_cast<DWORD64>(15)) - 8;
            context.Rip = reinterpret_cast<DWORD64>(remoteFunction);
            redirected = SetThreadContext(thread_, &context) != FALSE;
        }
        ResumeThread(thread_);
        return redirected;
    }

    HANDLE thread_ = nullptr;
    bool held_ = false;
};

// The cursor moves 50 px with the thread stuck holding locks: the process
// must be gone within 1.5 s, by the watchdog (exit code 2).
void ExpectEndedByTheWatchdog(Process& saver) {
    const DWORD start = GetTickCount();
    MoveCursor(650, 650);
    DWORD exitCode = 99;
    const bool ended = saver.WaitExit(5000, &exitCode);
    const DWORD elapsed = GetTickCount() - start;
    Note("ended " + std::to_string(elapsed) + " ms after the move");
    E2E_CHECK(ended);
    E2E_CHECK(elapsed <= 1500);
    E2E_CHECK_EQ(exitCode, 2UL);
    MoveCursor(600, 600);
}

E2E_TEST(watchdog, EndsTheProcessWhenTheThreadIsStuckAndTheMouseMoves) {
    Process saver = StartRestingBand();
    Sleep(300);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, saver.MainThreadId());
    E2E_REQUIRE(thread != nullptr);
    E2E_CHECK(SuspendThread(thread) != static_cast<DWORD>(-1));
    ExpectEndedByTheWatchdog(saver);
    CloseHandle(thread);
}

E2E_TEST(watchdog, LeavesARestingBandAlone) {
    Process saver = StartRestingBand();
    HWND band = BandOf(saver.Id(), 8000);
    Sleep(10000);
    E2E_CHECK(saver.Running());
    E2E_CHECK(IsWindowVisible(band) != FALSE);
    MoveCursor(700, 700);
    E2E_CHECK(saver.WaitExit(1500));
    MoveCursor(600, 600);
}

E2E_TEST(watchdog, AStallThatIsOverLeavesTheBandWhichMovesOnAndIsDismissedLater) {
    Process saver = StartRestingBand();
    HWND band = BandOf(saver.Id(), 8000);
    Sleep(500);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, saver.MainThreadId());
    E2E_REQUIRE(thread != nullptr);
    E2E_CHECK(SuspendThread(thread) != static_cast<DWORD>(-1));
    Sleep(2300);
    E2E_CHECK(ResumeThread(thread) != static_cast<DWORD>(-1));
    CloseHandle(thread);
    std::set<LONG> tops;
    const DWORD resumed = GetTickCount();
    bool stayed = true;
    while (GetTickCount() - resumed < 10000) {
        if (!saver.Running() || IsWindowVisible(band) == FALSE) {
            stayed = false;
            break;
        }
        tops.insert(Describe(band).Rect.top);
        Sleep(100);
    }
    Note("band stayed " + std::string(stayed ? "10 s" : "less") + " after the stall, at " +
         std::to_string(tops.size()) + " tops");
    E2E_CHECK(stayed);
    E2E_CHECK(tops.size() >= 2);
    MoveCursor(650, 650);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(1500, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
    MoveCursor(600, 600);
}

// A band whose user-interface thread is stuck holding the locks that
// function takes, while another process holds the block open; the cursor
// moves and the watchdog ends it. Returns the count the block is left with:
// whether the place was given back.
int32_t CountLeftByAStuckBand(const char* function) {
    Process saver = StartRestingBand();
    BlockHolder holder;
    E2E_REQUIRE(holder.Held());
    StuckHoldingLocks stuck(saver, function);
    E2E_REQUIRE(stuck.Held());
    ExpectEndedByTheWatchdog(saver);
    return ReadBlock().Count;
}

E2E_TEST(watchdog, HeapLocksHeldByTheStuckThreadDoNotHoldUpTheEnd) {
    // The guard's lock was free: the place was given back.
    E2E_CHECK_EQ(CountLeftByAStuckBand("HoldHeapLocks"), 0);
}

E2E_TEST(watchdog, AGuardLockHeldByTheStuckThreadIsLeftAndTheEndStillComes) {
    // Ended without the lock, so without giving the place back; the block
    // goes with its last holder and the next start registers.
    E2E_CHECK_EQ(CountLeftByAStuckBand("HoldGuardLock"), 1);
    Process next = StartRestingBand();
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    MoveCursor(650, 650);
    E2E_CHECK(next.WaitExit(1500));
    MoveCursor(600, 600);
}

// An alarm window has the keyboard; the band's user-interface thread is stuck
// (holding the locks function takes, or simply suspended when function is
// null). A key ends the band through the watchdog, and the keys after it
// reach the alarm at once: nothing of the session waits on the band.
void KeyEndsAStuckBand(const char* function) {
    Process saver = StartRestingBand();
    Alarm alarm = Alarm::Start();
    E2E_REQUIRE(alarm.Window() != nullptr);
    Sleep(300);
    HANDLE thread = nullptr;
    std::unique_ptr<StuckHoldingLocks> stuck;
    if (function != nullptr) {
        stuck = std::make_unique<StuckHoldingLocks>(saver, function);
        E2E_REQUIRE(stuck->Held());
    } else {
        thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, saver.MainThreadId());
        E2E_REQUIRE(thread != nullptr);
        E2E_CHECK(SuspendThread(thread) != static_cast<DWORD>(-1));
    }
    Sleep(300);
    const DWORD pressed = GetTickCount();
    PressKey(VK_RETURN);
    std::string delays;
    long worst = 0;
    for (WORD key = 'A'; key < 'A' + 5; ++key) {
        const long delay = KeyDelayToAlarm(alarm, key);
        delays += " " + std::to_string(delay);
        worst = delay < 0 ? 100000 : std::max(worst, delay);
        Sleep(40);
    }
    DWORD exitCode = 99;
    const bool ended = saver.WaitExit(3000, &exitCode);
    const DWORD elapsed = GetTickCount() - pressed;
    Note(std::string(function != nullptr ? function : "suspended") + ": ended " + std::to_string(elapsed) +
         " ms after the key; delays of the next keys (ms):" + delays);
    E2E_CHECK(ended);
    E2E_CHECK(elapsed <= 1500);
    E2E_CHECK_EQ(exitCode, 2UL);
    E2E_CHECK(worst <= 500);
    const AlarmCounts counts = alarm.Counts();
    E2E_CHECK_EQ(counts.Downs, 5);
    E2E_CHECK(WaitUntil([&] { return alarm.Counts().Chars == 5; }, 2000));
    if (thread != nullptr) CloseHandle(thread);
}

E2E_TEST(watchdog, AKeyEndsAStuckBandAndTheNextKeysAreNotHeldUp) {
    KeyEndsAStuckBand(nullptr);
    KeyEndsAStuckBand("HoldHeapLocks");
}

}  // namespace
