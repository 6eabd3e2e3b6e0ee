#include "platform/sharedMemory.h"

#include <windows.h>

#include <stdexcept>

#include "platform/hostWindows.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/winInternal.h"

namespace platform {

std::string OwnModulePath() {
    char path[261] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length >= sizeof(path)) length = sizeof(path) - 1;
    return std::string(path, length);
}

struct TSharedBlock::Handle {
    win::KernelHandle Kernel;
};

TSharedBlock::TSharedBlock() = default;
TSharedBlock::TSharedBlock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
TSharedBlock::~TSharedBlock() = default;
TSharedBlock::TSharedBlock(TSharedBlock&& other) noexcept = default;
TSharedBlock& TSharedBlock::operator=(TSharedBlock&& other) noexcept = default;

bool TSharedBlock::Valid() const { return handle_ != nullptr && static_cast<bool>(handle_->Kernel); }

void TSharedBlock::Close() { handle_.reset(); }

TSharedBlock CreateSharedBlock(const std::string& name, uint32_t size, bool& alreadyExisted) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
    const DWORD error = GetLastError();
    if (mapping == nullptr) throw std::runtime_error(win::SystemErrorText(error));
    alreadyExisted = error == ERROR_ALREADY_EXISTS;
    auto handle = std::make_unique<TSharedBlock::Handle>();
    handle->Kernel.Reset(mapping);
    return TSharedBlock(std::move(handle));
}

TSharedBlock OpenSharedBlock(const std::string& name) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (mapping == nullptr) return TSharedBlock();
    auto handle = std::make_unique<TSharedBlock::Handle>();
    handle->Kernel.Reset(mapping);
    return TSharedBlock(std::move(handle));
}

TSharedView::~TSharedView() { Reset(); }

TSharedView::TSharedView(TSharedView&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = nullptr; }

TSharedView& TSharedView::operator=(TSharedView&& other) noexcept {
    if (this != &other) {
        Reset();
        bytes_ = other.bytes_;
        other.bytes_ = nullptr;
    }
    return *this;
}

void TSharedView::Reset() {
    win::MappedView view(bytes_);
    bytes_ = nullptr;
}

TSharedView MapSharedBlock(const TSharedBlock& block, uint32_t size) {
    if (!block.Valid()) throw std::runtime_error(win::SystemErrorText(ERROR_INVALID_HANDLE));
    void* view = MapViewOfFile(block.handle_->Kernel.Get(), FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (view == nullptr) throw std::runtime_error(win::SystemErrorText(GetLastError()));
    return TSharedView(static_cast<uint8_t*>(view));
}

TNamedLock::TNamedLock(const std::string& name, uint32_t timeoutMs) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) return;
    mutex_ = mutex;
    // An abandoned lock (its holder was killed) is ours now.
    const DWORD result = WaitForSingleObject(mutex, timeoutMs);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

TNamedLock::~TNamedLock() {
    if (held_) ReleaseMutex(static_cast<HANDLE>(mutex_));
    win::KernelHandle close(static_cast<HANDLE>(mutex_));
}

TInstantLock::TInstantLock(const std::string& name) : mutex_(CreateMutexA(nullptr, FALSE, name.c_str())) {}

TInstantLock::~TInstantLock() { win::KernelHandle close(static_cast<HANDLE>(mutex_)); }

TInstantLock::TInstantLock(TInstantLock&& other) noexcept : mutex_(other.mutex_) { other.mutex_ = nullptr; }

TInstantLock& TInstantLock::operator=(TInstantLock&& other) noexcept {
    if (this != &other) {
        win::KernelHandle close(static_cast<HANDLE>(mutex_));
        mutex_ = other.mutex_;
        other.mutex_ = nullptr;
    }
    return *this;
}

bool TInstantLock::TryTake() noexcept {
    if (mutex_ == nullptr) return false;
    // An abandoned lock (its holder was killed) is ours now.
    const DWORD result = WaitForSingleObject(static_cast<HANDLE>(mutex_), 0);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void TInstantLock::Give() noexcept {
    if (mutex_ != nullptr) ReleaseMutex(static_cast<HANDLE>(mutex_));
}

void BringWindowForward(uint32_t window) {
    if (window == 0) return;
    HWND handle = WindowFromHandle32(window);
    if (IsIconic(handle)) ShowWindow(handle, SW_RESTORE);
    SetForegroundWindow(handle);
}

}  // namespace platform
