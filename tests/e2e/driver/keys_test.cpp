// A key ends the band whatever window has the keyboard, and reaches no
// window: an alarm window of another program has the foreground and the
// focus while the band runs.
#include "tests/e2e/driver/keys.h"

#include <cstdio>

namespace e2e {

AlarmCounts Alarm::Counts() const {
    AlarmCounts counts;
    const std::string caption = window_ != nullptr ? TextOf(window_) : std::string();
    unsigned long last = 0;
    if (std::sscanf(caption.c_str(), "alarm down=%d sys=%d up=%d char=%d last=%lu", &counts.Downs, &counts.SysDowns,
                    &counts.Ups, &counts.Chars, &last) == 5) {
        counts.Read = true;
        counts.LastDownTick = last;
    }
    return counts;
}

Alarm Alarm::Start() {
    Alarm alarm;
    alarm.process_ = Process::Start("", ToolsDir() + "alarmWindow.exe");
    alarm.window_ = WaitForWindow(alarm.process_.Id(), "KestraneAlarm", 5000);
    if (alarm.window_ != nullptr) {
        WaitUntil([&] { return GetForegroundWindow() == alarm.window_; }, 2000);
    }
    return alarm;
}

std::string Show(const AlarmCounts& c) {
    return "down " + std::to_string(c.Downs) + ", sys " + std::to_string(c.SysDowns) + ", up " + std::to_string(c.Ups) +
           ", char " + std::to_string(c.Chars);
}

// A key held for holdMs, auto-repeating every 33 ms as a keyboard does.
void HoldKey(WORD virtualKey, DWORD holdMs) {
    SendKey(virtualKey, false);
    const DWORD start = GetTickCount();
    Sleep(300);
    while (GetTickCount() - start < holdMs) {
        SendKey(virtualKey, false);
        Sleep(33);
    }
    SendKey(virtualKey, true);
}

// Presses a key and tells how long it took to reach the alarm (ms), or -1.
long KeyDelayToAlarm(const Alarm& alarm, WORD virtualKey) {
    const int before = alarm.Counts().Downs;
    const DWORD sent = GetTickCount();
    PressKey(virtualKey);
    if (!WaitUntil([&] { return alarm.Counts().Downs > before; }, 3000)) return -1;
    return static_cast<long>(alarm.Counts().LastDownTick - sent);
}

}  // namespace e2e

namespace {

using namespace e2e;

E2E_TEST(keys, AKeyEndsTheBandUnderAnotherProgramsFocusAndReachesNothing) {
    DeleteSettingsKey();
    MoveCursor(600, 600);
    Sleep(100);
    Process saver = Process::Start("/s");
    HWND band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    Alarm alarm = Alarm::Start();
    E2E_REQUIRE(alarm.Window() != nullptr);
    E2E_CHECK(GetForegroundWindow() == alarm.Window());
    Sleep(300);

    // What never ended the band still does not: Alt combinations, F10, a
    // click at rest, a move inside the dead zone. They go where they went.
    PressKey('C', true);
    PressKey(VK_F10);
    Sleep(300);
    ClickAt(600, 600);
    MoveCursor(605, 595);
    Sleep(600);
    if (!saver.Running()) {
        DWORD early = 99;
        saver.WaitExit(0, &early);
        Note("the band ended before the key, exit code " + std::to_string(early) + ", cursor " +
             std::to_string(CursorPos().x) + "," + std::to_string(CursorPos().y));
    }
    E2E_CHECK(saver.Running());
    E2E_CHECK(IsWindowVisible(band) != FALSE);
    const AlarmCounts before = alarm.Counts();
    E2E_CHECK(before.Read);
    E2E_CHECK(before.SysDowns >= 2);
    Note("before the key: " + Show(before));
    SetForegroundWindow(alarm.Window());
    Sleep(200);

    // Enter held for 1 s: the band goes within 1 s; neither Enter nor its
    // repeats nor Escape pressed meanwhile reach the alarm.
    const DWORD pressed = GetTickCount();
    SendKey(VK_RETURN, false);
    const bool hidden = WaitUntil([&] { return IsWindowVisible(band) == FALSE || !saver.Running(); }, 1000);
    const DWORD hiddenAfter = GetTickCount() - pressed;
    Note("band gone " + std::to_string(hiddenAfter) + " ms after the key");
    E2E_CHECK(hidden);
    while (GetTickCount() - pressed < 1000) {
        SendKey(VK_RETURN, false);
        Sleep(33);
    }
    PressKey(VK_ESCAPE);
    Sleep(100);
    SendKey(VK_RETURN, true);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(3000, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
    Sleep(200);
    const AlarmCounts after = alarm.Counts();
    Note("after the key: " + Show(after));
    E2E_CHECK_EQ(after.Downs, before.Downs);
    E2E_CHECK_EQ(after.Chars, before.Chars);
    E2E_CHECK_EQ(after.SysDowns, before.SysDowns);

    // The next key, the band gone, reaches the alarm.
    const long delay = KeyDelayToAlarm(alarm, 'A');
    E2E_CHECK(delay >= 0);
    E2E_CHECK(WaitUntil([&] { return alarm.Counts().Chars == before.Chars + 1; }, 2000));
    MoveCursor(600, 600);
}

}  // namespace

namespace {

using namespace e2e;

// Removes every hook of the session behind its owners' backs, as Windows does
// with a low-level hook whose call outlasted the system's time-out. Wine takes
// a user handle by its low word alone and lets any process remove a hook.
int RemoveEveryHook() {
    int removed = 0;
    for (uintptr_t low = 0x20; low < 0x10000; low += 2) {
        if (UnhookWindowsHookEx(reinterpret_cast<HHOOK>(low))) ++removed;
    }
    return removed;
}

// The band needs no focus: the alarm window that had the keyboard before it
// keeps the foreground while it shows and after it; and a band whose hook
// was taken away still ends on a key within one jump.
E2E_TEST(keys, TheKeyboardStaysWhereItWasAndALostHookIsBackWithinAJump) {
    DeleteSettingsKey();
    PutDword("TransitionTime", 1);
    MoveCursor(600, 600);
    Alarm alarm = Alarm::Start();
    E2E_REQUIRE(alarm.Window() != nullptr);
    E2E_REQUIRE(GetForegroundWindow() == alarm.Window());
    Process saver = Process::Start("/s");
    HWND band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    int looks = 0, elsewhere = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 2500; Sleep(50)) {
        ++looks;
        if (GetForegroundWindow() != alarm.Window()) ++elsewhere;
    }
    Note("the alarm had the foreground in " + std::to_string(looks - elsewhere) + " of " + std::to_string(looks) +
         " looks over two jumps");
    E2E_CHECK_EQ(elsewhere, 0);

    const int removed = RemoveEveryHook();
    Note("hooks removed behind the band's back: " + std::to_string(removed));
    E2E_CHECK(removed >= 1);
    Sleep(1300);  // one jump
    const AlarmCounts before = alarm.Counts();
    const DWORD pressed = GetTickCount();
    PressKey(VK_RETURN);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(2000, &exitCode));
    Note("band ended " + std::to_string(GetTickCount() - pressed) + " ms after the key");
    E2E_CHECK_EQ(exitCode, 0UL);
    Sleep(200);
    E2E_CHECK_EQ(alarm.Counts().Downs, before.Downs);
    E2E_CHECK(GetForegroundWindow() == alarm.Window());
    E2E_CHECK(KeyDelayToAlarm(alarm, 'A') >= 0);
    MoveCursor(600, 600);
}

}  // namespace
