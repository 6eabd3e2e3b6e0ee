// Helpers shared by the Windows side of the toolkit.
#include "platform/win/winInternal.h"

#include "platform/win/gdiHandles.h"

namespace win {

std::string SystemErrorText(DWORD code) {
    if (code == 0) return "A call to an OS function failed";
    char* message = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                  nullptr, code, 0, reinterpret_cast<char*>(&message), 0, nullptr);
    std::string text;
    if (length > 0 && message != nullptr) {
        text.assign(message, length);
        while (!text.empty() &&
               (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
            text.pop_back();
        }
    }
    if (message != nullptr) LocalFree(message);
    return "System Error.  Code: " + std::to_string(code) + ".\r\n" + text;
}

std::string LastErrorText() { return SystemErrorText(GetLastError()); }

std::string ResourceText(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return {};
    const char* data = static_cast<const char*>(LockResource(loaded));
    DWORD size = SizeofResource(module, found);
    if (data == nullptr) return {};
    return std::string(data, size);
}

int32_t WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        UINT dpi = getDpiForWindow(window);
        if (dpi >= 48) return static_cast<int32_t>(dpi);
    }
    WindowDc dc(nullptr);
    return dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
}

}  // namespace win
