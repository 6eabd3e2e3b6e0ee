// The resident watcher (/w) in a Wine virtual desktop named Default
// (tests/e2e/run_display.sh), where Wine records the session's input as
// Windows does: the band after each idle period, never straight back.
#include "tests/e2e/driver/harness.h"

#include <cstdint>

namespace {

using namespace e2e;

BOOL CALLBACK CollectVisibleBand(HWND window, LPARAM found) {
    if (ClassOf(window) != "TfrmSaver" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The visible band of any process (the watcher's child has no handle of ours).
HWND VisibleBand() {
    HWND found = nullptr;
    EnumWindows(CollectVisibleBand, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Starts the watcher and waits until it holds its place in the session (a
// cold Wine takes its time to start a process).
Process StartWatcher() {
    Process watcher = Process::Start("/w");
    E2E_CHECK(WaitUntil(
        [] {
            HANDLE name = OpenMutexA(SYNCHRONIZE, FALSE, "Local\\Varnel.KestraneWorkstation.Watcher");
            if (name != nullptr) CloseHandle(name);
            return name != nullptr;
        },
        15000));
    return watcher;
}

uint64_t SystemTimeMs() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
}

uint64_t CreationTimeMs(const Process& process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process.Handle(), &created, &exited, &kernel, &user)) return 0;
    return ((static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime) / 10000;
}

// A person's mouse move; the system time it was made at.
uint64_t MoveMouseTo(LONG x, LONG y) {
    E2E_REQUIRE(MovePointerAsTheSystemWould(x, y));
    return SystemTimeMs();
}

// Waits for the watcher's next band; how long after `since` its process was
// started (the watcher's decision) and its window was up, -1 when none came.
struct TBandStart {
    Process Band;
    long StartedAfterMs = -1;
    long ShownAfterMs = -1;
};
TBandStart NextBand(uint64_t since, DWORD timeoutMs) {
    TBandStart start;
    HWND band = nullptr;
    if (!WaitUntil([&] { return (band = VisibleBand()) != nullptr; }, timeoutMs)) return start;
    start.ShownAfterMs = static_cast<long>(SystemTimeMs() - since);
    DWORD processId = 0;
    GetWindowThreadProcessId(band, &processId);
    start.Band = Process::Adopt(processId);
    start.StartedAfterMs = static_cast<long>(CreationTimeMs(start.Band) - since);
    return start;
}

void CheckStartedAfterTheIdleTime(const TBandStart& start, const char* what) {
    Note(std::string(what) + ": band started " + std::to_string(start.StartedAfterMs) + " ms, shown " +
         std::to_string(start.ShownAfterMs) + " ms after it (idle time 3000 ms)");
    E2E_REQUIRE(start.Band.Handle() != nullptr);
    E2E_CHECK(start.StartedAfterMs >= 3000);
    E2E_CHECK(start.StartedAfterMs < 4000);
}

// The band ends on a 6-px move with exit code 0.
uint64_t EndWithAMove(TBandStart& start, LONG x, LONG y) {
    Sleep(300);
    const uint64_t moved = MoveMouseTo(x + 6, y);
    DWORD code = 99;
    E2E_CHECK(start.Band.WaitExit(2000, &code));
    E2E_CHECK_EQ(code, 0ul);
    return moved;
}

// A watcher with an idle time of 3 s over a band that jumps every second.
Process StartQuickWatcher() {
    DeleteSettingsKey();
    PutDword("StartAfterIdle", 3);
    PutDword("TransitionTime", 1);
    MoveMouseTo(600, 400);
    return StartWatcher();
}

E2E_TEST(watcher, StartsTheBandAfterEachIdlePeriodAndOutlivesEveryEnd) {
    if (SkippedOutsideAVirtualDesktop()) return;
    Process watcher = StartQuickWatcher();
    {
        Process second = Process::Start("/w");
        DWORD code = 99;
        E2E_CHECK(second.WaitExit(3000, &code));
        E2E_CHECK_EQ(code, 0ul);
    }
    Sleep(1000);
    uint64_t input = MoveMouseTo(610, 400);
    TBandStart first = NextBand(input, 8000);
    CheckStartedAfterTheIdleTime(first, "after input");
    // No window of the watcher's own, not even a hidden one.
    E2E_CHECK_EQ(WindowsOf(watcher.Id(), true).size(), size_t{0});
    const Block held = ReadBlock();  // the band's place; the watcher takes none
    E2E_CHECK(held.Exists && held.Count == 1);

    input = EndWithAMove(first, 610, 400);
    TBandStart second = NextBand(input, 8000);
    CheckStartedAfterTheIdleTime(second, "after a band ended on a move");

    // Ended without input: a whole idle period from its end.
    second.Band.Kill();
    const uint64_t killed = SystemTimeMs();
    TBandStart third = NextBand(killed, 8000);
    CheckStartedAfterTheIdleTime(third, "after a band was killed");
    E2E_CHECK(watcher.Running());

    // An open dialog holds the single-instance place: no band, the dialog stays where it is.
    input = EndWithAMove(third, 616, 400);
    Process dialog = Process::Start("/c");
    const HWND dialogWindow = WaitForWindow(dialog.Id(), "TfrmConfig", 5000);
    E2E_REQUIRE(dialogWindow != nullptr);
    const RECT dialogRect = Describe(dialogWindow).Rect;
    Sleep(5000);
    E2E_CHECK(VisibleBand() == nullptr);
    E2E_CHECK(Describe(dialogWindow).Visible);
    E2E_CHECK_EQ(Describe(dialogWindow).Rect.left, dialogRect.left);
    PostMessageA(dialogWindow, WM_CLOSE, 0, 0);
    DWORD code = 99;
    E2E_CHECK(dialog.WaitExit(3000, &code));
    E2E_CHECK(watcher.Running());
    // Then the band as usual once the idle time has passed.
    input = MoveMouseTo(630, 400);
    TBandStart fourth = NextBand(input, 8000);
    CheckStartedAfterTheIdleTime(fourth, "after the dialog closed");
    EndWithAMove(fourth, 630, 400);
    E2E_CHECK(watcher.Running());
    watcher.Kill();
}

E2E_TEST(watcher, PicksUpAChangedIdleTimeFromAnySourceWithoutARestart) {
    if (SkippedOutsideAVirtualDesktop()) return;
    PolicyScope policies;
    DeleteSettingsKey();
    PutDword("StartAfterIdle", 0);  // off: the watcher just waits
    PutDword("TransitionTime", 1);
    Process watcher = StartWatcher();
    MoveMouseTo(500, 300);
    Sleep(5000);
    E2E_CHECK(VisibleBand() == nullptr);
    PutPolicyDword(PolicyPlace::Machine, "StartAfterIdle", 2);
    const uint64_t changed = SystemTimeMs();
    TBandStart band = NextBand(changed, 40000);
    Note("a band " + std::to_string(band.ShownAfterMs) + " ms after the policy set 2 s (the own value: off)");
    E2E_REQUIRE(band.Band.Handle() != nullptr);
    E2E_CHECK(band.ShownAfterMs <= 33000);
    EndWithAMove(band, 500, 300);
    watcher.Kill();
}

// The control system's command: with a time, the next band comes when that
// hold ends and no later; without one, an idle period after the command,
// whether a band ran or not.
E2E_TEST(watcher, TheEndCommandKeepsTheNextBandAwayForItsTimeAndNoLonger) {
    if (SkippedOutsideAVirtualDesktop()) return;
    Process watcher = StartQuickWatcher();
    Sleep(500);
    TBandStart first = NextBand(MoveMouseTo(610, 400), 8000);
    CheckStartedAfterTheIdleTime(first, "first band");

    uint64_t sent = SystemTimeMs();
    Process timed = Process::Start("/e 8");
    DWORD code = 99;
    E2E_CHECK(first.Band.WaitExit(1500, &code));
    E2E_CHECK_EQ(code, 0ul);
    TBandStart second = NextBand(sent, 12000);
    Note("after /e 8: band started " + std::to_string(second.StartedAfterMs) + " ms after the command");
    E2E_REQUIRE(second.Band.Handle() != nullptr);
    E2E_CHECK(second.StartedAfterMs >= 8000 && second.StartedAfterMs < 9000);
    E2E_CHECK(timed.WaitExit(3000, &code));
    E2E_CHECK_EQ(code, 0ul);

    sent = SystemTimeMs();
    Process plain = Process::Start("/e");
    E2E_CHECK(second.Band.WaitExit(1500, &code));
    TBandStart third = NextBand(sent, 8000);
    CheckStartedAfterTheIdleTime(third, "after /e");

    // No band runs: the command still puts the next one an idle period away.
    const uint64_t input = EndWithAMove(third, 610, 400);
    Sleep(1500);
    sent = SystemTimeMs();
    Process quiet = Process::Start("/e");
    TBandStart fourth = NextBand(sent, 8000);
    Note("input " + std::to_string(sent - input) + " ms before the command");
    CheckStartedAfterTheIdleTime(fourth, "after /e with no band");
    EndWithAMove(fourth, 616, 400);
    E2E_CHECK(watcher.Running());
    watcher.Kill();
}

// Windows runs a saver it starts itself on a desktop of its own: there the
// band would cover an empty screen, so it shows nothing and ends.
E2E_TEST(watcher, ASaverOnADesktopOfItsOwnEndsAtOnceWithoutABand) {
    DeleteSettingsKey();
    HDESK screenSaver = CreateDesktopA("Screen-saver", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    E2E_REQUIRE(screenSaver != nullptr);
    const DWORD start = GetTickCount();
    Process saver = Process::Start("/s", "", "Screen-saver");
    DWORD code = 99;
    E2E_CHECK(saver.WaitExit(1000, &code));
    Note("/s on Screen-saver ended after " + std::to_string(GetTickCount() - start) + " ms");
    E2E_CHECK_EQ(code, 0ul);
    E2E_CHECK(!ReadBlock().Exists || ReadBlock().Count == 0);
    CloseDesktop(screenSaver);
    // On the operator's desktop the same start shows the band.
    MoveCursor(700, 500);
    Process band = Process::Start("/s");
    E2E_CHECK(BandOf(band.Id()) != nullptr);
    MoveCursor(720, 500);
    E2E_CHECK(band.WaitExit(2000, &code));
    E2E_CHECK_EQ(code, 0ul);
}

}  // namespace
