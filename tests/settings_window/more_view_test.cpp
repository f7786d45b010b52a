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

}  // namespace
}  // namespace quorvel::settings_window::testing
