// Test host for the preview: a black borderless window of a chosen client
// size that starts the saver in preview mode on itself, watches its own
// client area on the screen and reports what it saw, one "key=value" line
// set per finding.
//
//   previewHost <scr path> <width> <height> [options]
//     --duration ms        sampling time from the saver's start (6000)
//     --destroy-after ms   destroy the window then (default: at the end)
//     --hide-after ms      hide it;  --show-after ms  show it (again)
//     --resize-after ms WxH
//     --hidden-start       create the window hidden
//     --no-saver           start nothing, print the handle, just live
//     --interval ms        time between samples (2)
//     --settle ms          phase checks start this late (2000)
//     --cpu-from ms / --cpu-to ms   window for the saver's CPU time
//     --wait-exit ms       how long to wait for the saver at the end (5000)
//     --samples            print every sample
//     --start-in even|odd  start the saver just after that kind of second begins
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kClassName[] = "KestranePreviewHost";
constexpr int kLogoWidth = 200;
constexpr int kLogoHeight = 44;

struct Options {
    std::string Scr;
    int Width = 152, Height = 112;
    int Duration = 6000;
    int DestroyAfter = -1, HideAfter = -1, ShowAfter = -1, ResizeAfter = -1;
    int ResizeWidth = 0, ResizeHeight = 0;
    bool HiddenStart = false, NoSaver = false, PrintSamples = false;
    int Interval = 2, Settle = 2000, WaitExit = 5000;
    int CpuFrom = -1, CpuTo = -1;
    int StartParity = -1;  // 0 even, 1 odd, -1 any time
};

struct Sample {
    double T = 0;           // ms since the saver's start, after the capture
    int64_t DayBefore = 0;  // local ms of the day before and after the capture
    int64_t DayAfter = 0;
    int LogoPixels = 0, OutsidePixels = 0;
    char State = '?';  // L logo, B black, P partial
};

LARGE_INTEGER g_frequency, g_start;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - g_start.QuadPart) * 1000.0 / static_cast<double>(g_frequency.QuadPart);
}

int64_t LocalDayMs() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return ((static_cast<int64_t>(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

// The logo fitted into the host, proportions kept, centred.
RECT LogoRectFor(int hw, int hh) {
    RECT r{0, 0, 0, 0};
    if (hw <= 0 || hh <= 0) return r;
    if (static_cast<int64_t>(kLogoWidth) * hh > static_cast<int64_t>(kLogoHeight) * hw) {
        int h = static_cast<int>(static_cast<int64_t>(hw) * kLogoHeight / kLogoWidth);
        int off = (hh - h) / 2;
        r = RECT{0, off, hw, off + h};
    } else {
        int w = static_cast<int>(static_cast<int64_t>(hh) * kLogoWidth / kLogoHeight);
        int off = (hw - w) / 2;
        r = RECT{off, 0, off + w, hh};
    }
    return r;
}

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

bool ParseOptions(int argc, char** argv, Options& o) {
    if (argc < 4) return false;
    o.Scr = argv[1];
    o.Width = std::atoi(argv[2]);
    o.Height = std::atoi(argv[3]);
    for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](int& value) {
            if (i + 1 < argc) value = std::atoi(argv[++i]);
        };
        if (a == "--duration")
            next(o.Duration);
        else if (a == "--destroy-after")
            next(o.DestroyAfter);
        else if (a == "--hide-after")
            next(o.HideAfter);
        else if (a == "--show-after")
            next(o.ShowAfter);
        else if (a == "--resize-after") {
            next(o.ResizeAfter);
            if (i + 1 < argc) {
                std::string size = argv[++i];
                size_t x = size.find('x');
                if (x != std::string::npos) {
                    o.ResizeWidth = std::atoi(size.substr(0, x).c_str());
                    o.ResizeHeight = std::atoi(size.substr(x + 1).c_str());
                }
            }
        } else if (a == "--hidden-start")
            o.HiddenStart = true;
        else if (a == "--no-saver")
            o.NoSaver = true;
        else if (a == "--samples")
            o.PrintSamples = true;
        else if (a == "--interval")
            next(o.Interval);
        else if (a == "--settle")
            next(o.Settle);
        else if (a == "--wait-exit")
            next(o.WaitExit);
        else if (a == "--cpu-from")
            next(o.CpuFrom);
        else if (a == "--cpu-to")
            next(o.CpuTo);
        else if (a == "--start-in" && i + 1 < argc) {
            const std::string parity = argv[++i];
            if (parity != "even" && parity != "odd") return false;
            o.StartParity = parity == "odd" ? 1 : 0;
        } else
            return false;
    }
    if (o.DestroyAfter < 0 || o.DestroyAfter > o.Duration) o.DestroyAfter = o.Duration;
    return true;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

uint64_t CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& f) { return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 10000;
}

// Captures the window's client area from the screen and counts non-black
// pixels inside and outside the logo rectangle.
bool Capture(HWND window, const RECT& logo, Sample& s) {
    RECT client;
    GetClientRect(window, &client);
    int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return false;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        s.DayBefore = LocalDayMs();
        BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        s.DayAfter = LocalDayMs();
        s.T = NowMs();
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        s.LogoPixels = 0;
        s.OutsidePixels = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if ((p[y * w + x] & 0x00FFFFFF) == 0) continue;
                bool inside = x >= logo.left && x < logo.right && y >= logo.top && y < logo.bottom;
                (inside ? s.LogoPixels : s.OutsidePixels)++;
            }
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        ok = true;
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Max(const std::vector<double>& v) { return v.empty() ? -1 : *std::max_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: previewHost <scr> <width> <height> [options]\n");
        return 2;
    }
    QueryPerformanceFrequency(&g_frequency);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    DWORD style = WS_POPUP | (o.HiddenStart ? 0 : WS_VISIBLE);
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, "Preview host", style, 40, 40, o.Width,
                                  o.Height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        std::printf("result error=create_window_failed code=%lu\n", GetLastError());
        return 1;
    }
    if (!o.HiddenStart) UpdateWindow(window);
    Pump();
    const unsigned long handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu);
    const RECT logo = LogoRectFor(o.Width, o.Height);
    std::printf("host hwnd=%lu width=%d height=%d logo=%ld,%ld,%ld,%ld\n", handle, o.Width, o.Height, logo.left,
                logo.top, logo.right, logo.bottom);
    std::fflush(stdout);
    Sleep(300);  // let the black window reach the screen
    Pump();

    PROCESS_INFORMATION saver{};
    int startMillisecond = -1;  // into the second the saver was started in
    if (o.StartParity >= 0) {
        // Into the other kind of second first, then just across the boundary.
        auto parity = [] {
            SYSTEMTIME now;
            GetLocalTime(&now);
            return now.wSecond % 2;
        };
        while (parity() == o.StartParity) Sleep(1);
        while (parity() != o.StartParity) Sleep(1);
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::printf("event name=start_second local=%d.%03d\n", now.wSecond, now.wMilliseconds);
        startMillisecond = now.wMilliseconds;
    }
    if (!o.NoSaver) {
        std::string commandLine = "\"" + o.Scr + "\" /p " + std::to_string(handle);
        std::vector<char> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        // Wine's occasional ERROR_INTERNAL_ERROR comes before the saver has run: start it again.
        BOOL started = FALSE;
        for (int attempt = 1; attempt <= 3 && !started; ++attempt) {
            started = CreateProcessA(o.Scr.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &saver);
            if (!started && (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3)) {
                std::printf("result error=start_failed code=%lu\n", GetLastError());
                return 1;
            }
            if (!started) Sleep(200);
        }
        CloseHandle(saver.hThread);
    }
    QueryPerformanceCounter(&g_start);

    std::vector<Sample> samples;
    bool visible = !o.HiddenStart, alive = true;
    double endEvent = -1, saverEnd = -1;
    // When the saver first waited for messages: from then on it can draw.
    double saverReady = -1;
    bool hid = false, shown = false, resized = false;
    uint64_t cpuAtFrom = 0, cpuAtTo = 0, ownCpuAtFrom = 0, ownCpuAtTo = 0;
    bool cpuFromTaken = false, cpuToTaken = false;
    char lastState = 0;
    int transitions = 0;
    auto event = [&](const char* name) {
        std::printf("event t=%.0f name=%s\n", NowMs(), name);
        std::fflush(stdout);
    };

    for (;;) {
        const double t = NowMs();
        if (!o.NoSaver && saverEnd < 0 && WaitForSingleObject(saver.hProcess, 0) == WAIT_OBJECT_0) {
            saverEnd = NowMs();
            std::printf("event t=%.0f name=saver_ended\n", saverEnd);
        }
        if (!o.NoSaver && saverReady < 0 && saverEnd < 0 && WaitForInputIdle(saver.hProcess, 0) == 0) {
            saverReady = NowMs();
        }
        if (t >= o.Duration && !alive && (o.NoSaver || saverEnd >= 0 || t >= o.Duration + o.WaitExit)) break;
        if (!cpuFromTaken && o.CpuFrom >= 0 && t >= o.CpuFrom && !o.NoSaver) {
            cpuAtFrom = CpuMs(saver.hProcess);
            ownCpuAtFrom = CpuMs(GetCurrentProcess());
            cpuFromTaken = true;
        }
        if (!cpuToTaken && o.CpuTo >= 0 && t >= o.CpuTo && !o.NoSaver) {
            cpuAtTo = CpuMs(saver.hProcess);
            ownCpuAtTo = CpuMs(GetCurrentProcess());
            cpuToTaken = true;
        }
        if (alive && !hid && o.HideAfter >= 0 && t >= o.HideAfter) {
            ShowWindow(window, SW_HIDE);
            hid = true;
            visible = false;
            if (endEvent < 0) endEvent = NowMs();
            event("hide");
        }
        if (alive && !shown && o.ShowAfter >= 0 && t >= o.ShowAfter) {
            ShowWindow(window, SW_SHOWNOACTIVATE);
            UpdateWindow(window);
            shown = true;
            visible = true;
            event("show");
        }
        if (alive && !resized && o.ResizeAfter >= 0 && t >= o.ResizeAfter) {
            SetWindowPos(window, nullptr, 0, 0, o.ResizeWidth, o.ResizeHeight,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            UpdateWindow(window);
            resized = true;
            event("resize");
        }
        if (alive && t >= o.DestroyAfter) {
            DestroyWindow(window);
            alive = false;
            visible = false;
            if (endEvent < 0) endEvent = NowMs();
            event("destroy");
        }
        Pump();
        if (alive && visible && t < o.Duration) {
            Sample s;
            if (Capture(window, logo, s)) {
                const int threshold = std::max(1L, (logo.right - logo.left) * (logo.bottom - logo.top) / 20);
                s.State = s.LogoPixels == 0 ? 'B' : (s.LogoPixels >= threshold ? 'L' : 'P');
                if (s.State != lastState) {
                    if (lastState != 0) ++transitions;
                    if (!o.NoSaver)
                        std::printf("change t=%.0f local=%lld.%03lld state=%c logo=%d outside=%d\n", s.T,
                                    static_cast<long long>(s.DayAfter / 1000 % 60),
                                    static_cast<long long>(s.DayAfter % 1000), s.State, s.LogoPixels, s.OutsidePixels);
                    lastState = s.State;
                }
                if (o.PrintSamples) {
                    std::printf("sample t=%.1f sec=%lld ms=%lld logo=%d outside=%d state=%c\n", s.T,
                                static_cast<long long>(s.DayAfter / 1000 % 60),
                                static_cast<long long>(s.DayAfter % 1000), s.LogoPixels, s.OutsidePixels, s.State);
                }
                samples.push_back(s);
            }
        }
        Sleep(static_cast<DWORD>(std::max(1, o.Interval)));
    }

    // Phase: away from the boundaries even seconds show the logo and odd
    // seconds show black.
    int checked = 0, phaseOk = 0, phaseBad = 0, outsideMax = 0, logoSeen = 0, blackSeen = 0;
    for (const Sample& s : samples) {
        outsideMax = std::max(outsideMax, s.OutsidePixels);
        if (s.State == 'L') ++logoSeen;
        if (s.State == 'B') ++blackSeen;
        if (s.T < o.Settle) continue;
        if (s.DayBefore / 1000 != s.DayAfter / 1000) continue;
        const int64_t ms = s.DayBefore % 1000;
        if (ms < 60 || s.DayAfter % 1000 > 940) continue;
        ++checked;
        const char expected = (s.DayBefore / 1000) % 2 == 0 ? 'L' : 'B';
        if (s.State == expected) {
            ++phaseOk;
        } else {
            if (++phaseBad > 10) continue;
            std::printf("bad t=%.0f local=%lld.%03lld state=%c expected=%c logo=%d\n", s.T,
                        static_cast<long long>(s.DayBefore / 1000 % 60), static_cast<long long>(ms), s.State, expected,
                        s.LogoPixels);
        }
    }
    // Lateness: from each second boundary to the first sample that shows the
    // new state (measured at the end of that capture, so an upper bound).
    std::vector<double> drawLate, blackLate, gaps;
    int missed = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        gaps.push_back(samples[i].T - samples[i - 1].T);
        const int64_t second = samples[i].DayAfter / 1000;
        if (second == samples[i - 1].DayAfter / 1000 || samples[i - 1].T < o.Settle) continue;
        const int64_t boundary = second * 1000;
        const char expected = second % 2 == 0 ? 'L' : 'B';
        bool found = false;
        for (size_t j = i; j < samples.size() && samples[j].DayAfter / 1000 == second; ++j) {
            if (samples[j].State == expected) {
                (expected == 'L' ? drawLate : blackLate).push_back(static_cast<double>(samples[j].DayAfter - boundary));
                found = true;
                break;
            }
        }
        if (!found && samples.back().DayAfter / 1000 > second) ++missed;
    }

    if (!o.NoSaver && saverEnd < 0) {
        if (WaitForSingleObject(saver.hProcess, 0) == WAIT_OBJECT_0) saverEnd = NowMs();
    }
    DWORD exitCode = 0;
    long saverExit = -1;
    if (!o.NoSaver) {
        if (saverEnd >= 0 && GetExitCodeProcess(saver.hProcess, &exitCode)) {
            saverExit = static_cast<long>(exitCode);
        } else {
            TerminateProcess(saver.hProcess, 99);
            WaitForSingleObject(saver.hProcess, 2000);
        }
    }
    if (alive) DestroyWindow(window);

    std::printf(
        "result samples=%zu checked=%d phase_ok=%d phase_bad=%d outside_max=%d logo_seen=%d black_seen=%d "
        "transitions=%d\n",
        samples.size(), checked, phaseOk, phaseBad, outsideMax, logoSeen, blackSeen, transitions);
    std::printf(
        "result draw_count=%zu draw_median=%.0f draw_max=%.0f black_count=%zu black_median=%.0f "
        "black_max=%.0f missed=%d gap_median=%.1f\n",
        drawLate.size(), Median(drawLate), Max(drawLate), blackLate.size(), Median(blackLate), Max(blackLate), missed,
        Median(gaps));
    if (cpuFromTaken && cpuToTaken) {
        // Some systems report the caller's own times for another process:
        // the host's own figure shows when that happens.
        std::printf("result cpu_ms=%llu host_cpu_ms=%llu cpu_window_ms=%d\n",
                    static_cast<unsigned long long>(cpuAtTo - cpuAtFrom),
                    static_cast<unsigned long long>(ownCpuAtTo - ownCpuAtFrom), o.CpuTo - o.CpuFrom);
    }
    std::printf(
        "result saver_exit=%ld saver_lifetime_ms=%.0f end_event_ms=%.0f saver_end_after_event_ms=%.0f "
        "saver_ready_ms=%.0f start_millisecond=%d\n",
        saverExit, saverEnd, endEvent, (saverEnd >= 0 && endEvent >= 0) ? saverEnd - endEvent : -1.0, saverReady,
        startMillisecond);
    std::fflush(stdout);
    if (saver.hProcess != nullptr) CloseHandle(saver.hProcess);
    return 0;
}
