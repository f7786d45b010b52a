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

    statusItem.click(ports::MouseButton::Right);
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

}  // namespace
}  // namespace quorvel::controls::testing
