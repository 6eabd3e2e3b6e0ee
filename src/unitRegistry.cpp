#include "src/unitRegistry.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "src/unitDialog.h"

TCfg Cfg;

namespace {

using platform::IRegistryApi;
using platform::TRegKey;

const char* const KeyPath = "Software\\Varnel\\KestraneWorkstation";

const char* const ReadFailureText =
    "Could not read screen saver preferences\rfrom Registry.\r\r"
    "Please check your user's privileges.";
const char* const WriteFailureText =
    "Could not write screen saver preferences\rto Registry.\r\r"
    "Please check your user's privileges.";

void ReportFailure(const char* text) {
    AnswerDlg("Error!", text, {"&OK"}, 4);
}

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
                           (static_cast<uint32_t>(buffer[2]) << 16) |
                           (static_cast<uint32_t>(buffer[3]) << 24);
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

// Each field reader: a missing value keeps the field; a failing one leaves it untouched.
bool LoadInteger(IRegistryApi& api, TRegKey key, const char* name, int32_t& field) {
    if (!ValueExists(api, key, name)) return true;
    int32_t value = 0;
    if (!ReadInteger(api, key, name, value)) return false;
    field = value;
    return true;
}

bool LoadBoolean(IRegistryApi& api, TRegKey key, const char* name, bool& field) {
    if (!ValueExists(api, key, name)) return true;
    int32_t value = 0;
    if (!ReadInteger(api, key, name, value)) return false;
    field = value != 0;
    return true;
}

bool LoadString(IRegistryApi& api, TRegKey key, const char* name, std::string& field) {
    if (!ValueExists(api, key, name)) return true;
    std::string value;
    if (!ReadString(api, key, name, value)) return false;
    field = value;
    return true;
}

bool LoadValues(IRegistryApi& api, TRegKey key) {
    return LoadInteger(api, key, "CoverArea", Cfg.CoverArea) &&
           LoadInteger(api, key, "TransitionTime", Cfg.TransitionTime) &&
           LoadInteger(api, key, "MovementType", Cfg.MovementType) &&
           LoadBoolean(api, key, "DrawBorders", Cfg.DrawBorders) &&
           LoadString(api, key, "TextLine1", Cfg.TextLine1) &&
           LoadString(api, key, "TextLine2", Cfg.TextLine2);
}

bool WriteInteger(IRegistryApi& api, TRegKey key, const char* name, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    const uint8_t data[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                             static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    return api.SetValue(key, name, platform::RegDword, data, sizeof(data)) == platform::RegOk;
}

bool WriteString(IRegistryApi& api, TRegKey key, const char* name, const std::string& text) {
    if (text.size() >= std::numeric_limits<uint32_t>::max()) return false;
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return api.SetValue(key, name, platform::RegSz, data.data(),
                        static_cast<uint32_t>(data.size())) == platform::RegOk;
}

bool SaveValues(IRegistryApi& api, TRegKey key) {
    return WriteInteger(api, key, "CoverArea", Cfg.CoverArea) &&
           WriteInteger(api, key, "TransitionTime", Cfg.TransitionTime) &&
           WriteInteger(api, key, "MovementType", Cfg.MovementType) &&
           WriteInteger(api, key, "DrawBorders", Cfg.DrawBorders ? 1 : 0) &&
           WriteString(api, key, "TextLine1", Cfg.TextLine1) &&
           WriteString(api, key, "TextLine2", Cfg.TextLine2);
}

}  // namespace

void LoadCfg() {
    Cfg.Version = "1.38";
    Cfg.CoverArea = 1;
    Cfg.TransitionTime = 2;
    Cfg.MovementType = 1;
    Cfg.DrawBorders = true;
    Cfg.TextLine1 = "Partial Screen Saver for Kestrane Workstations";
    Cfg.TextLine2 = "Click or move the mouse to close it...";

    IRegistryApi& api = platform::RegistryApi();
    TOpenKey key(api);
    bool failed = false;
    try {
        // Without full access to the key no value counts as present: defaults, no report.
        if (!key.Open()) return;
        failed = !LoadValues(api, key.Id()) || !key.Close();
    } catch (...) {
        failed = true;
    }
    if (failed) ReportFailure(ReadFailureText);
}

void SaveCfg() {
    IRegistryApi& api = platform::RegistryApi();
    TOpenKey key(api);
    bool failed = false;
    try {
        failed = !key.Open() || !SaveValues(api, key.Id()) || !key.Close();
    } catch (...) {
        failed = true;
    }
    if (failed) ReportFailure(WriteFailureText);
}
