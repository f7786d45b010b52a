#include "core/notification_center.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quorvel::core {
namespace {

TEST(NotificationCenter, NestedPostIsDeliveredInsideTheOuterDelivery) {
    NotificationCenter center;
    std::vector<std::string> seen;
    Observation outer1(center, "Outer", [&](const Notification&) {
        seen.push_back("outer1");
        center.post("Inner");
    });
    Observation outer2(center, "Outer", [&](const Notification&) { seen.push_back("outer2"); });
    Observation inner(center, "Inner", [&](const Notification&) { seen.push_back("inner"); });
    std::vector<std::string> traced;
    center.setTrace([&](const Notification& n) { traced.push_back(n.name); });
    center.post("Outer");
    EXPECT_EQ(seen, (std::vector<std::string>{"outer1", "inner", "outer2"}));
    EXPECT_EQ(traced, (std::vector<std::string>{"Outer", "Inner"})) << "causes first";
}

TEST(NotificationCenter, RemovingObserversDuringDeliveryIsSafe) {
    NotificationCenter center;
    std::vector<std::string> seen;
    ObserverToken self = 0;
    ObserverToken later = 0;
    self = center.addObserver("N", [&](const Notification&) {
        seen.push_back("self");
        center.removeObserver(self);   // removes itself
        center.removeObserver(later);  // and one not yet called
    });
    later = center.addObserver("N", [&](const Notification&) { seen.push_back("later"); });
    center.post("N");
    center.post("N");
    EXPECT_EQ(seen, (std::vector<std::string>{"self"}));
    EXPECT_EQ(center.observerCount(), 0u);
}

}  // namespace
}  // namespace quorvel::core
