// The settings window's tabs: each writes the settings and redraws from their
// change, whoever made it; and the window itself.
#include <gtest/gtest.h>

#include "core/log.h"
#include "settings_window/appearance_view.h"
#include "settings_window/more_view.h"
#include "settings_window/rules_view.h"
#include "settings_window/settings_controller.h"
#include "settings_window/shortcuts_view.h"
#include "sim/sim_settings_window.h"
#include "sim/sim_test.h"

namespace quorvel::settings_window {
namespace {

using settings::FocusMode;
using settings::KeyCombo;
using settings::ThemeMode;
using Kind = KeyDecision::Kind;
constexpr std::uint32_t kCAS = settings::modifier::controlAltSuper;

class SettingsWindowTest : public sim::SimTest {
protected:
    SettingsWindowTest() {
        harness.keyboard = sim::SimKeyboardLayout::usLayout();
        harness.start({{"transitionDuration", 0}});
        services.emplace(harness.app().settingsWindowServices());
    }
    settings::Settings& settings() { return harness.app().settings(); }

    std::optional<SettingsWindowServices> services;
};

TEST_F(SettingsWindowTest, GeneralWritesTheLookAndRedrawsWhenTheTrayOrAShortcutChangesIt) {
    AppearanceView tab(*services);
    int redraws = 0;
    const auto watch = tab.changed.connect([&] { ++redraws; });
    tab.setOpacity(0.75);
    EXPECT_TRUE(settings().slightTransparency.get()) << "below full opacity the tint lightens";
    tab.setGrain(0.45);
    EXPECT_DOUBLE_EQ(tab.state().grain, 3.0 / 6) << "the slider stops at the nearest sixth";
    tab.setFade(0.25);
    EXPECT_EQ(tab.fadeLabel(), "0.25s");
    harness.app().session().setMode(FocusMode::ambient);  // the tray, say
    EXPECT_EQ(tab.state().focusMode, FocusMode::ambient);
    EXPECT_EQ(redraws, 4);

    harness.app().session().setOn(false);
    tab.selectTheme(ThemeMode::dark);
    EXPECT_EQ(settings().theme.get(), ThemeMode::automatic) << "inert while focus is off";
    tab.pressLogo();
    tab.pressLogo();  // the same press, repeated
    EXPECT_TRUE(harness.app().session().isOn());
}

TEST_F(SettingsWindowTest, RulesSayWhetherThePanelSettingsAnswerAndRetryOpensThem) {
    int opened = 0;
    std::optional<ports::ScriptOutcome> probe = ports::ScriptOutcome::notCompiled();
    services->hooks.probePanels = [&] { return probe; };
    services->hooks.openPanelSettings = [&] { ++opened; };
    RulesView tab(*services);
    tab.setHidePanels(true);
    EXPECT_FALSE(tab.state().panelsAnswer);
    probe = ports::ScriptOutcome{};
    harness.advance(RulesView::probeInterval);
    EXPECT_TRUE(tab.state().panelsAnswer) << "the line updates while the tab shows";
    tab.pressRetry();
    EXPECT_EQ(opened, 1);
    tab.selectSingleMode(true);
    EXPECT_TRUE(settings().singleMode.get());
}

TEST(KeyAcceptance, DecidesEachPressByTheRecordingRules) {
    namespace modifier = settings::modifier;
    struct Case {
        const char* name;
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        KeyDecision expected;
    };
    const Case cases[] = {
        {"Delete clears", 51, 0, {Kind::clear, std::nullopt}},
        {"Escape cancels", 53, modifier::control, {Kind::cancel, std::nullopt}},
        {"a modifier alone keeps listening", 59, modifier::control, {}},
        {"F5 alone records", 96, 0, {Kind::record, KeyCombo{96, 0}}},
        {"F2 alone is ignored", 120, 0, {}},
        {"F2 with Control records", 120, modifier::control, {Kind::record, KeyCombo{120, 262144}}},
        {"a letter alone is ignored", 3, 0, {}},
        {"Shift+Alt and a letter is ignored", 3, modifier::shift | modifier::alt, {}},
        {"Ctrl+Alt+Super+F records", 3, kCAS, {Kind::record, KeyCombo{3, kCAS}}},
        {"device bits are dropped", 3, kCAS | 0x0101, {Kind::record, KeyCombo{3, kCAS}}},
    };
    core::LogCapture log;
    for (const auto& c : cases)
        EXPECT_EQ(decideKeyDown(c.keyCode, c.modifiers), c.expected) << c.name;
}

TEST_F(SettingsWindowTest, ShortcutsRecordAndDropACombinationAnotherRowOrApplicationHolds) {
    ShortcutsView tab(*services);
    const auto press = [&](ShortcutRow row, std::uint32_t key, std::uint32_t mods) {
        tab.recorder(row).keyDown(key, mods);
        harness.scheduler.runPending();
    };
    // Recording a key while the global ones stand aside is the widget test's.
    tab.startRecording(ShortcutRow::toggle);
    press(ShortcutRow::toggle, 96, 0);  // F5
    EXPECT_EQ(settings().toggleShortcut.get(), (KeyCombo{96, 0}));

    tab.startRecording(ShortcutRow::mode);
    press(ShortcutRow::mode, 96, 0);  // the toggle row holds it
    EXPECT_EQ(settings().modeShortcut.get(), (KeyCombo{46, kCAS}));
    EXPECT_FALSE(tab.isRecording(ShortcutRow::mode));

    harness.shortcuts.takeByOtherApplication(120, settings::modifier::control);
    tab.startRecording(ShortcutRow::exclude);
    press(ShortcutRow::exclude, 120, settings::modifier::control);
    EXPECT_EQ(tab.problem(ShortcutRow::exclude), "taken by the desktop or another application");
    tab.trash(ShortcutRow::exclude);
    EXPECT_EQ(tab.label(ShortcutRow::exclude), "Record");
    EXPECT_EQ(tab.problem(ShortcutRow::exclude), "");
}

TEST_F(SettingsWindowTest, ResetPutsEverySettingBackSwitchesFocusOnAndShowsTheHint) {
    settings().mode.set(FocusMode::ambient);
    settings().grain.set(0.0);
    settings().singleMode.set(true);
    settings().hidePanels.set(true);
    settings().opacity.set(0.75);
    settings().theme.set(ThemeMode::dark);
    settings().toggleShortcut.set(std::nullopt);
    harness.app().session().setOn(false);
    harness.autostart.setExternally(true);
    MoreView tab(*services);
    tab.requestReset();
    tab.confirmReset();
    EXPECT_TRUE(harness.app().session().isOn());
    EXPECT_EQ(settings().mode.get(), FocusMode::deep);
    EXPECT_EQ(settings().grain.get(), 0.5);
    EXPECT_FALSE(settings().singleMode.get());
    EXPECT_FALSE(settings().hidePanels.get());
    EXPECT_EQ(settings().opacity.get(), 1.0);
    EXPECT_EQ(settings().theme.get(), ThemeMode::automatic);
    EXPECT_EQ(settings().toggleShortcut.get(), (KeyCombo{3, kCAS}));
    EXPECT_FALSE(harness.autostart.isEnabled());
    EXPECT_TRUE(harness.hint.isVisible());
    EXPECT_EQ(relativeTime(std::nullopt, 0), "Never");
    EXPECT_EQ(relativeTime(1000 - 3599, 1000), "59m ago");
    EXPECT_EQ(relativeTime(1000 - 3600 * 1.5, 1000), "1h ago");
}

TEST_F(SettingsWindowTest, TheWindowTogglesFromTheTrayAndClosesOnCtrlWOnlyWhileFocused) {
    SettingsState state;
    sim::SimSettingsWindowHost host;
    SettingsController controller(state, host, harness.scheduler);
    controller.showSettings("more");
    EXPECT_EQ(state.selectedTab(), SettingsTab::more);
    controller.showSettings();
    EXPECT_FALSE(controller.isWindowVisible()) << "a second click closes it";
    EXPECT_EQ(state.selectedTab(), SettingsTab::appearance) << "it opens on General again";
    EXPECT_EQ(host.focusRestores(), 1) << "the window that had the focus gets it back";
    namespace m = settings::modifier;
    for (const auto& [keys, focused, closes] : {std::tuple{m::control, true, true},
                                                {m::control | m::shift, true, true},
                                                {m::super, true, false},
                                                {m::control, false, false}}) {
        harness.scheduler.runPending();
        controller.showSettings();
        host.window()->setKey(focused);
        EXPECT_EQ(host.window()->pressKey(13, keys), closes);  // W
        if (controller.isWindowVisible()) controller.closeSettings();
    }
}

}  // namespace
}  // namespace quorvel::settings_window
