#include "src/unitRegistry.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "src/cfgSources.h"

TCfg Cfg;
TCfgSources CfgSources;

namespace {

using platform::IRegistryApi;
using platform::TRegKey;

const char* const KeyPath = "Software\\Varnel\\KestraneWorkstation";
const char* const PolicyPath = "Software\\Policies\\Varnel\\KestraneWorkstation";
const char* const RecommendedPath = "Software\\Policies\\Varnel\\KestraneWorkstation\\Recommended";

// The settings key while it is open; closes it on every way out.
class TOpenKey {
public:
    explicit TOpenKey(IRegistryApi& api) : Api(api) {}
    ~TOpenKey() {
        if (IsOpen) Api.CloseKey(Key);
    }
    TOpenKey(const TOpenKey&) = delete;
    TOpenKey& operator=(const TOpenKey&) = delete;

    bool Open() {
        TRegKey key = 0;
        IsOpen = Api.CreateKey(KeyPath, platform::RegKeyAllAccess, key) == platform::RegOk;
        if (IsOpen) Key = key;
        return IsOpen;
    }
    bool Close() {
        IsOpen = false;
        return Api.CloseKey(Key) == platform::RegOk;
    }
    TRegKey Id() const { return Key; }

private:
    IRegistryApi& Api;
    TRegKey Key = 0;
    bool IsOpen = false;
};

bool ValueExists(IRegistryApi& api, TRegKey key, const char* name) {
    uint32_t type = 0;
    uint32_t size = 0;
    return api.QueryValueInfo(key, name, type, size) == platform::RegOk;
}

bool ReadInteger(IRegistryApi& api, TRegKey key, const char* name, int32_t& result) {
    uint8_t buffer[4] = {0, 0, 0, 0};
    uint32_t type = 0;
    uint32_t size = sizeof(buffer);
    if (api.QueryValueData(key, name, type, buffer, size) != platform::RegOk) return false;
    if (type != platform::RegDword) return false;
    if (size > sizeof(buffer)) return false;
    // Shorter data reads zero-extended.
    for (uint32_t i = size; i < sizeof(buffer); ++i) buffer[i] = 0;
    const uint32_t value = static_cast<uint32_t>(buffer[0]) | (static_cast<uint32_t>(buffer[1]) << 8) |
                           (static_cast<uint32_t>(buffer[2]) << 16) | (static_cast<uint32_t>(buffer[3]) << 24);
    result = static_cast<int32_t>(value);
    return true;
}

bool ReadString(IRegistryApi& api, TRegKey key, const char* name, std::string& result) {
    uint32_t type = 0;
    uint32_t size = 0;
    if (api.QueryValueInfo(key, name, type, size) != platform::RegOk || size == 0) {
        result.clear();
        return true;
    }
    std::vector<uint8_t> buffer(size);
    uint32_t length = size;
    // A value that grew since the size query fails here with "more data".
    if (api.QueryValueData(key, name, type, buffer.data(), length) != platform::RegOk) return false;
    if (type != platform::RegSz && type != platform::RegExpandSz) return false;
    if (length > size) return false;
    // The data need not end with a zero; never look past what was returned.
    const uint8_t* begin = buffer.data();
    const uint8_t* end = std::find(begin, begin + length, static_cast<uint8_t>(0));
    result.assign(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
    return true;
}

// Reads one setting into values when it is there: false when it is there but its reader
// does not accept it.
bool LoadSetting(IRegistryApi& api, TRegKey key, int setting, TSourceValues& values) {
    const char* name = kSettingNames[setting];
    if (!ValueExists(api, key, name)) return true;
    TCfg& v = values.Values;
    int32_t number = 0;
    bool read = false;
    switch (setting) {
        case stCoverArea: read = ReadInteger(api, key, name, v.CoverArea); break;
        case stTransitionTime: read = ReadInteger(api, key, name, v.TransitionTime); break;
        case stMovementType: read = ReadInteger(api, key, name, v.MovementType); break;
        case stDrawBorders:
            read = ReadInteger(api, key, name, number);
            if (read) v.DrawBorders = number != 0;
            break;
        case stTextLine1: read = ReadString(api, key, name, v.TextLine1); break;
        case stTextLine2: read = ReadString(api, key, name, v.TextLine2); break;
        case stKeepClearTop: read = ReadInteger(api, key, name, v.KeepClearTop); break;
        case stKeepClearBottom: read = ReadInteger(api, key, name, v.KeepClearBottom); break;
        case stStartAfterIdle: read = ReadInteger(api, key, name, v.StartAfterIdle); break;
        default: break;
    }
    values.Has[setting] = read;
    return read;
}

// The dialog's own values stop at the first failure: that setting and the ones after it
// are not the user's. The others (kept-clear rows, the watcher's idle time) are read on
// their own, so that a damaged text never uncovers an alarm banner nor changes when the
// band starts; one the reader refuses is passed over.
bool LoadOwnValues(IRegistryApi& api, TRegKey key, TSourceValues& values) {
    for (int setting = kDialogSettingCount; setting < kSettingCount; ++setting) LoadSetting(api, key, setting, values);
    for (int setting = 0; setting < kDialogSettingCount; ++setting) {
        if (!LoadSetting(api, key, setting, values)) return false;
    }
    return true;
}

// A policy or recommendation: read only, each value on its own, a value its reader does
// not accept is passed over without a word.
TSourceValues ReadManagedValues(IRegistryApi& api, platform::TRegHive hive, const char* path) {
    TSourceValues values;
    TRegKey key = 0;
    try {
        if (api.OpenKeyForReading(hive, path, key) != platform::RegOk) return values;
        for (int setting = 0; setting < kSettingCount; ++setting) LoadSetting(api, key, setting, values);
    } catch (...) {
        values = TSourceValues{};
    }
    if (key != 0) api.CloseKey(key);
    return values;
}

bool WriteInteger(IRegistryApi& api, TRegKey key, const char* name, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    const uint8_t data[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                             static_cast<uint8_t>(v >> 24)};
    return api.SetValue(key, name, platform::RegDword, data, sizeof(data)) == platform::RegOk;
}

bool WriteString(IRegistryApi& api, TRegKey key, const char* name, const std::string& text) {
    if (text.size() >= std::numeric_limits<uint32_t>::max()) return false;
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return api.SetValue(key, name, platform::RegSz, data.data(), static_cast<uint32_t>(data.size())) == platform::RegOk;
}

bool SaveSetting(IRegistryApi& api, TRegKey key, int setting) {
    const char* name = kSettingNames[setting];
    switch (setting) {
        case stCoverArea: return WriteInteger(api, key, name, Cfg.CoverArea);
        case stTransitionTime: return WriteInteger(api, key, name, Cfg.TransitionTime);
        case stMovementType: return WriteInteger(api, key, name, Cfg.MovementType);
        case stDrawBorders: return WriteInteger(api, key, name, Cfg.DrawBorders ? 1 : 0);
        case stTextLine1: return WriteString(api, key, name, Cfg.TextLine1);
        case stTextLine2: return WriteString(api, key, name, Cfg.TextLine2);
        default: return true;
    }
}

// The user's own and the default settings; an enforced or an untouched recommended one
// keeps whatever the user's key holds.
bool SaveValues(IRegistryApi& api, TRegKey key) {
    for (int setting = 0; setting < kDialogSettingCount; ++setting) {
        const TSettingSource source = CfgSources.Of[setting];
        if (source != TSettingSource::Own && source != TSettingSource::Default) continue;
        if (!SaveSetting(api, key, setting)) return false;
    }
    return true;
}

bool TextIsOn(IRegistryApi& api, TRegKey key, const char* name, bool& on) {
    if (!ValueExists(api, key, name)) return false;
    std::string text;
    if (!ReadString(api, key, name, text)) return false;
    // Windows reads the text as a number: any number but 0 switches it on.
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '0')) ++i;
    on = i < text.size() && text[i] >= '1' && text[i] <= '9';
    return true;
}

const char* const DesktopPolicyPath = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
const char* const DesktopPath = "Control Panel\\Desktop";

// One of Windows' own screen-saver values: whether it is there, and its switch or text.
bool ReadDesktopValue(IRegistryApi& api, platform::TRegHive hive, const char* path, const char* name, bool& on,
                      std::string* text = nullptr) {
    TRegKey key = 0;
    bool found = false;
    try {
        if (api.OpenKeyForReading(hive, path, key) == platform::RegOk) {
            if (text == nullptr) {
                found = TextIsOn(api, key, name, on);
            } else {
                found = ValueExists(api, key, name) && ReadString(api, key, name, *text);
            }
        }
    } catch (...) {
        found = false;
    }
    if (key != 0) api.CloseKey(key);
    return found;
}

// The Windows policy decides first, also when it says off.
bool DesktopSwitch(IRegistryApi& api, const char* name, bool whenMissing) {
    bool on = false;
    if (ReadDesktopValue(api, platform::TRegHive::CurrentUser, DesktopPolicyPath, name, on)) return on;
    if (ReadDesktopValue(api, platform::TRegHive::CurrentUser, DesktopPath, name, on)) return on;
    return whenMissing;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerFileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (char& c : name) c = LowerAscii(c);
    return name;
}

}  // namespace

bool TryLoadCfg() {
    Cfg = TCfg{};
    CfgSources = TCfgSources{};

    IRegistryApi& api = platform::RegistryApi();
    TSourceValues own;
    bool failed = false;
    {
        TOpenKey key(api);
        try {
            // Without full access to the key no value counts as present: no report.
            if (key.Open()) failed = !LoadOwnValues(api, key.Id(), own) || !key.Close();
        } catch (...) {
            failed = true;
        }
    }
    const TSourceValues machinePolicy = ReadManagedValues(api, platform::TRegHive::LocalMachine, PolicyPath);
    const TSourceValues userPolicy = ReadManagedValues(api, platform::TRegHive::CurrentUser, PolicyPath);
    const TSourceValues machineRecommended = ReadManagedValues(api, platform::TRegHive::LocalMachine, RecommendedPath);
    const TSourceValues userRecommended = ReadManagedValues(api, platform::TRegHive::CurrentUser, RecommendedPath);
    ResolveCfg(machinePolicy, userPolicy, own, machineRecommended, userRecommended, Cfg, CfgSources);
    return !failed;
}

TCfgReport ReadFailureReport() {
    return TCfgReport{"Error!",
                      "Could not read screen saver preferences\rfrom Registry.\r\r"
                      "Please check your user's privileges.",
                      {"&OK"},
                      4};
}

TCfgReport WriteFailureReport() {
    return TCfgReport{"Error!",
                      "Could not write screen saver preferences\rto Registry.\r\r"
                      "Please check your user's privileges.",
                      {"&OK"},
                      4};
}

bool TrySaveCfg() {
    IRegistryApi& api = platform::RegistryApi();
    TOpenKey key(api);
    bool failed = false;
    try {
        failed = !key.Open() || !SaveValues(api, key.Id()) || !key.Close();
    } catch (...) {
        failed = true;
    }
    return !failed;
}

bool ScreenSaverIsSecure() { return DesktopSwitch(platform::RegistryApi(), "ScreenSaverIsSecure", false); }

bool ExecutableNamesProgram(const std::string& value, const std::string& programPath) {
    // A hand-written value may carry quotes or trailing blanks around the path.
    std::string path = value;
    path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
    while (!path.empty() && (path.back() == ' ' || path.back() == '\t')) path.pop_back();
    const std::string name = LowerFileName(path);
    return !name.empty() && name == LowerFileName(programPath);
}

bool WindowsStartsProgram(const std::string& programPath) {
    IRegistryApi& api = platform::RegistryApi();
    // Windows runs a saver whose value is set unless ScreenSaveActive says off.
    if (!DesktopSwitch(api, "ScreenSaveActive", true)) return false;
    bool unused = false;
    std::string executable;
    if (!ReadDesktopValue(api, platform::TRegHive::CurrentUser, DesktopPolicyPath, "SCRNSAVE.EXE", unused,
                          &executable) &&
        !ReadDesktopValue(api, platform::TRegHive::CurrentUser, DesktopPath, "SCRNSAVE.EXE", unused, &executable)) {
        return false;
    }
    return ExecutableNamesProgram(executable, programPath);
}
