#include "settings_window/shortcuts_view.h"

#include "settings_window_fixture.h"

namespace quorvel::settings_window::testing {
namespace {

namespace names = settings::notifications;
namespace modifier = settings::modifier;
using settings::KeyCombo;
using Kind = KeyDecision::Kind;
using Grab = sim::SimGlobalHotkeys::Grab;

constexpr std::uint32_t kCOC = modifier::controlOptionCommand;

TEST(KeyAcceptanceTest, DecidesEachPressByTheRecordingRules) {
    struct Case {
        const char* name;
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        KeyDecision expected;
    };
    const std::vector<Case> cases{
        {"Delete clears", 51, 0, {Kind::clear, std::nullopt}},
        {"Delete with modifiers clears", 51, kCOC, {Kind::clear, std::nullopt}},
        {"Escape cancels", 53, modifier::control, {Kind::cancel, std::nullopt}},
        {"bare Control keeps listening", 59, modifier::control, {}},
        {"bare Command keeps listening", 55, modifier::command, {}},
        {"bare Fn keeps listening", 63, 0, {}},
        {"F5 alone records", 96, 0, {Kind::record, KeyCombo{96, 0}}},
        {"F1 alone records", 122, 0, {Kind::record, KeyCombo{122, 0}}},
        {"F2 alone is ignored", 120, 0, {}},
        {"F4 alone is ignored", 118, 0, {}},
        {"F2 with Control records", 120, modifier::control, {Kind::record, KeyCombo{120, 262144}}},
        {"left arrow alone records", 123, 0, {Kind::record, KeyCombo{123, 0}}},
        {"a letter alone is ignored", 3, 0, {}},
        {"Shift+Option letter is ignored", 3, modifier::shift | modifier::option, {}},
        {"Ctrl+Opt+Cmd+F records", 3, kCOC, {Kind::record, KeyCombo{3, kCOC}}},
        {"device bits are dropped", 3, kCOC | 0x0101, {Kind::record, KeyCombo{3, kCOC}}},
    };
    core::LogCapture log;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decideKeyDown(c.keyCode, c.modifiers), c.expected);
    }
    EXPECT_TRUE(log.contains("Key down received: keyCode=3, modifiers=1835265"));
}

class ShortcutsViewTest : public SettingsWindowTest {
protected:
    ShortcutsView& open() {
        if (!services) start();
        view = std::make_unique<ShortcutsView>(*services);
        observations.emplace_back(
            center(), names::shortcutRecordingDidChange, [this](const core::Notification& n) {
                recordingPosts.push_back(n.value<bool>(names::isRecordingKey).value_or(false));
            });
        return *view;
    }
    /// The user presses a key while the tab has the keyboard; the outcome
    /// arrives on the next turn of the main queue.
    void press(ShortcutRow row, std::uint32_t keyCode, std::uint32_t modifiers) {
        view->recorder(row).keyDown(keyCode, modifiers);
        scheduler.runPending();
    }
    // Declared first so that it outlives the view, whose destruction still
    // announces the end of a recording.
    std::vector<bool> recordingPosts;
    std::unique_ptr<ShortcutsView> view;
};

TEST_F(ShortcutsViewTest, ARecordedShortcutIsStoredAndTheGlobalKeysStandAsideMeanwhile) {
    auto& tab = open();
    tab.startRecording(ShortcutRow::overlay);
    EXPECT_EQ(tab.label(ShortcutRow::overlay), "Recording...");
    EXPECT_TRUE(hotKeys->isSuspended());

    const bool taken = tab.recorder(ShortcutRow::overlay).keyDown(96, 0);  // F5
    EXPECT_TRUE(taken);
    EXPECT_TRUE(tab.isRecording(ShortcutRow::overlay));  // delivered after the event
    scheduler.runPending();
    EXPECT_FALSE(tab.isRecording(ShortcutRow::overlay));
    EXPECT_EQ(settings().shortcut(), (KeyCombo{96, 0}));
    EXPECT_EQ(recordingPosts, (std::vector<bool>{true, false}));
    EXPECT_FALSE(hotKeys->isSuspended());
    EXPECT_EQ(hotkeys.grabs().at(1), (Grab{1, 96, 0}));
}

TEST_F(ShortcutsViewTest, ACombinationAnotherRowHoldsIsDroppedAndRecordingEnds) {
    auto& tab = open();
    tab.startRecording(ShortcutRow::focusMode);
    press(ShortcutRow::focusMode, 3, kCOC);  // row 1 holds it
    EXPECT_FALSE(tab.isRecording(ShortcutRow::focusMode));
    EXPECT_EQ(settings().focusModeShortcut(), (KeyCombo{46, kCOC}));
    EXPECT_EQ(settings().shortcut(), (KeyCombo{3, kCOC}));
    EXPECT_EQ(recordingPosts, (std::vector<bool>{true, false}));
}

TEST_F(ShortcutsViewTest, AShortcutAnotherApplicationHoldsIsMarkedUntilAnotherIsRecorded) {
    hotkeys.takeByOtherApplication(14, kCOC);
    auto& tab = open();
    EXPECT_EQ(tab.problem(ShortcutRow::excludeApp), "used by another application");
    EXPECT_EQ(tab.problem(ShortcutRow::overlay), "");
    tab.startRecording(ShortcutRow::excludeApp);
    press(ShortcutRow::excludeApp, 96, 0);  // F5
    EXPECT_EQ(tab.problem(ShortcutRow::excludeApp), "");
}

}  // namespace
}  // namespace quorvel::settings_window::testing
