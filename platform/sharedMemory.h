// Named shared memory between copies of the program, a named lock, and
// bringing another copy's window forward.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class TSharedView;

// The full path of the program's own file, as the system reports it.
std::string OwnModulePath();

// A handle to a named block of memory backed by the paging file; closed
// when the object goes.
class TSharedBlock {
public:
    TSharedBlock();
    ~TSharedBlock();
    TSharedBlock(TSharedBlock&& other) noexcept;
    TSharedBlock& operator=(TSharedBlock&& other) noexcept;
    TSharedBlock(const TSharedBlock&) = delete;
    TSharedBlock& operator=(const TSharedBlock&) = delete;

    bool Valid() const;
    void Close();

    struct Handle;

private:
    explicit TSharedBlock(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> handle_;
    friend TSharedBlock CreateSharedBlock(const std::string& name, uint32_t size, bool& alreadyExisted);
    friend TSharedBlock OpenSharedBlock(const std::string& name);
    friend TSharedView MapSharedBlock(const TSharedBlock& block, uint32_t size);
};

// This process's view of a shared block; unmapped when the object goes.
class TSharedView {
public:
    TSharedView() = default;
    ~TSharedView();
    TSharedView(TSharedView&& other) noexcept;
    TSharedView& operator=(TSharedView&& other) noexcept;
    TSharedView(const TSharedView&) = delete;
    TSharedView& operator=(const TSharedView&) = delete;

    bool Valid() const { return bytes_ != nullptr; }
    uint8_t* Bytes() const { return bytes_; }
    void Reset();

private:
    explicit TSharedView(uint8_t* bytes) : bytes_(bytes) {}
    uint8_t* bytes_ = nullptr;
    friend TSharedView MapSharedBlock(const TSharedBlock& block, uint32_t size);
};

// Creates the named block of size bytes for reading and writing, or gets a
// handle to the one that exists (alreadyExisted set). Throws the platform's
// error when the system refuses.
TSharedBlock CreateSharedBlock(const std::string& name, uint32_t size, bool& alreadyExisted);
// Opens an existing block by name with all access; an invalid block when
// the system refuses.
TSharedBlock OpenSharedBlock(const std::string& name);
// Maps the first size bytes of the block. Throws the platform's error when
// the system refuses.
TSharedView MapSharedBlock(const TSharedBlock& block, uint32_t size);

// Holds a named lock shared between processes for its lifetime. When the
// lock cannot be had (the name taken by another kind of object, or a holder
// that does not let go within timeoutMs), the caller goes on without it.
class TNamedLock {
public:
    TNamedLock(const std::string& name, uint32_t timeoutMs);
    ~TNamedLock();
    TNamedLock(const TNamedLock&) = delete;
    TNamedLock& operator=(const TNamedLock&) = delete;
    bool Held() const { return held_; }

private:
    void* mutex_ = nullptr;
    bool held_ = false;
};

// A named lock opened in advance for a path that must never wait: taken
// only when it is free at that instant.
class TInstantLock {
public:
    TInstantLock() = default;
    explicit TInstantLock(const std::string& name);
    ~TInstantLock();
    TInstantLock(TInstantLock&& other) noexcept;
    TInstantLock& operator=(TInstantLock&& other) noexcept;
    TInstantLock(const TInstantLock&) = delete;
    TInstantLock& operator=(const TInstantLock&) = delete;
    bool TryTake() noexcept;
    void Give() noexcept;

private:
    void* mutex_ = nullptr;
};

// Restores the window named by a 32-bit handle if it is minimised, then
// brings it to the foreground. No effect on a window that no longer exists.
void BringWindowForward(uint32_t window);

}  // namespace platform
