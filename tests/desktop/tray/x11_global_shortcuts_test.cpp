#include <gtest/gtest.h>

#include <QSocketNotifier>
#include <vector>

#include "settings/key_combo.h"
#include "tray_support.h"
#include "x11/connection.h"
#include "x11/x11_global_shortcuts.h"
#include "x11/x11_keyboard_layout.h"

namespace quorvel {
namespace {

using testing::OtherClient;
using testing::spinUntil;
using testing::xdotool;
namespace mod = settings::modifier;

constexpr std::uint32_t kF = 3, kM = 46, kE = 14;  // stored codes of the F, M and E keys

struct Presses final : ports::GlobalShortcutEvents {
    void shortcutPressed(std::uint32_t id) override { ids.push_back(id); }
    std::vector<std::uint32_t> ids;
};

class X11GlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(connection.isOpen());
        notifier = std::make_unique<QSocketNotifier>(connection.fd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated,
                         [this] { connection.processEvents(); });
        hotkeys.setEventHandler(&presses);
    }
    void TearDown() override { setLock("Num Lock", "Num_Lock", false); }

    /// Presses keys and waits until `count` presses arrived (or a moment passed).
    void press(const QString& keys, std::size_t count) {
        xdotool({"key", keys});
        spinUntil([&] { return presses.ids.size() >= count; }, 4000);
        testing::settle(100);
    }
    static bool lockIsOn(const QString& name) {
        const QString state = testing::run("xset", {"q"});
        const auto at = state.indexOf(name + ":");
        return at >= 0 && state.mid(at, 20).contains("on");
    }
    static void setLock(const QString& name, const QString& key, bool on) {
        if (lockIsOn(name) != on) xdotool({"key", key});
        spinUntil([&] { return lockIsOn(name) == on; }, 2000);
    }

    x11::Connection connection;
    x11::X11GlobalShortcuts hotkeys{connection};
    Presses presses;
    std::unique_ptr<QSocketNotifier> notifier;
};

TEST_F(X11GlobalShortcutsTest, PressReachesUsWhileAnotherWindowHasFocusAndLockKeysDoNotMatter) {
    OtherClient editor;
    editor.focusWindow();
    ASSERT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(2, kM, mod::controlAltSuper));

    press("ctrl+alt+super+f", 1);
    EXPECT_EQ(presses.ids, (std::vector<std::uint32_t>{1}));

    setLock("Num Lock", "Num_Lock", true);
    ASSERT_TRUE(lockIsOn("Num Lock"));
    press("ctrl+alt+super+m", 2);
    setLock("Caps Lock", "Caps_Lock", true);
    press("ctrl+alt+super+f", 3);  // NumLock and CapsLock both on
    setLock("Caps Lock", "Caps_Lock", false);
    EXPECT_EQ(presses.ids, (std::vector<std::uint32_t>{1, 2, 1}));
}

TEST_F(X11GlobalShortcutsTest, OnlyTheExactModifiersMatch) {
    ASSERT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(2, kF, mod::control | mod::shift));
    press("ctrl+alt+f", 1);  // no Super: not ours
    press("super+f", 1);
    press("ctrl+shift+f", 1);
    EXPECT_EQ(presses.ids, (std::vector<std::uint32_t>{2}));
}

TEST_F(X11GlobalShortcutsTest, CombinationHeldByAnotherClientFailsAndTheOthersStillWork) {
    OtherClient other;
    const std::uint16_t mask = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
    ASSERT_TRUE(other.grab(26, mask));  // ctrl+alt+super+e

    EXPECT_FALSE(hotkeys.grab(3, kE, mod::controlAltSuper));
    EXPECT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    press("ctrl+alt+super+f", 1);
    EXPECT_EQ(presses.ids, (std::vector<std::uint32_t>{1}));
    // The failed grab left none of its lock variants behind.
    OtherClient third;
    EXPECT_TRUE(third.grab(26, mask | XCB_MOD_MASK_LOCK));
}

TEST_F(X11GlobalShortcutsTest, UngrabReleasesEveryLockVariant) {
    ASSERT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    OtherClient other;
    const std::uint16_t mask = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
    EXPECT_FALSE(other.grab(41, mask | XCB_MOD_MASK_2));  // ours, NumLock variant

    hotkeys.ungrab(1);
    for (int lock : {0, int(XCB_MOD_MASK_2), int(XCB_MOD_MASK_LOCK),
                     int(XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK)}) {
        EXPECT_TRUE(other.grab(41, std::uint16_t(mask | lock))) << "lock mask " << lock;
    }
    press("ctrl+alt+super+f", 1);
    EXPECT_TRUE(presses.ids.empty());
}

TEST_F(X11GlobalShortcutsTest, KeysAreNamedByAnAsciiCapableLayoutWhateverLayoutIsActive) {
    testing::run("setxkbmap", {"-layout", "ru,us"});  // Russian active, US second
    x11::X11KeyboardLayout layout{connection};
    const settings::KeyCombo j{38, mod::controlAltSuper};
    EXPECT_EQ(j.displayString(layout), "Ctrl+Alt+Super+J");
    testing::run("setxkbmap", {"-layout", "us"});
}

}  // namespace
}  // namespace quorvel
