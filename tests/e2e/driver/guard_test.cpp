// The single-instance guard between real copies of the saver: refusals,
// registering again, bursts of starts, killed copies, and a block name
// taken by something else.
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/driver/harness.h"

namespace {

using e2e::Block;
using e2e::BlockHolder;
using e2e::BlockName;
using e2e::ReadBlock;

// An object of another kind or shape under the block's name, closed when it goes.
class Squatter {
public:
    explicit Squatter(HANDLE handle) : handle_(handle) {}
    ~Squatter() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    Squatter(const Squatter&) = delete;
    Squatter& operator=(const Squatter&) = delete;
    bool Valid() const { return handle_ != nullptr; }

private:
    HANDLE handle_;
};

HWND WindowFromBlock(uint32_t wnd) { return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(wnd))); }

uint32_t Handle32(HWND window) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu); }

HWND ApplicationWindowOf(DWORD processId) {
    for (const e2e::WindowInfo& w : e2e::WindowsOf(processId, true)) {
        if (w.ClassName == "TApplication") return w.Handle;
    }
    return nullptr;
}

DWORD ProcessOfWindow(HWND window) {
    DWORD pid = 0;
    if (window != nullptr) GetWindowThreadProcessId(window, &pid);
    return pid;
}

// Moves the cursor far enough to close the band and waits for the copy to end.
void Dismiss(e2e::Process& saver) {
    POINT p = e2e::CursorPos();
    e2e::MoveCursor(p.x + 50, p.y + 50);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(3000, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
    e2e::MoveCursor(p.x, p.y);
}

// Starts a band and waits until it shows. Settings left damaged by another
// test would put an error dialog in the way first.
e2e::Process StartBand() {
    e2e::DeleteSettingsKey();
    e2e::Process saver = e2e::Process::Start("/s");
    E2E_REQUIRE(e2e::BandOf(saver.Id(), 8000) != nullptr);
    return saver;
}

struct Refusal {
    bool Ended = false;
    DWORD ExitCode = 99;
    DWORD Lifetime = 0;
    bool ShowedWindow = false;
};

// A start that is expected to be turned away.
Refusal StartRefused(const std::string& arguments) {
    e2e::DeleteSettingsKey();
    Refusal refusal;
    const DWORD start = GetTickCount();
    e2e::Process copy = e2e::Process::Start(arguments);
    e2e::WaitUntil(
        [&] {
            if (!e2e::WindowsOf(copy.Id()).empty()) refusal.ShowedWindow = true;
            return !copy.Running();
        },
        5000);
    refusal.Lifetime = GetTickCount() - start;
    refusal.Ended = copy.WaitExit(0, &refusal.ExitCode);
    return refusal;
}

// A window of the driver's own that takes the foreground.
class ForegroundDecoy {
public:
    ForegroundDecoy() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = "E2eForegroundDecoy";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "E2eForegroundDecoy", "decoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 600, 200,
                                  100, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~ForegroundDecoy() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    ForegroundDecoy(const ForegroundDecoy&) = delete;
    ForegroundDecoy& operator=(const ForegroundDecoy&) = delete;
    bool TakeForeground() {
        SetForegroundWindow(window_);
        Pump();
        return GetForegroundWindow() == window_;
    }
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

private:
    HWND window_ = nullptr;
};

// Text of the static control that carries a message box's message.
std::string MessageTextOf(HWND box) {
    std::string best;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM param) -> BOOL {
            char className[64] = {};
            GetClassNameA(child, className, sizeof(className));
            if (lstrcmpiA(className, "Static") != 0) return TRUE;
            char text[1024] = {};
            GetWindowTextA(child, text, sizeof(text));
            auto* best = reinterpret_cast<std::string*>(param);
            if (std::strlen(text) > best->size()) *best = text;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&best));
    return best;
}

int CountWindowsOfClass(DWORD processId, const std::string& className) {
    int count = 0;
    for (const e2e::WindowInfo& w : e2e::WindowsOf(processId)) {
        if (w.ClassName == className) ++count;
    }
    return count;
}

// Starts a copy while a foreign object holds the block's name and expects
// the platform error in one message box, and no band.
void ExpectPlatformError(const char* what) {
    e2e::DeleteSettingsKey();
    e2e::Process copy = e2e::Process::Start("/s");
    HWND box = e2e::WaitForWindow(copy.Id(), "#32770", 8000);
    E2E_REQUIRE(box != nullptr);
    Sleep(300);
    const std::string text = MessageTextOf(box);
    e2e::Note(std::string(what) + ": \"" + text + "\"");
    E2E_CHECK(text.rfind("System Error.  Code: ", 0) == 0 || text == "A call to an OS function failed");
    E2E_CHECK(text.find("\r\n") != std::string::npos || text == "A call to an OS function failed");
    E2E_CHECK_EQ(CountWindowsOfClass(copy.Id(), "#32770"), 1);
    E2E_CHECK_EQ(CountWindowsOfClass(copy.Id(), "TfrmSaver"), 0);
    char title[256] = {};
    GetWindowTextA(box, title, sizeof(title));
    E2E_CHECK_EQ(std::string(title), std::string("Kestrane Workstation Screen Saver"));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD exitCode = 99;
    E2E_CHECK(copy.WaitExit(3000, &exitCode));
    E2E_CHECK_EQ(exitCode, 1UL);
    E2E_CHECK_EQ(CountWindowsOfClass(copy.Id(), "TfrmSaver"), 0);
}

// A block of our name whose view some systems refuse to map for writing
// (too small, read-only) while others map it anyway: either the platform
// error and no band, or a band that registered in that block normally.
void ExpectErrorOrWorkingBand(const char* what) {
    e2e::DeleteSettingsKey();
    e2e::Process copy = e2e::Process::Start("/s");
    HWND found = nullptr;
    e2e::WaitUntil(
        [&] {
            found = e2e::BandOf(copy.Id(), 0);
            if (found == nullptr) found = e2e::WaitForWindow(copy.Id(), "#32770", 0);
            return found != nullptr;
        },
        8000);
    E2E_REQUIRE(found != nullptr);
    if (e2e::Describe(found).ClassName == "TfrmSaver") {
        e2e::Note(std::string(what) + ": the system mapped it; the copy registered in it");
        E2E_CHECK_EQ(ReadBlock().Count, 1);
        E2E_CHECK_EQ(CountWindowsOfClass(copy.Id(), "#32770"), 0);
        Dismiss(copy);
        E2E_CHECK_EQ(ReadBlock().Count, 0);
        return;
    }
    copy.Kill();
    e2e::Note(std::string(what) + ": the system refused the view");
    ExpectPlatformError(what);
}

}  // namespace

E2E_TEST(guard, FirstStartRegistersUnderItsApplicationWindow) {
    E2E_REQUIRE(!ReadBlock().Exists);
    e2e::Process saver = StartBand();
    Block block = ReadBlock();
    E2E_CHECK(block.Exists);
    E2E_CHECK_EQ(block.Count, 1);
    E2E_CHECK_EQ(block.Wnd, Handle32(ApplicationWindowOf(saver.Id())));
    Dismiss(saver);
    // Nobody else held it: the block went with the copy.
    E2E_CHECK(!ReadBlock().Exists);
}

E2E_TEST(guard, SecondStartInAnyModeEndsAtOnceAndBringsTheBandForward) {
    e2e::Process saver = StartBand();
    const Block before = ReadBlock();
    ForegroundDecoy decoy;
    for (const char* arguments : {"/s", "/c", "/p 12345", "", "/a"}) {
        const bool decoyInFront = decoy.TakeForeground();
        const Refusal refusal = StartRefused(arguments);
        e2e::Note(std::string("\"") + arguments + "\" ended after " + std::to_string(refusal.Lifetime) + " ms");
        E2E_CHECK(refusal.Ended);
        E2E_CHECK_EQ(refusal.ExitCode, 0UL);
        E2E_CHECK(!refusal.ShowedWindow);
        E2E_CHECK(refusal.Lifetime < 3000);
        if (decoyInFront) {
            // The system may take a moment to report the change.
            e2e::WaitUntil([&] { return ProcessOfWindow(GetForegroundWindow()) == saver.Id(); }, 1000);
            E2E_CHECK_EQ(ProcessOfWindow(GetForegroundWindow()), saver.Id());
        } else {
            e2e::Note("the decoy could not take the foreground; bringing forward not observed");
        }
        const Block after = ReadBlock();
        E2E_CHECK_EQ(after.Count, 1);
        E2E_CHECK_EQ(after.Wnd, before.Wnd);
        E2E_CHECK(saver.Running());
    }
    E2E_CHECK(e2e::BandOf(saver.Id(), 0) != nullptr);
    Dismiss(saver);
}

E2E_TEST(guard, RefusedStartRestoresAMinimisedCopy) {
    e2e::Process saver = StartBand();
    const HWND application = WindowFromBlock(ReadBlock().Wnd);
    E2E_REQUIRE(application != nullptr);
    ShowWindow(application, SW_MINIMIZE);
    e2e::WaitUntil([&] { return IsIconic(application) != FALSE; }, 2000);
    E2E_REQUIRE(IsIconic(application));
    const Refusal refusal = StartRefused("/c");
    E2E_CHECK(refusal.Ended);
    E2E_CHECK_EQ(refusal.ExitCode, 0UL);
    E2E_CHECK(e2e::WaitUntil([&] { return IsIconic(application) == FALSE; }, 2000));
    if (saver.Running()) Dismiss(saver);
}

E2E_TEST(guard, AfterTheBandIsDismissedANewStartRegisters) {
    e2e::Process first = StartBand();
    // Hold the block so that the given-back place can be seen.
    BlockHolder holder;
    E2E_REQUIRE(holder.Held());
    Dismiss(first);
    Block block = ReadBlock();
    E2E_CHECK(block.Exists);
    E2E_CHECK_EQ(block.Count, 0);
    e2e::Process second = StartBand();
    block = ReadBlock();
    E2E_CHECK_EQ(block.Count, 1);
    E2E_CHECK_EQ(block.Wnd, Handle32(ApplicationWindowOf(second.Id())));
    Dismiss(second);
    holder.Release();
    E2E_CHECK(!ReadBlock().Exists);
    // And without anyone holding the block.
    e2e::Process third = StartBand();
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    Dismiss(third);
}

static void BurstLeavesOne(int copies) {
    E2E_REQUIRE(!ReadBlock().Exists);
    e2e::DeleteSettingsKey();
    std::vector<e2e::Process> started;
    for (int i = 0; i < copies; ++i) started.push_back(e2e::Process::Start("/s"));
    Sleep(3000);
    int running = 0, bands = 0, cleanExits = 0;
    e2e::Process* survivor = nullptr;
    for (e2e::Process& p : started) {
        if (p.Running()) {
            ++running;
            survivor = &p;
        } else {
            DWORD exitCode = 99;
            p.WaitExit(0, &exitCode);
            if (exitCode == 0) ++cleanExits;
        }
        if (e2e::BandOf(p.Id(), 0) != nullptr) ++bands;
    }
    e2e::Note(std::to_string(copies) + " starts: " + std::to_string(running) + " running, " + std::to_string(bands) +
              " bands, " + std::to_string(cleanExits) + " ended with 0");
    E2E_CHECK_EQ(running, 1);
    E2E_CHECK_EQ(bands, 1);
    E2E_CHECK_EQ(cleanExits, copies - 1);
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    if (survivor != nullptr) Dismiss(*survivor);
}

E2E_TEST(guard, TenStartsAtOnceLeaveExactlyOne) { BurstLeavesOne(10); }

E2E_TEST(guard, TwentyStartsAtOnceLeaveExactlyOne) { BurstLeavesOne(20); }

E2E_TEST(guard, KilledCopyFreesItsPlaceWhenNobodyElseHoldsTheBlock) {
    e2e::Process saver = StartBand();
    saver.Kill();
    // The killed copy's handles closed with it, and with them the block.
    E2E_CHECK(!ReadBlock().Exists);
    e2e::Process next = StartBand();
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    Dismiss(next);
}

E2E_TEST(guard, KilledCopyStaysCountedWhileAnotherProcessHoldsTheBlock) {
    e2e::Process saver = StartBand();
    BlockHolder holder;
    E2E_REQUIRE(holder.Held());
    saver.Kill();
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    // Its place is still counted: starts are refused, and bringing forward
    // the dead copy's window has no effect.
    const Refusal refusal = StartRefused("/s");
    E2E_CHECK(refusal.Ended);
    E2E_CHECK_EQ(refusal.ExitCode, 0UL);
    E2E_CHECK(!refusal.ShowedWindow);
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    // Once the last holder lets go the block is gone and a start registers.
    holder.Release();
    E2E_CHECK(!ReadBlock().Exists);
    e2e::Process next = StartBand();
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    Dismiss(next);
}

E2E_TEST(guard, NameTakenByAMutexFailsWithThePlatformError) {
    Squatter squatter(CreateMutexA(nullptr, FALSE, BlockName().c_str()));
    E2E_REQUIRE(squatter.Valid());
    ExpectPlatformError("mutex");
}

E2E_TEST(guard, NameTakenByAnEventFailsWithThePlatformError) {
    Squatter squatter(CreateEventA(nullptr, TRUE, FALSE, BlockName().c_str()));
    E2E_REQUIRE(squatter.Valid());
    ExpectPlatformError("event");
}

E2E_TEST(guard, SmallerBlockOfTheSameNameFailsOrServes) {
    Squatter squatter(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, BlockName().c_str()));
    E2E_REQUIRE(squatter.Valid());
    ExpectErrorOrWorkingBand("4-byte block");
}

E2E_TEST(guard, ReadOnlyBlockOfTheSameNameFailsOrServes) {
    Squatter squatter(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 8, BlockName().c_str()));
    E2E_REQUIRE(squatter.Valid());
    ExpectErrorOrWorkingBand("read-only block");
}

E2E_TEST(guard, LargerBlockOfTheSameNameServesAsTheBlock) {
    // A larger block maps as well as ours: its first 8 bytes are the block.
    Squatter squatter(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, BlockName().c_str()));
    E2E_REQUIRE(squatter.Valid());
    e2e::Process saver = StartBand();
    E2E_CHECK_EQ(ReadBlock().Count, 1);
    const Refusal refusal = StartRefused("/s");
    E2E_CHECK(refusal.Ended);
    E2E_CHECK_EQ(refusal.ExitCode, 0UL);
    Dismiss(saver);
    E2E_CHECK_EQ(ReadBlock().Count, 0);
}
