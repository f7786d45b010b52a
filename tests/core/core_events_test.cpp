#include "core/virtual_scheduler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/signal.h"

namespace quorvel::core {
namespace {

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

TEST(Signal, SlotsMayDisconnectThemselvesAndLaterSlotsDuringEmission) {
    Signal<> signal;
    std::vector<std::string> seen;
    Connection first;
    Connection second;
    first = signal.connect([&] {
        seen.push_back("first");
        first.reset();
        second.reset();
    });
    second = signal.connect([&] { seen.push_back("second"); });
    Connection third = signal.connect([&] { seen.push_back("third"); });
    signal.emit();
    signal.emit();
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "third", "third"}));
}

}  // namespace
}  // namespace quorvel::core
