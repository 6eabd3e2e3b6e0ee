#include "src/keyGateLogic.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kEnter = 0x0D;
constexpr uint32_t kEscape = 0x1B;
constexpr uint32_t kControl = 0x11;
constexpr uint32_t kMenu = 0x12;
constexpr uint32_t kC = 0x43;

TKeyEvent Down(uint32_t vk, int64_t at = 0, bool system = false, bool alt = false) {
    return TKeyEvent{vk, true, system, alt, at};
}
TKeyEvent Up(uint32_t vk, int64_t at = 0, bool system = false) { return TKeyEvent{vk, false, system, false, at}; }

TEST(KeyGate, WhichKeysEndTheBand) {
    struct Row {
        TKeyEvent Key;
        bool Ends;
    } rows[] = {
        {Down(kEnter), true},
        {Down(kControl), true},
        {Down(0), true},                      // a key without a virtual-key code still counts
        {Down(kMenu, 0, true, true), false},  // Alt itself
        {Down(kC, 0, true, true), false},     // Alt+C
        {Down(kVkF10, 0, true), false},
        {Down(kVkF10), false},
        {Down(kEnter, 0, false, true), false},
        {Up(kEnter), false},
    };
    for (const Row& row : rows) {
        TKeyGate gate;
        gate.Arm();
        EXPECT_EQ(gate.OnKey(row.Key) == TKeyVerdict::Dismiss, row.Ends) << row.Key.VirtualKey;
        EXPECT_EQ(KeyEndsTheBand(row.Key), row.Ends) << row.Key.VirtualKey;
    }
}

TEST(KeyGate, AHeldEnterReachesNothingUntilReleasedThenKeysPassAgain) {
    TKeyGate gate;
    EXPECT_EQ(gate.OnKey(Down(kEnter)), TKeyVerdict::Pass) << "not armed before the band shows";
    gate.Arm();
    EXPECT_EQ(gate.OnKey(Down(kEnter, 100)), TKeyVerdict::Dismiss);
    // One dismissal only; everything pressed while Enter is down is held back.
    for (int64_t t = 600; t < 1600; t += 33) EXPECT_EQ(gate.OnKey(Down(kEnter, t)), TKeyVerdict::HoldBack) << t;
    EXPECT_EQ(gate.OnKey(Down(kEscape, 1000)), TKeyVerdict::HoldBack);
    EXPECT_EQ(gate.OnKey(Up(kEscape, 1010)), TKeyVerdict::Pass);
    EXPECT_EQ(gate.OnKey(Down(kMenu, 1020, true, true)), TKeyVerdict::HoldBack);
    EXPECT_EQ(gate.OnKey(Up(kMenu, 1030, true)), TKeyVerdict::Pass);
    EXPECT_TRUE(gate.Holding());
    EXPECT_EQ(gate.HeldKeySeenMs(), 1590);
    EXPECT_EQ(gate.OnKey(Up(kEnter, 1600)), TKeyVerdict::Pass);
    EXPECT_FALSE(gate.Holding());
    gate.Disarm();
    EXPECT_EQ(gate.OnKey(Down(kEnter, 1700)), TKeyVerdict::Pass);
    EXPECT_EQ(gate.OnKey(Down(kEscape, 1800)), TKeyVerdict::Pass);
}

TEST(KeyGate, CtrlCOverTheBandCopiesNothing) {
    TKeyGate gate;
    gate.Arm();
    EXPECT_EQ(gate.OnKey(Down(kControl, 10)), TKeyVerdict::Dismiss);
    gate.Disarm();
    EXPECT_EQ(gate.OnKey(Down(kC, 50)), TKeyVerdict::HoldBack);
    EXPECT_EQ(gate.OnKey(Up(kC, 90)), TKeyVerdict::Pass);
    EXPECT_EQ(gate.OnKey(Up(kControl, 120)), TKeyVerdict::Pass);
    EXPECT_EQ(gate.OnKey(Down(kC, 200)), TKeyVerdict::Pass);
}

TEST(KeyGate, HowLongTheHoldLastsAfterTheBandHasGone) {
    struct Row {
        bool Released;
        int64_t LastSeen, Now;
        bool Over;
    } rows[] = {
        {true, 100, 150, true},       {false, 100, 1599, false},   {false, 100, 1600, true},
        {false, 29000, 30099, false}, {false, 29900, 30100, true},
    };
    for (const Row& row : rows) {
        TKeyGate gate;
        gate.Arm();
        gate.OnKey(Down(kEnter, 100));
        if (row.LastSeen != 100) gate.OnKey(Down(kEnter, row.LastSeen));
        if (row.Released) gate.OnKey(Up(kEnter, row.LastSeen));
        EXPECT_EQ(KeyHoldOver(gate, row.Now, 100), row.Over) << row.LastSeen << " " << row.Now;
    }
    TKeyGate idle;
    EXPECT_TRUE(KeyHoldOver(idle, 0, 0)) << "a band ended by the mouse holds nothing";
}

}  // namespace
