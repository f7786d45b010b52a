#include "rules/system_ui_manager.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "rules/system_ui_fixture.h"
#include "settings/notification_names.h"

namespace quorvel::rules {
namespace {

class SystemUIManagerTest : public ::testing::Test, public SystemUIFixture {};

TEST_F(SystemUIManagerTest, DockOptionHidesTheDockShowsTheTopBarAndGivesBothAsFirstCapturedBack) {
    enableAutoHide("dock");
    auto& m = start();

    m.updateAutoHide(true);
    EXPECT_EQ(dock(), "2");
    EXPECT_EQ(topBar(), "0");  // the option leaves it out: shown, not the user's value
    EXPECT_TRUE(
        logs.contains("🪟 Applying auto-hide settings: isEnabled=true, "
                      "isAutoHideEnabled=true, option='dock'"));
    EXPECT_TRUE(
        logs.contains("🪟 Captured original system settings - Dock: false, Menu Bar: true"));
    EXPECT_TRUE(logs.contains("🪟 Option 'Dock': Enabling auto-hide for dock only"));
    EXPECT_TRUE(logs.contains("🪟 Executing AppleScript: sim write dock 2"));

    m.updateAutoHide(false);
    EXPECT_TRUE(logs.contains(
        "🪟 Focus is off or auto-hide is disabled: Restoring original system settings"));
    EXPECT_EQ(dock(), "1") << "the user's 'intelligently' comes back as such";
    EXPECT_EQ(topBar(), "2");
    EXPECT_TRUE(
        logs.contains("🪟 Restored original system settings - Dock: false, Menu Bar: true"));

    // Capture happens once: a second apply does not read the panels again.
    m.updateAutoHide(true);
    EXPECT_EQ(logs.count("🪟 Captured original system settings - Dock: false, Menu Bar: true"),
              1u);
    EXPECT_EQ(m.originalDockAutoHide()->raw, "dock-1=1");

    // The first capture is what comes back, even after a change by hand while focus was off.
    m.updateAutoHide(false);
    desktop.setPanel("dock", "dock-1", "0");
    m.updateAutoHide(true);
    m.updateAutoHide(false);
    EXPECT_EQ(dock(), "1");
}

TEST_F(SystemUIManagerTest, UnchangedInputsRunNoScriptButEachChangedInputDoes) {
    enableAutoHide("both");
    auto& m = start();
    m.updateAutoHide(true);
    const auto ran = desktop.executed().size();
    m.updateAutoHide(true);
    EXPECT_EQ(desktop.executed().size(), ran);

    excluded = true;  // an excluded application came to the front
    m.updateAutoHide(true);
    EXPECT_EQ(dock(), "1");
    excluded = false;
    m.updateAutoHide(true);
    EXPECT_EQ(dock(), "2");

    const auto before = desktop.executed().size();
    settings.setAutoHideOption("menu bar");  // not detecting: the manager only reacts when called
    m.updateAutoHide(true);
    EXPECT_GT(desktop.executed().size(), before);
    EXPECT_EQ(dock(), "0");
    EXPECT_EQ(topBar(), "2");

    settings.setAutoHideEnabled(false);  // restores even while focus is on
    m.updateAutoHide(true);
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(topBar(), "2");
}

struct OptionCase {
    std::string stored;
    std::string dock;
    std::string topBar;
    std::string line;
};

class OptionSpellingTest : public ::testing::TestWithParam<OptionCase>, public SystemUIFixture {};

TEST_P(OptionSpellingTest, HidesWhatTheOptionNames) {
    const auto& c = GetParam();
    desktop.setPanel("menubar", "top-1", "1");
    enableAutoHide(c.stored);
    start().updateAutoHide(true);
    EXPECT_EQ(dock(), c.dock);
    EXPECT_EQ(topBar(), c.topBar);
    EXPECT_TRUE(logs.contains(c.line)) << c.stored;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, OptionSpellingTest,
    ::testing::Values(
        OptionCase{"Menu Bar", "0", "2",
                   "🪟 Option 'Menu bar': Enabling auto-hide for menu bar only"},
        OptionCase{"menubar", "0", "2",
                   "🪟 Option 'Menu bar': Enabling auto-hide for menu bar only"},
        OptionCase{"DOCK", "2", "0", "🪟 Option 'Dock': Enabling auto-hide for dock only"},
        OptionCase{"Both", "2", "2",
                   "🪟 Option 'Both': Enabling auto-hide for both dock and menu bar"},
        OptionCase{"As System", "2", "2",
                   "🪟 Unknown option: As System, using 'Both' as default"},
        OptionCase{"MenuBar ", "2", "2",
                   "🪟 Unknown option: MenuBar , using 'Both' as default"}));

TEST_F(SystemUIManagerTest, NothingCapturedRestoresNothingAndRunsNoScript) {
    enableAutoHide("both");
    desktop.setFailingReads("dock", true);
    desktop.setFailingReads("menubar", true);
    auto& m = start();
    m.updateAutoHide(true);
    EXPECT_TRUE(
        logs.contains("🪟 Captured original system settings - Dock: false, Menu Bar: false"));
    EXPECT_TRUE(logs.contains("🪟 Leaving the dock as it is: its own setting could not be read"));
    EXPECT_EQ(desktop.writeCount(), 0u) << "what could not be read is never hidden";
    desktop.clearExecuted();

    m.updateAutoHide(false);
    EXPECT_TRUE(logs.contains("🪟 No original system settings to restore"));
    EXPECT_TRUE(desktop.executed().empty());

    // A failed read is tried again at the next apply.
    desktop.setFailingReads("dock", false);
    desktop.setFailingReads("menubar", false);
    m.updateAutoHide(true);
    EXPECT_TRUE(
        logs.contains("🪟 Captured original system settings - Dock: false, Menu Bar: true"));
    m.updateAutoHide(false);
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(topBar(), "2");
}

TEST_F(SystemUIManagerTest, AVerificationMismatchWritesExactlyOnceMore) {
    enableAutoHide("dock");
    desktop.ignoreWrites("dock", 1);  // the first write does not take
    start().updateAutoHide(true);
    EXPECT_TRUE(logs.contains(
        "🪟 Dock auto-hide state verification failed. Expected: true, Actual: false"));
    EXPECT_EQ(std::count(desktop.executed().begin(), desktop.executed().end(), "sim write dock 2"),
              2);
    EXPECT_EQ(dock(), "2") << "the one repeated write took";

    desktop.ignoreWrites("menubar", 5);  // a panel that never takes the write
    desktop.clearExecuted();
    settings.setAutoHideOption("dock and more");
    manager->updateAutoHide(true);
    EXPECT_EQ(
        std::count(desktop.executed().begin(), desktop.executed().end(), "sim write menubar 2"), 2);
    manager->updateAutoHide(false);  // giving back the user's 2 does not take
    EXPECT_EQ(std::count(desktop.executed().begin(), desktop.executed().end(),
                         "sim write menubar top-1=2"),
              2);
    EXPECT_TRUE(logs.contains(
        "🪟 Menu bar auto-hide state verification failed. Expected: true, Actual: false"));
    EXPECT_EQ(
        logs.count("🪟 Dock auto-hide state verification failed. Expected: true, Actual: false"),
        1u);
}

TEST_F(SystemUIManagerTest, EveryDockPanelGetsItsOwnValueBack) {
    desktop.setPanel("dock", "dock-2", "0");
    desktop.setPanel("dock", "dock-3", "2");
    enableAutoHide("dock");
    auto& m = start();
    m.updateAutoHide(true);
    EXPECT_EQ(desktop.value("dock", "dock-2"), "2");
    m.updateAutoHide(false);
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(desktop.value("dock", "dock-2"), "0");
    EXPECT_EQ(desktop.value("dock", "dock-3"), "2");
}

TEST_F(SystemUIManagerTest, ATopBarWithoutAutoHideIsLeftAloneAndSaidSoOnce) {
    enableAutoHide("both");
    auto& m = start(sim::SimScriptService::panelScripts(false));
    m.updateAutoHide(true);
    EXPECT_EQ(dock(), "2");
    EXPECT_EQ(topBar(), "2");
    EXPECT_TRUE(
        logs.contains("🪟 Captured original system settings - Dock: false, Menu Bar: false"));
    m.updateAutoHide(false);
    settings.setAutoHideOption("menu bar");
    m.updateAutoHide(true);
    EXPECT_EQ(logs.count("🪟 The top bar of Sim has no auto-hide: leaving it as it is"), 1u);
    EXPECT_EQ(topBar(), "2");
}

TEST_F(SystemUIManagerTest, ADesktopWithoutATableTouchesNothing) {
    enableAutoHide("both");
    auto& m = start(std::nullopt);
    m.updateAutoHide(true);
    m.updateAutoHide(false);
    m.restoreSystemSettings();
    EXPECT_TRUE(desktop.executed().empty());
    EXPECT_EQ(logs.lines(),
              std::vector<std::string>{"🪟 Panel auto-hide is not available on this desktop"});
}

TEST_F(SystemUIManagerTest, FollowsFocusAndSettingsNotifications) {
    enableAutoHide("both");
    start();
    detecting = true;
    center.post(settings::notifications::detectionStateDidChange);
    EXPECT_EQ(dock(), "2");
    settings.setAutoHideOption("dock");  // posts SettingsDidChange while focus is on
    EXPECT_EQ(topBar(), "0");
    detecting = false;
    center.post(settings::notifications::detectionStateDidChange);
    EXPECT_EQ(dock(), "1");
    EXPECT_EQ(topBar(), "2");
    const auto ran = desktop.executed().size();
    settings.setAutoHideOption("both");  // focus is off: nothing to apply
    EXPECT_EQ(desktop.executed().size(), ran);
}

TEST_F(SystemUIManagerTest, OpensThePanelSettingsOrTheFallback) {
    auto& m = start();
    m.openAutomationSettings();
    EXPECT_EQ(desktop.opened(), std::vector<std::string>{"settings"});
    desktop.setOpenFailing(true);
    m.openAutomationSettings();
    EXPECT_TRUE(
        logs.contains("Error opening Privacy settings: the settings program is not installed"));
    EXPECT_EQ(desktop.opened(), (std::vector<std::string>{"settings", "fallback"}));
}

TEST_F(SystemUIManagerTest, AScriptThatCannotBeCompiledIsLoggedAndChangesNothing) {
    enableAutoHide("dock");
    auto& m = start();
    m.updateAutoHide(true);
    m.updateAutoHide(false);
    desktop.setCompiling(false);
    m.updateAutoHide(true);
    EXPECT_TRUE(logs.contains("🪟 Failed to create AppleScript object"));
    EXPECT_EQ(dock(), "1");
    EXPECT_FALSE(m.isWaitingForPermission());
}

}  // namespace
}  // namespace quorvel::rules
