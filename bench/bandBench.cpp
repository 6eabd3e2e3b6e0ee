// Measures a running band: time from start to the band on screen, peak
// working set, and CPU time over a stretch of running.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

HWND FindBand(DWORD pid) {
    struct Ctx {
        DWORD Pid;
        HWND Found;
    } ctx{pid, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof(cls));
            if (owner == c->Pid && IsWindowVisible(w) && std::string(cls) == "TfrmSaver") c->Found = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.Found;
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bandBench <kestrane.scr> [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    std::string commandLine = std::string("\"") + argv[1] + "\" /s";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    HWND band = nullptr;
    HDC screen = GetDC(nullptr);
    double visibleMs = -1;
    for (int i = 0; i < 2000 && visibleMs < 0; ++i) {
        band = FindBand(info.dwProcessId);
        if (band != nullptr) {
            RECT r;
            GetWindowRect(band, &r);
            // Painted: a black pixel inside the band, away from the text and logo rows.
            int y = r.top + (r.bottom - r.top) - 5;
            if (y >= 0 && GetPixel(screen, r.right - 3, y) == RGB(0, 0, 0)) {
                QueryPerformanceCounter(&now);
                visibleMs = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                            static_cast<double>(frequency.QuadPart);
            }
        }
        if (visibleMs < 0) Sleep(5);
    }
    ReleaseDC(nullptr, screen);
    Sleep(1000);
    double cpuBefore = CpuSeconds(info.hProcess);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    double cpuAfter = CpuSeconds(info.hProcess);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(info.hProcess, &counters, sizeof(counters));
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    std::printf("%dx%d\tstart-to-visible %.0f ms\tpeak working set %.1f MiB\tCPU %.2f %% of one core over %d s\n",
                width, height, visibleMs, static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0),
                100.0 * (cpuAfter - cpuBefore) / seconds, seconds);
    TerminateProcess(info.hProcess, 0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return 0;
}
