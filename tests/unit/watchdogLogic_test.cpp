#include "src/watchdogLogic.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kX = 500;
constexpr int32_t kY = 400;

TEST(Watchdog, NeverActsWhileTheCursorRestsAndTheThreadAnswers) {
    TWatchdog dog(kX, kY, 0);
    for (int64_t t = 100; t <= 60000; t += 100) {
        EXPECT_EQ(dog.Check(t, true, kX + 5, kY - 5, true, true), TWatchdogAction::Nothing) << t;
    }
    EXPECT_FALSE(dog.Triggered());
}

TEST(Watchdog, MovementEndsTheProcessOnlyAfterTheGrace) {
    TWatchdog dog(kX, kY, 0);
    EXPECT_EQ(dog.Check(100, true, kX + 6, kY, true, true), TWatchdogAction::Nothing);
    EXPECT_TRUE(dog.Triggered());
    EXPECT_EQ(dog.Check(500, true, kX + 6, kY, true, true), TWatchdogAction::Nothing);
    EXPECT_EQ(dog.Check(600, true, kX + 6, kY, true, true), TWatchdogAction::EndProcess);
}

TEST(Watchdog, OrdinaryDismissalWithinTheGraceMeansNothingToDo) {
    TWatchdog dog(kX, kY, 0);
    dog.Check(100, true, kX, kY - 50, true, true);
    EXPECT_EQ(dog.Check(300, true, kX, kY - 50, true, false), TWatchdogAction::Nothing);
    EXPECT_EQ(dog.Check(2000, true, kX, kY - 50, true, false), TWatchdogAction::Nothing);
}

TEST(Watchdog, AHungThreadCountsAfterTwoSeconds) {
    TWatchdog dog(kX, kY, 0);
    for (int64_t t = 100; t < 2000; t += 100) {
        EXPECT_EQ(dog.Check(t, true, kX, kY, false, true), TWatchdogAction::Nothing);
        EXPECT_FALSE(dog.Triggered()) << t;
    }
    dog.Check(2000, true, kX, kY, false, true);
    EXPECT_TRUE(dog.Triggered());
    EXPECT_EQ(dog.Check(2500, true, kX, kY, false, true), TWatchdogAction::EndProcess);
}

TEST(Watchdog, AnUnreadableCursorNeverTriggersByItself) {
    TWatchdog dog(kX, kY, 0);
    for (int64_t t = 100; t <= 5000; t += 100) {
        EXPECT_EQ(dog.Check(t, false, -100000, 100000, true, true), TWatchdogAction::Nothing);
    }
    EXPECT_FALSE(dog.Triggered());
}

TEST(Watchdog, ExtremeCoordinatesDoNotOverflow) {
    TWatchdog dog(INT32_MIN, INT32_MAX, 0);
    dog.Check(100, true, INT32_MAX, INT32_MIN, true, true);
    EXPECT_TRUE(dog.Triggered());
}

}  // namespace
