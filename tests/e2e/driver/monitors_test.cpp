// The band on layouts of several monitors (tests/e2e/run_monitors.sh, which
// names the layout's monitors in KESTRANE_MONITORS): rows kept clear for an
// alarm banner stay clear on every monitor, every other row of every monitor
// is blanked within a stepping cycle, and a move ends the band.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/driver/harness.h"

namespace {

using namespace e2e;

constexpr int kKeepTop = 40;
constexpr int kKeepBottom = 30;
constexpr uint32_t kUnder = kUnderColour;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string ShowRect(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The layout's monitors as the test step names them; empty outside that step.
std::vector<RECT> ExpectedMonitors() {
    std::vector<RECT> monitors;
    const char* text = std::getenv("KESTRANE_MONITORS");
    if (text == nullptr) return monitors;
    std::string rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find(';');
        RECT r{};
        if (std::sscanf(rest.substr(0, end).c_str(), "%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom) == 4) {
            monitors.push_back(r);
        }
        rest = end == std::string::npos ? "" : rest.substr(end + 1);
    }
    return monitors;
}

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
    return TRUE;
}

std::vector<RECT> SystemMonitors() {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

bool SkippedWithoutALayout(std::vector<RECT>& monitors) {
    monitors = ExpectedMonitors();
    if (!monitors.empty()) return false;
    Note("needs a layout of several monitors: tests/e2e/run_monitors.sh runs it");
    return true;
}

RECT VirtualScreen() {
    const LONG left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// What one monitor showed over the run.
struct TMonitorLook {
    RECT Rect{};
    LONG BandHeight = 0;        // its group's band
    std::vector<bool> Blanked;  // per row between the strips
    long StripBlack = 0;
    long WindowsInStrips = 0;
    LONG MostBlackRows = 0;  // in any one screenshot
};

bool InStrip(const RECT& monitor, LONG y) { return y < monitor.top + kKeepTop || y >= monitor.bottom - kKeepBottom; }

// Monitors of the same top and height share a band, which spans them all.
std::vector<RECT> GroupsOf(const std::vector<RECT>& monitors) {
    std::vector<RECT> groups;
    for (const RECT& m : monitors) {
        auto same = std::find_if(groups.begin(), groups.end(),
                                 [&](const RECT& g) { return g.top == m.top && g.bottom == m.bottom; });
        if (same == groups.end()) {
            groups.push_back(m);
        } else {
            same->left = std::min(same->left, m.left);
            same->right = std::max(same->right, m.right);
        }
    }
    return groups;
}

bool SameWindows(const std::vector<WindowInfo>& a, const std::vector<WindowInfo>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].Handle != b[i].Handle || !SameRect(a[i].Rect, b[i].Rect)) return false;
    }
    return true;
}

// Screenshots and window rectangles of a running band over durationMs.
struct TRunLook {
    std::vector<TMonitorLook> Monitors;
    int Shots = 0;
    int Skipped = 0;
    long WindowsAcrossGroups = 0;
};
TRunLook LookAtTheBands(const Process& saver, const std::vector<RECT>& monitors, int coverArea, DWORD durationMs) {
    TRunLook run;
    const std::vector<RECT> groups = GroupsOf(monitors);
    for (const RECT& m : monitors) {
        const RECT& g = *std::find_if(groups.begin(), groups.end(),
                                      [&](const RECT& r) { return r.top == m.top && r.bottom == m.bottom; });
        run.Monitors.push_back(
            TMonitorLook{m, (g.bottom - g.top) / (coverArea + 2), std::vector<bool>(m.bottom - m.top, false), 0, 0, 0});
    }
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < durationMs && saver.Running()) {
        // The window under the bands repaints what a jump uncovered before
        // each look, as a live program's window does.
        const std::vector<WindowInfo> windows = WindowsOf(saver.Id());
        PumpMessages(20);
        for (const WindowInfo& w : windows) {
            const RECT& r = w.Rect;
            if (r.right <= r.left || r.bottom <= r.top) continue;
            const bool inOne = std::any_of(groups.begin(), groups.end(), [&](const RECT& g) {
                return r.left >= g.left && r.right <= g.right && r.top >= g.top && r.bottom <= g.bottom;
            });
            if (!inOne) ++run.WindowsAcrossGroups;
        }
        const Shot shot = Shot::Screen();
        // A jump between the pumping and the screenshot leaves the uncovered
        // rows black until the window under them repaints: not a look.
        if (!SameWindows(windows, WindowsOf(saver.Id()))) {
            ++run.Skipped;
            continue;
        }
        ++run.Shots;
        for (TMonitorLook& look : run.Monitors) {
            const RECT& m = look.Rect;
            for (const WindowInfo& w : windows) {
                const LONG left = std::max(w.Rect.left, m.left), right = std::min(w.Rect.right, m.right);
                if (left >= right) continue;
                const bool intoTop = w.Rect.top < m.top + kKeepTop && w.Rect.bottom > m.top;
                const bool intoBottom = w.Rect.bottom > m.bottom - kKeepBottom && w.Rect.top < m.bottom;
                if (w.Rect.bottom > w.Rect.top && (intoTop || intoBottom)) ++look.WindowsInStrips;
            }
            const LONG width = m.right - m.left;
            LONG blackRows = 0;
            for (LONG y = m.top; y < m.bottom; ++y) {
                long black = 0, uncovered = 0;
                for (LONG x = m.left; x < m.right; ++x) {
                    const uint32_t p = shot.Pixel(x, y);
                    black += p == kBlack;
                    uncovered += p == kUnder;
                }
                if (InStrip(m, y)) {
                    look.StripBlack += black;
                } else if (uncovered == 0 && black >= width / 2) {
                    look.Blanked[static_cast<size_t>(y - m.top)] = true;
                }
                if (uncovered == 0 && black >= width / 2) ++blackRows;
            }
            look.MostBlackRows = std::max(look.MostBlackRows, blackRows);
        }
    }
    return run;
}

// A band with rows kept clear at the top and the bottom of every monitor,
// the cursor at rest on the primary monitor, a plain window under it all.
Process StartTheBands(int movementType, int coverArea) {
    DeleteSettingsKey();
    PutDword("CoverArea", static_cast<uint32_t>(coverArea));
    // Two seconds a place: a screenshot of a large layout takes half a second.
    PutDword("TransitionTime", 2);
    PutDword("MovementType", static_cast<uint32_t>(movementType));
    PutDword("DrawBorders", 0);
    PutString("TextLine1", "Kept clear");
    PutDword("KeepClearTop", kKeepTop);
    PutDword("KeepClearBottom", kKeepBottom);
    MoveCursor(900, 500);
    PumpMessages(100);
    Process saver = Process::Start("/s");
    E2E_REQUIRE(BandOf(saver.Id(), 8000) != nullptr);
    PumpMessages(300);
    return saver;
}

// Each monitor's figures; checks what holds for any movement.
void CheckEveryMonitor(const TRunLook& run, bool everyRowBlanked) {
    E2E_CHECK(run.Shots >= 6);
    E2E_CHECK_EQ(run.WindowsAcrossGroups, 0L);
    for (const TMonitorLook& look : run.Monitors) {
        long rows = 0, blanked = 0;
        for (LONG y = look.Rect.top; y < look.Rect.bottom; ++y) {
            if (InStrip(look.Rect, y)) continue;
            ++rows;
            blanked += look.Blanked[static_cast<size_t>(y - look.Rect.top)] ? 1 : 0;
        }
        Note("monitor (" + ShowRect(look.Rect) + "): " + std::to_string(run.Shots) + " screenshots (" +
             std::to_string(run.Skipped) + " taken during a jump left out), at most " +
             std::to_string(look.MostBlackRows) + " black rows (its band " + std::to_string(look.BandHeight) + "), " +
             std::to_string(look.StripBlack) + " black strip pixels, " + std::to_string(look.WindowsInStrips) +
             " band windows into its strips, " + std::to_string(blanked) + " of " + std::to_string(rows) +
             " rows between the strips blanked");
        E2E_CHECK(look.MostBlackRows <= look.BandHeight);
        E2E_CHECK_EQ(look.StripBlack, 0L);
        E2E_CHECK_EQ(look.WindowsInStrips, 0L);
        if (everyRowBlanked) E2E_CHECK_EQ(blanked, rows);
    }
}

void EndWithAMove(Process& saver) {
    MoveCursor(906, 500);
    DWORD code = 99;
    E2E_CHECK(saver.WaitExit(2000, &code));
    E2E_CHECK_EQ(code, 0UL);
}

E2E_TEST(monitors, WindowsSeesEachMonitorOfTheLayout) {
    std::vector<RECT> expected;
    if (SkippedWithoutALayout(expected)) return;
    const std::vector<RECT> seen = SystemMonitors();
    std::string shown;
    for (const RECT& r : seen) shown += " (" + ShowRect(r) + ")";
    Note("monitors:" + shown);
    E2E_CHECK_EQ(seen.size(), expected.size());
    for (const RECT& e : expected) {
        E2E_CHECK(std::any_of(seen.begin(), seen.end(), [&](const RECT& s) { return SameRect(s, e); }));
    }
}

// Stepping: every row of every monitor blanked within a cycle of its own group's band.
E2E_TEST(monitors, SteppingBandsBlankEveryRowOfTheirOwnMonitorsOnlyAndKeepTheStripsClear) {
    std::vector<RECT> monitors;
    if (SkippedWithoutALayout(monitors)) return;
    UnderWindow under(VirtualScreen());
    E2E_REQUIRE(under.Handle() != nullptr);
    Process saver = StartTheBands(0, 1);
    // A cycle of a band a third of its group high is four places.
    CheckEveryMonitor(LookAtTheBands(saver, monitors, 1, 9000), true);
    EndWithAMove(saver);
}

E2E_TEST(monitors, RandomBandsCoverNoMoreThanTheirShareAndKeepTheStripsClear) {
    std::vector<RECT> monitors;
    if (SkippedWithoutALayout(monitors)) return;
    UnderWindow under(VirtualScreen());
    E2E_REQUIRE(under.Handle() != nullptr);
    Process saver = StartTheBands(1, 0);
    CheckEveryMonitor(LookAtTheBands(saver, monitors, 0, 6000), false);
    EndWithAMove(saver);
}

}  // namespace
