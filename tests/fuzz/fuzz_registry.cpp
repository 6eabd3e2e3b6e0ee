// The settings load over an in-memory registry holding arbitrary types, sizes and bytes.
//
// Input: a flags byte (bit 0 key present, bit 1 key read-only, bit 2 key creation refused,
// bit 3 closing fails, bit 4 a registry call throws: the next byte tells which one), a count
// byte of foreign values (name, type, data each), then one descriptor per setting in reading
// order: low nibble 0 absent, 1 to 8 a type from the table below, 9 a raw 32-bit type
// following; high nibble the size form (0 a size byte, 1 four bytes, 2 a 16-bit size);
// then the data.
#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "src/unitRegistry.h"
#include "tests/fuzz/fuzzInput.h"
#include "tests/support/memoryRegistry.h"

namespace {

using namespace platform;

const std::string KeyPath = "Software\\Varnel\\KestraneWorkstation";
// The dialog's six, then the rows kept clear and the watcher's idle time,
// which are read on their own.
constexpr int kNames = 9;
const char* const Names[kNames] = {"CoverArea", "TransitionTime", "MovementType",    "DrawBorders",   "TextLine1",
                                   "TextLine2", "KeepClearTop",   "KeepClearBottom", "StartAfterIdle"};

// A setting outside the dialog as loaded, and its default.
int32_t OwnReadValue(const TCfg& cfg, int i) {
    return i == 6 ? cfg.KeepClearTop : i == 7 ? cfg.KeepClearBottom : cfg.StartAfterIdle;
}
const uint32_t Types[8] = {RegNone, RegSz, RegExpandSz, RegBinary, RegDword, RegDwordBigEndian, RegMultiSz, RegQword};
const std::string ReadFailure =
    "Could not read screen saver preferences\rfrom Registry.\r\rPlease check your user's privileges.";

struct TStored {
    uint32_t Type = RegNone;
    std::vector<uint8_t> Data;
};

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

TCfg Defaults() { return TCfg(); }

bool SameCfg(const TCfg& a, const TCfg& b) {
    return a.CoverArea == b.CoverArea && a.TransitionTime == b.TransitionTime && a.MovementType == b.MovementType &&
           a.DrawBorders == b.DrawBorders && a.TextLine1 == b.TextLine1 && a.TextLine2 == b.TextLine2 &&
           a.Version == b.Version;
}

// The readers' rules: false when reading the value is a failure.
bool ReadIntegerRule(const TStored& v, int32_t& out) {
    if (v.Type != RegDword || v.Data.size() > 4) return false;
    uint32_t bits = 0;
    for (size_t i = 0; i < v.Data.size(); ++i) bits |= static_cast<uint32_t>(v.Data[i]) << (8 * i);
    out = static_cast<int32_t>(bits);
    return true;
}

bool ReadStringRule(const TStored& v, std::string& out) {
    if (v.Data.empty()) {
        out.clear();
        return true;
    }
    if (v.Type != RegSz && v.Type != RegExpandSz) return false;
    size_t n = 0;
    while (n < v.Data.size() && v.Data[n] != 0) ++n;
    out.assign(reinterpret_cast<const char*>(v.Data.data()), n);
    return true;
}

// Cfg as the load must leave it, and whether it fails, for a key that opens.
TCfg ExpectedLoad(const std::map<std::string, TStored>& values, bool& failed, int& failedAt) {
    TCfg cfg = Defaults();
    failed = false;
    failedAt = 6;
    for (int i = 0; i < 6 && !failed; ++i) {
        auto found = values.find(Lower(Names[i]));
        if (found == values.end()) continue;
        int32_t n = 0;
        std::string s;
        switch (i) {
            case 0: failed = !ReadIntegerRule(found->second, cfg.CoverArea); break;
            case 1: failed = !ReadIntegerRule(found->second, cfg.TransitionTime); break;
            case 2: failed = !ReadIntegerRule(found->second, cfg.MovementType); break;
            case 3:
                failed = !ReadIntegerRule(found->second, n);
                if (!failed) cfg.DrawBorders = n != 0;
                break;
            case 4: failed = !ReadStringRule(found->second, cfg.TextLine1); break;
            default: failed = !ReadStringRule(found->second, cfg.TextLine2); break;
        }
        if (failed) failedAt = i;
    }
    return cfg;
}

// Field i of cfg equals field i of other.
bool SameField(const TCfg& a, const TCfg& b, int i) {
    switch (i) {
        case 0: return a.CoverArea == b.CoverArea;
        case 1: return a.TransitionTime == b.TransitionTime;
        case 2: return a.MovementType == b.MovementType;
        case 3: return a.DrawBorders == b.DrawBorders;
        case 4: return a.TextLine1 == b.TextLine1;
        default: return a.TextLine2 == b.TextLine2;
    }
}

void Garble(TCfg& cfg) {
    cfg.CoverArea = -77;
    cfg.TransitionTime = -77;
    cfg.MovementType = -77;
    cfg.DrawBorders = false;
    cfg.TextLine1 = "stale 1";
    cfg.TextLine2 = "stale 2";
    cfg.Version = "0.0";
    cfg.KeepClearTop = -77;
    cfg.KeepClearBottom = -77;
    cfg.StartAfterIdle = -77;
}

std::vector<uint8_t> ToBytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

void CheckRegistryUnchanged(const TMemoryRegistry& reg, const std::map<std::string, TStored>& values) {
    FUZZ_CHECK(reg.ValueCount(KeyPath) == values.size());
    for (const auto& entry : values) {
        const TMemoryRegistry::TValue* v = reg.FindValue(KeyPath, entry.first);
        FUZZ_CHECK(v != nullptr);
        FUZZ_CHECK(v->Type == entry.second.Type);
        FUZZ_CHECK(v->Data == entry.second.Data);
    }
    FUZZ_CHECK(reg.WriteLog().empty());
    FUZZ_CHECK(reg.OpenKeyCount() == 0);
}

// The reports the program would show, as LoadCfg makes them.
std::vector<TCfgReport> Reports;

void CheckDialog(const TCfgReport& call) {
    FUZZ_CHECK(call.Title == "Error!");
    FUZZ_CHECK(call.Text == ReadFailure);
    FUZZ_CHECK(call.Buttons == std::vector<std::string>{"&OK"});
    FUZZ_CHECK(call.IconKind == 4);
}

bool LoadWithoutThrowing() {
    try {
        if (!TryLoadCfg()) Reports.push_back(ReadFailureReport());
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    const uint8_t flags = in.Byte();
    const bool keyPresent = (flags & 1) != 0;
    const bool createDenied = (flags & 4) != 0;
    const bool closeFails = (flags & 8) != 0;
    const bool throws = (flags & 16) != 0;
    const int throwAt = throws ? in.Byte() % 16 : -1;

    // Foreign values first: the settings of the same name (in any case) replace them.
    std::map<std::string, TStored> values;
    const int foreign = in.Byte() % 4;
    for (int i = 0; i < foreign; ++i) {
        const std::string name = in.Text();
        TStored v;
        v.Type = in.U32();
        v.Data = ToBytes(in.Text());
        values[Lower(name)] = v;
    }
    for (int i = 0; i < kNames; ++i) {
        const uint8_t d = in.Byte();
        const int kind = d & 0x0F;
        if (kind == 0 || kind > 9) continue;
        TStored v;
        v.Type = kind == 9 ? in.U32() : Types[kind - 1];
        size_t length = 0;
        switch (d >> 4) {
            case 1: length = 4; break;
            case 2: length = in.U16(); break;
            default: length = in.Byte(); break;
        }
        v.Data = ToBytes(in.Bytes(length));
        values[Lower(Names[i])] = v;
    }
    const bool keyExists = keyPresent || !values.empty();
    const bool readOnly = keyExists && (flags & 2) != 0;

    TMemoryRegistry reg;
    if (keyExists) reg.AddKey(KeyPath);
    for (const auto& entry : values) reg.PutValue(KeyPath, entry.first, entry.second.Type, entry.second.Data);
    if (readOnly) reg.SetReadOnly(KeyPath, true);
    reg.SetCreateDenied(createDenied);
    if (closeFails) reg.SetCloseStatus(RegAccessDenied);
    int infoQueries = 0;
    if (throws) {
        reg.AfterInfoQuery = [&infoQueries, throwAt](const std::string&) {
            if (infoQueries++ == throwAt) throw std::runtime_error("registry failure");
        };
    }

    SetRegistryApi(&reg);
    Reports.clear();
    Garble(Cfg);
    FUZZ_CHECK(LoadWithoutThrowing());
    const TCfg loaded = Cfg;

    FUZZ_CHECK(loaded.Version == "1.38");
    FUZZ_CHECK(Reports.size() <= 1);
    for (const TCfgReport& call : Reports) CheckDialog(call);
    CheckRegistryUnchanged(reg, values);
    const bool opens = keyExists ? !readOnly : !createDenied;
    FUZZ_CHECK(reg.KeyExists(KeyPath) == (keyExists || opens));

    bool failed = false;
    int failedAt = 6;
    const TCfg expected = ExpectedLoad(values, failed, failedAt);
    const bool thrown = throws && infoQueries > throwAt;
    if (!opens) {
        // Without full access nothing counts as stored, and nothing is reported.
        FUZZ_CHECK(SameCfg(loaded, Defaults()));
        for (int i = 6; i < kNames; ++i) FUZZ_CHECK(OwnReadValue(loaded, i) == OwnReadValue(Defaults(), i));
        FUZZ_CHECK(Reports.empty());
    } else if (thrown) {
        // Whatever was read before the failure holds; the rest keeps its defaults.
        FUZZ_CHECK(Reports.size() == 1);
        bool reachedDefaults = false;
        for (int i = 0; i < 6; ++i) {
            if (!SameField(loaded, expected, i)) reachedDefaults = true;
            if (reachedDefaults) FUZZ_CHECK(SameField(loaded, Defaults(), i));
        }
    } else {
        FUZZ_CHECK(SameCfg(loaded, expected));
        for (int i = failedAt; i < 6; ++i) FUZZ_CHECK(SameField(loaded, Defaults(), i));
        // The others whatever became of the six: a refused one keeps its default.
        for (int i = 6; i < kNames; ++i) {
            int32_t want = OwnReadValue(Defaults(), i);
            auto found = values.find(Lower(Names[i]));
            if (found != values.end() && !ReadIntegerRule(found->second, want)) want = OwnReadValue(Defaults(), i);
            FUZZ_CHECK(OwnReadValue(loaded, i) == want);
        }
        FUZZ_CHECK(Reports.size() == ((failed || closeFails) ? 1u : 0u));
    }

    // What loaded cleanly saves and loads back the same, booleans as 0 or 1.
    if (opens && !thrown && !failed && !closeFails) {
        reg.AfterInfoQuery = nullptr;
        Reports.clear();
        if (!TrySaveCfg()) Reports.push_back(WriteFailureReport());
        FUZZ_CHECK(Reports.empty());
        const TMemoryRegistry::TValue* borders = reg.FindValue(KeyPath, "DrawBorders");
        FUZZ_CHECK(borders != nullptr && borders->Type == RegDword && borders->Data.size() == 4);
        FUZZ_CHECK(borders->Data[0] == (loaded.DrawBorders ? 1 : 0));
        // The six settings in their order, and nothing else (no "Version").
        FUZZ_CHECK(reg.WriteLog() == std::vector<std::string>(Names, Names + 6));
        Garble(Cfg);
        FUZZ_CHECK(LoadWithoutThrowing());
        FUZZ_CHECK(Reports.empty());
        FUZZ_CHECK(SameCfg(Cfg, loaded));
        FUZZ_CHECK(reg.OpenKeyCount() == 0);
    }

    SetRegistryApi(nullptr);
    return 0;
}
