// The control system's command, kestrane.scr /e [seconds]: it ends the band
// as a move would, through named objects in the global namespace that any
// local account may signal and nothing more.
#include "tests/e2e/driver/harness.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

using namespace e2e;

// Runs kestrane.scr with the arguments, its standard error in a pipe.
struct TRun {
    DWORD ExitCode = 99;
    DWORD Ms = 0;
    std::string Error;
};
TRun RunCommand(const std::string& arguments) {
    TRun run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    E2E_REQUIRE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = writeEnd;
    std::string commandLine = "\"" + ScrPath() + "\" " + arguments;
    PROCESS_INFORMATION info{};
    const DWORD start = GetTickCount();
    const BOOL started =
        CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) run.Error.append(buffer, got);
        WaitForSingleObject(info.hProcess, 10000);
        run.Ms = GetTickCount() - start;
        GetExitCodeProcess(info.hProcess, &run.ExitCode);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(readEnd);
    E2E_REQUIRE(started);
    return run;
}

// The access list of a named object, in the system's text form.
std::string AccessOf(HANDLE object) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return "<unreadable>";
    }
    char* text = nullptr;
    std::string result = "<unconvertible>";
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        result = text;
        LocalFree(text);
    }
    LocalFree(descriptor);
    return result;
}

E2E_TEST(control, TheEndCommandEndsTheBandAsAMoveWouldAndOnlyThat) {
    DeleteSettingsKey();
    // Nothing runs: a no-op that still answers 0.
    const TRun idle = RunCommand("/e");
    E2E_CHECK_EQ(idle.ExitCode, 0ul);
    E2E_CHECK(idle.Error.empty());

    MoveCursor(640, 480);
    Process saver = Process::Start("/s");
    E2E_REQUIRE(BandOf(saver.Id()) != nullptr);
    // The objects the band waits on: local accounts may signal, nothing more.
    HANDLE end = OpenEventA(SYNCHRONIZE | READ_CONTROL, FALSE, "Global\\Varnel.KestraneWorkstation.End");
    HANDLE hold = OpenWaitableTimerA(SYNCHRONIZE | READ_CONTROL, FALSE, "Global\\Varnel.KestraneWorkstation.Hold");
    E2E_REQUIRE(end != nullptr && hold != nullptr);
    const std::string expected = "D:(A;;0x100002;;;AU)(A;;0x100002;;;SY)(A;;GA;;;BA)";
    E2E_CHECK_EQ(AccessOf(end), expected);
    E2E_CHECK_EQ(AccessOf(hold), expected);
    E2E_CHECK(WaitForSingleObject(end, 0) == WAIT_TIMEOUT);
    E2E_CHECK(WaitForSingleObject(hold, 0) == WAIT_OBJECT_0);  // no hold stands

    const DWORD start = GetTickCount();
    Process command = Process::Start("/e:60");
    DWORD code = 99;
    E2E_CHECK(saver.WaitExit(1000, &code));
    Note("band gone " + std::to_string(GetTickCount() - start) + " ms after the command started");
    E2E_CHECK_EQ(code, 0ul);
    E2E_CHECK(command.WaitExit(5000, &code));
    E2E_CHECK_EQ(code, 0ul);
    E2E_CHECK(WaitForSingleObject(end, 0) == WAIT_TIMEOUT);   // withdrawn again
    E2E_CHECK(WaitForSingleObject(hold, 0) == WAIT_TIMEOUT);  // the watchers' hold stands
    CloseHandle(end);
    CloseHandle(hold);

    // A band whose window no longer answers still goes: its watchdog counts the request as a move.
    MoveCursor(650, 480);
    Process stuck = Process::Start("/s");
    E2E_REQUIRE(BandOf(stuck.Id()) != nullptr);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, stuck.MainThreadId());
    E2E_REQUIRE(thread != nullptr);
    SuspendThread(thread);
    const DWORD sent = GetTickCount();
    E2E_CHECK_EQ(RunCommand("/e").ExitCode, 0ul);
    E2E_CHECK(stuck.WaitExit(3000, &code));
    Note("stuck band ended " + std::to_string(GetTickCount() - sent) + " ms after the command, exit code " +
         std::to_string(code));
    CloseHandle(thread);

    // Bad arguments: a message for the caller and a code of their own; nothing signalled.
    for (const char* bad : {"/e abc", "/e 0", "/e 86401", "/e:5 6", "/e 5 6"}) {
        const TRun run = RunCommand(bad);
        E2E_CHECK_EQ(run.ExitCode, 2ul);
        E2E_CHECK(run.Error.find("Usage: kestrane.scr /e [seconds]") != std::string::npos);
        if (run.ExitCode != 2) Note(std::string(bad) + ": " + run.Error);
    }
    E2E_CHECK(RunCommand("/e abc").Error.find("\"abc\" is not a number of seconds from 1 to 86400") !=
              std::string::npos);
}

}  // namespace
