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

TEST(Signal, ASubscriptionLastsExactlyAsLongAsItsConnection) {
    Signal<> signal;
    int calls = 0;
    Connection moved;
    {
        Connection scoped = signal.connect([&] { ++calls; });
        Connection inner = signal.connect([&] { calls += 10; });
        moved = std::move(inner);
        signal.emit();
    }
    signal.emit();  // only the moved connection is still subscribed
    EXPECT_EQ(calls, 21);
    EXPECT_EQ(signal.size(), 1u);
    moved.reset();
    EXPECT_EQ(signal.size(), 0u);

    Connection orphan;
    {
        Signal<int> shortLived;
        orphan = shortLived.connect([](int) {});
    }
    orphan.reset();  // must not touch the destroyed signal (the sanitizer build checks)
}

}  // namespace
}  // namespace quorvel::core
