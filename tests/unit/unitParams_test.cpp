#include "src/unitParams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/fakeSystem.h"

namespace {

constexpr uint32_t kForeground = 0x80001234u;
int g_fallbackCalls = 0;

uint32_t FakeForeground() {
    ++g_fallbackCalls;
    return kForeground;
}

const std::string kProgram = "\"C:\\Program Files\\Kestrane\\kestrane.scr\"";

TParsedParams Parse(const std::string& line) {
    g_fallbackCalls = 0;
    return ParseCommandLine(line, &FakeForeground);
}

using Args = std::vector<std::string>;

// ---- splitting ----

struct SplitCase {
    std::string line;
    Args expected;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, Splits) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().expected) << "line: " << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{"   \t\r\n", {}}, SplitCase{"prog", {"prog"}},
                      SplitCase{"  prog   /s  ", {"prog", "/s"}},
                      SplitCase{"\"C:\\Program Files\\k.scr\" /p 12", {"C:\\Program Files\\k.scr", "/p", "12"}},
                      // Every character up to the blank separates, control characters included.
                      SplitCase{"prog\t/s\x01"
                                "1\x1f"
                                "2",
                                {"prog", "/s", "1", "2"}},
                      SplitCase{std::string("prog\0/s", 7), {"prog", "/s"}},
                      // DEL and bytes above 127 are ordinary characters.
                      SplitCase{"prog /s\x7f\xa0\xff", {"prog", "/s\x7f\xa0\xff"}},
                      // Quotes group and vanish wherever they stand.
                      SplitCase{"prog a\"b c\"d", {"prog", "ab cd"}}, SplitCase{"prog a\"\"b", {"prog", "ab"}},
                      SplitCase{"prog \"/p\" \" 12\"", {"prog", "/p", " 12"}},
                      SplitCase{"prog \"unterminated  x", {"prog", "unterminated  x"}},
                      // An empty pair at the start of an argument is skipped, blanks after it too.
                      SplitCase{"prog \"\" /s", {"prog", "/s"}}, SplitCase{"prog \"\"/s", {"prog", "/s"}},
                      SplitCase{"prog \"\"\"\" \"\" /s", {"prog", "/s"}}, SplitCase{"\"\" prog /s", {"prog", "/s"}},
                      SplitCase{"prog \"\"\"/s\"", {"prog", "/s"}},
                      // Counting ends at the first empty argument.
                      SplitCase{"prog /s \"\"", {"prog", "/s"}}, SplitCase{"prog /s \"", {"prog", "/s"}},
                      SplitCase{"prog /s \"\"\"", {"prog", "/s"}}, SplitCase{"\"\"", {}},
                      // A quoted stretch can hold a control character or a blank-only argument.
                      SplitCase{"prog \" \" x", {"prog", " ", "x"}}, SplitCase{"prog \"a\tb\"", {"prog", "a\tb"}}));

// ---- integer values ----

struct IntCase {
    std::string text;
    bool valid;
    uint32_t bits;
};

class ReadIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ReadIntTest, Reads) {
    const IntCase& c = GetParam();
    uint32_t bits = 0xDEADBEEFu;
    EXPECT_EQ(TryReadInt32(c.text, bits), c.valid) << "text: \"" << c.text << "\"";
    EXPECT_EQ(bits, c.valid ? c.bits : 0xDEADBEEFu) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReadIntTest,
    ::testing::Values(
        IntCase{"0", true, 0}, IntCase{"1234", true, 1234}, IntCase{"+1234", true, 1234},
        IntCase{"-12", true, 0xFFFFFFF4u}, IntCase{"-0", true, 0}, IntCase{"   42", true, 42},
        IntCase{"  -42", true, 0xFFFFFFD6u}, IntCase{"0000000000000000000042", true, 42},
        IntCase{"2147483647", true, 0x7FFFFFFFu}, IntCase{"-2147483648", true, 0x80000000u},
        IntCase{"2147483648", true, 0x80000000u}, IntCase{"-2147483649", false, 0},
        IntCase{"4294967295", true, 0xFFFFFFFFu}, IntCase{"+4294967295", true, 0xFFFFFFFFu},
        IntCase{"4294901802", true, 0xFFFF002Au}, IntCase{"-4294967295", false, 0}, IntCase{"4294967296", false, 0},
        IntCase{"99999999999999999999999999999", false, 0}, IntCase{"$FF", true, 255}, IntCase{"$ff", true, 255},
        IntCase{"x1c", true, 28}, IntCase{"X1C", true, 28}, IntCase{"0x1C", true, 28}, IntCase{"0X1c", true, 28},
        IntCase{"0X1", true, 1}, IntCase{"$FFFFFFFF", true, 0xFFFFFFFFu}, IntCase{"$80000000", true, 0x80000000u},
        IntCase{"-$1", true, 0xFFFFFFFFu}, IntCase{"-$FFFFFFFF", true, 1}, IntCase{"+0x10", true, 16},
        IntCase{" -0x10", true, 0xFFFFFFF0u}, IntCase{"$00000000000FFFFFFFF", true, 0xFFFFFFFFu},
        IntCase{"$100000000", false, 0}, IntCase{"0x123456789", false, 0},
        // Not numbers at all.
        IntCase{"", false, 0}, IntCase{"   ", false, 0}, IntCase{"-", false, 0}, IntCase{"+", false, 0},
        IntCase{"$", false, 0}, IntCase{"0x", false, 0}, IntCase{"x", false, 0}, IntCase{"-$", false, 0},
        IntCase{"12 ", false, 0}, IntCase{"\t12", false, 0}, IntCase{"- 12", false, 0}, IntCase{"+-12", false, 0},
        IntCase{"--12", false, 0}, IntCase{"12a", false, 0}, IntCase{"FF", false, 0}, IntCase{"$FG", false, 0},
        IntCase{"00x1", false, 0}, IntCase{"0$1", false, 0}, IntCase{"$-1", false, 0}, IntCase{"1.0", false, 0},
        IntCase{"1e3", false, 0}, IntCase{"abc", false, 0}, IntCase{"\xb9", false, 0},
        IntCase{std::string("1\0"
                            "2",
                            3),
                false, 0}));

TEST(ReadInt, DecimalAgreesWithFormattingOverWideRange) {
    std::mt19937_64 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        // Mostly near the 32-bit limits, some far beyond.
        const int64_t base = (i % 3 == 0) ? INT64_C(2147483648) : ((i % 3 == 1) ? INT64_C(-2147483648) : 0);
        const int64_t spread = (i % 7 == 0) ? INT64_C(1) << 40 : INT64_C(1) << 20;
        const int64_t v = base + static_cast<int64_t>(rng() % static_cast<uint64_t>(2 * spread)) - spread;
        uint32_t bits = 0;
        const bool inRange = v >= INT32_MIN && v <= INT64_C(4294967295);
        ASSERT_EQ(TryReadInt32(std::to_string(v), bits), inRange) << v;
        if (inRange) {
            ASSERT_EQ(bits, static_cast<uint32_t>(static_cast<uint64_t>(v) & 0xFFFFFFFFu)) << v;
        }
    }
}

TEST(ReadInt, HexAgreesWithFormatting) {
    std::mt19937 rng(777);
    const char* markers[] = {"$", "x", "X", "0x", "0X"};
    for (int i = 0; i < 20000; ++i) {
        const uint32_t v = rng();
        char digits[16];
        snprintf(digits, sizeof digits, (rng() & 1) ? "%x" : "%X", static_cast<unsigned>(v));
        std::string text = std::string(rng() % 4, ' ');
        const bool negative = rng() % 3 == 0;
        text += negative ? "-" : ((rng() & 1) ? "+" : "");
        text += markers[rng() % 5];
        text += std::string(rng() % 5, '0') + digits;
        uint32_t bits = 0;
        ASSERT_TRUE(TryReadInt32(text, bits)) << text;
        ASSERT_EQ(bits, negative ? 0u - v : v) << text;
        // Nine significant digits never fit.
        if (v != 0) {
            uint32_t ignored = 0;
            const std::string longer = text + std::string(9 - strlen(digits), '0');
            ASSERT_FALSE(TryReadInt32(longer, ignored)) << longer;
        }
    }
}

// ---- the switch and the window ----

struct ParseCase {
    std::string args;  // after the program path
    std::string mode;
    uint32_t target;
    bool fallback;  // the foreground window was asked for
};

class ParseTableTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTableTest, MatchesExample) {
    const ParseCase& c = GetParam();
    const TParsedParams p = Parse(kProgram + " " + c.args);
    EXPECT_EQ(p.Mode, c.mode) << "args: " << c.args;
    EXPECT_EQ(p.TargetWnd, c.fallback ? kForeground : c.target) << "args: " << c.args;
    EXPECT_EQ(g_fallbackCalls, c.fallback ? 1 : 0) << "args: " << c.args;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ParseTableTest,
    ::testing::Values(ParseCase{"", "C", 0, false}, ParseCase{"/s", "S", 0, true}, ParseCase{"/S", "S", 0, true},
                      ParseCase{"-s", "S", 0, true}, ParseCase{"s", "S", 0, true}, ParseCase{"/c", "C", 0, true},
                      ParseCase{"/c:1234", "C", 1234, false}, ParseCase{"/c 1234", "C", 1234, false},
                      ParseCase{"/p 1234", "P", 1234, false}, ParseCase{"/p:1234", "P", 1234, false},
                      ParseCase{"/l 1234", "P", 1234, false}, ParseCase{"/l:1234", "P", 1234, false},
                      ParseCase{"/p abc", "P", 0, false}, ParseCase{"/p:abc", "P", 0, true},
                      ParseCase{"/p:-12", "P", 12, false}, ParseCase{"/p -12", "P", 0xFFFFFFF4u, false},
                      ParseCase{"/c:0x1C", "C", 1, false}, ParseCase{"/c:123 456", "C", 456, false},
                      ParseCase{"/a 1234", "A", 1234, false}, ParseCase{"/", "", 0, true}));

INSTANTIATE_TEST_SUITE_P(
    Edges, ParseTableTest,
    ::testing::Values(
        // "L" is removed as itself before it turns into "P"; every occurrence goes.
        ParseCase{"/l", "P", 0, true}, ParseCase{"/lL:12", "P", 12, false}, ParseCase{"/L:l1l2", "P", 12, false},
        ParseCase{"/scr", "S", 0, true}, ParseCase{"/p:$FF", "P", 255, false}, ParseCase{"/s:ffff", "S", 0, true},
        ParseCase{"/c:0", "C", 0, true}, ParseCase{"/p:0x", "P", 0, true}, ParseCase{"/p:12:34", "P", 1234, false},
        ParseCase{"/p:4294967296", "P", 0, true}, ParseCase{"/p:$FFFFFFFF", "P", 0xFFFFFFFFu, false},
        ParseCase{"/-/-c", "C", 0, true}, ParseCase{"-/-", "", 0, true}, ParseCase{"\"/s\"", "S", 0, true},
        ParseCase{"/1234", "1", 234, false}, ParseCase{"/\xe9", "\xe9", 0, true}, ParseCase{":s", ":", 0, true},
        // The second argument is read unchanged and never falls back.
        ParseCase{"/c x1c", "C", 28, false}, ParseCase{"/p 0", "P", 0, false}, ParseCase{"/p \"\"", "P", 0, true},
        ParseCase{"/p \" 12\"", "P", 12, false}, ParseCase{"/p \"12 \"", "P", 0, false},
        ParseCase{"/p 4294967295", "P", 0xFFFFFFFFu, false}, ParseCase{"/p 4294967296", "P", 0, false},
        ParseCase{"/p 2147483648", "P", 0x80000000u, false}, ParseCase{"/c:4294901802", "C", 0xFFFF002Au, false},
        ParseCase{"/p $FFFFFFFF", "P", 0xFFFFFFFFu, false}, ParseCase{"/p -2147483648", "P", 0x80000000u, false},
        ParseCase{"/p 12 34", "P", 12, false}, ParseCase{"/ s", "", 0, false}, ParseCase{"/p:99 12", "P", 12, false},
        ParseCase{"\"\" /s 5", "S", 5, false}));

TEST(Parse, NoProgramNoArguments) {
    for (const std::string line : {"", "   ", "\"\""}) {
        const TParsedParams p = Parse(line);
        EXPECT_EQ(p.Mode, "C");
        EXPECT_EQ(p.TargetWnd, 0u);
        EXPECT_FALSE(p.HasTargetWnd);
        EXPECT_EQ(g_fallbackCalls, 0);
    }
}

TEST(Parse, NullFallbackGivesZero) {
    const TParsedParams p = ParseCommandLine("prog /s", nullptr);
    EXPECT_EQ(p.Mode, "S");
    EXPECT_EQ(p.TargetWnd, 0u);
}

TEST(Parse, VeryLongLines) {
    const std::string junk(1 << 20, 'x');
    TParsedParams p = Parse("prog /s" + junk);
    EXPECT_EQ(p.Mode, "S");
    EXPECT_EQ(p.TargetWnd, kForeground);

    p = Parse("prog /p 00" + std::string(100000, '0') + "1234");
    EXPECT_EQ(p.TargetWnd, 1234u);
    p = Parse("prog /p:$" + std::string(100000, '0') + "ff");
    EXPECT_EQ(p.TargetWnd, 255u);
    p = Parse("prog /p " + std::string(100000, '9'));
    EXPECT_EQ(p.TargetWnd, 0u);

    std::string many = "prog /c 77";
    for (int i = 0; i < 100000; ++i) {
        many += " arg";
    }
    p = Parse(many);
    EXPECT_EQ(p.Mode, "C");
    EXPECT_EQ(p.TargetWnd, 77u);
    EXPECT_EQ(g_fallbackCalls, 0);
}

TEST(Parse, HandleWidensBySignExtension) {
    EXPECT_EQ(HandleFromWnd32(0), 0);
    EXPECT_EQ(HandleFromWnd32(0x1234u), 0x1234);
    EXPECT_EQ(HandleFromWnd32(0x7FFFFFFFu), INT32_MAX);
    EXPECT_EQ(HandleFromWnd32(0xFFFFFFF4u), -12);
    EXPECT_EQ(HandleFromWnd32(0x80000000u), static_cast<intptr_t>(INT32_MIN));
}

TEST(ParseParams, SetsGlobalsFromSystem) {
    fakeSystem::Reset();
    Mode.clear();
    TargetWnd = 0;
    fakeSystem::SetForegroundWindow(0x4242u);
    fakeSystem::SetCommandLine(kProgram + " /l");
    ParseParams();
    EXPECT_EQ(Mode, "P");
    EXPECT_EQ(TargetWnd, 0x4242u);
    EXPECT_EQ(fakeSystem::ForegroundWindowCalls(), 1);

    fakeSystem::SetCommandLine(kProgram + " /c 99");
    ParseParams();
    EXPECT_EQ(Mode, "C");
    EXPECT_EQ(TargetWnd, 99u);
    EXPECT_EQ(fakeSystem::ForegroundWindowCalls(), 1);
}

TEST(ParseParams, NoArgumentsLeaveTargetAlone) {
    fakeSystem::Reset();
    Mode = "X";
    TargetWnd = 77;
    fakeSystem::SetCommandLine(kProgram);
    ParseParams();
    EXPECT_EQ(Mode, "C");
    EXPECT_EQ(TargetWnd, 77u);
    EXPECT_EQ(fakeSystem::ForegroundWindowCalls(), 0);
    TargetWnd = 0;
    Mode.clear();
}

// ---- randomised ----

// Writes args so that SplitCommandLine must give them back, in varied spellings.
std::string EncodeArgs(const Args& args, std::mt19937& rng) {
    const std::string separators = " \t\r\n\x01\x1f";
    auto separatorRun = [&]() {
        std::string run;
        const int count = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < count; ++i) {
            run += separators[rng() % separators.size()];
        }
        return run;
    };
    std::string line = (rng() % 4 == 0) ? separatorRun() : "";
    for (const std::string& arg : args) {
        if (rng() % 5 == 0) {
            line += "\"\"";
            if (rng() & 1) {
                line += separatorRun();
            }
        }
        switch (rng() % 3) {
            case 0: line += "\"" + arg + "\""; break;
            case 1:
                for (char c : arg) {
                    if (static_cast<unsigned char>(c) <= ' ' || rng() % 8 == 0) {
                        line += std::string("\"") + c + "\"";
                    } else {
                        line += c;
                    }
                }
                break;
            default: {
                bool plain = true;
                for (char c : arg) {
                    plain = plain && static_cast<unsigned char>(c) > ' ';
                }
                if (!plain) {
                    line += "\"" + arg + "\"";
                    break;
                }
                for (char c : arg) {
                    line += c;
                    if (rng() % 10 == 0) {
                        line += "\"\"";
                    }
                }
                break;
            }
        }
        line += separatorRun();
    }
    return line;
}

std::string RandomArg(std::mt19937& rng) {
    const std::string common = "/-:sSpPlLcCaA0123456789xX$fF \t";
    std::string arg;
    const int length = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < length; ++i) {
        char c = (rng() % 3 == 0) ? static_cast<char>(1 + rng() % 255) : common[rng() % common.size()];
        if (c == '"') {
            c = '\'';
        }
        arg += c;
    }
    return arg;
}

TEST(SplitRandom, GivesBackEncodedArguments) {
    std::mt19937 rng(20240601);
    for (int i = 0; i < 20000; ++i) {
        Args args;
        const int count = static_cast<int>(rng() % 6);
        for (int k = 0; k < count; ++k) {
            args.push_back(RandomArg(rng));
        }
        const std::string line = EncodeArgs(args, rng);
        ASSERT_EQ(SplitCommandLine(line), args) << "line: " << line;
    }
}

TEST(ParseRandom, RawLinesKeepTheRules) {
    std::mt19937 rng(4711);
    const std::string alphabet = "/-:\"sSpPlLcCaAzZ0123456789xX$fF   \t";
    for (int i = 0; i < 50000; ++i) {
        std::string line;
        const int length = static_cast<int>(rng() % 40);
        for (int k = 0; k < length; ++k) {
            line += (rng() % 4 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
        }
        const TParsedParams p = Parse(line);
        const Args args = SplitCommandLine(line);
        const size_t count = args.empty() ? 0 : args.size() - 1;

        ASSERT_LE(p.Mode.size(), 1u) << line;
        if (!p.Mode.empty()) {
            const char m = p.Mode[0];
            ASSERT_FALSE(m >= 'a' && m <= 'z') << line;
            ASSERT_NE(m, '/') << line;
            ASSERT_NE(m, '-') << line;
            ASSERT_NE(m, 'L') << line;
        }
        if (count == 0) {
            ASSERT_EQ(p.Mode, "C") << line;
            ASSERT_EQ(p.TargetWnd, 0u) << line;
            ASSERT_EQ(g_fallbackCalls, 0) << line;
        } else if (count >= 2) {
            uint32_t bits = 0;
            const uint32_t expected = TryReadInt32(args[2], bits) ? bits : 0;
            ASSERT_EQ(p.TargetWnd, expected) << line;
            ASSERT_EQ(g_fallbackCalls, 0) << line;
        } else {
            ASSERT_LE(g_fallbackCalls, 1) << line;
            if (g_fallbackCalls == 1) {
                ASSERT_EQ(p.TargetWnd, kForeground) << line;
            } else {
                ASSERT_NE(p.TargetWnd, 0u) << line;
            }
        }
        if (count >= 1) {
            std::string stripped;
            for (char c : args[1]) {
                if (c != '/' && c != '-') {
                    stripped += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
                }
            }
            ASSERT_EQ(p.Mode.empty(), stripped.empty()) << line;
            if (!stripped.empty()) {
                ASSERT_EQ(p.Mode[0], stripped[0] == 'L' ? 'P' : stripped[0]) << line;
            }
        }
    }
}

// Mode letters that are no hexadecimal digit, marker or separator.
const char kLetters[] = {'s', 'S', 'p', 'P', 'l', 'L', 'q', 'Z'};

std::string NumberText(uint32_t v, std::mt19937& rng) {
    char text[32];
    switch (rng() % 3) {
        case 0: snprintf(text, sizeof text, "%u", static_cast<unsigned>(v & 0x7FFFFFFFu)); return text;
        case 1: snprintf(text, sizeof text, "$%X", static_cast<unsigned>(v)); return text;
        default: snprintf(text, sizeof text, (rng() & 1) ? "0x%x" : "x%X", static_cast<unsigned>(v)); return text;
    }
}

uint32_t NumberValue(const std::string& text) {
    for (const std::string marker : {"$", "0x", "0X", "x", "X"}) {
        if (text.rfind(marker, 0) == 0) {
            return static_cast<uint32_t>(std::stoul(text.substr(marker.size()), nullptr, 16));
        }
    }
    return static_cast<uint32_t>(std::stoul(text, nullptr, 10));
}

TEST(ParseRandom, GluedNumberSurvivesSlashesAndDashes) {
    std::mt19937 rng(99);
    for (int i = 0; i < 20000; ++i) {
        const char letter = kLetters[rng() % sizeof kLetters];
        const std::string number = NumberText(rng() % 8 == 0 ? 0 : rng(), rng);
        const uint32_t value = NumberValue(number);
        std::string arg = std::string(1, letter) + (rng() & 1 ? ":" : "") + number;
        // "/" and "-" anywhere change nothing.
        const int inserts = static_cast<int>(rng() % 4);
        for (int k = 0; k < inserts; ++k) {
            arg.insert(rng() % (arg.size() + 1), 1, (rng() & 1) ? '/' : '-');
        }
        const TParsedParams p = Parse("prog " + arg);
        const char upper = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 32) : letter;
        ASSERT_EQ(p.Mode, std::string(1, upper == 'L' ? 'P' : upper)) << arg;
        ASSERT_EQ(p.TargetWnd, value == 0 ? kForeground : value) << arg;
        ASSERT_EQ(g_fallbackCalls, value == 0 ? 1 : 0) << arg;
    }
}

TEST(ParseRandom, SecondArgumentIsReadAsIs) {
    std::mt19937 rng(31337);
    for (int i = 0; i < 20000; ++i) {
        const uint32_t v = rng();
        std::string number = NumberText(v, rng);
        uint32_t value = NumberValue(number);
        if (rng() % 3 == 0) {
            number = "-" + number;
            value = 0u - value;
        }
        if (rng() % 5 == 0) {
            number += "g";  // no longer a number
            value = 0;
        }
        const std::string line =
            "prog /" + std::string(1, kLetters[rng() % sizeof kLetters]) + " " + number + ((rng() & 1) ? " 1 2 3" : "");
        const TParsedParams p = Parse(line);
        ASSERT_EQ(p.TargetWnd, value) << line;
        ASSERT_EQ(g_fallbackCalls, 0) << line;
    }
}

}  // namespace
