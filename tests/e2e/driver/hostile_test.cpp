// Damaged and hostile stored settings, from the table in
// tests/e2e/hostile_settings.tsv: the saver never crashes, reports a damaged
// value once, clamps what it must, and leaves the registry as it was. Each case
// runs again as a machine policy: a value its reader refuses is passed over
// without a report, and the default it falls to gives the same band.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/e2e/driver/harness.h"

namespace {

using namespace e2e;

struct HostileCase {
    std::string Name, Value, Type, Data;
    bool Dialog = false;
    int Height = -1;
    int Interval = -1;
    int Clear = -1;
};

DWORD TypeOf(const std::string& name) {
    if (name == "REG_SZ") return REG_SZ;
    if (name == "REG_EXPAND_SZ") return REG_EXPAND_SZ;
    if (name == "REG_MULTI_SZ") return REG_MULTI_SZ;
    if (name == "REG_DWORD") return REG_DWORD;
    if (name == "REG_QWORD") return REG_QWORD;
    if (name == "REG_BINARY") return REG_BINARY;
    return REG_NONE;
}

std::string BytesOf(const std::string& data) {
    if (data == "empty") return {};
    if (data.rfind("dword:", 0) == 0) {
        auto v = static_cast<uint32_t>(static_cast<int32_t>(std::strtoll(data.c_str() + 6, nullptr, 10)));
        return DwordBytes(v);
    }
    if (data.rfind("qword:", 0) == 0) {
        uint64_t v = std::strtoull(data.c_str() + 6, nullptr, 10);
        return std::string(reinterpret_cast<const char*>(&v), 8);
    }
    if (data.rfind("hex:", 0) == 0) {
        std::string bytes;
        for (size_t i = 4; i + 1 < data.size(); i += 2) {
            bytes.push_back(static_cast<char>(std::strtol(data.substr(i, 2).c_str(), nullptr, 16)));
        }
        return bytes;
    }
    if (data.rfind("text:", 0) == 0) return data.substr(5) + std::string(1, '\0');
    if (data.rfind("raw:", 0) == 0) return data.substr(4);
    if (data.rfind("repeat:", 0) == 0) {
        size_t star = data.find('*');
        return std::string(std::strtoul(data.c_str() + star + 1, nullptr, 10), data[7]) + std::string(1, '\0');
    }
    return {};
}

std::vector<HostileCase> LoadCases() {
    std::ifstream file(ToolsDir() + "..\\..\\tests\\e2e\\hostile_settings.tsv");
    std::vector<HostileCase> cases;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        HostileCase c;
        std::string dialog, height, interval, clear;
        fields >> c.Name >> c.Value >> c.Type >> c.Data >> dialog >> height >> interval >> clear;
        c.Dialog = dialog == "yes";
        c.Height = height == "-" ? -1 : std::atoi(height.c_str());
        c.Interval = interval == "-" ? -1 : std::atoi(interval.c_str());
        c.Clear = clear == "-" ? -1 : std::atoi(clear.c_str());
        cases.push_back(c);
    }
    return cases;
}

HWND FindErrorDialog(DWORD pid) {
    for (const WindowInfo& w : WindowsOf(pid)) {
        if (w.Title == " Error!") return w.Handle;
    }
    return nullptr;
}

void RunCase(const HostileCase& c, bool asPolicy) {
    DeleteSettingsKey();
    PolicyScope policies;
    const std::string bytes = BytesOf(c.Data);
    if (asPolicy) {
        PutPolicy(PolicyPlace::Machine, c.Value, TypeOf(c.Type), bytes);
    } else {
        PutValue(c.Value, TypeOf(c.Type), bytes);
    }
    // What the registry holds before the start (it may normalise text data).
    DWORD storedType = 0;
    std::string stored;
    E2E_REQUIRE(asPolicy ? ReadPolicy(c.Value, storedType, stored) : ReadValue(c.Value, storedType, stored));
    MoveCursor(640, 640);
    Sleep(100);
    Process saver = Process::Start("/s");
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            dialog = FindErrorDialog(saver.Id());
            return dialog != nullptr || BandOf(saver.Id(), 0) != nullptr || !saver.Running();
        },
        8000);
    E2E_CHECK_EQ(dialog != nullptr, c.Dialog && !asPolicy);
    if (dialog != nullptr) {
        SetForegroundWindow(dialog);
        Sleep(100);
        PressKey(VK_RETURN);
        E2E_CHECK(WaitUntil([&] { return FindErrorDialog(saver.Id()) == nullptr; }, 3000));
    }
    HWND band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    E2E_CHECK(FindErrorDialog(saver.Id()) == nullptr);  // reported once
    RECT r = Describe(band).Rect;
    if (c.Height >= 0) E2E_CHECK_EQ(static_cast<int>(r.bottom - r.top), c.Height);
    if (c.Interval > 0) {
        // Time between two moves, measured from the first observed jump.
        LONG top = r.top;
        E2E_REQUIRE(WaitUntil([&] { return Describe(band).Rect.top != top; }, 7000));
        DWORD first = GetTickCount();
        top = Describe(band).Rect.top;
        E2E_REQUIRE(WaitUntil([&] { return Describe(band).Rect.top != top; }, 7000));
        int elapsed = static_cast<int>(GetTickCount() - first);
        Note(c.Name + ": moves " + std::to_string(elapsed) + " ms apart");
        E2E_CHECK(elapsed >= c.Interval * 1000 - 300);
        E2E_CHECK(elapsed <= c.Interval * 1000 + 700);
    }
    if (c.Clear >= 0) {
        // Over two jumps no window of the band reaches into the rows kept clear.
        const bool top = c.Value == "KeepClearTop";
        int into = 0;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 4500) {
            for (const WindowInfo& w : WindowsOf(saver.Id())) {
                if (w.Rect.bottom <= w.Rect.top) continue;
                into += top ? w.Rect.top < c.Clear : w.Rect.bottom > 1080 - c.Clear;
            }
            Sleep(50);
        }
        E2E_CHECK_EQ(into, 0);
    }
    MoveCursor(700, 700);
    DWORD code = 99;
    E2E_CHECK(saver.WaitExit(2000, &code));
    E2E_CHECK_EQ(code, 0u);
    DWORD type = 0;
    std::string after;
    E2E_CHECK(asPolicy ? ReadPolicy(c.Value, type, after) : ReadValue(c.Value, type, after));
    E2E_CHECK_EQ(type, storedType);
    E2E_CHECK(after == stored);
    E2E_CHECK_EQ(ValueCount(), asPolicy ? 0 : 1);
    DeleteSettingsKey();
}

E2E_TEST(hostile, EveryCaseOfTheTable) {
    std::vector<HostileCase> cases = LoadCases();
    E2E_REQUIRE(cases.size() >= 20);
    for (bool asPolicy : {false, true}) {
        for (const HostileCase& c : cases) {
            const std::string name = (asPolicy ? "policy " : "case ") + c.Name;
            Note(name);
            try {
                RunCase(c, asPolicy);
            } catch (const RequireFailed&) {
                Note(name + " stopped early");
            }
        }
    }
}

}  // namespace
