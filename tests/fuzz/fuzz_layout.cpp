// The stored form layout parser over arbitrary text: it never crashes, a failure leaves the
// result alone and names a line, and what it accepts writes back out and parses the same.
// The same bytes also build a layout, which must read back exactly as it was written.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/formLayout.h"
#include "tests/fuzz/fuzzInput.h"

namespace {

bool IsIdentifier(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

std::string Quoted(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        out.push_back(c);
        if (c == '"') out.push_back('"');
    }
    return out + "\"";
}

// Bare where that reads back the same, quoted otherwise.
std::string Written(const std::string& value, bool quoteAlways) {
    bool bare = !quoteAlways;
    for (char c : value) {
        if (c == ' ' || c == '\t' || c == '"' || c == '\n' || c == '\r') bare = false;
    }
    return bare ? value : Quoted(value);
}

std::string Line(const TLayoutItem& item, bool quoteAlways, const std::string& blank) {
    std::string line = item.Kind + blank + item.Name;
    if (!item.Parent.empty()) line += blank + "parent=" + Written(item.Parent, quoteAlways);
    for (const auto& p : item.Properties) line += blank + p.first + "=" + Written(p.second, quoteAlways);
    return line;
}

std::string Write(const TFormLayout& layout, bool quoteAlways, bool crlf) {
    const std::string end = crlf ? "\r\n" : "\n";
    const std::string blank = crlf ? "\t" : " ";
    std::string text = "# written back\n" + Line(layout.Form, quoteAlways, blank) + end;
    for (const TLayoutItem& c : layout.Components) text += Line(c, quoteAlways, blank) + end + "   " + end;
    return text;
}

bool SameItem(const TLayoutItem& a, const TLayoutItem& b) {
    return a.Kind == b.Kind && a.Name == b.Name && a.Parent == b.Parent && a.Properties == b.Properties;
}

bool SameLayout(const TFormLayout& a, const TFormLayout& b) {
    if (!SameItem(a.Form, b.Form) || a.Components.size() != b.Components.size()) return false;
    for (size_t i = 0; i < a.Components.size(); ++i) {
        if (!SameItem(a.Components[i], b.Components[i])) return false;
    }
    return true;
}

// An identifier made from the next bytes, never empty.
std::string Identifier(TFuzzInput& in) {
    static const char Chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
    std::string id;
    const int length = 1 + in.Byte() % 6;
    for (int i = 0; i < length; ++i) id.push_back(Chars[in.Byte() % (sizeof Chars - 1)]);
    return id;
}

// A layout built from the input: whatever it holds must survive writing and parsing.
TFormLayout Generate(TFuzzInput& in) {
    TFormLayout layout;
    const int count = in.Byte() % 8;
    for (int i = -1; i < count; ++i) {
        TLayoutItem item;
        item.Kind = i < 0 ? "form" : Identifier(in);
        if (item.Kind == "form" && i >= 0) item.Kind = "formx";
        item.Name = Identifier(in) + "_" + std::to_string(i + 1);
        if (i > 0 && in.Byte() % 2 == 1) item.Parent = layout.Components[in.Byte() % static_cast<size_t>(i)].Name;
        const int properties = in.Byte() % 5;
        for (int k = 0; k < properties; ++k) {
            std::string value = in.Text();
            for (char& c : value) {
                if (c == '\n') c = '"';
            }
            item.Properties.emplace_back(Identifier(in) + "_" + std::to_string(k), value);
        }
        if (i < 0) {
            layout.Form = item;
        } else {
            layout.Components.push_back(item);
        }
    }
    return layout;
}

void CheckItem(const TLayoutItem& item) {
    FUZZ_CHECK(IsIdentifier(item.Kind));
    FUZZ_CHECK(IsIdentifier(item.Name));
    std::set<std::string> keys;
    for (const auto& p : item.Properties) {
        FUZZ_CHECK(IsIdentifier(p.first));
        FUZZ_CHECK(p.first != "parent");
        FUZZ_CHECK(keys.insert(p.first).second);
        FUZZ_CHECK(p.second.find('\n') == std::string::npos);
        FUZZ_CHECK(item.Find(p.first) == &p.second);
        FUZZ_CHECK(item.Text(p.first, "fallback") == p.second);
        // The accessors never fail on odd values.
        // Either a number (the fallback is not used) or the fallback.
        const int32_t a = item.Int(p.first, 7);
        const int32_t b = item.Int(p.first, 8);
        if (a == b) {
            const size_t digits = p.second.find_first_of("0123456789");
            FUZZ_CHECK(digits != std::string::npos && digits <= 1);
            FUZZ_CHECK(digits == 0 || p.second[0] == '+' || p.second[0] == '-');
            FUZZ_CHECK(p.second.find_first_not_of("0123456789", digits) == std::string::npos);
        } else {
            FUZZ_CHECK(a == 7 && b == 8);
        }
        (void)item.Bool(p.first, true);
        const std::vector<std::string> list = item.List(p.first);
        std::string joined;
        for (size_t i = 0; i < list.size(); ++i) joined += (i == 0 ? "" : "|") + list[i];
        FUZZ_CHECK(joined == p.second);
        FUZZ_CHECK(list.empty() == p.second.empty());
    }
    FUZZ_CHECK(item.Find("no such key!") == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    const TFormLayout generated = Generate(in);
    for (int form = 0; form < 2; ++form) {
        TFormLayout parsed;
        std::string problem;
        FUZZ_CHECK(ParseFormLayout(Write(generated, form == 0, form == 1), parsed, problem));
        FUZZ_CHECK(SameLayout(generated, parsed));
    }

    const std::string text(reinterpret_cast<const char*>(data), size);
    TFormLayout out;
    out.Form.Name = "untouched";
    std::string error;
    if (!ParseFormLayout(text, out, error)) {
        FUZZ_CHECK(out.Form.Name == "untouched" && out.Components.empty());
        // "line N: ..." with N between 1 and the number of lines.
        FUZZ_CHECK(error.rfind("line ", 0) == 0);
        const size_t colon = error.find(": ");
        FUZZ_CHECK(colon != std::string::npos && colon > 5);
        const std::string number = error.substr(5, colon - 5);
        FUZZ_CHECK(number.find_first_not_of("0123456789") == std::string::npos && number[0] != '0');
        size_t lines = 1;
        for (char c : text) lines += c == '\n' ? 1 : 0;
        FUZZ_CHECK(std::stoull(number) <= lines);
        return 0;
    }
    FUZZ_CHECK(error.empty());

    FUZZ_CHECK(out.Form.Kind == "form" && out.Form.Parent.empty());
    CheckItem(out.Form);
    std::set<std::string> names{out.Form.Name};
    for (size_t i = 0; i < out.Components.size(); ++i) {
        const TLayoutItem& c = out.Components[i];
        CheckItem(c);
        FUZZ_CHECK(c.Kind != "form");
        FUZZ_CHECK(names.insert(c.Name).second);
        FUZZ_CHECK(out.FindComponent(c.Name) == &c);
        if (!c.Parent.empty()) {
            // Containers come first.
            const TLayoutItem* parent = out.FindComponent(c.Parent);
            FUZZ_CHECK(parent != nullptr && parent < &c);
        }
    }

    for (int form = 0; form < 2; ++form) {
        const std::string written = Write(out, form == 0, form == 1);
        TFormLayout again;
        std::string againError;
        FUZZ_CHECK(ParseFormLayout(written, again, againError));
        FUZZ_CHECK(SameLayout(out, again));
    }
    return 0;
}
