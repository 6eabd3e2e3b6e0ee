#include "src/unitCheckPrevious.h"

#include "platform/sharedMemory.h"
#include "src/checkPreviousLogic.h"

std::string MapName;
bool Counted = false;

namespace {

// The handle from the create call; it stays open until the exit step even
// when the guard goes on through a handle opened by name.
platform::TSharedBlock CreatedHandle;
platform::TSharedBlock MapHandle;
platform::TSharedView MapView;

// Another copy holds the lock only for a few reads and writes; one that
// hangs longer must not keep this start from going on.
constexpr uint32_t kLockWaitMs = 3000;

TReleaseOnce ReleaseDecision;
platform::TInstantLock EmergencyLock;
uint8_t* EmergencyView = nullptr;
bool EmergencyCounted = false;

}  // namespace

bool CheckPrevious(uint32_t Wnd, int32_t Limit) {
    MapName = MapNameFromPath(platform::OwnModulePath());
    uint32_t bringForward = 0;
    {
        platform::TNamedLock lock(LockNameFor(MapName), kLockWaitMs);
        bool alreadyExisted = false;
        CreatedHandle = platform::CreateSharedBlock(MapName, kInstanceInfoSize, alreadyExisted);
        if (!alreadyExisted) {
            MapView = platform::MapSharedBlock(CreatedHandle, kInstanceInfoSize);
            WriteInstanceInfo(MapView.Bytes(), FirstInstance(Wnd));
            Counted = true;
            return false;
        }
        MapHandle = platform::OpenSharedBlock(MapName);
        if (!MapHandle.Valid()) return true;
        MapView = platform::MapSharedBlock(MapHandle, kInstanceInfoSize);
        const TStartDecision decision = DecideStart(ReadInstanceInfo(MapView.Bytes()), Wnd, Limit);
        if (decision.Register) {
            WriteInstanceInfo(MapView.Bytes(), decision.Block);
            Counted = true;
            return false;
        }
        bringForward = decision.BringForward;
    }
    // Outside the lock: the other copy's window may take its time to answer.
    platform::BringWindowForward(bringForward);
    return true;
}

bool PlaceIsTaken() {
    const std::string name = MapNameFromPath(platform::OwnModulePath());
    platform::TSharedBlock block = platform::OpenSharedBlock(name);
    if (!block.Valid()) return false;
    try {
        platform::TNamedLock lock(LockNameFor(name), kLockWaitMs);
        const platform::TSharedView view = platform::MapSharedBlock(block, kInstanceInfoSize);
        return !DecideStart(ReadInstanceInfo(view.Bytes()), 0, 1).Register;
    } catch (...) {
        // Unreadable: let the band's own guard decide.
        return false;
    }
}

void ReleasePrevious() {
    if (!ReleaseDecision.Claim()) return;
    if (Counted && MapView.Valid()) {
        platform::TNamedLock lock(LockNameFor(MapName), kLockWaitMs);
        WriteInstanceCount(MapView.Bytes(), CountAfterRelease(ReadInstanceInfo(MapView.Bytes()).Count));
    }
    Counted = false;
    MapView.Reset();
    MapHandle.Close();
    CreatedHandle.Close();
}

void PrepareEmergencyRelease() {
    EmergencyLock = platform::TInstantLock(LockNameFor(MapName));
    EmergencyView = MapView.Bytes();
    EmergencyCounted = Counted;
}

void EmergencyReleasePrevious() noexcept {
    if (!ReleaseDecision.Claim()) return;
    if (!EmergencyCounted || EmergencyView == nullptr) return;
    // A lock held elsewhere means ending without giving the place back: the
    // block goes with the last process that has it open.
    if (!EmergencyLock.TryTake()) return;
    WriteInstanceCount(EmergencyView, CountAfterRelease(ReadInstanceInfo(EmergencyView).Count));
    EmergencyLock.Give();
}
