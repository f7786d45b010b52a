#include "controls/menu_bar_item.h"

#include "controls_fixture.h"

namespace quorvel::controls::testing {
namespace {

TEST_F(ControlsTest, PerApplicationItemExcludesAndIncludesTheFrontmostApplication) {
    start();
    activate("org.gnome.gedit", "Text Editor");
    EXPECT_EQ(items()[1].title, "Exclude Text Editor");
    EXPECT_EQ(items()[1].iconName, "org.gnome.gedit-icon");
    EXPECT_FALSE(items()[1].iconFaded);

    statusItem.click(platform::MouseButton::Right);
    ASSERT_TRUE(statusItem.choose("toggleForCurrentApp"));
    scheduler.runPending();
    EXPECT_TRUE(context.excludedAppsManager().isExcluded(std::string("org.gnome.gedit")));
    EXPECT_EQ(items()[1].title, "Include Text Editor");
    EXPECT_EQ(items()[1].iconName, "org.gnome.gedit-icon");
    EXPECT_TRUE(items()[1].iconFaded);  // grey at half opacity
    EXPECT_EQ(statusItem.icon(), "menubar-icon-excluded");

    menuBar->toggleForCurrentApp();
    scheduler.runPending();
    EXPECT_FALSE(context.excludedAppsManager().isExcluded(std::string("org.gnome.gedit")));
    EXPECT_EQ(items()[1].title, "Exclude Text Editor");
    EXPECT_FALSE(items()[1].iconFaded);
    EXPECT_EQ(statusItem.icon(), "menubar-icon-active");
}

TEST_F(ControlsTest, ApplicationWithoutIdOrDesktopEntryCannotBeExcluded) {
    struct Case {
        const char* name;
        std::optional<platform::RunningApplication> app;
    };
    const Case cases[] = {
        {"nothing in front", std::nullopt},
        {"no id", platform::RunningApplication{std::nullopt, "xterm"}},
        {"not installed", platform::RunningApplication{std::string("ghost"), "Ghost"}},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.setFrontmostApplication(c.app);
        scheduler.runPending();
        menuBar->handleActiveAppChange();
        const auto before = context.excludedAppsManager().excludedApps();
        menuBar->toggleForCurrentApp();
        EXPECT_EQ(context.excludedAppsManager().excludedApps(), before);
        EXPECT_EQ(items()[1].title, "Exclude Current App");
        EXPECT_EQ(items()[1].iconName, "");
    }
}

TEST_F(ControlsTest, AutoHideIsToldOnlyWhenTheExclusionOfTheFrontmostAppChanges) {
    catalog.addApplication("org.gnome.gedit", "Text Editor");
    catalog.addApplication("org.gnome.Terminal", "Terminal");
    catalog.addApplication("org.gnome.Calculator", "Calculator");
    context.excludedAppsManager().addApp(
        *settings::ExcludedApp::fromLocation(*catalog.locate("org.gnome.gedit"), catalog));
    start();

    activate("org.gnome.Terminal", "Terminal");
    activate("org.gnome.Calculator", "Calculator");
    activate("org.gnome.Terminal", "Terminal");
    EXPECT_EQ(autoHide, (std::vector<bool>{true}));  // once, on the first change
    EXPECT_EQ(menuBar->lastKnownExclusionState(), std::optional<bool>(false));

    activate("org.gnome.gedit", "Text Editor");
    EXPECT_EQ(autoHide, (std::vector<bool>{true, false}));
    EXPECT_EQ(menuBar->lastKnownExclusionState(), std::optional<bool>(true));

    menuBar->setDetecting(false);
    scheduler.runPending();
    activate("org.gnome.Terminal", "Terminal");  // focus off: nothing more
    EXPECT_EQ(autoHide, (std::vector<bool>{true, false}));
    EXPECT_EQ(menuBar->lastKnownExclusionState(), std::optional<bool>(false));
}

TEST_F(ControlsTest, TrayItemGoesAwayCleanly) {
    start();
    EXPECT_EQ(statusItem.observerCount(), 1u);
    menuBar->setDetecting(false);  // a pending task must not run after destruction
    hotKeys.reset();
    menuBar.reset();
    EXPECT_EQ(statusItem.observerCount(), 0u);
    scheduler.runPending();
    desktop.setFrontmostApplication(platform::RunningApplication{std::string("x"), "X"});
    scheduler.runPending();
    EXPECT_TRUE(storedOverlayEnabled());
}

}  // namespace
}  // namespace quorvel::controls::testing
