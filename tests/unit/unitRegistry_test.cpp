#include "src/unitRegistry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "src/cfgSources.h"
#include "tests/support/memoryRegistry.h"

namespace {

using platform::RegBinary;
using platform::RegDword;
using platform::RegExpandSz;
using platform::RegNone;
using platform::RegSz;

const std::string Key = "Software\\Varnel\\KestraneWorkstation";
const std::string DefaultLine1 = "Partial Screen Saver for Kestrane Workstations";
const std::string DefaultLine2 = "Click or move the mouse to close it...";
const std::string ReadFailure =
    "Could not read screen saver preferences\rfrom Registry.\r\rPlease check your user's privileges.";
const std::string WriteFailure =
    "Could not write screen saver preferences\rto Registry.\r\rPlease check your user's privileges.";

// The reports the program would show, as LoadCfg and SaveCfg make them.
std::vector<TCfgReport>& Reports() {
    static std::vector<TCfgReport> reports;
    return reports;
}
void Load() {
    if (!TryLoadCfg()) Reports().push_back(ReadFailureReport());
}
void Save() {
    if (!TrySaveCfg()) Reports().push_back(WriteFailureReport());
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetRegistryApi(&Reg);
        Reports().clear();
        // Anything but the defaults, so that the load must set every field.
        Cfg.CoverArea = 77;
        Cfg.TransitionTime = 77;
        Cfg.MovementType = 77;
        Cfg.DrawBorders = false;
        Cfg.TextLine1 = "stale 1";
        Cfg.TextLine2 = "stale 2";
        Cfg.Version = "0.0";
    }
    void TearDown() override {
        EXPECT_EQ(Reg.OpenKeyCount(), 0u) << "key left open";
        platform::SetRegistryApi(nullptr);
    }

    void ExpectDialog(const std::string& text) {
        ASSERT_EQ(Reports().size(), 1u);
        const TCfgReport& call = Reports()[0];
        EXPECT_EQ(call.Title, "Error!");
        EXPECT_EQ(call.Text, text);
        EXPECT_EQ(call.Buttons, std::vector<std::string>{"&OK"});
        EXPECT_EQ(call.IconKind, 4);
    }

    static void ExpectDefaults(int from = 0) {
        if (from <= 0) {
            EXPECT_EQ(Cfg.CoverArea, 1);
        }
        if (from <= 1) {
            EXPECT_EQ(Cfg.TransitionTime, 2);
        }
        if (from <= 2) {
            EXPECT_EQ(Cfg.MovementType, 1);
        }
        if (from <= 3) {
            EXPECT_TRUE(Cfg.DrawBorders);
        }
        if (from <= 4) {
            EXPECT_EQ(Cfg.TextLine1, DefaultLine1);
        }
        if (from <= 5) {
            EXPECT_EQ(Cfg.TextLine2, DefaultLine2);
        }
        EXPECT_EQ(Cfg.Version, "1.38");
    }

    void ExpectDword(const std::string& name, uint32_t value) {
        const TMemoryRegistry::TValue* v = Reg.FindValue(Key, name);
        ASSERT_NE(v, nullptr) << name;
        EXPECT_EQ(v->Type, RegDword) << name;
        const std::vector<uint8_t> le = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                         static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
        EXPECT_EQ(v->Data, le) << name;
    }

    void ExpectText(const std::string& name, const std::string& text) {
        const TMemoryRegistry::TValue* v = Reg.FindValue(Key, name);
        ASSERT_NE(v, nullptr) << name;
        EXPECT_EQ(v->Type, RegSz) << name;
        std::vector<uint8_t> data = Bytes(text);
        data.push_back(0);
        EXPECT_EQ(v->Data, data) << name;
    }

    TMemoryRegistry Reg;
};

TEST_F(SettingsStore, FirstRunCreatesEmptyKeyAndKeepsDefaults) {
    Load();
    ExpectDefaults();
    EXPECT_TRUE(Reports().empty());
    EXPECT_TRUE(Reg.KeyExists(Key));
    EXPECT_EQ(Reg.ValueCount(Key), 0u);
    EXPECT_TRUE(Reg.WriteLog().empty());
}

TEST_F(SettingsStore, ReadsAllSixValues) {
    Reg.PutDword(Key, "CoverArea", 3);
    Reg.PutDword(Key, "TransitionTime", 5);
    Reg.PutDword(Key, "MovementType", 0);
    Reg.PutDword(Key, "DrawBorders", 0);
    Reg.PutText(Key, "TextLine1", "first");
    Reg.PutText(Key, "TextLine2", "second");
    Load();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.CoverArea, 3);
    EXPECT_EQ(Cfg.TransitionTime, 5);
    EXPECT_EQ(Cfg.MovementType, 0);
    EXPECT_FALSE(Cfg.DrawBorders);
    EXPECT_EQ(Cfg.TextLine1, "first");
    EXPECT_EQ(Cfg.TextLine2, "second");
    EXPECT_EQ(Cfg.Version, "1.38");
}

TEST_F(SettingsStore, CoverAreaAsStringFailsFirstReadAndKeepsAllDefaults) {
    Reg.PutText(Key, "CoverArea", "3");
    Reg.PutDword(Key, "TransitionTime", 4);
    Reg.PutText(Key, "TextLine1", "never read");
    Load();
    ExpectDialog(ReadFailure);
    ExpectDefaults();
}

TEST_F(SettingsStore, FailureKeepsEarlierValuesAndDefaultsFromTheFailingOne) {
    Reg.PutDword(Key, "CoverArea", 3);
    Reg.PutDword(Key, "TransitionTime", 4);
    Reg.PutText(Key, "MovementType", "0");
    Reg.PutDword(Key, "DrawBorders", 0);
    Reg.PutText(Key, "TextLine1", "not read");
    Reg.PutText(Key, "TextLine2", "not read");
    Load();
    ExpectDialog(ReadFailure);
    EXPECT_EQ(Cfg.CoverArea, 3);
    EXPECT_EQ(Cfg.TransitionTime, 4);
    ExpectDefaults(2);
}

TEST_F(SettingsStore, TextOfWrongTypeFailsAfterTheIntegers) {
    Reg.PutDword(Key, "DrawBorders", 0);
    Reg.PutDword(Key, "TextLine1", 5);
    Reg.PutText(Key, "TextLine2", "not read");
    Load();
    ExpectDialog(ReadFailure);
    EXPECT_FALSE(Cfg.DrawBorders);
    ExpectDefaults(4);
}

TEST_F(SettingsStore, DrawBordersTwoLoadsTrueAndSavesOne) {
    Reg.PutDword(Key, "DrawBorders", 2);
    Load();
    EXPECT_TRUE(Cfg.DrawBorders);
    Save();
    EXPECT_TRUE(Reports().empty());
    ExpectDword("DrawBorders", 1);
}

TEST_F(SettingsStore, IntegersAreNotClamped) {
    struct Case {
        uint32_t cover;
        uint32_t time;
        uint32_t move;
        int32_t c, t, m;
    };
    const Case cases[] = {
        {9, 0, 2, 9, 0, 2},
        {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, -1, INT32_MIN, INT32_MAX},
    };
    for (const Case& c : cases) {
        Reg.PutDword(Key, "CoverArea", c.cover);
        Reg.PutDword(Key, "TransitionTime", c.time);
        Reg.PutDword(Key, "MovementType", c.move);
        Load();
        EXPECT_EQ(Cfg.CoverArea, c.c);
        EXPECT_EQ(Cfg.TransitionTime, c.t);
        EXPECT_EQ(Cfg.MovementType, c.m);
    }
    EXPECT_TRUE(Reports().empty());
}

TEST_F(SettingsStore, ShortDwordReadsZeroExtended) {
    Reg.PutValue(Key, "CoverArea", RegDword, {0x34, 0x12});
    Reg.PutValue(Key, "TransitionTime", RegDword, {0x05});
    Reg.PutValue(Key, "MovementType", RegDword, {});
    Reg.PutValue(Key, "DrawBorders", RegDword, {});
    Load();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.CoverArea, 0x1234);
    EXPECT_EQ(Cfg.TransitionTime, 5);
    EXPECT_EQ(Cfg.MovementType, 0);
    EXPECT_FALSE(Cfg.DrawBorders);
}

TEST_F(SettingsStore, LongDwordIsAReadFailure) {
    Reg.PutValue(Key, "CoverArea", RegDword, {3, 0, 0, 0, 0, 0, 0, 0});
    Load();
    ExpectDialog(ReadFailure);
    ExpectDefaults();
}

TEST_F(SettingsStore, IntegerOfOtherTypesIsAReadFailure) {
    const uint32_t types[] = {RegNone, RegBinary, platform::RegDwordBigEndian, RegSz};
    for (uint32_t type : types) {
        Reports().clear();
        Reg.PutValue(Key, "TransitionTime", type, {3, 0, 0, 0});
        Load();
        EXPECT_EQ(Reports().size(), 1u) << "type " << type;
        EXPECT_EQ(Cfg.TransitionTime, 2);
    }
}

TEST_F(SettingsStore, ExpandStringIsTakenLiterally) {
    Reg.PutText(Key, "TextLine1", "Hello %USERNAME% on %COMPUTERNAME%", RegExpandSz);
    Load();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.TextLine1, "Hello %USERNAME% on %COMPUTERNAME%");
}

TEST_F(SettingsStore, ZeroByteInsideCutsTheText) {
    Reg.PutValue(Key, "TextLine2", RegSz, {'a', 'b', 0, 'c', 'd', 0});
    Load();
    EXPECT_EQ(Cfg.TextLine2, "ab");
    EXPECT_TRUE(Reports().empty());
}

TEST_F(SettingsStore, TextWithoutTerminatingZeroIsReadWhole) {
    Reg.PutValue(Key, "TextLine1", RegSz, Bytes("abc"));
    Reg.PutValue(Key, "TextLine2", RegExpandSz, Bytes("x"));
    Load();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.TextLine1, "abc");
    EXPECT_EQ(Cfg.TextLine2, "x");
}

TEST_F(SettingsStore, ZeroLengthTextOfAnyTypeReadsEmpty) {
    const uint32_t types[] = {RegSz, RegExpandSz, RegNone, RegBinary, RegDword, platform::RegMultiSz};
    for (uint32_t type : types) {
        Reg.PutValue(Key, "TextLine1", type, {});
        Reg.PutValue(Key, "TextLine2", type, {});
        Load();
        EXPECT_EQ(Cfg.TextLine1, "") << "type " << type;
        EXPECT_EQ(Cfg.TextLine2, "") << "type " << type;
    }
    EXPECT_TRUE(Reports().empty());
}

TEST_F(SettingsStore, NonEmptyTextOfOtherTypesIsAReadFailure) {
    const uint32_t types[] = {RegNone, RegBinary, platform::RegMultiSz};
    for (uint32_t type : types) {
        Reports().clear();
        Reg.PutValue(Key, "TextLine1", type, Bytes(std::string("text\0", 5)));
        Load();
        EXPECT_EQ(Reports().size(), 1u) << "type " << type;
        EXPECT_EQ(Cfg.TextLine1, DefaultLine1);
    }
}

TEST_F(SettingsStore, EmptyLineIsWrittenAsOneZeroByteAndReadsBackEmpty) {
    Load();
    Cfg.TextLine1 = "";
    Save();
    const TMemoryRegistry::TValue* v = Reg.FindValue(Key, "TextLine1");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, RegSz);
    EXPECT_EQ(v->Data, std::vector<uint8_t>{0});
    Cfg.TextLine1 = "stale";
    Load();
    EXPECT_EQ(Cfg.TextLine1, "");
    EXPECT_TRUE(Reports().empty());
}

TEST_F(SettingsStore, OneMebibyteTextIsReadAndWrittenWhole) {
    std::string big(1024 * 1024, 'k');
    big[0] = 'A';
    big.back() = 'Z';
    Reg.PutText(Key, "TextLine2", big);
    Load();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.TextLine2.size(), big.size());
    EXPECT_EQ(Cfg.TextLine2, big);
    Cfg.TextLine1 = big;
    Save();
    ExpectText("TextLine1", big);
}

TEST_F(SettingsStore, TextThatGrowsBeforeItsDataIsReadFails) {
    Reg.PutText(Key, "TextLine1", "short");
    std::string text = "short";
    Reg.AfterInfoQuery = [&](const std::string& name) {
        if (name != "TextLine1") return;
        text += "-longer";
        Reg.PutText(Key, "TextLine1", text);
    };
    Load();
    ExpectDialog(ReadFailure);
    ExpectDefaults(4);
}

TEST_F(SettingsStore, TextThatShrinksBeforeItsDataIsReadIsTakenAsItNowIs) {
    Reg.PutText(Key, "TextLine1", "a rather long text");
    Reg.AfterInfoQuery = [&](const std::string& name) {
        if (name == "TextLine1") Reg.PutValue(Key, "TextLine1", RegSz, Bytes("tiny"));
    };
    Load();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.TextLine1, "tiny");
}

TEST_F(SettingsStore, ReadOnlyKeyLoadsDefaultsSilentlyAndRefusesTheSave) {
    Reg.PutDword(Key, "CoverArea", 3);
    Reg.PutText(Key, "TextLine1", "stored");
    Reg.SetReadOnly(Key, true);
    Load();
    EXPECT_TRUE(Reports().empty());
    ExpectDefaults();

    Cfg.CoverArea = 0;
    Cfg.TextLine1 = "from the dialog";
    Save();
    ExpectDialog(WriteFailure);
    EXPECT_TRUE(Reg.WriteLog().empty());
    ASSERT_NE(Reg.FindValue(Key, "CoverArea"), nullptr);
    ExpectDword("CoverArea", 3);
    EXPECT_EQ(Reg.ValueCount(Key), 2u);
    EXPECT_EQ(Cfg.CoverArea, 0);
    EXPECT_EQ(Cfg.TextLine1, "from the dialog");
}

TEST_F(SettingsStore, KeyThatCannotBeCreated) {
    Reg.SetCreateDenied(true);
    Load();
    EXPECT_TRUE(Reports().empty());
    ExpectDefaults();
    EXPECT_FALSE(Reg.KeyExists(Key));
    Save();
    ExpectDialog(WriteFailure);
    EXPECT_TRUE(Reg.WriteLog().empty());
}

TEST_F(SettingsStore, NoRegistryInstalledBehavesLikeAnInaccessibleKey) {
    platform::SetRegistryApi(nullptr);
    Load();
    EXPECT_TRUE(Reports().empty());
    ExpectDefaults();
    Save();
    ExpectDialog(WriteFailure);
}

TEST_F(SettingsStore, VersionIsAlwaysSetAndNeverStored) {
    Reg.PutText(Key, "Version", "9.99");
    Load();
    EXPECT_EQ(Cfg.Version, "1.38");
    Reg.PutText(Key, "CoverArea", "bad");
    Cfg.Version = "other";
    Load();
    EXPECT_EQ(Cfg.Version, "1.38");
    Cfg.Version = "2.00";
    Save();
    for (const std::string& name : Reg.WriteLog()) {
        EXPECT_NE(name, "Version");
    }
    ExpectText("Version", "9.99");
}

TEST_F(SettingsStore, SaveWritesSixValuesInOrderWithTheirTypes) {
    Reg.PutText(Key, "CoverArea", "old string");
    Reg.PutText(Key, "Unrelated", "left alone");
    Cfg = TCfg{};
    Cfg.CoverArea = -5;
    Cfg.TransitionTime = 4;
    Cfg.MovementType = 0;
    Cfg.DrawBorders = false;
    Cfg.TextLine1 = "one";
    Cfg.TextLine2 = "two";
    Cfg.KeepClearTop = 40;  // not the dialog's: never written
    Save();
    EXPECT_TRUE(Reports().empty());
    const std::vector<std::string> order = {"CoverArea",   "TransitionTime", "MovementType",
                                            "DrawBorders", "TextLine1",      "TextLine2"};
    EXPECT_EQ(Reg.WriteLog(), order);
    ExpectDword("CoverArea", 0xFFFFFFFBu);
    ExpectDword("TransitionTime", 4);
    ExpectDword("MovementType", 0);
    ExpectDword("DrawBorders", 0);
    ExpectText("TextLine1", "one");
    ExpectText("TextLine2", "two");
    ExpectText("Unrelated", "left alone");
    EXPECT_EQ(Reg.ValueCount(Key), 7u);
}

TEST_F(SettingsStore, SaveThenLoadRestoresTheSettings) {
    Cfg.CoverArea = 3;
    Cfg.TransitionTime = 1;
    Cfg.MovementType = 0;
    Cfg.DrawBorders = false;
    Cfg.TextLine1 = "Line \xE9 one";
    Cfg.TextLine2 = "";
    Save();
    Load();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.CoverArea, 3);
    EXPECT_EQ(Cfg.TransitionTime, 1);
    EXPECT_EQ(Cfg.MovementType, 0);
    EXPECT_FALSE(Cfg.DrawBorders);
    EXPECT_EQ(Cfg.TextLine1, "Line \xE9 one");
    EXPECT_EQ(Cfg.TextLine2, "");
}

TEST_F(SettingsStore, RefusedWriteStopsTheSaveAndKeepsEarlierValues) {
    Reg.PutText(Key, "TextLine2", "old two");
    Reg.FailWritesOf("TextLine1", platform::RegAccessDenied);
    Cfg.CoverArea = 2;
    Cfg.TextLine1 = "new one";
    Cfg.TextLine2 = "new two";
    Save();
    ExpectDialog(WriteFailure);
    const std::vector<std::string> written = {"CoverArea", "TransitionTime", "MovementType", "DrawBorders"};
    EXPECT_EQ(Reg.WriteLog(), written);
    ExpectDword("CoverArea", 2);
    EXPECT_EQ(Reg.FindValue(Key, "TextLine1"), nullptr);
    ExpectText("TextLine2", "old two");
    EXPECT_EQ(Cfg.TextLine1, "new one");
    EXPECT_EQ(Cfg.TextLine2, "new two");
}

TEST_F(SettingsStore, FailingCloseIsReportedOnce) {
    Reg.PutDword(Key, "CoverArea", 0);
    Reg.SetCloseStatus(platform::RegInvalidHandle);
    Load();
    ExpectDialog(ReadFailure);
    EXPECT_EQ(Cfg.CoverArea, 0);
    Reports().clear();
    Save();
    ExpectDialog(WriteFailure);
}

TEST_F(SettingsStore, SeveralBadValuesGiveOneReport) {
    Reg.PutText(Key, "CoverArea", "x");
    Reg.PutText(Key, "TransitionTime", "x");
    Reg.PutDword(Key, "TextLine1", 1);
    Load();
    EXPECT_EQ(Reports().size(), 1u);
}

}  // namespace

// ---- policies and recommendations ----

namespace {

const std::string MachinePolicy = "HKLM\\Software\\Policies\\Varnel\\KestraneWorkstation";
const std::string UserPolicy = "Software\\Policies\\Varnel\\KestraneWorkstation";
const std::string MachineRecommended = MachinePolicy + "\\Recommended";
const std::string UserRecommended = UserPolicy + "\\Recommended";

struct TPut {
    std::string Path;
    std::string Name;
    uint32_t Type;
    std::vector<uint8_t> Data;
};

std::vector<uint8_t> Le(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}
std::vector<uint8_t> Sz(const std::string& s) {
    std::vector<uint8_t> d(s.begin(), s.end());
    d.push_back(0);
    return d;
}

struct TSourceCase {
    const char* Name;
    std::vector<TPut> Puts;
    int32_t CoverArea;
    std::string TextLine1;
    TSettingSource CoverSource;
    TSettingSource Line1Source;
    bool Report;  // only the user's own key ever reports
};

class SettingSources : public SettingsStore, public ::testing::WithParamInterface<TSourceCase> {};

TEST_P(SettingSources, TheFirstSourceThatHasAValueWins) {
    const TSourceCase& c = GetParam();
    for (const TPut& put : c.Puts) Reg.PutValue(put.Path, put.Name, put.Type, put.Data);
    Load();
    EXPECT_EQ(Cfg.CoverArea, c.CoverArea);
    EXPECT_EQ(Cfg.TextLine1, c.TextLine1);
    EXPECT_EQ(CfgSources.Of[stCoverArea], c.CoverSource);
    EXPECT_EQ(CfgSources.Of[stTextLine1], c.Line1Source);
    EXPECT_EQ(Reports().size(), c.Report ? 1u : 0u);
    // Policy keys are opened for reading only, in the order of precedence.
    const std::vector<std::string> opens = {MachinePolicy, UserPolicy, MachineRecommended, UserRecommended};
    EXPECT_EQ(Reg.ReadOpens(), opens);
    for (const TPut& put : c.Puts) {
        const TMemoryRegistry::TValue* v = Reg.FindValue(put.Path, put.Name);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->Data, put.Data) << "a source was changed: " << put.Path;
    }
    EXPECT_FALSE(Reg.KeyExists(UserPolicy) && c.Puts.empty()) << "a policy key was created";
}

using S = TSettingSource;
const TSourceCase SourceCases[] = {
    {"all five",
     {{MachinePolicy, "CoverArea", RegDword, Le(0)},
      {UserPolicy, "CoverArea", RegDword, Le(1)},
      {Key, "CoverArea", RegDword, Le(2)},
      {MachineRecommended, "CoverArea", RegDword, Le(3)},
      {UserRecommended, "CoverArea", RegDword, Le(4)}},
     0,
     DefaultLine1,
     S::MachinePolicy,
     S::Default,
     false},
    {"user policy over own",
     {{UserPolicy, "CoverArea", RegDword, Le(1)},
      {Key, "CoverArea", RegDword, Le(2)},
      {MachineRecommended, "CoverArea", RegDword, Le(3)}},
     1,
     DefaultLine1,
     S::UserPolicy,
     S::Default,
     false},
    {"own over recommendations",
     {{Key, "CoverArea", RegDword, Le(2)},
      {MachineRecommended, "CoverArea", RegDword, Le(3)},
      {UserRecommended, "CoverArea", RegDword, Le(0)}},
     2,
     DefaultLine1,
     S::Own,
     S::Default,
     false},
    {"machine recommendation over the user's",
     {{MachineRecommended, "CoverArea", RegDword, Le(3)}, {UserRecommended, "CoverArea", RegDword, Le(0)}},
     3,
     DefaultLine1,
     S::RecommendedForMachine,
     S::Default,
     false},
    {"the user's recommendation alone",
     {{UserRecommended, "CoverArea", RegDword, Le(0)}},
     0,
     DefaultLine1,
     S::RecommendedForUser,
     S::Default,
     false},
    {"nothing anywhere", {}, 1, DefaultLine1, S::Default, S::Default, false},
    {"machine policy with the middle missing",
     {{MachinePolicy, "CoverArea", RegDword, Le(2)}, {UserRecommended, "CoverArea", RegDword, Le(0)}},
     2,
     DefaultLine1,
     S::MachinePolicy,
     S::Default,
     false},
    {"each value on its own",
     {{MachinePolicy, "CoverArea", RegDword, Le(3)},
      {UserPolicy, "TextLine1", RegSz, Sz("user policy")},
      {Key, "TextLine1", RegSz, Sz("own")}},
     3,
     "user policy",
     S::MachinePolicy,
     S::UserPolicy,
     false},
    {"machine policy as text falls to the user policy",
     {{MachinePolicy, "CoverArea", RegSz, Sz("3")}, {UserPolicy, "CoverArea", RegDword, Le(0)}},
     0,
     DefaultLine1,
     S::UserPolicy,
     S::Default,
     false},
    {"an eight-byte policy falls to the own value",
     {{MachinePolicy, "CoverArea", RegDword, std::vector<uint8_t>(8, 1)}, {Key, "CoverArea", RegDword, Le(2)}},
     2,
     DefaultLine1,
     S::Own,
     S::Default,
     false},
    {"binary and qword policies fall to the recommendation",
     {{MachinePolicy, "CoverArea", RegBinary, Le(2)},
      {UserPolicy, "CoverArea", platform::RegQword, std::vector<uint8_t>(8, 0)},
      {MachineRecommended, "CoverArea", RegDword, Le(3)}},
     3,
     DefaultLine1,
     S::RecommendedForMachine,
     S::Default,
     false},
    {"a damaged policy does not stop the next value",
     {{MachinePolicy, "CoverArea", RegSz, Sz("x")}, {MachinePolicy, "TextLine1", RegExpandSz, Sz("%PATH%")}},
     1,
     "%PATH%",
     S::Default,
     S::MachinePolicy,
     false},
    {"a text policy of the wrong type falls to the own text",
     {{MachinePolicy, "TextLine1", RegDword, Le(1)}, {Key, "TextLine1", RegSz, Sz("own")}},
     1,
     "own",
     S::Default,
     S::Own,
     false},
    {"an own value that fails is reported and a recommendation fills in",
     {{Key, "CoverArea", RegSz, Sz("2")},
      {Key, "TextLine1", RegSz, Sz("after the failure")},
      {UserRecommended, "CoverArea", RegDword, Le(3)},
      {UserRecommended, "TextLine1", RegSz, Sz("recommended")}},
     3,
     "recommended",
     S::RecommendedForUser,
     S::RecommendedForUser,
     true},
    {"an empty policy text is an enforced empty text",
     {{UserPolicy, "TextLine1", RegNone, {}}, {Key, "TextLine1", RegSz, Sz("own")}},
     1,
     "",
     S::Default,
     S::UserPolicy,
     false},
    {"a mebibyte policy text is taken whole",
     {{MachinePolicy, "TextLine1", RegSz, Sz(std::string(1 << 20, 'W'))}},
     1,
     std::string(1 << 20, 'W'),
     S::Default,
     S::MachinePolicy,
     false},
};

INSTANTIATE_TEST_SUITE_P(Table, SettingSources, ::testing::ValuesIn(SourceCases),
                         [](const ::testing::TestParamInfo<TSourceCase>& info) {
                             std::string name;
                             for (const char* p = info.param.Name; *p != '\0'; ++p) {
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             }
                             return name;
                         });

// The rows kept clear for an alarm banner and the watcher's idle time come
// from every source, each on its own: a damaged text of the user's does not
// uncover the banner nor change when the band starts.
TEST_F(SettingsStore, KeptClearRowsSurviveADamagedTextAndComeFromEverySource) {
    Reg.PutText(Key, "CoverArea", "damaged");
    Reg.PutDword(Key, "KeepClearTop", 40);
    Reg.PutDword(Key, "StartAfterIdle", 3);
    Reg.PutText(MachinePolicy, "KeepClearTop", "90");  // refused: the user's own applies
    Reg.PutDword(MachinePolicy, "KeepClearBottom", 0xFFFFFFFFu);
    Reg.PutDword(UserRecommended, "KeepClearBottom", 30);
    Load();
    ExpectDialog(ReadFailure);
    EXPECT_EQ(Cfg.CoverArea, 1);
    EXPECT_EQ(Cfg.KeepClearTop, 40);
    EXPECT_EQ(CfgSources.Of[stKeepClearTop], TSettingSource::Own);
    EXPECT_EQ(Cfg.KeepClearBottom, -1);  // held at 0 by the band
    EXPECT_EQ(CfgSources.Of[stKeepClearBottom], TSettingSource::MachinePolicy);
    EXPECT_EQ(Cfg.StartAfterIdle, 3);
    EXPECT_EQ(CfgSources.Of[stStartAfterIdle], TSettingSource::Own);
    // Not in the dialog: an enforced strip alone shows no "managed" line.
    EXPECT_FALSE(CfgSources.AnyEnforced());
    // The watcher's quiet load: the same values, no report.
    Reports().clear();
    Reg.PutDword(UserPolicy, "StartAfterIdle", 900);
    EXPECT_FALSE(TryLoadCfg());
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Cfg.StartAfterIdle, 900);
    EXPECT_EQ(CfgSources.Of[stStartAfterIdle], TSettingSource::UserPolicy);
    EXPECT_EQ(Cfg.KeepClearTop, 40);
}

TEST_F(SettingsStore, TheWatchersIdleTimeDefaultsToTenMinutesAndIsNeverWritten) {
    Load();
    EXPECT_EQ(Cfg.StartAfterIdle, 600);
    Reg.PutDword(MachineRecommended, "StartAfterIdle", 120);
    Load();
    EXPECT_EQ(Cfg.StartAfterIdle, 120);
    Save();
    EXPECT_EQ(Reg.FindValue(Key, "StartAfterIdle"), nullptr);
}

TEST_F(SettingsStore, SavingLeavesOutEnforcedAndUntouchedRecommendedSettings) {
    Reg.PutDword(Key, "CoverArea", 2);
    Reg.PutDword(MachinePolicy, "CoverArea", 0);
    Reg.PutDword(UserPolicy, "DrawBorders", 0);
    Reg.PutText(MachineRecommended, "TextLine1", "recommended");
    Reg.PutDword(UserRecommended, "MovementType", 0);
    Load();
    CfgSources.Of[stMovementType] = TSettingSource::Own;  // as the dialog marks a changed recommendation
    Save();
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(Reg.WriteLog(), (std::vector<std::string>{"TransitionTime", "MovementType", "TextLine2"}));
    ExpectDword("CoverArea", 2);  // the user's own value of an enforced setting stays
    ExpectDword("MovementType", 0);
    EXPECT_EQ(Reg.FindValue(Key, "TextLine1"), nullptr);
    EXPECT_EQ(Reg.FindValue(Key, "DrawBorders"), nullptr);
}

TEST_F(SettingsStore, PasswordProtectionFollowsTheWindowsPolicyThenTheUser) {
    const std::string desktop = "Control Panel\\Desktop";
    const std::string policy = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
    EXPECT_FALSE(ScreenSaverIsSecure());
    Reg.PutText(desktop, "ScreenSaverIsSecure", "1");
    EXPECT_TRUE(ScreenSaverIsSecure());
    Reg.PutText(policy, "ScreenSaverIsSecure", "0");
    EXPECT_FALSE(ScreenSaverIsSecure());
    Reg.PutText(desktop, "ScreenSaverIsSecure", "0");
    Reg.PutText(policy, "ScreenSaverIsSecure", "1");
    EXPECT_TRUE(ScreenSaverIsSecure());
    Reg.PutDword(policy, "ScreenSaverIsSecure", 1);  // not a text: the user's setting decides
    EXPECT_FALSE(ScreenSaverIsSecure());
    EXPECT_TRUE(Reg.WriteLog().empty());
}

// Windows starts this program itself when its screen-saver executable names it
// and the saver is on; the Windows policy decides first, value by value.
TEST_F(SettingsStore, WindowsStartsTheProgramWhenItsSaverValueNamesItAndIsOn) {
    const std::string desktop = "Control Panel\\Desktop";
    const std::string policy = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
    const std::string program = "C:\\Windows\\System32\\kestrane.scr";
    EXPECT_FALSE(WindowsStartsProgram(program));
    Reg.PutText(desktop, "SCRNSAVE.EXE", "C:\\WINDOWS\\system32\\KESTRANE.SCR");
    EXPECT_TRUE(WindowsStartsProgram(program));  // on unless ScreenSaveActive says off
    Reg.PutText(desktop, "ScreenSaveActive", "0");
    EXPECT_FALSE(WindowsStartsProgram(program));
    Reg.PutText(policy, "ScreenSaveActive", "1");
    EXPECT_TRUE(WindowsStartsProgram(program));
    Reg.PutText(policy, "SCRNSAVE.EXE", "scrnsave.scr");  // the policy's saver is another
    EXPECT_FALSE(WindowsStartsProgram(program));
    Reg.PutText(policy, "SCRNSAVE.EXE", "\"kestrane.scr\" ");
    EXPECT_TRUE(WindowsStartsProgram(program));
    EXPECT_TRUE(Reg.WriteLog().empty());
}

TEST(ExecutableNames, OnlyTheSameFileNameCounts) {
    const struct {
        const char* Value;
        bool Names;
    } cases[] = {
        {"C:\\Windows\\System32\\kestrane.scr", true},
        {"%SystemRoot%\\System32\\Kestrane.SCR", true},
        {"kestrane.scr", true},
        {"D:/tools/kestrane.scr", true},
        {"C:\\Windows\\System32\\kestrane.scr.bak", false},
        {"C:\\Windows\\System32\\xkestrane.scr", false},
        {"C:\\Windows\\System32\\", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExecutableNamesProgram(c.Value, "C:\\Windows\\System32\\kestrane.scr"), c.Names) << c.Value;
    }
}

}  // namespace
