#include "controls/menu_bar_item.h"

#include "controls_fixture.h"
#include "settings/notification_names.h"

namespace quorvel::controls::testing {
namespace {

namespace names = settings::notifications;
using platform::KeyModifiers;
using platform::MouseButton;
using settings::FocusMode;

constexpr KeyModifiers kShift{.shift = true};
constexpr KeyModifiers kControl{.control = true};

TEST_F(ControlsTest,
       CreationStartsMonitoringAtOnceAndBuildsTheMenuOnTheNextTurnIgnoringEarlyRightClicks) {
    MenuBarHooks hooks;
    MenuBarItem item(settings(), context.overlayStyle(), context.overlayController(),
                     context.excludedAppsManager(), center(), scheduler, statusItem, desktop,
                     catalog, hooks);
    EXPECT_TRUE(item.isDetecting());
    EXPECT_TRUE(context.overlayController().isMonitoring());
    EXPECT_FALSE(item.menu().has_value());
    EXPECT_EQ(statusItem.showCount(), 0);
    item.handleStatusItemClick(MouseButton::Right, {});
    EXPECT_TRUE(log.contains("🪟 Menu not yet initialized, ignoring right-click"));
    EXPECT_TRUE(statusItem.shownMenus().empty());

    scheduler.runPending();
    ASSERT_TRUE(item.menu().has_value());
    EXPECT_EQ(item.menu()->minimumWidth, 180);
    EXPECT_EQ(statusItem.showCount(), 1);
    EXPECT_EQ(log.count("🪟 Status item created"), 1u);
    EXPECT_EQ(statusItem.icon(), "menubar-icon-active");
    EXPECT_EQ(statusItem.observerCount(), 1u);  // the button reports its clicks
}

TEST_F(ControlsTest, MenuHasItsTitlesTagsAndActionsInOrder) {
    start();
    struct Row {
        std::string title;
        int tag;
        bool separator;
        std::string action;
    };
    const std::vector<Row> expected{
        {"Unfocus", 0, false, "toggleOverlay"},
        {"Exclude Current App", 0, false, "toggleForCurrentApp"},
        {"", 0, true, ""},
        {"       Ambient", 0, false, "focusModeSelected:"},
        {" \xE2\x9C\x93   Deep", 1, false, "focusModeSelected:"},
        {"", 0, true, ""},
        {"", 0, true, ""},
        {"Settings...", 0, false, "openSettings"},
        {"Check for updates", 0, false, "checkForUpdates"},
        {"", 0, true, ""},
        {"Quit", 0, false, "terminate:"},
    };
    ASSERT_EQ(items().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items()[i].title, expected[i].title);
        EXPECT_EQ(items()[i].tag, expected[i].tag);
        EXPECT_EQ(items()[i].separator, expected[i].separator);
        EXPECT_EQ(items()[i].action, expected[i].action);
        EXPECT_TRUE(items()[i].enabled);
    }
}

TEST_F(ControlsTest, PlainClickSwitchesFocusOnTheNextTurnThenPostsPersistsAndStops) {
    start();
    std::vector<std::string> seenAtPost;
    observations.emplace_back(
        center(), names::detectionStateDidChange, [&](const core::Notification&) {
            seenAtPost.push_back(items()[0].title);
            seenAtPost.push_back(storedOverlayEnabled() ? "stored on" : "stored off");
        });
    statusItem.click(MouseButton::Left);
    EXPECT_TRUE(menuBar->isDetecting());  // still the old state until the task runs
    EXPECT_TRUE(seenAtPost.empty());

    scheduler.runPending();
    EXPECT_FALSE(menuBar->isDetecting());
    // Posted after the title was refreshed and before the setting was written.
    EXPECT_EQ(seenAtPost, (std::vector<std::string>{"Focus", "stored on"}));
    EXPECT_FALSE(storedOverlayEnabled());
    EXPECT_FALSE(context.overlayController().isMonitoring());
    EXPECT_EQ(statusItem.icon(), "menubar-icon-inactive");

    scheduler.advance(1.0);
    statusItem.click(MouseButton::Left);
    scheduler.runPending();
    EXPECT_TRUE(menuBar->isDetecting());
    EXPECT_EQ(items()[0].title, "Unfocus");
    EXPECT_TRUE(context.overlayController().isMonitoring());
    EXPECT_TRUE(storedOverlayEnabled());
}

TEST_F(ControlsTest, PlainClicksCloserThanAThirdOfASecondCountOnce) {
    struct Case {
        double gap;
        int toggles;
    };
    for (const Case c : {Case{0.2, 1}, Case{0.29, 1}, Case{0.3, 2}, Case{0.35, 2}}) {
        SCOPED_TRACE(c.gap);
        menuBar.reset();
        hotKeys.reset();
        settings().setOverlayEnabled(true);
        start();
        int& posts = countPosts(names::detectionStateDidChange);
        statusItem.click(MouseButton::Left);
        scheduler.advance(c.gap);
        statusItem.click(MouseButton::Left);
        scheduler.advance(0.01);
        EXPECT_EQ(posts, c.toggles);
        EXPECT_EQ(menuBar->isDetecting(), c.toggles % 2 == 0);
        scheduler.advance(1.0);
    }
}

TEST_F(ControlsTest, FocusStoredOffStartsNothingAndShiftClickSwitchesTheModeOnlyWhileOn) {
    for (const bool storedOn : {false, true}) {  // stored off first, on a fresh application
        SCOPED_TRACE(storedOn);
        menuBar.reset();
        hotKeys.reset();
        settings().setFocusMode(FocusMode::deep);
        settings().setOverlayEnabled(storedOn);
        start();
        int& settingsWrites = countPosts(names::settingsDidChange);
        statusItem.click(MouseButton::Left, kShift);
        scheduler.runPending();
        const FocusMode expected = storedOn ? FocusMode::ambient : FocusMode::deep;
        EXPECT_EQ(settings().focusMode(), expected);
        EXPECT_EQ(context.overlayStyle().focusMode(), expected);
        EXPECT_EQ(settingsWrites, storedOn ? 1 : 0);
        EXPECT_EQ(menuBar->isDetecting(), storedOn);  // a Shift-click never toggles focus
        EXPECT_EQ(context.overlayController().isMonitoring(), storedOn);
        EXPECT_EQ(items()[0].title, storedOn ? "Unfocus" : "Focus");
        EXPECT_EQ(items()[3].title, storedOn ? " \u2713   Ambient" : "       Ambient");
        EXPECT_EQ(items()[4].title, storedOn ? "       Deep" : " \u2713   Deep");
        EXPECT_EQ(statusItem.icon(),
                  storedOn ? "menubar-icon-active-ambient" : "menubar-icon-inactive");
    }
}

TEST_F(ControlsTest, RightClickAndControlClickOpenTheMenuAndAPlainClickNever) {
    struct Case {
        const char* name;
        MouseButton button;
        KeyModifiers modifiers;
        bool opensMenu;
    };
    const Case cases[] = {
        {"right", MouseButton::Right, {}, true},
        {"control-left", MouseButton::Left, kControl, true},
        {"control-shift-left", MouseButton::Left, {.shift = true, .control = true}, true},
        {"plain-left", MouseButton::Left, {}, false},
        {"middle", MouseButton::Middle, {}, false},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto menusBefore = statusItem.shownMenus().size();
        const bool detectingBefore = menuBar->isDetecting();
        const FocusMode modeBefore = settings().focusMode();
        statusItem.click(c.button, c.modifiers);
        scheduler.advance(1.0);
        EXPECT_EQ(statusItem.shownMenus().size() - menusBefore, c.opensMenu ? 1u : 0u);
        if (c.opensMenu) {
            EXPECT_EQ(statusItem.shownMenus().back(), *menuBar->menu());
            EXPECT_EQ(menuBar->isDetecting(), detectingBefore);
            EXPECT_EQ(settings().focusMode(), modeBefore);
        }
    }
}

TEST_F(ControlsTest, IconFollowsFocusModeAndExclusion) {
    struct Case {
        bool detecting;
        FocusMode mode;
        bool frontmostExcluded;
        const char* icon;
    };
    const Case cases[] = {
        {true, FocusMode::deep, false, "menubar-icon-active"},
        {true, FocusMode::ambient, false, "menubar-icon-active-ambient"},
        {false, FocusMode::ambient, false, "menubar-icon-inactive"},
        {false, FocusMode::deep, false, "menubar-icon-inactive"},
        {true, FocusMode::deep, true, "menubar-icon-excluded"},
        {false, FocusMode::ambient, true, "menubar-icon-excluded"},
    };
    catalog.addApplication("org.gnome.gedit", "Text Editor");
    catalog.addApplication("org.gnome.Terminal", "Terminal");
    context.excludedAppsManager().addApp(
        *settings::ExcludedApp::fromLocation(*catalog.locate("org.gnome.gedit"), catalog));
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.icon);
        if (menuBar->isDetecting() != c.detecting) menuBar->setDetecting(c.detecting);
        settings().setFocusMode(c.mode);  // the style follows and the icon is refreshed
        activate(c.frontmostExcluded ? "org.gnome.gedit" : "org.gnome.Terminal", "App");
        EXPECT_EQ(menuBar->isDetecting(), c.detecting);
        EXPECT_EQ(statusItem.icon(), c.icon);
    }
}

TEST_F(ControlsTest, TrayWithoutHostLogsAndSetsTheIconWhenAHostAppears) {
    statusItem.setAvailable(false);
    start();
    EXPECT_TRUE(log.contains("⚠️ Cannot update icon - status item button not available"));
    EXPECT_EQ(statusItem.icon(), "");
    statusItem.setAvailable(true);
    scheduler.runPending();
    EXPECT_EQ(statusItem.icon(), "menubar-icon-active");
}

TEST_F(ControlsTest, MenuChoicesReachTheirActionsAndTheToggleIsNotDebounced) {
    start();
    statusItem.click(MouseButton::Right);
    ASSERT_TRUE(statusItem.choose("toggleOverlay"));
    scheduler.advance(0.1);
    ASSERT_TRUE(statusItem.choose("toggleOverlay"));
    scheduler.runPending();
    EXPECT_TRUE(menuBar->isDetecting());  // off, then on again
    EXPECT_TRUE(storedOverlayEnabled());

    ASSERT_TRUE(statusItem.choose("focusModeSelected:", 0));
    EXPECT_EQ(settings().focusMode(), FocusMode::ambient);
    EXPECT_EQ(context.overlayStyle().focusMode(), FocusMode::ambient);
    EXPECT_EQ(items()[3].title, " \u2713   Ambient");
    ASSERT_TRUE(statusItem.choose("focusModeSelected:", 1));
    EXPECT_EQ(settings().focusMode(), FocusMode::deep);
    ASSERT_TRUE(statusItem.choose("openSettings"));
    ASSERT_TRUE(statusItem.choose("checkForUpdates"));
    ASSERT_TRUE(statusItem.choose("terminate:"));
    EXPECT_EQ(openSettingsCalls, 1);
    EXPECT_EQ(checkForUpdatesCalls, 1);
    EXPECT_EQ(quitCalls, 1);
}

}  // namespace
}  // namespace quorvel::controls::testing
