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

TEST_F(SystemUIRecoveryTest, PendingSettingsFromTheRulesTabAreStoredWhenTheServiceAnswers) {
    desktop.setRefusing(true);
    auto& m = start();
    m.startPermissionMonitoring("menu bar", true);
    m.startPermissionMonitoring("menubar", true);  // a second call only updates the pending values
    EXPECT_EQ(logs.count("🪟 Starting permission monitoring"), 1u);
    EXPECT_EQ(m.pendingAutoHideOption(), "menubar");
    EXPECT_FALSE(settings.defaults().boolForKey(settings::keys::isAutoHideEnabled));

    desktop.setRefusing(false);
    scheduler.advance(1.0);
    EXPECT_EQ(settings.defaults().stringForKey(settings::keys::autoHideOption), "menubar");
    EXPECT_TRUE(settings.defaults().boolForKey(settings::keys::isAutoHideEnabled));
    EXPECT_EQ(topBar(), "2") << "focus is off: nothing is hidden";
    EXPECT_EQ(desktop.writeCount(), 0u);
    EXPECT_FALSE(m.pendingAutoHideOption().has_value());
}

TEST_F(SystemUIRecoveryTest, AnImmediatelyAnsweringProbeStillEndsAtTheFirstTick) {
    auto& m = start();
    m.startPermissionMonitoring("dock", true);
    EXPECT_TRUE(logs.contains("🪟 Permission check: Authorized!"));
    EXPECT_TRUE(m.isWaitingForPermission());
    EXPECT_EQ(m.pendingAutoHideOption(), "dock");
    scheduler.advance(1.0);
    EXPECT_FALSE(m.isWaitingForPermission());
    EXPECT_EQ(logs.count("🪟 Stopping permission monitoring"), 1u);
}

TEST_F(SystemUIRecoveryTest, AStartAfterAKillRestoresThePanelsBeforeAnythingElse) {
    enableAutoHide("both");
    desktop.setPanel("menubar", "top-1", "0");
    start().updateAutoHide(true);
    ASSERT_EQ(dock(), "2");
    ASSERT_EQ(topBar(), "2");

    logs.clear();
    auto& m = restartAfterKill();
    ASSERT_FALSE(logs.lines().empty());
    EXPECT_EQ(logs.lines().front(), "🪟 Restoring panel settings left by an unclean exit");
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(topBar(), "0");
    EXPECT_FALSE(recordOnDisk().has_value());

    // The panels were hidden when this process started: the user's values
    // are the recorded ones, never the hidden state it found.
    m.updateAutoHide(true);
    m.updateAutoHide(false);
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(topBar(), "0");
}

TEST_F(SystemUIRecoveryTest, CapturedValuesReachTheDiskAndACleanQuitClearsThem) {
    enableAutoHide("both");
    auto& m = start();
    m.updateAutoHide(true);
    const auto record = recordOnDisk();
    ASSERT_TRUE(record.has_value());
    EXPECT_NE(record->find("dock-1=1"), std::string::npos) << *record;
    EXPECT_NE(record->find("top-1=2"), std::string::npos) << *record;
    m.restoreSystemSettings();  // what the delegate does at termination
    EXPECT_FALSE(recordOnDisk().has_value());
    logs.clear();
    restartAfterKill();
    EXPECT_FALSE(logs.contains("🪟 Restoring panel settings left by an unclean exit"));
}

TEST_F(SystemUIRecoveryTest, AfterAKillTheRestoreWaitsForTheServiceAtLogin) {
    enableAutoHide("both");
    start().updateAutoHide(true);
    desktop.setRefusing(true);  // the next login: the settings service is not up yet
    restartAfterKill();
    EXPECT_EQ(dock(), "2");
    EXPECT_TRUE(recordOnDisk().has_value()) << "kept until the panels are really back";
    EXPECT_TRUE(manager->isWaitingForPermission());

    desktop.setRefusing(false);
    scheduler.advance(1.0);
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(topBar(), "2");
    EXPECT_FALSE(recordOnDisk().has_value());
}

TEST_F(SystemUIRecoveryTest, AnUnreadableRecordIsDroppedWithALogLine) {
    standard->set(SystemUIManager::capturedPanelSettingsKey, std::string("{not json"));
    start();
    EXPECT_TRUE(logs.contains("⚠️ Ignoring an unreadable record of captured panel settings"));
    EXPECT_TRUE(desktop.executed().empty());
    EXPECT_FALSE(standard->holdsObject(SystemUIManager::capturedPanelSettingsKey));
}

}  // namespace
}  // namespace quorvel::rules
