#include "src/watcherLogic.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(StartAfterIdle, NegativeIsOffAndLongerThanADayIsADay) {
    const struct {
        int32_t Stored, Held;
    } cases[] = {{INT32_MIN, 0}, {-1, 0},           {0, 0}, {1, 1}, {3, 3}, {600, 600}, {86400, 86400},
                 {86401, 86400}, {INT32_MAX, 86400}};
    for (const auto& c : cases) EXPECT_EQ(ClampStartAfterIdle(c.Stored), c.Held) << c.Stored;
}

struct TLook {
    const char* What;
    uint64_t Now, SinceInput;
    bool OnInputDesktop;
    bool Start;
    uint32_t Wait;
};

void ExpectLooks(const TWatchSchedule& schedule, const std::vector<TLook>& looks) {
    for (const TLook& l : looks) {
        const TWatchStep step = schedule.Next(TWatchFacts{l.Now, l.SinceInput, 3, l.OnInputDesktop});
        EXPECT_EQ(step.StartBand, l.Start) << l.What;
        if (!l.Start) EXPECT_EQ(step.WaitMs, l.Wait) << l.What;
    }
}

// One scenario of a watcher started at 10 s with a 3-s idle time: what it does
// at each look, in order, as the session's input and the bands come and go.
TEST(WatchSchedule, StartsAfterTheIdleTimeFromTheLastOfInputBandEndAndHold) {
    TWatchSchedule schedule(10000);
    ExpectLooks(schedule, {
                              // Idle for an hour already: the watcher's own start counts, no band at once.
                              {"just started after a long idle time", 10000, 3600000, true, false, 3000},
                              {"one idle period after its start", 13000, 3603000, true, true, 0},
                          });
    // The band ended on input at 20 s (the input 50 ms before it).
    schedule.BandEnded(20000);
    ExpectLooks(schedule, {
                              {"right after the band", 20000, 50, true, false, 3000},
                              {"input again at 22 s puts it off", 23000, 1000, true, false, 2000},
                              {"idle long enough", 25000, 3000, true, true, 0},
                              {"due, but the workstation is locked", 25000, 3000, false, false, 1000},
                              {"long due when unlocked without input", 90000, 68000, true, true, 0},
                          });
}

TEST(WatchSchedule, ABandEndedWithoutInputIsFollowedOnlyAfterAWholeIdlePeriod) {
    TWatchSchedule schedule(0);
    // Killed, refused or ended by the control system at 100 s, input long before.
    schedule.BandEnded(100000);
    EXPECT_FALSE(schedule.Next(TWatchFacts{100000, 90000, 3, true}).StartBand);
    EXPECT_EQ(schedule.Next(TWatchFacts{102999, 92999, 3, true}).WaitMs, 1u);
    EXPECT_TRUE(schedule.Next(TWatchFacts{103000, 93000, 3, true}).StartBand);
    // An end reported late never moves the count back.
    schedule.BandEnded(50000);
    EXPECT_TRUE(schedule.Next(TWatchFacts{103000, 93000, 3, true}).StartBand);
}

// The control system's end: without a time one idle period from then, also
// when no band ran; with a time the hold alone decides, and the band it ended
// does not count.
TEST(WatchSchedule, TheControlSystemsEndHoldsForAnIdlePeriodOrForItsOwnTime) {
    TWatchSchedule schedule(0);
    schedule.ControlEnded(50000, false);
    EXPECT_EQ(schedule.Next(TWatchFacts{50000, 40000, 3, true}).WaitMs, 3000u);
    EXPECT_TRUE(schedule.Next(TWatchFacts{53000, 43000, 3, true}).StartBand);

    schedule.ControlEnded(60000, true);
    schedule.BandEnded(60100);  // the band it ended
    TWatchFacts held{61000, 61000, 3, true};
    held.Held = true;
    const TWatchStep waiting = schedule.Next(held);
    EXPECT_FALSE(waiting.StartBand);
    EXPECT_EQ(waiting.WaitMs, kWatcherRecheckMs);
    // Held for 8 s: at 68 s the band comes back at once, not 3 s after the band's end.
    schedule.HoldOver();
    EXPECT_TRUE(schedule.Next(TWatchFacts{68000, 68000, 3, true}).StartBand);
    // The idle time still counts: input at 67 s puts it off to 70 s.
    EXPECT_EQ(schedule.Next(TWatchFacts{68000, 1000, 3, true}).WaitMs, 2000u);
    // After the hold a band's end counts again.
    schedule.BandEnded(90000);
    EXPECT_EQ(schedule.Next(TWatchFacts{90000, 50000, 3, true}).WaitMs, 3000u);
}

TEST(WatchSchedule, OffWaitsForTheNextSettingsAndHugeValuesDoNotOverflow) {
    TWatchSchedule schedule(0);
    for (int32_t off : {0, -1, INT32_MIN}) {
        const TWatchStep step = schedule.Next(TWatchFacts{5000000, 5000000, off, true});
        EXPECT_FALSE(step.StartBand);
        EXPECT_EQ(step.WaitMs, kWatcherSettingsEveryMs);
    }
    const TWatchStep day = schedule.Next(TWatchFacts{1000, 1000, INT32_MAX, true});
    EXPECT_FALSE(day.StartBand);
    EXPECT_EQ(day.WaitMs, 86400u * 1000u - 1000u);
    // Input reported before the clock's start (a session older than the clock).
    EXPECT_TRUE(schedule.Next(TWatchFacts{5000, UINT64_MAX, 3, true}).StartBand);
}

}  // namespace
