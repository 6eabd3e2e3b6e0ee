// The least a band that follows the dismissal rules must do: a top-most
// black band a third of the desktop high that jumps to a random place every
// 2 s, and a cursor poll every 100 ms that closes it on a move of more than
// 5 pixels. The benchmark measures the saver against it.
#include <windows.h>

#include <cstdlib>

namespace {

constexpr UINT_PTR kMoveTimer = 1;
constexpr UINT_PTR kPollTimer = 2;
POINT g_start{};

void JumpToRandomPlace(HWND band) {
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int bandHeight = height / 3;
    const int y = top + std::rand() % (height - bandHeight + 1);
    SetWindowPos(band, HWND_TOPMOST, GetSystemMetrics(SM_XVIRTUALSCREEN), y, GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 bandHeight, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT CALLBACK BandProc(HWND band, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kMoveTimer) {
        JumpToRandomPlace(band);
        return 0;
    }
    if (msg == WM_TIMER && wParam == kPollTimer) {
        POINT now{};
        if (GetCursorPos(&now) && (std::abs(now.x - g_start.x) > 5 || std::abs(now.y - g_start.y) > 5)) {
            DestroyWindow(band);
        }
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(band, msg, wParam, lParam);
}

}  // namespace

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::srand(GetTickCount());
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BandProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "ReferenceBand";
    RegisterClassA(&windowClass);
    HWND band = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "ReferenceBand", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, instance, nullptr);
    if (band == nullptr) return 1;
    GetCursorPos(&g_start);
    JumpToRandomPlace(band);
    SetTimer(band, kMoveTimer, 2000, nullptr);
    SetTimer(band, kPollTimer, 100, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
