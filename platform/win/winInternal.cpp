// Helpers shared by the Windows side of the toolkit.
#include "platform/win/winInternal.h"

#include <commctrl.h>

#include <algorithm>

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

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

namespace {

LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR object) {
    const auto handler = reinterpret_cast<TMessageHandler>(id);
    // Removed first, as the window is going: the object's handler still sees the message.
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(window, SubclassProc, id);
    try {
        LRESULT result = 0;
        if (handler(reinterpret_cast<void*>(object), msg, wParam, lParam, result)) return result;
    } catch (const std::exception& e) {
        tk::HandleException(e.what());
        return 0;
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}

}  // namespace

void Subclass(HWND window, TMessageHandler handler, void* object) {
    if (!SetWindowSubclass(window, SubclassProc, reinterpret_cast<UINT_PTR>(handler),
                           reinterpret_cast<DWORD_PTR>(object))) {
        throw std::runtime_error(LastErrorText());
    }
}

void Unsubclass(HWND window, TMessageHandler handler) {
    RemoveWindowSubclass(window, SubclassProc, reinterpret_cast<UINT_PTR>(handler));
}

LRESULT CallOwnProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(window, msg, wParam, lParam);
}

void RegisterWindowClass(const char* name, WNDPROC procedure, UINT style, HICON icon) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    if (GetClassInfoA(instance, name, &windowClass)) return;
    windowClass = WNDCLASSA{};
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.lpszClassName = name;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error(LastErrorText());
    }
}

}  // namespace win
