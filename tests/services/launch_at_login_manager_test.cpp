#include "services/launch_at_login_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/log.h"
#include "desktop/sim/sim_login_items.h"

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

TEST(LaunchAtLoginManager, RegistrationAwaitingApprovalStaysOff) {
    sim::SimLoginItems items;
    items.setRequiresApproval(true);
    LaunchAtLoginManager manager(items);
    manager.setEnabled(true);
    EXPECT_EQ(items.registerCalls(), 1);
    EXPECT_FALSE(manager.isEnabled());
}

TEST(LaunchAtLoginManager, FailureIsLoggedAndLeavesTheStateAlone) {
    struct Case {
        bool startEnabled;
        bool request;
        const char* expectedLine;
    };
    const Case cases[] = {
        {false, true, "Failed to enable launch at login: disk full"},
        {true, false, "Failed to disable launch at login: disk full"},
    };
    for (const auto& c : cases) {
        sim::SimLoginItems items;
        items.setRegisteredExternally(c.startEnabled);
        LaunchAtLoginManager manager(items);
        items.setFailure("disk full");
        // Even a registration changed behind our back is not picked up by a failed change.
        items.setRegisteredExternally(!c.startEnabled);
        core::LogCapture log;
        manager.setEnabled(c.request);
        EXPECT_EQ(log.lines(), std::vector<std::string>{c.expectedLine});
        EXPECT_EQ(manager.isEnabled(), c.startEnabled);
    }
}

TEST(LaunchAtLoginManager, RegistrationIsReadAtCreationAndAChangeElsewhereAtTheNextRefresh) {
    sim::SimLoginItems registered;
    registered.setRegisteredExternally(true);
    EXPECT_TRUE(LaunchAtLoginManager(registered).isEnabled());

    sim::SimLoginItems items;
    LaunchAtLoginManager manager(items);
    int changes = 0;
    auto c = manager.isEnabledChanged.connect([&](bool) { ++changes; });
    items.setRegisteredExternally(true);
    EXPECT_FALSE(manager.isEnabled());
    manager.refresh();
    EXPECT_TRUE(manager.isEnabled());
    manager.refresh();
    EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace quorvel::services
