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
constexpr uint32_t kUnder = 0x4080C0;  // the window under the band, as a pixel

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

LRESULT CALLBACK UnderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

// A plain window of another program over the whole desktop, under the band.
HWND CreateUnderWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = UnderProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0x40, 0x80, 0xC0));
    windowClass.lpszClassName = "KestraneUnderTheBands";
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOOLWINDOW, "KestraneUnderTheBands", "", WS_POPUP | WS_VISIBLE,
                           GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                           GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// What one monitor showed over the run.
struct TMonitorLook {
    RECT Rect{};
    std::vector<bool> Blanked;  // per row between the strips
    long StripBlack = 0;
    long WindowsInStrips = 0;
};

bool InStrip(const RECT& monitor, LONG y) { return y < monitor.top + kKeepTop || y >= monitor.bottom - kKeepBottom; }

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

E2E_TEST(monitors, RowsKeptClearStayClearOnEveryMonitorAndEveryOtherRowIsBlanked) {
    std::vector<RECT> monitors;
    if (SkippedWithoutALayout(monitors)) return;
    DeleteSettingsKey();
    PutDword("CoverArea", 1);
    PutDword("TransitionTime", 1);
    PutDword("MovementType", 0);
    PutDword("DrawBorders", 0);
    PutString("TextLine1", "Kept clear");
    PutDword("KeepClearTop", kKeepTop);
    PutDword("KeepClearBottom", kKeepBottom);
    const HWND under = CreateUnderWindow();
    E2E_REQUIRE(under != nullptr);
    Pump(300);
    MoveCursor(900, 500);  // on the primary monitor
    Pump(100);
    Process saver = Process::Start("/s");
    E2E_REQUIRE(BandOf(saver.Id(), 8000) != nullptr);
    Pump(300);

    std::vector<TMonitorLook> looks;
    for (const RECT& m : monitors) looks.push_back(TMonitorLook{m, std::vector<bool>(m.bottom - m.top, false), 0, 0});
    int shots = 0;
    const DWORD start = GetTickCount();
    // A stepping cycle over the desktop's height takes four jumps at this cover.
    while (GetTickCount() - start < 7000 && saver.Running()) {
        const std::vector<WindowInfo> windows = WindowsOf(saver.Id());
        const Shot shot = Shot::Screen();
        ++shots;
        for (TMonitorLook& look : looks) {
            const RECT& m = look.Rect;
            for (const WindowInfo& w : windows) {
                const LONG left = std::max(w.Rect.left, m.left), right = std::min(w.Rect.right, m.right);
                if (left >= right) continue;
                const bool intoTop = w.Rect.top < m.top + kKeepTop && w.Rect.bottom > m.top;
                const bool intoBottom = w.Rect.bottom > m.bottom - kKeepBottom && w.Rect.top < m.bottom;
                if (w.Rect.bottom > w.Rect.top && (intoTop || intoBottom)) ++look.WindowsInStrips;
            }
            const LONG width = m.right - m.left;
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
            }
        }
        Pump(20);
    }
    E2E_CHECK(shots >= 10);
    for (const TMonitorLook& look : looks) {
        long rows = 0, blanked = 0;
        for (LONG y = look.Rect.top; y < look.Rect.bottom; ++y) {
            if (InStrip(look.Rect, y)) continue;
            ++rows;
            blanked += look.Blanked[static_cast<size_t>(y - look.Rect.top)] ? 1 : 0;
        }
        Note("monitor (" + ShowRect(look.Rect) + "): " + std::to_string(shots) + " screenshots, " +
             std::to_string(look.StripBlack) + " black strip pixels, " + std::to_string(look.WindowsInStrips) +
             " band windows into its strips, " + std::to_string(blanked) + " of " + std::to_string(rows) +
             " rows between the strips blanked");
        E2E_CHECK_EQ(look.StripBlack, 0L);
        E2E_CHECK_EQ(look.WindowsInStrips, 0L);
        E2E_CHECK_EQ(blanked, rows);
    }

    // A 6-px move ends the band.
    MoveCursor(906, 500);
    DWORD code = 99;
    E2E_CHECK(saver.WaitExit(2000, &code));
    E2E_CHECK_EQ(code, 0UL);
    DestroyWindow(under);
}

}  // namespace
