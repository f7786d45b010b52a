#include "services/launch_at_login_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/log.h"
#include "sim/sim_login_items.h"

namespace quorvel::services {
namespace {

TEST(LaunchAtLoginManager, TurningOnAndOffRegistersAndReportsTheChange) {
    sim::SimLoginItems items;
    LaunchAtLoginManager manager(items);
    std::vector<bool> seen;
    auto c = manager.isEnabledChanged.connect([&](bool v) { seen.push_back(v); });
    {
        core::LogCapture log;
        manager.setEnabled(false);  // already off: the session is still asked
        EXPECT_EQ(items.unregisterCalls(), 1);
        EXPECT_FALSE(manager.isEnabled());
        EXPECT_TRUE(log.lines().empty());
    }
    manager.setEnabled(true);
    EXPECT_TRUE(items.isRegistered());
    EXPECT_TRUE(manager.isEnabled());
    manager.setEnabled(false);
    EXPECT_FALSE(items.isRegistered());
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace quorvel::services
