#include "controls/hot_key_manager.h"

#include "controls_fixture.h"
#include "settings/notification_names.h"

namespace quorvel::controls::testing {
namespace {

namespace names = settings::notifications;
using settings::FocusMode;
using settings::KeyCombo;
namespace modifier = settings::modifier;

constexpr std::uint32_t kCOC = modifier::controlOptionCommand;
constexpr KeyCombo kF{3, kCOC};
constexpr KeyCombo kM{46, kCOC};
constexpr KeyCombo kE{14, kCOC};

using Grab = sim::SimGlobalHotkeys::Grab;

class HotKeyTest : public ControlsTest {
protected:
    bool press(KeyCombo combo) {
        const bool caught = hotkeys.press(combo.keyCode, combo.modifiers);
        scheduler.runPending();
        return caught;
    }
    void recording(core::UserInfo info) {
        center().post(names::shortcutRecordingDidChange, std::move(info));
    }
};

TEST_F(HotKeyTest, RegistersTheThreeStoredShortcutsInOrderWithTheirIds) {
    start();
    EXPECT_EQ(hotkeys.grabLog(), (std::vector<Grab>{{1, 3, kCOC}, {2, 46, kCOC}, {3, 14, kCOC}}));
    EXPECT_TRUE(hotkeys.hasHandler());
}

TEST_F(HotKeyTest, ClearedOrUndecodableShortcutRegistersNothingAndANeverStoredOneItsDefault) {
    settings().setShortcut(std::nullopt);
    context.settingsStore().set(settings::keys::focusModeShortcut, core::toBytes("{\"keyCode\":"));
    start();
    EXPECT_EQ(hotKeys->registeredKeys(), (std::vector<HotKeyID>{HotKeyID::excludeApp}));
    EXPECT_EQ(hotkeys.grabs().at(3), (Grab{3, 14, kCOC}));
    EXPECT_FALSE(press(kF));
    EXPECT_TRUE(press(kE));
}

TEST_F(HotKeyTest, ChangedShortcutIsRegisteredInPlaceOfTheOldOneWithoutForeignModifiers) {
    start();
    const KeyCombo shiftCommandM{46, modifier::shift | modifier::command};
    settings().setFocusModeShortcut(shiftCommandM);
    EXPECT_EQ(hotkeys.grabs().size(), 3u);
    EXPECT_EQ(hotkeys.grabs().at(2), (Grab{2, 46, shiftCommandM.modifiers}));
    EXPECT_FALSE(press(kM));
    EXPECT_TRUE(press(shiftCommandM));

    settings().setShortcut(KeyCombo{3, kCOC | 0x10000u /* caps lock */});
    EXPECT_EQ(hotkeys.grabs().at(1), (Grab{1, 3, kCOC}));

    settings().setExcludeAppShortcut(std::nullopt);
    EXPECT_EQ(hotKeys->registeredKeys(),
              (std::vector<HotKeyID>{HotKeyID::overlay, HotKeyID::focusMode}));
}

TEST_F(HotKeyTest, OverlayKeyPostsBeforeAndAfterTheSwitchAndEachKeyIsDebouncedOnItsOwn) {
    start();
    std::vector<bool> seen;
    observations.emplace_back(
        center(), names::detectionStateDidChange,
        [&](const core::Notification&) { seen.push_back(menuBar->isDetecting()); });
    EXPECT_TRUE(press(kF));
    scheduler.advance(0.2);
    EXPECT_TRUE(press(kF));  // caught, but debounced
    scheduler.runPending();
    EXPECT_FALSE(menuBar->isDetecting());
    // One press: posted at once with the old state and again once the switch has run.
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(storedOverlayEnabled());
    EXPECT_FALSE(context.overlayController().isMonitoring());

    scheduler.advance(0.1);  // 0.3 s after the first accepted press
    EXPECT_TRUE(press(kF));
    EXPECT_TRUE(menuBar->isDetecting());

    scheduler.advance(1.0);
    EXPECT_TRUE(press(kM));
    scheduler.advance(0.1);
    EXPECT_TRUE(press(kF));  // another key 0.1 s later still acts
    scheduler.runPending();
    EXPECT_EQ(context.overlayStyle().focusMode(), FocusMode::ambient);
    EXPECT_FALSE(menuBar->isDetecting());
}

TEST_F(HotKeyTest, FocusModeKeySwitchesStyleMenuAndSettings) {
    start();
    std::vector<FocusMode> styleAtSettingsWrite;
    observations.emplace_back(center(), names::settingsDidChange, [&](const core::Notification&) {
        styleAtSettingsWrite.push_back(context.overlayStyle().focusMode());
    });
    EXPECT_TRUE(press(kM));
    EXPECT_EQ(context.overlayStyle().focusMode(), FocusMode::ambient);
    EXPECT_EQ(settings().focusMode(), FocusMode::ambient);
    EXPECT_EQ(items()[3].title, " \u2713   Ambient");
    // The style was switched before the setting was written.
    ASSERT_FALSE(styleAtSettingsWrite.empty());
    EXPECT_EQ(styleAtSettingsWrite.front(), FocusMode::ambient);
}

TEST_F(HotKeyTest, FocusModeKeyWithFocusOffChangesNothingButStillTakesTheDebounce) {
    settings().setOverlayEnabled(false);
    start();
    EXPECT_TRUE(press(kM));
    EXPECT_EQ(settings().focusMode(), FocusMode::deep);
    EXPECT_EQ(context.overlayStyle().focusMode(), FocusMode::deep);

    settings().setOverlayEnabled(true);
    scheduler.advance(0.2);
    press(kM);  // debounced by the ignored press
    EXPECT_EQ(settings().focusMode(), FocusMode::deep);
    scheduler.advance(0.15);
    press(kM);
    EXPECT_EQ(settings().focusMode(), FocusMode::ambient);
}

TEST_F(HotKeyTest, ExcludeKeyTogglesTheFrontmostApplication) {
    start();
    activate("org.gnome.gedit", "Text Editor");
    EXPECT_TRUE(press(kE));
    EXPECT_TRUE(context.excludedAppsManager().isExcluded(std::string("org.gnome.gedit")));
    EXPECT_EQ(items()[1].title, "Include Text Editor");
    scheduler.advance(0.1);
    press(kE);  // debounced
    EXPECT_TRUE(context.excludedAppsManager().isExcluded(std::string("org.gnome.gedit")));
    scheduler.advance(0.3);
    press(kE);
    EXPECT_FALSE(context.excludedAppsManager().isExcluded(std::string("org.gnome.gedit")));
}

TEST_F(HotKeyTest, KeysAreSuspendedWhileAShortcutIsRecorded) {
    start();
    recording({{names::isRecordingKey, true}});
    EXPECT_TRUE(hotKeys->isSuspended());
    EXPECT_TRUE(hotkeys.grabs().empty());
    EXPECT_FALSE(press(kF));  // reaches the recorder, not the action
    EXPECT_TRUE(menuBar->isDetecting());

    // Malformed reports change nothing.
    recording({});
    recording({{names::isRecordingKey, std::string("false")}});
    EXPECT_TRUE(hotkeys.grabs().empty());

    const KeyCombo recorded{17, modifier::control | modifier::shift};
    context.settingsStore().set(settings::keys::shortcut, recorded.encode());
    recording({{names::isRecordingKey, false}});
    EXPECT_FALSE(hotKeys->isSuspended());
    EXPECT_EQ(hotkeys.grabs().size(), 3u);
    EXPECT_TRUE(press(recorded));
    EXPECT_FALSE(menuBar->isDetecting());

    recording({{names::isRecordingKey, false}});  // again: still one grab per key
    EXPECT_EQ(hotkeys.grabs().size(), 3u);
}

TEST_F(HotKeyTest, ShortcutHeldByAnotherApplicationIsLoggedAndTheOthersStillWork) {
    hotkeys.takeByOtherApplication(kM.keyCode, kM.modifiers);
    start();
    EXPECT_TRUE(log.contains(
        "⚠️ Shortcut ⌃⌥⌘M (switch focus mode) is already taken by another application"));
    EXPECT_EQ(hotKeys->registeredKeys(),
              (std::vector<HotKeyID>{HotKeyID::overlay, HotKeyID::excludeApp}));
    EXPECT_TRUE(press(kF));
    EXPECT_FALSE(menuBar->isDetecting());
}

TEST_F(HotKeyTest, DestructionReleasesEveryGrabAndTheHandler) {
    start();
    hotkeys.press(kF.keyCode, kF.modifiers);  // its handling is still queued
    hotKeys.reset();
    EXPECT_TRUE(hotkeys.grabs().empty());
    EXPECT_FALSE(hotkeys.hasHandler());
    scheduler.runPending();
    EXPECT_TRUE(menuBar->isDetecting());
}

TEST(HotKeyID, OnlyOneToThreeAreKeys) {
    EXPECT_EQ(hotKeyID(1), HotKeyID::overlay);
    EXPECT_EQ(hotKeyID(2), HotKeyID::focusMode);
    EXPECT_EQ(hotKeyID(3), HotKeyID::excludeApp);
    EXPECT_FALSE(hotKeyID(0));
    EXPECT_FALSE(hotKeyID(4));
}

}  // namespace
}  // namespace quorvel::controls::testing
