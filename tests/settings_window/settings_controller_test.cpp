#include "settings_window/settings_controller.h"

#include "sim/sim_settings_window.h"
#include "settings_window_fixture.h"

namespace quorvel::settings_window::testing {
namespace {

namespace names = settings::notifications;
namespace modifier = settings::modifier;

class SettingsControllerTest : public SettingsWindowTest {
protected:
    SettingsControllerTest() {
        recordPosts({names::windowWillOpen, names::windowDidOpen, names::windowWillClose,
                     names::windowDidClose, names::settingsSelectTab});
        observations.emplace_back(
            center(), names::settingsSelectTab, [this](const core::Notification& n) {
                requestedTabs.push_back(n.value<std::string>(names::tabNameKey).value_or("?"));
            });
    }
    sim::SimSettingsWindow& window() { return *host.window(); }

    SettingsState state;
    sim::SimSettingsWindowHost host;
    SettingsController controller{state, host, center(), scheduler};
    std::vector<std::string> requestedTabs;
};

TEST_F(SettingsControllerTest, ChoosingSettingsWhileVisibleClosesAndReopensFreshOnGeneral) {
    controller.showSettings("more");
    posts.clear();
    controller.showSettings();
    EXPECT_EQ(posts, (std::vector<std::string>{names::windowWillClose, names::windowDidClose}));
    EXPECT_FALSE(controller.isWindowVisible());
    EXPECT_FALSE(controller.hasWindow());
    EXPECT_EQ(state.selectedTab(), SettingsTab::appearance);
    EXPECT_EQ(host.focusRestores(), 1);

    scheduler.runPending();
    posts.clear();
    controller.showSettings();  // without a tab: no tab request
    EXPECT_EQ(host.createdCount(), 2);
    EXPECT_EQ(posts, (std::vector<std::string>{names::windowWillOpen, names::windowDidOpen}));
    EXPECT_EQ(state.selectedTab(), SettingsTab::appearance);
}

struct CloseKeyCase {
    const char* name;
    std::uint32_t keyCode;
    std::uint32_t modifiers;
    bool windowIsKey;
    bool closes;
};

TEST_F(SettingsControllerTest, ControlWClosesOnlyWhileTheWindowHasTheFocus) {
    const std::vector<CloseKeyCase> cases{
        {"Ctrl+W", 13, modifier::control, true, true},
        {"Ctrl+Shift+W", 13, modifier::control | modifier::shift, true, true},
        {"W alone", 13, 0, true, false},
        {"Super+W", 13, modifier::command, true, false},
        {"Ctrl+Q", 12, modifier::control, true, false},
        {"Ctrl+W, window not focused", 13, modifier::control, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        controller.showSettings();
        window().setKey(c.windowIsKey);
        EXPECT_EQ(window().pressKey(c.keyCode, c.modifiers), c.closes);
        EXPECT_EQ(controller.isWindowVisible(), !c.closes);
        if (controller.isWindowVisible()) controller.closeSettings();
        scheduler.runPending();
    }
}

}  // namespace
}  // namespace quorvel::settings_window::testing
