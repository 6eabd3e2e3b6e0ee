// Loaded into a running saver by the end-to-end driver, which then points
// the saver's user-interface thread at one of these functions: the thread
// takes locks that the watchdog's last step must never need, says so through
// the driver's event, and never lets go.
#include <windows.h>

#include <malloc.h>

#include <string>

#include "src/checkPreviousLogic.h"

extern "C" void __cdecl _lock(int lockNumber);  // msvcrt's internal locks

namespace {

constexpr int kCrtHeapLock = 4;  // _HEAP_LOCK

// Everything that may allocate is done before a lock is taken.
HANDLE OpenHeldEvent() {
    char name[64];
    wsprintfA(name, "KestraneLocksHeld%lu", GetCurrentProcessId());
    return OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
}

[[noreturn]] void SayHeldAndStay(HANDLE held) {
    SetEvent(held);
    for (;;) Sleep(INFINITE);
}

}  // namespace

extern "C" __declspec(dllexport) void HoldHeapLocks() {
    HANDLE held = OpenHeldEvent();
    HANDLE crtHeap = reinterpret_cast<HANDLE>(_get_heap_handle());
    HeapLock(GetProcessHeap());
    if (crtHeap != nullptr && crtHeap != GetProcessHeap()) HeapLock(crtHeap);
    _lock(kCrtHeapLock);
    SayHeldAndStay(held);
}

extern "C" __declspec(dllexport) void HoldGuardLock() {
    HANDLE held = OpenHeldEvent();
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string lockName = LockNameFor(MapNameFromPath(path));
    HANDLE lock = CreateMutexA(nullptr, FALSE, lockName.c_str());
    if (lock != nullptr) WaitForSingleObject(lock, INFINITE);
    SayHeldAndStay(held);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
