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

TEST_F(HotKeyTest, AShortcutThatCannotBeGrabbedIsNotifiedOnceAndKeepsItsReason) {
    hotkeys.takeByOtherApplication(kE.keyCode, kE.modifiers);
    context.settingsStore().set(settings::keys::focusModeShortcut, kF.encode());
    start();
    EXPECT_EQ(hotKeys->problem(HotKeyID::overlay), "");
    EXPECT_EQ(hotKeys->problem(HotKeyID::focusMode), "same as toggle focus");
    EXPECT_EQ(hotKeys->problem(HotKeyID::excludeApp), "used by another application");
    ASSERT_EQ(notifications.posted().size(), 2u);
    EXPECT_EQ(notifications.posted()[1].subtitle, "Ctrl+Alt+Super+E");

    recording({{names::isRecordingKey, true}});
    recording({{names::isRecordingKey, false}});  // registered again: nothing new to tell
    EXPECT_EQ(notifications.posted().size(), 2u);

    hotkeys.removeKey(96);
    settings().setShortcut(KeyCombo{96, modifier::control});  // F5, absent here
    EXPECT_EQ(hotKeys->problem(HotKeyID::overlay), "no such key on this keyboard");
    EXPECT_EQ(hotKeys->problem(HotKeyID::focusMode), "");
    ASSERT_EQ(notifications.posted().size(), 3u);
    EXPECT_EQ(notifications.posted()[2].subtitle, "Ctrl+F5");
}

}  // namespace
}  // namespace quorvel::controls::testing
