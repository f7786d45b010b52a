// The veil's appearance settings as the rest of the program sees them change.
#include "overlay/overlay_style.h"

#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"

namespace quorvel::sim {
namespace {

const std::vector<std::string> kSixInOrder{"FocusModeDidChange",    "GrainIntensityDidChange",
                                           "TransparencyDidChange", "TransitionDurationDidChange",
                                           "OpacityValueDidChange", "ThemeModeDidChange"};

class OverlayStyleTest : public DesktopTest {
protected:
    std::vector<std::string> posted;
    core::Observation all{context.notificationCenter(), "",
                          [this](const core::Notification& n) { posted.push_back(n.name); }};
    std::vector<std::string> styleNotifications() const {
        std::vector<std::string> result;
        for (const auto& name : posted) {
            if (std::find(kSixInOrder.begin(), kSixInOrder.end(), name) != kSixInOrder.end()) {
                result.push_back(name);
            }
        }
        return result;
    }
};

TEST_F(OverlayStyleTest, CreationLoadsStoredValuesWithoutAnyNotification) {
    context.settingsStore().set("focusMode", std::string("ambient"));
    context.settingsStore().set("grainIntensity", 0.3);
    context.settingsStore().set("themeMode", std::string("Dark"));
    context.settingsStore().set("opacityValue", 0.7);
    context.settingsManager();
    posted.clear();
    auto& style = context.overlayStyle();
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(style.focusMode(), settings::FocusMode::ambient);
    EXPECT_EQ(style.grainIntensity(), 0.3f) << "held as the nearest 32-bit float";
    EXPECT_EQ(style.themeMode(), settings::ThemeMode::dark);
    EXPECT_DOUBLE_EQ(style.opacityValue(), 0.7);
}

TEST_F(OverlayStyleTest, EmptyStoreGivesTheRegisteredDefaults) {
    auto& style = context.overlayStyle();
    EXPECT_EQ(style.focusMode(), settings::FocusMode::deep);
    EXPECT_EQ(style.grainIntensity(), 0.5f);
    EXPECT_FALSE(style.useSlightTransparency());
    EXPECT_DOUBLE_EQ(style.transitionDuration(), 0.5);
    EXPECT_DOUBLE_EQ(style.opacityValue(), 1.0);
    EXPECT_EQ(style.themeMode(), settings::ThemeMode::automatic);
}

TEST_F(OverlayStyleTest, AnySettingsChangePostsAllSixInOrderEachSeeingTheValuesReloadedSoFar) {
    auto& style = context.overlayStyle();
    std::optional<double> durationSeenAtTransparency;
    std::optional<settings::FocusMode> modeSeenAtTransparency;
    core::Observation probe(context.notificationCenter(), "TransparencyDidChange",
                            [&](const core::Notification&) {
                                modeSeenAtTransparency = style.focusMode();
                                durationSeenAtTransparency = style.transitionDuration();
                            });
    context.settingsStore().set("focusMode", std::string("ambient"));
    context.settingsStore().set("transitionDuration", 1.5);
    posted.clear();
    context.settingsManager().setAutoHideEnabled(true);  // unrelated to the look
    EXPECT_EQ(styleNotifications(), kSixInOrder);
    EXPECT_EQ(posted.front(), "SettingsDidChange");
    EXPECT_EQ(modeSeenAtTransparency, settings::FocusMode::ambient);
    EXPECT_EQ(durationSeenAtTransparency, 0.5) << "not yet reloaded";
    EXPECT_DOUBLE_EQ(style.transitionDuration(), 1.5);
}

TEST_F(OverlayStyleTest, EachSetterPostsItsOwnNameEvenForTheSameValueAfterTellingViews) {
    auto& style = context.overlayStyle();
    std::vector<float> seenByView;
    auto view =
        style.objectWillChange().connect([&] { seenByView.push_back(style.grainIntensity()); });
    posted.clear();
    style.setGrainIntensity(0.5);  // the value it already has
    style.setFocusMode(settings::FocusMode::deep);
    style.setGrainIntensity(0.8);
    style.setUseSlightTransparency(true);
    style.setTransitionDuration(1.0);
    style.setOpacityValue(0.2);
    style.setThemeMode(settings::ThemeMode::light);
    std::vector<std::string> expected{"GrainIntensityDidChange"};
    expected.insert(expected.end(), kSixInOrder.begin(), kSixInOrder.end());
    EXPECT_EQ(posted, expected);
    EXPECT_EQ(seenByView, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.8f, 0.8f, 0.8f, 0.8f}))
        << "views hear before the store";
    EXPECT_EQ(style.grainIntensity(), 0.8f);
    EXPECT_TRUE(style.useSlightTransparency());
}

}  // namespace
}  // namespace quorvel::sim
