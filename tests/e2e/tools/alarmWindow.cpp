// Test helper: an alarm window of another program. It takes the foreground
// and puts the focus on its edit box, as an alarm that pops up while the band
// runs would, and reports in its caption every key message it receives:
//   "alarm down=N sys=N up=N char=N last=TICK"
// (last: the tick count when the latest key-down arrived).
//
//   alarmWindow [x y]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

int Downs = 0, SysDowns = 0, Ups = 0, Chars = 0;
DWORD LastDownTick = 0;
HWND Window = nullptr;

void Report() {
    char caption[128];
    std::snprintf(caption, sizeof caption, "alarm down=%d sys=%d up=%d char=%d last=%lu", Downs, SysDowns, Ups, Chars,
                  static_cast<unsigned long>(LastDownTick));
    SetWindowTextA(Window, caption);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    // F10 and Alt would open the window menu, whose own loop would take the
    // keys this window counts.
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) return 0;
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    const int x = argc > 2 ? std::atoi(argv[1]) : 100;
    const int y = argc > 2 ? std::atoi(argv[2]) : 100;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "KestraneAlarm";
    RegisterClassA(&windowClass);
    Window = CreateWindowExA(0, "KestraneAlarm", "alarm", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 420, 160, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 380, 24,
                                Window, nullptr, windowClass.hInstance, nullptr);
    Report();
    SetForegroundWindow(Window);
    SetFocus(edit);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        switch (msg.message) {
            case WM_KEYDOWN:
                ++Downs;
                LastDownTick = GetTickCount();
                break;
            case WM_SYSKEYDOWN:
                ++SysDowns;
                LastDownTick = GetTickCount();
                break;
            case WM_KEYUP:
            case WM_SYSKEYUP: ++Ups; break;
            default: break;
        }
        TranslateMessage(&msg);
        if (msg.message == WM_CHAR) ++Chars;
        DispatchMessageA(&msg);
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) Report();
    }
    return 0;
}
