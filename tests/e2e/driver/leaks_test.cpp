// No leaks, no drift: the saver's resource counts after the first move and
// after a thousand more are the same; so are the configuration dialog's after
// opening and closing the About box a hundred times.
#include "tests/e2e/driver/harness.h"

namespace {

using namespace e2e;

// The band's move timer: the first timer the saver creates.
constexpr WPARAM kMoveTimerId = 101;

E2E_TEST(leaks, AThousandMovesLeaveTheCountsAsTheyWere) {
    DeleteSettingsKey();
    PutDword("TransitionTime", 1);
    MoveCursor(620, 620);
    Sleep(100);
    Process saver = Process::Start("/s");
    HWND band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    Sleep(1500);  // the first moves have run
    // Each posted tick is one move, exactly as the timer's own.
    for (int i = 0; i < 5; ++i) PostMessageA(band, WM_TIMER, kMoveTimerId, 0);
    Sleep(300);
    Counts first = CountsOf(saver);
    Note("after the first moves: " + Describe(first));
    RECT before = e2e::Describe(band).Rect;
    int moved = 0;
    for (int i = 0; i < 1000; ++i) {
        PostMessageA(band, WM_TIMER, kMoveTimerId, 0);
        if (i % 50 == 49) {
            // Let the saver keep up; a move repaints the whole band.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(band, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
            RECT now = e2e::Describe(band).Rect;
            moved += now.top != before.top;
            before = now;
        }
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(band, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored);
    Sleep(300);
    E2E_CHECK(moved > 5);
    E2E_REQUIRE(saver.Running());
    Counts later = CountsOf(saver);
    Note("after 1000 more moves: " + Describe(later));
    CheckSameCounts(first, later);
    MoveCursor(700, 700);
    E2E_CHECK(saver.WaitExit(2000));
    DeleteSettingsKey();
}

HWND FindButton(HWND dialog, const char* caption) { return FindWindowExA(dialog, nullptr, "Button", caption); }

HWND AboutBoxOf(DWORD processId) {
    for (const WindowInfo& w : WindowsOf(processId)) {
        if (w.Title.find("About ") != std::string::npos) return w.Handle;
    }
    return nullptr;
}

E2E_TEST(leaks, AHundredAboutBoxesLeaveTheCountsAsTheyWere) {
    DeleteSettingsKey();
    Process config = Process::Start("");
    HWND dialog = WaitForWindow(config.Id(), "TfrmConfig", 8000);
    E2E_REQUIRE(dialog != nullptr);
    HWND about = FindButton(dialog, "A&bout...");
    E2E_REQUIRE(about != nullptr);
    auto openAndClose = [&] {
        PostMessageA(about, BM_CLICK, 0, 0);
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = AboutBoxOf(config.Id())) != nullptr; }, 3000)) return false;
        HWND close = FindButton(box, "&Close");
        if (close == nullptr) return false;
        PostMessageA(close, BM_CLICK, 0, 0);
        return WaitUntil([&] { return AboutBoxOf(config.Id()) == nullptr; }, 3000);
    };
    E2E_REQUIRE(openAndClose());
    Sleep(200);
    Counts first = CountsOf(config);
    Note("after the first About box: " + Describe(first));
    int opened = 0;
    for (int i = 0; i < 100; ++i) opened += openAndClose();
    E2E_CHECK_EQ(opened, 100);
    Sleep(300);
    Counts later = CountsOf(config);
    Note("after 100 more: " + Describe(later));
    CheckSameCounts(first, later);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    E2E_CHECK(config.WaitExit(3000));
    DeleteSettingsKey();
}

}  // namespace
