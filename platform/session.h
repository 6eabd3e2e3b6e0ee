// The operator's session as the resident watcher sees it: the time since the
// last input, the desktops, one watcher per session, and the band's process.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Milliseconds since the session's last keyboard or mouse input.
uint64_t MillisecondsSinceInput();
// The name of the desktop this thread runs on ("Default" on the operator's
// own); empty when the system does not say.
std::string ThreadDesktopName();
// Whether the desktop that takes the input is this thread's own: false
// while the sign-in screen, a locked workstation or a UAC prompt has it.
bool ThreadDesktopHasInput();

// A name held in this session for the life of the object: only the first
// holder of the name gets it.
class TSessionName {
public:
    explicit TSessionName(const std::string& name);
    ~TSessionName();
    TSessionName(const TSessionName&) = delete;
    TSessionName& operator=(const TSessionName&) = delete;
    bool Held() const { return held_; }

private:
    void* mutex_ = nullptr;
    bool held_ = false;
};

// A process of this program's own file, started without the launch feedback
// cursor; its handle is closed when the object goes (the process runs on).
class TChildProcess {
public:
    TChildProcess() = default;
    ~TChildProcess();
    TChildProcess(TChildProcess&& other) noexcept;
    TChildProcess& operator=(TChildProcess&& other) noexcept;
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Runs this program with the arguments; an invalid object when it cannot.
    static TChildProcess StartOwnProgram(const std::string& arguments);
    bool Valid() const { return process_ != nullptr; }
    bool Ended() const;
    void* Handle() const { return process_; }

private:
    void* process_ = nullptr;
};

// Waits until one of the handles is signalled (its index), a message comes
// (-1) or timeoutMs pass (-2); null handles are passed over. Messages that
// came are taken off the queue.
int32_t WaitForAny(void* const* handles, uint32_t count, uint32_t timeoutMs);

}  // namespace platform
