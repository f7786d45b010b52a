#include "controls/menu_bar_item.h"

#include "controls_fixture.h"
#include "settings/notification_names.h"

namespace quorvel::controls::testing {
namespace {

namespace names = settings::notifications;
using ports::KeyModifiers;
using ports::MouseButton;
using settings::FocusMode;

constexpr KeyModifiers kShift{.shift = true};
constexpr KeyModifiers kControl{.control = true};

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

}  // namespace
}  // namespace quorvel::controls::testing
