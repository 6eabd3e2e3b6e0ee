// The band follows a desktop that changes under it: run inside a Wine
// virtual desktop (tests/e2e/run_display.sh), whose size the test changes
// with ChangeDisplaySettingsEx while the band shows.
#include "tests/e2e/driver/harness.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using namespace e2e;

bool SetDisplaySize(int width, int height) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL &&
           GetSystemMetrics(SM_CXVIRTUALSCREEN) == width && GetSystemMetrics(SM_CYVIRTUALSCREEN) == height;
}

// Back to the mode the desktop was started with, whatever a test did.
struct DisplayRestorer {
    ~DisplayRestorer() { ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr); }
};

// Changes the display's size; milliseconds until the band spans the new
// desktop (left 0, its width, its height div (cover area + 2)), -1 if not
// within 3 s.
long ChangeAndWaitForTheBand(HWND band, int width, int height, int coverArea) {
    const DWORD start = GetTickCount();
    if (!SetDisplaySize(width, height)) return -2;
    const int bandHeight = height / (coverArea + 2);
    const bool spans = WaitUntil(
        [&] {
            const RECT r = Describe(band).Rect;
            return r.left == 0 && r.right - r.left == width && r.bottom - r.top == bandHeight;
        },
        3000);
    return spans ? static_cast<long>(GetTickCount() - start) : -1;
}

// The distinct tops the band takes over durationMs, in order, each checked
// to span the desktop's width and to stay top-most.
std::vector<LONG> TopsOver(HWND band, DWORD durationMs, int width) {
    std::vector<LONG> tops;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < durationMs) {
        const WindowInfo info = Describe(band);
        if (!info.Visible) break;
        E2E_CHECK(info.TopMost);
        E2E_CHECK_EQ(info.Rect.right - info.Rect.left, static_cast<LONG>(width));
        if (tops.empty() || tops.back() != info.Rect.top) tops.push_back(info.Rect.top);
        Sleep(20);
    }
    return tops;
}

// A stepping band with borders, just after a change: one cycle of n + 1
// places from position 0, every place in range, every row of the desktop
// under the band once in the cycle.
void CheckSteppingCycle(HWND band, int width, int height, int coverArea) {
    const int n = coverArea + 2;
    const int bandHeight = height / n;
    Sleep(50);
    const std::vector<LONG> tops = TopsOver(band, static_cast<DWORD>(n + 1) * 1000 + 600, width);
    E2E_REQUIRE(tops.size() >= static_cast<size_t>(n + 1));
    std::string seen;
    for (LONG top : tops) seen += " " + std::to_string(top);
    Note(std::to_string(width) + " x " + std::to_string(height) + ": tops" + seen);
    E2E_CHECK(tops[0] <= -20 && tops[0] >= -(bandHeight - 21));
    std::vector<bool> covered(static_cast<size_t>(height), false);
    for (int k = 0; k <= n; ++k) {
        const LONG top = tops[static_cast<size_t>(k)];
        E2E_CHECK(top <= height - 20);
        if (k > 0) E2E_CHECK_EQ(top - tops[static_cast<size_t>(k - 1)], static_cast<LONG>(bandHeight - 2));
        for (LONG row = std::max<LONG>(top, 0); row < std::min<LONG>(top + bandHeight, height); ++row) {
            covered[static_cast<size_t>(row)] = true;
        }
    }
    E2E_CHECK(std::all_of(covered.begin(), covered.end(), [](bool c) { return c; }));
}

// A band jumping every second on a 1920 x 1080 desktop, started with the
// cursor at rest at (x, y).
Process StartBandOnAFullDesktop(uint32_t movementType, uint32_t coverArea, int x, int y, HWND& band) {
    DeleteSettingsKey();
    PutDword("MovementType", movementType);
    PutDword("TransitionTime", 1);
    PutDword("CoverArea", coverArea);
    E2E_REQUIRE(SetDisplaySize(1920, 1080));
    MoveCursor(x, y);
    Sleep(200);
    Process saver = Process::Start("/s");
    band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    return saver;
}

E2E_TEST(desktop, TheSteppingBandFollowsAShrinkThatMovesTheCursorAndAGrowth) {
    if (SkippedOutsideAVirtualDesktop()) return;
    DisplayRestorer restorer;
    HWND band = nullptr;
    Process saver = StartBandOnAFullDesktop(0, 1, 1800, 1000, band);
    Sleep(500);

    // The cursor at (1800, 1000) lies off the smaller desktop: the system moves it.
    const long shrunk = ChangeAndWaitForTheBand(band, 1280, 720, 1);
    Note("shrink to 1280 x 720 followed in " + std::to_string(shrunk) + " ms");
    E2E_CHECK(shrunk >= 0 && shrunk <= 1000);
    POINT moved = CursorPos();
    Note("cursor after the shrink: " + std::to_string(moved.x) + ", " + std::to_string(moved.y));
    if (moved.x >= 1280 || moved.y >= 720) {
        // Wine leaves the cursor off the desktop; Windows brings it to the
        // nearest point of what is left, which the test does in its place.
        E2E_CHECK(MovePointerAsTheSystemWould(std::min<LONG>(moved.x, 1279), std::min<LONG>(moved.y, 719)));
        Sleep(300);
        moved = CursorPos();
        Note("moved where Windows puts it: " + std::to_string(moved.x) + ", " + std::to_string(moved.y));
    }
    E2E_CHECK(moved.x == 1279 && moved.y == 719);
    E2E_CHECK(saver.Running());
    E2E_CHECK(IsWindowVisible(band) != FALSE);
    CheckSteppingCycle(band, 1280, 720, 1);

    const long grown = ChangeAndWaitForTheBand(band, 1920, 1080, 1);
    Note("growth to 1920 x 1080 followed in " + std::to_string(grown) + " ms");
    E2E_CHECK(grown >= 0 && grown <= 1000);
    CheckSteppingCycle(band, 1920, 1080, 1);
    E2E_CHECK(saver.Running());

    // A real move from where the system left the cursor still ends it.
    MoveCursor(moved.x - 6, moved.y);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(1500, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
    DeleteSettingsKey();
}

E2E_TEST(desktop, TwentyChangesUnderARandomBandKeepItInRangeAndTheCountsFlat) {
    if (SkippedOutsideAVirtualDesktop()) return;
    DisplayRestorer restorer;
    HWND band = nullptr;
    Process saver = StartBandOnAFullDesktop(1, 2, 600, 400, band);
    // Once each way first, so that whatever the first change makes once is there.
    E2E_REQUIRE(ChangeAndWaitForTheBand(band, 1280, 720, 2) >= 0);
    E2E_REQUIRE(ChangeAndWaitForTheBand(band, 1920, 1080, 2) >= 0);
    Sleep(300);
    const Counts first = CountsOf(saver);
    Note("after two changes: " + Describe(first));
    long worst = 0;
    int outOfRange = 0;
    size_t places = 0;
    for (int i = 0; i < 20; ++i) {
        const int width = i % 2 == 0 ? 1280 : 1920;
        const int height = i % 2 == 0 ? 720 : 1080;
        const long followed = ChangeAndWaitForTheBand(band, width, height, 2);
        worst = followed < 0 ? 100000 : std::max(worst, followed);
        if (followed < 0) {
            const POINT p = CursorPos();
            DWORD code = 99;
            saver.WaitExit(10, &code);
            Note("change " + std::to_string(i) + " not followed: " + std::to_string(followed) + ", exit code " +
                 std::to_string(code) + ", cursor " + std::to_string(p.x) + ", " + std::to_string(p.y));
            break;
        }
        const int half = height / 4 / 2;
        Sleep(50);
        for (LONG top : TopsOver(band, 1100, width)) {
            ++places;
            outOfRange += top < -half || top > height - 1 - half;
        }
    }
    Note("20 changes: slowest followed in " + std::to_string(worst) + " ms; " + std::to_string(places) + " places, " +
         std::to_string(outOfRange) + " out of range");
    E2E_CHECK(worst <= 1000);
    E2E_CHECK_EQ(outOfRange, 0);
    E2E_CHECK(places >= 40);
    Sleep(300);
    E2E_REQUIRE(saver.Running());
    const Counts later = CountsOf(saver);
    Note("after 20 more: " + Describe(later));
    CheckSameCounts(first, later);
    MoveCursor(606, 400);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(1500, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
    DeleteSettingsKey();
}

// Over durationMs: how often a window of the band reached into the rows kept
// clear of a width x height desktop or past its sides, and the widest one.
struct PiecesSeen {
    int Into = 0;
    LONG Widest = 0;
    int Looks = 0;
};

PiecesSeen PiecesOver(const Process& saver, DWORD durationMs, int width, int height, int keepTop, int keepBottom) {
    PiecesSeen seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < durationMs) {
        for (const WindowInfo& w : WindowsOf(saver.Id())) {
            if (w.Rect.bottom <= w.Rect.top || w.Rect.right <= w.Rect.left) continue;
            seen.Into +=
                w.Rect.top < keepTop || w.Rect.bottom > height - keepBottom || w.Rect.left < 0 || w.Rect.right > width;
            seen.Widest = std::max(seen.Widest, w.Rect.right - w.Rect.left);
        }
        ++seen.Looks;
        Sleep(20);
    }
    return seen;
}

E2E_TEST(desktop, TheBandsPiecesFollowAChangeAroundTheRowsKeptClear) {
    if (SkippedOutsideAVirtualDesktop()) return;
    DisplayRestorer restorer;
    DeleteSettingsKey();
    E2E_REQUIRE(SetDisplaySize(1920, 1080));
    PutDword("MovementType", 1);
    PutDword("TransitionTime", 1);
    PutDword("CoverArea", 2);
    PutDword("KeepClearTop", 40);
    PutDword("KeepClearBottom", 30);
    MoveCursor(600, 400);
    Sleep(200);
    Process saver = Process::Start("/s");
    E2E_REQUIRE(BandOf(saver.Id(), 8000) != nullptr);
    for (const auto& size : {std::pair<int, int>{1280, 720}, std::pair<int, int>{1920, 1080}}) {
        E2E_REQUIRE(SetDisplaySize(size.first, size.second));
        Sleep(1000);  // followed within a second
        const PiecesSeen seen = PiecesOver(saver, 2500, size.first, size.second, 40, 30);
        Note(std::to_string(size.first) + " x " + std::to_string(size.second) + ": " + std::to_string(seen.Into) +
             " windows into the kept rows in " + std::to_string(seen.Looks) + " looks, widest " +
             std::to_string(seen.Widest));
        E2E_CHECK_EQ(seen.Into, 0);
        E2E_CHECK_EQ(seen.Widest, static_cast<LONG>(size.first));
    }
    E2E_REQUIRE(saver.Running());
    MoveCursor(606, 400);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(1500, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
    DeleteSettingsKey();
}
}  // namespace

namespace {

// Answers a sent message within 2 s.
bool Responds(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) != 0;
}

E2E_TEST(desktop, TheDialogAndThePreviewCarryOnThroughChanges) {
    if (SkippedOutsideAVirtualDesktop()) return;
    DisplayRestorer restorer;
    DeleteSettingsKey();
    E2E_REQUIRE(SetDisplaySize(1920, 1080));
    {
        Process config = Process::Start("/c");
        HWND dialog = WaitForWindow(config.Id(), "TfrmConfig", 8000);
        E2E_REQUIRE(dialog != nullptr);
        E2E_CHECK(SetDisplaySize(1280, 720));
        E2E_CHECK(SetDisplaySize(1920, 1080));
        Sleep(300);
        E2E_CHECK(config.Running());
        E2E_CHECK(Responds(dialog));
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        DWORD exitCode = 99;
        E2E_CHECK(config.WaitExit(3000, &exitCode));
        E2E_CHECK_EQ(exitCode, 0UL);
    }
    Process host =
        Process::Start("\"" + ScrPath() + "\" 152 112 --no-saver --duration 20000", ToolsDir() + "previewHost.exe");
    HWND window = WaitForWindow(host.Id(), "KestranePreviewHost", 5000);
    E2E_REQUIRE(window != nullptr);
    const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu);
    Process preview = Process::Start("/p " + std::to_string(handle));
    Sleep(1000);
    E2E_CHECK(SetDisplaySize(1280, 720));
    E2E_CHECK(SetDisplaySize(1920, 1080));
    Sleep(1000);
    E2E_CHECK(preview.Running());
    host.Kill();
    DWORD exitCode = 99;
    E2E_CHECK(preview.WaitExit(2000, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
    DeleteSettingsKey();
}

}  // namespace
