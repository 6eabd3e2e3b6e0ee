#include "src/unitParams.h"

#include "platform/hostWindows.h"
#include "platform/process.h"

std::string Mode;
uint32_t TargetWnd = 0;

namespace {

bool IsSeparator(char c) {
    // Bytes above 127 are ordinary characters, whatever the signedness of char.
    return static_cast<unsigned char>(c) <= ' ';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string RemoveAll(const std::string& text, char c) {
    std::string result;
    result.reserve(text.size());
    for (char ch : text) {
        if (ch != c) {
            result.push_back(ch);
        }
    }
    return result;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> args;
    const size_t length = commandLine.size();
    size_t pos = 0;
    for (;;) {
        for (;;) {
            while (pos < length && IsSeparator(commandLine[pos])) {
                ++pos;
            }
            if (pos + 1 < length && commandLine[pos] == '"' && commandLine[pos + 1] == '"') {
                pos += 2;
            } else {
                break;
            }
        }

        std::string arg;
        bool quoted = false;
        while (pos < length) {
            const char c = commandLine[pos];
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && IsSeparator(c)) {
                break;
            } else {
                arg.push_back(c);
            }
            ++pos;
        }

        if (arg.empty()) {
            return args;
        }
        args.push_back(std::move(arg));
    }
}

bool TryReadInt32(const std::string& text, uint32_t& bits) {
    const size_t length = text.size();
    size_t pos = 0;
    while (pos < length && text[pos] == ' ') {
        ++pos;
    }

    bool negative = false;
    if (pos < length && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    bool hex = false;
    if (pos < length && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        hex = true;
        pos += 1;
    } else if (pos + 1 < length && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        hex = true;
        pos += 2;
    }

    if (pos >= length) {
        return false;
    }

    uint32_t magnitude = 0;
    if (hex) {
        int significant = 0;
        for (; pos < length; ++pos) {
            const int digit = HexDigitValue(text[pos]);
            if (digit < 0) {
                return false;
            }
            if (significant > 0 || digit != 0) {
                ++significant;
                if (significant > 8) {
                    return false;
                }
            }
            magnitude = (magnitude << 4) | static_cast<uint32_t>(digit);
        }
    } else {
        // Windows documents window numbers as unsigned: without "-" every
        // 32-bit value is one; with it, the signed range as before.
        const uint64_t limit = negative ? 2147483648ULL : 4294967295ULL;
        uint64_t value = 0;
        for (; pos < length; ++pos) {
            const char c = text[pos];
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + static_cast<uint64_t>(c - '0');
            if (value > limit) {
                return false;
            }
        }
        magnitude = static_cast<uint32_t>(value);
    }

    bits = negative ? 0u - magnitude : magnitude;
    return true;
}

TParsedParams ParseCommandLine(const std::string& commandLine, uint32_t (*foregroundWindow)()) {
    const std::vector<std::string> args = SplitCommandLine(commandLine);
    const size_t count = args.empty() ? 0 : args.size() - 1;

    std::string working;
    if (count == 0) {
        working = "C";
    } else {
        working = args[1];
        for (char& c : working) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
    }
    working = RemoveAll(working, '/');
    working = RemoveAll(working, '-');

    TParsedParams result;
    if (!working.empty()) {
        result.Mode = working.substr(0, 1);
    }

    if (count >= 2) {
        uint32_t bits = 0;
        result.TargetWnd = TryReadInt32(args[2], bits) ? bits : 0;
        result.HasTargetWnd = true;
    } else if (count == 1) {
        std::string rest = working;
        if (!result.Mode.empty()) {
            rest = RemoveAll(rest, result.Mode[0]);
        }
        rest = RemoveAll(rest, ':');
        uint32_t bits = 0;
        result.TargetWnd = TryReadInt32(rest, bits) ? bits : 0;
        if (result.TargetWnd == 0 && foregroundWindow != nullptr) {
            result.TargetWnd = foregroundWindow();
        }
        result.HasTargetWnd = true;
    }

    // Only after the number was read: "L" had to be removed as itself.
    if (result.Mode == "L") {
        result.Mode = "P";
    }
    return result;
}

void ParseParams() {
    const TParsedParams parsed = ParseCommandLine(platform::CommandLineText(), &platform::ForegroundWindow32);
    Mode = parsed.Mode;
    if (parsed.HasTargetWnd) {
        TargetWnd = parsed.TargetWnd;
    }
}

intptr_t HandleFromWnd32(uint32_t wnd) { return static_cast<intptr_t>(static_cast<int32_t>(wnd)); }
