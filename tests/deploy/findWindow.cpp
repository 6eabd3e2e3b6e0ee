// Looks for a visible top-level window of the class named on the command
// line and prints "left top right bottom desktopHeight topmost|normal".
// Exits 1 when there is none. Run under Wine beside the saver.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: findWindow CLASS\n");
        return 2;
    }
    HWND window = FindWindowA(argv[1], nullptr);
    if (window == nullptr || !IsWindowVisible(window)) return 1;
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return 1;
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    std::printf("%ld %ld %ld %ld %d %s\n", rect.left, rect.top, rect.right, rect.bottom,
                GetSystemMetrics(SM_CYVIRTUALSCREEN), (exStyle & WS_EX_TOPMOST) ? "topmost" : "normal");
    return 0;
}
