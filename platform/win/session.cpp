#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/session.h"
#include "platform/sharedMemory.h"

namespace platform {

namespace {

std::string DesktopName(HDESK desktop) {
    char name[256] = {};
    DWORD needed = 0;
    if (desktop == nullptr || !GetUserObjectInformationA(desktop, UOI_NAME, name, sizeof(name) - 1, &needed)) {
        return std::string();
    }
    return std::string(name);
}

// A desktop handle this process opened; closed when the object goes.
class TOpenedDesktop {
public:
    explicit TOpenedDesktop(HDESK desktop) : desktop_(desktop) {}
    ~TOpenedDesktop() {
        if (desktop_ != nullptr) CloseDesktop(desktop_);
    }
    TOpenedDesktop(const TOpenedDesktop&) = delete;
    TOpenedDesktop& operator=(const TOpenedDesktop&) = delete;
    HDESK Get() const { return desktop_; }

private:
    HDESK desktop_;
};

}  // namespace

uint64_t MillisecondsSinceInput() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof(info);
    if (!GetLastInputInfo(&info)) return 0;
    // Both are 32-bit ticks: the difference is right across their wrap.
    return static_cast<DWORD>(GetTickCount() - info.dwTime);
}

std::string ThreadDesktopName() {
    // Not to be closed: the thread's own desktop.
    return DesktopName(GetThreadDesktop(GetCurrentThreadId()));
}

bool ThreadDesktopHasInput() {
    // Refused while the secure desktop (sign-in, lock, UAC) has the input.
    TOpenedDesktop input(OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
    if (input.Get() == nullptr) return false;
    const std::string inputName = DesktopName(input.Get());
    return !inputName.empty() && inputName == ThreadDesktopName();
}

TSessionName::TSessionName(const std::string& name) {
    // Local\: one per session, whatever account asks.
    mutex_ = CreateMutexA(nullptr, FALSE, ("Local\\" + name).c_str());
    held_ = mutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

TSessionName::~TSessionName() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

TChildProcess::~TChildProcess() {
    if (process_ != nullptr) CloseHandle(process_);
}

TChildProcess::TChildProcess(TChildProcess&& other) noexcept : process_(std::exchange(other.process_, nullptr)) {}

TChildProcess& TChildProcess::operator=(TChildProcess&& other) noexcept {
    if (this != &other) {
        if (process_ != nullptr) CloseHandle(process_);
        process_ = std::exchange(other.process_, nullptr);
    }
    return *this;
}

TChildProcess TChildProcess::StartOwnProgram(const std::string& arguments) {
    std::string commandLine = "\"";
    commandLine.append(OwnModulePath()).append("\" ").append(arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_FORCEOFFFEEDBACK;
    PROCESS_INFORMATION info{};
    TChildProcess child;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return child;
    }
    CloseHandle(info.hThread);
    child.process_ = info.hProcess;
    return child;
}

bool TChildProcess::Ended() const { return process_ == nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

int32_t WaitForAny(void* const* handles, uint32_t count, uint32_t timeoutMs) {
    std::vector<HANDLE> waited;
    std::vector<int32_t> index;
    for (uint32_t i = 0; i < count && waited.size() < MAXIMUM_WAIT_OBJECTS - 1; ++i) {
        if (handles[i] == nullptr) continue;
        waited.push_back(handles[i]);
        index.push_back(static_cast<int32_t>(i));
    }
    const DWORD result =
        MsgWaitForMultipleObjects(static_cast<DWORD>(waited.size()), waited.data(), FALSE, timeoutMs, QS_ALLINPUT);
    if (result < WAIT_OBJECT_0 + waited.size()) return index[result - WAIT_OBJECT_0];
    if (result == WAIT_OBJECT_0 + waited.size()) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return -1;
    }
    // A wait the system refuses must not turn the caller's loop into a spin.
    if (result == WAIT_FAILED) Sleep(std::min<uint32_t>(timeoutMs, 1000));
    return -2;
}

}  // namespace platform
