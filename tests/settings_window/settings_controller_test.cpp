#include "settings_window/settings_controller.h"

#include "desktop/sim/sim_settings_window.h"
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

TEST(SettingsTabTest, NamesTitlesAndParsingFollowTheTabBarOrder) {
    const std::vector<std::pair<std::string, std::string>> expected{{"appearance", "General"},
                                                                    {"exclude", "Rules"},
                                                                    {"shortcuts", "Shortcuts"},
                                                                    {"more", "More"}};
    for (std::size_t i = 0; i < allSettingsTabs.size(); ++i) {
        EXPECT_EQ(tabName(allSettingsTabs[i]), expected[i].first);
        EXPECT_EQ(tabTitle(allSettingsTabs[i]), expected[i].second);
        EXPECT_EQ(parseSettingsTab(expected[i].first), allSettingsTabs[i]);
        EXPECT_FALSE(tabIconName(allSettingsTabs[i]).empty());
    }
    EXPECT_EQ(parseSettingsTab("More"), std::nullopt);
    EXPECT_EQ(parseSettingsTab(""), std::nullopt);
}

TEST_F(SettingsControllerTest, OpeningOnATabAnnouncesWillOpenDidOpenThenTheTab) {
    controller.showSettings("more");
    EXPECT_EQ(posts, (std::vector<std::string>{names::windowWillOpen, names::windowDidOpen,
                                               names::settingsSelectTab}));
    EXPECT_EQ(requestedTabs, std::vector<std::string>{"more"});
    EXPECT_EQ(state.selectedTab(), SettingsTab::more);
    EXPECT_TRUE(controller.isWindowVisible());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(window().isKey());
}

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

TEST_F(SettingsControllerTest, AHiddenWindowIsBroughtBackWithoutAnnouncementsOrTabRequest) {
    controller.showSettings();
    window().minimize();
    posts.clear();
    controller.showSettings("shortcuts");
    EXPECT_TRUE(posts.empty());
    EXPECT_EQ(host.createdCount(), 1);
    EXPECT_EQ(window().bringToFrontCount(), 2);
    EXPECT_EQ(state.selectedTab(), SettingsTab::shortcuts);
    EXPECT_TRUE(window().isVisible());
}

TEST_F(SettingsControllerTest, AnUnknownTabKeepsTheSelectionButIsStillAnnounced) {
    state.setSelectedTab(SettingsTab::exclude);
    controller.showSettings("colours");
    EXPECT_EQ(state.selectedTab(), SettingsTab::exclude);
    EXPECT_EQ(requestedTabs, std::vector<std::string>{"colours"});
}

TEST_F(SettingsControllerTest, ClosingByTheWindowManagerRunsTheSameCloseSequence) {
    controller.showSettings("exclude");
    std::vector<bool> visibility;
    auto connection =
        controller.isWindowVisibleChanged.connect([&](bool v) { visibility.push_back(v); });
    window().close();
    EXPECT_EQ(visibility, std::vector<bool>{false});
    EXPECT_EQ(state.selectedTab(), SettingsTab::appearance);
    EXPECT_FALSE(controller.isMonitoringKeys());
    scheduler.runPending();
    EXPECT_EQ(host.window(), nullptr);  // released after its close call returned
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
