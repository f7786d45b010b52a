#include "services/update_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_application.h"
#include "sim/sim_launcher_badge.h"
#include "sim/sim_update_driver.h"
#include "sim/sim_user_notifications.h"
#include "sim/sim_wall_clock.h"
#include "sim/temp_dir.h"

namespace quorvel::services {
namespace {

using ports::ActivationPolicy;

const ports::UpdateInfo kUpdate{"1.4.0", "1.4", "https://example.test/notes",
                                "https://example.test/release"};

class UpdateManagerTest : public ::testing::Test {
protected:
    std::unique_ptr<UpdateManager> makeManager(core::PreferenceStore& prefs) {
        return std::make_unique<UpdateManager>(
            UpdatePorts{driver, notifications, badge, presence, clock}, prefs, scheduler);
    }

    core::VirtualScheduler scheduler;
    sim::SimWallClock clock{scheduler};
    core::PreferenceStore store{scheduler};
    sim::SimUpdateDriver driver;
    sim::SimUserNotifications notifications;
    sim::SimLauncherBadge badge;
    sim::SimPresence presence{ActivationPolicy::Accessory};
};

TEST_F(UpdateManagerTest, FoundUpdateIsAnnouncedOnlyWhenNeitherTheUserNorTheDriverShowsIt) {
    struct Case {
        const char* name;
        bool userInitiated, driverWillShow, showsTaskbarEntry, announces;
    };
    const Case cases[] = {
        // The driver shows its own dialog for user checks, so the manager stays out.
        {"user check shown by the driver", true, true, false, false},
        {"user check left to the application", true, false, true, false},
        {"scheduled check shown by the driver", false, true, false, false},
        {"scheduled check", false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimUserNotifications notes;
        sim::SimLauncherBadge badges;
        sim::SimPresence shown{ActivationPolicy::Accessory};
        UpdateManager manager(UpdatePorts{driver, notes, badges, shown, clock}, store, scheduler);
        driver.reportUpdate(kUpdate, c.userInitiated, c.driverWillShow);
        EXPECT_EQ(shown.history, c.showsTaskbarEntry
                                     ? std::vector<ActivationPolicy>{ActivationPolicy::Regular}
                                     : std::vector<ActivationPolicy>{});
        EXPECT_EQ(notes.posted().size(), c.announces ? 1u : 0u);
        EXPECT_EQ(badges.label(), c.announces ? "1" : "");
        EXPECT_EQ(badges.history().empty(), !c.announces);
    }
}

TEST_F(UpdateManagerTest, ScheduledAnnouncementNamesTheVersionAndAClickStartsAUserCheck) {
    auto manager = makeManager(store);
    notifications.click("SomethingElse");
    EXPECT_TRUE(driver.requestedChecks().empty());
    driver.findUpdate(kUpdate, /*userInitiated=*/false);
    ASSERT_EQ(notifications.delivered().size(), 1u);
    const auto& n = notifications.delivered().front();
    EXPECT_EQ(n.identifier, "UpdateCheck");
    EXPECT_EQ(n.title, "Quorvel Update Available");
    EXPECT_EQ(n.subtitle, "Version 1.4");
    EXPECT_EQ(n.body, "A new version of Quorvel is available!");
    EXPECT_TRUE(n.playsDefaultSound);
    ASSERT_TRUE(driver.requestedChecks().empty());
    notifications.click("UpdateCheck");
    EXPECT_EQ(driver.requestedChecks(), std::vector<bool>{true});
}

TEST_F(UpdateManagerTest, OnlyASuccessfulCheckCountsAsTheLastCheck) {
    auto manager = makeManager(store);
    driver.beginCheck();
    driver.finishCheck(/*succeeded=*/true);
    scheduler.runPending();
    const auto success = manager->lastUpdateCheck();
    ASSERT_TRUE(success.has_value());
    clock.jump(3600);
    driver.beginCheck();
    driver.finishCheck(/*succeeded=*/false);
    scheduler.runPending();
    EXPECT_FALSE(manager->isCheckingForUpdates());
    EXPECT_EQ(manager->lastUpdateCheck(), success);
    EXPECT_EQ(makeManager(store)->lastUpdateCheck(), success) << "the stored moment too";
}

TEST_F(UpdateManagerTest, AutomaticChecksFollowTheBuildUntilTheUserChooses) {
    driver.setAutomaticallyChecksForUpdates(false);  // as a distribution package is built
    makeManager(store);
    EXPECT_FALSE(driver.automaticallyChecksForUpdates());
    makeManager(store)->setAutomaticallyChecksForUpdates(true);
    driver.setAutomaticallyChecksForUpdates(false);
    auto restarted = makeManager(store);
    EXPECT_TRUE(driver.automaticallyChecksForUpdates()) << "the user's choice outlives a restart";
    EXPECT_TRUE(restarted->automaticallyChecksForUpdates());
}

}  // namespace
}  // namespace quorvel::services
