#include "src/watchdogLogic.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kX = 500;
constexpr int32_t kY = 400;

TWatchdogLook At(int32_t x, int32_t y, bool visible = true) { return TWatchdogLook{true, x, y, visible}; }

// One check as the thread makes it: the look only when the logic asks.
TWatchdogAction Tick(TWatchdog& dog, int64_t now, int64_t heartbeat, int64_t movedAt, const TWatchdogLook& look) {
    return dog.Check(now, heartbeat, movedAt, dog.NeedsLook(now, heartbeat, movedAt) ? &look : nullptr);
}

TEST(Watchdog, NeverActsNorLooksWhileTheThreadPollsAndNobodyMoves) {
    TWatchdog dog(kX, kY);
    for (int64_t t = 250; t <= 60000; t += 250) {
        const int64_t heartbeat = t - t % 100;
        EXPECT_FALSE(dog.NeedsLook(t, heartbeat, 0)) << t;
        EXPECT_EQ(Tick(dog, t, heartbeat, 0, At(kX + 5, kY - 5)), TWatchdogAction::Nothing) << t;
    }
    EXPECT_FALSE(dog.Triggered());
}

TEST(Watchdog, WhenItLooksFurther) {
    struct Row {
        int64_t Now, Heartbeat, MovedAt;
        bool Expected;
    } rows[] = {
        {1000, 1000, 0, false}, {1000, 701, 0, false},   {1000, 700, 0, true},
        {1000, 0, 0, true},     {1000, 1000, 990, true}, {5000, 4950, 10, true},
    };
    for (const Row& row : rows) {
        TWatchdog dog(kX, kY);
        EXPECT_EQ(dog.NeedsLook(row.Now, row.Heartbeat, row.MovedAt), row.Expected)
            << row.Now << " " << row.Heartbeat << " " << row.MovedAt;
    }
}

TEST(Watchdog, AReportedMoveEndsTheProcessOnlyAfterTheGrace) {
    TWatchdog dog(kX, kY);
    EXPECT_EQ(Tick(dog, 250, 200, 240, At(kX + 6, kY)), TWatchdogAction::Nothing);
    EXPECT_TRUE(dog.Triggered());
    EXPECT_EQ(Tick(dog, 500, 500, 240, At(kX + 6, kY)), TWatchdogAction::Nothing);
    // The thread still polls, yet the band is up: the close did not work.
    EXPECT_EQ(Tick(dog, 750, 700, 240, At(kX + 6, kY)), TWatchdogAction::EndProcess);
}

TEST(Watchdog, ACursorMovedUnderASilentThreadIsSeenByTheWatchdogItself) {
    TWatchdog dog(kX, kY);
    const int64_t heartbeat = 100;  // the thread stopped just after this poll
    EXPECT_EQ(Tick(dog, 250, heartbeat, 0, At(kX + 50, kY + 50)), TWatchdogAction::Nothing);
    EXPECT_FALSE(dog.Triggered()) << "a fresh heartbeat needs no look";
    EXPECT_EQ(Tick(dog, 500, heartbeat, 0, At(kX + 50, kY + 50)), TWatchdogAction::Nothing);
    EXPECT_TRUE(dog.Triggered());
    EXPECT_EQ(Tick(dog, 750, heartbeat, 0, At(kX + 50, kY + 50)), TWatchdogAction::Nothing);
    EXPECT_EQ(Tick(dog, 1000, heartbeat, 0, At(kX + 50, kY + 50)), TWatchdogAction::EndProcess);
}

TEST(Watchdog, OrdinaryDismissalWithinTheGraceMeansNothingToDo) {
    TWatchdog dog(kX, kY);
    Tick(dog, 250, 200, 240, At(kX, kY - 50));
    EXPECT_EQ(Tick(dog, 500, 500, 240, At(kX, kY - 50, false)), TWatchdogAction::Nothing);
    EXPECT_FALSE(dog.Triggered());
    EXPECT_EQ(Tick(dog, 2000, 500, 240, At(kX, kY - 50, false)), TWatchdogAction::Nothing);
}

TEST(Watchdog, AThreadSilentForTwoSecondsAndStillSilentAtTheEndOfTheGraceEndsIt) {
    TWatchdog dog(kX, kY);
    for (int64_t t = 250; t < 2000; t += 250) {
        EXPECT_EQ(Tick(dog, t, 0, 0, At(kX, kY)), TWatchdogAction::Nothing);
        EXPECT_FALSE(dog.Triggered()) << t;
    }
    Tick(dog, 2000, 0, 0, At(kX, kY));
    EXPECT_TRUE(dog.Triggered());
    EXPECT_EQ(Tick(dog, 2250, 0, 0, At(kX, kY)), TWatchdogAction::Nothing);
    EXPECT_EQ(Tick(dog, 2500, 0, 0, At(kX, kY)), TWatchdogAction::EndProcess);
}

TEST(Watchdog, AStallThatIsOverLeavesTheBandAsItWas) {
    TWatchdog dog(kX, kY);
    Tick(dog, 2000, 0, 0, At(kX, kY));
    ASSERT_TRUE(dog.Triggered());
    // The thread runs again at 2300 and polls every 100 ms.
    EXPECT_EQ(Tick(dog, 2250, 0, 0, At(kX, kY)), TWatchdogAction::Nothing);
    EXPECT_EQ(Tick(dog, 2500, 2400, 0, At(kX, kY)), TWatchdogAction::Nothing);
    EXPECT_FALSE(dog.Triggered());
    for (int64_t t = 2750; t <= 20000; t += 250) {
        EXPECT_EQ(Tick(dog, t, t - t % 100, 0, At(kX, kY)), TWatchdogAction::Nothing) << t;
    }
    // A second stall is judged afresh.
    Tick(dog, 22000, 20000, 0, At(kX, kY));
    EXPECT_TRUE(dog.Triggered());
    EXPECT_EQ(Tick(dog, 22500, 20000, 0, At(kX, kY)), TWatchdogAction::EndProcess);
}

TEST(Watchdog, AStallThatEndsWhileTheOperatorMovesStillEndsIt) {
    TWatchdog dog(kX, kY);
    Tick(dog, 2000, 0, 0, At(kX, kY));
    EXPECT_EQ(Tick(dog, 2250, 0, 0, At(kX, kY + 6)), TWatchdogAction::Nothing);
    // The thread is back, the cursor back at rest, but the operator moved.
    EXPECT_EQ(Tick(dog, 2500, 2400, 0, At(kX, kY)), TWatchdogAction::EndProcess);
}

TEST(Watchdog, AnUnreadableCursorNeverTriggersByItself) {
    TWatchdog dog(kX, kY);
    const TWatchdogLook unreadable{false, -100000, 100000, true};
    for (int64_t t = 250; t <= 5000; t += 250) {
        EXPECT_EQ(Tick(dog, t, t - 400, 0, unreadable), TWatchdogAction::Nothing) << t;
    }
    EXPECT_FALSE(dog.Triggered());
}

TEST(Watchdog, ExtremeCoordinatesDoNotOverflow) {
    TWatchdog dog(INT32_MIN, INT32_MAX);
    Tick(dog, 1000, 0, 0, At(INT32_MAX, INT32_MIN));
    EXPECT_TRUE(dog.Triggered());
}

}  // namespace

namespace {

TEST(Watchdog, ANewStartPlaceVoidsAWatchTheOldOneStarted) {
    TWatchdog dog(kX, kY);
    const int64_t heartbeat = 100;
    // A stall while the system moved the cursor off a vanished monitor.
    EXPECT_EQ(Tick(dog, 500, heartbeat, 0, At(kX - 300, kY - 200)), TWatchdogAction::Nothing);
    EXPECT_TRUE(dog.Triggered());
    dog.Rebase(kX - 300, kY - 200);
    EXPECT_FALSE(dog.Triggered());
    EXPECT_EQ(Tick(dog, 750, 700, 0, At(kX - 300, kY - 200)), TWatchdogAction::Nothing);
    EXPECT_EQ(Tick(dog, 1500, 700, 0, At(kX - 300, kY - 200)), TWatchdogAction::Nothing);
    EXPECT_FALSE(dog.Triggered());
    // Stuck afterwards: a real move from the new place still ends it.
    EXPECT_EQ(Tick(dog, 1750, 700, 0, At(kX - 294, kY - 200)), TWatchdogAction::Nothing);
    EXPECT_EQ(Tick(dog, 2250, 700, 0, At(kX - 294, kY - 200)), TWatchdogAction::EndProcess);
}

TEST(Watchdog, AKeyEndsAStuckBandAsAMoveDoes) {
    TWatchdog dog(kX, kY);
    // The cursor rests; the keyboard hook reports the key at 300.
    EXPECT_EQ(Tick(dog, 500, 100, 300, At(kX, kY)), TWatchdogAction::Nothing);
    EXPECT_EQ(Tick(dog, 1000, 100, 300, At(kX, kY)), TWatchdogAction::EndProcess);
}

}  // namespace

namespace {

TEST(Watchdog, HowLongTheThreadSleeps) {
    struct Row {
        const char* Case;
        int64_t Now, Heartbeat, MovedAt;
        bool AlarmKept;
        int64_t Expected;
    } rows[] = {
        {"all well", 1000, 950, 0, false, 500},
        {"all well, the alarm kept: only a backstop", 1000, 950, 0, true, 2000},
        {"heartbeat stale", 1000, 700, 0, false, 100},
        {"heartbeat stale, the alarm kept", 1000, 700, 0, true, 100},
        {"a move reported", 1000, 1000, 990, true, 100},
        {"never a heartbeat", 1000, 0, 0, true, 100},
    };
    for (const Row& row : rows) {
        TWatchdog dog(kX, kY);
        EXPECT_EQ(dog.NextCheckInMs(row.Now, row.Heartbeat, row.MovedAt, row.AlarmKept), row.Expected) << row.Case;
    }
    // A watch is judged the moment its grace ends, never later.
    TWatchdog dog(kX, kY);
    Tick(dog, 1000, 100, 0, At(kX + 50, kY));
    ASSERT_TRUE(dog.Triggered());
    EXPECT_EQ(dog.NextCheckInMs(1000, 100, 0, true), 100);
    EXPECT_EQ(dog.NextCheckInMs(1470, 100, 0, true), 30);
    EXPECT_EQ(dog.NextCheckInMs(1500, 100, 0, false), 1);
    EXPECT_EQ(dog.NextCheckInMs(9000, 100, 0, true), 1);
}

// The thread's loop, simulated: the user-interface thread polls every 100 ms
// (pushing the alarm when it is kept) until it sticks at stuckAt, and the
// operator moves at once; when does the process end, and how often did the
// thread wake while all was well?
struct TStuckBand {
    int64_t EndsAt = -1;
    int64_t WakesBeforeStuck = 0;
};

TStuckBand RunAStuckBand(int64_t stuckAt, int64_t firstWake, bool alarmKept) {
    TWatchdog dog(kX, kY);
    const platform::TWatchdogRules::TAlarm alarm = dog.Alarm();
    TStuckBand result;
    int64_t heartbeat = 0;
    int64_t alarmSetAt = 0;
    int64_t alarmAt = alarm.AheadMs;
    int64_t wakeAt = firstWake;
    for (int64_t now = 1; now < stuckAt + 10000; ++now) {
        if (now % 100 == 0 && now < stuckAt) {
            heartbeat = now;
            if (now - alarmSetAt >= alarm.EveryMs) {
                alarmSetAt = now;
                alarmAt = now + alarm.AheadMs;
            }
        }
        const bool alarmGoesOff = alarmKept && now == alarmAt;
        if (now != wakeAt && !alarmGoesOff) continue;
        if (now < stuckAt) ++result.WakesBeforeStuck;
        const TWatchdogLook cursor = now >= stuckAt ? At(kX + 50, kY + 50) : At(kX, kY);
        if (Tick(dog, now, heartbeat, 0, cursor) == TWatchdogAction::EndProcess) {
            result.EndsAt = now;
            break;
        }
        wakeAt = now + dog.NextCheckInMs(now, heartbeat, 0, alarmKept);
    }
    return result;
}

// At worst the heartbeat goes stale just after a check, or just before the
// alarm is pushed: one rest more, then the grace. With the alarm kept the
// thread does not wake at all while the heartbeats come.
TEST(Watchdog, AStuckThreadAndAMoveEndTheBandWithinOnePointThreeSecondsWhateverThePhase) {
    for (const bool alarmKept : {false, true}) {
        int64_t worst = 0;
        int64_t mostWakes = 0;
        for (int64_t stuckAt = 3000; stuckAt < 3600; stuckAt += 7) {
            for (int64_t firstWake = 1; firstWake <= 500; firstWake += 61) {
                const TStuckBand run = RunAStuckBand(stuckAt, firstWake, alarmKept);
                ASSERT_GT(run.EndsAt, stuckAt) << stuckAt << " " << firstWake << " " << alarmKept;
                worst = std::max(worst, run.EndsAt - stuckAt);
                mostWakes = std::max(mostWakes, run.WakesBeforeStuck);
            }
        }
        EXPECT_LE(worst, 1300) << alarmKept;
        EXPECT_GE(worst, 500) << "the ordinary dismissal gets its grace first";
        if (alarmKept)
            EXPECT_LE(mostWakes, 2) << "the first wake and the backstop's";
        else
            EXPECT_GE(mostWakes, 6);
    }
}

}  // namespace
