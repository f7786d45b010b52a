#include "qt/qt_scheduler.h"

#include <gtest/gtest.h>

#include <vector>

#include "../spin_until.h"
#include "program/command_line.h"

namespace quorvel::qt {
namespace {

using core::TimerMode;
using quorvel::testing::spinUntil;

void spinFor(double seconds, const QtScheduler& s) {
    const double end = s.now() + seconds;
    spinUntil([&] { return s.now() >= end; });
}

TEST(QtScheduler, TimersFireNotBeforeTheirDelayAndStopWithTheirHandleOrTheScheduler) {
    QtScheduler s;
    const double start = s.now();
    std::vector<double> fired;
    int repeats = 0, orphans = 0;
    auto once = s.after(0.05, TimerMode::Default, [&] { fired.push_back(s.now()); });
    {
        auto repeating = s.repeating(0.01, TimerMode::Common, [&] { ++repeats; });
        ASSERT_TRUE(spinUntil([&] { return !fired.empty(); }));
        EXPECT_GE(fired[0] - start, 0.049);
        EXPECT_GE(repeats, 3);
    }
    {
        QtScheduler gone;
        gone.dispatchAfter(0.01, [&] { ++orphans; });
        gone.async([&] { ++orphans; });
    }
    const int atRelease = repeats;
    spinFor(0.1, s);
    EXPECT_EQ(fired.size(), 1u) << "a one-shot fires once";
    EXPECT_EQ(repeats, atRelease);
    EXPECT_EQ(orphans, 0);
    EXPECT_EQ(s.scheduledCount(), 0u);
}

TEST(QtScheduler, MenuTrackingHoldsDefaultModeTimersOnly) {
    QtScheduler s;
    int defaultOnce = 0, defaultRepeat = 0, common = 0;
    auto a = s.after(0.01, TimerMode::Default, [&] { ++defaultOnce; });
    auto b = s.repeating(0.01, TimerMode::Default, [&] { ++defaultRepeat; });
    auto c = s.repeating(0.01, TimerMode::Common, [&] { ++common; });
    s.setMenuTracking(true);
    ASSERT_TRUE(spinUntil([&] { return common >= 5; }));
    EXPECT_EQ(defaultOnce + defaultRepeat, 0);
    EXPECT_TRUE(a.isActive());  // held, not dropped

    s.setMenuTracking(false);  // each held timer fires once, late, at once
    EXPECT_EQ(defaultOnce, 1);
    EXPECT_EQ(defaultRepeat, 1);
    ASSERT_TRUE(spinUntil([&] { return defaultRepeat >= 3; }));
    EXPECT_EQ(defaultOnce, 1);
}

TEST(QtCommandLine, QtsOwnOptionsPassWithTheirValuesAndDisplayIsRead) {
    EXPECT_EQ(program::qtOptionLength("-style"), 2u);
    EXPECT_EQ(program::qtOptionLength("--platform=offscreen"), 1u);
    EXPECT_EQ(program::qtOptionLength("-reverse"), 1u);
    EXPECT_EQ(program::qtOptionLength("--frobnicate"), 0u);
    EXPECT_EQ(program::qtDisplayOption("-display", ":3"), ":3");
    EXPECT_EQ(program::qtDisplayOption("--display=:4", ""), ":4");
}

}  // namespace
}  // namespace quorvel::qt
