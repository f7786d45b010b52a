#include <gtest/gtest.h>

#include "rules/system_ui_fixture.h"

namespace quorvel::rules {
namespace {

// Waiting for a settings service that does not answer yet, and giving the
// user's panels back after a crash.
class SystemUIRecoveryTest : public ::testing::Test, public SystemUIFixture {};

TEST_F(SystemUIRecoveryTest, ARefusingServiceIsProbedEverySecondUntilItAnswers) {
    enableAutoHide("dock");
    detecting = true;
    desktop.setRefusing(true);
    auto& m = start();
    m.updateAutoHide(true);
    EXPECT_TRUE(m.isWaitingForPermission());
    EXPECT_EQ(logs.count("🪟 Starting permission monitoring"), 1u);
    EXPECT_EQ(logs.count("🪟 Permission check: Not yet authorized"), 1u) << "one probe at once";
    EXPECT_EQ(dock(), "1");

    scheduler.setMenuTracking(true);  // the probe keeps running while a menu is open
    scheduler.advance(3.0);
    scheduler.setMenuTracking(false);
    EXPECT_EQ(logs.count("🪟 Permission check: Not yet authorized"), 4u);

    desktop.setRefusing(false);
    scheduler.advance(1.0);
    EXPECT_TRUE(logs.contains("🪟 Permission check: Authorized!"));
    EXPECT_TRUE(logs.contains("🪟 Applying pending auto-hide option: dock"));
    EXPECT_EQ(dock(), "2");
    EXPECT_EQ(topBar(), "0");
    EXPECT_EQ(m.originalDockAutoHide()->raw, "dock-1=1") << "captured once the service answered";
    EXPECT_FALSE(m.isWaitingForPermission());
    EXPECT_EQ(logs.count("🪟 Stopping permission monitoring"), 1u);

    const auto probes = logs.count("🪟 Permission check: Authorized!");
    scheduler.advance(5.0);
    EXPECT_EQ(logs.count("🪟 Permission check: Authorized!"), probes) << "the probe has stopped";

    m.updateAutoHide(false);
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(topBar(), "2");
}

}  // namespace
}  // namespace quorvel::rules
