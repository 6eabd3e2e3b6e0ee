// Rows kept clear for an alarm banner at the top and the bottom of the
// monitor: the band never covers them, not even while it jumps, clicks there
// reach the window below, and the control system's taskkill ends the band.
#include <algorithm>

#include "tests/e2e/driver/harness.h"

namespace {

using namespace e2e;

constexpr int kKeepTop = 40;
constexpr int kKeepBottom = 25;
constexpr int kScreenHeight = 1080;
constexpr uint32_t kUnder = kUnderColour;

bool InStrip(int y) { return y < kKeepTop || y >= kScreenHeight - kKeepBottom; }

E2E_TEST(strips, SteppingBandNeverCoversTheKeptRowsClicksReachThemAndTaskkillEndsIt) {
    DeleteSettingsKey();
    PutDword("CoverArea", 0);
    PutDword("TransitionTime", 1);
    PutDword("MovementType", 0);
    PutDword("DrawBorders", 0);
    PutString("TextLine1", "Kept clear");
    PutDword("KeepClearTop", kKeepTop);
    PutDword("KeepClearBottom", kKeepBottom);
    UnderWindow under(RECT{0, 0, 1920, kScreenHeight});
    E2E_REQUIRE(under.Handle() != nullptr);
    // The cursor rests in the top strip, where the click goes later.
    MoveCursor(700, 20);
    PumpMessages(100);
    Process saver = Process::Start("/s");
    const HWND band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    PumpMessages(300);

    // Two cycles of the stepping band at one jump a second.
    std::vector<bool> blanked(kScreenHeight, false);
    int shots = 0, stripBlack = 0, windowsInStrips = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 7000 && saver.Running()) {
        for (const WindowInfo& w : WindowsOf(saver.Id())) {
            const bool empty = w.Rect.right <= w.Rect.left || w.Rect.bottom <= w.Rect.top;
            if (!empty && (w.Rect.top < kKeepTop || w.Rect.bottom > kScreenHeight - kKeepBottom)) ++windowsInStrips;
        }
        const Shot shot = Shot::Screen();
        ++shots;
        for (int y = 0; y < kScreenHeight; ++y) {
            int black = 0, uncovered = 0;
            for (int x = 0; x < 1920; ++x) {
                const uint32_t p = shot.Pixel(x, y);
                black += p == kBlack;
                uncovered += p == kUnder;
            }
            if (InStrip(y)) {
                stripBlack += black;
            } else if (uncovered == 0 && black >= 1000) {
                blanked[static_cast<size_t>(y)] = true;
            }
        }
        PumpMessages(20);
    }
    int rowsBlanked = 0, rowsBetween = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
        if (InStrip(y)) continue;
        ++rowsBetween;
        rowsBlanked += blanked[static_cast<size_t>(y)] ? 1 : 0;
    }
    Note(std::to_string(shots) + " screenshots: " + std::to_string(stripBlack) + " black strip pixels, " +
         std::to_string(rowsBlanked) + " of " + std::to_string(rowsBetween) + " rows between the strips blanked");
    E2E_CHECK(shots >= 20);
    E2E_CHECK_EQ(stripBlack, 0);
    E2E_CHECK_EQ(windowsInStrips, 0);
    E2E_CHECK_EQ(rowsBlanked, rowsBetween);

    // A click at rest in the top strip reaches the window below, at a moment
    // when the band, uncut, would lie over it; the band stays.
    E2E_CHECK(WaitUntil([&] { return Describe(band).Rect.top == kKeepTop; }, 5000));
    UnderWindow::ResetClicks();
    ClickAt(700, 20);
    PumpMessages(800);
    E2E_CHECK_EQ(UnderWindow::Clicks(), 1);
    E2E_CHECK(saver.Running());

    // The control system's way in: ends the band as a move would.
    Process taskkill = Process::Start("/im kestrane.scr", "C:\\windows\\system32\\taskkill.exe");
    DWORD taskkillCode = 99;
    E2E_CHECK(taskkill.WaitExit(5000, &taskkillCode));
    const DWORD returned = GetTickCount();
    DWORD code = 99;
    E2E_CHECK(saver.WaitExit(3000, &code));
    Note("taskkill exit " + std::to_string(taskkillCode) + "; the band ended " +
         std::to_string(GetTickCount() - returned) + " ms after taskkill returned");
    E2E_CHECK_EQ(code, 0UL);
    // The single-instance place was given back: a new band starts.
    DeleteSettingsKey();
    MoveCursor(700, 700);
    Sleep(100);
    Process next = Process::Start("/s");
    E2E_CHECK(BandOf(next.Id(), 8000) != nullptr);
    MoveCursor(760, 760);
    DWORD nextCode = 99;
    E2E_CHECK(next.WaitExit(2000, &nextCode));
    E2E_CHECK_EQ(nextCode, 0UL);
}

}  // namespace
