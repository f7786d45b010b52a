#include "settings_window/appearance_view.h"

#include "settings_window/more_view.h"
#include "settings_window_fixture.h"

namespace quorvel::settings_window::testing {
namespace {

namespace keys = settings::keys;
namespace names = settings::notifications;
using settings::FocusMode;
using settings::ThemeMode;

class AppearanceViewTest : public SettingsWindowTest {
protected:
    AppearanceView& open() {
        if (!services) start();
        view = std::make_unique<AppearanceView>(*services);
        return *view;
    }
    std::unique_ptr<AppearanceView> view;
};

TEST(AppearanceFormattingTest, GrainSnapsToTheNearestSixthHalvesAwayFromZero) {
    const std::vector<std::pair<double, double>> cases{
        {0.4, 2.0 / 6}, {0.25, 2.0 / 6}, {0.75, 5.0 / 6}, {0.05, 0.0}, {1.0, 1.0}, {0.5, 0.5}};
    for (auto [stored, shown] : cases) {
        SCOPED_TRACE(stored);
        EXPECT_DOUBLE_EQ(roundToSixths(stored), shown);
    }
}

TEST(AppearanceFormattingTest, FadeReadsInstantAtZeroAndSecondsWithTwoDecimalsOtherwise) {
    EXPECT_EQ(fadeText(0.0), "Instant");
    EXPECT_EQ(fadeText(0.25), "0.25s");
    EXPECT_EQ(fadeText(0.75), "0.75s");
    EXPECT_EQ(fadeText(fadeSlider.valueAt(6)), "1.50s");
}

TEST(AppearanceFormattingTest, EachSliderHasSevenStopsCoveringItsRange) {
    struct Case {
        const char* name;
        SliderSteps slider;
        double third;  // the value at position 3
    };
    for (const auto& c : std::vector<Case>{{"opacity", opacitySlider, 0.875},
                                           {"grain", grainSlider, 0.5},
                                           {"fade", fadeSlider, 0.75}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.slider.positions(), 7);
        EXPECT_DOUBLE_EQ(c.slider.valueAt(0), c.slider.minimum);
        EXPECT_DOUBLE_EQ(c.slider.valueAt(6), c.slider.maximum);
        EXPECT_DOUBLE_EQ(c.slider.valueAt(3), c.third);
        EXPECT_EQ(c.slider.positionOf(c.third), 3);
        EXPECT_EQ(c.slider.positionOf(c.slider.maximum + 5), 6);
        EXPECT_EQ(c.slider.positionOf(c.slider.minimum - 5), 0);
    }
    EXPECT_EQ(opacitySlider.positionOf(0.7917), 1);
}

TEST_F(AppearanceViewTest, StartsFromTheStoredFlagAndTheFirstPressOnlyStoresWhenTheTrayAgrees) {
    settings().setOverlayEnabled(false);
    start();
    ASSERT_FALSE(menuBar->isDetecting());
    store().set(keys::isOverlayEnabled, true);  // stored on, focus off

    auto& tab = open();
    EXPECT_TRUE(tab.state().isOverlayEnabled);  // the logo reads "ON"

    tab.pressLogo();
    scheduler.runPending();
    EXPECT_FALSE(tab.state().isOverlayEnabled);
    EXPECT_FALSE(storedBool(keys::isOverlayEnabled));
    EXPECT_FALSE(menuBar->isDetecting());  // already agreed: focus not switched

    scheduler.advance(0.3);
    tab.pressLogo();
    EXPECT_FALSE(menuBar->isDetecting());  // switched on a later turn of the main queue
    scheduler.runPending();
    EXPECT_TRUE(menuBar->isDetecting());
    EXPECT_TRUE(tab.state().isOverlayEnabled);
}

TEST_F(AppearanceViewTest, PressesWithinAThirdOfASecondSwitchFocusOnce) {
    start();
    auto& tab = open();
    ASSERT_TRUE(menuBar->isDetecting());
    int switches = 0;
    observations.emplace_back(center(), names::detectionStateDidChange,
                              [&](const core::Notification&) { ++switches; });

    tab.pressLogo();  // t = 0: off
    scheduler.advance(0.2);
    tab.pressLogo();  // ignored
    scheduler.runPending();
    EXPECT_EQ(switches, 1);
    EXPECT_FALSE(menuBar->isDetecting());

    scheduler.advance(0.1);  // 0.3 s after the accepted press
    tab.pressLogo();
    scheduler.runPending();
    EXPECT_EQ(switches, 2);
    EXPECT_TRUE(menuBar->isDetecting());
}

TEST_F(AppearanceViewTest, AStoredGrainShowsAsTheNearestSixthWhileTheStoreKeepsIt) {
    settings().setGrainIntensity(0.4);
    auto& tab = open();
    EXPECT_DOUBLE_EQ(tab.state().grainIntensity, 1.0 / 3);
    EXPECT_DOUBLE_EQ(storedDouble(keys::grainIntensity), 0.4);

    tab.setGrain(grainSlider.valueAt(5));
    EXPECT_DOUBLE_EQ(storedDouble(keys::grainIntensity), 5.0 / 6);
    EXPECT_FLOAT_EQ(context.overlayStyle().grainIntensity(), 5.0f / 6);
}

TEST_F(AppearanceViewTest, ControlsWriteTheStoreTheStyleAndTheTrayMenu) {
    auto& tab = open();
    auto& style = context.overlayStyle();
    // Opacity below one turns slight transparency on; one turns it off.
    tab.setOpacity(0.75);
    EXPECT_DOUBLE_EQ(storedDouble(keys::opacityValue), 0.75);
    EXPECT_TRUE(storedBool(keys::useSlightTransparency));
    EXPECT_TRUE(style.useSlightTransparency());
    EXPECT_DOUBLE_EQ(style.opacityValue(), 0.75);
    EXPECT_TRUE(tab.state().useSlightTransparency);

    tab.setOpacity(1.0);
    EXPECT_FALSE(storedBool(keys::useSlightTransparency));
    EXPECT_FALSE(style.useSlightTransparency());
    EXPECT_FALSE(tab.state().useSlightTransparency);

    tab.selectFocusMode(FocusMode::ambient);
    EXPECT_EQ(settings().focusMode(), FocusMode::ambient);
    EXPECT_EQ(style.focusMode(), FocusMode::ambient);
    EXPECT_EQ(trail.back(), "updateModeItems:ambient");

    tab.selectTheme(ThemeMode::dark);
    EXPECT_EQ(settings().themeMode(), ThemeMode::dark);
    EXPECT_EQ(style.themeMode(), ThemeMode::dark);

    tab.setFade(0.0);
    EXPECT_DOUBLE_EQ(storedDouble(keys::transitionDuration), 0.0);
    EXPECT_DOUBLE_EQ(style.transitionDuration(), 0.0);
    EXPECT_EQ(tab.fadeLabel(), "Instant");
}

TEST_F(AppearanceViewTest, WithFocusOffTheControlsDoNotReact) {
    settings().setOverlayEnabled(false);
    auto& tab = open();
    ASSERT_FALSE(tab.controlsEnabled());
    const auto before = tab.state();
    tab.selectFocusMode(FocusMode::ambient);
    tab.setOpacity(0.75);
    tab.selectTheme(ThemeMode::light);
    tab.setGrain(0.0);
    tab.setFade(1.5);
    EXPECT_EQ(settings().focusMode(), FocusMode::deep);
    EXPECT_DOUBLE_EQ(storedDouble(keys::opacityValue), 1.0);
    EXPECT_EQ(settings().themeMode(), ThemeMode::automatic);
    EXPECT_DOUBLE_EQ(storedDouble(keys::grainIntensity), 0.5);
    EXPECT_DOUBLE_EQ(storedDouble(keys::transitionDuration), 0.5);
    EXPECT_EQ(tab.state().focusMode, before.focusMode);
    EXPECT_DOUBLE_EQ(tab.state().opacityValue, before.opacityValue);
}

TEST_F(AppearanceViewTest, ChangesMadeElsewhereMoveTheControls) {
    auto& tab = open();
    int redraws = 0;
    auto connection = tab.changed.connect([&] { ++redraws; });

    context.overlayStyle().setFocusMode(FocusMode::ambient);  // tray Shift-click, hot key
    EXPECT_EQ(tab.state().focusMode, FocusMode::ambient);

    menuBar->setDetecting(false);
    scheduler.runPending();
    EXPECT_FALSE(tab.state().isOverlayEnabled);
    EXPECT_FALSE(storedBool(keys::isOverlayEnabled));
    EXPECT_GT(redraws, 0);
}

TEST_F(AppearanceViewTest, AResetWhileTheTabIsOpenBringsEveryControlBackToTheDefaults) {
    auto& tab = open();
    tab.setOpacity(0.75);
    tab.setGrain(0.0);
    tab.setFade(1.5);
    tab.selectTheme(ThemeMode::light);
    tab.selectFocusMode(FocusMode::ambient);

    MoreView more(*services);
    more.resetAllSettings();
    scheduler.runPending();
    const auto& s = tab.state();
    EXPECT_EQ(s.focusMode, FocusMode::deep);
    EXPECT_DOUBLE_EQ(s.opacityValue, 1.0);
    EXPECT_FALSE(s.useSlightTransparency);
    EXPECT_DOUBLE_EQ(s.grainIntensity, 0.5);
    EXPECT_DOUBLE_EQ(s.transitionDuration, 0.5);
    EXPECT_EQ(s.themeMode, ThemeMode::automatic);
    EXPECT_TRUE(s.isOverlayEnabled);
}

}  // namespace
}  // namespace quorvel::settings_window::testing
