// The veil's appearance settings as the rest of the program sees them change.
#include "look/overlay_style.h"

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

}  // namespace
}  // namespace quorvel::sim
