#include "qt/qt_scheduler.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>
#include <vector>

namespace quorvel::qt {
namespace {

using core::TimerMode;

// Turns the event loop until `done` holds; false after `limitMs` of waiting.
// The limits are far above the delays under test, so they only end a hung test.
bool spinUntil(const std::function<bool()>& done, int limitMs = 3000) {
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

void spinFor(double seconds, const QtScheduler& s) {
    const double end = s.now() + seconds;
    spinUntil([&] { return s.now() >= end; });
}

TEST(QtScheduler, OneShotFiresOnceNotBeforeItsDelay) {
    QtScheduler s;
    const double start = s.now();
    std::vector<double> fired;
    auto timer = s.after(0.05, TimerMode::Default, [&] { fired.push_back(s.now()); });
    EXPECT_TRUE(timer.isActive());
    ASSERT_TRUE(spinUntil([&] { return !fired.empty(); }));
    EXPECT_GE(fired[0] - start, 0.049);
    EXPECT_FALSE(timer.isActive());
    spinFor(0.1, s);
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_EQ(s.scheduledCount(), 0u);
}

TEST(QtScheduler, RepeatingFiresUntilItsHandleGoesAway) {
    QtScheduler s;
    int count = 0;
    {
        auto timer = s.repeating(0.01, TimerMode::Common, [&] { ++count; });
        ASSERT_TRUE(spinUntil([&] { return count >= 3; }));
        EXPECT_TRUE(timer.isActive());
    }
    const int atRelease = count;
    spinFor(0.08, s);
    EXPECT_EQ(count, atRelease);
    EXPECT_EQ(s.scheduledCount(), 0u);
}

TEST(QtScheduler, MenuTrackingHoldsDefaultModeTimersOnly) {
    QtScheduler s;
    int defaultOnce = 0;
    int defaultRepeat = 0;
    int common = 0;
    auto a = s.after(0.01, TimerMode::Default, [&] { ++defaultOnce; });
    auto b = s.repeating(0.01, TimerMode::Default, [&] { ++defaultRepeat; });
    auto c = s.repeating(0.01, TimerMode::Common, [&] { ++common; });
    s.setMenuTracking(true);
    ASSERT_TRUE(spinUntil([&] { return common >= 5; }));
    EXPECT_EQ(defaultOnce, 0);
    EXPECT_EQ(defaultRepeat, 0);
    EXPECT_TRUE(a.isActive());  // held, not dropped

    s.setMenuTracking(false);  // each held timer fires once, late, at once
    EXPECT_EQ(defaultOnce, 1);
    EXPECT_EQ(defaultRepeat, 1);
    EXPECT_FALSE(a.isActive());
    ASSERT_TRUE(spinUntil([&] { return defaultRepeat >= 3; }));
    EXPECT_EQ(defaultOnce, 1);
}

TEST(QtScheduler, DestroyingTheSchedulerStopsEverything) {
    int fired = 0;
    {
        QtScheduler s;
        s.dispatchAfter(0.01, [&] { ++fired; });
        s.async([&] { ++fired; });
    }
    QtScheduler clock;
    spinFor(0.05, clock);
    EXPECT_EQ(fired, 0);
}

}  // namespace
}  // namespace quorvel::qt
