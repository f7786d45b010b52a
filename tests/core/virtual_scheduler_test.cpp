#include "core/virtual_scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quorvel::core {
namespace {

using Trace = std::vector<std::string>;

TEST(VirtualScheduler, DueWorkRunsByTimeAndTiesInSchedulingOrderEachSeeingItsDueTime) {
    VirtualScheduler s(10.0);
    std::vector<std::pair<std::string, double>> fired;
    auto record = [&](const char* name) {
        return [&, name] { fired.emplace_back(name, s.now()); };
    };
    Timer late = s.after(1.0, TimerMode::Default, record("late-1"));
    Timer early = s.after(0.5, TimerMode::Default, record("early"));
    Timer tie = s.after(1.0, TimerMode::Common, record("late-2"));
    s.advance(0.9);
    EXPECT_EQ(fired, (decltype(fired){{"early", 10.5}}));
    s.advance(0.1);
    EXPECT_EQ(fired, (decltype(fired){{"early", 10.5}, {"late-1", 11.0}, {"late-2", 11.0}}));
    EXPECT_EQ(s.scheduledCount(), 0u);
    s.advance(4.0);
    EXPECT_DOUBLE_EQ(s.now(), 15.0);
}

TEST(VirtualScheduler, AsyncWorkRunsBeforeAnyLaterTimer) {
    VirtualScheduler s(0.0);
    Trace trace;
    s.async([&] { trace.push_back("queued-before"); });
    Timer first = s.after(0.5, TimerMode::Default, [&] {
        trace.push_back("timer-0.5");
        s.async([&] { trace.push_back("async-from-timer"); });
    });
    Timer same = s.after(0.5, TimerMode::Default, [&] { trace.push_back("timer-0.5-b"); });
    Timer second = s.after(0.7, TimerMode::Default, [&] { trace.push_back("timer-0.7"); });
    s.advance(1.0);
    EXPECT_EQ(trace, (Trace{"queued-before", "timer-0.5", "async-from-timer", "timer-0.5-b",
                            "timer-0.7"}));
}

TEST(VirtualScheduler, RunPendingDrainsNestedAsyncWithoutMovingTime) {
    VirtualScheduler s(0.0);
    Trace trace;
    Timer t = s.after(0.0, TimerMode::Default, [&] { trace.push_back("timer"); });
    s.async([&] {
        trace.push_back("outer");
        s.async([&] { trace.push_back("inner"); });
    });
    s.runPending();
    EXPECT_EQ(trace, (Trace{"outer", "inner"}));
    EXPECT_DOUBLE_EQ(s.now(), 0.0);
}

TEST(VirtualScheduler, RepeatingTimerFiresOncePerIntervalUntilCancelled) {
    VirtualScheduler s(0.0);
    std::vector<double> fires;
    Timer poll = s.repeating(0.1, TimerMode::Common, [&] { fires.push_back(s.now()); });
    s.advance(0.35);
    ASSERT_EQ(fires.size(), 3u);
    EXPECT_NEAR(fires[2], 0.3, 1e-9);
    s.advance(0.65);  // up to 1.0: ten in all, the last exactly at 1.0
    EXPECT_EQ(fires.size(), 10u);
    EXPECT_TRUE(poll.isActive());
    poll.cancel();
    s.advance(1.0);
    EXPECT_EQ(fires.size(), 10u);
    EXPECT_FALSE(poll.isActive());
}

TEST(VirtualScheduler, ATimerCanCancelItselfAndOthersDueAtTheSameTime) {
    VirtualScheduler s(0.0);
    Trace trace;
    Timer self;
    Timer victim;
    self = s.repeating(0.1, TimerMode::Default, [&] {
        trace.push_back("self");
        self.cancel();
        victim.cancel();
    });
    victim = s.after(0.1, TimerMode::Default, [&] { trace.push_back("victim"); });
    s.advance(1.0);
    EXPECT_EQ(trace, (Trace{"self"}));
    EXPECT_EQ(s.scheduledCount(), 0u);
}

TEST(VirtualScheduler, MenuTrackingHoldsOnlyDefaultModeTimers) {
    VirtualScheduler s(0.0);
    int polls = 0;
    std::vector<double> defaultFires;
    Timer poll = s.repeating(0.1, TimerMode::Common, [&] { ++polls; });
    Timer check = s.after(0.5, TimerMode::Default, [&] { defaultFires.push_back(s.now()); });
    s.setMenuTracking(true);
    s.advance(1.0);
    EXPECT_EQ(polls, 10);
    EXPECT_TRUE(defaultFires.empty());
    s.setMenuTracking(false);  // the held timer fires late, at once
    ASSERT_EQ(defaultFires.size(), 1u);
    EXPECT_DOUBLE_EQ(defaultFires[0], 1.0);
    EXPECT_EQ(polls, 10);
}

TEST(VirtualScheduler, DispatchAfterRunsOnceWithoutAHandleWhileADroppedHandleCancels) {
    VirtualScheduler s(0.0);
    int calls = 0;
    int cancelledCalls = 0;
    s.dispatchAfter(0.3, [&] { ++calls; });
    {
        Timer t = s.after(0.1, TimerMode::Default, [&] { ++cancelledCalls; });
    }
    s.advance(0.29);
    EXPECT_EQ(calls, 0);
    s.advance(0.01);
    EXPECT_EQ(calls, 1);
    s.advance(1.0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(cancelledCalls, 0);
}

}  // namespace
}  // namespace quorvel::core
