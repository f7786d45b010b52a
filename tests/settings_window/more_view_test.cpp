#include "settings_window/more_view.h"

#include <algorithm>

#include "settings_window_fixture.h"

namespace quorvel::settings_window::testing {
namespace {

namespace keys = settings::keys;
namespace names = settings::notifications;
using settings::FocusMode;
using settings::KeyCombo;
using settings::ThemeMode;
using Grab = sim::SimGlobalHotkeys::Grab;

constexpr std::uint32_t kCOC = settings::modifier::controlOptionCommand;

TEST(RelativeTimeTest, WholeUnitsWithoutASpaceAndNeverWithoutADate) {
    const double now = 1'700'000'000.0;
    const std::vector<std::pair<double, std::string>> cases{
        {0, "0s ago"},      {59.9, "59s ago"}, {60, "1m ago"},
        {61, "1m ago"},     {3599, "59m ago"}, {3600, "1h ago"},
        {86399, "23h ago"}, {86400, "1d ago"}, {3 * 86400, "3d ago"},
    };
    for (const auto& [ago, text] : cases) {
        SCOPED_TRACE(ago);
        EXPECT_EQ(relativeTime(now - ago, now), text);
    }
    EXPECT_EQ(relativeTime(std::nullopt, now), "Never");
}

class MoreViewTest : public SettingsWindowTest {
protected:
    MoreView& open() {
        if (!services) start();
        view = std::make_unique<MoreView>(*services);
        return *view;
    }
    /// Moves every setting away from its default.
    void changeEverything() {
        settings().setFocusMode(FocusMode::ambient);
        settings().setGrainIntensity(0.0);
        context.overlayController().setSingleMode(true);
        settings().setAutoHideOption("dock");
        settings().setAutoHideEnabled(true);
        settings().setUseSlightTransparency(true);
        settings().setOpacityValue(0.75);
        settings().setTransitionDuration(1.5);
        settings().setThemeMode(ThemeMode::dark);
        settings().setShortcut(KeyCombo{96, 0});
        settings().setFocusModeShortcut(std::nullopt);
        launchAtLogin.setEnabled(true);
    }
    std::unique_ptr<MoreView> view;
};

TEST_F(MoreViewTest, TheLastCheckAgesWithTheClockAndACheckStartsOnlyWhenNoneRuns) {
    auto& tab = open();
    EXPECT_EQ(tab.lastUpdateCheckText(), "Never");
    lastUpdateCheck = clock.secondsSinceEpoch();
    scheduler.advance(61);
    EXPECT_EQ(tab.lastUpdateCheckText(), "1m ago");
    EXPECT_EQ(tab.version(), "2.4.1");

    checkingForUpdates = true;
    tab.checkForUpdates();
    EXPECT_EQ(updateChecks, 0);
    checkingForUpdates = false;
    tab.checkForUpdates();
    EXPECT_EQ(updateChecks, 1);
}

TEST_F(MoreViewTest, TheCheckboxReadsAndWritesStartAtLogin) {
    loginItems.setRegisteredExternally(true);
    auto& tab = open();
    EXPECT_TRUE(tab.isLaunchAtLoginEnabled());  // read again when the tab shows
    tab.setLaunchAtLogin(false);
    EXPECT_FALSE(loginItems.isRegistered());
}

TEST_F(MoreViewTest, CancellingTheConfirmationChangesNothing) {
    changeEverything();
    auto& tab = open();
    const auto before = store().object(keys::opacityValue);
    tab.requestReset();
    EXPECT_TRUE(tab.showingResetConfirmation());
    tab.cancelReset();
    scheduler.runPending();
    EXPECT_FALSE(tab.showingResetConfirmation());
    EXPECT_EQ(settings().focusMode(), FocusMode::ambient);
    EXPECT_EQ(store().object(keys::opacityValue), before);
    EXPECT_EQ(settings().shortcut(), (KeyCombo{96, 0}));
    EXPECT_TRUE(loginItems.isRegistered());
    EXPECT_EQ(tooltipShows, 0);
    EXPECT_DOUBLE_EQ(tab.resetRotation(), 0);
}

TEST_F(MoreViewTest, ResettingWhileFocusIsOffRestoresEveryDefaultAndSwitchesFocusOn) {
    settings().setOverlayEnabled(false);
    start();
    changeEverything();
    auto& tab = open();
    tab.requestReset();
    tab.confirmReset();
    EXPECT_FALSE(tab.showingResetConfirmation());
    EXPECT_DOUBLE_EQ(tab.resetRotation(), -360);
    scheduler.runPending();

    EXPECT_TRUE(menuBar->isDetecting());
    EXPECT_TRUE(storedBool(keys::isOverlayEnabled));
    EXPECT_EQ(settings().focusMode(), FocusMode::deep);
    EXPECT_EQ(context.overlayStyle().focusMode(), FocusMode::deep);
    EXPECT_DOUBLE_EQ(storedDouble(keys::grainIntensity), 0.5);
    EXPECT_FALSE(storedBool(keys::isSingleMode));
    EXPECT_FALSE(context.overlayController().isInSingleMode());
    EXPECT_EQ(store().stringForKey(keys::autoHideOption), "both");
    EXPECT_FALSE(storedBool(keys::isAutoHideEnabled));
    EXPECT_FALSE(storedBool(keys::useSlightTransparency));
    EXPECT_DOUBLE_EQ(storedDouble(keys::opacityValue), 1.0);
    EXPECT_DOUBLE_EQ(storedDouble(keys::transitionDuration), 0.5);
    EXPECT_EQ(settings().themeMode(), ThemeMode::automatic);
    EXPECT_EQ(context.overlayStyle().themeMode(), ThemeMode::automatic);
    EXPECT_FALSE(loginItems.isRegistered());
    EXPECT_EQ(tooltipShows, 1);
}

TEST_F(MoreViewTest, ResettingRestoresTheDefaultShortcutsAndRegistersThemAgain) {
    start();
    settings().setShortcut(KeyCombo{96, 0});
    settings().setExcludeAppShortcut(std::nullopt);
    auto& tab = open();
    const auto grabsBefore = hotkeys.grabLog().size();
    tab.resetAllSettings();
    EXPECT_EQ(settings().shortcut(), (KeyCombo{3, kCOC}));
    EXPECT_EQ(settings().focusModeShortcut(), (KeyCombo{46, kCOC}));
    EXPECT_EQ(settings().excludeAppShortcut(), (KeyCombo{14, kCOC}));
    EXPECT_EQ(hotkeys.grabs().at(1), (Grab{1, 3, kCOC}));
    EXPECT_EQ(hotkeys.grabs().at(3), (Grab{3, 14, kCOC}));
    EXPECT_GT(hotkeys.grabLog().size(), grabsBefore);
    EXPECT_TRUE(hotkeys.press(14, kCOC));  // the restored key works again
}

TEST_F(MoreViewTest, TheResetRunsItsStepsInOrder) {
    start();
    context.overlayController().setSingleMode(true);
    recordPosts({names::displayModeDidChange, names::shortcutDidChange,
                 names::focusModeShortcutDidChange, names::excludeAppShortcutDidChange,
                 names::excludedAppsDidChange, names::settingsDidChange});
    auto& tab = open();
    tab.resetAllSettings();
    // The overview of the order: each marker's first appearance.
    const std::vector<std::string> markers{"updateModeItems:deep",
                                           names::displayModeDidChange,
                                           "updateAutoHide:true",
                                           names::shortcutDidChange,
                                           names::focusModeShortcutDidChange,
                                           names::excludeAppShortcutDidChange,
                                           "setLaunchAtLogin:false",
                                           "showTooltip"};
    std::size_t last = 0;
    for (const auto& marker : markers) {
        SCOPED_TRACE(marker);
        const auto at = std::find(trail.begin() + last, trail.end(), marker);
        ASSERT_NE(at, trail.end());
        last = at - trail.begin();
    }
    // "SettingsDidChange" is posted once more right before the hint shows.
    EXPECT_EQ(trail[trail.size() - 2], names::settingsDidChange);
    // Each shortcut notification comes twice: from its setter, then once more.
    EXPECT_EQ(std::count(posts.begin(), posts.end(), names::shortcutDidChange), 2);
}

TEST_F(MoreViewTest, ResettingTheListDropsWhatTheUserAddedAndAddsTheDefaultsBackInOrder) {
    catalog.addApplication("org.gnome.Nautilus", "Files", "nautilus");
    catalog.addApplication("gcolor3", "Color Picker", "gcolor3");
    const auto location = catalog.addApplication("org.gnome.Calculator", "Calculator");
    start();
    auto& excluded = context.excludedAppsManager();
    const auto defaults = excluded.excludedApps();
    ASSERT_EQ(defaults.size(), 2u);
    excluded.addApp(*settings::ExcludedApp::fromLocation(location, catalog));
    int changes = 0;
    observations.emplace_back(center(), names::excludedAppsDidChange,
                              [&](const core::Notification&) { ++changes; });
    open().resetAllSettings();
    const auto& after = excluded.excludedApps();
    ASSERT_EQ(after.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(after[i].bundleId, defaults[i].bundleId);
    EXPECT_FALSE(excluded.isExcluded(std::string("org.gnome.Calculator")));
    EXPECT_EQ(changes, 5);  // each of the three removed, then each default added
}

}  // namespace
}  // namespace quorvel::settings_window::testing
