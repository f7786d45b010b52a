#include "services/update_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/log.h"
#include "core/temp_dir.h"
#include "core/virtual_scheduler.h"
#include "desktop/sim/sim_application.h"
#include "desktop/sim/sim_launcher_badge.h"
#include "desktop/sim/sim_update_driver.h"
#include "desktop/sim/sim_user_notifications.h"
#include "desktop/sim/sim_wall_clock.h"

namespace quorvel::services {
namespace {

using platform::ActivationPolicy;

const platform::UpdateInfo kUpdate{"1.4.0", "1.4", "https://example.test/notes",
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

TEST_F(UpdateManagerTest, AttentionClearsBadgeAndNotificationAndTheSessionEndHidesTheEntry) {
    auto manager = makeManager(store);
    driver.findUpdate(kUpdate, false);
    driver.attendToUpdate(kUpdate);
    EXPECT_EQ(badge.label(), "");
    EXPECT_TRUE(notifications.delivered().empty());
    driver.finishSession();
    EXPECT_EQ(presence.activationPolicy(), ActivationPolicy::Accessory);
}

TEST_F(UpdateManagerTest, CheckingStateFollowsTheDriverOnTheMainQueueAndTheEndIsRecorded) {
    auto manager = makeManager(store);
    std::vector<bool> seen;
    auto connection =
        manager->isCheckingForUpdatesChanged.connect([&](bool v) { seen.push_back(v); });
    scheduler.advance(42);
    const double expected = clock.secondsSinceEpoch();

    driver.beginCheck();
    EXPECT_FALSE(manager->isCheckingForUpdates()) << "the change waits for the main queue";
    scheduler.runPending();
    EXPECT_TRUE(manager->isCheckingForUpdates());

    driver.finishCheck();
    EXPECT_TRUE(manager->isCheckingForUpdates());
    EXPECT_FALSE(manager->lastUpdateCheck());
    scheduler.runPending();
    EXPECT_FALSE(manager->isCheckingForUpdates());
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    ASSERT_TRUE(manager->lastUpdateCheck());
    EXPECT_DOUBLE_EQ(*manager->lastUpdateCheck(), expected);
    EXPECT_DOUBLE_EQ(store.doubleForKey("LastUpdateCheck"), expected);
}

TEST_F(UpdateManagerTest, QueuedWorkOfADestroyedManagerDoesNothing) {
    auto manager = makeManager(store);
    driver.finishCheck();
    manager.reset();
    scheduler.runPending();
    EXPECT_FALSE(store.holdsObject("LastUpdateCheck"));
    EXPECT_FALSE(driver.hasEventHandler());
}

TEST_F(UpdateManagerTest, LastCheckSurvivesARestart) {
    const quorvel::testing::TempDir dir;
    double recorded = 0;
    {
        core::PreferenceStore fileStore(dir / "update.json", scheduler);
        auto manager = makeManager(fileStore);
        driver.finishCheck();
        scheduler.runPending();
        recorded = manager->lastUpdateCheck().value_or(-1);
        manager.reset();
        fileStore.flush();
    }
    scheduler.advance(3600);
    core::PreferenceStore reopened(dir / "update.json", scheduler);
    auto manager = makeManager(reopened);
    ASSERT_TRUE(manager->lastUpdateCheck());
    EXPECT_DOUBLE_EQ(*manager->lastUpdateCheck(), recorded);
}

TEST_F(UpdateManagerTest, StoredValueThatIsNoMomentReadsAsNever) {
    struct Case {
        core::PreferenceValue value;
        std::optional<double> expected;
    };
    const std::vector<Case> cases = {
        {std::string("yesterday"), std::nullopt},
        {true, std::nullopt},
        {1'700'000'000.5, 1'700'000'000.5},
        {std::int64_t{1'700'000'000}, 1'700'000'000.0},
    };
    for (const auto& c : cases) {
        core::PreferenceStore s(scheduler);
        s.set("LastUpdateCheck", c.value);
        auto manager = makeManager(s);
        EXPECT_EQ(manager->lastUpdateCheck(), c.expected);
    }
}

TEST_F(UpdateManagerTest, RefusedNotificationAuthorizationIsLogged) {
    core::LogCapture log;
    auto manager = makeManager(store);
    notifications.setAuthorizationError("service not running");
    driver.scheduleNextCheck(300);
    EXPECT_EQ(notifications.authorizationRequests(), 1);
    EXPECT_TRUE(log.contains("Failed to request notification authorization: service not running"));

    log.clear();
    notifications.setAuthorizationError(std::nullopt);
    driver.scheduleNextCheck(300);
    EXPECT_TRUE(log.lines().empty());
}

TEST(UpdaterConfigurationLog, PrintsTheConfigurationInOrder) {
    sim::SimUpdateDriver driver;
    driver.setFeedURL("https://updates.example.test/appcast.xml");
    driver.setUpdateCheckInterval(86400);
    core::LogCapture log;
    logUpdaterConfiguration(driver);
    driver.setFeedURL(std::nullopt);
    driver.setAutomaticallyChecksForUpdates(false);
    driver.setUpdateCheckInterval(3600.5);
    logUpdaterConfiguration(driver);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "🔄 Creating Sparkle updater controller...",
                               "🔄 Sparkle updater configured with:",
                               "🔄 - Feed URL: https://updates.example.test/appcast.xml",
                               "🔄 - Check interval: 86400 seconds",
                               "🔄 - Automatic checks enabled: true",
                               "🔄 Creating Sparkle updater controller...",
                               "🔄 Sparkle updater configured with:",
                               "🔄 - Feed URL: none",
                               "🔄 - Check interval: 3600.5 seconds",
                               "🔄 - Automatic checks enabled: false",
                           }));
}

}  // namespace
}  // namespace quorvel::services
