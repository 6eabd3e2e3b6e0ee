#include "platform/formLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "resources/makerContact.h"

namespace {

TFormLayout ParseOk(const std::string& text) {
    TFormLayout layout;
    std::string error;
    EXPECT_TRUE(ParseFormLayout(text, layout, error)) << error;
    return layout;
}

std::string ParseError(const std::string& text) {
    TFormLayout layout;
    std::string error;
    EXPECT_FALSE(ParseFormLayout(text, layout, error)) << text;
    return error;
}

// The stored value, or a marker when the item or the key is missing.
std::string ValueOf(const TLayoutItem* item, const std::string& key) {
    if (item == nullptr) {
        return "<no item>";
    }
    const std::string* value = item->Find(key);
    return value != nullptr ? *value : "<absent>";
}

// ---- format ----

TEST(FormLayoutParse, FormAndComponentsInFileOrder) {
    TFormLayout layout = ParseOk(
        "form frmTest caption=\"Test\" clientWidth=100\n"
        "image imgA left=1 top=2\n"
        "timer tmrB interval=50\n"
        "image imgC\n");
    EXPECT_EQ(layout.Form.Kind, "form");
    EXPECT_EQ(layout.Form.Name, "frmTest");
    ASSERT_EQ(layout.Form.Properties.size(), 2u);
    EXPECT_EQ(layout.Form.Properties[0], (std::pair<std::string, std::string>("caption", "Test")));
    EXPECT_EQ(layout.Form.Properties[1], (std::pair<std::string, std::string>("clientWidth", "100")));
    ASSERT_EQ(layout.Components.size(), 3u);
    EXPECT_EQ(layout.Components[0].Kind, "image");
    EXPECT_EQ(layout.Components[0].Name, "imgA");
    EXPECT_EQ(layout.Components[1].Name, "tmrB");
    EXPECT_EQ(layout.Components[2].Name, "imgC");
    EXPECT_TRUE(layout.Components[2].Properties.empty());
}

TEST(FormLayoutParse, QuotedValuesAreStoredVerbatim) {
    TFormLayout layout = ParseOk(
        "form f\n"
        "label a caption=\" Preferences \"\n"
        "label b caption=\"say \"\"hi\"\"\"\n"
        "label c caption=\"C:\\dir\\r\\n\"\n"
        "label d caption=\"\"\n"
        "label e caption=\"a=b # not a comment\"\n"
        "label g caption=\"\"\"\"\n");
    EXPECT_EQ(ValueOf(layout.FindComponent("a"), "caption"), " Preferences ");
    EXPECT_EQ(ValueOf(layout.FindComponent("b"), "caption"), "say \"hi\"");
    EXPECT_EQ(ValueOf(layout.FindComponent("c"), "caption"), "C:\\dir\\r\\n");
    EXPECT_EQ(ValueOf(layout.FindComponent("d"), "caption"), "");
    EXPECT_EQ(ValueOf(layout.FindComponent("e"), "caption"), "a=b # not a comment");
    EXPECT_EQ(ValueOf(layout.FindComponent("g"), "caption"), "\"");
}

TEST(FormLayoutParse, BareValuesEndAtBlanksAndMayBeEmpty) {
    TFormLayout layout = ParseOk("form f borderIcons= style=none\tfontStyle=bold,underline last=\n");
    EXPECT_EQ(ValueOf(&layout.Form, "borderIcons"), "");
    EXPECT_EQ(ValueOf(&layout.Form, "style"), "none");
    EXPECT_EQ(ValueOf(&layout.Form, "fontStyle"), "bold,underline");
    EXPECT_EQ(ValueOf(&layout.Form, "last"), "");
    EXPECT_EQ(layout.Form.Properties.size(), 4u);
}

TEST(FormLayoutParse, CommentsBlankLinesCrLfAndBom) {
    TFormLayout layout = ParseOk(
        "\xEF\xBB\xBF# header\r\n"
        "\r\n"
        "   \t\n"
        "form f caption=\"x\"\r\n"
        "   # indented comment\n"
        "\timage i left=3\r\n"
        "timer t");  // no final line end
    EXPECT_EQ(layout.Form.Name, "f");
    EXPECT_EQ(ValueOf(&layout.Form, "caption"), "x");
    ASSERT_EQ(layout.Components.size(), 2u);
    EXPECT_EQ(ValueOf(&layout.Components[0], "left"), "3");
    EXPECT_EQ(layout.Components[1].Name, "t");
}

TEST(FormLayoutParse, ParentNestsAndIsKeptApart) {
    TFormLayout layout = ParseOk(
        "form f\n"
        "groupBox g left=1\n"
        "label l parent=g caption=x\n"
        "label m parent=\"\" caption=y\n"
        "button b\n");
    const TLayoutItem* g = layout.FindComponent("g");
    const TLayoutItem* l = layout.FindComponent("l");
    const TLayoutItem* m = layout.FindComponent("m");
    const TLayoutItem* b = layout.FindComponent("b");
    ASSERT_TRUE(g != nullptr && l != nullptr && m != nullptr && b != nullptr);
    EXPECT_EQ(g->Parent, "");
    EXPECT_EQ(l->Parent, "g");
    EXPECT_EQ(l->Find("parent"), nullptr);
    EXPECT_EQ(l->Properties.size(), 1u);
    EXPECT_EQ(m->Parent, "");
    EXPECT_EQ(b->Parent, "");
}

TEST(FormLayoutParse, FindComponentOnlyFindsComponents) {
    TFormLayout layout = ParseOk("form f\nlabel a\n");
    EXPECT_NE(layout.FindComponent("a"), nullptr);
    EXPECT_EQ(layout.FindComponent("f"), nullptr);
    EXPECT_EQ(layout.FindComponent("A"), nullptr);
    EXPECT_EQ(layout.FindComponent(""), nullptr);
}

struct TErrorCase {
    const char* text;
    const char* linePrefix;
    const char* reason;
};

TEST(FormLayoutParse, ErrorsNameTheLine) {
    const TErrorCase cases[] = {
        {"form f\nlabel a caption=\"open\n", "line 2: ", "unterminated"},
        {"form f\nlabel a caption=\"x\"\"\n", "line 2: ", "unterminated"},
        {"# c\n\nform f\nlabel a visible\n", "line 4: ", "missing '='"},
        {"form f\nlabel a left 3\n", "line 2: ", "missing '='"},
        {"form f\nlabel a\n\nlabel a\n", "line 4: ", "duplicate name 'a'"},
        {"form f\nlabel f\n", "line 2: ", "duplicate name 'f'"},
        {"form f\nlabel a parent=g\ngroupBox g\n", "line 2: ", "unknown parent 'g'"},
        {"form f\nlabel a parent=a\n", "line 2: ", "unknown parent 'a'"},
        {"form f\nlabel a parent=f\n", "line 2: ", "unknown parent 'f'"},
        {"", "line 1: ", "no 'form' line"},
        {"# only\n\n# comments\n", "line 3: ", "no 'form' line"},
        {"\nlabel a\nform f\n", "line 2: ", "expected 'form"},
        {"form f\nform g\n", "line 2: ", "second 'form'"},
        {"form f parent=x\n", "line 1: ", "cannot have a parent"},
        {"form f\nlabel a left=1 left=2\n", "line 2: ", "duplicate key 'left'"},
        {"form f\nlabel a caption=ab\"c\n", "line 2: ", "quote inside"},
        {"form f\nlabel a caption=\"a\"b\n", "line 2: ", "after the closing quote"},
        {"form\n", "line 1: ", "missing name"},
        {"form frm-x\n", "line 1: ", "expected a blank after the name"},
        {"form f\nlabel a =3\n", "line 2: ", "expected a key"},
        {"form f\n\"label\" a\n", "line 2: ", "expected a kind"},
    };
    for (const TErrorCase& c : cases) {
        std::string error = ParseError(c.text);
        EXPECT_EQ(error.rfind(c.linePrefix, 0), 0u) << c.text << " -> " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(FormLayoutParse, FailureLeavesOutputUntouched) {
    TFormLayout layout = ParseOk("form keep\nlabel a\n");
    std::string error;
    EXPECT_FALSE(ParseFormLayout("form other\nlabel b caption=\"\n", layout, error));
    EXPECT_EQ(layout.Form.Name, "keep");
    ASSERT_EQ(layout.Components.size(), 1u);
    EXPECT_EQ(layout.Components[0].Name, "a");
}

// ---- typed access ----

TLayoutItem ItemWith(const std::string& value) {
    TLayoutItem item;
    item.Properties.emplace_back("v", value);
    return item;
}

TEST(FormLayoutValues, IntParsesDecimalOrFallsBack) {
    const struct {
        const char* value;
        int32_t expected;
    } cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+5", 5},
        {"0", 0},
        {"-0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", -99},
        {"-2147483649", -99},
        {"99999999999999999999", -99},
        {"12px", -99},
        {"", -99},
        {"-", -99},
        {"+", -99},
        {"+-3", -99},
        {"--3", -99},
        {" 3", -99},
        {"3 ", -99},
        {"0x10", -99},
        {"1.5", -99},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ItemWith(c.value).Int("v", -99), c.expected) << "'" << c.value << "'";
    }
    EXPECT_EQ(ItemWith("3").Int("absent", 11), 11);
    EXPECT_EQ(TLayoutItem().Int("v"), 0);
}

TEST(FormLayoutValues, BoolAcceptsTrueFalseOneZero) {
    const struct {
        const char* value;
        bool fallback;
        bool expected;
    } cases[] = {
        {"true", false, true},   {"TRUE", false, true},  {"True", false, true}, {"1", false, true},
        {"false", true, false},  {"FALSE", true, false}, {"0", true, false},    {"yes", false, false},
        {"yes", true, true},     {"", true, true},       {"", false, false},    {"2", true, true},
        {"truex", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ItemWith(c.value).Bool("v", c.fallback), c.expected) << "'" << c.value << "'";
    }
    EXPECT_TRUE(ItemWith("false").Bool("absent", true));
}

TEST(FormLayoutValues, TextDistinguishesEmptyFromAbsent) {
    TLayoutItem item = ItemWith("");
    EXPECT_EQ(item.Text("v", "fallback"), "");
    EXPECT_EQ(item.Text("w", "fallback"), "fallback");
    EXPECT_EQ(item.Text("w"), "");
    EXPECT_NE(item.Find("v"), nullptr);
    EXPECT_EQ(item.Find("V"), nullptr);
}

TEST(FormLayoutValues, ListSplitsAtTheSeparator) {
    EXPECT_EQ(ItemWith("1/2|1/3|1/4").List("v"), (std::vector<std::string>{"1/2", "1/3", "1/4"}));
    EXPECT_EQ(ItemWith("one").List("v"), (std::vector<std::string>{"one"}));
    EXPECT_EQ(ItemWith("a||b|").List("v"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(ItemWith("bold,underline").List("v", ','), (std::vector<std::string>{"bold", "underline"}));
    EXPECT_TRUE(ItemWith("").List("v").empty());
    EXPECT_TRUE(ItemWith("x").List("absent").empty());
}

// ---- the stored layouts of the program ----

std::string ReadResource(const std::string& name) {
    std::vector<std::string> candidates;
#ifdef KESTRANE_SOURCE_DIR
    candidates.push_back(std::string(KESTRANE_SOURCE_DIR) + "/resources/" + name);
#endif
    for (const char* prefix : {"", "../", "../../", "../../../"}) {
        candidates.push_back(std::string(prefix) + "resources/" + name);
    }
    for (const std::string& path : candidates) {
        std::ifstream file(path, std::ios::binary);
        if (file) {
            std::ostringstream content;
            content << file.rdbuf();
            return content.str();
        }
    }
    ADD_FAILURE() << "cannot find resources/" << name;
    return "";
}

TFormLayout LoadLayout(const std::string& name) {
    TFormLayout layout;
    std::string error;
    EXPECT_TRUE(ParseFormLayout(ReadResource(name), layout, error)) << name << ": " << error;
    return layout;
}

std::vector<std::string> Names(const TFormLayout& layout) {
    std::vector<std::string> names;
    for (const TLayoutItem& item : layout.Components) {
        names.push_back(item.Name);
    }
    return names;
}

TEST(StoredSaverLayout, FormProperties) {
    TFormLayout layout = LoadLayout("frmSaver.layout");
    const TLayoutItem& form = layout.Form;
    EXPECT_EQ(form.Name, "frmSaver");
    EXPECT_EQ(form.Text("caption"), "frmSaver");
    EXPECT_EQ(form.Int("left", -1), 35);
    EXPECT_EQ(form.Int("top", -1), 908);
    EXPECT_EQ(form.Int("clientWidth", -1), 218);
    EXPECT_EQ(form.Int("clientHeight", -1), 126);
    EXPECT_EQ(form.Text("borderStyle"), "none");
    ASSERT_NE(form.Find("borderIcons"), nullptr);
    EXPECT_TRUE(form.List("borderIcons", ',').empty());
    EXPECT_EQ(form.Text("formStyle"), "stayOnTop");
    EXPECT_FALSE(form.Bool("activates", true));
    EXPECT_TRUE(form.Bool("ownDc", false));
    EXPECT_EQ(form.Text("onShow"), "FormShow");
    EXPECT_EQ(form.Text("onHide"), "FormHide");
    EXPECT_EQ(form.Text("onEraseBackground"), "HandleEraseBackground");
}

TEST(StoredSaverLayout, ComponentsInCreationOrder) {
    TFormLayout layout = LoadLayout("frmSaver.layout");
    EXPECT_EQ(Names(layout), (std::vector<std::string>{"imgScreen", "imgLogo", "tmrMove", "tmrStop"}));

    const TLayoutItem* screen = layout.FindComponent("imgScreen");
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Kind, "image");
    EXPECT_EQ(screen->Int("left", -1), 0);
    EXPECT_EQ(screen->Int("top", -1), 0);
    EXPECT_EQ(screen->Int("width", -1), 105);
    EXPECT_EQ(screen->Int("height", -1), 113);
    EXPECT_EQ(screen->Find("picture"), nullptr);

    const TLayoutItem* logo = layout.FindComponent("imgLogo");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->Kind, "image");
    EXPECT_EQ(logo->Int("left", -1), 0);
    EXPECT_EQ(logo->Int("top", -1), 0);
    EXPECT_EQ(logo->Int("width", -1), 200);
    EXPECT_EQ(logo->Int("height", -1), 44);
    EXPECT_EQ(logo->Text("picture"), "LOGO");
    EXPECT_TRUE(logo->Bool("autoSize", false));
    EXPECT_TRUE(logo->Bool("transparent", false));
    EXPECT_FALSE(logo->Bool("visible", true));

    const struct {
        const char* name;
        int32_t interval;
        const char* handler;
    } timers[] = {{"tmrMove", 3000, "tmrMoveTimer"}, {"tmrStop", 100, "tmrStopTimer"}};
    for (const auto& t : timers) {
        const TLayoutItem* timer = layout.FindComponent(t.name);
        ASSERT_NE(timer, nullptr) << t.name;
        EXPECT_EQ(timer->Kind, "timer");
        EXPECT_FALSE(timer->Bool("enabled", true)) << t.name;
        EXPECT_EQ(timer->Int("interval", -1), t.interval) << t.name;
        EXPECT_EQ(timer->Text("onTimer"), t.handler) << t.name;
    }
}

TEST(StoredConfigLayout, FormProperties) {
    TFormLayout layout = LoadLayout("frmConfig.layout");
    const TLayoutItem& form = layout.Form;
    EXPECT_EQ(form.Name, "frmConfig");
    EXPECT_EQ(form.Text("caption"), "frmConfig");
    EXPECT_EQ(form.Int("clientWidth", -1), 578);
    EXPECT_EQ(form.Int("clientHeight", -1), 260);
    EXPECT_EQ(form.Text("borderStyle"), "single");
    EXPECT_EQ(form.List("borderIcons", ','), (std::vector<std::string>{"systemMenu"}));
    EXPECT_EQ(form.Text("color"), "btnFace");
    EXPECT_EQ(form.Text("font"), "Tahoma");
    EXPECT_EQ(form.Int("fontHeight", -1), 11);
    EXPECT_EQ(form.Text("onCreate"), "FormCreate");
    EXPECT_EQ(form.Text("onDestroy"), "FormDestroy");
    EXPECT_EQ(form.Text("onKeyPress"), "OnKeyPressAnywhere");
}

TEST(StoredConfigLayout, GradientStrip) {
    TFormLayout layout = LoadLayout("frmConfig.layout");
    const TLayoutItem* strip = layout.FindComponent("JvGradient1");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(&layout.Components.front(), strip);  // created first: everything paints over it
    EXPECT_EQ(strip->Kind, "gradient");
    EXPECT_EQ(strip->Text("align"), "right");
    EXPECT_EQ(strip->Int("left", -1), 376);
    EXPECT_EQ(strip->Int("top", -1), 0);
    EXPECT_EQ(strip->Int("width", -1), 202);
    EXPECT_EQ(strip->Int("height", -1), 260);
    EXPECT_EQ(strip->Text("style"), "vertical");
    EXPECT_EQ(strip->Text("startColor"), "btnShadow");
    EXPECT_EQ(strip->Text("endColor"), "btnFace");
    EXPECT_EQ(strip->Int("steps", -1), 256);
}

// One row per control of the dialog; -1 and nullptr mean "not stored".
struct TControlRow {
    const char* name;
    const char* kind;
    const char* parent;
    int32_t left, top, width, height;
    const char* caption;
    int32_t tabOrder;
    const char* onChange;
    const char* onClick;
    const char* onKeyPress;
};

const char* const kAny = "OnAnyChange";
const char* const kKey = "OnKeyPressAnywhere";
const char* const kGroup = "GroupBox1";

const TControlRow kControls[] = {
    {"GroupBox1", "groupBox", "", 16, 16, 345, 156, " Preferences ", 0, nullptr, nullptr, nullptr},
    {"Label1", "label", kGroup, 16, 24, -1, -1, "Screen saver covers ", -1, nullptr, nullptr, nullptr},
    {"cbCoverArea", "comboBox", kGroup, 136, 20, 49, 21, nullptr, 0, kAny, nullptr, kKey},
    {"Label2", "label", kGroup, 192, 24, -1, -1, "of the desktop at the time", -1, nullptr, nullptr, nullptr},
    {"Label3", "label", kGroup, 16, 48, -1, -1, "Transition occurs every", -1, nullptr, nullptr, nullptr},
    {"seTransitionTime", "spinEdit", kGroup, 136, 45, 49, 21, nullptr, 1, kAny, nullptr, kKey},
    {"Label4", "label", kGroup, 192, 48, -1, -1, "seconds", -1, nullptr, nullptr, nullptr},
    {"Label5", "label", kGroup, 16, 74, -1, -1, "Blank area moves", -1, nullptr, nullptr, nullptr},
    {"cbMovementType", "comboBox", kGroup, 136, 70, 97, 21, nullptr, 2, kAny, nullptr, kKey},
    {"cbDrawBorders", "checkBox", kGroup, 256, 72, 73, 17, "w/ borders", 5, nullptr, kAny, kKey},
    {"Label6", "label", kGroup, 16, 98, -1, -1, "Text line 1", -1, nullptr, nullptr, nullptr},
    {"edTextLine1", "edit", kGroup, 80, 95, 249, 21, nullptr, 3, kAny, nullptr, kKey},
    {"Label7", "label", kGroup, 16, 122, -1, -1, "Text line 2", -1, nullptr, nullptr, nullptr},
    {"edTextLine2", "edit", kGroup, 80, 120, 249, 21, nullptr, 4, kAny, nullptr, kKey},
    {"btnOK", "button", "", 16, 187, 81, 25, "&OK", 1, nullptr, "btnOKClick", kKey},
    {"btnCancel", "button", "", 104, 187, 81, 25, "&Cancel", 2, nullptr, "btnCancelClick", kKey},
    {"btnApply", "button", "", 192, 187, 81, 25, "&Apply", 3, nullptr, "btnApplyClick", kKey},
    {"btnHelp", "button", "", 280, 187, 81, 25, "A&bout...", 4, nullptr, "btnHelpClick", kKey},
    {"btnOrder", "button", "", 16, 219, 345, 25, "O&rder this screen saver with your company logo and contact data", 5,
     nullptr, "btnOrderClick", kKey},
    {"Label8", "label", "", 392, 40, -1, -1, nullptr, -1, nullptr, nullptr, nullptr},
    {"Label9", "label", "", 392, 64, -1, -1, nullptr, -1, nullptr, nullptr, nullptr},
    {"Label10", "label", "", 392, 80, -1, -1, nullptr, -1, nullptr, nullptr, nullptr},
    {"Label11", "label", "", 392, 96, -1, -1, nullptr, -1, nullptr, nullptr, nullptr},
    {"Label12", "label", "", 392, 120, -1, -1, "Phone:", -1, nullptr, nullptr, nullptr},
    {"Label13", "label", "", 392, 136, -1, -1, "Fax:", -1, nullptr, nullptr, nullptr},
    {"Label16", "label", "", 432, 120, -1, -1, nullptr, -1, nullptr, nullptr, nullptr},
    {"Label17", "label", "", 432, 136, -1, -1, nullptr, -1, nullptr, nullptr, nullptr},
    {"Label14", "label", "", 392, 160, -1, -1, "E-mail:", -1, nullptr, nullptr, nullptr},
    {"Label15", "label", "", 392, 176, -1, -1, "URL:", -1, nullptr, nullptr, nullptr},
    {"labMail1", "label", "", 432, 160, -1, -1, kMakerMail, -1, nullptr, "labMail1Click", nullptr},
    {"labURL1", "label", "", 432, 176, -1, -1, kMakerSite, -1, nullptr, "labURL1Click", nullptr},
    {"labURL2", "label", "", 432, 192, -1, -1, kMakerSite2, -1, nullptr, "labURL2Click", nullptr},
    {"labManaged", "label", "", 16, 252, -1, -1, "Some settings are managed by your organization.", -1, nullptr,
     nullptr, nullptr},
    {"labLocks", "label", "", 16, 268, -1, -1, "Windows locks this workstation when the saver closes.", -1, nullptr,
     nullptr, nullptr},
    {"labWindowsStarts", "label", "", 16, 284, -1, -1, "Windows starts this saver: use the watcher (/w) instead.", -1,
     nullptr, nullptr, nullptr},
};

void ExpectStored(const TLayoutItem& item, const char* key, int32_t expected) {
    if (expected < 0) {
        EXPECT_EQ(item.Find(key), nullptr) << item.Name << "." << key;
    } else {
        EXPECT_EQ(item.Int(key, -1), expected) << item.Name << "." << key;
    }
}

void ExpectStored(const TLayoutItem& item, const char* key, const char* expected) {
    if (expected == nullptr) {
        EXPECT_EQ(item.Find(key), nullptr) << item.Name << "." << key;
    } else {
        ASSERT_NE(item.Find(key), nullptr) << item.Name << "." << key;
        EXPECT_EQ(*item.Find(key), expected) << item.Name << "." << key;
    }
}

TEST(StoredConfigLayout, EveryControlOfTheDialog) {
    TFormLayout layout = LoadLayout("frmConfig.layout");
    EXPECT_EQ(layout.Components.size(), 1 + std::size(kControls));  // the strip and the table
    for (const TControlRow& row : kControls) {
        const TLayoutItem* item = layout.FindComponent(row.name);
        ASSERT_NE(item, nullptr) << row.name;
        EXPECT_EQ(item->Kind, row.kind) << row.name;
        EXPECT_EQ(item->Parent, row.parent) << row.name;
        ExpectStored(*item, "left", row.left);
        ExpectStored(*item, "top", row.top);
        ExpectStored(*item, "width", row.width);
        ExpectStored(*item, "height", row.height);
        if (row.caption != nullptr) {
            ExpectStored(*item, "caption", row.caption);
        }
        ExpectStored(*item, "tabOrder", row.tabOrder);
        ExpectStored(*item, "onChange", row.onChange);
        ExpectStored(*item, "onClick", row.onClick);
        ExpectStored(*item, "onKeyPress", row.onKeyPress);
    }
}

TEST(StoredConfigLayout, ControlSettings) {
    TFormLayout layout = LoadLayout("frmConfig.layout");
    const TLayoutItem* cover = layout.FindComponent("cbCoverArea");
    ASSERT_NE(cover, nullptr);
    EXPECT_EQ(cover->Text("style"), "dropDownList");
    EXPECT_EQ(cover->List("items"), (std::vector<std::string>{"1/2", "1/3", "1/4", "1/5"}));

    const TLayoutItem* movement = layout.FindComponent("cbMovementType");
    ASSERT_NE(movement, nullptr);
    EXPECT_EQ(movement->Text("style"), "dropDownList");
    EXPECT_EQ(movement->List("items"), (std::vector<std::string>{"upside down", "randomly"}));

    const TLayoutItem* spin = layout.FindComponent("seTransitionTime");
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->Int("min", -1), 1);
    EXPECT_EQ(spin->Int("max", -1), 5);
    EXPECT_EQ(spin->Int("value", -1), 1);
    EXPECT_EQ(spin->Int("maxLength", -1), 1);

    for (const char* name : {"edTextLine1", "edTextLine2"}) {
        const TLayoutItem* edit = layout.FindComponent(name);
        ASSERT_NE(edit, nullptr) << name;
        EXPECT_EQ(edit->Int("maxLength", -1), 50) << name;
        EXPECT_EQ(edit->Text("text", "absent"), "") << name;
    }

    const TLayoutItem* borders = layout.FindComponent("cbDrawBorders");
    ASSERT_NE(borders, nullptr);
    EXPECT_FALSE(borders->Bool("checked", true));

    // Only Apply starts disabled.
    for (const char* name : {"btnOK", "btnCancel", "btnHelp", "btnOrder"}) {
        EXPECT_EQ(ValueOf(layout.FindComponent(name), "enabled"), "<absent>") << name;
    }
    EXPECT_EQ(ValueOf(layout.FindComponent("btnApply"), "enabled"), "false");
}

TEST(StoredConfigLayout, TabOrderFollowsCreationOrderInEachContainer) {
    TFormLayout layout = LoadLayout("frmConfig.layout");
    std::map<std::string, std::vector<std::string>> byContainer;
    for (const TLayoutItem& item : layout.Components) {
        if (item.Find("tabOrder") != nullptr) {
            std::vector<std::string>& names = byContainer[item.Parent];
            EXPECT_EQ(item.Int("tabOrder", -1), static_cast<int32_t>(names.size())) << item.Name;
            names.push_back(item.Name);
        }
    }
    EXPECT_EQ(byContainer[""],
              (std::vector<std::string>{"GroupBox1", "btnOK", "btnCancel", "btnApply", "btnHelp", "btnOrder"}));
    EXPECT_EQ(byContainer["GroupBox1"], (std::vector<std::string>{"cbCoverArea", "seTransitionTime", "cbMovementType",
                                                                  "edTextLine1", "edTextLine2", "cbDrawBorders"}));
    EXPECT_EQ(byContainer.size(), 2u);
}

TEST(StoredConfigLayout, ContactBlockLiesOnTheStrip) {
    TFormLayout layout = LoadLayout("frmConfig.layout");
    const TLayoutItem* strip = layout.FindComponent("JvGradient1");
    ASSERT_NE(strip, nullptr);
    int32_t stripLeft = strip->Int("left", 0);
    for (const TLayoutItem& item : layout.Components) {
        if (item.Kind != "label" || !item.Parent.empty()) {
            continue;
        }
        if (!item.Bool("visible", true)) {
            // The notice lines, shown under the buttons only when they apply.
            EXPECT_GT(item.Int("top", -1), 219 + 25) << item.Name;
            continue;
        }
        EXPECT_GE(item.Int("left", -1), stripLeft) << item.Name;
        EXPECT_TRUE(item.Bool("transparent", false)) << item.Name;
        EXPECT_FALSE(item.Text("caption").empty()) << item.Name;
        bool link = item.Name.rfind("lab", 0) == 0;
        if (link) {
            EXPECT_EQ(item.List("fontStyle", ','), (std::vector<std::string>{"bold", "underline"})) << item.Name;
            EXPECT_EQ(item.Text("cursor"), "hand") << item.Name;
        } else if (item.Name == "Label8") {
            EXPECT_EQ(item.List("fontStyle", ','), (std::vector<std::string>{"bold"}));
        } else {
            EXPECT_EQ(item.Find("fontStyle"), nullptr) << item.Name;
            EXPECT_EQ(item.Find("cursor"), nullptr) << item.Name;
        }
    }
    // Labels inside the group box keep the group's background.
    for (const TLayoutItem& item : layout.Components) {
        if (item.Parent == "GroupBox1") {
            EXPECT_EQ(item.Find("transparent"), nullptr) << item.Name;
        }
    }
}

TEST(StoredConfigLayout, GroupBoxHoldsItsControls) {
    TFormLayout layout = LoadLayout("frmConfig.layout");
    const TLayoutItem* group = layout.FindComponent("GroupBox1");
    ASSERT_NE(group, nullptr);
    for (const TLayoutItem& item : layout.Components) {
        if (item.Parent == "GroupBox1" && item.Find("width") != nullptr) {
            EXPECT_LE(item.Int("left", 0) + item.Int("width", 0), group->Int("width", 0)) << item.Name;
            EXPECT_LE(item.Int("top", 0) + item.Int("height", 0), group->Int("height", 0)) << item.Name;
        }
    }
}

// ---- the maker's addresses ----

std::string HostOf(const std::string& address) { return address.substr(0, address.find('/')); }

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(MakerContact, AddressesHaveTheirForms) {
    const std::string mail = kMakerMail;
    const std::string site = kMakerSite;
    const std::string site2 = kMakerSite2;
    ASSERT_NE(mail.find('@'), std::string::npos);
    for (const std::string& host : {site, site2, mail.substr(mail.find('@') + 1)}) {
        EXPECT_EQ(host.find("://"), std::string::npos) << host;
        EXPECT_EQ(host.find('/'), std::string::npos) << host;
        EXPECT_TRUE(EndsWith(host, ".example")) << host;  // a reserved domain, never a real one
    }
    for (const std::string page : {kProductPage, kOrderPage}) {
        EXPECT_EQ(page.rfind(site2 + "/", 0), 0u) << page;
        EXPECT_GT(page.size(), site2.size() + 1) << page;
        EXPECT_EQ(HostOf(page), site2) << page;
    }
    EXPECT_NE(std::string(kProductPage), std::string(kOrderPage));
}

// ---- the logo bitmap ----

uint32_t Le32(const std::string& data, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(data[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(data[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(data[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(data[at + 3])) << 24;
}

TEST(StoredLogo, IsA200By44TrueColourBitmapWithBlackBottomLeft) {
    std::string bmp = ReadResource("logo.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    uint32_t offset = Le32(bmp, 10);
    EXPECT_EQ(Le32(bmp, 14), 40u);                        // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<int32_t>(Le32(bmp, 18)), 200);  // width
    EXPECT_EQ(static_cast<int32_t>(Le32(bmp, 22)), 44);   // height > 0: bottom-up
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24);   // bits per pixel
    EXPECT_EQ(Le32(bmp, 30), 0u);                         // uncompressed
    const size_t stride = (200 * 3 + 3) / 4 * 4;
    ASSERT_GE(bmp.size(), offset + stride * 44);
    // First stored row is the bottom one: pixel (0, 43) is the transparent colour.
    EXPECT_EQ(bmp.substr(offset, 3), std::string(3, '\0'));
    // The logo is not all transparent.
    size_t lit = 0;
    for (size_t i = offset; i < offset + stride * 44; ++i) {
        lit += bmp[i] != '\0' ? 1 : 0;
    }
    EXPECT_GT(lit, 1000u);
}

}  // namespace
