// The preview drawn into a host window of another program: fitting, the
// blink with the clock, and the ends (host gone, hidden, never there).
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/driver/harness.h"

namespace {

struct HostReport {
    std::string Output;
    std::map<std::string, std::string> Values;  // from the "host" and "result" lines
    std::vector<std::string> Changes;           // the "change" lines, in order

    bool Has(const std::string& key) const { return Values.count(key) != 0; }
    long Number(const std::string& key) const {
        auto found = Values.find(key);
        return found == Values.end() ? -999999 : std::strtol(found->second.c_str(), nullptr, 10);
    }
    std::string Text(const std::string& key) const {
        auto found = Values.find(key);
        return found == Values.end() ? std::string() : found->second;
    }
};

// Runs the test host with the saver beside the driver and collects its report.
HostReport RunHost(const std::string& arguments, DWORD timeoutMs) {
    // Damaged settings left by another test would put an error dialog first.
    e2e::DeleteSettingsKey();
    HostReport report;
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "kph", 0, path);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY, nullptr);
    E2E_REQUIRE(out != INVALID_HANDLE_VALUE);
    const std::string host = e2e::ToolsDir() + "previewHost.exe";
    std::string commandLine = "\"" + host + "\" \"" + e2e::ScrPath() + "\" " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    startup.hStdInput = nullptr;
    PROCESS_INFORMATION info{};
    const BOOL started =
        CreateProcessA(host.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(out);
    E2E_REQUIRE(started);
    CloseHandle(info.hThread);
    if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        e2e::RecordFailure(__FILE__, __LINE__, "the preview host did not finish: " + arguments);
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hProcess);

    HANDLE in = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in != INVALID_HANDLE_VALUE) {
        char chunk[4096];
        DWORD read = 0;
        while (ReadFile(in, chunk, sizeof(chunk), &read, nullptr) && read > 0) report.Output.append(chunk, read);
        CloseHandle(in);
    }
    DeleteFileA(path);

    std::istringstream lines(report.Output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "change") report.Changes.push_back(line);
        if (word != "result" && word != "host") continue;
        while (words >> word) {
            size_t eq = word.find('=');
            if (eq != std::string::npos) report.Values[word.substr(0, eq)] = word.substr(eq + 1);
        }
    }
    return report;
}

void NoteReport(const HostReport& report) {
    std::istringstream lines(report.Output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("result", 0) == 0 || line.rfind("bad", 0) == 0) e2e::Note(line);
    }
}

// The report of a host whose preview blinked for a while.
void CheckBlinking(const HostReport& r) {
    E2E_CHECK_EQ(r.Text("error"), std::string());
    E2E_CHECK(r.Number("checked") > 100);
    E2E_CHECK_EQ(r.Number("phase_bad"), 0L);
    E2E_CHECK(r.Number("logo_seen") > 0);
    E2E_CHECK(r.Number("black_seen") > 0);
    E2E_CHECK_EQ(r.Number("outside_max"), 0L);
    E2E_CHECK_EQ(r.Number("missed"), 0L);
    // Drawn at the start of each even second, blacked out at each odd one.
    E2E_CHECK(r.Number("draw_count") >= 1);
    E2E_CHECK(r.Number("black_count") >= 1);
    E2E_CHECK(r.Number("draw_max") >= 0 && r.Number("draw_max") <= 50);
    E2E_CHECK(r.Number("black_max") >= 0 && r.Number("black_max") <= 50);
}

// Milliseconds that a saver started with arguments runs, with its exit code.
DWORD Lifetime(const std::string& arguments, DWORD& exitCode, bool& showedWindow) {
    e2e::DeleteSettingsKey();
    const DWORD start = GetTickCount();
    e2e::Process saver = e2e::Process::Start(arguments);
    showedWindow = false;
    e2e::WaitUntil(
        [&] {
            // The application window is shown, but it has no area and lies off-screen.
            for (const e2e::WindowInfo& w : e2e::WindowsOf(saver.Id())) {
                if (w.ClassName != "TApplication" || w.Rect.right > w.Rect.left || w.Rect.bottom > w.Rect.top) {
                    showedWindow = true;
                }
            }
            return !saver.Running();
        },
        10000);
    const DWORD lifetime = GetTickCount() - start;
    E2E_REQUIRE(saver.WaitExit(0, &exitCode));
    return lifetime;
}

}  // namespace

E2E_TEST(preview, BlinksTheFittedLogoWithTheSeconds) {
    HostReport r = RunHost("152 112 --duration 6500", 20000);
    NoteReport(r);
    E2E_CHECK_EQ(r.Text("logo"), std::string("0,39,152,72"));
    CheckBlinking(r);
    E2E_CHECK(r.Number("transitions") >= 4);
    // Destroying the host ends the saver at its next pass.
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
    E2E_CHECK(r.Number("saver_end_after_event_ms") >= 0);
    E2E_CHECK(r.Number("saver_end_after_event_ms") <= 1000);
}

E2E_TEST(preview, FitsAHeightBoundHost) {
    HostReport r = RunHost("100 10 --duration 4500", 20000);
    NoteReport(r);
    E2E_CHECK_EQ(r.Text("logo"), std::string("27,0,72,10"));
    CheckBlinking(r);
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
}

E2E_TEST(preview, HostDestroyedInTheMiddleOfABlinkEndsTheSaver) {
    HostReport r = RunHost("152 112 --duration 3300", 20000);
    NoteReport(r);
    E2E_CHECK_EQ(r.Number("outside_max"), 0L);
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
    E2E_CHECK(r.Number("saver_end_after_event_ms") >= 0);
    E2E_CHECK(r.Number("saver_end_after_event_ms") <= 1000);
}

E2E_TEST(preview, HiddenHostEndsTheSaver) {
    HostReport r = RunHost("152 112 --duration 6000 --hide-after 3000", 20000);
    NoteReport(r);
    E2E_CHECK_EQ(r.Number("phase_bad"), 0L);
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
    E2E_CHECK(r.Number("saver_end_after_event_ms") >= 0);
    E2E_CHECK(r.Number("saver_end_after_event_ms") <= 1000);
}

E2E_TEST(preview, HostShownAgainAfterHidingGetsNothingMore) {
    HostReport r = RunHost("152 112 --duration 6500 --hide-after 2500 --show-after 3500", 20000);
    NoteReport(r);
    E2E_CHECK(r.Number("saver_end_after_event_ms") >= 0);
    E2E_CHECK(r.Number("saver_end_after_event_ms") <= 1000);
    // After the window came back no logo appears, even seconds included.
    for (const std::string& change : r.Changes) {
        long t = std::strtol(change.c_str() + change.find("t=") + 2, nullptr, 10);
        if (t > 3500) E2E_CHECK(change.find("state=L") == std::string::npos);
    }
    E2E_CHECK_EQ(r.Number("outside_max"), 0L);
}

E2E_TEST(preview, ResizedHostKeepsTheFirstLogoRect) {
    HostReport r = RunHost("152 112 --duration 6500 --resize-after 2500 300x60", 20000);
    NoteReport(r);
    // Nothing ever lands outside (0, 39, 152, 72), also in the larger window.
    E2E_CHECK_EQ(r.Number("outside_max"), 0L);
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
    E2E_CHECK(r.Number("saver_end_after_event_ms") <= 1000);
}

E2E_TEST(preview, ZeroSizeHostGetsNothingAndEndsWithIt) {
    HostReport r = RunHost("0 0 --duration 5000", 20000);
    NoteReport(r);
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
    // Past the 3 s deadline: the host counted as there, and the saver
    // waited for it to go rather than ending or failing.
    E2E_CHECK(r.Number("saver_lifetime_ms") >= 4500);
    E2E_CHECK(r.Number("saver_end_after_event_ms") >= 0);
    E2E_CHECK(r.Number("saver_end_after_event_ms") <= 1000);
}

E2E_TEST(preview, HostVisibleJustBeforeTheDeadlineIsServed) {
    HostReport r = RunHost("152 112 --hidden-start --show-after 2900 --duration 7000 --settle 4200", 20000);
    NoteReport(r);
    CheckBlinking(r);
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
    E2E_CHECK(r.Number("saver_lifetime_ms") >= 6500);
}

E2E_TEST(preview, HostNeverShownEndsTheSaverAtTheDeadline) {
    HostReport r = RunHost("152 112 --hidden-start --duration 6000", 20000);
    NoteReport(r);
    E2E_CHECK_EQ(r.Number("saver_exit"), 0L);
    const long lifetime = r.Number("saver_lifetime_ms");
    E2E_CHECK(lifetime >= 2500 && lifetime <= 4500);
}

E2E_TEST(preview, HandleNamingNoWindowEndsAfterAboutThreeSeconds) {
    DWORD exitCode = 99;
    bool showed = true;
    const DWORD lifetime = Lifetime("/p 1", exitCode, showed);
    e2e::Note("lifetime " + std::to_string(lifetime) + " ms");
    E2E_CHECK(lifetime >= 2500 && lifetime <= 4500);
    E2E_CHECK_EQ(exitCode, 0UL);
    E2E_CHECK(!showed);
}

E2E_TEST(preview, NoHandleEndsAtOnce) {
    for (const char* arguments : {"/p 0", "/p abc", "/l 0"}) {
        DWORD exitCode = 99;
        bool showed = true;
        const DWORD lifetime = Lifetime(arguments, exitCode, showed);
        e2e::Note(std::string(arguments) + ": lifetime " + std::to_string(lifetime) + " ms");
        E2E_CHECK(lifetime < 1500);
        E2E_CHECK_EQ(exitCode, 0UL);
        E2E_CHECK(!showed);
    }
}

E2E_TEST(preview, HostOfAProgramThatEndsEndsTheSaver) {
    e2e::Process host = e2e::Process::Start("\"" + e2e::ScrPath() + "\" 152 112 --no-saver --duration 20000",
                                            e2e::ToolsDir() + "previewHost.exe");
    HWND window = e2e::WaitForWindow(host.Id(), "KestranePreviewHost", 5000);
    E2E_REQUIRE(window != nullptr);
    e2e::DeleteSettingsKey();
    // A number above 2147483647: Wine takes a handle whose high word is
    // 0xFFFF as naming the window of its low word, as Windows takes any
    // handle with the top bit set.
    const uint32_t handle = 0xFFFF0000u | static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window) & 0xFFFFu);
    E2E_CHECK(IsWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle)))) != FALSE);
    e2e::Process saver = e2e::Process::Start("/p " + std::to_string(handle));
    // Past the 3 s a preview waits for a host it cannot find.
    Sleep(3500);
    E2E_REQUIRE(saver.Running());
    host.Kill();
    const DWORD killed = GetTickCount();
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(1000, &exitCode));
    e2e::Note("saver ended " + std::to_string(GetTickCount() - killed) + " ms after its host's program");
    E2E_CHECK_EQ(exitCode, 0UL);
}

E2E_TEST(preview, AnswersMessagesWhileBlinkingAndEndsOnACloseRequest) {
    e2e::Process host = e2e::Process::Start("\"" + e2e::ScrPath() + "\" 152 112 --no-saver --duration 20000",
                                            e2e::ToolsDir() + "previewHost.exe");
    HWND window = e2e::WaitForWindow(host.Id(), "KestranePreviewHost", 5000);
    E2E_REQUIRE(window != nullptr);
    e2e::DeleteSettingsKey();
    const unsigned long handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu);
    e2e::Process saver = e2e::Process::Start("/p " + std::to_string(handle));
    HWND application = nullptr;
    e2e::WaitUntil(
        [&] {
            for (const e2e::WindowInfo& w : e2e::WindowsOf(saver.Id(), true)) {
                if (w.ClassName == "TApplication") application = w.Handle;
            }
            return application != nullptr;
        },
        5000);
    E2E_REQUIRE(application != nullptr);
    Sleep(1500);
    // Its own messages flow while it blinks: a sent message is answered.
    for (int i = 0; i < 5; ++i) {
        DWORD_PTR result = 0;
        const DWORD before = GetTickCount();
        E2E_CHECK(SendMessageTimeoutA(application, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &result) != 0);
        E2E_CHECK(GetTickCount() - before < 200);
        Sleep(230);
    }
    PostMessageA(application, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    E2E_CHECK(saver.WaitExit(1000, &exitCode));
    E2E_CHECK_EQ(exitCode, 0UL);
}

namespace {

struct TChange {
    double T = 0;
    int Second = 0, Millisecond = 0;
    char State = '?';
};

std::vector<TChange> ChangesOf(const HostReport& r) {
    std::vector<TChange> changes;
    for (const std::string& line : r.Changes) {
        TChange c;
        char state = '?';
        if (std::sscanf(line.c_str(), "change t=%lf local=%d.%d state=%c", &c.T, &c.Second, &c.Millisecond, &state) ==
            4) {
            c.State = state;
            changes.push_back(c);
        }
    }
    return changes;
}

// The first time the logo shows in the host.
const TChange* FirstLogo(const std::vector<TChange>& changes) {
    for (const TChange& c : changes) {
        if (c.State == 'L') return &c;
    }
    return nullptr;
}

}  // namespace

E2E_TEST(preview, StartedInAnOddSecondDrawsNothingUntilTheNextEvenOne) {
    HostReport r = RunHost("152 112 --start-in odd --duration 3500", 20000);
    NoteReport(r);
    const std::vector<TChange> changes = ChangesOf(r);
    const TChange* logo = FirstLogo(changes);
    E2E_REQUIRE(logo != nullptr);
    e2e::Note("first logo at t=" + std::to_string(static_cast<int>(logo->T)) +
              " local=" + std::to_string(logo->Second) + "." + std::to_string(logo->Millisecond));
    for (const TChange& c : changes) {
        if (&c == logo) break;
        E2E_CHECK(c.State == 'B');  // nothing of the logo before it
    }
    E2E_CHECK_EQ(logo->Second % 2, 0);
    // Drawn when the even second begins, if the saver was up by then. On a
    // loaded machine Wine may take longer than the odd second to start it;
    // then it must draw as soon as it is up, the second being even already.
    const double boundary = logo->T - logo->Millisecond;
    const long ready = r.Number("saver_ready_ms");
    E2E_REQUIRE(ready >= 0);
    e2e::Note("saver ready at t=" + std::to_string(ready) +
              ", even second began at t=" + std::to_string(static_cast<int>(boundary)));
    if (ready + 100 < boundary) {
        E2E_CHECK(logo->Millisecond <= 60);
        E2E_CHECK(logo->T >= 900 && logo->T <= 1100);
    } else {
        E2E_CHECK(logo->T - ready <= 300);
    }
}

E2E_TEST(preview, StartedInAnEvenSecondWithTheHostShownDrawsAtOnce) {
    HostReport r = RunHost("152 112 --start-in even --duration 2500", 20000);
    NoteReport(r);
    const std::vector<TChange> changes = ChangesOf(r);
    const TChange* logo = FirstLogo(changes);
    E2E_REQUIRE(logo != nullptr);
    e2e::Note("first logo at t=" + std::to_string(static_cast<int>(logo->T)) +
              " local=" + std::to_string(logo->Second) + "." + std::to_string(logo->Millisecond));
    E2E_CHECK_EQ(logo->Second % 2, 0);
    // In the same even second it started in, if it was up in time: the host
    // was there, so no waiting for it, and no waiting for a boundary either.
    const long ready = r.Number("saver_ready_ms");
    const long secondEnds = 1000 - r.Number("start_millisecond");
    E2E_REQUIRE(ready >= 0);
    e2e::Note("saver ready at t=" + std::to_string(ready) +
              ", the even second ended at t=" + std::to_string(secondEnds));
    if (ready + 100 < secondEnds) {
        E2E_CHECK(logo->T < secondEnds);
        E2E_CHECK(logo->T - ready <= 300);
    }
}
