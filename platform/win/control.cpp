#include <windows.h>
#include <sddl.h>

#include "platform/control.h"

namespace platform {

// Authenticated users (services included) and the system may wait on the
// objects and signal them (SYNCHRONIZE | EVENT/TIMER_MODIFY_STATE); the
// administrators may do everything.
const char kControlAccess[] = "D:(A;;0x100002;;;AU)(A;;0x100002;;;SY)(A;;GA;;;BA)";

namespace {

const char kEndName[] = "Global\\Varnel.KestraneWorkstation.End";
const char kHoldName[] = "Global\\Varnel.KestraneWorkstation.Hold";
constexpr DWORD kAccess = SYNCHRONIZE | EVENT_MODIFY_STATE;  // the same bit for a timer

// The security attributes the objects are made with; freed when it goes.
class TControlSecurity {
public:
    TControlSecurity() {
        attributes_.nLength = sizeof(attributes_);
        attributes_.bInheritHandle = FALSE;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA(kControlAccess, SDDL_REVISION_1, &descriptor_,
                                                                 nullptr)) {
            attributes_.lpSecurityDescriptor = descriptor_;
        }
    }
    ~TControlSecurity() {
        if (descriptor_ != nullptr) LocalFree(descriptor_);
    }
    TControlSecurity(const TControlSecurity&) = delete;
    TControlSecurity& operator=(const TControlSecurity&) = delete;
    SECURITY_ATTRIBUTES* Get() { return attributes_.lpSecurityDescriptor != nullptr ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

HANDLE OpenOrMakeEnd(SECURITY_ATTRIBUTES* security) {
    if (HANDLE end = OpenEventA(kAccess, FALSE, kEndName)) return end;
    if (security == nullptr) return nullptr;
    return CreateEventA(security, TRUE, FALSE, kEndName);
}

HANDLE OpenOrMakeHold(SECURITY_ATTRIBUTES* security) {
    if (HANDLE hold = OpenWaitableTimerA(kAccess, FALSE, kHoldName)) return hold;
    if (security == nullptr) return nullptr;
    HANDLE hold = CreateWaitableTimerA(security, TRUE, kHoldName);
    if (hold != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {
        // A new timer is unsignalled: no hold stands until a command sets one.
        LARGE_INTEGER now{};
        SetWaitableTimer(hold, &now, 0, nullptr, nullptr, FALSE);
    }
    return hold;
}

bool Signalled(HANDLE object) { return object != nullptr && WaitForSingleObject(object, 0) == WAIT_OBJECT_0; }

}  // namespace

TControlChannel::TControlChannel() {
    TControlSecurity security;
    end_ = OpenOrMakeEnd(security.Get());
    hold_ = OpenOrMakeHold(security.Get());
    if (end_ == nullptr || hold_ == nullptr) {
        if (end_ != nullptr) CloseHandle(end_);
        if (hold_ != nullptr) CloseHandle(hold_);
        end_ = nullptr;
        hold_ = nullptr;
    }
}

TControlChannel::~TControlChannel() {
    if (end_ != nullptr) CloseHandle(end_);
    if (hold_ != nullptr) CloseHandle(hold_);
}

bool TControlChannel::EndRequested() const { return Signalled(end_); }

bool TControlChannel::Held() const { return hold_ != nullptr && !Signalled(hold_); }

bool TControlChannel::RequestEnd(bool timed, uint32_t holdSeconds, uint32_t endMs) {
    if (!Valid()) return false;
    if (timed) {
        // Relative times are negative, in 100-ns units.
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(holdSeconds) * 10000000LL;
        if (!SetWaitableTimer(hold_, &due, 0, nullptr, nullptr, FALSE)) return false;
    }
    if (!SetEvent(end_)) return false;
    Sleep(endMs);
    ResetEvent(end_);
    return true;
}

}  // namespace platform
