// End-to-end test driver: a Win32 console program run under Wine that starts
// the real kestrane.scr and looks at what a person would see: windows,
// pixels, the registry, the exit code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// ---- test registration and checks ----

using TestFn = void (*)();
struct Registrar {
    Registrar(const char* area, const char* name, TestFn fn);
};

#define E2E_TEST(area, name)                                                            \
    static void e2e_##area##_##name();                                                  \
    static ::e2e::Registrar e2e_reg_##area##_##name(#area, #name, e2e_##area##_##name); \
    static void e2e_##area##_##name()

void RecordFailure(const char* file, int line, const std::string& what);
struct RequireFailed {};

// Non-fatal checks: record and carry on.
#define E2E_CHECK(cond)                                                            \
    do {                                                                           \
        if (!(cond)) ::e2e::RecordFailure(__FILE__, __LINE__, "CHECK(" #cond ")"); \
    } while (0)
#define E2E_CHECK_EQ(a, b)                                                                                         \
    do {                                                                                                           \
        auto e2e_a = (a);                                                                                          \
        auto e2e_b = (b);                                                                                          \
        if (!(e2e_a == e2e_b))                                                                                     \
            ::e2e::RecordFailure(__FILE__, __LINE__,                                                               \
                                 "CHECK_EQ(" #a ", " #b "): " + ::e2e::Show(e2e_a) + " vs " + ::e2e::Show(e2e_b)); \
    } while (0)
// Fatal: record and end this test case.
#define E2E_REQUIRE(cond)                                                   \
    do {                                                                    \
        if (!(cond)) {                                                      \
            ::e2e::RecordFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")"); \
            throw ::e2e::RequireFailed{};                                   \
        }                                                                   \
    } while (0)

std::string Show(int64_t v);
std::string Show(uint64_t v);
inline std::string Show(int v) { return Show(static_cast<int64_t>(v)); }
inline std::string Show(long v) { return Show(static_cast<int64_t>(v)); }
inline std::string Show(unsigned v) { return Show(static_cast<uint64_t>(v)); }
inline std::string Show(unsigned long v) { return Show(static_cast<uint64_t>(v)); }
std::string Show(const std::string& v);
inline std::string Show(const char* v) { return Show(std::string(v)); }
inline std::string Show(bool v) { return v ? "true" : "false"; }

// Progress note in the driver's output.
void Note(const std::string& text);

// ---- the program under test ----

// Path of kestrane.scr (the driver's first argument, or beside the driver).
std::string ScrPath();
// Folder of the driver and the other test tools.
std::string ToolsDir();

// A started process, killed when the object goes if it still runs.
class Process {
public:
    Process() = default;
    // Starts "<exe>" <arguments>; exe defaults to kestrane.scr; desktop, when
    // given, names the desktop of this window station it runs on.
    static Process Start(const std::string& arguments, const std::string& exe = "", const char* desktop = nullptr);
    // Takes over a process that another program started.
    static Process Adopt(DWORD processId);
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }
    DWORD MainThreadId() const { return threadId_; }
    bool Running() const;
    // Waits up to timeoutMs; true when it ended, with its exit code.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    DWORD threadId_ = 0;
};

// ---- windows ----

struct WindowInfo {
    HWND Handle = nullptr;
    std::string ClassName;
    std::string Title;
    RECT Rect{};
    bool Visible = false;
    bool TopMost = false;
};

// Top-level windows of a process (visible ones only unless all is set).
std::vector<WindowInfo> WindowsOf(DWORD processId, bool all = false);
WindowInfo Describe(HWND window);
// Waits until a visible top-level window of the process with the class
// name appears; nullptr after timeoutMs.
HWND WaitForWindow(DWORD processId, const std::string& className, DWORD timeoutMs);
// Waits until pred holds (polled every 20 ms); false after timeoutMs.
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs);
// The band: the visible top-level window of class "TfrmSaver".
HWND BandOf(DWORD processId, DWORD timeoutMs = 5000);

// Class name of a window.
std::string ClassOf(HWND window);
// The window's text as the window itself reports it (GetWindowText does not
// ask controls of another process).
std::string TextOf(HWND window);
// Every descendant window, in the order the system enumerates them.
std::vector<HWND> Descendants(HWND parent);
// The first descendant of the class (any case) with the text, nullptr if none.
HWND FindChild(HWND parent, const char* className, const std::string& text);

// ---- screen ----

// A capture of a screen rectangle (pixels as 0x00RRGGBB).
class Shot {
public:
    static Shot Capture(const RECT& area);
    static Shot Screen();
    uint32_t Pixel(int x, int y) const;  // screen coordinates
    const RECT& Area() const { return area_; }
    bool Empty() const { return pixels_.empty(); }

private:
    RECT area_{};
    std::vector<uint32_t> pixels_;
};

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

// Handles the driver's own messages for ms: its windows repaint and take clicks.
void PumpMessages(DWORD ms);

// A plain window of the driver's under the band, as a live program's would be:
// one colour (kUnderColour), counting the clicks it gets.
constexpr uint32_t kUnderColour = 0x4080C0;
class UnderWindow {
public:
    explicit UnderWindow(const RECT& area);
    ~UnderWindow();
    UnderWindow(const UnderWindow&) = delete;
    UnderWindow& operator=(const UnderWindow&) = delete;
    HWND Handle() const { return window_; }
    static int Clicks();
    static void ResetClicks();

private:
    HWND window_ = nullptr;
};

// ---- input ----

void MoveCursor(int x, int y);
POINT CursorPos();
void PressKey(WORD virtualKey, bool alt = false);
// One key-down (a press or an auto-repeat) or one key-up.
void SendKey(WORD virtualKey, bool up);
void TypeText(const std::string& text);
void ClickAt(int x, int y);
// A key pressed with Shift held.
void PressShifted(WORD virtualKey);
void PressShiftTab();

// ---- the virtual desktop run (tests/e2e/run_display.sh) ----

// True, with a note, outside the run in a Wine virtual desktop.
bool SkippedOutsideAVirtualDesktop();
// Moves the X pointer itself through xdotool, as a person's mouse does: Wine
// then records it as the session's input. Once the pointer lies outside
// Wine's shrunk desktop window, only this can move it there.
bool MovePointerAsTheSystemWould(LONG x, LONG y);

// ---- resource counts of a process ----

// Kernel handles (the system's handle list), windows (top-level and child)
// and GDI objects (the process's GDI handle table; -1 when it cannot be
// read). USER objects are not counted: Wine's GetGuiResources returns 0 for
// every process, and windows are the USER objects the program makes.
struct Counts {
    int Handles = 0, Windows = 0, Gdi = 0;
};
int KernelHandles(DWORD processId);
int WindowCount(DWORD processId);
int GdiObjects(HANDLE process);
Counts CountsOf(const Process& process);
std::string Describe(const Counts& counts);
// The later counts equal the first, which must all have been read.
void CheckSameCounts(const Counts& first, const Counts& later);

// ---- the single-instance block ----

// The block's name as the saver computes it: its full path without backslashes.
std::string BlockName();

struct Block {
    bool Exists = false;
    uint32_t Wnd = 0;
    int32_t Count = 0;
};
Block ReadBlock();

// Keeps the block alive from outside, as another process holding it would.
class BlockHolder {
public:
    BlockHolder();
    ~BlockHolder() { Release(); }
    BlockHolder(const BlockHolder&) = delete;
    BlockHolder& operator=(const BlockHolder&) = delete;
    bool Held() const { return mapping_ != nullptr; }
    void Release();

private:
    HANDLE mapping_;
};

// ---- settings in the registry ----

extern const char kSettingsKey[];  // "Software\\Varnel\\KestraneWorkstation"
void DeleteSettingsKey();
bool SettingsKeyExists();
void PutDword(const std::string& name, uint32_t value);
void PutValue(const std::string& name, DWORD type, const std::string& bytes);
void PutString(const std::string& name, const std::string& text, DWORD type = REG_SZ);
// Value type and raw data; false when the value does not exist.
bool ReadValue(const std::string& name, DWORD& type, std::string& bytes);
// Number of values in the settings key (0 when it does not exist).
int ValueCount();
std::string DwordBytes(uint32_t value);

// ---- policies ----

// The four managed places, highest precedence first (recommendations below the own value).
enum class PolicyPlace { Machine, User, MachineRecommended, UserRecommended };
// Removes every policy key of the program; the driver does so when it starts, since one
// left behind would change every later band.
void ClearPolicies();
void PutPolicy(PolicyPlace place, const std::string& name, DWORD type, const std::string& bytes);
void PutPolicyDword(PolicyPlace place, const std::string& name, uint32_t value);
void PutPolicyString(PolicyPlace place, const std::string& name, const std::string& text);
// A value of the machine policy key; false when it does not exist.
bool ReadPolicy(const std::string& name, DWORD& type, std::string& bytes);
// Clears the policies when made and when it goes, also when a check has failed.
struct PolicyScope {
    PolicyScope() { ClearPolicies(); }
    ~PolicyScope() { ClearPolicies(); }
    PolicyScope(const PolicyScope&) = delete;
    PolicyScope& operator=(const PolicyScope&) = delete;
};

}  // namespace e2e
