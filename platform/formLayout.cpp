#include "platform/formLayout.h"

#include <charconv>
#include <cstddef>
#include <set>
#include <string_view>
#include <system_error>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsIdentChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string Lower(const std::string& s) {
    std::string result = s;
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

// Reads one line's item; returns an empty string on success, else the reason.
class TLineReader {
public:
    TLineReader(std::string_view line, std::size_t start) : line_(line), pos_(start) {}

    std::string Read(TLayoutItem& item) {
        item.Kind = Identifier();
        if (item.Kind.empty()) {
            return Unexpected("a kind");
        }
        if (!AtBlankOrEnd()) {
            return Unexpected("a blank after the kind");
        }
        SkipBlanks();
        item.Name = Identifier();
        if (item.Name.empty()) {
            return AtEnd() ? "missing name after '" + item.Kind + "'" : Unexpected("a name");
        }
        if (!AtBlankOrEnd()) {
            return Unexpected("a blank after the name");
        }

        std::set<std::string> keys;
        for (;;) {
            SkipBlanks();
            if (AtEnd()) {
                return "";
            }
            std::string key = Identifier();
            if (key.empty()) {
                return Unexpected("a key");
            }
            if (AtEnd() || line_[pos_] != '=') {
                return "missing '=' after '" + key + "'";
            }
            ++pos_;
            std::string value;
            std::string problem = Value(value);
            if (!problem.empty()) {
                return problem + " (key '" + key + "')";
            }
            if (!keys.insert(key).second) {
                return "duplicate key '" + key + "'";
            }
            if (key == "parent") {
                item.Parent = value;
            } else {
                item.Properties.emplace_back(key, value);
            }
        }
    }

private:
    bool AtEnd() const { return pos_ >= line_.size(); }
    bool AtBlankOrEnd() const { return AtEnd() || IsBlank(line_[pos_]); }

    void SkipBlanks() {
        while (!AtEnd() && IsBlank(line_[pos_])) {
            ++pos_;
        }
    }

    std::string Identifier() {
        std::size_t start = pos_;
        while (!AtEnd() && IsIdentChar(line_[pos_])) {
            ++pos_;
        }
        return std::string(line_.substr(start, pos_ - start));
    }

    std::string Unexpected(const std::string& expected) const {
        if (AtEnd()) {
            return "expected " + expected + " at the end of the line";
        }
        return "expected " + expected + ", found '" + std::string(1, line_[pos_]) + "' at column " +
               std::to_string(pos_ + 1);
    }

    std::string Value(std::string& value) {
        if (AtEnd() || line_[pos_] != '"') {
            std::size_t start = pos_;
            while (!AtBlankOrEnd()) {
                if (line_[pos_] == '"') {
                    return "quote inside an unquoted value at column " + std::to_string(pos_ + 1);
                }
                ++pos_;
            }
            value.assign(line_.substr(start, pos_ - start));
            return "";
        }
        std::size_t open = pos_;
        ++pos_;
        for (;;) {
            if (AtEnd()) {
                return "unterminated quoted value starting at column " + std::to_string(open + 1);
            }
            char c = line_[pos_++];
            if (c != '"') {
                value.push_back(c);
            } else if (!AtEnd() && line_[pos_] == '"') {
                value.push_back('"');
                ++pos_;
            } else {
                break;
            }
        }
        if (!AtBlankOrEnd()) {
            return "expected a blank after the closing quote at column " + std::to_string(pos_);
        }
        return "";
    }

    std::string_view line_;
    std::size_t pos_;
};

}  // namespace

const std::string* TLayoutItem::Find(const std::string& key) const {
    for (const auto& property : Properties) {
        if (property.first == key) {
            return &property.second;
        }
    }
    return nullptr;
}

std::string TLayoutItem::Text(const std::string& key, const std::string& fallback) const {
    const std::string* value = Find(key);
    return value != nullptr ? *value : fallback;
}

int32_t TLayoutItem::Int(const std::string& key, int32_t fallback) const {
    const std::string* value = Find(key);
    if (value == nullptr || value->empty()) {
        return fallback;
    }
    const char* first = value->data();
    const char* last = first + value->size();
    if (*first == '+') {
        ++first;
        if (first == last || *first < '0' || *first > '9') {
            return fallback;
        }
    }
    int32_t result = 0;
    auto [end, ec] = std::from_chars(first, last, result, 10);
    if (ec != std::errc() || end != last) {
        return fallback;
    }
    return result;
}

bool TLayoutItem::Bool(const std::string& key, bool fallback) const {
    const std::string* value = Find(key);
    if (value == nullptr) {
        return fallback;
    }
    std::string lower = Lower(*value);
    if (lower == "true" || lower == "1") {
        return true;
    }
    if (lower == "false" || lower == "0") {
        return false;
    }
    return fallback;
}

std::vector<std::string> TLayoutItem::List(const std::string& key, char separator) const {
    std::vector<std::string> entries;
    const std::string* value = Find(key);
    if (value == nullptr || value->empty()) {
        return entries;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t next = value->find(separator, start);
        if (next == std::string::npos) {
            entries.push_back(value->substr(start));
            return entries;
        }
        entries.push_back(value->substr(start, next - start));
        start = next + 1;
    }
}

const TLayoutItem* TFormLayout::FindComponent(const std::string& name) const {
    for (const auto& component : Components) {
        if (component.Name == name) {
            return &component;
        }
    }
    return nullptr;
}

bool ParseFormLayout(const std::string& text, TFormLayout& out, std::string& error) {
    TFormLayout layout;
    bool haveForm = false;
    std::set<std::string> names;
    int lineNumber = 0;

    auto fail = [&](int line, const std::string& message) {
        error = "line " + std::to_string(line) + ": " + message;
        return false;
    };

    std::string_view rest(text);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        rest.remove_prefix(3);
    }
    while (!rest.empty()) {
        ++lineNumber;
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }

        std::size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) {
            ++first;
        }
        if (first == line.size() || line[first] == '#') {
            continue;
        }

        TLayoutItem item;
        std::string problem = TLineReader(line, first).Read(item);
        if (!problem.empty()) {
            return fail(lineNumber, problem);
        }
        if (item.Kind == "form") {
            if (haveForm) {
                return fail(lineNumber, "a second 'form' line");
            }
            if (!item.Parent.empty()) {
                return fail(lineNumber, "the form cannot have a parent");
            }
        } else if (!haveForm) {
            return fail(lineNumber, "expected 'form <Name>' before the first component");
        }
        if (!names.insert(item.Name).second) {
            return fail(lineNumber, "duplicate name '" + item.Name + "'");
        }
        if (!item.Parent.empty() && layout.FindComponent(item.Parent) == nullptr) {
            return fail(lineNumber, "unknown parent '" + item.Parent + "' (containers must come first)");
        }
        if (item.Kind == "form") {
            layout.Form = std::move(item);
            haveForm = true;
        } else {
            layout.Components.push_back(std::move(item));
        }
    }

    if (!haveForm) {
        return fail(lineNumber > 0 ? lineNumber : 1, "no 'form' line");
    }
    out = std::move(layout);
    return true;
}
