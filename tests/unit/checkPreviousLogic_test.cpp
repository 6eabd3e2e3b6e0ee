#include "src/checkPreviousLogic.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(CheckPreviousMapName, RemovesEveryBackslashAndNothingElse) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Windows\\System32\\kestrane.scr", "C:WindowsSystem32kestrane.scr"},
        {"c:\\windows\\system32\\KESTRANE.SCR", "c:windowssystem32KESTRANE.SCR"},  // case kept
        {"\\\\server\\share\\saver.scr", "serversharesaver.scr"},                  // UNC path
        {"Z:\\tmp\\build win64\\kestrane.scr", "Z:tmpbuild win64kestrane.scr"},    // blanks kept
        {"C:/mixed\\slashes/a.scr", "C:/mixedslashes/a.scr"},                      // "/" is not removed
        {"kestrane.scr", "kestrane.scr"},
        {"\\\\\\", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(MapNameFromPath(c.path), c.name) << c.path;
}

TEST(CheckPreviousMapName, KeepsEightBitCharacters) {
    const std::string path = "C:\\Programme\\K\xE4strane\\k.scr";
    EXPECT_EQ(MapNameFromPath(path),
              "C:ProgrammeK\xE4strane"
              "k.scr");
}

TEST(CheckPreviousMapName, LockNameDiffersFromTheBlockName) {
    const std::string name = MapNameFromPath("C:\\a\\k.scr");
    EXPECT_NE(LockNameFor(name), name);
    EXPECT_EQ(LockNameFor(name).rfind(name, 0), 0u);
    EXPECT_NE(LockNameFor("C:ak.scr"), LockNameFor("C:bk.scr"));
}

TEST(CheckPreviousBlock, LayoutIsLittleEndianWndThenCount) {
    uint8_t block[8] = {};
    WriteInstanceInfo(block, TInstanceInfo{0x12345678u, 0x0A0B0C0D});
    const uint8_t expected[8] = {0x78, 0x56, 0x34, 0x12, 0x0D, 0x0C, 0x0B, 0x0A};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(block[i], expected[i]) << "byte " << i;
}

TEST(CheckPreviousBlock, ReadsWhatAnotherCopyWrote) {
    const uint8_t block[8] = {0x34, 0x12, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    TInstanceInfo info = ReadInstanceInfo(block);
    EXPECT_EQ(info.Wnd, 0x1234u);
    EXPECT_EQ(info.Count, -1);  // the count is signed
}

TEST(CheckPreviousBlock, RoundTripsExtremeValues) {
    const TInstanceInfo values[] = {{0, 0}, {0xFFFFFFFFu, kMin}, {0x80000000u, kMax}, {1, -1}};
    for (const TInstanceInfo& v : values) {
        uint8_t block[8] = {};
        WriteInstanceInfo(block, v);
        TInstanceInfo back = ReadInstanceInfo(block);
        EXPECT_EQ(back.Wnd, v.Wnd);
        EXPECT_EQ(back.Count, v.Count);
    }
}

TEST(CheckPreviousBlock, WritingTheCountLeavesTheWindowAlone) {
    uint8_t block[8] = {};
    WriteInstanceInfo(block, TInstanceInfo{0xCAFEBABEu, 3});
    WriteInstanceCount(block, 2);
    TInstanceInfo info = ReadInstanceInfo(block);
    EXPECT_EQ(info.Wnd, 0xCAFEBABEu);
    EXPECT_EQ(info.Count, 2);
}

TEST(CheckPreviousBlock, FirstStartHoldsOnePlace) {
    TInstanceInfo info = FirstInstance(0x10020u);
    EXPECT_EQ(info.Wnd, 0x10020u);
    EXPECT_EQ(info.Count, 1);
}

struct DecisionCase {
    int32_t count, limit;
    bool registers;
};

TEST(CheckPreviousDecision, RegistersOnlyWhileTheLimitIsAboveTheCount) {
    const DecisionCase cases[] = {
        {0, 1, true},                                         // the block outlived its copies
        {1, 1, false},                                        // one copy runs
        {2, 1, false},   {-3, 1, true},                       // over-released by someone else's writes
        {kMin, 1, true}, {kMax, 1, false},    {0, 0, false},  // a limit of 0 refuses every later start
        {-1, 0, true},   {kMin, kMin, false}, {kMax - 1, kMax, true}, {kMax, kMax, false}, {4, 5, true},
    };
    for (const DecisionCase& c : cases) {
        TStartDecision d = DecideStart(TInstanceInfo{0x111u, c.count}, 0x222u, c.limit);
        EXPECT_EQ(d.Register, c.registers) << c.count << " vs " << c.limit;
    }
}

TEST(CheckPreviousDecision, RegisteringTakesOverTheWindowAndCounts) {
    TStartDecision d = DecideStart(TInstanceInfo{0x111u, 0}, 0x222u, 1);
    ASSERT_TRUE(d.Register);
    EXPECT_EQ(d.Block.Wnd, 0x222u);
    EXPECT_EQ(d.Block.Count, 1);
    EXPECT_EQ(d.BringForward, 0u);

    d = DecideStart(TInstanceInfo{0x111u, kMax - 1}, 0x333u, kMax);
    ASSERT_TRUE(d.Register);
    EXPECT_EQ(d.Block.Count, kMax);  // no overflow at the top
}

TEST(CheckPreviousDecision, RefusingLeavesTheBlockAndNamesTheLastWindow) {
    TStartDecision d = DecideStart(TInstanceInfo{0xFFFF1234u, 1}, 0x222u, 1);
    ASSERT_FALSE(d.Register);
    EXPECT_EQ(d.Block.Wnd, 0xFFFF1234u);
    EXPECT_EQ(d.Block.Count, 1);
    EXPECT_EQ(d.BringForward, 0xFFFF1234u);
}

TEST(CheckPreviousRelease, GivesOnePlaceBackWithoutWrapping) {
    EXPECT_EQ(CountAfterRelease(1), 0);
    EXPECT_EQ(CountAfterRelease(0), -1);
    EXPECT_EQ(CountAfterRelease(kMax), kMax - 1);
    EXPECT_EQ(CountAfterRelease(kMin), kMin);  // would otherwise wrap to the maximum and lock everyone out
}

TEST(CheckPreviousRelease, RegisterThenReleaseRestoresTheCount) {
    for (int32_t count : {-5, 0, 3}) {
        TStartDecision d = DecideStart(TInstanceInfo{1, count}, 2, 10);
        ASSERT_TRUE(d.Register);
        EXPECT_EQ(CountAfterRelease(d.Block.Count), count);
    }
}

// The exit steps, a failure hook, the crash filter and the watchdog may all
// ask at once; exactly one of them may give the place back.
TEST(CheckPreviousRelease, ExactlyOneOfManyConcurrentCallersReleases) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 1000;
    for (int round = 0; round < kRounds; ++round) {
        TReleaseOnce decision;
        std::atomic<bool> go{false};
        std::atomic<int> winners{0};
        std::vector<std::thread> callers;
        for (int i = 0; i < kThreads; ++i) {
            callers.emplace_back([&] {
                while (!go.load(std::memory_order_acquire)) {
                }
                if (decision.Claim()) winners.fetch_add(1);
                if (decision.Claim()) winners.fetch_add(1);  // a second call on the same path
            });
        }
        go.store(true, std::memory_order_release);
        for (std::thread& caller : callers) caller.join();
        ASSERT_EQ(winners.load(), 1) << "round " << round;
        ASSERT_TRUE(decision.Claimed());
    }
}

}  // namespace
