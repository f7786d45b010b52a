#include "core/signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quorvel::core {
namespace {

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
