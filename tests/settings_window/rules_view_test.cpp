#include "settings_window/rules_view.h"

#include "settings_window_fixture.h"

namespace quorvel::settings_window::testing {
namespace {

namespace keys = settings::keys;
using settings::AutoHideOption;
using Outcome = platform::ScriptOutcome;

class RulesViewTest : public SettingsWindowTest {
protected:
    RulesView& open() {
        if (!services) start();
        view = std::make_unique<RulesView>(*services);
        view->appear();
        return *view;
    }
    static Outcome refused() {
        return Outcome::failed({platform::scriptNotPermittedError, "not answering"});
    }
    std::unique_ptr<RulesView> view;
};

TEST(PermissionProbeTest, OnlyAnUncompilableOrRefusedProbeMeansNoPermission) {
    struct Case {
        const char* name;
        Outcome outcome;
        bool granted;
    };
    const std::vector<Case> cases{
        {"returned", Outcome::returned(true), true},
        {"not compiled", Outcome::notCompiled(), false},
        {"refused", Outcome::failed({platform::scriptNotPermittedError, ""}), false},
        {"other error", Outcome::failed({1, "panel missing"}), true},
        {"error without number", Outcome::failed({std::nullopt, "?"}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(permissionFromProbe(c.outcome), c.granted);
    }
}

TEST_F(RulesViewTest, SwitchingOnWithoutPermissionWaitsAndGrantingStoresTheOptionWithinTwoSeconds) {
    probeOutcome = refused();
    auto& tab = open();
    tab.setAutoHideEnabled(true);
    EXPECT_TRUE(storedBool(keys::isAutoHideEnabled));
    EXPECT_FALSE(tab.state().permissionGranted);
    EXPECT_EQ(permissionMonitoring, (std::vector<std::pair<std::string, bool>>{{"both", true}}));
    EXPECT_TRUE(autoHide.empty());
    ASSERT_TRUE(tab.isMonitoringPermission());

    probeOutcome = Outcome::returned(true);  // the panel service answers now
    scheduler.advance(2.0);
    EXPECT_TRUE(tab.state().permissionGranted);
    EXPECT_TRUE(log.contains("🪟 Permission status changed: true"));
    EXPECT_EQ(autoHide, std::vector<bool>{true});  // focus is on
}

TEST_F(RulesViewTest, NothingIsProbedWhileOffAndSwitchingOnWithPermissionAppliesAtOnce) {
    auto& tab = open();
    EXPECT_FALSE(tab.state().isAutoHideEnabled);
    EXPECT_FALSE(tab.state().permissionGranted);
    EXPECT_FALSE(tab.isMonitoringPermission());
    EXPECT_EQ(probeRuns, 0);

    tab.setAutoHideEnabled(true);
    EXPECT_TRUE(tab.state().permissionGranted);
    EXPECT_TRUE(permissionMonitoring.empty());
    EXPECT_EQ(autoHide, std::vector<bool>{true});

    tab.setAutoHideEnabled(false);
    EXPECT_FALSE(tab.isMonitoringPermission());
    EXPECT_EQ(autoHide, (std::vector<bool>{true, true}));
}

TEST_F(RulesViewTest, ThreeOptionChangesWithinADebounceReapplyAutoHideOnce) {
    store().set(keys::isAutoHideEnabled, true);
    auto& tab = open();
    tab.selectAutoHideOption(AutoHideOption::hideDock);
    scheduler.advance(0.1);
    tab.selectAutoHideOption(AutoHideOption::hideMenuBar);
    scheduler.advance(0.1);
    tab.selectAutoHideOption(AutoHideOption::hideBoth);
    EXPECT_TRUE(autoHide.empty());
    scheduler.advance(0.3);
    EXPECT_EQ(autoHide, std::vector<bool>{true});
    EXPECT_EQ(store().stringForKey(keys::autoHideOption), "both");
    EXPECT_TRUE(log.contains("🪟 Auto-hide option changed to: Only Dock, storing as: 'dock'"));
}

TEST_F(RulesViewTest, AnOptionChosenWithoutPermissionHandsItToThePermissionWait) {
    store().set(keys::isAutoHideEnabled, true);
    probeOutcome = refused();
    auto& tab = open();
    tab.selectAutoHideOption(AutoHideOption::hideMenuBar);
    EXPECT_EQ(permissionMonitoring,
              (std::vector<std::pair<std::string, bool>>{{"menu bar", true}}));
    scheduler.advance(1.0);
    EXPECT_TRUE(autoHide.empty());
}

TEST_F(RulesViewTest, ALegacyStoredOptionShowsAsDockAndMenuBar) {
    store().set(keys::autoHideOption, std::string("As System"));
    auto& tab = open();
    EXPECT_EQ(tab.state().autoHideOption, AutoHideOption::hideBoth);
    EXPECT_TRUE(log.contains("🪟 Converting legacy 'as system' to 'both'"));
}

TEST_F(RulesViewTest, TheRadioSelectionFollowsSingleModeFromAnyPath) {
    auto& tab = open();
    tab.selectSingleMode(true);
    EXPECT_TRUE(context.overlayController().isInSingleMode());
    EXPECT_TRUE(storedBool(keys::isSingleMode));
    context.overlayController().setSingleMode(false);  // another path
    EXPECT_FALSE(tab.state().isSingleMode);
}

TEST_F(RulesViewTest, SettingsChangedElsewhereMoveThePickerAndTheMonitor) {
    auto& tab = open();
    settings().setAutoHideOption("dock");
    EXPECT_EQ(tab.state().autoHideOption, AutoHideOption::hideDock);
    settings().setAutoHideEnabled(true);
    EXPECT_TRUE(tab.state().isAutoHideEnabled);
    EXPECT_TRUE(tab.isMonitoringPermission());
    settings().setAutoHideEnabled(false);
    EXPECT_FALSE(tab.isMonitoringPermission());
}

TEST_F(RulesViewTest, PermissionButtonWaitsForTheServiceAndOpensThePanelSettings) {
    store().set(keys::isAutoHideEnabled, true);
    auto& tab = open();
    tab.pressPermissionButton();
    EXPECT_EQ(permissionMonitoring, (std::vector<std::pair<std::string, bool>>{{"both", true}}));
    EXPECT_EQ(automationSettingsOpened, 1);
}

TEST_F(RulesViewTest, LeavingTheTabStopsBothTimers) {
    store().set(keys::isAutoHideEnabled, true);
    auto& tab = open();
    tab.selectAutoHideOption(AutoHideOption::hideDock);
    ASSERT_TRUE(tab.isMonitoringPermission());
    tab.disappear();
    EXPECT_FALSE(tab.isMonitoringPermission());
    const int runs = probeRuns;
    scheduler.advance(5.0);
    EXPECT_EQ(probeRuns, runs);
    EXPECT_TRUE(autoHide.empty());
}

TEST_F(RulesViewTest, AddingAReadableApplicationListsItAndOtherFilesChangeNothing) {
    const auto location = catalog.addApplication("org.gnome.Calculator", "Calculator", "calc");
    auto& tab = open();
    const auto before = tab.excludedApps().size();
    int redraws = 0;
    auto connection = tab.changed.connect([&] { ++redraws; });

    EXPECT_FALSE(tab.addApplication("/home/user/notes.txt"));
    EXPECT_EQ(tab.excludedApps().size(), before);

    ASSERT_TRUE(tab.addApplication(location));
    ASSERT_EQ(tab.excludedApps().size(), before + 1);
    EXPECT_EQ(tab.excludedApps().back().name, "Calculator");
    EXPECT_GT(redraws, 0);

    tab.removeApplication("org.gnome.Calculator");
    EXPECT_EQ(tab.excludedApps().size(), before);
}

}  // namespace
}  // namespace quorvel::settings_window::testing
