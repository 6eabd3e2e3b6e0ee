// The band can always be dismissed, even with its user-interface thread stuck.
#include "tests/e2e/driver/harness.h"

namespace {

using namespace e2e;

E2E_TEST(watchdog, EndsTheProcessWhenTheThreadIsStuckAndTheMouseMoves) {
    DeleteSettingsKey();
    MoveCursor(600, 600);
    Sleep(100);
    Process saver = Process::Start("/s");
    E2E_REQUIRE(BandOf(saver.Id(), 8000) != nullptr);
    Sleep(300);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, saver.MainThreadId());
    E2E_REQUIRE(thread != nullptr);
    E2E_CHECK(SuspendThread(thread) != static_cast<DWORD>(-1));
    DWORD start = GetTickCount();
    MoveCursor(650, 650);
    bool ended = saver.WaitExit(5000);
    DWORD elapsed = GetTickCount() - start;
    Note("ended " + std::to_string(elapsed) + " ms after the move");
    E2E_CHECK(ended);
    E2E_CHECK(elapsed <= 1500);
    CloseHandle(thread);
}

E2E_TEST(watchdog, LeavesARestingBandAlone) {
    DeleteSettingsKey();
    MoveCursor(600, 600);
    Sleep(100);
    Process saver = Process::Start("/s");
    HWND band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    Sleep(10000);
    E2E_CHECK(saver.Running());
    E2E_CHECK(IsWindowVisible(band) != FALSE);
    MoveCursor(700, 700);
    E2E_CHECK(saver.WaitExit(1500));
}

}  // namespace
