// The tray icon, the global shortcuts and the tray hint as the user meets
// them on the simulated desktop.
#include <gtest/gtest.h>

#include "controls/hint_placement.h"
#include "controls/tray_icon.h"
#include "sim/sim_test.h"

namespace quorvel::sim {
namespace {

using ports::MouseButton;
using settings::FocusMode;
using settings::KeyCombo;
namespace modifier = settings::modifier;

constexpr KeyCombo kToggle{3, modifier::controlAltSuper};    // Ctrl+Alt+Super+F
constexpr KeyCombo kMode{46, modifier::controlAltSuper};     // Ctrl+Alt+Super+M
constexpr KeyCombo kExclude{14, modifier::controlAltSuper};  // Ctrl+Alt+Super+E

class ControlsTest : public SimTest {
protected:
    ControlsTest() {
        harness.keyboard = SimKeyboardLayout::usLayout();
        open("Terminal", {100, 100, 800, 600});
    }
    bool press(KeyCombo key) {
        const bool caught = harness.shortcuts.press(key.keyCode, key.modifiers);
        harness.scheduler.runPending();
        return caught;
    }
    std::vector<std::string> menuTitles() {
        std::vector<std::string> titles;
        for (const auto& item : harness.tray.shownMenus().back().items) {
            titles.push_back(item.separator ? "-"
                                            : item.title + (item.checked ? " *" : "") +
                                                  (item.enabled ? "" : " (off)"));
        }
        return titles;
    }
};

TEST_F(ControlsTest, ClicksToggleOncePerThirdOfASecondShiftSwitchesTheModeRightOpensTheMenu) {
    auto& application = focusOn({{"focusMode", "deep"}});
    auto& tray = harness.tray;
    for (const auto& [gap, toggles] : {std::pair{0.2, 1}, {0.29, 1}, {0.3, 2}}) {
        const bool before = application.session().isOn();
        tray.click(MouseButton::Left);
        harness.advance(gap);
        tray.click(MouseButton::Left);
        EXPECT_EQ(application.session().isOn(), toggles == 2 ? before : !before) << gap;
        harness.advance(1.0);
    }
    application.session().setOn(true);
    tray.click(MouseButton::Left, {.shift = true});
    EXPECT_EQ(application.session().mode(), FocusMode::ambient);
    EXPECT_TRUE(application.session().isOn()) << "a Shift-click switches the look only";
    tray.click(MouseButton::Right);
    tray.click(MouseButton::Left, {.control = true});
    EXPECT_EQ(tray.shownMenus().size(), 2u);
    EXPECT_EQ(menuTitles(),
              (std::vector<std::string>{"Unfocus", "Exclude Terminal", "-", "Ambient *", "Deep",
                                        "-", "Settings...", "Check for updates", "-", "Quit"}));
    EXPECT_TRUE(tray.choose(controls::tray_action::mode, 1));
    EXPECT_EQ(application.session().mode(), FocusMode::deep);
    EXPECT_TRUE(tray.choose(controls::tray_action::excludeFront));
    EXPECT_TRUE(application.excludedApps().isExcluded("Terminal"));
    tray.click(MouseButton::Right);
    EXPECT_EQ(menuTitles()[1], "Include Terminal");
}

TEST_F(ControlsTest, TheIconShowsFocusTheModeAndAnExcludedApplicationInFront) {
    auto& application = focusOn();
    struct Case {
        bool on;
        FocusMode mode;
        bool excluded;
        const char* icon;
    };
    for (const Case c : {Case{true, FocusMode::deep, false, "menubar-icon-active"},
                         Case{true, FocusMode::ambient, false, "menubar-icon-active-ambient"},
                         Case{false, FocusMode::deep, false, "menubar-icon-inactive"},
                         Case{false, FocusMode::ambient, true, "menubar-icon-excluded"}}) {
        application.session().setOn(c.on);
        application.session().setMode(c.mode);
        if (c.excluded) application.excludedApps().addInstalled("Terminal");
        EXPECT_EQ(harness.tray.icon(), c.icon);
    }
}

TEST_F(ControlsTest, ShortcutsActAndStandAsideWhileOneIsRecorded) {
    auto& application = focusOn({{"focusMode", "deep"}});
    EXPECT_TRUE(press(kMode));
    EXPECT_EQ(application.session().mode(), FocusMode::ambient);
    EXPECT_TRUE(press(kExclude));
    EXPECT_TRUE(application.excludedApps().isExcluded("Terminal"));
    EXPECT_TRUE(press(kToggle));
    EXPECT_FALSE(application.session().isOn());
    harness.advance(0.3);
    EXPECT_TRUE(press(kMode));
    EXPECT_EQ(application.session().mode(), FocusMode::ambient) << "no look to switch while off";

    auto services = application.settingsWindowServices();
    services.hooks.setRecording(true);
    EXPECT_TRUE(harness.shortcuts.grabs().empty());
    EXPECT_FALSE(press(kToggle)) << "the key reaches the recorder";
    const KeyCombo recorded{17, modifier::control | modifier::shift};
    application.settings().toggleShortcut.set(recorded);
    services.hooks.setRecording(false);
    EXPECT_EQ(harness.shortcuts.grabs().size(), 3u);
    EXPECT_TRUE(press(recorded));
    EXPECT_TRUE(application.session().isOn());
}

TEST_F(ControlsTest, AShortcutThatCannotBeGrabbedIsToldOnceAndKeepsItsReason) {
    harness.shortcuts.takeByOtherApplication(kExclude.keyCode, kExclude.modifiers);
    auto& application = harness.start();
    application.settings().modeShortcut.set(kToggle);
    const auto& shortcuts = *application.shortcuts();
    EXPECT_EQ(shortcuts.problem(controls::ShortcutId::toggle), "");
    EXPECT_EQ(shortcuts.problem(controls::ShortcutId::mode), "same as toggle focus");
    EXPECT_EQ(shortcuts.problem(controls::ShortcutId::exclude),
              "taken by the desktop or another application");
    ASSERT_EQ(harness.notifications.posted().size(), 2u);
    EXPECT_EQ(harness.notifications.posted()[0].subtitle, "Ctrl+Alt+Super+E");

    auto services = application.settingsWindowServices();
    services.hooks.setRecording(true);
    services.hooks.setRecording(false);
    EXPECT_EQ(harness.notifications.posted().size(), 2u) << "grabbed again: nothing new to tell";
}

TEST(HintPlacement, HangsBelowTheIconCentredAndInsideTheWorkArea) {
    const core::Rect area{0, 30, 1920, 1050};  // a 30 px top panel
    const core::Size hint{240, 110};
    struct Case {
        const char* name;
        core::Rect icon;
        core::Rect workArea;
        core::Rect frame;
        bool arrowUp;
    };
    const Case cases[] = {
        {"middle", {900, 0, 24, 30}, area, {792, 30, 240, 110}, true},
        {"left edge", {4, 0, 24, 30}, area, {0, 30, 240, 110}, true},
        {"right edge", {1890, 0, 24, 30}, area, {1680, 30, 240, 110}, true},
        {"narrower than the hint", {50, 0, 20, 30}, {0, 30, 200, 570}, {-40, 30, 240, 110}, true},
        {"bottom panel", {1800, 1050, 24, 30}, {0, 0, 1920, 1050}, {1680, 940, 240, 110}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto p = controls::placeBelowTrayIcon(c.icon, c.workArea, hint);
        EXPECT_EQ(p.frame, c.frame);
        EXPECT_EQ(p.arrowUp, c.arrowUp);
    }
}

TEST_F(ControlsTest, TheHintFollowsTheIconFadesOutWhenClosedAndShowsAgain) {
    auto& application = harness.start();
    harness.tray.setGeometry(core::Rect{1800, 0, 24, 30});
    application.showHint();
    EXPECT_TRUE(harness.hint.isVisible());
    harness.tray.setGeometry(core::Rect{1000, 0, 24, 30});
    EXPECT_EQ(harness.hint.frame().x, 1000 + 12 - 120) << "it follows the icon";
    harness.hint.pressCloseButton();
    harness.advance(0.3);
    EXPECT_FALSE(harness.hint.isVisible());
    application.showHint();
    EXPECT_TRUE(harness.hint.isVisible());
}

}  // namespace
}  // namespace quorvel::sim
