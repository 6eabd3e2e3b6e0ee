// The saver band as the operator sees it: size, picture, movement, z-order
// and every way it is dismissed.
#include <algorithm>

#include "tests/e2e/driver/harness.h"

namespace {

using namespace e2e;

constexpr int kRestX = 700;
constexpr int kRestY = 700;

// Starts the saver with default settings and waits for its band.
struct RunningBand {
    Process process;
    HWND band = nullptr;
};

RunningBand StartBand(const std::string& arguments = "/s") {
    DeleteSettingsKey();
    MoveCursor(kRestX, kRestY);
    Sleep(100);
    RunningBand running;
    running.process = Process::Start(arguments);
    running.band = BandOf(running.process.Id(), 8000);
    E2E_REQUIRE(running.band != nullptr);
    // The first paint lands right after the window shows.
    Sleep(400);
    return running;
}

bool EndsWithin(Process& process, DWORD ms, DWORD expectedCode) {
    DWORD code = 12345;
    DWORD start = GetTickCount();
    bool ended = process.WaitExit(ms + 5000, &code);
    Note("ended after " + std::to_string(GetTickCount() - start) + " ms");
    if (!ended || GetTickCount() - start > ms) return false;
    E2E_CHECK_EQ(code, expectedCode);
    return true;
}

bool InRect(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

E2E_TEST(band, ShowsOneBandWithItsPicture) {
    Shot before = Shot::Screen();
    RunningBand running = StartBand();
    std::vector<WindowInfo> bands;
    for (const WindowInfo& w : WindowsOf(running.process.Id())) {
        if (w.Rect.right - w.Rect.left > 0 && w.Rect.bottom - w.Rect.top > 0) bands.push_back(w);
    }
    E2E_REQUIRE(bands.size() == 1);
    WindowInfo band = Describe(running.band);
    E2E_CHECK(band.TopMost);
    E2E_CHECK_EQ(band.Rect.left, 0);
    E2E_CHECK_EQ(band.Rect.right - band.Rect.left, 1920);
    E2E_CHECK_EQ(band.Rect.bottom - band.Rect.top, 360);
    E2E_REQUIRE(band.Rect.right - band.Rect.left == 1920 && band.Rect.bottom - band.Rect.top == 360);

    // The band may overhang an edge, hiding part of its picture: wait for a
    // place that shows it whole (random places; a few jumps at most).
    E2E_REQUIRE(WaitUntil(
        [&] {
            RECT r = Describe(running.band).Rect;
            return r.top >= 0 && r.bottom <= 1080;
        },
        20000));
    Sleep(300);
    band = Describe(running.band);
    // Read well inside one interval, between two jumps.
    Shot shot = Shot::Screen();
    const RECT visible{band.Rect.left, std::max<LONG>(band.Rect.top, 0), band.Rect.right,
                       std::min<LONG>(band.Rect.bottom, 1080)};
    const int top = band.Rect.top;
    const int bottom = band.Rect.bottom - 1;
    if (top >= 0) {
        int white = 0;
        for (int x = 0; x < 1920; ++x) white += shot.Pixel(x, top) == kWhite;
        E2E_CHECK_EQ(white, 1920);
    }
    if (bottom < 1080) {
        int white = 0;
        for (int x = 0; x < 1920; ++x) white += shot.Pixel(x, bottom) == kWhite;
        E2E_CHECK_EQ(white, 1920);
    }
    // Text cells: white glyph pixels near (10, 10) and (10, 24).
    auto whiteIn = [&](int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) count += shot.Pixel(band.Rect.left + x, top + y) == kWhite;
        return count;
    };
    if (top >= 0) {
        E2E_CHECK(whiteIn(10, 10, 300, 23) > 50);
        E2E_CHECK(whiteIn(10, 24, 300, 37) > 50);
    }
    // Everything else in the band is black, or logo inside one 200 x 44 box.
    int minX = INT32_MAX, minY = INT32_MAX, maxX = -1, maxY = -1;
    for (int y = visible.top; y < visible.bottom; ++y) {
        if (y == top || y == bottom) continue;
        for (int x = visible.left; x < visible.right; ++x) {
            uint32_t p = shot.Pixel(x, y);
            if (p == kBlack) continue;
            bool inText = x - band.Rect.left >= 10 && x - band.Rect.left < 400 && y - top >= 10 && y - top < 38;
            if (inText && p == kWhite) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    E2E_CHECK(maxX >= 0);  // the logo shows
    E2E_CHECK(maxX - minX < 200);
    E2E_CHECK(maxY - minY < 44);
    Note("logo pixels within x " + std::to_string(minX) + ".." + std::to_string(maxX) + ", y " + std::to_string(minY) +
         ".." + std::to_string(maxY));
    if (maxY >= 0) {
        E2E_CHECK(minY - top >= 10);
        E2E_CHECK(bottom - maxY >= 11);
    }
    // Outside the band the screen is as it was.
    int changed = 0;
    for (int y = 0; y < 1080; y += 3) {
        for (int x = 0; x < 1920; x += 3) {
            if (InRect(band.Rect, x, y)) continue;
            changed += shot.Pixel(x, y) != before.Pixel(x, y);
        }
    }
    E2E_CHECK_EQ(changed, 0);
}

E2E_TEST(band, JumpsAndStaysTopMost) {
    RunningBand running = StartBand();
    RECT first = Describe(running.band).Rect;
    bool moved = WaitUntil([&] { return Describe(running.band).Rect.top != first.top; }, 4500);
    E2E_CHECK(moved);
    RECT now = Describe(running.band).Rect;
    E2E_CHECK_EQ(now.left, first.left);
    E2E_CHECK_EQ(now.right - now.left, first.right - first.left);
    E2E_CHECK_EQ(now.bottom - now.top, first.bottom - first.top);

    // A normal window raised over the desktop stays beneath the band.
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE | SS_WHITERECT, 0, 0, 1920, 1080, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    E2E_REQUIRE(other != nullptr);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Sleep(300);
    bool bandFirst = false;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == running.band) {
            bandFirst = true;
            break;
        }
        if (w == other) break;
    }
    E2E_CHECK(bandFirst);
    E2E_CHECK(Describe(running.band).TopMost);
    E2E_CHECK(running.process.Running());
    DestroyWindow(other);
}

E2E_TEST(band, DeadZoneOfFivePixelsKeepsIt) {
    RunningBand running = StartBand();
    MoveCursor(kRestX + 5, kRestY + 5);
    Sleep(600);
    MoveCursor(kRestX - 5, kRestY - 5);
    Sleep(600);
    E2E_CHECK(running.process.Running());
    E2E_CHECK(Describe(running.band).Visible);
}

E2E_TEST(band, SixPixelsOnXCloseItWithCodeZero) {
    RunningBand running = StartBand();
    MoveCursor(kRestX + 6, kRestY);
    E2E_CHECK(EndsWithin(running.process, 1000, 0));
    E2E_CHECK(WindowsOf(running.process.Id(), true).empty());
}

E2E_TEST(band, SixPixelsOnYCloseIt) {
    RunningBand running = StartBand();
    MoveCursor(kRestX, kRestY - 6);
    E2E_CHECK(EndsWithin(running.process, 1000, 0));
}

E2E_TEST(band, KeyPressClosesIt) {
    RunningBand running = StartBand();
    SetForegroundWindow(running.band);
    Sleep(100);
    PressKey('K');
    E2E_CHECK(EndsWithin(running.process, 1500, 0));
}

E2E_TEST(band, ClickAtRestKeepsIt) {
    RunningBand running = StartBand();
    ClickAt(kRestX, kRestY);
    Sleep(1200);
    E2E_CHECK(running.process.Running());
    MoveCursor(kRestX + 40, kRestY + 40);
    E2E_CHECK(EndsWithin(running.process, 1500, 0));
}

E2E_TEST(band, SwitchSpellingsAllRunTheSaver) {
    for (const char* spelling : {"/S", "-s", "s"}) {
        RunningBand running = StartBand(spelling);
        E2E_CHECK(running.band != nullptr);
        MoveCursor(kRestX + 50, kRestY);
        E2E_CHECK(EndsWithin(running.process, 1500, 0));
    }
}

E2E_TEST(band, UnknownSwitchesEndQuietly) {
    for (const char* spelling : {"/a", "/"}) {
        DeleteSettingsKey();
        Process process = Process::Start(spelling);
        DWORD code = 12345;
        E2E_CHECK(process.WaitExit(3000, &code));
        E2E_CHECK_EQ(code, 0u);
        E2E_CHECK(BandOf(process.Id(), 0) == nullptr);
    }
}

}  // namespace
