#include "services/update_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/virtual_scheduler.h"
#include "services/version_comparison.h"
#include "sim/sim_application.h"
#include "sim/sim_launcher_badge.h"
#include "sim/sim_update_driver.h"
#include "sim/sim_user_notifications.h"
#include "sim/sim_wall_clock.h"

namespace quorvel::services {
namespace {

using ports::ActivationPolicy;

class UpdateManagerTest : public ::testing::Test {
protected:
    std::unique_ptr<UpdateManager> makeManager() {
        return std::make_unique<UpdateManager>(
            UpdatePorts{driver, notifications, badge, presence, clock}, store, scheduler);
    }

    core::VirtualScheduler scheduler;
    sim::SimWallClock clock{scheduler};
    core::PreferenceStore store{scheduler};
    sim::SimUpdateDriver driver;
    sim::SimUserNotifications notifications;
    sim::SimLauncherBadge badge;
    sim::SimPresence presence{ActivationPolicy::Accessory};
};

// The driver shows its own dialog for user checks; only a scheduled finding
// nobody shows is announced, and a click on it starts a user check.
TEST_F(UpdateManagerTest, AFoundUpdateIsAnnouncedOnlyWhenNeitherTheUserNorTheDriverShowsIt) {
    struct Case {
        bool userInitiated, driverWillShow, showsTaskbarEntry, announces;
    };
    std::unique_ptr<UpdateManager> manager;
    for (const Case c : {Case{true, true, false, false}, Case{true, false, true, false},
                         Case{false, true, false, false}, Case{false, false, true, true}}) {
        SCOPED_TRACE(::testing::Message() << c.userInitiated << c.driverWillShow);
        presence.history.clear();
        manager.reset();  // one handler at a time
        manager = makeManager();
        driver.reportUpdate({"1.4.0", "1.4", "", ""}, c.userInitiated, c.driverWillShow);
        EXPECT_EQ(presence.history, c.showsTaskbarEntry
                                        ? std::vector<ActivationPolicy>{ActivationPolicy::Regular}
                                        : std::vector<ActivationPolicy>{});
        EXPECT_EQ(notifications.delivered().size(), c.announces ? 1u : 0u);
        EXPECT_EQ(badge.label(), c.announces ? "1" : "");
    }
    const auto& shown = notifications.delivered().front();
    EXPECT_EQ(shown.title, "Quorvel Update Available");
    EXPECT_EQ(shown.subtitle, "Version 1.4");
    notifications.click("SomethingElse");
    EXPECT_TRUE(driver.requestedChecks().empty());
    notifications.click(shown.identifier);
    EXPECT_EQ(driver.requestedChecks(), std::vector<bool>{true});
}

TEST_F(UpdateManagerTest, OnlyASuccessfulCheckCountsAsTheLastCheck) {
    auto manager = makeManager();
    driver.runCheck(/*succeeded=*/true);
    scheduler.runPending();
    const auto success = manager->lastUpdateCheck();
    ASSERT_TRUE(success.has_value());
    clock.jump(3600);
    driver.runCheck(/*succeeded=*/false);
    scheduler.runPending();
    EXPECT_FALSE(manager->isCheckingForUpdates());
    EXPECT_EQ(manager->lastUpdateCheck(), success);
    manager.reset();
    EXPECT_EQ(makeManager()->lastUpdateCheck(), success) << "the stored moment too";
}

TEST_F(UpdateManagerTest, AutomaticChecksFollowTheBuildUntilTheUserChooses) {
    driver.setAutomaticallyChecksForUpdates(false);  // as a distribution package is built
    makeManager();
    EXPECT_FALSE(driver.automaticallyChecksForUpdates());
    makeManager()->setAutomaticallyChecksForUpdates(true);
    driver.setAutomaticallyChecksForUpdates(false);
    makeManager();
    EXPECT_TRUE(driver.automaticallyChecksForUpdates()) << "the user's choice outlives a restart";
}

struct Ordered {
    const char* older;
    const char* newer;
};

TEST(VersionComparison, OrdersReleasesAsUsersExpect) {
    const Ordered cases[] = {
        {"1.9", "1.10"},
        {"1.2.9", "1.3"},
        {"0.9.9", "1.0"},
        {"1.0", "1.0.1"},
        {"2", "10"},
        {"1.2-beta.1", "1.2"},
        {"1.2rc1", "1.2"},
        {"1.2-alpha", "1.2-beta"},
        {"1.2-beta.2", "1.2-beta.10"},
        {"1.2-beta", "1.2-rc.1"},
        {"1.2b3", "1.2rc1"},
        {"1.1", "1.2-beta"},
        {"1.2-rc", "1.2-rc.1"},
        {"v1.2", "v1.3"},
        {"1.0.99999999999999999999", "1.1"},
    };
    for (const auto& c : cases) {
        EXPECT_LT(compareVersions(c.older, c.newer), 0) << c.older << " < " << c.newer;
        EXPECT_GT(compareVersions(c.newer, c.older), 0) << c.newer << " > " << c.older;
    }
}

}  // namespace
}  // namespace quorvel::services
