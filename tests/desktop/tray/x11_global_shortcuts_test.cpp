#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <cstdlib>
#include <vector>

#include "settings/key_combo.h"
#include "spin_until.h"
#include "x11/connection.h"
#include "x11/x11_global_shortcuts.h"
#include "x11/x11_keyboard_layout.h"

namespace quorvel {
namespace {

using testing::spinUntil;
namespace mod = settings::modifier;

constexpr std::uint32_t kF = 3, kM = 46, kE = 14;  // stored codes of the F, M and E keys
constexpr std::uint8_t kXF = 41, kXE = 26;         // the X server's codes of F and E
constexpr std::uint16_t kControlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

/// Another X client, which grabs keys on the root.
class OtherClient {
public:
    ~OtherClient() { xcb_disconnect(c_); }
    /// False when another client holds the combination.
    bool grab(std::uint8_t keycode, std::uint16_t mask) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        auto* error =
            xcb_request_check(c_, xcb_grab_key_checked(c_, 0, root, mask, keycode,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }

private:
    xcb_connection_t* c_ = xcb_connect(nullptr, nullptr);
};

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
        testing::run("xdotool", {"key", keys});
        spinUntil([&] { return presses.ids.size() >= count; }, 4000);
        testing::settle(100);
    }
    static bool lockIsOn(const QString& name) {
        const QString state = testing::run("xset", {"q"});
        const auto at = state.indexOf(name + ":");
        return at >= 0 && state.mid(at, 20).contains("on");
    }
    static void setLock(const QString& name, const QString& key, bool on) {
        if (lockIsOn(name) != on) testing::run("xdotool", {"key", key});
        spinUntil([&] { return lockIsOn(name) == on; }, 2000);
    }

    x11::Connection connection;
    x11::X11GlobalShortcuts hotkeys{connection};
    Presses presses;
    std::unique_ptr<QSocketNotifier> notifier;
};

TEST_F(X11GlobalShortcutsTest, OnlyTheExactModifiersMatchWhateverLockKeysAreOn) {
    ASSERT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(2, kM, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(3, kF, mod::control | mod::shift));
    press("ctrl+alt+f", 0);  // no Super: not ours
    press("super+f", 0);
    press("ctrl+alt+super+f", 1);
    press("ctrl+shift+f", 2);
    setLock("Num Lock", "Num_Lock", true);
    ASSERT_TRUE(lockIsOn("Num Lock"));
    press("ctrl+alt+super+m", 3);
    setLock("Caps Lock", "Caps_Lock", true);
    press("ctrl+alt+super+f", 4);  // NumLock and CapsLock both on
    setLock("Caps Lock", "Caps_Lock", false);
    EXPECT_EQ(presses.ids, (std::vector<std::uint32_t>{1, 3, 2, 1}));
}

TEST_F(X11GlobalShortcutsTest, GrabsTakeAndUngrabsReleaseEveryLockVariantAndATakenOneNone) {
    OtherClient other;
    ASSERT_TRUE(other.grab(kXE, kControlAltSuper));
    EXPECT_FALSE(hotkeys.grab(3, kE, mod::controlAltSuper));
    ASSERT_TRUE(hotkeys.grab(1, kF, mod::controlAltSuper));
    EXPECT_FALSE(other.grab(kXF, kControlAltSuper | XCB_MOD_MASK_2)) << "ours, NumLock variant";
    hotkeys.ungrab(1);
    for (int lock : {0, int(XCB_MOD_MASK_2), int(XCB_MOD_MASK_LOCK),
                     int(XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK)}) {
        const auto mask = std::uint16_t(kControlAltSuper | lock);
        EXPECT_TRUE(other.grab(kXF, mask)) << "lock mask " << lock;
        if (lock) {
            EXPECT_TRUE(other.grab(kXE, mask)) << "left by the failed grab: " << lock;
        }
    }
    press("ctrl+alt+super+f", 1);
    EXPECT_TRUE(presses.ids.empty());
}

TEST_F(X11GlobalShortcutsTest, AKeyThatTypesNothingIsMissingAndNeverGrabbed) {
    constexpr std::uint32_t kF17 = 64;                     // its stored code
    testing::run("xmodmap", {"-e", "keycode 195 = F17"});  // its X code
    EXPECT_TRUE(hotkeys.hasKey(kF17));
    testing::run("xmodmap", {"-e", "keycode 195 ="});
    EXPECT_FALSE(hotkeys.hasKey(kF17));
    EXPECT_FALSE(hotkeys.grab(1, kF17, mod::control));
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
