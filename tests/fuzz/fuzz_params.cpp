// The command-line splitter, the integer reader and the mode/window parsing over arbitrary
// command lines. The whole input is the command line (and the text given to the reader).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "src/controlLogic.h"
#include "src/unitParams.h"
#include "tests/fuzz/fuzzInput.h"

namespace {

const uint32_t Foreground = 0xF00DF00Du;
int ForegroundCalls = 0;

uint32_t FakeForeground() {
    ++ForegroundCalls;
    return Foreground;
}

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : text) {
        if (IsSeparator(c)) {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The reading rules, written out on their own: digits are compared as text, never summed
// where they could overflow.
bool ReferenceRead(const std::string& text, uint32_t& bits) {
    size_t pos = text.find_first_not_of(' ');
    if (pos == std::string::npos) return false;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::string rest = text.substr(pos);
    bool hex = false;
    std::string digits = rest;
    if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
        hex = true;
        digits = rest.substr(1);
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        hex = true;
        digits = rest.substr(2);
    }
    if (digits.empty()) return false;
    for (char c : digits) {
        if (hex ? HexValue(c) < 0 : (c < '0' || c > '9')) return false;
    }
    const size_t firstSignificant = digits.find_first_not_of('0');
    const std::string significant =
        firstSignificant == std::string::npos ? std::string() : digits.substr(firstSignificant);
    uint32_t magnitude = 0;
    if (hex) {
        if (significant.size() > 8) return false;
        for (char c : significant) magnitude = magnitude * 16 + static_cast<uint32_t>(HexValue(c));
    } else {
        const std::string limit = negative ? "2147483648" : "4294967295";
        if (significant.size() > limit.size()) return false;
        if (significant.size() == limit.size() && significant > limit) return false;
        for (char c : significant) magnitude = magnitude * 10 + static_cast<uint32_t>(c - '0');
    }
    bits = negative ? ~magnitude + 1u : magnitude;
    return true;
}

std::string UpperAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::string Without(const std::string& s, char removed) {
    std::string r;
    for (char c : s) {
        if (c != removed) r.push_back(c);
    }
    return r;
}

void CheckSplit(const std::string& commandLine, const std::vector<std::string>& args) {
    size_t total = 0;
    for (const std::string& arg : args) {
        FUZZ_CHECK(!arg.empty());
        FUZZ_CHECK(arg.find('"') == std::string::npos);
        total += arg.size();
    }
    FUZZ_CHECK(total <= commandLine.size());

    // Quoting every argument gives the same arguments back.
    std::string quoted;
    for (const std::string& arg : args) quoted += "\"" + arg + "\" ";
    FUZZ_CHECK(SplitCommandLine(quoted) == args);

    // Without quotes the split is plain tokenising at blanks and control characters.
    if (commandLine.find('"') == std::string::npos) FUZZ_CHECK(args == Tokens(commandLine));
}

void CheckRead(const std::string& text) {
    const uint32_t untouched = 0xDEADBEEFu;
    uint32_t bits = untouched;
    const bool ok = TryReadInt32(text, bits);
    uint32_t expected = untouched;
    const bool expectedOk = ReferenceRead(text, expected);
    FUZZ_CHECK(ok == expectedOk);
    FUZZ_CHECK(bits == expected);
}

void CheckParse(const std::string& commandLine, const std::vector<std::string>& args) {
    ForegroundCalls = 0;
    const TParsedParams parsed = ParseCommandLine(commandLine, &FakeForeground);
    const size_t count = args.empty() ? 0 : args.size() - 1;

    // The mode: empty or one character, never a lower-case letter, a removed one, or "L".
    FUZZ_CHECK(parsed.Mode.size() <= 1);
    if (!parsed.Mode.empty()) {
        const char m = parsed.Mode[0];
        FUZZ_CHECK(!(m >= 'a' && m <= 'z'));
        FUZZ_CHECK(m != '/' && m != '-' && m != 'L');
    }

    const std::string working = count == 0 ? "C" : Without(Without(UpperAscii(args[1]), '/'), '-');
    std::string mode = working.empty() ? "" : working.substr(0, 1);

    if (count == 0) {
        FUZZ_CHECK(parsed.Mode == "C");
        FUZZ_CHECK(!parsed.HasTargetWnd);
        FUZZ_CHECK(parsed.TargetWnd == 0);
        FUZZ_CHECK(ForegroundCalls == 0);
        return;
    }
    FUZZ_CHECK(parsed.HasTargetWnd);
    if (count >= 2) {
        uint32_t bits = 0;
        const uint32_t expected = TryReadInt32(args[2], bits) ? bits : 0;
        FUZZ_CHECK(parsed.TargetWnd == expected);
        FUZZ_CHECK(ForegroundCalls == 0);
    } else {
        std::string rest = mode.empty() ? working : Without(working, mode[0]);
        rest = Without(rest, ':');
        uint32_t bits = 0;
        const uint32_t read = TryReadInt32(rest, bits) ? bits : 0;
        FUZZ_CHECK(parsed.TargetWnd == (read != 0 ? read : Foreground));
        FUZZ_CHECK(ForegroundCalls == (read != 0 ? 0 : 1));
        // No window source at all: the fallback is 0.
        FUZZ_CHECK(ParseCommandLine(commandLine, nullptr).TargetWnd == read);
    }
    if (mode == "L") mode = "P";
    FUZZ_CHECK(parsed.Mode == mode);

    // The control system's command reads the same arguments: valid only for the end
    // switch, a hold only within its range, and a reason whenever it refuses.
    const TEndCommand end = ParseEndCommand(args);
    if (end.Valid) FUZZ_CHECK(mode == "E" && end.Error.empty());
    if (end.Timed) FUZZ_CHECK(end.Valid && end.HoldSeconds >= 1 && end.HoldSeconds <= kHoldMostSeconds);
    if (!end.Valid) FUZZ_CHECK(!end.Error.empty() && end.HoldSeconds == 0);
}

void CheckRoundTrips(TFuzzInput& in) {
    const uint32_t v = in.U32();
    const int32_t s = static_cast<int32_t>(v);
    char text[32];
    uint32_t bits = 0;

    std::snprintf(text, sizeof text, "%d", static_cast<int>(s));
    FUZZ_CHECK(TryReadInt32(text, bits) && bits == v);
    // Window numbers are unsigned: every 32-bit value in decimal too.
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(v));
    FUZZ_CHECK(TryReadInt32(text, bits) && bits == v);
    std::snprintf(text, sizeof text, "  +0x%X", static_cast<unsigned>(v));
    FUZZ_CHECK(TryReadInt32(text, bits) && bits == v);
    std::snprintf(text, sizeof text, "$%08x", static_cast<unsigned>(v));
    FUZZ_CHECK(TryReadInt32(text, bits) && bits == v);
    std::snprintf(text, sizeof text, "-x%x", static_cast<unsigned>(v));
    FUZZ_CHECK(TryReadInt32(text, bits) && bits == 0u - v);
    // One digit past the 32-bit range is refused.
    std::snprintf(text, sizeof text, "0x1%08X", static_cast<unsigned>(v));
    bits = 7;
    FUZZ_CHECK(!TryReadInt32(text, bits) && bits == 7);

    FUZZ_CHECK(static_cast<uint32_t>(HandleFromWnd32(v)) == v);
    FUZZ_CHECK(HandleFromWnd32(v) == static_cast<intptr_t>(s));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string commandLine(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = SplitCommandLine(commandLine);
    CheckSplit(commandLine, args);
    CheckRead(commandLine);
    for (const std::string& arg : args) CheckRead(arg);
    CheckParse(commandLine, args);
    TFuzzInput in(data, size);
    CheckRoundTrips(in);
    return 0;
}
