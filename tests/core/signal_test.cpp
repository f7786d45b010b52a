#include "core/signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quorvel::core {
namespace {

TEST(Signal, SlotsRunInConnectionOrderWithTheArguments) {
    Signal<int, std::string> signal;
    std::vector<std::string> seen;
    Connection a =
        signal.connect([&](int n, std::string s) { seen.push_back("a" + std::to_string(n) + s); });
    Connection b =
        signal.connect([&](int n, std::string s) { seen.push_back("b" + std::to_string(n) + s); });
    signal.emit(1, "x");
    EXPECT_EQ(seen, (std::vector<std::string>{"a1x", "b1x"}));
}

TEST(Signal, ADestroyedConnectionIsNeverCalledAgain) {
    Signal<> signal;
    int calls = 0;
    {
        Connection c = signal.connect([&] { ++calls; });
        signal.emit();
    }
    signal.emit();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(signal.size(), 0u);
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

TEST(Signal, ConnectionMayOutliveItsSignal) {
    Connection c;
    {
        Signal<int> signal;
        c = signal.connect([](int) {});
    }
    c.reset();  // must not touch the destroyed signal
    SUCCEED();
}

TEST(Signal, MovedConnectionKeepsTheSubscriptionAlive) {
    Signal<> signal;
    int calls = 0;
    Connection outer;
    {
        Connection inner = signal.connect([&] { ++calls; });
        outer = std::move(inner);
    }
    signal.emit();
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace quorvel::core
