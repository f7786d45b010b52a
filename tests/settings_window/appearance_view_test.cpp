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

}  // namespace
}  // namespace quorvel::settings_window::testing
